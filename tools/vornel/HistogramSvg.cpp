#include "HistogramSvg.h"

#include <algorithm>
#include <cmath>
#include <numeric>
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

std::string binText(const HistogramChart& c, const GradeBins& bins, long k) {
    return formatNumber(bins.bound(k)) + " to " + formatNumber(bins.bound(k + 1)) + " " +
           c.unit->name;
}

void writeBars(std::ostream& out, const HistogramChart& c, const Across& a, const GradeBins& bins,
               const std::vector<double>& tonnes, const ValueAxis& axis) {
    for (long k = 0; k < bins.count; ++k) {
        const double t = tonnes[static_cast<size_t>(k)];
        if (!(t > 0)) {
            continue;
        }
        const double left = a.xOf(bins.bound(k));
        const double right = a.xOf(bins.bound(k + 1));
        const double top = axis.yOf(t);
        out << "<rect class=\"tonnes\" x=\"" << px(left) << "\" y=\"" << px(top) << "\" width=\""
            << px(right - left) << "\" height=\"" << px(kBottom - top) << "\" fill=\"" << kBarColour
            << "\"><title>"
            << escaped(c.element + " " + binText(c, bins, k) + ": " + formatNumber(t) + " t")
            << "</title></rect>\n";
    }
}

void writeShares(std::ostream& out, const HistogramChart& c, const Across& a, const GradeBins& bins,
                 const ValueAxis& percent, const std::vector<std::string>& colours) {
    for (size_t r = 0; r < c.grades.size(); ++r) {
        const std::vector<double> tonnes = histogram(*c.grades[r], bins);
        const double total = std::accumulate(tonnes.begin(), tonnes.end(), 0.0);
        std::vector<std::optional<Point>> points;
        double below = 0;
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

// The bins span the grades (those above 0 on a logarithmic scale); grades
// all alike get a span around them.
Across acrossOf(const HistogramChart& c) {
    const std::vector<WeighedGrade>& all = *c.grades.back();
    if (!c.logarithmic) {
        return all.empty() ? chart::acrossOf(0, 0)
                           : chart::acrossOf(all.front().grade, all.back().grade);
    }
    const auto positive =
        std::find_if(all.begin(), all.end(), [](const WeighedGrade& g) { return g.grade > 0; });
    return positive == all.end() ? logAcrossOf(1, 1)
                                 : logAcrossOf(positive->grade, all.back().grade);
}

}  // namespace

void writeHistogramSvg(std::ostream& out, const HistogramChart& c) {
    const Across a = acrossOf(c);
    const GradeBins bins{a.low, a.high, c.bins, a.logarithmic};
    const std::vector<double> tonnes = histogram(*c.grades.back(), bins);
    const ValueAxis bars = tonnesAxis(*std::max_element(tonnes.begin(), tonnes.end()));
    const ValueAxis percent = valueAxis(100, 1);
    std::vector<std::string> colours;
    if (c.names.size() == 1) {
        colours.emplace_back(kShareColour);
    } else {
        colours = classColours({c.names.begin(), c.names.end() - 1});
        colours.emplace_back(kAllColour);
    }
    double key = textWidth("tonnes in the bin (left)", 12);
    for (const std::string& name : c.names) {
        key = std::max(key, textWidth(name + " share below (right)", 12));
    }
    const double width =
        std::max(kRight + kRightLabels + 40 + key + 20, kLeft + textWidth(c.title, 18) + 20);
    const double height =
        std::max(kBottom + kBottomMargin, kTop + kKeyRow * static_cast<double>(c.names.size() + 2));
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
    out << "<rect class=\"tonnes\" x=\"" << px(x) << "\" y=\"" << px(kTop)
        << "\" width=\"22\" height=\"12\" fill=\"" << kBarColour << "\"/>\n";
    writeText(out, x + 30, kTop + 10, "tonnes in the bin (left)");
    for (size_t r = 0; r < c.names.size(); ++r) {
        const double y = kTop + 6 + kKeyRow * static_cast<double>(r + 1);
        writeKeyLine(out, x, y, "share", colours[r],
                     (c.names.size() == 1 ? std::string("share") : c.names[r]) + " below (right)");
    }
    out << "</svg>\n";
}

}  // namespace vornel::cli
