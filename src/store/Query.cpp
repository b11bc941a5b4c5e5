#include "store/Query.h"

namespace vornel::store {

bool openQuery(CDbRecordset& rs, const std::string& sql) {
    if (rs.IsOpen() != 0) {
        rs.Close();
    }
    return rs.Open(sql.c_str(), engine::adCmdText, engine::adOpenStatic,
                   engine::adLockOptimistic) != 0;
}

void execute(CDbConnection& connection, const std::string& sql) {
    connection.Execute(sql.c_str(), engine::adCmdText);
}

}  // namespace vornel::store
