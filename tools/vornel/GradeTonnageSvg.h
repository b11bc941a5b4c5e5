// The grade-tonnage curve drawn as SVG: against the cut-off, the tonnes at
// or above it (solid, left axis) and their mean grade (dashed, right axis);
// class by class in the class colours, or for the whole model alone.
#ifndef VORNEL_CLI_GRADETONNAGESVG_H
#define VORNEL_CLI_GRADETONNAGESVG_H

#include <ostream>
#include <string>
#include <vector>

#include "GradeTonnage.h"
#include "GradeUnit.h"

namespace vornel::cli {

struct GradeTonnageChart {
    std::string title;
    std::string subtitle;
    std::string element;
    const GradeUnit* unit = nullptr;
    // As printGradeTonnage takes them: without names, one list of rows;
    // with them, the rows of each class and then those of all the blocks.
    std::vector<std::string> names;
    std::vector<std::vector<GradeTonnageRow>> byClass;
};

// Each point is a <circle class="tonnes"> or <circle class="grade"> whose
// <title> gives its values; a class's points are joined by a <path> of the
// same class.
void writeGradeTonnageSvg(std::ostream& out, const GradeTonnageChart& chart);

}  // namespace vornel::cli

#endif
