// Blocks less the ground of void blocks (old workings, mined out): what a
// resource statement reports as still in place.
#ifndef VORNEL_CLI_DEPLETION_H
#define VORNEL_CLI_DEPLETION_H

#include <optional>
#include <string>
#include <vector>

#include "Box.h"
#include "vornel/KrigBlockParam.h"
#include "vornel/KrigBlockResult.h"
#include "vornel/KrigBlockVoid.h"

namespace vornel::cli {

// A share of a block's ground this close to all or nothing is rounding: the
// faces of a block and a void block that meet may stand apart by the last
// bits of their doubles.
constexpr double kShareRounding = 1e-9;

// The void table a run names, whose ground --deplete takes off its blocks.
// Throws Failure when the run names none.
std::string voidTableOf(const std::optional<KrigBlockParam>& run);

// The ground of the void blocks (their sub-blocks, or their boxes) as boxes
// that do not overlap, each place once. Throws Failure, naming `voidTable`,
// for a place or size that is not a number, or a size below 0.
std::vector<Box> voidGround(const KrigBlockVoid* voids, long voidCount,
                            const std::string& voidTable);

struct Depleted {
    long left = 0;  // blocks with ground left, now the first of those given

    long mined = 0;     // blocks wholly inside void blocks, left out
    long cut = 0;       // blocks partly inside them
    double volume = 0;  // m3 taken off the blocks
};

// Takes the ground of the void blocks off the blocks, in place: each block
// with ground left has its tonnage (Block_CorMass) and volume (Block_Vol)
// scaled to the share of its ground left, and those blocks come first, in
// their order; the blocks mined out follow. The records are swapped, never
// copied over, so that whoever owns their sub-block arrays still holds each
// once. A block's or a void block's ground is its sub-blocks when it has
// any, otherwise its box; ground that void blocks share is taken off once.
// Throws Failure, naming `voidTable`, for a place or size that is not a
// number, or a size below 0, before any block is changed.
Depleted deplete(KrigBlockResult* blocks, long count, const KrigBlockVoid* voids, long voidCount,
                 const std::string& voidTable);

}  // namespace vornel::cli

#endif
