#include "PartMeeting.h"

#include <CGAL/Boolean_set_operations_2.h>
#include <CGAL/Exact_predicates_exact_constructions_kernel.h>
#include <CGAL/Polygon_2.h>

#include <algorithm>
#include <iterator>

namespace vornel::cli {
namespace {

using Kernel = CGAL::Exact_predicates_exact_constructions_kernel;
using Polygon = CGAL::Polygon_2<Kernel>;

// The set operations take rings anticlockwise.
Polygon polygonOf(const std::vector<PlanPoint>& ring) {
    std::vector<Kernel::Point_2> corners;
    corners.reserve(ring.size());
    std::transform(ring.begin(), ring.end(), std::back_inserter(corners),
                   [](const PlanPoint& p) { return Kernel::Point_2(p.x, p.y); });
    Polygon polygon(corners.begin(), corners.end());
    if (polygon.is_clockwise_oriented()) {
        polygon.reverse_orientation();
    }
    return polygon;
}

bool within(const Polygon& inner, const Polygon& outer) {
    std::vector<CGAL::Polygon_with_holes_2<Kernel>> left;
    CGAL::difference(inner, outer, std::back_inserter(left));
    return left.empty();
}

}  // namespace

PartMeeting howPartsMeet(const std::vector<PlanPoint>& first,
                         const std::vector<PlanPoint>& second) {
    const Polygon a = polygonOf(first);
    const Polygon b = polygonOf(second);
    // The operations are regularized: ground shared along a boundary only
    // is no ground shared.
    if (!CGAL::do_intersect(a, b)) {
        return PartMeeting::Apart;
    }
    const bool aInB = within(a, b);
    const bool bInA = within(b, a);
    if (aInB && bInA) {
        return PartMeeting::Same;
    }
    if (aInB) {
        return PartMeeting::FirstInside;
    }
    return bInA ? PartMeeting::SecondInside : PartMeeting::Overlapping;
}

}  // namespace vornel::cli
