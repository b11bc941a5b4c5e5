// The catalog answers for a database of three runs and two void tables.
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

    static std::vector<std::string> tables(const Names& names) {
        std::vector<std::string> out;
        for (const auto& n : names) {
            out.emplace_back(n.TableName);
        }
        return out;
    }

    static std::vector<std::string> elements(const Names& names) {
        std::vector<std::string> out;
        for (const auto& n : names) {
            out.emplace_back(n.ElementName);
        }
        return out;
    }
};

using Strings = std::vector<std::string>;

}  // namespace

TEST_F(Catalog, AnswersInRowOrder) {
    Names names;
    ASSERT_EQ(mng.getAllVoidTblName(names), 1);
    EXPECT_EQ(tables(names), (Strings{"VA", "VB"}));
    EXPECT_EQ(elements(names), (Strings{"", ""}));

    ASSERT_EQ(mng.getAllKrigTblName(names), 1);
    EXPECT_EQ(tables(names), (Strings{"T1", "T2", "T3"}));
    EXPECT_EQ(elements(names), (Strings{"Cu", "Au", "Cu"}));

    ASSERT_EQ(mng.getBlockElementByVoid("va", names), 1);
    EXPECT_EQ(elements(names), (Strings{"Cu", "Au"}));
    EXPECT_EQ(tables(names), (Strings{"", ""}));

    ASSERT_EQ(mng.getTblNameByElementAndVoidTbl("cu", "VA", names), 1);
    EXPECT_EQ(tables(names), (Strings{"T1"}));

    ASSERT_EQ(mng.getBlockElementAndVoidTblByTblName("t3", names), 1);
    EXPECT_EQ(tables(names), (Strings{"VB"}));
    EXPECT_EQ(elements(names), (Strings{"Cu"}));
}

TEST_F(Catalog, NoMatchLeavesTheListAsItWas) {
    Names names(1);
    std::strcpy(names[0].TableName, "keep");
    EXPECT_EQ(mng.getTblNameByElementAndVoidTbl("Zn", "VA", names), 1);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_STREQ(names[0].TableName, "keep");

    // Quotes in a name are text, not the end of it.
    EXPECT_EQ(mng.getBlockElementByVoid("V'A", names), 1);
    EXPECT_STREQ(names[0].TableName, "keep");
    ASSERT_EQ(insert(run("Pb", "T9", "V'A")), 6);
    EXPECT_EQ(mng.getBlockElementByVoid("v'a", names), 1);
    EXPECT_EQ(elements(names), (Strings{"Pb"}));
}

TEST_F(Catalog, DistinctElementsAreCaseSensitive) {
    insert(run("CU", "T4", "VA"));
    insert(run("Cu", "T5", "VA"));
    Names names;
    ASSERT_EQ(mng.getBlockElementByVoid("VA", names), 1);
    EXPECT_EQ(elements(names), (Strings{"Cu", "Au", "CU"}));
}

TEST_F(Catalog, OnlyVoidRowsMeansNoRuns) {
    EXPECT_EQ(mng.deleteBlockParam(std::string("T1")), 1);
    EXPECT_EQ(mng.deleteBlockParam(std::string("T2")), 1);
    EXPECT_EQ(mng.deleteBlockParam(std::string("T3")), 1);
    Names names(2);
    EXPECT_EQ(mng.getAllKrigTblName(names), 1);
    EXPECT_EQ(names.size(), 2u);

    mng.clearDatabase();
    EXPECT_EQ(mng.getAllVoidTblName(names), 0);
    EXPECT_EQ(mng.lastError(), "no database is open");
    EXPECT_EQ(names.size(), 2u);
}
