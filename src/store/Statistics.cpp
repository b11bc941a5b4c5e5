// Ranges of a result table's estimates and block centres.
#include <new>

#include "store/Query.h"
#include "store/Ready.h"
#include "store/Sql.h"
#include "vornel/VornelMng.h"

using namespace vornel::store;

long CVornelMng::readAggregates(const std::string& tableName, const char* sqlFormat, double* out,
                                long columns) {
    m_strLastError.clear();
    if (const char* problem = tableNameProblem(tableName)) {
        return fail(problem);
    }
    if (const char* why = queryUnready(m_pDatabase)) {
        return fail(why);
    }
    CDbRecordset& rs = *m_pDatabase->m_pRecordset;
    const OpenQuery query(rs, format(sqlFormat, tableName.c_str()));
    if (!query.opened()) {
        return fail("cannot read the statistics: " + m_pDatabase->Failure());
    }
    // An aggregate gives its one row or none; counting them would run the
    // aggregate over the table a second time.
    if (rs.IsBOF() != 0) {
        return fail("the statistics query gave no row");
    }
    while (rs.IsEOF() == 0) {
        for (long c = 0; c < columns; ++c) {
            rs.GetCollect(c, out[c]);
        }
        if (rs.MoveNext() == 0) {
            break;
        }
    }
    return 1;
}

long CVornelMng::getStatResult(const std::string& tableName, double& maxAttr, double& minAttr,
                               double& maxVari, double& minVari) try {
    double v[4] = {maxAttr, minAttr, maxVari, minVari};
    const long status = readAggregates(
        tableName,
        "SELECT MAX(Krig_OutAttr) AS MAX_OutAttr, MIN(Krig_OutAttr) AS MIN_OutAttr,         "
        "MAX(Krig_OutVari) AS MAX_OutVari, MIN(Krig_OutVari) AS MIN_OutVari         FROM [%s]",
        v, 4);
    if (status != 0) {
        maxAttr = v[0];
        minAttr = v[1];
        maxVari = v[2];
        minVari = v[3];
    }
    return status;
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::getStatResultPos(const std::string& tableName, D_3DOT& maxPos,
                                  D_3DOT& minPos) try {
    double v[6] = {};
    const long status = readAggregates(
        tableName,
        "SELECT MAX(Krig_PntLocX) AS MAX_PntLocX, MIN(Krig_PntLocX) AS MIN_PntLocX,         "
        "MAX(Krig_PntLocY) AS MAX_PntLocY, MIN(Krig_PntLocY) AS MIN_PntLocY, \t\t"
        "MAX(Krig_PntLocZ) AS MAX_PntLocZ, MIN(Krig_PntLocZ) AS MIN_PntLocZ         FROM [%s]",
        v, 6);
    if (status != 0) {
        maxPos = {v[0], v[2], v[4]};
        minPos = {v[1], v[3], v[5]};
    }
    return status;
} catch (const std::bad_alloc&) {
    return outOfMemory();
}
