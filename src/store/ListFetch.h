// Filling one of the manager's caches from the shared recordset, after the
// query has been opened.
#ifndef VORNEL_STORE_LISTFETCH_H
#define VORNEL_STORE_LISTFETCH_H

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "db/Ado.h"
#include "store/BlockRows.h"
#include "store/Cache.h"
#include "store/KrigDatabase.h"
#include "store/Query.h"
#include "store/Ready.h"
#include "store/RecordLayout.h"
#include "store/Sql.h"

namespace vornel::store {

inline constexpr char kRowsOutOfMemory[] = "cannot hold the rows in memory";

// Allocates `count` records into the cache, moves the rows `readAlready`
// into the first of them, and reads the next rows into the rest, in
// recordset order, never past the last record. The cache counts the rows
// read: a condition such as random() < 0 can deliver fewer than it counted.
// Returns null, or what went wrong: the count is not positive, the array
// cannot be had (the cache stays empty, and the rows read already are the
// caller's), or a row cannot be read or held (the rows before it stay in the
// cache for the caller to release).
template <class Record, class ReadRow>
const char* fillCache(CDbRecordset& rs, long count, Record*& cache, int32_t& cacheCount,
                      ReadRow readRow, const std::vector<Record>& readAlready = {}) {
    cacheCount = 0;
    if (count <= 0) {
        return "cannot count the rows";
    }
    cache = count <= std::numeric_limits<int32_t>::max() ? new (std::nothrow)
                                                               Record[static_cast<size_t>(count)]
                                                         : nullptr;
    if (cache == nullptr) {
        return kRowsOutOfMemory;
    }
    std::copy(readAlready.begin(), readAlready.end(), cache);  // the sub-block arrays go too
    cacheCount = static_cast<int32_t>(readAlready.size());
    bool moved = true;
    try {
        while (moved && cacheCount < count && rs.IsEOF() == 0) {
            readRow(cache[cacheCount++]);
            moved = rs.MoveNext() != 0;
        }
    } catch (const std::bad_alloc&) {
        return kRowsOutOfMemory;
    } catch (const UnreadableSubBlocks&) {
        return kSubBlocksUnreadable;
    }
    return moved ? nullptr : "cannot read the rows";
}

// Why a fill failed, with the engine's word on it where it had one.
inline std::string fillFailure(CKrigDatabase* db, const char* problem) {
    if (problem == kRowsOutOfMemory) {
        return problem;
    }
    // The engine's reason may say the same first.
    const std::string why = db->Failure();
    return why.rfind(problem, 0) == 0 ? why : problem + (": " + why);
}

// A list fetch of parameter rows. The cache is replaced only when the query
// has rows: without any, the caller gets the pointer the cache still holds
// and a count of 0. Returns 1, or 0 with the reason in `why`.
template <class Record>
long fetchParamRows(CKrigDatabase* db, const std::string& sql, const ColumnField* layout,
                    size_t columns, Record*& cache, int32_t& cacheCount, Record** records,
                    long* count, std::string& why) {
    if (const char* problem = queryUnready(db)) {
        why = problem;
        return 0;
    }
    CDbRecordset& rs = *db->m_pRecordset;
    const OpenQuery query(rs, sql);
    if (!query.opened()) {
        why = "cannot read the parameters: " + db->Failure();
        return 0;
    }
    if (rs.IsBOF() != 0) {
        *records = cache;
        *count = 0;
        why = "no row matches";
        return 0;
    }
    releaseRecords(cache, cacheCount);
    if (const char* problem = fillCache(rs, rs.GetRecordCount(), cache, cacheCount,
                                        [&](Record& r) { readColumns(rs, &r, layout, columns); })) {
        releaseRecords(cache, cacheCount);
        why = fillFailure(db, problem);
        return 0;
    }
    *records = cache;
    *count = cacheCount;
    return 1;
}

// Up to this many rows (28 MB of records), the rows of a condition are
// gathered as they come. Past it they are counted, which runs the condition
// over the table once more but spares a large read the copies of a growing
// array: its memory stays one array.
inline constexpr size_t kCountPastRows = 131072;

// Reads rows into `rows` until there are `most` or none is left. Returns
// null, or what went wrong; the rows read stay in `rows` either way.
template <class Block, class ReadRow>
const char* readRows(CDbRecordset& rs, std::vector<Block>& rows, ReadRow readRow, size_t most) {
    try {
        bool moved = true;
        while (moved && rows.size() < most && rs.IsEOF() == 0) {
            readRow(rows.emplace_back());
            moved = rs.MoveNext() != 0;
        }
        return moved ? nullptr : "cannot read the rows";
    } catch (const std::bad_alloc&) {
        return kRowsOutOfMemory;
    } catch (const UnreadableSubBlocks&) {
        return kSubBlocksUnreadable;
    }
}

// The array of `count` records at `records` with `more` after them, as one
// new array in their place. On failure the records stay where they were.
template <class Block>
const char* appendRows(Block*& records, int32_t& count, const std::vector<Block>& more) {
    const size_t total = static_cast<size_t>(count) + more.size();
    Block* whole = total <= static_cast<size_t>(std::numeric_limits<int32_t>::max())
                       ? new (std::nothrow) Block[total]
                       : nullptr;
    if (whole == nullptr) {
        return kRowsOutOfMemory;
    }
    // The sub-block arrays go with the records.
    std::copy(records, records + count, whole);
    std::copy(more.begin(), more.end(), whole + count);
    delete[] records;
    records = whole;
    count = static_cast<int32_t>(total);
    return nullptr;
}

// Reads the rows to the end into a new array of exactly their number.
// Returns null, or what went wrong as fillCache says it; on failure the
// cache stays empty or holds the rows read for the caller to release, and
// nothing read leaks.
template <class Block, class ReadRow>
const char* fillCacheToEnd(CDbRecordset& rs, Block*& cache, int32_t& cacheCount, ReadRow readRow) {
    std::vector<Block> rows;
    const char* problem = readRows(rs, rows, readRow, kCountPastRows);
    if (problem == nullptr && rs.IsEOF() == 0) {
        const long counted = rs.GetRecordCount();
        problem = counted < 0 ? "cannot count the rows"
                              : fillCache(rs, std::max(counted, static_cast<long>(rows.size())),
                                          cache, cacheCount, readRow, rows);
        if (cache != nullptr) {
            rows.clear();  // the cache holds them now
            if (problem == nullptr && rs.IsEOF() == 0) {
                // A condition counted anew (random() < 0.5) may count fewer
                // rows than it gives: those past the count come as they are.
                problem = readRows(rs, rows, readRow, rows.max_size());
                problem = problem != nullptr ? problem : appendRows(cache, cacheCount, rows);
            }
        }
    }
    if (problem == nullptr && cache == nullptr) {
        cache = new (std::nothrow) Block[rows.size()];
        if (cache != nullptr) {
            std::copy(rows.begin(), rows.end(), cache);  // the sub-block arrays go with them
            cacheCount = static_cast<int32_t>(rows.size());
            return nullptr;
        }
        problem = kRowsOutOfMemory;
    }
    if (problem != nullptr) {
        for (Block& b : rows) {
            releaseSubBlocks(b);
        }
    }
    return problem;
}

// What a list fetch of block rows reads. A whole table is counted first,
// which costs SQLite next to nothing, and must have rows. The rows that a
// caller's condition picks are read to the end uncounted, since a count
// would run the condition over every row once more; there may be none.
enum class BlockQuery { WholeTable, Condition };

// A list fetch of block rows. A whole table's read empties the cache once
// the query is open and its columns are the block's. A condition's rows
// replace the cache only once every one is read: SQLite meets some errors of
// a condition (abs() overflowing, malformed JSON) only at the row they are
// in, and an array handed out earlier stays valid after any failure, as
// after a condition that fails at once. A query without rows hands out a
// null array and a count of 0. Returns 1, or 0 with the reason in `why`.
template <class Block>
long fetchBlockRows(CKrigDatabase* db, const std::string& sql, Block*& cache, int32_t& cacheCount,
                    Block** blocks, long* count, BlockQuery kind, std::string& why,
                    void (BlockReader::*read)(Block&)) {
    if (const char* problem = queryUnready(db)) {
        why = problem;
        return 0;
    }
    CDbRecordset& rs = *db->m_pRecordset;
    const OpenQuery query(rs, sql);
    if (!query.opened()) {
        why = "cannot read the blocks: " + db->Failure();
        return 0;
    }
    // A query without rows hands out no made-up columns, and a caller may
    // ask one of a table only to learn that it is there.
    if (std::string missing = rs.IsBOF() != 0 ? "" : missingColumns<Block>(rs); !missing.empty()) {
        why = std::move(missing);
        return 0;
    }
    const bool counted = kind == BlockQuery::WholeTable;
    long rows = rs.IsBOF() != 0 ? 0 : -1;
    if (rows != 0 && counted) {
        rows = rs.GetRecordCount();
    }
    if (rows == 0) {
        releaseBlocks(cache, cacheCount);
        *blocks = nullptr;
        *count = 0;
        if (kind == BlockQuery::Condition) {
            return 1;
        }
        why = "the table has no rows";
        return 0;
    }
    BlockReader reader(rs);
    const auto readRow = [&](Block& b) { (reader.*read)(b); };
    Block* fresh = nullptr;
    int32_t freshCount = 0;
    if (counted) {
        releaseBlocks(cache, cacheCount);
    }
    if (const char* problem = counted ? fillCache(rs, rows, fresh, freshCount, readRow)
                                      : fillCacheToEnd(rs, fresh, freshCount, readRow)) {
        releaseBlocks(fresh, freshCount);
        why = fillFailure(db, problem);
        return 0;
    }
    releaseBlocks(cache, cacheCount);
    cache = fresh;
    cacheCount = freshCount;
    *blocks = cache;
    *count = cacheCount;
    return 1;
}

// Reads the one row of the table with that block identifier into the
// caller's record; 0, with the record untouched, unless there is exactly one
// and it can be held.
template <class Block>
long fetchOneBlock(CKrigDatabase* db, const std::string& table, long blockId, Block* block,
                   std::string& why, void (BlockReader::*read)(Block&)) {
    if (const char* problem = tableNameProblem(table)) {
        why = problem;
        return 0;
    }
    if (block == nullptr) {
        why = "there is no record to fill";
        return 0;
    }
    if (const char* problem = queryUnready(db)) {
        why = problem;
        return 0;
    }
    CDbRecordset& rs = *db->m_pRecordset;
    const OpenQuery query(
        rs, format("SELECT * FROM [%s] WHERE Krig_BlockID = %ld", table.c_str(), blockId));
    if (!query.opened()) {
        why = "cannot read the block: " + db->Failure();
        return 0;
    }
    if (std::string missing = missingColumns<Block>(rs); !missing.empty()) {
        why = std::move(missing);
        return 0;
    }
    const long rows = rs.GetRecordCount();
    if (rows != 1) {
        why = rows == 0  ? "no block has that identifier"
              : rows > 0 ? "more than one block has that identifier"
                         : "cannot count the rows: " + db->Failure();
        return 0;
    }
    BlockReader reader(rs);
    Block row = *block;
    try {
        (reader.*read)(row);
    } catch (const std::bad_alloc&) {
        why = "cannot hold the block in memory";
        return 0;
    } catch (const UnreadableSubBlocks&) {
        why = fillFailure(db, kSubBlocksUnreadable);
        return 0;
    }
    *block = row;
    return 1;
}

}  // namespace vornel::store

#endif
