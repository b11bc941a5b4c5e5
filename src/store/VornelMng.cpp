// The manager's lifecycle: construction, moves, destruction, and the record
// of why the last operation failed.
#include "vornel/VornelMng.h"

#include <utility>

#include "store/Cache.h"
#include "store/KrigDatabase.h"
#include "store/Query.h"
#include "store/Ready.h"
#include "store/Sql.h"

using vornel::store::releaseBlocks;
using vornel::store::releaseRecords;

CVornelMng::CVornelMng()
    : m_pDatabase(nullptr),
      m_nParamNum(0),
      m_pParams(nullptr),
      m_nVrgParamNum(0),
      m_pVrgParams(nullptr),
      m_nResultNum(0),
      m_pResults(nullptr),
      m_nVoidNum(0),
      m_pVoids(nullptr) {}

CVornelMng::~CVornelMng() {
    clearDatabase();
    releaseRecords(m_pParams, m_nParamNum);
    releaseRecords(m_pVrgParams, m_nVrgParamNum);
    releaseBlocks(m_pResults, m_nResultNum);
    releaseBlocks(m_pVoids, m_nVoidNum);
}

CVornelMng::CVornelMng(CVornelMng&& other) noexcept : CVornelMng() {
    *this = std::move(other);
}

CVornelMng& CVornelMng::operator=(CVornelMng&& other) noexcept {
    if (this != &other) {
        std::swap(m_pDatabase, other.m_pDatabase);
        std::swap(m_nParamNum, other.m_nParamNum);
        std::swap(m_pParams, other.m_pParams);
        std::swap(m_nVrgParamNum, other.m_nVrgParamNum);
        std::swap(m_pVrgParams, other.m_pVrgParams);
        std::swap(m_nResultNum, other.m_nResultNum);
        std::swap(m_pResults, other.m_pResults);
        std::swap(m_nVoidNum, other.m_nVoidNum);
        std::swap(m_pVoids, other.m_pVoids);
        std::swap(m_strLastError, other.m_strLastError);
    }
    return *this;
}

void CVornelMng::clearDatabase() {
    // Not from a hook of a call still reading through the database.
    if (m_pDatabase != nullptr && !vornel::store::callInProgress(m_pDatabase)) {
        delete m_pDatabase;
        m_pDatabase = nullptr;
    }
}

const std::string& CVornelMng::lastError() const {
    return m_strLastError;
}

long CVornelMng::fail(const std::string& why) {
    m_strLastError = why;
    return 0;
}

long CVornelMng::outOfMemory() noexcept {
    // Short enough for the string's own room: assigning it allocates nothing.
    m_strLastError.assign("out of memory");
    return 0;
}

long CVornelMng::runStatement(const std::string& sql) {
    if (const char* why = vornel::store::unready(m_pDatabase)) {
        return fail(why);
    }
    if (!vornel::store::execute(*m_pDatabase->m_pConnection, sql)) {
        return fail(vornel::store::kNotWritten + m_pDatabase->Failure());
    }
    return 1;
}

long CVornelMng::deleteByMineId(const char* table, long mineId) {
    m_strLastError.clear();
    if (mineId < 1) {
        return fail("the MineID must be 1 or more");
    }
    return runStatement(
        vornel::store::format("DELETE * FROM %s WHERE MINEID = %ld", table, mineId));
}

long CVornelMng::deleteByName(const char* table, const char* column, const std::string& name) {
    m_strLastError.clear();
    if (name.empty()) {
        return fail("the table name is empty");
    }
    if (const char* problem = vornel::store::textProblem(name)) {
        return fail(problem);
    }
    return runStatement(vornel::store::format("DELETE * FROM %s WHERE %s = %s", table, column,
                                              vornel::store::quoted(name).c_str()));
}
