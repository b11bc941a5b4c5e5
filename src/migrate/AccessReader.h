// Reading an Access file's user tables with libmdb.
#ifndef VORNEL_MIGRATE_ACCESSREADER_H
#define VORNEL_MIGRATE_ACCESSREADER_H

#include <string>

#include "migrate/AccessData.h"

namespace vornel::migrate {

// Hands every user table of the file (not the MSys* system tables) to the
// sink, in the order the file lists them, with all its rows. Long values
// (memo, OLE object) come whole, dates as the days Jet stores.
//
// Jet keeps no checksums, so damage shows only as inconsistency; anything
// inconsistent ends the reading with a MigrationError: a list of tables or a
// table that cannot be read, fewer or more rows than a table counts, a
// value of the wrong size, a long value that is not as long as it says, a
// date that no Access can store.
void readAccessFile(const std::string& path, AccessSink& sink);

}  // namespace vornel::migrate

#endif
