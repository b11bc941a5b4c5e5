// Swaths against slice sums worked out by hand.
#include <regex>

#include "CliFixture.h"
#include "support/Shell.h"

namespace vornel::test {
namespace {

using Words = std::vector<std::string>;

class SwathTest : public CliTest {
protected:
    // Block 1 is the cell from X 0 to 10 in two halves of 500 m3, 1000 t
    // each at a block grade of 2; blocks 2, 3 and 4 are whole, centred at
    // X 15, 25 and 45.
    void SetUp() override {
        write("a.csv",
              "BLOCKID,X,Y,Z,DX,DY,DZ,CU,TONNES\n"
              "1,2.5,5,5,5,10,10,1.0,1000\n"
              "1,7.5,5,5,5,10,10,3.0,1000\n"
              "2,15,5,5,10,10,10,1.0,2000\n"
              "3,25,5,5,10,10,10,0.5,1000\n"
              "4,45,5,5,10,10,10,4.0,500\n");
        ok({"import", "m.db", "a.csv", "-t", "A", "-e", "Cu", "--block-size", "10"});
    }
};

TEST_F(SwathTest, SlicesHoldTheGroundOfTheirCentres) {
    // 20 wide: block 1 counts once in the first slice; 2000 t at 2 and
    // 2000 t at 1 make 4000 t at 1.5.
    const std::string wide = ok({"swath", "m.db", "--x", "20"});
    EXPECT_EQ(linesOf(wide).at(0),
              "Swath along X, slices 20 wide, Cu (%), tonnes from the stored tonnage, every block "
              "with a grade:");
    EXPECT_EQ(linesOf(wide).at(1), "  A (4 blocks)");
    EXPECT_EQ(wordsOf(linesOf(wide).at(2)),
              (Words{"X", "from", "X", "to", "blocks", "tonnes", "mean", "Cu", "(%)"}));
    EXPECT_EQ(rowFor(wide, "0"), (Words{"0", "20", "2", "4000", "1.5000"}));
    EXPECT_EQ(rowFor(wide, "20"), (Words{"20", "40", "1", "1000", "0.5000"}));
    EXPECT_EQ(rowFor(wide, "40"), (Words{"40", "60", "1", "500", "4.0000"}));
    EXPECT_EQ(linesOf(wide).size(), 6u);

    // 5 wide: each half of block 1 in a slice of its own, block 2 on the
    // bound at 15 in the slice above it, and the empty slices between.
    const std::string narrow = ok({"swath", "m.db", "--x", "5", "--csv", "x5.csv"});
    EXPECT_EQ(rowFor(narrow, "0"), (Words{"0", "5", "1", "1000", "2.0000"}));
    EXPECT_EQ(rowFor(narrow, "5"), (Words{"5", "10", "1", "1000", "2.0000"}));
    EXPECT_EQ(rowFor(narrow, "10"), (Words{"10", "15", "0", "0", "-"}));
    EXPECT_EQ(rowFor(narrow, "15"), (Words{"15", "20", "1", "2000", "1.0000"}));
    EXPECT_EQ(rowFor(narrow, "45"), (Words{"45", "50", "1", "500", "4.0000"}));
    const CsvTable csv = readCsv(path("x5.csv"));
    EXPECT_EQ(csv.header, (Words{"X from", "X to", "blocks", "tonnes", "mean Cu (%)"}));
    ASSERT_EQ(csv.rows.size(), 10u);
    EXPECT_EQ(csv.rows[2], (Words{"10", "15", "0", "0", ""}));
    EXPECT_EQ(csv.rows[5], (Words{"25", "30", "1", "1000", "0.5"}));
    // Rows on standard output, the table on standard error.
    const CliResult piped = vornel({"swath", "m.db", "--x", "5", "--csv", "-"});
    EXPECT_EQ(piped.out, readFile(path("x5.csv")));
    EXPECT_TRUE(contains(piped.err, "Swath along X")) << piped.err;

    // A centre is in the slice whose bounds, k x WIDTH to 15 significant
    // digits, hold it, though the quotient rounds the other way: 2.5 / w is
    // 10.999999999999998 where 11 w is 2.5 (the first slice). The bounds keep
    // no digit beyond those: 17 v is 15.000000000000002 and 150 x 0.1 is
    // 15.000000000000002, yet the centre at 15 begins its slice in both.
    const auto rowEnding = [](const std::string& table, const std::string& to) {
        for (const std::string& line : linesOf(table)) {
            if (wordsOf(line).size() > 1 && wordsOf(line)[1] == to) {
                return wordsOf(line);
            }
        }
        return Words{};
    };
    const std::string w = ok({"swath", "m.db", "--x", "0.2272727272727273"});
    EXPECT_EQ(wordsOf(linesOf(w).at(3)), (Words{"2.5", "2.72727272727273", "1", "1000", "2.0000"}));
    const std::string v = ok({"swath", "m.db", "--x", "0.8823529411764707"});
    EXPECT_EQ(rowEnding(v, "15").at(2), "0") << v;
    EXPECT_EQ(rowFor(v, "15"), (Words{"15", "15.8823529411765", "1", "2000", "1.0000"})) << v;
    EXPECT_EQ(rowFor(ok({"swath", "m.db", "--x", "0.1"}), "15"),
              (Words{"15", "15.1", "1", "2000", "1.0000"}));

    // Along Y and Z every centre lies in one slice: 8500 t.% in 5500 t.
    EXPECT_EQ(rowFor(ok({"swath", "m.db", "--z", "100"}), "0"),
              (Words{"0", "100", "4", "5500", "1.5455"}));
    EXPECT_EQ(rowFor(ok({"swath", "m.db", "--y", "7"}), "0"),
              (Words{"0", "7", "4", "5500", "1.5455"}));

    // At or above 1.5, blocks 1 and 4 alone; by volume at 3 t/m3, each
    // half of block 1 weighs 1500 t.
    const std::string rich = ok({"swath", "m.db", "--x", "20", "--cutoff", "1.5"});
    EXPECT_TRUE(contains(linesOf(rich).at(0), "blocks at or above 1.5:")) << rich;
    EXPECT_EQ(rowFor(rich, "0"), (Words{"0", "20", "1", "2000", "2.0000"}));
    EXPECT_EQ(rowFor(rich, "20"), (Words{"20", "40", "0", "0", "-"}));
    const std::string heavy = ok({"swath", "m.db", "--x", "5", "--density", "3"});
    EXPECT_EQ(rowFor(heavy, "5"), (Words{"5", "10", "1", "1500", "2.0000"}));
    EXPECT_EQ(rowFor(heavy, "15"), (Words{"15", "20", "1", "3000", "1.0000"}));

    // A block without a grade is left out; the SQL condition picks blocks.
    sqliteShell(path("m.db"), "UPDATE A SET Krig_OutAttr = NULL WHERE Krig_BlockID = 4;");
    const std::string graded = ok({"swath", "m.db", "--x", "20", "--where", "Krig_BlockID > 1"});
    EXPECT_EQ(rowFor(graded, "0"), (Words{"0", "20", "1", "2000", "1.0000"}));
    EXPECT_EQ(rowFor(graded, "40"), Words{});
    // Blocks 2 and 3 are counted, as report counts them.
    EXPECT_EQ(linesOf(graded).at(1),
              "  A (2 blocks where Krig_BlockID > 1; 1 without a grade left out)");
    // A centre a double below 25, as another program may reckon 25, is at
    // 25 to the 15 digits the bounds are taken to.
    sqliteShell(path("m.db"),
                "UPDATE A SET Krig_PntLocX = 24.999999999999996 WHERE Krig_BlockID = 3;");
    EXPECT_EQ(rowFor(ok({"swath", "m.db", "--x", "5"}), "25"),
              (Words{"25", "30", "1", "1000", "0.5000"}));
    // Below 0 the table ends at the last slice with blocks, as above it:
    // blocks 2 and 3 (4 has no grade), 2000 t at 1 and 1000 t at 0.5.
    sqliteShell(path("m.db"), "UPDATE A SET Krig_PntLocZ = -195 WHERE Krig_BlockID > 1;");
    const std::string below = ok({"swath", "m.db", "--z", "10", "--where", "Krig_BlockID > 1"});
    EXPECT_EQ(wordsOf(linesOf(below).back()), (Words{"-200", "-190", "2", "3000", "0.8333"}))
        << below;
}

TEST_F(SwathTest, TwoRunsSideBySide) {
    // B is A re-estimated at twice the grade, less block 3, in another
    // database.
    ok({"import", "b.db", "a.csv", "-t", "A", "-e", "Cu", "--block-size", "10"});
    sqliteShell(path("b.db"),
                "UPDATE A SET Krig_OutAttr = 2 * Krig_OutAttr; DELETE FROM A WHERE "
                "Krig_BlockID = 3;");
    const std::string both = ok({"swath", "m.db", "--x", "20", "--with", "A", "--with-db", "b.db",
                                 "--csv", "both.csv", "--svg", "both.svg"});
    EXPECT_EQ(linesOf(both).at(1), "  1  A of m.db (4 blocks)");
    EXPECT_EQ(linesOf(both).at(2), "  2  A of b.db (3 blocks)");
    EXPECT_EQ(rowFor(both, "0"), (Words{"0", "20", "2", "4000", "1.5000", "2", "4000", "3.0000"}));
    EXPECT_EQ(rowFor(both, "20"), (Words{"20", "40", "1", "1000", "0.5000", "0", "0", "-"}));
    const CsvTable csv = readCsv(path("both.csv"));
    EXPECT_EQ(csv.header.at(2), "blocks in A of m.db");
    EXPECT_EQ(csv.header.at(7), "mean Cu (%) in A of b.db");
    EXPECT_EQ(csv.rows.at(2), (Words{"40", "60", "1", "500", "4", "1", "500", "8"}));

    // The drawing: a bar for each run's slice, a point for each mean, with
    // what they stand for; the points evenly spaced across, grades to
    // scale.
    const std::string svg = readFile(path("both.svg"));
    EXPECT_TRUE(contains(svg, ">Swath of A of m.db and A of b.db along X</text>"));
    EXPECT_TRUE(contains(svg, "<title>A of m.db, X 0 to 20: 4000 t in 2 blocks</title>"));
    EXPECT_TRUE(contains(svg, "<title>A of b.db, X 40 to 60: 500 t in 1 block</title>"));
    const std::vector<SvgPoint> first = svgPoints(svg, "grade");
    ASSERT_EQ(first.size(), 5u);
    EXPECT_EQ(first[0].title, "A of m.db, X 0 to 20: mean 1.5 %");
    EXPECT_EQ(first[3].title, "A of b.db, X 0 to 20: mean 3 %");
    EXPECT_NEAR(first[1].x - first[0].x, first[2].x - first[1].x, 0.02);
    EXPECT_NEAR(first[3].x, first[0].x, 0.02);
    // A slice's mean lies at its middle, where the second run's bar starts.
    const std::smatch bar = [&] {
        std::smatch m;
        std::regex_search(
            svg, m,
            std::regex(
                "<rect class=\"tonnes\" x=\"([0-9.]+)\" y=\"[0-9.]+\" width=\"([0-9.]+)\"[^>]*>"
                "<title>A of b.db, X 0 to 20"));
        return m;
    }();
    ASSERT_EQ(bar.size(), 3u);
    EXPECT_NEAR(first[0].x, std::stod(bar[1]), 0.02);
    // Each run's bar takes half its slice.
    EXPECT_NEAR(std::stod(bar[2]), (first[1].x - first[0].x) / 2, 0.02);
    // Means 1.5, 0.5 and 4: heights in proportion.
    EXPECT_NEAR((first[0].y - first[1].y) / (1.5 - 0.5), (first[1].y - first[2].y) / (0.5 - 4),
                0.05);

    EXPECT_FAILS_WITH(vornel({"swath", "m.db", "--x", "20", "--with", "A", "--with-db", "b.db",
                              "--with-where", "("}),
                      "--with-where \"(\": cannot read the blocks: incomplete input");

    // Runs of two elements are not set side by side.
    sqliteShell(path("b.db"), "UPDATE KrigBlock_Param SET Mine_Element = 'Au';");
    EXPECT_FAILS_WITH(vornel({"swath", "m.db", "--x", "20", "--with", "A", "--with-db", "b.db"}),
                      "A of m.db estimates Cu (%), A of b.db Au (%): set runs of one element and "
                      "unit side by side");
    // A run that weighs nothing is named, not the other.
    sqliteShell(path("b.db"),
                "UPDATE KrigBlock_Param SET Mine_Element = 'Cu'; UPDATE A SET Block_CorMass = 0;");
    EXPECT_FAILS_WITH(vornel({"swath", "m.db", "--x", "20", "--with", "A", "--with-db", "b.db"}),
                      "vornel swath: A of b.db: the blocks weigh nothing as stored");
}

// The run's old workings, the 10 m cell from X 5 to 15, take block 1's
// second half and half of block 2 off: 3500 t holding 5500 t.% left, as a
// depleted report counts them.
TEST_F(SwathTest, DepletedEachPieceWeighsWhatIsLeftOfIt) {
    write("w.csv", "X,Y,Z,DX,DY,DZ\n10,5,5,10,10,10\n");
    ok({"import", "m.db", "w.csv", "-t", "W", "--voids"});
    EXPECT_FAILS_WITH(vornel({"swath", "m.db", "-t", "A", "--x", "5", "--deplete"}),
                      "--deplete: the run of A names no void table to take off its blocks");
    sqliteShell(path("m.db"), "UPDATE KrigBlock_Param SET VoidTable_Name = 'W' WHERE MineID = 1;");
    const std::string left = ok({"swath", "m.db", "-t", "A", "--x", "5", "--deplete"});
    EXPECT_TRUE(
        contains(linesOf(left).at(0), "tonnes from the stored tonnage less the void blocks"))
        << left;
    EXPECT_EQ(rowFor(left, "0"), (Words{"0", "5", "1", "1000", "2.0000"}));
    EXPECT_EQ(rowFor(left, "5"), (Words{"5", "10", "0", "0", "-"}));
    EXPECT_EQ(rowFor(left, "15"), (Words{"15", "20", "1", "1000", "1.0000"}));
    EXPECT_EQ(rowFor(left, "25"), (Words{"25", "30", "1", "1000", "0.5000"}));
    // A block of no volume, which another tool may leave, has none for the
    // void blocks to take.
    sqliteShell(path("m.db"), "UPDATE A SET Krig_GridSizeX = 0 WHERE Krig_BlockID = 4;");
    EXPECT_EQ(rowFor(ok({"swath", "m.db", "-t", "A", "--x", "5", "--deplete"}), "45"),
              (Words{"45", "50", "1", "500", "4.0000"}));
    EXPECT_EQ(rowFor(ok({"report", "m.db", "-t", "A", "--cutoffs", "0", "--deplete"}), "0"),
              (Words{"0", "4", "3500", "1.5714", "55.0"}));
}

// Within the triangle (0,0), (20,0), (0,10), under the line y = 10 - x/2:
// block 1's halves keep 43.75 and 31.25 of their 50 m2 in plan, 875 and
// 625 t at 2; block 2 keeps 25 of its 100 m2, 500 t at 1; blocks 3 and 4
// none. The old workings from X 5 to 15 then take block 1's second half
// and, of block 2, the 18.75 m2 of 10 to 15 within the triangle: 6.25 m2
// are left, 125 t.
TEST_F(SwathTest, WithinAnOutlineEachPieceWeighsItsShareInsideIt) {
    write("tri.csv", "X,Y\n0,0\n20,0\n0,10\n");
    const std::string within = ok({"swath", "m.db", "--x", "5", "--within", "tri.csv"});
    EXPECT_TRUE(contains(linesOf(within).at(0), "tonnes from the stored tonnage within tri.csv,"))
        << within;
    EXPECT_EQ(rowFor(within, "0"), (Words{"0", "5", "1", "875", "2.0000"}));
    EXPECT_EQ(rowFor(within, "5"), (Words{"5", "10", "1", "625", "2.0000"}));
    EXPECT_EQ(rowFor(within, "15"), (Words{"15", "20", "1", "500", "1.0000"}));
    // Nothing beyond X 20: the slices end there.
    EXPECT_EQ(linesOf(within).size(), 7u) << within;

    write("w.csv", "X,Y,Z,DX,DY,DZ\n10,5,5,10,10,10\n");
    ok({"import", "m.db", "w.csv", "-t", "W", "--voids"});
    sqliteShell(path("m.db"), "UPDATE KrigBlock_Param SET VoidTable_Name = 'W' WHERE MineID = 1;");
    const std::string left = ok({"swath", "m.db", "--x", "5", "--within", "tri.csv", "--deplete"});
    EXPECT_TRUE(contains(linesOf(left).at(0), "within tri.csv less the void blocks")) << left;
    EXPECT_EQ(rowFor(left, "0"), (Words{"0", "5", "1", "875", "2.0000"}));
    EXPECT_EQ(rowFor(left, "5"), (Words{"5", "10", "0", "0", "-"}));
    EXPECT_EQ(rowFor(left, "15"), (Words{"15", "20", "1", "125", "1.0000"}));
}

// Kriging may estimate a mean below 0: the grade axis reaches down to it.
// From 0 at the plot's top (y 80) to -0.5 at its foot (y 500), -0.2 lies
// 0.4 of the way down, at 248, and -0.1 at 164.
TEST_F(SwathTest, MeansBelowNoughtAreOnTheDrawing) {
    write("neg.csv",
          "X,Y,Z,DX,DY,DZ,CU,TONNAGE\n5,5,5,10,10,10,-0.5,2700\n"
          "15,5,5,10,10,10,-0.2,2700\n25,5,5,10,10,10,-0.1,2700\n");
    ok({"import", "n.db", "neg.csv", "-t", "N", "-e", "Cu"});
    ok({"swath", "n.db", "--x", "10", "--svg", "n.svg"});
    const std::string svg = readFile(path("n.svg"));
    const std::vector<SvgPoint> means = svgPoints(svg, "grade");
    ASSERT_EQ(means.size(), 3u) << svg;
    EXPECT_NEAR(means[0].y, 500, 0.01);
    EXPECT_NEAR(means[1].y, 248, 0.01);
    EXPECT_NEAR(means[2].y, 164, 0.01);
    EXPECT_TRUE(contains(svg, "text-anchor=\"end\">-0.5</text>")) << svg;
    // Nor can metal past the largest double be drawn: 2700 t at 1e306.
    sqliteShell(path("n.db"), "UPDATE N SET Krig_OutAttr = 1e306 WHERE Krig_PntLocX = 15;");
    EXPECT_FAILS_WITH(vornel({"swath", "n.db", "--x", "10"}),
                      "in the slice from 10 along X the tonnes or the metal add up beyond what a "
                      "number holds");
}

TEST_F(SwathTest, WrongSlicesAreRefused) {
    EXPECT_USAGE_ERROR(vornel({"swath", "m.db"}), "give one of --x, --y or --z");
    EXPECT_USAGE_ERROR(vornel({"swath", "m.db", "--x", "5", "--z", "5"}),
                       "give one of --x, --y or --z");
    EXPECT_USAGE_ERROR(vornel({"swath", "m.db", "--x", "0"}), "'0' is not a number above 0");
    EXPECT_USAGE_ERROR(vornel({"swath", "m.db", "--x", "5", "--with-db", "m.db"}),
                       "--with-db and --with-where go with --with");
    // From 2.5 to 45 is slices 581 to 10465 at 0.0043 wide, and 588 to
    // 10588, one too many, at 0.00425.
    EXPECT_EQ(linesOf(ok({"swath", "m.db", "--x", "0.0043", "--cutoff", "5"})).size(), 3u);
    EXPECT_FAILS_WITH(vornel({"swath", "m.db", "--x", "0.00425"}),
                      "slices 0.00425 wide along X from 2.5 to 45 would be more than 10000; give "
                      "a wider slice");
    // Slices too thin for bounds to 15 significant digits: centred at Y
    // 123456789012350, where the last digit is 1, a slice must be 1e-13 of
    // that, 12.3, wide or more. Slice 9496676077873 of 13 holds blocks 2, 3
    // and 4 (block 1's sub-blocks stay at Y 5).
    sqliteShell(
        path("m.db"),
        "UPDATE A SET Krig_PntLocY = 123456789012345 + Krig_PntLocY WHERE Krig_BlockID > 1;");
    EXPECT_FAILS_WITH(vornel({"swath", "m.db", "--y", "12", "--where", "Krig_BlockID > 1"}),
                      "slices 12 wide along Y cannot be told apart at 123456789012350, to the 15 "
                      "significant digits their bounds are taken to");
    EXPECT_EQ(rowFor(ok({"swath", "m.db", "--y", "13", "--where", "Krig_BlockID > 1"}),
                     "123456789012349"),
              (Words{"123456789012349", "123456789012362", "3", "3500", "1.2857"}));
    sqliteShell(path("m.db"), "UPDATE A SET Krig_PntLocZ = 1e999 WHERE Krig_BlockID = 3;");
    EXPECT_FAILS_WITH(vornel({"swath", "m.db", "--z", "10"}),
                      "block 3 has no Z to put it in a slice by");
    // Along X it has a place, but no ground to share out.
    EXPECT_FAILS_WITH(vornel({"swath", "m.db", "--x", "10"}),
                      "block 3 has a place or size that is not a number, or a size below 0");
    // Nor can a grade of infinity be weighed, here or in a comparison.
    sqliteShell(path("m.db"),
                "UPDATE A SET Krig_PntLocZ = 5 WHERE Krig_BlockID = 3;"
                "UPDATE A SET Krig_OutAttr = -9e999 WHERE Krig_BlockID = 2;");
    for (const Words& weighing :
         {Words{"swath", "m.db", "--x", "10"}, Words{"compare", "m.db", "--with", "A"}}) {
        EXPECT_FAILS_WITH(vornel(weighing),
                          "block 2 has a grade of -inf, which no total or statistic can take");
    }
    EXPECT_FAILS_WITH(vornel({"swath", "m.db", "--x", "5", "--csv", "m.db"}),
                      "database being read");
    // A centre stored empty reads as 0, which is no place to put ground.
    sqliteShell(path("m.db"),
                "UPDATE A SET Krig_OutAttr = 1, Krig_PntLocY = NULL WHERE Krig_BlockID = 2;");
    EXPECT_FAILS_WITH(vornel({"swath", "m.db", "--x", "10"}),
                      "block 2 has a centre or size stored as no number (empty, text or bytes)");
    EXPECT_EQ(rowFor(ok({"swath", "m.db", "--x", "10", "--where", "Krig_BlockID <> 2"}), "0"),
              (Words{"0", "10", "1", "2000", "2.0000"}));
    // Sub-blocks of no volume have no shares to weigh their ground by.
    sqliteShell(path("m.db"), flattenTwoSubBlocks("A", 1));
    EXPECT_FAILS_WITH(
        vornel({"swath", "m.db", "--x", "10", "--where", "Krig_BlockID <> 2"}),
        "block 1 has sub-blocks of no volume, among which its ground cannot be shared out");
}

}  // namespace
}  // namespace vornel::test
