#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <set>

#include "TinSurfaces.h"
#include "collision/Collision.h"

namespace vornel::test {
namespace {

constexpr double kX = 500000;
constexpr double kY = 3000000;

// A horizontal square section at elevation z covering the plan of every box below.
SectionSurface plan(double z) {
    return SectionSurface({{{kX - 20, kY - 20, z},
                            {kX + 40, kY - 20, z},
                            {kX + 40, kY + 40, z},
                            {kX - 20, kY + 40, z}}});
}

// Boxes 10 x 10 in plan at (kX..kX+10, kY..kY+10).
BoxSurface column(double zLow, double height) {
    return BoxSurface({kX + 5, kY + 5, zLow + height / 2}, {10, 10, height});
}

TEST(geometry_Collision, StackedBoxesShareTheirFace) {
    const BoxSurface lower = column(1000, 5);
    const BoxSurface upper = column(1005, 5);
    EXPECT_TRUE(cuts(lower, plan(1005)));
    EXPECT_TRUE(cuts(upper, plan(1005)));

    const double above = ulpUp(1005.0);
    EXPECT_FALSE(cuts(lower, plan(above)));
    EXPECT_TRUE(cuts(upper, plan(above)));

    const double below = std::nextafter(1005.0, 0.0);
    EXPECT_TRUE(cuts(lower, plan(below)));
    EXPECT_FALSE(cuts(upper, plan(below)));
}

TEST(geometry_Collision, SectionInsideABoxMeetsNothing) {
    const BoxSurface box = column(1000, 10);
    EXPECT_FALSE(cuts(box, SectionSurface({{{kX + 1, kY + 1, 1005},
                                            {kX + 9, kY + 1, 1005},
                                            {kX + 9, kY + 9, 1005},
                                            {kX + 1, kY + 9, 1005}}})));
    EXPECT_FALSE(cuts(box, SectionSurface({{{kX + 1, kY + 5, 1001},
                                            {kX + 9, kY + 5, 1001},
                                            {kX + 9, kY + 5, 1009},
                                            {kX + 1, kY + 5, 1009}}})));
    // The same vertical section reaching one ulp past the X-high face.
    EXPECT_TRUE(cuts(box, SectionSurface({{{kX + 1, kY + 5, 1001},
                                           {kX + 10, kY + 5, 1001},
                                           {kX + 10, kY + 5, 1009},
                                           {kX + 1, kY + 5, 1009}}})));
    EXPECT_FALSE(cuts(box, SectionSurface({{{kX + 1, kY + 5, 1001},
                                            {std::nextafter(kX + 10, 0.0), kY + 5, 1001},
                                            {std::nextafter(kX + 10, 0.0), kY + 5, 1009},
                                            {kX + 1, kY + 5, 1009}}})));
}

// The box spans kX..kX+10, kY..kY+10, 1000..1010. The vertical plane
// x + y = kX + kY + 20 holds its edge x = kX+10, y = kY+10 and nothing else.
TEST(geometry_Collision, TouchingAtAnEdgeOrAVertexCounts) {
    const BoxSurface box = column(1000, 10);
    std::array<D_3DOT, 4> edge = {
        {{kX + 20, kY, 990}, {kX, kY + 20, 990}, {kX, kY + 20, 1020}, {kX + 20, kY, 1020}}};
    EXPECT_TRUE(cuts(box, SectionSurface(edge)));
    for (D_3DOT& c : edge) {
        c.x = ulpUp(c.x);
    }
    EXPECT_FALSE(cuts(box, SectionSurface(edge)));

    // The plane x + y + z = kX + kY + 1030 holds only the corner
    // (kX+10, kY+10, 1010), which is the centre of this parallelogram and
    // so lies on the diagonal both section triangles share.
    std::array<D_3DOT, 4> corner = {{{kX + 30, kY + 10, 990},
                                     {kX + 10, kY + 30, 990},
                                     {kX - 10, kY + 10, 1030},
                                     {kX + 10, kY - 10, 1030}}};
    EXPECT_TRUE(cuts(box, SectionSurface(corner)));
    for (D_3DOT& c : corner) {
        c.z = ulpUp(c.z);
    }
    EXPECT_FALSE(cuts(box, SectionSurface(corner)));
}

TEST(geometry_Collision, PairsNameTrianglesInTheOrderAsked) {
    // A plan section whose corner 1 is the box's vertex 2 (x, y, z high)
    // and which runs away from the box: it meets exactly the three box
    // triangles at vertex 2, with both of its triangles.
    const BoxSurface box = column(1000, 10);
    const SectionSurface section({{{kX + 10, kY + 10, 1010},
                                   {kX + 20, kY + 10, 1010},
                                   {kX + 20, kY + 20, 1010},
                                   {kX + 10, kY + 20, 1010}}});
    EXPECT_EQ(cutPairs(box, section), (TriPairs{{2, 1}, {2, 2}, {3, 1}, {3, 2}, {9, 1}, {9, 2}}));

    const ObbtHandle s = BuildObbtOfPolyh(&section.pnts[1], 4, &section.tris[1], 2);
    const ObbtHandle b = BuildObbtOfPolyh(&box.pnts[1], 8, &box.tris[1], 12);
    EXPECT_EQ(ObbtCollide(s, b, 0.0, 0.0, 1.0, 1.0), 6);
    const ObbtTriPair* pairs = nullptr;
    long count = 0;
    EXPECT_EQ(GetCollideTriPair(s, b, &pairs, &count), 1);
    ASSERT_EQ(count, 6);
    EXPECT_EQ(pairs[0].first, 1);
    EXPECT_EQ(pairs[0].second, 2);
    EXPECT_EQ(GetCollideTriPair(b, s, &pairs, &count), 1);
    ASSERT_EQ(count, 6);
    EXPECT_EQ(pairs[0].first, 2);
    EXPECT_EQ(pairs[0].second, 1);
    EXPECT_EQ(GetCollideTriPair(b, b, &pairs, &count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(pairs, nullptr);
    DeleteObbtObj(b);
    DeleteObbtObj(s);
}

TEST(geometry_Collision, MissingAndRecycledSurfacesGiveNoPairs) {
    const BoxSurface box = column(1000, 10);
    const SectionSurface section = plan(1005 - 5);
    EXPECT_EQ(BuildObbtOfPolyh(nullptr, 8, &box.tris[1], 12), nullptr);
    EXPECT_EQ(BuildObbtOfPolyh(&box.pnts[1], 8, &box.tris[1], 0), nullptr);
    EXPECT_EQ(DeleteObbtObj(nullptr), 0);

    const ObbtHandle s = BuildObbtOfPolyh(&section.pnts[1], 4, &section.tris[1], 2);
    EXPECT_EQ(ObbtCollide(s, nullptr, 0.0, 0.0, 1.0, 1.0), 0);

    const ObbtHandle b = BuildObbtOfPolyh(&box.pnts[1], 8, &box.tris[1], 12);
    EXPECT_GT(ObbtCollide(s, b, 0.0, 0.0, 1.0, 1.0), 0);
    EXPECT_EQ(DeleteObbtObj(b), 1);
    // Freed surfaces are reused, and must not bring the old pairs along.
    const BoxSurface far = column(2000, 10);
    const ObbtHandle again = BuildObbtOfPolyh(&far.pnts[1], 8, &far.tris[1], 12);
    EXPECT_EQ(again, b);
    const ObbtTriPair* pairs = nullptr;
    long count = -1;
    EXPECT_EQ(GetCollideTriPair(again, s, &pairs, &count), 0);
    EXPECT_EQ(count, 0);
    DeleteObbtObj(again);
    DeleteObbtObj(s);
}

TEST(geometry_Collision, UnusableTrianglesAreLeftOut) {
    const SectionSurface section({{{kX + 5, kY - 5, 990},
                                   {kX + 5, kY + 15, 990},
                                   {kX + 5, kY + 15, 1020},
                                   {kX + 5, kY - 5, 1020}}});
    BoxSurface box = column(1000, 10);
    const TriPairs whole = cutPairs(box, section);
    ASSERT_FALSE(whole.empty());

    box.pnts[2].x = std::numeric_limits<double>::quiet_NaN();  // triangles 2, 3 and 9
    box.tris[1].bValid = 0;
    box.tris[5].nPnt2 = 9;
    box.tris[6].nPnt1 = 0;
    box.tris[7].nPnt3 = -1;
    const std::set<int> leftOut = {1, 2, 3, 5, 6, 7, 9};
    TriPairs kept;
    std::copy_if(whole.begin(), whole.end(), std::back_inserter(kept),
                 [&leftOut](const auto& p) { return leftOut.count(p.first) == 0; });
    ASSERT_FALSE(kept.empty());
    EXPECT_EQ(cutPairs(box, section), kept);
}

TEST(geometry_Collision, DegenerateBoxesAreFacesSegmentsAndPoints) {
    const double z = 1005;
    const double above = ulpUp(z);
    const BoxSurface flat({kX + 5, kY + 5, z}, {10, 10, 0});
    EXPECT_TRUE(cuts(flat, plan(z)));
    EXPECT_FALSE(cuts(flat, plan(above)));

    const BoxSurface stick({kX + 5, kY + 5, z}, {0, 0, 10});
    EXPECT_TRUE(cuts(stick, plan(z + 5)));
    EXPECT_FALSE(cuts(stick, plan(ulpUp(z + 5))));
    const std::array<D_3DOT, 4> wall = {
        {{kX, kY + 5, 990}, {kX + 10, kY + 5, 990}, {kX + 10, kY + 5, 1020}, {kX, kY + 5, 1020}}};
    EXPECT_TRUE(cuts(stick, SectionSurface(wall)));
    std::array<D_3DOT, 4> shifted = wall;
    for (D_3DOT& c : shifted) {
        c.y = ulpUp(c.y);
    }
    EXPECT_FALSE(cuts(stick, SectionSurface(shifted)));

    const BoxSurface dot({kX + 5, kY + 5, z}, {0, 0, 0});
    EXPECT_TRUE(cuts(dot, plan(z)));
    EXPECT_FALSE(cuts(dot, plan(above)));
    // On the edge of the section, at its corner 1.
    EXPECT_TRUE(cuts(dot, SectionSurface({{{kX + 5, kY + 5, z},
                                           {kX + 15, kY + 5, z},
                                           {kX + 15, kY + 15, z},
                                           {kX + 5, kY + 15, z}}})));
}

TEST(geometry_Collision, DegenerateSectionsAreSegmentsAndPoints) {
    const BoxSurface box = column(1000, 10);
    // Four corners on one line through the box, in a jumbled order.
    const std::array<D_3DOT, 4> line = {{{kX - 5, kY + 5, 1005},
                                         {kX + 15, kY + 5, 1005},
                                         {kX + 5, kY + 5, 1005},
                                         {kX - 1, kY + 5, 1005}}};
    EXPECT_TRUE(cuts(box, SectionSurface(line)));
    std::array<D_3DOT, 4> skew = line;
    for (D_3DOT& c : skew) {
        c.z = 1010;
    }
    EXPECT_TRUE(cuts(box, SectionSurface(skew)));  // along the top face
    for (D_3DOT& c : skew) {
        c.z = ulpUp(1010.0);
    }
    EXPECT_FALSE(cuts(box, SectionSurface(skew)));

    // A line crossing the stick box at one point, and passing it by an ulp.
    const BoxSurface stick({kX + 5, kY + 5, 1005}, {0, 0, 10});
    EXPECT_TRUE(cuts(stick, SectionSurface(line)));
    std::array<D_3DOT, 4> past = line;
    for (D_3DOT& c : past) {
        c.y = ulpUp(c.y);
    }
    EXPECT_FALSE(cuts(stick, SectionSurface(past)));
    // A line along the stick, overlapping its upper end only.
    const std::array<D_3DOT, 4> along = {{{kX + 5, kY + 5, 1020},
                                          {kX + 5, kY + 5, 1010},
                                          {kX + 5, kY + 5, 1030},
                                          {kX + 5, kY + 5, 1015}}};
    EXPECT_TRUE(cuts(stick, SectionSurface(along)));
    const std::array<D_3DOT, 4> within = {{{kX + 5, kY + 5, 1002},
                                           {kX + 5, kY + 5, 1008},
                                           {kX + 5, kY + 5, 1003},
                                           {kX + 5, kY + 5, 1004}}};
    EXPECT_TRUE(cuts(stick, SectionSurface(within)));
    const std::array<D_3DOT, 4> beyond = {{{kX + 5, kY + 5, 1020},
                                           {kX + 5, kY + 5, ulpUp(1010.0)},
                                           {kX + 5, kY + 5, 1030},
                                           {kX + 5, kY + 5, 1015}}};
    EXPECT_FALSE(cuts(stick, SectionSurface(beyond)));

    const D_3DOT onFace{kX + 3, kY + 4, 1010};
    EXPECT_TRUE(cuts(box, SectionSurface(std::array<D_3DOT, 4>{onFace, onFace, onFace, onFace})));
    const D_3DOT inside{kX + 3, kY + 4, 1005};
    EXPECT_FALSE(cuts(box, SectionSurface(std::array<D_3DOT, 4>{inside, inside, inside, inside})));
}

}  // namespace
}  // namespace vornel::test
