#include "collision/Collide.h"

#include <algorithm>

#include "collision/Exact.h"

namespace vornel::collision {
namespace {

// Whether all the points lie strictly on one side of the plane of t, so that
// no piece with corners among them can reach t.
bool clearOf(const Piece& t, const Point* points, size_t count) {
    if (t.shape != Shape::kTriangle) {
        return false;
    }
    int first = 0;
    for (size_t i = 0; i < count; ++i) {
        const int s = side(t, points[i]);
        if (s == 0 || (first != 0 && s != first)) {
            return false;
        }
        first = s;
    }
    return true;
}

// The pieces of s that could still meet some piece of other.
void gather(const Surface& s, const Surface& other, std::vector<const Piece*>& out) {
    out.clear();
    for (const Piece& p : s.pieces) {
        if (overlaps(p.bounds, other.bounds) &&
            !clearOf(p, other.points.data(), other.points.size())) {
            out.push_back(&p);
        }
    }
}

}  // namespace

void collide(const Surface& a, const Surface& b, std::vector<ObbtTriPair>& pairs) {
    if (!overlaps(a.bounds, b.bounds)) {
        return;
    }
    // Kept per thread so that a warm thread collides without allocating.
    thread_local std::vector<const Piece*> fromA;
    thread_local std::vector<const Piece*> fromB;
    gather(a, b, fromA);
    if (fromA.empty()) {
        return;
    }
    gather(b, a, fromB);
    for (const Piece* pa : fromA) {
        for (const Piece* pb : fromB) {
            if (overlaps(pa->bounds, pb->bounds) && meet(*pa, *pb)) {
                pairs.push_back({pa->number, pb->number});
            }
        }
    }
}

bool clearOfBox(const Surface& s, const Bounds& box) {
    return !s.pieces.empty() && std::all_of(s.pieces.begin(), s.pieces.end(), [&](const Piece& t) {
        if (t.shape != Shape::kTriangle) {
            return false;
        }
        // The side of the plane is the sign of the normal's product with a
        // point, less a constant: over the box it is least at the corner
        // that is low where the normal is positive and high elsewhere, and
        // greatest at the opposite corner.
        const bool px = t.normal[0] > 0;
        const bool py = t.normal[1] > 0;
        const bool pz = t.normal[2] > 0;
        const Point least{px ? box.lo.x : box.hi.x, py ? box.lo.y : box.hi.y,
                          pz ? box.lo.z : box.hi.z};
        const Point most{px ? box.hi.x : box.lo.x, py ? box.hi.y : box.lo.y,
                         pz ? box.hi.z : box.lo.z};
        const int below = side(t, least);
        return below != 0 && below == side(t, most);
    });
}

}  // namespace vornel::collision
