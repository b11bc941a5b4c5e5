// The collision component at mining coordinates, where a unit in the last
// place is 6e-11 m: touching counts, one ulp away does not, and boxes and
// sections without volume or area are faces, segments and points.
#include <gmp.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <new>
#include <set>

#include "TinSurfaces.h"

namespace {

long allocations = 0;

void* countedAlloc(std::size_t n) {
    ++allocations;
    if (void* p = std::malloc(n == 0 ? 1 : n)) {
        return p;
    }
    throw std::bad_alloc();
}

void* gmpRealloc(void* p, std::size_t, std::size_t n) {
    ++allocations;
    return std::realloc(p, n);
}
void gmpFree(void* p, std::size_t) {
    std::free(p);
}

}  // namespace

void* operator new(std::size_t n) {
    return countedAlloc(n);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

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

// The section through these corners with one coordinate of each moved by an ulp.
SectionSurface moved(std::array<D_3DOT, 4> corners, double D_3DOT::*axis) {
    for (D_3DOT& c : corners) {
        c.*axis = ulpUp(c.*axis);
    }
    return SectionSurface(corners);
}

// The sections through the box's edge x = kX+10, y = kY+10, and through its corner (kX+10, kY+10,
// 1010).
const std::array<D_3DOT, 4> kEdge = {
    {{kX + 20, kY, 990}, {kX, kY + 20, 990}, {kX, kY + 20, 1020}, {kX + 20, kY, 1020}}};

SectionSurface point(D_3DOT p) {
    return SectionSurface(std::array<D_3DOT, 4>{p, p, p, p});
}

TEST(geometry_Collision, TouchingCountsAndAnUlpAwayDoesNot) {
    const BoxSurface lower = column(1000, 5), upper = column(1005, 5), box = column(1000, 10);
    const BoxSurface flat({kX + 5, kY + 5, 1005}, {10, 10, 0});
    const BoxSurface stick({kX + 5, kY + 5, 1005}, {0, 0, 10});
    const BoxSurface dot({kX + 5, kY + 5, 1005}, {0, 0, 0});
    const double below = std::nextafter(1005.0, 0.0);
    // Vertical sections at y = kY+5, inside the box or reaching its X-high face.
    const auto vertical = [](double x1) {
        return std::array<D_3DOT, 4>{{{kX + 1, kY + 5, 1001},
                                      {x1, kY + 5, 1001},
                                      {x1, kY + 5, 1009},
                                      {kX + 1, kY + 5, 1009}}};
    };
    // The plane x + y + z = kX + kY + 1030 holds only the box's corner
    // (kX+10, kY+10, 1010), the centre of this parallelogram, on the diagonal
    // both section triangles share.
    const std::array<D_3DOT, 4> corner = {{{kX + 30, kY + 10, 990},
                                           {kX + 10, kY + 30, 990},
                                           {kX - 10, kY + 10, 1030},
                                           {kX + 10, kY - 10, 1030}}};
    const std::array<D_3DOT, 4> wall = {
        {{kX, kY + 5, 990}, {kX + 10, kY + 5, 990}, {kX + 10, kY + 5, 1020}, {kX, kY + 5, 1020}}};
    // Four corners on one line through the box, in a jumbled order; lines along the stick.
    const std::array<D_3DOT, 4> line = {{{kX - 5, kY + 5, 1005},
                                         {kX + 15, kY + 5, 1005},
                                         {kX + 5, kY + 5, 1005},
                                         {kX - 1, kY + 5, 1005}}};
    std::array<D_3DOT, 4> onTop = line;
    for (D_3DOT& c : onTop) {
        c.z = 1010;
    }
    const auto alongStick = [](double a, double b, double c, double d) {
        return SectionSurface(
            {{{kX + 5, kY + 5, a}, {kX + 5, kY + 5, b}, {kX + 5, kY + 5, c}, {kX + 5, kY + 5, d}}});
    };
    struct Case {
        const char* what;
        const BoxSurface& box;
        SectionSurface section;
        bool cuts;
    };
    const Case cases[] = {
        {"a plan on a shared face, lower layer", lower, plan(1005), true},
        {"a plan on a shared face, upper layer", upper, plan(1005), true},
        {"an ulp above, lower layer", lower, plan(ulpUp(1005.0)), false},
        {"an ulp above, upper layer", upper, plan(ulpUp(1005.0)), true},
        {"an ulp below, lower layer", lower, plan(below), true},
        {"an ulp below, upper layer", upper, plan(below), false},
        {"a plan inside", box,
         SectionSurface({{{kX + 1, kY + 1, 1005},
                          {kX + 9, kY + 1, 1005},
                          {kX + 9, kY + 9, 1005},
                          {kX + 1, kY + 9, 1005}}}),
         false},
        {"a vertical section inside", box, SectionSurface(vertical(kX + 9)), false},
        {"reaching the face", box, SectionSurface(vertical(kX + 10)), true},
        {"an ulp short of the face", box, SectionSurface(vertical(std::nextafter(kX + 10, 0.0))),
         false},
        {"through an edge", box, SectionSurface(kEdge), true},
        {"an ulp past the edge", box, moved(kEdge, &D_3DOT::x), false},
        {"through a corner", box, SectionSurface(corner), true},
        {"an ulp past the corner", box, moved(corner, &D_3DOT::z), false},
        {"a flat box in the plan", flat, plan(1005), true},
        {"a flat box under the plan", flat, plan(ulpUp(1005.0)), false},
        {"a stick's end in the plan", stick, plan(1010), true},
        {"a stick under the plan", stick, plan(ulpUp(1010.0)), false},
        {"a wall through the stick", stick, SectionSurface(wall), true},
        {"a wall an ulp beside it", stick, moved(wall, &D_3DOT::y), false},
        {"a dot in the plan", dot, plan(1005), true},
        {"a dot under the plan", dot, plan(ulpUp(1005.0)), false},
        {"a dot on the section's corner", dot,
         SectionSurface({{{kX + 5, kY + 5, 1005},
                          {kX + 15, kY + 5, 1005},
                          {kX + 15, kY + 15, 1005},
                          {kX + 5, kY + 15, 1005}}}),
         true},
        {"a line through the box", box, SectionSurface(line), true},
        {"a line along the top face", box, SectionSurface(onTop), true},
        {"a line an ulp above it", box, moved(onTop, &D_3DOT::z), false},
        {"a line crossing the stick", stick, SectionSurface(line), true},
        {"a line passing it by an ulp", stick, moved(line, &D_3DOT::y), false},
        {"a line along the stick, over its end", stick, alongStick(1020, 1010, 1030, 1015), true},
        {"a line along the stick, within it", stick, alongStick(1002, 1008, 1003, 1004), true},
        {"a line along the stick, an ulp beyond", stick,
         alongStick(1020, ulpUp(1010.0), 1030, 1015), false},
        {"a point on a face", box, point({kX + 3, kY + 4, 1010}), true},
        {"a point inside", box, point({kX + 3, kY + 4, 1005}), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cuts(c.box, c.section), c.cuts) << c.what;
    }
}

TEST(geometry_Collision, PairsComeInTheOrderAskedAndSurfacesAreRecycledClean) {
    // A plan section whose corner 1 is the box's vertex 2 (x, y, z high)
    // and which runs away from the box meets exactly the three box
    // triangles at vertex 2, with both of its triangles.
    const BoxSurface box = column(1000, 10);
    const SectionSurface section({{{kX + 10, kY + 10, 1010},
                                   {kX + 20, kY + 10, 1010},
                                   {kX + 20, kY + 20, 1010},
                                   {kX + 10, kY + 20, 1010}}});
    EXPECT_EQ(cutPairs(box, section), (TriPairs{{2, 1}, {2, 2}, {3, 1}, {3, 2}, {9, 1}, {9, 2}}));
    EXPECT_EQ(BuildObbtOfPolyh(nullptr, 8, &box.tris[1], 12), nullptr);
    EXPECT_EQ(BuildObbtOfPolyh(&box.pnts[1], 8, &box.tris[1], 0), nullptr);
    EXPECT_EQ(DeleteObbtObj(nullptr), 0);

    const ObbtHandle s = BuildObbtOfPolyh(&section.pnts[1], 4, &section.tris[1], 2);
    EXPECT_EQ(ObbtCollide(s, nullptr, 0.0, 0.0, 1.0, 1.0), 0);
    const ObbtHandle b = BuildObbtOfPolyh(&box.pnts[1], 8, &box.tris[1], 12);
    EXPECT_EQ(ObbtCollide(s, b, 0.0, 0.0, 1.0, 1.0), 6);
    const ObbtTriPair* pairs = nullptr;
    long count = 0;
    EXPECT_EQ(GetCollideTriPair(s, b, &pairs, &count), 1);
    ASSERT_EQ(count, 6);
    EXPECT_EQ(std::make_pair(pairs[0].first, pairs[0].second), std::make_pair(1, 2));
    EXPECT_EQ(GetCollideTriPair(b, s, &pairs, &count), 1);
    EXPECT_EQ(std::make_pair(pairs[0].first, pairs[0].second), std::make_pair(2, 1));
    EXPECT_EQ(GetCollideTriPair(b, b, &pairs, &count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(pairs, nullptr);
    // A freed surface is reused, and must not bring the old pairs along,
    // here as the second surface of the last collision.
    EXPECT_EQ(ObbtCollide(s, b, 0.0, 0.0, 1.0, 1.0), 6);
    EXPECT_EQ(DeleteObbtObj(b), 1);
    const BoxSurface far = column(2000, 10);
    const ObbtHandle again = BuildObbtOfPolyh(&far.pnts[1], 8, &far.tris[1], 12);
    EXPECT_EQ(again, b);
    count = -1;
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

// Boxes crossed, touched at a face, an edge or a vertex, missed, and boxes
// without volume, so that the exact fallbacks run too.
long boxesCut(const SectionSurface& section) {
    long hits = 0;
    for (int i = 0; i < 40; ++i) {
        const BoxSurface box({kX + 5 + 10 * (i % 3), kY + 5, 1000 + 2.5 * (i % 5)},
                             {10.0 * (i % 4 != 0), 10, 5.0 * (i % 3 != 0)});
        hits += cuts(box, section);
    }
    return hits;
}

// The block cut runs one build, collision and delete per block: a warm
// thread must do them without touching the heap.
TEST(geometry_Collision, WarmBoxTestsAllocateNothing) {
    mp_set_memory_functions([](std::size_t n) { return countedAlloc(n); }, gmpRealloc, gmpFree);
    const long warm = boxesCut(plan(1005)) + boxesCut(SectionSurface(kEdge));
    allocations = 0;
    const long again = boxesCut(plan(1005)) + boxesCut(SectionSurface(kEdge));
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(again, warm);
    EXPECT_GT(warm, 10);
}

}  // namespace
}  // namespace vornel::test
