// The frame of a chart drawn as SVG, which the grade-tonnage curve and the
// swath share: a plot area, an axis across it, value axes up its sides
// from 0, and curves of points that say their values when pointed at.
#ifndef VORNEL_CLI_SVGCHART_H
#define VORNEL_CLI_SVGCHART_H

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace vornel::cli::chart {

constexpr double kLeft = 110;
constexpr double kTop = 80;
constexpr double kPlotWidth = 720;
constexpr double kPlotHeight = 420;
constexpr double kRight = kLeft + kPlotWidth;
constexpr double kBottom = kTop + kPlotHeight;
constexpr double kBottomMargin = 70;
constexpr double kRightLabels = 90;  // the right axis's labels and name
constexpr double kKeyRow = 20;

// Values across the plot, from low at its left edge to high at its right.
struct Across {
    double low = 0;
    double high = 1;
    bool logarithmic = false;  // equal ratios equally far apart; low above 0

    double xOf(double value) const;
};

// The values' span; one value alone, or none, is drawn mid-plot.
Across acrossOf(double low, double high);

// The same on a logarithmic scale, for values above 0: one value alone is
// drawn mid-plot between its half and its double.
Across logAcrossOf(double low, double high);

// A value axis from 0, or a round value below the least where that is below
// 0 (kriging may estimate a grade below 0), to a round value above the
// largest, in a unit that keeps its labels short.
struct ValueAxis {
    double factor = 1;  // values are divided by it for their labels
    double step = 1;
    double bottom = 0;  // in labelled units
    double top = 1;

    double yOf(double value) const {
        return kTop + kPlotHeight * (top - value / factor) / (top - bottom);
    }
};

ValueAxis valueAxis(double largest, double factor, double least = 0);

// Tonnes in t, kt or Mt, by the largest.
ValueAxis tonnesAxis(double largest);
const char* tonnesUnit(const ValueAxis& axis);

// The plot's background and the grid lines and labels of the axis across.
void writePlot(std::ostream& out, const Across& across, const std::string& label);

// Grid lines and labels of a value axis on the left, ticks and labels on
// the right; its name written up the side.
void writeLeftAxis(std::ostream& out, const ValueAxis& axis, const std::string& name);
void writeRightAxis(std::ostream& out, const ValueAxis& axis, const std::string& name);

struct Point {
    double x;
    double y;
    std::string title;
};

// A path of class `kind` through the points, broken where a point is
// missing, and, when `marked`, a circle at each point whose <title> is the
// point's.
void writeCurve(std::ostream& out, const char* kind, const std::string& colour,
                const std::vector<std::optional<Point>>& points, bool marked = true);

// A short line of the curve's kind and colour, with its text after it.
void writeKeyLine(std::ostream& out, double x, double y, const char* kind,
                  const std::string& colour, const std::string& text);

}  // namespace vornel::cli::chart

#endif
