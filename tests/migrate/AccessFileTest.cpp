// The first look at a file before the reader parses it.
#include <gtest/gtest.h>

#include <fstream>

#include "migrate/AccessFile.h"
#include "migrate/MigrationError.h"
#include "support/TempDir.h"

using vornel::migrate::checkAccessFile;
using vornel::migrate::MigrationError;
using vornel::test::TempDir;

namespace {

constexpr size_t kJet3Page = 2048;
constexpr size_t kJet4Page = 4096;

// The header of an Access file of the given engine and version, padded with
// zeros to `size` bytes.
std::string header(const char* engine, char version, size_t size) {
    std::string bytes = std::string("\0\1\0\0", 4) + engine + std::string(1, '\0');
    bytes += std::string(1, version);
    bytes.resize(size, '\0');
    return bytes;
}

std::string problemWith(const std::string& path) {
    try {
        checkAccessFile(path);
    } catch (const MigrationError& e) {
        return e.what();
    }
    return {};
}

class AccessFile : public ::testing::Test {
protected:
    std::string file(const std::string& content) {
        std::string path = dir.file("old.mdb");
        std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
        return path;
    }

    TempDir dir;
};

}  // namespace

TEST_F(AccessFile, Jet3AndJet4OfWholePagesPass) {
    EXPECT_EQ(problemWith(file(header("Standard Jet DB", 0, 3 * kJet3Page))), "");
    EXPECT_EQ(problemWith(file(header("Standard Jet DB", 1, 3 * kJet4Page))), "");
}

TEST_F(AccessFile, EachProblemIsNamed) {
    const std::string path = dir.file("old.mdb");
    EXPECT_EQ(problemWith(path), "cannot open '" + path + "': No such file or directory");
    EXPECT_EQ(problemWith(dir.path()), "'" + dir.path() + "' is not a file");
    EXPECT_EQ(problemWith(file("")), "'" + path + "' is empty, not an Access database");
    EXPECT_EQ(problemWith(file("Standard Jet DB")), "'" + path + "' is not an Access database");
    EXPECT_EQ(problemWith(file(header("Standard Jet DB", 0, 20))),
              "'" + path + "' is not an Access database");
    EXPECT_EQ(problemWith(file(header("Standard XYZ DB", 0, kJet3Page))),
              "'" + path + "' is not an Access database");
    EXPECT_EQ(problemWith(file(std::string(4096, 'x'))),
              "'" + path + "' is not an Access database");
}

TEST_F(AccessFile, LaterVersionsAreNamedAsSuch) {
    const std::string later = "is an Access database of a later version than Jet 4";
    EXPECT_NE(problemWith(file(header("Standard ACE DB", 2, kJet4Page))).find(later),
              std::string::npos);
    EXPECT_NE(problemWith(file(header("Standard Jet DB", 2, kJet4Page))).find(later),
              std::string::npos);
}

TEST_F(AccessFile, APartPageIsACutShortFile) {
    const std::string path = dir.file("old.mdb");
    EXPECT_EQ(problemWith(file(header("Standard Jet DB", 0, 3 * kJet3Page + 1))),
              "'" + path +
                  "' is damaged: it ends part-way through a page (6145 bytes); it may have been "
                  "cut short");
    // A Jet 4 page is 4 KiB.
    EXPECT_NE(problemWith(file(header("Standard Jet DB", 1, 3 * kJet3Page))).find("part-way"),
              std::string::npos);
}
