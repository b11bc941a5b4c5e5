// Typed reads and writes of the current row's columns, and long binary
// values moved in chunks.
#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "db/Ado.h"
#include "db/Failure.h"
#include "db/VariantConvert.h"
#include "platform/Notice.h"

using vornel::Variant;
using vornel::db::messageOf;
using vornel::db::traceFailure;
namespace engine = vornel::engine;

namespace {

// Long values are read in pieces of this many bytes.
constexpr size_t kChunkSize = 100;

std::string notLong(long index) {
    return "column " + std::to_string(index) + " does not hold long binary values";
}

}  // namespace

const Variant& CDbRecordset::Read(long index) {
    Ado().fieldValue(index, m_value);
    return m_value;
}

template <class Number, class Convert>
BOOL CDbRecordset::ReadNumber(long index, Number& value, Convert convert) {
    try {
        value = convert(Read(index));
        return 1;
    } catch (const std::bad_alloc&) {
        throw;  // not a value of the column: the whole read fails
    } catch (const std::exception&) {
        value = 0;  // silently, as callers that ignore the result expect
        return 0;
    }
}

BOOL CDbRecordset::GetCollect(long index, int& value) {
    return ReadNumber(index, value, VariantToLong);
}

BOOL CDbRecordset::GetCollect(long index, long& value) {
    return ReadNumber(index, value, VariantToLong);
}

BOOL CDbRecordset::GetCollect(long index, double& value) {
    return ReadNumber(index, value, VariantToDouble);
}

BOOL CDbRecordset::GetCollect(long index, std::string& value) {
    const long columns = GetFieldsCount();
    if (index < 0 || index >= columns) {
        return 0;
    }
    try {
        if (IsOpen() == 0) {
            vornel::showNotice("数据库可能已经断开,\r\n请重新连接、然后重试.");
            return 0;
        }
        if (IsEOF() != 0) {
            return 0;
        }
        value = VariantToText(Read(index));
        return 1;
    } catch (const std::bad_alloc&) {
        throw;  // the value as it was would pass for the column's
    } catch (const std::exception& e) {
        traceFailure("Warning: 字段访问失败. 错误信息: %s; 文件: %s; 行: %d\n", messageOf(e),
                     __FILE__, __LINE__);
        return 0;
    }
}

BOOL CDbRecordset::PutCollect(long index, const Variant& value) {
    if (!m_pAdoRecordset) {
        return 0;
    }
    try {
        m_pAdoRecordset->setFieldValue(index, value);
        return 1;
    } catch (const std::exception& e) {
        NoteFailure(e);
        traceFailure("Warning: PutCollect 方法发生异常. 错误信息: %s; 文件: %s; 行: %d\n",
                     messageOf(e), __FILE__, __LINE__);
        return 0;
    }
}

BOOL CDbRecordset::PutCollect(long index, const int& value) {
    m_written.vt = vornel::VT_I4;
    m_written.integer = value;
    return PutCollect(index, m_written);
}

BOOL CDbRecordset::PutCollect(long index, const long& value) {
    m_written.vt = vornel::VT_I4;
    m_written.integer = static_cast<int32_t>(value);
    return PutCollect(index, m_written);
}

BOOL CDbRecordset::PutCollect(long index, const float& value) {
    m_written.vt = vornel::VT_R4;
    m_written.real = value;
    return PutCollect(index, m_written);
}

BOOL CDbRecordset::PutCollect(long index, const double& value) {
    m_written.vt = vornel::VT_R8;
    m_written.real = value;
    return PutCollect(index, m_written);
}

BOOL CDbRecordset::PutCollect(long index, const std::string& value) {
    if (value.empty()) {
        m_written.vt = vornel::VT_NULL;
    } else {
        m_written.vt = vornel::VT_BSTR;
        m_written.text = value;
    }
    return PutCollect(index, m_written);
}

BOOL CDbRecordset::AppendChunk(const engine::Field& field, const uint8_t* data, size_t count) {
    try {
        return field.appendChunk(data, count) == vornel::hr::kOk ? 1 : 0;
    } catch (const std::exception& e) {
        NoteFailure(e);
        traceFailure("Warning: AppendChunk 方法发生异常. 错误信息: %s; 文件: %s; 行: %d\n",
                     messageOf(e), __FILE__, __LINE__);
        return 0;
    }
}

BOOL CDbRecordset::AppendChunk(long index, const uint8_t* data, size_t count) {
    if ((GetFieldAttributes(index) & engine::adFldLong) == 0) {
        NoteFailure(notLong(index));
        return 0;
    }
    return AppendChunk(GetField(index), data, count);
}

BOOL CDbRecordset::GetChunk(const engine::Field& field, uint8_t* buffer) {
    try {
        // The buffer holds the value's actual size and no more: a last
        // piece that could run past it goes through a piece of our own, so
        // an engine with more to give than it announced writes nothing
        // beyond the buffer.
        const long actual = field.actualSize();
        const size_t size = actual > 0 ? static_cast<size_t>(actual) : 0;
        uint8_t piece[kChunkSize] = {};
        size_t offset = 0;
        while (offset < size) {
            const size_t room = size - offset;
            uint8_t* into = room >= kChunkSize ? buffer + offset : piece;
            const size_t read = field.getChunk(into, kChunkSize);
            if (read == 0) {
                return 0;
            }
            const size_t kept = std::min(read, room);
            if (into == piece) {
                std::memcpy(buffer + offset, piece, kept);
            }
            offset += kept;
        }
        return 1;
    } catch (const std::exception& e) {
        NoteFailure(e);
        traceFailure("Warning: GetChunk 方法发生异常. 错误信息: %s; 文件: %s; 行: %d\n",
                     messageOf(e), __FILE__, __LINE__);
        return 0;
    }
}

BOOL CDbRecordset::GetChunk(long index, uint8_t* buffer) {
    if ((GetFieldAttributes(index) & engine::adFldLong) == 0) {
        NoteFailure(notLong(index));
        return 0;
    }
    return GetChunk(GetField(index), buffer);
}
