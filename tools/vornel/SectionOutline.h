// Where a plan outline stands on a section: a section at a slant, or a
// plan, shows the outline's edges carried up or down onto its plane; a
// vertical section shows the places along it where it crosses the outline.
#ifndef VORNEL_CLI_SECTIONOUTLINE_H
#define VORNEL_CLI_SECTIONOUTLINE_H

#include <utility>
#include <vector>

#include "PlanOutline.h"
#include "vornel/SectionTrace.h"

namespace vornel::cli {

struct OutlineOnSection {
    std::vector<std::pair<SectionPoint, SectionPoint>> edges;  // on a section not vertical
    std::vector<double> crossings;  // the u of each crossing, on a vertical section
};

OutlineOnSection outlineOnSection(const PlanOutline& outline, const SectionFrame& frame);

}  // namespace vornel::cli

#endif
