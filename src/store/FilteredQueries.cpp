// Blocks chosen by the caller's own SQL condition, and one column of them.
#include <new>

#include "store/ListFetch.h"
#include "store/Sql.h"
#include "vornel/VornelMng.h"

using namespace vornel::store;

long CVornelMng::getBlockResultByWhereSQL(std::string tableName, std::string condition,
                                          KrigBlockResult** blocks, long* count) try {
    m_strLastError.clear();
    if (const char* problem = tableNameProblem(tableName)) {
        return fail(problem);
    }
    if (blocks == nullptr || count == nullptr) {
        return fail("there is nowhere to put the answer");
    }
    if (condition.find('\0') != std::string::npos) {
        return fail("the condition holds a NUL character, which would end it early");
    }
    const bool none = condition.find_first_not_of(" \t\r\n\f\v") == std::string::npos;
    const std::string sql =
        none ? format("SELECT * FROM [%s]", tableName.c_str())
             : format("SELECT * FROM [%s] WHERE %s", tableName.c_str(), condition.c_str());
    return fetchBlockRows(m_pDatabase, sql, m_pResults, m_nResultNum, blocks, count,
                          BlockQuery::Condition, m_strLastError, &BlockReader::readResult);
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::getBlockResultAttr(std::string tableName, double* values, long* count) try {
    m_strLastError.clear();
    if (const char* problem = tableNameProblem(tableName)) {
        return fail(problem);
    }
    if (values == nullptr || count == nullptr) {
        return fail("there is nowhere to put the answer");
    }
    if (const char* why = queryUnready(m_pDatabase)) {
        return fail(why);
    }
    CDbRecordset& rs = *m_pDatabase->m_pRecordset;
    const OpenQuery query(rs, format("SELECT * FROM [%s]", tableName.c_str()));
    if (!query.opened()) {
        return fail("cannot read the blocks: " + m_pDatabase->Failure());
    }
    if (const std::string missing = missingColumns<KrigBlockResult>(rs); !missing.empty()) {
        return fail(missing);
    }
    if (rs.IsBOF() != 0) {
        *count = 0;
        return fail("the table has no rows");
    }
    *count = rs.GetRecordCount();
    if (*count <= 0) {
        return fail("cannot count the rows: " + m_pDatabase->Failure());
    }
    for (long k = 0; k < *count && rs.IsEOF() == 0; ++k) {
        rs.GetCollect(9, values[k]);
        if (rs.MoveNext() == 0) {
            return fail("cannot read the blocks: " + m_pDatabase->Failure());
        }
    }
    return 1;
} catch (const std::bad_alloc&) {
    return outOfMemory();
}
