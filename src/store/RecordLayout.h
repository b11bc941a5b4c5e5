// Where each column of a parameter table lives in its record, so that one
// description drives both the INSERT text and the reading of a row.
#ifndef VORNEL_STORE_RECORDLAYOUT_H
#define VORNEL_STORE_RECORDLAYOUT_H

#include <cstddef>
#include <string>

#include "db/Ado.h"

namespace vornel::store {

enum class ColumnType { Int32, Double, Text };

struct ColumnField {
    ColumnType type;
    size_t offset;
    size_t width;  // of a text field
};

#define VORNEL_COLUMN(type, Record, field)                               \
    ColumnField {                                                        \
        ColumnType::type, offsetof(Record, field), sizeof(Record::field) \
    }

// The values of the record's fields, in column order, separated by ", ":
// integers in decimal, doubles with three decimals, text quoted.
std::string valuesText(const void* record, const ColumnField* fields, size_t count);

// Whether every double of the record is a finite number. Any other would be
// written as a word ("nan", "inf") that the database takes for a column's
// name, and the row would be lost as rejected.
bool allFinite(const void* record, const ColumnField* fields, size_t count);

// Reads the current row's columns 0 to count - 1 into the record. A NULL
// reads as 0, 0.0 or empty text.
void readColumns(CDbRecordset& rs, void* record, const ColumnField* fields, size_t count);

}  // namespace vornel::store

#endif
