// The exact predicates the collision tests rest on. Every answer is exact
// for the doubles given: nothing is rounded and no tolerance is applied.
#ifndef VORNEL_COLLISION_EXACT_H
#define VORNEL_COLLISION_EXACT_H

#include "collision/Bounds.h"
#include "collision/Piece.h"

namespace vornel::collision {

// Whether a, b and c lie on one line, coincident points included.
bool collinear(const Point& a, const Point& b, const Point& c);

// 1 or -1 for the side of the plane of triangle t on which p lies, 0 when
// p lies on it. t must have the shape of a triangle.
int side(const Piece& t, const Point& p);

// Whether the two closed pieces share at least one point.
bool meet(const Piece& a, const Piece& b);

}  // namespace vornel::collision

#endif
