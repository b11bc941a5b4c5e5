#include <cstdio>
#include <new>

#include "db/Ado.h"
#include "db/Failure.h"
#include "platform/Trace.h"

using vornel::db::messageOf;
using vornel::db::traceFailure;
namespace engine = vornel::engine;

CDbConnection::CDbConnection() : CDbConnection(engine::createConnection()) {}

CDbConnection::CDbConnection(std::unique_ptr<engine::Connection> connection)
    : m_pAdoConnection(std::move(connection)) {}

CDbConnection::~CDbConnection() {
    if (m_pAdoConnection) {
        Release();
    }
}

engine::Connection& CDbConnection::Ado() {
    if (!m_pAdoConnection) {
        throw vornel::ComError(vornel::hr::kPointer);
    }
    return *m_pAdoConnection;
}

void CDbConnection::NoteFailure(const std::exception& e) noexcept {
    m_bEngineFailure = dynamic_cast<const vornel::ComError*>(&e) != nullptr;
    try {
        m_strLastFailure = messageOf(e);
    } catch (const std::bad_alloc&) {
        // Short enough for the string's own room. The failure told is
        // memory's now, not the engine's, whatever its state says.
        m_strLastFailure.assign("out of memory");
        m_bEngineFailure = false;
    }
}

void CDbConnection::NoteFailure(const std::string& message) {
    m_strLastFailure = message;
    m_bEngineFailure = false;
}

BOOL CDbConnection::Open(const char* connect, long options) {
    if (connect != nullptr && *connect != '\0') {
        m_strConnect = connect;
    }
    if (m_strConnect.empty()) {
        return 0;
    }
    try {
        if (IsOpen()) {
            Close();
        }
        return Ado().open(m_strConnect, options) == vornel::hr::kOk ? 1 : 0;
    } catch (const vornel::ComError& e) {
        NoteFailure(e);
        traceFailure("Warning: 连接数据库发生异常. 错误信息: %s; 文件: %s; 行: %d\n", messageOf(e),
                     __FILE__, __LINE__);
        VORNEL_TRACE("%s\r\n", GetLastError().c_str());
    } catch (const std::exception& e) {
        NoteFailure(e);
        VORNEL_TRACE("Warning: 连接数据库时发生未知错误:");
    }
    return 0;
}

namespace {

const std::string kJetSource = "Provider=Microsoft.Jet.OLEDB.4.0; Data Source=";

}  // namespace

std::string CDbConnection::PathProblem(const std::string& path) {
    if (engine::connectionStringValue(kJetSource + path, "Data Source") == path) {
        return {};
    }
    return "the path '" + path +
           "' reads as another in a connection string (through a blank at its start, or a ';' "
           "at its end or before an '='); rename the file";
}

BOOL CDbConnection::OpenJetDatabase(const std::string& path, const std::string& password,
                                    long options) {
    std::string connect = kJetSource + path;
    if (!password.empty()) {
        connect += ";Jet OLEDB:Database Password=" + password + ";";
    }
    return Open(connect.c_str(), options);
}

void CDbConnection::Close() {
    try {
        if (m_pAdoConnection && IsOpen()) {
            m_pAdoConnection->close();
        }
    } catch (const std::exception& e) {
        NoteFailure(e);
        traceFailure("Warning: 关闭数据库发生异常. 错误信息: %s; 文件: %s; 行: %d\n", messageOf(e),
                     __FILE__, __LINE__);
    }
}

void CDbConnection::Release() {
    if (IsOpen()) {
        Close();
    }
    m_pAdoConnection.reset();
}

bool CDbConnection::Execute(const char* sql, long options) {
    try {
        Ado().execute(sql, options);
        return true;
    } catch (const std::exception& e) {
        NoteFailure(e);
        traceFailure("Warning: Execute 方法发生异常. 错误信息: %s; 文件: %s; 行: %d\n",
                     messageOf(e), __FILE__, __LINE__);
        return false;
    }
}

std::string CDbConnection::GetLastError() {
    std::string text;
    if (!m_pAdoConnection) {
        return text;
    }
    try {
        for (const engine::ErrorInfo& error : m_pAdoConnection->errors()) {
            char native[32];
            std::snprintf(native, sizeof native, "%ld", error.nativeError);
            text += "Description: " + error.description + "\r\nState: " + error.sqlState +
                    ", Native: " + native + ", Source: " + error.source + "\r\n";
        }
    } catch (const std::exception& e) {
        traceFailure("Warning: GetLastError 方法发生异常. 错误信息: %s; 文件: %s; 行: %d\n",
                     messageOf(e), __FILE__, __LINE__);
    }
    return text;
}

std::string CDbConnection::GetLastSqlState() {
    if (!m_pAdoConnection || !m_bEngineFailure) {
        return {};
    }
    try {
        const std::vector<engine::ErrorInfo> errors = m_pAdoConnection->errors();
        return errors.empty() ? std::string() : errors.back().sqlState;
    } catch (const std::exception& e) {
        // The failure asked about stays unexplained: this one is what a
        // caller that cannot class it must report.
        NoteFailure(e);
        traceFailure("Warning: GetLastSqlState 方法发生异常. 错误信息: %s; 文件: %s; 行: %d\n",
                     messageOf(e), __FILE__, __LINE__);
        return {};
    }
}

BOOL CDbConnection::IsOpen() {
    if (!m_pAdoConnection) {
        return 0;
    }
    try {
        return (m_pAdoConnection->state() & engine::adStateOpen) != 0 ? 1 : 0;
    } catch (const std::exception& e) {
        traceFailure("Warning: IsOpen 方法发生异常. 错误信息: %s; 文件: %s; 行: %d\n", messageOf(e),
                     __FILE__, __LINE__);
        return 0;
    }
}

long CDbConnection::BeginTrans() {
    try {
        return Ado().beginTrans();
    } catch (const std::exception& e) {
        NoteFailure(e);
        traceFailure("Warning: BeginTrans 方法发生异常. 错误信息: %s; 文件: %s; 行: %d\n",
                     messageOf(e), __FILE__, __LINE__);
        return -1;
    }
}

bool CDbConnection::DefineRowTest(const std::string& name, int arity,
                                  vornel::engine::RowTest test) {
    try {
        Ado().defineRowTest(name, arity, std::move(test));
        return true;
    } catch (const std::exception& e) {
        NoteFailure(e);
        traceFailure("Warning: DefineRowTest 方法发生异常. 错误信息: %s; 文件: %s; 行: %d\n",
                     messageOf(e), __FILE__, __LINE__);
        return false;
    }
}

BOOL CDbConnection::CommitTrans() {
    try {
        return Ado().commitTrans() >= 0 ? 1 : 0;
    } catch (const std::exception& e) {
        NoteFailure(e);
        traceFailure("Warning: CommitTrans 方法发生异常. 错误信息: %s; 文件: %s; 行: %d\n",
                     messageOf(e), __FILE__, __LINE__);
        return 0;
    }
}

BOOL CDbConnection::RollbackTrans() {
    try {
        return Ado().rollbackTrans() >= 0 ? 1 : 0;
    } catch (const std::exception& e) {
        NoteFailure(e);
        traceFailure("Warning: RollbackTrans 方法发生异常. 错误信息: %s; 文件: %s; 行: %d\n",
                     messageOf(e), __FILE__, __LINE__);
        return 0;
    }
}
