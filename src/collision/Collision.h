// Collision of small triangulated surfaces, in place of the component the
// manager has always called by these names. A "tree" here is the surface's
// triangles with their bounds. Every test is exact for the doubles given
// and closed: triangles that only touch, at a vertex, along an edge or over
// an area, meet. Triangles without area are tested as segments or points.
//
// Pair lists and freed surfaces are kept per thread, so all calls about one
// surface belong on one thread. A warm thread builds, collides and frees
// without touching the heap, except where doubles cannot decide a test
// (points within an ulp or so of a line or plane): CGAL's filter then throws
// and catches an exception, which allocates, before deciding exactly.
#ifndef VORNEL_COLLISION_COLLISION_H
#define VORNEL_COLLISION_COLLISION_H

#include <cstdint>

#include "vornel/Tin.h"

namespace vornel::collision {
struct Surface;
}

// A built surface, opaque to callers; null stands for none.
using ObbtHandle = vornel::collision::Surface*;

// One triangle of each surface, by its 1-based number in the triangle array
// the surface was built from, in the order GetCollideTriPair names them.
struct ObbtTriPair {
    int32_t first;
    int32_t second;
};

// Builds a surface from nPnts vertices and nTris triangles, pnts and tris
// pointing at element 1 of 1-based arrays. Triangles that are not marked
// valid, name a vertex outside 1..nPnts or have a coordinate that is not
// finite are left out. Returns null when either array is missing or empty.
// After warm-up a build reuses a freed surface.
ObbtHandle BuildObbtOfPolyh(const TinPntStrcT* pnts, long nPnts, const TinNetStrcT* tris,
                            long nTris);

// Finds every pair of triangles of the two surfaces that share a point and
// keeps the pairs for GetCollideTriPair. A null handle collides as an empty
// surface. The four doubles are accepted for the callers' sake and not
// used. Returns the number of pairs.
long ObbtCollide(ObbtHandle first, ObbtHandle second, double, double, double, double);

// Hands out the pairs found by this thread's last ObbtCollide, provided it
// was of these two surfaces in either order, and returns 1; otherwise, and
// after either surface has been deleted, sets *pairs to null and *count to
// 0 and returns 0. The list belongs to this component; it stays valid until
// the next ObbtCollide, GetCollideTriPair or DeleteObbtObj on this thread.
long GetCollideTriPair(ObbtHandle first, ObbtHandle second, const ObbtTriPair** pairs, long* count);

// Frees a surface; a later build may return the same handle. Returns 1, or
// 0 for a null handle, which is ignored.
long DeleteObbtObj(ObbtHandle handle);

#endif
