// Rows of a block model file gathered into blocks: rows that share a parent
// become the sub-blocks of one block, whose grade is their volume-weighted
// grade and whose coefficient is the fraction of the parent they fill.
//
// A row without a parent is a block by itself and becomes one as it is
// added: a model of millions of whole blocks never holds its rows and its
// blocks at once.
#ifndef VORNEL_CLI_BLOCKASSEMBLY_H
#define VORNEL_CLI_BLOCKASSEMBLY_H

#include <string>
#include <unordered_map>
#include <vector>

#include "BlockList.h"
#include "SourceRow.h"

namespace vornel::cli {

class BlockAssembly {
public:
    // `overlapHint` follows the message for blocks that overlap.
    BlockAssembly(std::string path, std::string overlapHint)
        : path_(std::move(path)), overlapHint_(std::move(overlapHint)) {}

    // Blocks are numbered from 1 in the order in which their first rows
    // came. A row without a parent is appended to `blocks` at once; the
    // others wait for build(). Throws Failure at the line of a row that
    // makes no block.
    void add(SourceRow row, BlockList& blocks);

    // Appends the blocks of the rows that share a parent to `blocks`, which
    // must be the list given to add(), and puts all in the order of their
    // numbers. Throws Failure at the line of a row that does not fit its
    // parent, or of a block that overlaps another.
    void build(BlockList& blocks) const;

    size_t rowCount() const { return rowCount_; }
    size_t blockCount() const { return groupCount_; }

private:
    // Builds the groups of rows that share a parent, in the order of their numbers.
    void buildWaiting(BlockList& blocks) const;
    // The first row of the group, when it waits for build(); else null.
    const SourceRow* waitingRowOf(size_t group) const;

    // Appends the block of the rows.
    void buildOne(const SourceRow* const* rows, size_t count, int32_t id, BlockList& out) const;

    std::string path_;
    std::string overlapHint_;
    // The rows that share a parent, and their groups.
    std::vector<SourceRow> rows_;
    std::vector<size_t> groupOfRow_;
    std::unordered_map<std::string, size_t> groupOfKey_;
    // The line of each group's first row, for messages.
    std::vector<long> lineOfGroup_;
    size_t groupCount_ = 0;
    size_t rowCount_ = 0;
    size_t firstBlock_ = 0;  // of this file's blocks in the list
};

}  // namespace vornel::cli

#endif
