#include "migrate/PendingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "migrate/MigrationError.h"

namespace vornel::migrate {
namespace {

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string directoryOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes the rename itself survive a crash of the machine.
void syncDirectory(const std::string& path) {
    const int fd = ::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

PendingFile::PendingFile(std::string destination)
    : destination_(std::move(destination)), path_(destination_ + ".migrating") {
    if (destination_.empty()) {
        throw MigrationError("the new database's path is empty");
    }
    if (exists(destination_)) {
        throw MigrationError("'" + destination_ +
                             "' already exists; migrating writes a new database and overwrites "
                             "none");
    }
    const std::string directory = directoryOf(destination_);
    if (::access(directory.c_str(), W_OK | X_OK) != 0) {
        throw MigrationError("cannot write in '" + directory + "': " + std::strerror(errno));
    }
    if (exists(path_)) {
        throw MigrationError("'" + path_ +
                             "' is in the way (perhaps left by an interrupted migration); move "
                             "it away and migrate again");
    }
}

PendingFile::~PendingFile() {
    if (committed_) {
        return;
    }
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        std::remove((path_ + suffix).c_str());
    }
}

void PendingFile::commit() {
    // Checked again: the destination may have appeared while we worked.
    if (exists(destination_)) {
        throw MigrationError("'" + destination_ +
                             "' appeared while migrating; it is left as it is");
    }
    if (std::rename(path_.c_str(), destination_.c_str()) != 0) {
        throw MigrationError("cannot rename '" + path_ + "' to '" + destination_ +
                             "': " + std::strerror(errno));
    }
    committed_ = true;
    syncDirectory(destination_);
}

}  // namespace vornel::migrate
