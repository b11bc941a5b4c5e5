// A manager on a new database with its parameter tables.
#ifndef VORNEL_TESTS_STOREFIXTURE_H
#define VORNEL_TESTS_STOREFIXTURE_H

#include <gtest/gtest.h>

#include <cstring>

#include "support/Shell.h"
#include "support/TempDir.h"
#include "vornel/VornelMng.h"

namespace vornel::test {

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.file("model.mdb");
        ASSERT_EQ(mng.createDatabase(path), 1) << mng.lastError();
        ASSERT_EQ(mng.initDataBase(), 1) << mng.lastError();
    }

    // What the sqlite3 shell shows for a query, after the manager let go.
    std::string shell(const std::string& sql) {
        mng.clearDatabase();
        std::string out = sqliteShell(path, sql);
        EXPECT_EQ(mng.connectDatabase(path), 1) << mng.lastError();
        return out;
    }

    static KrigBlockParam run(const char* element, const char* table, const char* voidTable) {
        KrigBlockParam p;
        std::strcpy(p.Mine_Element, element);
        std::strcpy(p.Table_Name, table);
        std::strcpy(p.VoidTable_Name, voidTable);
        return p;
    }

    long insert(KrigBlockParam p) {
        std::vector<long> ids;
        return mng.insertIntoBlockParam(&p, 1, ids);
    }

    TempDir dir;
    std::string path;
    CVornelMng mng;
};

}  // namespace vornel::test

#endif
