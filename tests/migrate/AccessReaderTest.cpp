// The libmdb reader, run in this process: what it hands on from the sample
// files, and how it refuses damaged ones without crashing or leaking.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "migrate/AccessReader.h"
#include "migrate/MigrationError.h"
#include "migrate/RecordingSink.h"
#include "migrate/Samples.h"
#include "support/Shell.h"
#include "support/TempDir.h"

using vornel::migrate::AccessColumn;
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

std::string readError(const std::string& path) {
    Collector sink;
    try {
        readAccessFile(path, sink);
    } catch (const MigrationError& e) {
        return e.what();
    }
    return {};
}

}  // namespace

TEST(AccessReader, Jet3UserTablesComeInTheirOrderWithTheirColumns) {
    Collector sink;
    readAccessFile(sample("nwind.mdb"), sink);
    std::vector<std::string> names(sink.tables.size());
    std::transform(sink.tables.begin(), sink.tables.end(), names.begin(),
                   [](const auto& t) { return t.first.name; });
    const std::vector<std::string> expected = {"Order Details", "Orders",     "Products",
                                               "Shippers",      "Categories", "Customers",
                                               "Employees",     "Suppliers",  "Umsätze"};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(sink.ended, expected.size());

    const auto& [categories, rows] = sink.table("Categories");
    ASSERT_EQ(categories.columns.size(), 4u);
    const auto same = [](const AccessColumn& c, const char* name, int type, int size) {
        return c.name == name && c.type == type && c.size == size;
    };
    EXPECT_TRUE(same(categories.columns[0], "CategoryID", jet::kLong, 4));
    EXPECT_TRUE(same(categories.columns[1], "CategoryName", jet::kText, 15));
    EXPECT_EQ(categories.columns[2].type, jet::kMemo);
    EXPECT_EQ(categories.columns[3].type, jet::kOle);
    EXPECT_EQ(categories.rows, 8);
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[0][1].data, "Beverages");
    EXPECT_EQ(rows[0][2].data, "Soft drinks, coffees, teas, beers, and ales");
    EXPECT_EQ(rows[0][3].kind, Cell::Bytes);
    EXPECT_EQ(rows[0][3].data.size(), 10746u);

    const auto& products = sink.table("Products").second;
    EXPECT_EQ(products[0][5].kind, Cell::Currency);
    EXPECT_EQ(products[0][5].integer, 180000);  // 18.0000
    EXPECT_EQ(products[0][9].kind, Cell::Bool);
    const auto& details = sink.table("Order Details").second;
    EXPECT_EQ(details[6][4].kind, Cell::Real);
    EXPECT_EQ(details[6][4].real, static_cast<double>(0.15f));  // a single, widened
    EXPECT_EQ(details[6][3].integer, 35);                       // a 16-bit integer
}

TEST(AccessReader, Jet4TextSizesAreInCharactersAndDatesInDays) {
    Collector sink;
    readAccessFile(sample("DateTestDatabase.mdb"), sink);
    ASSERT_EQ(sink.tables.size(), 1u);  // its system tables stay behind
    const auto& [table, rows] = sink.tables[0];
    EXPECT_EQ(table.columns[5].size, 255);  // 510 bytes of UCS-2
    ASSERT_EQ(rows.size(), 6u);
    const double days[][3] = {
        {2958101, 2958101, 2958101}, {-728, -363, 2}, {-463126, -462760, -462395}};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(rows[r + 1][c + 1].kind, Cell::Date);
            EXPECT_EQ(rows[r + 1][c + 1].real, days[r][c]) << r << "," << c;
        }
    }
    EXPECT_EQ(rows[5][4].data, "New line\r\nin field");
}

TEST(AccessReader, DamageIsRefusedWithoutACrash) {
    vornel::test::TempDir dir;
    const std::string nwind = vornel::test::readFile(sample("nwind.mdb"));
    const std::string path = dir.file("damaged.mdb");
    constexpr size_t kPage = 2048;
    const auto damaged = [&](size_t cut, const std::string& garbage = {}) {
        std::string bytes = nwind.substr(0, garbage.empty() ? cut : nwind.size());
        bytes.replace(std::min(cut, bytes.size()), garbage.size(), garbage);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        return readError(path);
    };
    EXPECT_EQ(damaged(kPage), "'" + path + "' is damaged: its list of tables cannot be read");
    EXPECT_EQ(damaged(56 * kPage), "'" + path + "' is damaged: its list of tables is incomplete");
    EXPECT_EQ(damaged(733 * kPage).find("'" + path + "' is damaged: a long value"), 0u);
    EXPECT_EQ(damaged(1465 * kPage),
              "'" + path +
                  "' is damaged: table 'MSysAccessObjects' counts 2705 rows, but 2704 can "
                  "be read");
    EXPECT_EQ(damaged(82 * kPage + 8, std::string(2040, '\x5a')).find("'" + path + "' is damaged"),
              0u);
    const std::string absent = dir.file("absent.mdb");
    EXPECT_EQ(readError(absent), "'" + absent + "' cannot be read as an Access database");
}

TEST(AccessReader, ASinkThatThrowsStopsTheReading) {
    struct Stop : Collector {
        void row(const Row&) override { throw std::runtime_error("stop"); }
    } sink;
    EXPECT_THROW(readAccessFile(sample("nwind.mdb"), sink), std::runtime_error);
    EXPECT_EQ(sink.tables.size(), 1u);
}
