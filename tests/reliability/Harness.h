// What the reliability tests share. Both programs: the blocks they write,
// made from a batch number alone, so that a process that checks a file knows
// what each batch it finds must hold without asking the one that wrote it
// (Workload.cpp). The test process: the other process (Child.cpp) under
// watch, the database file as SQLite alone reads it, and the public
// operations as tables of calls (Harness.cpp).
#ifndef VORNEL_TESTS_RELIABILITY_HARNESS_H
#define VORNEL_TESTS_RELIABILITY_HARNESS_H

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/Shell.h"
#include "support/TempDir.h"
#include "vornel/VornelMng.h"

namespace vornel::test {

inline constexpr const char kBlockTable[] = "T1";
inline constexpr const char kVoidTable[] = "V1";

// Between 100 and 2999 blocks: some batches are large.
int32_t batchSize(int32_t batch);

// A batch of only 101 blocks, for tests that read the file often.
inline constexpr int32_t kSmallBatch = 479;

// Unique in the table, so an update by block identifier reaches one block.
inline int32_t blockId(int32_t batch, int32_t index) {
    return batch * 10000 + index + 1;
}

// Block `index` of a batch (its MineID is the batch number) sits at
// (index, batch, 0) in a unit box, split into index % 3 slabs along Y.
// Its attribute is batch * 1000 + index; its Ore_Propro the generation.
class Batch {
public:
    explicit Batch(int32_t batch, int32_t generation = 0);
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

    KrigBlockResult* blocks() { return blocks_.data(); }
    long count() const { return static_cast<long>(blocks_.size()); }

private:
    std::vector<KrigBlockResult> blocks_;
    std::vector<D_3DOT> centres_;
    std::vector<D_3DOT> sizes_;
};

// Inserts a batch of generation 0 into kBlockTable.
long insertBatch(CVornelMng& mng, int32_t batch);

// A run row of KrigBlock_Param.
KrigBlockParam runOf(const std::string& name, const char* element, const char* table,
                     const char* voidTable);

// Writes through `mng`, which stays connected to it, a model file with
// something in every kind of table: two runs and a registered void table in
// KrigBlock_Param (MineIDs 1 to 3), the variogram structures of run 1, one
// batch in T1 and void blocks in V1. Empty when every call succeeded,
// otherwise the first failure.
std::string writeModelFile(CVornelMng& mng, const std::string& path, int32_t batch = 1);

// The child program (its mode first in `args`), its stdout read line by
// line and its stdin held open. Going out of scope kills and reaps it, so
// no test leaves a process behind.
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& args);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line of output, waiting at most `timeout`. False when the
    // output ended or nothing came in time.
    bool readLine(std::string& line, std::chrono::milliseconds timeout);
    // The next line, waiting up to 20 seconds; empty if none came.
    std::string nextLine();
    // Writes a line to the child's stdin.
    void sendLine(const std::string& line);
    // Lets a holding child go.
    void closeInput();
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

// The tables (other than `spared`) that only one of `before` and `after`
// has, or that they hold differently; empty when none.
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

// Fresh places for every kind of answer, one set per call, which frees the
// sub-blocks a one-row read hands its caller.
struct Outputs {
    Outputs() = default;
    ~Outputs() {
        delete[] block.SubBUD_PntLoc;
        delete[] block.SubBUD_GridSize;
        delete[] voidBlock.SubBUD_PntLoc;
        delete[] voidBlock.SubBUD_GridSize;
    }
    Outputs(const Outputs&) = delete;
    Outputs& operator=(const Outputs&) = delete;

    KrigBlockParam* params = nullptr;
    KrigBlockVrgParam* structures = nullptr;
    KrigBlockResult* blocks = nullptr;
    KrigBlockVoid* voids = nullptr;
    long count = 0, id = 0;
    int exists = 7;
    std::vector<long> ids;
    std::vector<_STRU_MINE_NAMEINFO> names;
    std::vector<std::string> tables;
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
