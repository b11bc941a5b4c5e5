// The triangle pairs where two surfaces meet.
#ifndef VORNEL_COLLISION_COLLIDE_H
#define VORNEL_COLLISION_COLLIDE_H

#include <vector>

#include "collision/Collision.h"
#include "collision/Surface.h"

namespace vornel::collision {

// Appends {number in a, number in b} for every piece of a that shares a
// point with a piece of b, a's pieces in order, each with b's in order.
void collide(const Surface& a, const Surface& b, std::vector<ObbtTriPair>& pairs);

// True when every piece of s is a triangle with all the points strictly on
// one side of its plane: then nothing with its corners among the points can
// meet s. False says nothing. Exact, like every test here.
bool clearOfAll(const Surface& s, const Point* points, size_t count);

}  // namespace vornel::collision

#endif
