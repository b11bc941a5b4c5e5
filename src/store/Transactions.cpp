// Host transactions, and removing runs and blocks.
#include <new>

#include "store/ConnectionHold.h"
#include "store/Ready.h"
#include "store/Sql.h"
#include "store/Transaction.h"
#include "vornel/VornelMng.h"

using namespace vornel::store;

long CVornelMng::beginTransact() try {
    m_strLastError.clear();
    if (const char* why = unready(m_pDatabase)) {
        return fail(why);
    }
    const ConnectionHold hold(*m_pDatabase->m_pConnection);
    if (m_pDatabase->m_pConnection->BeginTrans() < 1) {
        return fail("cannot begin a transaction: " + m_pDatabase->Failure());
    }
    return 1;
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::endTransact(CompletionType how) try {
    m_strLastError.clear();
    if (const char* why = unready(m_pDatabase)) {
        return fail(why);
    }
    CDbConnection& connection = *m_pDatabase->m_pConnection;
    const ConnectionHold hold(connection);
    if (how != Rollback) {
        if (connection.CommitTrans() == 0) {
            // A commit that fails ends its level all the same.
            return fail("cannot commit the transaction: " + m_pDatabase->Failure());
        }
    } else if (connection.RollbackTrans() == 0) {
        return fail("cannot roll the transaction back: " + m_pDatabase->Failure());
    }
    return 1;
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::deleteRunsAndTable(const std::string& tableName, long mineId, bool byMineId) {
    m_strLastError.clear();
    if (const char* problem = tableNameProblem(tableName)) {
        return fail(problem);
    }
    if (const char* why = unready(m_pDatabase)) {
        return fail(why);
    }
    Transaction transaction(*m_pDatabase->m_pConnection);
    if (!transaction.begun()) {
        return fail("cannot begin a transaction: " + m_pDatabase->Failure());
    }
    const bool deleted =
        byMineId ? deleteBlockParam(mineId) != 0 && deleteBlockVrgParam(mineId) != 0
                 : deleteBlockParam(tableName) != 0 && deleteBlockVrgParam(tableName) != 0;
    if (!deleted) {
        return 0;  // rolled back; the refused delete said why
    }
    if (m_pDatabase->DropTable(tableName) == 0) {
        return fail("cannot drop table '" + tableName + "': " + m_pDatabase->Failure());
    }
    if (!transaction.commit()) {
        return fail("cannot commit the deletion: " + m_pDatabase->Failure());
    }
    return 1;
}

long CVornelMng::deleteBlock(std::string tableName, long mineId) try {
    return deleteRunsAndTable(tableName, mineId, true);
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::deleteBlock(std::string tableName) try {
    return deleteRunsAndTable(tableName, 0, false);
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::deleteBlockByID(std::string tableName, long mineId) try {
    m_strLastError.clear();
    if (mineId < 1) {
        return fail("the MineID must be 1 or more");
    }
    if (!bracketable(tableName)) {
        return fail(tableNameProblem(tableName));
    }
    return runStatement(format("DELETE * FROM [%s] WHERE MINEID = %ld", tableName.c_str(), mineId));
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::deleteBlockNotTbl(std::string tableName) try {
    m_strLastError.clear();
    if (const char* problem = tableNameProblem(tableName)) {
        return fail(problem);
    }
    return runStatement(format("DELETE * FROM [%s]", tableName.c_str()));
} catch (const std::bad_alloc&) {
    return outOfMemory();
}
