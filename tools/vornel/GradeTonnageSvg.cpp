#include "GradeTonnageSvg.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "NumberText.h"
#include "SvgChart.h"
#include "SvgWriter.h"

namespace vornel::cli {
namespace {

using namespace chart;

// One curve alone takes the colours of its axes.
constexpr const char* kTonnesColour = "#0072b2";
constexpr const char* kGradeColour = "#d55e00";
constexpr const char* kAllColour = "#222222";

struct Layout {
    Across cutoffs;
    ValueAxis tonnes;
    ValueAxis grade;
    double width = 0;
    double height = 0;
};

Layout layoutOf(const GradeTonnageChart& c) {
    Layout l;
    double mostTonnes = 0;
    double mostGrade = 0;
    double leastGrade = 0;
    double low = HUGE_VAL;
    double high = -HUGE_VAL;
    for (const std::vector<GradeTonnageRow>& rows : c.byClass) {
        for (const GradeTonnageRow& r : rows) {
            low = std::min(low, r.cutoff);
            high = std::max(high, r.cutoff);
            mostTonnes = std::max(mostTonnes, r.tonnes);
            if (r.tonnes > 0) {
                mostGrade = std::max(mostGrade, r.meanGrade);
                leastGrade = std::min(leastGrade, r.meanGrade);
            }
        }
    }
    l.cutoffs = acrossOf(low, high);
    l.tonnes = tonnesAxis(mostTonnes);
    l.grade = valueAxis(mostGrade, 1, leastGrade);
    double key = 0;
    for (const std::string& name : c.names) {
        key = std::max(key, textWidth(name, 12));
    }
    key = std::max({key, textWidth("tonnes (left)", 12), textWidth("mean grade (right)", 12)});
    l.width = std::max(kRight + kRightLabels + 40 + key + 20, kLeft + textWidth(c.title, 18) + 20);
    l.height =
        std::max(kBottom + kBottomMargin, kTop + kKeyRow * static_cast<double>(c.names.size() + 3));
    return l;
}

void writeAxes(std::ostream& out, const Layout& l, const GradeTonnageChart& c) {
    const std::string unit = std::string(" (") + c.unit->name + ")";
    writePlot(out, l.cutoffs, "cut-off " + c.element + unit);
    writeLeftAxis(out, l.tonnes,
                  std::string("tonnes at or above the cut-off (") + tonnesUnit(l.tonnes) + ")");
    writeRightAxis(out, l.grade, "mean " + c.element + " above the cut-off" + unit);
}

void writeCurves(std::ostream& out, const Layout& l, const GradeTonnageChart& c,
                 const std::vector<std::string>& colours) {
    const std::string unit = std::string(" ") + c.unit->name;
    for (size_t k = 0; k < c.byClass.size(); ++k) {
        const std::string name = c.names.empty() ? "" : c.names[k] + ", ";
        std::vector<std::optional<Point>> tonnes;
        std::vector<std::optional<Point>> grade;
        for (const GradeTonnageRow& r : c.byClass[k]) {
            std::string at = name;
            at.append("cut-off ").append(formatNumber(r.cutoff)).append(unit).append(": ");
            const double x = l.cutoffs.xOf(r.cutoff);
            std::string weight = at;
            weight.append(formatNumber(r.tonnes)).append(" t");
            tonnes.push_back(Point{x, l.tonnes.yOf(r.tonnes), weight});
            if (r.tonnes > 0) {
                std::string mean = at;
                mean.append("mean ").append(formatNumber(r.meanGrade)).append(unit);
                grade.push_back(Point{x, l.grade.yOf(r.meanGrade), mean});
            } else {
                grade.emplace_back();
            }
        }
        writeCurve(out, "tonnes", c.names.empty() ? kTonnesColour : colours[k], tonnes);
        writeCurve(out, "grade", c.names.empty() ? kGradeColour : colours[k], grade);
    }
}

// Which line is which, and the colour of each class.
void writeKey(std::ostream& out, const GradeTonnageChart& c,
              const std::vector<std::string>& colours) {
    const double x = kRight + kRightLabels + 40;
    const bool one = c.names.empty();
    writeKeyLine(out, x, kTop + 6, "tonnes", one ? kTonnesColour : kAllColour, "tonnes (left)");
    writeKeyLine(out, x, kTop + 6 + kKeyRow, "grade", one ? kGradeColour : kAllColour,
                 "mean grade (right)");
    for (size_t k = 0; k < c.names.size(); ++k) {
        const double y = kTop + kKeyRow * static_cast<double>(k + 3);
        out << "<rect class=\"key\" x=\"" << px(x) << "\" y=\"" << px(y)
            << "\" width=\"22\" height=\"12\" fill=\"" << colours[k] << "\"/>\n";
        writeText(out, x + 30, y + 10, c.names[k]);
    }
}

}  // namespace

void writeGradeTonnageSvg(std::ostream& out, const GradeTonnageChart& chart) {
    GradeTonnageChart c = chart;
    std::vector<std::string> colours = classColours(c.names);
    if (!c.names.empty()) {
        c.names.emplace_back("(all)");
        colours.emplace_back(kAllColour);
    }
    const Layout l = layoutOf(c);
    writeSvgStart(out, l.width, l.height,
                  "path.tonnes,path.grade,line.tonnes,line.grade{fill:none;stroke-width:2}"
                  "path.grade,line.grade{stroke-dasharray:7 4}");
    writeText(out, kLeft, 32, c.title, " class=\"title\"");
    writeText(out, kLeft, 54, c.subtitle);
    writeAxes(out, l, c);
    writeCurves(out, l, c, colours);
    writeKey(out, c, colours);
    out << "</svg>\n";
}

}  // namespace vornel::cli
