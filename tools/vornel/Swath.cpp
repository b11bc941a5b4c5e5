#include "Swath.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "Box.h"
#include "Failure.h"
#include "GradeTonnage.h"
#include "NumberText.h"
#include "RecordFields.h"

namespace vornel::cli {
namespace {

// Refuses slices too many or too far out to number exactly, before any is
// numbered.
void checkSpan(const KrigBlockResult* blocks, long count, const SwathPlan& plan) {
    double low = HUGE_VAL;
    double high = -HUGE_VAL;
    for (long i = 0; i < count; ++i) {
        if (!sharedByVolume(blocks[i])) {
            throw Failure("block " + std::to_string(blocks[i].Krig_BlockID) +
                          " has sub-blocks of no volume, among which its ground cannot be shared "
                          "out: 'vornel check' lists such blocks");
        }
        forEachPiece(blocks[i], [&](const Box& piece, double) {
            const double c = axis(piece.centre, plan.axis);
            if (!std::isfinite(c)) {
                throw Failure("block " + std::to_string(blocks[i].Krig_BlockID) + " has no " +
                              axisName(plan.axis) + " to put it in a slice by");
            }
            if (!piece.measurable()) {
                throw Failure("block " + std::to_string(blocks[i].Krig_BlockID) +
                              " has a place or size that is not a number, or a size below 0: "
                              "its ground cannot be shared out among slices");
            }
            low = std::min(low, c);
            high = std::max(high, c);
        });
    }
    if (count == 0) {
        return;
    }
    const double first = std::floor(low / plan.width);
    const double last = std::floor(high / plan.width);
    // Bounds are taken to 15 significant digits: a slice thinner than that
    // far out would begin where it ends.
    const double farthest = std::max(std::fabs(low), std::fabs(high));
    if (plan.width < farthest * kThinnestSliceShare) {
        throw Failure(std::string("slices ") + formatExact(plan.width) + " wide along " +
                      axisName(plan.axis) + " cannot be told apart at " + formatExact(farthest) +
                      ", to the 15 significant digits their bounds are taken to; give a wider "
                      "slice");
    }
    if (!(std::fabs(first) < kFarthestSlice && std::fabs(last) < kFarthestSlice &&
          last - first < kMostSlices)) {
        throw Failure(std::string("slices ") + formatExact(plan.width) + " wide along " +
                      axisName(plan.axis) + " from " + formatExact(low) + " to " +
                      formatExact(high) + " would be more than " + formatNumber(kMostSlices) +
                      "; give a wider slice");
    }
}

}  // namespace

long sliceOf(double coordinate, double width) {
    // A centre reckoned a double off 0.45 is at 0.45, as a bound is.
    const double c = decimalRounded(coordinate);
    auto k = static_cast<long>(std::floor(c / width));
    // The quotient is rounded; the bounds decide.
    while (stepMultiple(k, width) > c) {
        --k;
    }
    while (stepMultiple(k + 1, width) <= c) {
        ++k;
    }
    return k;
}

std::pair<long, long> sliceRange(const std::vector<Swath>& swaths) {
    std::optional<std::pair<long, long>> range;
    for (const Swath& s : swaths) {
        if (!s.empty()) {
            range = range ? std::pair{std::min(range->first, s.begin()->first),
                                      std::max(range->second, s.rbegin()->first)}
                          : std::pair{s.begin()->first, s.rbegin()->first};
        }
    }
    return range.value_or(std::pair{0L, -1L});
}

Swath swathOf(const KrigBlockResult* blocks, long count, const UngradedBlocks& ungraded,
              const SwathPlan& plan, const VoidGround& holes) {
    checkSpan(blocks, count, plan);
    const std::vector<double> tonnes = blockTonnes(blocks, count, plan.density);
    Swath swath;
    std::vector<long> slices;
    for (long i = 0; i < count; ++i) {
        const KrigBlockResult& b = blocks[i];
        if (ungraded.has(b) || (!plan.allGrades && !(b.Krig_OutAttr >= plan.cutoff))) {
            continue;
        }
        slices.clear();
        forEachPiece(b, [&](const Box& piece, double share) {
            const double left = share * groundOfBox(piece, holes, plan.within).shareKept();
            if (left == 0) {
                return;
            }
            const long k = sliceOf(axis(piece.centre, plan.axis), plan.width);
            SwathSlice& slice = swath[k];
            slice.tonnes += tonnes[i] * left;
            slice.gradeTonnes += tonnes[i] * left * b.Krig_OutAttr;
            if (std::find(slices.begin(), slices.end(), k) == slices.end()) {
                slices.push_back(k);
                ++slice.blocks;
            }
        });
    }
    for (const auto& [k, slice] : swath) {
        if (!std::isfinite(slice.tonnes) || !std::isfinite(slice.gradeTonnes)) {
            throw Failure("in the slice from " + formatExact(static_cast<double>(k) * plan.width) +
                          " along " + axisName(plan.axis) +
                          " the tonnes or the metal add up beyond what a number holds; are the "
                          "grades and the density right?");
        }
    }
    return swath;
}

}  // namespace vornel::cli
