// The data-access layer: one connection and one recordset, wrapped so that
// no engine failure escapes. Each method catches the failure of its engine
// call, writes its trace line and returns a fixed failure value.
#ifndef VORNEL_DB_ADO_H
#define VORNEL_DB_ADO_H

#include <cstdint>
#include <exception>
#include <memory>
#include <string>

#include "engine/Engine.h"
#include "platform/Variant.h"

using BOOL = int;

class CDbConnection {
public:
    CDbConnection();
    // Wraps the given engine object; an empty one stands for an engine
    // object that could not be created.
    explicit CDbConnection(std::unique_ptr<vornel::engine::Connection> connection);
    virtual ~CDbConnection();
    CDbConnection(const CDbConnection&) = delete;
    CDbConnection& operator=(const CDbConnection&) = delete;

    BOOL Open(const char* connect, long options);
    BOOL OpenJetDatabase(const std::string& path, const std::string& password, long options);
    // Why OpenJetDatabase cannot name the file at `path`, its connection
    // string reading as another path; empty when it can.
    static std::string PathProblem(const std::string& path);
    void Close();
    void Release();
    // True when the statement ran.
    bool Execute(const char* sql, long options);
    std::string GetLastError();
    // The SQLSTATE of the last failure on this connection; empty if none, or
    // if it was not the engine's. Where the state cannot be read, empty, and
    // that failure is the last.
    std::string GetLastSqlState();
    BOOL IsOpen();
    long BeginTrans();
    BOOL CommitTrans();
    BOOL RollbackTrans();
    // A test the condition of a statement can call by name: see
    // vornel::engine::Connection::defineRowTest. True when it is defined.
    bool DefineRowTest(const std::string& name, int arity, vornel::engine::RowTest test);
    vornel::engine::Connection* GetConnection() { return m_pAdoConnection.get(); }

    // The message of the last failure any wrapper on this connection caught.
    const std::string& LastFailure() const { return m_strLastFailure; }
    // A failure the engine raised, with its SQLSTATE, or another (memory
    // that ran out), which has none.
    void NoteFailure(const std::exception& e) noexcept;
    // A failure of the caller's own, which has no SQLSTATE.
    void NoteFailure(const std::string& message);
    // Whether a call of the store's is in the middle of a statement, a
    // transaction's step or a query on this connection: a call that a hook
    // makes meanwhile finds it held.
    bool Held() const { return m_bHeld; }
    void Hold(bool held) { m_bHeld = held; }

private:
    vornel::engine::Connection& Ado();

    std::string m_strConnect;
    std::unique_ptr<vornel::engine::Connection> m_pAdoConnection;
    std::string m_strLastFailure;
    // Whether the last failure is the engine's, whose error list then
    // holds its state; otherwise that list holds an earlier one's.
    bool m_bEngineFailure = false;
    bool m_bHeld = false;
};

class CDbRecordset {
public:
    explicit CDbRecordset(CDbConnection* connection);
    CDbRecordset(CDbConnection* connection, std::unique_ptr<vornel::engine::Recordset> recordset);
    virtual ~CDbRecordset();
    CDbRecordset(const CDbRecordset&) = delete;
    CDbRecordset& operator=(const CDbRecordset&) = delete;

    BOOL Open(const char* sql, long options, long cursorType, long lockType);
    void Close();
    BOOL IsOpen();
    long GetState();
    BOOL AddNew();
    BOOL Update();
    BOOL CancelUpdate();
    long GetEditMode();
    BOOL MoveFirst();
    BOOL MoveNext();
    BOOL IsBOF();
    BOOL IsEOF();
    long GetRecordCount();
    long GetFieldsCount();
    long GetAbsolutePosition();
    BOOL SetAbsolutePosition(long position);
    vornel::engine::Field GetField(long index);
    long GetFieldAttributes(long index);

    // Typed column access on the current row: 0 for a value that cannot be
    // read (a number then reads as 0, a text stays as it was). Memory that
    // runs out throws std::bad_alloc instead, failing the whole read.
    BOOL GetCollect(long index, int& value);
    BOOL GetCollect(long index, long& value);
    BOOL GetCollect(long index, double& value);
    BOOL GetCollect(long index, std::string& value);
    BOOL PutCollect(long index, const vornel::Variant& value);
    BOOL PutCollect(long index, const int& value);
    BOOL PutCollect(long index, const long& value);
    BOOL PutCollect(long index, const float& value);
    BOOL PutCollect(long index, const double& value);
    BOOL PutCollect(long index, const std::string& value);

    // Long binary values.
    BOOL AppendChunk(const vornel::engine::Field& field, const uint8_t* data, size_t count);
    BOOL AppendChunk(long index, const uint8_t* data, size_t count);
    BOOL GetChunk(const vornel::engine::Field& field, uint8_t* buffer);
    BOOL GetChunk(long index, uint8_t* buffer);

    // Records the failure as the connection's last.
    void NoteFailure(const std::exception& e) noexcept;
    void NoteFailure(const std::string& message);
    // Whether a query holds this recordset, from before its open to after
    // its close: a call that a hook makes meanwhile finds it held.
    bool Held() const { return m_bHeld; }
    void Hold(bool held) { m_bHeld = held; }
    CDbConnection* Connection() const { return m_pConnection; }

private:
    vornel::engine::Recordset& Ado();
    // Reads column `index` into m_value; throws on failure.
    const vornel::Variant& Read(long index);
    template <class Number, class Convert>
    BOOL ReadNumber(long index, Number& value, Convert convert);

    CDbConnection* m_pConnection;
    bool m_bHeld = false;
    std::unique_ptr<vornel::engine::Recordset> m_pAdoRecordset;
    std::string m_strSQL;
    vornel::Variant m_value;  // reused, so reading a column allocates nothing
    vornel::Variant m_written;
};

#endif
