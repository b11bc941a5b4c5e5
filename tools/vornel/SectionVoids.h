// The void blocks (old workings) a section passes through, to draw over the
// blocks it cuts.
#ifndef VORNEL_CLI_SECTIONVOIDS_H
#define VORNEL_CLI_SECTIONVOIDS_H

#include <cstdint>
#include <functional>
#include <vector>

#include "Box.h"
#include "SectionPlane.h"
#include "vornel/KrigBlockVoid.h"
#include "vornel/SectionTrace.h"

namespace vornel::cli {

struct VoidTrace {
    int32_t blockId = 0;
    int subBlock = 0;  // 1-based; 0 for a void block without sub-blocks
    SectionPolygon outline;
};

// Whether a void piece (its box, its outline) is left out of a drawing,
// as the blocks on the far side of a plane lying on faces may be.
using LeftOut = std::function<bool(const Box&, const SectionPolygon&)>;

// The outlines the section leaves on void blocks, on each sub-block of one
// that has them; those it misses, only touches along an edge, or that
// `leftOut` takes are left out.
std::vector<VoidTrace> traceVoids(const SectionPlane& plane, const KrigBlockVoid* voids, long count,
                                  const LeftOut& leftOut);

}  // namespace vornel::cli

#endif
