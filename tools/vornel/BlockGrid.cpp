#include "BlockGrid.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "Failure.h"
#include "NumberText.h"
#include "RecordFields.h"

namespace vornel::cli {
namespace {

std::string blockName(const KrigBlockResult& b) {
    return "block " + std::to_string(b.Krig_BlockID);
}

// Where the block lies on the lattice of block `first`, in its sizes along
// each axis: whole numbers to 1 %.
std::array<long, 3> placeOnGrid(const KrigBlockResult& b, const KrigBlockResult& first) {
    const Box box = boxOf(b);
    const Box from = boxOf(first);
    std::array<long, 3> at{};
    for (int a = 0; a < 3; ++a) {
        const double size = axis(from.size, a);
        if (!(std::fabs(axis(box.size, a) - size) <= 0.01 * size)) {
            throw Failure(blockName(b) + " is " + formatNumber(axis(box.size, a)) + " along " +
                          axisName(a) + ", " + blockName(first) + " " + formatNumber(size) +
                          ": a grid holds blocks of one size (regularize them first)");
        }
        const double index = (axis(box.centre, a) - axis(from.centre, a)) / size;
        if (!(std::fabs(index) <= kMostGridCells)) {
            throw Failure(blockName(b) + " lies " +
                          (std::isnan(index) ? std::string("nowhere") : "too far") + " along " +
                          axisName(a) + " for a grid with " + blockName(first) + " of at most " +
                          formatNumber(kMostGridCells) + " cells");
        }
        at[static_cast<size_t>(a)] = std::lround(index);
        if (!(std::fabs(index - static_cast<double>(at[static_cast<size_t>(a)])) <= 0.01)) {
            throw Failure(blockName(b) + " lies off the grid of " + blockName(first) + " along " +
                          axisName(a) + ": a grid holds blocks on one lattice");
        }
    }
    return at;
}

}  // namespace

BlockGrid gridOf(const KrigBlockResult* blocks, long count) {
    if (count == 0) {
        throw Failure("no blocks to lay on a grid");
    }
    std::array<long, 3> lowest{};
    std::array<long, 3> highest{};
    for (long i = 0; i < count; ++i) {
        const std::array<long, 3> at = placeOnGrid(blocks[i], blocks[0]);
        for (size_t a = 0; a < 3; ++a) {
            lowest[a] = std::min(lowest[a], at[a]);
            highest[a] = std::max(highest[a], at[a]);
        }
    }
    BlockGrid grid;
    for (size_t a = 0; a < 3; ++a) {
        grid.cells[a] = highest[a] - lowest[a] + 1;
    }
    if (!(cellCount(grid.cells) <= kMostGridCells)) {
        throw Failure("the blocks span " + cellsText(grid.cells) + " cells of their size, more " +
                      "than " + formatNumber(kMostGridCells) + "; select fewer with --where");
    }
    grid.blockOf.assign(static_cast<size_t>(cellCount(grid.cells)), -1);
    for (long i = 0; i < count; ++i) {
        const std::array<long, 3> at = placeOnGrid(blocks[i], blocks[0]);
        int32_t& cell = grid.blockOf[static_cast<size_t>(
            ((at[2] - lowest[2]) * grid.cells[1] + at[1] - lowest[1]) * grid.cells[0] + at[0] -
            lowest[0])];
        if (cell >= 0) {
            throw Failure("blocks " + std::to_string(blocks[cell].Krig_BlockID) + " and " +
                          std::to_string(blocks[i].Krig_BlockID) +
                          " lie in one cell of the grid (a table of several runs is written one "
                          "run at a time: --where \"MineID = 2\")");
        }
        cell = static_cast<int32_t>(i);
    }
    return grid;
}

}  // namespace vornel::cli
