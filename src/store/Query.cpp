#include "store/Query.h"

#include <new>

namespace vornel::store {

OpenQuery::OpenQuery(CDbRecordset& rs, const std::string& sql) : rs_(rs), outer_(rs.Held()) {
    if (outer_) {
        rs_.NoteFailure(kRecordsetInUse);
        opened_ = false;
        return;
    }
    // Held before the open: a failure it traces raises a hook.
    rs_.Hold(true);
    if (CDbConnection* connection = rs_.Connection()) {
        connectionHold_.emplace(*connection);
    }
    try {
        opened_ = rs_.Open(sql.c_str(), engine::adCmdText, engine::adOpenStatic,
                           engine::adLockOptimistic) != 0;
    } catch (const std::bad_alloc&) {
        // What the open makes of its failure ran out of memory in turn. The
        // text fits a string's own room: noting it allocates nothing.
        rs_.NoteFailure("out of memory");
        opened_ = false;
    }
}

OpenQuery::~OpenQuery() {
    if (outer_) {
        return;
    }
    if (rs_.IsOpen() != 0) {
        rs_.Close();
    }
    rs_.Hold(false);
}

bool statementFault(CDbConnection& connection) {
    return connection.GetLastSqlState().compare(0, 2, "42") == 0;
}

// SQLSTATE classes data (22) and integrity (23).
bool valueFault(CDbConnection& connection) {
    const std::string state = connection.GetLastSqlState();
    return state.compare(0, 2, "22") == 0 || state.compare(0, 2, "23") == 0;
}

bool execute(CDbConnection& connection, const std::string& sql) {
    if (connection.Held()) {
        connection.NoteFailure(kRecordsetInUse);
        return false;
    }
    const ConnectionHold hold(connection);
    if (connection.Execute(sql.c_str(), engine::adCmdText)) {
        return true;
    }
    return valueFault(connection) || statementFault(connection);
}

}  // namespace vornel::store
