// Two runs compared, against sums and statistics worked out by hand.
#include <cmath>

#include "CliFixture.h"
#include "support/Shell.h"

namespace vornel::test {
namespace {

class CompareTest : public CliTest {
protected:
    // A re-estimate of A: block 3 (X 25) gone, block 3 of B (X 35) new; the
    // blocks at X 5, 15 and 45 in both.
    void SetUp() override {
        write("a.csv",
              "X,Y,Z,DX,DY,DZ,CU,TONNAGE\n"
              "5,5,5,10,10,10,1.0,1000\n"
              "15,5,5,10,10,10,1.5,2000\n"
              "25,5,5,10,10,10,0.5,1000\n"
              "45,5,5,10,10,10,2.0,500\n");
        write("b.csv",
              "X,Y,Z,DX,DY,DZ,CU,TONNAGE\n"
              "5,5,5,10,10,10,1.2,1000\n"
              "15,5,5,10,10,10,2.0,2000\n"
              "35,5,5,10,10,10,3.0,800\n"
              "45,5,5,10,10,10,1.0,500\n");
        ok({"import", "m.db", "a.csv", "-t", "A", "-e", "Cu"});
        ok({"import", "m.db", "b.csv", "-t", "B", "-e", "Cu"});
    }
};

// The number a fact line starts its value with.
double leadingNumber(const std::string& line) {
    return std::stod(line.substr(17));
}

TEST_F(CompareTest, SideBySideAndBlockByBlock) {
    const std::string said =
        ok({"compare", "m.db", "-t", "A", "--with", "B", "--cutoffs", "1.5,0.5"});
    EXPECT_EQ(linesOf(said).at(0), "Comparing A (4 blocks) with B (4 blocks), Cu (%)");
    using Words = std::vector<std::string>;
    // A at 0.5: 4500 t holding 1000 + 3000 + 500 + 1000 t.%; at 1.5: 2500 t,
    // 3000 + 1000. B at 0.5: 4300 t, 1200 + 4000 + 2400 + 500; at 1.5:
    // 2800 t, 4000 + 2400.
    std::vector<Words> rows;
    for (const std::string& line : linesOf(said)) {
        const Words words = wordsOf(line);
        if (!words.empty() && (words[0] == "A" || words[0] == "B")) {
            rows.push_back(words);
        }
    }
    EXPECT_EQ(rows, (std::vector<Words>{{"A", "0.5", "4", "4500", "1.2222", "55.0"},
                                        {"A", "1.5", "2", "2500", "1.6000", "40.0"},
                                        {"B", "0.5", "4", "4300", "1.8837", "81.0"},
                                        {"B", "1.5", "2", "2800", "2.2857", "64.0"}}));
    // Matched at X 5, 15 and 45: grades 1, 1.5, 2 against 1.2, 2, 1; means
    // 1.5 and 1.4; changes 0.2, 0.5 and 1, a mean of 1.7 / 3. Deviations
    // -0.5, 0, 0.5 and -0.2, 0.6, -0.4: a correlation of
    // -0.1 / sqrt(0.5 x 0.56) = -0.18898.
    EXPECT_EQ(lineStarting(said, "matched"), "  matched        3 (1 only in A, 1 only in B)");
    EXPECT_EQ(lineStarting(said, "mean Cu"), "  mean Cu        1.5 % in A, 1.4 % in B");
    EXPECT_NEAR(leadingNumber(lineStarting(said, "mean change")), 1.7 / 3, 1e-5);
    EXPECT_NEAR(leadingNumber(lineStarting(said, "correlation")), -0.18898, 1e-3);
    EXPECT_EQ(lineStarting(said, "largest change"),
              "  largest change 1 %: block 4 of A at 2 %, block 4 of B at 1 %");
    // --csv lists the matched blocks in B's order, the change B less A.
    const CliResult listed = vornel({"compare", "m.db", "-t", "A", "--with", "B", "--csv", "-"});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_TRUE(contains(listed.err, "matched        3")) << listed.err;
    write("pairs.csv", listed.out);
    const CsvTable pairs = readCsv(path("pairs.csv"));
    EXPECT_EQ(pairs.header, (std::vector<std::string>{"X", "Y", "Z", "block in A", "Cu (%) in A",
                                                      "block in B", "Cu (%) in B", "change (%)"}));
    ASSERT_EQ(pairs.rows.size(), 3U);
    const double change[] = {0.2, 0.5, -1};
    const double x[] = {5, 15, 45};
    for (size_t row = 0; row < 3; ++row) {
        EXPECT_EQ(pairs.number(row, "X"), x[row]);
        EXPECT_EQ(pairs.number(row, "block in A"), pairs.number(row, "block in B"));
        EXPECT_NEAR(pairs.number(row, "change (%)"), change[row], 1e-12);
    }
    EXPECT_EQ(pairs.at(2, "Cu (%) in A"), "2");
    EXPECT_EQ(pairs.at(2, "Cu (%) in B"), "1");
    EXPECT_FAILS_WITH(vornel({"compare", "m.db", "-t", "A", "--with", "B", "--csv", "m.db"}),
                      "m.db: this is the database being read");

    // A block without a grade is left out, so X 15 is A's alone; a block
    // listed twice at one centre matches once.
    sqliteShell(path("m.db"),
                "UPDATE B SET Krig_OutAttr = NULL WHERE Krig_BlockID = 2;"
                "CREATE TEMP TABLE Twice AS SELECT * FROM B WHERE Krig_BlockID = 1;"
                "UPDATE Twice SET Krig_BlockID = 9; INSERT INTO B SELECT * FROM Twice;");
    const std::string ungraded = ok({"compare", "m.db", "-t", "A", "--with", "B"});
    EXPECT_EQ(linesOf(ungraded).at(0),
              "Comparing A (4 blocks) with B (5 blocks, 1 without a grade), Cu (%)");
    EXPECT_EQ(lineStarting(ungraded, "matched"), "  matched        2 (2 only in A, 1 only in B)");
    // Without cut-offs, block by block only.
    EXPECT_FALSE(contains(ok({"compare", "m.db", "-t", "A", "--with", "B"}), "Grade-tonnage"));
}

// A cell of 30 m centred on a block of 10 m is no estimate of that block.
// Grades near the largest doubles: the correlation is the one above, of
// grades 1e300 times as large, whose squares no double holds; grades whose
// sum no double holds are refused, before a line is written.
TEST_F(CompareTest, GradesNearTheLargestNumbers) {
    sqliteShell(path("m.db"),
                "UPDATE A SET Krig_OutAttr = Krig_OutAttr * 1e300;"
                "UPDATE B SET Krig_OutAttr = Krig_OutAttr * 1e300;");
    const std::string said = ok({"compare", "m.db", "-t", "A", "--with", "B"});
    EXPECT_NEAR(leadingNumber(lineStarting(said, "correlation")), -0.18898, 1e-3);
    sqliteShell(path("m.db"), "UPDATE A SET Krig_OutAttr = 1.7e308 WHERE Krig_OutAttr > 1e300;");
    const CliResult refused = vornel({"compare", "m.db", "-t", "A", "--with", "B"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_TRUE(contains(refused.err, "add up beyond what a number holds")) << refused.err;
}

TEST_F(CompareTest, BlocksOfOtherSizesAtOneCentreAreSaidToBe) {
    EXPECT_EQ(lineStarting(ok({"compare", "m.db", "-t", "A", "--with", "B"}), "note"), "");
    write("c.csv", "X,Y,Z,DX,DY,DZ,CU,TONNAGE\n15,5,5,30,30,30,1.0,27000\n");
    ok({"import", "m.db", "c.csv", "-t", "C", "-e", "Cu"});
    const std::string said = ok({"compare", "m.db", "-t", "A", "--with", "C"});
    EXPECT_EQ(lineStarting(said, "matched"), "  matched        1 (3 only in A, 0 only in C)");
    EXPECT_EQ(lineStarting(said, "note"),
              "  note           1 of them differ in size (block 2 of A is 10 x 10 x 10, block 1 "
              "of C 30 x 30 x 30): their grades are of other ground");
}

TEST_F(CompareTest, ATableAgainstItsCopyInAnotherDatabase) {
    shellOutput("cp " + shellQuote(path("m.db")) + " " + shellQuote(path("old.db")));
    const std::string said =
        ok({"compare", "m.db", "-t", "A", "--with", "A", "--with-db", "old.db"});
    EXPECT_EQ(linesOf(said).at(0),
              "Comparing A of m.db (4 blocks) with A of old.db (4 blocks), Cu (%)");
    EXPECT_EQ(lineStarting(said, "matched"),
              "  matched        4 (0 only in A of m.db, 0 only in A of old.db)");
    EXPECT_EQ(lineStarting(said, "mean change"), "  mean change    0 % (absolute)");
    EXPECT_EQ(lineStarting(said, "correlation"), "  correlation    1");
    EXPECT_FAILS_WITH(vornel({"compare", "m.db", "-t", "A", "--with", "A", "--with-db", "old.db",
                              "--csv", "old.db"}),
                      "old.db: this is the database being read");
    // Of equal changes, the first block's.
    EXPECT_EQ(lineStarting(said, "largest change"),
              "  largest change 0 %: block 1 of A of m.db at 1 %, block 1 of A of old.db at 1 %");
    // In one database, as runs that share a table are, their conditions
    // tell them apart, or else their order.
    EXPECT_EQ(
        linesOf(ok({"compare", "m.db", "-t", "A", "--where", "Krig_BlockID < 3", "--with", "A"}))
            .at(0),
        "Comparing A where Krig_BlockID < 3 (2 blocks) with A (all) (4 blocks), Cu (%)");
    EXPECT_EQ(linesOf(ok({"compare", "m.db", "-t", "A", "--with", "A"})).at(0),
              "Comparing A (first) (4 blocks) with A (second) (4 blocks), Cu (%)");
    // Grades that do not vary have no correlation; blocks off each other's
    // grid match nowhere.
    write("flat.csv", "X,Y,Z,DX,DY,DZ,CU,TONNAGE\n5,5,5,10,10,10,1,1000\n15,5,5,10,10,10,1,1000\n");
    ok({"import", "m.db", "flat.csv", "-t", "F", "-e", "Cu"});
    EXPECT_EQ(lineStarting(ok({"compare", "m.db", "-t", "A", "--with", "F"}), "correlation"),
              "  correlation    - (the grades of one do not vary)");
    write("off.csv", "X,Y,Z,DX,DY,DZ,CU,TONNAGE\n6,5,5,10,10,10,1,1000\n");
    ok({"import", "m.db", "off.csv", "-t", "OFF", "-e", "Cu"});
    const std::string off = ok({"compare", "m.db", "-t", "A", "--with", "OFF"});
    EXPECT_EQ(lineStarting(off, "matched"), "  matched        0 (4 only in A, 1 only in OFF)");
    EXPECT_TRUE(contains(off, "are they on one grid?")) << off;
    EXPECT_FALSE(contains(off, "correlation")) << off;
    // A table without blocks is told as such.
    sqliteShell(path("m.db"), "DELETE FROM OFF");
    EXPECT_EQ(lineStarting(ok({"compare", "m.db", "-t", "OFF", "--with", "A"}), "note"),
              "  note           OFF holds no block with a grade");
    EXPECT_EQ(lineStarting(ok({"compare", "m.db", "-t", "A", "--with", "A", "--with-where",
                               "Krig_OutAttr > 50"}),
                           "note"),
              "  note           no block of A with a grade meets --with-where "
              "\"Krig_OutAttr > 50\"");
}

// An outline from X 0 to 35 over the blocks' row: A's block at X 45 and
// B's lie outside it, B's block at X 35 half inside (400 of its 800 t).
// A: 1000 t at 1, 2000 t at 1.5, 1000 t at 0.5; B: 1000 t at 1.2, 2000 t
// at 2, 400 t at 3. Void blocks over all of the block at X 5 and the half
// of the one at X 15 below Y 5 (1500 m3) leave A 1000 t at 1.5 and 1000 t
// at 0.5, B 1000 t at 2 and 400 t at 3.
TEST_F(CompareTest, OnlyTheGroundWithinAnOutlineAndLeftByTheVoidBlocks) {
    write("o.csv", "X,Y\n0,0\n35,0\n35,10\n0,10\n");
    const std::string within = ok(
        {"compare", "m.db", "-t", "A", "--with", "B", "--cutoffs", "0.5,1.5", "--within", "o.csv"});
    std::vector<std::string> rows;
    for (const std::string& line : linesOf(within)) {
        if (line.rfind("  A ", 0) == 0 || line.rfind("  B ", 0) == 0) {
            rows.push_back(wordsOf(line).at(3) + " " + wordsOf(line).at(4));
        }
    }
    // B at 0.5: 6400 t.% over 3400 t; at 1.5: 5200 over 2400.
    EXPECT_EQ(rows, (std::vector<std::string>{"4000 1.1250", "2000 1.5000", "3400 1.8824",
                                              "2400 2.1667"}));
    EXPECT_TRUE(contains(within, "Grade-tonnage, tonnes from the stored tonnage within o.csv:\n"));
    EXPECT_TRUE(contains(within,
                         "A: within the outline of o.csv (350 m2): 0 blocks partly outside it "
                         "counted in part, 1 wholly outside left out.\nB: within the outline of "
                         "o.csv (350 m2): 1 block partly outside it counted in part, 1 wholly "
                         "outside left out.\n"))
        << within;
    EXPECT_TRUE(contains(within,
                         "Block by block, at the same centre, of the blocks with ground left "
                         "within o.csv:\n  matched        2 (1 only in A, 1 only in B)\n"
                         "  mean Cu        1.25 % in A, 1.6 % in B\n"))
        << within;

    write("v.csv", "X,Y,Z,DX,DY,DZ\n5,5,5,10,10,10\n15,2.5,5,10,5,10\n");
    ok({"import", "m.db", "v.csv", "-t", "W", "--voids"});
    ok({"import", "m.db", "a.csv", "-t", "AW", "-e", "Cu", "--void-table", "W"});
    ok({"import", "m.db", "b.csv", "-t", "BW", "-e", "Cu", "--void-table", "W"});
    // Both runs lose the same ground to W: said once.
    const std::string depleted =
        ok({"compare", "m.db", "-t", "AW", "--with", "BW", "--cutoffs", "0.5", "--deplete"});
    EXPECT_EQ(lineStarting(depleted, "The void"),
              "The void blocks of W (mined-out ground) are deducted: 1 block wholly, 1 in part, "
              "1500 m3.");
    const std::string both = ok({"compare", "m.db", "-t", "AW", "--with", "BW", "--cutoffs",
                                 "0.5,1.5", "--within", "o.csv", "--deplete", "--csv", "d.csv"});
    rows.clear();
    for (const std::string& line : linesOf(both)) {
        if (line.rfind("  AW ", 0) == 0 || line.rfind("  BW ", 0) == 0) {
            rows.push_back(wordsOf(line).at(3) + " " + wordsOf(line).at(4));
        }
    }
    // B: 3200 t.% over 1400 t, all of it at or above 1.5.
    EXPECT_EQ(rows, (std::vector<std::string>{"2000 1.0000", "1000 1.5000", "1400 2.2857",
                                              "1400 2.2857"}));
    EXPECT_TRUE(contains(both,
                         "AW: the void blocks of W (mined-out ground) are deducted: 1 block "
                         "wholly, 1 in part, 1500 m3.\n"))
        << both;
    EXPECT_TRUE(contains(both,
                         "Block by block, at the same centre, of the blocks with ground "
                         "left within o.csv after the void blocks:\n  matched        1 (1 "
                         "only in AW, 1 only in BW)\n"))
        << both;
    const CsvTable pairs = readCsv(path("d.csv"));
    ASSERT_EQ(pairs.rows.size(), 1U);
    EXPECT_EQ(
        pairs.at(0, "X") + " " + pairs.at(0, "Cu (%) in AW") + " " + pairs.at(0, "Cu (%) in BW"),
        "15 1.5 2");
    EXPECT_FAILS_WITH(vornel({"compare", "m.db", "-t", "A", "--with", "B", "--deplete"}),
                      "names no void table");
    write("far.csv", "X,Y\n100,100\n110,100\n110,110\n");
    EXPECT_EQ(lineStarting(ok({"compare", "m.db", "-t", "A", "--with", "B", "--within", "far.csv"}),
                           "note"),
              "  note           A holds no block with a grade and ground left within far.csv");
}

TEST_F(CompareTest, OnlyRunsOfOneElementAndUnitCompare) {
    write("au.csv", "X,Y,Z,DX,DY,DZ,AU,TONNAGE\n5,5,5,10,10,10,1,1000\n");
    ok({"import", "m.db", "au.csv", "-t", "AU", "-e", "Au", "--unit", "g/t"});
    EXPECT_FAILS_WITH(vornel({"compare", "m.db", "-t", "A", "--with", "AU"}),
                      "A estimates Cu (%), AU Au (g/t): compare runs of one element and unit");
    // The catalog finds an element in any letter case, and so is it compared.
    ok({"import", "m.db", "au.csv", "-t", "AU2", "-e", "au", "--unit", "g/t"});
    EXPECT_EQ(lineStarting(ok({"compare", "m.db", "-t", "AU", "--with", "AU2"}), "matched"),
              "  matched        1 (0 only in AU, 0 only in AU2)");
    // Of two elements though one weighs nothing; of one, the one that
    // weighs nothing is named.
    write("light.csv", "X,Y,Z,DX,DY,DZ,AU\n5,5,5,10,10,10,1\n");
    ok({"import", "m.db", "light.csv", "-t", "L", "-e", "Au", "--unit", "g/t"});
    EXPECT_FAILS_WITH(vornel({"compare", "m.db", "-t", "L", "--with", "A", "--cutoffs", "0"}),
                      "L estimates Au (g/t), A Cu (%)");
    EXPECT_FAILS_WITH(vornel({"compare", "m.db", "-t", "AU", "--with", "L", "--cutoffs", "0"}),
                      "vornel compare: L: the blocks weigh nothing as stored");
    EXPECT_USAGE_ERROR(vornel({"compare", "m.db", "-t", "A"}), "--with");
    EXPECT_USAGE_ERROR(vornel({"compare", "m.db", "-t", "A", "--with", "B", "--density", "2.7"}),
                       "--density requires --cutoffs");
    EXPECT_FAILS_WITH(vornel({"compare", "m.db", "-t", "A", "--with", "NONE"}),
                      "no block table 'NONE'");
    EXPECT_FAILS_WITH(vornel({"compare", "m.db", "-t", "A", "--with", "A", "--with-db", "no.db"}),
                      "no.db: no such file");
    // A table of two runs is taken one run at a time, on either side: here
    // run 7 is A's blocks ten times richer, in B's table.
    sqliteShell(path("m.db"),
                "CREATE TEMP TABLE Richer AS SELECT * FROM A; UPDATE Richer SET MineID = 7, "
                "Krig_OutAttr = 10 * Krig_OutAttr; INSERT INTO B SELECT * FROM Richer;"
                "INSERT INTO KrigBlock_Param(MineID, Mine_Element, Table_Name, OreAttr_Unit) "
                "VALUES (7, 'Cu', 'B', 0)");
    EXPECT_USAGE_ERROR(vornel({"compare", "m.db", "-t", "A", "--with", "B"}),
                       "B holds the blocks of 2 runs (MineID 2, 7); choose one with --with-where "
                       "\"MineID = 2\"");
    EXPECT_FAILS_WITH(
        vornel({"compare", "m.db", "-t", "A", "--with", "B", "--with-where", "X > 1"}),
        "--with-where \"X > 1\": cannot read the blocks: no such column: X");
    const std::string richer =
        ok({"compare", "m.db", "-t", "A", "--with", "B", "--with-where", "MineID = 7"});
    EXPECT_EQ(lineStarting(richer, "mean Cu"), "  mean Cu        1.25 % in A, 12.5 % in B");
    EXPECT_EQ(lineStarting(richer, "correlation"), "  correlation    1");
    EXPECT_EQ(lineStarting(ok({"compare", "m.db", "-t", "B", "--where", "MineID = 7", "--with", "A",
                               "--with-where", "Krig_PntLocX < 20"}),
                           "matched"),
              "  matched        2 (2 only in B, 0 only in A)");
}

}  // namespace
}  // namespace vornel::test
