// The box table: eight corners, twelve outward triangles each naming the
// triangle across each of its edges; and the plane through three points.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <tuple>

#include "geometry/BoxTin.h"

namespace vornel::geometry {
namespace {

// Packed fields must not be bound to references, as EXPECT_EQ would do.
std::tuple<double, double, double> xyz(const TinPntStrcT& p) {
    const double x = p.x, y = p.y, z = p.z;
    return {x, y, z};
}
int vertexOf(const TinNetStrcT& t, int k) {
    return k == 0 ? t.nPnt1 : k == 1 ? t.nPnt2 : t.nPnt3;
}
int neighbourOf(const TinNetStrcT& t, int k) {
    return k == 0 ? t.nAdj1 : k == 1 ? t.nAdj2 : t.nAdj3;
}

// Filler bytes show which fields the builder leaves alone.
struct BoxRecords {
    BoxRecords() {
        std::memset(static_cast<void*>(pnts), 0x5a, sizeof(pnts));
        std::memset(static_cast<void*>(tris), 0x5a, sizeof(tris));
    }
    TinPntStrcT pnts[kBoxTinPoints];
    TinNetStrcT tris[kBoxTinTriangles];
};

TEST(geometry_BoxTin, CornersOfEachOriginModeAndBlankElementZero) {
    // Top face 1-2-3-4 and bottom face 5-6-7-8, each vertex above its partner.
    const int high[9][3] = {{},        {0, 1, 1}, {1, 1, 1}, {1, 0, 1}, {0, 0, 1},
                            {0, 1, 0}, {1, 1, 0}, {1, 0, 0}, {0, 0, 0}};
    BoxRecords centred, cornered, other;
    const BoxRecords untouched;
    EXPECT_EQ(buildVolTin({10, 20, 30}, {2, 4, 6}, kOriginAtCentre, centred.pnts, centred.tris), 1);
    buildVolTin({10, 20, 30}, {2, 4, 6}, kOriginAtMinCorner, cornered.pnts, cornered.tris);
    for (int i = 1; i <= 8; ++i) {
        const auto [x, y, z] = high[i];
        EXPECT_EQ(xyz(centred.pnts[i]), std::make_tuple(9.0 + 2 * x, 18.0 + 4 * y, 27.0 + 6 * z));
        EXPECT_EQ(xyz(cornered.pnts[i]), std::make_tuple(10.0 + 2 * x, 20.0 + 4 * y, 30.0 + 6 * z));
        EXPECT_EQ(centred.pnts[i].bValid, 1);
        EXPECT_EQ(centred.pnts[i].Reserved, 0x5a5a);
    }
    EXPECT_EQ(xyz(centred.pnts[0]), std::make_tuple(0.0, 0.0, 0.0));
    EXPECT_EQ(centred.pnts[0].bValid, 0x5a);
    const TinNetStrcT& t0 = centred.tris[0];
    EXPECT_EQ(t0.nPnt1 | t0.nPnt2 | t0.nPnt3 | t0.nAdj1 | t0.nAdj2 | t0.nAdj3 | t0.bValid, 0);

    // Another mode writes the triangles only.
    buildVolTin({10, 20, 30}, {2, 4, 6}, 2, other.pnts, other.tris);
    EXPECT_EQ(0, std::memcmp(&other.pnts[1], &untouched.pnts[1], 8 * sizeof(TinPntStrcT)));
    EXPECT_EQ(0, std::memcmp(other.tris, centred.tris, sizeof other.tris));
}

// Each triangle lies on one face and faces out; an oriented closed surface
// crosses each edge a->b once more, as b->a, in the triangle it names.
TEST(geometry_BoxTin, TrianglesFaceOutwardAndNameTheirNeighbours) {
    BoxRecords box;
    const D_3DOT c{500010, 3000020, 105};
    buildVolTin(c, {20, 40, 10}, kOriginAtCentre, box.pnts, box.tris);
    for (int i = 1; i <= 12; ++i) {
        const TinNetStrcT& t = box.tris[i];
        EXPECT_EQ(t.bValid, 1);
        const auto [px, py, pz] = xyz(box.pnts[t.nPnt1]);
        const auto [qx, qy, qz] = xyz(box.pnts[t.nPnt2]);
        const auto [rx, ry, rz] = xyz(box.pnts[t.nPnt3]);
        const double u[3] = {qx - px, qy - py, qz - pz};
        const double v[3] = {rx - px, ry - py, rz - pz};
        const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                             u[0] * v[1] - u[1] * v[0]};
        const double out[3] = {(px + qx + rx) / 3 - c.x, (py + qy + ry) / 3 - c.y,
                               (pz + qz + rz) / 3 - c.z};
        EXPECT_GT(n[0] * out[0] + n[1] * out[1] + n[2] * out[2], 0) << "triangle " << i;
        EXPECT_EQ((px == qx && qx == rx) + (py == qy && qy == ry) + (pz == qz && qz == rz), 1) << i;
        for (int k = 0; k < 3; ++k) {
            const int a = vertexOf(t, k), b = vertexOf(t, (k + 1) % 3);
            int across = 0;
            for (int j = 1; j <= 12; ++j) {
                for (int m = 0; m < 3; ++m) {
                    const int from = vertexOf(box.tris[j], m),
                              to = vertexOf(box.tris[j], (m + 1) % 3);
                    EXPECT_FALSE(j != i && from == a && to == b) << i << " and " << j;
                    across += (from == b && to == a) ? j : 0;
                }
            }
            EXPECT_EQ(neighbourOf(t, k), across) << "triangle " << i << " edge " << k;
        }
    }
}

TEST(geometry_PanelCoef, PlaneThroughThreePointsWithoutNoise) {
    const double inf = std::numeric_limits<double>::infinity();
    // u = (3, 4, 5), v = (1, -2, 2): normal (18, -1, -10), 18 - 2 - 30 + d = 0.
    // A coefficient under 1e-10, or not a number (b and d of the last), is 0.
    struct Case {
        double p1[3], p2[3], p3[3], plane[4];
    };
    const Case cases[] = {
        {{0, 0, 5}, {1, 0, 5}, {0, 1, 5}, {0, 0, 1, -5}},
        {{1, 2, 3}, {4, 6, 8}, {2, 0, 5}, {18, -1, -10, 14}},
        {{1, 1, 1}, {2, 2, 2}, {4, 4, 4}, {0, 0, 0, 0}},
        {{0, 0, 0}, {1, 0, 0}, {0, 5e-11, 0}, {0, 0, 0, 0}},
        {{0, 0, 0}, {1, 0, 0}, {0, 1e-10, 0}, {0, 0, 1e-10, 0}},
        {{0, 0, 5e-11}, {1, 0, 5e-11}, {0, 1, 5e-11}, {0, 0, 1, 0}},
        {{0, 0, 1e-10}, {1, 0, 1e-10}, {0, 1, 1e-10}, {0, 0, 1, -1e-10}},
        {{0, 0, 0}, {inf, 0, 0}, {0, 1, 0}, {0, 0, inf, 0}},
    };
    for (const Case& c : cases) {
        double coef[4];
        panelCoef(c.p1, c.p2, c.p3, coef);
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(coef[k], c.plane[k]) << "plane " << c.plane[0] << " " << c.plane[3];
        }
    }
}

}  // namespace
}  // namespace vornel::geometry
