// The public call and its summary, and what it writes where.
#include <gtest/gtest.h>

#include <cstdlib>

#include "migrate/MigrationError.h"
#include "migrate/PendingFile.h"
#include "migrate/Testing.h"
#include "support/Shell.h"
#include "support/TempDir.h"
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

TEST(Migrate, TheSummaryListsTablesRowsAndWhatDidNotComeOver) {
    TempDir dir;
    MigrationReport report;
    report.error = "left from before";
    report.tables.resize(3);
    ASSERT_EQ(migrateAccessDatabase(sample("DateTestDatabase.mdb"), dir.file("new.db"), report), 1);
    EXPECT_EQ(migrationSummary(report),
              "DateTest: 6 of 6 rows\n1 table, 6 rows: everything came over.\n");

    report.tables = {{"Runs", 3, 3, {}, {}},
                     {"Odd",
                      2,
                      1,
                      {{"Amount", "decimal columns have no counterpart here"}},
                      "row 2 could not be written: CHECK constraint failed"}};
    const std::string tables =
        "Runs: 3 of 3 rows\n"
        "Odd: 1 of 2 rows; column Amount not carried: decimal columns have no counterpart "
        "here; row 2 could not be written: CHECK constraint failed\n";
    EXPECT_EQ(migrationSummary(report),
              tables + "2 tables, 4 rows: not everything came over (see above).\n");
    report.error = "reading 'old.mdb' stopped unexpectedly (Segmentation fault)";
    EXPECT_EQ(migrationSummary(report), tables + "Nothing was written: " + report.error + "\n");
}

// Text comes in UTF-8 whatever the environment asks of the reader.
TEST(Migrate, NorthwindBecomesTheLibrarysOwnFileWithProgressPerTable) {
    TempDir dir;
    const std::string mdb = sample("nwind.mdb");
    const std::string db = dir.file("nwind.db");
    CVornelMng mng;
    EXPECT_EQ(mng.connectDatabase(mdb), 0);
    EXPECT_TRUE(vornel::test::contains(mng.lastError(), "vornel migrate")) << mng.lastError();

    std::vector<std::string> started;
    long ended = 0;
    vornel::ProgressSink sink;
    sink.start = [&](const std::string& message, const std::string&) {
        started.push_back(message);
    };
    sink.end = [&] { ++ended; };
    vornel::setProgressSink(sink);
    ::setenv("MDBICONV", "UTF-16", 1);
    MigrationReport report;
    const long status = migrateAccessDatabase(mdb, db, report);
    ::unsetenv("MDBICONV");
    vornel::setProgressSink({});
    ASSERT_EQ(status, 1) << report.error;
    EXPECT_EQ(report.tables.back().name, "Umsätze");
    ASSERT_EQ(started.size(), 9u);
    EXPECT_EQ(started[0], "Table 'Order Details' (2155 rows)");
    EXPECT_EQ(started[8], "Table 'Umsätze' (830 rows)");
    EXPECT_EQ(ended, 9);

    ASSERT_EQ(mng.connectDatabase(db), 1) << mng.lastError();
    int exists = 0;
    EXPECT_EQ(mng.isExistTbl("Orders", exists), 1);
    EXPECT_EQ(exists, 1);
    mng.clearDatabase();
    EXPECT_EQ(vornel::test::sqliteShell(db, "PRAGMA application_id; PRAGMA integrity_check"),
              "1448038990\nok\n");
    EXPECT_FALSE(fileExists(db + "-wal"));
}

TEST(Migrate, NothingIsWrittenWhereSomethingIsInTheWay) {
    TempDir dir;
    const std::string access = sample("DateTestDatabase.mdb");
    const std::string db = dir.file("new.db");
    vornel::test::writeFile(db, "precious");
    MigrationReport report;
    EXPECT_EQ(migrateAccessDatabase(access, db, report), 0);
    EXPECT_EQ(readFile(db), "precious");
    EXPECT_TRUE(report.tables.empty());
    EXPECT_EQ(migrationSummary(report),
              "Nothing was written: '" + db +
                  "' already exists; migrating writes a new database and overwrites none\n");

    const std::string other = dir.file("other.db");
    vornel::test::writeFile(other + ".migrating", "");
    EXPECT_EQ(migrateAccessDatabase(access, other, report), 0);
    EXPECT_EQ(report.error, "'" + other +
                                ".migrating' is in the way (perhaps left by an interrupted "
                                "migration); move it away and migrate again");
    EXPECT_TRUE(fileExists(other + ".migrating"));

    EXPECT_EQ(migrateAccessDatabase(access, dir.file("no/such/new.db"), report), 0);
    EXPECT_EQ(report.error,
              "cannot write in '" + dir.file("no/such") + "': No such file or directory");
    // The name itself fits; with ".migrating" after it, it is too long.
    const std::string tooLong = dir.file(std::string(250, 'n'));
    EXPECT_EQ(migrateAccessDatabase(access, tooLong, report), 0);
    EXPECT_EQ(report.error,
              "Cannot create database '" + tooLong + ".migrating': File name too long");
    EXPECT_FALSE(fileExists(other));
    EXPECT_FALSE(fileExists(tooLong));
}

// A commit that cannot be made keeps nothing of its own, and nothing else is lost.
TEST(Migrate, ThePendingFileIsNotPutInPlaceOverAnother) {
    using vornel::migrate::MigrationError;
    using vornel::migrate::PendingFile;
    TempDir dir;
    const std::string target = dir.file("new.db");
    {
        PendingFile pending(target);
        vornel::test::writeFile(pending.path(), "whole");
        vornel::test::writeFile(target, "appeared meanwhile");
        EXPECT_THROW(pending.commit(), MigrationError);
    }
    EXPECT_EQ(readFile(target), "appeared meanwhile");
    EXPECT_FALSE(fileExists(target + ".migrating"));
    PendingFile nothing(dir.file("other.db"));
    try {
        nothing.commit();  // nothing was written
        ADD_FAILURE() << "renamed nothing";
    } catch (const MigrationError& e) {
        EXPECT_EQ(std::string(e.what()), "cannot rename '" + nothing.path() + "' to '" +
                                             dir.file("other.db") + "': No such file or directory");
    }
}
