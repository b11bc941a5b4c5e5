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
    // Corner k lies on the high side of axis a when bit a of k is set.
    const auto corner = [&](int k) {
        return D_3DOT{centre.x + (k & 1 ? 0.5 : -0.5) * size.x,
                      centre.y + (k & 2 ? 0.5 : -0.5) * size.y,
                      centre.z + (k & 4 ? 0.5 : -0.5) * size.z};
    };
    const int faces[6][4] = {{0, 1, 3, 2}, {4, 5, 7, 6}, {0, 1, 5, 4},
                             {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 3, 7, 5}};
    ExactParts parts;
    for (const auto& f : faces) {
        const ExactParts face =
            sectionParts({corner(f[0]), corner(f[1]), corner(f[2]), corner(f[3])});
        parts.insert(parts.end(), face.begin(), face.end());
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
