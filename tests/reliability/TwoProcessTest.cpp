// One process writes batches while this one reads the same file and cuts
// sections through it. Neither fails nor crashes, and every read sees whole
// batches only: a batch is in the file entirely or not at all.
#include <gtest/gtest.h>

#include <iostream>
#include <set>

#include "reliability/Harness.h"
#include "support/Shell.h"
#include "support/TempDir.h"

namespace vornel::test {
namespace {

using namespace std::chrono_literals;

// Blocks per batch found by a full read; each batch must be whole.
std::map<int32_t, long> wholeBatches(const KrigBlockResult* blocks, long count) {
    std::map<int32_t, long> found;
    for (long i = 0; i < count; ++i) {
        const KrigBlockResult& b = blocks[i];
        ++found[b.MineID];
        EXPECT_EQ(b.Krig_OutAttr, b.MineID * 1000.0 + (b.Krig_BlockID % 10000 - 1));
        EXPECT_EQ(b.SubBUD_Num, (b.Krig_BlockID % 10000 - 1) % 3);
    }
    for (const auto& [batch, n] : found) {
        EXPECT_EQ(n, batchSize(batch)) << "batch " << batch << " is not whole";
    }
    return found;
}

TEST(TwoProcessTest, AReaderBesideAWriterSeesWholeBatchesAndNeitherFails) {
    TempDir dir;
    const std::string path = dir.file("model.mdb");
    CVornelMng mng;
    ASSERT_EQ(writeModelFile(mng, path, kSmallBatch), "");
    const int batches = longRun() ? 200 : 12;
    ChildProcess writer({"write", path, "0", "1", "1", "1", "-", std::to_string(batches)});

    // The plane x = 5 cuts block 5 of every batch, and both its sub-blocks.
    D_3DOT corners[4] = {{5, -1, -5}, {5, 1e6, -5}, {5, 1e6, 5}, {5, -1, 5}};
    size_t seen = 0;
    size_t cutBefore = 0;
    int reads = 0;
    int written = 0;
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + 120s;
    while (written < batches && std::chrono::steady_clock::now() < deadline) {
        KrigBlockResult* blocks = nullptr;
        long count = 0;
        ASSERT_EQ(mng.getBlockResult(kBlockTable, &blocks, &count), 1) << mng.lastError();
        const auto found = wholeBatches(blocks, count);
        EXPECT_GE(found.size(), seen) << "a committed batch went missing";
        seen = found.size();

        ASSERT_EQ(mng.getCutBlockResult(kBlockTable, corners, &blocks, &count), 1)
            << mng.lastError();
        std::set<int32_t> cut;
        for (long i = 0; i < count; ++i) {
            EXPECT_EQ(blocks[i].Krig_BlockID % 10000, 6);
            EXPECT_EQ(blocks[i].SubBUD_Num, 2);
            EXPECT_TRUE(cut.insert(blocks[i].MineID).second) << "batch " << blocks[i].MineID;
        }
        EXPECT_GE(cut.size(), std::max(cutBefore, found.size())) << "a cut lost a batch";
        cutBefore = cut.size();
        ++reads;
        while (writer.readLine(line, 1ms)) {
            ASSERT_FALSE(contains(line, "fail")) << line;
            written += contains(line, "done insert") ? 1 : 0;
        }
    }
    EXPECT_EQ(written, batches);
    EXPECT_EQ(writer.wait(30s), 0);
    std::cout << reads << " reads and cuts beside " << batches << " batches written\n";

    KrigBlockResult* blocks = nullptr;
    long count = 0;
    ASSERT_EQ(mng.getBlockResult(kBlockTable, &blocks, &count), 1) << mng.lastError();
    EXPECT_EQ(wholeBatches(blocks, count).size(), static_cast<size_t>(batches) + 1);
    mng.clearDatabase();
    EXPECT_EQ(sqliteShell(path, "PRAGMA integrity_check"), "ok\n");
}

}  // namespace
}  // namespace vornel::test
