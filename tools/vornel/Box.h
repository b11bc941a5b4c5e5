// An axis-aligned box given by its centre and edge lengths, as blocks and
// sub-blocks are stored.
#ifndef VORNEL_CLI_BOX_H
#define VORNEL_CLI_BOX_H

#include <cmath>

#include "vornel/Types.h"

namespace vornel::cli {

// Coordinate `i` of a point: 0 for x, 1 for y, 2 for z.
inline double axis(const D_3DOT& p, int i) {
    return i == 0 ? p.x : i == 1 ? p.y : p.z;
}

// The name of axis `i`: "X", "Y" or "Z".
inline const char* axisName(int i) {
    return i == 0 ? "X" : i == 1 ? "Y" : "Z";
}

struct Box {
    D_3DOT centre{};
    D_3DOT size{};

    double volume() const { return size.x * size.y * size.z; }
    double low(int i) const { return axis(centre, i) - axis(size, i) / 2; }
    double high(int i) const { return axis(centre, i) + axis(size, i) / 2; }
    // Whether its ground can be measured: faces that are numbers and no
    // size below 0, as another program may not have left them.
    bool measurable() const {
        for (int i = 0; i < 3; ++i) {
            if (!std::isfinite(low(i)) || !std::isfinite(high(i)) || !(axis(size, i) >= 0)) {
                return false;
            }
        }
        return true;
    }
};

}  // namespace vornel::cli

#endif
