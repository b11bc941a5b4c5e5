#include "GradeStats.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace vornel::cli {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

double GradeStats::variation() const {
    return mean == 0 ? kNaN : stdDev / mean;
}

GradeStats gradeStats(std::vector<WeighedGrade>& grades) {
    GradeStats s;
    s.blocks = static_cast<long>(grades.size());
    std::sort(grades.begin(), grades.end(),
              [](const WeighedGrade& a, const WeighedGrade& b) { return a.grade < b.grade; });
    double metal = 0;
    for (const WeighedGrade& g : grades) {
        s.tonnes += g.tonnes;
        metal += g.tonnes * g.grade;
    }
    if (!grades.empty()) {
        s.min = grades.front().grade;
        s.max = grades.back().grade;
    }
    if (!(s.tonnes > 0)) {
        s.mean = s.stdDev = kNaN;
        s.quantiles.fill(kNaN);
        return s;
    }
    s.mean = metal / s.tonnes;
    // Deviations from the mean, not the mean square less the squared mean,
    // which loses the spread of grades far from 0 to cancellation.
    const double square =
        std::accumulate(grades.begin(), grades.end(), 0.0, [&s](double sum, const WeighedGrade& g) {
            return sum + g.tonnes * (g.grade - s.mean) * (g.grade - s.mean);
        });
    s.stdDev = std::sqrt(square / s.tonnes);
    // The running sum ends at the total, added in the same order, so every
    // share is reached.
    double below = 0;
    size_t q = 0;
    for (const WeighedGrade& g : grades) {
        below += g.tonnes;
        while (q < kQuantiles.size() && below >= kQuantiles[q] * s.tonnes) {
            s.quantiles[q++] = g.grade;
        }
    }
    return s;
}

double binBound(long k, double low, double high, long bins) {
    return k == bins ? high
                     : low + (high - low) * static_cast<double>(k) / static_cast<double>(bins);
}

long binOf(double grade, double low, double high, long bins) {
    if (!(grade >= low && grade <= high)) {
        return -1;
    }
    const double span = high - low;
    long k = span > 0
                 ? static_cast<long>(std::floor((grade - low) / span * static_cast<double>(bins)))
                 : 0;
    k = std::clamp(k, 0L, bins - 1);
    // The quotient may round across a bound; the bounds as computed decide.
    while (k > 0 && grade < binBound(k, low, high, bins)) {
        --k;
    }
    while (k + 1 < bins && grade >= binBound(k + 1, low, high, bins)) {
        ++k;
    }
    return k;
}

std::vector<double> histogram(const std::vector<WeighedGrade>& grades, double low, double high,
                              long bins) {
    std::vector<double> tonnes(static_cast<size_t>(bins));
    for (const WeighedGrade& g : grades) {
        const long k = binOf(g.grade, low, high, bins);
        if (k >= 0) {
            tonnes[static_cast<size_t>(k)] += g.tonnes;
        }
    }
    return tonnes;
}

}  // namespace vornel::cli
