#include "engine/ColumnKind.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "platform/OleDate.h"

namespace vornel::engine {
namespace {

bool contains(const std::string& haystack, const char* needle) {
    return haystack.find(needle) != std::string::npos;
}

void readByStorage(sqlite3_stmt* stmt, int index, int type, Variant& out) {
    switch (type) {
        case SQLITE_INTEGER: {
            const sqlite3_int64 v = sqlite3_column_int64(stmt, index);
            const bool fits = v >= std::numeric_limits<int32_t>::min() &&
                              v <= std::numeric_limits<int32_t>::max();
            out.vt = fits ? VT_I4 : VT_I8;
            out.integer = v;
            break;
        }
        case SQLITE_FLOAT:
            out.vt = VT_R8;
            out.real = sqlite3_column_double(stmt, index);
            break;
        case SQLITE_TEXT: {
            const auto* text = sqlite3_column_text(stmt, index);
            out.vt = VT_BSTR;
            out.text.assign(reinterpret_cast<const char*>(text),
                            static_cast<size_t>(sqlite3_column_bytes(stmt, index)));
            break;
        }
        case SQLITE_BLOB: {
            const auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(stmt, index));
            const auto size = static_cast<size_t>(sqlite3_column_bytes(stmt, index));
            out.vt = VT_BYTES;
            out.bytes.assign(data, data + size);
            break;
        }
        default:
            out.vt = VT_NULL;
            break;
    }
}

bool numeric(int type) {
    return type == SQLITE_INTEGER || type == SQLITE_FLOAT;
}

int bindText(sqlite3_stmt* stmt, int index, const std::string& text) {
    return sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()),
                             SQLITE_STATIC);
}

}  // namespace

ColumnKind classifyColumn(const char* declaredType) {
    if (declaredType == nullptr) {
        return ColumnKind::Value;
    }
    std::string decl(declaredType);
    for (char& c : decl) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (contains(decl, "COUNTER")) {
        return ColumnKind::Counter;
    }
    if (contains(decl, "BOOL") || contains(decl, "YESNO") || decl == "BIT") {
        return ColumnKind::Bool;
    }
    if (contains(decl, "INT")) {
        return ColumnKind::Int32;
    }
    if (contains(decl, "CHAR") || contains(decl, "TEXT") || contains(decl, "CLOB")) {
        return ColumnKind::Text;
    }
    if (contains(decl, "BLOB") || contains(decl, "IMAGE") || contains(decl, "BINARY")) {
        return ColumnKind::Blob;
    }
    if (contains(decl, "DOUB") || contains(decl, "REAL") || contains(decl, "FLOA")) {
        return ColumnKind::Double;
    }
    if (contains(decl, "DATE") || contains(decl, "TIME")) {
        return ColumnKind::Date;
    }
    if (contains(decl, "CURRENCY") || contains(decl, "MONEY")) {
        return ColumnKind::Currency;
    }
    return ColumnKind::Value;
}

bool isLongKind(ColumnKind kind) {
    return kind == ColumnKind::Blob || kind == ColumnKind::Value;
}

void readColumn(sqlite3_stmt* stmt, int index, ColumnKind kind, Variant& out) {
    const int type = sqlite3_column_type(stmt, index);
    if (type == SQLITE_NULL) {
        out.vt = VT_NULL;
        return;
    }
    switch (kind) {
        case ColumnKind::Double:
            if (numeric(type)) {
                out.vt = VT_R8;
                out.real = sqlite3_column_double(stmt, index);
                return;
            }
            break;
        case ColumnKind::Text:
            if (type != SQLITE_BLOB) {
                readByStorage(stmt, index, SQLITE_TEXT, out);
                return;
            }
            break;
        case ColumnKind::Bool:
            if (numeric(type)) {
                out.vt = VT_BOOL;
                out.integer = sqlite3_column_double(stmt, index) != 0.0 ? -1 : 0;
                return;
            }
            break;
        case ColumnKind::Blob:
            if (type == SQLITE_TEXT) {
                readByStorage(stmt, index, SQLITE_BLOB, out);
                return;
            }
            break;
        case ColumnKind::Date: {
            double date = 0.0;
            if (numeric(type)) {
                out.vt = VT_DATE;
                out.real = sqlite3_column_double(stmt, index);
                return;
            }
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, index));
            if (type == SQLITE_TEXT && oledate::parse(text, date)) {
                out.vt = VT_DATE;
                out.real = date;
                return;
            }
            break;
        }
        case ColumnKind::Currency:
            if (numeric(type)) {
                out.vt = VT_CY;
                out.integer = std::llround(sqlite3_column_double(stmt, index) * 10000.0);
                return;
            }
            break;
        default:
            break;
    }
    readByStorage(stmt, index, type, out);
}

long columnSize(sqlite3_stmt* stmt, int index) {
    switch (sqlite3_column_type(stmt, index)) {
        case SQLITE_NULL:
            return 0;
        case SQLITE_INTEGER:
            return 4;
        case SQLITE_FLOAT:
            return 8;
        default:
            return sqlite3_column_bytes(stmt, index);
    }
}

int bindColumn(sqlite3_stmt* stmt, int index, ColumnKind kind, const Variant& value) {
    switch (value.vt) {
        case VT_EMPTY:
        case VT_NULL:
            return sqlite3_bind_null(stmt, index);
        case VT_BOOL:
        case VT_I1:
        case VT_I2:
        case VT_I4:
        case VT_I8:
        case VT_INT:
        case VT_UI1:
        case VT_UI2:
        case VT_UI4:
        case VT_UI8:
        case VT_UINT:
            if (kind == ColumnKind::Bool) {
                return sqlite3_bind_int(stmt, index, value.integer != 0 ? 1 : 0);
            }
            return sqlite3_bind_int64(stmt, index, value.integer);
        case VT_R4:
        case VT_R8:
            return sqlite3_bind_double(stmt, index, value.real);
        case VT_CY:
            return sqlite3_bind_double(stmt, index, static_cast<double>(value.integer) / 10000.0);
        case VT_DATE:
            if (kind == ColumnKind::Date) {
                const std::string text = oledate::format(value.real);
                return sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()),
                                         SQLITE_TRANSIENT);
            }
            return sqlite3_bind_double(stmt, index, value.real);
        case VT_BSTR:
        case VT_LPSTR:
        case VT_LPWSTR:
            return bindText(stmt, index, value.text);
        case VT_BYTES:
        case VT_BLOB:
            if (value.bytes.empty()) {
                return sqlite3_bind_zeroblob(stmt, index, 0);
            }
            return sqlite3_bind_blob(stmt, index, value.bytes.data(),
                                     static_cast<int>(value.bytes.size()), SQLITE_STATIC);
        default:
            return SQLITE_MISMATCH;
    }
}

}  // namespace vornel::engine
