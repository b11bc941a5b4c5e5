// The public MineLib model "marvin": grid indices without coordinates.
// Expected counts and sums were taken from the file with a separate script.
#include "CliFixture.h"

namespace vornel::test {
namespace {

using MarvinTest = CliTest;

TEST_F(MarvinTest, ImportsWithBlockSizeAndOrigin) {
    const std::string out =
        ok({"import", "marvin.db", sharedData("marvin.blocks"), "--table", "MARVIN", "--element",
            "Cu", "--block-size", "30", "--origin", "0,0,0"});
    EXPECT_NE(out.find("whitespace-separated, positions as grid indices"), std::string::npos)
        << out;
    EXPECT_EQ(lineStarting(out, "rows"),
              "  rows           53271 (ignored columns: id, au, profit)");
    EXPECT_EQ(lineStarting(out, "blocks"),
              "  blocks         53271 (53271 whole, 0 split into 0 sub-blocks)");
    // XC 0..60, YC 0..59, ZC 0..16 as 30 m blocks from the origin.
    EXPECT_EQ(lineStarting(out, "block centres"),
              "  block centres  X 15 .. 1815, Y 15 .. 1785, Z 15 .. 495");
    EXPECT_EQ(lineStarting(out, "extent"), "  extent         X 0 .. 1830, Y 0 .. 1800, Z 0 .. 510");
    EXPECT_EQ(lineStarting(out, "Cu"), "  Cu             0 .. 1.4637 %");

    // 2385 blocks at 0.5 % Cu or more, 172,491,152 t at 0.739013 %.
    const std::string report = ok({"report", "marvin.db", "-t", "MARVIN", "--cutoffs", "0.5"});
    const std::vector<std::string> row = rowFor(report, "0.5");
    ASSERT_EQ(row.size(), 5u) << report;
    EXPECT_EQ(row[1], "2385");
    EXPECT_NEAR(std::stod(row[2]), 172491152.151, 172491152.151 * 1e-7);
    EXPECT_EQ(row[3], "0.7390");

    ok({"export", "marvin.db", "-t", "MARVIN", "-o", "marvin.csv"});
    const CsvTable t = readCsv(path("marvin.csv"));
    ASSERT_EQ(t.rows.size(), 53271u);
    // The first line of the file: id 0 at XC 0, YC 0, ZC 0, 61200.012 t.
    EXPECT_EQ(t.at(0, "X") + " " + t.at(0, "Y") + " " + t.at(0, "Z"), "15 15 15");
    EXPECT_NEAR(t.number(0, "TONNAGE"), 61200.012, 0.01);

    // Many buffers long: the first write fails long before the end, and its
    // reason is the one given.
    EXPECT_FAILS_WITH(runVornel(dir.path(), {"export", "marvin.db", "-t", "MARVIN"}, "/dev/full"),
                      "vornel export: cannot write the output: No space left on device");
}

}  // namespace
}  // namespace vornel::test
