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

}  // namespace vornel::collision

#endif
