#include "DemoBlocks.h"

#include <cmath>
#include <cstdint>
#include <map>

#include "BoxUnion.h"
#include "ProgressBar.h"
#include "RecordFields.h"

namespace vornel::cli {
namespace {

// Below this grade the demo's blocks count as waste (Ore_Propro 0).
constexpr double kOreCutoff = 0.3;

void fillBlock(KrigBlockResult& b, int32_t id, const Box& cell, const DemoEstimate& e,
               double coefficient) {
    b.Krig_BlockID = id;
    placeBlock(b, cell);
    b.Block_Coef = coefficient;
    b.Krig_OutAttr = e.grade;
    b.Krig_OutVari = e.variance;
    b.Srch_Degr = e.searchPass;
    b.Krig_PntNum = e.samples;
    b.Krig_EngZKNum = e.samples;
    b.Krig_MeanDis = e.meanDistance;
    copyText(b.Krig_ResType, e.category);
    copyText(b.Krig_OreType, e.oreType);
    b.Krig_Bound = coefficient < 1 ? 1 : 0;
    b.Block_Vol = cell.volume() * coefficient;
    b.Ore_Propro = e.grade >= kOreCutoff ? 1 : 0;
    b.Block_CorMass = b.Block_Vol * e.density;
    b.Block_OreMass = b.Block_CorMass * b.Ore_Propro;
}

// A block cut by the boundary: the inside sub-cells, merged into runs along
// X; the grade is their mean, the other values those at their centroid.
void addSplitBlock(const DemoOreBody& body, const DemoGrid& g, const Box& cell, int32_t& id,
                   BlockList& blocks) {
    const int s = g.split;
    const double sub = g.edge / s;
    std::vector<Box> runs;
    int inside = 0;
    double gradeSum = 0;
    D_3DOT centroid{0, 0, 0};
    const double x0 = cell.low(0);
    for (int kk = 0; kk < s; ++kk) {
        const double z = cell.low(2) + (kk + 0.5) * sub;
        for (int jj = 0; jj < s; ++jj) {
            const double y = cell.low(1) + (jj + 0.5) * sub;
            int runStart = -1;
            for (int ii = 0; ii <= s; ++ii) {
                const D_3DOT p{x0 + (ii + 0.5) * sub, y, z};
                const bool in = ii < s && body.inside(p);
                if (in) {
                    ++inside;
                    gradeSum += body.grade(p);
                    centroid = {centroid.x + p.x, centroid.y + p.y, centroid.z + p.z};
                    runStart = runStart < 0 ? ii : runStart;
                } else if (runStart >= 0) {
                    const double length = (ii - runStart) * sub;
                    runs.push_back({{x0 + runStart * sub + length / 2, y, z}, {length, sub, sub}});
                    runStart = -1;
                }
            }
        }
    }
    if (inside == 0) {
        return;
    }
    const D_3DOT at{centroid.x / inside, centroid.y / inside, centroid.z / inside};
    DemoEstimate e = body.estimate(at);
    e.grade = gradeSum / inside;
    const int cells = s * s * s;
    const bool whole = inside == cells;
    KrigBlockResult& b = blocks.add(whole ? 0 : static_cast<int>(runs.size()));
    fillBlock(b, ++id, cell, e, whole ? 1.0 : static_cast<double>(inside) / cells);
    for (int r = 0; r < b.SubBUD_Num; ++r) {
        b.SubBUD_PntLoc[r] = runs[r].centre;
        b.SubBUD_GridSize[r] = runs[r].size;
    }
}

}  // namespace

Box DemoGrid::cell(int i, int j, int k) const {
    return {{origin.x + (i + 0.5) * edge, origin.y + (j + 0.5) * edge, origin.z + (k + 0.5) * edge},
            {edge, edge, edge}};
}

DemoGrid demoGrid(const DemoOreBody& body, double edge) {
    const D_3DOT c = body.centre();
    const D_3DOT h = body.halfExtent();
    DemoGrid g;
    g.edge = edge;
    // One spare block on every side, the corner on a round coordinate.
    g.origin = {std::floor((c.x - h.x) / edge - 1) * edge,
                std::floor((c.y - h.y) / edge - 1) * edge,
                std::floor((c.z - h.z) / edge - 1) * edge};
    g.nx = static_cast<int>(std::ceil((c.x + h.x - g.origin.x) / edge)) + 1;
    g.ny = static_cast<int>(std::ceil((c.y + h.y - g.origin.y) / edge)) + 1;
    g.nz = static_cast<int>(std::ceil((c.z + h.z - g.origin.z) / edge)) + 1;
    return g;
}

void buildDemoBlocks(const DemoOreBody& body, const DemoGrid& g, BlockList& blocks) {
    // Whether each grid corner is inside, computed once for the eight
    // blocks that share it.
    const size_t cx = g.nx + 1;
    const size_t cy = g.ny + 1;
    std::vector<uint8_t> corner(cx * cy * (g.nz + 1));
    for (int k = 0; k <= g.nz; ++k) {
        for (int j = 0; j <= g.ny; ++j) {
            for (int i = 0; i <= g.nx; ++i) {
                corner[(k * cy + j) * cx + i] = body.inside(
                    {g.origin.x + i * g.edge, g.origin.y + j * g.edge, g.origin.z + k * g.edge});
            }
        }
    }
    ProgressBar bar("building the model");
    int32_t id = 0;
    for (int k = 0; k < g.nz; ++k) {
        bar.update(static_cast<double>(k) / g.nz);
        for (int j = 0; j < g.ny; ++j) {
            for (int i = 0; i < g.nx; ++i) {
                int in = 0;
                for (int c = 0; c < 8; ++c) {
                    in += corner[((k + (c >> 2)) * cy + j + ((c >> 1) & 1)) * cx + i + (c & 1)];
                }
                const Box cell = g.cell(i, j, k);
                if (in == 8) {
                    fillBlock(blocks.add(0), ++id, cell, body.estimate(cell.centre), 1.0);
                } else if (in > 0 || body.inside(cell.centre)) {
                    addSplitBlock(body, g, cell, id, blocks);
                }
            }
        }
    }
}

std::vector<Working> demoWorkings(const DemoOreBody& body) {
    const D_3DOT c = body.centre();
    const D_3DOT h = body.halfExtent();
    // Drives 4 m square; a stope as tall as a few benches.
    return {
        {"Stope", {{c.x - 0.25 * h.x, c.y, c.z}, {42, 24, 60}}},
        {"Drive", {{c.x, c.y + 3, c.z + 0.4 * h.z}, {1.2 * h.x, 4, 4}}},
        {"Drive", {{c.x + 0.25 * h.x + 1, c.y, c.z + 0.15 * h.z}, {4, 1.2 * h.y, 4}}},
    };
}

void buildDemoVoids(const std::vector<Working>& workings, const DemoGrid& g, VoidList& voids) {
    // The parts of each grid block that the workings cut, by block index.
    std::map<long, std::vector<const Working*>> cut;
    for (const Working& w : workings) {
        int lo[3];
        int hi[3];
        for (int a = 0; a < 3; ++a) {
            lo[a] = static_cast<int>(std::floor((w.box.low(a) - axis(g.origin, a)) / g.edge));
            hi[a] = static_cast<int>(std::ceil((w.box.high(a) - axis(g.origin, a)) / g.edge));
        }
        for (int k = std::max(lo[2], 0); k < std::min(hi[2], g.nz); ++k) {
            for (int j = std::max(lo[1], 0); j < std::min(hi[1], g.ny); ++j) {
                for (int i = std::max(lo[0], 0); i < std::min(hi[0], g.nx); ++i) {
                    cut[(static_cast<long>(k) * g.ny + j) * g.nx + i].push_back(&w);
                }
            }
        }
    }
    for (const auto& [index, parts] : cut) {
        const Box cell =
            g.cell(static_cast<int>(index % g.nx), static_cast<int>(index / g.nx % g.ny),
                   static_cast<int>(index / g.nx / g.ny));
        std::vector<Box> pieces;
        for (const Working* w : parts) {
            double lo[3];
            double hi[3];
            for (int a = 0; a < 3; ++a) {
                lo[a] = std::max(cell.low(a), w->box.low(a));
                hi[a] = std::min(cell.high(a), w->box.high(a));
            }
            const Box piece{{(lo[0] + hi[0]) / 2, (lo[1] + hi[1]) / 2, (lo[2] + hi[2]) / 2},
                            {hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]}};
            if (piece.volume() > 0) {
                pieces.push_back(piece);
            }
        }
        // Where a drive meets the stope, their pieces would fill the cell twice.
        pieces = disjointBoxes(pieces);
        if (pieces.empty()) {
            continue;
        }
        const double coefficient = std::min(totalVolume(pieces) / cell.volume(), 1.0);
        const bool whole = coefficient >= 1;
        KrigBlockVoid& v = voids.add(whole ? 0 : static_cast<int>(pieces.size()));
        placeBlock(v, cell);
        v.Block_Coef = coefficient;
        v.Krig_Bound = whole ? 0 : 1;
        copyText(v.Krig_OreType, parts.front()->kind);
        for (int p = 0; p < v.SubBUD_Num; ++p) {
            v.SubBUD_PntLoc[p] = pieces[p].centre;
            v.SubBUD_GridSize[p] = pieces[p].size;
        }
    }
}

}  // namespace vornel::cli
