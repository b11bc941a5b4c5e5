// The open block-model database: its path, its one connection and the one
// recordset that every query of the manager reuses.
#ifndef VORNEL_STORE_KRIGDATABASE_H
#define VORNEL_STORE_KRIGDATABASE_H

#include <string>

#include "db/Ado.h"

class CKrigDatabase {
public:
    CKrigDatabase() = default;
    virtual ~CKrigDatabase();
    CKrigDatabase(const CKrigDatabase&) = delete;
    CKrigDatabase& operator=(const CKrigDatabase&) = delete;

    long SetPath(std::string path);
    // Each returns 1 when the database is open afterwards, else 0 with the
    // reason in Failure().
    long Create();
    long Connect();
    long Compact();
    void Close();
    // Whether the last Compact() put its compacted copy in place, even
    // should it then have failed to open it.
    bool Compacted() const { return m_bCompacted; }

    // Schema.
    long DropTable(const std::string& name);
    long InitParamTables();
    // Makes one of the two catalog tables (kParamTable or kVrgParamTable)
    // afresh and leaves the other as it is.
    long CreateParamTable(const char* name);
    long CreateResultTable(const std::string& name);
    long CreateVoidTable(const std::string& name);

    // The reason the last failure of this object or its connection gave.
    std::string Failure() const;

    // The file a compaction of the database at `path` writes its copy into
    // before the copy replaces the database.
    static std::string CopyPath(const std::string& path);

    CDbConnection* m_pConnection = nullptr;
    CDbRecordset* m_pRecordset = nullptr;
    std::string m_szPath;
    // Which opening of a connection this is, of all the process's: a call
    // that a hook may make close and reopen the same file tells so by it.
    unsigned long long m_nOpening = 0;

private:
    long Open();
    long CreateBlockTable(const std::string& name, const char* columns);
    bool RemakeParamTable(const char* name);

    std::string m_strFailure;
    bool m_bCompacted = false;
};

#endif
