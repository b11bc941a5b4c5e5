// Input that cannot be imported: one line on stderr saying what and where,
// a non-zero exit status, and nothing half-written.
#include "CliFixture.h"
#include "support/Shell.h"

namespace vornel::test {
namespace {

using ImportErrorTest = CliTest;

const char* const kGood = "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,10,1\n15,5,5,10,10,10,2\n";

TEST_F(ImportErrorTest, AMissingFile) {
    EXPECT_FAILS_WITH(vornel({"import", "m.db", "nothere.csv", "-t", "T", "-e", "Cu"}),
                      "nothere.csv: cannot open: No such file or directory");
    EXPECT_FALSE(fileExists(path("m.db")));
}

TEST_F(ImportErrorTest, ANumberThatIsNotOneNamesLineAndColumn) {
    write("bad.csv", "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,10,1\n15,abc,5,10,10,10,2\n");
    const CliResult r = vornel({"import", "m.db", "bad.csv", "-t", "T", "-e", "Cu"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "vornel import: bad.csv:3:4: expected a number in column 'Y', found 'abc'\n");
    EXPECT_FALSE(fileExists(path("m.db")));
}

TEST_F(ImportErrorTest, ARowWithTooFewFields) {
    write("short.txt", "X Y Z DX DY DZ CU\n\n5 5 5 10 10 10 1\n15 5 5 10 10 2\n");
    EXPECT_FAILS_WITH(vornel({"import", "m.db", "short.txt", "-t", "T", "-e", "Cu"}),
                      "short.txt:4: 6 fields where the header names 7");
}

TEST_F(ImportErrorTest, AnUnclosedQuote) {
    write("q.csv", "X,Y,Z,DX,DY,DZ,CU,CAT\n5,5,5,10,10,10,1,\"Measured\n");
    EXPECT_FAILS_WITH(vornel({"import", "m.db", "q.csv", "-t", "T", "-e", "Cu"}),
                      "q.csv:2:18: the quoted field is not closed on its line");
}

TEST_F(ImportErrorTest, NoGradeColumnForTheElement) {
    write("a.csv", kGood);
    EXPECT_FAILS_WITH(vornel({"import", "m.db", "a.csv", "-t", "T", "-e", "Au"}),
                      "a.csv:1: no grade column for element 'Au'");
}

TEST_F(ImportErrorTest, NoBlockSize) {
    write("a.csv", "X,Y,Z,CU\n5,5,5,1\n");
    EXPECT_FAILS_WITH(vornel({"import", "m.db", "a.csv", "-t", "T", "-e", "Cu"}),
                      "give the size with --block-size");
}

TEST_F(ImportErrorTest, ASubBlockOutsideItsParent) {
    write("s.csv", "PID,X,Y,Z,DX,DY,DZ,CU\n7,5,5,5,10,10,10,1\n7,12.5,5,5,5,10,10,1\n");
    EXPECT_FAILS_WITH(
        vornel({"import", "m.db", "s.csv", "-t", "T", "-e", "Cu", "--block-size", "10"}),
        "s.csv:3: this sub-block lies outside its parent block");
}

TEST_F(ImportErrorTest, ATableThatExists) {
    write("a.csv", kGood);
    ok({"import", "m.db", "a.csv", "-t", "T", "-e", "Cu"});
    EXPECT_FAILS_WITH(vornel({"import", "m.db", "a.csv", "-t", "T", "-e", "Cu"}),
                      "m.db: a table named 'T' exists already");
}

TEST_F(ImportErrorTest, ATableNameTheCatalogCannotKeep) {
    write("a.csv", kGood);
    EXPECT_FAILS_WITH(vornel({"import", "m.db", "a.csv", "-t", "TWENTY_CHARACTERS_XX", "-e", "Cu"}),
                      "--table 'TWENTY_CHARACTERS_XX'");
    EXPECT_FAILS_WITH(vornel({"import", "m.db", "a.csv", "-t", "my table", "-e", "Cu"}),
                      "--table 'my table'");
}

TEST_F(ImportErrorTest, AnAccessDatabaseIsSaidToBeOne) {
    write("a.csv", kGood);
    const std::string mdb = sharedData("nwind.mdb");
    const std::string before = readFile(mdb);
    ASSERT_FALSE(before.empty());
    EXPECT_FAILS_WITH(vornel({"import", mdb, "a.csv", "-t", "T", "-e", "Cu"}),
                      "nwind.mdb: an Access database");
    EXPECT_EQ(readFile(mdb), before);
}

TEST_F(ImportErrorTest, AFileThatIsNoDatabase) {
    write("a.csv", kGood);
    write("notes.db", "a text file\n");
    EXPECT_FAILS_WITH(vornel({"import", "notes.db", "a.csv", "-t", "T", "-e", "Cu"}),
                      "notes.db: not a database file");
    EXPECT_EQ(readFile(path("notes.db")), "a text file\n");
}

TEST_F(ImportErrorTest, AnotherProgramsSqliteDatabase) {
    write("a.csv", kGood);
    sqliteShell(path("other.db"), "CREATE TABLE t(x); INSERT INTO t VALUES (1);");
    EXPECT_FAILS_WITH(vornel({"import", "other.db", "a.csv", "-t", "T", "-e", "Cu"}),
                      "other.db: an SQLite database, but not a block-model database");
    EXPECT_EQ(sqliteShell(path("other.db"), "SELECT name FROM sqlite_master;"), "t\n");
}

// The bad row is the last: every row before it was read, none is written.
TEST_F(ImportErrorTest, AFailedImportLeavesAnExistingDatabaseAsItWas) {
    write("a.csv", kGood);
    ok({"import", "m.db", "a.csv", "-t", "FIRST", "-e", "Cu"});
    write("bad.csv", std::string(kGood) + "25,5,5,10,10,10,x\n");
    EXPECT_FAILS_WITH(vornel({"import", "m.db", "bad.csv", "-t", "SECOND", "-e", "Cu"}),
                      "bad.csv:4:17");
    const std::string info = ok({"info", "m.db"});
    EXPECT_NE(info.find("m.db: 1 run, 0 void tables"), std::string::npos) << info;
    EXPECT_FAILS_WITH(vornel({"export", "m.db", "-t", "SECOND"}), "no block table 'SECOND'");
}

TEST_F(ImportErrorTest, TwoColumnsCouldHoldTheGrade) {
    write("a.csv", "X,Y,Z,DX,DY,DZ,CU_OK,CU_ID\n5,5,5,10,10,10,1,1.1\n");
    EXPECT_FAILS_WITH(vornel({"import", "m.db", "a.csv", "-t", "T", "-e", "Cu"}),
                      "columns 'CU_OK' and 'CU_ID' could both hold the Cu grade");
    ok({"import", "m.db", "a.csv", "-t", "T", "-e", "Cu", "--grade", "cu_id"});
    EXPECT_NE(ok({"export", "m.db", "-t", "T"}).find(",1.1,"), std::string::npos);
}

TEST_F(ImportErrorTest, RowsThatOverfillTheirParent) {
    write("s.csv",
          "IJK,X,Y,Z,DX,DY,DZ,CU\n4,2.5,5,5,5,10,10,1\n4,2.5,5,5,5,10,10,1\n"
          "4,7.5,5,5,5,10,10,1\n");
    EXPECT_FAILS_WITH(
        vornel({"import", "m.db", "s.csv", "-t", "T", "-e", "Cu", "--block-size", "10"}),
        "s.csv:2: the sub-blocks of this parent fill 1.5 times its volume");
}

TEST_F(ImportErrorTest, TextLongerThanTheDatabaseKeeps) {
    write("a.csv", "X,Y,Z,DX,DY,DZ,CU,CATEGORY\n5,5,5,10,10,10,1,Measured and indicated\n");
    EXPECT_FAILS_WITH(vornel({"import", "m.db", "a.csv", "-t", "T", "-e", "Cu"}),
                      "a.csv:2:18: 'Measured and indicated' is longer than 19 bytes");
}

TEST_F(ImportErrorTest, AHeaderWithoutRowsAndRowsWithoutAHeader) {
    write("head.csv", "X,Y,Z,DX,DY,DZ,CU\n\n");
    EXPECT_FAILS_WITH(vornel({"import", "m.db", "head.csv", "-t", "T", "-e", "Cu"}),
                      "head.csv:1: a header but no data rows");
    write("rows.txt", "# model\n5 5 5 10 10 10 1\n");
    EXPECT_FAILS_WITH(vornel({"import", "m.db", "rows.txt", "-t", "T", "-e", "Cu"}),
                      "rows.txt:2: the first row holds numbers, not column names");
    EXPECT_FALSE(fileExists(path("m.db")));
}

}  // namespace
}  // namespace vornel::test
