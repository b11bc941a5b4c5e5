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

std::string binText(const HistogramChart& c, const Across& a, long k) {
    return formatNumber(binBound(k, a.low, a.high, c.bins)) + " to " +
           formatNumber(binBound(k + 1, a.low, a.high, c.bins)) + " " + c.unit->name;
}

void writeBars(std::ostream& out, const HistogramChart& c, const Across& a,
               const std::vector<double>& tonnes, const ValueAxis& axis) {
    for (long k = 0; k < c.bins; ++k) {
        const double t = tonnes[static_cast<size_t>(k)];
        if (!(t > 0)) {
            continue;
        }
        const double left = a.xOf(binBound(k, a.low, a.high, c.bins));
        const double right = a.xOf(binBound(k + 1, a.low, a.high, c.bins));
        const double top = axis.yOf(t);
        out << "<rect class=\"tonnes\" x=\"" << px(left) << "\" y=\"" << px(top) << "\" width=\""
            << px(right - left) << "\" height=\"" << px(kBottom - top) << "\" fill=\"" << kBarColour
            << "\"><title>"
            << escaped(c.element + " " + binText(c, a, k) + ": " + formatNumber(t) + " t")
            << "</title></rect>\n";
    }
}

void writeShares(std::ostream& out, const HistogramChart& c, const Across& a,
                 const ValueAxis& percent, const std::vector<std::string>& colours) {
    for (size_t r = 0; r < c.grades.size(); ++r) {
        const std::vector<double> tonnes = histogram(*c.grades[r], a.low, a.high, c.bins);
        const double total = std::accumulate(tonnes.begin(), tonnes.end(), 0.0);
        std::vector<std::optional<Point>> points;
        double below = 0;
        for (long k = 0; k < c.bins && total > 0; ++k) {
            below += tonnes[static_cast<size_t>(k)];
            const double share = 100 * below / total;
            const double bound = binBound(k + 1, a.low, a.high, c.bins);
            points.push_back(Point{a.xOf(bound), percent.yOf(share),
                                   c.names[r] + ": " + formatFixed(share, 1) + " % of the tonnes " +
                                       (k + 1 == c.bins ? "at or below " : "below ") +
                                       formatNumber(bound) + " " + c.unit->name});
        }
        writeCurve(out, "share", colours[r], points);
    }
}

}  // namespace

void writeHistogramSvg(std::ostream& out, const HistogramChart& c) {
    const std::vector<WeighedGrade>& all = *c.grades.back();
    // The bins span the grades; grades all alike get a span around them.
    const Across a = all.empty() ? acrossOf(0, 0) : acrossOf(all.front().grade, all.back().grade);
    const std::vector<double> tonnes = histogram(all, a.low, a.high, c.bins);
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
    writePlot(out, a, c.element + " (" + c.unit->name + ")");
    writeLeftAxis(out, bars, std::string("tonnes in the bin (") + tonnesUnit(bars) + ")");
    writeRightAxis(out, percent, "share of the tonnes below the grade (%)");
    writeBars(out, c, a, tonnes, bars);
    writeShares(out, c, a, percent, colours);
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
