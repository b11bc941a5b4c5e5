// Writes what the reader of an Access file hands on into the new database:
// each table made (the library's own with its own definitions and index,
// the others column by column as planned), its rows added through a
// recordset, and what became of it recorded in the report.
#ifndef VORNEL_MIGRATE_DATABASEWRITER_H
#define VORNEL_MIGRATE_DATABASEWRITER_H

#include <set>
#include <string>
#include <vector>

#include "db/Ado.h"
#include "migrate/AccessData.h"
#include "migrate/BlockLayout.h"
#include "migrate/TableProgress.h"
#include "store/KrigDatabase.h"
#include "vornel/Migrate.h"

namespace vornel::migrate {

// Works inside whatever transaction the caller holds on the database. A
// table that cannot be made throws MigrationError, as does a row that
// fails for memory, the disk or a lock; a row whose values the database
// refuses is left out and recorded, and the next one is tried.
class DatabaseWriter : public AccessSink {
public:
    DatabaseWriter(CKrigDatabase& db, MigrationReport& report);

    void beginTable(const AccessTable& table) override;
    void row(const Row& row) override;
    void endTable() override;
    // After the last table: the library makes its two catalog tables
    // together, so a file that held one of them gets the other, empty.
    void finish();

private:
    void createBlockTable(const std::string& name, BlockLayout layout);
    // The columns that can be carried, mapped to the new table's; false
    // when there are none.
    bool createPlainTable(const AccessTable& table, TableMigration& entry);
    bool put(long index, const Cell& cell);

    CKrigDatabase& db_;
    MigrationReport& report_;
    CDbRecordset rs_;
    AccessTable table_;
    // For each column of the Access table, its index in the new one; -1
    // for a column not carried.
    std::vector<long> target_;
    // For each column, the values not kept as the file holds them: currency
    // that lost its last decimals, or a NaN, which SQLite stores as empty.
    std::vector<long> altered_;
    bool made_ = false;
    // The names of the tables made, in lower case (as SQLite compares them),
    // and whether a catalog table was made with the library's definition.
    std::set<std::string> tablesMade_;
    bool catalogMade_ = false;
    TableProgress progress_;
};

}  // namespace vornel::migrate

#endif
