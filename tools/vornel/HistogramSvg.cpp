#include "HistogramSvg.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "NumberText.h"
#include "SvgChart.h"
#include "SvgWriter.h"

namespace vornel::cli {
namespace {

using namespace chart;

constexpr const char* kBarColour = "#0072b2";
constexpr const char* kShareColour = "#d55e00";  // the one curve of a model without classes
constexpr const char* kAllColour = "#222222";
constexpr const char* kRunColours[] = {"#0072b2", "#d55e00"};

std::string binText(const HistogramChart& c, const GradeBins& bins, long k) {
    return formatNumber(bins.bound(k)) + " to " + formatNumber(bins.bound(k + 1)) + " " +
           c.unit->name;
}

// Each run's bar takes its share of the bin's width, side by side.
void writeBars(std::ostream& out, const HistogramChart& c, const Across& a, const GradeBins& bins,
               const std::vector<std::vector<double>>& tonnes, const ValueAxis& axis) {
    const double runs = static_cast<double>(tonnes.size());
    for (size_t r = 0; r < tonnes.size(); ++r) {
        for (long k = 0; k < bins.count; ++k) {
            const double t = tonnes[r][static_cast<size_t>(k)];
            if (!(t > 0)) {
                continue;
            }
            const double bin = a.xOf(bins.bound(k + 1)) - a.xOf(bins.bound(k));
            const double left = a.xOf(bins.bound(k)) + bin * static_cast<double>(r) / runs;
            const double top = axis.yOf(t);
            out << "<rect class=\"tonnes\" x=\"" << px(left) << "\" y=\"" << px(top)
                << "\" width=\"" << px(bin / runs) << "\" height=\"" << px(kBottom - top)
                << "\" fill=\"" << (runs > 1 ? kRunColours[r] : kBarColour) << "\"><title>"
                << escaped((runs > 1 ? c.runs[r] + ", " : std::string()) + c.element + " " +
                           binText(c, bins, k) + ": " + formatNumber(t) + " t")
                << "</title></rect>\n";
        }
    }
}

void writeShares(std::ostream& out, const HistogramChart& c, const Across& a, const GradeBins& bins,
                 const ValueAxis& percent, const std::vector<std::string>& colours) {
    for (size_t r = 0; r < c.grades.size(); ++r) {
        const std::vector<double> tonnes = histogram(*c.grades[r], bins);
        // Grades below the bins (at or below 0 on a logarithmic scale) are
        // tonnes below every bound.
        double total = 0;
        double below = 0;
        for (const WeighedGrade& g : *c.grades[r]) {
            total += g.tonnes;
            below += g.grade < bins.low ? g.tonnes : 0;
        }
        std::vector<std::optional<Point>> points;
        for (long k = 0; k < bins.count && total > 0; ++k) {
            below += tonnes[static_cast<size_t>(k)];
            const double share = 100 * below / total;
            const double bound = bins.bound(k + 1);
            points.push_back(Point{a.xOf(bound), percent.yOf(share),
                                   c.names[r] + ": " + formatFixed(share, 1) + " % of the tonnes " +
                                       (k + 1 == bins.count ? "at or below " : "below ") +
                                       formatNumber(bound) + " " + c.unit->name});
        }
        writeCurve(out, "share", colours[r], points);
    }
}

// The bins span every run's grades (those above 0 on a logarithmic scale);
// grades all alike get a span around them.
Across acrossOf(const HistogramChart& c) {
    std::optional<double> low;
    std::optional<double> high;
    for (const std::vector<WeighedGrade>* run : c.runGrades) {
        const auto first = std::find_if(run->begin(), run->end(), [&](const WeighedGrade& g) {
            return !c.logarithmic || g.grade > 0;
        });
        if (first != run->end()) {
            low = std::min(low.value_or(first->grade), first->grade);
            high = std::max(high.value_or(run->back().grade), run->back().grade);
        }
    }
    if (!low) {
        return c.logarithmic ? logAcrossOf(1, 1) : chart::acrossOf(0, 0);
    }
    return c.logarithmic ? logAcrossOf(*low, *high) : chart::acrossOf(*low, *high);
}

std::vector<std::string> curveColours(const HistogramChart& c) {
    if (c.runs.size() > 1) {
        return {std::begin(kRunColours), std::end(kRunColours)};
    }
    if (c.names.size() == 1) {
        return {kShareColour};
    }
    std::vector<std::string> colours = classColours({c.names.begin(), c.names.end() - 1});
    colours.emplace_back(kAllColour);
    return colours;
}

}  // namespace

void writeHistogramSvg(std::ostream& out, const HistogramChart& c) {
    const Across a = acrossOf(c);
    const GradeBins bins{a.low, a.high, c.bins, a.logarithmic};
    std::vector<std::vector<double>> tonnes;
    double most = 0;
    for (const std::vector<WeighedGrade>* run : c.runGrades) {
        tonnes.push_back(histogram(*run, bins));
        most = std::max(most, *std::max_element(tonnes.back().begin(), tonnes.back().end()));
    }
    const ValueAxis bars = tonnesAxis(most);
    const ValueAxis percent = valueAxis(100, 1);
    const std::vector<std::string> colours = curveColours(c);
    std::vector<std::string> barKeys(c.runs.size());
    std::transform(c.runs.begin(), c.runs.end(), barKeys.begin(), [&](const std::string& run) {
        return (c.runs.size() > 1 ? run + " " : std::string()) + "tonnes in the bin (left)";
    });
    double key = 0;
    for (const std::string& text : barKeys) {
        key = std::max(key, textWidth(text, 12));
    }
    for (const std::string& name : c.names) {
        key = std::max(key, textWidth(name + " share below (right)", 12));
    }
    const double width =
        std::max(kRight + kRightLabels + 40 + key + 20, kLeft + textWidth(c.title, 18) + 20);
    const double keyRows = static_cast<double>(barKeys.size() + c.names.size() + 1);
    const double height = std::max(kBottom + kBottomMargin, kTop + kKeyRow * keyRows);
    writeSvgStart(out, width, height,
                  "path.share,line.share{fill:none;stroke-width:2}"
                  "rect.tonnes{fill-opacity:0.45;stroke:#fff}");
    writeText(out, kLeft, 32, c.title, " class=\"title\"");
    writeText(out, kLeft, 54, c.subtitle);
    writePlot(out, a,
              c.element + " (" + c.unit->name + ")" + (a.logarithmic ? ", logarithmic scale" : ""));
    writeLeftAxis(out, bars, std::string("tonnes in the bin (") + tonnesUnit(bars) + ")");
    writeRightAxis(out, percent, "share of the tonnes below the grade (%)");
    writeBars(out, c, a, bins, tonnes, bars);
    writeShares(out, c, a, bins, percent, colours);
    const double x = kRight + kRightLabels + 40;
    for (size_t r = 0; r < barKeys.size(); ++r) {
        const double y = kTop + kKeyRow * static_cast<double>(r);
        out << "<rect class=\"tonnes\" x=\"" << px(x) << "\" y=\"" << px(y)
            << "\" width=\"22\" height=\"12\" fill=\""
            << (barKeys.size() > 1 ? kRunColours[r] : kBarColour) << "\"/>\n";
        writeText(out, x + 30, y + 10, barKeys[r]);
    }
    for (size_t r = 0; r < c.names.size(); ++r) {
        const double y = kTop + 6 + kKeyRow * static_cast<double>(r + barKeys.size());
        writeKeyLine(out, x, y, "share", colours[r],
                     (c.names.size() == 1 ? std::string("share") : c.names[r]) + " below (right)");
    }
    out << "</svg>\n";
}

}  // namespace vornel::cli
