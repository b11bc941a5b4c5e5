// The distribution of a model's grades, each block weighing its tonnes: what
// a geologist checks an estimate by (its spread, its skew, how much of it
// lies low or high) and sets beside the samples'.
#ifndef VORNEL_CLI_GRADESTATS_H
#define VORNEL_CLI_GRADESTATS_H

#include <array>
#include <vector>

namespace vornel::cli {

struct WeighedGrade {
    double grade;
    double tonnes;
};

// The quantiles a table of grade statistics gives, as fractions of the
// tonnes.
constexpr std::array<double, 5> kQuantiles = {0.1, 0.25, 0.5, 0.75, 0.9};

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

// Of these grades; sorts them. Tonnes are 0 or more.
GradeStats gradeStats(std::vector<WeighedGrade>& grades);

// The tonnes in `bins` bins of equal width from `low` to `high`: bin k holds
// the grades from low + k (high - low) / bins up to the next bound, the last
// also those at `high`; grades outside the range are left out.
std::vector<double> histogram(const std::vector<WeighedGrade>& grades, double low, double high,
                              long bins);

// Bound k of those bins, from `low` (k = 0) to `high` (k = bins) itself,
// which low plus the span need not give back exactly.
double binBound(long k, double low, double high, long bins);

// The bin a grade falls in, as histogram puts it, or -1 outside the range.
long binOf(double grade, double low, double high, long bins);

}  // namespace vornel::cli

#endif
