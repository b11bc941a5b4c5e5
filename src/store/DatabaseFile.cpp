// Creating, connecting and compacting the database file.
#include "store/KrigDatabase.h"
#include "vornel/VornelMng.h"

long CVornelMng::replaceDatabase(const std::string& path, long (CKrigDatabase::*open)(),
                                 const char* verb) {
    m_strLastError.clear();
    if (path.empty()) {
        return fail("the database path is empty");
    }
    if (path.find('\0') != std::string::npos) {
        // The file system would read the path only up to it: another file.
        return fail("the database path holds a NUL character");
    }
    clearDatabase();
    m_pDatabase = new CKrigDatabase();
    m_pDatabase->SetPath(path);
    if ((m_pDatabase->*open)() == 0) {
        return fail(std::string("cannot ") + verb + " database '" + path +
                    "': " + m_pDatabase->Failure());
    }
    return 1;
}

long CVornelMng::createDatabase(std::string path) {
    return replaceDatabase(path, &CKrigDatabase::Create, "create");
}

long CVornelMng::connectDatabase(std::string path) {
    return replaceDatabase(path, &CKrigDatabase::Connect, "open");
}

long CVornelMng::compactDatabase(std::string path) {
    return replaceDatabase(path, &CKrigDatabase::Compact, "compact");
}
