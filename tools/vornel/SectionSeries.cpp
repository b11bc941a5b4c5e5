#include "SectionSeries.h"

#include "Failure.h"
#include "NumberSeries.h"
#include "OutputFile.h"

namespace vornel::cli {
namespace {

// The value of the request's one plane at X, Y or Z, and where it goes.
std::string* planeValue(SectionRequest& r) {
    return !r.x.empty() ? &r.x : !r.y.empty() ? &r.y : !r.z.empty() ? &r.z : nullptr;
}

}  // namespace

std::vector<SeriesSection> sectionSeries(const SectionRequest& request) {
    SectionRequest one = request;
    std::string* value = planeValue(one);
    if (value == nullptr || !isSeries(*value)) {
        return {{request, ""}};
    }
    std::vector<SeriesSection> series;
    for (const std::string& plane : numberSeries(*value, "sections", "7800:8200:50")) {
        *value = plane;
        series.push_back({one, plane});
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
