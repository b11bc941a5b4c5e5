#include "collision/Exact.h"

#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Intersections_3/Point_3_Point_3.h>
#include <CGAL/Intersections_3/Point_3_Segment_3.h>
#include <CGAL/Intersections_3/Point_3_Triangle_3.h>
#include <CGAL/Intersections_3/Segment_3_Segment_3.h>
#include <CGAL/Intersections_3/Segment_3_Triangle_3.h>
#include <CGAL/Intersections_3/Triangle_3_Triangle_3.h>

#include <variant>

namespace vornel::collision {
namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using Point3 = Kernel::Point_3;
using Figure = std::variant<Point3, Kernel::Segment_3, Kernel::Triangle_3>;

Point3 toPoint3(const Point& p) {
    return {p.x, p.y, p.z};
}

Figure figureOf(const Piece& p) {
    switch (p.shape) {
        case Shape::kTriangle:
            return Kernel::Triangle_3(toPoint3(p.v[0]), toPoint3(p.v[1]), toPoint3(p.v[2]));
        case Shape::kSegment:
            return Kernel::Segment_3(toPoint3(p.v[0]), toPoint3(p.v[1]));
        case Shape::kPoint:
            break;
    }
    return toPoint3(p.v[0]);
}

}  // namespace

bool collinear(const Point& a, const Point& b, const Point& c) {
    return CGAL::collinear(toPoint3(a), toPoint3(b), toPoint3(c));
}

int side(const Piece& t, const Point& p) {
    return static_cast<int>(
        CGAL::orientation(toPoint3(t.v[0]), toPoint3(t.v[1]), toPoint3(t.v[2]), toPoint3(p)));
}

// CGAL evaluates do_intersect as one filtered predicate, falling back to
// exact arithmetic where doubles cannot decide, so it is exact for every
// pair of these figures; what it refuses is a figure short of its dimension.
bool meet(const Piece& a, const Piece& b) {
    return std::visit([](const auto& x, const auto& y) { return CGAL::do_intersect(x, y); },
                      figureOf(a), figureOf(b));
}

}  // namespace vornel::collision
