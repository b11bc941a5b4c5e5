#include "vornel/SectionTrace.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/CNumbers.h"

namespace vornel {
namespace {

D_3DOT minus(const D_3DOT& a, const D_3DOT& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
D_3DOT plus(const D_3DOT& a, const D_3DOT& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
D_3DOT scaled(const D_3DOT& a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
double dot(const D_3DOT& a, const D_3DOT& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
// Without overflow or underflow on the way, at any scale.
double length(const D_3DOT& a) {
    return std::hypot(a.x, a.y, a.z);
}

constexpr double D_3DOT::*kAxes[3] = {&D_3DOT::x, &D_3DOT::y, &D_3DOT::z};

// One face plane of the box, with outside > 0 on the side away from the box.
struct Face {
    int axis;
    double bound;
    double sign;  // -1 keeps what lies above bound, 1 what lies below it

    double outside(const D_3DOT& p) const { return sign * (p.*kAxes[axis] - bound); }
};

// Where edge a-b crosses the face, put exactly on it so that the outline
// runs straight along box faces.
D_3DOT crossing(const Face& f, const D_3DOT& a, double outA, const D_3DOT& b, double outB) {
    D_3DOT p = plus(a, scaled(minus(b, a), outA / (outA - outB)));
    p.*kAxes[f.axis] = f.bound;
    return p;
}

// One Sutherland-Hodgman step: the part of the polygon on the box's side.
std::vector<D_3DOT> clip(const std::vector<D_3DOT>& polygon, const Face& f) {
    std::vector<D_3DOT> kept;
    for (size_t i = 0; i < polygon.size(); ++i) {
        const D_3DOT& a = polygon[(i + polygon.size() - 1) % polygon.size()];
        const D_3DOT& b = polygon[i];
        const double outA = f.outside(a);
        const double outB = f.outside(b);
        if ((outA < 0 && outB > 0) || (outA > 0 && outB < 0)) {
            kept.push_back(crossing(f, a, outA, b, outB));
        }
        if (outB <= 0) {
            kept.push_back(b);
        }
    }
    return kept;
}

}  // namespace

std::optional<SectionFrame> sectionFrame(const D_3DOT* corners) {
    const D_3DOT along = minus(corners[1], corners[0]);
    const double alongLength = length(along);
    if (!(alongLength > 0)) {
        return std::nullopt;
    }
    const D_3DOT u = scaled(along, 1.0 / alongLength);
    // Corner 3 serves where corner 4 lies on the line through corners 1 and
    // 2: a triangle given with one corner on an edge.
    for (const D_3DOT& far : {corners[3], corners[2]}) {
        const D_3DOT side = minus(far, corners[0]);
        const D_3DOT across = minus(side, scaled(u, dot(side, u)));
        const double acrossLength = length(across);
        // Relative, since for drawing a sliver of a section is as good as none.
        if (acrossLength > 1e-9 * length(side)) {
            return SectionFrame{corners[0], u, scaled(across, 1.0 / acrossLength)};
        }
    }
    return std::nullopt;
}

SectionPoint toSection(const SectionFrame& frame, const D_3DOT& p) {
    const D_3DOT d = minus(p, frame.origin);
    return {dot(d, frame.u), dot(d, frame.v)};
}

std::string axisLabel(const D_3DOT& direction) {
    const double c[3] = {direction.x, direction.y, direction.z};
    for (int axis = 0; axis < 3; ++axis) {
        // Compared both ways, since a NaN is no direction at all.
        if ((c[axis] < 0 || c[axis] > 0) && c[(axis + 1) % 3] == 0 && c[(axis + 2) % 3] == 0) {
            return std::string(c[axis] < 0 ? "-" : "") + "XYZ"[axis];
        }
    }
    // A component lost in the third digit beside the others, rounding of a
    // direction meant square to an axis, reads 0, never "-0" or "1e-17".
    const double length = std::hypot(c[0], c[1], c[2]);
    const auto shown = [length](double v) { return std::fabs(v) < 5e-4 * length ? 0.0 : v; };
    char text[64];
    const CNumbers numbers;
    std::snprintf(text, sizeof(text), "(%.3g, %.3g, %.3g)", shown(c[0]), shown(c[1]), shown(c[2]));
    return text;
}

std::vector<SectionPolygon> traceBox(const SectionFrame& frame, const D_3DOT* corners,
                                     const D_3DOT& centre, const D_3DOT& size) {
    const Face faces[6] = {
        {0, centre.x - size.x / 2.0, -1.0}, {0, centre.x + size.x / 2.0, 1.0},
        {1, centre.y - size.y / 2.0, -1.0}, {1, centre.y + size.y / 2.0, 1.0},
        {2, centre.z - size.z / 2.0, -1.0}, {2, centre.z + size.z / 2.0, 1.0},
    };
    const int triangles[2][3] = {{0, 1, 2}, {2, 3, 0}};
    std::vector<SectionPolygon> polygons;
    for (const auto& t : triangles) {
        std::vector<D_3DOT> part = {corners[t[0]], corners[t[1]], corners[t[2]]};
        for (const Face& f : faces) {
            part = clip(part, f);
        }
        if (part.size() < 3) {
            continue;
        }
        SectionPolygon& polygon = polygons.emplace_back(part.size());
        std::transform(part.begin(), part.end(), polygon.begin(),
                       [&frame](const D_3DOT& p) { return toSection(frame, p); });
    }
    return polygons;
}

}  // namespace vornel
