#include "collision/Surface.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "collision/Exact.h"

namespace vornel::collision {
namespace {

bool isFinite(const TinPntStrcT& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

bool lexLess(const Point& a, const Point& b) {
    return std::tie(a.x, a.y, a.z) < std::tie(b.x, b.y, b.z);
}

bool operator==(const Point& a, const Point& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

// Points on one line are ordered along it by their coordinates, so the
// smallest and largest are the segment's ends.
Piece pieceOf(int32_t number, const Point& a, const Point& b, const Point& c) {
    Piece piece{Shape::kTriangle, number, {a, b, c}, emptyBounds(), normalSigns(a, b, c)};
    for (const Point& p : piece.v) {
        extend(piece.bounds, p);
    }
    if (piece.normal != std::array<int8_t, 3>{0, 0, 0}) {
        return piece;
    }
    const Point lo = std::min({a, b, c}, lexLess);
    const Point hi = std::max({a, b, c}, lexLess);
    piece.shape = lo == hi ? Shape::kPoint : Shape::kSegment;
    piece.v[0] = lo;
    piece.v[1] = hi;
    return piece;
}

bool usable(const TinNetStrcT& t, const TinPntStrcT* pnts, long nPnts) {
    const auto known = [&](int32_t n) { return n >= 1 && n <= nPnts && isFinite(pnts[n - 1]); };
    return t.bValid != 0 && known(t.nPnt1) && known(t.nPnt2) && known(t.nPnt3);
}

Point pointOf(const TinPntStrcT& p) {
    return {p.x, p.y, p.z};
}

}  // namespace

void load(Surface& s, const TinPntStrcT* pnts, long nPnts, const TinNetStrcT* tris, long nTris) {
    s.points.clear();
    s.pieces.clear();
    s.bounds = emptyBounds();
    for (long i = 0; i < nPnts; ++i) {
        if (isFinite(pnts[i])) {
            s.points.push_back(pointOf(pnts[i]));
        }
    }
    for (long i = 0; i < nTris; ++i) {
        const TinNetStrcT& t = tris[i];
        if (!usable(t, pnts, nPnts)) {
            continue;
        }
        s.pieces.push_back(pieceOf(static_cast<int32_t>(i + 1), pointOf(pnts[t.nPnt1 - 1]),
                                   pointOf(pnts[t.nPnt2 - 1]), pointOf(pnts[t.nPnt3 - 1])));
        extend(s.bounds, s.pieces.back().bounds);
    }
}

}  // namespace vornel::collision
