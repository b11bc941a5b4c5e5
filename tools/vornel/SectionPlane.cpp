#include "SectionPlane.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <vector>

#include "Failure.h"
#include "NumberText.h"
#include "SectionTraces.h"
#include "vornel/SectionTrace.h"

namespace vornel::cli {
namespace {

std::vector<std::string> blankSeparated(const std::string& text) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    std::string part;
    while (in >> part) {
        parts.push_back(part);
    }
    return parts;
}

double valueOf(const std::string& text, const std::string& option) {
    double value = 0;
    if (!parseNumber(text, value)) {
        throw UsageError(option + ": '" + text + "' is not a number");
    }
    return value;
}

std::string point(double x, double y) {
    return "(" + formatExact(x) + ", " + formatExact(y) + ")";
}

// Plane coordinates measure a model axis when the frame's direction is one;
// otherwise the drawing shows the distance from corner 1.
SectionAxis axisOf(const D_3DOT& direction, const D_3DOT& origin) {
    const std::string label = axisLabel(direction);
    const bool negative = label.size() == 2 && label[0] == '-';
    const std::string name = negative ? label.substr(1) : label;
    if (name == "X" || name == "Y" || name == "Z") {
        const int i = name == "X" ? 0 : name == "Y" ? 1 : 2;
        return {name, axis(origin, i), negative ? -1.0 : 1.0};
    }
    return {"distance along " + label, 0, 1};
}

SectionPlane fromCorners(const std::string& text) {
    const std::vector<std::string> parts = blankSeparated(text);
    if (parts.size() != 4) {
        throw UsageError("--corners: expected four corners \"x,y,z x,y,z x,y,z x,y,z\", got '" +
                         text + "'");
    }
    SectionPlane plane;
    for (int c = 0; c < 4; ++c) {
        plane.corners[c] = parsePoint(parts[c], "--corners", false);
    }
    plane.title = "through " + text;
    return plane;
}

SectionPlane alongLine(const std::string& text, const Box& extent) {
    const std::vector<std::string> parts = blankSeparated(text);
    std::vector<double> a;
    std::vector<double> b;
    if (parts.size() == 2) {
        a = parseNumberList(parts[0], "--line");
        b = parseNumberList(parts[1], "--line");
    }
    if (a.size() != 2 || b.size() != 2) {
        throw UsageError("--line: expected two points \"x1,y1 x2,y2\", got '" + text + "'");
    }
    if (a == b) {
        throw UsageError("--line: the two points are one; give the ends of the line in plan");
    }
    SectionPlane plane;
    plane.corners[0] = {a[0], a[1], extent.low(2)};
    plane.corners[1] = {b[0], b[1], extent.low(2)};
    plane.corners[2] = {b[0], b[1], extent.high(2)};
    plane.corners[3] = {a[0], a[1], extent.high(2)};
    plane.title = "along " + point(a[0], a[1]) + " to " + point(b[0], b[1]);
    plane.across = {"distance from " + point(a[0], a[1]), 0, 1};
    return plane;
}

// The plane where coordinate `fixed` has the value, spanning the extent
// along the other two in increasing order.
SectionPlane axisPlane(int fixed, const std::string& text, const Box& extent) {
    const double value = valueOf(text, std::string("--") + (fixed == 0   ? "x"
                                                            : fixed == 1 ? "y"
                                                                         : "z"));
    const int a = fixed == 0 ? 1 : 0;
    const int b = fixed == 2 ? 1 : 2;
    SectionPlane plane;
    const double lowA = extent.low(a);
    const double highA = extent.high(a);
    const double lowB = extent.low(b);
    const double highB = extent.high(b);
    const double cornerA[4] = {lowA, highA, highA, lowA};
    const double cornerB[4] = {lowB, lowB, highB, highB};
    for (int c = 0; c < 4; ++c) {
        double xyz[3];
        xyz[fixed] = value;
        xyz[a] = cornerA[c];
        xyz[b] = cornerB[c];
        plane.corners[c] = {xyz[0], xyz[1], xyz[2]};
    }
    plane.title = std::string(axisName(fixed)) + " = " + formatExact(value);
    return plane;
}

// The cut takes the triangles of corners 1, 2, 3 and 3, 4, 1, and a trace
// is the hull of its pieces in them: both are the outline only when it is
// convex. Checked on the outline as drawn, flattened onto the frame.
void requireConvex(const SectionPlane& plane, const SectionFrame& frame) {
    for (int c = 0; c < 2; ++c) {
        const D_3DOT& a = plane.corners[c];
        const D_3DOT& b = plane.corners[c + 2];
        if (a.x == b.x && a.y == b.y && a.z == b.z) {
            throw UsageError("corners " + std::to_string(c + 1) + " and " + std::to_string(c + 3) +
                             " of the section are one point, so its outline folds back on "
                             "itself: give its corners in order around it; a triangle repeats a "
                             "corner in the place next to it (" +
                             plane.title + ")");
        }
    }
    SectionPoint p[4];
    for (int c = 0; c < 4; ++c) {
        p[c] = toSection(frame, plane.corners[c]);
    }
    double longest = 0;
    for (int c = 0; c < 4; ++c) {
        const SectionPoint& d = p[(c + 1) % 4];
        longest = std::max(longest, std::hypot(d.u - p[c].u, d.v - p[c].v));
    }
    int left = 0;
    int right = 0;
    int turns[4] = {};
    for (int c = 0; c < 4; ++c) {
        const SectionPoint& a = p[(c + 3) % 4];
        const SectionPoint& b = p[c];
        const SectionPoint& d = p[(c + 1) % 4];
        const double bend = turn(a, b, d);
        // How far the corner stands off the line through its neighbours: a
        // millionth of the section is a corner meant to lie on an edge,
        // written in decimals.
        const double chord = std::hypot(d.u - a.u, d.v - a.v);
        const double off = chord > 0 ? std::fabs(bend) / chord : std::hypot(b.u - a.u, b.v - a.v);
        if (off <= 1e-6 * longest) {
            continue;
        }
        turns[c] = bend > 0 ? 1 : -1;
        (bend > 0 ? left : right) += 1;
    }
    if (left == 0 || right == 0) {
        return;
    }
    if ((left == 1) != (right == 1)) {
        const int inward = left == 1 ? 1 : -1;  // the one turn against the others
        const int corner = static_cast<int>(std::find(turns, turns + 4, inward) - turns) + 1;
        throw UsageError("the section turns inward at corner " + std::to_string(corner) +
                         ": give a convex section (or two), its corners in order around it (" +
                         plane.title + ")");
    }
    throw UsageError("edges of the section cross: give its corners in order around it (" +
                     plane.title + ")");
}

D_3DOT cross(const D_3DOT& a, const D_3DOT& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double dot(const D_3DOT& a, const D_3DOT& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

D_3DOT unit(const D_3DOT& a) {
    const double length = std::hypot(a.x, a.y, a.z);
    return {a.x / length, a.y / length, a.z / length};
}

// Up in the drawing is up in the model, whatever order the corners come in:
// a plan is a map, and any other section has v up its slope and u level,
// toward corner 2's side of corner 1 (or the next corner's, where 2 lies
// straight up or down the slope from it, but for rounding).
SectionFrame upright(const SectionFrame& f, const D_3DOT* corners) {
    if (f.u.z == 0 && f.v.z == 0) {
        return {f.origin, {1, 0, 0}, {0, 1, 0}};
    }
    const D_3DOT n = unit(cross(f.u, f.v));
    const D_3DOT up{-n.x * n.z, -n.y * n.z, 1 - n.z * n.z};
    if (!(std::hypot(up.x, up.y, up.z) > 0)) {
        return f;
    }
    SectionFrame g{f.origin, {}, unit(up)};
    g.u = unit(cross(g.v, n));
    const D_3DOT& o = corners[0];
    for (int c = 1; c < 4; ++c) {
        const D_3DOT toward{corners[c].x - o.x, corners[c].y - o.y, corners[c].z - o.z};
        const double along = dot(g.u, toward);
        if (std::fabs(along) > 1e-9 * std::hypot(toward.x, toward.y, toward.z)) {
            if (along < 0) {
                g.u = {-g.u.x, -g.u.y, -g.u.z};
            }
            break;
        }
    }
    return g;
}

}  // namespace

std::optional<int> fixedAxis(const SectionPlane& plane) {
    const D_3DOT* c = plane.corners;
    for (int i = 0; i < 3; ++i) {
        if (axis(c[0], i) == axis(c[1], i) && axis(c[0], i) == axis(c[2], i) &&
            axis(c[0], i) == axis(c[3], i)) {
            return i;
        }
    }
    return std::nullopt;
}

SectionPlane sectionPlane(const SectionRequest& r, const Box& extent) {
    const int given = int(!r.corners.empty()) + int(!r.x.empty()) + int(!r.y.empty()) +
                      int(!r.z.empty()) + int(!r.line.empty());
    if (given != 1) {
        throw UsageError("give the section with exactly one of --corners, --x, --y, --z, --line");
    }
    SectionPlane plane = !r.corners.empty() ? fromCorners(r.corners)
                         : !r.line.empty()  ? alongLine(r.line, extent)
                         : !r.x.empty()     ? axisPlane(0, r.x, extent)
                         : !r.y.empty()     ? axisPlane(1, r.y, extent)
                                            : axisPlane(2, r.z, extent);
    const std::optional<SectionFrame> frame = sectionFrame(plane.corners);
    const D_3DOT& c1 = plane.corners[0];
    const D_3DOT& c2 = plane.corners[1];
    if (!frame && c1.x == c2.x && c1.y == c2.y && c1.z == c2.z) {
        throw UsageError(
            "corners 1 and 2 of the section are one point: the drawing and the "
            "list measure along the section from corner 1 toward corner 2 (" +
            plane.title + ")");
    }
    // Traces are drawn in doubles from corner 1, whose digits run out past
    // this, as an outline's do.
    constexpr double kFarthest = 1e15;
    for (const D_3DOT& c : plane.corners) {
        if (!(std::fabs(c.x) <= kFarthest && std::fabs(c.y) <= kFarthest &&
              std::fabs(c.z) <= kFarthest)) {
            throw UsageError(
                "a corner of the section lies more than 1e15 m from the origin, too "
                "far to measure from (" +
                plane.title + ")");
        }
    }
    if (!frame) {
        throw UsageError("the section's corners do not span a plane (" + plane.title + ")");
    }
    requireConvex(plane, *frame);
    plane.frame = upright(*frame, plane.corners);
    if (plane.across.name.empty()) {
        plane.across = axisOf(plane.frame.u, plane.frame.origin);
    }
    plane.up = axisOf(plane.frame.v, plane.frame.origin);
    const D_3DOT& u = frame->u;
    const D_3DOT& v = frame->v;
    const D_3DOT normal{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
    const D_3DOT& c3 = plane.corners[2];
    const D_3DOT& o = frame->origin;
    plane.fold =
        std::fabs((c3.x - o.x) * normal.x + (c3.y - o.y) * normal.y + (c3.z - o.z) * normal.z);
    return plane;
}

}  // namespace vornel::cli
