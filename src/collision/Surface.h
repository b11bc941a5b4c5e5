// A triangulated surface made ready for collision tests.
#ifndef VORNEL_COLLISION_SURFACE_H
#define VORNEL_COLLISION_SURFACE_H

#include <vector>

#include "collision/Bounds.h"
#include "collision/Piece.h"
#include "vornel/Tin.h"

namespace vornel::collision {

struct Surface {
    std::vector<Point> points;  // every finite vertex given; each piece's corners are among them
    std::vector<Piece> pieces;
    Bounds bounds;  // of all pieces
};

// Refills s, keeping the capacity of its vectors, from nPnts vertices and
// nTris triangles starting at element 1 of 1-based arrays. A triangle is
// left out when it is not marked valid, names a vertex outside 1..nPnts or
// has a coordinate that is not finite.
void load(Surface& s, const TinPntStrcT* pnts, long nPnts, const TinNetStrcT* tris, long nTris);

}  // namespace vornel::collision

#endif
