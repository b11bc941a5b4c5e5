// Creating, probing and dropping tables; the host's transactions; removing
// runs and blocks; new identifiers.
#include "store/StoreFixture.h"

using vornel::test::StoreTest;

namespace {

bool exists(CVornelMng& mng, const std::string& table) {
    int flag = -1;
    EXPECT_EQ(mng.isExistTbl(table, flag), 1);
    EXPECT_EQ(mng.lastError(), "") << "an answer clears the failure before it";
    return flag == 1;
}

}  // namespace

TEST_F(StoreTest, BlockTablesHaveTheirColumnsInOrderAndAnIndex) {
    ASSERT_EQ(mng.createBlockResultTbl("T1"), 1);
    ASSERT_EQ(mng.createBlockVoidTbl("V1"), 1);
    EXPECT_EQ(shell("SELECT group_concat(name, ',') FROM pragma_table_info('T1')"),
              "MineID,Krig_BlockID,Krig_PntLocX,Krig_PntLocY,Krig_PntLocZ,Krig_GridSizeX,"
              "Krig_GridSizeY,Krig_GridSizeZ,Block_Coef,Krig_OutAttr,Krig_OutVari,Srch_Degr,"
              "Krig_PntNum,Krig_MeanDis,Krig_EngZKNum,Krig_EngTCNum,Krig_EngKDNum,"
              "Krig_EngQJNum,Krig_ResType,Krig_OreType,Krig_Bound,SubBUDBlob,Block_Vol,"
              "Ore_Propro,Block_CorMass,Block_OreMass\n");
    EXPECT_EQ(shell("SELECT group_concat(name, ',') FROM pragma_table_info('V1')"),
              "MineID,Krig_BlockID,Krig_PntLocX,Krig_PntLocY,Krig_PntLocZ,Krig_GridSizeX,"
              "Krig_GridSizeY,Krig_GridSizeZ,Block_Coef,Krig_OreType,Krig_Bound,SubBUDBlob\n");
    EXPECT_EQ(shell("SELECT tbl_name, group_concat(name) FROM pragma_index_list('T1') JOIN "
                    "sqlite_schema USING(name) GROUP BY 1"),
              "T1|T1.T1ID\n");
    EXPECT_EQ(shell("SELECT name FROM pragma_index_info('T1.T1ID')"), "Krig_BlockID\n");

    // A table named like the other's index.
    EXPECT_EQ(mng.createBlockResultTbl("T1ID"), 1);
    EXPECT_TRUE(exists(mng, "T1ID"));
    EXPECT_TRUE(exists(mng, "T1"));

    // Names that would carry the bare index statements to another table get
    // no index, and leave the others' alone.
    EXPECT_EQ(mng.createBlockResultTbl("z on KrigBlock_Param(MineID) --"), 1);
    EXPECT_EQ(mng.createBlockVoidTbl("T1 Au"), 1);
    EXPECT_EQ(mng.dropTable("T1ID ON T1 --"), 1);
    EXPECT_EQ(shell("SELECT group_concat(name) FROM (SELECT name FROM sqlite_schema WHERE "
                    "type = 'index' ORDER BY 1)"),
              "T1.T1ID,T1ID.T1IDID,V1.V1ID\n");

    // Made again, a table is made empty.
    shell("INSERT INTO T1(MineID, Krig_BlockID) VALUES (1, 1), (1, 2)");
    EXPECT_EQ(mng.createBlockResultTbl("T1"), 1);
    EXPECT_EQ(shell("SELECT count(*) FROM T1"), "0\n");
}

TEST_F(StoreTest, TablesAreProbedAndDroppedByName) {
    ASSERT_EQ(mng.createBlockResultTbl("T1"), 1);
    EXPECT_EQ(mng.initDataBase(), 1);  // again: the tables are there
    EXPECT_TRUE(exists(mng, "KrigBlock_Param"));
    EXPECT_FALSE(exists(mng, "Nothing"));
    EXPECT_FALSE(exists(mng, "T1; DROP TABLE T1"));
    // Each would name T1 unbracketed, as another name or in a schema, or
    // hold it in a longer query; a name that needs brackets reads as absent.
    for (const char* longer : {"T1 Au", "main.T1", "T1 WHERE 0", "T1 --x", "T1\tT"}) {
        EXPECT_FALSE(exists(mng, longer)) << longer;
    }
    EXPECT_TRUE(exists(mng, "T1"));
    ASSERT_EQ(mng.createBlockResultTbl("铜_2"), 1);
    EXPECT_TRUE(exists(mng, "铜_2"));
    EXPECT_EQ(mng.dropTable("Nothing"), 1);  // the failing statements only warn
    EXPECT_EQ(mng.dropTable("T1"), 1);
    EXPECT_FALSE(exists(mng, "T1"));
    mng.clearDatabase();
    EXPECT_EQ(mng.createBlockVoidTbl("V"), 0);
    int flag = 7;
    EXPECT_EQ(mng.isExistTbl("KrigBlock_Param", flag), 0);
    EXPECT_EQ(flag, 7);
}

TEST_F(StoreTest, TheHostTransactionDecidesForEverything) {
    for (const int end : {0, 7}) {  // Rollback, then any non-zero: commit
        ASSERT_EQ(mng.beginTransact(), 1);
        EXPECT_EQ(insert(run("Cu", "T1", "")), 1);
        EXPECT_EQ(mng.createBlockResultTbl("T1"), 1);
        ASSERT_EQ(mng.endTransact(static_cast<CompletionType>(end)), 1);
        EXPECT_EQ(exists(mng, "T1"), end != 0);
    }
    // The run rolled back left nothing, not even its MineID taken.
    EXPECT_EQ(shell("SELECT MineID, Table_Name FROM KrigBlock_Param"), "1|T1\n");
    EXPECT_EQ(mng.endTransact(Commit), 0);  // none is open
    EXPECT_EQ(mng.lastError(), "cannot commit the transaction: No transaction is active.");
    ASSERT_EQ(mng.beginTransact(), 1);
    EXPECT_EQ(mng.insertIntoBlockVrgParam(nullptr, 1), 0);
    EXPECT_EQ(mng.endTransact(Commit), 1);
    EXPECT_EQ(mng.lastError(), "") << "a success clears the failure before it";
}

TEST_F(StoreTest, DeletingRunsAndBlocks) {
    ASSERT_EQ(mng.createBlockResultTbl("T1"), 1);
    shell(
        "INSERT INTO KrigBlock_Param(MineID, Table_Name) VALUES (1, 'T0'), (2, 'T1'), (3, 'T1'); "
        "INSERT INTO KrigBlock_Vrg_Param(MineID, Vrg_TblName) VALUES (1, 'T0'), (2, 'T1'), "
        "(3, 'T1'); "
        "INSERT INTO T1(MineID, Krig_BlockID) VALUES (2, 1), (2, 2), (3, 1)");

    EXPECT_EQ(mng.deleteBlock("T1", 0), 0);  // refused, rolled back
    EXPECT_TRUE(exists(mng, "T1"));
    EXPECT_EQ(mng.deleteBlockByID("T1", 2), 1);
    EXPECT_EQ(shell("SELECT MineID FROM T1"), "3\n");
    EXPECT_EQ(shell("SELECT count(*) FROM KrigBlock_Param"), "3\n");
    EXPECT_EQ(mng.deleteBlockByID("T1", 0), 0);
    EXPECT_EQ(mng.deleteBlockNotTbl("T1"), 1);
    EXPECT_TRUE(exists(mng, "T1"));
    EXPECT_EQ(shell("SELECT count(*) FROM T1"), "0\n");

    EXPECT_EQ(mng.deleteBlock("T1"), 1);
    EXPECT_FALSE(exists(mng, "T1"));
    EXPECT_EQ(shell("SELECT MineID FROM KrigBlock_Param; SELECT MineID FROM "
                    "KrigBlock_Vrg_Param"),
              "1\n1\n");
    EXPECT_EQ(mng.createBlockResultTbl("T0"), 1);
    EXPECT_EQ(mng.deleteBlock("T0", 1), 1);
    EXPECT_FALSE(exists(mng, "T0"));
    EXPECT_EQ(shell("SELECT count(*) FROM KrigBlock_Param; SELECT count(*) FROM "
                    "KrigBlock_Vrg_Param"),
              "0\n0\n");
}

TEST_F(StoreTest, IdentifiersContinueFromTheStoredMaxima) {
    long id = -5;
    EXPECT_EQ(mng.getNextMineID(id), 1);
    EXPECT_EQ(id, 1);
    // Runs go on after the largest MineID, whatever gaps lie below it.
    shell("INSERT INTO KrigBlock_Param(MineID) VALUES (3), (8), (5)");
    EXPECT_EQ(mng.getNextMineID(id), 9);
    EXPECT_EQ(id, 9);
    EXPECT_EQ(mng.deleteBlockParam(8), 1);
    KrigBlockParam two[2];
    std::vector<long> ids = {1};
    EXPECT_EQ(mng.insertIntoBlockParam(two, 0, ids), 0);
    EXPECT_TRUE(ids.empty());
    EXPECT_EQ(mng.insertIntoBlockParam(nullptr, 2, ids), 0);
    EXPECT_EQ(mng.getNextMineID(id), 6);
    EXPECT_EQ(mng.lastError(), "") << "a success clears the failure before it";
    EXPECT_EQ(mng.insertIntoBlockParam(two, 2, ids), 6);
    EXPECT_EQ(ids, (std::vector<long>{6, 7}));

    // Without a KrigBlock_Result table the maximum reads as 0.
    EXPECT_EQ(mng.getNextBlockID(5, id), 2);
    EXPECT_EQ(id, 1);
    ASSERT_EQ(mng.createBlockResultTbl("KrigBlock_Result"), 1);
    shell(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40) "
        "INSERT INTO KrigBlock_Result(MineID, Krig_BlockID) SELECT 5, i FROM n");
    EXPECT_EQ(mng.getNextBlockID(5, id), 42);
    EXPECT_EQ(id, 41);
    EXPECT_EQ(mng.getNextBlockID(6, id), 2);
    EXPECT_EQ(id, 1);
    ASSERT_EQ(mng.createBlockResultTbl("T1"), 1);
    shell("INSERT INTO T1(MineID, Krig_BlockID) VALUES (2, 17)");
    EXPECT_EQ(mng.getNextBlockID("T1", 2, id), 19);
    EXPECT_EQ(id, 18);
    // A run whose blocks reach the 32-bit limit has no identifier left.
    shell("INSERT INTO T1(MineID, Krig_BlockID) VALUES (3, 2147483647)");
    EXPECT_EQ(mng.getNextBlockID("T1", 3, id), 0);
    EXPECT_EQ(mng.lastError(), "no block identifier is left for this MineID");
    id = 123;
    EXPECT_EQ(mng.getNextBlockID("T1", 0, id), 0);
    EXPECT_EQ(mng.getNextBlockID(-1, id), 0);
    EXPECT_EQ(id, 123);
    EXPECT_EQ(mng.getNextBlockID("T1", 1, id), 2);
    EXPECT_EQ(mng.lastError(), "") << "a success clears the failure before it";
    // Numbers below 1 stored by a host or another program: the next is 1,
    // a status is never 0 or below for a success.
    shell("INSERT INTO T1(MineID, Krig_BlockID) VALUES (4, -2), (5, -5), (6, 0)");
    for (const long run : {4, 5, 6}) {
        id = 123;
        EXPECT_EQ(mng.getNextBlockID("T1", run, id), 2) << run;
        EXPECT_EQ(id, 1) << run;
    }

    // At the 32-bit limit no identifier is left: after 2147483645, two.
    shell("INSERT INTO KrigBlock_Param(MineID) VALUES (2147483645)");
    KrigBlockParam three[3];
    EXPECT_EQ(mng.insertIntoBlockParam(three, 3, ids), 0);
    EXPECT_EQ(mng.lastError(), "no MineID is left for so many runs");
    EXPECT_EQ(mng.insertIntoBlockParam(three, 2, ids), 2147483646);
    EXPECT_EQ(mng.getNextMineID(id), 0);
    EXPECT_EQ(mng.lastError(), "no MineID is left");
    EXPECT_EQ(mng.insertIntoBlockParam(two, 1, ids), 0);
    EXPECT_TRUE(ids.empty());
    shell("DELETE FROM KrigBlock_Param; INSERT INTO KrigBlock_Param(MineID) VALUES (-5)");
    EXPECT_EQ(mng.insertIntoBlockParam(two, 1, ids), 1);
    EXPECT_EQ(ids, std::vector<long>{1});
}
