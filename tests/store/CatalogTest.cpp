// The catalog answers for a database of three runs and two void tables.
#include <functional>

#include "store/StoreFixture.h"

using vornel::test::StoreTest;

namespace {

class Catalog : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        KrigBlockParam rows[5] = {run("Cu", "T1", "VA"), run("Au", "T2", "VA"),
                                  run("Cu", "T3", "VB"), run("VOIDBLOCK", "VA", ""),
                                  run("voidblock", "VB", "")};
        std::vector<long> ids;
        ASSERT_EQ(mng.insertIntoBlockParam(rows, 5, ids), 1);
    }

    using Names = std::vector<_STRU_MINE_NAMEINFO>;

    // "table/element" of each answer, in order.
    static std::string listed(const Names& names) {
        std::string out;
        for (const auto& n : names) {
            out += std::string(out.empty() ? "" : " ") + n.TableName + "/" + n.ElementName;
        }
        return out;
    }
};

}  // namespace

TEST_F(Catalog, AnswersInRowOrder) {
    Names names;
    ASSERT_EQ(mng.getAllVoidTblName(names), 1);
    EXPECT_EQ(listed(names), "VA/ VB/");
    ASSERT_EQ(mng.getAllKrigTblName(names), 1);
    EXPECT_EQ(listed(names), "T1/Cu T2/Au T3/Cu");
    ASSERT_EQ(mng.getBlockElementByVoid("va", names), 1);
    EXPECT_EQ(listed(names), "/Cu /Au");
    ASSERT_EQ(mng.getTblNameByElementAndVoidTbl("cu", "VA", names), 1);
    EXPECT_EQ(listed(names), "T1/");
    ASSERT_EQ(mng.getBlockElementAndVoidTblByTblName("t3", names), 1);
    EXPECT_EQ(listed(names), "VB/Cu");
    // Each answer clears the failure before it.
    const std::function<long()> answers[] = {
        [&] { return mng.getAllVoidTblName(names); }, [&] { return mng.getAllKrigTblName(names); },
        [&] { return mng.getBlockElementByVoid("va", names); },
        [&] { return mng.getTblNameByElementAndVoidTbl("cu", "VA", names); },
        [&] { return mng.getBlockElementAndVoidTblByTblName("t3", names); }};
    for (const auto& answer : answers) {
        EXPECT_EQ(mng.getBlockElementAndVoidTblByTblName(std::string("t3\0", 3), names), 0);
        EXPECT_EQ(answer(), 1);
        EXPECT_EQ(mng.lastError(), "");
    }

    // Elements are distinct as written: "CU" is another, a second "Cu" is not.
    insert(run("CU", "T4", "VA"));
    insert(run("Cu", "T5", "VA"));
    ASSERT_EQ(mng.getBlockElementByVoid("VA", names), 1);
    EXPECT_EQ(listed(names), "/Cu /Au /CU");
    // Tables are not made distinct: every run of Cu with VA, in any case.
    ASSERT_EQ(mng.getTblNameByElementAndVoidTbl("cu", "VA", names), 1);
    EXPECT_EQ(listed(names), "T1/ T4/ T5/");
}

// Every table, whatever the catalog says of it, and none of the engine's.
TEST_F(Catalog, AllTablesByName) {
    ASSERT_EQ(mng.createBlockResultTbl("t2"), 1);
    ASSERT_EQ(mng.createBlockVoidTbl("Zeta"), 1);
    shell(
        "CREATE TABLE \"a b\" (x); CREATE TABLE Seq (n INTEGER PRIMARY KEY AUTOINCREMENT); "
        "CREATE VIEW V AS SELECT 1; ANALYZE;");
    std::vector<std::string> names = {"left over"};
    ASSERT_EQ(mng.getAllTblName(names), 1);
    EXPECT_EQ(names, (std::vector<std::string>{"KrigBlock_Param", "KrigBlock_Vrg_Param", "Seq",
                                               "Zeta", "a b", "t2"}));
    EXPECT_EQ(mng.lastError(), "");
    CVornelMng closed;
    EXPECT_EQ(closed.getAllTblName(names), 0);
    EXPECT_EQ(closed.lastError(), "no database is open");
    EXPECT_EQ(names.size(), 6U);
}

// The third run's table name overflows when read, after two were listed.
TEST_F(Catalog, ARowThatCannotBeReadFailsTheAnswer) {
    shell(
        "ALTER TABLE KrigBlock_Param RENAME TO Runs; CREATE VIEW KrigBlock_Param AS SELECT "
        "MineID, Mine_Element, VoidTable_Name, CASE WHEN MineID = 3 THEN "
        "abs(-9223372036854775807 - 1) ELSE Table_Name END AS Table_Name FROM Runs");
    Names names(1);
    std::strcpy(names[0].TableName, "keep");
    EXPECT_EQ(mng.getAllKrigTblName(names), 0);
    EXPECT_NE(mng.lastError().find("integer overflow"), std::string::npos) << mng.lastError();
    EXPECT_EQ(listed(names), "keep/");
}

TEST_F(Catalog, NoMatchLeavesTheListAsItWas) {
    Names names(1);
    std::strcpy(names[0].TableName, "keep");
    EXPECT_EQ(mng.getTblNameByElementAndVoidTbl("Zn", "VA", names), 1);
    EXPECT_EQ(listed(names), "keep/");

    // Quotes in a name are text, not the end of it.
    EXPECT_EQ(mng.getBlockElementByVoid("V'A", names), 1);
    EXPECT_EQ(listed(names), "keep/");
    ASSERT_EQ(insert(run("Pb", "T9", "V'A")), 6);
    EXPECT_EQ(mng.getBlockElementByVoid("v'a", names), 1);
    EXPECT_EQ(listed(names), "/Pb");

    mng.clearDatabase();
    EXPECT_EQ(mng.getAllVoidTblName(names), 0);
    EXPECT_EQ(mng.lastError(), "no database is open");
    EXPECT_EQ(listed(names), "/Pb");
}
