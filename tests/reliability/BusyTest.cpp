// Another process holds the database's lock longer than the busy timeout:
// every write gives status 0 within a bounded time, lastError() says the
// database is busy, and nothing is changed. Reads go on beside a writer.
// VORNEL_BUSY_TIMEOUT_MS shortens the wait to 100 ms but in the one test
// that shows the default.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <vector>

#include "reliability/ChildProcess.h"
#include "reliability/ModelFile.h"
#include "reliability/Snapshot.h"
#include "reliability/Workload.h"
#include "support/TempDir.h"
#include "vornel/VornelMng.h"

namespace vornel::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Call {
    const char* name;
    std::function<long(CVornelMng&, Batch&)> run;
};

const std::vector<Call>& writes() {
    static const std::vector<Call> calls = {
        {"insertIntoBlockResult",
         [](CVornelMng& m, Batch& b) {
             return m.insertIntoBlockResult(kBlockTable, b.blocks(), b.count());
         }},
        {"modifyResultAtts",
         [](CVornelMng& m, Batch& b) {
             return m.modifyResultAtts(kBlockTable, b.blocks(), b.count());
         }},
        {"modifyResType",
         [](CVornelMng& m, Batch& b) {
             return m.modifyResType(kBlockTable, b.blocks(), b.count());
         }},
        {"modifyResultAttByID",
         [](CVornelMng& m, Batch& b) {
             return m.modifyResultAttByID(kBlockTable, b.blocks()[0].Krig_BlockID, 1, 2, 3);
         }},
        {"modifyResTypeByID",
         [](CVornelMng& m, Batch& b) {
             return m.modifyResTypeByID(kBlockTable, b.blocks()[0].Krig_BlockID, "ore");
         }},
        {"insertIntoBlockVoid",
         [](CVornelMng& m, Batch&) {
             KrigBlockVoid v;
             return m.insertIntoBlockVoid(kVoidTable, &v, 1);
         }},
        {"insertIntoBlockParam",
         [](CVornelMng& m, Batch&) {
             KrigBlockParam p;
             std::vector<long> ids;
             return m.insertIntoBlockParam(&p, 1, ids);
         }},
        {"insertIntoBlockVrgParam",
         [](CVornelMng& m, Batch&) {
             KrigBlockVrgParam v;
             v.MineID = 1;
             return m.insertIntoBlockVrgParam(&v, 1);
         }},
        {"deleteBlockParam(MineID)", [](CVornelMng& m, Batch&) { return m.deleteBlockParam(1); }},
        {"deleteBlockParam(table)",
         [](CVornelMng& m, Batch&) { return m.deleteBlockParam(kBlockTable); }},
        {"deleteBlockVrgParam(MineID)",
         [](CVornelMng& m, Batch&) { return m.deleteBlockVrgParam(1); }},
        {"deleteBlockVrgParam(table)",
         [](CVornelMng& m, Batch&) { return m.deleteBlockVrgParam(kBlockTable); }},
        {"modifyKrigParamOreClasByID",
         [](CVornelMng& m, Batch&) { return m.modifyKrigParamOreClasByID(kBlockTable, 3); }},
        {"modifyKrigParamAttrUnitByID",
         [](CVornelMng& m, Batch&) { return m.modifyKrigParamAttrUnitByID(kBlockTable, 2); }},
        {"deleteBlock(table)", [](CVornelMng& m, Batch&) { return m.deleteBlock(kBlockTable); }},
        {"deleteBlock(table, MineID)",
         [](CVornelMng& m, Batch&) { return m.deleteBlock(kBlockTable, 1); }},
        {"deleteBlockByID",
         [](CVornelMng& m, Batch&) { return m.deleteBlockByID(kBlockTable, 1); }},
        {"deleteBlockNotTbl",
         [](CVornelMng& m, Batch&) { return m.deleteBlockNotTbl(kBlockTable); }},
        {"createBlockResultTbl",
         [](CVornelMng& m, Batch&) { return m.createBlockResultTbl("T9"); }},
        {"createBlockVoidTbl", [](CVornelMng& m, Batch&) { return m.createBlockVoidTbl("V9"); }},
        {"dropTable", [](CVornelMng& m, Batch&) { return m.dropTable(kBlockTable); }},
        {"initDataBase", [](CVornelMng& m, Batch&) { return m.initDataBase(); }},
        {"beginTransact", [](CVornelMng& m, Batch&) { return m.beginTransact(); }},
    };
    return calls;
}

const std::vector<Call>& reads() {
    static const std::vector<Call> calls = {
        {"getBlockResult",
         [](CVornelMng& m, Batch&) {
             KrigBlockResult* blocks = nullptr;
             long count = 0;
             return m.getBlockResult(kBlockTable, &blocks, &count);
         }},
        {"getCutBlockResult",
         [](CVornelMng& m, Batch&) {
             D_3DOT corners[4] = {{5, -10, -10}, {5, 10, -10}, {5, 10, 10}, {5, -10, 10}};
             KrigBlockResult* blocks = nullptr;
             long count = 0;
             return m.getCutBlockResult(kBlockTable, corners, &blocks, &count);
         }},
        {"getBlockParam",
         [](CVornelMng& m, Batch&) {
             KrigBlockParam* runs = nullptr;
             long count = 0;
             return m.getBlockParam(1, &runs, &count);
         }},
        {"getAllKrigTblName",
         [](CVornelMng& m, Batch&) {
             std::vector<_STRU_MINE_NAMEINFO> names;
             return m.getAllKrigTblName(names);
         }},
        {"getStatResult",
         [](CVornelMng& m, Batch&) {
             double v[4];
             return m.getStatResult(kBlockTable, v[0], v[1], v[2], v[3]);
         }},
    };
    return calls;
}

bool says(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

class BusyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("VORNEL_BUSY_TIMEOUT_MS", "100", 1);
        path = dir.file("model.mdb");
        ASSERT_EQ(writeModelFile(mng, path), "");
    }
    void TearDown() override { ::unsetenv("VORNEL_BUSY_TIMEOUT_MS"); }

    // A child that holds the lock: "hold" (a write transaction) or "lock"
    // (the whole file, readers too).
    std::unique_ptr<ChildProcess> holder(const char* how) {
        auto child = std::make_unique<ChildProcess>(std::vector<std::string>{how, path});
        std::string line;
        EXPECT_TRUE(awaitLine(*child, "held", 20s, line)) << line;
        return child;
    }

    // Runs the call, which must fail as busy well within a bound of the
    // timeout, however much work it was given.
    void expectBusy(const Call& call, CVornelMng& m, Batch& batch) {
        SCOPED_TRACE(call.name);
        const auto start = Clock::now();
        EXPECT_EQ(call.run(m, batch), 0);
        EXPECT_LT(Clock::now() - start, 5s);
        EXPECT_TRUE(says(m.lastError(), "busy")) << m.lastError();
    }

    TempDir dir;
    std::string path;
    CVornelMng mng;
};

TEST_F(BusyTest, EveryWriteFailsAsBusyAndChangesNothing) {
    const Snapshot before = snapshotOf(path);
    Batch batch(2);
    batch.setGeneration(7);
    {
        auto child = holder("hold");
        for (const Call& call : writes()) {
            expectBusy(call, mng, batch);
        }
        child->closeInput();
        EXPECT_EQ(child->wait(10s), 0);
    }
    mng.clearDatabase();
    EXPECT_EQ(changedTables(before, snapshotOf(path)), "");
}

TEST_F(BusyTest, ReadsGoOnWhileAnotherProcessWrites) {
    Batch batch(1);
    auto child = holder("hold");
    for (const Call& call : reads()) {
        SCOPED_TRACE(call.name);
        EXPECT_EQ(call.run(mng, batch), 1) << mng.lastError();
    }
}

// In WAL mode nothing keeps a reader out once it is connected; a process
// that took the file exclusively while no one else had it open keeps out
// new connections.
TEST_F(BusyTest, AFileHeldExclusivelyRefusesConnections) {
    mng.clearDatabase();
    auto child = holder("lock");
    const auto start = Clock::now();
    EXPECT_EQ(mng.connectDatabase(path), 0);
    EXPECT_LT(Clock::now() - start, 5s);
    EXPECT_TRUE(says(mng.lastError(), "busy")) << mng.lastError();
    EXPECT_EQ(mng.compactDatabase(path), 0);
    EXPECT_TRUE(says(mng.lastError(), "open in another connection")) << mng.lastError();
}

TEST_F(BusyTest, TheDefaultTimeoutWaitsFiveSecondsThenFails) {
    ::unsetenv("VORNEL_BUSY_TIMEOUT_MS");
    ASSERT_EQ(mng.connectDatabase(path), 1) << mng.lastError();
    Batch batch(2);
    auto child = holder("hold");
    const auto start = Clock::now();
    EXPECT_EQ(mng.insertIntoBlockResult(kBlockTable, batch.blocks(), batch.count()), 0);
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, 4500ms);
    EXPECT_LT(waited, 15s);
    EXPECT_TRUE(says(mng.lastError(), "busy")) << mng.lastError();
}

}  // namespace
}  // namespace vornel::test
