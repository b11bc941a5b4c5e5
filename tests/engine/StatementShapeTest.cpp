// Statements that differ only in their values share one compiled form.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "engine/Engine.h"
#include "engine/SqliteConnection.h"
#include "engine/StatementShape.h"
#include "platform/ComError.h"
#include "support/TempDir.h"

using namespace vornel;
using namespace vornel::engine;

namespace {

// SQLite's own reading of a number written in a statement.
double sqliteReading(const std::string& number) {
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, ("SELECT " + number).c_str(), -1, &stmt, nullptr);
    sqlite3_step(stmt);
    const double value = sqlite3_column_double(stmt, 0);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return value;
}

// A connection to a new database whose table T holds the row (1, 0).
std::unique_ptr<Connection> oneRow(const test::TempDir& dir) {
    createDatabaseFile(dir.file("s.db"));
    std::unique_ptr<Connection> conn = createConnection();
    conn->open("Data Source=" + dir.file("s.db"), -1);
    conn->execute("create table T(id long, d Double)", adCmdText);
    conn->execute("INSERT INTO T VALUES(1, 0)", adCmdText);
    return conn;
}

}  // namespace

TEST(StatementShape, LiteralsBecomeParameters) {
    const Shape s = shapeOf("UPDATE [T]  SET a = 0.500000, b = -3, c = 'O''Brien' WHERE id = 19");
    ASSERT_TRUE(s.shared);
    EXPECT_EQ(s.text, "UPDATE [T]  SET a = ?1, b = -?2, c = ?3 WHERE id = ?4");
    ASSERT_EQ(s.literals.size(), 4u);
    EXPECT_EQ(s.literals[0].kind, Literal::Real);
    EXPECT_EQ(s.literals[1].kind, Literal::Integer);
    EXPECT_EQ(s.literals[2].kind, Literal::Text);
    EXPECT_EQ(s.literals[2].text, "'O''Brien'");
    EXPECT_EQ(shapeOf("insert into T values (1e5, .5, 7, 2.5E-3, 1e+300)").text,
              "insert into T values (?1, ?2, ?3, ?4, ?5)");
    EXPECT_EQ(shapeOf("DELETE * FROM [T1] WHERE MINEID = 3").text,
              "DELETE * FROM [T1] WHERE MINEID = ?1");

    // Names that hold digits stay names; positions and other statements stay as written.
    EXPECT_EQ(shapeOf("UPDATE T1 SET x2 = 1").text, "UPDATE T1 SET x2 = ?1");
    EXPECT_FALSE(shapeOf("SELECT * FROM T WHERE a = 1").shared);
    EXPECT_FALSE(shapeOf("create table T(A VarChar(20))").shared);
    EXPECT_FALSE(
        shapeOf("DELETE FROM T WHERE rowid IN (SELECT rowid FROM T ORDER BY 1 LIMIT 2)").shared);
    EXPECT_FALSE(shapeOf("UPDATE T SET s = 'unterminated").shared);
    // Ends in a quote, but one of a doubled pair: still open.
    EXPECT_FALSE(shapeOf("UPDATE T SET s = 'unterminated''").shared);
    EXPECT_FALSE(shapeOf("UPDATE T SET s = '''").shared);
    EXPECT_TRUE(shapeOf("UPDATE T SET s = ''''").shared);
}

TEST(StatementShape, BoundValuesAreTheDecimalsCorrectlyRounded) {
    test::TempDir dir;
    const std::unique_ptr<Connection> conn = oneRow(dir);

    // Errors name the statement as it was written.
    try {
        conn->execute("UPDATE T SET d = 0.5 WHERE nope = 1", adCmdText);
        FAIL();
    } catch (const ComError& e) {
        EXPECT_EQ(e.description(), "no such column: nope");
    }
    // Nor does a parameter the text holds take a literal's value.
    for (const char* parameter : {"?", ":x", "@x", "#x", "$x"}) {
        try {
            conn->execute(std::string("UPDATE T SET d = ") + parameter + " WHERE id = 1",
                          adCmdText);
            ADD_FAILURE() << parameter;
        } catch (const ComError& e) {
            EXPECT_EQ(e.description(),
                      std::string("no value is given for the parameter ") + parameter);
        }
    }
    conn->execute("UPDATE T SET d = 2 WHERE id = 1", adCmdText);
    auto rs = createRecordset();
    rs->open("SELECT d FROM T", conn.get(), adOpenStatic, adLockOptimistic, adCmdText);
    Variant v;
    rs->fieldValue(0, v);
    EXPECT_EQ(v.real, 2.0);
    rs->close();

    // Only a text SQLite itself reads off by a unit in the last place tells
    // a bound value from one SQLite parsed.
    if (sqliteReading("0.872863") == 0.872863) {
        GTEST_SKIP() << "this SQLite reads 0.872863 correctly rounded: no text at hand shows "
                        "whether the value was bound";
    }
    conn->execute("UPDATE T SET d = 0.872863 WHERE id = 1", adCmdText);
    rs->open("SELECT d FROM T", conn.get(), adOpenStatic, adLockOptimistic, adCmdText);
    rs->fieldValue(0, v);
    EXPECT_EQ(v.real, 0.872863);
}

// Only so many compiled forms are kept: the oldest is let go, and its
// statement compiled again when it comes back.
TEST(StatementShape, TheOldestCompiledFormIsLetGo) {
    test::TempDir dir;
    const std::unique_ptr<Connection> conn = oneRow(dir);
    // Blanks at the end make each text a shape of its own.
    for (int i = 0; i < 40; ++i) {
        conn->execute("UPDATE T SET d = " + std::to_string(i) + " WHERE id = 1" +
                          std::string(static_cast<size_t>(i % 20), ' '),
                      adCmdText);
    }
    // Twenty shapes ran, twice each; a bounded cache holds fewer compiled
    // statements than that.
    sqlite3* db = dynamic_cast<SqliteConnection&>(*conn).session()->db();
    int live = 0;
    for (sqlite3_stmt* s = sqlite3_next_stmt(db, nullptr); s != nullptr;
         s = sqlite3_next_stmt(db, s)) {
        ++live;
    }
    EXPECT_LT(live, 20);
    auto rs = createRecordset();
    rs->open("SELECT d FROM T", conn.get(), adOpenStatic, adLockOptimistic, adCmdText);
    Variant v;
    rs->fieldValue(0, v);
    EXPECT_EQ(v.real, 39.0);
}
