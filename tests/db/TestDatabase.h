// A new database file, connected, the options its queries are opened with,
// and a count of the rows a condition keeps.
#ifndef VORNEL_TESTS_TESTDATABASE_H
#define VORNEL_TESTS_TESTDATABASE_H

#include <gtest/gtest.h>

#include <string>

#include "db/Ado.h"
#include "support/TempDir.h"

namespace vornel::test {

constexpr long kText = engine::adCmdText;
constexpr long kStatic = engine::adOpenStatic;
constexpr long kOptimistic = engine::adLockOptimistic;

struct Database {
    // With a first table when its statement is given.
    explicit Database(const char* createTable = nullptr) {
        engine::createDatabaseFile(path);
        EXPECT_EQ(connection.OpenJetDatabase(path, "", -1), 1);
        if (createTable != nullptr) {
            EXPECT_TRUE(connection.Execute(createTable, kText));
        }
    }
    TempDir dir;
    const std::string path = dir.file("test.db");
    CDbConnection connection;
};

// How many rows of table T the condition keeps; -1 when it cannot be run.
inline long countWhere(CDbConnection& connection, const std::string& condition) {
    CDbRecordset rs(&connection);
    long n = -1;
    if (rs.Open(("SELECT count(*) FROM T WHERE " + condition).c_str(), kText, kStatic,
                kOptimistic) == 0 ||
        rs.GetCollect(0, n) == 0) {
        return -1;
    }
    return n;
}

}  // namespace vornel::test

#endif
