// Every public operation with memory running out at one of its allocations,
// each of the first 128 in turn and every thirteenth after, once or from
// then on, and the engine's own from then on as well (more thinly): the
// call returns a status, never an exception; a call that fails says memory
// ran short, and has changed nothing in the file (but the bulk updates,
// which write block by block);
// and the same call on the same manager then does what it would have done.
// Nor is a progress window or a transaction left open.
#include <gtest/gtest.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <set>
#include <utility>

#include "reliability/Harness.h"
#include "support/Allocations.h"
#include "vornel/Hooks.h"

namespace vornel::test {
namespace {

class MemoryFailureTest : public ::testing::Test {
protected:
    void SetUp() override {
        model = dir.file("model.mdb");
        work = dir.file("work.mdb");
        made = dir.file("made.mdb");
        CVornelMng writer;
        ASSERT_EQ(writeModelFile(writer, model, kSmallBatch), "");
        writer.clearDatabase();
        original = snapshotOf(model);
        long* open = &windows;
        setProgressSink({[open](const std::string&, const std::string&) { ++*open; }, nullptr,
                         [open] { --*open; }});
    }

    void TearDown() override { setProgressSink({}); }

    // A manager on a copy of the model as it was.
    void connectFresh(CVornelMng& m) {
        std::filesystem::copy_file(model, work, std::filesystem::copy_options::overwrite_existing);
        ASSERT_EQ(m.connectDatabase(work), 1) << m.lastError();
        freshArguments();
    }

    // The paths the file operations take, copied before the allocations are
    // counted: their copies into the call's arguments are the caller's.
    void freshArguments() {
        std::remove(made.c_str());
        workArgument = work;
        madeArgument = made;
    }

    void failEachAllocation(const Call& call, bool onward, bool engineToo);

    std::vector<Call> calls() {
        static KrigBlockParam run = runOf("more", "Ag", "T3", kVoidTable);
        static KrigBlockVrgParam structure;
        structure.MineID = 1;
        std::vector<Call> all = callsNaming(kBlockTable, batch);
        const std::vector<Call> numbering = callsNumbering(blockId(kSmallBatch, 1));
        all.insert(all.end(), numbering.begin(), numbering.end());
        std::string* workPath = &workArgument;
        std::string* madePath = &madeArgument;
        all.insert(all.end(),
                   {CALL_ROW("connectDatabase", m.connectDatabase(std::move(*workPath))),
                    CALL_ROW("createDatabase", m.createDatabase(std::move(*madePath))),
                    CALL_ROW("compactDatabase", m.compactDatabase(std::move(*workPath))),
                    CALL_ROW("initDataBase", m.initDataBase()),
                    CALL_ROW("insertIntoBlockParam", m.insertIntoBlockParam(&run, 1, o.ids)),
                    CALL_ROW("insertIntoBlockVrgParam", m.insertIntoBlockVrgParam(&structure, 1)),
                    CALL_ROW("getAllVoidTblName", m.getAllVoidTblName(o.names)),
                    CALL_ROW("getAllKrigTblName", m.getAllKrigTblName(o.names)),
                    CALL_ROW("getAllTblName", m.getAllTblName(o.tables)),
                    CALL_ROW("getNextMineID", m.getNextMineID(o.id)),
                    CALL_ROW("a transaction", m.beginTransact() &&
                                                  m.modifyResTypeByID(kBlockTable, 1, "x") &&
                                                  m.endTransact(Commit))});
        return all;
    }

    TempDir dir;
    std::string model, work, made, workArgument, madeArgument;
    Snapshot original;
    // Progress windows started and not ended.
    long windows = 0;
    Batch batch{kSmallBatch, 7};
};

// Runs the call with its allocations failing in turn, once or `onward`,
// the engine's own among them or not; onward, inside a transaction of the
// host's, which the call must leave as it found it.
void MemoryFailureTest::failEachAllocation(const Call& call, bool onward, bool engineToo) {
    static const std::set<std::string> blockByBlock = {"modifyResultAtts", "modifyResType"};
    // These close the database, and the host's transaction with it.
    static const std::set<std::string> ownTransaction = {"connectDatabase", "createDatabase",
                                                         "compactDatabase", "a transaction"};
    const bool hostTransaction = onward && ownTransaction.count(call.what) == 0;
    SCOPED_TRACE(call.what + (onward ? ", memory short from then on" : ", memory short once") +
                 (engineToo ? ", the engine's too" : ""));
    long expected = 0;
    Snapshot done;
    {
        CVornelMng m;
        connectFresh(m);
        expected = call.run(m);
        m.clearDatabase();
        done = snapshotOf(work);
    }
    long failures = 0;
    // Past the set-up, the allocations repeat block by block. The engine
    // makes many more, most of them alike, and is sampled more thinly.
    const long each = engineToo ? 64 : 128;
    const long then = engineToo ? 31 : 13;
    for (long nth = 1;; nth += nth < each ? 1 : then) {
        ASSERT_LT(nth, 100000) << "the call never got through";
        CVornelMng m;
        connectFresh(m);
        ASSERT_TRUE(!hostTransaction || m.beginTransact() == 1) << m.lastError();
        long status = -1;
        bool failed = false;
        try {
            const FailingAllocation failing(nth, onward, engineToo);
            status = call.run(m);
            failed = failing.failed();
        } catch (const std::exception& e) {
            ADD_FAILURE() << "allocation " << nth << " threw " << e.what();
            continue;
        }
        SCOPED_TRACE("allocation " + std::to_string(nth));
        const std::string why = m.lastError();
        // As a host would, when its transaction's change has failed.
        if (call.what == "a transaction" && status == 0) {
            m.endTransact(Rollback);
        }
        EXPECT_EQ(windows, 0) << "a progress window left open, or ended unstarted";
        windows = 0;
        if (hostTransaction) {
            // The engine rolls back the whole transaction where one of its
            // statements runs out of the engine's memory; the host's commit
            // then says so, and nothing of the transaction is written.
            const long committed = m.endTransact(Commit);
            if (committed == 0 && engineToo) {
                EXPECT_NE(m.lastError().find("rolled back"), std::string::npos) << m.lastError();
                EXPECT_EQ(changedTables(original, snapshotOf(work)), "");
            } else {
                EXPECT_EQ(committed, 1) << m.lastError();
            }
            EXPECT_EQ(m.endTransact(Commit), 0) << "the call left a transaction open";
        }
        if (!failed) {
            EXPECT_EQ(status, expected) << why;
            break;
        }
        // A trace line that could not be made is lost, and the call goes on.
        if (status != expected) {
            ++failures;
            EXPECT_EQ(status, 0);
            EXPECT_FALSE(why.empty());
            EXPECT_NE(why.find("memory"), std::string::npos) << why;
            if (blockByBlock.count(call.what) == 0) {
                EXPECT_EQ(changedTables(original, snapshotOf(work)), "") << why;
            }
            // Nor is a file it made left behind.
            EXPECT_FALSE(fileExists(made));
            EXPECT_FALSE(fileExists(compactionCopyPath(work)));
            freshArguments();
            EXPECT_EQ(call.run(m), expected) << m.lastError();
        }
        m.clearDatabase();
        EXPECT_EQ(changedTables(done, snapshotOf(work)), "");
    }
    // A call that fails anyway (of a block that is not there, say) fails
    // the same for want of memory.
    EXPECT_TRUE(failures > 0 || expected == 0);
}

TEST_F(MemoryFailureTest, EveryCallGivesAStatusAndLeavesNothingHalfDone) {
    for (const Call& call : calls()) {
        failEachAllocation(call, false, false);
        failEachAllocation(call, true, false);
        failEachAllocation(call, true, true);
    }
}

}  // namespace
}  // namespace vornel::test
