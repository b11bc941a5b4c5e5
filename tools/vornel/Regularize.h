// A model regularized: its ground gathered into cells of one size on a
// regular grid (the selective mining unit, or a pit optimiser's blocks),
// each cell a whole block holding the tonnes and metal of the ground in it.
#ifndef VORNEL_CLI_REGULARIZE_H
#define VORNEL_CLI_REGULARIZE_H

#include "BlockList.h"
#include "Depletion.h"
#include "ModelDatabase.h"

namespace vornel::cli {

struct RegularGrid {
    D_3DOT origin{};  // a corner of the cell (0, 0, 0)
    D_3DOT size{};
};

struct Regularized {
    BlockList cells;
    long pieces = 0;    // sub-blocks and whole blocks gathered
    long ungraded = 0;  // blocks left out for want of a grade
    long unvaried = 0;  // cells of no ground with a variance, given 0
    double taken = 0;   // m3 of ground the holes took off (within the outline)
};

// The most cells one block or sub-block may spread over.
constexpr long kMostCellsOfAPiece = 4096;

// The blocks whose grade is empty, left out, and those whose variance is,
// whose ground adds to no cell's variance.
struct LeftOut {
    const UngradedBlocks& ungraded;
    const UngradedBlocks& unvaried;
};

// Each block's ground (its sub-blocks, or its box filled to its
// coefficient) goes to the cells it overlaps, in proportion to the volume
// in each, with its tonnes (`density` as the grade-tonnage table takes it).
// A cell's grade is weighed by tonnes and its variance by volume (of the
// ground with one; 0 where none has); its
// coefficient is the share of it filled; it takes category, ore type and
// search figures from the block with the most tonnes in it, and is on the
// boundary when it is not full or a block on the boundary adds to it.
// Cells come in the order of their Z, then Y, then X. Ground that `holes`
// (mined-out void blocks) cover, and with an outline the ground outside
// it, is taken off first, with its share of the tonnes, as a report's
// depletion takes it. Throws Failure.
Regularized regularize(const KrigBlockResult* blocks, long count, const LeftOut& leftOut,
                       const RegularGrid& grid, double density, const VoidGround& holes,
                       const PlanOutline* within = nullptr);

}  // namespace vornel::cli

#endif
