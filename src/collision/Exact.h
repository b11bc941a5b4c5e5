// The exact predicates the collision tests rest on. Every answer is exact
// for the doubles given: nothing is rounded and no tolerance is applied.
#ifndef VORNEL_COLLISION_EXACT_H
#define VORNEL_COLLISION_EXACT_H

#include <array>
#include <cstdint>

#include "collision/Bounds.h"
#include "collision/Piece.h"

namespace vornel::collision {

// The sign, -1, 0 or 1, of each coordinate of (b - a) x (c - a), the normal
// of the triangle (a, b, c); all are 0 when the points lie on one line.
std::array<int8_t, 3> normalSigns(const Point& a, const Point& b, const Point& c);

// 1 or -1 for the side of the plane of triangle t on which p lies, 0 when
// p lies on it. t must have the shape of a triangle.
int side(const Piece& t, const Point& p);

// Whether the two closed pieces share at least one point.
bool meet(const Piece& a, const Piece& b);

}  // namespace vornel::collision

#endif
