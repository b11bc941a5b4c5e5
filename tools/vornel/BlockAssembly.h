// Rows of a block model file gathered into blocks: rows that share a parent
// become the sub-blocks of one block, whose grade is their volume-weighted
// grade and whose coefficient is the fraction of the parent they fill.
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

    void add(SourceRow row);

    // Appends the blocks to `blocks`, numbered from 1 in the order in which
    // their first rows came. Throws Failure at the line of a row that does not
    // fit its parent.
    void build(BlockList& blocks) const;

    size_t rowCount() const { return rows_.size(); }
    size_t blockCount() const { return groupCount_; }

private:
    // Appends the block of the rows and returns its box.
    Box buildOne(const SourceRow* const* rows, size_t count, int32_t id, BlockList& out) const;

    std::string path_;
    std::string overlapHint_;
    std::vector<SourceRow> rows_;
    std::vector<size_t> groupOfRow_;
    std::unordered_map<std::string, size_t> groupOfKey_;
    size_t groupCount_ = 0;
};

}  // namespace vornel::cli

#endif
