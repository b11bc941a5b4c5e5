// Where a section meets a box, in the section's own plane coordinates, and
// the frame and axis labels of those coordinates.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <set>
#include <utility>

#include "vornel/SectionTrace.h"

namespace vornel {
namespace {

constexpr double kX = 500000;
constexpr double kY = 3000000;

using Corners = std::array<D_3DOT, 4>;

void expectNear(const D_3DOT& got, const D_3DOT& want) {
    EXPECT_NEAR(got.x, want.x, 1e-12);
    EXPECT_NEAR(got.y, want.y, 1e-12);
    EXPECT_NEAR(got.z, want.z, 1e-12);
}

// The polygons of the section through the box, each with the same vertices
// as wanted in any order, to a micrometre, and none of them twice.
void expectTrace(const Corners& c, const D_3DOT& centre, const D_3DOT& size,
                 const std::vector<SectionPolygon>& want) {
    const auto rounded = [](const std::vector<SectionPolygon>& polygons) {
        std::vector<std::set<std::pair<double, double>>> out;
        for (const SectionPolygon& polygon : polygons) {
            auto& points = out.emplace_back();
            for (const SectionPoint& p : polygon) {
                EXPECT_TRUE(points.emplace(std::round(p.u * 1e6), std::round(p.v * 1e6)).second)
                    << "a vertex repeated: " << p.u << " " << p.v;
            }
        }
        return out;
    };
    EXPECT_EQ(rounded(traceBox(*sectionFrame(c.data()), c.data(), centre, size)), rounded(want));
}

TEST(geometry_SectionTrace, FramesAndLabelsOfVerticalAndPlanSections) {
    const Corners vertical = {
        {{kX, kY, 900}, {kX + 30, kY + 40, 900}, {kX + 30, kY + 40, 1100}, {kX, kY, 1100}}};
    const std::optional<SectionFrame> along = sectionFrame(vertical.data());
    ASSERT_TRUE(along);
    expectNear(along->u, {0.6, 0.8, 0});
    expectNear(along->v, {0, 0, 1});
    EXPECT_EQ(axisLabel(along->u), "(0.6, 0.8, 0)");
    EXPECT_EQ(axisLabel(along->v), "Z");
    // Up a slope Z = 0.6 Y, the frame's v has an X of -0; a direction at
    // mining coordinates may keep a trace of rounding.
    EXPECT_EQ(axisLabel({-0.0, 0.857492925712544, 0.514495755427527}), "(0, 0.857, 0.514)");
    EXPECT_EQ(axisLabel({3e-17, -0.6, 0.8}), "(0, -0.6, 0.8)");
    EXPECT_EQ(axisLabel({0.001, 1, 0}), "(0.001, 1, 0)");
    EXPECT_EQ(axisLabel({std::nan(""), 0, 0}), "(nan, 0, 0)");
    EXPECT_EQ(axisLabel({0, -INFINITY, 0}), "-Y");
    // Whose squares no double holds, large or small.
    EXPECT_EQ(axisLabel({3e160, -4e160, 0}), "(3e+160, -4e+160, 0)");
    EXPECT_EQ(axisLabel({0, 3e-170, 4e-170}), "(0, 3e-170, 4e-170)");
    const SectionPoint p = toSection(*along, {kX + 6, kY + 8, 950});
    EXPECT_NEAR(p.u, 10, 1e-9);
    EXPECT_NEAR(p.v, 50, 1e-9);

    const Corners plan = {{{kX, kY, 5}, {kX - 10, kY, 5}, {kX - 10, kY + 10, 5}, {kX, kY + 10, 5}}};
    EXPECT_EQ(axisLabel(sectionFrame(plan.data())->u), "-X");
    EXPECT_EQ(axisLabel(sectionFrame(plan.data())->v), "Y");

    // v keeps only the part of c1->c4 square to u.
    const Corners leaning = {{{0, 0, 0}, {10, 0, 0}, {13, 0, 4}, {3, 0, 4}}};
    const std::optional<SectionFrame> lean = sectionFrame(leaning.data());
    ASSERT_TRUE(lean);
    expectNear(lean->v, {0, 0, 1});
    EXPECT_NEAR(toSection(*lean, leaning[3]).u, 3, 1e-12);
    EXPECT_NEAR(toSection(*lean, leaning[3]).v, 4, 1e-12);

    // Corner 3 gives v where corner 4 lies on the line through corners 1
    // and 2: a triangle with corner 1 on the edge from corner 4 to corner 2.
    const Corners triangle = {
        {{kX, kY, 0}, {kX + 10, kY + 10, 0}, {kX + 5, kY + 7, 0}, {kX - 20, kY - 20, 0}}};
    ASSERT_TRUE(sectionFrame(triangle.data()));
    expectNear(sectionFrame(triangle.data())->v, {-std::sqrt(0.5), std::sqrt(0.5), 0});
    // At any scale a double holds: squares of these would overflow or vanish.
    for (const double scale : {1e200, 1e-300}) {
        const Corners square = {{{0, 0, 0}, {scale, 0, 0}, {scale, scale, 0}, {0, scale, 0}}};
        const std::optional<SectionFrame> f = sectionFrame(square.data());
        ASSERT_TRUE(f) << scale;
        expectNear(f->u, {1, 0, 0});
        expectNear(f->v, {0, 1, 0});
    }

    // No frame without area.
    const Corners samePoint = {{{1, 2, 3}, {1, 2, 3}, {5, 2, 3}, {1, 6, 3}}};
    EXPECT_FALSE(sectionFrame(samePoint.data()));
    const Corners line = {
        {{kX, kY, 0}, {kX + 10, kY + 10, 0}, {kX + 5, kY + 5, 0}, {kX + 20, kY + 20, 0}}};
    EXPECT_FALSE(sectionFrame(line.data()));
}

TEST(geometry_SectionTrace, TracesThroughCubeFootprintOrWholeSection) {
    // The cube kX..kX+10, kY..kY+10, 1000..1010 and the plane y = kY+5 from
    // (u, v) = (0, 0) at (kX-5, 995) to (20, 20) at (kX+15, 1015): the
    // diagonal c3-c1 (u = v) halves the 10 x 10 square.
    expectTrace({{{kX - 5, kY + 5, 995},
                  {kX + 15, kY + 5, 995},
                  {kX + 15, kY + 5, 1015},
                  {kX - 5, kY + 5, 1015}}},
                {kX + 5, kY + 5, 1005}, {10, 10, 10},
                {{{5, 5}, {15, 5}, {15, 15}}, {{5, 5}, {15, 15}, {5, 15}}});

    // Box kX+6..kX+14, kY+17..kY+23, 1001..1005 under plans: above the
    // diagonal v = u, so only triangle (c3, c4, c1) reaches it.
    const auto planAt = [](double z) {
        return Corners{{{kX, kY, z}, {kX + 40, kY, z}, {kX + 40, kY + 40, z}, {kX, kY + 40, z}}};
    };
    for (const double z : {1003.0, 1005.0}) {
        SCOPED_TRACE(z);
        expectTrace(planAt(z), {kX + 10, kY + 20, 1003}, {8, 6, 4},
                    {{{6, 17}, {14, 17}, {14, 23}, {6, 23}}});
    }
    expectTrace(planAt(1005.5), {kX + 10, kY + 20, 1003}, {8, 6, 4}, {});
    // A plan half a metre past the same box on every side, from (u, v) =
    // (0, 0) at (kX+5.5, kY+16.5) to (9, 9): cut where it crosses the faces,
    // however near, and halved by the diagonal u = v.
    expectTrace(
        {{{kX + 5.5, kY + 16.5, 1003},
          {kX + 14.5, kY + 16.5, 1003},
          {kX + 14.5, kY + 25.5, 1003},
          {kX + 5.5, kY + 25.5, 1003}}},
        {kX + 10, kY + 20, 1003}, {8, 6, 4},
        {{{0.5, 0.5}, {8.5, 0.5}, {8.5, 6.5}, {6.5, 6.5}}, {{0.5, 0.5}, {6.5, 6.5}, {0.5, 6.5}}});

    // A section inside the box is whole: c1->c4 = (0, 2, 3), square to
    // u = X, makes it 3 by sqrt(13).
    const double h = std::sqrt(13.0);
    expectTrace({{{kX + 1, kY + 1, 1002},
                  {kX + 4, kY + 1, 1002},
                  {kX + 4, kY + 3, 1005},
                  {kX + 1, kY + 3, 1005}}},
                {kX + 5, kY + 5, 1005}, {10, 10, 10},
                {{{0, 0}, {3, 0}, {3, h}}, {{3, h}, {0, h}, {0, 0}}});
}

}  // namespace
}  // namespace vornel
