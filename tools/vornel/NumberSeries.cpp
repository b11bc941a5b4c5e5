#include "NumberSeries.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "Failure.h"
#include "NumberText.h"

namespace vornel::cli {
namespace {

constexpr double kMostValues = 1000;

}  // namespace

bool isSeries(const std::string& text) {
    return text.find(':') != std::string::npos;
}

std::vector<std::string> numberSeries(const std::string& text, const std::string& what,
                                      const std::string& example) {
    const size_t first = text.find(':');
    const size_t second = first == std::string::npos ? first : text.find(':', first + 1);
    double from = 0;
    double to = 0;
    double step = 0;
    if (second == std::string::npos || !parseNumber(text.substr(0, first), from) ||
        !parseNumber(text.substr(first + 1, second - first - 1), to) ||
        !parseNumber(text.substr(second + 1), step)) {
        throw UsageError("'" + text + "': give a series of " + what + " as FROM:TO:STEP, e.g. " +
                         example);
    }
    if (!(step > 0) || to < from) {
        throw UsageError("'" + text + "': a series of " + what +
                         " runs from FROM up to TO, at or above it, by a STEP above 0");
    }
    // One value, however large: no step is taken, so none rounds.
    if (to == from) {
        return {formatNumber(from, 15)};
    }
    // TO less FROM, and each step, round by as much as the last digit of
    // the largest bound: a value within that of TO is TO, one within it of
    // 0 is 0.
    const double slack = 1e-12 * step + 8 * std::numeric_limits<double>::epsilon() *
                                            std::max(std::fabs(from), std::fabs(to));
    const double steps = std::floor((to - from + slack) / step);
    if (!(steps < kMostValues)) {
        throw UsageError("'" + text + "' gives more than " + formatNumber(kMostValues) + " " +
                         what + "; take a larger step");
    }
    // Each value keeps the digits of the largest bound to its fifteenth: a
    // value near 0 in a series from -10 is as exact as -10 is, no more.
    const auto whole = [](double v) {
        return v == 0 ? 1 : static_cast<int>(std::floor(std::log10(std::fabs(v)))) + 1;
    };
    const int largest = whole(std::max(std::fabs(from), std::fabs(to)));
    std::vector<std::string> values;
    for (int k = 0; k <= static_cast<int>(steps); ++k) {
        const double value = from + k * step;
        if (std::fabs(value) <= slack) {
            values.push_back("0");
        } else {
            values.push_back(formatNumber(value, std::max(1, 15 - (largest - whole(value)))));
        }
        if (values.size() > 1 && values[values.size() - 2] == values.back()) {
            throw UsageError("'" + text + "': the step is too small for the values to differ");
        }
    }
    return values;
}

}  // namespace vornel::cli
