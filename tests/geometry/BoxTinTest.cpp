#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <tuple>

#include "geometry/BoxTin.h"

namespace vornel::geometry {
namespace {

struct BoxRecords {
    TinPntStrcT pnts[kBoxTinPoints];
    TinNetStrcT tris[kBoxTinTriangles];

    // Filler bytes show which fields the builder leaves alone.
    BoxRecords() {
        // cppcheck-suppress memsetClassFloat
        std::memset(pnts, 0x5a, sizeof(pnts));
        std::memset(tris, 0x5a, sizeof(tris));
    }
};

int vertexOf(const TinNetStrcT& t, int k) {
    return k == 0 ? t.nPnt1 : k == 1 ? t.nPnt2 : t.nPnt3;
}
int neighbourOf(const TinNetStrcT& t, int k) {
    return k == 0 ? t.nAdj1 : k == 1 ? t.nAdj2 : t.nAdj3;
}

// Packed fields must not be bound to references, as EXPECT_EQ and
// make_tuple would do, so they are copied out first.
D_3DOT xyz(const TinPntStrcT& p) {
    return {p.x, p.y, p.z};
}
std::tuple<double, double, double> tupleOf(const D_3DOT& d) {
    return {d.x, d.y, d.z};
}
std::array<double, 5> fieldsOf(const TinPntStrcT& p) {
    return {p.x, p.y, p.z, static_cast<double>(p.Reserved), static_cast<double>(p.bValid)};
}
std::array<int32_t, 7> fieldsOf(const TinNetStrcT& t) {
    return {t.nPnt1, t.nPnt2, t.nPnt3, t.nAdj1, t.nAdj2, t.nAdj3, t.bValid};
}

template <class Record, size_t N>
void expectSameRecords(const Record (&a)[N], const Record (&b)[N], size_t from) {
    for (size_t i = from; i < N; ++i) {
        EXPECT_EQ(fieldsOf(a[i]), fieldsOf(b[i])) << "element " << i;
    }
}

void expectVertex(const TinPntStrcT& p, double x, double y, double z) {
    EXPECT_EQ(tupleOf(xyz(p)), std::make_tuple(x, y, z));
    EXPECT_EQ(p.bValid, 1);
}

TEST(geometry_BoxTin, OriginModesPlaceTheCorners) {
    BoxRecords centred;
    EXPECT_EQ(buildVolTin({10, 20, 30}, {2, 4, 6}, 0, centred.pnts, centred.tris), 1);
    expectVertex(centred.pnts[1], 9, 22, 33);
    expectVertex(centred.pnts[8], 9, 18, 27);

    BoxRecords cornered;
    EXPECT_EQ(buildVolTin({10, 20, 30}, {2, 4, 6}, 1, cornered.pnts, cornered.tris), 1);
    expectVertex(cornered.pnts[1], 10, 24, 36);
    expectVertex(cornered.pnts[8], 10, 20, 30);

    std::set<std::tuple<double, double, double>> corners;
    for (int i = 1; i <= 8; ++i) {
        const D_3DOT p = xyz(centred.pnts[i]);
        EXPECT_TRUE(p.x == 9 || p.x == 11) << i;
        EXPECT_TRUE(p.y == 18 || p.y == 22) << i;
        EXPECT_TRUE(p.z == 27 || p.z == 33) << i;
        corners.insert(tupleOf(p));
    }
    EXPECT_EQ(corners.size(), 8u);
}

TEST(geometry_BoxTin, BlanksElementZeroAndKeepsReservedBytes) {
    BoxRecords box;
    buildVolTin({1, 2, 3}, {1, 1, 1}, 0, box.pnts, box.tris);
    EXPECT_EQ(tupleOf(xyz(box.pnts[0])), std::make_tuple(0.0, 0.0, 0.0));
    EXPECT_EQ(box.pnts[0].bValid, 0x5a);
    EXPECT_EQ(box.pnts[3].Reserved, 0x5a5a);
    const TinNetStrcT& t0 = box.tris[0];
    EXPECT_EQ(t0.nPnt1 | t0.nPnt2 | t0.nPnt3 | t0.nAdj1 | t0.nAdj2 | t0.nAdj3, 0);
    EXPECT_EQ(t0.bValid, 0);
    for (int i = 1; i <= 12; ++i) {
        EXPECT_EQ(box.tris[i].bValid, 1) << i;
    }
}

TEST(geometry_BoxTin, UnknownModeWritesOnlyTheTriangles) {
    BoxRecords other;
    BoxRecords untouched;
    EXPECT_EQ(buildVolTin({10, 20, 30}, {2, 4, 6}, 2, other.pnts, other.tris), 1);
    expectSameRecords(other.pnts, untouched.pnts, 1);
    EXPECT_EQ(tupleOf(xyz(other.pnts[0])), std::make_tuple(0.0, 0.0, 0.0));

    BoxRecords reference;
    buildVolTin({10, 20, 30}, {2, 4, 6}, 0, reference.pnts, reference.tris);
    expectSameRecords(other.tris, reference.tris, 0);
}

TEST(geometry_BoxTin, FlatBoxPairsVerticesAndKeepsTheTable) {
    BoxRecords flat;
    buildVolTin({5, 5, 5}, {2, 2, 0}, 0, flat.pnts, flat.tris);
    for (int top = 1; top <= 4; ++top) {
        const TinPntStrcT& a = flat.pnts[top];
        const TinPntStrcT& b = flat.pnts[top + 4];
        EXPECT_EQ(tupleOf(xyz(a)), tupleOf(xyz(b))) << top;
    }
    BoxRecords solid;
    buildVolTin({5, 5, 5}, {2, 2, 2}, 0, solid.pnts, solid.tris);
    expectSameRecords(flat.tris, solid.tris, 0);
}

TEST(geometry_BoxTin, TrianglesFaceOutward) {
    BoxRecords box;
    const D_3DOT centre{500010, 3000020, 105};
    buildVolTin(centre, {20, 40, 10}, 0, box.pnts, box.tris);
    for (int i = 1; i <= 12; ++i) {
        const TinPntStrcT& p = box.pnts[box.tris[i].nPnt1];
        const TinPntStrcT& q = box.pnts[box.tris[i].nPnt2];
        const TinPntStrcT& r = box.pnts[box.tris[i].nPnt3];
        const double u[3] = {q.x - p.x, q.y - p.y, q.z - p.z};
        const double v[3] = {r.x - p.x, r.y - p.y, r.z - p.z};
        const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                             u[0] * v[1] - u[1] * v[0]};
        const double out[3] = {(p.x + q.x + r.x) / 3 - centre.x, (p.y + q.y + r.y) / 3 - centre.y,
                               (p.z + q.z + r.z) / 3 - centre.z};
        EXPECT_GT(n[0] * out[0] + n[1] * out[1] + n[2] * out[2], 0) << "triangle " << i;
        const int flatAxes =
            (p.x == q.x && q.x == r.x) + (p.y == q.y && q.y == r.y) + (p.z == q.z && q.z == r.z);
        EXPECT_EQ(flatAxes, 1) << "triangle " << i << " lies on one face";
    }
}

// An oriented closed surface crosses each edge a->b once more, as b->a.
TEST(geometry_BoxTin, NeighboursNameTheTriangleAcrossEachEdge) {
    BoxRecords box;
    buildVolTin({0, 0, 0}, {1, 1, 1}, 0, box.pnts, box.tris);
    for (int i = 1; i <= 12; ++i) {
        for (int k = 0; k < 3; ++k) {
            const int a = vertexOf(box.tris[i], k);
            const int b = vertexOf(box.tris[i], (k + 1) % 3);
            int reversed = 0;
            int across = 0;
            for (int j = 1; j <= 12; ++j) {
                for (int m = 0; m < 3; ++m) {
                    const int c = vertexOf(box.tris[j], m);
                    const int d = vertexOf(box.tris[j], (m + 1) % 3);
                    if (j != i && c == b && d == a) {
                        ++reversed;
                        across = j;
                    }
                    EXPECT_FALSE(j != i && c == a && d == b) << i << " and " << j;
                }
            }
            EXPECT_EQ(reversed, 1) << "triangle " << i << " edge " << k;
            EXPECT_EQ(neighbourOf(box.tris[i], k), across) << "triangle " << i << " edge " << k;
        }
    }
}

void expectCoef(const double (&p1)[3], const double (&p2)[3], const double (&p3)[3],
                const double (&want)[4]) {
    double coef[4];
    panelCoef(p1, p2, p3, coef);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(coef[i], want[i]) << "coefficient " << i;
    }
}

TEST(geometry_PanelCoef, PlaneThroughThreePoints) {
    expectCoef({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1, 0});
    expectCoef({0, 0, 5}, {1, 0, 5}, {0, 1, 5}, {0, 0, 1, -5});
    // u = (3, 4, 5), v = (1, -2, 2): normal (18, -1, -10), 18 - 2 - 30 + d = 0.
    expectCoef({1, 2, 3}, {4, 6, 8}, {2, 0, 5}, {18, -1, -10, 14});
    expectCoef({1, 1, 1}, {2, 2, 2}, {4, 4, 4}, {0, 0, 0, 0});
}

TEST(geometry_PanelCoef, DropsNoiseAndNotANumber) {
    expectCoef({0, 0, 0}, {1, 0, 0}, {0, 5e-11, 0}, {0, 0, 0, 0});
    expectCoef({0, 0, 0}, {1, 0, 0}, {0, 1e-10, 0}, {0, 0, 1e-10, 0});
    expectCoef({0, 0, 5e-11}, {1, 0, 5e-11}, {0, 1, 5e-11}, {0, 0, 1, 0});
    expectCoef({0, 0, 1e-10}, {1, 0, 1e-10}, {0, 1, 1e-10}, {0, 0, 1, -1e-10});
    // u = (inf, 0, 0): b = 0*0 - inf*0 and d are NaN, c = inf.
    const double inf = std::numeric_limits<double>::infinity();
    expectCoef({0, 0, 0}, {inf, 0, 0}, {0, 1, 0}, {0, 0, inf, 0});
}

}  // namespace
}  // namespace vornel::geometry
