// Runs, block tables and void tables taken out of a database: what goes,
// what stays, and what is refused without a change.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "CliFixture.h"
#include "support/Shell.h"

namespace vornel::test {
namespace {

class RemoveTest : public CliTest {
protected:
    // Run 1 in table A (four blocks, void table V), run 2 in table B, and
    // the void table V of two void blocks, registered as MineID 3.
    void SetUp() override {
        const std::string blocks =
            "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,10,1\n15,5,5,10,10,10,2\n25,5,5,10,10,10,3\n"
            "35,5,5,10,10,10,4\n";
        write("a.csv", blocks);
        ok({"import", "m.db", "a.csv", "-t", "A", "-e", "Cu", "--void-table", "V"});
        ok({"import", "m.db", "a.csv", "-t", "B", "-e", "Cu"});
        write("v.csv", "X,Y,Z,DX,DY,DZ\n5,5,5,10,10,10\n15,5,5,10,10,2\n");
        ok({"import", "m.db", "v.csv", "-t", "V", "--voids"});
        // A variogram structure for each run, as a kriging program writes.
        sqliteShell(path("m.db"),
                    "INSERT INTO KrigBlock_Vrg_Param(MineID, Vrg_Type, Vrg_TblName) VALUES "
                    "(1, 'Spherical', 'A'), (2, 'Spherical', 'B')");
    }

    std::string catalog() {
        return sqliteShell(path("m.db"),
                           "SELECT group_concat(MineID || ':' || Table_Name, ' ') FROM "
                           "KrigBlock_Param; SELECT group_concat(MineID, ' ') FROM "
                           "KrigBlock_Vrg_Param; SELECT group_concat(name, ' ') FROM "
                           "(SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name)");
    }
};

TEST_F(RemoveTest, ATableGoesWithItsRunsOnlyWhenAskedTwice) {
    const std::string before = readFile(path("m.db"));
    const CliResult asked = vornel({"remove", "m.db", "--table", "a"});
    EXPECT_EQ(asked.status, 2);
    EXPECT_EQ(asked.out, "Would remove table A with run 1 (Cu, 4 blocks) from m.db\n");
    EXPECT_TRUE(contains(asked.err, "nothing removed: give --yes to remove it")) << asked.err;
    EXPECT_EQ(readFile(path("m.db")), before);
    EXPECT_EQ(ok({"remove", "m.db", "--table", "a", "--yes"}),
              "Removed table A with run 1 (Cu, 4 blocks) from m.db\n");
    EXPECT_EQ(catalog(), "2:B 3:V\n2\nB KrigBlock_Param KrigBlock_Vrg_Param V\n");
    // A run the catalog lists without its table goes from the catalog.
    sqliteShell(path("m.db"), "DROP TABLE B");
    EXPECT_EQ(ok({"remove", "m.db", "--table", "B", "--yes"}),
              "Removed table B (missing) with run 2 (Cu) from m.db\n");
    EXPECT_EQ(catalog(), "3:V\n\nKrigBlock_Param KrigBlock_Vrg_Param V\n");
}

// A host that took a run out of the catalog and left its table: check
// finds the blocks no command reads, and remove takes them out.
TEST_F(RemoveTest, ATableOfBlocksTheCatalogLostIsFoundAndRemoved) {
    sqliteShell(path("m.db"),
                "DELETE FROM KrigBlock_Param WHERE MineID = 2; CREATE TABLE Notes (x); INSERT "
                "INTO Notes VALUES (1);");
    const CliResult checked = vornel({"check", "m.db"});
    EXPECT_EQ(checked.status, 1);
    EXPECT_TRUE(contains(checked.out,
                         "    error    a table of blocks the catalog lists no run in, which no "
                         "command reads ('vornel remove --table' takes it out): 1 (B (4 "
                         "blocks))\n"))
        << checked.out;
    EXPECT_EQ(ok({"remove", "m.db", "--table", "b", "--yes"}),
              "Removed table B with the blocks of no run the catalog lists from m.db\n");
    EXPECT_EQ(catalog(), "1:A 3:V\n1 2\nA KrigBlock_Param KrigBlock_Vrg_Param Notes V\n");
    EXPECT_FALSE(contains(ok({"check", "m.db"}), "a table of blocks the catalog"));
    // A table of the user's own is neither.
    EXPECT_FAILS_WITH(vornel({"remove", "m.db", "--table", "Notes", "--yes"}),
                      "m.db: the catalog lists no table 'Notes' (tables: A, V)");
}

TEST_F(RemoveTest, AVoidTableGoesAndItsRunTakesANewOneOfItsName) {
    // Each table that names V is told once, its element spelt as it may be.
    sqliteShell(path("m.db"),
                "UPDATE KrigBlock_Param SET VoidTable_Name = 'V', Mine_Element = 'CU' WHERE "
                "MineID = 2");
    EXPECT_EQ(ok({"remove", "m.db", "--table", "V", "--yes"}),
              "Removed void table V (2 void blocks) from m.db\n"
              "  A (Cu) names V as its void table: 'import --voids --table V' gives it one "
              "again\n"
              "  B (CU) names V as its void table: 'import --voids --table V' gives it one "
              "again\n");
    sqliteShell(path("m.db"),
                "UPDATE KrigBlock_Param SET VoidTable_Name = '', Mine_Element = 'Cu' WHERE "
                "MineID = 2");
    EXPECT_EQ(catalog(), "1:A 2:B\n1 2\nA B KrigBlock_Param KrigBlock_Vrg_Param\n");
    EXPECT_FAILS_WITH(vornel({"report", "m.db", "-t", "A", "--cutoffs", "0", "--deplete"}),
                      "the void table 'V'");
    // What remove leaves is no fault of the database's (the fixture's
    // variogram structures are warned of too).
    const std::string checked = ok({"check", "m.db"});
    EXPECT_TRUE(contains(checked,
                         "  warning  a run whose void table is not in the database, so "
                         "nothing is deducted: 1 (run 1: V)\n"))
        << checked;
    EXPECT_EQ(linesOf(checked).back(), "0 errors and 3 warnings.");
    EXPECT_FALSE(contains(ok({"report", "m.db", "-t", "A", "--cutoffs", "0", "--density", "1"}),
                          "The void blocks of V"));
    // One void block over block 1 now: its 1000 m3 of 4000 go.
    write("w.csv", "X,Y,Z,DX,DY,DZ\n5,5,5,10,10,10\n");
    ok({"import", "m.db", "w.csv", "--table", "V", "--voids"});
    const std::string report =
        ok({"report", "m.db", "-t", "A", "--cutoffs", "0", "--density", "1", "--deplete"});
    // Blocks 2 to 4 are left, of grades 2, 3 and 4.
    EXPECT_EQ(rowFor(report, "0"), (std::vector<std::string>{"0", "3", "3000", "3.0000", "90.0"}))
        << report;
}

TEST_F(RemoveTest, ARunOfASharedTableTakesOnlyItsOwnBlocks) {
    // Run 7: A's blocks again, in A.
    sqliteShell(path("m.db"),
                "CREATE TEMP TABLE Copy AS SELECT * FROM A; UPDATE Copy SET MineID = 7;"
                "INSERT INTO A SELECT * FROM Copy; DELETE FROM A WHERE MineID = 7 AND "
                "Krig_BlockID = 4; INSERT INTO KrigBlock_Param(MineID, Mine_Element, Table_Name) "
                "VALUES (7, 'Au', 'A'); INSERT INTO KrigBlock_Vrg_Param(MineID) VALUES (7)");
    EXPECT_EQ(ok({"remove", "m.db", "--run", "7", "--yes"}),
              "Removed run 7 (Au, 3 blocks) from table A, which keeps run 1 from m.db\n");
    EXPECT_EQ(sqliteShell(path("m.db"), "SELECT count(*), min(MineID) FROM A"), "4|1\n");
    EXPECT_EQ(catalog(), "1:A 2:B 3:V\n1 2\nA B KrigBlock_Param KrigBlock_Vrg_Param V\n");
    // Blocks another program put in B under a MineID the catalog lists for
    // no run would be lost with B, or stranded in it: neither is done.
    sqliteShell(path("m.db"),
                "INSERT INTO B SELECT * FROM B WHERE Krig_BlockID = 2;"
                "UPDATE B SET MineID = 9 WHERE rowid = (SELECT max(rowid) FROM B)");
    const std::string before = readFile(path("m.db"));
    EXPECT_FAILS_WITH(vornel({"remove", "m.db", "--run", "2", "--yes"}),
                      "m.db: B also holds blocks of MineID 9, which the catalog lists for no run; "
                      "remove the whole table with --table B, or those blocks first");
    EXPECT_EQ(readFile(path("m.db")), before);
    // A table of one run whose blocks carry another MineID (0, as some
    // writers leave it) holds that run's blocks, and goes with it.
    sqliteShell(path("m.db"), "UPDATE A SET MineID = 0");
    EXPECT_EQ(ok({"remove", "m.db", "--run", "1", "--yes"}),
              "Removed run 1 (Cu, 4 blocks) with its table A from m.db\n");
    EXPECT_EQ(catalog(), "2:B 3:V\n2\nB KrigBlock_Param KrigBlock_Vrg_Param V\n");
}

// Readers find a run's structures by its MineID, whatever table a structure
// names: those are the ones that go with it, and no other run's.
TEST_F(RemoveTest, ARunsStructuresGoByItsMineIdAlone) {
    sqliteShell(path("m.db"),
                "INSERT INTO KrigBlock_Vrg_Param(MineID, Vrg_Type, Vrg_TblName) VALUES "
                "(2, 'Exponential', 'A'), (1, 'Gaussian', '')");
    ok({"remove", "m.db", "--table", "A", "--yes"});
    EXPECT_EQ(catalog(), "2:B 3:V\n2 2\nB KrigBlock_Param KrigBlock_Vrg_Param V\n");
    // A run whose catalog row names no table, or a table that is gone, still
    // goes from the catalog, and takes nothing of the run that shares B.
    sqliteShell(path("m.db"),
                "INSERT INTO KrigBlock_Param(MineID, Mine_Element, Table_Name) VALUES "
                "(4, 'Au', ''), (5, 'Au', 'B'); INSERT INTO KrigBlock_Vrg_Param(MineID) "
                "VALUES (4), (5)");
    EXPECT_EQ(ok({"remove", "m.db", "--run", "4", "--yes"}),
              "Removed run 4 (Au), which names no table from m.db\n");
    sqliteShell(path("m.db"), "DROP TABLE B");
    EXPECT_EQ(ok({"remove", "m.db", "--run", "5", "--yes"}),
              "Removed run 5 (Au) from table B, which keeps run 2 from m.db\n");
    EXPECT_EQ(catalog(), "2:B 3:V\n2 2\nKrigBlock_Param KrigBlock_Vrg_Param V\n");
}

// A catalog that says two things of one table or MineID cannot say what to
// remove: a table registered as void and as a run's, a MineID of two tables.
TEST_F(RemoveTest, ACatalogAtOddsWithItselfIsNotActedOn) {
    sqliteShell(path("m.db"),
                "INSERT INTO KrigBlock_Param(MineID, Mine_Element, Table_Name) VALUES "
                "(6, 'VOIDBLOCK', 'B'), (1, 'Au', 'B')");
    const std::string before = readFile(path("m.db"));
    EXPECT_FAILS_WITH(vornel({"remove", "m.db", "--table", "B", "--yes"}),
                      "m.db: the catalog registers B both as a void table and as a run's block "
                      "table");
    sqliteShell(path("m.db"), "DELETE FROM KrigBlock_Param WHERE MineID = 6");
    const std::string shared = readFile(path("m.db"));
    for (const std::vector<std::string>& asked :
         {std::vector<std::string>{"--table", "A"}, {"--run", "1"}}) {
        std::vector<std::string> args = {"remove", "m.db", "--yes"};
        args.insert(args.end(), asked.begin(), asked.end());
        EXPECT_FAILS_WITH(vornel(args), "m.db: MineID 1 is registered for A and for B");
        EXPECT_EQ(readFile(path("m.db")), shared);
    }
    EXPECT_NE(before, shared);
}

// A catalog row that cannot be read leaves the whole table; a run of
// MineID 0, or a void table registered as "VoidBlock", goes as any other.
TEST_F(RemoveTest, OddCatalogRowsGoOrStayWhole) {
    const std::string broken =
        "ALTER TABLE KrigBlock_Param ADD COLUMN Broken GENERATED ALWAYS AS (CASE WHEN "
        "Table_Name = 'B' THEN abs(-9223372036854775807 - 1) END) VIRTUAL";
    sqliteShell(path("m.db"), broken);
    const std::string before = readFile(path("m.db"));
    EXPECT_FAILS_WITH(vornel({"remove", "m.db", "--table", "B", "--yes"}),
                      "cannot read the catalog's rows of B: ");
    EXPECT_EQ(readFile(path("m.db")), before);
    sqliteShell(path("m.db"),
                "ALTER TABLE KrigBlock_Param DROP COLUMN Broken;"
                "UPDATE KrigBlock_Param SET MineID = 0 WHERE Table_Name = 'B';"
                "UPDATE KrigBlock_Param SET Mine_Element = 'VoidBlock' "
                "WHERE Table_Name = 'V'");
    EXPECT_EQ(ok({"remove", "m.db", "--table", "B", "--yes"}),
              "Removed table B with run 0 (Cu, 4 blocks) from m.db\n");
    EXPECT_EQ(ok({"remove", "m.db", "--table", "V", "--yes"}).substr(0, 44),
              "Removed void table V (2 void blocks) from m.");
    EXPECT_EQ(catalog(), "1:A\n1 2\nA KrigBlock_Param KrigBlock_Vrg_Param\n");
}

TEST_F(RemoveTest, WhatIsRefusedChangesNothing) {
    const std::string before = readFile(path("m.db"));
    EXPECT_USAGE_ERROR(vornel({"remove", "m.db", "--yes"}), "give either --table or --run");
    EXPECT_USAGE_ERROR(vornel({"remove", "m.db", "--table", "A", "--run", "1", "--yes"}),
                       "give either --table or --run");
    EXPECT_USAGE_ERROR(vornel({"remove", "m.db", "--run", "0", "--yes"}), "--run");
    EXPECT_FAILS_WITH(vornel({"remove", "m.db", "--table", "C", "--yes"}),
                      "m.db: the catalog lists no table 'C' (tables: A, B, V)");

    EXPECT_FAILS_WITH(vornel({"remove", "m.db", "--run", "9", "--yes"}),
                      "m.db: the catalog lists no run 9");
    EXPECT_FAILS_WITH(vornel({"remove", "m.db", "--run", "3", "--yes"}),
                      "m.db: MineID 3 registers the void table V: remove it with --table V");
    EXPECT_FAILS_WITH(vornel({"remove", "none.db", "--run", "1", "--yes"}),
                      "none.db: no such file");
    EXPECT_EQ(readFile(path("m.db")), before);
    // Not even a catalog that names itself as a run's table gives itself up.
    sqliteShell(path("m.db"),
                "INSERT INTO KrigBlock_Param(MineID, Mine_Element, Table_Name) VALUES "
                "(8, 'Cu', 'KrigBlock_Param')");
    const std::string named = readFile(path("m.db"));
    EXPECT_FAILS_WITH(vornel({"remove", "m.db", "--table", "krigblock_param", "--yes"}),
                      "krigblock_param is the catalog, not a run's table");
    EXPECT_EQ(readFile(path("m.db")), named);
    // What a trigger of another program keeps, keeps the rest with it.
    sqliteShell(path("m.db"),
                "CREATE TRIGGER Keep BEFORE DELETE ON KrigBlock_Vrg_Param "
                "BEGIN SELECT RAISE(ABORT, 'kept by a trigger'); END");
    const std::string kept = catalog();
    for (const std::vector<std::string>& asked :
         {std::vector<std::string>{"--table", "A"}, {"--run", "2"}}) {
        std::vector<std::string> args = {"remove", "m.db", "--yes"};
        args.insert(args.end(), asked.begin(), asked.end());
        EXPECT_FAILS_WITH(vornel(args), "the database kept part of what was to be removed");
        EXPECT_EQ(catalog(), kept);
        EXPECT_EQ(sqliteShell(path("m.db"), "SELECT count(*) FROM A"), "4\n");
    }
    // The same for a run's catalog row kept.
    sqliteShell(path("m.db"),
                "DROP TRIGGER Keep; CREATE TRIGGER Keep BEFORE DELETE ON KrigBlock_Param "
                "BEGIN SELECT RAISE(ABORT, 'kept by a trigger'); END");
    EXPECT_FAILS_WITH(vornel({"remove", "m.db", "--run", "2", "--yes"}),
                      "the database kept part of what was to be removed");
    EXPECT_EQ(catalog(), kept);
    // A table of two runs is one table to choose from.
    sqliteShell(path("m.db"),
                "INSERT INTO KrigBlock_Param(MineID, Mine_Element, Table_Name) "
                "VALUES (4, 'Au', 'B')");
    EXPECT_FAILS_WITH(vornel({"remove", "m.db", "--table", "C", "--yes"}),
                      "m.db: the catalog lists no table 'C' (tables: A, B, KrigBlock_Param, V)");
}

// A command reading a run that another removes meanwhile tells the run as
// it was when its blocks were read, not as blocks of no run, in percent.
TEST_F(RemoveTest, ARunRemovedWhileItIsReadIsReadWhole) {
    std::string au = "X,Y,Z,DX,DY,DZ,AU_GPT\n";
    for (int i = 0; i < 100; ++i) {
        au += std::to_string(i * 10 + 5) + ",5,5,10,10,10,1\n";
    }
    write("au.csv", au);
    ok({"import", "r.db", "au.csv", "-t", "AU", "-e", "Au"});
    // Counting to 100,000 for each block holds the read for seconds of
    // the engine's own time, whatever the build of the command.
    const std::string slow =
        "(WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 100000 + "
        "Krig_BlockID * 0) SELECT count(*) FROM c) > 0";
    const int out =
        open(path("report.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const pid_t reader = startVornel(
        dir.path(),
        {"report", "r.db", "-t", "AU", "--cutoffs", "0", "--density", "2", "--where", slow}, out,
        path("report.err"));
    close(out);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    ok({"remove", "r.db", "--run", "1", "--yes"});
    int status = 0;
    waitpid(reader, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    const std::string report = readFile(path("report.txt"));
    if (WEXITSTATUS(status) == 0) {
        EXPECT_TRUE(contains(report, "cut-off (g/t)") && contains(report, "metal (kg)")) << report;
        EXPECT_EQ(rowFor(report, "0"),
                  (std::vector<std::string>{"0", "100", "200000", "1.0000", "200.0"}));
    } else {
        // Removed before its blocks were read: no table to read.
        EXPECT_TRUE(contains(readFile(path("report.err")), "AU")) << readFile(path("report.err"));
    }
}

}  // namespace
}  // namespace vornel::test
