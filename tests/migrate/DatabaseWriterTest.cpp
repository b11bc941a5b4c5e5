// The writer of the new database, fed the tables an Access reader would hand
// on: the library's own tables come out exactly as the library makes them,
// the others as planned, and what cannot be written is recorded.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "engine/Engine.h"
#include "migrate/DatabaseWriter.h"
#include "migrate/MigrationError.h"
#include "store/Transaction.h"
#include "support/Shell.h"
#include "support/TempDir.h"
#include "vornel/Hooks.h"
#include "vornel/VornelMng.h"

using vornel::MigrationReport;
using vornel::migrate::AccessColumn;
using vornel::migrate::AccessTable;
using vornel::migrate::Cell;
using vornel::migrate::DatabaseWriter;
using vornel::migrate::MigrationError;
using vornel::migrate::Row;
using vornel::test::sqliteShell;
using vornel::test::TempDir;
namespace engine = vornel::engine;
namespace jet = vornel::migrate::jet;

namespace {

using Table = std::pair<AccessTable, std::vector<Row>>;

// Writes the tables into a new database at `path`, as the migration does:
// one transaction around them all.
MigrationReport writeAll(const std::string& path, const std::vector<Table>& tables) {
    MigrationReport report;
    CKrigDatabase db;
    db.SetPath(path);
    EXPECT_EQ(db.Create(), 1);
    vornel::store::Transaction transaction(*db.m_pConnection);
    DatabaseWriter writer(db, report);
    for (const auto& [table, rows] : tables) {
        writer.beginTable(table);
        for (const Row& row : rows) {
            writer.row(row);
        }
        writer.endTable();
    }
    EXPECT_TRUE(transaction.commit());
    return report;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        out.push_back(text.substr(start, end - start));
    }
    return out;
}

// A table of a database the library made, as an Access reader would hand
// it on: its columns typed as the Windows version's DDL made them in Jet.
Table asAccessTable(const std::string& path, const std::string& name) {
    Table out{{name, {}, 0}, {}};
    const auto names =
        lines(sqliteShell(path, "SELECT name FROM pragma_table_info('" + name + "')"));
    const auto types =
        lines(sqliteShell(path, "SELECT type FROM pragma_table_info('" + name + "')"));
    for (size_t i = 0; i < names.size(); ++i) {
        AccessColumn column{names[i], jet::kLong, 4};
        if (types[i] == "DOUBLE") {
            column = {names[i], jet::kDouble, 8};
        } else if (types[i].rfind("VARCHAR(", 0) == 0) {
            column = {names[i], jet::kText, std::atoi(types[i].c_str() + 8)};
        } else if (types[i] == "BOOLEAN") {
            column = {names[i], jet::kBool, 0};
        } else if (types[i] == "BLOB") {
            column = {names[i], jet::kOle, 0};
        }
        out.first.columns.push_back(column);
    }
    auto connection = engine::createConnection();
    connection->open("Data Source=" + path, engine::adConnectUnspecified);
    auto rs = engine::createRecordset();
    rs->open("SELECT * FROM [" + name + "]", connection.get(), engine::adOpenStatic,
             engine::adLockOptimistic, engine::adCmdText);
    for (; !rs->eof(); rs->moveNext()) {
        Row row(names.size());
        for (size_t i = 0; i < names.size(); ++i) {
            vornel::Variant v;
            rs->fieldValue(static_cast<long>(i), v);
            Cell& value = row[i];
            value.integer = v.integer;
            value.real = v.real;
            value.data =
                v.vt == vornel::VT_BYTES ? std::string(v.bytes.begin(), v.bytes.end()) : v.text;
            value.kind = v.vt == vornel::VT_NULL    ? Cell::Null
                         : v.vt == vornel::VT_R8    ? Cell::Real
                         : v.vt == vornel::VT_BSTR  ? Cell::Text
                         : v.vt == vornel::VT_BOOL  ? Cell::Bool
                         : v.vt == vornel::VT_BYTES ? Cell::Bytes
                                                    : Cell::Integer;
        }
        out.second.push_back(row);
    }
    out.first.rows = static_cast<long>(out.second.size());
    return out;
}

void copy(char* field, size_t size, const char* text) {
    std::strncpy(field, text, size - 1);
}

// A database as the Windows version would have left it: a run with its
// variogram structures, blocks with sub-blocks, and a registered void table.
void makeModel(const std::string& path, std::vector<D_3DOT>& subBlocks) {
    CVornelMng mng;
    ASSERT_EQ(mng.createDatabase(path), 1);
    ASSERT_EQ(mng.initDataBase(), 1);
    ASSERT_EQ(mng.createBlockResultTbl("CU_2026"), 1);
    ASSERT_EQ(mng.createBlockVoidTbl("VOID_1"), 1);
    KrigBlockParam runs[2];
    copy(runs[0].Krig_Result_Name, sizeof runs[0].Krig_Result_Name, "O'Brien pit, copper");
    copy(runs[0].Mine_Element, sizeof runs[0].Mine_Element, "Cu");
    copy(runs[0].Table_Name, sizeof runs[0].Table_Name, "CU_2026");
    copy(runs[0].VoidTable_Name, sizeof runs[0].VoidTable_Name, "VOID_1");
    runs[0].Grid_SizeX = runs[0].Grid_SizeY = runs[0].Grid_SizeZ = 12.5;
    runs[0].Grid_NumX = 61;
    copy(runs[1].Mine_Element, sizeof runs[1].Mine_Element, "VOIDBLOCK");
    copy(runs[1].Table_Name, sizeof runs[1].Table_Name, "VOID_1");
    std::vector<long> ids;
    ASSERT_NE(mng.insertIntoBlockParam(runs, 2, ids), 0) << mng.lastError();
    KrigBlockVrgParam structures[2];
    for (auto& s : structures) {
        s.MineID = 1;
        copy(s.Vrg_Type, sizeof s.Vrg_Type, "spherical");
        copy(s.Vrg_TblName, sizeof s.Vrg_TblName, "CU_2026");
        s.Vrg_MaxRang = 120.0;
    }
    ASSERT_EQ(mng.insertIntoBlockVrgParam(structures, 2), 1) << mng.lastError();
    KrigBlockResult blocks[3];
    for (int i = 0; i < 3; ++i) {
        blocks[i].MineID = 1;
        blocks[i].Krig_BlockID = i + 1;
        blocks[i].Krig_PntLocX = 100.0 + 12.5 * i;
        blocks[i].Krig_OutAttr = 0.42 * (i + 1);
        blocks[i].Krig_Bound = i % 2;
        copy(blocks[i].Krig_OreType, sizeof blocks[i].Krig_OreType, i == 0 ? "" : "oxide");
    }
    subBlocks = {{1, 2, 3}, {4, 5, 6}, {0.5, 0.5, 0.5}, {0.25, 0.25, 0.25}};
    blocks[1].SubBUD_Num = 2;
    blocks[1].SubBUD_PntLoc = subBlocks.data();
    blocks[1].SubBUD_GridSize = subBlocks.data() + 2;
    ASSERT_EQ(mng.insertIntoBlockResult("CU_2026", blocks, 3), 1) << mng.lastError();
    KrigBlockVoid voids[2];
    voids[0].MineID = voids[1].MineID = 2;
    voids[1].Krig_PntLocZ = -40.0;
    ASSERT_NE(mng.insertIntoBlockVoid("VOID_1", voids, 2), 0) << mng.lastError();
}

Cell cell(Cell::Kind kind, int64_t integer = 0, double real = 0.0, std::string data = {}) {
    Cell c;
    c.kind = kind;
    c.integer = integer;
    c.real = real;
    c.data = std::move(data);
    return c;
}

}  // namespace

TEST(DatabaseWriter, TheLibrarysTablesComeOutAsTheLibraryMakesThem) {
    TempDir dir;
    const std::string made = dir.file("made.db");
    std::vector<D_3DOT> subBlocks;
    makeModel(made, subBlocks);
    const auto tableNames =
        lines(sqliteShell(made, "SELECT name FROM sqlite_schema WHERE type = 'table'"));
    std::vector<Table> tables;
    std::transform(tableNames.begin(), tableNames.end(), std::back_inserter(tables),
                   [&](const std::string& name) { return asAccessTable(made, name); });
    ASSERT_EQ(tables.size(), 4u);  // the variogram table first: made with its sibling
    const std::string migrated = dir.file("migrated.db");
    const MigrationReport report = writeAll(migrated, tables);
    ASSERT_EQ(report.tables.size(), 4u);
    for (const auto& t : report.tables) {
        EXPECT_EQ(t.rowsWritten, t.rowsRead) << t.name << ": " << t.rowsNotWritten;
        EXPECT_TRUE(t.columnsNotCarried.empty());
    }
    // Schema, index and rows: the same statements rebuild either file.
    EXPECT_EQ(sqliteShell(migrated, ".dump"), sqliteShell(made, ".dump"));

    // And the manager works on it as on its own.
    CVornelMng mng;
    ASSERT_EQ(mng.connectDatabase(migrated), 1) << mng.lastError();
    KrigBlockResult* blocks = nullptr;
    long count = 0;
    ASSERT_EQ(mng.getBlockResult("CU_2026", &blocks, &count), 1) << mng.lastError();
    ASSERT_EQ(count, 3);
    ASSERT_EQ(blocks[1].SubBUD_Num, 2);
    EXPECT_EQ(blocks[1].SubBUD_PntLoc[1].y, 5.0);
    EXPECT_EQ(blocks[1].SubBUD_GridSize[0].z, 0.5);
    std::vector<_STRU_MINE_NAMEINFO> names;
    ASSERT_EQ(mng.getAllKrigTblName(names), 1);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_STREQ(names[0].TableName, "CU_2026");
    long next = 0;
    EXPECT_EQ(mng.getNextBlockID("CU_2026", 1, next), 5);  // the identifier plus one
    EXPECT_EQ(next, 4);
    KrigBlockResult more = blocks[0];
    more.Krig_BlockID = next;
    EXPECT_EQ(mng.insertIntoBlockResult("CU_2026", &more, 1), 1);
    KrigBlockVoid* voids = nullptr;
    ASSERT_EQ(mng.getBlockVoid("VOID_1", &voids, &count), 1);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(voids[1].Krig_PntLocZ, -40.0);
    EXPECT_EQ(mng.deleteBlock("CU_2026"), 1);
    int exists = -1;
    EXPECT_EQ(mng.isExistTbl("CU_2026", exists), 1);
    EXPECT_EQ(exists, 0);
}

TEST(DatabaseWriter, OtherTablesGetTheirPlannedColumns) {
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
                            2};
    const std::vector<Row> rows = {
        {cell(Cell::Integer, 7), cell(Cell::Currency, 123456), cell(Cell::Null),
         cell(Cell::Date, 0, -728.5), cell(Cell::Text, 0, 0, ""), cell(Cell::Bool, 1),
         cell(Cell::Bytes, 0, 0, std::string("\0\1", 2)), cell(Cell::Text, 0, 0, "a\r\nb")},
        {cell(Cell::Null), cell(Cell::Null), cell(Cell::Null), cell(Cell::Null), cell(Cell::Null),
         cell(Cell::Bool, 0), cell(Cell::Null), cell(Cell::Null)},
    };
    const MigrationReport report = writeAll(path, {{table, rows}});
    ASSERT_EQ(report.tables.size(), 1u);
    const auto& entry = report.tables[0];
    EXPECT_EQ(entry.rowsRead, 2);
    EXPECT_EQ(entry.rowsWritten, 2);
    ASSERT_EQ(entry.columnsNotCarried.size(), 1u);
    EXPECT_EQ(entry.columnsNotCarried[0].column, "Amount");
    EXPECT_EQ(entry.columnsNotCarried[0].reason, "decimal columns have no counterpart here");
    EXPECT_EQ(sqliteShell(path, "SELECT sql FROM sqlite_schema"),
              "CREATE TABLE [Order Details] ([Id] INTEGER, [Price] CURRENCY, [Shipped] DATETIME, "
              "[Name] VARCHAR(5) COLLATE NOCASE CHECK(length([Name]) <= 5), [Done] BOOLEAN, "
              "[Picture] BLOB, [Notes] TEXT COLLATE NOCASE)\n");
    // An empty text stays an empty text, and NULL stays NULL.
    EXPECT_EQ(sqliteShell(path,
                          "SELECT Id, Price, Shipped, typeof(Name), Done, hex(Picture), "
                          "Notes FROM [Order Details]"),
              "7|12.3456|1898-01-01 12:00:00|text|1|0001|a\r\nb\n|||null|0||\n");
}

TEST(DatabaseWriter, WhatCannotBeWrittenIsRecordedAndTheRestIsWritten) {
    TempDir dir;
    const AccessTable texts{"Texts", {{"Code", jet::kText, 3}, {"Cost", jet::kCurrency, 8}}, 3};
    const int64_t huge = (int64_t{1} << 62) + 1;  // ten-thousandths a double cannot keep
    const std::vector<Row> rows = {
        {cell(Cell::Text, 0, 0, "abc"), cell(Cell::Currency, huge)},
        {cell(Cell::Text, 0, 0, "abcd"), cell(Cell::Currency, 1)},
        {cell(Cell::Text, 0, 0, "äöü"), cell(Cell::Currency, -huge)},
    };
    const AccessTable guids{"Guids", {{"Id", jet::kReplicationId, 16}}, 1};
    const MigrationReport report =
        writeAll(dir.file("new.db"), {{texts, rows}, {guids, {{cell(Cell::Null)}}}});
    ASSERT_EQ(report.tables.size(), 2u);
    const auto& t = report.tables[0];
    EXPECT_EQ(t.rowsRead, 3);
    EXPECT_EQ(t.rowsWritten, 2);
    EXPECT_EQ(t.rowsNotWritten.rfind("row 2 could not be written: ", 0), 0u) << t.rowsNotWritten;
    EXPECT_NE(t.rowsNotWritten.find("CHECK constraint failed"), std::string::npos);
    ASSERT_EQ(t.columnsNotCarried.size(), 1u);
    EXPECT_EQ(t.columnsNotCarried[0].column, "Cost");
    EXPECT_EQ(t.columnsNotCarried[0].reason, "currency values too large to keep four decimals: 2");
    const auto& g = report.tables[1];
    EXPECT_EQ(g.rowsRead, 1);
    EXPECT_EQ(g.rowsWritten, 0);
    EXPECT_EQ(g.rowsNotWritten, "none of its columns can be carried");
    EXPECT_EQ(sqliteShell(dir.file("new.db"), "SELECT name FROM sqlite_schema"), "Texts\n");
}

TEST(DatabaseWriter, ATableThatCannotBeMadeEndsTheMigration) {
    TempDir dir;
    CKrigDatabase db;
    db.SetPath(dir.file("new.db"));
    ASSERT_EQ(db.Create(), 1);
    MigrationReport report;
    DatabaseWriter writer(db, report);
    try {
        writer.beginTable({"sqlite_stat9", {{"Id", jet::kLong, 4}}, 0});
        FAIL() << "made";
    } catch (const MigrationError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("cannot create table 'sqlite_stat9': ", 0), 0u)
            << e.what();
    }
}

TEST(DatabaseWriter, EachTableHasItsProgress) {
    std::vector<std::string> seen;
    vornel::ProgressSink sink;
    sink.start = [&](const std::string& message, const std::string& caption) {
        seen.push_back(caption + ": " + message);
    };
    sink.setPos = [&](long percent) { seen.push_back(std::to_string(percent)); };
    sink.end = [&] { seen.push_back("end"); };
    vornel::setProgressSink(sink);
    TempDir dir;
    const AccessTable four{"Four", {{"Id", jet::kLong, 4}}, 4};
    const AccessTable none{"None", {{"Id", jet::kLong, 4}}, 0};
    writeAll(dir.file("new.db"), {{four,
                                   {{cell(Cell::Integer, 1)},
                                    {cell(Cell::Integer, 2)},
                                    {cell(Cell::Integer, 3)},
                                    {cell(Cell::Integer, 4)}}},
                                  {none, {}}});
    vornel::setProgressSink({});
    const std::vector<std::string> expected = {
        "Migrating from Access: Table 'Four' (4 rows)", "0",   "25", "50", "75", "100", "end",
        "Migrating from Access: Table 'None' (0 rows)", "100", "end"};
    EXPECT_EQ(seen, expected);
}
