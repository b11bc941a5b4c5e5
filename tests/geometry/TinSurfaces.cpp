#include "TinSurfaces.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "geometry/BoxTin.h"

namespace vornel::test {

BoxSurface::BoxSurface(D_3DOT centre, D_3DOT size) : pnts(), tris() {
    geometry::buildVolTin(centre, size, geometry::kOriginAtCentre, pnts, tris);
}

SectionSurface::SectionSurface(const std::array<D_3DOT, 4>& corners) : pnts(), tris() {
    for (int i = 0; i < 4; ++i) {
        pnts[i + 1].x = corners[i].x;
        pnts[i + 1].y = corners[i].y;
        pnts[i + 1].z = corners[i].z;
        pnts[i + 1].bValid = 1;
    }
    tris[1] = {1, 2, 3, 0, 0, 0, 1};
    tris[2] = {3, 4, 1, 0, 0, 0, 1};
}

TriPairs cutPairs(const BoxSurface& box, const SectionSurface& section) {
    return collide(box, section, [](const ObbtTriPair* list, long count) {
        TriPairs pairs;
        for (long i = 0; i < count; ++i) {
            pairs.emplace_back(list[i].first, list[i].second);
        }
        std::sort(pairs.begin(), pairs.end());
        return pairs;
    });
}

bool cuts(const BoxSurface& box, const SectionSurface& section) {
    return collide(box, section, [](const ObbtTriPair*, long count) { return count > 0; });
}

double ulpUp(double v) {
    return std::nextafter(v, std::copysign(std::numeric_limits<double>::infinity(), v));
}

}  // namespace vornel::test
