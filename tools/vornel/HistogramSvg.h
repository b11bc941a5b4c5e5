// The histogram of a model's tonnes by grade drawn as SVG: bars of the
// tonnes in each grade bin (left axis), and the share of the tonnes below
// each bin's upper bound as a curve (right axis), class by class; or two
// runs' bars side by side, with a curve each.
#ifndef VORNEL_CLI_HISTOGRAMSVG_H
#define VORNEL_CLI_HISTOGRAMSVG_H

#include <ostream>
#include <string>
#include <vector>

#include "GradeStats.h"
#include "GradeUnit.h"

namespace vornel::cli {

struct HistogramChart {
    std::string title;
    std::string subtitle;
    std::string element;
    const GradeUnit* unit = nullptr;
    long bins = 40;
    bool logarithmic = false;  // bins of equal ratios, for the grades above 0
    // The grades of each run, whose tonnes the bars count, and the names
    // that tell two runs apart.
    std::vector<std::string> runs;
    std::vector<const std::vector<WeighedGrade>*> runGrades;
    // The grades of each curve: of each class of one run, the last those of
    // all its blocks ("(all)" alone for a run not split into classes); or of
    // each of two runs.
    std::vector<std::string> names;
    std::vector<const std::vector<WeighedGrade>*> grades;
};

// Each bar is a <rect class="tonnes">, each point of a curve a
// <circle class="share">, whose <title> gives its values.
void writeHistogramSvg(std::ostream& out, const HistogramChart& chart);

}  // namespace vornel::cli

#endif
