// Regularized runs against cell sums worked out by hand.
#include <array>

#include "CliFixture.h"
#include "support/Shell.h"

namespace vornel::test {
namespace {

using Words = std::vector<std::string>;

class RegularizeTest : public CliTest {
protected:
    // Along X, 10 m high and deep: block 1 from 0 to 10 in two halves of
    // 1000 t each (grade 2, variance 0.3 by volume), block 2 from 10 to 20
    // (2500 t at 1), block 3 from 20 to 30 (1000 t at 0.5), block 4 from 40
    // to 50 (500 t at 4): 6000 t holding 9000 t.%.
    void SetUp() override {
        write("a.csv",
              "BLOCKID,X,Y,Z,DX,DY,DZ,CU,KVAR,CLASS,TONNES,PASS\n"
              "1,2.5,5,5,5,10,10,1.0,0.2,Measured,1000,1\n"
              "1,7.5,5,5,5,10,10,3.0,0.4,Measured,1000,1\n"
              "2,15,5,5,10,10,10,1.0,0.5,Indicated,2500,2\n"
              "3,25,5,5,10,10,10,0.5,0.9,Inferred,1000,3\n"
              "4,45,5,5,10,10,10,4.0,0.1,Inferred,500,3\n");
        ok({"import", "m.db", "a.csv", "-t", "A", "-e", "Cu", "--block-size", "10"});
    }

    // The regularized table's blocks, in the columns export gives.
    CsvTable cells(const std::string& table) {
        ok({"export", "m.db", "-t", table, "-o", table + ".csv"});
        return readCsv(path(table + ".csv"));
    }
};

TEST_F(RegularizeTest, CellsHoldTheTonnesAndMetalOfTheGroundInThem) {
    const std::string said =
        ok({"regularize", "m.db", "-t", "A", "--size", "20,10,10", "--into", "SMU"});
    EXPECT_EQ(linesOf(said).at(0),
              "Regularized A into SMU (run 2) in m.db: cells of 20 x 10 x 10 from (0, 0, 0)");
    EXPECT_EQ(lineStarting(said, "blocks"), "  blocks         4 (5 pieces) -> 3 cells");
    EXPECT_EQ(lineStarting(said, "tonnes"), "  tonnes         6000 -> 6000");
    EXPECT_EQ(lineStarting(said, "metal"), "  metal (t)      90.0 -> 90.0");
    // From 0 to 20, blocks 1 and 2: 4500 t holding 6500 t.%, Indicated by
    // block 2's greater tonnes; 20 to 40 half filled by block 3; 40 to 60
    // by block 4.
    const CsvTable c = cells("SMU");
    ASSERT_EQ(c.rows.size(), 3u);
    const auto row = [&](size_t r, const Words& columns) {
        Words values;
        for (const std::string& column : columns) {
            values.push_back(c.at(r, column));
        }
        return values;
    };
    const Words box = {"X", "Y", "Z", "DX", "DY", "DZ", "COEF", "SUBBLOCKS", "VOLUME", "BOUND"};
    // Full, but on the boundary as split block 1 is.
    EXPECT_EQ(row(0, box), (Words{"10", "5", "5", "20", "10", "10", "1", "0", "2000", "1"}));
    EXPECT_EQ(row(1, box), (Words{"30", "5", "5", "20", "10", "10", "0.5", "0", "1000", "1"}));
    EXPECT_EQ(row(2, box), (Words{"50", "5", "5", "20", "10", "10", "0.5", "0", "1000", "1"}));
    EXPECT_DOUBLE_EQ(c.number(0, "Cu"), 6500.0 / 4500);
    EXPECT_EQ(row(0, {"TONNAGE", "CATEGORY", "PASS"}), (Words{"4500", "Indicated", "2"}));
    // Variance by volume: 1000 m3 at 0.3 and 1000 at 0.5.
    EXPECT_DOUBLE_EQ(c.number(0, "VARIANCE"), 0.4);
    EXPECT_EQ(row(2, {"Cu", "VARIANCE", "TONNAGE", "CATEGORY"}),
              (Words{"4", "0.1", "500", "Inferred"}));
    // The catalog's new run: the element and unit of the old, and its grid.
    const std::string info = ok({"info", "m.db"});
    EXPECT_TRUE(contains(info, "Run 2: table SMU, element Cu (%)")) << info;
    EXPECT_TRUE(contains(info, "regularized from A into cells of 20 x 10 x 10")) << info;

    // Cells off the blocks' grid split them by volume: from 5 to 15, block
    // 1's second half and half of block 2, 1000 + 1250 t holding 2000 +
    // 1250 t.%; from 15 to 25, 1250 t at 1 and 500 at 0.5.
    // The grid of the origin reaches below it, to the cell from -5 to 5.
    EXPECT_TRUE(contains(
        ok({"regularize", "m.db", "-t", "A", "--size", "10", "--origin", "5,0,0", "--into", "OFF"}),
        "cells of 10 x 10 x 10 from (-5, "));
    const CsvTable off = cells("OFF");
    ASSERT_EQ(off.rows.size(), 6u);
    EXPECT_EQ(off.at(0, "X") + " " + off.at(0, "COEF") + " " + off.at(0, "TONNAGE"), "0 0.5 1000");
    EXPECT_EQ(off.at(1, "X") + " " + off.at(1, "COEF") + " " + off.at(1, "TONNAGE"), "10 1 2250");
    EXPECT_DOUBLE_EQ(off.number(1, "Cu"), 3250.0 / 2250);
    EXPECT_DOUBLE_EQ(off.number(1, "VARIANCE"), 0.4);
    EXPECT_EQ(off.at(1, "CATEGORY"), "Indicated");
    EXPECT_DOUBLE_EQ(off.number(2, "Cu"), 1500.0 / 1750);
    EXPECT_EQ(off.at(2, "TONNAGE"), "1750");
    // Block 2 brings more than block 3, which comes after it.
    EXPECT_EQ(off.at(2, "CATEGORY") + " " + off.at(2, "PASS"), "Indicated 2");
    EXPECT_EQ(off.at(4, "X") + " " + off.at(4, "TONNAGE") + " " + off.at(5, "TONNAGE"),
              "40 250 250");
    // Cells 40 / 11 wide: the one that ends where block 4 starts (11 times
    // 3.6363636363636367 is 40, though 40 divided by it is 10.99...) holds
    // none of it, and is no block.
    ok({"regularize", "m.db", "-t", "A", "--size", "3.6363636363636367,10,10", "--into", "THIN"});
    // The corner is told as the catalog keeps it: 0.1 - 7.3 in doubles is
    // -7.199999999999999.
    EXPECT_TRUE(contains(ok({"regularize", "m.db", "-t", "A", "--size", "7.3,10,10", "--origin",
                             "0.1,0,0", "--into", "ODD"}),
                         "from (-7.2, "));
    const CsvTable thin = cells("THIN");
    for (size_t r = 0; r < thin.rows.size(); ++r) {
        EXPECT_GT(thin.number(r, "COEF"), 0) << thin.at(r, "X");
    }
    // 0.625 m cells take 16 x 16 x 16 of them to a whole block, as many as
    // one may spread over.
    EXPECT_EQ(
        lineStarting(ok({"regularize", "m.db", "-t", "A", "--size", "0.625", "--into", "FINE"}),
                     "tonnes"),
        "  tonnes         6000 -> 6000");
    // Cells are numbered from 1 as they are listed: bench by bench from the
    // lowest, row by row along Y, then along X.
    ok({"regularize", "m.db", "-t", "A", "--size", "5", "--into", "FIVE"});
    const CsvTable five = cells("FIVE");
    ASSERT_EQ(five.rows.size(), 32u);  // 8 along X, 2 along Y, 2 benches
    for (size_t r = 0; r < five.rows.size(); ++r) {
        EXPECT_EQ(five.at(r, "BLOCKID"), std::to_string(r + 1));
        if (r > 0) {
            const auto place = [&](size_t i) {
                return std::array{five.number(i, "Z"), five.number(i, "Y"), five.number(i, "X")};
            };
            EXPECT_LT(place(r - 1), place(r)) << "row " << r;
        }
    }
    // The whole grade-tonnage curve at 0 is kept.
    EXPECT_EQ(rowFor(ok({"report", "m.db", "-t", "OFF", "--cutoffs", "0"}), "0"),
              (Words{"0", "6", "6000", "1.5000", "90.0"}));
    // Blocks on a 5 m lattice from 90.33, regularized onto it, come back as
    // they were, though 142.83 - 2.5 and 90.33 + 10 x 5 differ in the last
    // place, and 127.83 + 2.5 less 127.83 - 2.5 is 4.999999999999986: three
    // full cells, none holding a sliver.
    write("lattice.csv",
          "X,Y,Z,DX,DY,DZ,CU,TONNES\n92.83,2.5,2.5,5,5,5,1,300\n127.83,2.5,2.5,5,5,5,1,300\n"
          "142.83,2.5,2.5,5,5,5,2,300\n");
    ok({"import", "m.db", "lattice.csv", "-t", "L", "-e", "Cu"});
    EXPECT_EQ(lineStarting(ok({"regularize", "m.db", "-t", "L", "--size", "5", "--into", "L5"}),
                           "blocks"),
              "  blocks         3 (3 pieces) -> 3 cells");
    const CsvTable lattice = cells("L5");
    ASSERT_EQ(lattice.rows.size(), 3u);
    for (size_t r = 0; r < 3; ++r) {
        EXPECT_EQ(lattice.at(r, "COEF"), "1") << r;
        EXPECT_EQ(lattice.at(r, "BOUND"), "0") << r;
        EXPECT_EQ(lattice.at(r, "VOLUME"), "125") << r;
    }
}

TEST_F(RegularizeTest, KeptMetalReadsTheSameBeforeAndAfter) {
    // 391.55 t of metal, which the blocks' sum holds as 391.54999999999995
    // and the cells' as 391.55.
    write("m1.csv",
          "X,Y,Z,DX,DY,DZ,CU,TONNAGE,CATEGORY\n"
          "500005,3000005,105,10,10,10,1.0,2700,Measured\n"
          "500015,3000005,105,10,10,10,2.0,2600,Indicated\n"
          "500025,3000005,105,10,10,10,3.0,2500,Inferred\n"
          "500005,3000015,105,10,10,10,0.5,2700,Measured\n"
          "500015,3000015,105,10,10,10,0.25,2700,Indicated\n"
          "500025,3000015,105,10,10,10,4.0,2700,Inferred\n"
          "500002.5,3000022.5,105,5,5,10,1.5,700,Measured\n"
          "500007.5,3000027.5,105,5,5,10,2.5,600,Measured\n"
          "500015,3000025,102.5,10,10,5,0.7,1300,Indicated\n"
          "500015,3000025,107.5,10,10,5,0.9,1400,Indicated\n"
          "500005,3000005,115,10,10,10,1.1,2700,Measured\n"
          "500015,3000005,115,10,10,10,1.2,2700,Measured\n");
    ok({"import", "m1.db", "m1.csv", "-t", "M1", "-e", "Cu", "--block-size", "10"});
    const std::string said = ok({"regularize", "m1.db", "--size", "15", "--into", "R15"});
    EXPECT_EQ(lineStarting(said, "metal"), "  metal (t)      391.5 -> 391.5");
}

TEST_F(RegularizeTest, PartBlocksAndBlocksWithoutAGrade) {
    // Block 4 half in the model brings half its box; block 3 without a
    // grade is left out, cell and all. Block 2, all ore, now weighs 2000 t
    // as block 1 does, which comes first and gives the cell its class.
    sqliteShell(path("m.db"),
                "UPDATE A SET Block_Coef = 0.5 WHERE Krig_BlockID = 4;"
                "UPDATE A SET Krig_OutAttr = NULL WHERE Krig_BlockID = 3;"
                "UPDATE A SET Block_CorMass = 2000, Ore_Propro = 1, Block_OreMass = 2000 "
                "WHERE Krig_BlockID = 2;");
    const std::string said = ok({"regularize", "m.db", "--size", "20,10,10", "--into", "SMU"});
    EXPECT_EQ(lineStarting(said, "blocks"),
              "  blocks         4 (4 pieces, 1 without a grade left out) -> 2 cells");
    EXPECT_EQ(lineStarting(said, "tonnes"), "  tonnes         4500 -> 4500");
    const CsvTable c = cells("SMU");
    ASSERT_EQ(c.rows.size(), 2u);
    EXPECT_EQ(c.at(0, "CATEGORY"), "Measured");
    EXPECT_EQ(c.at(1, "X") + " " + c.at(1, "COEF") + " " + c.at(1, "VOLUME"), "50 0.25 500");
    // Cells from -5 to 15: block 1 and half of block 2, 1000 t of ore in
    // 3000 t.
    ok({"regularize", "m.db", "-t", "A", "--size", "20,10,10", "--origin", "15,0,0", "--into",
        "ORE"});
    EXPECT_EQ(sqliteShell(path("m.db"),
                          "SELECT Krig_PntLocX, round(Ore_Propro, 6), Block_OreMass FROM ORE "
                          "ORDER BY Krig_BlockID LIMIT 2;"),
              "5.0|0.333333|1000.0\n25.0|1.0|1000.0\n");
    // An empty variance is none, not one of 0: the first cell's is block
    // 1's 0.3 alone; block 4's cell has ground with none, and is given 0.
    sqliteShell(path("m.db"), "UPDATE A SET Krig_OutVari = NULL WHERE Krig_BlockID IN (2, 4)");
    EXPECT_EQ(
        lineStarting(ok({"regularize", "m.db", "-t", "A", "--size", "20,10,10", "--into", "VAR"}),
                     "blocks"),
        "  blocks         4 (4 pieces, 1 without a grade left out) -> 2 cells, 1 of no "
        "ground with a variance (given 0)");
    const CsvTable varied = cells("VAR");
    EXPECT_DOUBLE_EQ(varied.number(0, "VARIANCE"), 0.3);
    EXPECT_EQ(varied.at(1, "VARIANCE"), "0");
}

// The run's old workings, the 10 m cell from X 5 to 15, take block 1's
// second half and half of block 2 off; block 2, half of its box in the
// model, loses 250 m3 of ground. The first cell keeps 1000 t at 2 and 1250
// t at 1 in 750 m3 of its 2000, as a depleted report counts them.
TEST_F(RegularizeTest, DepletedTheOldWorkingsAreTakenOffFirst) {
    write("w.csv", "X,Y,Z,DX,DY,DZ\n10,5,5,10,10,10\n");
    ok({"import", "m.db", "w.csv", "-t", "W", "--voids"});
    EXPECT_FAILS_WITH(vornel({"regularize", "m.db", "-t", "A", "--size", "20,10,10", "--deplete",
                              "--into", "LEFT"}),
                      "--deplete: the run of A names no void table to take off its blocks");
    sqliteShell(path("m.db"),
                "UPDATE KrigBlock_Param SET VoidTable_Name = 'W' WHERE MineID = 1;"
                "UPDATE A SET Block_Coef = 0.5, Block_Vol = 500 WHERE Krig_BlockID = 2;");
    const std::string said =
        ok({"regularize", "m.db", "-t", "A", "--size", "20,10,10", "--deplete", "--into", "LEFT"});
    EXPECT_EQ(lineStarting(said, "void blocks"), "  void blocks    W taken off: 750 m3 of ground");
    EXPECT_EQ(lineStarting(said, "tonnes"), "  tonnes         6000 -> 3750");
    EXPECT_EQ(lineStarting(said, "metal"), "  metal (t)      90.0 -> 57.5");
    const CsvTable c = cells("LEFT");
    ASSERT_EQ(c.rows.size(), 3u);
    EXPECT_EQ(c.at(0, "COEF") + " " + c.at(0, "VOLUME") + " " + c.at(0, "TONNAGE"),
              "0.375 750 2250");
    EXPECT_DOUBLE_EQ(c.number(0, "Cu"), 3250.0 / 2250);
    const std::string report = ok({"report", "m.db", "-t", "A", "--cutoffs", "0", "--deplete"});
    EXPECT_EQ(rowFor(report, "0"), (Words{"0", "4", "3750", "1.5333", "57.5"}));
    EXPECT_TRUE(contains(report, ", 750 m3")) << report;
    // Its ground is what is left: the new run has no void table to take
    // off again.
    EXPECT_EQ(
        sqliteShell(path("m.db"), "SELECT VoidTable_Name FROM KrigBlock_Param WHERE MineID = 3;"),
        "\n");
    EXPECT_TRUE(
        contains(ok({"info", "m.db"}), "regularized from A less W into cells of 20 x 10 x 10"));

    // Old workings over blocks 1 to 3 leave block 4 alone, weighing
    // nothing as another tool stored it: no cell has a tonne to total.
    write("w2.csv", "X,Y,Z,DX,DY,DZ\n15,5,5,30,10,10\n");
    ok({"import", "m.db", "w2.csv", "-t", "W2", "--voids"});
    sqliteShell(path("m.db"),
                "UPDATE KrigBlock_Param SET VoidTable_Name = 'W2' WHERE MineID = 1;"
                "UPDATE A SET Block_CorMass = 0 WHERE Krig_BlockID = 4;");
    const std::string before = readFile(path("m.db"));
    EXPECT_FAILS_WITH(
        vornel({"regularize", "m.db", "-t", "A", "--size", "10", "--deplete", "--into", "GONE"}),
        "A: the ground left to regularize once the void blocks are taken off "
        "weighs nothing");
    EXPECT_TRUE(readFile(path("m.db")) == before) << "the refused run was written";
}

// Within the triangle (0,0), (20,0), (0,10), under the line y = 10 - x/2,
// block 1's halves keep 43.75 and 31.25 of their 50 m2 in plan (437.5 and
// 312.5 m3, 875 and 625 t at 2) and block 2 a quarter (250 m3, 625 t at
// 1); blocks 3 and 4 lie outside, so the first cell is the only one. The
// old workings from X 5 to 15 then take block 1's second half and, of
// block 2, the 187.5 m3 from 10 to 15 within the triangle: 62.5 m3 are
// left, 156.25 t.
TEST_F(RegularizeTest, WithinAnOutlineOnlyTheGroundInsideItIsGathered) {
    write("tri.csv", "X,Y\n0,0\n20,0\n0,10\n");
    const std::string said = ok({"regularize", "m.db", "-t", "A", "--size", "20,10,10", "--within",
                                 "tri.csv", "--into", "IN"});
    EXPECT_EQ(lineStarting(said, "within"),
              "  within         tri.csv (100 m2): the ground outside it left out");
    EXPECT_EQ(lineStarting(said, "tonnes"), "  tonnes         6000 -> 2125");
    const CsvTable in = cells("IN");
    ASSERT_EQ(in.rows.size(), 1u);
    EXPECT_EQ(in.at(0, "COEF") + " " + in.at(0, "VOLUME") + " " + in.at(0, "TONNAGE"),
              "0.5 1000 2125");
    EXPECT_DOUBLE_EQ(in.number(0, "Cu"), 3625.0 / 2125);
    EXPECT_TRUE(contains(ok({"info", "m.db"}),
                         "regularized from A into cells of 20 x 10 x 10, within tri.csv"));
    // The cell holds the ground within the triangle alone: taken as spread
    // over the whole cell, half of it would be cut off again.
    EXPECT_EQ(linesOf(ok({"report", "m.db", "-t", "IN", "--cutoffs", "0"})).at(2),
              "  0                 1    2125       1.7059       36.2");
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"report", "m.db", "-t", "IN", "--cutoffs", "0"},
          {"stats", "m.db", "-t", "IN"},
          {"swath", "m.db", "-t", "IN", "--x", "10"},
          {"compare", "m.db", "-t", "A", "--with", "IN"},
          {"regularize", "m.db", "-t", "IN", "--size", "40", "--into", "AGAIN"}}) {
        std::vector<std::string> within = command;
        within.insert(within.end(), {"--within", "tri.csv"});
        EXPECT_FAILS_WITH(vornel(within),
                          "--within: the cells of IN hold only the ground within tri.csv already");
    }
    // Nor do the cells gathered from those cells hold more.
    ok({"regularize", "m.db", "-t", "IN", "--size", "40", "--into", "IN2"});
    EXPECT_TRUE(contains(ok({"info", "m.db"}),
                         "regularized from IN into cells of 40 x 40 x 40, within tri.csv"));
    EXPECT_FAILS_WITH(
        vornel({"report", "m.db", "-t", "IN2", "--cutoffs", "0", "--within", "tri.csv"}),
        "--within: the cells of IN2 hold only the ground within tri.csv already");
    write("far.csv", "X,Y\n100,100\n110,100\n110,110\n");
    EXPECT_FAILS_WITH(vornel({"regularize", "m.db", "-t", "A", "--size", "20", "--within",
                              "far.csv", "--into", "FAR"}),
                      "A: no ground is left to regularize within far.csv");

    write("w.csv", "X,Y,Z,DX,DY,DZ\n10,5,5,10,10,10\n");
    ok({"import", "m.db", "w.csv", "-t", "W", "--voids"});
    sqliteShell(path("m.db"), "UPDATE KrigBlock_Param SET VoidTable_Name = 'W' WHERE MineID = 1;");
    // An outline's name may hold what the run's description joins its
    // parts with.
    write("tri, less W.csv", "X,Y\n0,0\n20,0\n0,10\n");
    const std::string left = ok({"regularize", "m.db", "-t", "A", "--size", "20,10,10", "--within",
                                 "tri, less W.csv", "--deplete", "--into", "LEFT"});
    EXPECT_EQ(lineStarting(left, "void blocks"), "  void blocks    W taken off: 500 m3 of ground");
    EXPECT_EQ(lineStarting(left, "tonnes"), "  tonnes         6000 -> 1031");
    const CsvTable c = cells("LEFT");
    ASSERT_EQ(c.rows.size(), 1u);
    EXPECT_EQ(c.at(0, "COEF") + " " + c.at(0, "VOLUME") + " " + c.at(0, "TONNAGE"),
              "0.25 500 1031.25");
    ok({"regularize", "m.db", "-t", "LEFT", "--size", "40", "--into", "LEFT2"});
    EXPECT_FAILS_WITH(
        vornel({"stats", "m.db", "-t", "LEFT2", "--within", "tri.csv"}),
        "--within: the cells of LEFT2 hold only the ground within tri, less W.csv already");
    // Nor does a regularized run keep the void table, whose blocks would
    // be taken off its cells' whole boxes: the outline, or the blocks, may
    // have left ground in part of a cell alone.
    ok({"regularize", "m.db", "-t", "A", "--size", "20,10,10", "--within", "tri.csv", "--into",
        "HELD"});
    ok({"regularize", "m.db", "-t", "A", "--size", "20,10,10", "--into", "PLAIN"});
    for (const char* run : {"HELD", "PLAIN"}) {
        EXPECT_FAILS_WITH(vornel({"report", "m.db", "-t", run, "--cutoffs", "0", "--deplete"}),
                          "--deplete: the run of " + std::string(run) + " names no void table");
    }
    // The names of the source and void tables are no outline, whatever
    // they hold.
    sqliteShell(path("m.db"),
                "ALTER TABLE A RENAME TO [A, within B]; ALTER TABLE W RENAME TO [W, within Z];"
                "UPDATE KrigBlock_Param SET Table_Name = 'A, within B' WHERE Table_Name = 'A';"
                "UPDATE KrigBlock_Param SET Table_Name = 'W, within Z' WHERE Table_Name = 'W';"
                "UPDATE KrigBlock_Param SET VoidTable_Name = 'W, within Z' WHERE MineID = 1");
    ok({"regularize", "m.db", "-t", "A, within B", "--size", "40", "--deplete", "--into", "WHOLE"});
    EXPECT_TRUE(
        contains(ok({"info", "m.db"}),
                 "regularized from A, within B less W, within Z into cells of 40 x 40 x 40"));
    ok({"stats", "m.db", "-t", "WHOLE", "--within", "tri.csv"});
}

TEST_F(RegularizeTest, WhatCannotBeWrittenIsRefusedWithNothingWritten) {
    EXPECT_FAILS_WITH(vornel({"regularize", "m.db", "--size", "20", "--into", "A"}),
                      "m.db: a table named 'A' exists already; regularize into a new table");
    const std::string before = readFile(path("m.db"));
    EXPECT_USAGE_ERROR(vornel({"regularize", "m.db", "--size", "20", "--into", "1A"}),
                       "--into '1A': use a letter");
    EXPECT_USAGE_ERROR(vornel({"regularize", "m.db", "--size", "20", "--into", "sqlite_x"}),
                       "--into 'sqlite_x': names starting with sqlite_ belong to the database");
    for (const char* size : {"0,10,10", "20,0,10", "20,10,-10"}) {
        EXPECT_USAGE_ERROR(vornel({"regularize", "m.db", "--size", size, "--into", "B"}),
                           "--size: sizes must be above 0");
    }
    EXPECT_USAGE_ERROR(vornel({"regularize", "m.db", "--size", "1e300,1e10,1", "--into", "B"}),
                       "--size: a cell of 1e300,1e10,1 holds more than a number can");
    EXPECT_USAGE_ERROR(vornel({"regularize", "m.db", "--size", "20,10", "--into", "B"}), "--size");
    // 0.6 m cells would take 18 x 17 x 17 of them to block 2 (9 x 17 x 17
    // to a half of block 1).
    EXPECT_FAILS_WITH(vornel({"regularize", "m.db", "--size", "0.6", "--into", "B"}),
                      "block 2 would spread over more than 4096 cells; give larger cells");
    EXPECT_FAILS_WITH(
        vornel({"regularize", "m.db", "--size", "20", "--into", "B", "--where", "MineID = 9"}),
        "no block of A meets --where \"MineID = 9\"");
    EXPECT_EQ(readFile(path("m.db")), before);
    // Boxes no cell can hold, which another tool may leave.
    sqliteShell(path("m.db"), "UPDATE A SET Krig_GridSizeX = 0 WHERE Krig_BlockID = 3;");
    EXPECT_FAILS_WITH(vornel({"regularize", "m.db", "--size", "20", "--into", "B"}),
                      "block 3 has no volume to share out among cells");
    sqliteShell(path("m.db"),
                "UPDATE A SET Krig_GridSizeX = 10 WHERE Krig_BlockID = 3;"
                "UPDATE A SET Krig_PntLocY = 1e300 WHERE Krig_BlockID = 4;");
    EXPECT_FAILS_WITH(
        vornel({"regularize", "m.db", "--size", "20,10,10", "--origin", "0,0,0", "--into", "B"}),
        "block 4 lies more cells of 10 from the grid's origin than can be numbered");
    sqliteShell(path("m.db"), "UPDATE A SET Krig_PntLocY = 'far' WHERE Krig_BlockID = 4;");
    EXPECT_FAILS_WITH(
        vornel({"regularize", "m.db", "--size", "20,10,10", "--origin", "0,0,0", "--into", "B"}),
        "block 4 has a centre or size stored as no number (empty, text or bytes)");
    // Further cells or another origin cannot help a place that is no number.
    sqliteShell(path("m.db"), "UPDATE A SET Krig_PntLocY = 9e999 WHERE Krig_BlockID = 4;");
    EXPECT_FAILS_WITH(
        vornel({"regularize", "m.db", "--size", "20,10,10", "--origin", "0,0,0", "--into", "B"}),
        "block 4 has a centre or size that is no number, or a sub-block with one: 'vornel check' "
        "lists such blocks");
}

}  // namespace
}  // namespace vornel::test
