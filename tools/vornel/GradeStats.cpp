#include "GradeStats.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "GradeTonnage.h"
#include "NumberText.h"

namespace vornel::cli {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

double GradeStats::variation() const {
    return mean == 0 ? kNaN : stdDev / mean;
}

std::vector<WeighedGrade> weighedGrades(const KrigBlockResult* blocks, long count, double density) {
    const std::vector<double> tonnes = blockTonnes(blocks, count, density);
    std::vector<WeighedGrade> grades(tonnes.size());
    for (size_t i = 0; i < tonnes.size(); ++i) {
        grades[i] = {blocks[i].Krig_OutAttr, tonnes[i]};
    }
    return grades;
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
    // share is reached. A sum that meets a share but for the rounding of its
    // terms (ten blocks of 2.7 t do not add up to 27 t in doubles) meets it:
    // n terms added are off by at most n rounding units of the total.
    double below = 0;
    double added = 0;
    size_t q = 0;
    for (const WeighedGrade& g : grades) {
        below += g.tonnes;
        added += 1;
        const double rounding = added * std::numeric_limits<double>::epsilon() * s.tonnes;
        while (q < kQuantiles.size() && below >= kQuantiles[q] * s.tonnes - rounding) {
            s.quantiles[q++] = g.grade;
        }
    }
    return s;
}

double GradeBins::bound(long k) const {
    if (k == 0) {
        return low;
    }
    if (k == count) {
        return high;
    }
    const double steps = static_cast<double>(k);
    // Powers of each end, not of their ratio, which may be past the doubles.
    const double share = steps / static_cast<double>(count);
    // As decimals: the bound the label shows as 0.3 is 0.3, so that a grade
    // of 0.3 falls in the bin that starts there; on a plain scale to the
    // digits of the span, so that the bound that shows as 0 is 0.
    return logarithmic ? decimalRounded(std::pow(high, share) * std::pow(low, 1 - share))
                       : decimalRounded(low + (high - low) * steps / static_cast<double>(count),
                                        high - low);
}

long GradeBins::of(double grade) const {
    if (!(grade >= low && grade <= high)) {
        return -1;
    }
    const double share = logarithmic
                             ? (std::log(grade) - std::log(low)) / (std::log(high) - std::log(low))
                             : (grade - low) / (high - low);
    long k = std::isfinite(share) ? static_cast<long>(std::floor(std::clamp(share, 0.0, 1.0) *
                                                                 static_cast<double>(count)))
                                  : 0;
    k = std::clamp(k, 0L, count - 1);
    // The quotient may round across a bound; the bounds as computed decide.
    while (k > 0 && grade < bound(k)) {
        --k;
    }
    while (k + 1 < count && grade >= bound(k + 1)) {
        ++k;
    }
    return k;
}

std::vector<double> histogram(const std::vector<WeighedGrade>& grades, const GradeBins& bins) {
    std::vector<double> tonnes(static_cast<size_t>(bins.count));
    for (const WeighedGrade& g : grades) {
        const long k = bins.of(g.grade);
        if (k >= 0) {
            tonnes[static_cast<size_t>(k)] += g.tonnes;
        }
    }
    return tonnes;
}

}  // namespace vornel::cli
