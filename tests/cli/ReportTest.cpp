// The grade-tonnage table against sums worked out by hand.
#include <filesystem>
#include <regex>

#include "CliFixture.h"
#include "support/Shell.h"
#include "vornel/VornelMng.h"

namespace vornel::test {
namespace {

class ReportTest : public CliTest {
protected:
    void SetUp() override {
        write("model.csv",
              "X,Y,Z,DX,DY,DZ,CU,TONNAGE\n"
              "5,5,5,10,10,10,0.4,1000\n"
              "15,5,5,10,10,10,0.8,2000\n"
              "25,5,5,10,10,10,1.6,3000\n"
              "35,5,5,10,10,10,3.0,500\n");
        ok({"import", "m.db", "model.csv", "-t", "R", "-e", "Cu"});
    }
};

TEST_F(ReportTest, RowsAgainstSumsByHand) {
    using Words = std::vector<std::string>;
    // At 0.5: 2000 + 3000 + 500 t holding 1600 + 4800 + 1500 = 7900 t.%, a
    // mean of 7900 / 5500 and 79 t of copper; at 1: 3500 t, 6300 / 3500 = 1.8.
    // Above 5 no tonnes are left to average.
    const std::string stored = ok({"report", "m.db", "-t", "R", "--cutoffs", "0.5,1,2,5"});
    EXPECT_EQ(rowFor(stored, "0.5"), (Words{"0.5", "3", "5500", "1.4364", "79.0"}));
    EXPECT_EQ(rowFor(stored, "1"), (Words{"1", "2", "3500", "1.8000", "63.0"}));
    EXPECT_EQ(rowFor(stored, "2"), (Words{"2", "1", "500", "3.0000", "15.0"}));
    EXPECT_EQ(rowFor(stored, "5"), (Words{"5", "0", "0", "-", "0.0"}));
    // A block whose grade is the cut-off is above it: 1.6 keeps block 3.
    EXPECT_EQ(rowFor(ok({"report", "m.db", "-t", "R", "--cutoffs", "1.6"}), "1.6"),
              (Words{"1.6", "2", "3500", "1.8000", "63.0"}));
    // Every block is above a cut-off of 0.0000125, which keeps its digits:
    // 8300 t.% in 6500 t.
    EXPECT_EQ(rowFor(ok({"report", "m.db", "-t", "R", "--cutoffs", "0.0000125"}), "1.25e-05"),
              (Words{"1.25e-05", "4", "6500", "1.2769", "83.0"}));
    // Cut-offs below 1 keep six significant digits, so two that differ in
    // the sixth are told apart.
    const std::string close = ok({"report", "m.db", "-t", "R", "--cutoffs", "0.251111,0.251112"});
    EXPECT_EQ(rowFor(close, "0.251111").at(0), "0.251111") << close;
    EXPECT_EQ(rowFor(close, "0.251112").at(0), "0.251112") << close;
    EXPECT_NE(stored.find("metal (t)"), std::string::npos) << stored;
    // 5400 t at 3 ppm, as at 3 g/t, hold 16.2 kg.
    write("ppm.csv", "X,Y,Z,DX,DY,DZ,AU_ppm,TONNAGE\n5,5,5,10,10,10,3,5400\n");
    ok({"import", "m.db", "ppm.csv", "-t", "P", "-e", "Au"});
    const std::string ppm = ok({"report", "m.db", "-t", "P", "--cutoffs", "0"});
    EXPECT_EQ(rowFor(ppm, "0"), (Words{"0", "1", "5400", "3.0000", "16.2"}));
    EXPECT_NE(ppm.find("metal (kg)"), std::string::npos) << ppm;
    EXPECT_FALSE(contains(stored, "void")) << stored;
    // Old workings registered with the run are not taken off its tonnes,
    // and said so once they are in the database.
    ok({"import", "m.db", "model.csv", "-t", "S", "-e", "Cu", "--void-table", "WORKINGS"});
    EXPECT_FALSE(contains(ok({"report", "m.db", "-t", "S", "--cutoffs", "0"}), "void"));
    write("workings.csv", "X,Y,Z,DX,DY,DZ\n5,5,5,10,10,10\n");
    ok({"import", "m.db", "workings.csv", "-t", "WORKINGS", "--voids"});
    EXPECT_EQ(linesOf(ok({"report", "m.db", "-t", "S", "--cutoffs", "0"})).back(),
              "The void blocks of WORKINGS (mined-out ground) are not deducted.");
    // With a density of 2.5 every 1000 m3 block weighs 2500 t.
    const std::string dense =
        ok({"report", "m.db", "-t", "R", "--cutoffs", "0,0.5", "--density", "2.5"});
    EXPECT_EQ(rowFor(dense, "0"), (Words{"0", "4", "10000", "1.4500", "145.0"}));
    EXPECT_EQ(rowFor(dense, "0.5"), (Words{"0.5", "3", "7500", "1.8000", "135.0"}));
    // Block 4 at a density of 0.0005 weighs half a tonne, and still has its
    // grade of 3 as the mean.
    EXPECT_EQ(
        rowFor(ok({"report", "m.db", "-t", "R", "--cutoffs", "2", "--density", "0.0005"}), "2"),
        (Words{"2", "1", "0", "3.0000", "0.0"}));
    // Tonnes of 66 digits are written whole.
    const Words huge = rowFor(ok({"report", "m.db", "-t", "R", "--cutoffs", "0", "--density",
                                  "1e62", "--where", "Krig_BlockID = 1"}),
                              "0");
    ASSERT_EQ(huge.size(), 5u);
    EXPECT_NEAR(std::stod(huge[2]) / 1e65, 1.0, 1e-12);
    // Cut-offs given out of order, or twice, still make one rising curve.
    const auto shuffled = linesOf(ok({"report", "m.db", "-t", "R", "--cutoffs", "2,0.5,2,1"}));
    ASSERT_EQ(shuffled.size(), 5U);
    EXPECT_EQ(wordsOf(shuffled[2]), rowFor(stored, "0.5"));
    EXPECT_EQ(wordsOf(shuffled[3]), rowFor(stored, "1"));
    EXPECT_EQ(wordsOf(shuffled[4]), rowFor(stored, "2"));
    // A series among them. 0.6 + 12 x 0.2 is 3.0000000000000004 in doubles,
    // which would leave out the block of grade 3: the series reads 3.
    const auto series =
        linesOf(ok({"report", "m.db", "-t", "R", "--cutoffs", "0.5,0.6:3:0.2,0.7"}));
    ASSERT_EQ(series.size(), 17U);
    EXPECT_EQ(wordsOf(series[2]), rowFor(stored, "0.5"));
    EXPECT_EQ(wordsOf(series[3]).at(0), "0.6");
    EXPECT_EQ(wordsOf(series[4]).at(0), "0.7");
    EXPECT_EQ(wordsOf(series[5]).at(0), "0.8");
    EXPECT_EQ(wordsOf(series[16]), (Words{"3", "1", "500", "3.0000", "15.0"}));
    // Large bounds a small step apart keep their last value, though their
    // difference in binary falls short of the step.
    const auto large = linesOf(ok({"report", "m.db", "-t", "R", "--cutoffs", "4800.1:4800.2:0.1"}));
    ASSERT_EQ(large.size(), 4U);
    EXPECT_EQ(wordsOf(large[3]).at(0), "4800.2");
    // A series stops at TO, however near the next step comes to it.
    EXPECT_EQ(
        wordsOf(
            linesOf(ok({"report", "m.db", "-t", "R", "--cutoffs", "0:0.9999999999:0.1"})).back())
            .at(0),
        "0.9");
    // A series from below 0 reads its values as the decimals they are: 0.1
    // of -10:1:0.1 is no hair above 0.1.
    const std::string fromBelow =
        ok({"report", "m.db", "-t", "R", "--cutoffs", "-10:1:0.1", "--csv", "-"});
    EXPECT_TRUE(contains(fromBelow, "\n0.1,")) << fromBelow;
    EXPECT_TRUE(contains(fromBelow, "\n-0.8,")) << fromBelow;
    // Nor does a series up to 0 lose 0, or reach it a hair off.
    for (const char* toZero : {"--cutoffs=-0.3:0:0.1", "--cutoffs=-0.9:0:0.3"}) {
        const auto zero = linesOf(ok({"report", "m.db", "-t", "R", toZero}));
        ASSERT_EQ(zero.size(), 6U) << toZero;
        EXPECT_EQ(wordsOf(zero[5]).at(0), "0") << toZero;
    }
    // A series of one value, however large, is that value.
    for (const char* one : {"--cutoffs=1e15:1e15:1", "--cutoffs=1e308:1e308:1"}) {
        EXPECT_EQ(linesOf(ok({"report", "m.db", "-t", "R", one})).size(), 3U) << one;
    }
    EXPECT_USAGE_ERROR(vornel({"report", "m.db", "--cutoffs", "0:2"}),
                       "--cutoffs: '0:2': give a series of cut-offs as FROM:TO:STEP, e.g. 0:2:0.1");
    EXPECT_USAGE_ERROR(vornel({"report", "m.db", "--cutoffs", "0:1000:0.5"}),
                       "'0:1000:0.5' gives more than 1000 cut-offs; take a larger step");
    EXPECT_USAGE_ERROR(vornel({"compare", "m.db", "--with", "R", "--cutoffs", "1:0:1"}),
                       "'1:0:1': a series of cut-offs runs from FROM up to TO");
    EXPECT_FAILS_WITH(vornel({"report", "m.db", "-t", "R", "--cutoffs", "0", "--density", "1e306"}),
                      "block 1 of run 1 weighs more than a number holds; is the density right?");
    // Each block's 1e308 t is a number; their sum is not.
    EXPECT_FAILS_WITH(
        vornel({"report", "m.db", "-t", "R", "--cutoffs", "0", "--density", "1e305"}),
        "above the cut-off 0 the tonnes or the metal add up beyond what a number holds");
    EXPECT_TRUE(
        contains(ok({"report", "m.db", "-t", "R", "--cutoffs", "0", "--where", "Krig_BlockID = 1"}),
                 "Grade-tonnage of R (1 block where Krig_BlockID = 1)"));
    // The two blocks west of X = 20: 1000 + 2000 t, (400 + 1600) / 3000.
    EXPECT_EQ(
        rowFor(ok({"report", "m.db", "-t", "R", "--cutoffs", "0", "--where", "Krig_PntLocX < 20"}),
               "0"),
        (Words{"0", "2", "3000", "0.6667", "20.0"}));
}

// The rows a spreadsheet reads: every digit of each double, worked out as
// above (7900 / 5500 is 1.4363636363636363 to the last digit).
TEST_F(ReportTest, CsvGivesTheSameRowsInAllTheirDigits) {
    ok({"report", "m.db", "-t", "R", "--cutoffs", "5,0.5", "--csv", "rows.csv"});
    EXPECT_EQ(readFile(path("rows.csv")),
              "cut-off (%),blocks,tonnes,mean Cu (%),metal (t)\n"
              "0.5,3,5500,1.4363636363636363,79\n"
              "5,0,0,,0\n");
    // By class, a name with a comma quoted: Measured holds 3000 t at 1.6,
    // the other class 2000 t at 0.8, and together 6400 t.% in 5000 t.
    write("classed.csv",
          "X,Y,Z,DX,DY,DZ,CU,TONNAGE,CATEGORY\n"
          "5,5,5,10,10,10,0.4,1000,Measured\n"
          "15,5,5,10,10,10,0.8,2000,\"Indicated, north\"\n"
          "25,5,5,10,10,10,1.6,3000,Measured\n");
    ok({"import", "m.db", "classed.csv", "-t", "C", "-e", "Cu"});
    const CliResult piped =
        vornel({"report", "m.db", "-t", "C", "--cutoffs", "0.5", "--by", "category", "--csv", "-"});
    ASSERT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(piped.out,
              "category,cut-off (%),blocks,tonnes,mean Cu (%),metal (t)\n"
              "Measured,0.5,1,3000,1.6,48\n"
              "\"Indicated, north\",0.5,1,2000,0.8,16\n"
              "(all),0.5,2,5000,1.28,64\n");
    // The table goes to standard error then, so as not to mix with the rows.
    EXPECT_TRUE(contains(piped.err, "Grade-tonnage of C (3 blocks)")) << piped.err;
    EXPECT_EQ(rowFor(piped.err, "(all)"),
              (std::vector<std::string>{"(all)", "0.5", "2", "5000", "1.2800", "64.0"}));
    // A report that fails leaves the file as it was, and the database is no
    // output.
    const std::string before = readFile(path("rows.csv"));
    EXPECT_FAILS_WITH(vornel({"report", "m.db", "-t", "R", "--cutoffs", "0", "--where", "Nope = 1",
                              "--csv", "rows.csv"}),
                      "Nope");
    EXPECT_EQ(readFile(path("rows.csv")), before);
    EXPECT_FAILS_WITH(vornel({"report", "m.db", "-t", "R", "--cutoffs", "0", "--csv", "m.db"}),
                      "m.db: this is the database being read; write to another file");
    // Nor does one whose reader went away (head, a pager quit) leave its
    // files half-written; it ends quietly, as other programs do.
    const std::string gone = shellOutput(
        "cd " + shellQuote(dir.path()) + " && " + shellQuote(VORNEL_CLI) +
        " report m.db -t C --cutoffs 0:999:1 --by category --csv all.csv --svg all.svg | true; ls");
    EXPECT_FALSE(contains(gone, "all.")) << gone;
}

std::vector<std::string> titlesOf(const std::vector<SvgPoint>& points) {
    std::vector<std::string> titles;
    for (const SvgPoint& p : points) {
        titles.push_back(p.title);
    }
    return titles;
}

TEST_F(ReportTest, TheCurveDrawsTheRowsToScale) {
    using Words = std::vector<std::string>;
    const std::string table =
        ok({"report", "m.db", "-t", "R", "--cutoffs", "0:4:1", "--svg", "curve.svg"});
    EXPECT_EQ(rowFor(table, "1"), (Words{"1", "2", "3500", "1.8000", "63.0"}));
    EXPECT_EQ(shellOutput("xmllint --noout " + path("curve.svg") + " 2>&1; echo $?"), "0\n");
    // A drawing that cannot be written leaves no list either, whichever
    // fails.
    EXPECT_FAILS_WITH(vornel({"report", "m.db", "-t", "R", "--cutoffs", "1", "--csv", "ok.csv",
                              "--svg", "/dev/full"}),
                      "/dev/full: writing failed");
    EXPECT_FALSE(fileExists(path("ok.csv")));
    const std::string svg = readFile(path("curve.svg"));
    // At 0 all 6500 t, 8300 t.% of metal: a mean of 1.27692; at 1, 3500 t
    // of 1.8; at 2 and 3 the 500 t of grade 3; at 4 nothing, and no mean.
    const std::vector<SvgPoint> tonnes = svgPoints(svg, "tonnes");
    const std::vector<SvgPoint> grade = svgPoints(svg, "grade");
    EXPECT_EQ(titlesOf(tonnes),
              (Words{"cut-off 0 %: 6500 t", "cut-off 1 %: 3500 t", "cut-off 2 %: 500 t",
                     "cut-off 3 %: 500 t", "cut-off 4 %: 0 t"}));
    EXPECT_EQ(titlesOf(grade), (Words{"cut-off 0 %: mean 1.27692 %", "cut-off 1 %: mean 1.8 %",
                                      "cut-off 2 %: mean 3 %", "cut-off 3 %: mean 3 %"}));
    ASSERT_EQ(tonnes.size(), 5U);
    ASSERT_EQ(grade.size(), 4U);
    // To scale: even cut-offs evenly across, tonnes and grades each on a
    // straight scale up, none of it off the plot, 0 t at its foot.
    std::smatch frame;
    ASSERT_TRUE(std::regex_search(
        svg, frame,
        std::regex(
            "<rect x=\"([0-9.]+)\" y=\"([0-9.]+)\" width=\"([0-9.]+)\" height=\"([0-9.]+)")));
    const double left = std::stod(frame[1]);
    const double top = std::stod(frame[2]);
    const double right = left + std::stod(frame[3]);
    const double bottom = top + std::stod(frame[4]);
    EXPECT_NEAR(tonnes[0].x, left, 0.01);
    EXPECT_NEAR(tonnes[4].x, right, 0.01);
    for (size_t k = 0; k < 4; ++k) {
        EXPECT_NEAR(tonnes[k + 1].x - tonnes[k].x, (right - left) / 4, 0.01);
        EXPECT_NEAR(grade[k].x, tonnes[k].x, 0.01);
        EXPECT_GE(grade[k].y, top - 0.01);
        EXPECT_LE(grade[k].y, bottom + 0.01);
    }
    EXPECT_GE(tonnes[0].y, top - 0.01);
    EXPECT_NEAR(tonnes[4].y, bottom, 0.01);
    const double perTonne = (bottom - tonnes[1].y) / 3500;
    EXPECT_NEAR(bottom - tonnes[0].y, 6500 * perTonne, 0.02);
    EXPECT_NEAR(bottom - tonnes[2].y, 500 * perTonne, 0.02);
    const double perGrade = (bottom - grade[1].y) / 1.8;
    EXPECT_NEAR(bottom - grade[0].y, 8300.0 / 6500 * perGrade, 0.02);
    EXPECT_NEAR(bottom - grade[3].y, 3 * perGrade, 0.02);
    // By class, a curve for each and one for all, each point named.
    sqliteShell(path("m.db"), "UPDATE R SET Krig_ResType = 'Measured' WHERE Krig_BlockID <= 2");
    ok({"report", "m.db", "-t", "R", "--cutoffs", "0,1", "--by", "category", "--svg", "c.svg"});
    EXPECT_EQ(titlesOf(svgPoints(readFile(path("c.svg")), "tonnes")),
              (Words{"Measured, cut-off 0 %: 3000 t", "Measured, cut-off 1 %: 0 t",
                     "(none), cut-off 0 %: 3500 t", "(none), cut-off 1 %: 3500 t",
                     "(all), cut-off 0 %: 6500 t", "(all), cut-off 1 %: 3500 t"}));
    // On standard output the drawing goes alone; it shares no file with the
    // rows, nor with the database.
    const CliResult piped = vornel({"report", "m.db", "-t", "R", "--cutoffs", "1", "--svg", "-"});
    EXPECT_EQ(piped.out.rfind("<?xml", 0), 0U) << piped.out;
    EXPECT_TRUE(contains(piped.err, "Grade-tonnage of R")) << piped.err;
    // One cut-off alone stands in the middle of the plot.
    const std::vector<SvgPoint> one = svgPoints(piped.out, "tonnes");
    ASSERT_EQ(one.size(), 1U) << piped.out;
    EXPECT_EQ(one[0].title, "cut-off 1 %: 3500 t");
    EXPECT_NEAR(one[0].x, (left + right) / 2, 0.01);
    // Cut-offs at the ends of the doubles are drawn all the same.
    for (const char* extreme : {"--cutoffs=1e308", "--cutoffs=-1e308,1e308"}) {
        const std::string far = ok({"report", "m.db", "-t", "R", extreme, "--svg", "-"});
        EXPECT_FALSE(contains(far, "nan")) << extreme;
        EXPECT_EQ(svgPoints(far, "tonnes").size(),
                  std::string(extreme).find(',') == std::string::npos ? 1U : 2U);
    }
    EXPECT_USAGE_ERROR(
        vornel({"report", "m.db", "--cutoffs", "1", "--svg", "x.svg", "--csv", "./x.svg"}),
        "--svg and --csv would both write to 'x.svg'");
    EXPECT_FAILS_WITH(vornel({"report", "m.db", "--cutoffs", "1", "--svg", "m.db"}),
                      "m.db: this is the database being read");
}

// Bench by bench from the top, a split block on the bench of its box's
// centre (Z 15) though its sub-blocks lie at 12.5 and 17.5: 600 t at 1 and
// 400 t at 2 make 1000 t at 1.4. At 0.5, Z 15 holds 1500 t at 0.9 and that
// block, 1350 + 1400 t.% in 2500 t; all together 5000 t and 6150 t.%.
TEST_F(ReportTest, ByBenchFromTheTopDown) {
    write("benches.csv",
          "PARENT,X,Y,Z,DX,DY,DZ,CU,TONNAGE\n"
          "1,5,5,5,10,10,10,0.4,1000\n"
          "2,15,5,5,10,10,10,1.2,2000\n"
          "3,5,5,15,10,10,10,0.9,1500\n"
          "4,15,5,12.5,10,10,5,1.0,600\n"
          "4,15,5,17.5,10,10,5,2.0,400\n"
          "5,5,5,25,10,10,10,2.0,500\n"
          "6,15,5,25,10,10,10,0.2,800\n");
    ok({"import", "m.db", "benches.csv", "-t", "B", "-e", "Cu"});
    const std::string benches =
        ok({"report", "m.db", "-t", "B", "--cutoffs", "0.5", "--by", "bench"});
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : linesOf(benches)) {
        rows.push_back(wordsOf(line));
    }
    EXPECT_EQ(rows, (std::vector<std::vector<std::string>>{
                        wordsOf("Grade-tonnage of B (6 blocks), tonnes from the stored tonnage, "
                                "by bench (Z):"),
                        wordsOf("bench (Z) cut-off (%) blocks tonnes mean Cu (%) metal (t)"),
                        {"25", "0.5", "1", "500", "2.0000", "10.0"},
                        {"15", "0.5", "2", "2500", "1.1000", "27.5"},
                        {"5", "0.5", "1", "2000", "1.2000", "24.0"},
                        {"(all)", "0.5", "4", "5000", "1.2300", "61.5"}}));
}

// A run numbered 0, as another program may register one, is still the run
// of its table: its unit (g/t) weighs the metal in kilograms.
TEST_F(ReportTest, ARunOfMineIdNoughtKeepsItsUnit) {
    sqliteShell(path("m.db"),
                "UPDATE KrigBlock_Param SET MineID = 0, OreAttr_Unit = 1;"
                "UPDATE R SET MineID = 0");
    // 3500 t at 1.8 g/t hold 6300 g.
    const std::string report = ok({"report", "m.db", "--cutoffs", "1"});
    EXPECT_EQ(rowFor(report, "1"), (std::vector<std::string>{"1", "2", "3500", "1.8000", "6.3"}));
    EXPECT_TRUE(contains(report, "metal (kg)")) << report;
}

TEST_F(ReportTest, WithoutTonnageItAsksForADensity) {
    write("bare.csv", "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,10,1\n");
    ok({"import", "m.db", "bare.csv", "-t", "BARE", "-e", "Cu"});
    const CliResult bare = vornel({"report", "m.db", "-t", "BARE", "--cutoffs", "0.5"});
    EXPECT_FAILS_WITH(bare, "give the rock density with --density");
    EXPECT_EQ(bare.out, "");
    // A block stored without its volume, as another program may leave it,
    // weighs its box: 1000 m3 at 2.7 t/m3.
    sqliteShell(path("m.db"), "UPDATE BARE SET Block_Vol = 0");
    EXPECT_EQ(
        rowFor(ok({"report", "m.db", "-t", "BARE", "--cutoffs", "0", "--density", "2.7"}), "0"),
        (std::vector<std::string>{"0", "1", "2700", "1.0000", "27.0"}));
}

// Ground that cannot be weighed or measured is refused, not added in: a
// tonnage below 0 would take tonnes off the others; a block of no size has
// no share within an outline, and would be kept whole however far off.
TEST_F(ReportTest, GroundThatCannotBeWeighedIsRefused) {
    sqliteShell(path("m.db"), "UPDATE R SET Block_CorMass = -2700 WHERE Krig_BlockID = 2;");
    const CliResult stored = vornel({"report", "m.db", "-t", "R", "--cutoffs", "0"});
    EXPECT_FAILS_WITH(stored, "block 2 of run 1 weighs -2700 t as stored, below 0");
    EXPECT_EQ(stored.out, "");
    sqliteShell(path("m.db"),
                "UPDATE R SET Block_CorMass = 2000 WHERE Krig_BlockID = 2; "
                "UPDATE R SET Block_Vol = 0, Block_Coef = -1 WHERE Krig_BlockID = 1;");
    EXPECT_FAILS_WITH(vornel({"report", "m.db", "-t", "R", "--cutoffs", "0", "--density", "2"}),
                      "block 1 of run 1 weighs -2000 t by its volume, below 0");

    sqliteShell(path("m.db"),
                "UPDATE R SET Block_Vol = 1000, Block_Coef = 1; "
                "UPDATE R SET Krig_GridSizeX = 0 WHERE Krig_BlockID = 4;");
    write("near.csv", "X,Y\n0,0\n20,0\n20,10\n0,10\n");
    EXPECT_FAILS_WITH(
        vornel({"report", "m.db", "-t", "R", "--cutoffs", "0", "--within", "near.csv"}),
        "the block 4 has a size of 0: what of it lies within near.csv cannot be measured");
    // Without an outline nothing of it needs measuring.
    EXPECT_EQ(rowFor(ok({"report", "m.db", "-t", "R", "--cutoffs", "0"}), "0").at(2), "6500");
}

// A resource statement: the rows of each category, in the order of
// confidence whatever their case, the other names after, blocks without one
// last; then the whole table. Sums by hand, as above.
TEST_F(ReportTest, ByCategoryOrOreTypeEachClassHasItsRowsThenAllTogether) {
    write("classed.csv",
          "X,Y,Z,DX,DY,DZ,CU,TONNAGE,CATEGORY,ORETYPE,PASS\n"
          "5,5,5,10,10,10,0.4,1000,Inferred,Oxide,1\n"
          "15,5,5,10,10,10,0.8,2000,measured,Sulphide,1\n"
          "25,5,5,10,10,10,1.6,3000,Indicated,Sulphide,2\n"
          "35,5,5,10,10,10,3.0,500,,Oxide,3\n"
          "45,5,5,10,10,10,2.0,1500,Indicated,,2\n"
          "55,5,5,10,10,10,1.0,400,Potential,Sulphide,0\n"
          "65,5,5,10,10,10,0.6,0,Exploration,Transition,2\n");
    ok({"import", "m.db", "classed.csv", "-t", "C", "-e", "Cu"});
    using Words = std::vector<std::string>;
    const auto rows = [](const std::string& report) {
        std::vector<Words> found;
        for (const std::string& line : linesOf(report)) {
            found.push_back(wordsOf(line));
        }
        return found;
    };
    const std::string category =
        ok({"report", "m.db", "-t", "C", "--cutoffs", "1.5,0.5", "--by", "category"});
    EXPECT_EQ(linesOf(category).at(0),
              "Grade-tonnage of C (7 blocks), tonnes from the stored tonnage, by category:");
    // Indicated: 3000 t at 1.6 and 1500 t at 2, 4800 + 3000 t.% in 4500 t.
    // All at 0.5: 7400 t holding 1600 + 4800 + 1500 + 3000 + 400 + 0 t.%;
    // at 1.5: 5000 t holding 4800 + 1500 + 3000. Exploration weighs nothing.
    const std::vector<Words> expected = {
        {"category", "cut-off", "(%)", "blocks", "tonnes", "mean", "Cu", "(%)", "metal", "(t)"},
        {"measured", "0.5", "1", "2000", "0.8000", "16.0"},
        {"measured", "1.5", "0", "0", "-", "0.0"},
        {"Indicated", "0.5", "2", "4500", "1.7333", "78.0"},
        {"Indicated", "1.5", "2", "4500", "1.7333", "78.0"},
        {"Inferred", "0.5", "0", "0", "-", "0.0"},
        {"Inferred", "1.5", "0", "0", "-", "0.0"},
        {"Exploration", "0.5", "1", "0", "-", "0.0"},
        {"Exploration", "1.5", "0", "0", "-", "0.0"},
        {"Potential", "0.5", "1", "400", "1.0000", "4.0"},
        {"Potential", "1.5", "0", "0", "-", "0.0"},
        {"(none)", "0.5", "1", "500", "3.0000", "15.0"},
        {"(none)", "1.5", "1", "500", "3.0000", "15.0"},
        {"(all)", "0.5", "6", "7400", "1.5270", "113.0"},
        {"(all)", "1.5", "3", "5000", "1.8600", "93.0"},
    };
    const std::vector<Words> got = rows(category);
    EXPECT_EQ(std::vector<Words>(got.begin() + 1, got.end()), expected) << category;
    // The whole table is what a report without --by gives.
    EXPECT_EQ(rowFor(ok({"report", "m.db", "-t", "C", "--cutoffs", "0.5"}), "0.5"),
              (Words{"0.5", "6", "7400", "1.5270", "113.0"}));
    // Oxide: 400 + 1500 t.% in 1500 t; the block without an ore type is last.
    const std::vector<Words> oreTypes =
        rows(ok({"report", "m.db", "-t", "C", "--cutoffs", "0", "--by", "oretype"}));
    ASSERT_EQ(oreTypes.size(), 7u);
    EXPECT_EQ(Words(oreTypes[1].begin(), oreTypes[1].begin() + 3),
              (Words{"ore", "type", "cut-off"}));
    EXPECT_EQ(oreTypes[2], (Words{"Oxide", "0", "2", "1500", "1.2667", "19.0"}));
    EXPECT_EQ(oreTypes[3].at(0), "Sulphide");
    EXPECT_EQ(oreTypes[4], (Words{"Transition", "0", "1", "0", "-", "0.0"}));
    EXPECT_EQ(oreTypes[5], (Words{"(none)", "0", "1", "1500", "2.0000", "30.0"}));
    EXPECT_EQ(oreTypes[6], (Words{"(all)", "0", "7", "8400", "1.3929", "117.0"}));
    // By search pass: pass 1 holds 400 + 1600 t.% in 3000 t, pass 2 4800 +
    // 3000 + 0 in 4500 t; block 6 records no pass.
    EXPECT_EQ(rows(ok({"report", "m.db", "-t", "C", "--cutoffs", "0", "--by", "pass"})),
              (std::vector<Words>{{"Grade-tonnage", "of", "C", "(7", "blocks),", "tonnes", "from",
                                   "the", "stored", "tonnage,", "by", "search", "pass:"},
                                  {"search", "pass", "cut-off", "(%)", "blocks", "tonnes", "mean",
                                   "Cu", "(%)", "metal", "(t)"},
                                  {"pass", "1", "0", "2", "3000", "0.6667", "20.0"},
                                  {"pass", "2", "0", "3", "4500", "1.7333", "78.0"},
                                  {"pass", "3", "0", "1", "500", "3.0000", "15.0"},
                                  {"(none)", "0", "1", "400", "1.0000", "4.0"},
                                  {"(all)", "0", "7", "8400", "1.3929", "117.0"}}));
    // Pass 10 after pass 3, as counted, not between 1 and 2 as spelt.
    sqliteShell(path("m.db"), "UPDATE C SET Srch_Degr = 10 WHERE Krig_BlockID = 1");
    std::vector<std::string> passes;
    for (const Words& row :
         rows(ok({"report", "m.db", "-t", "C", "--cutoffs", "0", "--by", "pass"}))) {
        if (!row.empty() && row[0] == "pass") {
            passes.push_back(row.at(1));
        }
    }
    EXPECT_EQ(passes, (Words{"1", "2", "3", "10"}));
    EXPECT_USAGE_ERROR(vornel({"report", "m.db", "--cutoffs", "0", "--by", "grade"}),
                       "--by: grade not in {category,oretype,bench,pass}");
}

// Old workings taken off: a block keeps the share of its ground that no void
// block covers. Four 10 m blocks along X: A, B and C whole, D only its west
// half (a sub-block). The void blocks, imported from a file: A's box; half of
// B and the south half of C as the sub-blocks of one void block, whose own
// box around both is not its ground; a box east of D's sub-block, touching
// it, over the empty half of D's box.
TEST_F(ReportTest, DepletionTakesTheGroundOfTheVoidBlocksOff) {
    write("d.csv",
          "X,Y,Z,DX,DY,DZ,CU,TONNAGE\n"
          "5,5,5,10,10,10,1,1000\n"
          "15,5,5,10,10,10,2,2000\n"
          "25,5,5,10,10,10,1,3000\n"
          "32.5,5,5,5,10,10,4,500\n");
    ok({"import", "m.db", "d.csv", "-t", "D", "-e", "Cu", "--block-size", "10", "--origin", "0,0,0",
        "--void-table", "W"});
    const std::vector<std::string> depleted = {"report",    "m.db", "-t",       "D",
                                               "--cutoffs", "0",    "--deplete"};
    EXPECT_FAILS_WITH(vornel(depleted), "m.db: the void table 'W' is missing");
    const std::string parent = "PARENT_X,PARENT_Y,PARENT_Z,PARENT_DX,PARENT_DY,PARENT_DZ";
    write("w.csv", "X,Y,Z,DX,DY,DZ," + parent +
                       "\n"
                       "5,5,5,10,10,10,5,5,5,10,10,10\n"
                       "12.5,5,5,5,10,10,17.5,5,5,15,10,10\n"
                       "22.5,2.5,5,5,5,10,17.5,5,5,15,10,10\n"
                       "37.5,5,5,5,10,10,37.5,5,5,5,10,10\n");
    const auto imported = linesOf(ok({"import", "m.db", "w.csv", "-t", "W", "--voids"}));
    ASSERT_EQ(imported.size(), 5u);
    // 1000 m3, 500 + 250 m3 and 500 m3 of ground.
    EXPECT_EQ(imported[1], "  void table     W: 3 void blocks (1 with sub-blocks), 2250 m3");
    EXPECT_EQ(imported[3], "  used with      D");
    // A is gone; B keeps 1000 t at 2, C 2250 t at 1 and D its 500 t at 4:
    // 2000 + 2250 + 2000 t.% in 3750 t. Taken off: 1000 + 500 + 250 m3.
    using Words = std::vector<std::string>;
    // The report's row at cut-off 0 and what its last line says is deducted.
    const auto expectDepleted = [this](const std::vector<std::string>& report, const Words& row,
                                       const std::string& voids, const std::string& deducted) {
        const auto lines = linesOf(ok(report));
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(wordsOf(lines[2]), row);
        EXPECT_EQ(lines[3],
                  "The void blocks of " + voids + " (mined-out ground) are deducted: " + deducted);
    };
    EXPECT_EQ(linesOf(ok(depleted)).at(0),
              "Grade-tonnage of D (4 blocks), tonnes from the stored tonnage less the void "
              "blocks:");
    expectDepleted(depleted, {"0", "3", "3750", "1.6667", "62.5"}, "W",
                   "1 block wholly, 2 in part, 1750 m3.");
    // By volume at 2 t/m3: 500, 750 and 500 m3 left, 1000 + 1500 + 1000 t
    // holding 2000 + 1500 + 4000 t.%.
    EXPECT_EQ(
        rowFor(ok({"report", "m.db", "-t", "D", "--cutoffs", "0", "--deplete", "--density", "2"}),
               "0"),
        (Words{"0", "3", "3500", "2.1429", "75.0"}));
    // A void table without rows takes nothing off: 10000 t.% in 6500 t.
    std::filesystem::copy_file(path("m.db"), path("e.db"));
    sqliteShell(path("e.db"), "DELETE FROM W");
    std::vector<std::string> emptied = depleted;
    emptied[1] = "e.db";
    expectDepleted(emptied, {"0", "4", "6500", "1.5385", "100.0"}, "W",
                   "0 blocks wholly, 0 in part, 0 m3.");

    // At mining coordinates the faces of three sub-blocks that fill a block
    // stand off its own by the last bits of their doubles: 3.5e-11 of the
    // block seems left. A void box east of the second block seems to reach
    // 5.8e-11 m into it. Both are rounding, not ground.
    write("f.csv",
          "X,Y,Z,DX,DY,DZ,CU,TONNAGE\n502550.69,3000005,5,3.3,10,10,1,100\n"
          "509560.34,3000005,5,3.3,10,10,2,100\n");
    ok({"import", "m.db", "f.csv", "-t", "F", "-e", "Cu", "--void-table", "WF"});
    const std::string thirdsParent = ",502550.69,3000005,5,3.3,10,10\n";
    write("wf.csv", "X,Y,Z,DX,DY,DZ," + parent + "\n502549.59,3000005,5,1.1,10,10" + thirdsParent +
                        "502550.69,3000005,5,1.1,10,10" + thirdsParent +
                        "502551.79,3000005,5,1.1,10,10" + thirdsParent +
                        "509562.54,3000005,5,1.1,10,10,509562.54,3000005,5,1.1,10,10\n");
    ok({"import", "m.db", "wf.csv", "-t", "WF", "--voids"});
    expectDepleted({"report", "m.db", "-t", "F", "--cutoffs", "0", "--deplete"},
                   {"0", "1", "100", "2.0000", "2.0"}, "WF", "1 block wholly, 0 in part, 330 m3.");

    // Another program may write void blocks that overlap, as import does not:
    // their shared ground is taken off once. One from X 17.5 to 22.5, Y 2.5
    // to 7.5 and Z 2 to 12 (250 m3, 2 m of it above the blocks) shares 50 m3
    // with B's void sub-block in C. It takes 100 m3 more off B, which keeps
    // 400 of 1000 m3 (800 t), and 50 more off C, which keeps 700 (2100 t):
    // 1600 + 2100 + 2000 t.% in 3400 t.
    CVornelMng mng;
    ASSERT_EQ(mng.connectDatabase(path("m.db")), 1) << mng.lastError();
    KrigBlockVoid over;
    over.MineID = 1;
    over.Krig_PntLocX = 20;
    over.Krig_PntLocY = 5;
    over.Krig_PntLocZ = 7;
    over.Krig_GridSizeX = over.Krig_GridSizeY = 5;
    over.Krig_GridSizeZ = 10;
    ASSERT_NE(mng.insertIntoBlockVoid("W", &over, 1), 0) << mng.lastError();
    mng.clearDatabase();
    expectDepleted(depleted, {"0", "3", "3400", "1.6765", "57.0"}, "W",
                   "1 block wholly, 2 in part, 1900 m3.");
    // 2250 m3 of void ground and the 200 m3 the new void block adds.
    EXPECT_EQ(lineStarting(ok({"info", "m.db"}), "Void table W:"),
              "Void table W: 4 void blocks (1 with sub-blocks), 2450 m3");
    // Nor can ground be taken off a block, or by a void block, whose place or
    // size another program left no number (NaN, as in a sub-block's bytes)
    // or below 0.
    sqliteShell(path("m.db"), "UPDATE F SET Krig_GridSizeX = -3.3 WHERE Krig_BlockID = 2;");
    EXPECT_FAILS_WITH(vornel({"report", "m.db", "-t", "F", "--cutoffs", "0", "--deplete"}),
                      "the block 2 has a place or size that is not a number, or a size below 0");
    sqliteShell(path("m.db"),
                "UPDATE F SET Krig_GridSizeX = 3.3; UPDATE WF SET SubBUDBlob = "
                "X'01000000000000000000F87F000000000000144000000000000014400000000000002440000000"
                "00000024400000000000002440' WHERE Krig_BlockID = 1;");
    EXPECT_FAILS_WITH(vornel({"report", "m.db", "-t", "F", "--cutoffs", "0", "--deplete"}),
                      "the void block 1 of WF has a place or size that is not a number");
    // Looked at, its ground is left out of the volume, and said to be.
    EXPECT_EQ(lineStarting(ok({"info", "m.db"}), "Void table WF:"),
              "Void table WF: 2 void blocks (1 with sub-blocks), 110 m3 (1 left out: a place or "
              "size no number, or below 0)");
    // A run without a void table has nothing to take off.
    EXPECT_FAILS_WITH(vornel({"report", "m.db", "-t", "R", "--cutoffs", "0", "--deplete"}),
                      "--deplete: the run of R names no void table to take off its blocks");
    // A table of blocks read as void blocks would take off all their ground.
    EXPECT_FAILS_WITH(
        vornel({"import", "m.db", "d.csv", "-t", "E", "-e", "Cu", "--void-table", "f"}),
        "m.db: --void-table 'f' holds a run's blocks, not void blocks");
    EXPECT_USAGE_ERROR(
        vornel({"import", "m.db", "d.csv", "-t", "E", "-e", "Cu", "--void-table", "e"}),
        "--void-table 'e': the run's own blocks cannot be its void blocks");
    EXPECT_FALSE(contains(ok({"info", "m.db"}), "table E")) << "nothing imported";
    sqliteShell(path("m.db"),
                "UPDATE KrigBlock_Param SET VoidTable_Name = 'F' WHERE Table_Name = 'D';");
    EXPECT_FAILS_WITH(vornel(depleted), "m.db: 'F' holds a run's blocks, not void blocks");
}

// A second run in R (another element, ten times the grades): neither report
// nor export mixes the two, and the run chosen is reported as its own.
TEST_F(ReportTest, RunsSharingATableAreTakenOneAtATime) {
    sqliteShell(path("m.db"),
                "CREATE TEMP TABLE p AS SELECT * FROM KrigBlock_Param; UPDATE p SET MineID = 2, "
                "Mine_Element = 'Au'; INSERT INTO KrigBlock_Param SELECT * FROM p; "
                "CREATE TEMP TABLE b AS SELECT * FROM R; UPDATE b SET MineID = 2, "
                "Krig_OutAttr = 10 * Krig_OutAttr; INSERT INTO R SELECT * FROM b;");
    const std::string both =
        "R holds the blocks of 2 runs (MineID 1, 2); choose one with "
        "--where \"MineID = 1\"";
    EXPECT_USAGE_ERROR(vornel({"report", "m.db", "-t", "R", "--cutoffs", "0"}), both);
    EXPECT_USAGE_ERROR(vornel({"export", "m.db", "-t", "R"}), both);
    EXPECT_USAGE_ERROR(vornel({"export", "m.db", "-t", "R", "--where", "Krig_BlockID > 0"}), both);
    // 10 x (400 + 1600 + 4800 + 1500) t.% over 6500 t.
    const std::string au =
        ok({"report", "m.db", "-t", "R", "--cutoffs", "0", "--where", "MineID = 2"});
    EXPECT_EQ(rowFor(au, "0"), (std::vector<std::string>{"0", "4", "6500", "12.7692", "830.0"}));
    EXPECT_TRUE(contains(au, "Au")) << au;
    const std::string header =
        linesOf(ok({"export", "m.db", "-t", "R", "--where", "MineID = 2"})).at(0);
    EXPECT_TRUE(contains(header, ",COEF,Au,VARIANCE,")) << header;
}

// A block whose grade another tool left NULL is no block of grade 0: the
// report leaves it out, export leaves its cell empty (which import refuses)
// and info counts it apart, as it does in its range.
TEST_F(ReportTest, ABlockWithoutAGradeIsNotAGradeOfNought) {
    sqliteShell(path("m.db"), "UPDATE R SET Krig_OutAttr = NULL WHERE Krig_BlockID = 4;");
    // 1000 + 2000 + 3000 t holding 400 + 1600 + 4800 t.%.
    const std::string report = ok({"report", "m.db", "-t", "R", "--cutoffs", "0"});
    EXPECT_EQ(rowFor(report, "0"), (std::vector<std::string>{"0", "3", "6000", "1.1333", "68.0"}));
    EXPECT_TRUE(contains(report, "(3 blocks; 1 without a grade left out)")) << report;
    // Whatever the condition ends in.
    EXPECT_EQ(rowFor(ok({"report", "m.db", "-t", "R", "--cutoffs", "0", "--where",
                         "Krig_BlockID > 1 -- not the first"}),
                     "0"),
              (std::vector<std::string>{"0", "2", "5000", "1.2800", "64.0"}));
    ok({"export", "m.db", "-t", "R", "-o", "r.csv"});
    const CsvTable exported = readCsv(path("r.csv"));
    EXPECT_EQ(exported.at(3, "Cu"), "");
    EXPECT_EQ(exported.at(2, "Cu"), "1.6");
    EXPECT_FAILS_WITH(vornel({"import", "m.db", "r.csv", "-t", "AGAIN", "-e", "Cu"}),
                      "r.csv:5:23: expected a number in column 'Cu', found ''");
    EXPECT_EQ(lineStarting(ok({"info", "m.db"}), "Cu"),
              "  Cu             0.4 .. 1.6 % (1 block without a grade)");
    // Nor is a grade written as text, as a spreadsheet's "n/a".
    sqliteShell(path("m.db"), "UPDATE R SET Krig_OutAttr = 'n/a' WHERE Krig_BlockID = 3;");
    const std::string text = ok({"report", "m.db", "-t", "R", "--cutoffs", "0"});
    EXPECT_TRUE(contains(text, "(2 blocks; 2 without a grade left out)")) << text;
    // Nor the eight bytes of a double (1.5) that a program stored as such.
    sqliteShell(path("m.db"),
                "UPDATE R SET Krig_OutAttr = x'000000000000F83F' WHERE Krig_BlockID = 2;");
    const std::string bytes = ok({"report", "m.db", "-t", "R", "--cutoffs", "0"});
    EXPECT_EQ(rowFor(bytes, "0"), (std::vector<std::string>{"0", "1", "1000", "0.4000", "4.0"}));
    EXPECT_TRUE(contains(bytes, "3 without a grade left out")) << bytes;
}

// The catalog's own table, and a copy of R that no run names, hold no blocks
// of a run; R answers to its name in any case, as SQLite does.
TEST_F(ReportTest, OnlyARunsTableIsABlockTable) {
    sqliteShell(path("m.db"), "CREATE TABLE COPY AS SELECT * FROM R;");
    for (const char* table : {"KrigBlock_Param", "COPY"}) {
        EXPECT_FAILS_WITH(vornel({"report", "m.db", "-t", table, "--cutoffs", "0"}),
                          "m.db: no block table '" + std::string(table) + "' (tables: R)");
    }
    EXPECT_EQ(rowFor(ok({"report", "m.db", "-t", "r", "--cutoffs", "0"}), "0")[1], "4");
    write("v.csv", "X,Y,Z,DX,DY,DZ\n5,5,5,10,10,10\n");
    ok({"import", "m.db", "v.csv", "-t", "V", "--voids"});
    EXPECT_FAILS_WITH(vornel({"report", "m.db", "-t", "V", "--cutoffs", "0"}),
                      "m.db: 'V' is a void table (old workings), not a run's blocks (block "
                      "tables: R)");
    // A run whose table is gone.
    sqliteShell(path("m.db"), "DROP TABLE R;");
    EXPECT_FAILS_WITH(vornel({"report", "m.db", "-t", "R", "--cutoffs", "0"}),
                      "m.db: the catalog lists a run in table 'R', but the file has no such table");
}

// Without --table a command reads the one table the catalog lists runs in,
// however many runs share it; a void table and a table no run names are no
// second choice. With two tables, or none, it asks.
TEST_F(ReportTest, TheTableMayBeLeftOutWhenTheCatalogListsOne) {
    sqliteShell(path("m.db"),
                "CREATE TABLE COPY AS SELECT * FROM R; INSERT INTO "
                "KrigBlock_Param(MineID, Mine_Element, Table_Name, OreAttr_Unit) "
                "VALUES (2, 'Ag', 'r', 1), (3, 'VoidBlock', 'HOLES', 0);");
    const std::vector<std::vector<std::string>> leftOut = {
        {"report", "m.db", "--cutoffs", "0"}, {"section", "m.db", "--y", "5"}, {"export", "m.db"}};
    EXPECT_EQ(rowFor(ok(leftOut[0]), "0")[1], "4");
    EXPECT_EQ(linesOf(ok(leftOut[1])).at(0), "R, section Y = 5: 4 blocks cut");
    EXPECT_EQ(linesOf(ok(leftOut[2])).size(), 5u);
    ok({"import", "m.db", "model.csv", "-t", "S", "-e", "Cu"});
    for (const auto& args : leftOut) {
        EXPECT_USAGE_ERROR(vornel(args),
                           "--table is needed: m.db holds several block tables (R, S)");
    }
    EXPECT_EQ(rowFor(ok({"report", "m.db", "-t", "S", "--cutoffs", "0"}), "0")[1], "4");
    sqliteShell(path("m.db"), "DELETE FROM KrigBlock_Param;");
    for (const auto& args : leftOut) {
        EXPECT_FAILS_WITH(vornel(args), "m.db: no block table to read (the catalog lists no runs)");
    }
}

}  // namespace
}  // namespace vornel::test
