// New run and block identifiers: one more than the largest stored.
#include <limits>

#include "shell/TableNames.h"
#include "store/Query.h"
#include "store/Ready.h"
#include "store/Sql.h"
#include "vornel/VornelMng.h"

using namespace vornel::store;

namespace {

constexpr long kLargestId = std::numeric_limits<int32_t>::max();

// The largest value the query finds: `empty` when it yields no row, 0 for a
// NULL maximum or a query that could not be opened. Null when the
// recordset is an outer call's, whose row is no answer.
const char* largest(CDbRecordset& rs, const std::string& sql, bool& empty, long& value) {
    const OpenQuery query(rs, sql);
    if (query.inUse()) {
        return kRecordsetInUse;
    }
    value = 0;
    empty = rs.IsBOF() != 0;
    if (!empty) {
        rs.GetCollect(0, value);
    }
    return nullptr;
}

// Status of getNextBlockID: 1 for a query without rows, else the new
// identifier plus one; 0 with `why` set when no identifier is left.
long nextBlockId(CDbRecordset& rs, const std::string& table, long mineId, long& id,
                 std::string& why) {
    bool empty = false;
    long top = 0;
    if (const char* problem = largest(
            rs,
            format("SELECT MAX(Krig_BlockID) FROM %s WHERE MineID = %ld", table.c_str(), mineId),
            empty, top)) {
        why = problem;
        return 0;
    }
    if (empty) {
        id = 1;
        return 1;
    }
    if (top >= kLargestId) {
        why = "no block identifier is left for this MineID";
        return 0;
    }
    id = top + 1;
    return id + 1;
}

}  // namespace

long CVornelMng::getNextMineID(long& id) {
    m_strLastError.clear();
    if (!queryReady(m_pDatabase)) {
        return fail(kNoDatabase);
    }
    bool empty = false;
    long top = 0;
    if (const char* problem =
            largest(*m_pDatabase->m_pRecordset,
                    std::string("SELECT MAX(MineID) FROM ") + vornel::kParamTable, empty, top)) {
        return fail(problem);
    }
    if (empty) {
        id = 1;
        return 1;
    }
    if (top >= kLargestId) {
        return fail("no MineID is left");
    }
    id = top == 0 ? 1 : top + 1;
    return id;
}

long CVornelMng::getNextBlockID(long mineId, long& id) {
    m_strLastError.clear();
    if (!queryReady(m_pDatabase) || mineId < 1) {
        return fail(mineId < 1 ? "the MineID must be 1 or more" : kNoDatabase);
    }
    return nextBlockId(*m_pDatabase->m_pRecordset, vornel::kResultTable, mineId, id,
                       m_strLastError);
}

long CVornelMng::getNextBlockID(std::string tableName, long mineId, long& id) {
    m_strLastError.clear();
    if (!queryReady(m_pDatabase) || mineId < 1) {
        return fail(mineId < 1 ? "the MineID must be 1 or more" : kNoDatabase);
    }
    if (const char* problem = tableNameProblem(tableName)) {
        return fail(problem);
    }
    return nextBlockId(*m_pDatabase->m_pRecordset, "[" + tableName + "]", mineId, id,
                       m_strLastError);
}
