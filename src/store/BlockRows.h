// Moving one block row between a record and the shared recordset's current
// row, by column position: result rows (26 columns) and void rows (12).
#ifndef VORNEL_STORE_BLOCKROWS_H
#define VORNEL_STORE_BLOCKROWS_H

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "db/Ado.h"
#include "store/SubBlockBuffer.h"
#include "vornel/KrigBlockResult.h"
#include "vornel/KrigBlockVoid.h"

namespace vornel::store {

inline constexpr long kResultSubBlockColumn = 21;
inline constexpr long kVoidSubBlockColumn = 11;

inline constexpr char kSubBlocksUnreadable[] = "cannot read the sub-blocks of a row";

// Thrown by the reads when a row's sub-block buffer is there but cannot be
// read as bytes (a column another tool declared as text, say): the row's
// sub-blocks are not to read as none.
struct UnreadableSubBlocks : std::runtime_error {
    UnreadableSubBlocks() : std::runtime_error(kSubBlocksUnreadable) {}
};

class BlockReader {
public:
    explicit BlockReader(CDbRecordset& rs) : rs_(rs) {}

    // Every column of the current row; the sub-block buffer last. Both throw
    // std::bad_alloc when the row's sub-blocks cannot be held, and
    // UnreadableSubBlocks.
    void readResult(KrigBlockResult& block);
    void readVoid(KrigBlockVoid& block);
    // Every column but the sub-block buffer.
    void readResultColumns(KrigBlockResult& block);
    // The sub-block buffer read in place, in storage the reader reuses until
    // the next row; a buffer too short for its count leaves a trace line.
    // Throws std::bad_alloc when the buffer's bytes cannot be held, and
    // UnreadableSubBlocks.
    SubBlockView readSubBlockView(long column);

private:
    // The sub-block buffer into new arrays the record then owns. An empty
    // or NULL value leaves the record's sub-block fields as they were.
    template <class Block>
    void readSubBlocks(long column, Block& block);

    CDbRecordset& rs_;
    std::string text_;             // one text buffer serves every text column
    std::vector<uint8_t> buffer_;  // the sub-block bytes of the current row
};

class BlockWriter {
public:
    explicit BlockWriter(CDbRecordset& rs) : rs_(rs) {}

    // Each adds one row; false when any step failed.
    bool writeResult(const KrigBlockResult& block);
    bool writeVoid(const KrigBlockVoid& block, int32_t blockId);

private:
    bool writeSubBlocks(long column, int32_t count, const D_3DOT* centres, const D_3DOT* sizes);

    CDbRecordset& rs_;
    std::vector<uint8_t> buffer_;
};

// Rows are read by column position: a table of fewer columns than a kind
// reads (another kind of table, say) would give the missing ones as 0.
inline constexpr long kResultColumnCount = 26;
inline constexpr long kVoidColumnCount = 12;
inline long columnsRead(const KrigBlockResult*) {
    return kResultColumnCount;
}
inline long columnsRead(const KrigBlockVoid*) {
    return kVoidColumnCount;
}

// Empty when the open query's rows have the columns that `Block` rows are
// read from; otherwise why not.
template <class Block>
std::string missingColumns(CDbRecordset& rs) {
    const long needed = columnsRead(static_cast<const Block*>(nullptr));
    const long has = rs.GetFieldsCount();
    if (has >= needed) {
        return {};
    }
    return "the table has " + std::to_string(has) + " columns, fewer than the " +
           std::to_string(needed) + " of a " +
           (needed == kResultColumnCount ? "block result" : "void block") + " table";
}

// The index of the first record that cannot be written as it stands, or -1,
// with what is wrong with it in `why`: a number that is not finite (the
// database keeps no NaN: it becomes NULL, read back as 0; and a block at
// infinity is nowhere), or a sub-block count without the arrays it promises.
// Sub-block arrays are kept as their bytes.
long firstUnwritable(const KrigBlockResult* blocks, long count, const char*& why);
long firstUnwritable(const KrigBlockVoid* blocks, long count, const char*& why);

}  // namespace vornel::store

#endif
