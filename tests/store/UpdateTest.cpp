// Statistics and the updates of derived values.
#include "store/BlockFixture.h"
#include "vornel/Hooks.h"

using vornel::test::BlockTest;

namespace {

// Records what the progress window is told.
struct Progress {
    Progress() {
        vornel::setProgressSink({[this](const std::string& m, const std::string& c) {
                                     events.push_back("start " + m + " / " + c);
                                 },
                                 [this](long p) { positions.push_back(p); },
                                 [this] { events.emplace_back("end"); }});
    }
    ~Progress() { vornel::setProgressSink({}); }
    std::vector<std::string> events;
    std::vector<long> positions;
};

}  // namespace

TEST_F(BlockTest, StatisticsOfAnEmptyAndAOneBlockTable) {
    double values[4] = {9, 9, 9, 9};
    ASSERT_EQ(mng.getStatResult("T1", values[0], values[1], values[2], values[3]), 1);
    EXPECT_EQ(values[0], 0.0);
    EXPECT_EQ(values[3], 0.0);
    KrigBlockResult b = block(1, 10, 20, 30);
    ASSERT_EQ(mng.insertIntoBlockResult("T1", &b, 1), 1);
    D_3DOT hi{}, lo{};
    ASSERT_EQ(mng.getStatResultPos("T1", hi, lo), 1);
    EXPECT_EQ(hi.x, 10);
    EXPECT_EQ(hi.y, 20);
    EXPECT_EQ(hi.z, 30);
    EXPECT_EQ(lo.x, 10);
    EXPECT_EQ(lo.z, 30);

    KrigBlockResult more[2] = {block(2, -5, 25, 31), block(3, 7, 19, 29)};
    more[0].Krig_OutAttr = 4.5;
    more[1].Krig_OutVari = 0.75;
    ASSERT_EQ(mng.insertIntoBlockResult("T1", more, 2), 1);
    ASSERT_EQ(mng.getStatResultPos("T1", hi, lo), 1);
    EXPECT_EQ(hi.x, 10);
    EXPECT_EQ(lo.x, -5);
    EXPECT_EQ(hi.y, 25);
    EXPECT_EQ(lo.y, 19);
    EXPECT_EQ(hi.z, 31);
    EXPECT_EQ(lo.z, 29);
    ASSERT_EQ(mng.getStatResult("T1", values[0], values[1], values[2], values[3]), 1);
    EXPECT_EQ(values[0], 4.5);
    EXPECT_EQ(values[1], 0.25);
    EXPECT_EQ(values[2], 0.75);
    EXPECT_EQ(values[3], 0.0);

    EXPECT_EQ(mng.getStatResult("Nowhere", values[0], values[1], values[2], values[3]), 0);
    EXPECT_EQ(values[0], 4.5);  // left as they were
}

TEST_F(BlockTest, UpdatesWriteSixDecimalsAndQuotedTypes) {
    KrigBlockResult blocks[2] = {block(1, 0, 0, 0), block(2, 0, 0, 0)};
    ASSERT_EQ(mng.insertIntoBlockResult("T1", blocks, 2), 1);
    EXPECT_EQ(mng.modifyResultAttByID("T1", 1, 0.5, 0.1234567, 1e7 / 3), 1);
    EXPECT_EQ(mng.modifyResultAttByID("T1", 99, 1, 1, 1), 1);  // no such block: nothing changes
    EXPECT_EQ(mng.modifyResTypeByID("T1", 2, "O'Brien"), 1);
    EXPECT_EQ(mng.modifyResTypeByID("", 2, "x"), 0);
    EXPECT_EQ(shell("SELECT Ore_Propro, Block_CorMass, Block_OreMass, Krig_ResType FROM T1"),
              "0.5|0.123457|3333333.333333|\n0.0|0.0|0.0|O'Brien\n");

    blocks[0].Ore_Propro = 0.25;
    blocks[1].Block_OreMass = 2.0000004;
    std::strcpy(blocks[0].Krig_ResType, "Indicated");
    std::memset(blocks[1].Krig_ResType, 'M', sizeof blocks[1].Krig_ResType);  // 20, unterminated
    EXPECT_EQ(mng.modifyResultAtts("T1", blocks, 2), 1);
    EXPECT_EQ(mng.modifyResType("T1", blocks, 2), 1);
    EXPECT_EQ(shell("SELECT Ore_Propro, Block_OreMass, Krig_ResType FROM T1"),
              "0.25|0.0|Indicated\n0.0|2.0|MMMMMMMMMMMMMMMMMMMM\n");
    EXPECT_EQ(mng.modifyResultAtts("T1", nullptr, 2), 0);
}

TEST_F(BlockTest, ArrayUpdatesReportTheirProgress) {
    std::vector<KrigBlockResult> blocks;
    for (int i = 1; i <= 100; ++i) {
        blocks.push_back(block(i, 0, 0, 0));
    }
    Progress progress;
    ASSERT_EQ(mng.modifyResultAtts("T1", blocks.data(), 100), 1);
    std::vector<long> expected;
    for (long p = 0; p <= 95; p += 5) {
        expected.push_back(p);
    }
    EXPECT_EQ(progress.positions, expected);
    EXPECT_EQ(progress.events,
              (std::vector<std::string>{"start 正在更新数据库中数据... / 处理进度", "end"}));

    progress.positions.clear();
    ASSERT_EQ(mng.modifyResType("T1", blocks.data(), 30), 1);
    ASSERT_EQ(progress.positions.size(), 30u);
    EXPECT_EQ(std::vector<long>(progress.positions.begin(), progress.positions.begin() + 6),
              (std::vector<long>{0, 3, 7, 10, 13, 17}));

    progress.positions.clear();
    ASSERT_EQ(mng.modifyResultAtts("T1", blocks.data(), 45), 1);
    ASSERT_EQ(progress.positions.size(), 23u);
    EXPECT_EQ(std::vector<long>(progress.positions.begin(), progress.positions.begin() + 4),
              (std::vector<long>{0, 4, 9, 13}));
    EXPECT_EQ(progress.positions.back(), 98);

    progress.positions.clear();
    progress.events.clear();
    EXPECT_EQ(mng.modifyResultAtts("T1", blocks.data(), 0), 1);
    EXPECT_TRUE(progress.positions.empty());
    EXPECT_EQ(progress.events.size(), 2u);
    progress.events.clear();
    EXPECT_EQ(mng.modifyResultAtts("", blocks.data(), 5), 0);
    EXPECT_TRUE(progress.events.empty());  // refused before any window opens
}
