// Kriging run rows and variogram structures.
#include <cmath>

#include "store/StoreFixture.h"

using vornel::test::StoreTest;

namespace {

KrigBlockParam fullRun() {
    KrigBlockParam p;
    p.MineID = 999;  // never written: the store numbers runs itself
    std::strcpy(p.Krig_Result_Name, "O'Brien pit, Cu 2026");
    std::strcpy(p.Mine_Element, "Cu");
    p.Grid_StartX = 500000.25;
    p.Grid_StartY = 3000000.5;
    p.Grid_StartZ = -120.0;
    p.Grid_EndX = 501000.0;
    p.Grid_EndY = 3001000.0;
    p.Grid_EndZ = 300.0;
    p.Grid_SizeX = 2.5;
    p.Grid_SizeY = 10.0;
    p.Grid_SizeZ = 5.0;
    p.Grid_NumX = 400;
    p.Grid_NumY = 100;
    p.Grid_NumZ = 84;
    p.Grid_Azm = 45;
    p.Grid_Dip = -10;
    p.Grid_Org = 3;
    p.SubGrid_SizeX = 1.25;
    p.SubGrid_SizeY = 5.0;
    p.SubGrid_SizeZ = 2.5;
    p.Srch_RangX = 150.0;
    p.Srch_RangY = 100.0;
    p.Srch_RangZ = 20.0;
    p.Srch_Azm = 30;
    p.Srch_Dip = 5;
    p.Srch_Org = 0;
    p.Srch_Coef = 1.5;
    p.Srch_MinPnt = 4;
    p.Srch_MaxPnt = 24;
    p.Vrg_Nug = 0.12345;
    p.Vrg_Sill = 0.0004;
    p.Vrg_Num = 2;
    p.OreType_Num = 3;
    p.OreClas_Num = 4;
    p.OreAttr_Unit = 7;
    std::strcpy(p.Table_Name, "T1");
    std::strcpy(p.VoidTable_Name, "VA");
    return p;
}

}  // namespace

TEST_F(StoreTest, RunsAreNumberedAndReadBackRounded) {
    KrigBlockParam three[3] = {fullRun(), fullRun(), fullRun()};
    std::vector<long> ids = {42};
    EXPECT_EQ(mng.insertIntoBlockParam(three, 3, ids), 1);
    EXPECT_EQ(ids, (std::vector<long>{1, 2, 3}));

    KrigBlockParam* rows = nullptr;
    long count = 0;
    ASSERT_EQ(mng.getBlockParam(2, &rows, &count), 1);
    ASSERT_EQ(count, 1);
    const KrigBlockParam& r = rows[0];
    EXPECT_EQ(r.MineID, 2);
    EXPECT_STREQ(r.Krig_Result_Name, "O'Brien pit, Cu 2026");
    EXPECT_STREQ(r.Mine_Element, "Cu");
    EXPECT_EQ(r.Grid_StartX, 500000.25);
    EXPECT_EQ(r.Grid_StartY, 3000000.5);
    EXPECT_EQ(r.Grid_StartZ, -120.0);
    EXPECT_EQ(r.Grid_SizeX, 2.5);
    EXPECT_EQ(r.Grid_NumX, 400);
    EXPECT_EQ(r.Grid_NumZ, 84);
    EXPECT_EQ(r.Grid_Dip, -10);
    EXPECT_EQ(r.SubGrid_SizeX, 1.25);
    EXPECT_EQ(r.Srch_Coef, 1.5);
    EXPECT_EQ(r.Srch_MaxPnt, 24);
    EXPECT_EQ(r.Vrg_Nug, 0.123);  // three decimals
    EXPECT_EQ(r.Vrg_Sill, 0.0);
    EXPECT_EQ(r.OreClas_Num, 4);
    EXPECT_EQ(r.OreAttr_Unit, 7);
    EXPECT_STREQ(r.Table_Name, "T1");
    EXPECT_STREQ(r.VoidTable_Name, "VA");

    // Other tools read the same columns in the same order.
    EXPECT_EQ(shell("SELECT * FROM KrigBlock_Param WHERE MineID = 3"),
              "3|O'Brien pit, Cu 2026|Cu|500000.25|3000000.5|-120.0|501000.0|3001000.0|300.0|2.5|"
              "10.0|5.0|400|100|84|45|-10|3|1.25|5.0|2.5|150.0|100.0|20.0|30|5|0|1.5|4|24|0.123|"
              "0.0|2|3|4|7|T1|VA\n");
}

TEST_F(StoreTest, RunsContinueFromTheLargestMineId) {
    KrigBlockParam p = fullRun();
    std::vector<long> ids;
    for (int i = 0; i < 7; ++i) {
        mng.insertIntoBlockParam(&p, 1, ids);
    }
    EXPECT_EQ(mng.deleteBlockParam(3), 1);
    KrigBlockParam two[2] = {fullRun(), fullRun()};
    EXPECT_EQ(mng.insertIntoBlockParam(two, 2, ids), 8);
    EXPECT_EQ(ids, (std::vector<long>{8, 9}));

    ids = {1};
    EXPECT_EQ(mng.insertIntoBlockParam(two, 0, ids), 0);
    EXPECT_TRUE(ids.empty());
    EXPECT_EQ(mng.insertIntoBlockParam(nullptr, 2, ids), 0);

    long next = 0;
    EXPECT_EQ(mng.getNextMineID(next), 10);
    EXPECT_EQ(next, 10);
}

TEST_F(StoreTest, ParameterCacheKeepsThePreviousAnswerWhenNothingMatches) {
    KrigBlockParam runs[3] = {run("Cu", "T1", "VA"), run("Au", "T1", "VA"), run("Cu", "T2", "VB")};
    std::vector<long> ids;
    mng.insertIntoBlockParam(runs, 3, ids);

    KrigBlockParam* rows = nullptr;
    long count = -1;
    EXPECT_EQ(mng.getBlockParam(0, &rows, &count), 0);
    EXPECT_EQ(rows, nullptr);  // untouched
    EXPECT_EQ(count, -1);

    ASSERT_EQ(mng.getBlockParam(std::string("t1"), &rows, &count), 1);  // case-blind
    ASSERT_EQ(count, 2);
    EXPECT_STREQ(rows[0].Mine_Element, "Cu");
    EXPECT_STREQ(rows[1].Mine_Element, "Au");
    KrigBlockParam* const earlier = rows;

    EXPECT_EQ(mng.getBlockParam(77, &rows, &count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(rows, earlier);  // still valid
    EXPECT_STREQ(rows[1].Mine_Element, "Au");
    EXPECT_EQ(mng.lastError(), "no row matches");

    EXPECT_EQ(mng.modifyKrigParamOreClasByID("T1", 5), 1);
    EXPECT_EQ(mng.modifyKrigParamAttrUnitByID("t1", 9), 1);
    EXPECT_EQ(mng.modifyKrigParamOreClasByID("nothing", 5), 1);  // no row: still done
    EXPECT_EQ(mng.modifyKrigParamOreClasByID("", 5), 0);
    ASSERT_EQ(mng.getBlockParam(std::string("T1"), &rows, &count), 1);
    EXPECT_EQ(rows[0].OreClas_Num, 5);
    EXPECT_EQ(rows[1].OreAttr_Unit, 9);
    ASSERT_EQ(mng.getBlockParam(std::string("T2"), &rows, &count), 1);
    EXPECT_EQ(rows[0].OreClas_Num, 0);

    EXPECT_EQ(mng.deleteBlockParam(std::string("T1")), 1);
    EXPECT_EQ(mng.getBlockParam(std::string("T1"), &rows, &count), 0);
    EXPECT_EQ(mng.deleteBlockParam(std::string("")), 0);
    EXPECT_EQ(mng.deleteBlockParam(0), 0);
}

TEST_F(StoreTest, QuotesAndLongTextsAreCarriedWhole) {
    KrigBlockParam p = run("Cu'", "O'Brien", "V'A");
    std::memset(p.Krig_Result_Name, 'x', sizeof p.Krig_Result_Name);  // no terminator
    EXPECT_EQ(insert(p), 1);
    KrigBlockParam* rows = nullptr;
    long count = 0;
    ASSERT_EQ(mng.getBlockParam(std::string("o'brien"), &rows, &count), 1);
    EXPECT_STREQ(rows[0].Mine_Element, "Cu'");
    EXPECT_EQ(std::string(rows[0].Krig_Result_Name), std::string(253, 'x'));

    // A 20-character name fills its column; the record keeps 19 of it.
    KrigBlockParam full = run("Au", "T2", "VB");
    std::memcpy(full.Table_Name, "ABCDEFGHIJKLMNOPQRST", 20);
    EXPECT_EQ(insert(full), 2);
    ASSERT_EQ(mng.getBlockParam(2, &rows, &count), 1);
    EXPECT_STREQ(rows[0].Table_Name, "ABCDEFGHIJKLMNOPQRS");
}

TEST_F(StoreTest, VariogramStructuresOfARun) {
    KrigBlockVrgParam s[2];
    for (auto& v : s) {
        v.MineID = 4;
        std::strcpy(v.Vrg_TblName, "T1");
        v.Vrg_Azm = 90;
        v.Vrg_MaxRang = 120.12345;
        v.Vrg_MinRang = 80.0;
        v.Vrg_VerRang = 10.0006;
        v.Vrg_LocSill = 0.5;
    }
    std::strcpy(s[0].Vrg_Type, "Spherical");
    std::strcpy(s[1].Vrg_Type, "Exponential");
    EXPECT_EQ(mng.insertIntoBlockVrgParam(s, 2), 1);
    EXPECT_EQ(mng.insertIntoBlockVrgParam(nullptr, 2), 0);
    EXPECT_EQ(mng.insertIntoBlockVrgParam(s, 0), 0);

    KrigBlockVrgParam* rows = nullptr;
    long count = 0;
    ASSERT_EQ(mng.getBlockVrgParam(4, &rows, &count), 1);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(rows[0].MineID, 4);
    EXPECT_STREQ(rows[0].Vrg_Type, "Spherical");
    EXPECT_STREQ(rows[1].Vrg_Type, "Exponential");
    EXPECT_STREQ(rows[1].Vrg_TblName, "T1");
    EXPECT_EQ(rows[1].Vrg_Azm, 90);
    EXPECT_EQ(rows[0].Vrg_MaxRang, 120.123);
    EXPECT_EQ(rows[0].Vrg_VerRang, 10.001);
    KrigBlockVrgParam* const earlier = rows;
    EXPECT_EQ(mng.getBlockVrgParam(5, &rows, &count), 0);
    EXPECT_EQ(rows, earlier);
    EXPECT_EQ(count, 0);

    EXPECT_EQ(mng.deleteBlockVrgParam(9), 1);
    EXPECT_EQ(mng.deleteBlockVrgParam(""), 0);
    EXPECT_EQ(mng.deleteBlockVrgParam(std::string("t1")), 1);
    EXPECT_EQ(mng.getBlockVrgParam(4, &rows, &count), 0);
    EXPECT_EQ(shell("SELECT count(*) FROM KrigBlock_Vrg_Param"), "0\n");
}
