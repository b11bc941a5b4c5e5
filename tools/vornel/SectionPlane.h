// The section a user asks for: four corners given outright, or a shorthand
// (a plane X, Y or Z = value, or a vertical section along a line) spanning
// the model, with what its drawing's axes measure.
#ifndef VORNEL_CLI_SECTIONPLANE_H
#define VORNEL_CLI_SECTIONPLANE_H

#include <optional>
#include <string>

#include "Box.h"
#include "vornel/SectionTrace.h"

namespace vornel::cli {

// A drawing axis in model terms: the value at plane coordinate t is
// offset + sign * t.
struct SectionAxis {
    std::string name;
    double offset = 0;
    double sign = 1;

    double valueAt(double t) const { return offset + sign * t; }
};

struct SectionPlane {
    D_3DOT corners[4]{};
    std::string title;  // "X = 5000", "along (4900, 7900) to (5100, 8100)", ...
    // The drawing's plane coordinates, from corner 1: a plan is a map (u
    // east, v north); any other section has u toward corner 2 and v rising.
    SectionFrame frame{};
    SectionAxis across;  // along u
    SectionAxis up;      // along v
    // How far corner 3 lies off the plane through corners 1, 2 and 4: the
    // cut then follows two triangles meeting at a fold, and the drawing shows
    // them flattened onto that plane.
    double fold = 0;
};

// What the command line gave: exactly one of these is set.
struct SectionRequest {
    std::string corners;  // "x,y,z x,y,z x,y,z x,y,z"
    std::string x;
    std::string y;
    std::string z;
    std::string line;  // "x1,y1 x2,y2"
};

// The axis (0 for X, 1 for Y, 2 for Z) at whose one value all four corners
// lie, the first if several; none for a section at a slant.
std::optional<int> fixedAxis(const SectionPlane& plane);

// The plane of the request; shorthands span `extent` (the model's box).
// Throws Failure for text that does not give a section.
SectionPlane sectionPlane(const SectionRequest& request, const Box& extent);

}  // namespace vornel::cli

#endif
