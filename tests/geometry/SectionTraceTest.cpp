#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "vornel/SectionTrace.h"

namespace vornel {
namespace {

constexpr double kX = 500000;
constexpr double kY = 3000000;

void expectNear(const D_3DOT& got, const D_3DOT& want) {
    EXPECT_NEAR(got.x, want.x, 1e-12);
    EXPECT_NEAR(got.y, want.y, 1e-12);
    EXPECT_NEAR(got.z, want.z, 1e-12);
}

// Same vertices in any order, to drawing precision.
void expectPolygon(SectionPolygon got, SectionPolygon want) {
    const auto byUV = [](const SectionPoint& a, const SectionPoint& b) {
        return std::make_pair(std::round(a.u * 1e6), std::round(a.v * 1e6)) <
               std::make_pair(std::round(b.u * 1e6), std::round(b.v * 1e6));
    };
    std::sort(got.begin(), got.end(), byUV);
    std::sort(want.begin(), want.end(), byUV);
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_NEAR(got[i].u, want[i].u, 1e-9) << "vertex " << i;
        EXPECT_NEAR(got[i].v, want[i].v, 1e-9) << "vertex " << i;
    }
}

TEST(geometry_SectionTrace, FramesOfVerticalAndPlanSections) {
    const std::array<D_3DOT, 4> vertical = {
        {{kX, kY, 900}, {kX + 30, kY + 40, 900}, {kX + 30, kY + 40, 1100}, {kX, kY, 1100}}};
    const std::optional<SectionFrame> along = sectionFrame(vertical.data());
    ASSERT_TRUE(along);
    expectNear(along->u, {0.6, 0.8, 0});
    expectNear(along->v, {0, 0, 1});
    EXPECT_EQ(axisLabel(along->u), "(0.6, 0.8, 0)");
    EXPECT_EQ(axisLabel(along->v), "Z");
    const SectionPoint p = toSection(*along, {kX + 6, kY + 8, 950});
    EXPECT_NEAR(p.u, 10, 1e-9);
    EXPECT_NEAR(p.v, 50, 1e-9);

    const std::array<D_3DOT, 4> plan = {
        {{kX, kY, 5}, {kX - 10, kY, 5}, {kX - 10, kY + 10, 5}, {kX, kY + 10, 5}}};
    const std::optional<SectionFrame> flat = sectionFrame(plan.data());
    ASSERT_TRUE(flat);
    EXPECT_EQ(axisLabel(flat->u), "-X");
    EXPECT_EQ(axisLabel(flat->v), "Y");

    // v keeps only the part of c1->c4 square to u.
    const std::array<D_3DOT, 4> leaning = {{{0, 0, 0}, {10, 0, 0}, {13, 0, 4}, {3, 0, 4}}};
    const std::optional<SectionFrame> lean = sectionFrame(leaning.data());
    ASSERT_TRUE(lean);
    expectNear(lean->v, {0, 0, 1});
    const SectionPoint c4 = toSection(*lean, leaning[3]);
    EXPECT_NEAR(c4.u, 3, 1e-12);
    EXPECT_NEAR(c4.v, 4, 1e-12);
}

TEST(geometry_SectionTrace, NoFrameWithoutArea) {
    const std::array<D_3DOT, 4> samePoint = {{{1, 2, 3}, {1, 2, 3}, {5, 2, 3}, {1, 6, 3}}};
    EXPECT_FALSE(sectionFrame(samePoint.data()));
    const std::array<D_3DOT, 4> line = {
        {{kX, kY, 0}, {kX + 10, kY + 10, 0}, {kX + 5, kY + 7, 0}, {kX + 20, kY + 20, 0}}};
    EXPECT_FALSE(sectionFrame(line.data()));
}

// The cube spans kX..kX+10, kY..kY+10, 1000..1010; the section is the plane
// y = kY+5 from u, v = (0, 0) at (kX-5, 995) to (20, 20) at (kX+15, 1015).
TEST(geometry_SectionTrace, VerticalSectionThroughACube) {
    const std::array<D_3DOT, 4> c = {{{kX - 5, kY + 5, 995},
                                      {kX + 15, kY + 5, 995},
                                      {kX + 15, kY + 5, 1015},
                                      {kX - 5, kY + 5, 1015}}};
    const SectionFrame frame = *sectionFrame(c.data());
    const std::vector<SectionPolygon> polygons =
        traceBox(frame, c.data(), {kX + 5, kY + 5, 1005}, {10, 10, 10});
    ASSERT_EQ(polygons.size(), 2u);
    // The diagonal c3-c1 (u = v) halves the 10 x 10 square.
    expectPolygon(polygons[0], {{5, 5}, {15, 5}, {15, 15}});
    expectPolygon(polygons[1], {{5, 5}, {15, 15}, {5, 15}});
}

TEST(geometry_SectionTrace, PlansGiveFootprintsOrNothing) {
    const auto planAt = [](double z) {
        return std::array<D_3DOT, 4>{
            {{kX, kY, z}, {kX + 40, kY, z}, {kX + 40, kY + 40, z}, {kX, kY + 40, z}}};
    };
    // Box kX+6..kX+14, kY+17..kY+23, 1001..1005: above the diagonal v = u,
    // so only triangle (c3, c4, c1) reaches it.
    const D_3DOT centre{kX + 10, kY + 20, 1003};
    const D_3DOT size{8, 6, 4};
    for (const double z : {1003.0, 1005.0}) {
        const std::array<D_3DOT, 4> c = planAt(z);
        const std::vector<SectionPolygon> polygons =
            traceBox(*sectionFrame(c.data()), c.data(), centre, size);
        ASSERT_EQ(polygons.size(), 1u) << z;
        expectPolygon(polygons[0], {{6, 17}, {14, 17}, {14, 23}, {6, 23}});
    }
    const std::array<D_3DOT, 4> above = planAt(1005.5);
    EXPECT_TRUE(traceBox(*sectionFrame(above.data()), above.data(), centre, size).empty());
}

TEST(geometry_SectionTrace, SectionInsideTheBoxIsWhole) {
    const std::array<D_3DOT, 4> c = {{{kX + 1, kY + 1, 1002},
                                      {kX + 4, kY + 1, 1002},
                                      {kX + 4, kY + 3, 1005},
                                      {kX + 1, kY + 3, 1005}}};
    const SectionFrame frame = *sectionFrame(c.data());
    const std::vector<SectionPolygon> polygons =
        traceBox(frame, c.data(), {kX + 5, kY + 5, 1005}, {10, 10, 10});
    ASSERT_EQ(polygons.size(), 2u);
    // c1->c4 = (0, 2, 3), square to u = X: the section is 3 by sqrt(13).
    const double h = std::sqrt(13.0);
    expectPolygon(polygons[0], {{0, 0}, {3, 0}, {3, h}});
    expectPolygon(polygons[1], {{3, h}, {0, h}, {0, 0}});
}

}  // namespace
}  // namespace vornel
