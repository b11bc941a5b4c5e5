// Resource classification by rules: which block takes which class, what is
// written, and what is refused without a change.
#include "CliFixture.h"
#include "support/Shell.h"

namespace vornel::test {
namespace {

class ClassifyTest : public CliTest {
protected:
    // Five 10 m blocks along X, numbered 1 to 5 in that order.
    void SetUp() override {
        write("m.csv",
              "X,Y,Z,DX,DY,DZ,CU,PASS,NSAMP,VARIANCE,CATEGORY\n"
              "5,5,5,10,10,10,1,1,14,0.2,Inferred\n"
              "15,5,5,10,10,10,1,1,8,0.25,Indicated\n"
              "25,5,5,10,10,10,1,2,10,0.5,Indicated\n"
              "35,5,5,10,10,10,1,3,4,0.9,Measured\n"
              "45,5,5,10,10,10,1,2,12,0.4,\n");
        ok({"import", "m.db", "m.csv", "-t", "A", "-e", "Cu"});
    }

    // The CATEGORY of blocks 1 to 5, as export writes them.
    std::vector<std::string> categories() {
        ok({"export", "m.db", "-o", "out.csv"});
        const CsvTable t = readCsv(path("out.csv"));
        std::vector<std::string> texts;
        for (size_t row = 0; row < t.rows.size(); ++row) {
            texts.push_back(t.at(row, "CATEGORY"));
        }
        return texts;
    }

    std::string classCount(const std::string& where = "Table_Name = 'A'") {
        return sqliteShell(path("m.db"), "SELECT OreClas_Num FROM KrigBlock_Param WHERE " + where);
    }

    using Texts = std::vector<std::string>;
    const std::string measured_ = "Measured: Srch_Degr = 1 AND Krig_PntNum >= 12";
    const std::string indicated_ = "Indicated: Srch_Degr <= 2";
};

TEST_F(ClassifyTest, TheFirstRuleABlockMeetsDecides) {
    // Block 1 meets both rules and takes the first; 2, 3 and 5 the second
    // (2 and 3 are Indicated already); block 4 meets none and keeps its own.
    const std::string said = ok({"classify", "m.db", "--rule", measured_, "--rule", indicated_});
    EXPECT_EQ(said,
              "Classified 5 blocks of A in m.db:\n"
              "  class      blocks  changed  rule\n"
              "  Measured        1        1  Srch_Degr = 1 AND Krig_PntNum >= 12\n"
              "  Indicated       3        1  Srch_Degr <= 2\n"
              "  (kept)          1        0  no rule met\n" +
                  lineStarting(said, "took") + "\n");
    EXPECT_EQ(categories(), (Texts{"Measured", "Indicated", "Indicated", "Measured", "Indicated"}));
    EXPECT_EQ(classCount(), "2\n");
    // --others takes the rest; an empty one clears their class.
    EXPECT_EQ(lineStarting(ok({"classify", "m.db", "--rule", measured_, "--others", " Inferred "}),
                           "Inferred"),
              "  Inferred       4        4  --others: no rule met");
    EXPECT_EQ(categories(), (Texts{"Measured", "Inferred", "Inferred", "Inferred", "Inferred"}));
    EXPECT_EQ(classCount(), "2\n");
    EXPECT_EQ(lineStarting(
                  ok({"classify", "m.db", "--rule", "Inferred: Krig_PntLocX < 20", "--others", ""}),
                  "(none)"),
              "  (none)         3        3  --others: no rule met");
    EXPECT_EQ(categories(), (Texts{"Inferred", "Inferred", "", "", ""}));
    EXPECT_EQ(classCount(), "1\n");
    // A rule every block meets leaves none to keep, and no line for them.
    // --check tells the changes and leaves the file as it was, to the byte.
    const std::string before = readFile(path("m.db"));
    EXPECT_EQ(linesOf(ok({"classify", "m.db", "--rule", "Inferred: 1", "--check"})),
              (Texts{"Would classify 5 blocks of A in m.db:", "  class     blocks  changed  rule",
                     "  Inferred       5        3  1", "Nothing written (--check)"}));
    EXPECT_EQ(readFile(path("m.db")), before);
    // --where limits the work: the blocks beyond it keep their class.
    EXPECT_EQ(linesOf(ok({"classify", "m.db", "--where", "Krig_PntLocX > 30", "--rule",
                          "Indicated: Krig_OutVari < 0.5", "--others", "Inferred"}))
                  .at(0),
              "Classified 2 blocks of A in m.db:");
    EXPECT_EQ(categories(), (Texts{"Inferred", "Inferred", "", "Inferred", "Indicated"}));
    // The run's count of categories is of all its blocks, not those --where
    // chose: Inferred and Measured.
    ok({"classify", "m.db", "--where", "Krig_BlockID = 5", "--rule", "Measured: 1"});
    EXPECT_EQ(categories(), (Texts{"Inferred", "Inferred", "", "Inferred", "Measured"}));
    EXPECT_EQ(classCount(), "2\n");
    // A name alike but for case is that class, as it is to a condition on
    // the column: blocks 4 and 5 are one class, counted and listed once,
    // named as block 4 names it.
    ok({"classify", "m.db", "--where", "Krig_BlockID = 4", "--rule", "measured: 1"});
    EXPECT_EQ(classCount(), "2\n");
    // Nor is it a change of class, though block 5 takes the rule's spelling.
    EXPECT_EQ(lineStarting(
                  ok({"classify", "m.db", "--where", "Krig_BlockID = 5", "--rule", "MEASURED: 1"}),
                  "MEASURED"),
              "  MEASURED       1        0  1");
    EXPECT_EQ(categories().back(), "MEASURED");
    const Texts listed =
        linesOf(ok({"report", "m.db", "--cutoffs", "0", "--by", "category", "--density", "2.5"}));
    EXPECT_EQ(Texts(listed.begin() + 2, listed.end() - 1),
              (Texts{"  measured            0       2    5000       1.0000       50.0",
                     "  Inferred            0       2    5000       1.0000       50.0",
                     "  (none)              0       1    2500       1.0000       25.0"}));
    EXPECT_EQ(lineStarting(ok({"info", "m.db"}), "categories"),
              "  categories     measured 2, Inferred 2, (none) 1");
}

TEST_F(ClassifyTest, AClassLongerThanABlockReadKeepsIsNotTheClassItBegins) {
    // 20 bytes each: a block read keeps "Measured Resource A" of both.
    sqliteShell(path("m.db"),
                "UPDATE A SET Krig_ResType = 'Measured Resource A' || Krig_BlockID "
                "WHERE Krig_BlockID IN (1, 2)");
    const std::string said = ok({"classify", "m.db", "--where", "Krig_BlockID <= 3", "--rule",
                                 "Measured Resource A: Krig_BlockID = 1"});
    EXPECT_EQ(lineStarting(said, "Measured"),
              "  Measured Resource A       1        1  Krig_BlockID = 1");
    EXPECT_EQ(lineStarting(said, "(kept)"), "  (kept)                    2        0  no rule met");
    // Block 2, which no rule met, keeps its whole class.
    EXPECT_EQ(
        sqliteShell(path("m.db"), "SELECT Krig_ResType FROM A WHERE Krig_BlockID <= 3 ORDER BY 1"),
        "Indicated\nMeasured Resource A\nMeasured Resource A2\n");
    // Nor is a class read up to a NUL byte in it the class before it.
    sqliteShell(path("m.db"),
                "UPDATE A SET Krig_ResType = 'Measured' || char(0) || 'X' WHERE Krig_BlockID = 4");
    EXPECT_EQ(lineStarting(
                  ok({"classify", "m.db", "--where", "Krig_BlockID = 4", "--rule", "Measured: 1"}),
                  "Measured"),
              "  Measured       1        1  1");
    EXPECT_EQ(sqliteShell(path("m.db"), "SELECT hex(Krig_ResType) FROM A WHERE Krig_BlockID = 4"),
              "4D65617375726564\n");
    // A --where that other commands take is taken: each condition is read
    // alone.
    ok({"classify", "m.db", "--where", "Krig_BlockID <> 2;", "--rule", "Inferred: 1", "--check"});
}

TEST_F(ClassifyTest, OneRunOfASharedTableOnlyWhenItsBlockNumbersAreItsOwn) {
    // Run 7: A's blocks again, under A's block numbers.
    sqliteShell(path("m.db"),
                "CREATE TEMP TABLE Copy AS SELECT * FROM A; UPDATE Copy SET MineID = 7;"
                "INSERT INTO A SELECT * FROM Copy;"
                "INSERT INTO KrigBlock_Param(MineID, Mine_Element, Table_Name, OreAttr_Unit, "
                "OreClas_Num) VALUES (7, 'Cu', 'A', 0, 9)");
    const std::string before = readFile(path("m.db"));
    EXPECT_USAGE_ERROR(vornel({"classify", "m.db", "--rule", measured_}),
                       "A holds the blocks of 2 runs");
    EXPECT_FAILS_WITH(vornel({"classify", "m.db", "--where", "MineID = 7", "--rule", measured_}),
                      "A: block number 1 stands on more than one row");
    EXPECT_EQ(readFile(path("m.db")), before);
    // Numbered apart, run 7 is classified alone; the catalog's count of
    // classes, kept per table, is left to the runs.
    sqliteShell(path("m.db"), "UPDATE A SET Krig_BlockID = Krig_BlockID + 100 WHERE MineID = 7");
    ok({"classify", "m.db", "--where", "MineID = 7", "--rule", "Inferred: 1"});
    EXPECT_EQ(sqliteShell(path("m.db"),
                          "SELECT MineID, group_concat(Krig_ResType, ' ') FROM "
                          "(SELECT * FROM A ORDER BY Krig_BlockID) GROUP BY MineID"),
              "1|Inferred Indicated Indicated Measured\n7|Inferred Inferred Inferred Inferred "
              "Inferred\n");
    EXPECT_EQ(classCount("MineID = 7"), "9\n");
}

TEST_F(ClassifyTest, WhatIsRefusedChangesNothing) {
    const std::string before = readFile(path("m.db"));
    EXPECT_USAGE_ERROR(vornel({"classify", "m.db"}), "--rule is required");
    EXPECT_USAGE_ERROR(vornel({"classify", "m.db", "--rule", "Measured Srch_Degr = 1"}),
                       "give a class and a condition");
    EXPECT_USAGE_ERROR(vornel({"classify", "m.db", "--rule", " : Srch_Degr = 1"}),
                       "give a class and a condition");
    EXPECT_USAGE_ERROR(vornel({"classify", "m.db", "--rule", "Measured:  "}),
                       "give a class and a condition");
    // Krig_ResType keeps 19 bytes: "Indiqué" is 8. The table lines up
    // characters, not bytes.
    const std::string accents =
        ok({"classify", "m.db", "--rule", "Indiqué très sûr: 1", "--check"});
    EXPECT_EQ(linesOf(accents).at(1), "  class" + std::string(13, ' ') + "blocks  changed  rule");
    EXPECT_EQ(linesOf(accents).at(2), "  Indiqué très sûr       5        5  1");
    EXPECT_USAGE_ERROR(vornel({"classify", "m.db", "--rule", "Indiqué très sûr!: 1"}),
                       "--rule 'Indiqué très sûr!': a class is a name of 1 to 19 bytes");
    EXPECT_USAGE_ERROR(vornel({"classify", "m.db", "--rule", "M: 1", "--others", "a\nb"}),
                       "--others: a class is a name");
    EXPECT_USAGE_ERROR(vornel({"classify", "m.db", "--rule", "M: 1", "--others", "\xC3"}),
                       "--others: a class is a name");
    // A misspelt column is answered with the names a rule takes.
    const CliResult misspelt = vornel({"classify", "m.db", "--rule", "Measured: Srch_Dgr = 1"});
    EXPECT_FAILS_WITH(misspelt,
                      "--rule \"Measured: Srch_Dgr = 1\": cannot read the blocks: no such column");
    EXPECT_TRUE(
        contains(misspelt.err, "Srch_Degr for the search pass, Krig_PntNum for the samples"))
        << misspelt.err;
    EXPECT_FAILS_WITH(vornel({"classify", "m.db", "--rule", "M: 1; DROP TABLE A"}),
                      "only one statement");
    EXPECT_FAILS_WITH(vornel({"classify", "m.db", "--where", "MineID = 3", "--rule", "M: 1"}),
                      "no block of A meets --where \"MineID = 3\"");
    EXPECT_FAILS_WITH(vornel({"classify", "none.db", "--rule", "M: 1"}), "none.db: no such file");
    EXPECT_EQ(readFile(path("m.db")), before);
    // A row the database refuses to change (here by a trigger of another
    // program's) takes back the rows written before it: block 1 is first.
    sqliteShell(path("m.db"),
                "CREATE TRIGGER Stop BEFORE UPDATE ON A WHEN NEW.Krig_BlockID = 5 "
                "BEGIN SELECT RAISE(ABORT, 'refused by a trigger'); END");
    EXPECT_FAILS_WITH(vornel({"classify", "m.db", "--rule", "Measured: 1"}),
                      "A: the database did not take the category of block 5");
    EXPECT_EQ(categories(), (Texts{"Inferred", "Indicated", "Indicated", "Measured", ""}));
}

}  // namespace
}  // namespace vornel::test
