// Whole-file operations: making a new database, compacting one and
// replacing one by another.
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>

#include "engine/Engine.h"
#include "engine/SqliteSession.h"
#include "platform/Files.h"

namespace vornel::engine {
namespace {

[[noreturn]] void failWith(HRESULT code, const std::string& description) {
    ErrorList ignored;
    raise(ignored, code, description);
}

// Makes the empty file that the compacted copy of `path` is written into,
// with the mode and owners of `path`: the copy takes its place, and a
// private model must not be readable by others for a moment, or after.
void makeCopyFile(const std::string& path, const std::string& copy) {
    const int fd = ::open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        failWith(hr::kFail,
                 "cannot write the compacted copy '" + copy + "': " + std::strerror(errno));
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        // Only root may give a file to another user; anyone may give it a
        // group of their own.
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            static_cast<void>(::fchown(fd, static_cast<uid_t>(-1), st.st_gid));
        }
        ::fchmod(fd, st.st_mode & 07777);
    }
    ::close(fd);
}

// Whether the file's header marks it for a write-ahead log: its format
// numbers, bytes 18 and 19, are 2.
bool markedForWal(const std::string& path) {
    unsigned char header[20] = {};
    return readFileHead(path, header, sizeof header) && header[18] == 2 && header[19] == 2;
}

std::unique_ptr<Session> openFile(const std::string& path) {
    auto session = std::make_unique<Session>(std::make_shared<ErrorList>());
    const int rc = session->open(sqliteFileName(path), SQLITE_OPEN_READWRITE);
    if (rc != SQLITE_OK) {
        session->fail(rc, "cannot open '" + path + "'" + fullPathTooLong(path));
    }
    return session;
}

// Opens the database at path as its only connection, which keeps it so
// until it closes; the messages say what it is to be `done` for.
std::unique_ptr<Session> openAlone(const std::string& path, const char* done, const char* doing) {
    auto session = openFile(path);
    // SQLite opens a file it may not write for reading, without a word.
    if (sqlite3_db_readonly(session->db(), "main") == 1) {
        failWith(hr::kFail, "'" + path + "' cannot be written here, so it cannot be " + done + ".");
    }
    // Leaving WAL mode needs the only connection to the file: that is how a
    // connection elsewhere is noticed, whose later writes would go to the
    // file that takes its place.
    session->waitForLocks(0);
    session->run("PRAGMA locking_mode=EXCLUSIVE");
    sqlite3_stmt* compiled = nullptr;
    int rc =
        sqlite3_prepare_v2(session->db(), "PRAGMA journal_mode=DELETE", -1, &compiled, nullptr);
    Statement stmt(compiled);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(stmt.get());
    }
    bool alone = false;
    if (rc == SQLITE_ROW) {
        const auto* mode = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0));
        alone = mode != nullptr && std::strcmp(mode, "delete") == 0;
    }
    // Only a lock held elsewhere means another connection: a file that is
    // not a database, say, is told as such.
    const std::string why = sqlite3_errmsg(session->db());
    stmt.reset();
    if (rc != SQLITE_ROW && (rc & 0xff) != SQLITE_BUSY && (rc & 0xff) != SQLITE_LOCKED) {
        failWith(hr::kFail,
                 "'" + path + "': " + why +
                     ((rc & 0xff) == SQLITE_READONLY ? readOnlyCause(session->db()) : ""));
    }
    // With a rollback journal, an idle connection of the process's own
    // holds no lock that shows.
    if (!alone || session->sharesFile()) {
        failWith(hr::kFail, "'" + path + "' is open in another connection; close it there before " +
                                doing + ".");
    }
    session->run("BEGIN EXCLUSIVE");
    session->run("COMMIT");
    return session;
}

// The engine keeps a journal beside a database under its name and
// "-journal": a file whose name leaves no room for that is made, and then
// no write can go to it. `refusal` says what is refused.
void requireRoomForJournal(const std::string& path, const std::string& refusal) {
    const size_t slash = path.rfind('/');
    const size_t nameLength = slash == std::string::npos ? path.size() : path.size() - slash - 1;
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const long longest = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    constexpr size_t kJournal = sizeof "-journal" - 1;
    // A name past the longest fails as any such name does.
    if (longest > static_cast<long>(kJournal) && nameLength <= static_cast<size_t>(longest) &&
        nameLength + kJournal > static_cast<size_t>(longest)) {
        failWith(hr::kFail,
                 refusal + ": File name too long to keep the journal beside it (at most " +
                     std::to_string(static_cast<size_t>(longest) - kJournal) + " bytes)");
    }
}

}  // namespace

void removeNewDatabaseFile(const std::string& path) noexcept {
    ::unlink(path.c_str());
    // No file's name is longer than PATH_MAX: one that does not fit was
    // never opened.
    char side[PATH_MAX + 8];
    for (const char* suffix : {"-wal", "-shm"}) {
        if (static_cast<size_t>(std::snprintf(side, sizeof side, "%s%s", path.c_str(), suffix)) <
            sizeof side) {
            ::unlink(side);
        }
    }
}

void createDatabaseFile(const std::string& path) {
    requireRoomForJournal(path, "Cannot create database '" + path + "'");
    ErrorList ignored;
    refuseDatabasesBeside(ignored, path, true);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (errno == EEXIST) {
            failWith(hr::kFail, "Database '" + path + "' already exists.");
        }
        failWith(hr::kFail, "Cannot create database '" + path + "': " + std::strerror(errno));
    }
    ::close(fd);
    try {
        auto session = openFile(path);
        session->run(("PRAGMA application_id = " + std::to_string(kApplicationId)).c_str());
        session->run("PRAGMA journal_mode=WAL");
    } catch (...) {
        removeNewDatabaseFile(path);
        throw;
    }
}

void compactDatabaseFile(const std::string& path, const std::string& tempPath) {
    if (pathExists(tempPath) && !pathExists(path)) {
        failWith(hr::kFail, "Could not find file '" + path + "', but '" + tempPath +
                                "' lies where a compaction of it cut short would leave its "
                                "compacted copy: if that file is this database, rename it to '" +
                                path + "' to recover it.");
    }
    ErrorList ignored;
    requireDatabaseFile(ignored, path);
    if (pathExists(tempPath)) {
        failWith(hr::kFail, "The file '" + tempPath +
                                "' is in the way of the compaction (being written by one still "
                                "running, or left by one interrupted, perhaps of another file "
                                "whose name starts alike); '" +
                                path +
                                "' is intact. Once no compaction runs, move the file away and "
                                "compact again.");
    }
    // Being alone is found by leaving WAL mode, and the copy is written
    // without it: a file in WAL mode (another program's too) gets it back.
    const bool wal = markedForWal(path);
    auto session = openAlone(path, "compacted", "compacting");
    requireRoomForJournal(tempPath, "cannot write the compacted copy '" + tempPath + "'");
    makeCopyFile(path, tempPath);
    // A copy this compaction made and could not put in place goes, whatever
    // stopped it: left there, it would be in the way of the next one.
    try {
        sqlite3_stmt* compiled = nullptr;
        int rc = sqlite3_prepare_v2(session->db(), "VACUUM INTO ?1", -1, &compiled, nullptr);
        Statement vacuum(compiled);
        if (rc == SQLITE_OK) {
            sqlite3_bind_text(vacuum.get(), 1, sqliteFileName(tempPath).c_str(), -1,
                              SQLITE_TRANSIENT);
            rc = sqlite3_step(vacuum.get());
        }
        vacuum.reset();
        if (rc != SQLITE_DONE) {
            session->fail(rc, "cannot write the compacted copy '" + tempPath + "'");
        }
        if (wal) {
            openFile(tempPath)->run("PRAGMA journal_mode=WAL");
        }
        syncPath(tempPath.c_str());
        // The copy replaces the file in one step: at every moment the path
        // holds either the old file or the complete new one.
        if (::rename(tempPath.c_str(), path.c_str()) != 0) {
            const std::string reason = std::strerror(errno);
            failWith(hr::kFail, "cannot replace '" + path + "' by its compacted copy: " + reason);
        }
    } catch (...) {
        removeNewDatabaseFile(tempPath);
        throw;
    }
    syncDirectoryOf(path);
}

void replaceDatabaseFile(const std::string& path, const std::string& replacement) {
    // The replacement must hold all it has in itself: the rename carries no
    // write-ahead log beside it, and a connection still open on it would
    // write on into that log, lost. Leaving WAL mode alone folds the log in.
    ErrorList ignored;
    requireDatabaseFile(ignored, replacement);
    const bool wal = markedForWal(replacement);
    openAlone(replacement, "put in place", "putting it in place");
    if (wal) {
        openFile(replacement)->run("PRAGMA journal_mode=WAL");
    }
    // Held until the rename is done, so that no connection opens the old
    // file meanwhile and later reads its leftovers as the new file's.
    std::unique_ptr<Session> old;
    if (pathExists(path)) {
        requireDatabaseFile(ignored, path);
        old = openAlone(path, "replaced", "replacing it");
    }
    if (::rename(replacement.c_str(), path.c_str()) != 0) {
        failWith(hr::kFail, "cannot put '" + replacement + "' in the place of '" + path +
                                "': " + std::strerror(errno));
    }
    syncDirectoryOf(path);
}

}  // namespace vornel::engine
