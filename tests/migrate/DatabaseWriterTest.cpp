// The writer of the new database, fed the tables an Access reader would hand
// on: the library's own tables come out exactly as the library makes them,
// the others as planned, and what cannot be written is recorded. (No sample
// Access file holds the library's tables, so the writer is fed directly.)
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/Engine.h"
#include "migrate/BlockLayout.h"
#include "migrate/DatabaseWriter.h"
#include "migrate/MigrationError.h"
#include "migrate/Testing.h"
#include "store/Transaction.h"
#include "support/Allocations.h"
#include "support/Shell.h"
#include "support/TempDir.h"
#include "vornel/Hooks.h"
#include "vornel/VornelMng.h"

namespace vornel::migrate {
namespace {

using namespace test;
using Table = std::pair<AccessTable, std::vector<Row>>;

// Writes the tables into a new database at `path`, as the migration does:
// one transaction around them all.
MigrationReport writeAll(const std::string& path, const std::vector<Table>& tables) {
    MigrationReport report;
    CKrigDatabase db;
    db.SetPath(path);
    EXPECT_EQ(db.Create(), 1);
    store::Transaction transaction(*db.m_pConnection);
    DatabaseWriter writer(db, report);
    for (const auto& [table, rows] : tables) {
        writer.beginTable(table);
        for (const Row& row : rows) {
            writer.row(row);
        }
        writer.endTable();
    }
    writer.finish();
    EXPECT_TRUE(transaction.commit());
    return report;
}

// A table of a database the library made, as an Access reader would hand
// it on: its columns typed as the Windows version's DDL made them in Jet.
Table asAccessTable(const std::string& path, const std::string& name) {
    Table out{{name, {}, 0}, {}};
    for (const std::string& line :
         linesOf(sqliteShell(path, "SELECT name, type FROM pragma_table_info('" + name + "')"))) {
        const std::string column = line.substr(0, line.find('|'));
        const std::string type = line.substr(column.size() + 1);
        const bool text = type.rfind("VARCHAR(", 0) == 0;
        out.first.columns.push_back(
            type == "DOUBLE"    ? AccessColumn{column, jet::kDouble, 8}
            : text              ? AccessColumn{column, jet::kText, std::atoi(type.c_str() + 8)}
            : type == "BOOLEAN" ? AccessColumn{column, jet::kBool, 0}
            : type == "BLOB"    ? AccessColumn{column, jet::kOle, 0}
                                : AccessColumn{column, jet::kLong, 4});
    }
    auto connection = engine::createConnection();
    connection->open("Data Source=" + path, engine::adConnectUnspecified);
    auto rs = engine::createRecordset();
    rs->open("SELECT * FROM [" + name + "]", connection.get(), engine::adOpenStatic,
             engine::adLockOptimistic, engine::adCmdText);
    for (; !rs->eof(); rs->moveNext()) {
        Row& row = out.second.emplace_back();
        for (long i = 0; i < static_cast<long>(out.first.columns.size()); ++i) {
            Variant v;
            rs->fieldValue(i, v);
            const bool bytes = v.vt == VT_BYTES;
            row.push_back({v.vt == VT_NULL   ? Cell::Null
                           : v.vt == VT_R8   ? Cell::Real
                           : v.vt == VT_BSTR ? Cell::Text
                           : v.vt == VT_BOOL ? Cell::Bool
                           : bytes           ? Cell::Bytes
                                             : Cell::Integer,
                           v.integer, v.real,
                           bytes ? std::string(v.bytes.begin(), v.bytes.end()) : v.text});
        }
    }
    out.first.rows = static_cast<long>(out.second.size());
    return out;
}

// A database as the Windows version would have left it: a run with its
// variogram structures, blocks with sub-blocks, and a registered void table.
void makeModel(const std::string& path) {
    CVornelMng mng;
    ASSERT_EQ(mng.createDatabase(path), 1);
    ASSERT_EQ(mng.initDataBase(), 1);
    ASSERT_EQ(mng.createBlockResultTbl("CU_2026"), 1);
    ASSERT_EQ(mng.createBlockVoidTbl("VOID_1"), 1);
    KrigBlockParam runs[2];
    std::strcpy(runs[0].Krig_Result_Name, "O'Brien pit, copper");
    std::strcpy(runs[0].Mine_Element, "Cu");
    std::strcpy(runs[0].Table_Name, "CU_2026");
    std::strcpy(runs[0].VoidTable_Name, "VOID_1");
    runs[0].Grid_SizeX = 12.5;
    std::strcpy(runs[1].Mine_Element, "VOIDBLOCK");
    std::strcpy(runs[1].Table_Name, "VOID_1");
    std::vector<long> ids;
    ASSERT_NE(mng.insertIntoBlockParam(runs, 2, ids), 0) << mng.lastError();
    KrigBlockVrgParam structure;
    structure.MineID = 1;
    std::strcpy(structure.Vrg_Type, "spherical");
    std::strcpy(structure.Vrg_TblName, "CU_2026");
    structure.Vrg_MaxRang = 120.0;
    ASSERT_EQ(mng.insertIntoBlockVrgParam(&structure, 1), 1) << mng.lastError();
    KrigBlockResult blocks[3];
    for (int i = 0; i < 3; ++i) {
        blocks[i].MineID = 1;
        blocks[i].Krig_BlockID = i + 1;
        blocks[i].Krig_OutAttr = 0.42 * (i + 1);
        blocks[i].Krig_Bound = i % 2;
        std::snprintf(blocks[i].Krig_OreType, sizeof blocks[i].Krig_OreType, "%s",
                      i == 0 ? "" : "oxide");
    }
    D_3DOT subBlocks[4] = {{1, 2, 3}, {4, 5, 6}, {0.5, 0.5, 0.5}, {0.25, 0.25, 0.25}};
    blocks[1].SubBUD_Num = 2;
    blocks[1].SubBUD_PntLoc = subBlocks;
    blocks[1].SubBUD_GridSize = subBlocks + 2;
    ASSERT_EQ(mng.insertIntoBlockResult("CU_2026", blocks, 3), 1) << mng.lastError();
    KrigBlockVoid voids[2];
    voids[0].MineID = voids[1].MineID = 2;
    voids[1].Krig_PntLocZ = -40.0;
    ASSERT_NE(mng.insertIntoBlockVoid("VOID_1", voids, 2), 0) << mng.lastError();
}

TEST(DatabaseWriter, TheLibrarysTablesComeOutAsTheLibraryMakesThem) {
    TempDir dir;
    const std::string made = dir.file("made.db");
    makeModel(made);
    std::vector<Table> tables;
    for (const std::string& name :
         linesOf(sqliteShell(made, "SELECT name FROM sqlite_schema WHERE type = 'table'"))) {
        tables.push_back(asAccessTable(made, name));
    }
    ASSERT_EQ(tables.size(), 4u);
    const std::string migrated = dir.file("migrated.db");
    const MigrationReport report = writeAll(migrated, tables);
    ASSERT_EQ(report.tables.size(), 4u);
    for (const auto& t : report.tables) {
        EXPECT_EQ(t.rowsWritten, t.rowsRead) << t.name << ": " << t.rowsNotWritten;
        EXPECT_TRUE(t.columnsNotCarried.empty());
    }
    // Schema, index and rows: the same statements rebuild either file.
    EXPECT_EQ(sqliteShell(migrated, ".dump"), sqliteShell(made, ".dump"));

    // A run table of another layout comes over as a plain table beside the
    // library's variogram table, in either order, each with its rows.
    Table runs = asAccessTable(made, "KrigBlock_Param");
    runs.first.columns.push_back({"Note", jet::kText, 50});
    for (Row& row : runs.second) {
        row.push_back(cell(Cell::Text, 0, 0, "old"));
    }
    const Table structures = asAccessTable(made, "KrigBlock_Vrg_Param");
    for (const auto& order : {std::vector<Table>{runs, structures}, {structures, runs}}) {
        const std::string mixed = dir.file("mixed.db");
        std::remove(mixed.c_str());
        for (const auto& t : writeAll(mixed, order).tables) {
            EXPECT_EQ(t.rowsWritten, t.rowsRead) << t.name << ": " << t.rowsNotWritten;
        }
        EXPECT_EQ(sqliteShell(mixed, "SELECT count(*), min(Note) FROM KrigBlock_Param"), "2|old\n");
        EXPECT_EQ(sqliteShell(mixed, "SELECT count(*) FROM KrigBlock_Vrg_Param"), "1\n");
    }
    // Either catalog table alone: the other is made beside it, empty.
    for (const std::string present : {"KrigBlock_Param", "KrigBlock_Vrg_Param"}) {
        SCOPED_TRACE(present);
        const std::string other =
            present == "KrigBlock_Param" ? "KrigBlock_Vrg_Param" : "KrigBlock_Param";
        const std::string alone = dir.file(present + ".db");
        writeAll(alone, {asAccessTable(made, present)});
        const std::string count = "SELECT count(*) FROM " + present;
        EXPECT_EQ(sqliteShell(alone, count), sqliteShell(made, count));
        EXPECT_EQ(sqliteShell(alone, "SELECT count(*) FROM " + other), "0\n");
        const std::string schema = "SELECT sql FROM sqlite_schema WHERE name = '" + other + "'";
        EXPECT_EQ(sqliteShell(alone, schema), sqliteShell(made, schema));
    }
    // A run table of another layout is no catalog: nothing is made beside it.
    const std::string plain = dir.file("plain.db");
    writeAll(plain, {runs});
    EXPECT_EQ(sqliteShell(plain, "SELECT name FROM sqlite_schema WHERE type = 'table'"),
              "KrigBlock_Param\n");

    // Known by their columns, whatever the case of a name, when each holds
    // every value of the Access column: narrower types do, wider ones not.
    const AccessTable result = asAccessTable(made, "CU_2026").first;
    const AccessTable param = asAccessTable(made, "KrigBlock_Param").first;
    const AccessTable vrg = asAccessTable(made, "KrigBlock_Vrg_Param").first;
    const auto with = [](AccessTable t, size_t column, int type, int size = 0) {
        t.columns[column].type = type;
        t.columns[column].size = size;
        return t;
    };
    auto renamed = result;
    renamed.name = "T1";
    renamed.columns[1].name = "krig_blockid";
    auto extra = result;
    extra.columns.push_back({"Note", jet::kText, 50});
    auto swapped = result;
    std::swap(swapped.columns[2], swapped.columns[3]);
    auto lowerParam = param, otherParam = param;
    lowerParam.name = "krigblock_param";
    otherParam.name = "Params";
    auto otherVrg = vrg;
    otherVrg.name = "Variograms";
    // Columns 0 MineID, 2 Krig_PntLocX, 11 Srch_Degr, 18 Krig_ResType, 20 Krig_Bound, 21
    // SubBUDBlob.
    const std::vector<std::pair<AccessTable, BlockLayout>> cases = {
        {renamed, BlockLayout::Result},
        {with(result, 11, jet::kInteger, 2), BlockLayout::Result},
        {with(result, 2, jet::kSingle, 4), BlockLayout::Result},
        {with(result, 18, jet::kText, 10), BlockLayout::Result},
        {with(result, 21, jet::kBinary, 16), BlockLayout::Result},
        {with(result, 18, jet::kText, 21), BlockLayout::None},
        {with(result, 0, jet::kDouble, 8), BlockLayout::None},
        {with(result, 18, jet::kMemo), BlockLayout::None},
        {with(result, 20, jet::kByte, 1), BlockLayout::None},
        {with(result, 21, jet::kText, 20), BlockLayout::None},
        {extra, BlockLayout::None},
        {swapped, BlockLayout::None},
        {lowerParam, BlockLayout::Param},
        {otherParam, BlockLayout::None},  // the parameter tables are known by name as well
        {with(param, 0, jet::kDouble, 8), BlockLayout::None},  // and by their columns
        {vrg, BlockLayout::VrgParam},
        {otherVrg, BlockLayout::None},
        {with(vrg, 0, jet::kDouble, 8), BlockLayout::None},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(blockLayoutOf(cases[i].first), cases[i].second) << "case " << i;
    }
}

// Each table's progress shown, and what cannot be written recorded while
// the rest is written.
TEST(DatabaseWriter, OtherTablesGetTheirPlannedColumnsAndWhatCannotBeWrittenIsRecorded) {
    std::string seen;
    ProgressSink sink;
    sink.start = [&](const std::string& message, const std::string& caption) {
        seen += caption + ": " + message + ":";
    };
    sink.setPos = [&](long percent) { seen += " " + std::to_string(percent); };
    sink.end = [&] { seen += " end\n"; };
    setProgressSink(sink);
    TempDir dir;
    const std::string path = dir.file("new.db");
    const AccessTable table{"Order Details",
                            {{"Id", jet::kLong, 4},
                             {"Price", jet::kCurrency, 8},
                             {"Amount", jet::kDecimal, 17},
                             {"Shipped", jet::kDateTime, 8},
                             {"Name", jet::kText, 5},
                             {"Done", jet::kBool, 0},
                             {"Picture", jet::kOle, 0},
                             {"Notes", jet::kMemo, 0}},
                            4};
    const Row nulls = {Cell{}, Cell{}, Cell{}, Cell{}, Cell{}, cell(Cell::Bool, 0), Cell{}, Cell{}};
    const std::vector<Row> rows = {
        {cell(Cell::Integer, 7), cell(Cell::Currency, 123456), Cell{}, cell(Cell::Date, 0, -728.5),
         cell(Cell::Text, 0, 0, ""), cell(Cell::Bool, 1),
         cell(Cell::Bytes, 0, 0, std::string("\0\1", 2)), cell(Cell::Text, 0, 0, "a\r\nb")},
        nulls,
        nulls,
        nulls};
    const AccessTable texts{
        "Texts",
        {{"Cost", jet::kCurrency, 8}, {"Code", jet::kText, 3}, {"Rate", jet::kDouble, 8}},
        3};
    const double nan = std::nan("");
    const int64_t huge = (int64_t{1} << 62) + 1;  // ten-thousandths a double cannot keep
    const std::vector<Row> textRows = {
        {cell(Cell::Currency, huge), cell(Cell::Text, 0, 0, "abc"), cell(Cell::Real, 0, nan)},
        // Refused for its text: its values are not counted as changed.
        {cell(Cell::Currency, huge), cell(Cell::Text, 0, 0, "abcd"), cell(Cell::Real, 0, nan)},
        {cell(Cell::Currency, -huge), cell(Cell::Text, 0, 0, "äöü"), cell(Cell::Real, 0, 2.5)},
    };
    // Two files: the summary tells first of a table whose rows all came over,
    // then of one whose rows did not.
    const MigrationReport report =
        writeAll(path, {{table, rows}, {{"None", {{"Id", jet::kLong, 4}}, 0}, {}}});
    const MigrationReport odd = writeAll(
        dir.file("odd.db"),
        {{texts, textRows},
         {{"Odd", {{"Id", jet::kReplicationId, 16}, {"X", 0x12, 8}}, 1}, {{Cell{}, Cell{}}}}});
    setProgressSink({});
    EXPECT_EQ(seen,
              "Migrating from Access: Table 'Order Details' (4 rows): 0 25 50 75 100 end\n"
              "Migrating from Access: Table 'None' (0 rows): 100 end\n"
              "Migrating from Access: Table 'Texts' (3 rows): 0 33 66 100 end\n"
              "Migrating from Access: Table 'Odd' (1 row): 0 100 end\n");
    EXPECT_EQ(migrationSummary(report),
              "Order Details: 4 of 4 rows; column Amount not carried: decimal columns have no "
              "counterpart here\nNone: 0 of 0 rows\n2 tables, 4 rows: not everything came over "
              "(see above).\n");
    // What SQLite says after naming the constraint varies with its version.
    std::string summary = migrationSummary(odd);
    const size_t check = summary.find("CHECK constraint failed");
    ASSERT_NE(check, std::string::npos) << summary;
    summary.erase(check + 23, summary.find('\n', check) - check - 23);
    EXPECT_EQ(summary,
              "Texts: 2 of 3 rows; column Cost: 2 currency values too large to keep four "
              "decimals, kept to the nearest number a double holds; column Rate: 1 value that "
              "is not a number (NaN), stored empty; row 2 could not be written: cannot add the "
              "row: CHECK constraint "
              "failed\nOdd: 0 of 1 row; column Id not carried: replication ID (GUID) columns have "
              "no counterpart here; column X not carried: columns of type 0x12 have no "
              "counterpart here; none of its columns can be carried\n2 tables, 2 rows: not "
              "everything came over (see above).\n");
    EXPECT_EQ(sqliteShell(dir.file("odd.db"), "SELECT name FROM sqlite_schema"), "Texts\n");
    EXPECT_EQ(sqliteShell(path, "SELECT sql FROM sqlite_schema"),
              "CREATE TABLE [Order Details] ([Id] INTEGER CHECK([Id] BETWEEN -2147483648 AND "
              "2147483647 AND typeof([Id]) <> 'real'), [Price] CURRENCY, [Shipped] DATETIME, "
              "[Name] VARCHAR(5) COLLATE NOCASE CHECK(length([Name]) <= 5), [Done] BOOLEAN, "
              "[Picture] BLOB, [Notes] TEXT COLLATE NOCASE)\nCREATE TABLE [None] ([Id] INTEGER "
              "CHECK([Id] BETWEEN -2147483648 AND 2147483647 AND typeof([Id]) <> 'real'))\n");
    // An empty text stays an empty text, and NULL stays NULL.
    EXPECT_EQ(sqliteShell(path,
                          "SELECT Id, Price, Shipped, typeof(Name), Done, hex(Picture), "
                          "Notes FROM [Order Details] LIMIT 2"),
              "7|12.3456|1898-01-01 12:00:00|text|1|0001|a\r\nb\n|||null|0||\n");

    // A table that cannot be made ends the migration.
    const std::string error = errorOf([&] {
        writeAll(dir.file("stat.db"), {{{"sqlite_stat9", {{"Id", jet::kLong, 4}}, 0}, {}}});
    });
    EXPECT_EQ(error.rfind("cannot create table 'sqlite_stat9': ", 0), 0u) << error;
}

// A row the database refuses while memory runs short once: left out for
// its values as it would be, or the migration ends for want of memory;
// neither told as the other.
TEST(DatabaseWriter, ARefusedRowWithMemoryShortIsToldForWhatItIs) {
    TempDir dir;
    const AccessTable table{"T", {{"Code", jet::kText, 3}}, 2};
    const Row kept = {cell(Cell::Text, 0, 0, "abc")};
    const Row refused = {cell(Cell::Text, 0, 0, "abcd")};
    long ended = 0;
    for (long nth = 1;; ++nth) {
        ASSERT_LT(nth, 10000) << "the row never got through";
        SCOPED_TRACE("allocation " + std::to_string(nth));
        CKrigDatabase db;
        db.SetPath(dir.file(std::to_string(nth) + ".db"));
        ASSERT_EQ(db.Create(), 1);
        store::Transaction transaction(*db.m_pConnection);
        MigrationReport report;
        DatabaseWriter writer(db, report);
        writer.beginTable(table);
        writer.row(kept);
        std::string error;
        bool failed = false;
        {
            const FailingAllocation failing(nth, false, true);
            try {
                writer.row(refused);
            } catch (const MigrationError& e) {
                error = e.what();
            } catch (const std::bad_alloc&) {
                error = "out of memory";
            }
            failed = failing.failed();
        }
        const std::string& left = report.tables.back().rowsNotWritten;
        if (!error.empty()) {
            ++ended;
            EXPECT_NE(error.find("out of memory"), std::string::npos) << error;
            EXPECT_EQ(error.find("CHECK"), std::string::npos) << error;
        } else {
            EXPECT_EQ(left.rfind("row 2 could not be written: cannot add the row: CHECK", 0), 0u)
                << left;
        }
        if (!failed) {
            EXPECT_TRUE(error.empty());
            break;
        }
    }
    EXPECT_GT(ended, 0);
}

}  // namespace
}  // namespace vornel::migrate
