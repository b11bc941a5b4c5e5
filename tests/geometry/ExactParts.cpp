#include "ExactParts.h"

#include <CGAL/intersections.h>

namespace vornel::test {

ExactParts triangleParts(const D_3DOT& a, const D_3DOT& b, const D_3DOT& c) {
    const Exact::Point_3 v[3] = {{a.x, a.y, a.z}, {b.x, b.y, b.z}, {c.x, c.y, c.z}};
    if (!CGAL::collinear(v[0], v[1], v[2])) {
        return {Exact::Triangle_3(v[0], v[1], v[2])};
    }
    ExactParts parts;
    for (int i = 0; i < 3; ++i) {
        const Exact::Point_3& p = v[i];
        const Exact::Point_3& q = v[(i + 1) % 3];
        if (p == q) {
            parts.emplace_back(p);
        } else {
            parts.emplace_back(Exact::Segment_3(p, q));
        }
    }
    return parts;
}

ExactParts sectionParts(const std::array<D_3DOT, 4>& c, int triangle) {
    ExactParts parts;
    if (triangle != 2) {
        parts = triangleParts(c[0], c[1], c[2]);
    }
    if (triangle != 1) {
        const ExactParts second = triangleParts(c[2], c[3], c[0]);
        parts.insert(parts.end(), second.begin(), second.end());
    }
    return parts;
}

ExactParts boxSurfaceParts(const D_3DOT& centre, const D_3DOT& size) {
    ExactParts parts;
    for (int axis = 0; axis < 3; ++axis) {
        for (const double side : {-0.5, 0.5}) {
            std::array<D_3DOT, 4> face;
            for (int k = 0; k < 4; ++k) {
                double t[3];
                t[axis] = side;
                t[(axis + 1) % 3] = k == 1 || k == 2 ? 0.5 : -0.5;
                t[(axis + 2) % 3] = k >= 2 ? 0.5 : -0.5;
                face[k] = {centre.x + t[0] * size.x, centre.y + t[1] * size.y,
                           centre.z + t[2] * size.z};
            }
            const ExactParts faceParts = sectionParts(face);
            parts.insert(parts.end(), faceParts.begin(), faceParts.end());
        }
    }
    return parts;
}

bool meet(const ExactParts& a, const ExactParts& b) {
    // Boxes of intervals that hold the exact values: a cheap, safe first look.
    const auto bbox = [](const auto& part) {
        return std::visit([](const auto& p) { return p.bbox(); }, part);
    };
    for (const auto& x : a) {
        for (const auto& y : b) {
            if (CGAL::do_overlap(bbox(x), bbox(y)) &&
                std::visit([](const auto& p, const auto& q) { return CGAL::do_intersect(p, q); }, x,
                           y)) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace vornel::test
