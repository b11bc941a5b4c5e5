// The shared recordset of the database object, opened on one query.
#ifndef VORNEL_STORE_QUERY_H
#define VORNEL_STORE_QUERY_H

#include <string>

#include "db/Ado.h"

namespace vornel::store {

// The shared recordset opened on `sql` as a static, optimistic text command
// (closed first if it was open) for as long as this lives. It is closed on
// every way out: a read stopped part-way holds on to its snapshot of the
// file, and the connection's next write would fail as busy.
class OpenQuery {
public:
    OpenQuery(CDbRecordset& rs, const std::string& sql);
    ~OpenQuery();
    OpenQuery(const OpenQuery&) = delete;
    OpenQuery& operator=(const OpenQuery&) = delete;

    // False when the open failed.
    bool opened() const { return opened_; }

private:
    CDbRecordset& rs_;
    bool opened_;
};

// Runs one statement on the connection. A statement that the database
// refuses on its own merits (no such table, a bad value) only warns, as it
// always has. False when the database could not be written at all (busy
// past the timeout, read-only, full, failing): no caller may report that
// as done.
bool execute(CDbConnection& connection, const std::string& sql);

}  // namespace vornel::store

#endif
