#include "engine/SqliteRecordset.h"

#include <algorithm>
#include <cstring>

#include "engine/SqlTokens.h"
#include "engine/SqliteConnection.h"

namespace vornel::engine {
namespace {

const char kNoCurrentRecord[] =
    "Either BOF or EOF is True, or the current record has been deleted. Requested operation "
    "requires a current record.";

std::string quoteIdentifier(const char* name) {
    std::string out = "\"";
    for (const char* p = name; *p != '\0'; ++p) {
        out += *p;
        if (*p == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

// Copies what the tag says is the value, and nothing else: rows are written
// column by column, so this is on the path of every inserted value.
void assignValue(Variant& to, const Variant& from) {
    to.vt = from.vt;
    switch (from.vt) {
        case VT_BSTR:
        case VT_LPSTR:
        case VT_LPWSTR:
            to.text = from.text;
            break;
        case VT_BYTES:
        case VT_BLOB:
            to.bytes = from.bytes;
            break;
        case VT_DECIMAL:
            to.decimal = from.decimal;
            break;
        default:
            to.integer = from.integer;
            to.real = from.real;
            break;
    }
}

long variantSize(const Variant& v) {
    switch (v.vt) {
        case VT_EMPTY:
        case VT_NULL:
            return 0;
        case VT_BSTR:
        case VT_LPSTR:
        case VT_LPWSTR:
            return static_cast<long>(v.text.size());
        case VT_BYTES:
        case VT_BLOB:
            return static_cast<long>(v.bytes.size());
        case VT_R8:
        case VT_DATE:
        case VT_CY:
        case VT_I8:
        case VT_UI8:
            return 8;
        default:
            return 4;
    }
}

// The text less an ORDER BY that closes it: order never changes how many
// rows there are, and a sorted subquery would be read whole, by index, only
// to be counted.
std::string_view withoutClosingOrder(std::string_view sql) {
    int depth = 0;
    size_t order = sql.size();
    for (const Token& t : tokenize(sql)) {
        if (t.kind == TokenKind::Punct && (t.text == "(" || t.text == ")")) {
            depth += t.text == "(" ? 1 : -1;
        } else if (depth == 0 && t.kind == TokenKind::Word) {
            if (isWord(t, "ORDER")) {
                order = static_cast<size_t>(t.text.data() - sql.data());
            } else if (isWord(t, "LIMIT")) {
                order = sql.size();
            }
        }
    }
    return sql.substr(0, order);
}

}  // namespace

SqliteRecordset::~SqliteRecordset() {
    finalizeAll();
}

void SqliteRecordset::fail(HRESULT code, const std::string& description) {
    if (session_) {
        raise(session_->errors(), code, description);
    }
    throw ComError(code, description);
}

Session& SqliteRecordset::session() {
    return *session_;
}

void SqliteRecordset::requireOpen() {
    if (stmt_ == nullptr) {
        fail(hr::kObjectClosed, "Operation is not allowed when the object is closed.");
    }
}

int SqliteRecordset::checkedIndex(long index) {
    requireOpen();
    if (index < 0 || index >= static_cast<long>(kinds_.size())) {
        fail(hr::kItemNotFound,
             "Item cannot be found in the collection corresponding to the requested name or "
             "ordinal.");
    }
    return static_cast<int>(index);
}

void SqliteRecordset::requireCurrentRow() {
    if (editMode_ != adEditAdd && !showingAdded_ && atEnd_) {
        fail(hr::kNoCurrentRecord, kNoCurrentRecord);
    }
}

HRESULT SqliteRecordset::open(const std::string& source, Connection* connection, long, long, long) {
    close();
    auto* sqlite = dynamic_cast<SqliteConnection*>(connection);
    if (sqlite == nullptr) {
        throw ComError(hr::kInvalidArg, "the recordset needs a connection of its own engine");
    }
    const std::shared_ptr<Session>& s = sqlite->session();
    Statement stmt = s->prepare(source);
    const int columns = sqlite3_column_count(stmt.get());
    if (columns == 0) {
        // A statement that returns no rows runs, and leaves the recordset closed.
        int rc = SQLITE_ROW;
        while (rc == SQLITE_ROW) {
            rc = sqlite3_step(stmt.get());
        }
        stmt.reset();
        if (rc != SQLITE_DONE) {
            s->fail(rc, "");
        }
        return hr::kOk;
    }
    // What may run out of memory comes before the recordset takes the
    // statement, which stays closed if it does.
    takeColumns(stmt.get());
    session_ = s;
    stmt_ = stmt.release();
    position_ = 0;
    atEnd_ = false;
    count_ = -1;
    editMode_ = adEditNone;
    showingAdded_ = false;
    try {
        step();
        // A statement kept from before another connection changed the
        // table is prepared again by its first step, with the columns the
        // table has now.
        takeColumns(stmt_);
    } catch (...) {
        close();
        throw;
    }
    return hr::kOk;
}

void SqliteRecordset::takeColumns(sqlite3_stmt* stmt) {
    std::vector<ColumnKind> kinds(static_cast<size_t>(sqlite3_column_count(stmt)));
    for (size_t i = 0; i < kinds.size(); ++i) {
        kinds[i] = classifyColumn(sqlite3_column_decltype(stmt, static_cast<int>(i)));
    }
    pending_.resize(kinds.size());
    chunkOffsets_.assign(kinds.size(), 0);
    kinds_ = std::move(kinds);
}

void SqliteRecordset::finalizeAll() {
    sqlite3_finalize(stmt_);
    sqlite3_finalize(insert_);
    stmt_ = nullptr;
    insert_ = nullptr;
}

void SqliteRecordset::close() {
    finalizeAll();
    session_.reset();
    editMode_ = adEditNone;
    showingAdded_ = false;
}

long SqliteRecordset::state() {
    return stmt_ != nullptr ? adStateOpen : adStateClosed;
}

void SqliteRecordset::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) {
        ++position_;
        std::fill(chunkOffsets_.begin(), chunkOffsets_.end(), 0);
    } else if (rc == SQLITE_DONE) {
        atEnd_ = true;
        count_ = position_;
    } else {
        sqlite3_reset(stmt_);
        atEnd_ = true;
        session().fail(rc, "cannot read the next row");
    }
}

void SqliteRecordset::rewind() {
    sqlite3_reset(stmt_);
    position_ = 0;
    atEnd_ = false;
    showingAdded_ = false;
    step();
}

bool SqliteRecordset::bof() {
    requireOpen();
    return atEnd_ && position_ == 0 && !showingAdded_;
}

bool SqliteRecordset::eof() {
    requireOpen();
    return atEnd_ && !showingAdded_;
}

HRESULT SqliteRecordset::moveFirst() {
    requireOpen();
    update();
    rewind();
    return hr::kOk;
}

HRESULT SqliteRecordset::moveNext() {
    requireOpen();
    update();
    showingAdded_ = false;
    if (atEnd_) {
        fail(hr::kNoCurrentRecord, kNoCurrentRecord);
    }
    step();
    return hr::kOk;
}

long SqliteRecordset::recordCount() {
    requireOpen();
    if (count_ >= 0) {
        return count_;
    }
    // Runs while the statement is mid-way, inside its read transaction, so
    // the count is of the rows this recordset delivers. The newline ends a
    // line comment that closes the text; a block comment left open there
    // would swallow the bracket too, and such a text is run once more and
    // its rows stepped over instead.
    const std::string text = statementText(stmt_);
    sqlite3* db = session().db();
    sqlite3_stmt* counter = nullptr;
    const std::string wrapped =
        "SELECT COUNT(*) FROM (" + std::string(withoutClosingOrder(text)) + "\n)";
    const bool stepping =
        sqlite3_prepare_v2(db, wrapped.c_str(), -1, &counter, nullptr) != SQLITE_OK;
    int rc = stepping ? sqlite3_prepare_v2(db, text.c_str(), -1, &counter, nullptr) : SQLITE_OK;
    long rows = 0;
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(counter);
        for (; stepping && rc == SQLITE_ROW; rc = sqlite3_step(counter)) {
            ++rows;
        }
    }
    if (rc != (stepping ? SQLITE_DONE : SQLITE_ROW)) {
        sqlite3_finalize(counter);
        session().fail(rc, "cannot count the rows");
    }
    count_ = stepping ? rows : static_cast<long>(sqlite3_column_int64(counter, 0));
    sqlite3_finalize(counter);
    return count_;
}

long SqliteRecordset::absolutePosition() {
    requireOpen();
    return atEnd_ ? adPosEOF : position_;
}

void SqliteRecordset::setAbsolutePosition(long position) {
    requireOpen();
    if (position < 1) {
        fail(hr::kInvalidArg, "the position must be 1 or more");
    }
    rewind();
    while (position_ < position && !atEnd_) {
        step();
    }
    if (atEnd_) {
        fail(hr::kInvalidArg, "the position is beyond the last row");
    }
}

void SqliteRecordset::prepareInsert() {
    const char* table = sqlite3_column_table_name(stmt_, 0);
    const char* database = sqlite3_column_database_name(stmt_, 0);
    std::string columns;
    std::string marks;
    for (size_t i = 0; i < kinds_.size(); ++i) {
        const int c = static_cast<int>(i);
        const char* origin = sqlite3_column_origin_name(stmt_, c);
        const char* t = sqlite3_column_table_name(stmt_, c);
        const char* d = sqlite3_column_database_name(stmt_, c);
        if (table == nullptr || origin == nullptr || t == nullptr || d == nullptr ||
            std::strcmp(t, table) != 0 || std::strcmp(d, database) != 0) {
            fail(hr::kNotUpdatable,
                 "rows cannot be added here: the columns do not all come from one table");
        }
        columns += (i == 0 ? "" : ", ") + quoteIdentifier(origin);
        marks += i == 0 ? "?" : ", ?";
    }
    const std::string sql = "INSERT INTO " + quoteIdentifier(database) + "." +
                            quoteIdentifier(table) + " (" + columns + ") VALUES (" + marks + ")";
    const int rc = sqlite3_prepare_v3(session().db(), sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT,
                                      &insert_, nullptr);
    if (rc != SQLITE_OK) {
        session().fail(rc, "cannot add rows");
    }
}

HRESULT SqliteRecordset::addNew() {
    requireOpen();
    update();
    if (insert_ == nullptr) {
        prepareInsert();
    }
    for (Variant& v : pending_) {
        v.vt = VT_EMPTY;
        v.bytes.clear();
    }
    std::fill(chunkOffsets_.begin(), chunkOffsets_.end(), 0);
    editMode_ = adEditAdd;
    showingAdded_ = false;
    return hr::kOk;
}

void SqliteRecordset::bindCounter(int index) {
    const std::string sql =
        "SELECT COALESCE(MAX(" + quoteIdentifier(sqlite3_column_origin_name(stmt_, index)) +
        "), 0) + 1 FROM " + quoteIdentifier(sqlite3_column_table_name(stmt_, index));
    sqlite3_stmt* next = nullptr;
    int rc = sqlite3_prepare_v2(session().db(), sql.c_str(), -1, &next, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(next);
    }
    if (rc != SQLITE_ROW) {
        sqlite3_finalize(next);
        session().fail(rc, "cannot number the new row");
    }
    sqlite3_bind_int64(insert_, index + 1, sqlite3_column_int64(next, 0));
    sqlite3_finalize(next);
}

HRESULT SqliteRecordset::update() {
    requireOpen();
    if (editMode_ != adEditAdd) {
        return hr::kOk;
    }
    session().requireTransactionKept();
    for (size_t i = 0; i < pending_.size(); ++i) {
        const int c = static_cast<int>(i);
        if (kinds_[i] == ColumnKind::Counter && pending_[i].vt == VT_EMPTY) {
            bindCounter(c);
        } else if (const int rc = bindColumn(insert_, c + 1, kinds_[i], pending_[i]);
                   rc == SQLITE_MISMATCH) {
            fail(hr::kTypeMismatch, "column " + std::to_string(i) + " cannot hold this value");
        } else if (rc != SQLITE_OK) {
            // The engine's own refusal, of a value too big or for want of
            // memory: its text tells which.
            session().fail(rc, "column " + std::to_string(i) + " cannot take this value");
        }
    }
    const int rc = sqlite3_step(insert_);
    sqlite3_reset(insert_);
    if (rc != SQLITE_DONE) {
        session().fail(rc, "cannot add the row");
    }
    editMode_ = adEditNone;
    showingAdded_ = true;
    std::fill(chunkOffsets_.begin(), chunkOffsets_.end(), 0);
    return hr::kOk;
}

HRESULT SqliteRecordset::cancelUpdate() {
    editMode_ = adEditNone;
    return hr::kOk;
}

long SqliteRecordset::editMode() {
    return editMode_;
}

long SqliteRecordset::fieldCount() {
    requireOpen();
    return static_cast<long>(kinds_.size());
}

long SqliteRecordset::fieldAttributes(long index) {
    return isLongKind(kinds_[static_cast<size_t>(checkedIndex(index))]) ? adFldLong : 0;
}

long SqliteRecordset::fieldActualSize(long index) {
    const int c = checkedIndex(index);
    requireCurrentRow();
    if (editMode_ == adEditAdd || showingAdded_) {
        return variantSize(pending_[static_cast<size_t>(c)]);
    }
    if (isLongKind(kinds_[static_cast<size_t>(c)])) {
        // What GetChunk hands out: the bytes of the value as a blob, which
        // for a number a foreign file stored here is its text.
        sqlite3_column_blob(stmt_, c);
        return sqlite3_column_bytes(stmt_, c);
    }
    return columnSize(stmt_, c);
}

void SqliteRecordset::fieldValue(long index, Variant& value) {
    const int c = checkedIndex(index);
    requireCurrentRow();
    if (editMode_ == adEditAdd || showingAdded_) {
        value = pending_[static_cast<size_t>(c)];
        if (value.vt == VT_EMPTY) {
            value.vt = VT_NULL;
        }
        return;
    }
    readColumn(stmt_, c, kinds_[static_cast<size_t>(c)], value);
}

void SqliteRecordset::setFieldValue(long index, const Variant& value) {
    const int c = checkedIndex(index);
    if (editMode_ != adEditAdd) {
        fail(hr::kNotUpdatable, "values can only be set on a row begun with AddNew");
    }
    assignValue(pending_[static_cast<size_t>(c)], value);
}

HRESULT SqliteRecordset::appendChunk(long index, const uint8_t* data, size_t size) {
    const int c = checkedIndex(index);
    if (!isLongKind(kinds_[static_cast<size_t>(c)])) {
        fail(hr::kTypeMismatch, "the column does not hold long binary values");
    }
    if (editMode_ != adEditAdd) {
        fail(hr::kNotUpdatable, "values can only be set on a row begun with AddNew");
    }
    Variant& v = pending_[static_cast<size_t>(c)];
    if (v.vt != VT_BYTES) {
        v.vt = VT_BYTES;
        v.bytes.clear();
    }
    v.bytes.insert(v.bytes.end(), data, data + size);
    return hr::kOk;
}

size_t SqliteRecordset::getChunk(long index, uint8_t* out, size_t size) {
    const int c = checkedIndex(index);
    requireCurrentRow();
    if (!isLongKind(kinds_[static_cast<size_t>(c)])) {
        fail(hr::kTypeMismatch, "the column does not hold long binary values");
    }
    const uint8_t* data = nullptr;
    size_t total = 0;
    if (editMode_ == adEditAdd || showingAdded_) {
        const Variant& v = pending_[static_cast<size_t>(c)];
        data = v.bytes.data();
        total = v.vt == VT_BYTES ? v.bytes.size() : 0;
    } else {
        if (kinds_[static_cast<size_t>(c)] == ColumnKind::Value &&
            sqlite3_column_type(stmt_, c) != SQLITE_BLOB &&
            sqlite3_column_type(stmt_, c) != SQLITE_NULL) {
            fail(hr::kTypeMismatch, "the value is not long binary");
        }
        data = static_cast<const uint8_t*>(sqlite3_column_blob(stmt_, c));
        total = static_cast<size_t>(sqlite3_column_bytes(stmt_, c));
    }
    size_t& offset = chunkOffsets_[static_cast<size_t>(c)];
    const size_t n = std::min(size, total - std::min(offset, total));
    if (n > 0) {
        std::memcpy(out, data + offset, n);
    }
    offset += n;
    return n;
}

}  // namespace vornel::engine
