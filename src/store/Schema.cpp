// The four kinds of table (their columns are in TableLayouts.h): creating,
// dropping and probing them.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>

#include "shell/TableNames.h"
#include "store/ConnectionHold.h"
#include "store/KrigDatabase.h"
#include "store/Query.h"
#include "store/Ready.h"
#include "store/Sql.h"
#include "store/TableLayouts.h"
#include "store/Transaction.h"
#include "vornel/VornelMng.h"

using vornel::store::execute;
using vornel::store::format;
using vornel::store::kParamColumns;
using vornel::store::kResultColumns;
using vornel::store::kVoidColumns;
using vornel::store::kVrgParamColumns;
using vornel::store::OpenQuery;
using vornel::store::queryUnready;
using vornel::store::tableNameProblem;
using vornel::store::unready;

long CKrigDatabase::DropTable(const std::string& name) {
    if (m_pConnection == nullptr || m_pConnection->IsOpen() == 0 || name.empty()) {
        return 0;
    }
    // A held recordset is an outer call's read, which the drop would fail
    // for as locking the table, or end.
    if (vornel::store::callInProgress(this)) {
        m_pConnection->NoteFailure(vornel::store::kRecordsetInUse);
        return 0;
    }
    if (!execute(*m_pConnection, "DROP TABLE [" + name + "]")) {
        return 0;
    }
    // The index went with its table; this statement is kept for databases
    // whose engine keeps indexes apart, and its outcome does not matter, not
    // even memory running out: the drop has been done.
    if (vornel::store::plainName(name)) {
        const vornel::store::ConnectionHold hold(*m_pConnection);
        try {
            m_pConnection->Execute(("DROP INDEX " + name + "ID").c_str(),
                                   vornel::engine::adCmdText);
        } catch (const std::bad_alloc&) {
            return 1;
        }
    }
    return 1;
}

long CKrigDatabase::InitParamTables() {
    if (m_pConnection == nullptr || m_pConnection->IsOpen() == 0) {
        return 0;
    }
    vornel::store::Transaction transaction(*m_pConnection);
    if (!transaction.begun()) {
        return 0;
    }
    const bool written =
        RemakeParamTable(vornel::kVrgParamTable) && RemakeParamTable(vornel::kParamTable);
    return written && transaction.commit() ? 1 : 0;
}

long CKrigDatabase::CreateParamTable(const char* name) {
    if (m_pConnection == nullptr || m_pConnection->IsOpen() == 0) {
        return 0;
    }
    vornel::store::Transaction transaction(*m_pConnection);
    return transaction.begun() && RemakeParamTable(name) && transaction.commit() ? 1 : 0;
}

bool CKrigDatabase::RemakeParamTable(const char* name) {
    const bool variogram = std::strcmp(name, vornel::kVrgParamTable) == 0;
    return DropTable(name) != 0 &&
           execute(*m_pConnection, format("create table %s(%s)", name,
                                          variogram ? kVrgParamColumns : kParamColumns));
}

long CKrigDatabase::CreateBlockTable(const std::string& name, const char* columns) {
    if (name.empty() || m_pConnection == nullptr || m_pConnection->IsOpen() == 0) {
        return 0;
    }
    vornel::store::Transaction transaction(*m_pConnection);
    if (!transaction.begun()) {
        return 0;
    }
    // The index is named by the bare table name, which only a plain name
    // leaves one statement; another table goes without it.
    const bool written =
        DropTable(name) != 0 &&
        execute(*m_pConnection, "create table [" + name + "](" + columns + ")") &&
        (!vornel::store::plainName(name) ||
         execute(*m_pConnection, "create index " + name + "ID on[" + name + "](Krig_BlockID)"));
    return written && transaction.commit() ? 1 : 0;
}

long CKrigDatabase::CreateResultTable(const std::string& name) {
    return CreateBlockTable(name, kResultColumns);
}

long CKrigDatabase::CreateVoidTable(const std::string& name) {
    return CreateBlockTable(name, kVoidColumns);
}

long CVornelMng::initDataBase() try {
    m_strLastError.clear();
    if (const char* why = unready(m_pDatabase)) {
        return fail(why);
    }
    if (m_pDatabase->InitParamTables() == 0) {
        return fail("cannot create the parameter tables: " + m_pDatabase->Failure());
    }
    return 1;
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

namespace {

// Empty when the table was made; otherwise why not.
std::string createTable(CKrigDatabase* db, const std::string& name,
                        long (CKrigDatabase::*create)(const std::string&)) {
    if (const char* problem = tableNameProblem(name)) {
        return problem;
    }
    if (const char* why = unready(db)) {
        return why;
    }
    if ((db->*create)(name) == 0) {
        return "cannot create table '" + name + "': " + db->Failure();
    }
    return {};
}

}  // namespace

long CVornelMng::createBlockResultTbl(std::string tableName) try {
    m_strLastError = createTable(m_pDatabase, tableName, &CKrigDatabase::CreateResultTable);
    return m_strLastError.empty() ? 1 : 0;
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::createBlockVoidTbl(std::string tableName) try {
    m_strLastError = createTable(m_pDatabase, tableName, &CKrigDatabase::CreateVoidTable);
    return m_strLastError.empty() ? 1 : 0;
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::dropTable(std::string tableName) try {
    m_strLastError.clear();
    if (const char* problem = tableNameProblem(tableName)) {
        return fail(problem);
    }
    if (const char* why = unready(m_pDatabase)) {
        return fail(why);
    }
    if (m_pDatabase->DropTable(tableName) == 0) {
        return fail("cannot drop table '" + tableName + "': " + m_pDatabase->Failure());
    }
    return 1;
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::isExistTbl(std::string tableName, int& exists) try {
    m_strLastError.clear();
    if (const char* problem = tableNameProblem(tableName)) {
        return fail(problem);
    }
    if (const char* why = queryUnready(m_pDatabase)) {
        return fail(why);
    }
    // Unbracketed, a name that needs brackets may read as another: "Cu Au"
    // as table Cu under a second name, "main.Cu" as Cu. Only a plain name is
    // asked of the database.
    const bool plain = std::all_of(tableName.begin(), tableName.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 0x80 || std::isalnum(byte) != 0 || c == '_';
    });
    if (!plain) {
        exists = 0;
        return 1;
    }
    const OpenQuery query(*m_pDatabase->m_pRecordset, "SELECT * FROM " + tableName);
    if (query.inUse()) {
        return fail(vornel::store::kRecordsetInUse);
    }
    // Only a statement refused on its own merits says the table is not
    // there; a database that cannot be read says nothing of it.
    if (!query.opened() && !vornel::store::statementFault(*m_pDatabase->m_pConnection)) {
        return fail("cannot look for the table: " + m_pDatabase->Failure());
    }
    exists = query.opened() ? 1 : 0;
    return 1;
} catch (const std::bad_alloc&) {
    return outOfMemory();
}
