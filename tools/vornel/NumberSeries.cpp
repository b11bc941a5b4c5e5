#include "NumberSeries.h"

#include <cmath>

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
    // TO less FROM rounds, by as much as their last digit, and may then
    // fall short of the step that reaches TO: that value is in when its
    // decimal is.
    double steps = std::floor((to - from) / step);
    double next = 0;
    if (parseNumber(formatNumber(from + (steps + 1) * step, 15), next) && next <= to) {
        ++steps;
    }
    if (!(steps < kMostValues)) {
        throw UsageError("'" + text + "' gives more than " + formatNumber(kMostValues) + " " +
                         what + "; take a larger step");
    }
    std::vector<std::string> values;
    for (int k = 0; k <= static_cast<int>(steps); ++k) {
        values.push_back(formatNumber(from + k * step, 15));
        if (values.size() > 1 && values[values.size() - 2] == values.back()) {
            throw UsageError("'" + text + "': the step is too small for the values to differ");
        }
    }
    return values;
}

}  // namespace vornel::cli
