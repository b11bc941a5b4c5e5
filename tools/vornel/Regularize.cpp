#include "Regularize.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Depletion.h"
#include "Failure.h"
#include "GradeTonnage.h"
#include "NumberText.h"
#include "RecordFields.h"

namespace vornel::cli {
namespace {

using CellIndex = std::array<long, 3>;  // z, y, x: the order cells are listed in

// What a cell gathers.
struct Cell {
    double volume = 0;
    double tonnes = 0;
    double gradeTonnes = 0;
    double varianceVolume = 0;
    double variedVolume = 0;  // of ground with a variance
    double oreTonnes = 0;
    bool bound = false;
    // The block with the most tonnes here so far, and the one adding now.
    long best = -1;
    double bestTonnes = 0;
    long adding = -1;
    double addingTonnes = 0;

    void settle() {
        if (adding >= 0 && addingTonnes > bestTonnes) {
            best = adding;
            bestTonnes = addingTonnes;
        }
    }
};

// The cells a span [low, high) overlaps along one axis, as indices from
// first to last; none for a span too far out to number them exactly.
// Block edges and cell edges written as one decimal come out of different
// sums (centre less half the size, origin plus cells), rounded apart by a
// few units in their last place: within this share of a cell they are one.
constexpr double kSameEdge = 1e-9;

// Where `at` lies along the cells, as a count of cells from the origin; a
// cell edge when it lies that near one.
double cellsFromOrigin(double at, double origin, double size) {
    const double cells = (at - origin) / size;
    const double edge = std::round(cells);
    return std::fabs(cells - edge) <= kSameEdge ? edge : cells;
}

// The cell edge `edge`, or the piece's edge it stands for.
double edgeOf(double edge, double low, double high, double size) {
    if (std::fabs(edge - low) <= kSameEdge * size) {
        return low;
    }
    return std::fabs(edge - high) <= kSameEdge * size ? high : edge;
}

std::optional<std::pair<long, long>> cellSpan(double low, double high, double origin, double size) {
    const double first = std::floor(cellsFromOrigin(low, origin, size));
    const double last = std::ceil(cellsFromOrigin(high, origin, size)) - 1;
    if (!(std::fabs(first) < 1e15 && std::fabs(last) < 1e15)) {
        return std::nullopt;
    }
    return std::pair{static_cast<long>(first),
                     std::max(static_cast<long>(first), static_cast<long>(last))};
}

bool finiteFaces(const Box& piece) {
    for (int a = 0; a < 3; ++a) {
        if (!std::isfinite(piece.low(a)) || !std::isfinite(piece.high(a))) {
            return false;
        }
    }
    return true;
}

class Gatherer {
public:
    Gatherer(const RegularGrid& grid, const VoidGround& holes, const PlanOutline* within)
        : grid_(grid), holes_(holes), within_(within) {}

    // Block i's piece, of which `fill` is ground, weighing `tonnes`.
    void add(long i, const KrigBlockResult& b, const Box& piece, double fill, double tonnes,
             bool varied) {
        const auto block = [&b] { return "block " + std::to_string(b.Krig_BlockID); };
        if (!finiteFaces(piece)) {
            throw Failure(block() +
                          " has a centre or size that is no number, or a sub-block with one: "
                          "'vornel check' lists such blocks");
        }
        const double volume = piece.volume();
        if (!(volume > 0 && std::isfinite(volume))) {
            throw Failure(block() + " has no volume to share out among cells");
        }
        std::array<std::pair<long, long>, 3> spans;
        long spread = 1;
        for (int a = 0; a < 3; ++a) {
            const auto span =
                cellSpan(piece.low(a), piece.high(a), axis(grid_.origin, a), axis(grid_.size, a));
            if (!span) {
                throw Failure(block() + " lies more cells of " + formatNumber(axis(grid_.size, a)) +
                              " from the grid's origin than can be numbered; give larger cells, "
                              "or an origin nearer it");
            }
            spans[a] = *span;
            spread *= spans[a].second - spans[a].first + 1;
            if (spread > kMostCellsOfAPiece) {
                throw Failure(block() + " would spread over more than " +
                              std::to_string(kMostCellsOfAPiece) + " cells; give larger cells");
            }
        }
        for (long z = spans[2].first; z <= spans[2].second; ++z) {
            for (long y = spans[1].first; y <= spans[1].second; ++y) {
                for (long x = spans[0].first; x <= spans[0].second; ++x) {
                    const double part = partIn(piece, {x, y, z}, fill) / volume;
                    if (part > 0) {
                        addTo(cells_[{z, y, x}], i, b, part, volume * fill, tonnes, varied);
                    }
                }
            }
        }
    }

    std::map<CellIndex, Cell>& cells() { return cells_; }
    double taken() const { return taken_; }

private:
    // The volume of the piece's box in cell (x, y, z) that no hole covers;
    // `fill` of what they cover is ground taken off.
    double partIn(const Box& piece, const std::array<long, 3>& cell, double fill) {
        double from[3];
        double to[3];
        double shared = 1;
        for (int a = 0; a < 3; ++a) {
            const double o = axis(grid_.origin, a);
            const double s = axis(grid_.size, a);
            const double low = piece.low(a);
            const double high = piece.high(a);
            from[a] = std::max(low, edgeOf(o + static_cast<double>(cell[a]) * s, low, high, s));
            to[a] = std::min(high, edgeOf(o + static_cast<double>(cell[a] + 1) * s, low, high, s));
            shared *= std::max(0.0, to[a] - from[a]);
        }
        if (shared <= 0 || (holes_.empty() && within_ == nullptr)) {
            return shared;
        }
        const Box cellPart{{(from[0] + to[0]) / 2, (from[1] + to[1]) / 2, (from[2] + to[2]) / 2},
                           {to[0] - from[0], to[1] - from[1], to[2] - from[2]}};
        const GroundOfBox ground = groundOfBox(cellPart, holes_, within_);
        const double share = ground.shareKept();
        taken_ += shared * (ground.shareInside() - share) * fill;
        return shared * share;
    }

    static void addTo(Cell& c, long i, const KrigBlockResult& b, double part, double ground,
                      double tonnes, bool varied) {
        c.volume += part * ground;
        c.tonnes += part * tonnes;
        c.gradeTonnes += part * tonnes * b.Krig_OutAttr;
        if (varied) {
            c.varianceVolume += part * ground * b.Krig_OutVari;
            c.variedVolume += part * ground;
        }
        c.bound = c.bound || b.Krig_Bound != 0;
        if (c.adding != i) {
            c.settle();
            c.adding = i;
            c.addingTonnes = 0;
        }
        c.addingTonnes += part * tonnes;
        c.oreTonnes += part * tonnes * b.Ore_Propro;
    }

    RegularGrid grid_;
    const VoidGround& holes_;
    const PlanOutline* within_;
    std::map<CellIndex, Cell> cells_;
    double taken_ = 0;
};

}  // namespace

Regularized regularize(const KrigBlockResult* blocks, long count, const LeftOut& leftOut,
                       const RegularGrid& grid, double density, const VoidGround& holes,
                       const PlanOutline* within) {
    const std::vector<double> tonnes = blockTonnes(blocks, count, density);
    Gatherer gatherer(grid, holes, within);
    Regularized r;
    for (long i = 0; i < count; ++i) {
        const KrigBlockResult& b = blocks[i];
        if (leftOut.ungraded.has(b)) {
            ++r.ungraded;
            continue;
        }
        // A whole block's ground is its box to its coefficient; sub-blocks
        // are ground throughout.
        const double fill = b.SubBUD_Num > 0 ? 1 : b.Block_Coef;
        forEachPiece(b, [&](const Box& piece, double share) {
            gatherer.add(i, b, piece, fill, tonnes[i] * share, !leftOut.unvaried.has(b));
            ++r.pieces;
        });
    }
    const double cellVolume = grid.size.x * grid.size.y * grid.size.z;
    r.taken = gatherer.taken();
    for (auto& [index, cell] : gatherer.cells()) {
        cell.settle();
        KrigBlockResult& c = r.cells.add(0);
        // Numbered as import numbers blocks: a run's numbers are its blocks'
        // names, each once.
        c.Krig_BlockID = static_cast<int32_t>(r.cells.size());
        const KrigBlockResult& best = blocks[cell.best >= 0 ? cell.best : cell.adding];
        placeBlock(c, Box{{grid.origin.x + (static_cast<double>(index[2]) + 0.5) * grid.size.x,
                           grid.origin.y + (static_cast<double>(index[1]) + 0.5) * grid.size.y,
                           grid.origin.z + (static_cast<double>(index[0]) + 0.5) * grid.size.z},
                          grid.size});
        // Ground that fills the cell but for its edges' rounding fills it.
        const bool full = cell.volume >= cellVolume * (1 - 3 * kSameEdge);
        c.Block_Coef = full ? 1.0 : cell.volume / cellVolume;
        c.Krig_OutAttr = cell.tonnes > 0 ? cell.gradeTonnes / cell.tonnes : best.Krig_OutAttr;
        // Of the ground with a variance alone: an empty one is no variance of 0.
        c.Krig_OutVari = cell.variedVolume > 0 ? cell.varianceVolume / cell.variedVolume : 0;
        r.unvaried += cell.variedVolume > 0 ? 0 : 1;
        c.Krig_Bound = cell.bound || c.Block_Coef < 1 ? 1 : 0;
        c.Block_Vol = full ? cellVolume : cell.volume;
        c.Block_CorMass = cell.tonnes;
        c.Ore_Propro = cell.tonnes > 0 ? cell.oreTonnes / cell.tonnes : 0;
        c.Block_OreMass = cell.oreTonnes;
        c.Srch_Degr = best.Srch_Degr;
        c.Krig_PntNum = best.Krig_PntNum;
        c.Krig_MeanDis = best.Krig_MeanDis;
        std::copy(std::begin(best.Krig_ResType), std::end(best.Krig_ResType),
                  std::begin(c.Krig_ResType));
        std::copy(std::begin(best.Krig_OreType), std::end(best.Krig_OreType),
                  std::begin(c.Krig_OreType));
    }
    return r;
}

}  // namespace vornel::cli
