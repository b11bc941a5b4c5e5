// Kriging run rows and variogram structures.
#include <cmath>

#include "store/StoreFixture.h"

using vornel::test::StoreTest;

namespace {

// Distinct values everywhere, so that no column can pass for another.
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
    p.SubGrid_SizeY = 7.5;
    p.SubGrid_SizeZ = 3.75;
    p.Srch_RangX = 150.0;
    p.Srch_RangY = 100.0;
    p.Srch_RangZ = 20.0;
    p.Srch_Azm = 30;
    p.Srch_Dip = 5;
    p.Srch_Org = 0;
    p.Srch_Coef = 1.5;
    p.Srch_MinPnt = 8;
    p.Srch_MaxPnt = 24;
    p.Vrg_Nug = 0.12345;
    p.Vrg_Sill = 0.0004;
    p.Vrg_Num = 2;
    p.OreType_Num = 6;
    p.OreClas_Num = 4;
    p.OreAttr_Unit = 7;
    std::strcpy(p.Table_Name, "T1");
    std::strcpy(p.VoidTable_Name, "VA");
    return p;
}

}  // namespace

TEST_F(StoreTest, RunsAreNumberedAndReadBackRounded) {
    KrigBlockParam three[3] = {fullRun(), fullRun(), fullRun()};
    // Unended texts fill their columns; the records read back keep one character less.
    std::memset(three[0].Krig_Result_Name, 'x', sizeof three[0].Krig_Result_Name);
    std::memcpy(three[0].Table_Name, "ABCDEFGHIJKLMNOPQRST", 20);
    std::strcpy(three[1].Mine_Element, "Cu'");
    std::strcpy(three[1].Table_Name, "O'Brien");
    std::vector<long> ids = {42};
    // An infinite grid corner would be written as a word, and the run lost.
    KrigBlockParam unbounded = fullRun();
    unbounded.Grid_StartX = HUGE_VAL;
    EXPECT_EQ(mng.insertIntoBlockParam(&unbounded, 1, ids), 0);
    EXPECT_NE(mng.lastError().find("not a finite number"), std::string::npos) << mng.lastError();
    EXPECT_EQ(mng.insertIntoBlockParam(three, 3, ids), 1);
    EXPECT_EQ(ids, (std::vector<long>{1, 2, 3}));

    // Other tools read the same columns in the same order.
    const std::string third = shell("SELECT * FROM KrigBlock_Param WHERE MineID = 3");
    EXPECT_EQ(third,
              "3|O'Brien pit, Cu 2026|Cu|500000.25|3000000.5|-120.0|501000.0|3001000.0|300.0|2.5|"
              "10.0|5.0|400|100|84|45|-10|3|1.25|7.5|3.75|150.0|100.0|20.0|30|5|0|1.5|8|24|0.123|"
              "0.0|2|6|4|7|T1|VA\n");
    EXPECT_EQ(shell("SELECT length(Krig_Result_Name), Table_Name FROM KrigBlock_Param "
                    "WHERE MineID = 1"),
              "254|ABCDEFGHIJKLMNOPQRST\n");

    KrigBlockParam* rows = nullptr;
    long count = 0;
    ASSERT_EQ(mng.getBlockParam(3, &rows, &count), 1);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(rows[0].MineID, 3);
    EXPECT_EQ(rows[0].Vrg_Nug, 0.123);  // three decimals
    // Written again, what was read makes the same row: every column read back.
    KrigBlockParam again = rows[0];
    ASSERT_EQ(mng.insertIntoBlockParam(&again, 1, ids), 4);
    EXPECT_EQ(shell("SELECT * FROM KrigBlock_Param WHERE MineID = 4"), "4" + third.substr(1));

    ASSERT_EQ(mng.getBlockParam(1, &rows, &count), 1);
    EXPECT_EQ(std::string(rows[0].Krig_Result_Name), std::string(253, 'x'));
    EXPECT_STREQ(rows[0].Table_Name, "ABCDEFGHIJKLMNOPQRS");
    ASSERT_EQ(mng.getBlockParam(std::string("o'brien"), &rows, &count), 1);
    EXPECT_STREQ(rows[0].Mine_Element, "Cu'");
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
    // A number the 32-bit column cannot hold is refused, the rows as they were.
    EXPECT_EQ(mng.modifyKrigParamOreClasByID("T1", 5000000000), 0);
    EXPECT_NE(mng.lastError().find("5000000000 is beyond a 32-bit"), std::string::npos);
    EXPECT_EQ(mng.modifyKrigParamOreClasByID("T1", -2147483649), 0);
    EXPECT_EQ(mng.modifyKrigParamOreClasByID("T1", -2147483648), 1);
    EXPECT_EQ(mng.modifyKrigParamOreClasByID("T1", 5), 1);
    EXPECT_EQ(shell("SELECT Table_Name, OreClas_Num, OreAttr_Unit FROM KrigBlock_Param"),
              "T1|5|9\nT1|5|9\nT2|0|0\n");
    EXPECT_EQ(mng.deleteBlockParam(std::string("")), 0);
    EXPECT_EQ(mng.deleteBlockParam(0), 0);
    EXPECT_EQ(mng.deleteBlockParam(ids[2]), 1);
    EXPECT_EQ(mng.lastError(), "") << "a success clears the failure before it";
    EXPECT_EQ(shell("SELECT Table_Name FROM KrigBlock_Param"), "T1\nT1\n");
}

TEST_F(StoreTest, VariogramStructuresOfARun) {
    KrigBlockVrgParam s[2];
    for (auto& v : s) {
        v.MineID = 4;
        std::strcpy(v.Vrg_TblName, "T1");
        v.Vrg_MaxRang = 120.12345;
    }
    std::strcpy(s[0].Vrg_Type, "Spherical");
    std::strcpy(s[1].Vrg_Type, "Exponential");
    s[1].Vrg_LocSill = 0.5;
    s[1].Vrg_Azm = 90;
    s[1].Vrg_Dip = -5;
    s[1].Vrg_Org = 2;
    s[1].Vrg_MinRang = 80.0;
    s[1].Vrg_VerRang = 10.0006;
    EXPECT_EQ(mng.insertIntoBlockVrgParam(nullptr, 2), 0);
    EXPECT_EQ(mng.insertIntoBlockVrgParam(s, 0), 0);
    EXPECT_EQ(mng.insertIntoBlockVrgParam(s, 2), 1);
    EXPECT_EQ(mng.lastError(), "") << "a success clears the failure before it";
    // A value no number can stand for: nothing written, and said why.
    KrigBlockVrgParam broken[2] = {s[0], s[1]};
    broken[1].Vrg_LocSill = std::nan("");
    EXPECT_EQ(mng.insertIntoBlockVrgParam(broken, 2), 0);
    EXPECT_NE(mng.lastError().find("record 1 holds a value that is not a finite number"),
              std::string::npos)
        << mng.lastError();
    const std::string stored = shell("SELECT * FROM KrigBlock_Vrg_Param");
    EXPECT_EQ(stored,
              "4|Spherical|0.0|0|0|0|120.123|0.0|0.0|T1\n"
              "4|Exponential|0.5|90|-5|2|120.123|80.0|10.001|T1\n");

    KrigBlockVrgParam* rows = nullptr;
    long count = 0;
    ASSERT_EQ(mng.getBlockVrgParam(4, &rows, &count), 1);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(rows[1].Vrg_VerRang, 10.001);
    // Written again, what was read makes the same rows.
    ASSERT_EQ(mng.insertIntoBlockVrgParam(rows, 2), 1);
    KrigBlockVrgParam* const earlier = rows;
    EXPECT_EQ(mng.getBlockVrgParam(5, &rows, &count), 0);
    EXPECT_EQ(rows, earlier);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(shell("SELECT * FROM KrigBlock_Vrg_Param"), stored + stored);

    EXPECT_EQ(mng.deleteBlockVrgParam(9), 1);
    EXPECT_EQ(mng.deleteBlockVrgParam(""), 0);
    EXPECT_EQ(mng.deleteBlockVrgParam(std::string("t1")), 1);
    EXPECT_EQ(mng.lastError(), "") << "a success clears the failure before it";
    EXPECT_EQ(mng.getBlockVrgParam(4, &rows, &count), 0);
    EXPECT_EQ(shell("SELECT count(*) FROM KrigBlock_Vrg_Param"), "0\n");

    // Unended texts fill their columns; the records read back keep one character less.
    KrigBlockVrgParam full = s[0];
    std::memcpy(full.Vrg_Type, "abcdefghijklmnopqrst", 20);
    std::memcpy(full.Vrg_TblName, "ABCDEFGHIJKLMNOPQRST", 20);
    ASSERT_EQ(mng.insertIntoBlockVrgParam(&full, 1), 1);
    EXPECT_EQ(shell("SELECT Vrg_Type, Vrg_TblName FROM KrigBlock_Vrg_Param"),
              "abcdefghijklmnopqrst|ABCDEFGHIJKLMNOPQRST\n");
    ASSERT_EQ(mng.getBlockVrgParam(4, &rows, &count), 1);
    EXPECT_STREQ(rows[0].Vrg_Type, "abcdefghijklmnopqrs");
    EXPECT_STREQ(rows[0].Vrg_TblName, "ABCDEFGHIJKLMNOPQRS");
}
