#include "SectionTraces.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "BlockClasses.h"
#include "RecordFields.h"

namespace vornel::cli {
namespace {

// The section is cut along its diagonal into two triangles, so a box may
// meet it in two pieces; on a flat section both lie in one convex box and
// make one convex outline, their hull.
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

double twiceSignedArea(const SectionPolygon& polygon) {
    double twice = 0;
    // From the first corner: far from the origin, products of coordinates
    // would drown the area in their rounding.
    const SectionPoint& o = polygon.front();
    for (size_t i = 1; i + 1 < polygon.size(); ++i) {
        twice += turn(o, polygon[i], polygon[i + 1]);
    }
    return twice;
}

// The edge of a piece that lies on the line from a through b, where the
// halves of a folded section meet: the one whose ends are nearest it.
size_t edgeOnLine(const SectionPolygon& piece, const SectionPoint& a, const SectionPoint& b) {
    size_t nearest = 0;
    double least = INFINITY;
    for (size_t i = 0; i < piece.size(); ++i) {
        const double off = std::max(std::fabs(turn(a, b, piece[i])),
                                    std::fabs(turn(a, b, piece[(i + 1) % piece.size()])));
        if (off < least) {
            least = off;
            nearest = i;
        }
    }
    return nearest;
}

// Where the ends of edge i of a piece lie along the line from a through b,
// in its length from a, lower first; none when the edge is off the line by
// more than the rounding of the trace.
std::optional<std::pair<double, double>> alongLine(const SectionPolygon& piece, size_t i,
                                                   const SectionPoint& a, const SectionPoint& b) {
    const SectionPoint& p = piece[i];
    const SectionPoint& q = piece[(i + 1) % piece.size()];
    const double length = std::hypot(b.u - a.u, b.v - a.v);
    const double scale = std::max({std::fabs(p.u), std::fabs(p.v), std::fabs(q.u), std::fabs(q.v),
                                   std::hypot(q.u - p.u, q.v - p.v)});
    constexpr double kOnLine = 1e-9;
    if (!(length > 0) || std::fabs(turn(a, b, p)) / length > kOnLine * scale ||
        std::fabs(turn(a, b, q)) / length > kOnLine * scale) {
        return std::nullopt;
    }
    const auto at = [&](const SectionPoint& r) {
        return ((r.u - a.u) * (b.u - a.u) + (r.v - a.v) * (b.v - a.v)) / length;
    };
    return std::make_pair(std::min(at(p), at(q)), std::max(at(p), at(q)));
}

// Two pieces that meet at one corner, where the fold touches the box at a
// point, joined there: round the first from that corner back to it, then
// round the second. None when no corner of one is a corner of the other.
std::optional<SectionPolygon> joinAtCorner(const SectionPolygon& first,
                                           const SectionPolygon& second) {
    double scale = 0;
    for (const SectionPolygon* piece : {&first, &second}) {
        for (const SectionPoint& p : *piece) {
            scale = std::max({scale, std::fabs(p.u), std::fabs(p.v)});
        }
    }
    constexpr double kSamePoint = 1e-9;
    for (size_t k = 0; k < first.size(); ++k) {
        for (size_t l = 0; l < second.size(); ++l) {
            if (std::hypot(first[k].u - second[l].u, first[k].v - second[l].v) >
                kSamePoint * scale) {
                continue;
            }
            SectionPolygon joined;
            for (size_t n = 0; n < first.size(); ++n) {
                joined.push_back(first[(k + n) % first.size()]);
            }
            for (size_t n = 0; n < second.size(); ++n) {
                joined.push_back(second[(l + n) % second.size()]);
            }
            return joined;
        }
    }
    return std::nullopt;
}

// The pieces of the two halves of a folded section, flattened, joined along
// the fold (the line from a through b) where they share an edge on it: each
// piece's boundary but that edge; or at the corner they share where the
// fold meets the box at a point. None where they meet nowhere.
std::optional<SectionPolygon> joinAcrossFold(SectionPolygon first, SectionPolygon second,
                                             const SectionPoint& a, const SectionPoint& b) {
    for (SectionPolygon* piece : {&first, &second}) {
        if (twiceSignedArea(*piece) < 0) {
            std::reverse(piece->begin(), piece->end());
        }
    }
    const size_t i = edgeOnLine(first, a, b);
    const size_t j = edgeOnLine(second, a, b);
    const auto onFirst = alongLine(first, i, a, b);
    const auto onSecond = alongLine(second, j, a, b);
    constexpr double kShared = 1e-9;
    if (!onFirst || !onSecond ||
        !(std::min(onFirst->second, onSecond->second) - std::max(onFirst->first, onSecond->first) >
          kShared * (onFirst->second - onFirst->first))) {
        return joinAtCorner(first, second);
    }
    SectionPolygon joined;
    for (size_t k = 0; k < first.size(); ++k) {
        joined.push_back(first[(i + 1 + k) % first.size()]);
    }
    // The shared edge runs the other way round the second piece: its ends
    // are the first piece's last corner and its first.
    for (size_t k = 2; k < second.size(); ++k) {
        joined.push_back(second[(j + k) % second.size()]);
    }
    return joined;
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
    const std::vector<SectionPolygon> pieces = traceBox(frame, corners, box.centre, box.size);
    std::vector<SectionPoint> points;
    double piecesArea = 0;
    for (const SectionPolygon& piece : pieces) {
        points.insert(points.end(), piece.begin(), piece.end());
        piecesArea += piece.size() >= 3 ? areaOf(piece) : 0;
    }
    SectionPolygon outline = hull(std::move(points));
    // On a folded section the halves' pieces may make no convex whole.
    constexpr double kSameArea = 1e-9;
    if (pieces.size() == 2 && pieces[0].size() >= 3 && pieces[1].size() >= 3 &&
        areaOf(outline) > piecesArea * (1 + kSameArea)) {
        if (std::optional<SectionPolygon> joined = joinAcrossFold(
                pieces[0], pieces[1], toSection(frame, corners[0]), toSection(frame, corners[2]))) {
            outline = std::move(*joined);
        }
    }
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
    return polygon.empty() ? 0 : std::fabs(twiceSignedArea(polygon)) / 2;
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
