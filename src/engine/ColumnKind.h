// What a column holds, judged from its declared type, and how its values
// read back: the declared type decides the tag where the stored value fits
// it; a value the declaration does not fit reads by its own storage class.
#ifndef VORNEL_ENGINE_COLUMNKIND_H
#define VORNEL_ENGINE_COLUMNKIND_H

#include <sqlite3.h>

#include "platform/Variant.h"

namespace vornel::engine {

enum class ColumnKind {
    Value,  // no declaration (an expression): the stored value decides
    Int32,
    Counter,
    Double,
    Text,
    Bool,
    Blob,
    Date,
    Currency,
};

ColumnKind classifyColumn(const char* declaredType);

// Whether the column may hold long binary values, read and written in
// chunks: one declared as bytes, or one declared as nothing, which holds any
// value (as a table copied by CREATE TABLE ... AS SELECT declares them).
bool isLongKind(ColumnKind kind);

// The value of column `index` of the statement's current row.
void readColumn(sqlite3_stmt* stmt, int index, ColumnKind kind, Variant& out);

// The size in bytes of that value, 0 for NULL.
long columnSize(sqlite3_stmt* stmt, int index);

// Binds a value to parameter `index` (1-based) as a column of `kind` keeps
// it. The value must outlive the statement's next step.
int bindColumn(sqlite3_stmt* stmt, int index, ColumnKind kind, const Variant& value);

}  // namespace vornel::engine

#endif
