// A new database file, connected, and the options its queries are opened with.
#ifndef VORNEL_TESTS_TESTDATABASE_H
#define VORNEL_TESTS_TESTDATABASE_H

#include <gtest/gtest.h>

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

}  // namespace vornel::test

#endif
