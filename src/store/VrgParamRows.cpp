// Variogram structures of a run: rows of KrigBlock_Vrg_Param.
#include <new>

#include "shell/TableNames.h"
#include "store/ListFetch.h"
#include "store/Sql.h"
#include "store/Transaction.h"
#include "vornel/VornelMng.h"

using namespace vornel::store;
using vornel::kVrgParamTable;

namespace {

const ColumnField kLayout[] = {
    VORNEL_COLUMN(Int32, KrigBlockVrgParam, MineID),
    VORNEL_COLUMN(Text, KrigBlockVrgParam, Vrg_Type),
    VORNEL_COLUMN(Double, KrigBlockVrgParam, Vrg_LocSill),
    VORNEL_COLUMN(Int32, KrigBlockVrgParam, Vrg_Azm),
    VORNEL_COLUMN(Int32, KrigBlockVrgParam, Vrg_Dip),
    VORNEL_COLUMN(Int32, KrigBlockVrgParam, Vrg_Org),
    VORNEL_COLUMN(Double, KrigBlockVrgParam, Vrg_MaxRang),
    VORNEL_COLUMN(Double, KrigBlockVrgParam, Vrg_MinRang),
    VORNEL_COLUMN(Double, KrigBlockVrgParam, Vrg_VerRang),
    VORNEL_COLUMN(Text, KrigBlockVrgParam, Vrg_TblName),
};
constexpr size_t kColumns = sizeof kLayout / sizeof kLayout[0];
static_assert(kColumns == 10, "KrigBlock_Vrg_Param has 10 columns");

}  // namespace

long CVornelMng::insertIntoBlockVrgParam(KrigBlockVrgParam* records, long count) try {
    m_strLastError.clear();
    if (const char* why = unready(m_pDatabase)) {
        return fail(why);
    }
    if (records == nullptr || count < 1) {
        return fail("no records to insert");
    }
    for (long i = 0; i < count; ++i) {
        if (!allFinite(&records[i], kLayout, kColumns)) {
            return fail("record " + std::to_string(i) + " " + kNotFinite);
        }
    }
    Transaction transaction(*m_pDatabase->m_pConnection);
    if (!transaction.begun()) {
        return fail("cannot begin a transaction: " + m_pDatabase->Failure());
    }
    for (long i = 0; i < count; ++i) {
        if (!execute(*m_pDatabase->m_pConnection,
                     std::string("INSERT INTO ") + kVrgParamTable + " VALUES( " +
                         valuesText(&records[i], kLayout, kColumns) + " )")) {
            return fail(kNotWritten + m_pDatabase->Failure());  // rolled back
        }
    }
    if (!transaction.commit()) {
        return fail("cannot commit the variogram structures: " + m_pDatabase->Failure());
    }
    return 1;
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::getBlockVrgParam(long mineId, KrigBlockVrgParam** records, long* count) try {
    m_strLastError.clear();
    if (mineId < 1 || records == nullptr || count == nullptr) {
        return fail("the MineID must be 1 or more, with somewhere to put the answer");
    }
    return fetchParamRows(
        m_pDatabase, format("SELECT * FROM %s WHERE MineID = %ld", kVrgParamTable, mineId), kLayout,
        kColumns, m_pVrgParams, m_nVrgParamNum, records, count, m_strLastError);
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::deleteBlockVrgParam(long mineId) try {
    return deleteByMineId(kVrgParamTable, mineId);
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::deleteBlockVrgParam(std::string tableName) try {
    return deleteByName(kVrgParamTable, "Vrg_TblName", tableName);
} catch (const std::bad_alloc&) {
    return outOfMemory();
}
