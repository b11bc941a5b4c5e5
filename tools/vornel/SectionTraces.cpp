#include "SectionTraces.h"

#include <algorithm>
#include <cmath>

#include "BlockClasses.h"
#include "RecordFields.h"

namespace vornel::cli {
namespace {

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
    t.variance = b.Krig_OutVari;
    t.category = classText(b, ClassField::Category);
    t.oreType = classText(b, ClassField::OreType);
    t.pass = classText(b, ClassField::Pass);
    t.outline = outlineOf(frame, corners, box);
    return t;
}

}  // namespace

int sideOfPlane(const Box& box, int axis, double at) {
    const double centre = cli::axis(box.centre, axis);
    const double half = cli::axis(box.size, axis) / 2.0;
    const double lo = std::min(centre - half, centre + half);
    const double hi = std::max(centre - half, centre + half);
    return lo == hi ? 2 : hi == at ? -1 : lo == at ? 1 : 0;
}

SectionPolygon outlineOf(const SectionFrame& frame, const D_3DOT* corners, const Box& box) {
    std::vector<SectionPoint> points;
    for (const SectionPolygon& piece : traceBox(frame, corners, box.centre, box.size)) {
        points.insert(points.end(), piece.begin(), piece.end());
    }
    SectionPolygon outline = hull(std::move(points));
    // A plane through a corner or along an edge is traced in doubles, whose
    // rounding can leave a sliver there: a piece of a billionth of the box's
    // largest face is such a touch, and no piece to draw.
    constexpr double kSliver = 1e-9;
    const double side =
        std::max({std::fabs(box.size.x), std::fabs(box.size.y), std::fabs(box.size.z)});
    if (!outline.empty() && areaOf(outline) <= kSliver * side * side) {
        outline.clear();
    }
    return outline;
}

double turn(const SectionPoint& o, const SectionPoint& a, const SectionPoint& b) {
    return (a.u - o.u) * (b.v - o.v) - (a.v - o.v) * (b.u - o.u);
}

double areaOf(const SectionPolygon& polygon) {
    double twice = 0;
    for (size_t i = 0; i < polygon.size(); ++i) {
        const SectionPoint& a = polygon[i];
        const SectionPoint& b = polygon[(i + 1) % polygon.size()];
        twice += a.u * b.v - b.u * a.v;
    }
    return std::fabs(twice) / 2;
}

SectionPolygon clipToLeft(const SectionPolygon& subject, const SectionPoint& a,
                          const SectionPoint& b) {
    SectionPolygon kept;
    for (size_t i = 0; i < subject.size(); ++i) {
        const SectionPoint& p = subject[i];
        const SectionPoint& q = subject[(i + 1) % subject.size()];
        const double lp = turn(a, b, p);
        const double lq = turn(a, b, q);
        if (lp >= 0) {
            kept.push_back(p);
        }
        if ((lp < 0 && lq > 0) || (lp > 0 && lq < 0)) {
            const double t = lp / (lp - lq);
            kept.push_back({p.u + t * (q.u - p.u), p.v + t * (q.v - p.v)});
        }
    }
    return kept;
}

SectionPolygon clipConvex(SectionPolygon subject, const SectionPolygon& window) {
    for (size_t e = 0; e < window.size() && !subject.empty(); ++e) {
        subject = clipToLeft(subject, window[e], window[(e + 1) % window.size()]);
    }
    return subject;
}

std::vector<SectionPolygon> subtractConvex(SectionPolygon subject, const SectionPolygon& window) {
    // Beyond each edge of the window in turn lies one piece; what is within
    // every edge so far goes on to the next.
    std::vector<SectionPolygon> pieces;
    for (size_t e = 0; e < window.size() && !subject.empty(); ++e) {
        const SectionPoint& a = window[e];
        const SectionPoint& b = window[(e + 1) % window.size()];
        SectionPolygon beyond = clipToLeft(subject, b, a);
        if (areaOf(beyond) > 0) {
            pieces.push_back(std::move(beyond));
        }
        subject = clipToLeft(subject, a, b);
    }
    return pieces;
}

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
