// The grid that a run's blocks lie on, as GSLIB programs read a model: every
// cell in order, X first, then Y, then Z, and the block in each.
#ifndef VORNEL_CLI_BLOCKGRID_H
#define VORNEL_CLI_BLOCKGRID_H

#include <cstdint>
#include <vector>

#include "SourceRow.h"
#include "vornel/KrigBlockResult.h"

namespace vornel::cli {

struct BlockGrid {
    GridCells cells{};
    std::vector<int32_t> blockOf;  // of each cell: the index of its block, -1 for none
};

// The most cells a grid may have: a file of more would not be read.
constexpr double kMostGridCells = 268435456;  // 2^28

// The blocks must be of one size (a block with sub-blocks is its parent's
// box) on one lattice, to 1 % of the size, one to a cell. Throws Failure
// otherwise, naming the blocks by their numbers.
BlockGrid gridOf(const KrigBlockResult* blocks, long count);

}  // namespace vornel::cli

#endif
