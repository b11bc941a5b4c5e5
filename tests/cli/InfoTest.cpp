// What info tells about a database, and compact keeping what it holds.
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "CliFixture.h"
#include "vornel/VornelMng.h"

namespace vornel::test {
namespace {

using InfoTest = CliTest;

TEST_F(InfoTest, RunsWithTheirCountsAndRanges) {
    write("model.csv",
          "PARENT,X,Y,Z,DX,DY,DZ,CU,VAR,CATEGORY,ORETYPE\n"
          "1,2.5,5,5,5,10,10,0.5,0.1,Measured,Sulphide\n"
          "2,15,5,5,10,10,10,1.5,0.3,Indicated,Oxide\n"
          "3,25,5,45,10,10,10,2.5,0.2,Indicated,Sulphide\n");
    ok({"import", "m.db", "model.csv", "-t", "CU_RUN", "-e", "Cu", "--block-size", "10", "--name",
        "Test run", "--void-table", "VOIDS"});
    const std::string info = ok({"info", "m.db"});
    EXPECT_NE(info.find("m.db: 1 run, 0 void tables"), std::string::npos) << info;
    EXPECT_NE(info.find("Run 1: table CU_RUN, element Cu (%)"), std::string::npos) << info;
    EXPECT_EQ(lineStarting(info, "description"), "  description    Test run");
    EXPECT_EQ(lineStarting(info, "blocks"),
              "  blocks         3 (2 whole, 1 split into 1 sub-block)");
    EXPECT_EQ(lineStarting(info, "Cu"), "  Cu             0.5 .. 2.5 %");
    EXPECT_EQ(lineStarting(info, "variance"), "  variance       0.1 .. 0.3");
    // In the order of confidence, as a resource statement has them.
    EXPECT_EQ(lineStarting(info, "categories"), "  categories     Measured 1, Indicated 2");
    EXPECT_EQ(lineStarting(info, "ore types"), "  ore types      Oxide 1, Sulphide 2");
    // No search pass recorded: no line for them; then two passes, as
    // counted rather than as spelt.
    EXPECT_EQ(lineStarting(info, "search passes"), "");
    sqliteShell(path("m.db"), "UPDATE CU_RUN SET Srch_Degr = 2 + 8 * (Krig_BlockID = 3)");
    EXPECT_EQ(lineStarting(ok({"info", "m.db"}), "search passes"),
              "  search passes  pass 2 2, pass 10 1");
    // A block without an ore type among blocks with one is counted too.
    sqliteShell(path("m.db"), "UPDATE CU_RUN SET Krig_OreType = NULL WHERE Krig_BlockID = 1");
    EXPECT_EQ(lineStarting(ok({"info", "m.db"}), "ore types"),
              "  ore types      Oxide 1, Sulphide 1, (none) 1");
    EXPECT_EQ(lineStarting(info, "block centres"),
              "  block centres  X 5 .. 25, Y 5 .. 5, Z 5 .. 45");
    EXPECT_EQ(lineStarting(info, "grid"),
              "  grid           3 x 1 x 5 blocks of 10 x 10 x 10 from (0, 0, 0) to (30, 10, 50)");
    EXPECT_EQ(lineStarting(info, "sub-blocks"), "  sub-blocks     down to 5 x 10 x 10");
    EXPECT_EQ(lineStarting(info, "void table"), "  void table     VOIDS");
    for (const char* fact : {"variogram", "search"}) {
        EXPECT_EQ(lineStarting(info, fact), "") << "an import knows no " << fact;
    }
    EXPECT_EQ(lineStarting(info, "table "), "") << "the run has its table to itself";
    // A sill recorded without its structures, as another program may, is told.
    sqliteShell(path("m.db"), "UPDATE KrigBlock_Param SET Vrg_Nug = 0.2, Vrg_Sill = 1.5");
    EXPECT_EQ(lineStarting(ok({"info", "m.db"}), "variogram"),
              "  variogram      nugget 0.2, sill 1.5");
    // Blocks that another program stored under another MineID, alone in the
    // run's table, are the run's all the same.
    sqliteShell(path("m.db"), "UPDATE CU_RUN SET MineID = 9");
    EXPECT_EQ(lineStarting(ok({"info", "m.db"}), "blocks"),
              "  blocks         3 (2 whole, 1 split into 1 sub-block)");
    // Not so once the catalog lists a second run there: each has its own,
    // and a run without blocks has none.
    sqliteShell(path("m.db"),
                "UPDATE CU_RUN SET MineID = 1; INSERT INTO KrigBlock_Param(MineID, "
                "Mine_Element, Table_Name, OreAttr_Unit) VALUES (2, 'Au', 'CU_RUN', 0)");
    const std::string shared = ok({"info", "m.db"});
    const size_t second = shared.find("\nRun 2:");
    ASSERT_NE(second, std::string::npos) << shared;
    EXPECT_EQ(lineStarting(shared.substr(0, second), "blocks"),
              "  blocks         3 (2 whole, 1 split into 1 sub-block)");
    EXPECT_EQ(lineStarting(shared.substr(second), "blocks"),
              "  blocks         0 (0 whole, 0 split into 0 sub-blocks)");
    EXPECT_EQ(lineStarting(shared.substr(second), "Au"), "");
    // Without its table, a run keeps what the catalog says of it.
    sqliteShell(path("m.db"), "DROP TABLE CU_RUN");
    const std::string gone = ok({"info", "m.db"});
    EXPECT_EQ(lineStarting(gone, "blocks"), "  blocks         none: the table is missing");
    EXPECT_EQ(lineStarting(gone, "grid"),
              "  grid           3 x 1 x 5 blocks of 10 x 10 x 10 from (0, 0, 0) to (30, 10, 50)");
    EXPECT_EQ(lineStarting(gone, "void table"), "  void table     VOIDS");
}

// The same facts for scripts, read back with a JSON reader: the model of the
// test above, a run whose table is gone, and texts another program wrote in
// another encoding.
TEST_F(InfoTest, JsonHoldsTheFactsForScripts) {
    write("model.csv",
          "PARENT,X,Y,Z,DX,DY,DZ,CU,VAR,CATEGORY,ORETYPE\n"
          "1,2.5,5,5,5,10,10,0.5,0.1,Measured,Sulphide\n"
          "1,6.25,5,5,2.5,10,10,0.5,0.1,Measured,Sulphide\n"
          "2,15,5,5,10,10,10,1.5,0.3,Indicated,Oxide\n"
          "3,25,5,45,10,10,10,2.5,0.2,Indicated,Sulphide\n");
    ok({"import", "m.db", "model.csv", "-t", "CU_RUN", "-e", "Cu", "--block-size", "10",
        "--void-table", "VOIDS"});
    write("voids.csv",
          "X,Y,Z,DX,DY,DZ,PARENT_X,PARENT_Y,PARENT_Z,PARENT_DX,PARENT_DY,PARENT_DZ\n"
          "5,5,5,10,10,10,5,5,5,10,10,10\n12.5,5,5,5,10,10,15,5,5,10,10,10\n");
    ok({"import", "m.db", "voids.csv", "-t", "VOIDS", "--voids"});
    sqliteShell(
        path("m.db"),
        "UPDATE CU_RUN SET Krig_OreType = 'Sulph' || CAST(X'E9' AS TEXT) WHERE Krig_BlockID = 3;"
        "UPDATE CU_RUN SET Srch_Degr = 3 WHERE Krig_BlockID = 1;"
        "INSERT INTO KrigBlock_Param(MineID, Mine_Element, Table_Name, OreAttr_Unit) "
        "VALUES (9, 'Au', 'GONE', 1)");
    const nlohmann::json doc = nlohmann::json::parse(ok({"info", "m.db", "--json"}));
    EXPECT_EQ(doc["database"], "m.db");
    ASSERT_EQ(doc["runs"].size(), 2U);
    const nlohmann::json& run = doc["runs"][0];
    EXPECT_EQ(run["table"], "CU_RUN");
    EXPECT_EQ(run["element"], "Cu");
    EXPECT_EQ(run["unit"], "%");
    EXPECT_EQ(run["table_missing"], false);
    EXPECT_EQ(run["blocks"], 3);
    EXPECT_EQ(run["whole"], 2);
    EXPECT_EQ(run["split"], 1);
    EXPECT_EQ(run["sub_blocks"], 2);
    EXPECT_EQ(run["grade"], nlohmann::json({{"min", 0.5}, {"max", 2.5}}));
    EXPECT_EQ(run["variance"], nlohmann::json({{"min", 0.1}, {"max", 0.3}}));
    EXPECT_EQ(run["categories"], nlohmann::json::parse(R"([{"name": "Measured", "blocks": 1},
                                                          {"name": "Indicated", "blocks": 2}])"));
    // The byte E9 alone is no UTF-8: it reads as U+FFFD, in the place of
    // the name as stored (after "Sulphide", as E9 comes after 'i').
    EXPECT_EQ(run["ore_types"], nlohmann::json::parse(R"([{"name": "Oxide", "blocks": 1},
                                                         {"name": "Sulphide", "blocks": 1},
                                                         {"name": "Sulph\ufffd", "blocks": 1}])"));
    // Blocks without a recorded pass are no pass, and counted last.
    EXPECT_EQ(run["passes"], nlohmann::json::parse(R"j([{"name": "pass 3", "blocks": 1},
                                                        {"name": "(none)", "blocks": 2}])j"));
    EXPECT_EQ(run["centres"], nlohmann::json::parse(R"({"min": [5, 5, 5], "max": [25, 5, 45]})"));
    EXPECT_EQ(run["grid"], nlohmann::json::parse(R"({"blocks": [3, 1, 5], "size": [10, 10, 10],
                                                    "start": [0, 0, 0], "end": [30, 10, 50]})"));
    EXPECT_EQ(run["sub_block_size"], nlohmann::json::parse("[2.5, 10, 10]"));
    EXPECT_TRUE(run["search"].is_null());
    EXPECT_TRUE(run["variogram"].is_null());
    // A sill recorded without its structures is a variogram all the same.
    sqliteShell(path("m.db"), "UPDATE KrigBlock_Param SET Vrg_Nug = 0.2, Vrg_Sill = 1.5");
    EXPECT_EQ(nlohmann::json::parse(ok({"info", "m.db", "--json"}))["runs"][0]["variogram"],
              nlohmann::json::parse(R"({"nugget": 0.2, "sill": 1.5, "structures": []})"));
    // A structure's angles; a grade at infinity, which JSON cannot hold as
    // a number, and a variance stored empty, which is none.
    sqliteShell(path("m.db"),
                "INSERT INTO KrigBlock_Vrg_Param(MineID, Vrg_Type, Vrg_LocSill, Vrg_Azm, Vrg_Dip, "
                "Vrg_Org, Vrg_MaxRang, Vrg_MinRang, Vrg_VerRang, Vrg_TblName) VALUES (1, "
                "'spherical', 1.3, 60, -55, 10, 80, 40, 20, 'CU_RUN'); UPDATE CU_RUN SET "
                "Krig_OutAttr = 9e999 WHERE Krig_BlockID = 3; UPDATE CU_RUN SET Krig_OutVari = "
                "NULL WHERE Krig_BlockID = 2");
    const nlohmann::json odd = nlohmann::json::parse(ok({"info", "m.db", "--json"}))["runs"][0];
    EXPECT_EQ(odd["variogram"]["structures"], nlohmann::json::parse(R"([{"type": "spherical",
        "sill": 1.3, "angles": [60, -55, 10], "ranges": [80, 40, 20]}])"));
    EXPECT_EQ(odd["grade"], nlohmann::json({{"min", 0.5}, {"max", "inf"}}));
    EXPECT_EQ(odd["variance"], nlohmann::json({{"min", 0.1}, {"max", 0.2}}));
    const std::string text = ok({"info", "m.db"});
    EXPECT_EQ(lineStarting(text, "variogram"),
              "  variogram      nugget 0.2, sill 1.5; spherical 1.3 (80 x 40 x 20 at 60/-55/10)");
    EXPECT_EQ(lineStarting(text, "variance"), "  variance       0.1 .. 0.2");
    EXPECT_EQ(run["void_table"], "VOIDS");
    const nlohmann::json& gone = doc["runs"][1];
    EXPECT_EQ(gone["table_missing"], true);
    EXPECT_EQ(gone["unit"], "g/t");
    EXPECT_FALSE(gone.contains("blocks"));
    EXPECT_TRUE(gone["void_table"].is_null());
    // A 1000 m3 void block, and one with a sub-block of half that.
    EXPECT_EQ(doc["void_tables"], nlohmann::json::parse(R"([{"table": "VOIDS",
        "table_missing": false, "void_blocks": 2, "with_sub_blocks": 1, "volume": 1500}])"));
}

// Run 2 shares run 1's table, ten times richer and 100 m higher, and one of
// its grades is text another tool left (''): each run is told apart, and a
// text grade is no grade. Run 3 names a table that is gone, as does one void table.
TEST_F(InfoTest, RunsSharingATableAreToldApart) {
    write("a.csv", "X,Y,Z,DX,DY,DZ,AU\n5,5,5,10,10,10,1\n15,5,5,10,10,10,2\n");
    ok({"import", "m.db", "a.csv", "-t", "T", "-e", "Au", "--unit", "g/t"});
    sqliteShell(path("m.db"),
                "INSERT INTO T SELECT * FROM T; UPDATE T SET MineID = 2, Krig_OutAttr = "
                "Krig_OutAttr * 10, Krig_PntLocZ = Krig_PntLocZ + 100 WHERE rowid > 2; "
                "UPDATE T SET Krig_OutAttr = '' WHERE rowid = 4; INSERT INTO "
                "KrigBlock_Param(MineID, Mine_Element, Table_Name, OreAttr_Unit) "
                "VALUES (2, 'Ag', 'T', 1), (3, 'Zn', 'GONE', 0), (4, 'VoidBlock', 'HOLES', 0), "
                "(5, 'VoidBlock', 'NOHOLES', 0); CREATE TABLE NOHOLES(MineID INTEGER);");
    const std::string info = ok({"info", "m.db"});
    const size_t second = info.find("\nRun 2:");
    ASSERT_NE(second, std::string::npos) << info;
    const std::string first = info.substr(0, second);
    const std::string other = info.substr(second);
    EXPECT_EQ(lineStarting(first, "blocks"),
              "  blocks         2 (2 whole, 0 split into 0 sub-blocks)");
    EXPECT_EQ(lineStarting(first, "Au"), "  Au             1 .. 2 g/t");
    EXPECT_EQ(lineStarting(first, "sub-blocks"), "") << "no block is split";
    EXPECT_EQ(lineStarting(first, "block centres"),
              "  block centres  X 5 .. 15, Y 5 .. 5, Z 5 .. 5");
    EXPECT_EQ(lineStarting(first, "table"), "  table          shared by 2 runs, 4 blocks in all");
    EXPECT_EQ(lineStarting(other, "Ag"), "  Ag             10 .. 10 g/t (1 block without a grade)");
    EXPECT_EQ(lineStarting(other, "block centres"),
              "  block centres  X 5 .. 15, Y 5 .. 5, Z 105 .. 105");
    const size_t third = info.find("\nRun 3: table GONE");
    ASSERT_NE(third, std::string::npos) << info;
    EXPECT_EQ(lineStarting(info.substr(third), "blocks"),
              "  blocks         none: the table is missing");
    // So may a void table be, or be empty.
    EXPECT_EQ(lineStarting(info, "Void table HOLES"),
              "Void table HOLES: registered, but the table is missing");
    EXPECT_EQ(lineStarting(info, "Void table NOHOLES"),
              "Void table NOHOLES: 0 void blocks (0 with sub-blocks), 0 m3");
}

// Block 2 overflows as it is read: no command takes that for an empty table.
TEST_F(InfoTest, ATableThatCannotBeReadIsNotEmpty) {
    write("a.csv", "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,10,1\n15,5,5,10,10,10,2\n");
    ok({"import", "m.db", "a.csv", "-t", "T", "-e", "Cu"});
    sqliteShell(path("m.db"),
                "ALTER TABLE T ADD COLUMN Broken GENERATED ALWAYS AS (CASE WHEN Krig_BlockID = 2 "
                "THEN abs(-9223372036854775807 - 1) END) VIRTUAL");
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"info", "m.db"},
          {"export", "m.db", "-t", "T"},
          {"report", "m.db", "-t", "T", "--cutoffs", "0"}}) {
        EXPECT_FAILS_WITH(vornel(command), ": m.db: cannot read the blocks of T: ");
    }
    sqliteShell(path("m.db"), "ALTER TABLE T DROP COLUMN Broken");
    // A column missing, in a copy: info says why it reads no block, and
    // beside another database, the table is not taken for the first's.
    sqliteShell(path("m.db"), "VACUUM INTO '" + path("c.db") + "'");
    sqliteShell(path("c.db"), "ALTER TABLE T DROP COLUMN Krig_OutAttr");
    EXPECT_EQ(lineStarting(ok({"info", "c.db"}), "blocks"),
              "  blocks         not read: fewer than the 26 columns it is read by ('vornel check' "
              "tells more)");
    const CliResult beside =
        vornel({"compare", "m.db", "-t", "T", "--with", "T", "--with-db", "c.db"});
    EXPECT_FAILS_WITH(beside,
                      "vornel compare: c.db: T is not read as blocks: fewer than the 26 columns");
    EXPECT_FALSE(contains(beside.err, "m.db")) << beside.err;

    // Nor a void table, a run's variogram structures or the catalog for
    // none: run 3 in U, with the void table V and a structure.
    write("v.csv", "X,Y,Z,DX,DY,DZ\n5,5,5,10,10,10\n");
    ok({"import", "m.db", "v.csv", "-t", "V", "--voids"});
    ok({"import", "m.db", "a.csv", "-t", "U", "-e", "Cu", "--void-table", "V"});
    sqliteShell(path("m.db"),
                "INSERT INTO KrigBlock_Vrg_Param VALUES "
                "(3, 'Spherical', 1, 0, 0, 0, 50, 50, 50, 'U')");
    const std::string broken =
        " ADD COLUMN Broken GENERATED ALWAYS AS "
        "(abs(-9223372036854775807 - 1)) VIRTUAL";
    sqliteShell(path("m.db"), "ALTER TABLE V" + broken);
    const CliResult voids = vornel({"info", "m.db"});
    EXPECT_FAILS_WITH(voids, "m.db: the void table 'V' cannot be read: ");
    // Nothing of the runs read before it passes for the listing.
    EXPECT_EQ(voids.out, "");
    EXPECT_FAILS_WITH(vornel({"section", "m.db", "-t", "U", "--z", "5"}),
                      "m.db: the void table 'V' cannot be read: ");
    sqliteShell(path("m.db"),
                "ALTER TABLE V DROP COLUMN Broken; ALTER TABLE KrigBlock_Vrg_Param" + broken);
    for (const std::vector<std::string>& command : {std::vector<std::string>{"info", "m.db"},
                                                    {"info", "m.db", "--json"},
                                                    {"variogram", "m.db", "-t", "U"}}) {
        const CliResult failed = vornel(command);
        EXPECT_FAILS_WITH(failed, "m.db: the variogram structures of run 3 cannot be read: ");
        EXPECT_EQ(failed.out, "");
    }
    const CliResult checked = vornel({"check", "m.db"});
    EXPECT_EQ(checked.status, 1);
    EXPECT_TRUE(contains(checked.out, "a run whose variogram structures cannot be read"))
        << checked.out;
    // A run's catalog row that cannot be read hides no run.
    sqliteShell(path("m.db"),
                "ALTER TABLE KrigBlock_Param ADD COLUMN Broken GENERATED ALWAYS AS (CASE WHEN "
                "Table_Name = 'U' THEN abs(-9223372036854775807 - 1) END) VIRTUAL");
    EXPECT_FAILS_WITH(vornel({"info", "m.db"}),
                      "info: m.db: cannot read the catalog's rows of U: ");
    // A catalog of other columns says what failed once.
    sqliteShell(path("w.db"),
                "CREATE TABLE KrigBlock_Param(a, b); INSERT INTO KrigBlock_Param VALUES (1, 2); "
                "CREATE TABLE KrigBlock_Vrg_Param(x)");
    EXPECT_FAILS_WITH(vornel({"info", "w.db"}),
                      "vornel info: w.db: cannot read the catalog: no such column: Table_Name");
    // Nor does its first, which the look for the catalog reads, hide the
    // catalog.
    sqliteShell(path("m.db"),
                "ALTER TABLE KrigBlock_Param DROP COLUMN Broken; ALTER TABLE KrigBlock_Param ADD "
                "COLUMN Broken GENERATED ALWAYS AS (CASE WHEN MineID = 1 THEN "
                "abs(-9223372036854775807 - 1) END) VIRTUAL");
    EXPECT_FAILS_WITH(vornel({"info", "m.db"}),
                      "m.db: cannot read the catalog (KrigBlock_Param): ");
    sqliteShell(path("m.db"), "ALTER TABLE KrigBlock_Param DROP COLUMN Broken");
    // The catalog's page scribbled over, as a failing disk may leave it.
    sqliteShell(path("m.db"), "ALTER TABLE KrigBlock_Vrg_Param DROP COLUMN Broken");
    const long page = std::stol(sqliteShell(path("m.db"), "PRAGMA page_size"));
    const long root = std::stol(sqliteShell(
        path("m.db"), "SELECT rootpage FROM sqlite_master WHERE name = 'KrigBlock_Param'"));
    std::fstream file(path("m.db"), std::ios::in | std::ios::out | std::ios::binary);
    file.seekp((root - 1) * page);
    file << std::string(static_cast<size_t>(page), '\xff');
    file.close();
    EXPECT_FAILS_WITH(vornel({"info", "m.db"}),
                      "m.db: cannot read the catalog (KrigBlock_Param): ");
}

// A database missing beside the copy a compaction cut short left: the copy
// is named, as it may be the database.
TEST_F(InfoTest, AMissingDatabaseNamesTheCopyThatMayBeIt) {
    write("cTemp.mdb", "compacted");
    EXPECT_FAILS_WITH(vornel({"info", "cb.db"}),
                      "vornel info: cb.db: no such file, but 'cTemp.mdb' lies where a compaction "
                      "of it cut short would leave its copy: if that file is this database, "
                      "rename it to 'cb.db' to recover it");
}

// A database this user may not read is not called empty. Run as nobody,
// for the mode to bind.
TEST_F(InfoTest, AFileThatCannotBeReadSaysSo) {
    write("a.csv", "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,10,1\n");
    ok({"import", "m.db", "a.csv", "-t", "T", "-e", "Cu"});
    std::filesystem::permissions(path("m.db"), std::filesystem::perms::none);
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    int status = 0;
    const std::string said = shellOutput("cd " + shellQuote(dir.path()) +
                                             " && setpriv --reuid=65534 --regid=65534 "
                                             "--clear-groups " VORNEL_CLI " info m.db 2>&1",
                                         &status);
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(said, "vornel info: m.db: cannot be read: Permission denied\n");
}

// At mining coordinates six significant digits would lose the half metres.
TEST_F(InfoTest, CoordinatesKeepEveryDigit) {
    write("far.csv", "X,Y,Z,DX,DY,DZ,CU\n500012.5,7008002.5,102.5,5,5,5,1\n");
    const std::string imported = ok({"import", "m.db", "far.csv", "-t", "FAR", "-e", "Cu"});
    EXPECT_EQ(lineStarting(imported, "extent"),
              "  extent         X 500010 .. 500015, Y 7008000 .. 7008005, Z 100 .. 105");
    EXPECT_EQ(
        lineStarting(ok({"info", "m.db"}), "block centres"),
        "  block centres  X 500012.5 .. 500012.5, Y 7008002.5 .. 7008002.5, Z 102.5 .. 102.5");
}

TEST_F(InfoTest, CompactKeepsTheBlocks) {
    write("a.csv", "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,10,1\n15,5,5,10,10,10,2\n");
    ok({"import", "m.db", "a.csv", "-t", "T", "-e", "Cu"});
    const std::string before = ok({"export", "m.db", "-t", "T"});
    const std::string out = ok({"compact", "m.db"});
    EXPECT_EQ(out.substr(0, 14), "Compacted m.db") << out;
    EXPECT_EQ(ok({"export", "m.db", "-t", "T"}), before);
    EXPECT_FAILS_WITH(vornel({"compact", "none.db"}), "none.db: no such file");
    {
        // Another program holding the model keeps it from being compacted.
        CVornelMng other;
        ASSERT_EQ(other.connectDatabase(path("m.db")), 1) << other.lastError();
        EXPECT_FAILS_WITH(vornel({"compact", "m.db"}), "open in another connection");
    }
    // The global --verbose may follow the command.
    EXPECT_FAILS_WITH(vornel({"info", "none.db", "--verbose"}), "none.db: no such file");
}

// Stopped while it writes its copy, the compaction leaves no copy (nor its
// journal) to block the next one, and the database as it was. Should it win the race and
// finish first, the database is compacted.
TEST_F(InfoTest, AStoppedCompactionLeavesNoCopyBehind) {
    write("a.csv", "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,10,1\n");
    ok({"import", "pit.mdb", "a.csv", "-t", "T", "-e", "Cu"});
    const std::string before = ok({"export", "pit.mdb", "-t", "T"});
    // Enough pages that the copy takes a while to write.
    sqliteShell(path("pit.mdb"),
                "CREATE TABLE Pad(b); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                "FROM n WHERE i < 64) INSERT INTO Pad SELECT randomblob(1000000) FROM n");
    const std::string script =
        "cd " + shellQuote(dir.path()) + " || exit; " + shellQuote(VORNEL_CLI) +
        " compact pit.mdb >/dev/null 2>&1 & pid=$!; for i in $(seq 3000); do [ -e pitTemp.mdb ] && "
        "break; sleep 0.005; done; kill -TERM $pid; wait $pid; echo $?; ls pitTemp*";
    const std::string out = shellOutput(script + " 2>/dev/null");
    EXPECT_TRUE(out == "143\n" || out == "0\n") << out;
    EXPECT_EQ(ok({"export", "pit.mdb", "-t", "T"}), before);
}

}  // namespace
}  // namespace vornel::test
