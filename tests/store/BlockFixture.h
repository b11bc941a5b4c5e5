// Blocks to store: records built by hand, with sub-blocks the test owns.
#ifndef VORNEL_TESTS_BLOCKFIXTURE_H
#define VORNEL_TESTS_BLOCKFIXTURE_H

#include <cstdlib>
#include <deque>
#include <vector>

#include "store/StoreFixture.h"

namespace vornel::test {

class BlockTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        ASSERT_EQ(mng.createBlockResultTbl("T1"), 1);
    }

    // A block at (x, y, z) with n sub-blocks laid out along X inside it.
    KrigBlockResult block(int id, double x, double y, double z, int n = 0) {
        KrigBlockResult b;
        b.MineID = 1;
        b.Krig_BlockID = id;
        b.Krig_PntLocX = x;
        b.Krig_PntLocY = y;
        b.Krig_PntLocZ = z;
        b.Krig_GridSizeX = b.Krig_GridSizeY = b.Krig_GridSizeZ = 10.0;
        b.Block_Coef = n > 0 ? 0.5 : 1.0;
        b.Krig_OutAttr = id * 0.25;
        attach(b, n);
        return b;
    }

    template <class Block>
    void attach(Block& b, int n) {
        b.SubBUD_Num = n;
        if (n == 0) {
            return;
        }
        auto& centres = arrays.emplace_back(static_cast<size_t>(n));
        auto& sizes = arrays.emplace_back(static_cast<size_t>(n));
        for (int j = 0; j < n; ++j) {
            const double w = 10.0 / n;
            centres[j] = {b.Krig_PntLocX - 5.0 + w * (j + 0.5), b.Krig_PntLocY, b.Krig_PntLocZ};
            sizes[j] = {w, 10.0, 10.0};
        }
        b.SubBUD_PntLoc = centres.data();
        b.SubBUD_GridSize = sizes.data();
    }

    // Another manager holding the file's write lock in an open transaction,
    // in which block `blockId` of T1 changed; this one is connected anew to
    // wait 1 ms for a lock, so that its writes fail as busy at once.
    CVornelMng lockedByAnother(long blockId) {
        CVornelMng holder;
        EXPECT_EQ(holder.connectDatabase(path), 1);
        EXPECT_EQ(holder.beginTransact(), 1);
        EXPECT_EQ(holder.modifyResTypeByID("T1", blockId, "held"), 1);
        setenv("VORNEL_BUSY_TIMEOUT_MS", "1", 1);
        EXPECT_EQ(mng.connectDatabase(path), 1);
        unsetenv("VORNEL_BUSY_TIMEOUT_MS");
        return holder;
    }

    std::deque<std::vector<D_3DOT>> arrays;
};

}  // namespace vornel::test

#endif
