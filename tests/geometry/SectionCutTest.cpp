// The section cut through stored blocks: the cases hosts rely on, then
// random models and sections against an independent exact computation.
#include <cmath>
#include <map>
#include <random>

#include "ExactCut.h"
#include "RandomShapes.h"
#include "store/BlockFixture.h"

using vornel::test::BlockTest;
using vornel::test::CutBlock;
using vornel::test::ExactCut;
using vornel::test::RandomShapes;

namespace {

struct Cut {
    int id;
    std::vector<double> subX;  // centres of the sub-blocks that came back
};

std::vector<Cut> cut(CVornelMng& mng, std::array<D_3DOT, 4> corners, const char* table = "T1") {
    KrigBlockResult* rows = nullptr;
    long count = -1;
    EXPECT_EQ(mng.getCutBlockResult(table, corners.data(), &rows, &count), 1) << mng.lastError();
    std::vector<Cut> out;
    for (long i = 0; i < count; ++i) {
        Cut c{rows[i].Krig_BlockID, {}};
        for (int j = 0; j < rows[i].SubBUD_Num; ++j) {
            c.subX.push_back(rows[i].SubBUD_PntLoc[j].x);
        }
        out.push_back(c);
    }
    return out;
}

std::vector<int> ids(const std::vector<Cut>& cuts) {
    std::vector<int> out;
    out.reserve(cuts.size());
    for (const Cut& c : cuts) {
        out.push_back(c.id);
    }
    return out;
}

// A vertical section, the plane x = x0 over the whole model.
std::array<D_3DOT, 4> planeX(double x0) {
    return {{{x0, -1e7, -1e4}, {x0, 1e7, -1e4}, {x0, 1e7, 1e4}, {x0, -1e7, 1e4}}};
}

std::array<D_3DOT, 4> plan(double z, double x0 = -1e7, double x1 = 1e7) {
    return {{{x0, -1e7, z}, {x1, -1e7, z}, {x1, 1e7, z}, {x0, 1e7, z}}};
}

}  // namespace

TEST_F(BlockTest, SectionsReturnTheBlocksTheyTouchInRowOrder) {
    // A row of three blocks along X, centres 5, 15, 25 (edges 0 to 30), stored out of order.
    KrigBlockResult blocks[3] = {block(3, 25, 5, 5), block(1, 5, 5, 5), block(2, 15, 5, 5)};
    std::strcpy(blocks[0].Krig_ResType, "Measured");
    blocks[0].Block_Vol = 0.5;
    ASSERT_EQ(mng.insertIntoBlockResult("T1", blocks, 3), 1);
    EXPECT_EQ(ids(cut(mng, planeX(12.0))), std::vector<int>{2});
    EXPECT_EQ(ids(cut(mng, planeX(20.0))), (std::vector<int>{3, 2}));  // a shared face: both
    EXPECT_EQ(ids(cut(mng, planeX(30.0))), std::vector<int>{3});       // the outer face
    EXPECT_TRUE(cut(mng, planeX(std::nextafter(30.0, 31.0))).empty());
    EXPECT_TRUE(cut(mng, planeX(-0.001)).empty());  // a miss is a success with none
    // Inside one block, touching none of its faces; touching a face at a point.
    const std::array<D_3DOT, 4> inside = {{{21, 2, 2}, {29, 2, 2}, {29, 8, 8}, {21, 8, 8}}};
    EXPECT_TRUE(cut(mng, inside).empty());
    const std::array<D_3DOT, 4> vertexTouch = {
        {{30, 10, 10}, {40, 10, 10}, {40, 20, 20}, {35, 20, 20}}};
    EXPECT_EQ(ids(cut(mng, vertexTouch)), std::vector<int>{3});

    KrigBlockResult* rows = nullptr;
    long count = 0;
    auto corners = planeX(27.0);
    ASSERT_EQ(mng.getCutBlockResult("T1", corners.data(), &rows, &count), 1);
    ASSERT_EQ(count, 1);
    EXPECT_STREQ(rows[0].Krig_ResType, "Measured");  // every field as stored
    EXPECT_EQ(rows[0].Block_Vol, 0.5);
    EXPECT_EQ(rows[0].Krig_PntLocX, 25.0);
}

TEST_F(BlockTest, SubBlocksAreCutOneByOne) {
    // Block 1 (0..10 on each axis) in four columns of sub-blocks, 2 x 2 in
    // plan: the second and fourth lie at x 5..10.
    KrigBlockResult split = block(1, 5, 5, 5, 4);
    const D_3DOT quarter{5.0, 5.0, 10.0};
    const D_3DOT centres[4] = {{2.5, 2.5, 5}, {7.5, 2.5, 5}, {2.5, 7.5, 5}, {7.5, 7.5, 5}};
    for (int j = 0; j < 4; ++j) {
        split.SubBUD_PntLoc[j] = centres[j];
        split.SubBUD_GridSize[j] = quarter;
    }
    KrigBlockResult whole = block(2, 15, 5, 5, 4);
    whole.Block_Coef = 1.0;  // exactly: tested whole
    KrigBlockResult none = block(3, 25, 5, 5);
    none.Block_Coef = 0.5;  // without sub-blocks: tested whole all the same
    KrigBlockResult small = block(4, 35, 5, 5, 1);
    small.SubBUD_GridSize[0] = {2.0, 2.0, 2.0};  // one small sub-block in the middle
    KrigBlockResult blocks[4] = {split, whole, none, small};
    ASSERT_EQ(mng.insertIntoBlockResult("T1", blocks, 4), 1);

    KrigBlockResult* rows = nullptr;
    long count = 0;
    auto corners = planeX(7.0);
    ASSERT_EQ(mng.getCutBlockResult("T1", corners.data(), &rows, &count), 1);
    ASSERT_EQ(count, 1);
    ASSERT_EQ(rows[0].SubBUD_Num, 2);  // the second and fourth, in order
    EXPECT_EQ(rows[0].SubBUD_PntLoc[0].x, 7.5);
    EXPECT_EQ(rows[0].SubBUD_PntLoc[0].y, 2.5);
    EXPECT_EQ(rows[0].SubBUD_PntLoc[1].y, 7.5);
    EXPECT_EQ(rows[0].SubBUD_GridSize[1].z, 10.0);
    // On the face between the columns every sub-block is touched.
    const std::vector<Cut> face = cut(mng, planeX(5.0));
    ASSERT_EQ(ids(face), std::vector<int>{1});
    EXPECT_EQ(face[0].subX, (std::vector<double>{2.5, 7.5, 2.5, 7.5}));

    // The whole-tested blocks come back whole, without sub-blocks.
    const std::vector<Cut> c = cut(mng, planeX(12.0));
    ASSERT_EQ(ids(c), std::vector<int>{2});
    EXPECT_TRUE(c[0].subX.empty());
    EXPECT_EQ(ids(cut(mng, planeX(22.0))), std::vector<int>{3});
    // A block whose box is crossed but whose sub-blocks are not is left out.
    EXPECT_TRUE(cut(mng, planeX(31.0)).empty());
    EXPECT_EQ(ids(cut(mng, planeX(34.0))), std::vector<int>{4});
}

TEST_F(BlockTest, PlansOnALayerBoundaryKeepTheFirstLayer) {
    // Two layers at mining coordinates: z 0..10 (ids 1, 2) and 10..20 (ids 3, 4),
    // stored upper layer first.
    const double x = 500005.0, y = 3000005.0;
    KrigBlockResult blocks[4] = {block(3, x, y, 15), block(4, x + 10, y, 15), block(1, x, y, 5),
                                 block(2, x + 10, y, 5)};
    ASSERT_EQ(mng.insertIntoBlockResult("T1", blocks, 4), 1);
    EXPECT_EQ(ids(cut(mng, plan(10.0))),
              (std::vector<int>{3, 4}));  // both touched, first layer kept
    EXPECT_EQ(ids(cut(mng, plan(std::nextafter(10.0, 11.0)))), (std::vector<int>{3, 4}));
    EXPECT_EQ(ids(cut(mng, plan(std::nextafter(10.0, 9.0)))), (std::vector<int>{1, 2}));
    // Not flat by one unit in the last place: every touched layer comes back.
    // The edge from corner 1 to corner 2 lies on z = 10 across the blocks.
    const std::array<D_3DOT, 4> tilted = {{{x - 100, y, 10.0},
                                           {x + 100, y, 10.0},
                                           {x + 100, y + 100, std::nextafter(10.0, 11.0)},
                                           {x - 100, y + 100, 10.0}}};
    EXPECT_EQ(ids(cut(mng, tilted)), (std::vector<int>{3, 4, 1, 2}));
    // A plan over part of the model: only what lies under it.
    EXPECT_EQ(ids(cut(mng, plan(5.0, x, x + 1))), std::vector<int>{1});
}

TEST_F(BlockTest, CutsShareTheResultCacheAndItsRules) {
    KrigBlockResult blocks[2] = {block(1, 5, 5, 5, 2), block(2, 15, 5, 5)};
    ASSERT_EQ(mng.insertIntoBlockResult("T1", blocks, 2), 1);
    KrigBlockResult* rows = nullptr;
    long count = 0;
    ASSERT_EQ(mng.getBlockResult("T1", &rows, &count), 1);
    auto corners = planeX(12.0);
    KrigBlockResult* cutRows = nullptr;
    EXPECT_EQ(mng.getCutBlockResult("Nowhere", corners.data(), &cutRows, &count), 0);
    EXPECT_EQ(rows[0].SubBUD_PntLoc[1].x, blocks[0].SubBUD_PntLoc[1].x);  // still readable
    // A corner at infinity, or not a number, is refused, not cut as nothing.
    for (const double wild : {HUGE_VAL, -HUGE_VAL, std::nan("")}) {
        auto stretched = planeX(12.0);
        stretched[2].y = wild;
        EXPECT_EQ(mng.getCutBlockResult("T1", stretched.data(), &cutRows, &count), 0);
        EXPECT_EQ(mng.lastError(),
                  "corner 3 of the section holds a value that is not a finite number");
    }
    EXPECT_EQ(rows[0].SubBUD_PntLoc[1].x, blocks[0].SubBUD_PntLoc[1].x);

    ASSERT_EQ(mng.createBlockResultTbl("Empty"), 1);
    EXPECT_EQ(mng.getCutBlockResult("Empty", corners.data(), &cutRows, &count), 0);
    EXPECT_EQ(cutRows, nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(ids(cut(mng, corners)), std::vector<int>{2});
    EXPECT_EQ(mng.lastError(), "") << "a success clears the failure before it";

    mng.clearDatabase();
    EXPECT_EQ(mng.getCutBlockResult("T1", corners.data(), &cutRows, &count), 0);
    EXPECT_EQ(mng.lastError(), "no database is open");
}

// Written by another program: a box of infinite width has no face to cut,
// and one whose far side lies beyond the doubles is cut on its near face.
TEST_F(BlockTest, BoxesBeyondTheDoublesAreCutByTheFacesTheyHave) {
    KrigBlockResult blocks[3] = {block(1, 5, 5, 5), block(2, 15, 5, 5), block(3, 5, 15, 5)};
    ASSERT_EQ(mng.insertIntoBlockResult("T1", blocks, 3), 1);
    shell(
        "UPDATE T1 SET Krig_GridSizeX = 9e999 WHERE Krig_BlockID = 2;"
        "UPDATE T1 SET Krig_PntLocX = 1e308, Krig_GridSizeX = 1.6e308 WHERE Krig_BlockID = 3");
    const std::array<D_3DOT, 4> alongX = {
        {{-1e7, 5, -1e4}, {1e7, 5, -1e4}, {1e7, 5, 1e4}, {-1e7, 5, 1e4}}};
    EXPECT_EQ(ids(cut(mng, alongX)), std::vector<int>{1});
    EXPECT_EQ(ids(cut(mng, planeX(1e308 - 0.8e308))), std::vector<int>{3});
    // So does a section that leans across that face.
    const std::array<D_3DOT, 4> leaning = {{{0.1e308, -1e4, 5 - 1e4},
                                            {0.1e308, 1e4, 5 - 1e4},
                                            {0.3e308, 1e4, 5 + 1e4},
                                            {0.3e308, -1e4, 5 + 1e4}}};
    EXPECT_EQ(ids(cut(mng, leaning)), std::vector<int>{3});
}

// Rows the database leaves out before they are read are only those the cut
// itself turns away.
TEST_F(BlockTest, RowsLeftUnreadAreOnlyThoseTheCutTurnsAway) {
    // Block 2's one sub-block lies 100 m above its box; block 3's Z is NULL,
    // which reads as 0.
    KrigBlockResult blocks[3] = {block(1, 5, 5, 5), block(2, 15, 5, 5, 1), block(3, 25, 5, 5)};
    blocks[1].SubBUD_PntLoc[0].z = 105;
    ASSERT_EQ(mng.insertIntoBlockResult("T1", blocks, 3), 1);
    shell("UPDATE T1 SET Krig_PntLocZ = NULL WHERE Krig_BlockID = 3");
    EXPECT_EQ(ids(cut(mng, plan(105.0))), std::vector<int>{2});
    EXPECT_EQ(ids(cut(mng, plan(-2.0))), std::vector<int>{3});
    EXPECT_EQ(ids(cut(mng, plan(5.0))), std::vector<int>{1});

    // Another program's table whose second and third columns are named the
    // other way round: the cut reads columns by position, as every read does.
    ASSERT_EQ(mng.createBlockResultTbl("T2"), 1);
    shell(
        "ALTER TABLE T2 RENAME COLUMN Krig_PntLocX TO Swap;"
        "ALTER TABLE T2 RENAME COLUMN Krig_PntLocY TO Krig_PntLocX;"
        "ALTER TABLE T2 RENAME COLUMN Swap TO Krig_PntLocY");
    KrigBlockResult far = block(7, 5, 1000, 5);
    ASSERT_EQ(mng.insertIntoBlockResult("T2", &far, 1), 1);
    EXPECT_EQ(ids(cut(mng, planeX(5.0), "T2")), std::vector<int>{7});

    // One whose Z is a currency, read to four places: stored 5.00004, it
    // reads as 5, and the box reaches down to the plan at 0.
    std::string create = shell("SELECT sql FROM sqlite_master WHERE name = 'T1'");
    create.replace(create.find("[T1]"), 4, "T4");
    create.replace(create.find("Krig_PntLocZ DOUBLE"), 19, "Krig_PntLocZ CURRENCY");
    shell(create +
          "; INSERT INTO T4 (MineID, Krig_BlockID, Krig_PntLocX, Krig_PntLocY, Krig_PntLocZ, "
          "Krig_GridSizeX, Krig_GridSizeY, Krig_GridSizeZ, Block_Coef) "
          "VALUES (1, 4, 5, 5, 5.00004, 10, 10, 10, 1.0)");
    EXPECT_EQ(ids(cut(mng, plan(0.0), "T4")), std::vector<int>{4});

    // A row that cannot be read fails only a cut that reads it, wherever it
    // is stored: here first, a whole block that is only partly inside.
    ASSERT_EQ(mng.createBlockResultTbl("T3"), 1);
    KrigBlockResult pair[2] = {block(8, 5, 5, 500), block(9, 5, 5, 5)};
    pair[0].Block_Coef = 0.5;
    ASSERT_EQ(mng.insertIntoBlockResult("T3", pair, 2), 1);
    shell(
        "ALTER TABLE T3 ADD COLUMN Broken AS "
        "(CASE WHEN Krig_PntLocZ > 100 THEN json('{') END) VIRTUAL");
    EXPECT_EQ(ids(cut(mng, plan(5.0), "T3")), std::vector<int>{9});
    // Steep enough to pass below block 8, whose box lies within its bounds.
    const std::array<D_3DOT, 4> steep = {
        {{-15, -20, -995}, {25, -20, 1005}, {25, 20, 1005}, {-15, 20, -995}}};
    EXPECT_EQ(ids(cut(mng, steep, "T3")), std::vector<int>{9});
    // Its query cannot be opened then, which leaves the blocks handed out
    // before as they were.
    KrigBlockResult* earlier = nullptr;
    long count = 0;
    ASSERT_EQ(mng.getBlockResult("T1", &earlier, &count), 1);
    auto high = plan(500.0);
    KrigBlockResult* rows = nullptr;
    EXPECT_EQ(mng.getCutBlockResult("T3", high.data(), &rows, &count), 0);
    EXPECT_NE(mng.lastError().find("malformed JSON"), std::string::npos) << mng.lastError();
    EXPECT_EQ(rows, nullptr);
    ASSERT_EQ(earlier[1].SubBUD_Num, 1);
    EXPECT_EQ(earlier[1].SubBUD_PntLoc[0].z, 105.0);
}

TEST_F(BlockTest, RandomSectionsAgreeWithAnExactComputation) {
    // 6 x 6 x 4 blocks of 10 m at mining coordinates, stored in random
    // order: a third of them in eight sub-blocks, some flat, sticks or points.
    const D_3DOT origin{500000.0, 3000000.0, 100.0};
    RandomShapes shapes(20261205u, {origin, 2.5, 24});
    std::vector<KrigBlockResult> blocks;
    for (int id = 1; id <= 144; ++id) {
        const int i = (id - 1) / 24, j = (id - 1) / 4 % 6, k = (id - 1) % 4;
        KrigBlockResult& b =
            blocks.emplace_back(block(id, origin.x + i * 10 + 5, origin.y + j * 10 + 5,
                                      origin.z + k * 10 + 5, id % 3 == 0 ? 8 : 0));
        b.Block_Coef = id % 7 == 0 ? 1.0 : b.Block_Coef;
        b.Krig_GridSizeX = id % 5 == 1 ? 0.0 : 10.0;
        b.Krig_GridSizeY = b.Krig_GridSizeZ = id % 11 == 1 ? 0.0 : 10.0;
    }
    std::shuffle(blocks.begin(), blocks.end(), std::mt19937(7u));
    ASSERT_EQ(mng.insertIntoBlockResult("T1", blocks.data(), static_cast<long>(blocks.size())), 1);

    const ExactCut exact(blocks);
    ASSERT_TRUE(exact.finite());
    // The x of the sub-blocks cut, as cut() gives them.
    std::map<int32_t, const KrigBlockResult*> byId;
    for (const KrigBlockResult& b : blocks) {
        byId[b.Krig_BlockID] = &b;
    }

    int sectionsCutting = 0;
    for (int s = 0; s < 200; ++s) {
        const auto section =
            shapes.section({origin.x + 10 * shapes.pick(7), origin.y + 10 * shapes.pick(7),
                            origin.z + 10 * shapes.pick(5)});
        std::vector<Cut> expected;
        for (const CutBlock& c : exact.through(section)) {
            Cut& e = expected.emplace_back(Cut{c.id, {}});
            for (const int32_t j : c.subBlocks) {
                e.subX.push_back(byId[c.id]->SubBUD_PntLoc[j].x);
            }
        }
        const std::vector<Cut> got = cut(mng, section);
        ASSERT_EQ(ids(got), ids(expected)) << "section " << s;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].subX, expected[i].subX) << "section " << s << " block " << got[i].id;
        }
        sectionsCutting += !got.empty();
    }
    EXPECT_GT(sectionsCutting, 50);
    EXPECT_LT(sectionsCutting, 190);
}
