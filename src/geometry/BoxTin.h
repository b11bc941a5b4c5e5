// Closed triangulated surfaces of axis-aligned boxes, and the plane through
// three points.
#ifndef VORNEL_GEOMETRY_BOXTIN_H
#define VORNEL_GEOMETRY_BOXTIN_H

#include "vornel/Tin.h"
#include "vornel/Types.h"

namespace vornel::geometry {

// Records buildVolTin fills, the blank element 0 included.
constexpr int kBoxTinPoints = 9;
constexpr int kBoxTinTriangles = 13;

// How buildVolTin reads its origin; any other mode leaves vertices 1 to 8
// as they are.
constexpr int kOriginAtCentre = 0;
constexpr int kOriginAtMinCorner = 1;

// Writes the 8 corners (pnts[1..8]) and 12 outward-facing triangles with
// their neighbours (tris[1..12]) of the box whose full edge lengths are
// size. Element 0 of each array is blanked. Returns 1.
long buildVolTin(D_3DOT origin, D_3DOT size, int mode, TinPntStrcT* pnts, TinNetStrcT* tris);

// Writes a, b, c, d of the plane a*X + b*Y + c*Z + d = 0 through p1, p2, p3
// (each X, Y, Z), (a, b, c) being the unnormalised (p2 - p1) x (p3 - p1).
// A coefficient below 1e-10 in size, or not a number, becomes 0.0.
void panelCoef(const double* p1, const double* p2, const double* p3, double* coef);

}  // namespace vornel::geometry

#endif
