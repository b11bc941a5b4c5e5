// The data-access engine: connections and recordsets in the shape the
// wrappers above have always used, behind one narrow interface so that the
// storage engine underneath can change.
//
// Every operation signals failure by throwing ComError; operations whose
// success code matters return it (hr::kOk, or another non-negative code).
#ifndef VORNEL_ENGINE_ENGINE_H
#define VORNEL_ENGINE_ENGINE_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ComError.h"
#include "platform/Variant.h"

namespace vornel::engine {

inline constexpr long adStateClosed = 0;
inline constexpr long adStateOpen = 1;
inline constexpr long adCmdText = 1;
inline constexpr long adOpenStatic = 3;
inline constexpr long adLockOptimistic = 3;
inline constexpr long adConnectUnspecified = -1;
inline constexpr long adEditNone = 0;
inline constexpr long adEditAdd = 2;
inline constexpr long adFldLong = 0x80;
inline constexpr long adPosEOF = -3;

// One entry of a connection's error list.
struct ErrorInfo {
    std::string description;
    std::string sqlState;
    long nativeError = 0;
    std::string source;
};

// A test that a statement's condition calls by name, row by row, before
// the row is read. It is given the values of its arguments, each REAL as
// its double and any other value (NULL, an integer, a text, a blob) as NaN,
// and answers for the row.
using RowTest = std::function<bool(const double* values)>;
inline constexpr int kMaxRowTestArguments = 16;

class Connection {
public:
    virtual ~Connection() = default;

    virtual HRESULT open(const std::string& connectionString, long options) = 0;
    virtual void close() = 0;
    virtual long state() = 0;
    virtual void execute(const std::string& sql, long options) = 0;
    // The nesting level of the transaction begun: 1 for the outermost.
    virtual long beginTrans() = 0;
    // Ends the innermost level; one that cannot be committed is rolled
    // back, and the failure raised.
    virtual HRESULT commitTrans() = 0;
    virtual HRESULT rollbackTrans() = 0;
    // The errors of the last operation that failed, oldest first.
    virtual std::vector<ErrorInfo> errors() = 0;
    // Makes `name`, with `arity` arguments (at most kMaxRowTestArguments),
    // answer `test` in this connection's statements until it is defined
    // again; while the test is empty it answers false.
    virtual void defineRowTest(const std::string& name, int arity, RowTest test) = 0;
};

class Recordset {
public:
    virtual ~Recordset() = default;

    virtual HRESULT open(const std::string& source, Connection* connection, long cursorType,
                         long lockType, long options) = 0;
    virtual void close() = 0;
    virtual long state() = 0;

    virtual bool bof() = 0;
    virtual bool eof() = 0;
    virtual HRESULT moveFirst() = 0;
    virtual HRESULT moveNext() = 0;
    // -1 when the count cannot be told.
    virtual long recordCount() = 0;
    virtual long absolutePosition() = 0;
    virtual void setAbsolutePosition(long position) = 0;

    virtual HRESULT addNew() = 0;
    virtual HRESULT update() = 0;
    virtual HRESULT cancelUpdate() = 0;
    virtual long editMode() = 0;

    // Columns, by 0-based index.
    virtual long fieldCount() = 0;
    virtual long fieldAttributes(long index) = 0;
    virtual long fieldActualSize(long index) = 0;
    virtual void fieldValue(long index, Variant& value) = 0;
    virtual void setFieldValue(long index, const Variant& value) = 0;
    virtual HRESULT appendChunk(long index, const uint8_t* data, size_t size) = 0;
    // Copies up to size further bytes of a long value into out and returns
    // how many; 0 once the value is exhausted.
    virtual size_t getChunk(long index, uint8_t* out, size_t size) = 0;
};

// A handle on one column of a recordset's current row; empty when it names
// no column. Every operation on an empty handle fails with hr::kPointer.
class Field {
public:
    Field() = default;
    Field(Recordset* recordset, long index) : recordset_(recordset), index_(index) {}

    explicit operator bool() const { return recordset_ != nullptr; }
    long attributes() const { return checked().fieldAttributes(index_); }
    long actualSize() const { return checked().fieldActualSize(index_); }
    HRESULT appendChunk(const uint8_t* data, size_t size) const {
        return checked().appendChunk(index_, data, size);
    }
    size_t getChunk(uint8_t* out, size_t size) const {
        return checked().getChunk(index_, out, size);
    }

private:
    Recordset& checked() const;

    Recordset* recordset_ = nullptr;
    long index_ = 0;
};

std::unique_ptr<Connection> createConnection();
std::unique_ptr<Recordset> createRecordset();

// The value of `key` (case-blind) in a "key=value; key=value" connection
// string; empty when it names none. A part without '=' is more of the value
// before it, so that a path may hold ';' (pit;2024.db). Blanks around keys,
// before values and before the ';' after a value are no part of them; a
// value that runs to the end of the string keeps its last blanks.
std::string connectionStringValue(const std::string& connectionString, const std::string& key);

// Makes a new, empty database file; refuses a path where any file exists,
// or whose name leaves no room for the journal beside it.
void createDatabaseFile(const std::string& path);

// Removes a database file that createDatabaseFile made and its log and
// index, when what was to follow its making failed: when memory has run
// out too, so it asks for none.
void removeNewDatabaseFile(const std::string& path) noexcept;

// Rewrites the database at path compactly, through a copy at tempPath that
// then replaces it. Refuses while another connection has the file open, and
// when anything already exists at tempPath.
void compactDatabaseFile(const std::string& path, const std::string& tempPath);

// Renames the database file at replacement over the one at path, with the
// same refusal while another connection has that open; its pending writes
// would otherwise be read as the new file's.
void replaceDatabaseFile(const std::string& path, const std::string& replacement);

}  // namespace vornel::engine

#endif
