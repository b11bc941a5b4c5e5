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

// Each coordinate of the normal is the turn of the triangle seen along
// that axis: the orientation of its corners projected on the other two.
std::array<int8_t, 3> normalSigns(const Point& a, const Point& b, const Point& c) {
    const auto turn = [](double u0, double v0, double u1, double v1, double u2, double v2) {
        return static_cast<int8_t>(CGAL::orientation(
            Kernel::Point_2(u0, v0), Kernel::Point_2(u1, v1), Kernel::Point_2(u2, v2)));
    };
    return {turn(a.y, a.z, b.y, b.z, c.y, c.z), turn(a.z, a.x, b.z, b.x, c.z, c.x),
            turn(a.x, a.y, b.x, b.y, c.x, c.y)};
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
