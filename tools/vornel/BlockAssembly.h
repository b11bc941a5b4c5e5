// Rows of a block model file gathered into blocks: rows that share a parent
// become the sub-blocks of one block, whose grade is their volume-weighted
// grade and whose coefficient is the fraction of the parent they fill.
//
// A row without a parent is a block by itself and becomes one as it is
// added: a model of millions of whole blocks never holds its rows and its
// blocks at once.
#ifndef VORNEL_CLI_BLOCKASSEMBLY_H
#define VORNEL_CLI_BLOCKASSEMBLY_H

#include <cstdint>
#include <deque>
#include <optional>
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
    // parent, or of a block that overlaps another. The rows are let go once
    // their blocks are built.
    void build(BlockList& blocks);

    size_t rowCount() const { return rowCount_; }
    size_t blockCount() const { return groupCount_; }

private:
    // What a block takes from the first of its rows.
    struct Head {
        std::optional<Box> parentBox;
        std::optional<double> coefficient;
        size_t group = 0;
        int subBlockCount = 0;
        bool parentIsGridCell = false;
        bool bound = false;
    };
    // What each row gives its block: under half of a SourceRow, which counts
    // when a file of millions of sub-blocks is held until its last row.
    struct Piece {
        Box box;
        long line = 0;
        double grade = 0;
        double variance = 0;
        double meanDistance = 0;
        double tonnage = 0;
        double density = 0;
        int32_t samples = 0;
        int32_t searchPass = 0;
        uint32_t category = 0;  // in texts_
        uint32_t oreType = 0;   // in texts_
        uint32_t head = 0;
        bool hasTonnage = false;
        bool hasDensity = false;
    };

    static Head headOf(const SourceRow& row, size_t group);
    Piece pieceOf(SourceRow& row, uint32_t head);
    uint32_t textNumber(std::string& text);

    // Builds the groups of rows that share a parent, in the order of their numbers.
    void buildWaiting(BlockList& blocks);
    // The parent id of the group, when it waits for build(); else null.
    const std::string* waitingKeyOf(size_t group) const;

    // Appends the block of the rows.
    void buildOne(const Head& head, const Piece* const* rows, size_t count, BlockList& out) const;

    std::string path_;
    std::string overlapHint_;
    // The rows that share a parent, and their groups. Deques, as a vector
    // that doubles would hold the rows twice for a moment.
    std::deque<Piece> rows_;
    std::deque<Head> heads_;
    std::unordered_map<std::string, uint32_t> headOfKey_;
    // Categories and ore types: a few texts over millions of rows.
    std::vector<std::string> texts_;
    std::unordered_map<std::string, uint32_t> numberOfText_;
    // The line of each group's first row, for messages.
    std::vector<long> lineOfGroup_;
    size_t groupCount_ = 0;
    size_t rowCount_ = 0;
    size_t firstBlock_ = 0;  // of this file's blocks in the list
};

}  // namespace vornel::cli

#endif
