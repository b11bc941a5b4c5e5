// A new file that is written under a temporary name beside its destination
// and renamed into place in one step at the end: until then the destination
// does not exist, and if the end never comes, nothing is left behind.
#ifndef VORNEL_MIGRATE_PENDINGFILE_H
#define VORNEL_MIGRATE_PENDINGFILE_H

#include <array>
#include <string>

namespace vornel::migrate {

class PendingFile {
public:
    // Refuses (MigrationError) a destination that exists, a directory that
    // cannot be written, and a temporary name that is taken (perhaps by an
    // interrupted run).
    explicit PendingFile(std::string destination);
    // Removes the temporary file and the engine's side files beside it,
    // unless committed.
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Where to write: the destination + ".migrating".
    const std::string& path() const { return path_; }

    // Puts the written file in place; the database on it must be closed.
    // Throws MigrationError when it cannot, keeping nothing.
    void commit();

private:
    std::string destination_;
    std::string path_;
    // Named at the start: the destructor must not ask for memory.
    std::array<std::string, 3> sideFiles_;
    bool committed_ = false;
};

}  // namespace vornel::migrate

#endif
