// New run and block identifiers: one more than the largest stored.
#include <limits>
#include <new>

#include "shell/TableNames.h"
#include "store/Query.h"
#include "store/Ready.h"
#include "store/Sql.h"
#include "vornel/VornelMng.h"

using namespace vornel::store;

namespace {

constexpr long kLargestId = std::numeric_limits<int32_t>::max();

// The largest value the query finds, in `value`: 0 for a NULL maximum or
// a table that is not there, with `empty` when the query yields no row.
// Otherwise why the question has no answer: the recordset is an outer
// call's, or the database cannot be read.
std::string largest(CKrigDatabase& db, const std::string& sql, bool& empty, long& value) {
    CDbRecordset& rs = *db.m_pRecordset;
    const OpenQuery query(rs, sql);
    if (query.inUse()) {
        return kRecordsetInUse;
    }
    value = 0;
    empty = false;
    if (!query.opened()) {
        return statementFault(*db.m_pConnection) ? ""
                                                 : "cannot read the identifiers: " + db.Failure();
    }
    empty = rs.IsBOF() != 0;
    if (!empty) {
        rs.GetCollect(0, value);
    }
    return {};
}

// The identifier after the largest stored, and 1 when none of 1 or more is:
// a status is the identifier, or it plus one, and never 0 or below.
long nextAfter(long top) {
    return top < 1 ? 1 : top + 1;
}

// Status of getNextBlockID: 1 for a query without rows, else the new
// identifier plus one; 0 with `why` set when no identifier is left.
long nextBlockId(CKrigDatabase& db, const std::string& table, long mineId, long& id,
                 std::string& why) {
    bool empty = false;
    long top = 0;
    why = largest(
        db, format("SELECT MAX(Krig_BlockID) FROM %s WHERE MineID = %ld", table.c_str(), mineId),
        empty, top);
    if (!why.empty()) {
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
    id = nextAfter(top);
    return id + 1;
}

}  // namespace

long CVornelMng::getNextMineID(long& id) try {
    m_strLastError.clear();
    if (const char* why = queryUnready(m_pDatabase)) {
        return fail(why);
    }
    bool empty = false;
    long top = 0;
    if (const std::string problem =
            largest(*m_pDatabase, std::string("SELECT MAX(MineID) FROM ") + vornel::kParamTable,
                    empty, top);
        !problem.empty()) {
        return fail(problem);
    }
    if (empty) {
        id = 1;
        return 1;
    }
    if (top >= kLargestId) {
        return fail("no MineID is left");
    }
    id = nextAfter(top);
    return id;
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::getNextBlockID(long mineId, long& id) try {
    m_strLastError.clear();
    if (mineId < 1) {
        return fail("the MineID must be 1 or more");
    }
    if (const char* why = queryUnready(m_pDatabase)) {
        return fail(why);
    }
    return nextBlockId(*m_pDatabase, vornel::kResultTable, mineId, id, m_strLastError);
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::getNextBlockID(std::string tableName, long mineId, long& id) try {
    m_strLastError.clear();
    if (mineId < 1) {
        return fail("the MineID must be 1 or more");
    }
    if (const char* why = queryUnready(m_pDatabase)) {
        return fail(why);
    }
    if (const char* problem = tableNameProblem(tableName)) {
        return fail(problem);
    }
    return nextBlockId(*m_pDatabase, "[" + tableName + "]", mineId, id, m_strLastError);
} catch (const std::bad_alloc&) {
    return outOfMemory();
}
