// The distribution of a model's grades, each block weighing its tonnes: what
// a geologist checks an estimate by (its spread, its skew, how much of it
// lies low or high) and sets beside the samples'.
#ifndef VORNEL_CLI_GRADESTATS_H
#define VORNEL_CLI_GRADESTATS_H

#include <array>
#include <vector>

#include "vornel/KrigBlockResult.h"

namespace vornel::cli {

struct WeighedGrade {
    double grade;
    double tonnes;
};

// The quantiles a table of grade statistics gives, as shares of the tonnes:
// a share's tenths, hundredths and so on over a whole.
struct Share {
    int parts;
    int whole;
};
constexpr std::array<Share, 5> kQuantiles = {{{1, 10}, {1, 4}, {1, 2}, {3, 4}, {9, 10}}};

struct GradeStats {
    long blocks = 0;
    double tonnes = 0;
    double min = 0;  // of the blocks' grades, whatever they weigh
    double max = 0;
    // The rest weigh each grade by its tonnes, and are NaN when the blocks
    // weigh nothing.
    double mean = 0;
    double stdDev = 0;  // the square root of the tonnage-weighted mean square deviation
    // Quantile q: the lowest grade at or below which that share of the
    // tonnes lies.
    std::array<double, kQuantiles.size()> quantiles{};

    // The standard deviation over the mean; NaN when the mean is 0.
    double variation() const;
};

// The grade of each block with its tonnes, as blockTonnes weighs them.
// Throws Failure as blockTonnes does.
std::vector<WeighedGrade> weighedGrades(const KrigBlockResult* blocks, long count, double density);

// Of these grades; sorts them. Tonnes are 0 or more.
GradeStats gradeStats(std::vector<WeighedGrade>& grades);

// Bins of equal width from `low` to `high`, or with `logarithmic` of equal
// width in the logarithm of the grade (low above 0), as a histogram of
// grades that spread over decades draws them.
struct GradeBins {
    double low = 0;
    double high = 1;
    long count = 1;
    bool logarithmic = false;

    // Bound k, from `low` (k = 0) to `high` (k = count) itself, which low
    // plus the span need not give back exactly.
    double bound(long k) const;
};

// The tonnes of the grades in each bin: bin k holds bound(k) <= grade <
// bound(k + 1), the last bin also `high`.
std::vector<double> histogram(const std::vector<WeighedGrade>& grades, const GradeBins& bins);

}  // namespace vornel::cli

#endif
