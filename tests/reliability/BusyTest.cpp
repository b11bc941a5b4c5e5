// Another process holds the database's lock longer than the busy timeout:
// every write gives status 0 within a bounded time, lastError() says the
// database is busy, and nothing is changed; reads go on beside it.
// VORNEL_BUSY_TIMEOUT_MS shortens the wait to 100 ms but in the one test
// that shows the default.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>

#include "reliability/Harness.h"
#include "support/Shell.h"
#include "support/TempDir.h"

namespace vornel::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

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
        EXPECT_TRUE(child->readLine(line, 20s) && line == "held") << line;
        return child;
    }

    TempDir dir;
    std::string path;
    CVornelMng mng;
};

TEST_F(BusyTest, EveryWriteFailsAsBusyAndChangesNothingWhileReadsGoOn) {
    Batch batch(2, 7);
    std::vector<Call> calls = callsNaming(kBlockTable, batch);
    for (Call& call : callsNumbering(1)) {
        calls.push_back(call);
    }
    static KrigBlockParam run;
    static KrigBlockVrgParam structure;
    structure.MineID = 1;
    calls.push_back(CALL_ROW("initDataBase", m.initDataBase()));
    calls.push_back(CALL_ROW("beginTransact", m.beginTransact()));
    calls.push_back(CALL_ROW("insertIntoBlockParam", m.insertIntoBlockParam(&run, 1, o.ids)));
    calls.push_back(CALL_ROW("insertIntoBlockVrgParam", m.insertIntoBlockVrgParam(&structure, 1)));
    const Snapshot before = snapshotOf(path);
    {
        auto child = holder("hold");
        for (const Call& call : calls) {
            SCOPED_TRACE(call.what);
            const auto start = Clock::now();
            const long status = call.run(mng);
            EXPECT_LT(Clock::now() - start, 5s);
            // Reads are the lookups: get..., isExistTbl.
            if (call.what.rfind("get", 0) == 0 || call.what.rfind("is", 0) == 0) {
                EXPECT_FALSE(status == 0 && contains(mng.lastError(), "busy")) << mng.lastError();
            } else {
                EXPECT_EQ(status, 0);
                EXPECT_TRUE(contains(mng.lastError(), "busy")) << mng.lastError();
            }
        }
        child->closeInput();
        EXPECT_EQ(child->wait(10s), 0);
    }
    mng.clearDatabase();
    EXPECT_EQ(changedTables(before, snapshotOf(path)), "");
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
    EXPECT_TRUE(contains(mng.lastError(), "busy")) << mng.lastError();
    EXPECT_EQ(mng.compactDatabase(path), 0);
    EXPECT_TRUE(contains(mng.lastError(), "open in another connection")) << mng.lastError();
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
    EXPECT_TRUE(contains(mng.lastError(), "busy")) << mng.lastError();
}

}  // namespace
}  // namespace vornel::test
