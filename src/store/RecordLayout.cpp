#include "store/RecordLayout.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "store/Sql.h"
#include "store/TextField.h"

namespace vornel::store {

std::string valuesText(const void* record, const ColumnField* fields, size_t count) {
    const auto* base = static_cast<const char*>(record);
    std::string values;
    for (size_t i = 0; i < count; ++i) {
        const ColumnField& f = fields[i];
        const char* at = base + f.offset;
        if (i > 0) {
            values += ", ";
        }
        switch (f.type) {
            case ColumnType::Int32: {
                int32_t v = 0;
                std::memcpy(&v, at, sizeof v);
                values += format("%d", v);
                break;
            }
            case ColumnType::Double: {
                double v = 0.0;
                std::memcpy(&v, at, sizeof v);
                values += format("%.3f", v);
                break;
            }
            case ColumnType::Text:
                values += quoted(fieldText(at, f.width));
                break;
        }
    }
    return values;
}

bool allFinite(const void* record, const ColumnField* fields, size_t count) {
    const auto* base = static_cast<const char*>(record);
    for (size_t i = 0; i < count; ++i) {
        if (fields[i].type == ColumnType::Double) {
            double v = 0.0;
            std::memcpy(&v, base + fields[i].offset, sizeof v);
            if (!std::isfinite(v)) {
                return false;
            }
        }
    }
    return true;
}

void readColumns(CDbRecordset& rs, void* record, const ColumnField* fields, size_t count) {
    auto* base = static_cast<char*>(record);
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        const ColumnField& f = fields[i];
        char* at = base + f.offset;
        const long column = static_cast<long>(i);
        switch (f.type) {
            case ColumnType::Int32: {
                int v = 0;
                rs.GetCollect(column, v);
                const auto v32 = static_cast<int32_t>(v);
                std::memcpy(at, &v32, sizeof v32);
                break;
            }
            case ColumnType::Double: {
                double v = 0.0;
                rs.GetCollect(column, v);
                std::memcpy(at, &v, sizeof v);
                break;
            }
            case ColumnType::Text:
                // A text that cannot be read leaves the one before in the buffer.
                rs.GetCollect(column, text);
                copyToField(at, f.width, text);
                break;
        }
    }
}

}  // namespace vornel::store
