// Box and section surfaces built and collided the way the block cut does.
#ifndef VORNEL_TESTS_GEOMETRY_TINSURFACES_H
#define VORNEL_TESTS_GEOMETRY_TINSURFACES_H

#include <array>
#include <utility>
#include <vector>

#include "collision/Collision.h"
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

// Builds both surfaces, collides section with box, hands the pairs, box
// first, to take and frees both.
template <class Take>
auto collide(const BoxSurface& box, const SectionSurface& section, Take take) {
    const ObbtHandle s = BuildObbtOfPolyh(&section.pnts[1], 4, &section.tris[1], 2);
    const ObbtHandle b = BuildObbtOfPolyh(&box.pnts[1], 8, &box.tris[1], 12);
    ObbtCollide(s, b, 0.0, 0.0, 1.0, 1.0);
    const ObbtTriPair* list = nullptr;
    long count = 0;
    GetCollideTriPair(b, s, &list, &count);
    auto taken = take(list, count);
    DeleteObbtObj(b);
    DeleteObbtObj(s);
    return taken;
}

TriPairs cutPairs(const BoxSurface& box, const SectionSurface& section);

// Without touching the heap.
bool cuts(const BoxSurface& box, const SectionSurface& section);

// The double next to v, away from zero by one unit in the last place.
double ulpUp(double v);

}  // namespace vornel::test

#endif
