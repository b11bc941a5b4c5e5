// The two sample Access files, migrated, then read back through the
// library's own wrappers and compared cell by cell with what mdb-export
// reads from the originals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <tuple>

#include "db/Ado.h"
#include "engine/Engine.h"
#include "migrate/MdbTools.h"
#include "migrate/Testing.h"
#include "support/Shell.h"
#include "support/TempDir.h"
#include "vornel/Migrate.h"

using vornel::test::mdbExport;
using vornel::test::mdbSchema;
using vornel::test::mdbTables;
using vornel::test::sample;
using vornel::test::sqliteShell;
using vornel::test::TempDir;
namespace engine = vornel::engine;

namespace {

// mdb-export 1.0 cannot print a date before 1899-12-30 or after the year
// 4637: it writes day 0 of 1900 instead (mdbtools issue 367). Those cells are
// compared with the dates the file holds, as a later mdb-export prints the
// years before 1900, and the first day of 9999 (2958101 days) in the row
// whose text says "Year 9999".
constexpr char kBeyondMdbExport[] = "1900-01-00 00:00:00";
using CellKey = std::tuple<std::string, int, std::string>;  // table, row, column
const std::map<CellKey, std::string> kDatesBeyondMdbExport = {
    {{"DateTest", 1, "DateTimeCol"}, "9999-01-01 00:00:00"},
    {{"DateTest", 1, "DateCol"}, "9999-01-01 00:00:00"},
    {{"DateTest", 1, "TimeCol"}, "9999-01-01 00:00:00"},
    {{"DateTest", 2, "DateTimeCol"}, "1898-01-01 00:00:00"},
    {{"DateTest", 2, "DateCol"}, "1899-01-01 00:00:00"},
    {{"DateTest", 3, "DateTimeCol"}, "0632-01-01 00:00:00"},
    {{"DateTest", 3, "DateCol"}, "0633-01-01 00:00:00"},
    {{"DateTest", 3, "TimeCol"}, "0634-01-01 00:00:00"},
};

std::string printed(const char* format, double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, value);
    return buf;
}

bool startsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

struct Tally {
    long cells = 0;
    long pictures = 0;  // non-empty long binary values, compared byte for byte
    std::set<CellKey> datesBeyondMdbExport;
};

// Column `index` of the current row as mdb-export would print it, read
// through the typed getters the library uses; `type` is mdb-schema's word.
std::string readBack(CDbRecordset& rs, long index, const std::string& type, Tally& tally) {
    std::string text;
    EXPECT_EQ(rs.GetCollect(index, text), 1);
    if (startsWith(type, "OLE") || startsWith(type, "Binary")) {
        std::vector<uint8_t> bytes(static_cast<size_t>(rs.GetField(index).actualSize()));
        EXPECT_EQ(rs.GetChunk(index, bytes.data()), 1);
        static const char kDigits[] = "0123456789ABCDEF";
        std::string hex;
        for (uint8_t b : bytes) {
            hex += kDigits[b >> 4];
            hex += kDigits[b & 15];
        }
        tally.pictures += bytes.empty() ? 0 : 1;
        return hex;
    }
    if (startsWith(type, "Boolean")) {
        long value = 7;
        EXPECT_EQ(rs.GetCollect(index, value), 1);
        EXPECT_TRUE(value == -1 || value == 0);
        return value != 0 ? "1" : "0";
    }
    const char* format = startsWith(type, "Currency") ? "%.4f"
                         : startsWith(type, "Single") ? "%.8g"
                         : startsWith(type, "Double") ? "%.16g"
                                                      : nullptr;
    if (format == nullptr || text.empty()) {
        return text;  // integers, dates, text, memo; a NULL
    }
    double value = 0.0;
    EXPECT_EQ(rs.GetCollect(index, value), 1);
    return printed(format, startsWith(type, "Single") ? static_cast<float>(value) : value);
}

void compareTable(CDbConnection& connection, const std::string& file, const std::string& table,
                  Tally& tally) {
    SCOPED_TRACE(table);
    const auto columns = mdbSchema(file, table);
    const auto expected = mdbExport(file, table);
    ASSERT_FALSE(expected.empty());
    ASSERT_EQ(expected[0].size(), columns.size());

    CDbRecordset rs(&connection);
    ASSERT_EQ(rs.Open(("SELECT * FROM [" + table + "]").c_str(), engine::adCmdText,
                      engine::adOpenStatic, engine::adLockOptimistic),
              1);
    ASSERT_EQ(rs.GetFieldsCount(), static_cast<long>(columns.size()));
    EXPECT_EQ(rs.GetRecordCount(), static_cast<long>(expected.size() - 1));
    int row = 0;
    for (; rs.IsEOF() == 0; rs.MoveNext(), ++row) {
        ASSERT_LT(static_cast<size_t>(row) + 1, expected.size());
        const auto& want = expected[static_cast<size_t>(row) + 1];
        ASSERT_EQ(want.size(), columns.size()) << "row " << row;
        for (size_t c = 0; c < columns.size(); ++c) {
            const auto& [name, type] = columns[c];
            std::string reference = want[c];
            if (reference == kBeyondMdbExport) {
                const CellKey key{table, row, name};
                ASSERT_EQ(kDatesBeyondMdbExport.count(key), 1u) << name << " row " << row;
                reference = kDatesBeyondMdbExport.at(key);
                tally.datesBeyondMdbExport.insert(key);
            }
            EXPECT_EQ(readBack(rs, static_cast<long>(c), type, tally), reference)
                << "column " << name << ", row " << row;
            ++tally.cells;
        }
    }
    EXPECT_EQ(static_cast<size_t>(row) + 1, expected.size());
}

// The tables of a database the sqlite3 shell sees, sorted.
std::vector<std::string> tablesOf(const std::string& db) {
    std::vector<std::string> tables;
    const std::string out =
        sqliteShell(db, "SELECT name FROM sqlite_schema WHERE type = 'table' ORDER BY name");
    size_t start = 0;
    for (size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
        tables.push_back(out.substr(start, end - start));
    }
    return tables;
}

Tally migrateAndCompare(const std::string& file, const std::string& db) {
    vornel::MigrationReport report;
    EXPECT_EQ(vornel::migrateAccessDatabase(file, db, report), 1) << report.error;

    auto tables = mdbTables(file);
    EXPECT_EQ(report.tables.size(), tables.size());
    for (size_t i = 0; i < report.tables.size() && i < tables.size(); ++i) {
        const auto& t = report.tables[i];
        EXPECT_EQ(t.name, tables[i]);
        EXPECT_EQ(t.rowsRead, t.rowsWritten);
        EXPECT_TRUE(t.columnsNotCarried.empty()) << t.name;
        EXPECT_TRUE(t.rowsNotWritten.empty()) << t.rowsNotWritten;
    }
    std::sort(tables.begin(), tables.end());
    EXPECT_EQ(tablesOf(db), tables);

    Tally tally;
    CDbConnection connection;
    EXPECT_EQ(connection.OpenJetDatabase(db, "", engine::adConnectUnspecified), 1);
    for (const auto& table : tables) {
        compareTable(connection, file, table, tally);
    }
    return tally;
}

}  // namespace

TEST(SampleMigration, Jet3NorthwindEqualsWhatMdbExportReads) {
    TempDir dir;
    const std::string db = dir.file("nwind.db");
    const Tally tally = migrateAndCompare(sample("nwind.mdb"), db);
    // 9 tables: 4032 rows, 36328 cells; 17 OLE pictures.
    EXPECT_EQ(tally.cells, 36328);
    EXPECT_EQ(tally.pictures, 17);

    // A currency reads back as one, a yes as -1.
    CDbConnection connection;
    ASSERT_EQ(connection.OpenJetDatabase(db, "", engine::adConnectUnspecified), 1);
    CDbRecordset rs(&connection);
    ASSERT_EQ(rs.Open("SELECT UnitPrice, Discontinued FROM Products WHERE ProductID = 5",
                      engine::adCmdText, engine::adOpenStatic, engine::adLockOptimistic),
              1);
    std::string price;
    long discontinued = 0;
    EXPECT_EQ(rs.GetCollect(0, price), 1);
    EXPECT_EQ(price, "21.35");  // 21.3500: the currency text keeps two to four decimals
    EXPECT_EQ(rs.GetCollect(1, discontinued), 1);
    EXPECT_EQ(discontinued, -1);
}

TEST(SampleMigration, Jet4DatesEqualWhatTheFileHolds) {
    TempDir dir;
    const Tally tally = migrateAndCompare(sample("DateTestDatabase.mdb"), dir.file("new.db"));
    EXPECT_EQ(tally.cells, 36);
    EXPECT_EQ(tally.datesBeyondMdbExport.size(), kDatesBeyondMdbExport.size());
}
