// Tests that a statement's condition calls by name, answered by the host.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "db/Ado.h"
#include "db/TestDatabase.h"

using namespace vornel;
using namespace vornel::test;

TEST(RowTests, SeeRealsAsDoublesAndAllElseAsNaN) {
    Database db("CREATE TABLE T (a DOUBLE, b TEXT, n NUMERIC, x BLOB)");
    ASSERT_TRUE(
        db.connection.Execute("INSERT INTO T VALUES (1.5, 'x', 3, x'00'), (NULL, '2.5', NULL, "
                              "NULL), (-0.25, NULL, 4, 2.0), "
                              "(7, 8, 9.5, 1e308)",
                              kText));
    std::vector<std::array<double, 4>> seen;
    ASSERT_TRUE(db.connection.DefineRowTest("SEEN", 4, [&seen](const double* v) {
        seen.push_back({v[0], v[1], v[2], v[3]});
        return v[0] > 0;
    }));
    EXPECT_EQ(countWhere(db.connection, "SEEN(a, b, n, x)"), 2);
    ASSERT_EQ(seen.size(), 4u);
    // Rows in table order. A DOUBLE column makes 7 a REAL; TEXT keeps 8 as
    // text, NUMERIC keeps 9.5 a REAL, and a blob column keeps what it is given.
    const double nan = std::nan("");
    const std::array<double, 4> expected[4] = {
        {1.5, nan, nan, nan}, {nan, nan, nan, nan}, {-0.25, nan, nan, 2.0}, {7.0, nan, 9.5, 1e308}};
    for (size_t r = 0; r < 4; ++r) {
        for (size_t i = 0; i < 4; ++i) {
            const double want = expected[r][i];
            EXPECT_TRUE(std::isnan(want) ? std::isnan(seen[r][i]) : seen[r][i] == want)
                << "row " << r << " argument " << i << ": " << seen[r][i];
        }
    }
}

TEST(RowTests, RedefinedWhileAQueryRunsAndRefusedWhenTheyCannotBe) {
    Database db("CREATE TABLE T (a DOUBLE)");
    ASSERT_TRUE(db.connection.Execute("INSERT INTO T VALUES (1), (2), (3)", kText));
    ASSERT_TRUE(db.connection.DefineRowTest(
        "ODD", 1, [](const double* v) { return std::fmod(v[0], 2.0) == 1.0; }));
    CDbRecordset running(&db.connection);
    ASSERT_EQ(running.Open("SELECT a FROM T WHERE ODD(a)", kText, kStatic, kOptimistic), 1);
    double first = 0;
    ASSERT_EQ(running.GetCollect(0, first), 1);
    EXPECT_EQ(first, 1.0);

    // A running statement does not stop a new answer, under the name in
    // any case, and the statement goes on with it; an empty test answers
    // false.
    ASSERT_TRUE(db.connection.DefineRowTest("odd", 1, {}));
    EXPECT_EQ(countWhere(db.connection, "ODD(a)"), 0);
    EXPECT_EQ(running.MoveNext(), 1);
    EXPECT_NE(running.IsEOF(), 0);

    // The same name with another number of arguments is another test.
    ASSERT_TRUE(db.connection.DefineRowTest("ODD", 2, [](const double*) { return true; }));
    EXPECT_EQ(countWhere(db.connection, "ODD(a, a)"), 3);
    EXPECT_EQ(countWhere(db.connection, "ODD(a)"), 0);

    for (const int arity : {17, -1}) {
        EXPECT_FALSE(
            db.connection.DefineRowTest("MANY", arity, [](const double*) { return true; }));
        EXPECT_NE(db.connection.LastFailure().find("from 0 to 16 arguments"), std::string::npos)
            << db.connection.LastFailure();
    }
    EXPECT_TRUE(db.connection.DefineRowTest("MANY", 16, [](const double*) { return true; }));

    // A test that fails fails the statement with its message.
    ASSERT_TRUE(db.connection.DefineRowTest("BAD", 1, [](const double*) -> bool {
        throw std::runtime_error("no answer for this row");
    }));
    EXPECT_EQ(countWhere(db.connection, "BAD(a)"), -1);
    EXPECT_NE(db.connection.LastFailure().find("no answer for this row"), std::string::npos)
        << db.connection.LastFailure();
    ASSERT_TRUE(db.connection.DefineRowTest("BAD", 1, [](const double*) -> bool { throw 42; }));
    EXPECT_EQ(countWhere(db.connection, "BAD(a)"), -1);
    EXPECT_NE(db.connection.LastFailure().find("the row test failed"), std::string::npos)
        << db.connection.LastFailure();

    db.connection.Close();
    EXPECT_FALSE(db.connection.DefineRowTest("ODD", 1, {}));
}
