// Files that are not whole Access databases: each is refused with one line
// that names the file and what is wrong, and nothing is left behind. A
// damaged copy of a sample file is also given to the reader here, in this
// process, where a crash or a leak would show.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>
#include <tuple>

#include "migrate/AccessReader.h"
#include "migrate/Testing.h"
#include "support/ChildStatus.h"
#include "support/Shell.h"
#include "support/TempDir.h"
#include "vornel/Migrate.h"

namespace vornel::test {
namespace {

class HostileInput : public ::testing::Test {
protected:
    // Migrates `file` and expects a refusal whose one line holds `why`.
    void expectRefused(const std::string& file, const std::string& why) {
        SCOPED_TRACE(file);
        MigrationReport report;
        EXPECT_EQ(migrateAccessDatabase(file, target, report), 0);
        EXPECT_NE(report.error.find(why), std::string::npos) << report.error;
        EXPECT_EQ(report.error.find('\n'), std::string::npos) << report.error;
        // A line for each table read before the error, then the error.
        const std::vector<std::string> summary = linesOf(migrationSummary(report));
        EXPECT_EQ(summary.size(), report.tables.size() + 1);
        EXPECT_EQ(summary.back(), "Nothing was written: " + report.error);
        for (const char* suffix : {"", ".migrating", ".migrating-wal", ".migrating-shm"}) {
            EXPECT_FALSE(fileExists(target + suffix)) << suffix;
        }
    }

    // The reader here refuses the copy, saying why, and the migration with
    // the same line.
    void expectDamaged(const std::string& copy, const std::string& why) {
        Collector ignored;
        const std::string error = errorOf([&] { migrate::readAccessFile(copy, ignored); });
        EXPECT_EQ(error.rfind("'" + copy + "' is damaged: " + why, 0), 0u) << error;
        expectRefused(copy, error);
    }

    // A copy of nwind.mdb with `content` written over it at `at`, or cut at
    // `at` when content is empty.
    std::string damagedCopy(size_t at, const std::string& content = {}) {
        std::string bytes = nwind.substr(0, content.empty() ? at : nwind.size());
        bytes.replace(std::min(at, bytes.size()), content.size(), content);
        std::string path = dir.file("damaged.mdb");
        writeFile(path, bytes);
        return path;
    }

    static std::string garbage(size_t size, unsigned seed) {
        std::mt19937 random(seed);
        std::string out(size, '\0');
        std::generate(out.begin(), out.end(), [&] { return static_cast<char>(random()); });
        return out;
    }

    TempDir dir;
    const std::string target = dir.file("new.db");
    const std::string nwind = readFile(sample("nwind.mdb"));
};

// The header of an Access file of the given engine and version, padded with
// zeros to `size` bytes.
std::string header(const char* engine, char version, size_t size) {
    std::string bytes = std::string("\0\1\0\0", 4) + engine + std::string(1, '\0') + version;
    bytes.resize(size, '\0');
    return bytes;
}

TEST_F(HostileInput, FilesThatAreNotWholeAccessDatabases) {
    expectRefused(dir.file("absent.mdb"),
                  "cannot open '" + dir.file("absent.mdb") + "': No such file or directory");
    expectRefused(dir.path(), "'" + dir.path() + "' is not a file");
    const std::string later = "is an Access database of a later version than Jet 4";
    const std::vector<std::pair<std::string, std::string>> files = {
        {"", "is empty, not an Access database"},
        {"Block model notes\nnot a database\n", "is not an Access database"},
        {header("Standard Jet DB", 0, 20), "is not an Access database"},
        {header("Standard XYZ DB", 0, 2048), "is not an Access database"},
        {header("Standard ACE DB", 2, 4096), later},
        {header("Standard Jet DB", 2, 4096), later},
        // Jet 3 pages are 2 KiB, Jet 4 pages 4 KiB.
        {header("Standard Jet DB", 0, size_t{3} * 2048 + 1),
         "is damaged: it ends part-way through a page (6145 bytes); it may have been cut short"},
        {header("Standard Jet DB", 1, size_t{3} * 2048),
         "is damaged: it ends part-way through a page (6144"},
    };
    const std::string path = dir.file("old.mdb");
    for (const auto& [content, why] : files) {
        writeFile(path, content);
        expectRefused(path, "'" + path + "' " + why);
    }
    // A sound file this user may not read is not called something else.
    // Run as nobody, for the mode to bind.
    writeFile(path, nwind);
    std::filesystem::permissions(path, std::filesystem::perms::none);
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    const int status = childStatus([&] {
        if (geteuid() == 0 && setuid(65534) != 0) {
            return 2;
        }
        MigrationReport report;
        migrateAccessDatabase(path, target, report);
        return report.error == "cannot open '" + path + "': Permission denied" ? 0 : 3;
    });
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(status, 0) << "2 cannot become nobody, 3 refused for another reason";
}

TEST_F(HostileInput, CopiesCutShortOrOverwritten) {
    const size_t page = 2048;
    const size_t pages = nwind.size() / page;
    const size_t middle = nwind.size() / 2;  // a page of long values
    // The catalog's properties of MSysDb (749 bytes, after page 733) and of
    // the query Customers and Suppliers by City (438, row 0 of page 733), as
    // mdb-export reads them; the garbage of seed 1 moves that row's start to
    // byte 400 of its page, 1648 bytes before the page's end.
    const std::string lvProp = "a long value of table 'MSysObjects', column 'LvProp' ";
    // The header of MSysDb's properties: 749 with the flag of a value on one
    // page, four bytes found nowhere else in the file.
    const std::string onePage749("\xed\x02\x00\x40", 4);
    const size_t lvHeader = nwind.find(onePage749);
    ASSERT_EQ(nwind.find(onePage749, lvHeader + 1), std::string::npos);
    // What is missing or overwritten held rows, long values or the list of
    // tables, which the reader misses: {where, what is written there (cut
    // there when nothing), what the reader says}.
    const std::vector<std::tuple<size_t, std::string, std::string>> copies = {
        {page, "", "its list of tables cannot be read"},
        {56 * page, "", "its list of tables is incomplete"},
        {2 * page + 100, garbage(64, 4), "its list of tables is incomplete"},
        {733 * page, "", lvProp + "should have 749 bytes, but 0 can be read"},
        {lvHeader, std::string("\xff\xff\xff\x7f", 4),
         lvProp + "claims more bytes than the file has"},
        // 14 bytes on, near the end of the header's row, the row's table of
        // where its columns start gives the next column's start: moved to 8
        // bytes into the header, it leaves the header 8 bytes long.
        {lvHeader + 14, std::string("\x2f", 1), lvProp + "has no header"},
        {middle, garbage(16, 1), lvProp + "should have 438 bytes, but 1648 can be read"},
        {middle, garbage(4096, 2), lvProp + "should have 438 bytes, but 0 can be read"},
        {middle, std::string(65536, '\0'), lvProp + "should have 749 bytes, but 0 can be read"},
        {1465 * page, "", "table 'MSysAccessObjects' counts 2705 rows, but 2704 can be read"},
        // Rows of Order Details and of Customers, their pages' headers intact.
        {460 * page + 8, garbage(page - 8, 5), "table 'Order Details' counts 2155 rows, but"},
        {82 * page + 8, garbage(page - 8, 6), "a value of table 'Customers', column 'CompanyName'"},
        {82 * page + 8, std::string(page - 8, 'Z'), ""},
    };
    for (const auto& [at, content, why] : copies) {
        expectDamaged(damagedCopy(at, content), why);
    }
    for (size_t cut :
         {size_t{2}, size_t{3}, pages / 4, pages / 2, pages * 2 / 3, pages - 100, pages - 1}) {
        expectDamaged(damagedCopy(cut * page), "");
    }
}

TEST_F(HostileInput, RandomDamageNeverCrashesNorLeavesAHalfFile) {
    std::mt19937 random(20261205);
    for (int i = 0; i < 12; ++i) {
        std::string bytes = nwind;
        const int flips = 1 + static_cast<int>(random() % 40);
        for (int f = 0; f < flips; ++f) {
            bytes[2048 + random() % (bytes.size() - 2048)] = static_cast<char>(random());
        }
        const std::string path = dir.file("mutated.mdb");
        writeFile(path, bytes);
        MigrationReport report;
        migrateAccessDatabase(path, target, report);
        // Jet keeps no checksums: a changed value that breaks no structure
        // comes over as the file holds it.
        EXPECT_EQ(fileExists(target), report.error.empty()) << report.error;
        EXPECT_FALSE(fileExists(target + ".migrating"));
        std::remove(target.c_str());
    }
}

// Cut at this page, the file sends libmdb round in a loop while it reads
// the catalog's properties: the reader is stopped when it stops reporting,
// here after 2 s rather than its usual 20.
TEST_F(HostileInput, AReaderThatLoopsIsStopped) {
    ::setenv("VORNEL_READER_IDLE_MS", "2000", 1);
    expectRefused(damagedCopy(736 * size_t{2048}),
                  "made no progress for 2 s and was stopped; the file is probably damaged");
    // A wait of 0 would stop every reader at once: it is taken for the default.
    ::setenv("VORNEL_READER_IDLE_MS", "0", 1);
    MigrationReport report;
    EXPECT_EQ(migrateAccessDatabase(sample("DateTestDatabase.mdb"), target, report), 1)
        << report.error;
    ::unsetenv("VORNEL_READER_IDLE_MS");
}

// A date no Access version writes, past 9999-12-31 (day 2958465 from 1899-12-30).
TEST_F(HostileInput, ADateBeyondTheYear9999) {
    const auto day = [](double d) {
        std::string bytes(sizeof d, '\0');
        std::memcpy(bytes.data(), &d, sizeof d);
        return bytes;
    };
    // Row 1 holds 9999-01-01 in each date column, DateTimeCol first. Kept to
    // the second, 23:59:59.99 on the last day is in the year 10000 too.
    for (const double beyond : {2958466.0, 2958466.0 - 0.01 / 86400}) {
        std::string bytes = readFile(sample("DateTestDatabase.mdb"));
        const size_t at = bytes.find(day(2958101.0));
        ASSERT_NE(at, std::string::npos);
        bytes.replace(at, 8, day(beyond));
        const std::string copy = dir.file("dates.mdb");
        writeFile(copy, bytes);
        expectDamaged(copy,
                      "a date in table 'DateTest', column 'DateTimeCol' lies outside the years "
                      "100 to 9999");
    }
}

}  // namespace
}  // namespace vornel::test
