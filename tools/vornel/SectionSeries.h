// A series of parallel sections: --x FROM:TO:STEP (or --y, --z) asks for the
// planes at FROM, FROM + STEP, ... up to TO, each drawn and listed in files
// of its own, whose paths hold "{}" where the plane's value goes.
#ifndef VORNEL_CLI_SECTIONSERIES_H
#define VORNEL_CLI_SECTIONSERIES_H

#include <string>
#include <vector>

#include "SectionPlane.h"

namespace vornel::cli {

struct SeriesSection {
    SectionRequest request;  // the one plane
    std::string value;       // its value as written in paths; empty outside a series
};

// The sections of the request, or the request alone when it gives no series.
// Throws UsageError for a series that is not FROM:TO:STEP with TO at or above
// FROM and STEP above 0, or that has more than 1000 sections.
std::vector<SeriesSection> sectionSeries(const SectionRequest& request);

// The output path of one section of a series: `path` with each "{}"
// replaced by its value; `path` itself outside a series or when empty.
// Throws UsageError for a series path without "{}", or on standard output,
// as each section would write over the one before.
std::string pathInSeries(const std::string& path, const SeriesSection& section,
                         const std::string& option);

}  // namespace vornel::cli

#endif
