// Moving a block-model database from the Access (.mdb) file that the Windows
// version of this library wrote into a new database that this one reads.
//
// Every user table comes over with all its rows, typed so that the library
// reads each value as it read it from the Access file. The library's own
// tables (run and variogram parameters, block results, void blocks) are
// created with its own definitions and index, so a migrated file behaves
// exactly like one the library created. Indexes, keys, relationships, saved
// queries, forms and reports stay behind.
#ifndef VORNEL_MIGRATE_H
#define VORNEL_MIGRATE_H

#include <string>
#include <vector>

#include "vornel/Export.h"

namespace vornel {

// A column of an Access table whose values did not all come over, and why:
// left behind, or carried with some values changed.
struct ColumnNotCarried {
    std::string column;
    std::string reason;
    bool carried = false;  // the column came over; `reason` says which values changed
};

// What became of one table of the Access file.
struct TableMigration {
    std::string name;
    long rowsRead = 0;
    long rowsWritten = 0;
    std::vector<ColumnNotCarried> columnsNotCarried;
    // Why rows were left out (the first whose values the database
    // refused); empty when every row was written. A row that fails for
    // memory, the disk or a lock stops the migration instead.
    std::string rowsNotWritten;
};

struct MigrationReport {
    // The user tables in the order the Access file lists them.
    std::vector<TableMigration> tables;
    // Why the migration stopped, in one line; empty when it ran to the end.
    // When it stopped, nothing was written.
    std::string error;
};

// Reads the Access database (Jet 3 or Jet 4) at accessPath and writes a new
// database at newPath. The new file is written beside newPath under the name
// newPath + ".migrating" and renamed to newPath at the end, so a failure
// leaves neither. newPath must not exist. Returns 1 when everything came
// over; otherwise 0, and the report tells what did not and why.
//
// The Access file is read in a child process (fork): a damaged file cannot
// bring the host down, and a reader that makes no progress for 20 s (or the
// milliseconds in VORNEL_READER_IDLE_MS) is ended.
// Progress is reported per table through the progress sink of
// vornel/Hooks.h.
VORNEL_API long migrateAccessDatabase(const std::string& accessPath, const std::string& newPath,
                                      MigrationReport& report);

// The report for a person: one line per table, then a verdict line.
VORNEL_API std::string migrationSummary(const MigrationReport& report);

}  // namespace vornel

#endif
