// The void blocks (old workings) a section passes through, to draw over the
// blocks it cuts.
#ifndef VORNEL_CLI_SECTIONVOIDS_H
#define VORNEL_CLI_SECTIONVOIDS_H

#include <cstdint>
#include <vector>

#include "SectionPlane.h"
#include "vornel/KrigBlockVoid.h"
#include "vornel/SectionTrace.h"

namespace vornel::cli {

struct VoidTrace {
    int32_t blockId = 0;
    int subBlock = 0;  // 1-based; 0 for a void block without sub-blocks
    SectionPolygon outline;
};

// The outlines the section leaves on void blocks, on each sub-block of one
// that has them; those it misses or only touches along an edge are left out.
// On a plane at one X, Y or Z, so is one with a face on the plane on the
// side other than `keptSide` (-1 or 1, the side whose blocks are drawn; 0
// for either).
std::vector<VoidTrace> traceVoids(const SectionPlane& plane, const KrigBlockVoid* voids, long count,
                                  int keptSide);

}  // namespace vornel::cli

#endif
