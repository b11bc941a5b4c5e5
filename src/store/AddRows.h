// Adding a batch of block rows through the shared recordset.
#ifndef VORNEL_STORE_ADDROWS_H
#define VORNEL_STORE_ADDROWS_H

#include <new>
#include <string>

#include "store/BlockRows.h"
#include "store/KrigDatabase.h"
#include "store/Query.h"

namespace vornel::store {

// Opens the table and adds `count` rows, row i written by write(writer, i).
// False, with the reason in `why`, when the table cannot be opened or a row
// cannot be added or held: the caller's transaction then undoes the batch.
template <class WriteRow>
bool addRows(CKrigDatabase& db, const std::string& table, long count, std::string& why,
             WriteRow write) {
    CDbRecordset& rs = *db.m_pRecordset;
    const OpenQuery query(rs, "SELECT * FROM [" + table + "]");
    if (!query.opened()) {
        why = "cannot open table '" + table + "': " + db.Failure();
        return false;
    }
    BlockWriter writer(rs);
    for (long i = 0; i < count; ++i) {
        std::string cause;
        try {
            if (write(writer, i)) {
                continue;
            }
            cause = db.Failure();
        } catch (const std::bad_alloc&) {
            cause = "out of memory";  // the bytes of its sub-blocks
        }
        why = "cannot add block " + std::to_string(i) + " to '" + table + "': ";
        why += cause;
        return false;
    }
    return true;
}

}  // namespace vornel::store

#endif
