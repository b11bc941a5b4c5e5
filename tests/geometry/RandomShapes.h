// Random boxes and sections with corners on a grid, so that they lie on one
// another's faces, pass through edges and corners, and lose their volume or
// area far more often than chance would. Unless the grid says otherwise, one
// coordinate in eight is then moved a unit in the last place either way, to
// just touch or just miss.
#ifndef VORNEL_TESTS_GEOMETRY_RANDOMSHAPES_H
#define VORNEL_TESTS_GEOMETRY_RANDOMSHAPES_H

#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <utility>

#include "vornel/Types.h"

namespace vornel::test {

struct Grid {
    D_3DOT origin;
    double step;
    int cells;  // along each axis; corners fall one cell beyond on either side
    bool nudged = true;
};

class RandomShapes {
public:
    RandomShapes(unsigned seed, const Grid& grid) : rng_(seed), grid_(grid) {}

    // Centre and size of a box of up to three cells along each axis, often none.
    std::pair<D_3DOT, D_3DOT> box() {
        const D_3DOT low = point(), size{cells(), cells(), cells()};
        return {{low.x + size.x / 2, low.y + size.y / 2, low.z + size.z / 2}, size};
    }

    // A plan, a vertical section, corners on one line, one point, or any
    // four corners; half of them through `through`.
    std::array<D_3DOT, 4> section(const D_3DOT& through) {
        std::array<D_3DOT, 4> c = {point(), point(), point(), point()};
        if (pick(2) == 0) {
            c[0] = through;
        }
        switch (pick(5)) {
            case 0:
                c[1].z = c[2].z = c[3].z = c[0].z;
                break;
            case 1:  // along c0-c1, often along a grid plane
                c[1].x = pick(3) == 0 ? c[0].x : c[1].x;
                c[2] = {c[1].x, c[1].y, c[2].z};
                c[3] = {c[0].x, c[0].y, c[2].z};
                break;
            case 2:
                for (int i = 2; i < 4; ++i) {
                    const double t = pick(5) - 2;
                    c[i] = {c[0].x + t * (c[1].x - c[0].x), c[0].y + t * (c[1].y - c[0].y),
                            c[0].z + t * (c[1].z - c[0].z)};
                }
                break;
            case 3:
                c[1] = c[2] = c[3] = c[0];
                break;
            default:
                break;
        }
        return c;
    }

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

private:
    double at(double origin) {
        const double v = origin + (pick(grid_.cells + 3) - 1) * grid_.step;
        if (!grid_.nudged || pick(8) != 0) {
            return v;
        }
        return std::nextafter(v, (pick(2) == 0 ? -1 : 1) * std::numeric_limits<double>::infinity());
    }
    D_3DOT point() { return {at(grid_.origin.x), at(grid_.origin.y), at(grid_.origin.z)}; }
    double cells() { return pick(4) * grid_.step; }

    std::mt19937 rng_;
    Grid grid_;
};

}  // namespace vornel::test

#endif
