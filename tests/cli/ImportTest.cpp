// Block model files of the usual kinds imported and read back through
// export; expected values worked out by hand from the files.
#include <filesystem>

#include "CliFixture.h"
#include "support/Shell.h"

namespace vornel::test {
namespace {

class ImportTest : public CliTest {
protected:
    // Writes `text` to `file`, imports it into `db` with the options given
    // and returns the blocks of `table` as export writes them.
    CsvTable imported(const std::string& file, const std::string& text,
                      const std::vector<std::string>& options, const std::string& db = "m.db",
                      const std::string& table = "T") {
        write(file, text);
        std::vector<std::string> args = {"import", db, file};
        args.insert(args.end(), options.begin(), options.end());
        said = ok(args);
        ok({"export", db, "-t", table, "-o", "blocks.csv"});
        return readCsv(path("blocks.csv"));
    }

    // How many ore types and resource categories the run record counts.
    std::string kinds() {
        return sqliteShell(path("m.db"), "SELECT OreType_Num, OreClas_Num FROM KrigBlock_Param;");
    }

    std::string said;  // what the import printed
};

TEST_F(ImportTest, WholeBlocksFromACsvFileWithAHeader) {
    const CsvTable t = imported("in.csv",
                                "XC,YC,ZC,XINC,YINC,ZINC,Cu,Category\n"
                                "5,5,5,10,10,10,5e-400,Measured \xE6\x8E\xA2 \xF0\x9F\x92\x8E\n"
                                "15,5,5,10,10,10,1e-5000,Indiqu\xC3\xA9\n"
                                "5,15,25,10,10,10,2.25,Inferred (extended)\n",
                                {"--table", "T", "--element", "Cu"});
    ASSERT_EQ(t.rows.size(), 3u);
    EXPECT_EQ(t.at(2, "BLOCKID"), "3");
    EXPECT_EQ(t.at(2, "X"), "5");
    EXPECT_EQ(t.at(2, "Z"), "25");
    EXPECT_EQ(t.at(2, "DY"), "10");
    EXPECT_EQ(t.at(2, "Cu"), "2.25");
    EXPECT_EQ(t.at(0, "Cu"), "0");  // below the least double
    EXPECT_EQ(t.at(1, "Cu"), "0");  // and below the least long double
    EXPECT_EQ(t.at(2, "COEF"), "1");
    EXPECT_EQ(t.at(0, "CATEGORY"), "Measured \xE6\x8E\xA2 \xF0\x9F\x92\x8E");  // 3 and 4 bytes
    EXPECT_EQ(t.at(1, "CATEGORY"), "Indiqu\xC3\xA9");       // UTF-8 to the last byte
    EXPECT_EQ(t.at(2, "CATEGORY"), "Inferred (extended)");  // 19 bytes, the most kept
    EXPECT_EQ(t.at(0, "SUBBLOCKS"), "0");
    EXPECT_EQ(kinds(), "0|3\n");  // no ore type, three categories
    EXPECT_EQ(lineStarting(said, "note"), "");
    // Rows of two sizes, along any axis, with nothing to gather them:
    // sub-blocks, most likely.
    int made = 0;
    for (const char* second : {"25,5,5,20,10,10,2", "5,25,5,10,20,10,2", "15,5,2.5,10,10,5,2"}) {
        write("mixed.csv", std::string("X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,10,1\n") + second + "\n");
        const std::string table = "M" + std::to_string(++made);
        EXPECT_EQ(
            lineStarting(ok({"import", "n.db", "mixed.csv", "-t", table, "-e", "Cu"}), "note"),
            "  note           the rows have several sizes and nothing groups them, so each "
            "is a block; give --block-size to gather sub-blocks into their parent blocks")
            << second;
    }
}

// Without --block-size the parent is the box around its rows: here the
// lower half of the cell, 10x10x5, which the two rows (4x10x5 and 6x5x5)
// fill to 350/500. The run records the parent's size and the smallest
// sub-block along each axis, along X the first row's, along Y the second's.
TEST_F(ImportTest, WithoutABlockSizeTheParentIsTheBoxAroundItsRows) {
    const CsvTable t = imported("sub.csv",
                                "PARENT,X,Y,Z,DX,DY,DZ,CU\n"
                                "1,2,5,2.5,4,10,5,1.0\n"
                                "1,7,2.5,2.5,6,5,5,3.0\n",
                                {"-t", "T", "-e", "Cu"});
    ASSERT_EQ(t.rows.size(), 1u);
    EXPECT_EQ(t.at(0, "Z") + " " + t.at(0, "DZ"), "2.5 5");
    EXPECT_DOUBLE_EQ(t.number(0, "COEF"), 0.7);
    EXPECT_EQ(
        sqliteShell(path("m.db"),
                    "SELECT Grid_SizeX, Grid_SizeY, Grid_SizeZ, SubGrid_SizeX, SubGrid_SizeY, "
                    "SubGrid_SizeZ FROM KrigBlock_Param"),
        "10.0|10.0|5.0|4.0|5.0|5.0\n");
}

// A row whose parent id is empty is a block of its own. Blocks are numbered
// and stored in the order of their first rows, though parent 1's second
// sub-block comes after block 2.
TEST_F(ImportTest, ARowWithoutAParentIdIsABlockOfItsOwn) {
    const CsvTable t = imported("ids.csv",
                                "PID,X,Y,Z,DX,DY,DZ,CU\n"
                                "1,2.5,5,5,5,10,10,1\n"
                                ",15,5,5,10,10,10,7\n"
                                "1,7.5,5,5,5,10,10,3\n"
                                ",25,5,5,10,10,10,9\n",
                                {"-t", "T", "-e", "Cu"});
    ASSERT_EQ(t.rows.size(), 3u);
    EXPECT_EQ(t.at(0, "X") + " " + t.at(0, "SUBBLOCKS") + " " + t.at(0, "Cu"), "5 2 2");
    EXPECT_EQ(t.at(1, "X") + " " + t.at(1, "SUBBLOCKS") + " " + t.at(1, "Cu"), "15 0 7");
    EXPECT_EQ(t.at(2, "X") + " " + t.at(2, "SUBBLOCKS") + " " + t.at(2, "Cu"), "25 0 9");
    EXPECT_EQ(sqliteShell(path("m.db"), "SELECT Krig_BlockID FROM T ORDER BY rowid"), "1\n2\n3\n");
}

// No parent column: rows are grouped by the 10 m cell holding their centre.
// Cell 0 gets two 5 m cubes (125 m3 each, grades 2 and 4): coefficient
// 0.25, grade 3.
TEST_F(ImportTest, SubBlocksGroupedByTheirGridCell) {
    const CsvTable t = imported("cells.txt",
                                "# east north elev and sizes\n"
                                "EAST NORTH ELEV XSIZE YSIZE ZSIZE CU_PCT\n"
                                "2.5 2.5 2.5 5 5 5 2\n"
                                "15 5 5 10 10 10 1\n"
                                "7.5 2.5 2.5 5 5 5 4\n",
                                {"-t", "T", "-e", "Cu", "--block-size", "10,10,10"});
    EXPECT_NE(said.find("whitespace-separated"), std::string::npos) << said;
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_DOUBLE_EQ(t.number(0, "COEF"), 0.25);
    EXPECT_DOUBLE_EQ(t.number(0, "Cu"), 3);
    EXPECT_EQ(t.at(0, "SUBBLOCKS"), "2");
    EXPECT_EQ(t.at(1, "Cu"), "1");
    // Halves of 2700 t at 0.2 and 2.8 make 1.5, the double nearest their
    // exact mean, not the one below it, which a cut-off of 1.5 would leave
    // out.
    const CsvTable half = imported("halves.csv",
                                   "X,Y,Z,DX,DY,DZ,CU,TONNES\n2.5,5,5,5,10,10,0.2,2700\n"
                                   "7.5,5,5,5,10,10,2.8,2700\n",
                                   {"-t", "H", "-e", "Cu", "--block-size", "10"}, "m.db", "H");
    EXPECT_EQ(half.at(0, "Cu"), "1.5");
}

// The estimates of a kriging program on a grid of 3 x 2 x 2 cells of 10 x 10
// x 5 m from (1000, 2000, 300): the second row was not estimated (-999), so
// the 11 others are blocks 1 to 11, and the ninth row (cell 8: i 2, j 0,
// k 1) is block 8, centred at (1025, 2005, 307.5). The title's comma makes
// no CSV of it, and the variance's name has a blank in it.
TEST_F(ImportTest, GslibGridFileRowsFillTheCellsInOrder) {
    std::string rows;
    for (int cell = 0; cell < 12; ++cell) {
        rows += cell == 1 ? "-999 -999\n"
                          : std::to_string(cell) + ".5 0." + std::to_string(cell) + "\n";
    }
    const std::vector<std::string> options = {
        "-t",           "T",       "-e",       "Cu",           "--grade", "Estimate",
        "--block-size", "10,10,5", "--origin", "1000,2000,300"};
    for (const std::string counts : {"2 3 2 2", "2"}) {
        std::vector<std::string> given = options;
        if (counts == "2") {
            given.insert(given.end(), {"--grid", "3,2,2"});
        }
        std::string file = "KT3D ESTIMATES WITH: Cu, ordinary kriging\n" + counts;
        file += "\nEstimate\nEstimation Variance\n" + rows;
        const CsvTable t = imported("kt3d.out", file, given, counts == "2" ? "given.db" : "m.db");
        SCOPED_TRACE(counts);
        EXPECT_NE(said.find("(GSLIB file \"KT3D ESTIMATES WITH: Cu, ordinary kriging\", rows "
                            "filling a 3 x 2 x 2 grid in order)"),
                  std::string::npos)
            << said;
        EXPECT_EQ(lineStarting(said, "rows"),
                  "  rows           12 (1 whose grade is -999, blocks not estimated, left out)");
        ASSERT_EQ(t.rows.size(), 11u);
        EXPECT_EQ(t.at(0, "X") + " " + t.at(0, "Y") + " " + t.at(0, "Z") + " " + t.at(0, "Cu"),
                  "1005 2005 302.5 0.5");
        EXPECT_EQ(t.at(7, "BLOCKID") + " " + t.at(7, "X") + " " + t.at(7, "Y") + " " +
                      t.at(7, "Z") + " " + t.at(7, "DZ") + " " + t.at(7, "Cu") + " " +
                      t.at(7, "VARIANCE"),
                  "8 1025 2005 307.5 5 8.5 0.8");
        EXPECT_EQ(t.at(10, "X") + " " + t.at(10, "Y") + " " + t.at(10, "Z"), "1025 2015 307.5");
    }
    // --grid may say again what the header says, but not otherwise.
    std::vector<std::string> other = {"import", "other.db", "kt3d.out"};
    other.insert(other.end(), options.begin(), options.end());
    write("kt3d.out", "KT3D\n2 3 2 2\nEstimate\nEstimation Variance\n" + rows);
    other.insert(other.end(), {"--grid", "3,2,2"});
    EXPECT_EQ(lineStarting(ok(other), "note"), "");
    // Without --origin the rows, which hold no places, start at 0,0,0.
    EXPECT_EQ(lineStarting(ok({"import", "zero.db", "kt3d.out", "-t", "T", "-e", "Cu", "--grade",
                               "Estimate", "--block-size", "10"}),
                           "note"),
              "  note           the grid's first cell starts at 0,0,0, as no --origin gave its "
              "lower corner");
    other[1] = "else.db";
    other.back() = "2,3,2";
    EXPECT_FAILS_WITH(vornel(other),
                      "kt3d.out: --grid gives 2 x 3 x 2 cells, the file's header "
                      "3 x 2 x 2");
    EXPECT_FALSE(fileExists(path("else.db")));
    // Written as a grid again, each estimate comes back to its cell.
    ok({"export", "m.db", "-t", "T", "--grid", "-o", "again.gslib"});
    const std::vector<std::string> again = linesOf(readFile(path("again.gslib")));
    ASSERT_EQ(again.size(), 22u + 12u);
    EXPECT_EQ(again[1], "20 3 2 2");
    for (size_t cell = 0; cell < 12; ++cell) {
        EXPECT_EQ(wordsOf(again[22 + cell]).at(9),
                  cell == 1 ? "-999" : std::to_string(cell) + ".5");
    }
}

// The GSLIB header's cells place only rows that have no positions; the
// missing value is any file's choice.
TEST_F(ImportTest, GslibPointsKeepTheirPositionsAndAnyFileMayMarkMissingGrades) {
    CsvTable t = imported("points.dat", "samples\n4 9 9 9\nX\nY\nZ\nCu\n5 5 5 1\n15 5 5 2\n",
                          {"-t", "T", "-e", "Cu", "--block-size", "10"});
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(t.at(1, "X") + " " + t.at(1, "Cu"), "15 2");
    t = imported("holes.csv", "X,Y,Z,CU\n5,5,5,1\n15,5,5,-1\n25,5,5,-999\n",
                 {"-t", "T", "-e", "Cu", "--block-size", "10", "--missing", "-1"}, "holes.db");
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(t.at(1, "X") + " " + t.at(1, "Cu"), "25 -999");
    // A table whose second row could be a count line: its third is data.
    t = imported("table.txt", "X Y Z CU\n1 2 3 4\n2 2 3 5\n",
                 {"-t", "T", "-e", "Cu", "--block-size", "10", "--origin", "0,0,0"}, "table.db");
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(t.at(1, "X") + " " + t.at(1, "Cu"), "25 5");
}

// A split block is classed as its largest sub-block, the first of them: a
// 5 m cube comes before the two sub-blocks twice its size.
TEST_F(ImportTest, ASplitBlockIsClassedAsItsLargestSubBlock) {
    const CsvTable t = imported("classes.csv",
                                "X,Y,Z,DX,DY,DZ,CU,CATEGORY,ORETYPE,NSAMP,AVGDIST,PASS\n"
                                "2.5,2.5,2.5,5,5,5,1,Inferred,Oxide,4,90,3\n"
                                "7.5,5,2.5,5,10,5,2,Measured,Sulphide,20,25,1\n"
                                "7.5,5,7.5,5,10,5,3,Indicated,Oxide,10,50,2\n",
                                {"-t", "T", "-e", "Cu", "--block-size", "10"});
    ASSERT_EQ(t.rows.size(), 1u);
    EXPECT_EQ(t.at(0, "CATEGORY") + " " + t.at(0, "ORETYPE") + " " + t.at(0, "NSAMP") + " " +
                  t.at(0, "AVGDIST") + " " + t.at(0, "PASS"),
              "Measured Sulphide 20 25 1");
}

// Grid indices from a corner at (100, 200, 300) with 20 m blocks: index
// (1, 0, 2) is the block centred at (130, 210, 350).
TEST_F(ImportTest, GridIndicesWithAnOriginAndNoHeader) {
    const CsvTable t = imported("grid.txt", "0 0 0 0.25\n1 0 2 0.75\n",
                                {"-t", "T", "-e", "Au", "--columns", "I,J,K,AU", "--block-size",
                                 "20", "--origin", "100,200,300", "--unit", "g/t"});
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(t.header[9], "Au_gpt");
    EXPECT_EQ(t.at(1, "X") + " " + t.at(1, "Y") + " " + t.at(1, "Z"), "130 210 350");
    EXPECT_EQ(t.at(1, "DX"), "20");
    EXPECT_EQ(t.at(1, "Au_gpt"), "0.75");
    EXPECT_NE(ok({"info", "m.db"}).find("element Au (g/t)"), std::string::npos);
    // The unit at the end of a grade column's name, as export writes it or
    // after a blank, is the unit without --unit.
    ok({"import", "n.db", "blocks.csv", "-t", "T", "-e", "Au"});
    write("spaced.csv", "X;Y;Z;DX;DY;DZ;Au g/t\n5;5;5;10;10;10;2\n");
    EXPECT_EQ(lineStarting(ok({"import", "n.db", "spaced.csv", "-t", "S", "-e", "Au"}), "run"),
              "  run            2, table S, element Au (g/t)");
    write("bracket.csv", "X;Y;Z;DX;DY;DZ;Au [ppm]\n5;5;5;10;10;10;2\n");
    ok({"import", "n.db", "bracket.csv", "-t", "B", "-e", "Au"});
    const std::string info = ok({"info", "n.db"});
    EXPECT_NE(info.find("table T, element Au (g/t)"), std::string::npos) << info;
    EXPECT_NE(info.find("table S, element Au (g/t)"), std::string::npos) << info;
    EXPECT_NE(info.find("table B, element Au (ppm)"), std::string::npos) << info;
    // A unit this command does not know is no unit: it says so.
    write("ppb.csv", "X,Y,Z,DX,DY,DZ,Au_ppb\n5,5,5,10,10,10,2\n");
    EXPECT_EQ(lineStarting(ok({"import", "n.db", "ppb.csv", "-t", "PPB", "-e", "Au"}), "run"),
              "  run            4, table PPB, element Au (%, as no unit was given: --unit if "
              "'Au_ppb' holds another)");
    // So is a column named only by its element.
    write("bare.csv", "X,Y,Z,DX,DY,DZ,AU\n5,5,5,10,10,10,2\n");
    EXPECT_EQ(lineStarting(ok({"import", "n.db", "bare.csv", "-t", "BARE", "-e", "Au"}), "run"),
              "  run            5, table BARE, element Au (%, as no unit was given: --unit if "
              "'AU' holds another)");
    // A per cent sign needs no blank before it.
    write("pc.csv", "X,Y,Z,DX,DY,DZ,Cu%\n5,5,5,10,10,10,2\n");
    EXPECT_EQ(lineStarting(ok({"import", "n.db", "pc.csv", "-t", "PC", "-e", "Cu"}), "run"),
              "  run            6, table PC, element Cu (%)");
    // A grade below 0 is most often a mark for no estimate: said, not dropped.
    write("missing.csv", "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,10,-99\n15,5,5,10,10,10,1\n");
    EXPECT_EQ(lineStarting(ok({"import", "d.db", "missing.csv", "-t", "M", "-e", "Cu"}), "note"),
              "  note           1 block has a negative grade (down to -99), as some programs "
              "write for a block not estimated; such grades count in reports and drawings");
    // Kriging's negative weights can put every estimate there.
    write("below.csv",
          "X,Y,Z,DX,DY,DZ,CU,VAR\n5,5,5,10,10,10,-0.02,0.5\n15,5,5,10,10,10,-0.01,0\n");
    const std::string below = ok({"import", "d.db", "below.csv", "-t", "B", "-e", "Cu"});
    EXPECT_EQ(lineStarting(below, "Cu"), "  Cu             -0.02 .. -0.01 %");
    EXPECT_EQ(lineStarting(below, "variance"), "  variance       0 .. 0.5");
    // --density gives way to the file's own tonnes, and says so.
    write("tonnes.csv", "X,Y,Z,DX,DY,DZ,CU,TONNES\n5,5,5,10,10,10,1.5,2700\n");
    EXPECT_EQ(
        lineStarting(ok({"import", "d.db", "tonnes.csv", "-t", "T", "-e", "Cu", "--density", "3"}),
                     "note"),
        "  note           --density was not used: the file's TONNAGE or DENSITY column gives "
        "the tonnes");
    // Otherwise it weighs each block: 10 x 10 x 10 m at 2.5 t/m3 is 2500 t.
    EXPECT_EQ(imported("dense.csv", "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,10,1\n",
                       {"-t", "D", "-e", "Cu", "--density", "2.5"}, "d.db", "D")
                  .at(0, "TONNAGE"),
              "2500");
    // An element named like a column export writes keeps its grades.
    write("vol.csv", "X,Y,Z,DX,DY,DZ,G\n5,5,5,10,10,10,2.5\n");
    ok({"import", "v.db", "vol.csv", "-t", "V", "-e", "VOLUME", "--grade", "G", "--unit", "g/t"});
    ok({"export", "v.db", "-t", "V", "-o", "v.csv"});
    ok({"import", "v.db", "v.csv", "-t", "AGAIN", "-e", "VOLUME"});
    EXPECT_EQ(readCsv(path("v.csv")).at(0, "VOLUME_GRADE_gpt"), "2.5");
    ok({"export", "v.db", "-t", "AGAIN", "-o", "again.csv"});
    EXPECT_EQ(readCsv(path("again.csv")).at(0, "VOLUME_GRADE_gpt"), "2.5");
    // An element whose name ends in a unit keeps its own unit.
    write("ppm.csv", "X,Y,Z,DX,DY,DZ,Au_ppm\n5,5,5,10,10,10,2\n");
    ok({"import", "p.db", "ppm.csv", "-t", "P", "-e", "Au_ppm", "--unit", "%"});
    ok({"export", "p.db", "-t", "P", "-o", "p.csv"});
    EXPECT_EQ(readCsv(path("p.csv")).header.at(9), "Au_ppm_pct");
    ok({"import", "p.db", "p.csv", "-t", "AGAIN", "-e", "Au_ppm"});
    EXPECT_NE(ok({"info", "p.db"}).find("table AGAIN, element Au_ppm (%)"), std::string::npos);
    // Beside an index column, centres are centres, in the grid --origin sets;
    // here below sea level.
    const CsvTable centred = imported(
        "ijk.csv", "IJK,XC,YC,ZC,AU\n0,4297.5,7495,-185,1.5\n1,4307.5,7495,-185,0.5\n",
        {"-t", "C", "-e", "Au", "--block-size", "10", "--origin", "4292.5,7490,-190"}, "c.db", "C");
    ASSERT_EQ(centred.rows.size(), 2u);
    EXPECT_EQ(centred.at(1, "X") + " " + centred.at(1, "Y") + " " + centred.at(1, "Z"),
              "4307.5 7495 -185");
    EXPECT_EQ(lineStarting(ok({"info", "c.db"}), "grid"),
              "  grid           2 x 1 x 1 blocks of 10 x 10 x 10 from (4292.5, 7490, -190) to "
              "(4312.5, 7500, -180)");
    // Sub-blocks named by their parent's indices: the parent is that grid
    // cell (x 10..20), which they fill a quarter of, not the box they span.
    const CsvTable split = imported(
        "split.csv",
        "I,J,K,X,Y,Z,DX,DY,DZ,CU\n1,0,0,12.5,2.5,2.5,5,5,5,1\n1,0,0,17.5,2.5,2.5,5,5,5,3\n",
        {"-t", "S", "-e", "Cu", "--block-size", "10"}, "m.db", "S");
    ASSERT_EQ(split.rows.size(), 1u);
    EXPECT_EQ(split.at(0, "X") + " " + split.at(0, "Y") + " " + split.at(0, "Z") + " " +
                  split.at(0, "DY") + " " + split.at(0, "COEF"),
              "15 5 5 10 0.25");
    // Without a grid the parent spans its sub-blocks: three of 125 m³ in 10 x 10 x 5 m.
    const CsvTable spanned = imported("span.csv",
                                      "I,J,K,X,Y,Z,DX,DY,DZ,CU\n1,0,0,12.5,2.5,2.5,5,5,5,1\n"
                                      "1,0,0,17.5,2.5,2.5,5,5,5,3\n1,0,0,12.5,7.5,2.5,5,5,5,1\n",
                                      {"-t", "S", "-e", "Cu"}, "span.db", "S");
    ASSERT_EQ(spanned.rows.size(), 1u);
    EXPECT_EQ(spanned.at(0, "X") + " " + spanned.at(0, "DX") + " " + spanned.at(0, "DY") + " " +
                  spanned.at(0, "DZ") + " " + spanned.at(0, "SUBBLOCKS") + " " +
                  spanned.at(0, "COEF"),
              "15 10 10 5 3 0.75");
}

// 6.25 m blocks whose centres are rounded to the centimetre run up to 1 cm
// into each other or stand 1 cm apart: a grid all the same.
TEST_F(ImportTest, BlocksRoundedToTheCentimetreAreNoOverlap) {
    const CsvTable t = imported("cm.csv",
                                "X,Y,Z,DX,DY,DZ,CU\n"
                                "3.12,3.12,3.12,6.25,6.25,6.25,1\n"
                                "9.38,3.12,3.12,6.25,6.25,6.25,2\n"
                                "15.62,3.12,3.12,6.25,6.25,6.25,3\n"
                                "21.88,3.12,3.12,6.25,6.25,6.25,4\n"
                                "3.12,3.12,9.38,6.25,6.25,6.25,5\n"
                                "3.12,3.12,15.62,6.25,6.25,6.25,6\n",
                                {"-t", "T", "-e", "Cu"});
    EXPECT_EQ(t.rows.size(), 6u);  // the last two overlap by 1 cm, one above the other
    // Nor does a sub-block stand out of its parent when both are rounded.
    const CsvTable split =
        imported("sub.csv",
                 "IJK,PX,PY,PZ,PDX,PDY,PDZ,X,Y,Z,DX,DY,DZ,CU\n"
                 "1,3.12,3.12,3.12,6.25,6.25,6.25,1.56,3.12,3.12,3.125,6.25,6.25,1\n"
                 "1,3.12,3.12,3.12,6.25,6.25,6.25,4.69,3.12,3.12,3.125,6.25,6.25,2\n",
                 {"-t", "S", "-e", "Cu"}, "m.db", "S");
    ASSERT_EQ(split.rows.size(), 1u);
    EXPECT_EQ(split.at(0, "SUBBLOCKS"), "2");
}

// An IJK column names the parent; the PARENT_* columns give its box, here
// the 10 m cell centred at (15, 5, 5) of which the one row fills 5x5x10.
TEST_F(ImportTest, ParentBoxFromItsOwnColumns) {
    const CsvTable t = imported("p.csv",
                                "IJK,PX,PY,PZ,PDX,PDY,PDZ,X,Y,Z,DX,DY,DZ,CU\n"
                                "1,15,5,5,10,10,10,12.5,2.5,5,5,5,10,2\n"
                                "0,5,5,5,10,10,10,5,5,5,10,10,10,1\n",
                                {"-t", "T", "-e", "Cu"});
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(t.at(0, "X") + " " + t.at(0, "DX"), "15 10");
    EXPECT_EQ(t.at(0, "COEF"), "0.25");
    EXPECT_EQ(t.at(0, "SUBBLOCKS"), "1");
    EXPECT_EQ(t.at(1, "SUBBLOCKS"), "0");
    // Without an id, rows of one PARENT_* box share it, whatever their
    // sizes: a quarter at 2 % and an eighth at 8 %, 4 % over the 375 m3.
    const CsvTable boxed = imported("box.csv",
                                    "PX,PY,PZ,PDX,PDY,PDZ,X,Y,Z,DX,DY,DZ,CU\n"
                                    "15,5,5,10,10,10,12.5,2.5,5,5,5,10,2\n"
                                    "15,5,5,10,10,10,17.5,7.5,7.5,5,5,5,8\n",
                                    {"-t", "B", "-e", "Cu"}, "m.db", "B");
    ASSERT_EQ(boxed.rows.size(), 1u);
    EXPECT_EQ(boxed.at(0, "SUBBLOCKS") + " " + boxed.at(0, "COEF") + " " + boxed.at(0, "Cu"),
              "2 0.375 4");
    EXPECT_FALSE(contains(said, "nothing groups them")) << said;
    // Rows of unlike density keep their metal: 1,000 t at 0.1 % and 1,700 t
    // at 3 % make 2,700 t at 5,200 / 2,700 %, where their volumes give 1.55.
    const CsvTable dense = imported(
        "dense.csv", "X,Y,Z,DX,DY,DZ,CU,DENSITY\n2.5,5,5,5,10,10,0.1,2.0\n7.5,5,5,5,10,10,3,3.4\n",
        {"-t", "D", "-e", "Cu", "--block-size", "10"}, "m.db", "D");
    ASSERT_EQ(dense.rows.size(), 1u);
    EXPECT_EQ(dense.at(0, "TONNAGE"), "2700");
    EXPECT_NEAR(std::stod(dense.at(0, "Cu")), 5200.0 / 2700.0, 1e-12);
}

// A row that is a block keeps its sizes as written, and its coefficient
// takes its share of the tonnes: 10 x 10 x 10 x 0.5 x 2.0 = 1000. A block
// of air weighs nothing.
TEST_F(ImportTest, AWholeBlockKeepsItsSizesAndItsCoefficientCountsInItsTonnes) {
    const CsvTable t = imported("w.csv",
                                "X,Y,Z,DX,DY,DZ,CU,COEF,DENSITY,BOUND\n"
                                "5,5,5,12.3,12.3,7.1,1,1,2,0\n"
                                "25,5,5,10,10,10,1.5,0.5,2,-1\n"
                                "35,5,5,10,10,10,0,1,0,1\n",
                                {"-t", "T", "-e", "Cu"});
    ASSERT_EQ(t.rows.size(), 3u);
    // Yes written as -1, as some tools write it, is yes.
    EXPECT_EQ(t.at(0, "BOUND") + t.at(1, "BOUND") + t.at(2, "BOUND"), "011");
    EXPECT_EQ(t.at(0, "DX") + " " + t.at(0, "DY") + " " + t.at(0, "DZ"), "12.3 12.3 7.1");
    EXPECT_EQ(t.at(1, "VOLUME") + " " + t.at(1, "TONNAGE"), "500 1000");
    EXPECT_EQ(t.at(2, "VOLUME") + " " + t.at(2, "TONNAGE"), "1000 0");
    // Nor does a --block-size cell move it: the cell from 0.3 to 0.6 is
    // centred at 1.5 x 0.3, a double below the 0.45 written.
    imported("c.csv", "X,Y,Z,DX,DY,DZ,CU\n0.15,0.15,0.45,0.3,0.3,0.3,1\n",
             {"-t", "C", "-e", "Cu", "--block-size", "0.3"}, "m.db", "C");
    EXPECT_EQ(sqliteShell(path("m.db"), "SELECT Krig_PntLocZ = 0.45, Krig_PntLocX = 0.15 FROM C"),
              "1|1\n");
}

// The catalog keeps 253 bytes of a description; one made from a long file
// name is cut before a whole character, not through one.
TEST_F(ImportTest, ADescriptionIsCutBetweenCharacters) {
    const std::string name = std::string(236, 'a') + "\xC3\xA9\xC3\xA9.csv";
    imported(name, "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,10,1\n", {"-t", "T", "-e", "Cu"});
    // "imported from " is 14 bytes; 14 + 236 + 2 = 252, and the second é
    // would end at byte 254.
    EXPECT_EQ(sqliteShell(path("m.db"), "SELECT Krig_Result_Name FROM KrigBlock_Param;"),
              "imported from " + std::string(236, 'a') + "\xC3\xA9\n");
}

// Windows ends its lines with CR LF, and starts a spreadsheet's "CSV UTF-8"
// with a byte-order mark; spreadsheets on old Macintoshes end them with a
// lone CR. Either way a line is a row, and its number is counted as such.
TEST_F(ImportTest, QuotedFieldsAndWindowsOrMacintoshLineEnds) {
    for (const std::string end : {"\r\n", "\r"}) {
        SCOPED_TRACE(end == "\r" ? "CR" : "CR LF");
        std::filesystem::remove(path("m.db"));
        // The lines given, each ended with `end`.
        const auto ended = [&end](std::initializer_list<const char*> lines) {
            std::string text = end == "\r\n" ? "\xEF\xBB\xBF" : "";
            for (const char* line : lines) {
                text.append(line).append(end);
            }
            return text;
        };
        const CsvTable t =
            imported("q.csv",
                     ended({"\"X\",\"Y\",\"Z\",\"DX\",\"DY\",\"DZ\",\"Cu\",\"Ore type\"",
                            "5,5,5,10,10,10,1.25,\"Oxide, \"\"soft\"\"\"", "",
                            "15,5,5,10,10,10,0.5,\"\tSulphide\""}),
                     {"-t", "T", "-e", "Cu"});
        ASSERT_EQ(t.rows.size(), 2u);
        EXPECT_EQ(kinds(), "2|0\n");
        EXPECT_EQ(t.at(0, "Cu"), "1.25");
        // A blank at a quoted text's edge is kept, and so quoted again.
        EXPECT_EQ(t.at(1, "Cu") + " " + t.at(1, "ORETYPE"), "0.5 \"\tSulphide\"");
        EXPECT_NE(readFile(path("blocks.csv")).find(",\"Oxide, \"\"soft\"\"\""), std::string::npos);

        write("bad.csv",
              ended({"X,Y,Z,DX,DY,DZ,Cu", "5,5,5,10,10,10,1", "", "15,5,5,10,10,10,rich"}));
        EXPECT_FAILS_WITH(vornel({"import", "bad.db", "bad.csv", "-t", "T", "-e", "Cu"}),
                          "bad.csv:4:");
    }
}

// A spreadsheet set to decimal commas separates its fields with semicolons.
TEST_F(ImportTest, SemicolonsBetweenFields) {
    const CsvTable t = imported("s.csv",
                                "X;Y;Z;DX;DY;DZ;Cu;Ore type\n"
                                "5;5;5;10;10; 10 ;1.25;\"Oxide; soft\"\n"
                                ";;;;;;;\n;;;;;;;\n",  // left by a spreadsheet
                                {"-t", "T", "-e", "Cu"});
    EXPECT_NE(said.find("(semicolon-separated)"), std::string::npos) << said;
    EXPECT_EQ(t.at(0, "Cu") + " " + t.at(0, "DZ"), "1.25 10");  // blanks around a value dropped
    EXPECT_EQ(t.at(0, "ORETYPE"), "Oxide; soft");
    // As a spreadsheet set to a decimal comma saves it, or a program that
    // quotes every field; a text keeps its comma, and a number that has a
    // point as well is no number.
    const CsvTable comma = imported("c.csv",
                                    "X;Y;Z;DX;DY;DZ;Cu;Ore type\r\n"
                                    "502,5;7001,5;-102,5;5;5;5;0,75;2,5 m\r\n"
                                    "\"507,5\";7001,5;-102,5;5;5;5;\"1,5E-1\";\"3,1\"\r\n",
                                    {"-t", "C", "-e", "Cu"}, "m.db", "C");
    EXPECT_EQ(comma.at(0, "X") + " " + comma.at(0, "Z") + " " + comma.at(0, "Cu") + " " +
                  comma.at(1, "Cu"),
              "502.5 -102.5 0.75 0.15");
    // Nor does a text that reads as a number with a decimal comma.
    EXPECT_EQ(sqliteShell(path("m.db"), "SELECT Krig_OreType FROM C ORDER BY Krig_BlockID"),
              "2,5 m\n3,1\n");
    // Block ids are texts: 1,5 and 1.5 are two blocks, quoted or not.
    write("ids.csv",
          "BLOCKID;X;Y;Z;DX;DY;DZ;CU\n1,5;5;5;5;10;10;10;1\n\"1.5\";15;5;5;10;10;10;3\n"
          "\"2,5\";25;5;5;10;10;10;5\n2.5;35;5;5;10;10;10;7\n");
    ok({"import", "m.db", "ids.csv", "-t", "I", "-e", "Cu"});
    EXPECT_EQ(sqliteShell(path("m.db"), "SELECT Krig_OutAttr FROM I ORDER BY Krig_PntLocX"),
              "1.0\n3.0\n5.0\n7.0\n");
    write("p.csv", "X;Y;Z;Cu\n1.234,5;5;5;1\n");
    EXPECT_FAILS_WITH(
        vornel({"import", "p.db", "p.csv", "-t", "P", "-e", "Cu", "--block-size", "10"}),
        "p.csv:2:1: expected a number in column 'X', found '1.234,5'");
    // A thousands separator alone, 2.700 t, reads as a decimal point: in a
    // file whose other numbers have decimal commas, it is refused.
    write("k.csv",
          "X;Y;Z;DX;DY;DZ;CU;TONNAGE\n5;5;5;10;10;10;0,85;2700\n"
          "15;5;5;10;10;10;1,20;2.650\n");
    EXPECT_FAILS_WITH(vornel({"import", "k.db", "k.csv", "-t", "K", "-e", "Cu"}),
                      "k.csv:3:22: the file writes numbers with a decimal comma ('0,85' at "
                      "k.csv:2:16) and with a point ('2.650' at k.csv:3:22)");
    EXPECT_FALSE(fileExists(path("k.db")));
}

// A spreadsheet saved as text puts one tab between fields, which may be
// empty or hold blanks.
TEST_F(ImportTest, TabsBetweenFields) {
    const CsvTable t = imported("t.tsv",
                                "X\tY\tZ\tCu %\tCATEGORY\n"
                                "5\t5\t5\t1.5\t\n"
                                "15\t5\t5\t0.5\tMeasured A\n",
                                {"-t", "T", "-e", "Cu", "--block-size", "10"});
    EXPECT_NE(said.find("(tab-separated)"), std::string::npos) << said;
    EXPECT_EQ(t.at(0, "CATEGORY") + "|" + t.at(1, "CATEGORY"), "|Measured A");
    EXPECT_EQ(t.at(1, "Cu"), "0.5");
    // Rows lined up with blanks under a tab-separated header.
    write("lined.txt", "X\tY\tZ\tCU\n5   5   5   1.5\n15  5   5   0.5\n");
    ok({"import", "l.db", "lined.txt", "-t", "L", "-e", "Cu", "--block-size", "10"});
    // Runs of tabs line columns up: they separate no empty fields.
    const CsvTable runs = imported("runs.txt", "X\t\tY\t\tZ\t\tCU\n5\t\t5\t\t5\t\t1.5\n",
                                   {"-t", "R", "-e", "Cu", "--block-size", "10"}, "r.db", "R");
    EXPECT_NE(said.find("(whitespace-separated)"), std::string::npos) << said;
    EXPECT_EQ(runs.at(0, "Cu"), "1.5");
    // A data frame's index column has no name: its header begins with a
    // tab, and its rows' last field (no category) is empty.
    const CsvTable frame =
        imported("frame.tsv", "\tX\tY\tZ\tCU\tCLASS\n0\t5\t5\t5\t1.5\t\n1\t15\t5\t5\t2.5\t\n",
                 {"-t", "F", "-e", "Cu", "--block-size", "10"}, "f.db", "F");
    EXPECT_NE(said.find("(tab-separated)"), std::string::npos) << said;
    EXPECT_EQ(frame.at(1, "X") + " " + frame.at(1, "Cu") + " " + frame.at(1, "CATEGORY") + ".",
              "15 2.5 .");
    // A tab that ends a header, or leads rows of numbers, lines them up.
    const CsvTable trailing = imported("trail.txt", "X\tY\tZ\tCU\t\n5\t5\t5\t1.2\n",
                                       {"-t", "T", "-e", "Cu", "--block-size", "10"}, "t1.db");
    EXPECT_EQ(trailing.at(0, "Cu"), "1.2");
    const CsvTable indented =
        imported("indent.txt", "\t5\t5\t5\t1.2\n\t15\t5\t5\t0.8\n",
                 {"-t", "T", "-e", "Cu", "--block-size", "10", "--columns", "X,Y,Z,CU"}, "t2.db");
    EXPECT_EQ(indented.at(1, "X") + " " + indented.at(1, "Cu"), "15 0.8");
}

// Potassium's column is called K, as a grid index would be: named with
// --grade, it is the grade.
TEST_F(ImportTest, AGradeColumnNamedLikeAnIndex) {
    const CsvTable t = imported("k.csv", "X,Y,Z,DX,DY,DZ,K\n5,5,5,10,10,10,2.5\n",
                                {"-t", "T", "-e", "K", "--grade", "K"});
    EXPECT_EQ(t.at(0, "K_GRADE"), "2.5");
    EXPECT_EQ(t.at(0, "X") + " " + t.at(0, "DX"), "5 10");
    // Without --grade the column is the K index, and import says so; the
    // export's name for the grade needs no --grade.
    EXPECT_FAILS_WITH(vornel({"import", "n.db", "k.csv", "-t", "T", "-e", "K"}),
                      "k.csv:1: column 'K' is read as the K index; if it holds the K grade, "
                      "choose it with --grade K");
    ok({"import", "n.db", "blocks.csv", "-t", "T", "-e", "K"});
    EXPECT_EQ(ok({"export", "n.db", "-t", "T"}), readFile(path("blocks.csv")));
}

// A column of another meaning that shares a name with one import reads (K
// for potassium beside the copper grade; ZONE beside ROCK, both ore types)
// is left unread with --ignore, as if it were not there.
TEST_F(ImportTest, ColumnsLeftUnread) {
    write("k2.csv", "X,Y,Z,DX,DY,DZ,CU,K,ROCK,ZONE\n5,5,5,10,10,10,1.5,0.3,Oxide,North\n");
    EXPECT_FAILS_WITH(vornel({"import", "n.db", "k2.csv", "-t", "T", "-e", "Cu"}),
                      "columns 'ROCK' and 'ZONE' both look like the ore type column; rename one of "
                      "them, or leave one unread with --ignore");
    EXPECT_FAILS_WITH(
        vornel({"import", "n.db", "k2.csv", "-t", "T", "-e", "Cu", "--ignore", "zone"}),
        "k2.csv:1: some of the columns I, J and K are missing (if K holds something "
        "else, leave it unread with --ignore K)");
    const CsvTable t =
        imported("k2.csv", readFile(path("k2.csv")), {"-t", "T", "-e", "Cu", "--ignore", "K,zone"});
    EXPECT_EQ(t.at(0, "Cu") + " " + t.at(0, "ORETYPE"), "1.5 Oxide");
    EXPECT_EQ(lineStarting(said, "rows"), "  rows           1 (ignored columns: K, ZONE)");
    EXPECT_FAILS_WITH(vornel({"import", "o.db", "k2.csv", "-t", "T", "-e", "Cu", "--ignore", "NA"}),
                      "k2.csv:1: --ignore 'NA' names no column");
    // Names alike to import, as --ignore takes them: only renaming helps.
    write("zz.csv", "X,Y,Z,CU,zone,ZONE\n5,5,5,1.2,1,A\n");
    const CliResult alike =
        vornel({"import", "o.db", "zz.csv", "-t", "T", "-e", "Cu", "--block-size", "10"});
    EXPECT_TRUE(contains(alike.err, "both look like the ore type column; rename one of them\n"))
        << alike.err;
    EXPECT_FALSE(fileExists(path("o.db")));
}

// The library numbers the void blocks of each of its calls afresh: however
// many a file holds, each gets an identifier of its own.
TEST_F(ImportTest, EveryVoidBlockOfALargeFileHasItsOwnIdentifier) {
    std::string rows = "X,Y,Z,DX,DY,DZ\n";
    for (int i = 0; i < 5000; ++i) {
        rows += std::to_string(10 * i + 5) + ",5,5,10,10,10\n";
    }
    write("many.csv", rows);
    ok({"import", "m.db", "many.csv", "-t", "W", "--voids"});
    EXPECT_EQ(sqliteShell(path("m.db"),
                          "SELECT COUNT(DISTINCT Krig_BlockID), MIN(Krig_BlockID), "
                          "MAX(Krig_BlockID) FROM W;"),
              "5000|1|5000\n");
}

// A link prepared for a database not made yet: the database is made where
// it points, and the link stays to reach it.
// A check reads the file and tells what an import would store, counted by
// hand: the same lines, but for the run's number and the time, and nothing
// written.
TEST_F(ImportTest, ACheckTellsWhatTheImportWouldStoreAndWritesNothing) {
    write("split.csv",
          "PARENT,X,Y,Z,DX,DY,DZ,CU,CATEGORY\n"
          "1,5,5,5,10,10,10,0.5,Inferred\n"
          "2,12.5,5,5,5,10,10,1,Measured\n"
          "2,17.5,5,5,5,10,10,3,Measured\n");
    const auto unlessTimed = [](const std::string& said) {
        std::vector<std::string> lines;
        for (const std::string& line : linesOf(said)) {
            if (line.rfind("  took", 0) != 0 && line.rfind("  run", 0) != 0) {
                lines.push_back(line);
            }
        }
        return lines;
    };
    const std::string checked =
        ok({"import", "m.db", "split.csv", "-t", "T", "-e", "Cu", "--check"});
    EXPECT_FALSE(fileExists(path("m.db")));
    const std::vector<std::string> told = unlessTimed(checked);
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told[0], "Checked split.csv (comma-separated): nothing was written to m.db");
    EXPECT_EQ(lineStarting(checked, "run"),
              "  run            new, table T, element Cu (%, as no unit was given: --unit if 'CU' "
              "holds another)");
    EXPECT_EQ(lineStarting(checked, "blocks"),
              "  blocks         2 (1 whole, 1 split into 2 sub-blocks)");
    // Block 2's two halves at 1 and 3 make a grade of 2.
    EXPECT_EQ(lineStarting(checked, "Cu"), "  Cu             0.5 .. 2 %");
    EXPECT_EQ(lineStarting(checked, "categories"), "  categories     Measured 1, Inferred 1");
    EXPECT_EQ(lineStarting(checked, "extent"), "  extent         X 0 .. 20, Y 0 .. 10, Z 0 .. 10");
    const std::vector<std::string> imported =
        unlessTimed(ok({"import", "m.db", "split.csv", "-t", "T", "-e", "Cu"}));
    ASSERT_EQ(imported.size(), told.size());
    EXPECT_EQ(imported[0], "Imported split.csv (comma-separated) into m.db");
    EXPECT_EQ(std::vector<std::string>(imported.begin() + 1, imported.end()),
              std::vector<std::string>(told.begin() + 1, told.end()));
    // Into a database that exists, the check changes not a byte of it, and
    // refuses what the import would.
    const std::string before = readFile(path("m.db"));
    ok({"import", "m.db", "split.csv", "-t", "U", "-e", "Cu", "--check"});
    EXPECT_FAILS_WITH(vornel({"import", "m.db", "split.csv", "-t", "T", "-e", "Cu", "--check"}),
                      "m.db: a table named 'T' exists already; import into a new table");
    EXPECT_EQ(readFile(path("m.db")), before);
    // Void blocks the same way: two sub-blocks of 500 m3 and a 1000 m3 box.
    const std::vector<std::string> voidsChecked =
        unlessTimed(ok({"import", "m.db", "split.csv", "-t", "W", "--voids", "--check"}));
    EXPECT_EQ(readFile(path("m.db")), before);
    const std::vector<std::string> voidsImported =
        unlessTimed(ok({"import", "m.db", "split.csv", "-t", "W", "--voids"}));
    ASSERT_EQ(voidsChecked.size(), voidsImported.size());
    EXPECT_EQ(voidsChecked[1], "  void table     W: 2 void blocks (1 with sub-blocks), 2000 m3");
    EXPECT_EQ(std::vector<std::string>(voidsImported.begin() + 1, voidsImported.end()),
              std::vector<std::string>(voidsChecked.begin() + 1, voidsChecked.end()));
    // With no database yet, no run uses them.
    const std::string fresh =
        ok({"import", "new.db", "split.csv", "-t", "W", "--voids", "--check"});
    EXPECT_EQ(lineStarting(fresh, "used with"),
              "  used with      no run yet: import a run's blocks with --void-table W");
    EXPECT_FALSE(fileExists(path("new.db")));
}

TEST_F(ImportTest, ANewDatabaseGoesWhereALinkPoints) {
    std::filesystem::create_directory(path("store"));
    std::filesystem::create_symlink("store/real.db", path("m.db"));
    const CsvTable t =
        imported("in.csv", "X,Y,Z,DX,DY,DZ,Cu\n5,5,5,10,10,10,0.5\n", {"-t", "T", "-e", "Cu"});
    EXPECT_EQ(t.at(0, "Cu"), "0.5");
    EXPECT_TRUE(std::filesystem::is_symlink(path("m.db")));
    EXPECT_EQ(sqliteShell(path("store/real.db"), "SELECT COUNT(*) FROM T;"), "1\n");
}

}  // namespace
}  // namespace vornel::test
