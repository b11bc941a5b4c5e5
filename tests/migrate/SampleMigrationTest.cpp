// The two sample Access files, migrated, then read back through the
// library's own wrappers and compared cell by cell with what mdbtools, a
// reader independent of the migration, reads from the originals. And the
// reader alone, in this process, where a crash or a leak would show (the
// migration runs it in a child): how it describes the columns.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <sstream>
#include <stdexcept>
#include <tuple>

#include "db/Ado.h"
#include "engine/Engine.h"
#include "migrate/AccessReader.h"
#include "migrate/FixedValue.h"
#include "migrate/MigrationError.h"
#include "migrate/Testing.h"
#include "support/Shell.h"
#include "support/TempDir.h"
#include "vornel/Migrate.h"
#include "vornel/VornelMng.h"

namespace vornel::migrate {
namespace {

using namespace test;

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

std::string mdbTool(const std::string& command) {
    int status = 0;
    std::string out = shellOutput(command, &status);
    if (status != 0) {
        throw std::runtime_error("failed: " + command);
    }
    return out;
}

// Each column's name and type as mdb-schema writes them ("Long Integer",
// "Text (5)", "OLE (255)", ...).
std::vector<std::pair<std::string, std::string>> mdbSchema(const std::string& file,
                                                           const std::string& table) {
    std::vector<std::pair<std::string, std::string>> columns;
    for (const std::string& line : linesOf(mdbTool("mdb-schema --no-not-null -T " +
                                                   shellQuote(table) + " " + shellQuote(file)))) {
        if (line.rfind("\t[", 0) == 0) {
            const size_t close = line.find(']');
            std::string type = line.substr(line.find_first_not_of('\t', close + 1));
            type.resize(type.find_last_not_of(", ") + 1);
            columns.emplace_back(line.substr(2, close - 2), type);
        }
    }
    return columns;
}

// The table as mdb-export writes it, the header first: binary values in
// upper-case hexadecimal, dates as YYYY-MM-DD HH:MM:SS, yes/no as 1 or 0,
// and a NULL as nothing; unquoted, between separators no sample value holds.
std::vector<std::vector<std::string>> mdbExport(const std::string& file, const std::string& table) {
    const std::string dates = shellQuote("%Y-%m-%d %H:%M:%S");
    std::istringstream in(mdbTool("mdb-export -Q -d " + shellQuote("\x1f") + " -R " +
                                  shellQuote("\x1e") + " -b hex -D " + dates + " -T " + dates +
                                  " " + shellQuote(file) + " " + shellQuote(table)));
    std::vector<std::vector<std::string>> rows;
    for (std::string line; std::getline(in, line, '\x1e');) {
        std::istringstream cells(line + '\x1f');  // so that an empty last cell counts
        auto& row = rows.emplace_back();
        for (std::string cell; std::getline(cells, cell, '\x1f');) {
            row.push_back(cell);
        }
    }
    return rows;
}

bool startsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

// Column `index` of the current row as mdb-export would print it, read
// through the typed getters the library uses; `type` is mdb-schema's word.
std::string readBack(CDbRecordset& rs, long index, const std::string& type) {
    std::string text;
    EXPECT_EQ(rs.GetCollect(index, text), 1);
    if (startsWith(type, "OLE") || startsWith(type, "Binary")) {
        std::vector<uint8_t> bytes(static_cast<size_t>(rs.GetField(index).actualSize()));
        EXPECT_EQ(rs.GetChunk(index, bytes.data()), 1);
        std::string hex;
        for (uint8_t b : bytes) {
            hex += "0123456789ABCDEF"[b >> 4];
            hex += "0123456789ABCDEF"[b & 15];
        }
        return hex;
    }
    if (startsWith(type, "Boolean")) {
        long value = 7;
        EXPECT_EQ(rs.GetCollect(index, value), 1);
        EXPECT_TRUE(value == -1 || value == 0);
        return value != 0 ? "1" : "0";
    }
    if (startsWith(type, "Currency") && !text.empty()) {
        // The library writes two to four decimals (21.35), mdb-export four.
        const size_t decimals = text.size() - text.find('.') - 1;
        EXPECT_TRUE(decimals >= 2 && decimals <= 4 && (decimals == 2 || text.back() != '0'))
            << text;
        return text + std::string(4 - std::min<size_t>(decimals, 4), '0');
    }
    const bool single = startsWith(type, "Single");
    if (text.empty() || (!single && !startsWith(type, "Double"))) {
        return text;  // integers, dates, text, memo; a NULL
    }
    double value = 0.0;
    EXPECT_EQ(rs.GetCollect(index, value), 1);
    char buf[64];
    std::snprintf(buf, sizeof buf, single ? "%.8g" : "%.16g",
                  single ? static_cast<float>(value) : value);
    return buf;
}

void compareTable(CDbConnection& connection, const std::string& file, const std::string& table) {
    SCOPED_TRACE(table);
    const auto columns = mdbSchema(file, table);
    auto expected = mdbExport(file, table);
    CDbRecordset rs(&connection);
    ASSERT_EQ(rs.Open(("SELECT * FROM [" + table + "]").c_str(), engine::adCmdText,
                      engine::adOpenStatic, engine::adLockOptimistic),
              1);
    ASSERT_EQ(rs.GetFieldsCount(), static_cast<long>(columns.size()));
    EXPECT_EQ(rs.GetRecordCount(), static_cast<long>(expected.size() - 1));
    size_t row = 1;  // after the header
    for (; rs.IsEOF() == 0 && row < expected.size(); rs.MoveNext(), ++row) {
        std::vector<std::string> got;
        for (size_t c = 0; c < columns.size(); ++c) {
            got.push_back(readBack(rs, static_cast<long>(c), columns[c].second));
            const CellKey key{table, static_cast<int>(row) - 1, columns[c].first};
            if (c < expected[row].size() && expected[row][c] == kBeyondMdbExport &&
                kDatesBeyondMdbExport.count(key) != 0) {
                expected[row][c] = kDatesBeyondMdbExport.at(key);
            }
        }
        EXPECT_EQ(got, expected[row]) << "row " << row - 1;
    }
    EXPECT_EQ(row, expected.size());
    EXPECT_NE(rs.IsEOF(), 0);
}

// Migrates `file`, compares every table, and returns the migration's summary.
std::string migrateAndCompare(const std::string& file, const std::string& db) {
    MigrationReport report{std::vector<TableMigration>(3), "left from before"};  // not kept
    // The reader's text comes in UTF-8 whatever the environment asks for.
    ::setenv("MDBICONV", "UTF-16", 1);
    const long status = migrateAccessDatabase(file, db, report);
    ::unsetenv("MDBICONV");
    EXPECT_EQ(status, 1) << report.error;

    auto tables = linesOf(mdbTool("mdb-tables -1 " + shellQuote(file)));
    std::vector<std::string> migrated;
    for (const auto& t : report.tables) {
        migrated.push_back(t.name);
    }
    EXPECT_EQ(migrated, tables);
    std::sort(tables.begin(), tables.end());
    EXPECT_EQ(linesOf(sqliteShell(
                  db, "SELECT name FROM sqlite_schema WHERE type = 'table' ORDER BY name")),
              tables);

    CDbConnection connection;
    EXPECT_EQ(connection.OpenJetDatabase(db, "", engine::adConnectUnspecified), 1);
    for (const auto& table : tables) {
        compareTable(connection, file, table);
    }
    return migrationSummary(report);
}

TEST(SampleMigration, Jet3NorthwindEqualsWhatMdbExportReads) {
    TempDir dir;
    const std::string mdb = sample("nwind.mdb");
    const std::string db = dir.file("nwind.db");
    const std::string summary = migrateAndCompare(mdb, db);
    EXPECT_TRUE(contains(summary, "\n9 tables, 4032 rows: everything came over.\n")) << summary;
    // The library's own file, and whole.
    CVornelMng mng;
    ASSERT_EQ(mng.connectDatabase(db), 1) << mng.lastError();
    mng.clearDatabase();
    EXPECT_EQ(sqliteShell(db, "PRAGMA application_id; PRAGMA integrity_check"), "1448038990\nok\n");
    // The code page named for Jet 3 text is the one it is read in: the byte
    // 0xED of "Taquer\xED" is a Greek nu in ISO 8859-7.
    ::setenv("MDB_JET3_CHARSET", "ISO-8859-7", 1);
    MigrationReport greek;
    const long status = migrateAccessDatabase(mdb, dir.file("greek.db"), greek);
    ::unsetenv("MDB_JET3_CHARSET");
    ASSERT_EQ(status, 1) << greek.error;
    EXPECT_EQ(sqliteShell(dir.file("greek.db"),
                          "SELECT CompanyName FROM Customers WHERE CustomerID = 'ANTON'"),
              "Antonio Moreno Taquer\u03BDa\n");
}

TEST(SampleMigration, Jet4DatesEqualWhatTheFileHolds) {
    TempDir dir;
    EXPECT_EQ(migrateAndCompare(sample("DateTestDatabase.mdb"), dir.file("new.db")),
              "DateTest: 6 of 6 rows\n1 table, 6 rows: everything came over.\n");
}

TEST(AccessReader, TheSampleFilesColumnsAndWhatStopsAReading) {
    Collector nwind;
    readAccessFile(sample("nwind.mdb"), nwind);
    ASSERT_EQ(nwind.tables.size(), 9u);
    EXPECT_EQ(nwind.ended, 9u);
    // Each table's header counts the rows read.
    for (const auto& [table, rows] : nwind.tables) {
        EXPECT_EQ(table.rows, static_cast<long>(rows.size())) << table.name;
    }
    const AccessTable& categories = nwind.tables[4].first;
    ASSERT_EQ(categories.name, "Categories");
    ASSERT_EQ(categories.columns.size(), 4u);
    EXPECT_EQ(categories.columns[1].name, "CategoryName");
    EXPECT_EQ(categories.columns[1].type, jet::kText);
    EXPECT_EQ(categories.columns[1].size, 15);
    EXPECT_EQ(categories.columns[3].type, jet::kOle);
    const Row& detail = nwind.tables[0].second.at(6);          // Order Details
    EXPECT_EQ(detail.at(4).real, static_cast<double>(0.15f));  // a single, widened

    // Jet 4 counts a text column's size in bytes of UCS-2, the reader in characters.
    Collector dates;
    readAccessFile(sample("DateTestDatabase.mdb"), dates);
    ASSERT_EQ(dates.tables.size(), 1u);
    EXPECT_EQ(dates.tables[0].first.columns.at(5).size, 255);  // 510 bytes

    // A file libmdb cannot open, and a sink that throws, stop the reading.
    // (Damaged copies: HostileInputTest.)
    EXPECT_THROW(readAccessFile(sample("absent.mdb"), dates), MigrationError);
    struct Stop : Collector {
        void row(const Row&) override { throw std::runtime_error("stop"); }
    } stop;
    EXPECT_THROW(readAccessFile(sample("nwind.mdb"), stop), std::runtime_error);
    EXPECT_EQ(stop.tables.size(), 1u);
}

// Jet's fixed-size values from their little-endian bytes, and the dates it
// keeps: from the year 100 to the year 9999.
TEST(FixedValue, IntegersAreSignedRealsKeepTheirBitsDatesHaveTheirYears) {
    const unsigned char bytes[8] = {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff};
    EXPECT_EQ(fixedCell(jet::kByte, bytes).integer, 255);
    EXPECT_EQ(fixedCell(jet::kInteger, bytes).integer, -1);
    EXPECT_EQ(fixedCell(jet::kCurrency, bytes).kind, Cell::Currency);
    EXPECT_EQ(fixedCell(jet::kCurrency, bytes).integer, -1);  // -0.0001
    const unsigned char lowest[4] = {0, 0, 0, 0x80};
    EXPECT_EQ(fixedCell(jet::kLong, lowest).integer, -2147483648LL);
    unsigned char raw[8];
    const double tenth = 0.1;
    std::memcpy(raw, &tenth, sizeof raw);  // this machine is little-endian, as Jet is
    EXPECT_EQ(fixedCell(jet::kDouble, raw).kind, Cell::Real);
    EXPECT_EQ(fixedCell(jet::kDouble, raw).real, 0.1);
    EXPECT_TRUE(isAccessDate(-657434.99));   // 100-01-01, its last minutes
    EXPECT_FALSE(isAccessDate(-657435.0));   // 99-12-31
    EXPECT_TRUE(isAccessDate(2958465.999));  // 9999-12-31, late
    EXPECT_FALSE(isAccessDate(2958466.0));   // 10000-01-01
    EXPECT_FALSE(isAccessDate(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(isAccessDate(std::numeric_limits<double>::infinity()));
}

}  // namespace
}  // namespace vornel::migrate
