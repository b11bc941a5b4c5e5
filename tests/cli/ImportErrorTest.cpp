// Input that cannot be imported: one line on stderr saying what and where,
// a non-zero exit status, and nothing half-written.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <future>
#include <random>
#include <regex>
#include <thread>

#include "CliFixture.h"
#include "support/Shell.h"
#include "vornel/VornelMng.h"

namespace vornel::test {
namespace {

using ImportErrorTest = CliTest;

const char* const kGood = "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,10,1\n15,5,5,10,10,10,2\n";

struct BadInput {
    const char* file;
    std::string content;  // the file is not written when empty
    std::string message;
    std::vector<std::string> options = {"-t", "T", "-e", "Cu"};
};

TEST_F(ImportErrorTest, EachBadInputIsNamedWithItsPlaceAndNoDatabaseIsMade) {
    const std::vector<std::string> sized = {"-t", "T", "-e", "Cu", "--block-size", "10"};
    const std::vector<BadInput> inputs = {
        {"nothere.csv", "", "nothere.csv: cannot open: No such file or directory"},
        {"bad.csv", "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,10,1\n15,abc,5,10,10,10,2\n",
         "vornel import: bad.csv:3:4: expected a number in column 'Y', found 'abc'\n"},
        {"short.txt", "X Y Z DX DY DZ CU\n\n5 5 5 10 10 10 1\n15 5 5 10 10 2\n",
         "short.txt:4: 6 fields where the header names 7"},
        {"q.csv", "X,Y,Z,DX,DY,DZ,CU,CAT\n5,5,5,10,10,10,1,\"Measured \"\"A\"\"\n",
         "q.csv:2:18: the quoted field is not closed on its line"},
        {"after.csv", "X,Y,Z,DX,DY,DZ,CU,CAT\n5,5,5,10,10,10,1,\"Measured\" A\n",
         "after.csv:2:29: unexpected text after the closing quote"},
        {"folder.csv", "", "folder.csv: is a directory, not a block model file"},
        {"au.csv",
         kGood,
         "au.csv:1: no grade column for element 'Au' among X, Y, Z, DX, DY, DZ, CU; name it with "
         "--grade\n",
         {"-t", "T", "-e", "Au"}},
        {"unsized.csv", "X,Y,Z,CU\n5,5,5,1\n", "give the size with --block-size"},
        {"s.csv", "PID,X,Y,Z,DX,DY,DZ,CU\n7,5,5,5,10,10,10,1\n7,12.5,5,5,5,10,10,1\n",
         "s.csv:3: this sub-block lies outside its parent block", sized},
        // Blocks of the grid's size, on a grid that does not start at 0,0,0.
        {"shift.csv", "X,Y,Z,DX,DY,DZ,CU\n12,5,5,10,10,10,1\n",
         "shift.csv:2: this block does not lie within its --block-size cell (is --origin, 0,0,0 "
         "unless given, the grid's lower corner?)",
         sized},
        // Cells named by I, J, K beside coordinates of a grid elsewhere.
        {"ijk.csv", "I,J,K,X,Y,Z,CU\n0,0,0,500005,3000005,105,1\n",
         "ijk.csv:2: this block does not lie within its --block-size cell (is --origin, 0,0,0 "
         "unless given, the grid's lower corner?)",
         sized},
        // Rows repeated: twice one block, or twice one sub-block that the
        // parent's volume alone would let through.
        {"again.csv", "X,Y,Z,CU\n5,5,5,1\n15,5,5,2\n5,5,5,1\n",
         "again.csv:4: this block lies where the block of line 2 does; are some rows repeated?",
         sized},
        {"sub.csv", "X,Y,Z,DX,DY,DZ,CU\n2.5,5,5,5,10,10,1\n2.5,5,5,5,10,10,1\n",
         "sub.csv:3: this sub-block overlaps that of line 2", sized},
        // Twice one block too thin for its width to show beside its place.
        {"thin.csv", "X,Y,Z,DX,DY,DZ,CU\n1e10,5,5,1e-300,10,10,1\n1e10,5,5,1e-300,10,10,1\n",
         "thin.csv:3: this block lies where the block of line 2 does"},
        // Another value of the element, not its grade.
        {"sol.csv", "X,Y,Z,DX,DY,DZ,Cu soluble %,CuT\n5,5,5,10,10,10,0.1,0.5\n",
         "sol.csv:1: no grade column for element 'Cu'"},
        // 10 m blocks that run 20 cm (2 %) into each other; grid indices
        // read as centres, for want of --origin, put them 1 m apart.
        {"deep.csv", "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,10,1\n14.8,5,5,10,10,10,2\n",
         "deep.csv:3: this block overlaps the block of line 2 by 0.2 x 10 x 10\n"},
        {"index.csv", "X,Y,Z,CU\n0,0,0,1\n1,0,0,2\n",
         "index.csv:3: this block overlaps the block of line 2 by 9 x 10 x 10 (if X, Y, Z are "
         "grid indices, give --origin)",
         sized},
        // Two halves of one cell under two ids: the ids number rows.
        {"bid.csv", "BLOCK_ID,X,Y,Z,DX,DY,DZ,CU\n1,2.5,5,5,5,10,10,1\n2,7.5,5,5,5,10,10,2\n",
         "bid.csv:3: this block lies where the block of line 2 does under another parent id "
         "('2', not '1'); if that column numbers rows, not parent blocks, rename it",
         sized},
        // A row whose parent id is left empty, in the cell of parent 1.
        {"noid.csv",
         "PID,X,Y,Z,DX,DY,DZ,CU\n1,2.5,5,5,5,10,10,1\n1,7.5,5,5,5,10,10,2\n,5,5,5,10,10,10,3\n",
         "noid.csv:4: this block lies where the block of line 2 does but has no parent id (that "
         "block's is '1'); is it missing?"},
        {"pc.csv", "PX,PY,PZ,X,Y,Z,DX,DY,DZ,CU\n5,5,5,5,5,5,10,10,10,1\n",
         "pc.csv:1: the parent centre and size columns come together"},
        // Each group of three columns comes whole or not at all.
        {"xy.csv", "X,Y,DX,DY,DZ,CU\n5,5,10,10,10,1\n",
         "xy.csv:1: some of the columns X, Y and Z are missing"},
        {"dz.csv", "X,Y,Z,DX,DY,CU\n5,5,5,10,10,1\n",
         "dz.csv:1: some of the columns DX, DY and DZ are missing"},
        {"k.csv", "I,J,CU\n0,0,1\n",
         "k.csv:1: some of the columns I, J and K are missing (if I,J hold something else, leave "
         "them unread with --ignore I,J)",
         sized},
        {"ijk.csv", "I,J,K,DX,DY,DZ,CU\n0,0,0,5,10,10,1\n",
         "ijk.csv:1: sub-blocks sized by DX/DY/DZ need their centres in X, Y, Z columns, not "
         "only I, J, K",
         sized},
        {"east.csv", "X,EAST,Y,Z,DX,DY,DZ,CU\n5,5,5,5,10,10,10,1\n",
         "east.csv:1: columns 'X' and 'EAST' both look like the X centre column; rename one of "
         "them"},
        {"var.csv", "X,Y,Z,DX,DY,DZ,CU,KVAR,CU_VAR\n5,5,5,10,10,10,1,0.1,0.2\n",
         "var.csv:1: columns 'KVAR' and 'CU_VAR' both look like the variance column"},
        {"pz.csv", "PX,PY,PDX,PDY,PDZ,X,Y,Z,DX,DY,DZ,CU\n5,5,10,10,10,5,5,5,10,10,10,1\n",
         "pz.csv:1: some of the columns PARENT_X, PARENT_Y and PARENT_Z are missing"},
        {"pdz.csv", "PX,PY,PZ,PDX,PDY,X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,5,5,5,10,10,10,1\n",
         "pdz.csv:1: some of the columns PARENT_DX, PARENT_DY and PARENT_DZ are missing"},
        {"long.csv", "X,Y,Z,DX,DY,DZ,CU,CATEGORY\n5,5,5,10,10,10,1,Measured and indicated\n",
         "long.csv:2:18: 'Measured and indicated' is longer than 19 bytes"},
        // A category in Latin-1, as a spreadsheet saved as plain CSV writes it.
        {"latin1.csv", "X,Y,Z,DX,DY,DZ,CU,CATEGORY\n5,5,5,10,10,10,1,Indiqu\xE9\n",
         "latin1.csv:2:18: a text that is not UTF-8 (a file saved as ANSI or Latin-1?); save the "
         "file as CSV UTF-8\n"},
        // A surrogate half (the last), as CESU-8 writes one: no character of UTF-8.
        {"cesu.csv", "X,Y,Z,DX,DY,DZ,CU,CATEGORY\n5,5,5,10,10,10,1,\xED\xBF\xBF\n",
         "cesu.csv:2:18: a text that is not UTF-8"},
        // A character written in more bytes than it takes (a "/" in two).
        {"overlong.csv", "X,Y,Z,DX,DY,DZ,CU,CATEGORY\n5,5,5,10,10,10,1,\xC0\xAF\n",
         "overlong.csv:2:18: a text that is not UTF-8"},
        // A character cut short by the end of its field, and a byte that
        // continues no character.
        {"cut.csv", "X,Y,Z,DX,DY,DZ,CU,CATEGORY\n5,5,5,10,10,10,1,Indiqu\xC3\n",
         "cut.csv:2:18: a text that is not UTF-8"},
        {"stray.csv", "X,Y,Z,DX,DY,DZ,CU,CATEGORY\n5,5,5,10,10,10,1,\x80M\n",
         "stray.csv:2:18: a text that is not UTF-8"},
        {"two.csv", "X,Y,Z,DX,DY,DZ,CU_OK,CU_ID\n5,5,5,10,10,10,1,1.1\n",
         "columns 'CU_OK' and 'CU_ID' could both hold the Cu grade"},
        // Which --grade could not choose between.
        {"same.csv", "X,Y,Z,DX,DY,DZ,CU,cu\n5,5,5,10,10,10,1,2\n",
         "same.csv:1: columns 7 and 8 are both named 'cu'; rename one of them"},
        {"head.csv", "X,Y,Z,DX,DY,DZ,CU\n\n", "head.csv:1: a header but no data rows"},
        {"none.csv", "\n\n", "none.csv: the file holds no rows"},
        // The header of a spreadsheet saved as "Unicode text" (UTF-16).
        {"utf16.txt", std::string("\xFF\xFEX\0\t\0Y\0\n\0", 10),
         "utf16.txt:1:4: a NUL byte: this is not a text file in UTF-8"},
        // An endless source of them, refused at the first.
        {"/dev/zero", "", "/dev/zero:1:1: a NUL byte"},
        // Files of other kinds, told as what they are.
        {"model.db", std::string("SQLite format 3\0\x10\0\x02\x02", 20),
         "model.db: a database, not a block model file: the other commands read it as it is"},
        {"old.mdb", std::string("\0\x01\0\0Standard Jet DB\0\x01\0\0", 23),
         "old.mdb: an Access database, not a block model file; convert it with vornel migrate"},
        {"m.vtk", "# vtk DataFile Version 3.0\nMARVIN (Cu)\nASCII\nDATASET UNSTRUCTURED_GRID\n",
         "m.vtk: a VTK file, which import does not read: export the blocks as CSV or GSLIB"},
        {"rows.txt", "# model\n5 5 5 10 10 10 1\n",
         "rows.txt:2: the first row holds numbers, not column names"},
        // Values outside what a block can hold: the 32-bit counts, a share of
        // the block, a tonnage, a mean distance, a whole grid index.
        {"n.csv", "X,Y,Z,DX,DY,DZ,CU,NSAMP\n5,5,5,10,10,10,1,1e12\n",
         "n.csv:2:18: expected a whole number from 0 to 2147483647 in column 'NSAMP', found "
         "'1e12'"},
        {"c.csv", "X,Y,Z,DX,DY,DZ,CU,COEF\n5,5,5,10,10,10,1,0\n",
         "c.csv:2:18: expected a share of the block above 0 and at most 1 in column 'COEF'"},
        {"t.csv", "X,Y,Z,DX,DY,DZ,CU,TONNAGE\n5,5,5,10,10,10,1,-5\n",
         "t.csv:2:18: expected a tonnage of 0 or more in column 'TONNAGE', found '-5'"},
        {"d.csv", "X,Y,Z,DX,DY,DZ,CU,AVGDIST\n5,5,5,10,10,10,1,2147483648\n",
         "d.csv:2:18: expected a distance from 0 to 2147483647 in column 'AVGDIST', found "
         "'2147483648'"},
        {"flat.csv", "X,Y,Z,DX,DY,DZ,CU\n5,5,5,0,10,10,1\n",
         "flat.csv:2:7: expected a size above 0 in column 'DX', found '0'"},
        {"back.csv", "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,-10,10,1\n",
         "back.csv:2:10: expected a size above 0 in column 'DY', found '-10'"},
        {"thin.csv", "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,0,1\n",
         "thin.csv:2:13: expected a size above 0 in column 'DZ', found '0'"},
        {"pz.csv",
         "X,Y,Z,DX,DY,DZ,PARENT_X,PARENT_Y,PARENT_Z,PARENT_DX,PARENT_DY,PARENT_DZ,CU\n"
         "5,5,5,10,10,10,5,5,5,10,10,0,1\n",
         "pz.csv:2:28: expected a size above 0 in column 'PARENT_DZ', found '0'"},
        {"wall.csv", "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,0,10,1\n",
         "wall.csv:2:10: expected a size above 0 in column 'DY', found '0'"},
        {"i.csv", "I,J,K,CU\n0,1.5,0,1\n", "i.csv:2:3: expected a whole number in column 'J'",
         sized},
        {"plus.csv", "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,10,+-5\n",
         "plus.csv:2:16: expected a number in column 'CU', found '+-5'"},
        {"huge.csv", "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,10,1e400\n",
         "huge.csv:2:16: expected a number in column 'CU', found '1e400'"},
        // Columns count characters, of two bytes each here.
        {"accent.csv", "CATEGORY,X,Y,Z,CU\nIndiqu\u00e9 \u00e9\u00e9,5,5,5,x\n",
         "accent.csv:2:18: expected a number in column 'CU'", sized},
        {"tiny.csv",
         "X,Y,Z,DX,DY,DZ,PARENT,CU\n0,0,0,1e-120,1e-120,1e-120,1,1\n"
         "1e-119,0,0,1e-120,1e-120,1e-120,1,2\n",
         "tiny.csv:2: this block's volume, tonnage or mean grade works out beyond what the "
         "database holds"},
        // Tonnes kept in single precision would be infinite.
        {"huge.csv", "X,Y,Z,DX,DY,DZ,CU,TONNES\n5,5,5,10,10,10,1,1e39\n",
         "huge.csv:2: this block's volume, tonnage or mean grade works out beyond what the "
         "database holds"},
        // 10,000,000.001 m of 1 mm blocks.
        {"far.csv", "X,Y,Z,DX,DY,DZ,CU\n0.0005,0,0,0.001,1,1,1\n10000000.0005,0,0,0.001,1,1,1\n",
         "the model spans 10000000001 of its blocks along X, more than the catalog can count"},
        // GSLIB grid files whose rows do not fill the grid, or hold no estimate.
        {"more.out", "grid\n1 2 1 1\nCu\n1\n2\n3\n",
         "more.out:6: more rows than the 2 x 1 x 1 cells of the grid", sized},
        {"fewer.out", "grid\n1 2 1 1\nCu\n1\n",
         "fewer.out: 1 rows for the 2 x 1 x 1 cells of the grid: it ends early", sized},
        {"none.out", "grid\n1 2 1 1\nCu\n-999\n-999\n",
         "none.out:3: every row's grade is -999, which marks a block not estimated", sized},
        {"placed.out",
         "points\n4\nX\nY\nZ\nCu\n5 5 5 1\n",
         "placed.out (GSLIB header): --grid places rows that have no position columns; these "
         "rows have X, Y, Z",
         {"-t", "T", "-e", "Cu", "--block-size", "10", "--grid", "1,1,1"}},
        {"listed.out",
         "points\n4\nX\nY\nZ\nCu\n5 5 5 1\n",
         "listed.out: a GSLIB file names its columns in its header; --columns is for a file "
         "without names",
         {"-t", "T", "-e", "Cu", "--block-size", "10", "--columns", "X,Y,Z,CU"}},
        {"bare.out", "grid\n1\nCu\n1\n",
         "bare.out (GSLIB header): no block position columns: expected X, Y, Z (or XC/YC/ZC, "
         "EAST/NORTH/ELEV, ...) or I, J, K; or give --grid NX,NY,NZ",
         sized},
        {"named.csv",
         kGood,
         "named.csv:1: the file names its columns in its first row; --columns is for a file "
         "without such a row",
         {"-t", "T", "-e", "Cu", "--columns", "X,Y,Z,DX,DY,DZ,CU"}},
    };
    std::filesystem::create_directory(path("folder.csv"));
    for (const BadInput& input : inputs) {
        if (!input.content.empty()) {
            write(input.file, input.content);
        }
        std::vector<std::string> args = {"import", "m.db", input.file};
        args.insert(args.end(), input.options.begin(), input.options.end());
        SCOPED_TRACE(input.file);
        EXPECT_FAILS_WITH(vornel(args), input.message);
        EXPECT_FALSE(fileExists(path("m.db")));
    }
}

// Random boxes on a half-unit lattice, many of them touching or repeated,
// of sizes 1 to 3 (on it, boxes run half a unit or more into each other, or
// not at all): the import refuses exactly the files in which the insides of
// two boxes meet, as a comparison of every pair finds, and names two that do.
TEST_F(ImportErrorTest, OverlappingBlocksAreFoundAsAComparisonOfAllPairsFindsThem) {
    struct Cube {
        double centre[3];
        double size[3];
    };
    const auto overlap = [](const Cube& a, const Cube& b) {
        for (int i = 0; i < 3; ++i) {
            if (std::fabs(a.centre[i] - b.centre[i]) * 2 >= a.size[i] + b.size[i]) {
                return false;
            }
        }
        return true;
    };
    std::mt19937 random(11);
    int refused = 0;
    for (int file = 0; file < 40; ++file) {
        std::vector<Cube> cubes(6);
        std::string csv = "X,Y,Z,DX,DY,DZ,CU\n";
        for (Cube& c : cubes) {
            for (int i = 0; i < 3; ++i) {
                c.size[i] = static_cast<double>(1 + random() % 3);
                c.centre[i] = static_cast<double>(random() % 14) / 2;
            }
            csv += std::to_string(c.centre[0]) + "," + std::to_string(c.centre[1]) + "," +
                   std::to_string(c.centre[2]) + "," + std::to_string(c.size[0]) + "," +
                   std::to_string(c.size[1]) + "," + std::to_string(c.size[2]) + ",1\n";
        }
        bool any = false;
        for (size_t a = 0; a < cubes.size(); ++a) {
            for (size_t b = 0; b < a; ++b) {
                any = any || overlap(cubes[a], cubes[b]);
            }
        }
        const std::string name = "f" + std::to_string(file);
        write(name + ".csv", csv);
        const CliResult r = vornel({"import", name + ".db", name + ".csv", "-t", "T", "-e", "Cu"});
        SCOPED_TRACE(csv);
        if (!any) {
            EXPECT_EQ(r.status, 0) << r.err;
            continue;
        }
        ++refused;
        std::smatch m;
        ASSERT_TRUE(std::regex_search(r.err, m,
                                      std::regex(R"(\.csv:(\d+): this block (overlaps the block|)"
                                                 R"(lies where the block) of line (\d+))")))
            << r.err;
        EXPECT_TRUE(overlap(cubes.at(std::stoul(m[1]) - 2), cubes.at(std::stoul(m[3]) - 2)));
        EXPECT_FALSE(fileExists(path(name + ".db")));
    }
    EXPECT_GT(refused, 5);
    EXPECT_LT(refused, 35);
}

TEST_F(ImportErrorTest, WhatIsNoBlockModelDatabaseIsLeftAsItWas) {
    write("a.csv", kGood);
    const std::string mdb = sharedData("nwind.mdb");
    const std::string before = readFile(mdb);
    ASSERT_FALSE(before.empty());
    EXPECT_FAILS_WITH(vornel({"import", mdb, "a.csv", "-t", "T", "-e", "Cu"}),
                      "nwind.mdb: an Access database");
    EXPECT_EQ(readFile(mdb), before);
    // The header of an Access 2007 (.accdb) file.
    write("model.accdb", std::string("\0\1\0\0Standard ACE DB\0", 20) + std::string(4076, '\0'));
    EXPECT_FAILS_WITH(vornel({"info", "model.accdb"}),
                      "model.accdb: an Access database; convert it with: vornel migrate "
                      "'model.accdb' NEW.db");

    std::filesystem::create_directory(path("folder.db"));
    EXPECT_FAILS_WITH(vornel({"import", "folder.db", "a.csv", "-t", "T", "-e", "Cu"}),
                      "folder.db: a directory, not a database file");
    write("empty.db", "");
    EXPECT_FAILS_WITH(vornel({"import", "empty.db", "a.csv", "-t", "T", "-e", "Cu"}),
                      "empty.db: an empty file, not a block-model database");
    EXPECT_EQ(readFile(path("empty.db")), "");
    write("notes.db", "a text file\n");
    EXPECT_FAILS_WITH(vornel({"import", "notes.db", "a.csv", "-t", "T", "-e", "Cu"}),
                      "notes.db: not a database file");
    EXPECT_EQ(readFile(path("notes.db")), "a text file\n");
    // SQLite's header with nothing sound after it: the file is named once.
    write("torn.db", std::string("SQLite format 3\0", 16) + std::string(200, 'x'));
    EXPECT_EQ(vornel({"info", "torn.db"}).err, "vornel info: torn.db: file is not a database\n");
    ASSERT_EQ(::mkfifo(path("pipe.db").c_str(), 0600), 0);
    EXPECT_FAILS_WITH(vornel({"info", "pipe.db"}), "pipe.db: not a regular file");

    sqliteShell(path("other.db"), "CREATE TABLE t(x); INSERT INTO t VALUES (1);");
    EXPECT_FAILS_WITH(vornel({"import", "other.db", "a.csv", "-t", "T", "-e", "Cu"}),
                      "other.db: an SQLite database, but not a block-model database");
    // Refused and untouched, its journal too.
    EXPECT_EQ(sqliteShell(path("other.db"), "PRAGMA journal_mode; SELECT name FROM sqlite_master;"),
              "delete\nt\n");

    // A new database that an import is still making shows no catalog until
    // that import commits its run: another import writes nothing into it.
    sqliteShell(path("making.db"), "PRAGMA journal_mode=WAL;");
    EXPECT_FAILS_WITH(vornel({"import", "making.db", "a.csv", "-t", "T", "-e", "Cu"}),
                      "making.db: an SQLite database, but not a block-model database: it has no "
                      "KrigBlock_Param catalog (if an import is making it, try again once that "
                      "is done)");
    EXPECT_EQ(sqliteShell(path("making.db"), "SELECT count(*) FROM sqlite_master;"), "0\n");
}

// The bad row is the last: every row before it was read, none is written.
TEST_F(ImportErrorTest, AFailedImportLeavesAnExistingDatabaseAsItWas) {
    write("a.csv", kGood);
    ok({"import", "m.db", "a.csv", "-t", "FIRST", "-e", "Cu"});
    EXPECT_FAILS_WITH(vornel({"import", "m.db", "a.csv", "-t", "FIRST", "-e", "Cu"}),
                      "m.db: a table named 'FIRST' exists already");
    write("bad.csv", std::string(kGood) + "25,5,5,10,10,10,x\n");
    EXPECT_FAILS_WITH(vornel({"import", "m.db", "bad.csv", "-t", "SECOND", "-e", "Cu"}),
                      "bad.csv:4:17");
    const std::string info = ok({"info", "m.db"});
    EXPECT_NE(info.find("m.db: 1 run, 0 void tables"), std::string::npos) << info;
    EXPECT_FAILS_WITH(vornel({"export", "m.db", "-t", "SECOND"}), "no block table 'SECOND'");

    // Of two columns that could hold the grade, the one named is taken.
    write("two.csv", "X,Y,Z,DX,DY,DZ,CU_OK,CU_ID\n5,5,5,10,10,10,1,1.1\n");
    // It is run 2: the failed import took no run number.
    const std::string out =
        ok({"import", "m.db", "two.csv", "-t", "T", "-e", "Cu", "--grade", "cu_id"});
    EXPECT_EQ(wordsOf(lineStarting(out, "run")).at(1), "2,");
    EXPECT_NE(ok({"export", "m.db", "-t", "T"}).find(",1.1,"), std::string::npos);
    EXPECT_NE(ok({"info", "m.db"}).find("m.db: 2 runs, 0 void tables"), std::string::npos);
    // A run whose table another program dropped still holds its name.
    ok({"import", "m.db", "a.csv", "-t", "GONE", "-e", "Cu"});
    sqliteShell(path("m.db"), "DROP TABLE GONE;");
    EXPECT_FAILS_WITH(vornel({"import", "m.db", "a.csv", "-t", "GONE", "-e", "Cu"}),
                      "m.db: the catalog already lists a run (MineID 3) with table 'GONE'");
}

// A write past the size a process may write fails (the command ignores
// SIGXFSZ), and the message names the limit, not a disk that fails.
TEST_F(ImportErrorTest, AnImportPastTheFileSizeLimitSaysSo) {
    std::string csv = "X,Y,Z,DX,DY,DZ,CU\n";
    for (int i = 0; i < 20000; ++i) {
        csv += std::to_string(i * 10 + 5) + ",5,5,10,10,10,1\n";
    }
    write("big.csv", csv);
    int status = 0;
    const std::string said =
        shellOutput("cd " + shellQuote(dir.path()) +
                        " && ulimit -f 256 && " VORNEL_CLI " import m.db big.csv -t BIG -e Cu 2>&1",
                    &status);
    EXPECT_NE(status, 0);
    // The shell counts the limit in blocks of 512 bytes (dash) or 1024 (bash).
    EXPECT_TRUE(contains(said, "disk I/O error (this process may write files of at most ") &&
                contains(said, " bytes: ulimit -f)"))
        << said;
}

// The fifo opened for writing once a reader has opened it, or -1 when none
// has within ten seconds.
int openOnceRead(const std::string& fifo) {
    for (int tries = 0; tries < 1000; ++tries) {
        const int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) {
            return fd;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

// The late import reads a fifo: once it opens it, its first look for the
// table is behind it, and the other import makes the table before the late
// one gets its rows. Replacing that table would lose the other's blocks.
TEST_F(ImportErrorTest, OfTwoImportsIntoOneNewTableTheLaterIsRefused) {
    write("a.csv", kGood);
    ok({"import", "m.db", "a.csv", "-t", "FIRST", "-e", "Cu"});
    const std::string fifo = path("late.csv");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    TempDir lateDir;
    std::future<CliResult> late = std::async(std::launch::async, [&] {
        return runVornel(lateDir.path(), {"import", path("m.db"), fifo, "-t", "M", "-e", "Cu"});
    });
    const int fd = openOnceRead(fifo);
    ASSERT_GE(fd, 0);
    ok({"import", "m.db", "a.csv", "-t", "M", "-e", "Cu"});
    const std::string rows = "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,10,7\n";
    EXPECT_EQ(::write(fd, rows.data(), rows.size()), static_cast<ssize_t>(rows.size()));
    close(fd);
    EXPECT_FAILS_WITH(late.get(), "m.db: a table named 'M' exists already");
    EXPECT_EQ(sqliteShell(path("m.db"), "SELECT Krig_OutAttr FROM M ORDER BY 1;"), "1.0\n2.0\n");
    EXPECT_NE(ok({"info", "m.db"}).find("m.db: 2 runs, 0 void tables"), std::string::npos);
}

// An import that outwaits the busy timeout behind another writer says so,
// of which file, and what to do.
TEST_F(ImportErrorTest, AnImportBehindAnotherWriterSaysTheDatabaseIsBusy) {
    write("a.csv", kGood);
    ok({"import", "m.db", "a.csv", "-t", "FIRST", "-e", "Cu"});
    CVornelMng writer;
    ASSERT_NE(writer.connectDatabase(path("m.db")), 0) << writer.lastError();
    ASSERT_NE(writer.beginTransact(), 0) << writer.lastError();
    ::setenv("VORNEL_BUSY_TIMEOUT_MS", "100", 1);
    const CliResult r = vornel({"import", "m.db", "a.csv", "-t", "M", "-e", "Cu"});
    ::unsetenv("VORNEL_BUSY_TIMEOUT_MS");
    EXPECT_NE(writer.endTransact(Rollback), 0) << writer.lastError();
    EXPECT_FAILS_WITH(r, "vornel import: m.db: cannot begin a transaction: ");
    EXPECT_NE(r.err.find("the database is busy"), std::string::npos) << r.err;
    EXPECT_TRUE(contains(r.err,
                         "; nothing was written; run the command again once the other "
                         "program is done (VORNEL_BUSY_TIMEOUT_MS sets a longer wait)\n"))
        << r.err;
    EXPECT_EQ(r.err.find("cannot begin"), r.err.rfind("cannot begin")) << r.err;
    EXPECT_NE(ok({"info", "m.db"}).find("m.db: 1 run, 0 void tables"), std::string::npos);
    // Another program holding the file alone stops even a reader, which
    // says what to do as well.
    writer.clearDatabase();
    shellOutput(
        "cd " + shellQuote(dir.path()) +
        "; (printf 'PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; CREATE TABLE "
        "Held(a);\\n.shell touch held\\n'; sleep 5) 2> /dev/null | sqlite3 m.db > /dev/null 2>&1 "
        "&");
    for (int wait = 0; wait < 1000 && !fileExists(path("held")); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::setenv("VORNEL_BUSY_TIMEOUT_MS", "100", 1);
    const CliResult held = vornel({"info", "m.db"});
    ::unsetenv("VORNEL_BUSY_TIMEOUT_MS");
    EXPECT_FAILS_WITH(held,
                      "; run the command again once the other program is done "
                      "(VORNEL_BUSY_TIMEOUT_MS sets a longer wait)");
}

}  // namespace
}  // namespace vornel::test
