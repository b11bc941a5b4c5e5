#include "SectionSeries.h"

#include <cmath>

#include "Failure.h"
#include "NumberText.h"
#include "OutputFile.h"

namespace vornel::cli {
namespace {

constexpr double kMostSections = 1000;

// The value of the request's one plane at X, Y or Z, and where it goes.
std::string* planeValue(SectionRequest& r) {
    return !r.x.empty() ? &r.x : !r.y.empty() ? &r.y : !r.z.empty() ? &r.z : nullptr;
}

}  // namespace

std::vector<SeriesSection> sectionSeries(const SectionRequest& request) {
    SectionRequest one = request;
    std::string* value = planeValue(one);
    if (value == nullptr || value->find(':') == std::string::npos) {
        return {{request, ""}};
    }
    const std::string text = *value;
    const size_t first = text.find(':');
    const size_t second = text.find(':', first + 1);
    double from = 0;
    double to = 0;
    double step = 0;
    if (second == std::string::npos || !parseNumber(text.substr(0, first), from) ||
        !parseNumber(text.substr(first + 1, second - first - 1), to) ||
        !parseNumber(text.substr(second + 1), step)) {
        throw UsageError("'" + text +
                         "': give a series of sections as FROM:TO:STEP, e.g. 7800:8200:50");
    }
    if (!(step > 0) || to < from) {
        throw UsageError("'" + text +
                         "': a series of sections runs from FROM up to TO, at or above it, by a "
                         "STEP above 0");
    }
    const double steps = std::floor((to - from) / step * (1 + 1e-12));
    if (!(steps < kMostSections)) {
        throw UsageError("'" + text + "' gives more than " + formatNumber(kMostSections) +
                         " sections; take a larger step");
    }
    std::vector<SeriesSection> series;
    for (int k = 0; k <= static_cast<int>(steps); ++k) {
        // Decimal steps give decimal planes: 0.1 three times is 0.3, not
        // 0.30000000000000004.
        *value = formatNumber(from + k * step, 15);
        if (!series.empty() && *planeValue(series.back().request) == *value) {
            throw UsageError("'" + text + "': the step is too small for the values to differ");
        }
        series.push_back({one, *value});
    }
    return series;
}

std::string pathInSeries(const std::string& path, const SeriesSection& section,
                         const std::string& option) {
    if (path.empty() || section.value.empty()) {
        return path;
    }
    if (path.find("{}") == std::string::npos || isStandardOutput(path)) {
        throw UsageError(option +
                         ": a series of sections writes a file for each; put {} in the path where "
                         "the section's value goes, e.g. section-{}.svg");
    }
    std::string named;
    for (size_t at = 0; at < path.size();) {
        if (path.compare(at, 2, "{}") == 0) {
            named += section.value;
            at += 2;
        } else {
            named += path[at++];
        }
    }
    return named;
}

}  // namespace vornel::cli
