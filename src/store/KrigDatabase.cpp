#include "store/KrigDatabase.h"

#include <atomic>
#include <filesystem>
#include <new>

#include "platform/ComError.h"
#include "platform/Notice.h"
#include "platform/Trace.h"

namespace engine = vornel::engine;

namespace {

bool exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

// The file the path names: through a symbolic link, the file it points to,
// which a compaction must replace while the link stays.
std::string fileAt(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, error))) {
        return path;
    }
    const std::filesystem::path target = std::filesystem::canonical(path, error);
    return error ? path : target.string();
}

}  // namespace

CKrigDatabase::~CKrigDatabase() {
    Close();
}

long CKrigDatabase::SetPath(std::string path) {
    if (path.empty()) {
        return 0;
    }
    m_szPath = std::move(path);
    return 1;
}

std::string CKrigDatabase::CopyPath(const std::string& path) {
    const std::string file = fileAt(path);
    return (file.size() < 4 ? std::string() : file.substr(0, file.size() - 4)) + "Temp.mdb";
}

std::string CKrigDatabase::Failure() const {
    if (!m_strFailure.empty()) {
        return m_strFailure;
    }
    return m_pConnection != nullptr ? m_pConnection->LastFailure() : std::string();
}

long CKrigDatabase::Open() {
    static std::atomic<unsigned long long> openings{0};
    m_nOpening = ++openings;
    m_pConnection = new CDbConnection();
    if (m_pConnection->OpenJetDatabase(m_szPath, "", engine::adConnectUnspecified) == 0) {
        return 0;
    }
    m_pRecordset = new CDbRecordset(m_pConnection);
    return 1;
}

long CKrigDatabase::Create() {
    m_strFailure.clear();
    if (m_szPath.empty()) {
        return 0;
    }
    Close();
    try {
        engine::createDatabaseFile(m_szPath);
    } catch (const vornel::ComError& e) {
        m_strFailure = e.errorMessage();
        vornel::showNotice(e.errorMessage());
        return 0;
    }
    // A database that cannot be opened once made (no room for its log, or
    // for the objects that open it) is not left behind.
    struct Made {
        CKrigDatabase& db;
        bool opened = false;
        ~Made() {
            if (!opened) {
                db.Close();
                engine::removeNewDatabaseFile(db.m_szPath);
            }
        }
    } made{*this};
    if (Open() == 0) {
        m_strFailure = Failure();  // held by the connection Close ends
        return 0;
    }
    made.opened = true;
    return 1;
}

long CKrigDatabase::Connect() {
    m_strFailure.clear();
    if (m_szPath.empty()) {
        return 0;
    }
    Close();
    // A compaction replaces the file in one rename, so the database is whole
    // whenever it is there; its copy beside it means that one was cut short
    // (or that the file was moved away after one). The copy's name keeps
    // only the start of the file's, which other files may share: that copy
    // may be theirs.
    const std::string temp = CopyPath(m_szPath);
    const bool copyBeside = exists(temp);
    if (copyBeside && !exists(m_szPath)) {
        m_strFailure = "Could not find file '" + m_szPath + "', but '" + temp +
                       "' lies where a compaction of it cut short would leave its compacted "
                       "copy: if that file is this database, rename it to '" +
                       m_szPath + "' to recover it.";
        return 0;
    }
    if (Open() == 0) {
        return 0;
    }
    // A compaction this one waited for put its copy in place meanwhile.
    if (copyBeside && exists(temp)) {
        const std::string note = "'" + temp +
                                 "' lies beside the database, left by a compaction that was cut "
                                 "short (of this database, or of another whose name starts "
                                 "alike); the database is intact. Move that file away before "
                                 "compacting again.";
        VORNEL_TRACE("Warning: %s; 文件: %s; 行: %d\n", note.c_str(), __FILE__, __LINE__);
        vornel::showNotice(note);
    }
    return 1;
}

long CKrigDatabase::Compact() {
    m_strFailure.clear();
    if (m_szPath.empty()) {
        return 0;
    }
    Close();
    m_bCompacted = false;
    try {
        engine::compactDatabaseFile(fileAt(m_szPath), CopyPath(m_szPath));
    } catch (const vornel::ComError& e) {
        m_strFailure = e.errorMessage();
        return 0;
    }
    m_bCompacted = true;
    try {
        return Open();
    } catch (const std::bad_alloc&) {
        m_strFailure = "out of memory";  // the string's own room holds it
        return 0;
    }
}

void CKrigDatabase::Close() {
    // The recordset goes first: it keeps a pointer to the connection.
    if (m_pRecordset != nullptr) {
        if (m_pRecordset->IsOpen() != 0) {
            m_pRecordset->Close();
        }
        delete m_pRecordset;
        m_pRecordset = nullptr;
    }
    if (m_pConnection != nullptr) {
        if (m_pConnection->IsOpen() != 0) {
            m_pConnection->Close();
        }
        delete m_pConnection;
        m_pConnection = nullptr;
    }
}
