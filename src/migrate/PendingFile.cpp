#include "migrate/PendingFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "migrate/MigrationError.h"
#include "platform/Files.h"

namespace vornel::migrate {

PendingFile::PendingFile(std::string destination)
    : destination_(std::move(destination)),
      path_(destination_ + ".migrating"),
      sideFiles_{path_ + "-wal", path_ + "-shm", path_ + "-journal"} {
    if (destination_.empty()) {
        throw MigrationError("the new database's path is empty");
    }
    if (pathExists(destination_)) {
        throw MigrationError("'" + destination_ +
                             "' already exists; migrating writes a new database and overwrites "
                             "none");
    }
    const std::string directory = directoryOf(destination_);
    if (::access(directory.c_str(), W_OK | X_OK) != 0) {
        throw MigrationError("cannot write in '" + directory + "': " + std::strerror(errno));
    }
    if (pathExists(path_)) {
        throw MigrationError("'" + path_ +
                             "' is in the way (being written by a migration still running, or "
                             "left by one interrupted); once none runs, move it away and migrate "
                             "again");
    }
}

PendingFile::~PendingFile() {
    if (committed_) {
        return;
    }
    std::remove(path_.c_str());
    for (const std::string& side : sideFiles_) {
        std::remove(side.c_str());
    }
}

void PendingFile::commit() {
    // Checked again: the destination may have appeared while we worked.
    if (pathExists(destination_)) {
        throw MigrationError("'" + destination_ +
                             "' appeared while migrating; it is left as it is");
    }
    if (std::rename(path_.c_str(), destination_.c_str()) != 0) {
        throw MigrationError("cannot rename '" + path_ + "' to '" + destination_ +
                             "': " + std::strerror(errno));
    }
    committed_ = true;
    // The rename itself survives a crash of the machine.
    syncDirectoryOf(destination_);
}

}  // namespace vornel::migrate
