// The catalog: which result tables, void tables and elements go together,
// as KrigBlock_Param records them. Names compare case-blind.
#include <cstring>
#include <new>

#include "shell/TableNames.h"
#include "store/Query.h"
#include "store/Ready.h"
#include "store/Sql.h"
#include "store/TextField.h"
#include "vornel/VornelMng.h"

using namespace vornel::store;
using vornel::kParamTable;
using vornel::kVoidElement;

namespace {

// Which answer column goes to which field; -1 for none.
struct Fill {
    int tableName;
    int elementName;
    bool distinctElements;
};

bool hasElement(const std::vector<_STRU_MINE_NAMEINFO>& names, const _STRU_MINE_NAMEINFO& entry) {
    for (const auto& n : names) {
        if (std::strcmp(n.ElementName, entry.ElementName) == 0) {
            return true;
        }
    }
    return false;
}

long catalogQuery(CKrigDatabase* db, const std::string& sql, Fill fill,
                  std::vector<_STRU_MINE_NAMEINFO>& names, std::string& why) {
    if (const char* problem = queryUnready(db)) {
        why = problem;
        return 0;
    }
    CDbRecordset& rs = *db->m_pRecordset;
    const OpenQuery query(rs, sql);
    if (!query.opened()) {
        why = "cannot read the catalog: " + db->Failure();
        return 0;
    }
    if (rs.IsBOF() != 0) {
        return 1;  // nothing found: the caller's list stays as it was
    }
    // Gathered apart: a row that cannot be read leaves the list as it was.
    std::vector<_STRU_MINE_NAMEINFO> found;
    std::string text;
    while (rs.IsEOF() == 0) {
        _STRU_MINE_NAMEINFO entry;
        if (fill.tableName >= 0) {
            rs.GetCollect(fill.tableName, text);
            copyToField(entry.TableName, text);
        }
        if (fill.elementName >= 0) {
            rs.GetCollect(fill.elementName, text);
            copyToField(entry.ElementName, text);
        }
        if (!fill.distinctElements || !hasElement(found, entry)) {
            found.push_back(entry);
        }
        if (rs.MoveNext() == 0) {
            why = "cannot read the catalog: " + db->Failure();
            return 0;
        }
    }
    names.swap(found);
    return 1;
}

}  // namespace

long CVornelMng::getAllVoidTblName(std::vector<_STRU_MINE_NAMEINFO>& names) try {
    m_strLastError.clear();
    return catalogQuery(m_pDatabase,
                        format("SELECT Table_Name FROM [%s] \t\tWHERE UCASE(Mine_Element) = "
                               "UCASE(%s)",
                               kParamTable, quoted(kVoidElement).c_str()),
                        {0, -1, false}, names, m_strLastError);
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::getAllKrigTblName(std::vector<_STRU_MINE_NAMEINFO>& names) try {
    m_strLastError.clear();
    return catalogQuery(m_pDatabase,
                        format("SELECT Table_Name, Mine_Element FROM [%s] \t\tWHERE "
                               "UCASE(Mine_Element) <> UCASE(%s)",
                               kParamTable, quoted(kVoidElement).c_str()),
                        {0, 1, false}, names, m_strLastError);
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::getBlockElementByVoid(std::string voidTableName,
                                       std::vector<_STRU_MINE_NAMEINFO>& names) try {
    m_strLastError.clear();
    if (const char* problem = textProblem(voidTableName)) {
        return fail(problem);
    }
    return catalogQuery(m_pDatabase,
                        format("SELECT Mine_Element FROM [%s] \t\tWHERE UCASE(VoidTable_Name) = "
                               "UCASE(%s)",
                               kParamTable, quoted(voidTableName).c_str()),
                        {-1, 0, true}, names, m_strLastError);
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::getTblNameByElementAndVoidTbl(std::string element, std::string voidTableName,
                                               std::vector<_STRU_MINE_NAMEINFO>& names) try {
    m_strLastError.clear();
    if (const char* problem = textProblem(element + voidTableName)) {
        return fail(problem);
    }
    return catalogQuery(m_pDatabase,
                        format("SELECT Table_Name FROM [%s] \t\tWHERE UCASE(Mine_Element) = "
                               "UCASE(%s) AND UCASE(VoidTable_Name) = UCASE(%s)",
                               kParamTable, quoted(element).c_str(), quoted(voidTableName).c_str()),
                        {0, -1, false}, names, m_strLastError);
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::getBlockElementAndVoidTblByTblName(std::string tableName,
                                                    std::vector<_STRU_MINE_NAMEINFO>& names) try {
    m_strLastError.clear();
    if (const char* problem = textProblem(tableName)) {
        return fail(problem);
    }
    return catalogQuery(m_pDatabase,
                        format("SELECT VoidTable_Name, Mine_Element FROM [%s] \t\tWHERE "
                               "UCASE(Table_Name) = UCASE(%s)",
                               kParamTable, quoted(tableName).c_str()),
                        {0, 1, false}, names, m_strLastError);
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::getAllTblName(std::vector<std::string>& names) try {
    m_strLastError.clear();
    if (const char* problem = queryUnready(m_pDatabase)) {
        return fail(problem);
    }
    CDbRecordset& rs = *m_pDatabase->m_pRecordset;
    const OpenQuery query(rs,
                          "SELECT name FROM sqlite_master WHERE type = 'table' AND "
                          "substr(name, 1, 7) <> 'sqlite_' ORDER BY name");
    if (!query.opened()) {
        return fail("cannot list the tables: " + m_pDatabase->Failure());
    }
    std::vector<std::string> found;
    std::string name;
    while (rs.IsEOF() == 0) {
        if (rs.GetCollect(0, name) == 0) {
            return fail("cannot list the tables: " + m_pDatabase->Failure());
        }
        found.push_back(name);
        if (rs.MoveNext() == 0) {
            return fail("cannot list the tables: " + m_pDatabase->Failure());
        }
    }
    names.swap(found);
    return 1;
} catch (const std::bad_alloc&) {
    return outOfMemory();
}
