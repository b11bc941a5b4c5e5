#include "migrate/DatabaseWriter.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "migrate/ColumnPlan.h"
#include "migrate/MigrationError.h"
#include "shell/TableNames.h"
#include "store/Query.h"

namespace vornel::migrate {
namespace {

// A currency value is kept as a double, which gives its ten-thousandths
// back exactly only up to about 2^51 of them (225 billion units).
std::string lowerCase(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name;
}

bool keepsFourDecimals(int64_t tenThousandths) {
    return std::llround(static_cast<double>(tenThousandths) / 10000.0 * 10000.0) == tenThousandths;
}

}  // namespace

DatabaseWriter::DatabaseWriter(CKrigDatabase& db, MigrationReport& report)
    : db_(db), report_(report), rs_(db.m_pConnection) {}

void DatabaseWriter::beginTable(const AccessTable& table) {
    table_ = table;
    made_ = false;
    report_.tables.push_back({table.name, 0, 0, {}, {}});
    TableMigration& entry = report_.tables.back();
    const size_t columns = table.columns.size();
    target_.assign(columns, -1);
    altered_.assign(columns, 0);
    progress_.start(table.name, table.rows);
    const BlockLayout layout = blockLayoutOf(table);
    if (layout != BlockLayout::None) {
        createBlockTable(table.name, layout);
        for (size_t i = 0; i < columns; ++i) {
            target_[i] = static_cast<long>(i);
        }
    } else if (!createPlainTable(table, entry)) {
        entry.rowsNotWritten = "none of its columns can be carried";
        return;
    }
    if (rs_.Open(("SELECT * FROM [" + table.name + "]").c_str(), engine::adCmdText,
                 engine::adOpenStatic, engine::adLockOptimistic) == 0) {
        throw MigrationError("cannot open the new table '" + table.name + "': " + db_.Failure());
    }
    made_ = true;
    tablesMade_.insert(lowerCase(table.name));
}

void DatabaseWriter::finish() {
    const bool runs = tablesMade_.count(lowerCase(kParamTable)) != 0;
    const bool structures = tablesMade_.count(lowerCase(kVrgParamTable)) != 0;
    if (catalogMade_ && runs != structures) {
        createBlockTable(runs ? kVrgParamTable : kParamTable,
                         runs ? BlockLayout::VrgParam : BlockLayout::Param);
    }
}

void DatabaseWriter::createBlockTable(const std::string& name, BlockLayout layout) {
    long made = 0;
    switch (layout) {
        // Each on its own: the other may have another layout, and come over
        // as a plain table that making both would replace or collide with.
        case BlockLayout::Param:
            made = db_.CreateParamTable(kParamTable);
            catalogMade_ = true;
            break;
        case BlockLayout::VrgParam:
            made = db_.CreateParamTable(kVrgParamTable);
            catalogMade_ = true;
            break;
        case BlockLayout::Result:
            made = db_.CreateResultTable(name);
            break;
        default:
            made = db_.CreateVoidTable(name);
            break;
    }
    if (made == 0) {
        throw MigrationError("cannot create table '" + name + "': " + db_.Failure());
    }
}

bool DatabaseWriter::createPlainTable(const AccessTable& table, TableMigration& entry) {
    std::string columns;
    long next = 0;
    for (size_t i = 0; i < table.columns.size(); ++i) {
        const AccessColumn& column = table.columns[i];
        const ColumnPlan plan = planColumn(column);
        if (plan.declaration.empty()) {
            entry.columnsNotCarried.push_back({column.name, plan.notCarried});
            continue;
        }
        columns += (next == 0 ? "[" : ", [") + column.name + "] " + plan.declaration;
        target_[i] = next++;
    }
    if (next == 0) {
        return false;
    }
    const std::string sql = "CREATE TABLE [" + table.name + "] (" + columns + ")";
    if (!db_.m_pConnection->Execute(sql.c_str(), engine::adCmdText)) {
        throw MigrationError("cannot create table '" + table.name + "': " + db_.Failure());
    }
    return true;
}

void DatabaseWriter::row(const Row& row) {
    TableMigration& entry = report_.tables.back();
    ++entry.rowsRead;
    progress_.advance(entry.rowsRead);
    if (!made_) {
        return;
    }
    bool written = rs_.AddNew() != 0;
    // Counted once the row is in: a row refused is told of as such.
    std::vector<size_t> altered;
    for (size_t i = 0; written && i < row.size(); ++i) {
        if (target_[i] < 0) {
            continue;
        }
        if ((row[i].kind == Cell::Currency && !keepsFourDecimals(row[i].integer)) ||
            (row[i].kind == Cell::Real && std::isnan(row[i].real))) {
            altered.push_back(i);
        }
        written = put(target_[i], row[i]);
    }
    if (written && rs_.Update() != 0) {
        ++entry.rowsWritten;
        for (const size_t i : altered) {
            ++altered_[i];
        }
        return;
    }
    // Classed first: where memory keeps the failure from being classed,
    // that is the failure to tell.
    const bool refused = store::valueFault(*db_.m_pConnection);
    const std::string why = db_.Failure();
    rs_.CancelUpdate();
    // Memory or the disk failing would leave out a row that the next run
    // keeps: only a row whose values the database refuses is left out.
    if (!refused) {
        throw MigrationError("cannot write row " + std::to_string(entry.rowsRead) + " of table '" +
                             table_.name + "': " + why);
    }
    if (entry.rowsNotWritten.empty()) {
        entry.rowsNotWritten =
            "row " + std::to_string(entry.rowsRead) + " could not be written: " + why;
    }
}

bool DatabaseWriter::put(long index, const Cell& cell) {
    switch (cell.kind) {
        case Cell::Integer:
            return rs_.PutCollect(index, Variant::i4(static_cast<int32_t>(cell.integer))) != 0;
        case Cell::Real:
            return rs_.PutCollect(index, Variant::r8(cell.real)) != 0;
        case Cell::Text:
            // Not the text overload, which stores an empty text as NULL.
            return rs_.PutCollect(index, Variant::str(cell.data)) != 0;
        case Cell::Bytes:
            return rs_.AppendChunk(index, reinterpret_cast<const uint8_t*>(cell.data.data()),
                                   cell.data.size()) != 0;
        case Cell::Date:
            return rs_.PutCollect(index, Variant::date(cell.real)) != 0;
        case Cell::Currency:
            return rs_.PutCollect(index, Variant::currency(cell.integer)) != 0;
        case Cell::Bool:
            return rs_.PutCollect(index, Variant::boolean(cell.integer != 0)) != 0;
        default:
            return rs_.PutCollect(index, Variant::null()) != 0;
    }
}

void DatabaseWriter::endTable() {
    rs_.Close();
    TableMigration& entry = report_.tables.back();
    for (size_t i = 0; i < altered_.size(); ++i) {
        if (altered_[i] > 0) {
            const bool currency = table_.columns[i].type == jet::kCurrency;
            const bool one = altered_[i] == 1;
            entry.columnsNotCarried.push_back(
                {table_.columns[i].name,
                 std::to_string(altered_[i]) +
                     (currency ? std::string(one ? " currency value" : " currency values") +
                                     " too large to keep four decimals, kept to the nearest "
                                     "number a double holds"
                               : std::string(one ? " value that is" : " values that are") +
                                     " not a number (NaN), stored empty"),
                 true});
        }
    }
    progress_.end();
}

}  // namespace vornel::migrate
