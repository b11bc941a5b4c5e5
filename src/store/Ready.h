// What an operation needs of the database before it starts.
#ifndef VORNEL_STORE_READY_H
#define VORNEL_STORE_READY_H

#include <cmath>
#include <limits>

#include "store/KrigDatabase.h"
#include "store/Query.h"

namespace vornel::store {

inline constexpr const char kNoDatabase[] = "no database is open";
inline constexpr const char kNotWritten[] = "the database could not be written: ";
inline constexpr const char kNotFinite[] =
    "holds a value that is not a finite number (NaN or infinite); nothing was written";
inline constexpr const char kBeyondSingle[] =
    "holds a volume, proportion or mass beyond single precision (3.4e38), which would be "
    "stored as infinite; nothing was written";
inline constexpr const char kBeyondWhole[] =
    "holds a mean distance beyond a 32-bit whole number (2147483647), which the database "
    "cannot keep; nothing was written";
inline constexpr const char kNoSubBlockArrays[] =
    "counts sub-blocks but has no arrays for them; nothing was written";

// Whether a column kept in single precision keeps the value: a larger
// double would be stored as infinite, and narrowing it has no defined result.
inline bool keptInSingle(double value) {
    return std::fabs(value) <= std::numeric_limits<float>::max();
}

// A database object whose connection is open: enough for statements.
inline bool connectionOpen(const CKrigDatabase* db) {
    return db != nullptr && db->m_pConnection != nullptr && db->m_pConnection->IsOpen() != 0;
}

// Whether a call holds the shared recordset or the connection: only a
// hook's call made during that call finds it so.
inline bool callInProgress(CKrigDatabase* db) {
    return db != nullptr && ((db->m_pRecordset != nullptr && db->m_pRecordset->Held()) ||
                             (db->m_pConnection != nullptr && db->m_pConnection->Held()));
}

// Queries also need the shared recordset.
inline bool queryReady(const CKrigDatabase* db) {
    return connectionOpen(db) && db->m_pRecordset != nullptr;
}

// Why a call cannot start on the database, or nullptr: none is open, or
// the manager is in the middle of another call, whose hook made this one.
// Refused before it touches anything, such a call leaves the other's
// failure and the engine's state as they were.
inline const char* unready(CKrigDatabase* db) {
    if (!connectionOpen(db)) {
        return kNoDatabase;
    }
    return callInProgress(db) ? kRecordsetInUse : nullptr;
}

// The same for a call that also reads through the shared recordset.
inline const char* queryUnready(CKrigDatabase* db) {
    if (!queryReady(db)) {
        return kNoDatabase;
    }
    return callInProgress(db) ? kRecordsetInUse : nullptr;
}

}  // namespace vornel::store

#endif
