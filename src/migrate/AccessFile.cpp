#include "migrate/AccessFile.h"

#include <iconv.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "migrate/MigrationError.h"

namespace vornel::migrate {
namespace {

// Every Access file starts with this; then comes the engine's name.
constexpr char kMagic[] = "\x00\x01\x00\x00";
constexpr char kJet[] = "Standard Jet DB";
constexpr char kAce[] = "Standard ACE DB";
constexpr size_t kNameAt = 4;
constexpr size_t kVersionAt = 0x14;
constexpr size_t kHeadSize = kVersionAt + 1;

// Jet 3 files are made of 2 KiB pages, Jet 4 files of 4 KiB ones.
long pageSizeOf(unsigned char version) {
    if (version == 0) {
        return 2048;
    }
    return version == 1 ? 4096 : 0;
}

std::string quote(const std::string& path) {
    return "'" + path + "'";
}

// The reader takes the code page of a Jet 3 file's text from this variable
// when it is set; one it cannot convert from would fail the whole read as a
// damaged catalog.
void checkJet3Charset() {
    const char* charset = std::getenv("MDB_JET3_CHARSET");
    if (charset == nullptr || *charset == '\0') {
        return;
    }
    const iconv_t converter = iconv_open("UTF-8", charset);
    // iconv_open's failure value is (iconv_t)-1.
    if (converter == reinterpret_cast<iconv_t>(-1)) {  // NOLINT(performance-no-int-to-ptr)
        throw MigrationError("MDB_JET3_CHARSET names '" + std::string(charset) +
                             "', a character set this system cannot convert; name one that "
                             "'iconv -l' lists, or unset it");
    }
    iconv_close(converter);
}

}  // namespace

void checkAccessFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        throw MigrationError("cannot open " + quote(path) + ": " + std::strerror(errno));
    }
    if (!S_ISREG(st.st_mode)) {
        throw MigrationError(quote(path) + " is not a file");
    }
    if (st.st_size == 0) {
        throw MigrationError(quote(path) + " is empty, not an Access database");
    }
    char head[kHeadSize] = {};
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw MigrationError("cannot open " + quote(path) + ": " + std::strerror(errno));
    }
    const bool whole = static_cast<bool>(in.read(head, sizeof head));
    if (!whole || std::memcmp(head, kMagic, kNameAt) != 0) {
        throw MigrationError(quote(path) + " is not an Access database");
    }
    const bool jet = std::memcmp(head + kNameAt, kJet, sizeof kJet - 1) == 0;
    const bool ace = std::memcmp(head + kNameAt, kAce, sizeof kAce - 1) == 0;
    if (!jet && !ace) {
        throw MigrationError(quote(path) + " is not an Access database");
    }
    const long pageSize = jet ? pageSizeOf(static_cast<unsigned char>(head[kVersionAt])) : 0;
    if (pageSize == 0) {
        throw MigrationError(quote(path) +
                             " is an Access database of a later version than Jet 4; save it "
                             "in Access 2000 format (.mdb) and migrate that");
    }
    if (st.st_size % pageSize != 0) {
        throw MigrationError(quote(path) + " is damaged: it ends part-way through a page (" +
                             std::to_string(st.st_size) + " bytes); it may have been cut short");
    }
    if (head[kVersionAt] == 0) {
        checkJet3Charset();
    }
}

}  // namespace vornel::migrate
