// A static, updatable row set over one SQLite statement.
//
// Rows stream from the statement: nothing is copied beside what the caller
// reads, so a read of a whole table costs no second copy of it. The count
// is exact: it comes from a count of the same query run inside the same
// read transaction, so both see one snapshot of the file. Rows are added
// through one INSERT statement prepared on the first AddNew and reused.
#ifndef VORNEL_ENGINE_SQLITERECORDSET_H
#define VORNEL_ENGINE_SQLITERECORDSET_H

#include <memory>
#include <string>
#include <vector>

#include "engine/ColumnKind.h"
#include "engine/Engine.h"
#include "engine/SqliteSession.h"

namespace vornel::engine {

class SqliteRecordset : public Recordset {
public:
    SqliteRecordset() = default;
    ~SqliteRecordset() override;
    SqliteRecordset(const SqliteRecordset&) = delete;
    SqliteRecordset& operator=(const SqliteRecordset&) = delete;

    HRESULT open(const std::string& source, Connection* connection, long cursorType, long lockType,
                 long options) override;
    void close() override;
    long state() override;

    bool bof() override;
    bool eof() override;
    HRESULT moveFirst() override;
    HRESULT moveNext() override;
    long recordCount() override;
    long absolutePosition() override;
    void setAbsolutePosition(long position) override;

    HRESULT addNew() override;
    HRESULT update() override;
    HRESULT cancelUpdate() override;
    long editMode() override;

    long fieldCount() override;
    long fieldAttributes(long index) override;
    long fieldActualSize(long index) override;
    void fieldValue(long index, Variant& value) override;
    void setFieldValue(long index, const Variant& value) override;
    HRESULT appendChunk(long index, const uint8_t* data, size_t size) override;
    size_t getChunk(long index, uint8_t* out, size_t size) override;

private:
    Session& session();
    [[noreturn]] void fail(HRESULT code, const std::string& description);
    void requireOpen();
    int checkedIndex(long index);
    // Fails unless there is a current row (a stored row, or the row just added).
    void requireCurrentRow();
    void step();
    // The statement's columns, as the fields of its rows.
    void takeColumns(sqlite3_stmt* stmt);
    void rewind();
    void prepareInsert();
    void bindCounter(int index);
    void finalizeAll();

    std::shared_ptr<Session> session_;
    sqlite3_stmt* stmt_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    std::vector<ColumnKind> kinds_;

    long position_ = 0;  // 1-based number of the current row
    bool atEnd_ = false;
    long count_ = -1;  // -1 until known

    long editMode_ = adEditNone;
    bool showingAdded_ = false;  // after Update the added row is the current row
    std::vector<Variant> pending_;
    std::vector<size_t> chunkOffsets_;
};

}  // namespace vornel::engine

#endif
