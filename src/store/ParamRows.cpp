// Kriging runs (and registered void tables): rows of KrigBlock_Param.
#include <cstdint>
#include <limits>
#include <new>

#include "shell/TableNames.h"
#include "store/Cache.h"
#include "store/ListFetch.h"
#include "store/Query.h"
#include "store/Ready.h"
#include "store/RecordLayout.h"
#include "store/Sql.h"
#include "store/Transaction.h"
#include "vornel/VornelMng.h"

using namespace vornel::store;
using vornel::kParamTable;

namespace {

const ColumnField kLayout[] = {
    VORNEL_COLUMN(Int32, KrigBlockParam, MineID),
    VORNEL_COLUMN(Text, KrigBlockParam, Krig_Result_Name),
    VORNEL_COLUMN(Text, KrigBlockParam, Mine_Element),
    VORNEL_COLUMN(Double, KrigBlockParam, Grid_StartX),
    VORNEL_COLUMN(Double, KrigBlockParam, Grid_StartY),
    VORNEL_COLUMN(Double, KrigBlockParam, Grid_StartZ),
    VORNEL_COLUMN(Double, KrigBlockParam, Grid_EndX),
    VORNEL_COLUMN(Double, KrigBlockParam, Grid_EndY),
    VORNEL_COLUMN(Double, KrigBlockParam, Grid_EndZ),
    VORNEL_COLUMN(Double, KrigBlockParam, Grid_SizeX),
    VORNEL_COLUMN(Double, KrigBlockParam, Grid_SizeY),
    VORNEL_COLUMN(Double, KrigBlockParam, Grid_SizeZ),
    VORNEL_COLUMN(Int32, KrigBlockParam, Grid_NumX),
    VORNEL_COLUMN(Int32, KrigBlockParam, Grid_NumY),
    VORNEL_COLUMN(Int32, KrigBlockParam, Grid_NumZ),
    VORNEL_COLUMN(Int32, KrigBlockParam, Grid_Azm),
    VORNEL_COLUMN(Int32, KrigBlockParam, Grid_Dip),
    VORNEL_COLUMN(Int32, KrigBlockParam, Grid_Org),
    VORNEL_COLUMN(Double, KrigBlockParam, SubGrid_SizeX),
    VORNEL_COLUMN(Double, KrigBlockParam, SubGrid_SizeY),
    VORNEL_COLUMN(Double, KrigBlockParam, SubGrid_SizeZ),
    VORNEL_COLUMN(Double, KrigBlockParam, Srch_RangX),
    VORNEL_COLUMN(Double, KrigBlockParam, Srch_RangY),
    VORNEL_COLUMN(Double, KrigBlockParam, Srch_RangZ),
    VORNEL_COLUMN(Int32, KrigBlockParam, Srch_Azm),
    VORNEL_COLUMN(Int32, KrigBlockParam, Srch_Dip),
    VORNEL_COLUMN(Int32, KrigBlockParam, Srch_Org),
    VORNEL_COLUMN(Double, KrigBlockParam, Srch_Coef),
    VORNEL_COLUMN(Int32, KrigBlockParam, Srch_MinPnt),
    VORNEL_COLUMN(Int32, KrigBlockParam, Srch_MaxPnt),
    VORNEL_COLUMN(Double, KrigBlockParam, Vrg_Nug),
    VORNEL_COLUMN(Double, KrigBlockParam, Vrg_Sill),
    VORNEL_COLUMN(Int32, KrigBlockParam, Vrg_Num),
    VORNEL_COLUMN(Int32, KrigBlockParam, OreType_Num),
    VORNEL_COLUMN(Int32, KrigBlockParam, OreClas_Num),
    VORNEL_COLUMN(Int32, KrigBlockParam, OreAttr_Unit),
    VORNEL_COLUMN(Text, KrigBlockParam, Table_Name),
    VORNEL_COLUMN(Text, KrigBlockParam, VoidTable_Name),
};
constexpr size_t kColumns = sizeof kLayout / sizeof kLayout[0];
static_assert(kColumns == 38, "KrigBlock_Param has 38 columns");

}  // namespace

long CVornelMng::insertIntoBlockParam(KrigBlockParam* records, long count,
                                      std::vector<long>& mineIds) try {
    m_strLastError.clear();
    mineIds.clear();
    if (const char* why = unready(m_pDatabase)) {
        return fail(why);
    }
    if (records == nullptr || count < 1) {
        return fail("no records to insert");
    }
    for (long i = 0; i < count; ++i) {
        if (!allFinite(&records[i], kLayout + 1, kColumns - 1)) {
            return fail("record " + std::to_string(i) + " " + kNotFinite);
        }
    }
    Transaction transaction(*m_pDatabase->m_pConnection);
    if (!transaction.begun()) {
        return fail("cannot begin a transaction: " + m_pDatabase->Failure());
    }
    long next = 0;
    const long first = getNextMineID(next);
    if (first == 0) {
        return 0;  // rolled back; getNextMineID said why
    }
    if (count > std::numeric_limits<int32_t>::max() - next + 1) {
        return fail("no MineID is left for so many runs");
    }
    for (long i = 0; i < count; ++i, ++next) {
        const std::string values =
            format("%ld, ", next) + valuesText(&records[i], kLayout + 1, kColumns - 1);
        if (!execute(*m_pDatabase->m_pConnection,
                     std::string("INSERT INTO ") + kParamTable + " VALUES( " + values + " )")) {
            mineIds.clear();
            return fail(kNotWritten + m_pDatabase->Failure());  // rolled back
        }
        mineIds.push_back(next);
    }
    if (!transaction.commit()) {
        mineIds.clear();
        return fail("cannot commit the new runs: " + m_pDatabase->Failure());
    }
    return first;
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::getBlockParam(long mineId, KrigBlockParam** records, long* count) try {
    m_strLastError.clear();
    if (mineId < 1 || records == nullptr || count == nullptr) {
        return fail("the MineID must be 1 or more, with somewhere to put the answer");
    }
    return fetchParamRows(
        m_pDatabase, format("SELECT * FROM %s WHERE MINEID = %ld", kParamTable, mineId), kLayout,
        kColumns, m_pParams, m_nParamNum, records, count, m_strLastError);
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::getBlockParam(std::string tableName, KrigBlockParam** records, long* count) try {
    m_strLastError.clear();
    if (tableName.empty() || records == nullptr || count == nullptr) {
        return fail("the table name is empty, or there is nowhere to put the answer");
    }
    if (const char* problem = textProblem(tableName)) {
        return fail(problem);
    }
    return fetchParamRows(
        m_pDatabase,
        format("SELECT * FROM %s WHERE Table_Name = %s", kParamTable, quoted(tableName).c_str()),
        kLayout, kColumns, m_pParams, m_nParamNum, records, count, m_strLastError);
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::deleteBlockParam(long mineId) try {
    return deleteByMineId(kParamTable, mineId);
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::deleteBlockParam(std::string tableName) try {
    return deleteByName(kParamTable, "Table_Name", tableName);
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::modifyKrigParamOreClasByID(std::string tableName, long oreClasNum) try {
    m_strLastError.clear();
    if (tableName.empty()) {
        return fail("the table name is empty");
    }
    if (const char* problem = textProblem(tableName)) {
        return fail(problem);
    }
    // A long is wider here than the column: the database would refuse the
    // update with no more than a warning, and the call would seem done.
    if (oreClasNum < std::numeric_limits<int32_t>::min() ||
        oreClasNum > std::numeric_limits<int32_t>::max()) {
        return fail("the class count " + std::to_string(oreClasNum) +
                    " is beyond a 32-bit whole number, which the column keeps; nothing was "
                    "written");
    }
    return runStatement(format("UPDATE %s SET OreClas_Num = %ld WHERE Table_Name = %s", kParamTable,
                               oreClasNum, quoted(tableName).c_str()));
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::modifyKrigParamAttrUnitByID(std::string tableName, int attrUnit) try {
    m_strLastError.clear();
    if (tableName.empty()) {
        return fail("the table name is empty");
    }
    if (const char* problem = textProblem(tableName)) {
        return fail(problem);
    }
    return runStatement(format("UPDATE %s SET OreAttr_Unit = %d WHERE Table_Name = %s", kParamTable,
                               attrUnit, quoted(tableName).c_str()));
} catch (const std::bad_alloc&) {
    return outOfMemory();
}
