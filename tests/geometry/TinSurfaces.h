// Box and section surfaces built and collided the way the block cut does.
#ifndef VORNEL_TESTS_GEOMETRY_TINSURFACES_H
#define VORNEL_TESTS_GEOMETRY_TINSURFACES_H

#include <array>
#include <utility>
#include <vector>

#include "vornel/Tin.h"
#include "vornel/Types.h"

namespace vornel::test {

struct BoxSurface {
    BoxSurface(D_3DOT centre, D_3DOT size);

    TinPntStrcT pnts[9];
    TinNetStrcT tris[13];
};

// Triangles (1, 2, 3) and (3, 4, 1) over the corners in order.
struct SectionSurface {
    explicit SectionSurface(const std::array<D_3DOT, 4>& corners);

    TinPntStrcT pnts[5];
    TinNetStrcT tris[3];
};

// (box triangle, section triangle), sorted.
using TriPairs = std::vector<std::pair<int, int>>;

// Builds both surfaces, collides section with box, asks for the pairs box
// first and frees both.
TriPairs cutPairs(const BoxSurface& box, const SectionSurface& section);

bool cuts(const BoxSurface& box, const SectionSurface& section);

// The double next to v, away from zero by one unit in the last place.
double ulpUp(double v);

}  // namespace vornel::test

#endif
