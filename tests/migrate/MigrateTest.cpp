// Where the public call writes, and what it leaves alone.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <iterator>

#include "migrate/PendingFile.h"
#include "migrate/Testing.h"
#include "support/Allocations.h"
#include "support/ChildStatus.h"
#include "support/Shell.h"
#include "support/TempDir.h"
#include "vornel/Migrate.h"

namespace vornel::test {
namespace {

// Each is refused before anything is read, and what was there stays.
TEST(Migrate, NothingIsWrittenWhereSomethingIsInTheWay) {
    TempDir dir;
    const std::string db = dir.file("new.db");
    const std::string other = dir.file("other.db");
    const std::string tooLong = dir.file(std::string(250, 'n'));  // fits, but not with ".migrating"
    writeFile(db, "precious");
    writeFile(other + ".migrating", "");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {db, "'" + db + "' already exists; migrating writes a new database and overwrites none"},
        {other, "'" + other +
                    ".migrating' is in the way (being written by a migration still running, or "
                    "left by one interrupted); once none runs, move it away and migrate again"},
        {dir.file("no/such/new.db"),
         "cannot write in '" + dir.file("no/such") + "': No such file or directory"},
        {tooLong, "Cannot create database '" + tooLong + ".migrating': File name too long"},
        {"", "the new database's path is empty"},
        {dir.file("a;b=c.db"), "the path '" + dir.file("a;b=c.db") +
                                   "' reads as another in a connection string (through a blank "
                                   "at its start, or a ';' at its end or before an '='); rename "
                                   "the file"},
    };
    for (const auto& [target, error] : cases) {
        MigrationReport report;
        EXPECT_EQ(migrateAccessDatabase(sample("DateTestDatabase.mdb"), target, report), 0);
        EXPECT_EQ(report.error, error);
        EXPECT_TRUE(report.tables.empty());
    }
    EXPECT_EQ(readFile(db), "precious");
    EXPECT_TRUE(fileExists(other + ".migrating"));
    EXPECT_FALSE(fileExists(other));
    EXPECT_FALSE(fileExists(tooLong));
    EXPECT_FALSE(fileExists(dir.file("a")));
    EXPECT_FALSE(fileExists(dir.file("a;b=c.db.migrating")));

    // The code page of a Jet 3 file's text, named by the user, is checked
    // before anything is read.
    setenv("MDB_JET3_CHARSET", "NO-SUCH-CHARSET", 1);
    MigrationReport report;
    EXPECT_EQ(migrateAccessDatabase(sample("nwind.mdb"), dir.file("n.db"), report), 0);
    unsetenv("MDB_JET3_CHARSET");
    EXPECT_EQ(report.error,
              "MDB_JET3_CHARSET names 'NO-SUCH-CHARSET', a character set this system cannot "
              "convert; name one that 'iconv -l' lists, or unset it");
    EXPECT_FALSE(fileExists(dir.file("n.db")));
}

// A commit that cannot be made keeps nothing of its own, and nothing else is lost.
TEST(Migrate, ThePendingFileIsNotPutInPlaceOverAnother) {
    TempDir dir;
    const std::string target = dir.file("new.db");
    {
        migrate::PendingFile pending(target);
        writeFile(pending.path(), "whole");
        writeFile(target, "appeared meanwhile");
        EXPECT_THROW(pending.commit(), migrate::MigrationError);
    }
    EXPECT_EQ(readFile(target), "appeared meanwhile");
    EXPECT_FALSE(fileExists(target + ".migrating"));
    migrate::PendingFile nothing(dir.file("other.db"));
    EXPECT_EQ(errorOf([&] { nothing.commit(); }),  // nothing was written
              "cannot rename '" + nothing.path() + "' to '" + dir.file("other.db") +
                  "': No such file or directory");
}

// A disk that fills as the rows go into the file fails the migration, and
// leaves no file behind, nor one of its journals: no half of a database is
// put in place, nor is a whole one left in a journal that is not.
TEST(Migrate, ADiskThatFillsLeavesNothing) {
    TempDir dir;
    const std::string target = dir.file("n.db");
    const int status = childStatus([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        // nwind's tables take some 690,000 bytes.
        const rlimit full{400000, 400000};
        setrlimit(RLIMIT_FSIZE, &full);
        MigrationReport report;
        return migrateAccessDatabase(sample("nwind.mdb"), target, report) == 0 &&
                       report.error.find("disk I/O error") != std::string::npos
                   ? 0
                   : 1;
    });
    EXPECT_EQ(status, 0);
    for (const char* suffix :
         {"", ".migrating", ".migrating-wal", ".migrating-shm", ".migrating-journal"}) {
        EXPECT_FALSE(fileExists(target + suffix)) << suffix;
    }
    // With room, the file holds its rows itself, with no journal beside it.
    MigrationReport report;
    ASSERT_EQ(migrateAccessDatabase(sample("nwind.mdb"), target, report), 1) << report.error;
    EXPECT_EQ(
        sqliteShell("file:" + target + "?immutable=1", "SELECT count(*) FROM [Order Details]"),
        "2155\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    // Its header (bytes 18 and 19) marks a rollback journal: no commit went
    // to a write-ahead log, whose copy into the file at closing could fail
    // unseen on a full disk.
    EXPECT_EQ(readFile(target).substr(18, 2), std::string("\1\1", 2));
}

// Memory that runs out from any one allocation on, the engine's as well,
// in the migration or in the reader process it starts: the migration says
// so, never throws nor stops the program, and leaves no file behind. Short
// only once, it brings every row over or none: a row left out for memory
// would be one that the next run keeps.
TEST(Migrate, MemoryRunningOutLeavesNothing) {
    TempDir dir;
    const std::string target = dir.file("n.db");
    const std::string source = sample("DateTestDatabase.mdb");
    MigrationReport whole;
    ASSERT_EQ(migrateAccessDatabase(source, dir.file("whole.db"), whole), 1) << whole.error;
    const std::string rows = "SELECT * FROM DateTest";
    long failures = 0;
    long reached = 0;  // the first allocation that a migration never makes
    for (const bool onward : {true, false}) {
        // The reader counts on from where the migration started it.
        for (long nth = 1; onward || nth < reached; nth += nth < 1000 ? 1 : 37) {
            ASSERT_LT(nth, 10000000) << "the migration never got through";
            const std::string at =
                "allocation " + std::to_string(nth) + (onward ? " onward" : " once");
            MigrationReport report;
            long status = -1;
            {
                const FailingAllocation failing(nth, onward, true);
                status = migrateAccessDatabase(source, target, report);
            }
            if (status == 1) {
                EXPECT_EQ(migrationSummary(report), migrationSummary(whole)) << at;
                EXPECT_EQ(sqliteShell(target, rows), sqliteShell(dir.file("whole.db"), rows)) << at;
                std::filesystem::remove(target);
                if (onward) {
                    reached = nth;
                    break;
                }
                continue;
            }
            ++failures;
            EXPECT_EQ(status, 0) << at;
            EXPECT_NE(report.error.find("out of memory"), std::string::npos) << at << report.error;
            for (const char* suffix :
                 {"", ".migrating", ".migrating-wal", ".migrating-shm", ".migrating-journal"}) {
                EXPECT_FALSE(fileExists(target + suffix)) << at << suffix;
            }
        }
    }
    EXPECT_GT(failures, 1000);
}

}  // namespace
}  // namespace vornel::test
