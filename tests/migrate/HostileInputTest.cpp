// Files that are not whole Access databases: each is refused with one line
// that names the file and what is wrong, and nothing is left behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <random>

#include "migrate/Samples.h"
#include "support/Shell.h"
#include "support/TempDir.h"
#include "vornel/Migrate.h"

using vornel::test::fileExists;
using vornel::test::readFile;
using vornel::test::sample;
using vornel::test::TempDir;
namespace {

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

class HostileInput : public ::testing::Test {
protected:
    // Migrates `file` and expects a refusal whose one line holds `why`.
    void expectRefused(const std::string& file, const std::string& why) {
        SCOPED_TRACE(file);
        vornel::MigrationReport report;
        EXPECT_EQ(vornel::migrateAccessDatabase(file, target, report), 0);
        EXPECT_NE(report.error.find(why), std::string::npos) << report.error;
        EXPECT_EQ(report.error.find('\n'), std::string::npos) << report.error;
        for (const char* suffix : {"", ".migrating", ".migrating-wal", ".migrating-shm"}) {
            EXPECT_FALSE(fileExists(target + suffix)) << suffix;
        }
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

}  // namespace

TEST_F(HostileInput, FilesThatAreNotAccessDatabases) {
    expectRefused(dir.file("absent.mdb"),
                  "cannot open '" + dir.file("absent.mdb") + "': No such file or directory");
    writeFile(dir.file("empty.mdb"), "");
    expectRefused(dir.file("empty.mdb"), "'" + dir.file("empty.mdb") + "' is empty");
    writeFile(dir.file("notes.txt"), "Block model notes\nnot a database\n");
    expectRefused(dir.file("notes.txt"),
                  "'" + dir.file("notes.txt") + "' is not an Access database");
    writeFile(dir.file("x"), "x");
    expectRefused(dir.file("x"), "is not an Access database");
    expectRefused(dir.path(), "'" + dir.path() + "' is not a file");
}

TEST_F(HostileInput, TruncatedCopiesAtManyCutPoints) {
    const size_t page = 2048;
    const size_t pages = nwind.size() / page;
    expectRefused(damagedCopy(1), "is not an Access database");
    // Part-way through a page: seen before any parser runs.
    for (size_t cut : {size_t{100}, page + 7, nwind.size() / 2 + 1000, nwind.size() - 1}) {
        expectRefused(damagedCopy(cut), "ends part-way through a page");
    }
    // On a page boundary: the pages missing hold rows, long values or the
    // list of tables, which the reader misses.
    for (size_t cut : {size_t{2}, size_t{3}, size_t{56}, pages / 4, pages / 2, pages * 2 / 3,
                       pages - 100, pages - 1}) {
        expectRefused(damagedCopy(cut * page), "is damaged");
    }
}

TEST_F(HostileInput, CorruptedBytesInTheMiddle) {
    const size_t page = 2048;
    const size_t middle = nwind.size() / 2;  // a page of long values
    expectRefused(damagedCopy(middle, garbage(16, 1)), "is damaged: a long value");
    expectRefused(damagedCopy(middle, garbage(4096, 2)), "is damaged: a long value");
    expectRefused(damagedCopy(middle, std::string(65536, '\0')), "is damaged: a long value");
    // Rows of Order Details and of Customers, their pages' headers intact.
    expectRefused(damagedCopy(460 * page + 8, garbage(page - 8, 5)),
                  "is damaged: table 'Order Details' counts 2155 rows, but");
    expectRefused(damagedCopy(82 * page + 8, garbage(page - 8, 6)),
                  "is damaged: a value of table 'Customers', column 'CompanyName'");
    // The list of tables.
    expectRefused(damagedCopy(2 * page + 100, garbage(64, 4)),
                  "is damaged: its list of tables is incomplete");
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
        vornel::MigrationReport report;
        const long status = vornel::migrateAccessDatabase(path, target, report);
        // Jet keeps no checksums: a changed value that breaks no structure
        // comes over as the file holds it.
        EXPECT_EQ(fileExists(target), report.error.empty()) << report.error;
        EXPECT_TRUE(status == 0 || report.error.empty());
        EXPECT_FALSE(fileExists(target + ".migrating"));
        std::remove(target.c_str());
    }
}

// Cut at this page, the file sends libmdb round in a loop while it reads
// the catalog's properties: the reader is stopped when it stops reporting.
TEST_F(HostileInput, AReaderThatLoopsIsStopped) {
    expectRefused(damagedCopy(736 * size_t{2048}),
                  "made no progress for 20 s and was stopped; the file is probably damaged");
}
