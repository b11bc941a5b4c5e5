#include "SectionTraces.h"

#include <algorithm>

#include "RecordFields.h"

namespace vornel::cli {
namespace {

double turn(const SectionPoint& o, const SectionPoint& a, const SectionPoint& b) {
    return (a.u - o.u) * (b.v - o.v) - (a.v - o.v) * (b.u - o.u);
}

// The section is cut along its diagonal into two triangles, so a box may
// meet it in two pieces; where both lie in one convex box they make one
// convex outline, their hull.
SectionPolygon hull(std::vector<SectionPoint> points) {
    std::sort(points.begin(), points.end(), [](const SectionPoint& a, const SectionPoint& b) {
        return a.u < b.u || (a.u == b.u && a.v < b.v);
    });
    if (points.size() < 3) {
        return {};
    }
    SectionPolygon h(2 * points.size());
    size_t k = 0;
    for (const SectionPoint& p : points) {
        while (k >= 2 && turn(h[k - 2], h[k - 1], p) <= 0) {
            --k;
        }
        h[k++] = p;
    }
    const size_t lower = k + 1;
    for (auto p = points.rbegin() + 1; p != points.rend(); ++p) {
        while (k >= lower && turn(h[k - 2], h[k - 1], *p) <= 0) {
            --k;
        }
        h[k++] = *p;
    }
    h.resize(k - 1);
    return h.size() >= 3 ? h : SectionPolygon{};
}

SectionTrace traceOf(const SectionFrame& frame, const D_3DOT* corners, const KrigBlockResult& b,
                     int subBlock, const Box& box) {
    SectionTrace t;
    t.mineId = b.MineID;
    t.blockId = b.Krig_BlockID;
    t.subBlock = subBlock;
    t.box = box;
    t.grade = b.Krig_OutAttr;
    t.category = b.Krig_ResType;
    std::vector<SectionPoint> points;
    for (const SectionPolygon& piece : traceBox(frame, corners, box.centre, box.size)) {
        points.insert(points.end(), piece.begin(), piece.end());
    }
    t.outline = hull(std::move(points));
    return t;
}

}  // namespace

std::vector<SectionTrace> traceCut(const SectionFrame& frame, const D_3DOT* corners,
                                   const KrigBlockResult* blocks, long count) {
    std::vector<SectionTrace> traces;
    for (long i = 0; i < count; ++i) {
        const KrigBlockResult& b = blocks[i];
        if (b.SubBUD_Num <= 0) {
            traces.push_back(traceOf(frame, corners, b, 0, boxOf(b)));
        }
        for (int s = 0; s < b.SubBUD_Num; ++s) {
            traces.push_back(
                traceOf(frame, corners, b, s + 1, {b.SubBUD_PntLoc[s], b.SubBUD_GridSize[s]}));
        }
    }
    return traces;
}

}  // namespace vornel::cli
