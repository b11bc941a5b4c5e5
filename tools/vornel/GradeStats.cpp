#include "GradeStats.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "Failure.h"
#include "GradeTonnage.h"
#include "NumberText.h"

namespace vornel::cli {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A sum that keeps what each addition rounds off (Neumaier's): the exact
// sum to twice the digits of a double.
class CompensatedSum {
public:
    void add(double x) {
        const double t = sum_ + x;
        lost_ += std::fabs(sum_) >= std::fabs(x) ? (sum_ - t) + x : (x - t) + sum_;
        sum_ = t;
    }
    double value() const { return sum_ + lost_; }

    // Whether whole times this sum is at least parts times the other, to
    // the digits the sums keep: the products' roundings are taken back.
    bool timesAtLeast(int whole, const CompensatedSum& other, int parts) const {
        const auto product = [](int n, const CompensatedSum& s) {
            const double high = n * s.sum_;
            return std::make_pair(high, std::fma(n, s.sum_, -high) + n * s.lost_);
        };
        const auto [mine, mineRest] = product(whole, *this);
        const auto [theirs, theirRest] = product(parts, other);
        return (mine - theirs) + (mineRest - theirRest) >= 0;
    }

private:
    double sum_ = 0;
    double lost_ = 0;
};

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
    CompensatedSum tonnes;
    double metal = 0;
    for (const WeighedGrade& g : grades) {
        tonnes.add(g.tonnes);
        metal += g.tonnes * g.grade;
    }
    s.tonnes = tonnes.value();
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
    if (!std::isfinite(s.mean)) {
        throw Failure("the metal adds up beyond what a number holds; are the grades right?");
    }
    // Deviations from the mean, not the mean square less the squared mean,
    // which loses the spread of grades far from 0 to cancellation; over the
    // largest of them where grades near 1e300 would square past the doubles,
    // or near 1e-200 below them.
    const double widest = std::max(std::fabs(s.min - s.mean), std::fabs(s.max - s.mean));
    const double unit =
        (widest > 1e100 || (widest > 0 && widest < 1e-100)) && std::isfinite(widest) ? widest : 1;
    const double square =
        std::accumulate(grades.begin(), grades.end(), 0.0, [&](double sum, const WeighedGrade& g) {
            const double d = (g.grade - s.mean) / unit;
            return sum + g.tonnes * d * d;
        });
    s.stdDev = unit * std::sqrt(square / s.tonnes);
    // The running sum ends at the total, added alike in the same order, so
    // every share is reached. Both are sums near exact, compared as the
    // share's whole and parts: ten blocks of 2.7 t are a half of twenty, and
    // 0.1 of 2200.0000000000005 t does not round above the first block's
    // 220.00000000000003.
    CompensatedSum below;
    size_t q = 0;
    for (const WeighedGrade& g : grades) {
        below.add(g.tonnes);
        while (q < kQuantiles.size() &&
               below.timesAtLeast(kQuantiles[q].whole, tonnes, kQuantiles[q].parts)) {
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

std::vector<double> histogram(const std::vector<WeighedGrade>& grades, const GradeBins& bins) {
    // Each bound is worked out as decimals once, not for every grade.
    std::vector<double> bounds(static_cast<size_t>(bins.count) + 1);
    for (long k = 0; k <= bins.count; ++k) {
        bounds[static_cast<size_t>(k)] = bins.bound(k);
    }
    const auto inner = bounds.begin() + 1;
    const auto last = bounds.end() - 1;
    std::vector<double> tonnes(static_cast<size_t>(bins.count));
    for (const WeighedGrade& g : grades) {
        if (g.grade >= bins.low && g.grade <= bins.high) {
            tonnes[static_cast<size_t>(std::upper_bound(inner, last, g.grade) - inner)] += g.tonnes;
        }
    }
    return tonnes;
}

}  // namespace vornel::cli
