// Points and closed axis-aligned bounds in plain doubles.
#ifndef VORNEL_COLLISION_BOUNDS_H
#define VORNEL_COLLISION_BOUNDS_H

#include <algorithm>
#include <limits>

namespace vornel::collision {

struct Point {
    double x;
    double y;
    double z;
};

// Empty when lo lies above hi on some axis.
struct Bounds {
    Point lo;
    Point hi;
};

inline Bounds emptyBounds() {
    const double inf = std::numeric_limits<double>::infinity();
    return {{inf, inf, inf}, {-inf, -inf, -inf}};
}

inline void extend(Bounds& b, const Point& p) {
    b.lo = {std::min(b.lo.x, p.x), std::min(b.lo.y, p.y), std::min(b.lo.z, p.z)};
    b.hi = {std::max(b.hi.x, p.x), std::max(b.hi.y, p.y), std::max(b.hi.z, p.z)};
}

inline void extend(Bounds& b, const Bounds& other) {
    extend(b, other.lo);
    extend(b, other.hi);
}

// Closed: bounds that only touch overlap.
inline bool overlaps(const Bounds& a, const Bounds& b) {
    return a.lo.x <= b.hi.x && b.lo.x <= a.hi.x && a.lo.y <= b.hi.y && b.lo.y <= a.hi.y &&
           a.lo.z <= b.hi.z && b.lo.z <= a.hi.z;
}

}  // namespace vornel::collision

#endif
