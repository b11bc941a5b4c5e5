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

// True when every piece of s is a triangle with the whole closed box
// strictly on one side of its plane: then the box cannot meet s. False says
// nothing. Exact, like every test here.
bool clearOfBox(const Surface& s, const Bounds& box);

}  // namespace vornel::collision

#endif
