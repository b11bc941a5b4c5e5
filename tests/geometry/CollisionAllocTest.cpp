// A warm thread must test box after box without touching the heap: the
// block cut runs one build, collision and delete per block.
#include <gmp.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "TinSurfaces.h"
#include "collision/Collision.h"
#include "geometry/BoxTin.h"

namespace {

long allocations = 0;

void* countedAlloc(std::size_t n) {
    ++allocations;
    if (void* p = std::malloc(n == 0 ? 1 : n)) {
        return p;
    }
    throw std::bad_alloc();
}

void* gmpAlloc(std::size_t n) {
    return countedAlloc(n);
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

// Crossing, touching at a face, an edge and a vertex, missing, and boxes
// without volume, so that the exact fallbacks run too.
void testBoxes(const SectionSurface& section, long& hits) {
    const ObbtHandle s = BuildObbtOfPolyh(&section.pnts[1], 4, &section.tris[1], 2);
    TinPntStrcT pnts[9];
    TinNetStrcT tris[13];
    for (int i = 0; i < 40; ++i) {
        const D_3DOT centre{kX + 5 + 10 * (i % 3), kY + 5, 1000 + 2.5 * (i % 5)};
        const D_3DOT size{10.0 * (i % 4 != 0), 10, 5.0 * (i % 3 != 0)};
        geometry::buildVolTin(centre, size, geometry::kOriginAtCentre, pnts, tris);
        const ObbtHandle b = BuildObbtOfPolyh(&pnts[1], 8, &tris[1], 12);
        ObbtCollide(s, b, 0.0, 0.0, 1.0, 1.0);
        const ObbtTriPair* pairs = nullptr;
        long count = 0;
        GetCollideTriPair(b, s, &pairs, &count);
        hits += count > 0;
        DeleteObbtObj(b);
    }
    DeleteObbtObj(s);
}

TEST(geometry_CollisionAlloc, WarmBoxTestsAllocateNothing) {
    mp_set_memory_functions(gmpAlloc, gmpRealloc, gmpFree);
    const SectionSurface plan({{{kX - 20, kY - 20, 1005},
                                {kX + 40, kY - 20, 1005},
                                {kX + 40, kY + 40, 1005},
                                {kX - 20, kY + 40, 1005}}});
    const SectionSurface edge(
        {{{kX + 20, kY, 990}, {kX, kY + 20, 990}, {kX, kY + 20, 1020}, {kX + 20, kY, 1020}}});
    long hits = 0;
    testBoxes(plan, hits);
    testBoxes(edge, hits);
    const long warm = hits;

    allocations = 0;
    testBoxes(plan, hits);
    testBoxes(edge, hits);
    const long counted = allocations;
    EXPECT_EQ(counted, 0);
    EXPECT_EQ(hits, 2 * warm);
    EXPECT_GT(warm, 10);
}

}  // namespace
}  // namespace vornel::test
