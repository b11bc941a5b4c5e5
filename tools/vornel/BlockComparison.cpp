#include "BlockComparison.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numeric>
#include <utility>

#include "Failure.h"

namespace vornel::cli {
namespace {

// A centre as keys in which every double has its place, a NaN too (which
// no order of doubles has, and a sort needs), and -0 is 0: the same doubles
// give the same key.
using Centre = std::array<uint64_t, 3>;

uint64_t keyOf(double v) {
    constexpr uint64_t kSign = uint64_t{1} << 63;
    const double value = v == 0 ? 0.0 : v;
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return (bits & kSign) != 0 ? ~bits : bits | kSign;
}

Centre centreOf(const GradedBlock& b) {
    return {keyOf(b.centre.x), keyOf(b.centre.y), keyOf(b.centre.z)};
}

}  // namespace

BlockComparison compareBlocks(const std::vector<GradedBlock>& first,
                              const std::vector<GradedBlock>& second) {
    // The first's blocks by centre, the first listed of a centre alone: an
    // index each, not a tree, on models of millions of blocks.
    std::vector<size_t> byCentre(first.size());
    std::iota(byCentre.begin(), byCentre.end(), size_t{0});
    const auto before = [&first](size_t i, size_t j) {
        return centreOf(first[i]) < centreOf(first[j]);
    };
    std::stable_sort(byCentre.begin(), byCentre.end(), before);
    byCentre.erase(std::unique(byCentre.begin(), byCentre.end(),
                               [&first](size_t i, size_t j) {
                                   return centreOf(first[i]) == centreOf(first[j]);
                               }),
                   byCentre.end());
    BlockComparison c;
    std::vector<std::pair<GradedBlock, GradedBlock>>& pairs = c.pairs;
    std::vector<bool> matched(byCentre.size());
    for (const GradedBlock& b : second) {
        const Centre centre = centreOf(b);
        const auto found = std::lower_bound(
            byCentre.begin(), byCentre.end(), centre,
            [&first](size_t i, const Centre& at) { return centreOf(first[i]) < at; });
        if (found == byCentre.end() || centreOf(first[*found]) != centre) {
            ++c.onlySecond;
            continue;
        }
        const auto at = static_cast<size_t>(found - byCentre.begin());
        if (matched[at]) {
            continue;
        }
        matched[at] = true;
        const GradedBlock& a = first[*found];
        pairs.emplace_back(a, b);
        if (a.size.x != b.size.x || a.size.y != b.size.y || a.size.z != b.size.z) {
            if (c.unlikeSize++ == 0) {
                c.firstUnlike = pairs.back();
            }
        }
    }
    c.matched = static_cast<long>(pairs.size());
    c.onlyFirst = static_cast<long>(byCentre.size()) - c.matched;
    c.correlation = std::numeric_limits<double>::quiet_NaN();
    if (pairs.empty()) {
        return c;
    }
    // Two passes: deviations from the means, not sums of squares, keep the
    // spread of grades that barely vary.
    double largest = -1;
    for (const auto& [a, b] : pairs) {
        c.meanFirst += a.grade;
        c.meanSecond += b.grade;
        const double change = std::fabs(b.grade - a.grade);
        c.meanAbsoluteChange += change;
        if (change > largest) {
            largest = change;
            c.largestFrom = a;
            c.largestTo = b;
        }
    }
    const auto n = static_cast<double>(pairs.size());
    c.meanFirst /= n;
    c.meanSecond /= n;
    c.meanAbsoluteChange /= n;
    if (!std::isfinite(c.meanFirst) || !std::isfinite(c.meanSecond) ||
        !std::isfinite(c.meanAbsoluteChange)) {
        throw Failure(
            "the grades or their changes add up beyond what a number holds; are the "
            "grades right?");
    }
    // Deviations over the widest of each run's: the correlation does not
    // change, and grades near 1e300 do not square past the doubles.
    double widestA = 0;
    double widestB = 0;
    for (const auto& [a, b] : pairs) {
        widestA = std::max(widestA, std::fabs(a.grade - c.meanFirst));
        widestB = std::max(widestB, std::fabs(b.grade - c.meanSecond));
    }
    if (!std::isfinite(widestA) || !std::isfinite(widestB)) {
        throw Failure("the grades spread beyond what a number holds; are the grades right?");
    }
    double covariance = 0;
    double spreadA = 0;
    double spreadB = 0;
    for (const auto& [a, b] : pairs) {
        const double da = widestA > 0 ? (a.grade - c.meanFirst) / widestA : 0;
        const double db = widestB > 0 ? (b.grade - c.meanSecond) / widestB : 0;
        covariance += da * db;
        spreadA += da * da;
        spreadB += db * db;
    }
    if (spreadA > 0 && spreadB > 0) {
        c.correlation = covariance / std::sqrt(spreadA * spreadB);
    }
    return c;
}

}  // namespace vornel::cli
