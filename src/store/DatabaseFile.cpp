// Creating, connecting, compacting and replacing the database file.
#include <strings.h>

#include <memory>
#include <new>
#include <utility>

#include "db/Ado.h"
#include "engine/Engine.h"
#include "store/KrigDatabase.h"
#include "store/Query.h"
#include "store/Ready.h"
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
    if (const std::string problem = CDbConnection::PathProblem(path); !problem.empty()) {
        return fail(problem);
    }
    if (vornel::store::callInProgress(m_pDatabase)) {
        return fail(vornel::store::kRecordsetInUse);
    }
    clearDatabase();
    // The manager takes the database once it is opened: a notice handler
    // told something while it opens may call this manager again, and what
    // it connects or clears then must not pull the object from under it.
    auto database = std::make_unique<CKrigDatabase>();
    database->SetPath(path);
    const long opened = (database.get()->*open)();
    clearDatabase();
    m_pDatabase = database.release();
    if (opened == 0) {
        // Past the rename, a compaction can only fail to open its result.
        if (m_pDatabase->Compacted()) {
            verb = "open the compacted";
        }
        const std::string named = "'" + path + "'";
        std::string why = m_pDatabase->Failure();
        // The engine's own reason may start with the file, or name it: the
        // file is named once.
        for (const std::string& said : {std::string("cannot ") + verb + " database " + named,
                                        std::string("cannot ") + verb + " " + named, named}) {
            if (why.size() > said.size() && why[said.size()] == ':' &&
                strncasecmp(why.c_str(), said.c_str(), said.size()) == 0) {
                why = why.substr(why.find_first_not_of(' ', said.size() + 1));
                break;
            }
        }
        const bool naming = why.find(named) != std::string::npos;
        return fail(std::string("cannot ") + verb + " database" + (naming ? "" : " " + named) +
                    ": " + why);
    }
    return 1;
}

long CVornelMng::createDatabase(std::string path) try {
    return replaceDatabase(path, &CKrigDatabase::Create, "create");
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

std::string vornel::compactionCopyPath(const std::string& path) {
    return CKrigDatabase::CopyPath(path);
}

long vornel::replaceDatabaseFile(const std::string& path, const std::string& replacement,
                                 std::string& why) try {
    if (path.find('\0') != std::string::npos || replacement.find('\0') != std::string::npos) {
        why = "a database path holds a NUL character";
        return 0;
    }
    // Put where no connection can open it, the database would be lost.
    if (std::string problem = CDbConnection::PathProblem(path); !problem.empty()) {
        why = std::move(problem);
        return 0;
    }
    try {
        engine::replaceDatabaseFile(path, replacement);
    } catch (const ComError& e) {
        why = e.errorMessage();
        return 0;
    }
    return 1;
} catch (const std::bad_alloc&) {
    why = "out of memory";  // short enough to need no memory of its own
    return 0;
}

long CVornelMng::connectDatabase(std::string path) try {
    return replaceDatabase(path, &CKrigDatabase::Connect, "open");
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::compactDatabase(std::string path) try {
    return replaceDatabase(path, &CKrigDatabase::Compact, "compact");
} catch (const std::bad_alloc&) {
    return outOfMemory();
}
