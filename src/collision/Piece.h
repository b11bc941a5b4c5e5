// One triangle of a surface, in the form the intersection tests take.
#ifndef VORNEL_COLLISION_PIECE_H
#define VORNEL_COLLISION_PIECE_H

#include <array>
#include <cstdint>

#include "collision/Bounds.h"

namespace vornel::collision {

// Exact triangle tests refuse triangles without area, so a triangle whose
// corners lie on one line is tested as the segment between its outermost
// corners, and one whose corners coincide as that point.
enum class Shape : uint8_t { kTriangle, kSegment, kPoint };

struct Piece {
    Shape shape;
    int32_t number;  // 1-based, as in the triangle array the surface came from
    Point v[3];      // corners; a segment's ends are v[0] and v[1], a point is v[0]
    Bounds bounds;
    // A triangle's normal, (v[1] - v[0]) x (v[2] - v[0]), by the sign of
    // each coordinate; zeros for a segment or a point.
    std::array<int8_t, 3> normal;
};

}  // namespace vornel::collision

#endif
