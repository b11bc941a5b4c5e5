// Export writes what import reads back: a round trip keeps every value.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>

#include "CliFixture.h"
#include "support/Shell.h"

namespace vornel::test {
namespace {

// Block 1 is the 10 m cell at the origin, of which two sub-blocks in its
// lower half, 5x10x5 (250 m3) and 5x5x5 (125 m3), fill 375 of 1000 m3; the
// row of block 2 comes between theirs.
const char* const kModel =
    "BLOCKID,X,Y,Z,DX,DY,DZ,CU,KVAR,CLASS,ROCK,TONNES,NSAMP,AVGDIST,PASS\n"
    "1,2.5,5,2.5,5,10,5,1.1,0.2,Measured,Oxide,650,12,31.5,1\n"
    "2,15,5,5,10,10,10,0.7,0.5,Indicated,Sulphide,2700,8,55,2\n"
    "1,7.5,2.5,2.5,5,5,5,3.3,0.25,Measured,Oxide,330,12,31.5,1\n"
    "3,5,15,5,10,10,10,0.123456789012345,0.9,Inferred,Sulphide,2700.3,4,80,3\n";

class ExportTest : public CliTest {
protected:
    void SetUp() override {
        write("model.csv", kModel);
        ok({"import", "m.db", "model.csv", "-t", "A", "-e", "Cu", "--block-size", "10"});
    }

    // Void table W: void block 1 a whole 10 m cell, void block 2 two
    // sub-blocks of the cell above its neighbour.
    void importVoids() {
        write("w.csv",
              "X,Y,Z,DX,DY,DZ,PARENT_X,PARENT_Y,PARENT_Z,PARENT_DX,PARENT_DY,PARENT_DZ,ORETYPE\n"
              "5,5,5,10,10,10,5,5,5,10,10,10,stope\n"
              "12.5,5,15,5,10,10,15,5,15,10,10,10,drive\n"
              "17.5,2.5,15,5,5,10,15,5,15,10,10,10,drive\n");
        ok({"import", "m.db", "w.csv", "-t", "W", "--voids"});
    }

    // A exported, imported again as B, and B exported: both exports.
    std::pair<CsvTable, CsvTable> roundTrip(const std::vector<std::string>& options) {
        std::vector<std::string> first = {"export", "m.db", "-t", "A", "-o", "first.csv"};
        first.insert(first.end(), options.begin(), options.end());
        ok(first);
        ok({"import", "m.db", "first.csv", "-t", "B", "-e", "Cu"});
        std::vector<std::string> second = {"export", "m.db", "-t", "B", "-o", "second.csv"};
        second.insert(second.end(), options.begin(), options.end());
        ok(second);
        return {readCsv(path("first.csv")), readCsv(path("second.csv"))};
    }
};

// The header and rows of a table without the named columns: those that the
// second import changes or does not read.
std::vector<std::vector<std::string>> withoutColumns(const CsvTable& t,
                                                     const std::vector<std::string>& names) {
    std::vector<std::vector<std::string>> rows{t.header};
    rows.insert(rows.end(), t.rows.begin(), t.rows.end());
    for (auto& row : rows) {
        for (size_t c = std::min(t.header.size(), row.size()); c-- > 0;) {
            if (std::find(names.begin(), names.end(), t.header[c]) != names.end()) {
                row.erase(row.begin() + static_cast<std::ptrdiff_t>(c));
            }
        }
    }
    return rows;
}

TEST_F(ExportTest, SubBlockRowsRoundTrip) {
    sqliteShell(path("m.db"), "UPDATE A SET Krig_Bound = 1 WHERE Krig_BlockID = 3;");
    const auto [first, second] = roundTrip({"--subblocks"});
    ASSERT_EQ(first.rows.size(), 4u);
    EXPECT_EQ(withoutColumns(second, {"MINEID"}), withoutColumns(first, {"MINEID"}));
    // Tonnes are shared out by volume: 980 t over 250 and 125 m3.
    EXPECT_NEAR(first.number(0, "TONNAGE"), 980.0 * 2 / 3, 1e-3);
    EXPECT_EQ(first.at(1, "X") + " " + first.at(1, "Y") + " " + first.at(1, "Z"), "7.5 2.5 2.5");
    EXPECT_EQ(first.at(1, "DX") + " " + first.at(1, "DY") + " " + first.at(1, "DZ"), "5 5 5");
    EXPECT_EQ(first.at(1, "PARENT_X"), "5");
    EXPECT_EQ(first.at(3, "Cu"), "0.123456789012345");
    EXPECT_EQ(first.at(3, "CATEGORY"), "Inferred");
    EXPECT_EQ(first.at(3, "BOUND"), "1");  // a whole block on the boundary
    EXPECT_EQ(first.at(3, "TONNAGE"), "2700.3") << "as in a row of the block";
    EXPECT_EQ(first.at(3, "NSAMP") + " " + first.at(3, "AVGDIST") + " " + first.at(3, "PASS"),
              "4 80 3");
    // Flat sub-blocks have no share of the tonnage to write: not a row,
    // not the header, is written.
    sqliteShell(path("m.db"), flattenTwoSubBlocks("A", 1));
    const CliResult flat = vornel({"export", "m.db", "-t", "A", "--subblocks"});
    EXPECT_EQ(flat.status, 1);
    EXPECT_EQ(flat.out, "");
    EXPECT_TRUE(contains(flat.err, "block 1 has sub-blocks of no volume")) << flat.err;
}

TEST_F(ExportTest, BlockRowsRoundTripButForSplitBlocks) {
    // One row per block leaves a split block's sub-blocks out, so import
    // refuses the file rather than make a whole block of it.
    ok({"export", "m.db", "-t", "A", "-o", "all.csv"});
    const CsvTable first = readCsv(path("all.csv"));
    ASSERT_EQ(first.rows.size(), 3u);
    EXPECT_EQ(first.at(0, "SUBBLOCKS"), "2");
    EXPECT_FAILS_WITH(vornel({"import", "m.db", "all.csv", "-t", "C", "-e", "Cu"}),
                      "all.csv:2: this block has 2 sub-blocks that the file does not list; "
                      "export them with --subblocks (a grid cannot hold them), or read the "
                      "block whole, in its parent's box, with --ignore SUBBLOCKS");
    // Whole blocks come back as they were, numbered anew, a part of one on
    // the boundary too.
    sqliteShell(path("m.db"),
                "UPDATE A SET Krig_Bound = 1, Block_Coef = 0.5, Block_Vol = 500 "
                "WHERE Krig_BlockID = 2;");
    const auto [whole, again] = roundTrip({"--where", "Krig_OutAttr < 1"});
    ASSERT_EQ(whole.rows.size(), 2u);
    EXPECT_EQ(withoutColumns(again, {"BLOCKID", "MINEID"}),
              withoutColumns(whole, {"BLOCKID", "MINEID"}));
    // Block 1 is its cell, 375 m3 of it filled and 980 t; its grade
    // weighted by tonnes, its variance by volume.
    EXPECT_EQ(first.at(0, "X") + " " + first.at(0, "Y") + " " + first.at(0, "Z"), "5 5 5");
    EXPECT_EQ(first.at(0, "DZ"), "10");
    EXPECT_DOUBLE_EQ(first.number(0, "COEF"), 0.375);
    EXPECT_EQ(first.at(0, "BOUND"), "1");
    EXPECT_DOUBLE_EQ(first.number(0, "VOLUME"), 375);
    EXPECT_EQ(first.at(0, "TONNAGE"), "980");
    // Kept as the float 2700.300048828125, it reads as it was written; a
    // tonnage that is no float keeps its every digit.
    EXPECT_EQ(first.at(2, "TONNAGE"), "2700.3");
    sqliteShell(path("m.db"),
                "UPDATE A SET Block_CorMass = 2700.123456789 WHERE Krig_BlockID = 3;");
    ok({"export", "m.db", "-t", "A", "-o", "double.csv"});
    EXPECT_EQ(readCsv(path("double.csv")).at(2, "TONNAGE"), "2700.123456789");
    EXPECT_DOUBLE_EQ(first.number(0, "Cu"), (650 * 1.1 + 330 * 3.3) / 980);
    EXPECT_DOUBLE_EQ(first.number(0, "VARIANCE"), (250 * 0.2 + 125 * 0.25) / 375);
}

// A void table is written whole: a row per void block, or per sub-block
// with its parent's box, which import --voids reads back into the same void
// blocks. Void block 2 fills 500 + 250 of its 1000 m3 and is on the
// boundary, as every one with sub-blocks is.
TEST_F(ExportTest, VoidTablesRoundTripThroughImportVoids) {
    importVoids();
    const std::string pieces =
        "BLOCKID,PARENT_X,PARENT_Y,PARENT_Z,PARENT_DX,PARENT_DY,PARENT_DZ,X,Y,Z,DX,DY,DZ,COEF,"
        "ORETYPE,BOUND\n"
        "1,5,5,5,10,10,10,5,5,5,10,10,10,1,stope,0\n"
        "2,15,5,15,10,10,10,12.5,5,15,5,10,10,0.75,drive,1\n"
        "2,15,5,15,10,10,10,17.5,2.5,15,5,5,10,0.75,drive,1\n";
    EXPECT_EQ(ok({"export", "m.db", "-t", "w", "--subblocks"}), pieces);
    EXPECT_EQ(ok({"export", "m.db", "-t", "W"}),
              "BLOCKID,X,Y,Z,DX,DY,DZ,COEF,ORETYPE,BOUND,SUBBLOCKS\n"
              "1,5,5,5,10,10,10,1,stope,0,0\n"
              "2,15,5,15,10,10,10,0.75,drive,1,2\n");
    ok({"export", "m.db", "-t", "W", "--subblocks", "-o", "again.csv"});
    ok({"import", "m.db", "again.csv", "-t", "W2", "--voids"});
    // Numbered from 1 again, as the library numbers a void table's blocks.
    EXPECT_EQ(ok({"export", "m.db", "-t", "W2", "--subblocks"}), pieces);
    EXPECT_USAGE_ERROR(vornel({"export", "m.db", "-t", "W", "--where", "Krig_BlockID = 1"}),
                       "--where: the void table W is written whole");
    EXPECT_USAGE_ERROR(vornel({"export", "m.db", "-t", "W", "--grid", "-o", "w.gslib"}),
                       "--grid: the void table W is written whole");
    sqliteShell(path("m.db"), "DROP TABLE W2;");
    EXPECT_FAILS_WITH(vornel({"export", "m.db", "-t", "W2"}),
                      "m.db: the void table 'W2' is missing");
}

// A GSLIB file holds the CSV's columns as numbers only: the categories and
// ore types numbered as reports list them, with their keys in the title,
// and -999 for a grade there is none of, which import leaves out. Import
// gives the numbers back their names by those keys.
// A place stored as no number is written as the library reads it, and said
// to be: the file alone cannot tell it from a block at 0.
TEST_F(ExportTest, BlocksPlacedByNoNumberAreToldOf) {
    sqliteShell(path("m.db"), "UPDATE A SET Krig_PntLocX = 'n/a' WHERE Krig_BlockID = 2;");
    const std::string said = ok({"export", "m.db", "-t", "A", "-o", "a.csv"});
    EXPECT_TRUE(contains(said,
                         "\n  1 block has a centre or size stored as no number (empty, text "
                         "or bytes), written as 0 or as the number a text begins with"))
        << said;
    EXPECT_EQ(readCsv(path("a.csv")).at(1, "X"), "0");
    EXPECT_FALSE(
        contains(ok({"export", "m.db", "-t", "A", "--where", "Krig_BlockID <> 2", "-o", "b.csv"}),
                 "no number"));
}

// A GSLIB file names a column a line: an element named over two lines
// (as another program may store it) is named on one.
TEST_F(ExportTest, GslibColumnNamesTakeALineEach) {
    sqliteShell(path("m.db"),
                "UPDATE KrigBlock_Param SET Mine_Element = 'Cu' || char(10) || 'total';");
    ok({"export", "m.db", "-t", "A", "--subblocks", "-o", "a.gslib"});
    const std::vector<std::string> lines = linesOf(readFile(path("a.gslib")));
    const size_t names = std::stoul(lines.at(1));
    ASSERT_EQ(names, 24u);
    EXPECT_EQ(std::count(lines.begin() + 2, lines.begin() + 2 + 24, "Cu total"), 1);
    EXPECT_EQ(wordsOf(lines.at(2 + names)).size(), names);
    ok({"import", "m.db", "a.gslib", "-t", "B", "-e", "Cu", "--grade", "Cu total"});
}

TEST_F(ExportTest, GslibFilesHoldTheColumnsAsNumbers) {
    sqliteShell(path("m.db"), "UPDATE A SET Krig_OutAttr = NULL WHERE Krig_BlockID = 2;");
    const std::string advice =
        "; --where \"typeof(Krig_OutAttr) IN ('integer', 'real')\" writes the others alone\n";
    EXPECT_TRUE(contains(
        ok({"export", "m.db", "-t", "A", "--subblocks", "-o", "a.csv"}),
        "\n  1 block has no grade (stored as no number: empty, text or bytes): an empty cell, "
        "which import refuses" +
            advice));
    EXPECT_EQ(ok({"export", "m.db", "-t", "A", "--subblocks", "-o", "a.gslib"}),
              "Wrote 4 sub-block rows of A to a.gslib (GSLIB)\n"
              "  CATEGORY 1 Measured, 2 Indicated, 3 Inferred\n"
              "  ORETYPE 1 Oxide, 2 Sulphide\n"
              "  1 block has no grade (stored as no number: empty, text or bytes): -999 in the "
              "file, which import "
              "leaves out" +
                  advice);
    // As the advice says, the others alone are read back.
    ok({"export", "m.db", "-t", "A", "--subblocks", "--where",
        "typeof(Krig_OutAttr) IN ('integer', 'real')", "-o", "graded.csv"});
    ok({"import", "g.db", "graded.csv", "-t", "G", "-e", "Cu"});
    const std::map<std::string, std::string> codes = {{"Measured", "1"}, {"Indicated", "2"},
                                                      {"Inferred", "3"}, {"Oxide", "1"},
                                                      {"Sulphide", "2"}, {"", "-999"}};
    std::istringstream csv(readFile(path("a.csv")));
    std::string line;
    std::getline(csv, line);
    std::string expected =
        "A (Cu); CATEGORY 1 Measured, 2 Indicated, 3 Inferred; ORETYPE 1 "
        "Oxide, 2 Sulphide\n24\n";
    std::replace(line.begin(), line.end(), ',', '\n');
    expected += line + "\n";
    while (std::getline(csv, line)) {
        std::string row;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, ',');) {
            const auto code = codes.find(field);
            row += (row.empty() ? "" : " ") + (code == codes.end() ? field : code->second);
        }
        expected += row + "\n";
    }
    EXPECT_EQ(readFile(path("a.gslib")), expected);
    EXPECT_NE(expected.find(" -999 "), std::string::npos);

    const std::string said = ok({"import", "m.db", "a.gslib", "-t", "B", "-e", "Cu"});
    EXPECT_EQ(lineStarting(said, "rows"),
              "  rows           4 (1 whose grade is -999, blocks not estimated, left out) "
              "(ignored columns: MINEID)");
    ok({"export", "m.db", "-t", "A", "--where", "Krig_BlockID <> 2", "-o", "kept.csv"});
    ok({"export", "m.db", "-t", "B", "-o", "back.csv"});
    const std::vector<std::string> numbered = {"BLOCKID", "MINEID"};
    const CsvTable back = readCsv(path("back.csv"));
    EXPECT_EQ(withoutColumns(back, numbered), withoutColumns(readCsv(path("kept.csv")), numbered));
    EXPECT_EQ(back.at(1, "CATEGORY") + " " + back.at(1, "ORETYPE"), "Inferred Sulphide");

    // A grade of -999 itself reads back as none: the export says so, on
    // standard error when the rows go to standard output.
    sqliteShell(path("m.db"), "UPDATE A SET Krig_OutAttr = -999 WHERE Krig_BlockID = 3;");
    const std::string lost =
        "  1 block has the grade -999 itself, which the file holds as no grade: import leaves it "
        "out (a CSV file keeps it)\n"
        "  1 block has no grade (stored as no number: empty, text or bytes): -999 in the file, "
        "which import leaves "
        "out" +
        advice;
    EXPECT_EQ(ok({"export", "m.db", "-t", "A", "-o", "lost.gslib"}),
              "Wrote 3 blocks of A to lost.gslib (GSLIB)\n"
              "  CATEGORY 1 Measured, 2 Indicated, 3 Inferred\n"
              "  ORETYPE 1 Oxide, 2 Sulphide\n" +
                  lost);
    const CliResult toOutput = vornel({"export", "m.db", "-t", "A", "--format", "gslib"});
    EXPECT_EQ(toOutput.status, 0);
    EXPECT_EQ(toOutput.err, lost);
    EXPECT_EQ(toOutput.out, readFile(path("lost.gslib")));
    EXPECT_FALSE(contains(ok({"export", "m.db", "-t", "A", "-o", "all.csv"}), "-999"));
    sqliteShell(path("m.db"), "UPDATE A SET Krig_OutAttr = 0.5 WHERE Krig_BlockID = 3;");

    // A block without an ore type is 0, "(none)", and reads back without one.
    sqliteShell(path("m.db"), "UPDATE A SET Krig_OreType = '' WHERE Krig_BlockID = 3;");
    EXPECT_TRUE(contains(ok({"export", "m.db", "-t", "A", "--subblocks", "-o", "none.gslib"}),
                         "  ORETYPE 1 Oxide, 2 Sulphide, 0 (none)\n"));
    ok({"import", "m.db", "none.gslib", "-t", "C", "-e", "Cu"});
    EXPECT_EQ(
        sqliteShell(
            path("m.db"),
            "SELECT Krig_ResType || '/' || ifnull(Krig_OreType, '') FROM C ORDER BY Krig_PntLocY;"),
        "Measured/Oxide\nInferred/\n");
    // Names holding a key's separators or a quote are quoted in it, and one
    // holding a line break has a blank there, the title being one line.
    sqliteShell(path("m.db"),
                "UPDATE A SET Krig_ResType = 'Meas, \"high\"', Krig_OreType = 'Oxide; weathered' "
                "WHERE Krig_BlockID = 1; UPDATE A SET Krig_OreType = 'Tr' || char(10) || 'ans' "
                "WHERE Krig_BlockID = 3;");
    ok({"export", "m.db", "-t", "A", "--subblocks", "-o", "odd.gslib"});
    EXPECT_EQ(linesOf(readFile(path("odd.gslib"))).at(0),
              "A (Cu); CATEGORY 1 Indicated, 2 Inferred, 3 \"Meas, \"\"high\"\"\"; ORETYPE 1 "
              "\"Oxide; weathered\", 2 Sulphide, 3 Tr ans");
    ok({"import", "m.db", "odd.gslib", "-t", "D", "-e", "Cu"});
    EXPECT_EQ(
        sqliteShell(path("m.db"),
                    "SELECT Krig_ResType || '/' || Krig_OreType FROM D ORDER BY Krig_PntLocY, "
                    "Krig_PntLocX;"),
        "Meas, \"high\"/Oxide; weathered\nInferred/Tr ans\n");
    // A tab stays a tab, quoted at an end, which import would trim: names
    // that differ only by it stay apart (block 2, which has no grade, read
    // back with --missing).
    sqliteShell(path("m.db"),
                "UPDATE A SET Krig_ResType = 'x' || char(9) || 'y' WHERE Krig_BlockID = 1;"
                "UPDATE A SET Krig_ResType = 'x y' WHERE Krig_BlockID = 2;"
                "UPDATE A SET Krig_ResType = 'x' || char(9) WHERE Krig_BlockID = 3;");
    ok({"export", "m.db", "-t", "A", "--subblocks", "-o", "tab.gslib"});
    EXPECT_EQ(linesOf(readFile(path("tab.gslib"))).at(0).substr(0, 37),
              "A (Cu); CATEGORY 1 \"x\t\", 2 x\ty, 3 x y");
    ok({"import", "m.db", "tab.gslib", "-t", "T", "-e", "Cu", "--missing", "-1"});
    EXPECT_EQ(sqliteShell(path("m.db"),
                          "SELECT hex(Krig_ResType) FROM T ORDER BY Krig_PntLocX, Krig_PntLocY;"),
              "780979\n7809\n782079\n");
    // Names alike but for case, one class in a report, keep their spelling,
    // numbered where the report lists their class: "a" before "OX" and "ox".
    sqliteShell(
        path("m.db"),
        "UPDATE A SET Krig_ResType = 'measured', Krig_OreType = 'ox' WHERE Krig_BlockID = 1;"
        "UPDATE A SET Krig_ResType = 'Measured', Krig_OreType = 'a' WHERE Krig_BlockID = 2;"
        "UPDATE A SET Krig_ResType = 'Measured', Krig_OreType = 'OX' WHERE Krig_BlockID = 3;");
    EXPECT_TRUE(contains(ok({"export", "m.db", "-t", "A", "--subblocks", "-o", "case.gslib"}),
                         "  CATEGORY 1 Measured, 2 measured\n  ORETYPE 1 a, 2 OX, 3 ox\n"));
    ok({"import", "m.db", "case.gslib", "-t", "K", "-e", "Cu", "--missing", "-1"});
    EXPECT_EQ(sqliteShell(path("m.db"),
                          "SELECT Krig_ResType FROM K ORDER BY Krig_PntLocX, Krig_PntLocY;"),
              "measured\nMeasured\nMeasured\n");

    // Without a key as export writes it, the numbers stay numbers; so they
    // do where a name holding ", 2 " or "; " makes the key read otherwise
    // (more entries than numbers used, or a part that is no key).
    const std::vector<std::string> titles = {"kt3d estimates",
                                             "A (Cu); CATEGORY 2 Measured, 1 Indicated",
                                             "A (Cu); CATEGORY 1 Measured, 0 (none), 2 Indicated",
                                             "A (Cu); CATEGORY 1 Measured, 2",
                                             "A (Cu); CATEGORY 1 Measured, 2 Indicated, 0 (none)",
                                             "A (Cu); CATEGORY 1 ore; waste, 0 (none)"};
    for (size_t i = 0; i < titles.size(); ++i) {
        const std::string table = "P" + std::to_string(i);
        write(table + ".gslib",
              titles[i] + "\n5\nX\nY\nZ\nCU\nCATEGORY\n5 5 5 0.5 1\n15 5 5 0.6 0\n");
        ok({"import", "m.db", table + ".gslib", "-t", table, "-e", "Cu", "--block-size", "10"});
        EXPECT_EQ(sqliteShell(path("m.db"),
                              "SELECT Krig_ResType FROM " + table + " ORDER BY Krig_PntLocX;"),
                  "1\n0\n")
            << titles[i];
    }

    importVoids();
    EXPECT_EQ(ok({"export", "m.db", "-t", "W", "--format", "gslib"}),
              "W (void blocks); ORETYPE 1 drive, 2 stope\n11\n"
              "BLOCKID\nX\nY\nZ\nDX\nDY\nDZ\nCOEF\nORETYPE\nBOUND\nSUBBLOCKS\n"
              "1 5 5 5 10 10 10 1 2 0 0\n"
              "2 15 5 15 10 10 10 0.75 1 1 2\n");
}

// Blocks 1, 2 and 3 fill three cells of a grid of 2 x 2 x 1, block 1 by its
// parent's box; the fourth cell is a row of -999. Blocks off that grid are
// refused.
TEST_F(ExportTest, AGslibGridHasARowForEveryCell) {
    ok({"export", "m.db", "-t", "A", "-o", "rows.gslib"});
    EXPECT_EQ(ok({"export", "m.db", "-t", "A", "--grid", "-o", "grid.gslib"}),
              "Wrote the 2 x 2 x 1 cells of the grid of A to grid.gslib (GSLIB), 3 blocks "
              "among them\n"
              "  CATEGORY 1 Measured, 2 Indicated, 3 Inferred\n"
              "  ORETYPE 1 Oxide, 2 Sulphide\n");
    const std::vector<std::string> rows = linesOf(readFile(path("rows.gslib")));
    std::vector<std::string> expected = rows;
    expected[1] = "20 2 2 1";
    expected.emplace_back(
        "-999 -999 -999 -999 -999 -999 -999 -999 -999 -999 -999 -999 -999 "
        "-999 -999 -999 -999 -999 -999 -999");
    ASSERT_EQ(rows.size(), 25u);
    EXPECT_EQ(linesOf(readFile(path("grid.gslib"))), expected);
    // Read back (block 1's count of sub-blocks, which a cell of the grid
    // does not list, unread), the empty cell's -999 is no number of the
    // keys, and the blocks have their names again.
    write("one.csv", "X,Y,Z,DX,DY,DZ,CU,SUBBLOCKS\n5,5,5,10,10,10,1,1\n");
    EXPECT_FAILS_WITH(vornel({"import", "g.db", "one.csv", "-t", "G", "-e", "Cu"}),
                      "one.csv:2: this block has 1 sub-block that the file does not list; "
                      "export them with --subblocks (a grid cannot hold them), or read the "
                      "block whole, in its parent's box, with --ignore SUBBLOCKS");
    ok({"import", "g.db", "grid.gslib", "-t", "G", "-e", "Cu", "--block-size", "10", "--ignore",
        "SUBBLOCKS"});
    EXPECT_EQ(sqliteShell(path("g.db"),
                          "SELECT group_concat(Krig_ResType || '/' || Krig_OreType, "
                          "' ') FROM (SELECT * FROM G ORDER BY Krig_BlockID)"),
              "Measured/Oxide Indicated/Sulphide Inferred/Sulphide\n");
    EXPECT_USAGE_ERROR(vornel({"export", "m.db", "-t", "A", "--grid", "-o", "grid.csv"}),
                       "--grid writes a run's blocks as a GSLIB file");

    const std::vector<std::pair<const char*, const char*>> offGrid = {
        {"Krig_GridSizeX = 5", "block 2 is 5 along X, block 1 10: a grid holds blocks of one size"},
        {"Krig_PntLocY = 9", "block 2 lies off the grid of block 1 along Y"},
        {"Krig_PntLocX = 5", "blocks 1 and 2 lie in one cell of the grid"}};
    for (const auto& [change, message] : offGrid) {
        sqliteShell(path("m.db"),
                    std::string("UPDATE A SET ") + change + " WHERE Krig_BlockID = 2;");
        EXPECT_FAILS_WITH(vornel({"export", "m.db", "-t", "A", "--grid", "-o", "off.gslib"}),
                          message);
        sqliteShell(path("m.db"),
                    "UPDATE A SET Krig_GridSizeX = 10, Krig_PntLocX = 15, Krig_PntLocY = 5 "
                    "WHERE Krig_BlockID = 2;");
    }
    EXPECT_FALSE(fileExists(path("off.gslib")));
    // The grid starts from the lowest block, not from the first.
    sqliteShell(path("m.db"), "UPDATE A SET Krig_PntLocX = -5 WHERE Krig_BlockID = 2;");
    ok({"export", "m.db", "-t", "A", "--grid", "-o", "west.gslib"});
    const std::vector<std::string> west = linesOf(readFile(path("west.gslib")));
    ASSERT_EQ(west.size(), 26u);
    std::string order;
    for (size_t row = 22; row < west.size(); ++row) {
        order += wordsOf(west[row]).at(0) + " ";
    }
    EXPECT_EQ(order, "2 1 -999 3 ");
    // 2^20 cells along X and 2^9 along Y, each fewer than a grid may have
    // along an axis, are more than it may have in all; 10^11 cells along X
    // are more than it may have along one.
    sqliteShell(path("m.db"),
                "UPDATE A SET Krig_PntLocX = 10485765 WHERE Krig_BlockID = 2;"
                "UPDATE A SET Krig_PntLocY = 5125 WHERE Krig_BlockID = 3;");
    EXPECT_FAILS_WITH(vornel({"export", "m.db", "-t", "A", "--grid", "-o", "far.gslib"}),
                      "the blocks span 1048577 x 513 x 1 cells of their size, more than "
                      "268435456; select fewer with --where");
    sqliteShell(path("m.db"), "UPDATE A SET Krig_PntLocX = 1e12 WHERE Krig_BlockID = 2;");
    EXPECT_FAILS_WITH(vornel({"export", "m.db", "-t", "A", "--grid", "-o", "far.gslib"}),
                      "block 2 lies too far along X for a grid with block 1");
}

TEST_F(ExportTest, WhereSelectsBlocks) {
    const std::string out = ok({"export", "m.db", "-t", "A", "--where", "Krig_OutAttr >= 0.5"});
    const std::vector<std::string> lines = linesOf(out);
    ASSERT_EQ(lines.size(), 3u) << out;
    EXPECT_EQ(lines[1].substr(0, 4), "1,1,");
    EXPECT_EQ(lines[2].substr(0, 4), "2,1,");
    EXPECT_FAILS_WITH(vornel({"export", "m.db", "-t", "A", "--where", "Krig_OutAttr >>"}),
                      "--where \"Krig_OutAttr >>\"");
    // The list's own column names are not the table's.
    EXPECT_FAILS_WITH(vornel({"export", "m.db", "-t", "A", "--where", "CU > 1"}),
                      "no such column: CU; a condition names the table's columns: Krig_OutAttr for "
                      "the grade");
}

// A block's ground is its sub-blocks: an outline over the empty upper
// half of block 1 takes none of it, but block 2's western edge. An outline
// over a corner of block 1's second sub-block takes block 1, whole.
TEST_F(ExportTest, WithinSelectsTheBlocksWithGroundInsideAnOutline) {
    write("o.csv", "X,Y\n6,6\n14,6\n14,9\n6,9\n");
    EXPECT_EQ(ok({"export", "m.db", "-t", "A", "--within", "o.csv", "-o", "w.csv"}),
              "Wrote 1 block of A to w.csv\n"
              "  within o.csv: 1 of 3 blocks, 1 of them partly outside it and written whole\n");
    const CsvTable one = readCsv(path("w.csv"));
    ASSERT_EQ(one.rows.size(), 1u);
    EXPECT_EQ(one.at(0, "BLOCKID") + " " + one.at(0, "TONNAGE"), "2 2700");

    write("corner.csv", "X,Y\n6,1\n9,1\n9,4\n6,4\n");
    ok({"export", "m.db", "-t", "A", "--within", "corner.csv", "--subblocks", "-o", "s.csv"});
    const CsvTable pieces = readCsv(path("s.csv"));
    ASSERT_EQ(pieces.rows.size(), 2u);
    EXPECT_EQ(pieces.at(0, "X") + " " + pieces.at(1, "X"), "2.5 7.5");

    write("all.csv", "X,Y\n-1,-1\n21,-1\n21,21\n-1,21\n");
    EXPECT_TRUE(contains(ok({"export", "m.db", "-t", "A", "--within", "all.csv", "-o", "a.vtk"}),
                         "  within all.csv: 3 of 3 blocks, 0 of them partly outside"));
    importVoids();
    EXPECT_USAGE_ERROR(vornel({"export", "m.db", "-t", "W", "--within", "all.csv"}),
                       "--within: the void table W is written whole");
    EXPECT_FAILS_WITH(vornel({"export", "m.db", "-t", "A", "--within", "none.csv"}), "none.csv");
    write("far.csv", "X,Y\n100,100\n110,100\n110,110\n");
    EXPECT_FAILS_WITH(
        vornel({"export", "m.db", "-t", "A", "--within", "far.csv", "--grid", "-o", "g.gslib"}),
        "far.csv: no block has ground within this outline to lay on a grid");
}

TEST_F(ExportTest, TheOutputFileAppearsOnlyWhenComplete) {
    EXPECT_EQ(ok({"export", "m.db", "-t", "A", "-o", "out.csv"}),
              "Wrote 3 blocks of A to out.csv\n");
    EXPECT_EQ(readCsv(path("out.csv")).rows.size(), 3u);
    EXPECT_FAILS_WITH(vornel({"export", "m.db", "-t", "A", "-o", "nodir/out.csv"}),
                      "nodir/out.csv: cannot write");
    // A folder at the output path is refused before anything is written.
    ASSERT_TRUE(std::filesystem::create_directory(path("taken")));
    EXPECT_FAILS_WITH(vornel({"export", "m.db", "-t", "A", "-o", "taken"}),
                      "taken: a folder is there; name a file to write");
    EXPECT_TRUE(std::filesystem::is_directory(path("taken")));
    // A file replaced keeps who may read it, and one that cannot be written
    // is not replaced (as any user but root finds it).
    std::filesystem::permissions(
        path("out.csv"), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    ok({"export", "m.db", "-t", "A", "-o", "out.csv"});
    EXPECT_EQ(std::filesystem::status(path("out.csv")).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    if (geteuid() != 0) {
        std::filesystem::permissions(path("out.csv"), std::filesystem::perms::owner_read);
        EXPECT_FAILS_WITH(vornel({"export", "m.db", "-t", "A", "-o", "out.csv"}),
                          "out.csv: cannot write: Permission denied");
    }
    // A descriptor the command was given is added to, not replaced.
    const std::string added = shellOutput(
        "cd " + shellQuote(dir.path()) + " && echo earlier > log.txt && " + shellQuote(VORNEL_CLI) +
        " export m.db -t A -o /dev/fd/3 3>>log.txt && head -2 log.txt");
    EXPECT_EQ(linesOf(added).at(1), "earlier");
    EXPECT_EQ(linesOf(added).at(2).substr(0, 8), "BLOCKID,");
    // Standard error, by its name or a link to it, is written through
    // itself: what the command says there after the list does not land on
    // it, and a log it goes to keeps what it held.
    const std::string shared = shellOutput(
        "cd " + shellQuote(dir.path()) +
        " && ln -s /dev/stderr err && echo earlier > "
        "both.txt && " +
        shellQuote(VORNEL_CLI) + " export m.db -t A -o err >> both.txt 2>&1 && cat both.txt");
    EXPECT_EQ(linesOf(shared).size(), 6u) << shared;
    EXPECT_EQ(linesOf(shared).at(0), "earlier");
    EXPECT_EQ(linesOf(shared).at(1).substr(0, 8), "BLOCKID,");
    EXPECT_EQ(linesOf(shared).back(), "Wrote 3 blocks of A to err");
    // Nor under a file-size limit that the file, or an import's database,
    // would pass (64 KiB, less than either).
    ok({"demo", "d.db", "--blocks", "1000"});
    ok({"export", "d.db", "-t", "CU_DEMO", "--subblocks", "-o", "whole.csv"});
    // 16 blocks of 1 KiB stop a new database before its log is made.
    for (const char* limit : {"64", "16"}) {
        for (const char* command :
             {" export d.db -t CU_DEMO -o big.csv", " import big.db whole.csv -t B -e Cu"}) {
            const std::string out =
                shellOutput("cd " + shellQuote(dir.path()) + " && ulimit -f " + limit + " && " +
                            shellQuote(VORNEL_CLI) + command + " 2>&1; echo $?");
            EXPECT_EQ(linesOf(out).size(), 2u) << limit << out;
            EXPECT_EQ(linesOf(out).back(), "1") << limit << out;
            EXPECT_TRUE(contains(out, "error") || contains(out, "disk full")) << limit << out;
        }
    }
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name.find(".partial-") == std::string::npos && name.rfind("big", 0) != 0)
            << name;
    }
}

TEST_F(ExportTest, TheDatabaseBeingReadIsNoOutput) {
    EXPECT_FAILS_WITH(vornel({"export", "m.db", "-t", "A", "-o", path("m.db")}),
                      "database being read");
    // Nor its log, which closing the database removes, beside the file that
    // a link to it names.
    EXPECT_FAILS_WITH(vornel({"export", "m.db", "-t", "A", "-o", "m.db-wal"}),
                      "m.db-wal: the database's own wal file goes there");
    std::filesystem::create_symlink("m.db", path("link.db"));
    EXPECT_FAILS_WITH(vornel({"export", "link.db", "-t", "A", "-o", "m.db-shm"}),
                      "m.db-shm: the database's own shm file goes there");
    // A second name of the file is the file.
    std::filesystem::create_hard_link(path("m.db"), path("twin.db"));
    EXPECT_FAILS_WITH(vornel({"export", "m.db", "-t", "A", "-o", "twin.db"}),
                      "database being read");
    EXPECT_EQ(sqliteShell(path("twin.db"), "SELECT COUNT(*) FROM A;"), "3\n");
    EXPECT_EQ(sqliteShell(path("m.db"), "SELECT COUNT(*) FROM A;"), "3\n");
}

TEST_F(ExportTest, ASymbolicLinkIsWrittenThrough) {
    write("real.csv", "old\n");
    std::filesystem::create_symlink("real.csv", path("link.csv"));
    ok({"export", "m.db", "-t", "A", "-o", "link.csv"});
    EXPECT_TRUE(std::filesystem::is_symlink(path("link.csv")));
    EXPECT_EQ(readCsv(path("real.csv")).rows.size(), 3u);
    // Links that lead back to each other name no file, to write or to read;
    // they stay as they were.
    std::filesystem::create_symlink("loop2", path("loop1"));
    std::filesystem::create_symlink("loop1", path("loop2"));
    const std::string loop = "loop1: too many levels of symbolic links";
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"export", "m.db", "-t", "A", "-o", "loop1"},
          {"report", "m.db", "-t", "A", "--cutoffs", "0", "--csv", "loop1"},
          {"section", "m.db", "-t", "A", "--y", "5", "--svg", "loop1"},
          {"import", "loop1", "real.csv", "-t", "B", "-e", "Cu"},
          {"info", "loop1"},
          {"demo", "loop1", "--blocks", "1000"}}) {
        EXPECT_FAILS_WITH(vornel(command), loop);
    }
    EXPECT_EQ(std::filesystem::read_symlink(path("loop1")), "loop2");
    EXPECT_EQ(std::filesystem::read_symlink(path("loop2")), "loop1");
}

TEST_F(ExportTest, APipeIsWrittenStraightTo) {
    ASSERT_EQ(mkfifo(path("pipe").c_str(), 0644), 0);
    // Opened for reading first, so that the export's opening does not wait;
    // three rows fit in the pipe's buffer before anything reads them.
    const int reader = open(path("pipe").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ok({"export", "m.db", "-t", "A", "-o", "pipe"});
    char buffer[4096];
    const ssize_t got = read(reader, buffer, sizeof buffer);
    close(reader);
    ASSERT_GT(got, 0);
    EXPECT_EQ(linesOf(std::string(buffer, static_cast<size_t>(got))).size(), 4u);
    EXPECT_TRUE(std::filesystem::is_fifo(path("pipe")));
}

TEST_F(ExportTest, ADashIsStandardOutput) {
    const std::string out = ok({"export", "m.db", "-t", "A", "-o", "-"});
    EXPECT_EQ(linesOf(out).size(), 4u) << out;
    EXPECT_EQ(out.substr(0, 8), "BLOCKID,");
    EXPECT_FALSE(std::filesystem::exists(path("-")));

    // So are its names, whether it is a pipe or a file it appends to.
    writeFile(path("log.txt"), "kept\n");
    for (const char* name : {"/dev/stdout", "/dev/fd/1", "/proc/self/fd/1"}) {
        SCOPED_TRACE(name);
        const std::string export_ =
            "cd " + shellQuote(dir.path()) + " && " + VORNEL_CLI + " export m.db -t A -o " + name;
        EXPECT_EQ(shellOutput(export_ + " | wc -l"), "4\n");
        shellOutput(export_ + " >> log.txt");
    }
    EXPECT_EQ(linesOf(readFile(path("log.txt"))).size(), 13u);
}

// Every write to a full device fails: the export must not pass for done.
TEST_F(ExportTest, AStandardOutputThatCannotBeWrittenFailsTheExport) {
    EXPECT_FAILS_WITH(runVornel(dir.path(), {"export", "m.db", "-t", "A"}, "/dev/full"),
                      "vornel export: cannot write the output: No space left on device");
    // A command that stored its work says so, lest it be done again.
    write("b.csv", "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,10,1\n");
    EXPECT_FAILS_WITH(
        runVornel(dir.path(), {"import", "m.db", "b.csv", "-t", "B", "-e", "Cu"}, "/dev/full"),
        "vornel import: cannot write the output: No space left on device, after storing B in "
        "m.db\n");
}

// A legacy VTK file of hexahedra read by the format's own rules: header
// lines, then big-endian numbers after each section's line.
struct VtkFile {
    std::string title;
    std::vector<double> points;  // x, y, z of each
    std::vector<int32_t> cells;  // 8 and the corners, for each cell
    std::vector<int32_t> types;
    std::map<std::string, std::vector<double>> columns;
    std::map<std::string, std::string> typeOf;
};

template <typename T>
std::vector<double> readBigEndian(std::istream& in, size_t count) {
    std::vector<double> values;
    for (size_t i = 0; i < count; ++i) {
        unsigned char bytes[sizeof(T)];
        in.read(reinterpret_cast<char*>(bytes), sizeof(T));
        std::reverse(bytes, bytes + sizeof(T));
        T value;
        std::memcpy(&value, bytes, sizeof(T));
        values.push_back(static_cast<double>(value));
    }
    return values;
}

VtkFile readVtk(const std::string& path) {
    std::istringstream in(readFile(path));
    VtkFile f;
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "# vtk DataFile Version 3.0");
    std::getline(in, f.title);
    std::getline(in, line);
    EXPECT_EQ(line, "BINARY");
    std::getline(in, line);
    EXPECT_EQ(line, "DATASET UNSTRUCTURED_GRID");
    std::string word;
    size_t count = 0;
    size_t cellCount = 0;
    std::string type;
    while (in >> word) {
        if (word == "POINTS") {
            in >> count >> type;
            in.ignore(1);
            EXPECT_EQ(type, "double");
            f.points = readBigEndian<double>(in, count * 3);
        } else if (word == "CELLS") {
            size_t size = 0;
            in >> cellCount >> size;
            in.ignore(1);
            for (const double v : readBigEndian<int32_t>(in, size)) {
                f.cells.push_back(static_cast<int32_t>(v));
            }
        } else if (word == "CELL_TYPES") {
            in >> count;
            in.ignore(1);
            for (const double v : readBigEndian<int32_t>(in, count)) {
                f.types.push_back(static_cast<int32_t>(v));
            }
        } else if (word == "CELL_DATA") {
            in >> count;
            EXPECT_EQ(count, cellCount);
        } else if (word == "SCALARS") {
            std::string name;
            std::string components;
            std::string table;
            std::string which;
            in >> name >> type >> components >> table >> which;
            in.ignore(1);
            EXPECT_EQ(components, "1");
            EXPECT_EQ(table, "LOOKUP_TABLE");
            EXPECT_EQ(which, "default");
            f.typeOf[name] = type;
            f.columns[name] = type == "int" ? readBigEndian<int32_t>(in, cellCount)
                                            : readBigEndian<double>(in, cellCount);
        } else {
            ADD_FAILURE() << "unexpected " << word;
            break;
        }
        EXPECT_TRUE(in.good()) << word;
    }
    return f;
}

// The eight corners of cell c, x, y and z of each.
std::vector<double> cornersOf(const VtkFile& f, size_t c) {
    std::vector<double> corners;
    for (size_t k = 1; k <= 8; ++k) {
        const auto point = static_cast<size_t>(f.cells.at(c * 9 + k));
        corners.insert(corners.end(), &f.points.at(point * 3), &f.points.at(point * 3) + 3);
    }
    return corners;
}

// A hexahedron's corners for the box from (x0, y0, z0) to (x1, y1, z1):
// round the bottom face anticlockwise seen from above, then the top face.
std::vector<double> hexahedron(double x0, double y0, double z0, double x1, double y1, double z1) {
    return {x0, y0, z0, x1, y0, z0, x1, y1, z0, x0, y1, z0,
            x0, y0, z1, x1, y0, z1, x1, y1, z1, x0, y1, z1};
}

TEST_F(ExportTest, VtkCellsAreTheBoxesWithTheBlocksNumbers) {
    // Block 3 at mining coordinates, to every digit; block 2 without a
    // grade; block 3 without a category.
    sqliteShell(path("m.db"),
                "UPDATE A SET Krig_PntLocX = 500005.125, Krig_PntLocY = 3000015.0625, "
                "Krig_ResType = '' WHERE Krig_BlockID = 3;"
                "UPDATE A SET Krig_OutAttr = NULL WHERE Krig_BlockID = 2;");
    EXPECT_EQ(ok({"export", "m.db", "-t", "A", "--subblocks", "-o", "m.vtk"}),
              "Wrote 4 sub-block cells of A to m.vtk (VTK)\n"
              "  CATEGORY 1 Measured, 2 Indicated, 0 (none)\n"
              "  ORETYPE 1 Oxide, 2 Sulphide\n");
    const VtkFile f = readVtk(path("m.vtk"));
    EXPECT_EQ(f.title,
              "A (Cu); CATEGORY 1 Measured, 2 Indicated, 0 (none); ORETYPE 1 Oxide, 2 Sulphide");
    ASSERT_EQ(f.cells.size(), 4u * 9);
    EXPECT_EQ(f.types, std::vector<int32_t>(4, 12));  // hexahedra
    // Block 1's two sub-blocks, then blocks 2 and 3 whole.
    EXPECT_EQ(cornersOf(f, 0), hexahedron(0, 0, 0, 5, 10, 5));
    EXPECT_EQ(cornersOf(f, 1), hexahedron(5, 0, 0, 10, 5, 5));
    EXPECT_EQ(cornersOf(f, 2), hexahedron(10, 0, 0, 20, 10, 10));
    EXPECT_EQ(cornersOf(f, 3),
              hexahedron(500000.125, 3000010.0625, 0, 500010.125, 3000020.0625, 10));
    const auto column = [&](const std::string& name) { return f.columns.at(name); };
    EXPECT_EQ(column("BLOCKID"), (std::vector<double>{1, 1, 2, 3}));
    EXPECT_EQ(column("MINEID"), (std::vector<double>{1, 1, 1, 1}));
    const double grade1 = (650 * 1.1 + 330 * 3.3) / 980;
    EXPECT_DOUBLE_EQ(column("Cu")[0], grade1);
    EXPECT_DOUBLE_EQ(column("Cu")[1], grade1);
    EXPECT_TRUE(std::isnan(column("Cu")[2]));
    EXPECT_EQ(column("Cu")[3], 0.123456789012345);
    EXPECT_DOUBLE_EQ(column("VARIANCE")[1], (250 * 0.2 + 125 * 0.25) / 375);
    EXPECT_EQ(column("VARIANCE")[3], 0.9);
    EXPECT_EQ(column("COEF"), (std::vector<double>{0.375, 0.375, 1, 1}));
    EXPECT_EQ(column("CATEGORY"), (std::vector<double>{1, 1, 2, 0}));
    EXPECT_EQ(column("ORETYPE"), (std::vector<double>{1, 1, 2, 2}));
    EXPECT_EQ(column("BOUND"), (std::vector<double>{1, 1, 0, 0}));
    // 980 t shared by volume, 250 and 125 m3; 2700.3 kept as a float.
    EXPECT_DOUBLE_EQ(column("TONNAGE")[0], 980.0 * 2 / 3);
    EXPECT_DOUBLE_EQ(column("TONNAGE")[1], 980.0 / 3);
    EXPECT_EQ(column("TONNAGE")[3], static_cast<double>(2700.3F));
    EXPECT_EQ(column("NSAMP"), (std::vector<double>{12, 12, 8, 4}));
    EXPECT_EQ(column("AVGDIST"), (std::vector<double>{31, 31, 55, 80}));
    EXPECT_EQ(column("PASS"), (std::vector<double>{1, 1, 2, 3}));
    EXPECT_EQ(f.typeOf, (std::map<std::string, std::string>{{"BLOCKID", "int"},
                                                            {"MINEID", "int"},
                                                            {"Cu", "double"},
                                                            {"VARIANCE", "double"},
                                                            {"COEF", "double"},
                                                            {"CATEGORY", "int"},
                                                            {"ORETYPE", "int"},
                                                            {"BOUND", "int"},
                                                            {"TONNAGE", "double"},
                                                            {"NSAMP", "int"},
                                                            {"AVGDIST", "double"},
                                                            {"PASS", "int"}}));

    // One cell a block, its whole box; the format from the file's name,
    // or as asked whatever the name.
    ok({"export", "m.db", "-t", "A", "-o", "blocks.VTK"});
    const VtkFile blocks = readVtk(path("blocks.VTK"));
    ASSERT_EQ(blocks.cells.size(), 3u * 9);
    EXPECT_EQ(cornersOf(blocks, 0), hexahedron(0, 0, 0, 10, 10, 10));
    EXPECT_EQ(blocks.columns.at("TONNAGE")[0], 980);
    // No blocks, no cells and no keys.
    EXPECT_EQ(ok({"export", "m.db", "-t", "A", "-o", "none.vtk", "--where", "Krig_BlockID < 0"}),
              "Wrote 0 block cells of A to none.vtk (VTK)\n");
    const VtkFile none = readVtk(path("none.vtk"));
    EXPECT_EQ(none.title, "A (Cu)");
    EXPECT_TRUE(none.cells.empty() && none.points.empty());
    EXPECT_EQ(none.columns.at("Cu").size(), 0u);
    ok({"export", "m.db", "-t", "A", "-o", "list.vtk", "--format", "csv"});
    EXPECT_EQ(readCsv(path("list.vtk")).rows.size(), 3u);
    ok({"export", "m.db", "-t", "A", "-o", "cells.txt", "--format", "vtk"});
    EXPECT_EQ(readFile(path("cells.txt")), readFile(path("blocks.VTK")));
    EXPECT_USAGE_ERROR(vornel({"export", "m.db", "-t", "A", "--format", "vtk"}),
                       "--format vtk: a VTK file is binary; name it with -o");
    EXPECT_USAGE_ERROR(vornel({"export", "m.db", "-t", "A", "--format", "xls", "-o", "a.xls"}),
                       "--format");
    // A tab in a name stays in the title, which it does not end.
    sqliteShell(path("m.db"),
                "UPDATE A SET Krig_ResType = 'x' || char(9) || 'y' WHERE "
                "Krig_BlockID = 1; UPDATE A SET Krig_ResType = 'x y' WHERE Krig_BlockID > 1;");
    ok({"export", "m.db", "-t", "A", "-o", "tab.vtk"});
    EXPECT_EQ(readVtk(path("tab.vtk")).title,
              "A (Cu); CATEGORY 1 x\ty, 2 x y; ORETYPE 1 Oxide, 2 Sulphide");

    // Void blocks: a cell for each sub-block of the ground they fill.
    importVoids();
    EXPECT_EQ(ok({"export", "m.db", "-t", "W", "--subblocks", "-o", "w.vtk"}),
              "Wrote 3 sub-block cells of W to w.vtk (VTK)\n  ORETYPE 1 drive, 2 stope\n");
    const VtkFile voids = readVtk(path("w.vtk"));
    EXPECT_EQ(cornersOf(voids, 2), hexahedron(15, 0, 10, 20, 5, 20));
    EXPECT_EQ(voids.columns.at("BLOCKID"), (std::vector<double>{1, 2, 2}));
    EXPECT_EQ(voids.columns.at("ORETYPE"), (std::vector<double>{2, 1, 1}));
    EXPECT_EQ(voids.columns.at("COEF"), (std::vector<double>{1, 0.75, 0.75}));
    EXPECT_EQ(voids.typeOf,
              (std::map<std::string, std::string>{
                  {"BLOCKID", "int"}, {"COEF", "double"}, {"ORETYPE", "int"}, {"BOUND", "int"}}));

    // A name with a space is encoded as the readers decode it.
    sqliteShell(path("m.db"),
                "UPDATE KrigBlock_Param SET Mine_Element = 'Cu eq.' "
                "WHERE Mine_Element = 'Cu';");
    ok({"export", "m.db", "-t", "A", "-o", "eq.vtk"});
    EXPECT_EQ(readVtk(path("eq.vtk")).columns.count("Cu%20eq."), 1u);
}

// The title is one line of at most 255 bytes, however many classes, cut
// before a whole character; the command still lists them all, and says
// that the title holds them in part. Here the
// 255th byte is the first of an "é", which a cut at 256 would keep whole.
TEST_F(ExportTest, AVtkTitleIsCutToOneLine) {
    ok({"demo", "d.db", "--blocks", "1000"});
    sqliteShell(path("d.db"),
                "UPDATE CU_DEMO SET Krig_ResType = 'Domain ' || (Krig_BlockID % 40) || 'é' || "
                "char(10);");
    const std::string out = ok({"export", "d.db", "-o", "d.vtk"});
    // The line break is a blank, which a key quotes at the end of a name.
    EXPECT_TRUE(contains(out, ", 40 \"Domain 39é \"\n")) << out;
    EXPECT_EQ(linesOf(out).back(),
              "  (the file's title holds these in part: a VTK title has at most 255 bytes)");
    const VtkFile f = readVtk(path("d.vtk"));
    EXPECT_EQ(f.title.size(), 255u) << f.title;
    const std::string start = "CU_DEMO (Cu); CATEGORY 1 \"Domain 0é \", 2 \"Domain 1é \", ";
    const std::string end = "Domain 12é \", 14 \"";
    EXPECT_EQ(f.title.substr(0, start.size()), start);
    EXPECT_EQ(f.title.substr(f.title.size() - end.size()), end);
    EXPECT_EQ(f.columns.at("CATEGORY").size(), f.types.size());
}

}  // namespace
}  // namespace vornel::test
