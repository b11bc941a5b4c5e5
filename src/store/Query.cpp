#include "store/Query.h"

namespace vornel::store {

bool openQuery(CDbRecordset& rs, const std::string& sql) {
    if (rs.IsOpen() != 0) {
        rs.Close();
    }
    return rs.Open(sql.c_str(), engine::adCmdText, engine::adOpenStatic,
                   engine::adLockOptimistic) != 0;
}

bool execute(CDbConnection& connection, const std::string& sql) {
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
