// The libmdb reader, run in this process, where a crash or a leak would
// show: what it hands on from the sample files, and how it refuses damaged
// copies. (The migration runs it in a child; the sample and hostile-input
// tests check the same through migrateAccessDatabase.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "migrate/AccessReader.h"
#include "migrate/FixedValue.h"
#include "migrate/MigrationError.h"
#include "migrate/Testing.h"
#include "support/Shell.h"
#include "support/TempDir.h"

using vornel::migrate::AccessTable;
using vornel::migrate::Cell;
using vornel::migrate::MigrationError;
using vornel::migrate::readAccessFile;
using vornel::migrate::Row;
using vornel::test::sample;
namespace jet = vornel::migrate::jet;

namespace {

// Keeps the tables and rows it receives.
struct Collector : vornel::migrate::AccessSink {
    void beginTable(const AccessTable& table) override { tables.push_back({table, {}}); }
    void row(const Row& row) override { tables.back().second.push_back(row); }
    void endTable() override { ++ended; }

    const std::pair<AccessTable, std::vector<Row>>& table(const std::string& name) const {
        const auto found = std::find_if(tables.begin(), tables.end(),
                                        [&](const auto& t) { return t.first.name == name; });
        if (found == tables.end()) {
            throw std::out_of_range(name);
        }
        return *found;
    }

    std::vector<std::pair<AccessTable, std::vector<Row>>> tables;
    size_t ended = 0;
};

}  // namespace

TEST(AccessReader, TheSampleFilesTablesColumnsAndValues) {
    Collector nwind;
    readAccessFile(sample("nwind.mdb"), nwind);
    std::vector<std::string> names;
    for (const auto& t : nwind.tables) {
        names.push_back(t.first.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Order Details", "Orders", "Products", "Shippers",
                                               "Categories", "Customers", "Employees", "Suppliers",
                                               "Umsätze"}));
    EXPECT_EQ(nwind.ended, names.size());
    const auto& [categories, rows] = nwind.table("Categories");
    ASSERT_EQ(categories.columns.size(), 4u);
    EXPECT_EQ(categories.columns[1].name, "CategoryName");
    EXPECT_EQ(categories.columns[1].type, jet::kText);
    EXPECT_EQ(categories.columns[1].size, 15);
    EXPECT_EQ(categories.columns[3].type, jet::kOle);
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[0][2].data, "Soft drinks, coffees, teas, beers, and ales");
    EXPECT_EQ(rows[0][3].data.size(), 10746u);  // the picture
    const Cell& price = nwind.table("Products").second[0][5];
    EXPECT_EQ(price.kind, Cell::Currency);
    EXPECT_EQ(price.integer, 180000);  // 18.0000
    const Row& detail = nwind.table("Order Details").second[6];
    EXPECT_EQ(detail[4].real, static_cast<double>(0.15f));  // a single, widened
    EXPECT_EQ(detail[3].integer, 35);                       // a 16-bit integer

    // Jet 4: text sizes in characters, dates in days from 1899-12-30.
    Collector dates;
    readAccessFile(sample("DateTestDatabase.mdb"), dates);
    ASSERT_EQ(dates.tables.size(), 1u);  // its system tables stay behind
    const auto& [table, days] = dates.tables[0];
    EXPECT_EQ(table.columns[5].size, 255);  // 510 bytes of UCS-2
    ASSERT_EQ(days.size(), 6u);
    EXPECT_EQ(days[1][1].kind, Cell::Date);
    EXPECT_EQ(days[1][1].real, 2958101);  // 9999-01-01
    EXPECT_EQ(days[2][2].real, -363);     // 1899-01-01
    EXPECT_EQ(days[3][3].real, -462395);  // 0634-01-01
    EXPECT_EQ(days[5][4].data, "New line\r\nin field");
}

TEST(AccessReader, DamageIsRefusedWithoutACrash) {
    vornel::test::TempDir dir;
    const std::string nwind = vornel::test::readFile(sample("nwind.mdb"));
    const std::string path = dir.file("damaged.mdb");
    constexpr size_t kPage = 2048;
    const std::vector<std::pair<std::string, std::string>> copies = {
        {nwind.substr(0, kPage), "its list of tables cannot be read"},
        {nwind.substr(0, 56 * kPage), "its list of tables is incomplete"},
        {nwind.substr(0, 733 * kPage), "a long value"},
        {nwind.substr(0, 1465 * kPage),
         "table 'MSysAccessObjects' counts 2705 rows, but 2704 can be read"},
        {nwind.substr(0, 82 * kPage + 8) + std::string(2040, 'Z') + nwind.substr(83 * kPage), ""},
    };
    for (const auto& [bytes, why] : copies) {
        vornel::test::writeFile(path, bytes);
        Collector sink;
        try {
            readAccessFile(path, sink);
            ADD_FAILURE() << "read: " << why;
        } catch (const MigrationError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("'" + path + "' is damaged: " + why, 0), 0u)
                << e.what();
        }
    }
    const std::string absent = dir.file("absent.mdb");
    Collector sink;
    EXPECT_THROW(readAccessFile(absent, sink), MigrationError);

    // A sink that throws stops the reading.
    struct Stop : Collector {
        void row(const Row&) override { throw std::runtime_error("stop"); }
    } stop;
    EXPECT_THROW(readAccessFile(sample("nwind.mdb"), stop), std::runtime_error);
    EXPECT_EQ(stop.tables.size(), 1u);
}

// Jet's fixed-size values from their little-endian bytes, and the dates it
// keeps: from the year 100 to the year 9999.
TEST(FixedValue, IntegersAreSignedRealsKeepTheirBitsDatesHaveTheirYears) {
    using vornel::migrate::fixedCell;
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
    using vornel::migrate::isAccessDate;
    EXPECT_TRUE(isAccessDate(-657434.99));   // 100-01-01, its last minutes
    EXPECT_FALSE(isAccessDate(-657435.0));   // 99-12-31
    EXPECT_TRUE(isAccessDate(2958465.999));  // 9999-12-31, late
    EXPECT_FALSE(isAccessDate(2958466.0));   // 10000-01-01
    EXPECT_FALSE(isAccessDate(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(isAccessDate(std::numeric_limits<double>::infinity()));
}
