// A swath: a model cut into slices of one width along an axis, with the
// tonnes in each slice and their mean grade, to see an estimate's trend
// along the deposit and set it beside another's.
#ifndef VORNEL_CLI_SWATH_H
#define VORNEL_CLI_SWATH_H

#include <map>
#include <utility>
#include <vector>

#include "Depletion.h"
#include "ModelDatabase.h"

namespace vornel::cli {

struct SwathSlice {
    long blocks = 0;  // blocks with ground in the slice
    double tonnes = 0;
    double gradeTonnes = 0;  // tonnes times grade, summed

    double meanGrade() const { return gradeTonnes / tonnes; }
};

// Slice k of width w holds the coordinates c with k w <= c < (k + 1) w.
using Swath = std::map<long, SwathSlice>;

struct SwathPlan {
    int axis = 0;  // 0 for X, 1 for Y, 2 for Z
    double width = 1;
    double cutoff = 0;  // blocks of a lower grade are left out, unless
    bool allGrades = true;
    double density = 0;  // as the grade-tonnage table weighs blocks
    // Only the ground within this outline, when there is one.
    const PlanOutline* within = nullptr;
};

// The slice of a coordinate: slice k lies from the k-th step of the width,
// so that slice 3 of 0.1 begins at 0.3; the coordinate, as the bounds, to
// 15 significant digits.
long sliceOf(double coordinate, double width);

// The most slices a swath may have, and the farthest a slice may lie from
// the origin, for its number and bounds to be exact.
constexpr double kMostSlices = 10000;
constexpr double kFarthestSlice = 1e15;
// The thinnest slice, as a share of the farthest centre from 0: bounds to
// 15 significant digits stay ten steps of the last digit apart or more.
constexpr double kThinnestSliceShare = 1e-13;

// Each block's ground (its sub-blocks, or its box) is put in the slice of
// its centre along the axis, a sub-block weighing its share of the block's
// tonnes by volume, less the share that `holes` (mined-out void blocks)
// cover and the share outside the plan's outline. Blocks that `ungraded`
// lists are left out. Throws Failure when the blocks would need more than
// kMostSlices slices, or slices too thin to tell apart, or weigh nothing.
Swath swathOf(const KrigBlockResult* blocks, long count, const UngradedBlocks& ungraded,
              const SwathPlan& plan, const VoidGround& holes);

// The first and last slice that any of the swaths has; the last is before
// the first when none has any.
std::pair<long, long> sliceRange(const std::vector<Swath>& swaths);

}  // namespace vornel::cli

#endif
