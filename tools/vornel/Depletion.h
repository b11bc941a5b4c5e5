// Blocks less the ground of void blocks (old workings, mined out): what a
// resource statement reports as still in place.
#ifndef VORNEL_CLI_DEPLETION_H
#define VORNEL_CLI_DEPLETION_H

#include <string>
#include <vector>

#include "vornel/KrigBlockResult.h"
#include "vornel/KrigBlockVoid.h"

namespace vornel::cli {

struct Depleted {
    // The blocks with ground left, their tonnage (Block_CorMass) and volume
    // (Block_Vol) scaled to the share of their ground left; copies that
    // share the sub-blocks of the blocks given.
    std::vector<KrigBlockResult> left;
    long mined = 0;     // blocks wholly inside void blocks, left out
    long cut = 0;       // blocks partly inside them
    double volume = 0;  // m3 taken off the blocks
};

// A block's or a void block's ground is its sub-blocks when it has any,
// otherwise its box; ground that void blocks share is taken off once. Throws
// Failure, naming `voidTable`, for a place or size that is not a number, or
// a size below 0.
Depleted deplete(const KrigBlockResult* blocks, long count, const KrigBlockVoid* voids,
                 long voidCount, const std::string& voidTable);

}  // namespace vornel::cli

#endif
