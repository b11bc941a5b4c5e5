// One open SQLite database handle, shared by the connection that opened it
// and the recordsets opened on it; the handle closes when the last of them
// lets go, so closing a connection never strands a recordset.
#ifndef VORNEL_ENGINE_SQLITESESSION_H
#define VORNEL_ENGINE_SQLITESESSION_H

#include <sqlite3.h>
#include <sys/types.h>

#include <list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/Engine.h"

namespace vornel::engine {

// The error list of a connection, kept apart from the handle so that it
// outlives it: a failed open still has errors to report.
struct ErrorList {
    std::vector<ErrorInfo> items;
};

// A compiled statement that ends with its owner: a handle closed while one
// of its statements lives stays open, with its locks, until that one ends.
struct Finalize {
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalize>;

// Why a connection to a file this user may write is read-only, to follow a
// failure: " (this user cannot write '...-shm', left by another user who
// read the database: ...)", a log or its index that SQLite opened
// read-only, or a folder where no log can be made. Empty when neither is
// the cause.
std::string readOnlyCause(sqlite3* db);

class Session {
public:
    // A session without a handle yet: made before the file is opened, so
    // that a handle never lies open with nothing to close it.
    explicit Session(std::shared_ptr<ErrorList> errors);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // sqlite3_open_v2 into this session, which closes the handle it gets
    // even when the open fails.
    int open(const std::string& name, int flags);
    // Whether another session of the process has the file open. Another
    // program's idle connection to a file with a rollback journal holds no
    // lock that shows; one of this process is known all the same.
    bool sharesFile() const;
    sqlite3* db() const { return db_; }
    ErrorList& errors() { return *errors_; }

    // Compiles one statement of the library's dialect. Text after the first
    // statement (other than blanks and comments) is refused, and so is a
    // parameter: nothing would give it a value.
    Statement prepare(std::string_view statement);
    // Runs a statement written for SQLite itself, to completion.
    void run(const char* sql);
    // run(), saying whether it succeeded instead of throwing.
    bool tries(const char* sql) noexcept;
    // A compiled statement for a shape of the library's dialect, kept for
    // the next statement of the same shape. The session owns it.
    sqlite3_stmt* shared(const std::string& shape);

    // Connection::defineRowTest, on this handle.
    void defineRowTest(const std::string& name, int arity, RowTest test);

    // Records the engine's failure `rc` under `what` and throws it.
    [[noreturn]] void fail(int rc, const std::string& what);

    // Throws while the transaction is lost (below), or its rollback owed.
    void requireTransactionKept();

    // Rolls back the engine's whole transaction, by a statement compiled
    // when the handle opened, so that it seldom needs memory. Where it
    // cannot, the rollback is owed: tried again before the next statement,
    // which is refused until it succeeds, and done at the latest when the
    // handle closes. The transaction is never committed.
    void abandonTransaction() noexcept;

    // Waits for another connection's lock up to `milliseconds`: once for
    // each statement outside a transaction, and once in all within a level
    // of one, where a write may meet the lock again and again (with a
    // rollback journal, at each page it writes past the cache).
    void waitForLocks(long long milliseconds);
    // A level of transaction begins: its wait starts anew.
    void restartLockWait() { lockWaited_ = 0; }

    // Nesting depth of the transactions begun through the connection.
    long transactionLevel = 0;
    // Set when the engine has rolled the transaction back by itself after
    // an error (disk full, I/O, memory), or the library has: until every
    // level has been ended, each statement is refused, or it would commit
    // on its own.
    bool transactionLost = false;

private:
    static int onBusy(void* session, int attempt);

    // prepare() without the parameter check, for the shapes that bind their values.
    Statement compile(std::string_view statement);

    sqlite3* db_ = nullptr;
    std::shared_ptr<ErrorList> errors_;
    Statement rollback_;
    bool rollbackOwed_ = false;
    long long lockTimeout_ = 0;  // milliseconds
    long long lockWaited_ = 0;
    std::optional<std::pair<dev_t, ino_t>> file_;  // as opened
    // Most recently used first; a few shapes repeat in any bulk operation.
    std::list<std::pair<std::string, Statement>> shapes_;
    // The handle calls each row test through its slot here, so that
    // defining it again never meets SQLite's refusal to replace a function
    // while a statement runs.
    std::map<std::pair<std::string, int>, std::unique_ptr<RowTest>> rowTests_;
};

// Records a failure in an error list and throws it.
[[noreturn]] void raise(ErrorList& errors, HRESULT code, const std::string& description,
                        long native = 0);

// Refuses a path that names no file, or something other than a regular
// file: the first read of a named pipe would wait for a writer for good, and
// SQLite would make a device's journal beside it, outside any model's folder.
// Refuses an Access database too, naming the command that converts it.
void requireDatabaseFile(ErrorList& errors, const std::string& path);

// Reads the first `size` bytes of the file at `path` into `head`; false when
// it cannot be opened or is shorter. The file is read through SQLite's own
// file layer: a descriptor of it opened and closed elsewhere in the process
// would drop every lock the process's connections hold on it, and another
// program could then take the file, or reset its write-ahead log, from under
// them.
bool readFileHead(const std::string& path, unsigned char* head, int size);

// Raises when a database lies where SQLite keeps the log of the one at
// `path` ("-wal", "-journal") or, `withIndex`, the log's index ("-shm"):
// SQLite would take it for its own and delete it. The index is looked at
// only where no connection can hold it, before the database is made: a
// look would drop the locks held on it.
void refuseDatabasesBeside(ErrorList& errors, const std::string& path, bool withIndex);

// " (its full path is N bytes long, ...)" when the engine cannot open the
// file at `path` for the length of its full path, with room for the
// journal's name beside it; empty otherwise.
std::string fullPathTooLong(const std::string& path);

// The name to hand SQLite for a file: it would read one that begins with
// "file:" as a URI naming another file, and ":memory:" as no file at all;
// "./" keeps it the file's name.
std::string sqliteFileName(const std::string& path);

// Marks a file as a block-model database made by this library ("VORN"),
// for tools that look, and for the connection (it switches only such files
// to its journal).
constexpr int kApplicationId = 1448038990;

// The statement text SQLite keeps for a statement, without trailing blanks
// and semicolons.
std::string statementText(sqlite3_stmt* stmt);

}  // namespace vornel::engine

#endif
