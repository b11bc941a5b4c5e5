#include "geometry/BoxTin.h"

#include <cmath>
#include <cstdint>

namespace vornel::geometry {
namespace {

struct Span {
    double low;
    double high;
};

Span aroundCentre(double centre, double size) {
    const double half = size / 2.0;
    return {centre - half, centre + half};
}

Span fromCorner(double corner, double size) {
    return {corner, corner + size};
}

void setVertex(TinPntStrcT& p, double x, double y, double z) {
    p.x = x;
    p.y = y;
    p.z = z;
    p.bValid = 1;
}

// Top face 1-2-3-4, bottom face 5-6-7-8, each vertex above its partner.
void writeVertices(Span x, Span y, Span z, TinPntStrcT* pnts) {
    setVertex(pnts[1], x.low, y.high, z.high);
    setVertex(pnts[2], x.high, y.high, z.high);
    setVertex(pnts[3], x.high, y.low, z.high);
    setVertex(pnts[4], x.low, y.low, z.high);
    setVertex(pnts[5], x.low, y.high, z.low);
    setVertex(pnts[6], x.high, y.high, z.low);
    setVertex(pnts[7], x.high, y.low, z.low);
    setVertex(pnts[8], x.low, y.low, z.low);
}

// nPnt1..3 and nAdj1..3 of triangles 1 to 12 over the vertex numbering of
// writeVertices; collision callers rely on the outward winding.
constexpr int32_t kTriangles[12][6] = {
    {1, 4, 3, 8, 11, 2}, {3, 2, 1, 3, 9, 1},  {6, 2, 3, 9, 2, 4},  {3, 7, 6, 12, 5, 3},
    {6, 7, 8, 4, 12, 6}, {8, 5, 6, 7, 10, 5}, {1, 5, 8, 10, 6, 8}, {8, 4, 1, 11, 1, 7},
    {1, 2, 6, 2, 3, 10}, {6, 5, 1, 6, 7, 9},  {3, 4, 8, 1, 8, 12}, {8, 7, 3, 5, 4, 11},
};

void setTriangle(TinNetStrcT& t, const int32_t (&n)[6], uint8_t valid) {
    t.nPnt1 = n[0];
    t.nPnt2 = n[1];
    t.nPnt3 = n[2];
    t.nAdj1 = n[3];
    t.nAdj2 = n[4];
    t.nAdj3 = n[5];
    t.bValid = valid;
}

double dropNoise(double c) {
    return std::fabs(c) >= 1e-10 ? c : 0.0;
}

}  // namespace

long buildVolTin(D_3DOT origin, D_3DOT size, int mode, TinPntStrcT* pnts, TinNetStrcT* tris) {
    pnts[0].x = 0.0;
    pnts[0].y = 0.0;
    pnts[0].z = 0.0;
    if (mode == kOriginAtCentre) {
        writeVertices(aroundCentre(origin.x, size.x), aroundCentre(origin.y, size.y),
                      aroundCentre(origin.z, size.z), pnts);
    } else if (mode == kOriginAtMinCorner) {
        writeVertices(fromCorner(origin.x, size.x), fromCorner(origin.y, size.y),
                      fromCorner(origin.z, size.z), pnts);
    }
    setTriangle(tris[0], {0, 0, 0, 0, 0, 0}, 0);
    for (int i = 0; i < 12; ++i) {
        setTriangle(tris[i + 1], kTriangles[i], 1);
    }
    return 1;
}

void panelCoef(const double* p1, const double* p2, const double* p3, double* coef) {
    const double ux = p2[0] - p1[0], uy = p2[1] - p1[1], uz = p2[2] - p1[2];
    const double vx = p3[0] - p1[0], vy = p3[1] - p1[1], vz = p3[2] - p1[2];
    const double x1 = p1[0], y1 = p1[1], z1 = p1[2];
    const double a = uy * vz - uz * vy;
    const double b = uz * vx - ux * vz;
    const double c = ux * vy - vx * uy;
    // Kept as this running sum rather than -(a*x1 + b*y1 + c*z1) so that d
    // rounds exactly as it always has.
    const double d =
        uz * vy * x1 - uy * vz * x1 + ux * vz * y1 - uz * vx * y1 + uy * vx * z1 - ux * vy * z1;
    coef[0] = dropNoise(a);
    coef[1] = dropNoise(b);
    coef[2] = dropNoise(c);
    coef[3] = dropNoise(d);
}

}  // namespace vornel::geometry
