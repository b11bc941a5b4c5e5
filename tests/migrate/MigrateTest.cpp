// The public call and its summary.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "migrate/Samples.h"
#include "support/Shell.h"
#include "support/TempDir.h"
#include "support/TraceCapture.h"
#include "vornel/Hooks.h"
#include "vornel/Migrate.h"
#include "vornel/VornelMng.h"

using vornel::migrateAccessDatabase;
using vornel::MigrationReport;
using vornel::migrationSummary;
using vornel::test::fileExists;
using vornel::test::readFile;
using vornel::test::sample;
using vornel::test::TempDir;
TEST(Migrate, TheSummaryListsTablesAndRows) {
    TempDir dir;
    MigrationReport report;
    report.error = "left from before";
    report.tables.resize(3);
    ASSERT_EQ(migrateAccessDatabase(sample("DateTestDatabase.mdb"), dir.file("new.db"), report), 1);
    EXPECT_EQ(migrationSummary(report),
              "DateTest: 6 of 6 rows\n1 table, 6 rows: everything came over.\n");
}

TEST(Migrate, TheMigratedFileIsTheLibrarysOwn) {
    TempDir dir;
    const std::string mdb = sample("nwind.mdb");
    const std::string db = dir.file("nwind.db");
    CVornelMng mng;
    EXPECT_EQ(mng.connectDatabase(mdb), 0);
    EXPECT_NE(mng.lastError().find("vornel migrate"), std::string::npos) << mng.lastError();
    MigrationReport report;
    ASSERT_EQ(migrateAccessDatabase(mdb, db, report), 1) << report.error;
    ASSERT_EQ(mng.connectDatabase(db), 1) << mng.lastError();
    int exists = 0;
    EXPECT_EQ(mng.isExistTbl("Orders", exists), 1);
    EXPECT_EQ(exists, 1);
    mng.clearDatabase();
    EXPECT_EQ(vornel::test::sqliteShell(db, "PRAGMA application_id; PRAGMA integrity_check"),
              "1448038990\nok\n");
    EXPECT_FALSE(fileExists(db + "-wal"));
}

TEST(Migrate, ProgressIsShownPerTable) {
    std::vector<std::string> started;
    long ended = 0;
    vornel::ProgressSink sink;
    sink.start = [&](const std::string& message, const std::string&) {
        started.push_back(message);
    };
    sink.end = [&] { ++ended; };
    vornel::setProgressSink(sink);
    TempDir dir;
    MigrationReport report;
    migrateAccessDatabase(sample("nwind.mdb"), dir.file("new.db"), report);
    vornel::setProgressSink({});
    ASSERT_EQ(started.size(), 9u);
    EXPECT_EQ(started[0], "Table 'Order Details' (2155 rows)");
    EXPECT_EQ(started[8], "Table 'Umsätze' (830 rows)");
    EXPECT_EQ(ended, 9);
}

TEST(Migrate, AnExistingDestinationIsLeftAlone) {
    TempDir dir;
    const std::string db = dir.file("new.db");
    std::ofstream(db) << "precious";
    MigrationReport report;
    EXPECT_EQ(migrateAccessDatabase(sample("nwind.mdb"), db, report), 0);
    EXPECT_EQ(readFile(db), "precious");
    EXPECT_TRUE(report.tables.empty());
    EXPECT_EQ(migrationSummary(report),
              "Nothing was written: '" + db +
                  "' already exists; migrating writes a new database and overwrites none\n");
}

TEST(Migrate, WhatDidNotComeOverIsListed) {
    MigrationReport report;
    report.tables.push_back({"Runs", 3, 3, {}, {}});
    report.tables.push_back({"Odd",
                             2,
                             1,
                             {{"Amount", "decimal columns have no counterpart here"}},
                             "row 2 could not be written: CHECK constraint failed"});
    EXPECT_EQ(migrationSummary(report),
              "Runs: 3 of 3 rows\n"
              "Odd: 1 of 2 rows; column Amount not carried: decimal columns have no counterpart "
              "here; row 2 could not be written: CHECK constraint failed\n"
              "2 tables, 4 rows: not everything came over (see above).\n");
    report.error = "reading 'old.mdb' stopped unexpectedly (Segmentation fault)";
    EXPECT_EQ(migrationSummary(report),
              "Runs: 3 of 3 rows\n"
              "Odd: 1 of 2 rows; column Amount not carried: decimal columns have no counterpart "
              "here; row 2 could not be written: CHECK constraint failed\n"
              "Nothing was written: reading 'old.mdb' stopped unexpectedly (Segmentation "
              "fault)\n");
}

TEST(Migrate, ANewFileThatCannotBeMadeIsNamed) {
    TempDir dir;
    vornel::test::TraceCapture capture;
    // The name itself fits; with ".migrating" after it, it is too long.
    const std::string db = dir.file(std::string(250, 'n'));
    MigrationReport report;
    EXPECT_EQ(migrateAccessDatabase(sample("DateTestDatabase.mdb"), db, report), 0);
    EXPECT_EQ(report.error, "Cannot create database '" + db + ".migrating': File name too long");
    EXPECT_FALSE(fileExists(db));
}

TEST(Migrate, TextComesInUtf8WhateverTheEnvironmentAsks) {
    TempDir dir;
    ::setenv("MDBICONV", "UTF-16", 1);
    MigrationReport report;
    const long status = migrateAccessDatabase(sample("nwind.mdb"), dir.file("new.db"), report);
    ::unsetenv("MDBICONV");
    ASSERT_EQ(status, 1) << report.error;
    EXPECT_EQ(report.tables.back().name, "Umsätze");
}
