// Estimated blocks: rows of a block result table.
#include <new>

#include "store/AddRows.h"
#include "store/ListFetch.h"
#include "store/Sql.h"
#include "store/Transaction.h"
#include "vornel/VornelMng.h"

using namespace vornel::store;

long CVornelMng::insertIntoBlockResult(std::string tableName, KrigBlockResult* blocks,
                                       long count) try {
    m_strLastError.clear();
    if (const char* why = queryUnready(m_pDatabase)) {
        return fail(why);
    }
    if (const char* problem = tableNameProblem(tableName)) {
        return fail(problem);
    }
    if (blocks == nullptr && count > 0) {
        return fail("no blocks to insert");
    }
    const char* why = nullptr;
    if (const long bad = firstUnwritable(blocks, count, why); bad >= 0) {
        return fail("the block at index " + std::to_string(bad) + " (Krig_BlockID " +
                    std::to_string(blocks[bad].Krig_BlockID) + ") " + why);
    }
    Transaction transaction(*m_pDatabase->m_pConnection);
    if (!transaction.begun()) {
        return fail("cannot begin a transaction: " + m_pDatabase->Failure());
    }
    const bool added = addRows(*m_pDatabase, tableName, count, m_strLastError,
                               [&](BlockWriter& w, long i) { return w.writeResult(blocks[i]); });
    if (!added) {
        return 0;  // rolled back
    }
    if (!transaction.commit()) {
        return fail("cannot commit the blocks: " + m_pDatabase->Failure());
    }
    return 1;
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::getBlockResult(std::string tableName, KrigBlockResult** blocks, long* count) try {
    m_strLastError.clear();
    if (const char* problem = tableNameProblem(tableName)) {
        return fail(problem);
    }
    if (blocks == nullptr || count == nullptr) {
        return fail("there is nowhere to put the answer");
    }
    return fetchBlockRows(m_pDatabase,
                          format("SELECT * FROM [%s] ORDER BY Krig_BlockID ASC", tableName.c_str()),
                          m_pResults, m_nResultNum, blocks, count, BlockQuery::WholeTable,
                          m_strLastError, &BlockReader::readResult);
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::getBlockResult(std::string tableName, long blockId, KrigBlockResult* block) try {
    m_strLastError.clear();
    return fetchOneBlock(m_pDatabase, tableName, blockId, block, m_strLastError,
                         &BlockReader::readResult);
} catch (const std::bad_alloc&) {
    return outOfMemory();
}
