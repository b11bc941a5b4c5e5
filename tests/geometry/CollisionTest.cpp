// The collision component, built and called the way the block cut does it:
// random boxes and sections at mining coordinates against a brute force over
// every triangle pair in exact constructions, then its calling contract.
#include <gmp.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <new>
#include <vector>

#include "ExactParts.h"
#include "RandomShapes.h"
#include "collision/Collision.h"
#include "geometry/BoxTin.h"
#include "support/Allocations.h"

namespace {

void* gmpRealloc(void* p, std::size_t, std::size_t n) {
    ++vornel::test::allocations;
    return std::realloc(p, n);
}
void gmpFree(void* p, std::size_t) {
    std::free(p);
}

}  // namespace

namespace vornel::test {
namespace {

constexpr double kX = 500000;
constexpr double kY = 3000000;

// A box and a section, as the records the block cut builds.
struct Surfaces {
    Surfaces(const D_3DOT& centre, const D_3DOT& size) {
        geometry::buildVolTin(centre, size, geometry::kOriginAtCentre, box, boxTris);
    }
    Surfaces& through(const std::array<D_3DOT, 4>& corners) {
        for (int i = 1; i <= 4; ++i) {
            section[i] = {corners[i - 1].x, corners[i - 1].y, corners[i - 1].z, 0, 1};
        }
        return *this;
    }
    // Copied out: packed fields must not be bound to references.
    D_3DOT boxVertex(int n) const { return {box[n].x, box[n].y, box[n].z}; }

    TinPntStrcT box[9] = {};
    TinNetStrcT boxTris[13] = {};
    TinPntStrcT section[5] = {};
    TinNetStrcT sectionTris[3] = {{}, {1, 2, 3, 0, 0, 0, 1}, {3, 4, 1, 0, 0, 0, 1}};
};

using TriPairs = std::vector<std::pair<int, int>>;

// Builds both surfaces, collides them, hands the pairs, box first, to take
// and frees both.
template <class Take>
auto collide(const Surfaces& s, Take take) {
    // Copied into arrays of their exact size, so that a read past the end is
    // one the sanitizer sees; kept from call to call, so that a warm call
    // allocates nothing.
    static std::vector<TinPntStrcT> sectionPoints(4), boxPoints(8);
    static std::vector<TinNetStrcT> sectionTris(2), boxTris(12);
    std::copy(&s.section[1], &s.section[5], sectionPoints.begin());
    std::copy(&s.sectionTris[1], &s.sectionTris[3], sectionTris.begin());
    std::copy(&s.box[1], &s.box[9], boxPoints.begin());
    std::copy(&s.boxTris[1], &s.boxTris[13], boxTris.begin());
    const ObbtHandle section = BuildObbtOfPolyh(sectionPoints.data(), 4, sectionTris.data(), 2);
    const ObbtHandle box = BuildObbtOfPolyh(boxPoints.data(), 8, boxTris.data(), 12);
    ObbtCollide(section, box, 0.0, 0.0, 1.0, 1.0);
    const ObbtTriPair* list = nullptr;
    long count = 0;
    GetCollideTriPair(box, section, &list, &count);
    auto taken = take(list, count);
    DeleteObbtObj(box);
    DeleteObbtObj(section);
    return taken;
}

// (box triangle, section triangle), sorted.
TriPairs cutPairs(const Surfaces& s) {
    return collide(s, [](const ObbtTriPair* list, long count) {
        TriPairs pairs;
        for (long i = 0; i < count; ++i) {
            pairs.emplace_back(list[i].first, list[i].second);
        }
        std::sort(pairs.begin(), pairs.end());
        return pairs;
    });
}

TriPairs exactPairs(const Surfaces& s, const std::array<D_3DOT, 4>& corners) {
    const ExactParts sectionTriangles[2] = {sectionParts(corners, 1), sectionParts(corners, 2)};
    TriPairs pairs;
    for (int i = 1; i <= 12; ++i) {
        const TinNetStrcT t = s.boxTris[i];
        const ExactParts boxTriangle =
            triangleParts(s.boxVertex(t.nPnt1), s.boxVertex(t.nPnt2), s.boxVertex(t.nPnt3));
        for (int j = 1; j <= 2; ++j) {
            if (meet(boxTriangle, sectionTriangles[j - 1])) {
                pairs.emplace_back(i, j);
            }
        }
    }
    return pairs;
}

TEST(geometry_Collision, RandomCasesMatchExactBruteForce) {
    // At mining coordinates, and across the binades at 2^19 and 2^10, where
    // differences of coordinates stop being exact in doubles.
    const Grid grids[] = {{{kX, kY, 1000}, 1.0, 5}, {{524288 - 0.3, kY + 0.1, 1024 - 0.7}, 0.1, 5}};
    for (const Grid& grid : grids) {
        RandomShapes shapes(20261205u, grid);
        const int n = 4000;
        int hits = 0;
        for (int k = 0; k < n; ++k) {
            const auto [centre, size] = shapes.box();
            Surfaces s(centre, size);
            const auto corners = shapes.section(s.boxVertex(1 + shapes.pick(8)));
            s.through(corners);
            const TriPairs want = exactPairs(s, corners);
            ASSERT_EQ(cutPairs(s), want) << "case " << k;
            hits += !want.empty();
        }
        EXPECT_GT(hits, n / 10);
        EXPECT_LT(hits, n - n / 10);
    }
}

TEST(geometry_Collision, PairsComeInTheOrderAskedAndSurfacesAreRecycledClean) {
    // Corner 1 of this plan is the box's vertex 2 (x, y, z high), and the plan
    // runs away from the box: both its triangles meet the three box triangles
    // at vertex 2 and no others.
    Surfaces s({kX + 5, kY + 5, 1005}, {10, 10, 10});
    s.through({{{kX + 10, kY + 10, 1010},
                {kX + 20, kY + 10, 1010},
                {kX + 20, kY + 20, 1010},
                {kX + 10, kY + 20, 1010}}});
    EXPECT_EQ(cutPairs(s), (TriPairs{{2, 1}, {2, 2}, {3, 1}, {3, 2}, {9, 1}, {9, 2}}));
    EXPECT_EQ(BuildObbtOfPolyh(nullptr, 8, &s.boxTris[1], 12), nullptr);
    EXPECT_EQ(BuildObbtOfPolyh(&s.box[1], 8, nullptr, 12), nullptr);
    EXPECT_EQ(BuildObbtOfPolyh(&s.box[1], 0, &s.boxTris[1], 12), nullptr);
    EXPECT_EQ(BuildObbtOfPolyh(&s.box[1], 8, &s.boxTris[1], 0), nullptr);
    EXPECT_EQ(DeleteObbtObj(nullptr), 0);

    const ObbtHandle section = BuildObbtOfPolyh(&s.section[1], 4, &s.sectionTris[1], 2);
    EXPECT_EQ(ObbtCollide(section, nullptr, 0.0, 0.0, 1.0, 1.0), 0);
    const ObbtHandle box = BuildObbtOfPolyh(&s.box[1], 8, &s.boxTris[1], 12);
    EXPECT_EQ(ObbtCollide(section, box, 0.0, 0.0, 1.0, 1.0), 6);
    const ObbtTriPair* pairs = nullptr;
    long count = 0;
    EXPECT_EQ(GetCollideTriPair(section, box, &pairs, &count), 1);
    ASSERT_EQ(count, 6);
    EXPECT_EQ(std::make_pair(pairs[0].first, pairs[0].second), std::make_pair(1, 2));
    EXPECT_EQ(GetCollideTriPair(box, section, &pairs, &count), 1);
    EXPECT_EQ(std::make_pair(pairs[0].first, pairs[0].second), std::make_pair(2, 1));
    EXPECT_EQ(GetCollideTriPair(box, box, &pairs, &count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(pairs, nullptr);
    // A freed surface is reused, and must not bring the old pairs along,
    // here as the second surface of the last collision.
    EXPECT_EQ(ObbtCollide(section, box, 0.0, 0.0, 1.0, 1.0), 6);
    EXPECT_EQ(DeleteObbtObj(box), 1);
    const Surfaces far({kX + 5, kY + 5, 2005}, {10, 10, 10});
    const ObbtHandle again = BuildObbtOfPolyh(&far.box[1], 8, &far.boxTris[1], 12);
    EXPECT_EQ(again, box);
    count = -1;
    EXPECT_EQ(GetCollideTriPair(again, section, &pairs, &count), 0);
    EXPECT_EQ(count, 0);
    DeleteObbtObj(again);
    DeleteObbtObj(section);
}

TEST(geometry_Collision, UnusableTrianglesAreLeftOut) {
    // The plane x = kX+5 through the middle of the box meets eight of its triangles.
    Surfaces s({kX + 5, kY + 5, 1005}, {10, 10, 10});
    s.through({{{kX + 5, kY - 5, 990},
                {kX + 5, kY + 15, 990},
                {kX + 5, kY + 15, 1020},
                {kX + 5, kY - 5, 1020}}});
    const TriPairs whole = cutPairs(s);
    s.box[2].x = std::numeric_limits<double>::quiet_NaN();  // triangles 2, 3 and 9
    s.boxTris[1].bValid = 0;
    s.boxTris[5].nPnt2 = 9;
    s.boxTris[6].nPnt1 = 0;
    s.boxTris[7].nPnt3 = -1;
    TriPairs kept;
    for (const auto& p : whole) {
        if (p.first == 4 || p.first == 8 || p.first >= 10) {  // 1-3, 5-7 and 9 are unusable
            kept.push_back(p);
        }
    }
    ASSERT_FALSE(kept.empty());
    ASSERT_NE(kept.size(), whole.size());
    EXPECT_EQ(cutPairs(s), kept);
}

// A freed surface is kept for the next build where there is room to keep
// it; with memory run out it goes at once, and the delete throws nothing
// (the cut deletes its section's surface in a destructor).
TEST(geometry_Collision, SurfacesFreedWithoutMemoryLeftGoAtOnce) {
    const Surfaces s({kX + 5, kY + 5, 1005}, {10, 10, 10});
    // More than any test keeps, so that keeping them all needs more room.
    std::vector<ObbtHandle> built(1000);
    for (ObbtHandle& h : built) {
        h = BuildObbtOfPolyh(&s.box[1], 8, &s.boxTris[1], 12);
    }
    long deleted = 0;
    bool threw = false;
    bool ranOut = false;
    {
        const FailingAllocation failing(1, true);
        try {
            for (ObbtHandle h : built) {
                deleted += DeleteObbtObj(h);
            }
        } catch (const std::bad_alloc&) {
            threw = true;
        }
        ranOut = failing.failed();
    }
    EXPECT_TRUE(ranOut);
    EXPECT_FALSE(threw);
    EXPECT_EQ(deleted, 1000);
}

// The block cut runs one build, collision and delete per block: a warm
// thread must do them without touching the heap, the exact tests of boxes
// without volume included. Only a case that doubles cannot decide, a
// coordinate or so an ulp off, takes memory: CGAL signals it with an exception.
TEST(geometry_Collision, WarmBoxTestsAllocateNothing) {
    mp_set_memory_functions(allocate, gmpRealloc, gmpFree);
    const auto boxesCut = [] {
        long hits = 0;
        RandomShapes shapes(7u, {{kX, kY, 1000}, 1.0, 5, false});
        for (int k = 0; k < 200; ++k) {
            const auto [centre, size] = shapes.box();
            Surfaces s(centre, size);
            hits += collide(s.through(shapes.section({kX, kY, 1000})),
                            [](const ObbtTriPair*, long count) { return count > 0; });
        }
        return hits;
    };
    const long warm = boxesCut();
    allocations = 0;
    const long again = boxesCut();
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(again, warm);
    EXPECT_GT(warm, 10);
}

}  // namespace
}  // namespace vornel::test
