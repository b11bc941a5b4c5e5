// Random boxes and sections against a brute force over every triangle pair
// in exact constructions.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "ExactParts.h"
#include "TinSurfaces.h"

namespace vornel::test {
namespace {

// Copied out first: packed fields must not be bound to references.
D_3DOT vertex(const TinPntStrcT* pnts, int n) {
    return {pnts[n].x, pnts[n].y, pnts[n].z};
}

TriPairs exactPairs(const BoxSurface& box, const SectionSurface& section) {
    std::array<D_3DOT, 4> corners;
    for (int k = 0; k < 4; ++k) {
        corners[k] = vertex(section.pnts, k + 1);
    }
    const ExactParts sectionTriangles[2] = {sectionParts(corners, 1), sectionParts(corners, 2)};
    TriPairs pairs;
    for (int i = 1; i <= 12; ++i) {
        const TinNetStrcT& t = box.tris[i];
        const ExactParts boxTriangle = triangleParts(
            vertex(box.pnts, t.nPnt1), vertex(box.pnts, t.nPnt2), vertex(box.pnts, t.nPnt3));
        for (int j = 1; j <= 2; ++j) {
            if (meet(boxTriangle, sectionTriangles[j - 1])) {
                pairs.emplace_back(i, j);
            }
        }
    }
    return pairs;
}

constexpr double kX = 500000;
constexpr double kY = 3000000;
constexpr double kZ = 1000;

struct Grid {
    D_3DOT origin;
    double step;
    bool degenerate;  // boxes mostly without volume, sections without area
};

// Small grids make sections lie on box faces, pass through edges and
// corners, and lose their area, far more often than chance would.
class GridCases {
public:
    GridCases(unsigned seed, const Grid& grid) : rng_(seed), grid_(grid) {}

    BoxSurface box() {
        const D_3DOT size{length(), length(), length()};
        return BoxSurface(
            {at(grid_.origin.x, pick(4)) + size.x / 2, at(grid_.origin.y, pick(4)) + size.y / 2,
             at(grid_.origin.z, pick(4)) + size.z / 2},
            size);
    }

    SectionSurface section(const BoxSurface& box) {
        std::array<D_3DOT, 4> c = {corner(), corner(), corner(), corner()};
        if (grid_.degenerate) {
            // Through a box vertex, and often along a grid line, so that
            // segments overlap, cross and end on one another.
            if (pick(2) == 0) {
                c[0] = vertex(box.pnts, 1 + pick(8));
            }
            if (pick(2) == 0) {
                c[1] = {pick(3) == 0 ? c[1].x : c[0].x, pick(3) == 1 ? c[1].y : c[0].y,
                        pick(3) == 2 ? c[1].z : c[0].z};
            }
        }
        switch (grid_.degenerate ? 2 + pick(2) : pick(6)) {
            case 0:  // plan
                c[1].z = c[2].z = c[3].z = c[0].z;
                break;
            case 1:  // vertical, along c0-c1
                c[2] = {c[1].x, c[1].y, c[2].z};
                c[3] = {c[0].x, c[0].y, c[2].z};
                break;
            case 2:  // all corners on one line, in any order
                for (int i = 1; i < 4; ++i) {
                    const double t = pick(5) - 2;
                    c[i] = {c[0].x + t * (c[1].x - c[0].x), c[0].y + t * (c[1].y - c[0].y),
                            c[0].z + t * (c[1].z - c[0].z)};
                }
                break;
            case 3:  // one point
                c[1] = c[2] = c[3] = c[0];
                break;
            default:  // anything, folded or not
                break;
        }
        return SectionSurface(c);
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    double at(double origin, int cells) const { return origin + cells * grid_.step; }
    double length() { return grid_.degenerate && pick(4) != 0 ? 0.0 : pick(4) * grid_.step; }
    D_3DOT corner() {
        return {at(grid_.origin.x, pick(7) - 1), at(grid_.origin.y, pick(7) - 1),
                at(grid_.origin.z, pick(7) - 1)};
    }

    std::mt19937 rng_;
    Grid grid_;
};

// n cases from next(k); a fair share of them must cut and of them miss, or
// they test little.
template <class Next>
void expectCasesMatch(int n, int share, Next next) {
    int hits = 0;
    for (int k = 0; k < n; ++k) {
        const auto [box, section] = next(k);
        const TriPairs want = exactPairs(box, section);
        ASSERT_EQ(cutPairs(box, section), want) << "case " << k;
        hits += !want.empty();
    }
    EXPECT_GT(hits, n / share);
    EXPECT_LT(hits, n - n / share);
}

void expectGridCasesMatch(unsigned seed, const Grid& grid, int n) {
    GridCases cases(seed, grid);
    expectCasesMatch(n, 10, [&cases](int) {
        const BoxSurface box = cases.box();
        return std::make_pair(box, cases.section(box));
    });
}

TEST(geometry_CollisionRandom, GridAlignedCasesMatchExactBruteForce) {
    expectGridCasesMatch(20260105u, {{kX, kY, kZ}, 1.0, false}, 3000);
    expectGridCasesMatch(4711u, {{kX, kY, kZ}, 1.0, true}, 1500);
    // Across the binades at 2^19 and 2^10, where differences of these
    // coordinates stop being exact in doubles.
    expectGridCasesMatch(99u, {{524288 - 0.3, kY + 0.1, 1024 - 0.7}, 0.1, false}, 1000);
    expectGridCasesMatch(98u, {{524288 - 0.3, kY + 0.1, 1024 - 0.7}, 0.1, true}, 1000);
}

TEST(geometry_CollisionRandom, FreeCasesMatchExactBruteForce) {
    std::mt19937 rng(77u);
    std::uniform_real_distribution<double> near(-3.0, 13.0);
    std::uniform_real_distribution<double> length(0.0, 10.0);
    expectCasesMatch(2000, 5, [&](int k) {
        const D_3DOT size{length(rng), length(rng), k % 7 == 0 ? 0.0 : length(rng)};
        const BoxSurface box({kX + 5, kY + 5, kZ + 5}, size);
        std::array<D_3DOT, 4> c;
        std::generate(c.begin(), c.end(), [&] {
            return D_3DOT{kX + near(rng), kY + near(rng), kZ + near(rng)};
        });
        if (k % 5 == 0) {
            c[1] = vertex(box.pnts, 1 + k % 8);  // a section through a box corner
        }
        return std::make_pair(box, SectionSurface(c));
    });
}

}  // namespace
}  // namespace vornel::test
