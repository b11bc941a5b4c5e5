// Random boxes and sections against a brute force over every triangle pair
// in exact constructions, with none of the filters of the code under test.
#include <CGAL/Exact_predicates_exact_constructions_kernel.h>
#include <CGAL/intersections.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <variant>
#include <vector>

#include "TinSurfaces.h"

namespace vornel::test {
namespace {

using Kernel = CGAL::Exact_predicates_exact_constructions_kernel;
using Point3 = Kernel::Point_3;
using Part = std::variant<Point3, Kernel::Segment_3, Kernel::Triangle_3>;

// A triangle without area is the union of its edges, an edge without length
// its end point.
std::vector<Part> partsOf(const TinPntStrcT* pnts, const TinNetStrcT& t) {
    // Copied out first: packed fields must not be bound to references.
    const auto pointOf = [pnts](int n) {
        const double x = pnts[n].x, y = pnts[n].y, z = pnts[n].z;
        return Point3(x, y, z);
    };
    const Point3 v[3] = {pointOf(t.nPnt1), pointOf(t.nPnt2), pointOf(t.nPnt3)};
    if (!CGAL::collinear(v[0], v[1], v[2])) {
        return {Kernel::Triangle_3(v[0], v[1], v[2])};
    }
    std::vector<Part> parts;
    for (int i = 0; i < 3; ++i) {
        const Point3& a = v[i];
        const Point3& b = v[(i + 1) % 3];
        if (a == b) {
            parts.emplace_back(a);
        } else {
            parts.emplace_back(Kernel::Segment_3(a, b));
        }
    }
    return parts;
}

bool meet(const std::vector<Part>& a, const std::vector<Part>& b) {
    for (const Part& x : a) {
        for (const Part& y : b) {
            if (std::visit([](const auto& p, const auto& q) { return CGAL::do_intersect(p, q); }, x,
                           y)) {
                return true;
            }
        }
    }
    return false;
}

TriPairs exactPairs(const BoxSurface& box, const SectionSurface& section) {
    std::vector<std::vector<Part>> sectionParts;
    for (int j = 1; j <= 2; ++j) {
        sectionParts.push_back(partsOf(section.pnts, section.tris[j]));
    }
    TriPairs pairs;
    for (int i = 1; i <= 12; ++i) {
        const std::vector<Part> boxParts = partsOf(box.pnts, box.tris[i]);
        for (int j = 1; j <= 2; ++j) {
            if (meet(boxParts, sectionParts[j - 1])) {
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
            const TinPntStrcT& v = box.pnts[1 + pick(8)];
            if (pick(2) == 0) {
                c[0] = {v.x, v.y, v.z};
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

void expectGridCasesMatch(unsigned seed, const Grid& grid, int n) {
    GridCases cases(seed, grid);
    int hits = 0;
    for (int k = 0; k < n; ++k) {
        const BoxSurface box = cases.box();
        const SectionSurface section = cases.section(box);
        const TriPairs want = exactPairs(box, section);
        ASSERT_EQ(cutPairs(box, section), want) << "case " << k;
        hits += !want.empty();
    }
    EXPECT_GT(hits, n / 10);
    EXPECT_LT(hits, n - n / 10);
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
    int hits = 0;
    const int n = 2000;
    for (int k = 0; k < n; ++k) {
        const D_3DOT size{length(rng), length(rng), k % 7 == 0 ? 0.0 : length(rng)};
        const BoxSurface box({kX + 5, kY + 5, kZ + 5}, size);
        std::array<D_3DOT, 4> c;
        std::generate(c.begin(), c.end(), [&] {
            return D_3DOT{kX + near(rng), kY + near(rng), kZ + near(rng)};
        });
        if (k % 5 == 0) {
            const TinPntStrcT& v = box.pnts[1 + k % 8];
            c[1] = {v.x, v.y, v.z};  // a section through a box corner
        }
        const SectionSurface section(c);
        const TriPairs want = exactPairs(box, section);
        ASSERT_EQ(cutPairs(box, section), want) << "case " << k;
        hits += !want.empty();
    }
    EXPECT_GT(hits, n / 5);
    EXPECT_LT(hits, n - n / 5);
}

}  // namespace
}  // namespace vornel::test
