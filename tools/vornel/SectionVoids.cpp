#include "SectionVoids.h"

#include <algorithm>
#include <cmath>

#include "RecordFields.h"
#include "SectionTraces.h"

namespace vornel::cli {
namespace {

// The box around the section's corners: a void block apart from it is apart
// from the section, which saves tracing most of them.
Box boundsOf(const SectionPlane& plane) {
    D_3DOT lo = plane.corners[0];
    D_3DOT hi = plane.corners[0];
    for (const D_3DOT& c : plane.corners) {
        lo = {std::min(lo.x, c.x), std::min(lo.y, c.y), std::min(lo.z, c.z)};
        hi = {std::max(hi.x, c.x), std::max(hi.y, c.y), std::max(hi.z, c.z)};
    }
    return {{(lo.x + hi.x) / 2, (lo.y + hi.y) / 2, (lo.z + hi.z) / 2},
            {hi.x - lo.x, hi.y - lo.y, hi.z - lo.z}};
}

bool apart(const Box& a, const Box& b) {
    for (int i = 0; i < 3; ++i) {
        if (a.high(i) < b.low(i) || b.high(i) < a.low(i)) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::vector<VoidTrace> traceVoids(const SectionPlane& plane, const KrigBlockVoid* voids, long count,
                                  const LeftOut& leftOut) {
    const Box bounds = boundsOf(plane);
    std::vector<VoidTrace> traces;
    for (long i = 0; i < count; ++i) {
        const std::vector<Box> pieces = groundOf(voids[i]);
        for (size_t s = 0; s < pieces.size(); ++s) {
            if (apart(pieces[s], bounds)) {
                continue;
            }
            VoidTrace t;
            t.blockId = voids[i].Krig_BlockID;
            t.subBlock = voids[i].SubBUD_Num > 0 ? static_cast<int>(s) + 1 : 0;
            t.outline = outlineOf(plane.frame, plane.corners, pieces[s]);
            if (!t.outline.empty() && !leftOut(pieces[s], t.outline)) {
                traces.push_back(std::move(t));
            }
        }
    }
    return traces;
}

}  // namespace vornel::cli
