#include "engine/SqliteConnection.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>

#include "engine/StatementShape.h"
#include "platform/Environment.h"

namespace vornel::engine {
namespace {

// How long a statement waits for another connection's lock before it fails
// as busy, unless VORNEL_BUSY_TIMEOUT_MS says otherwise at the open.
constexpr int kBusyTimeoutMs = 5000;
constexpr int kOpenAttempts = 3;
constexpr const char* kReadProbe = "SELECT count(*) FROM sqlite_master";

// The application id in the file's header; none when it cannot be read.
std::optional<int> applicationId(sqlite3* db) {
    sqlite3_stmt* stmt = nullptr;
    std::optional<int> id;
    if (sqlite3_prepare_v2(db, "PRAGMA application_id", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW) {
        id = sqlite3_column_int(stmt, 0);
    }
    sqlite3_finalize(stmt);
    return id;
}

bool cannotWrite(int rc) {
    return (rc & 0xff) == SQLITE_READONLY || (rc & 0xff) == SQLITE_CANTOPEN;
}

// An SQLite URI naming the file at `path` read-only and as never changing.
std::string immutableUri(const std::string& path) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string uri = "file:";
    for (const char c : std::filesystem::absolute(path).string()) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) != 0 || std::strchr("/-._~", c) != nullptr) {
            uri += c;
        } else {
            uri += {'%', kHex[byte >> 4], kHex[byte & 0xf]};
        }
    }
    return uri + "?immutable=1";
}

// Jet compared text case-blind; so does UCASE, for the ASCII letters the
// catalog's names use.
void ucase(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    std::string upper(text, static_cast<size_t>(sqlite3_value_bytes(argv[0])));
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    sqlite3_result_text(context, upper.data(), static_cast<int>(upper.size()), SQLITE_TRANSIENT);
}

// True when the file the handle holds is no longer the one its path names:
// a compaction elsewhere has put its copy in place.
bool replaced(sqlite3* db) {
    int moved = 0;
    sqlite3_file_control(db, "main", SQLITE_FCNTL_HAS_MOVED, &moved);
    return moved != 0;
}

// A statement on the savepoint of a nesting level, made without allocating:
// ending a level must not fail for want of memory, or it would stay open
// and the host's commit would only end it.
struct SavepointStatement {
    SavepointStatement(const char* verb, long level) {
        std::snprintf(text, sizeof text, "%s vornel_level%ld", verb, level);
    }
    char text[48];
};

}  // namespace

HRESULT SqliteConnection::open(const std::string& connectionString, long) {
    close();
    const std::string path = connectionStringValue(connectionString, "Data Source");
    if (path.empty()) {
        raise(*errors_, hr::kInvalidArg, "the connection string names no Data Source");
    }
    if (!connectionStringValue(connectionString, "Jet OLEDB:Database Password").empty()) {
        raise(*errors_, hr::kInvalidArg, "database passwords are not supported");
    }
    requireDatabaseFile(*errors_, path);
    // A compaction elsewhere replaces the file by a rename while this open
    // may be waiting for its lock; the handle would then hold the file that
    // was replaced, and all it wrote would go with that file (and its WAL
    // frames into the new file's log). Open again until the handle holds
    // the file the path names.
    for (int attempt = 1;; ++attempt) {
        auto candidate = openSession(path);
        if (!replaced(candidate->db())) {
            session_ = std::move(candidate);
            return hr::kOk;
        }
        if (attempt == kOpenAttempts) {
            raise(*errors_, hr::kEngine,
                  "'" + path + "' was replaced each time it was opened; open it again",
                  SQLITE_BUSY);
        }
    }
}

std::shared_ptr<Session> SqliteConnection::openFile(const std::string& name, int flags,
                                                    const std::string& path) {
    auto opened = std::make_shared<Session>(errors_);
    const int rc = opened->open(name, flags | SQLITE_OPEN_NOMUTEX);
    sqlite3* db = opened->db();
    if (rc != SQLITE_OK) {
        opened->fail(rc, "cannot open '" + path + "'" + fullPathTooLong(path));
    }
    sqlite3_extended_result_codes(db, 1);
    opened->waitForLocks(millisecondsFromEnvironment("VORNEL_BUSY_TIMEOUT_MS", kBusyTimeoutMs));
    sqlite3_create_function(db, "UCASE", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, ucase,
                            nullptr, nullptr);
    return opened;
}

std::shared_ptr<Session> SqliteConnection::openSession(const std::string& path) {
    const auto start = std::chrono::steady_clock::now();
    refuseDatabasesBeside(*errors_, path, false);
    auto opened = openFile(sqliteFileName(path), SQLITE_OPEN_READWRITE, path);
    // Another program's file, opened to be looked at or refused, keeps its
    // journal: switching it would change the file. A file whose mark cannot
    // be read goes on, to fail or be read below.
    const std::optional<int> mark = applicationId(opened->db());
    if (mark && *mark != kApplicationId) {
        return opened;
    }
    // Opening waits for a lock once in all, not once for each statement.
    const long long wait = millisecondsFromEnvironment("VORNEL_BUSY_TIMEOUT_MS", kBusyTimeoutMs);
    const long long spent = std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now() - start)
                                .count();
    opened->waitForLocks(std::max(0LL, wait - spent));
    const int rc = sqlite3_exec(opened->db(), "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    opened->waitForLocks(wait);
    if (rc == SQLITE_OK) {
        opened->run("PRAGMA synchronous=NORMAL");
        return opened;
    }
    // A handle on a replaced file failed on that file, not on the one the
    // path names now (it timed out on the compaction's lock, or met the
    // journal the compaction left by name): open() opens again.
    if (replaced(opened->db())) {
        return opened;
    }
    if (!cannotWrite(rc)) {
        opened->fail(rc, "cannot open '" + path + "'" + fullPathTooLong(path));
    }
    // A file this user cannot write (on read-only media, say) is read with
    // the journal it has. A file with a write-ahead log cannot be read that
    // way when its folder cannot take the log's index either; nothing can
    // write such a file, so it is read as the unchanging file it is.
    if (sqlite3_exec(opened->db(), kReadProbe, nullptr, nullptr, nullptr) != SQLITE_OK) {
        // Read as unchanging, the file would not show what its log still
        // holds (left by a program that ended without closing it).
        std::error_code ec;
        const auto logged = std::filesystem::file_size(path + "-wal", ec);
        if (!ec && logged > 0) {
            raise(*errors_, hr::kEngine,
                  "'" + path +
                      "' has changes in its write-ahead log that cannot be read here, where "
                      "its folder cannot be written; open it once where it can be, which "
                      "merges them into the file",
                  SQLITE_CANTOPEN);
        }
        opened = openFile(immutableUri(path), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, path);
        opened->run(kReadProbe);
    }
    return opened;
}

void SqliteConnection::close() {
    session_.reset();
}

long SqliteConnection::state() {
    return session_ ? adStateOpen : adStateClosed;
}

const std::shared_ptr<Session>& SqliteConnection::session() {
    if (!session_) {
        raise(*errors_, hr::kObjectClosed, "Operation is not allowed when the object is closed.");
    }
    return session_;
}

void SqliteConnection::execute(const std::string& sql, long) {
    Session& s = *session();
    const Shape shape = shapeOf(sql);
    if (shape.shared) {
        sqlite3_stmt* stmt = nullptr;
        try {
            stmt = s.shared(shape.text);
        } catch (const ComError&) {
            stmt = nullptr;  // run as written below, so the error names the real text
        }
        if (stmt != nullptr && bindLiterals(stmt, shape.literals)) {
            int rc = SQLITE_ROW;
            while (rc == SQLITE_ROW) {
                rc = sqlite3_step(stmt);
            }
            sqlite3_reset(stmt);
            if (rc != SQLITE_DONE) {
                s.fail(rc, "");
            }
            return;
        }
    }
    Statement stmt = s.prepare(sql);
    int rc = SQLITE_ROW;
    while (rc == SQLITE_ROW) {
        rc = sqlite3_step(stmt.get());
    }
    stmt.reset();
    if (rc != SQLITE_DONE) {
        s.fail(rc, "");
    }
}

bool SqliteConnection::endLostLevel(Session& s) {
    if (s.transactionLevel == 0) {
        raise(*errors_, hr::kEngine, "No transaction is active.");
    }
    if (!s.transactionLost && sqlite3_get_autocommit(s.db()) == 0) {
        return false;
    }
    s.transactionLost = --s.transactionLevel > 0;
    return true;
}

long SqliteConnection::beginTrans() {
    Session& s = *session();
    s.requireTransactionKept();
    const long level = s.transactionLevel + 1;
    s.restartLockWait();
    s.run(level == 1 ? "BEGIN IMMEDIATE" : SavepointStatement("SAVEPOINT", level).text);
    s.transactionLevel = level;
    return level;
}

HRESULT SqliteConnection::commitTrans() {
    Session& s = *session();
    if (endLostLevel(s)) {
        raise(*errors_, hr::kEngine,
              "the transaction was rolled back after an error: nothing in it was written",
              SQLITE_ABORT);
    }
    const long level = s.transactionLevel;
    s.restartLockWait();
    try {
        s.run(level == 1 ? "COMMIT" : SavepointStatement("RELEASE", level).text);
    } catch (const ComError& e) {
        // A commit another connection's lock stopped leaves the level open:
        // kept, it would take in what its caller did next, begun as a level
        // within it. Every failed commit ends its level, as the caller is told.
        const long native = errors_->items.empty() ? 0 : errors_->items.front().nativeError;
        endFailedLevel(s);
        raise(*errors_, e.code(),
              e.description() + "; it was rolled back: nothing of it was written", native);
    } catch (...) {
        endFailedLevel(s);  // memory ran short in the telling of the failure
        throw;
    }
    s.transactionLevel = level - 1;
    return hr::kOk;
}

void SqliteConnection::endFailedLevel(Session& s) noexcept {
    try {
        rollbackTrans();
    } catch (...) {
        s.abandonTransaction();
    }
}

HRESULT SqliteConnection::rollbackTrans() {
    Session& s = *session();
    if (endLostLevel(s)) {
        return hr::kOk;  // the engine has rolled it back already
    }
    // Should the savepoint's statements fail (memory short), the outer
    // levels go with it: a level left open would be ended by the host's
    // commit in its stead, and the work that failed committed.
    const long level = s.transactionLevel;
    s.transactionLevel = level - 1;
    if (level == 1 || !s.tries(SavepointStatement("ROLLBACK TO", level).text) ||
        !s.tries(SavepointStatement("RELEASE", level).text)) {
        s.abandonTransaction();
        s.transactionLost = level > 1;
    }
    return hr::kOk;
}

std::vector<ErrorInfo> SqliteConnection::errors() {
    return errors_->items;
}

void SqliteConnection::defineRowTest(const std::string& name, int arity, RowTest test) {
    session()->defineRowTest(name, arity, std::move(test));
}

}  // namespace vornel::engine
