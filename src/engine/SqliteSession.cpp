#include "engine/SqliteSession.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <map>
#include <mutex>
#include <new>
#include <vector>

#include "engine/JetSql.h"

namespace vornel::engine {
namespace {

const char kSource[] = "Vornel SQLite engine";
constexpr size_t kSharedShapes = 16;

const char* sqlState(int rc) {
    switch (rc & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return "HYT00";
        case SQLITE_CONSTRAINT:
            return "23000";
        case SQLITE_MISMATCH:
        case SQLITE_TOOBIG:
        case SQLITE_RANGE:
            return "22000";
        case SQLITE_ERROR:
            return "42000";
        case SQLITE_CANTOPEN:
        case SQLITE_NOTADB:
            return "08001";
        case SQLITE_NOMEM:
            return "HY001";
        default:
            return "HY000";
    }
}

// True when only blanks, semicolons and comments remain.
bool onlyTrivia(const char* p) {
    while (*p != '\0') {
        if (std::isspace(static_cast<unsigned char>(*p)) || *p == ';') {
            ++p;
        } else if (p[0] == '-' && p[1] == '-') {
            while (*p != '\0' && *p != '\n') {
                ++p;
            }
        } else if (p[0] == '/' && p[1] == '*') {
            p += 2;
            while (*p != '\0' && !(p[0] == '*' && p[1] == '/')) {
                ++p;
            }
            p += *p != '\0' ? 2 : 0;
        } else {
            return false;
        }
    }
    return true;
}

void callRowTest(sqlite3_context* context, int argc, sqlite3_value** argv) {
    const RowTest& test = *static_cast<const RowTest*>(sqlite3_user_data(context));
    std::array<double, kMaxRowTestArguments> values{};
    for (int i = 0; i < argc; ++i) {
        values[static_cast<size_t>(i)] = sqlite3_value_type(argv[i]) == SQLITE_FLOAT
                                             ? sqlite3_value_double(argv[i])
                                             : std::nan("");
    }
    // Nothing may unwind through the engine's frames.
    try {
        sqlite3_result_int(context, test && test(values.data()) ? 1 : 0);
    } catch (const std::exception& e) {
        sqlite3_result_error(context, e.what(), -1);
    } catch (...) {
        sqlite3_result_error(context, "the row test failed", -1);
    }
}

// True when the file starts like an Access (Jet or ACE) database.
bool isAccessFile(const std::string& path) {
    static const char kJet[] = "\x00\x01\x00\x00Standard Jet DB";
    static const char kAce[] = "\x00\x01\x00\x00Standard ACE DB";
    unsigned char head[sizeof kJet - 1] = {};
    if (!readFileHead(path, head, sizeof head)) {
        return false;
    }
    return std::memcmp(head, kJet, sizeof head) == 0 || std::memcmp(head, kAce, sizeof head) == 0;
}

}  // namespace

bool readFileHead(const std::string& path, unsigned char* head, int size) {
    sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
    std::vector<std::max_align_t> space(
        (static_cast<size_t>(vfs->szOsFile) + sizeof(std::max_align_t) - 1) /
        sizeof(std::max_align_t));
    // A main database's name is followed by its (here no) URI parameters.
    sqlite3_filename name = sqlite3_create_filename(path.c_str(), "", "", 0, nullptr);
    auto* file = reinterpret_cast<sqlite3_file*>(space.data());
    int flags = 0;
    const int opened =
        name == nullptr
            ? SQLITE_NOMEM
            : vfs->xOpen(vfs, name, file, SQLITE_OPEN_READONLY | SQLITE_OPEN_MAIN_DB, &flags);
    // The file layer may need closing after a failed open, and keeps its
    // descriptor while the process holds locks on the file.
    const bool read =
        opened == SQLITE_OK && file->pMethods->xRead(file, head, size, 0) == SQLITE_OK;
    if (file->pMethods != nullptr) {
        file->pMethods->xClose(file);
    }
    sqlite3_free_filename(name);
    return read;
}

namespace {

[[noreturn]] void refuseDatabaseBeside(ErrorList& errors, const std::string& path,
                                       const char* suffix) {
    const std::string what = std::strcmp(suffix, "-shm") == 0 ? "its log's index" : "its log";
    raise(errors, hr::kFail,
          "'" + path + suffix + "' is a database of its own, where '" + path + "' keeps " + what +
              ": opening '" + path + "' would take it for " + what +
              " and delete it; rename it first");
}

}  // namespace

void refuseDatabasesBeside(ErrorList& errors, const std::string& path, bool withIndex) {
    static const char kDatabase[] = "SQLite format 3";  // with its NUL, 16 bytes
    for (const char* suffix : {"-wal", "-journal", "-shm"}) {
        unsigned char head[sizeof kDatabase] = {};
        if ((withIndex || std::strcmp(suffix, "-shm") != 0) &&
            readFileHead(path + suffix, head, sizeof head) &&
            std::memcmp(head, kDatabase, sizeof head) == 0) {
            refuseDatabaseBeside(errors, path, suffix);
        }
    }
}

std::string fullPathTooLong(const std::string& path) {
    std::error_code ec;
    const std::string full = std::filesystem::weakly_canonical(path, ec).string();
    const auto longest =
        static_cast<size_t>(sqlite3_vfs_find(nullptr)->mxPathname) - (sizeof "-journal" - 1);
    if (ec || full.size() <= longest) {
        return "";
    }
    return " (its full path is " + std::to_string(full.size()) +
           " bytes long, and the engine takes " + std::to_string(longest) +
           " at most: move the file, or shorten its folders' names)";
}

void raise(ErrorList& errors, HRESULT code, const std::string& description, long native) {
    errors.items.clear();
    errors.items.push_back(
        {description, native != 0 ? sqlState(static_cast<int>(native)) : "HY000", native, kSource});
    throw ComError(code, description);
}

void requireDatabaseFile(ErrorList& errors, const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        raise(errors, hr::kEngine, "Could not find file '" + path + "'.", SQLITE_CANTOPEN);
    }
    if (!S_ISREG(st.st_mode)) {
        raise(errors, hr::kEngine, "'" + path + "' is not a file that can hold a database.",
              SQLITE_CANTOPEN);
    }
    if (isAccessFile(path)) {
        raise(errors, hr::kEngine,
              "'" + path +
                  "' is an Access database, which this library does not read directly; "
                  "convert it with: vornel migrate '" +
                  path + "' NEW.db",
              SQLITE_NOTADB);
    }
}

std::string sqliteFileName(const std::string& path) {
    return path.rfind("file:", 0) == 0 || path == ":memory:" ? "./" + path : path;
}

namespace {

// The files the process's sessions have open, each with their number.
// Never destroyed: a host's manager may outlive the library's statics.
std::mutex openFilesMutex;
std::map<std::pair<dev_t, ino_t>, int>& openFiles() {
    static auto* files = new std::map<std::pair<dev_t, ino_t>, int>();
    return *files;
}

}  // namespace

Session::Session(std::shared_ptr<ErrorList> errors) : errors_(std::move(errors)) {}

int Session::open(const std::string& name, int flags) {
    const int rc = sqlite3_open_v2(name.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        return rc;
    }
    struct stat st {};
    if (::stat(name.c_str(), &st) == 0) {
        const std::lock_guard<std::mutex> lock(openFilesMutex);
        try {
            ++openFiles()[{st.st_dev, st.st_ino}];
        } catch (const std::bad_alloc&) {
            // Without a handle, the engine's words for the failure are
            // "out of memory".
            sqlite3_close_v2(db_);
            db_ = nullptr;
            return SQLITE_NOMEM;
        }
        file_ = {st.st_dev, st.st_ino};
    }
    sqlite3_stmt* compiled = nullptr;
    const int compiledRc = sqlite3_prepare_v2(db_, "ROLLBACK", -1, &compiled, nullptr);
    rollback_.reset(compiled);
    return compiledRc;
}

void Session::abandonTransaction() noexcept {
    if (sqlite3_get_autocommit(db_) == 0) {
        sqlite3_step(rollback_.get());
        sqlite3_reset(rollback_.get());
    }
    rollbackOwed_ = sqlite3_get_autocommit(db_) == 0;
}

void Session::defineRowTest(const std::string& name, int arity, RowTest test) {
    if (arity < 0 || arity > kMaxRowTestArguments) {
        raise(*errors_, hr::kInvalidArg,
              "a row test takes from 0 to " + std::to_string(kMaxRowTestArguments) + " arguments");
    }
    // SQLite knows a function by its name in any case of A to Z.
    std::string key = name;
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    std::unique_ptr<RowTest>& slot = rowTests_[{key, arity}];
    if (!slot) {
        auto made = std::make_unique<RowTest>();
        const int rc =
            sqlite3_create_function_v2(db_, name.c_str(), arity, SQLITE_UTF8 | SQLITE_DIRECTONLY,
                                       made.get(), callRowTest, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) {
            rowTests_.erase({key, arity});
            fail(rc, "cannot define " + name);
        }
        slot = std::move(made);
    }
    *slot = std::move(test);
}

void Session::waitForLocks(long long milliseconds) {
    lockTimeout_ = milliseconds;
    lockWaited_ = 0;
    sqlite3_busy_handler(db_, milliseconds > 0 ? onBusy : nullptr, this);
}

int Session::onBusy(void* session, int attempt) {
    static constexpr int kPauses[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 100};
    Session& s = *static_cast<Session*>(session);
    if (attempt == 0 && s.transactionLevel == 0) {
        s.lockWaited_ = 0;
    }
    const long long left = s.lockTimeout_ - s.lockWaited_;
    if (left <= 0) {
        return 0;
    }
    const size_t step = std::min(static_cast<size_t>(attempt), std::size(kPauses) - 1);
    const long long pause = std::min<long long>(kPauses[step], left);
    sqlite3_sleep(static_cast<int>(pause));
    s.lockWaited_ += pause;
    return 1;
}

bool Session::sharesFile() const {
    const std::lock_guard<std::mutex> lock(openFilesMutex);
    return file_ && openFiles().at(*file_) > 1;
}

Session::~Session() {
    if (file_) {
        const std::lock_guard<std::mutex> lock(openFilesMutex);
        const auto held = openFiles().find(*file_);
        if (--held->second == 0) {
            openFiles().erase(held);
        }
    }
    shapes_.clear();
    rollback_.reset();
    sqlite3_close_v2(db_);
}

sqlite3_stmt* Session::shared(const std::string& shape) {
    requireTransactionKept();
    const auto it = std::find_if(shapes_.begin(), shapes_.end(),
                                 [&](const auto& cached) { return cached.first == shape; });
    if (it != shapes_.end()) {
        shapes_.splice(shapes_.begin(), shapes_, it);
        return it->second.get();
    }
    shapes_.emplace_front(shape, compile(shape));
    if (shapes_.size() > kSharedShapes) {
        shapes_.pop_back();
    }
    return shapes_.front().second.get();
}

void Session::requireTransactionKept() {
    if (rollbackOwed_) {
        abandonTransaction();
    }
    if (rollbackOwed_) {
        raise(*errors_, hr::kEngine,
              "memory ran short, and the transaction that failed is not rolled back yet",
              SQLITE_NOMEM);
    }
    transactionLost = transactionLost || (transactionLevel > 0 && sqlite3_get_autocommit(db_) != 0);
    if (transactionLost) {
        raise(*errors_, hr::kEngine,
              "the transaction was rolled back after an error; end it before running more "
              "statements",
              SQLITE_ABORT);
    }
}

std::string readOnlyCause(sqlite3* db) {
    const char* file = sqlite3_db_filename(db, "main");
    if (file == nullptr || *file == '\0' || ::access(file, W_OK) != 0) {
        return "";
    }
    // Every write goes through a log or journal made beside the file.
    const std::string path(file);
    const std::string folder = path.substr(0, std::max<std::size_t>(path.rfind('/'), 1));
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        return " (this user cannot make files in the folder '" + folder +
               "', and a database is written through a log made beside it: copy the file to a "
               "folder this user may write)";
    }
    std::string locked;
    for (const char* suffix : {"-wal", "-shm"}) {
        const std::string log = std::string(file) + suffix;
        if (::access(log.c_str(), F_OK) == 0 && ::access(log.c_str(), W_OK) != 0) {
            locked += (locked.empty() ? "'" : " and '") + log + "'";
        }
    }
    return locked.empty() ? ""
                          : " (this user cannot write " + locked +
                                ", left by another user who read the database: once no one has "
                                "it open, that user or an administrator can delete them)";
}

void Session::fail(int rc, const std::string& what) {
    transactionLost = transactionLost || (transactionLevel > 0 && sqlite3_get_autocommit(db_) != 0);
    std::string description = what.empty() ? "" : what + ": ";
    description += sqlite3_errmsg(db_);
    if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED) {
        description += " (the database is busy: another connection holds its lock)";
    }
    // A host that ignores SIGXFSZ sees a write past its size limit fail,
    // as a write cut short, which the engine tells as an I/O error.
    rlimit fileSize{};
    if ((rc & 0xff) == SQLITE_IOERR && ::getrlimit(RLIMIT_FSIZE, &fileSize) == 0 &&
        fileSize.rlim_cur != RLIM_INFINITY) {
        description += " (this process may write files of at most " +
                       std::to_string(fileSize.rlim_cur) + " bytes: ulimit -f)";
    }
    if (rc == SQLITE_READONLY_DBMOVED) {
        description +=
            " (the file was replaced since this connection opened it, by another program's "
            "compaction say: connect again)";
    } else if ((rc & 0xff) == SQLITE_READONLY) {
        description += readOnlyCause(db_);
    }
    raise(*errors_, hr::kEngine, description, rc);
}

Statement Session::compile(std::string_view statement) {
    requireTransactionKept();
    const std::string sql = translateJet(statement);
    sqlite3_stmt* compiled = nullptr;
    const char* tail = nullptr;
    const int rc =
        sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size() + 1), &compiled, &tail);
    Statement stmt(compiled);
    if (rc != SQLITE_OK) {
        fail(rc, "");
    }
    if (stmt == nullptr) {
        raise(*errors_, hr::kEngine, "the statement is empty", SQLITE_ERROR);
    }
    if (!onlyTrivia(tail)) {
        raise(*errors_, hr::kEngine,
              "only one statement is allowed per call; text follows it: " + std::string(tail),
              SQLITE_ERROR);
    }
    return stmt;
}

Statement Session::prepare(std::string_view statement) {
    Statement stmt = compile(statement);
    // Left unbound, a parameter would read as NULL and the statement would
    // quietly match nothing.
    if (sqlite3_bind_parameter_count(stmt.get()) > 0) {
        const char* named = sqlite3_bind_parameter_name(stmt.get(), 1);
        const std::string name = named != nullptr ? named : "?";
        raise(*errors_, hr::kEngine, "no value is given for the parameter " + name, SQLITE_ERROR);
    }
    return stmt;
}

void Session::run(const char* sql) {
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        fail(rc, sql);
    }
}

bool Session::tries(const char* sql) noexcept {
    return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::string statementText(sqlite3_stmt* stmt) {
    std::string text = sqlite3_sql(stmt);
    while (!text.empty() &&
           (std::isspace(static_cast<unsigned char>(text.back())) || text.back() == ';')) {
        text.pop_back();
    }
    return text;
}

}  // namespace vornel::engine
