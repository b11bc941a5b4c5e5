// The shared recordset of the database object, opened on one query.
#ifndef VORNEL_STORE_QUERY_H
#define VORNEL_STORE_QUERY_H

#include <string>

#include "db/Ado.h"

namespace vornel::store {

// Closes the recordset if it is open, then opens it on `sql` as a static,
// optimistic text command. False when the open failed.
bool openQuery(CDbRecordset& rs, const std::string& sql);

// Runs one statement on the connection. A statement that the database
// refuses on its own merits (no such table, a bad value) only warns, as it
// always has. False when the database could not be written at all (busy
// past the timeout, read-only, full, failing): no caller may report that
// as done.
bool execute(CDbConnection& connection, const std::string& sql);

}  // namespace vornel::store

#endif
