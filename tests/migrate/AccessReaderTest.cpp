// The libmdb reader, run in this process, where a crash or a leak would
// show: how it describes the sample files' columns (their values the sample
// migration compares). The migration runs it in a child.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <stdexcept>

#include "migrate/AccessReader.h"
#include "migrate/FixedValue.h"
#include "migrate/MigrationError.h"
#include "migrate/Testing.h"

namespace vornel::migrate {
namespace {

using namespace test;

// Keeps the tables and rows it receives.
struct Collector : AccessSink {
    void beginTable(const AccessTable& table) override { tables.push_back({table, {}}); }
    void row(const Row& row) override { tables.back().second.push_back(row); }
    void endTable() override { ++ended; }

    std::vector<std::pair<AccessTable, std::vector<Row>>> tables;
    size_t ended = 0;
};

TEST(AccessReader, TheSampleFilesColumnsAndWhatStopsAReading) {
    Collector nwind;
    readAccessFile(sample("nwind.mdb"), nwind);
    ASSERT_EQ(nwind.tables.size(), 9u);
    EXPECT_EQ(nwind.ended, 9u);
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
