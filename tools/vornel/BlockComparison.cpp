#include "BlockComparison.h"

#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <tuple>
#include <utility>

namespace vornel::cli {
namespace {

using Centre = std::tuple<double, double, double>;

Centre centreOf(const GradedBlock& b) {
    return {b.centre.x, b.centre.y, b.centre.z};
}

}  // namespace

BlockComparison compareBlocks(const std::vector<GradedBlock>& first,
                              const std::vector<GradedBlock>& second) {
    std::map<Centre, const GradedBlock*> byCentre;
    for (const GradedBlock& b : first) {
        byCentre.emplace(centreOf(b), &b);
    }
    BlockComparison c;
    std::vector<std::pair<GradedBlock, GradedBlock>>& pairs = c.pairs;
    std::set<Centre> matched;
    for (const GradedBlock& b : second) {
        const auto found = byCentre.find(centreOf(b));
        if (found == byCentre.end()) {
            ++c.onlySecond;
        } else if (matched.insert(found->first).second) {
            pairs.emplace_back(*found->second, b);
            const D_3DOT& s = found->second->size;
            if (s.x != b.size.x || s.y != b.size.y || s.z != b.size.z) {
                if (c.unlikeSize++ == 0) {
                    c.firstUnlike = pairs.back();
                }
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
    double covariance = 0;
    double spreadA = 0;
    double spreadB = 0;
    for (const auto& [a, b] : pairs) {
        const double da = a.grade - c.meanFirst;
        const double db = b.grade - c.meanSecond;
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
