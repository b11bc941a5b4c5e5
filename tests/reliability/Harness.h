// What the reliability tests share in the test process: the other process
// (Child.cpp) under watch, the database file as SQLite alone reads it, and
// the public operations as tables of calls.
#ifndef VORNEL_TESTS_RELIABILITY_HARNESS_H
#define VORNEL_TESTS_RELIABILITY_HARNESS_H

#include <sys/types.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "reliability/Workload.h"
#include "vornel/VornelMng.h"

namespace vornel::test {

// The child program, started with its stdout read line by line and its
// stdin held open. Going out of scope kills and reaps it, so no test leaves
// a process behind.
class ChildProcess {
public:
    // Runs the child program with these arguments (the mode first).
    explicit ChildProcess(const std::vector<std::string>& args);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line of output, waiting at most `timeout`. False when the
    // output ended or nothing came in time.
    bool readLine(std::string& line, std::chrono::milliseconds timeout);
    // Lets a holding child go.
    void closeInput();
    // SIGKILL, at once.
    void kill();
    // Reaps the child, waiting at most `timeout`: its exit code, 128 plus
    // the signal that ended it, or -1 if it is still running.
    int wait(std::chrono::milliseconds timeout);

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int in_ = -1;
    std::string pending_;
};

// The long runs: VORNEL_LONG set to anything but 0 (`./run test --long`,
// `./run fuzz --long`) makes the reliability tests repeat far more.
inline bool longRun() {
    const char* v = std::getenv("VORNEL_LONG");
    return v != nullptr && *v != '\0' && std::strcmp(v, "0") != 0;
}

// Every row of a query on the file, read by SQLite alone: each value as its
// bytes, NULL as "NULL". Throws the engine's message if the query fails.
using Rows = std::vector<std::vector<std::string>>;
Rows rowsOf(const std::string& path, const std::string& sql);

// Every table of a file, as text: table name to its definition, indexes and
// rows. What the tests compare to show that a call changed nothing it was
// not asked to change.
using Snapshot = std::map<std::string, std::string>;
Snapshot snapshotOf(const std::string& path);

// The tables of `before` (other than `spared`) that `after` lacks or holds
// differently; empty when none.
std::string changedTables(const Snapshot& before, const Snapshot& after,
                          const std::string& spared = {});

struct Call {
    std::string what;
    std::function<long(CVornelMng&)> run;
};

// Each operation that takes a name (of a table, a run's element or a result
// type), given `name`; writes take `batch`.
std::vector<Call> callsNaming(const std::string& name, Batch& batch);

// Each operation that takes a MineID or block identifier, given `id`.
std::vector<Call> callsNumbering(long id);

// Fresh places for every kind of answer, one set per call.
struct Outputs {
    KrigBlockParam* params = nullptr;
    KrigBlockVrgParam* structures = nullptr;
    KrigBlockResult* blocks = nullptr;
    KrigBlockVoid* voids = nullptr;
    long count = 0, id = 0;
    int exists = 7;
    std::vector<long> ids;
    std::vector<_STRU_MINE_NAMEINFO> names;
    KrigBlockResult block;
    KrigBlockVoid voidBlock;
    double stats[4] = {};
    D_3DOT high{}, low{};
};

}  // namespace vornel::test

// One row of a table of calls: `expr` runs on the manager `m` with fresh
// outputs `o`, holding copies of what the table's function had.
#define CALL_ROW(what, expr)                \
    ::vornel::test::Call {                  \
        what, [=](CVornelMng& m) {          \
            ::vornel::test::Outputs o;      \
            return static_cast<long>(expr); \
        }                                   \
    }

#endif
