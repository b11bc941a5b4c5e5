// Void blocks: rows of a void table, numbered as they are added.
#include <limits>
#include <new>

#include "store/AddRows.h"
#include "store/ListFetch.h"
#include "store/Sql.h"
#include "store/Transaction.h"
#include "vornel/VornelMng.h"

using namespace vornel::store;

long CVornelMng::insertIntoBlockVoid(std::string tableName, KrigBlockVoid* blocks, long count) try {
    m_strLastError.clear();
    if (blocks == nullptr || count <= 0) {
        return fail("no blocks to insert");
    }
    if (const char* why = queryUnready(m_pDatabase)) {
        return fail(why);
    }
    if (const char* problem = tableNameProblem(tableName)) {
        return fail(problem);
    }
    const char* why = nullptr;
    if (const long bad = firstUnwritable(blocks, count, why); bad >= 0) {
        return fail("the void block at index " + std::to_string(bad) + " " + why);
    }
    Transaction transaction(*m_pDatabase->m_pConnection);
    if (!transaction.begun()) {
        return fail("cannot begin a transaction: " + m_pDatabase->Failure());
    }
    long next = 0;
    const long status = getNextBlockID(blocks[0].MineID, next);
    if (status <= 0) {
        return 0;  // rolled back; getNextBlockID said why
    }
    if (count > std::numeric_limits<int32_t>::max() - next + 1) {
        return fail("no block identifier is left for so many blocks");
    }
    const bool added =
        addRows(*m_pDatabase, tableName, count, m_strLastError, [&](BlockWriter& w, long i) {
            return w.writeVoid(blocks[i], static_cast<int32_t>(next + i));
        });
    if (!added) {
        return 0;
    }
    if (!transaction.commit()) {
        return fail("cannot commit the void blocks: " + m_pDatabase->Failure());
    }
    return status;
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::getBlockVoid(std::string tableName, KrigBlockVoid** blocks, long* count) try {
    m_strLastError.clear();
    if (const char* problem = tableNameProblem(tableName)) {
        return fail(problem);
    }
    if (blocks == nullptr || count == nullptr) {
        return fail("there is nowhere to put the answer");
    }
    return fetchBlockRows(m_pDatabase, format("SELECT * FROM [%s]", tableName.c_str()), m_pVoids,
                          m_nVoidNum, blocks, count, BlockQuery::WholeTable, m_strLastError,
                          &BlockReader::readVoid);
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::getBlockVoid(std::string tableName, long blockId, KrigBlockVoid* block) try {
    m_strLastError.clear();
    return fetchOneBlock(m_pDatabase, tableName, blockId, block, m_strLastError,
                         &BlockReader::readVoid);
} catch (const std::bad_alloc&) {
    return outOfMemory();
}
