// A swath drawn as SVG: along the axis, each run's mean grade slice by
// slice (a line, left axis) over the tonnes in each slice (bars, right
// axis), the runs side by side in their colours.
#ifndef VORNEL_CLI_SWATHSVG_H
#define VORNEL_CLI_SWATHSVG_H

#include <ostream>
#include <string>
#include <vector>

#include "GradeUnit.h"
#include "Swath.h"

namespace vornel::cli {

struct SwathChart {
    std::string title;
    std::string subtitle;
    std::string axis;  // "X"
    double width = 1;
    std::string element;
    const GradeUnit* unit = nullptr;
    std::vector<std::string> names;  // of the runs
    std::vector<Swath> swaths;       // of each run
};

// Each bar is a <rect class="tonnes"> and each point a <circle
// class="grade">, with a <title> that gives its run, slice and values.
void writeSwathSvg(std::ostream& out, const SwathChart& chart);

}  // namespace vornel::cli

#endif
