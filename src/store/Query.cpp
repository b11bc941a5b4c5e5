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

bool execute(CDbConnection& connection, const std::string& sql) {
    if (connection.Held()) {
        connection.NoteFailure(kRecordsetInUse);
        return false;
    }
    const ConnectionHold hold(connection);
    if (connection.Execute(sql.c_str(), engine::adCmdText)) {
        return true;
    }
    // SQLSTATE classes of the statement's own faults: data (22), integrity
    // (23), syntax or access rule (42).
    const std::string state = connection.GetLastSqlState();
    const std::string cls = state.substr(0, 2);
    return cls == "22" || cls == "23" || cls == "42";
}

}  // namespace vornel::store
