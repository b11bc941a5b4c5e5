// The shared recordset of the database object, opened on one query.
#ifndef VORNEL_STORE_QUERY_H
#define VORNEL_STORE_QUERY_H

#include <optional>
#include <string>

#include "db/Ado.h"
#include "store/ConnectionHold.h"

namespace vornel::store {

// Why a query is refused on a recordset that is open already, or a
// statement or transaction on a connection held: only a call that a hook
// made during another call of the same manager finds them so.
inline constexpr char kRecordsetInUse[] =
    "the manager is in the middle of the call whose hook made this one, and a hook may not "
    "read or write through the manager that raised it";

// The shared recordset opened on `sql` as a static, optimistic text command
// for as long as this lives. It is closed on every way out: a read stopped
// part-way holds on to its snapshot of the file, and the connection's next
// write would fail as busy. A recordset open already belongs to a query of
// an outer call, whose rows are not to be pulled from under it: the open
// fails then, with kRecordsetInUse as the connection's last failure.
class OpenQuery {
public:
    OpenQuery(CDbRecordset& rs, const std::string& sql);
    ~OpenQuery();
    OpenQuery(const OpenQuery&) = delete;
    OpenQuery& operator=(const OpenQuery&) = delete;

    // False when the open failed.
    bool opened() const { return opened_; }
    // True when it failed for the recordset being another query's.
    bool inUse() const { return outer_; }

private:
    CDbRecordset& rs_;
    bool outer_;  // the recordset was another query's
    std::optional<ConnectionHold> connectionHold_;
    bool opened_;
};

// Runs one statement on the connection. A statement that the database
// refuses on its own merits (no such table, a bad value) only warns, as it
// always has. False when the database could not be written at all (busy
// past the timeout, read-only, full, failing), or the connection is held:
// no caller may report that as done.
bool execute(CDbConnection& connection, const std::string& sql);

// Whether the last failure on the connection was the statement's own: no
// such table or column, or bad syntax. Another (busy, a transaction lost,
// the disk) leaves the question unanswered.
bool statementFault(CDbConnection& connection);

// Whether the last failure on the connection was a value the database
// refuses: a constraint, a type, a size. Memory, the disk or a lock fail
// whatever the values.
bool valueFault(CDbConnection& connection);

}  // namespace vornel::store

#endif
