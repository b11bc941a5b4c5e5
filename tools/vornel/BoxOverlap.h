// Which of many boxes overlap, found without comparing every pair: a file
// may hold a million blocks, or a parent column that makes them all one
// block's sub-blocks.
#ifndef VORNEL_CLI_BOXOVERLAP_H
#define VORNEL_CLI_BOXOVERLAP_H

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include "Box.h"

namespace vornel::cli {

// Coordinates in files carry a few decimals; a millionth of the block's
// size is well below what any of them can mean.
constexpr double kBoxTolerance = 1e-6;

// Whether the insides of two boxes meet; boxes that share a face do not.
bool overlapping(const Box& a, const Box& b);

// The first box, in the given order, whose inside meets that of an earlier
// one: {earlier, later}. The work grows with the number of boxes times the
// cube of the ratio of the largest box to the smallest.
std::optional<std::pair<size_t, size_t>> firstOverlap(const std::vector<Box>& boxes);

}  // namespace vornel::cli

#endif
