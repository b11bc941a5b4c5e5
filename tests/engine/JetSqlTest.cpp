#include <gtest/gtest.h>

#include "engine/JetSql.h"

using vornel::engine::qualifiedIndexName;
using vornel::engine::translateJet;

TEST(JetSql, DeleteLosesItsStarOnlyWhereJetWroteOne) {
    EXPECT_EQ(translateJet("DELETE * FROM KrigBlock_Param WHERE MINEID = 3"),
              "DELETE  FROM KrigBlock_Param WHERE MINEID = 3");
    EXPECT_EQ(translateJet("delete  *  from [T1]"), "delete    from [T1]");
    EXPECT_EQ(translateJet("DELETE FROM T"), "DELETE FROM T");
    // Comments are blanks between words.
    EXPECT_EQ(translateJet("DELETE /* every row */ * FROM T"), "DELETE /* every row */  FROM T");
    EXPECT_EQ(translateJet("DELETE -- every row\n* FROM T"), "DELETE -- every row\n FROM T");
    // Inside quotes nothing is touched.
    EXPECT_EQ(translateJet("DELETE * FROM T WHERE s = 'DELETE * FROM x'"),
              "DELETE  FROM T WHERE s = 'DELETE * FROM x'");
}

TEST(JetSql, CreateTableTypesKeepWhatJetDid) {
    EXPECT_EQ(
        translateJet("create table T(A int, B Long, C Double, D VarChar(20), E yesno, "
                     "F IMAGE, G AUTOINCREMENT(1,1))"),
        "create table T(A INTEGER CHECK(A BETWEEN -2147483648 AND 2147483647 AND typeof(A) <> "
        "'real'), B INTEGER CHECK(B BETWEEN -2147483648 AND 2147483647 AND typeof(B) <> "
        "'real'), C DOUBLE, D VARCHAR(20) COLLATE NOCASE CHECK(length(D) <= 20), E BOOLEAN, "
        "F BLOB, G COUNTER CHECK(G BETWEEN -2147483648 AND 2147483647 AND typeof(G) <> "
        "'real'))");
    EXPECT_EQ(translateJet("create table [My T]([a b] text, M memo, W DATETIME, Y currency)"),
              "create table [My T]([a b] VARCHAR(255) COLLATE NOCASE CHECK(length([a b]) <= 255), "
              "M TEXT COLLATE NOCASE, W DATETIME, Y CURRENCY)");
    // Constraints and unknown types pass through; what follows a type, to
    // the next comma, is no column.
    EXPECT_EQ(
        translateJet("create table T(A byte NOT NULL DEFAULT 5, B geometry, PRIMARY KEY (A), "
                     "C yesno)"),
        "create table T(A INTEGER CHECK(A BETWEEN 0 AND 255 AND typeof(A) <> 'real') NOT NULL "
        "DEFAULT 5, B geometry, "
        "PRIMARY KEY (A), C BOOLEAN)");
    // No blank is needed after a comma.
    EXPECT_EQ(
        translateJet("create table T(A long NOT NULL,B text)"),
        "create table T(A INTEGER CHECK(A BETWEEN -2147483648 AND 2147483647 AND typeof(A) <> "
        "'real') NOT NULL,"
        "B VARCHAR(255) COLLATE NOCASE CHECK(length(B) <= 255))");
}

TEST(JetSql, IndexNamesAreQualifiedByTheirTable) {
    EXPECT_EQ(qualifiedIndexName("T1", "T1ID"), "\"T1.T1ID\"");
    EXPECT_EQ(qualifiedIndexName("a\"b", "x"), "\"a\"\"b.x\"");
    EXPECT_EQ(translateJet("CREATE UNIQUE INDEX ix ON T (a)"),
              "CREATE UNIQUE INDEX \"T.ix\" ON T (a)");
    EXPECT_EQ(translateJet("DROP INDEX ix ON [T]"), "DROP INDEX \"T.ix\"");
    // A quoted name is the name within its quotes, doubled quotes undone.
    EXPECT_EQ(translateJet("DROP INDEX \"i\"\"x\" ON `T`"), "DROP INDEX \"T.i\"\"x\"");
    // Without a table, as the library writes it, the statement stays and
    // finds no index of that name.
    EXPECT_EQ(translateJet("DROP INDEX T1ID"), "DROP INDEX T1ID");
    // Statements cut short after their first words stay as written.
    for (const char* cut : {"CREATE", "CREATE UNIQUE", "DROP", "DROP INDEX"}) {
        EXPECT_EQ(translateJet(cut), cut);
    }
}

// SQLite takes a double-quoted name that names no column for a text; in
// backquotes a misspelt name is refused. Texts in single quotes, and the
// quotes within them, stay as they are.
TEST(JetSql, ANameInDoubleQuotesGoesInBackquotes) {
    EXPECT_EQ(translateJet("SELECT * FROM [T] WHERE \"Krig_OutAttr\" > 1 AND c = 'say \"x\"'"),
              "SELECT * FROM [T] WHERE `Krig_OutAttr` > 1 AND c = 'say \"x\"'");
    EXPECT_EQ(translateJet("SELECT \"a\"\"b\", \"c`d\" FROM t"), "SELECT `a\"b`, `c``d` FROM t");
    EXPECT_EQ(translateJet("SELECT \"\" FROM t"), "SELECT `` FROM t");
    // A name the rewrite takes out stays out.
    EXPECT_EQ(translateJet("DROP INDEX T1ID ON \"T1\""), "DROP INDEX \"T1.T1ID\"");
}

TEST(JetSql, AnUnendedSizeLeavesTheTypeAsWritten) {
    EXPECT_EQ(translateJet("create table T(A VarChar("), "create table T(A VarChar(");
}
