#include "db/Ado.h"
#include "db/Failure.h"
#include "platform/Trace.h"

using vornel::db::messageOf;
using vornel::db::traceFailure;
namespace engine = vornel::engine;

CDbRecordset::CDbRecordset(CDbConnection* connection)
    : CDbRecordset(connection, engine::createRecordset()) {}

CDbRecordset::CDbRecordset(CDbConnection* connection, std::unique_ptr<engine::Recordset> recordset)
    : m_pConnection(connection), m_pAdoRecordset(std::move(recordset)) {}

CDbRecordset::~CDbRecordset() {
    if (IsOpen()) {
        Close();
    }
}

engine::Recordset& CDbRecordset::Ado() {
    if (!m_pAdoRecordset) {
        throw vornel::ComError(vornel::hr::kPointer);
    }
    return *m_pAdoRecordset;
}

void CDbRecordset::NoteFailure(const std::exception& e) noexcept {
    if (m_pConnection != nullptr) {
        m_pConnection->NoteFailure(e);
    }
}

void CDbRecordset::NoteFailure(const std::string& message) {
    if (m_pConnection != nullptr) {
        m_pConnection->NoteFailure(message);
    }
}

BOOL CDbRecordset::Open(const char* sql, long options, long cursorType, long lockType) {
    try {
        if (sql != nullptr && *sql != '\0') {
            m_strSQL = sql;  // may run out of memory, as the open may
        }
        if (m_pConnection == nullptr || !m_pAdoRecordset ||
            m_pConnection->GetConnection() == nullptr || m_strSQL.empty()) {
            return 0;
        }
        if (IsOpen()) {
            Close();
        }
        return m_pAdoRecordset->open(m_strSQL, m_pConnection->GetConnection(), cursorType, lockType,
                                     options) >= 0
                   ? 1
                   : 0;
    } catch (const std::exception& e) {
        NoteFailure(e);
        traceFailure("Warning: 打开记录集发生异常. 错误信息: %s; 文件: %s; 行: %d\n", messageOf(e),
                     __FILE__, __LINE__);
        VORNEL_TRACE("%s\r\n", m_pConnection->GetLastError().c_str());
        return 0;
    }
}

void CDbRecordset::Close() {
    try {
        if (!m_pAdoRecordset || m_pAdoRecordset->state() == engine::adStateClosed) {
            return;
        }
        if (GetEditMode() != engine::adEditNone) {
            CancelUpdate();
        }
        m_pAdoRecordset->close();
    } catch (const std::exception& e) {
        traceFailure("Warning: 关闭记录集发生异常. 错误信息: %s; 文件: %s; 行: %d\n", messageOf(e),
                     __FILE__, __LINE__);
    }
}

BOOL CDbRecordset::IsOpen() {
    if (!m_pAdoRecordset) {
        return 0;
    }
    try {
        return (m_pAdoRecordset->state() & engine::adStateOpen) != 0 ? 1 : 0;
    } catch (const std::exception& e) {
        traceFailure("Warning: IsOpen方法发生异常. 错误信息: %s; 文件: %s; 行: %d\n", messageOf(e),
                     __FILE__, __LINE__);
        return 0;
    }
}

long CDbRecordset::GetState() {
    try {
        return Ado().state();
    } catch (const std::exception& e) {
        traceFailure("Warning: GetState 方法发生异常. 错误信息: %s; 文件: %s; 行: %d\n",
                     messageOf(e), __FILE__, __LINE__);
        return -1;
    }
}

BOOL CDbRecordset::AddNew() {
    if (!m_pAdoRecordset) {
        return 0;
    }
    try {
        return m_pAdoRecordset->addNew() == vornel::hr::kOk ? 1 : 0;
    } catch (const std::exception& e) {
        NoteFailure(e);
        traceFailure("Warning: AddNew 方法发生异常. 错误信息: %s; 文件: %s; 行: %d\n", messageOf(e),
                     __FILE__, __LINE__);
        return 0;
    }
}

BOOL CDbRecordset::Update() {
    if (!m_pAdoRecordset) {
        return 0;
    }
    try {
        return m_pAdoRecordset->update() == vornel::hr::kOk ? 1 : 0;
    } catch (const std::exception& e) {
        NoteFailure(e);
        traceFailure("Warning: Update 方法发生异常. 错误信息: %s; 文件: %s; 行: %d\n", messageOf(e),
                     __FILE__, __LINE__);
        return 0;
    }
}

BOOL CDbRecordset::CancelUpdate() {
    if (!m_pAdoRecordset) {
        return 0;
    }
    if (GetEditMode() == engine::adEditNone) {
        return 1;
    }
    try {
        return m_pAdoRecordset->cancelUpdate() == vornel::hr::kOk ? 1 : 0;
    } catch (const std::exception& e) {
        traceFailure("Warning: CancelUpdate 方法发生异常. 错误信息: %s; 文件: %s; 行: %d\n",
                     messageOf(e), __FILE__, __LINE__);
        return 0;
    }
}

long CDbRecordset::GetEditMode() {
    if (!m_pAdoRecordset) {
        return 0;
    }
    try {
        return m_pAdoRecordset->editMode();
    } catch (const std::exception&) {
        return 0;
    }
}

BOOL CDbRecordset::MoveFirst() {
    if (!m_pAdoRecordset) {
        return 0;
    }
    try {
        return m_pAdoRecordset->moveFirst() >= 0 ? 1 : 0;
    } catch (const std::exception& e) {
        traceFailure("Warning: MoveFirst 方法发生异常. 错误信息: %s; 文件: %s; 行: %d\n",
                     messageOf(e), __FILE__, __LINE__);
        return 0;
    }
}

BOOL CDbRecordset::MoveNext() {
    if (!m_pAdoRecordset) {
        return 0;
    }
    try {
        return m_pAdoRecordset->moveNext() >= 0 ? 1 : 0;
    } catch (const std::exception& e) {
        NoteFailure(e);
        traceFailure("Warning: MoveNext 方法发生异常. 错误信息: %s; 文件: %s; 行: %d\n",
                     messageOf(e), __FILE__, __LINE__);
        return 0;
    }
}

BOOL CDbRecordset::IsBOF() {
    try {
        return Ado().bof() ? -1 : 0;
    } catch (const std::exception& e) {
        traceFailure("Warning: IsBOF 方法发生异常. 错误信息: %s; 文件: %s; 行: %d\n", messageOf(e),
                     __FILE__, __LINE__);
        return 0;
    }
}

BOOL CDbRecordset::IsEOF() {
    try {
        return Ado().eof() ? -1 : 0;
    } catch (const std::exception& e) {
        traceFailure("Warning: IsEOF 方法发生异常. 错误信息: %s; 文件: %s; 行: %d\n", messageOf(e),
                     __FILE__, __LINE__);
        return 0;
    }
}

long CDbRecordset::GetRecordCount() {
    try {
        const long count = Ado().recordCount();
        if (count >= 0) {
            return count;
        }
        // The engine cannot tell: count by walking, then return to the row.
        const long position = GetAbsolutePosition();
        MoveFirst();
        long walked = 0;
        while (IsEOF() == 0) {
            ++walked;
            if (MoveNext() == 0) {
                break;
            }
        }
        SetAbsolutePosition(position);
        return walked;
    } catch (const std::exception& e) {
        NoteFailure(e);
        traceFailure("Warning: GetRecordCount 方法发生异常. 错误信息: %s; 文件: %s; 行: %d\n",
                     messageOf(e), __FILE__, __LINE__);
        return -1;
    }
}

long CDbRecordset::GetFieldsCount() {
    try {
        return Ado().fieldCount();
    } catch (const std::exception& e) {
        traceFailure("Warning: GetFieldsCount 方法发生异常. 错误信息: %s; 文件: %s; 行: %d\n",
                     messageOf(e), __FILE__, __LINE__);
        return -1;
    }
}

long CDbRecordset::GetAbsolutePosition() {
    try {
        return Ado().absolutePosition();
    } catch (const std::exception& e) {
        traceFailure("Warning: GetAbsolutePosition 方法发生异常. 错误信息: %s; 文件: %s; 行: %d\n",
                     messageOf(e), __FILE__, __LINE__);
        return -1;
    }
}

BOOL CDbRecordset::SetAbsolutePosition(long position) {
    try {
        Ado().setAbsolutePosition(position);
        return 1;
    } catch (const std::exception& e) {
        traceFailure("Warning: SetAbsolutePosition 方法发生异常. 错误信息: %s; 文件: %s; 行: %d\n",
                     messageOf(e), __FILE__, __LINE__);
        return 0;
    }
}

engine::Field CDbRecordset::GetField(long index) {
    try {
        engine::Recordset& rs = Ado();
        if (index < 0 || index >= rs.fieldCount()) {
            throw vornel::ComError(vornel::hr::kItemNotFound,
                                   "Item cannot be found in the collection corresponding to the "
                                   "requested name or ordinal.");
        }
        return engine::Field(&rs, index);
    } catch (const std::exception& e) {
        traceFailure("Warning: GetField发生异常. 错误信息: %s; 文件: %s; 行: %d\n", messageOf(e),
                     __FILE__, __LINE__);
        return {};
    }
}

long CDbRecordset::GetFieldAttributes(long index) {
    try {
        return Ado().fieldAttributes(index);
    } catch (const std::exception& e) {
        traceFailure("Warning: GetFieldAttributes 方法发生异常. 错误信息: %s; 文件: %s; 行: %d\n",
                     messageOf(e), __FILE__, __LINE__);
        return -1;
    }
}
