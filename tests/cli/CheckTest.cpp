// What check finds in tables and catalogs spoilt on purpose, by SQL and by
// the library as another program would write them.
#include <nlohmann/json.hpp>

#include "CliFixture.h"
#include "support/Shell.h"
#include "vornel/VornelMng.h"

namespace vornel::test {
namespace {

class CheckTest : public CliTest {
protected:
    // Three 10 m blocks in a row along X, from 0 to 30.
    void SetUp() override {
        write("a.csv",
              "BLOCKID,X,Y,Z,DX,DY,DZ,CU,TONNES\n"
              "1,5,5,5,10,10,10,1,2700\n"
              "2,15,5,5,10,10,10,2,2700\n"
              "3,25,5,5,10,10,10,3,2700\n");
        ok({"import", "m.db", "a.csv", "-t", "A", "-e", "Cu"});
    }

    // The finding of a kind as its severity and what the command prints after
    // the kind's name, as "error: 1 (block 3)"; "" when there is none. The
    // line must stand in the report's columns, the kind's name included.
    std::string finding(const std::string& out, const std::string& what) {
        for (const char* severity : {"error    ", "warning  "}) {
            const std::string line = lineStarting(out, std::string(severity) + what + ":");
            if (!line.empty()) {
                return std::string(severity, std::string(severity).find(' ')) +
                       line.substr(line.find(what) + what.size());
            }
        }
        return "";
    }

    // A block of run 1 from `low` to `low` + 10 along X, with sub-blocks
    // given as {centre X, size X}, each the whole block on Y and Z.
    static KrigBlockResult blockAt(int32_t id, double low,
                                   const std::vector<std::pair<double, double>>& subBlocks,
                                   double coef) {
        KrigBlockResult b;
        b.MineID = 1;
        b.Krig_BlockID = id;
        b.Krig_PntLocX = low + 5;
        b.Krig_PntLocY = b.Krig_PntLocZ = 5;
        b.Krig_GridSizeX = b.Krig_GridSizeY = b.Krig_GridSizeZ = 10;
        b.Block_Coef = coef;
        b.Krig_OutAttr = 1;
        b.Block_CorMass = 2700 * coef;
        b.SubBUD_Num = static_cast<int32_t>(subBlocks.size());
        if (!subBlocks.empty()) {
            b.SubBUD_PntLoc = new D_3DOT[subBlocks.size()];
            b.SubBUD_GridSize = new D_3DOT[subBlocks.size()];
            for (size_t s = 0; s < subBlocks.size(); ++s) {
                b.SubBUD_PntLoc[s] = {subBlocks[s].first, 5, 5};
                b.SubBUD_GridSize[s] = {subBlocks[s].second, 10, 10};
            }
        }
        return b;
    }

    void insert(std::vector<KrigBlockResult> blocks) {
        CVornelMng mng;
        ASSERT_EQ(mng.connectDatabase(path("m.db")), 1) << mng.lastError();
        ASSERT_NE(mng.insertIntoBlockResult("A", blocks.data(), static_cast<long>(blocks.size())),
                  0)
            << mng.lastError();
        for (const KrigBlockResult& b : blocks) {
            delete[] b.SubBUD_PntLoc;
            delete[] b.SubBUD_GridSize;
        }
    }
};

TEST_F(CheckTest, ASoundDatabaseHasNoProblem) {
    write("w.csv", "X,Y,Z,DX,DY,DZ\n15,5,5,10,10,10\n");
    ok({"import", "m.db", "w.csv", "-t", "W", "--voids"});
    // A block of no tonnes is air, not a fault.
    sqliteShell(path("m.db"),
                "UPDATE KrigBlock_Param SET VoidTable_Name = 'W';"
                "UPDATE A SET Block_CorMass = 0 WHERE Krig_BlockID = 3;");
    const std::string out = ok({"check", "m.db"});
    EXPECT_EQ(out,
              "Checked m.db: 1 run in 1 table, 1 void table\n"
              "  catalog: no problem\n"
              "  table A (3 blocks): no problem\n"
              "  void table W (1 void block): no problem\n"
              "No problem found.\n");
}

TEST_F(CheckTest, BlocksAndFiguresThatCannotBe) {
    // Block 2 moved 3 m into block 1; block 3 with no share in the model;
    // block 1 with half its volume and a variance below 0, which may be
    // meant.
    sqliteShell(path("m.db"),
                "UPDATE A SET Krig_PntLocX = 12 WHERE Krig_BlockID = 2;"
                "UPDATE A SET Block_Coef = 0 WHERE Krig_BlockID = 3;"
                "UPDATE A SET Block_Vol = 500, Krig_OutVari = -0.5 WHERE Krig_BlockID = 1;");
    const CliResult r = vornel({"check", "m.db"});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.err, "vornel check: m.db: 2 errors found\n");
    EXPECT_EQ(lineStarting(r.out, "table A"), "  table A (3 blocks): 2 errors, 2 warnings")
        << r.out;
    EXPECT_EQ(finding(r.out, "blocks of one run that overlap"), "error: 1 (blocks 1 and 2)");
    EXPECT_EQ(finding(r.out,
                      "a coefficient (the share of the block in the model) not above 0 and "
                      "at most 1"),
              "error: 1 (block 3: 0)");
    EXPECT_EQ(finding(r.out, "a volume (Block_Vol) other than its box times its coefficient"),
              "warning: 1 (block 1: 500 m3 for 1000)");
    EXPECT_EQ(finding(r.out, "a kriging variance below 0"), "warning: 1 (block 1: -0.5)");
    EXPECT_EQ(linesOf(r.out).back(), "2 errors and 2 warnings.");

    // Blocks that meet face to face, or run half a centimetre into each
    // other (centres rounded to the centimetre), do not overlap.
    sqliteShell(path("m.db"),
                "UPDATE A SET Block_Coef = 1, Block_Vol = 1000, Krig_OutVari = 0;"
                "UPDATE A SET Krig_PntLocX = 15.005 WHERE Krig_BlockID = 2;");
    EXPECT_EQ(linesOf(ok({"check", "m.db"})).back(), "No problem found.");

    // A size of 0 or a centre at infinity is no box, nor do two such
    // overlap; a grade of infinity and tonnes below 0 are no figures.
    sqliteShell(path("m.db"),
                "UPDATE A SET Krig_GridSizeZ = 0 WHERE Krig_BlockID = 3;"
                "UPDATE A SET Krig_PntLocX = 9e999 WHERE Krig_BlockID < 3;"
                "UPDATE A SET Krig_OutAttr = 9e999 WHERE Krig_BlockID = 1;"
                "UPDATE A SET Block_CorMass = -1 WHERE Krig_BlockID = 2;"
                "UPDATE A SET Block_Vol = 9e999, Krig_OutAttr = -999 WHERE Krig_BlockID = 3;");
    const CliResult bad = vornel({"check", "m.db"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(finding(bad.out, "a centre or size that is no number, or a size of 0 or less"),
              "error: 3 (block 1 at (inf, 5, 5), 10 x 10 x 10; block 2 at (inf, 5, 5), 10 x 10 x "
              "10; block 3 at (25, 5, 5), 10 x 10 x 0)");
    EXPECT_EQ(finding(bad.out, "blocks of one run that overlap"), "");
    EXPECT_EQ(finding(bad.out, "a grade that is no number"), "error: 1 (block 1)");
    EXPECT_EQ(finding(bad.out, "a tonnage below 0 or that is no number"), "error: 1 (block 2: -1)");
    EXPECT_EQ(finding(bad.out, "a volume below 0 or that is no number"), "error: 1 (block 3: inf)");
    EXPECT_EQ(finding(bad.out, "a grade below 0, as a code for no value (-99, -999) may be"),
              "warning: 1 (block 3: -999)");
}

// Figures stored as no number read as 0, and a sub-block list cut short
// or overwritten reads as none: only the stored values tell them apart.
TEST_F(CheckTest, WhatABlockReadTakesForZeroOrWhole) {
    insert({blockAt(4, 30, {{32.5, 5}, {37.5, 5}}, 1), blockAt(5, 40, {{42.5, 5}, {47.5, 5}}, 1)});
    sqliteShell(path("m.db"),
                "UPDATE A SET Krig_PntLocX = NULL, Krig_OutAttr = 'high', Krig_OutVari = NULL "
                "WHERE Krig_BlockID = 1;"
                "UPDATE A SET Krig_GridSizeY = 'ten', Block_CorMass = NULL WHERE Krig_BlockID = 2;"
                "UPDATE A SET SubBUDBlob = substr(SubBUDBlob, 1, 60) WHERE rowid = 4;"
                "UPDATE A SET SubBUDBlob = 'junk' WHERE rowid = 5;"
                // 8 characters the column takes, of 24 bytes a record cuts to 18.
                "UPDATE A SET Krig_OreType = '推断的资源量级别' WHERE Krig_BlockID = 3;"
                "UPDATE A SET Krig_ResType = 'Measured' || char(0) || 'X' WHERE Krig_BlockID = 3;"
                "UPDATE A SET Krig_BlockID = NULL WHERE Krig_BlockID = 5;"
                "UPDATE A SET Krig_OutAttr = zeroblob(8) WHERE Krig_BlockID = 4;");
    const CliResult r = vornel({"check", "m.db"});
    EXPECT_EQ(r.status, 1);
    const std::string readAs = ", read as 0 or as the number a text begins with";
    EXPECT_EQ(finding(r.out,
                      "a block number, centre, size or coefficient stored as no number "
                      "(empty, text or bytes)" +
                          readAs),
              "error: 3 (block 0: Krig_BlockID; block 1: Krig_PntLocX; block 2: Krig_GridSizeY)");
    EXPECT_EQ(
        finding(r.out, "a kriging variance stored as no number (empty, text or bytes)" + readAs),
        "warning: 1 (block 1: Krig_OutVari)");
    EXPECT_EQ(
        finding(r.out,
                "a grade stored as no number (empty, text or bytes), which reports leave out"),
        "warning: 2 (block 1: Krig_OutAttr; block 4: Krig_OutAttr)");
    EXPECT_EQ(finding(r.out,
                      "a tonnage stored as no number (empty, text or bytes), read as 0 t or as the "
                      "number a text begins with"),
              "warning: 1 (block 2: Block_CorMass)");
    const std::string unreadable =
        "a sub-block list (SubBUDBlob) that cannot be read, so the block reads as whole";
    EXPECT_EQ(finding(r.out, unreadable), "error: 2 (block 4; block 0)");
    EXPECT_EQ(finding(r.out,
                      "a category or ore type of more than the 19 bytes a block read keeps, or "
                      "holding a NUL byte, read cut"),
              "warning: 2 (block 3: Krig_ResType; block 3: Krig_OreType)");
}

TEST_F(CheckTest, SubBlocksAndRunsAsAnotherProgramMayWriteThem) {
    // Block 4 (30 to 40): sub-block 2 runs 3.5 m into sub-block 1, sub-block
    // 3 reaches 3 m out of the block, and together they fill 1.4 of it.
    // Block 5 (40 to 50): a sub-block half a centimetre out, as rounding
    // leaves it, filling the half its coefficient says. Then one with the
    // number of block 1, and one whose sub-block has no size along X.
    insert({blockAt(4, 30, {{32.5, 5}, {34, 5}, {41, 4}}, 1), blockAt(5, 40, {{47.505, 5}}, 0.5),
            blockAt(1, 60, {}, 1), blockAt(7, 70, {{75, 0}}, 1)});
    const CliResult r = vornel({"check", "m.db", "--table", "A"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(finding(r.out, "a sub-block outside its block"),
              "error: 1 (block 4 sub-block 3 at (41, 5, 5), 4 x 10 x 10)");
    EXPECT_EQ(finding(r.out, "sub-blocks of one block that overlap"),
              "error: 1 (block 4 sub-blocks 1 and 2)");
    EXPECT_EQ(finding(r.out, "a coefficient other than the share of the block its sub-blocks fill"),
              "warning: 1 (block 4: 1, its sub-blocks fill 1.4)");
    EXPECT_EQ(finding(r.out, "a block number that another block of its run has"),
              "error: 1 (block 1)");
    EXPECT_EQ(finding(r.out,
                      "a sub-block whose centre or size is no number, or whose size is 0 "
                      "or less"),
              "error: 1 (block 7 sub-block 1 at (75, 5, 5), 0 x 10 x 10)");
    EXPECT_EQ(lineStarting(r.out, "table A"), "  table A (7 blocks): 4 errors, 1 warning");

    // A void block is checked as a block is.
    write("w.csv", "X,Y,Z,DX,DY,DZ\n15,5,5,10,10,10\n");
    ok({"import", "m.db", "w.csv", "-t", "W", "--voids"});
    sqliteShell(path("m.db"), "UPDATE W SET Krig_GridSizeY = -1;");
    const std::string voids = vornel({"check", "m.db", "--table", "W"}).out;
    EXPECT_EQ(finding(voids, "a centre or size that is no number, or a size of 0 or less"),
              "error: 1 (void block 1 at (15, 5, 5), 10 x -1 x 10)");
    EXPECT_EQ(lineStarting(voids, "table A"), "");

    // Blocks of a run the catalog does not list; once a table holds two
    // runs, blocks are named with theirs, and only blocks of one run
    // overlap.
    sqliteShell(path("m.db"),
                "DELETE FROM A WHERE Krig_BlockID >= 4;"
                "UPDATE A SET MineID = 7, Krig_PntLocX = 5 WHERE Krig_BlockID = 2;");
    const std::string runs = vornel({"check", "m.db"}).out;
    EXPECT_EQ(finding(runs, "blocks of a run the catalog does not list"),
              "error: 1 (block 2 of run 7)");
    EXPECT_EQ(finding(runs, "blocks of one run that overlap"), "");

    // 46 blocks in one place make 1035 overlapping pairs; the search stops
    // at 1000 and says so.
    insert(std::vector<KrigBlockResult>(46, blockAt(100, 100, {}, 1)));
    const std::string many = vornel({"check", "m.db", "--table", "A"}).out;
    EXPECT_EQ(finding(many, "blocks of one run that overlap"),
              "error: 1000 (blocks 100 and 100 of run 1; blocks 100 and 100 of run 1; blocks 100 "
              "and 100 of run 1; ...)");
    EXPECT_EQ(finding(many, "overlapping blocks looked for no further than 1000 pairs"),
              "warning: 1");
}

TEST_F(CheckTest, CatalogRowsThatPointNowhere) {
    write("w.csv", "X,Y,Z,DX,DY,DZ\n15,5,5,10,10,10\n");
    ok({"import", "m.db", "w.csv", "-t", "W", "--voids"});
    ok({"import", "m.db", "a.csv", "-t", "B", "-e", "Cu"});  // run 3, after the void table's 2
    // Only warnings: the command succeeds.
    sqliteShell(path("m.db"), "UPDATE KrigBlock_Param SET Vrg_Num = 2 WHERE Table_Name = 'A';");
    const std::string counted = ok({"check", "m.db"});
    EXPECT_EQ(finding(counted,
                      "a run whose count of variogram structures (Vrg_Num) is not the "
                      "number stored"),
              "warning: 1 (run 1: 2, 0 stored)");
    EXPECT_EQ(linesOf(counted).back(), "0 errors and 1 warning.");
    // A unit code of no unit is read as %: metal in tonnes, not kilograms.
    sqliteShell(path("m.db"), "UPDATE KrigBlock_Param SET OreAttr_Unit = 5 WHERE MineID = 3;");
    EXPECT_EQ(finding(ok({"check", "m.db"}),
                      "a run whose grade unit (OreAttr_Unit) is none of 0 (%), 1 (g/t) and 2 "
                      "(ppm), so its grades are read as %"),
              "warning: 1 (run 3: 5)");
    sqliteShell(path("m.db"), "UPDATE KrigBlock_Param SET OreAttr_Unit = 0 WHERE MineID = 3;");

    sqliteShell(path("m.db"),
                "UPDATE KrigBlock_Param SET VoidTable_Name = 'W' WHERE Table_Name = 'A';"
                "UPDATE KrigBlock_Param SET VoidTable_Name = 'A' WHERE Table_Name = 'B';"
                "DROP TABLE W;");
    const CliResult r = vornel({"check", "m.db"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(lineStarting(r.out, "Checked"), "Checked m.db: 2 runs in 2 tables, 1 void table");
    EXPECT_EQ(finding(r.out, "a run whose void table is not registered as one"),
              "error: 1 (run 3: A)");
    EXPECT_EQ(finding(r.out,
                      "a run whose void table is not in the database, so nothing is "
                      "deducted"),
              "warning: 1 (run 1: W)");
    EXPECT_EQ(finding(r.out, "a registered void table that is not in the database"),
              "error: 1 (W)");
    EXPECT_EQ(lineStarting(r.out, "void table"), "");

    // A second row of run 1's MineID, naming B.
    sqliteShell(path("m.db"),
                "INSERT INTO KrigBlock_Param(MineID, Mine_Element, Table_Name) "
                "VALUES (1, 'Au', 'B')");
    EXPECT_EQ(finding(vornel({"check", "m.db"}).out, "two catalog rows of one MineID"),
              "error: 1 (MineID 1: A and B)");
    // So is the void table's row, of MineID 2, given run 3's.
    sqliteShell(path("m.db"), "UPDATE KrigBlock_Param SET MineID = 3 WHERE Table_Name = 'W'");
    EXPECT_EQ(finding(vornel({"check", "m.db"}).out, "two catalog rows of one MineID"),
              "error: 2 (MineID 1: A and B; MineID 3: B and W)");
    sqliteShell(path("m.db"), "UPDATE KrigBlock_Param SET MineID = 2 WHERE Table_Name = 'W'");
    // A second registration of W under a MineID of its own is no clash.
    sqliteShell(path("m.db"),
                "INSERT INTO KrigBlock_Param SELECT * FROM KrigBlock_Param WHERE "
                "Table_Name = 'W'; UPDATE KrigBlock_Param SET MineID = 9 WHERE "
                "rowid = (SELECT max(rowid) FROM KrigBlock_Param);");
    EXPECT_EQ(finding(vornel({"check", "m.db"}).out, "two catalog rows of one MineID"),
              "error: 1 (MineID 1: A and B)");
    sqliteShell(path("m.db"), "DELETE FROM KrigBlock_Param WHERE MineID = 9");
    sqliteShell(path("m.db"),
                "DELETE FROM KrigBlock_Param WHERE Mine_Element = 'Au'; DROP TABLE B;");
    const std::string gone = vornel({"check", "m.db"}).out;
    EXPECT_EQ(finding(gone, "a run whose block table is not in the database"),
              "error: 1 (run 3: B)");
    EXPECT_EQ(lineStarting(gone, "table B"), "");
    EXPECT_FAILS_WITH(vornel({"check", "m.db", "--table", "C"}), "no block table 'C'");
    // A row without an element, which neither list takes; a row without a
    // table name is a run whose table is missing. And no table of variogram
    // structures at all.
    sqliteShell(path("m.db"),
                "UPDATE KrigBlock_Param SET Mine_Element = NULL WHERE MineID = 1;"
                "INSERT INTO KrigBlock_Param(MineID, Mine_Element, Table_Name) VALUES (7, 'Zn', "
                "' '); DROP TABLE KrigBlock_Vrg_Param;");
    const std::string unseen = vornel({"check", "m.db"}).out;
    EXPECT_EQ(finding(unseen,
                      "a catalog row without an element, which the lists of runs and of "
                      "void tables pass over"),
              "error: 1 (MineID 1)");
    EXPECT_EQ(finding(unseen, "a run whose block table is not in the database"),
              "error: 2 (run 3: B; run 7:  )");
    EXPECT_EQ(finding(unseen,
                      "no table of variogram structures (KrigBlock_Vrg_Param), so no "
                      "run's variogram can be read"),
              "warning: 1");
    EXPECT_EQ(finding(unseen,
                      "a run whose count of variogram structures (Vrg_Num) is not the "
                      "number stored"),
              "");
    // A catalog another program widened is not searched, and check says so.
    sqliteShell(path("m.db"), "ALTER TABLE KrigBlock_Param ADD COLUMN Extra TEXT");
    EXPECT_EQ(finding(vornel({"check", "m.db"}).out,
                      "a catalog of other columns than it is made with, whose rows without an "
                      "element could not be looked for"),
              "warning: 1");
}

// Another tool may rebuild a table with its columns in another order, which
// the library, reading columns by their place, cannot tell.
TEST_F(CheckTest, ColumnsOutOfTheirPlace) {
    sqliteShell(path("m.db"),
                "CREATE TABLE B AS SELECT MineID, Krig_BlockID, Krig_PntLocX, Krig_PntLocY, "
                "Krig_PntLocZ, Krig_GridSizeX, Krig_GridSizeY, Krig_GridSizeZ, Block_Coef, "
                "Krig_OutVari, Krig_OutAttr, Srch_Degr, Krig_PntNum, Krig_MeanDis, Krig_EngZKNum, "
                "Krig_EngTCNum, Krig_EngKDNum, Krig_EngQJNum, Krig_ResType, Krig_OreType, "
                "Krig_Bound, SubBUDBlob, Block_Vol, Ore_Propro, Block_CorMass, Block_OreMass "
                "FROM A; DROP TABLE A; ALTER TABLE B RENAME TO A;");
    const std::string what = "a table whose columns are not those it is read by, in their order";
    const CliResult r = vornel({"check", "m.db"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(lineStarting(r.out, "table A"), "  table A: 1 error, 0 warnings") << r.out;
    EXPECT_EQ(finding(r.out, what), "error: 1 (column 10 is not Krig_OutAttr)");
    EXPECT_EQ(finding(vornel({"check", "m.db", "-t", "A"}).out, what),
              "error: 1 (column 10 is not Krig_OutAttr)");
    // What reads blocks refuses it, rather than take the variance for the
    // grade; info says why it shows no blocks.
    const std::string refusal =
        "m.db: A is not read as blocks: column 10 is not Krig_OutAttr, and a block's figures "
        "are read by the places of its columns ('vornel check' lists what else is wrong)";
    EXPECT_FAILS_WITH(vornel({"report", "m.db", "--cutoffs", "0"}), refusal);
    EXPECT_FAILS_WITH(vornel({"export", "m.db", "-t", "A"}), refusal);
    EXPECT_EQ(lineStarting(ok({"info", "m.db"}), "blocks"),
              "  blocks         not read: column 10 is not Krig_OutAttr ('vornel check' tells "
              "more)");
    const nlohmann::json doc = nlohmann::json::parse(ok({"info", "m.db", "--json"}));
    EXPECT_EQ(doc["runs"][0]["columns_misread"], "column 10 is not Krig_OutAttr");
    // Moved, the sub-block column would fail the reading of any row; an
    // empty table is asked all the same; a column more is found too.
    sqliteShell(path("m.db"),
                "CREATE TABLE B AS SELECT MineID, Krig_BlockID, Krig_PntLocX, Krig_PntLocY, "
                "Krig_PntLocZ, Krig_GridSizeX, Krig_GridSizeY, Krig_GridSizeZ, Block_Coef, "
                "Krig_OutAttr, Krig_OutVari, Srch_Degr, Krig_PntNum, Krig_MeanDis, Krig_EngZKNum, "
                "Krig_EngTCNum, Krig_EngKDNum, Krig_EngQJNum, Krig_ResType, Krig_OreType, "
                "Krig_Bound, Block_Vol, SubBUDBlob, Ore_Propro, Block_CorMass, Block_OreMass "
                "FROM A WHERE 0; DROP TABLE A; ALTER TABLE B RENAME TO A;");
    EXPECT_EQ(finding(vornel({"check", "m.db"}).out, what),
              "error: 1 (column 22 is not SubBUDBlob)");
    // A column after those read is no matter; one fewer is.
    sqliteShell(path("m.db"), "DROP TABLE A;");
    ok({"import", "m.db", "a.csv", "-t", "A2", "-e", "Cu"});
    // However many: a spreadsheet's 300 notes.
    std::string notes;
    for (int i = 0; i < 300; ++i) {
        notes += "ALTER TABLE A2 ADD COLUMN Note" + std::to_string(i) + " TEXT;";
    }
    sqliteShell(path("m.db"), notes);
    EXPECT_EQ(lineStarting(vornel({"check", "m.db"}).out, "table A2"),
              "  table A2 (3 blocks): no problem");
    EXPECT_EQ(rowFor(ok({"report", "m.db", "-t", "A2", "--cutoffs", "0"}), "0"),
              (std::vector<std::string>{"0", "3", "8100", "2.0000", "162.0"}));
    ok({"import", "m.db", "a.csv", "-t", "A3", "-e", "Cu"});
    sqliteShell(path("m.db"), "ALTER TABLE A3 DROP COLUMN Block_OreMass;");
    EXPECT_EQ(finding(vornel({"check", "m.db"}).out, what),
              "error: 1 (fewer than the 26 columns it is read by)");
}

// A run may name a void table, or a table of another kind, as its block
// table: each is one more finding, and the rest is checked still.
TEST_F(CheckTest, TablesThatAreNoBlockTables) {
    write("w.csv", "X,Y,Z,DX,DY,DZ\n15,5,5,10,10,10\n");
    ok({"import", "m.db", "w.csv", "-t", "W", "--voids"});
    ok({"import", "m.db", "a.csv", "-t", "B", "-e", "Cu"});
    sqliteShell(path("m.db"),
                "UPDATE KrigBlock_Param SET Table_Name = 'W' WHERE Table_Name = 'A';"
                "UPDATE KrigBlock_Param SET Table_Name = 'KrigBlock_Vrg_Param' WHERE Table_Name "
                "= 'B';");
    const CliResult r = vornel({"check", "m.db"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(lineStarting(r.out, "Checked"), "Checked m.db: 2 runs in 2 tables, 1 void table");
    EXPECT_EQ(finding(r.out, "a run whose block table is a void table"), "error: 1 (run 1: W)");
    EXPECT_EQ(finding(r.out, "a table whose columns are not those it is read by, in their order"),
              "error: 1 (fewer than the 26 columns it is read by)");
    EXPECT_EQ(lineStarting(r.out, "void table W"), "  void table W (1 void block): no problem");
}

}  // namespace
}  // namespace vornel::test
