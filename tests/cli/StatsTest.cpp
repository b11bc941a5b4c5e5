// Grade statistics against sums and quantiles worked out by hand.
#include <regex>
#include <tuple>

#include "CliFixture.h"
#include "support/Shell.h"

namespace vornel::test {
namespace {

using Words = std::vector<std::string>;

class StatsTest : public CliTest {
protected:
    // 1250 t at 1 and 2500 t at 2 (Measured), 1250 t at 4 (Inferred), and a
    // block of no tonnes at 3 with no category. Together: 5000 t holding
    // 11250 t.%, a mean of 2.25; squared deviations 1953.125 + 156.25 +
    // 3828.125 = 5937.5 t.%², a variance of 1.1875 and a standard deviation
    // of 1.0897247358851685.
    void SetUp() override {
        write("a.csv",
              "BLOCKID,X,Y,Z,DX,DY,DZ,CU,TONNES,CATEGORY\n"
              "1,5,5,5,10,10,10,1,1250,Measured\n"
              "2,15,5,5,10,10,10,2,2500,Measured\n"
              "3,25,5,5,10,10,10,4,1250,Inferred\n"
              "4,35,5,5,10,10,10,3,0,\n");
        ok({"import", "m.db", "a.csv", "-t", "A", "-e", "Cu"});
    }
};

TEST_F(StatsTest, WeighedByTonnes) {
    const std::string all = ok({"stats", "m.db"});
    EXPECT_EQ(linesOf(all).at(0),
              "Grade statistics of A (4 blocks), Cu (%), tonnes from the stored tonnage:");
    EXPECT_EQ(wordsOf(linesOf(all).at(1)),
              (Words{"blocks", "tonnes", "mean", "std", "dev", "CV", "min", "P10", "P25", "P50",
                     "P75", "P90", "max"}));
    // A quarter of the tonnes lies at or below 1 and three quarters at or
    // below 2: those bounds are the quantiles, not the grades above them.
    // The block of no tonnes counts in min and max alone.
    EXPECT_EQ(wordsOf(linesOf(all).at(2)),
              (Words{"4", "5000", "2.2500", "1.0897", "0.484", "1.0000", "1.0000", "1.0000",
                     "2.0000", "2.0000", "4.0000", "4.0000"}));
    EXPECT_EQ(linesOf(all).size(), 3u);

    // Class by class: Measured is 3750 t at 6250 / 3750; a quarter of it is
    // 937.5 t, at or below 1, and half 1875 t, which 1 does not reach. A
    // class of no tonnes has no weighed statistic.
    const std::string by = ok({"stats", "m.db", "--by", "category", "--csv", "by.csv"});
    EXPECT_TRUE(contains(linesOf(by).at(0), "tonnes from the stored tonnage, by category:")) << by;
    EXPECT_EQ(wordsOf(lineStarting(by, "Measured")),
              (Words{"Measured", "2", "3750", "1.6667", "0.4714", "0.283", "1.0000", "1.0000",
                     "1.0000", "2.0000", "2.0000", "2.0000", "2.0000"}));
    EXPECT_EQ(wordsOf(lineStarting(by, "Inferred")),
              (Words{"Inferred", "1", "1250", "4.0000", "0.0000", "0.000", "4.0000", "4.0000",
                     "4.0000", "4.0000", "4.0000", "4.0000", "4.0000"}));
    EXPECT_EQ(
        wordsOf(lineStarting(by, "(none)")),
        (Words{"(none)", "1", "0", "-", "-", "-", "3.0000", "-", "-", "-", "-", "-", "3.0000"}));
    EXPECT_EQ(wordsOf(lineStarting(by, "(all)")).at(3), "2.2500");
    const CsvTable csv = readCsv(path("by.csv"));
    EXPECT_EQ(csv.header, (Words{"category", "blocks", "tonnes", "mean", "std dev", "CV", "min",
                                 "P10", "P25", "P50", "P75", "P90", "max"}));
    ASSERT_EQ(csv.rows.size(), 4u);
    EXPECT_EQ(csv.at(3, "category"), "(all)");
    EXPECT_EQ(csv.number(3, "std dev"), 1.0897247358851685);
    EXPECT_DOUBLE_EQ(csv.number(3, "CV"), 1.0897247358851685 / 2.25);
    EXPECT_EQ(csv.rows[2], (Words{"(none)", "1", "0", "", "", "", "3", "", "", "", "", "", "3"}));

    // By volume at 0.5 t/m3 every block weighs 500 t: the plain mean of
    // 1, 2, 4 and 3 is 2.5, and the grades 0.25 from the quantile bounds go
    // to the lower one.
    const std::string dense = ok({"stats", "m.db", "--density", "0.5"});
    EXPECT_EQ(linesOf(dense).at(0),
              "Grade statistics of A (4 blocks), Cu (%), tonnes from volume x "
              "density 0.5:");
    EXPECT_EQ(wordsOf(linesOf(dense).at(2)),
              (Words{"4", "2000", "2.5000", "1.1180", "0.447", "1.0000", "1.0000", "1.0000",
                     "2.0000", "3.0000", "4.0000", "4.0000"}));
    // So at half a tonne each: half the 2 t lies at or below 2, which the
    // first block alone does not reach.
    EXPECT_EQ(wordsOf(linesOf(ok({"stats", "m.db", "--density", "0.0005"})).at(2)),
              (Words{"4", "2", "2.5000", "1.1180", "0.447", "1.0000", "1.0000", "1.0000", "2.0000",
                     "3.0000", "4.0000", "4.0000"}));

    // A block without a grade is left out and said to be; --where picks.
    sqliteShell(path("m.db"), "UPDATE A SET Krig_OutAttr = NULL WHERE Krig_BlockID = 3;");
    const std::string left = ok({"stats", "m.db", "--where", "Krig_BlockID >= 2"});
    EXPECT_EQ(linesOf(left).at(0),
              "Grade statistics of A (2 blocks where Krig_BlockID >= 2; 1 without a grade left "
              "out), Cu (%), tonnes from the stored tonnage:");
    EXPECT_EQ(wordsOf(linesOf(left).at(2)).at(2), "2.0000");
}

TEST_F(StatsTest, Histogram) {
    // Grades 1 to 4 in 3 bins: [1, 2), [2, 3) and [3, 4], block 2 on the
    // bound at 2 in the second, block 3 at the top in the last.
    ok({"stats", "m.db", "--by", "category", "--bins", "3", "--svg", "h.svg"});
    const std::string svg = readFile(path("h.svg"));
    EXPECT_TRUE(contains(svg, ">A: histogram of Cu</text>")) << svg;
    EXPECT_TRUE(contains(svg, "<title>Cu 1 to 2 %: 1250 t</title>")) << svg;
    EXPECT_TRUE(contains(svg, "<title>Cu 2 to 3 %: 2500 t</title>")) << svg;
    EXPECT_TRUE(contains(svg, "<title>Cu 3 to 4 %: 1250 t</title>")) << svg;
    // A key line for each curve, and a page the height of the plot.
    for (const char* key : {">Measured below (right)<", ">Inferred below (right)<",
                            ">(none) below (right)<", ">(all) below (right)<"}) {
        EXPECT_TRUE(contains(svg, key)) << key;
    }
    EXPECT_TRUE(contains(svg, "height=\"570.00\"")) << svg.substr(0, 300);
    const std::vector<SvgPoint> shares = svgPoints(svg, "share");
    // Measured, Inferred, (none) weighs nothing and has no curve, (all).
    ASSERT_EQ(shares.size(), 9u);
    EXPECT_EQ(shares[0].title, "Measured: 33.3 % of the tonnes below 2 %");
    EXPECT_EQ(shares[2].title, "Measured: 100.0 % of the tonnes at or below 4 %");
    EXPECT_EQ(shares[3].title, "Inferred: 0.0 % of the tonnes below 2 %");
    EXPECT_EQ(shares[7].title, "(all): 75.0 % of the tonnes below 3 %");
    // Shares to scale: 25, 75 and 100 % of the whole, the last at the top.
    EXPECT_NEAR(shares[8].y, 80, 0.01);
    EXPECT_NEAR((shares[7].y - shares[6].y) / 50, (shares[8].y - shares[7].y) / 25, 0.01);
    EXPECT_NEAR(shares[7].x - shares[6].x, shares[8].x - shares[7].x, 0.02);

    // Grades all alike make one bar around them.
    ok({"stats", "m.db", "--where", "Krig_BlockID = 2", "--bins", "4", "--svg", "one.svg"});
    const std::string one = readFile(path("one.svg"));
    EXPECT_TRUE(contains(one, "<title>Cu 2 to 2.25 %: 2500 t</title>")) << one;
    EXPECT_TRUE(contains(one, "height=\"570.00\"")) << one.substr(0, 300);

    // On a logarithmic scale, grades from 2 to 8 in 3 bins of ratio 4^(1/3),
    // drawn alike wide across the plot (x 110 to 830); a grade of 0 is left
    // out of the drawing and said to be. Ticks at 2 and 5.
    sqliteShell(path("m.db"), "UPDATE A SET Krig_OutAttr = 2 * Krig_OutAttr * (Krig_BlockID < 4);");
    ok({"stats", "m.db", "--log", "--bins", "3", "--svg", "log.svg"});
    const std::string log = readFile(path("log.svg"));
    EXPECT_TRUE(contains(log, "Cu (%), logarithmic scale<")) << log;
    EXPECT_TRUE(contains(log, "; 1 at or below 0 not drawn<")) << log;
    EXPECT_TRUE(contains(log, "y=\"518.00\" text-anchor=\"middle\">2</text>")) << log;
    EXPECT_TRUE(contains(log, "y=\"518.00\" text-anchor=\"middle\">5</text>")) << log;
    EXPECT_FALSE(contains(log, "y=\"518.00\" text-anchor=\"middle\">3</text>")) << log;
    const auto barsOf = [](const std::string& drawing) {
        const std::regex bar(
            "<rect class=\"tonnes\" x=\"([0-9.]+)\" y=\"[0-9.]+\" width=\"([0-9.]+)\"[^>]*>"
            "<title>Cu ([0-9.]+ to [0-9.]+ %: [0-9]+ t)</title>");
        std::vector<std::tuple<double, double, std::string>> bars;
        for (auto m = std::sregex_iterator(drawing.begin(), drawing.end(), bar);
             m != std::sregex_iterator(); ++m) {
            bars.emplace_back(std::stod((*m)[1]), std::stod((*m)[2]), (*m)[3]);
        }
        return bars;
    };
    const auto bars = barsOf(log);
    ASSERT_EQ(bars.size(), 3u) << log;
    EXPECT_EQ(std::get<2>(bars[0]), "2 to 3.1748 %: 1250 t");
    EXPECT_EQ(std::get<2>(bars[1]), "3.1748 to 5.03968 %: 2500 t");
    EXPECT_EQ(std::get<2>(bars[2]), "5.03968 to 8 %: 1250 t");
    for (size_t k = 0; k < bars.size(); ++k) {
        EXPECT_NEAR(std::get<0>(bars[k]), 110 + 240 * static_cast<double>(k), 0.02) << k;
        EXPECT_NEAR(std::get<1>(bars[k]), 240, 0.02) << k;
    }
    // One grade alone spans from its half to its double.
    ok({"stats", "m.db", "--where", "Krig_BlockID = 2", "--log", "--bins", "3", "--svg",
        "one-log.svg"});
    const auto alone = barsOf(readFile(path("one-log.svg")));
    ASSERT_EQ(alone.size(), 1u);
    EXPECT_EQ(std::get<2>(alone[0]), "3.1748 to 5.03968 %: 2500 t");
    // The tonnes at 0 are below every bound: block 1's 1250 t of 5000 and
    // block 2's 2500 t at 4 are 75 % below the first bin's top.
    sqliteShell(path("m.db"), "UPDATE A SET Krig_OutAttr = 0 WHERE Krig_BlockID = 1;");
    ok({"stats", "m.db", "--log", "--bins", "3", "--svg", "zero.svg"});
    const std::vector<SvgPoint> below = svgPoints(readFile(path("zero.svg")), "share");
    ASSERT_EQ(below.size(), 3u);
    EXPECT_EQ(below[0].title, "(all): 75.0 % of the tonnes below 5.03968 %");
    EXPECT_EQ(below[2].title, "(all): 100.0 % of the tonnes at or below 8 %");
    for (const std::string& drawing : {svg, one, log}) {
        EXPECT_FALSE(contains(drawing, "nan"));
    }
}

// Bounds and shares as the decimals shown say them: a bound reckoned as
// 0.30000000000000004 would put the grade 0.3 in the bin below; twenty
// blocks of 2.7 t add up to 26.999999999999996 t at the tenth, which half of
// 54 t must count as reached.
TEST_F(StatsTest, BoundsAndSharesAreTheDecimalsTheySay) {
    std::string tenths = "X,Y,Z,DX,DY,DZ,CU,TONNES\n";
    std::string twenty = "X,Y,Z,DX,DY,DZ,CU\n";
    for (int k = 1; k <= 20; ++k) {
        if (k <= 10) {
            tenths += std::to_string(10 * k) + ",5,5,10,10,10," +
                      (k == 10 ? std::string("1.0") : "0." + std::to_string(k)) + ",100\n";
        }
        twenty += std::to_string(k) + ".5,0.5,0.5,1,1,1," + std::to_string(k) + "\n";
    }
    write("tenths.csv", tenths);
    write("twenty.csv", twenty);
    write("decades.csv",
          "X,Y,Z,DX,DY,DZ,AU,TONNES\n5,5,5,10,10,10,0.1,100\n15,5,5,10,10,10,1,100\n"
          "25,5,5,10,10,10,10,100\n35,5,5,10,10,10,100,100\n45,5,5,10,10,10,1000,100\n");
    ok({"import", "d.db", "tenths.csv", "-t", "T", "-e", "Cu"});
    ok({"import", "d.db", "twenty.csv", "-t", "W", "-e", "Cu"});
    ok({"import", "d.db", "decades.csv", "-t", "G", "-e", "Au", "--unit", "g/t"});

    // Grades 0.1 to 1 in nine bins of 0.1: one block in each, two in the last.
    ok({"stats", "d.db", "-t", "T", "--bins", "9", "--svg", "t.svg"});
    const std::string svg = readFile(path("t.svg"));
    for (int k = 1; k <= 8; ++k) {
        const std::string bin = "<title>Cu 0." + std::to_string(k) + " to 0." +
                                std::to_string(k + 1) + " %: 100 t</title>";
        EXPECT_TRUE(contains(svg, bin)) << bin;
    }
    EXPECT_TRUE(contains(svg, "<title>Cu 0.9 to 1 %: 200 t</title>")) << svg;
    EXPECT_EQ(svgPoints(svg, "share").at(1).title, "(all): 20.0 % of the tonnes below 0.3 %");
    // 0.1 to 1000 in four decades, as the logarithmic scale bins them.
    ok({"stats", "d.db", "-t", "G", "--log", "--bins", "4", "--svg", "g.svg"});
    const std::string log = readFile(path("g.svg"));
    for (const char* bin :
         {"<title>Au 0.1 to 1 g/t: 100 t</title>", "<title>Au 1 to 10 g/t: 100 t</title>",
          "<title>Au 100 to 1000 g/t: 200 t</title>"}) {
        EXPECT_TRUE(contains(log, bin)) << bin;
    }

    // Blocks 1 to 20 of 2.7 t each: 10 % of the tonnes is two blocks, a
    // quarter five, half ten.
    EXPECT_EQ(wordsOf(linesOf(ok({"stats", "d.db", "-t", "W", "--density", "2.7"})).at(2)),
              (Words{"20", "54", "10.5000", "5.7663", "0.549", "1.0000", "2.0000", "5.0000",
                     "10.0000", "15.0000", "18.0000", "20.0000"}));

    // Grades below 0: the bound reckoned as 5.55e-17 is the 0 it shows, and
    // the grade 0 is in the bin above it; 7 t of 31 lie below it.
    write("below.csv",
          "X,Y,Z,DX,DY,DZ,CU,TONNES\n5,5,5,10,10,10,-0.3,1\n15,5,5,10,10,10,-0.2,2\n"
          "25,5,5,10,10,10,-0.1,4\n35,5,5,10,10,10,0,8\n45,5,5,10,10,10,0.1,16\n");
    ok({"import", "d.db", "below.csv", "-t", "B", "-e", "Cu"});
    ok({"stats", "d.db", "-t", "B", "--bins", "4", "--svg", "b.svg"});
    const std::string below = readFile(path("b.svg"));
    EXPECT_TRUE(contains(below, "<title>Cu -0.1 to 0 %: 4 t</title>")) << below;
    EXPECT_TRUE(contains(below, "<title>Cu 0 to 0.1 %: 24 t</title>")) << below;
    EXPECT_EQ(svgPoints(below, "share").at(2).title, "(all): 22.6 % of the tonnes below 0 %");
    // Half of 1,000,000,000.5 t is more than the 500,000,000 t at 1: no
    // share short of a block's weight counts as met.
    write("half.csv",
          "X,Y,Z,DX,DY,DZ,CU,TONNES\n5,5,5,10,10,10,1,500000000\n"
          "15,5,5,10,10,10,2,500000000\n25,5,5,10,10,10,3,0.5\n");
    ok({"import", "d.db", "half.csv", "-t", "H", "-e", "Cu"});
    EXPECT_EQ(wordsOf(linesOf(ok({"stats", "d.db", "-t", "H"})).at(2)).at(8), "2.0000");
    // 11,100 t at 0.1, then 3,000 blocks of 33.3 t: the first is a tenth of
    // the 111,000 t, which added up one by one come to a hair more.
    std::string tenth = "X,Y,Z,DX,DY,DZ,CU,TONNES\n5,5,5,10,10,10,0.1,11100\n";
    for (int k = 1; k <= 3000; ++k) {
        tenth += std::to_string(10 * k + 5) + ",5,5,10,10,10,1,33.3\n";
    }
    write("tenth.csv", tenth);
    ok({"import", "d.db", "tenth.csv", "-t", "P", "-e", "Cu"});
    // Tonnages another program wrote in all their digits.
    sqliteShell(path("d.db"), "UPDATE P SET Block_CorMass = 33.3 WHERE Krig_OutAttr = 1");
    EXPECT_EQ(wordsOf(linesOf(ok({"stats", "d.db", "-t", "P"})).at(2)).at(6), "0.1000");
    // 100 m3 and 900 m3 at 2.2 t/m3 weigh 220.00000000000003 t and
    // 1980.0000000000002 t: the first is a tenth of their sum, though a
    // tenth of 2200.0000000000005 rounds to 220.00000000000006.
    write("ten.csv", "X,Y,Z,DX,DY,DZ,CU\n5,5,0.5,10,10,1,1\n15,5,4.5,10,10,9,2\n");
    ok({"import", "d.db", "ten.csv", "-t", "Q", "-e", "Cu"});
    EXPECT_EQ(wordsOf(linesOf(ok({"stats", "d.db", "-t", "Q", "--density", "2.2"})).at(2)).at(6),
              "1.0000");
    // Grades whose spread squared would pass the doubles either way.
    write("far.csv",
          "X,Y,Z,DX,DY,DZ,CU,TONNES\n5,5,5,10,10,10,1e-200,100\n"
          "15,5,5,10,10,10,3e-200,100\n");
    ok({"import", "d.db", "far.csv", "-t", "F", "-e", "Cu"});
    ok({"stats", "d.db", "-t", "F", "--csv", "f.csv"});
    EXPECT_DOUBLE_EQ(readCsv(path("f.csv")).number(0, "std dev"), 1e-200);
}

// A first run of one table name in another database: 3000 t at 5 and
// 3000 t at 7, a mean of 6 and a standard deviation of 1; half the tonnes
// lie at or below 5. Three bins over both runs' grades, 1 to 7 (the lowest
// the second run's), hold the first run's 6000 t and the second's 3750 t
// and 1250 t, each run's bar half a bin wide (120 of 240 px), the second's
// beside the first's.
TEST_F(StatsTest, ASecondRunBesideTheFirst) {
    write("b.csv", "X,Y,Z,DX,DY,DZ,CU,TONNES\n5,5,5,10,10,10,5,3000\n15,5,5,10,10,10,7,3000\n");
    ok({"import", "n.db", "b.csv", "-t", "A", "-e", "Cu"});
    const std::string said = ok({"stats", "n.db", "--with", "A", "--with-db", "m.db", "--bins", "3",
                                 "--svg", "w.svg", "--csv", "w.csv"});
    const std::vector<std::string> lines = linesOf(said);
    ASSERT_EQ(lines.size(), 6u) << said;
    EXPECT_EQ(lines[0], "Grade statistics, Cu (%), tonnes from the stored tonnage:");
    EXPECT_EQ(lines[1], "  1  A of n.db (2 blocks)");
    EXPECT_EQ(lines[2], "  2  A of m.db (4 blocks)");
    EXPECT_EQ(wordsOf(lines[3]).at(0), "run");
    EXPECT_EQ(wordsOf(lines[4]),
              (Words{"1", "2", "6000", "6.0000", "1.0000", "0.167", "5.0000", "5.0000", "5.0000",
                     "5.0000", "7.0000", "7.0000", "7.0000"}));
    EXPECT_EQ(wordsOf(lines[5]).at(3), "2.2500");
    const CsvTable csv = readCsv(path("w.csv"));
    ASSERT_EQ(csv.rows.size(), 2u);
    EXPECT_EQ(csv.at(0, "run") + " " + csv.at(0, "mean"), "A of n.db 6");

    const std::string svg = readFile(path("w.svg"));
    EXPECT_TRUE(contains(svg, ">A of n.db and A of m.db: histogram of Cu</text>")) << svg;
    for (const char* key : {">A of n.db tonnes in the bin (left)<", ">A of m.db below (right)<"}) {
        EXPECT_TRUE(contains(svg, key)) << key;
    }
    const std::regex bar(
        "<rect class=\"tonnes\" x=\"([0-9.]+)\" y=\"[0-9.]+\" width=\"([0-9.]+)\" "
        "height=\"([0-9.]+)\"[^>]*><title>([^<]*)</title>");
    std::vector<std::string> bars;
    std::vector<double> heights;
    for (auto m = std::sregex_iterator(svg.begin(), svg.end(), bar); m != std::sregex_iterator();
         ++m) {
        bars.push_back((*m)[1].str() + " " + (*m)[2].str() + " " + (*m)[4].str());
        heights.push_back(std::stod((*m)[3]));
    }
    EXPECT_EQ(bars, (Words{"590.00 120.00 A of n.db, Cu 5 to 7 %: 6000 t",
                           "230.00 120.00 A of m.db, Cu 1 to 3 %: 3750 t",
                           "470.00 120.00 A of m.db, Cu 3 to 5 %: 1250 t"}));
    ASSERT_EQ(heights.size(), 3u);
    EXPECT_NEAR(heights[1] / heights[0], 3750.0 / 6000, 1e-3);
    const std::vector<SvgPoint> shares = svgPoints(svg, "share");
    ASSERT_EQ(shares.size(), 6u);
    EXPECT_EQ(shares[1].title, "A of n.db: 0.0 % of the tonnes below 5 %");
    EXPECT_EQ(shares[4].title, "A of m.db: 100.0 % of the tonnes below 5 %");

    // Two runs of one void table say so once.
    write("v.csv", "X,Y,Z,DX,DY,DZ\n5,5,5,10,10,10\n");
    ok({"import", "n.db", "v.csv", "-t", "W", "--voids"});
    ok({"import", "n.db", "b.csv", "-t", "C", "-e", "Cu", "--void-table", "W"});
    ok({"import", "n.db", "b.csv", "-t", "D", "-e", "Cu", "--void-table", "W"});
    const std::string voids = ok({"stats", "n.db", "-t", "C", "--with", "D"});
    EXPECT_EQ(linesOf(voids).back(), "The void blocks of W (mined-out ground) are not deducted.");
    EXPECT_EQ(linesOf(voids).size(), 7u) << voids;
    // Runs whose lines differ say them under their names.
    EXPECT_EQ(linesOf(ok({"stats", "n.db", "-t", "C", "--with", "A"})).back(),
              "C: the void blocks of W (mined-out ground) are not deducted.");

    EXPECT_USAGE_ERROR(vornel({"stats", "m.db", "--with-where", "MineID = 1"}),
                       "--with-db and --with-where go with --with");
    EXPECT_FAILS_WITH(vornel({"stats", "m.db", "--with", "A", "--with-where", "Cu > 1"}),
                      "--with-where \"Cu > 1\": cannot read the blocks: no such column: Cu");
    write("au.csv", "X,Y,Z,DX,DY,DZ,AU\n5,5,5,10,10,10,5\n");
    ok({"import", "m.db", "au.csv", "-t", "G", "-e", "Au", "--unit", "g/t"});
    EXPECT_FAILS_WITH(vornel({"stats", "m.db", "-t", "A", "--with", "G"}),
                      "A estimates Cu (%), G Au (g/t): set runs of one element and unit side by "
                      "side");
    // Runs of two elements are refused as such, though one weighs nothing;
    // of one element, the one that weighs nothing is named.
    EXPECT_FAILS_WITH(vornel({"stats", "m.db", "-t", "G", "--with", "A"}),
                      "G estimates Au (g/t), A Cu (%): set runs");
    write("aut.csv", "X,Y,Z,DX,DY,DZ,AU,TONNES\n5,5,5,10,10,10,5,2700\n");
    ok({"import", "m.db", "aut.csv", "-t", "H", "-e", "Au", "--unit", "g/t"});
    EXPECT_FAILS_WITH(vornel({"stats", "m.db", "-t", "H", "--with", "G"}),
                      "vornel stats: G: the blocks weigh nothing as stored");
}

TEST_F(StatsTest, WrongInputIsRefused) {
    EXPECT_USAGE_ERROR(vornel({"stats", "m.db", "--bins", "0", "--svg", "h.svg"}), "--bins");
    // Bins are the drawing's: without one they would be taken and not used.
    EXPECT_USAGE_ERROR(vornel({"stats", "m.db", "--bins", "7"}), "--bins requires --svg");
    EXPECT_USAGE_ERROR(vornel({"stats", "m.db", "--log"}), "--log requires --svg");
    EXPECT_USAGE_ERROR(vornel({"stats", "m.db", "--by", "colour"}), "--by");
    sqliteShell(path("m.db"), "UPDATE A SET Krig_OutAttr = 1 - Krig_BlockID / 2;");
    EXPECT_FAILS_WITH(
        vornel({"stats", "m.db", "--where", "Krig_BlockID IN (2, 3)", "--log", "--svg", "no.svg"}),
        "--log draws the grades above 0, and no block has one");
    EXPECT_FALSE(fileExists(path("no.svg")));
    EXPECT_FAILS_WITH(vornel({"stats", "m.db", "--deplete"}),
                      "--deplete: the run of A names no void table to take off its blocks");
    sqliteShell(path("m.db"), "UPDATE A SET Krig_OutAttr = 9e999 WHERE Krig_BlockID = 2;");
    EXPECT_FAILS_WITH(vornel({"stats", "m.db"}),
                      "block 2 has a grade of inf, which no total or statistic can take");
}

}  // namespace
}  // namespace vornel::test
