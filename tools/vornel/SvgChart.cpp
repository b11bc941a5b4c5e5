#include "SvgChart.h"

#include <cmath>

#include "SvgWriter.h"

namespace vornel::cli::chart {
namespace {

void writeSideways(std::ostream& out, double x, const std::string& text) {
    const double middle = (kTop + kBottom) / 2;
    writeText(out, x, middle, text,
              " text-anchor=\"middle\" class=\"axis\" transform=\"rotate(-90 " + px(x) + " " +
                  px(middle) + ")\"");
}

}  // namespace

// Halves, so that values near the ends of the doubles do not overflow; a
// span too small to tell its ends apart puts them in the middle.
double Across::xOf(double value) const {
    const double span = high / 2 - low / 2;
    return span > 0 ? kLeft + kPlotWidth * ((value / 2 - low / 2) / span) : kLeft + kPlotWidth / 2;
}

Across acrossOf(double low, double high) {
    if (!(high > low)) {
        low = std::isfinite(low) ? low - 0.5 : 0;
        high = low + 1;
    }
    return {low, high};
}

ValueAxis valueAxis(double largest, double factor) {
    ValueAxis a;
    a.factor = factor;
    const double scaled = largest > 0 ? largest / factor : 1;
    a.step = niceStep(scaled, 5);
    a.top = std::ceil(scaled / a.step - 1e-9) * a.step;
    return a;
}

ValueAxis tonnesAxis(double largest) {
    return valueAxis(largest, largest >= 1e6 ? 1e6 : largest >= 1e3 ? 1e3 : 1);
}

const char* tonnesUnit(const ValueAxis& axis) {
    return axis.factor == 1e6 ? "Mt" : axis.factor == 1e3 ? "kt" : "t";
}

void writePlot(std::ostream& out, const Across& across, const std::string& label) {
    out << "<rect x=\"" << px(kLeft) << "\" y=\"" << px(kTop) << "\" width=\"" << px(kPlotWidth)
        << "\" height=\"" << px(kPlotHeight) << "\" fill=\"#f7f7f7\" stroke=\"#888\"/>\n";
    const double step = niceStep(across.high - across.low, 8);
    for (const double value : niceTicks(across.low, across.high, step)) {
        const double x = across.xOf(value);
        writeLine(out, x, kTop, x, kBottom, "grid");
        writeText(out, x, kBottom + 18, tickText(value, step), " text-anchor=\"middle\"");
    }
    writeText(out, (kLeft + kRight) / 2, kBottom + 42, label,
              " text-anchor=\"middle\" class=\"axis\"");
}

void writeLeftAxis(std::ostream& out, const ValueAxis& axis, const std::string& name) {
    for (const double value : niceTicks(0, axis.top, axis.step)) {
        const double y = axis.yOf(value * axis.factor);
        writeLine(out, kLeft, y, kRight, y, "grid");
        writeText(out, kLeft - 8, y + 4, tickText(value, axis.step), " text-anchor=\"end\"");
    }
    writeSideways(out, kLeft - 62, name);
}

void writeRightAxis(std::ostream& out, const ValueAxis& axis, const std::string& name) {
    for (const double value : niceTicks(0, axis.top, axis.step)) {
        const double y = axis.yOf(value * axis.factor);
        writeLine(out, kRight, y, kRight + 5, y, "tick");
        writeText(out, kRight + 9, y + 4, tickText(value, axis.step));
    }
    writeSideways(out, kRight + kRightLabels - 20, name);
}

void writeCurve(std::ostream& out, const char* kind, const std::string& colour,
                const std::vector<std::optional<Point>>& points) {
    std::string d;
    bool joined = false;
    for (const std::optional<Point>& p : points) {
        if (p) {
            const Point& q = *p;
            d += (d.empty() ? "" : " ") + std::string(joined ? "L" : "M") + px(q.x) + " " + px(q.y);
        }
        joined = p.has_value();
    }
    out << "<path class=\"" << kind << "\" stroke=\"" << colour << "\" d=\"" << d << "\"/>\n";
    for (const std::optional<Point>& p : points) {
        if (p) {
            const Point& q = *p;
            out << "<circle class=\"" << kind << "\" cx=\"" << px(q.x) << "\" cy=\"" << px(q.y)
                << "\" r=\"3\" fill=\"" << colour << "\"><title>" << escaped(q.title)
                << "</title></circle>\n";
        }
    }
}

void writeKeyLine(std::ostream& out, double x, double y, const char* kind,
                  const std::string& colour, const std::string& text) {
    out << "<line x1=\"" << px(x) << "\" y1=\"" << px(y) << "\" x2=\"" << px(x + 22) << "\" y2=\""
        << px(y) << "\" class=\"" << kind << "\" stroke=\"" << colour << "\"/>\n";
    writeText(out, x + 30, y + 4, text);
}

}  // namespace vornel::cli::chart
