// Reads that run out of memory: the call says so, keeps nothing it read
// (the leak checker of the sanitizer build sees the sub-block arrays), and
// the same read goes through once memory is there again.
#include <cstring>
#include <string>
#include <thread>

#include "store/BlockFixture.h"
#include "support/Allocations.h"

namespace vornel::test {
namespace {

using OutOfMemoryTest = BlockTest;

TEST_F(OutOfMemoryTest, AReadThatCannotHoldItsBlocksFailsAndTheNextOneGoesThrough) {
    // 3000 blocks in a row along X, every third with two sub-blocks, all of
    // them in the plan at Z = 0.
    constexpr long kBlocks = 3000;
    std::vector<KrigBlockResult> many;
    for (int i = 1; i <= kBlocks; ++i) {
        many.push_back(block(i, 10.0 * i, 0, 0, i % 3 == 0 ? 2 : 0));
    }
    ASSERT_EQ(mng.insertIntoBlockResult("T1", many.data(), kBlocks), 1) << mng.lastError();
    D_3DOT plan[4] = {{0, -10, 0}, {40000, -10, 0}, {40000, 10, 0}, {0, 10, 0}};

    KrigBlockResult* blocks = nullptr;
    long count = 0;
    const auto readsAll = [&](long status) {
        return status == 1 && count == kBlocks && blocks[2].SubBUD_Num == 2 &&
               blocks[2].SubBUD_PntLoc[1].x == 32.5;
    };
    {
        const ShortOfMemory short_(64 * sizeof(KrigBlockResult));
        EXPECT_EQ(mng.getBlockResultByWhereSQL("T1", "Krig_BlockID > 0", &blocks, &count), 0);
        EXPECT_EQ(mng.lastError(), "cannot hold the rows in memory");
        EXPECT_EQ(mng.getBlockResult("T1", &blocks, &count), 0);
        EXPECT_EQ(mng.lastError(), "cannot hold the rows in memory");
        EXPECT_EQ(mng.getCutBlockResult("T1", plan, &blocks, &count), 0);
        EXPECT_EQ(mng.lastError(), "cannot hold the cut blocks in memory");
    }
    EXPECT_TRUE(readsAll(mng.getBlockResultByWhereSQL("T1", "Krig_BlockID > 0", &blocks, &count)))
        << mng.lastError();
    EXPECT_TRUE(readsAll(mng.getBlockResult("T1", &blocks, &count))) << mng.lastError();
    EXPECT_TRUE(readsAll(mng.getCutBlockResult("T1", plan, &blocks, &count))) << mng.lastError();
}

// Memory that runs out at any one allocation of a cut, or from one on, in
// its set-up as well as over its rows, in a thread's first cut: the call
// gives a status, never an exception, keeps nothing it made (the sanitizer
// build's leak checker sees the box surfaces), and the next cut goes through.
TEST_F(OutOfMemoryTest, ACutGivesAStatusWhereverMemoryRunsOut) {
    KrigBlockResult model[] = {block(1, 10, 0, 0), block(2, 20, 0, 0, 2), block(3, 500, 0, 0),
                               block(4, 30, 0, 0, 4)};
    ASSERT_EQ(mng.insertIntoBlockResult("T1", model, 4), 1) << mng.lastError();
    // The plan Z = 0 over X 0 to 40 cuts blocks 1, 2 and 4 and every
    // sub-block of them; block 3 lies beyond it.
    D_3DOT plan[4] = {{0, -10, 0}, {40, -10, 0}, {40, 10, 0}, {0, 10, 0}};
    KrigBlockResult* blocks = nullptr;
    long count = 0;
    const auto cutsRight = [&] {
        return count == 3 && blocks[0].Krig_BlockID == 1 && blocks[0].SubBUD_Num == 0 &&
               blocks[1].Krig_BlockID == 2 && blocks[1].SubBUD_Num == 2 &&
               blocks[2].Krig_BlockID == 4 && blocks[2].SubBUD_Num == 4;
    };
    for (const bool onward : {false, true}) {
        long failures = 0;
        for (long nth = 1;; ++nth) {
            ASSERT_LT(nth, 10000) << "the cut never got through";
            const std::string at = "allocation " + std::to_string(nth) + (onward ? " on" : "");
            // A manager of its own each time, whose texts have not grown yet.
            CVornelMng fresh;
            ASSERT_EQ(fresh.connectDatabase(path), 1);
            long status = -1;
            bool failed = false;
            std::thread([&] {
                const FailingAllocation failing(nth, onward);
                status = fresh.getCutBlockResult("T1", plan, &blocks, &count);
                failed = failing.failed();
            }).join();
            if (!failed) {
                ASSERT_EQ(status, 1) << fresh.lastError();
                EXPECT_TRUE(cutsRight());
                break;
            }
            // A trace line that could not be made is lost, and the cut goes on.
            if (status == 1) {
                EXPECT_TRUE(cutsRight()) << at;
            } else {
                EXPECT_EQ(status, 0) << at;
                EXPECT_FALSE(fresh.lastError().empty()) << at;
                ++failures;
            }
            ASSERT_EQ(fresh.getCutBlockResult("T1", plan, &blocks, &count), 1)
                << "after " << at << ": " << fresh.lastError();
            EXPECT_TRUE(cutsRight()) << "after " << at;
        }
        EXPECT_GT(failures, 0);
    }

    // Nor does a cut of a missing table whose failure cannot be told for
    // want of memory leave the manager at work for good.
    for (long nth = 1; nth < 60; ++nth) {
        CVornelMng fresh;
        ASSERT_EQ(fresh.connectDatabase(path), 1);
        {
            const FailingAllocation failing(nth);
            EXPECT_EQ(fresh.getCutBlockResult("Missing", plan, &blocks, &count), 0) << nth;
        }
        ASSERT_EQ(fresh.getBlockResult("T1", &blocks, &count), 1)
            << "after allocation " << nth << ": " << fresh.lastError();
    }
}

// A text that cannot be read for want of memory fails its read: it is never
// given as the last text read, which would pass for its own.
TEST_F(OutOfMemoryTest, ATextThatCannotBeReadFailsTheRead) {
    KrigBlockResult model[] = {block(1, 10, 0, 0), block(2, 20, 0, 0)};
    std::strcpy(model[0].Krig_ResType, "ResTypeOfBlock_001");
    std::strcpy(model[0].Krig_OreType, "OreTypeOfBlock_001");
    std::strcpy(model[1].Krig_ResType, "ResTypeOfBlock_002");
    std::strcpy(model[1].Krig_OreType, "OreTypeOfBlock_002");
    ASSERT_EQ(mng.insertIntoBlockResult("T1", model, 2), 1) << mng.lastError();
    ASSERT_EQ(insert(run("Cu", "TheFirstTableName1", "")), 1) << mng.lastError();
    ASSERT_EQ(insert(run("Au", "TheOtherTableName2", "")), 2) << mng.lastError();
    KrigBlockResult* blocks = nullptr;
    long count = 0;
    std::vector<_STRU_MINE_NAMEINFO> names;
    for (long nth = 1; nth < 200; ++nth) {
        long read = -1;
        long listed = -1;
        {
            const FailingAllocation failing(nth);
            read = mng.getBlockResult("T1", &blocks, &count);
        }
        if (read == 1) {
            ASSERT_EQ(count, 2) << nth;
            EXPECT_STREQ(blocks[0].Krig_OreType, "OreTypeOfBlock_001") << nth;
            EXPECT_STREQ(blocks[1].Krig_ResType, "ResTypeOfBlock_002") << nth;
        }
        names.clear();
        {
            const FailingAllocation failing(nth);
            listed = mng.getAllKrigTblName(names);
        }
        if (listed == 1) {
            ASSERT_EQ(names.size(), 2u) << nth;
            EXPECT_EQ(std::string(names[0].TableName) + " " + names[1].TableName,
                      "TheFirstTableName1 TheOtherTableName2")
                << nth;
        }
    }
}

// A condition that picks many rows has them counted once it has read 131,072,
// and the rest go straight into an array of the count: every row comes back
// in order with its sub-blocks, those read before the count as well as those
// after, and an array of the count that cannot be had lets none of them leak.
TEST_F(OutOfMemoryTest, AReadOfManyRowsIsCountedMidWayAndLosesNone) {
    constexpr int kBlocks = 150000;
    std::vector<KrigBlockResult> many;
    for (int i = 1; i <= kBlocks; ++i) {
        many.push_back(block(i, 10.0 * i, 0, 0, i % 1000 == 1 ? 2 : 0));
    }
    ASSERT_EQ(mng.insertIntoBlockResult("T1", many.data(), kBlocks), 1) << mng.lastError();
    KrigBlockResult* blocks = nullptr;
    long count = 0;
    // Every block but each eighth: 131,250, of odd and even numbers.
    const char* const mostRows = "Krig_BlockID % 8 <> 0";
    {
        // The rows gathered before the count fit; the 131,250 counted do not.
        const ShortOfMemory short_(131200 * sizeof(KrigBlockResult));
        EXPECT_EQ(mng.getBlockResultByWhereSQL("T1", mostRows, &blocks, &count), 0);
        EXPECT_EQ(mng.lastError(), "cannot hold the rows in memory");
    }
    {
        // Nor does the read need more than that one array at a time: a
        // growing one would have asked for room for 262,144 rows.
        const ShortOfMemory short_(140000 * sizeof(KrigBlockResult));
        ASSERT_EQ(mng.getBlockResultByWhereSQL("T1", mostRows, &blocks, &count), 1)
            << mng.lastError();
    }
    ASSERT_EQ(count, 131250);
    long wrong = 0;
    for (long k = 0; k < count; ++k) {
        const int32_t id = static_cast<int32_t>(k / 7 * 8 + k % 7 + 1);
        wrong += blocks[k].Krig_BlockID == id && blocks[k].SubBUD_Num == (id % 1000 == 1 ? 2 : 0)
                     ? 0
                     : 1;
    }
    EXPECT_EQ(wrong, 0);
    // Block 1001 is the 876th row, block 149,001 the 130,376th: 10 m blocks
    // split in two along X.
    ASSERT_EQ(blocks[875].Krig_BlockID, 1001);
    EXPECT_EQ(blocks[875].SubBUD_PntLoc[1].x, 10012.5);
    ASSERT_EQ(blocks[130375].Krig_BlockID, 149001);
    EXPECT_EQ(blocks[130375].SubBUD_PntLoc[0].x, 1490007.5);
    // A condition that picks anew when counted still gives whole rows, in
    // the table's order.
    ASSERT_EQ(mng.getBlockResultByWhereSQL("T1", "random() % 16 <> 0", &blocks, &count), 1);
    EXPECT_GT(count, 131072);
    long disordered = 0;
    for (long k = 1; k < count; ++k) {
        disordered += blocks[k].Krig_BlockID > blocks[k - 1].Krig_BlockID ? 0 : 1;
    }
    EXPECT_EQ(disordered, 0);
    // Nor are rows past a count that came out lower lost: each time, about
    // half the last 64 blocks come back. The count falls short by more than
    // they are in about a third of the reads, and none coming back of a fair
    // half is a chance of 2^-64.
    for (int read = 0; read < 8; ++read) {
        ASSERT_EQ(mng.getBlockResultByWhereSQL(
                      "T1", "Krig_BlockID <= 131072 OR abs(random()) % 2 = 0", &blocks, &count),
                  1);
        ASSERT_GT(count, 131072);
        EXPECT_GT(blocks[count - 1].Krig_BlockID, kBlocks - 64) << "read " << read;
    }
}

// A block of 400 sub-blocks among small ones: its 19,204 stored bytes, and
// the two arrays of 9,600 it is read into, are each more than the memory
// left, which the arrays of records fit in.
TEST_F(OutOfMemoryTest, ABlockWhoseSubBlocksCannotBeHeldFailsTheWriteOrRead) {
    std::vector<KrigBlockResult> rows{block(1, 0, 0, 0, 2), block(2, 10, 0, 0, 400),
                                      block(3, 20, 0, 0)};
    {
        const ShortOfMemory short_(8000);
        EXPECT_EQ(mng.insertIntoBlockResult("T1", rows.data(), 3), 0);
        EXPECT_EQ(mng.lastError(), "cannot add block 1 to 'T1': out of memory");
    }
    KrigBlockResult* blocks = nullptr;
    long count = 0;
    EXPECT_EQ(mng.getBlockResult("T1", &blocks, &count), 0);
    EXPECT_EQ(mng.lastError(), "the table has no rows");
    ASSERT_EQ(mng.insertIntoBlockResult("T1", rows.data(), 3), 1) << mng.lastError();
    D_3DOT plan[4] = {{-10, -10, 0}, {40, -10, 0}, {40, 10, 0}, {-10, 10, 0}};
    KrigBlockResult one;
    one.Krig_BlockID = 77;
    one.Krig_PntLocX = -1;
    {
        const ShortOfMemory short_(8000);
        EXPECT_EQ(mng.getBlockResult("T1", &blocks, &count), 0);
        EXPECT_EQ(mng.lastError(), "cannot hold the rows in memory");
        EXPECT_EQ(mng.getBlockResultByWhereSQL("T1", "Krig_BlockID > 0", &blocks, &count), 0);
        EXPECT_EQ(mng.lastError(), "cannot hold the rows in memory");
        EXPECT_EQ(mng.getCutBlockResult("T1", plan, &blocks, &count), 0);
        EXPECT_EQ(mng.lastError(), "cannot hold the cut blocks in memory");
        EXPECT_EQ(mng.getBlockResult("T1", 2, &one), 0);
        EXPECT_EQ(mng.lastError(), "cannot hold the block in memory");
        EXPECT_EQ(one.Krig_BlockID, 77);
        EXPECT_EQ(one.Krig_PntLocX, -1);
        EXPECT_EQ(one.SubBUD_PntLoc, nullptr);
    }
    ASSERT_EQ(mng.getBlockResult("T1", &blocks, &count), 1) << mng.lastError();
    ASSERT_EQ(count, 3);
    ASSERT_EQ(blocks[1].SubBUD_Num, 400);
    EXPECT_EQ(blocks[1].SubBUD_PntLoc[399].x, rows[1].SubBUD_PntLoc[399].x);
    ASSERT_EQ(mng.getCutBlockResult("T1", plan, &blocks, &count), 1) << mng.lastError();
    ASSERT_EQ(count, 3);
    EXPECT_EQ(blocks[1].SubBUD_Num, 400);
    ASSERT_EQ(mng.getBlockResult("T1", 2, &one), 1) << mng.lastError();
    EXPECT_EQ(one.SubBUD_Num, 400);
    delete[] one.SubBUD_PntLoc;
    delete[] one.SubBUD_GridSize;
}

}  // namespace
}  // namespace vornel::test
