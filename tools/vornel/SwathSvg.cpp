#include "SwathSvg.h"

#include <algorithm>
#include <optional>

#include "NumberText.h"
#include "SvgChart.h"
#include "SvgWriter.h"

namespace vornel::cli {
namespace {

using namespace chart;

const char* const kRunColours[] = {"#0072b2", "#d55e00"};

std::string sliceText(const SwathChart& c, long k) {
    return c.axis + " " + formatExact(stepMultiple(k, c.width)) + " to " +
           formatExact(stepMultiple(k + 1, c.width));
}

void writeBars(std::ostream& out, const SwathChart& c, const Across& across,
               const ValueAxis& tonnes) {
    const double runs = static_cast<double>(c.swaths.size());
    for (size_t r = 0; r < c.swaths.size(); ++r) {
        for (const auto& [k, slice] : c.swaths[r]) {
            const double low = stepMultiple(k, c.width);
            const double left = across.xOf(low + c.width * static_cast<double>(r) / runs);
            const double right = across.xOf(low + c.width * static_cast<double>(r + 1) / runs);
            const double top = tonnes.yOf(slice.tonnes);
            out << "<rect class=\"tonnes\" x=\"" << px(left) << "\" y=\"" << px(top)
                << "\" width=\"" << px(right - left) << "\" height=\"" << px(kBottom - top)
                << "\" fill=\"" << kRunColours[r] << "\"><title>"
                << escaped(c.names[r] + ", " + sliceText(c, k) + ": " + formatNumber(slice.tonnes) +
                           " t in " + std::to_string(slice.blocks) +
                           (slice.blocks == 1 ? " block" : " blocks"))
                << "</title></rect>\n";
        }
    }
}

void writeGrades(std::ostream& out, const SwathChart& c, const Across& across,
                 const ValueAxis& grade, std::pair<long, long> range) {
    const std::string unit = std::string(" ") + c.unit->name;
    for (size_t r = 0; r < c.swaths.size(); ++r) {
        std::vector<std::optional<Point>> points;
        for (long k = range.first; k <= range.second; ++k) {
            const auto slice = c.swaths[r].find(k);
            if (slice == c.swaths[r].end() || !(slice->second.tonnes > 0)) {
                points.emplace_back();
                continue;
            }
            const double mean = slice->second.meanGrade();
            points.push_back(
                Point{across.xOf((static_cast<double>(k) + 0.5) * c.width), grade.yOf(mean),
                      c.names[r] + ", " + sliceText(c, k) + ": mean " + formatNumber(mean) + unit});
        }
        writeCurve(out, "grade", kRunColours[r], points);
    }
}

}  // namespace

void writeSwathSvg(std::ostream& out, const SwathChart& c) {
    const std::pair<long, long> range = sliceRange(c.swaths);
    double mostTonnes = 0;
    double mostGrade = 0;
    double leastGrade = 0;
    for (const Swath& s : c.swaths) {
        for (const auto& entry : s) {
            const SwathSlice& slice = entry.second;
            mostTonnes = std::max(mostTonnes, slice.tonnes);
            if (slice.tonnes > 0) {
                mostGrade = std::max(mostGrade, slice.meanGrade());
                leastGrade = std::min(leastGrade, slice.meanGrade());
            }
        }
    }
    const Across across =
        range.second < range.first
            ? acrossOf(0, 0)
            : acrossOf(stepMultiple(range.first, c.width), stepMultiple(range.second + 1, c.width));
    const ValueAxis tonnes = tonnesAxis(mostTonnes);
    const ValueAxis grade = valueAxis(mostGrade, 1, leastGrade);
    double key = 0;
    for (const std::string& name : c.names) {
        key = std::max(key, textWidth(name + " mean grade (left)", 12));
    }
    const double width =
        std::max(kRight + kRightLabels + 40 + key + 20, kLeft + textWidth(c.title, 18) + 20);
    writeSvgStart(out, width, kBottom + kBottomMargin,
                  "path.grade,line.grade{fill:none;stroke-width:2}"
                  "rect.tonnes{fill-opacity:0.3;stroke:#fff}");
    writeText(out, kLeft, 32, c.title, " class=\"title\"");
    writeText(out, kLeft, 54, c.subtitle);
    const std::string unit = std::string(" (") + c.unit->name + ")";
    writePlot(out, across, c.axis + " (slices " + formatExact(c.width) + " wide)");
    writeLeftAxis(out, grade, "mean " + c.element + " in the slice" + unit);
    writeRightAxis(out, tonnes, std::string("tonnes in the slice (") + tonnesUnit(tonnes) + ")");
    writeBars(out, c, across, tonnes);
    writeGrades(out, c, across, grade, range);
    const double x = kRight + kRightLabels + 40;
    for (size_t r = 0; r < c.names.size(); ++r) {
        const double y = kTop + 6 + kKeyRow * 2 * static_cast<double>(r);
        writeKeyLine(out, x, y, "grade", kRunColours[r], c.names[r] + " mean grade (left)");
        out << "<rect class=\"tonnes\" x=\"" << px(x) << "\" y=\"" << px(y + kKeyRow - 6)
            << "\" width=\"22\" height=\"12\" fill=\"" << kRunColours[r] << "\"/>\n";
        writeText(out, x + 30, y + kKeyRow + 4, c.names[r] + " tonnes (right)");
    }
    out << "</svg>\n";
}

}  // namespace vornel::cli
