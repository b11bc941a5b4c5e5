#include "SvgChart.h"

#include <algorithm>
#include <cmath>

#include "NumberText.h"
#include "SvgWriter.h"

namespace vornel::cli::chart {
namespace {

void writeSideways(std::ostream& out, double x, const std::string& text) {
    const double middle = (kTop + kBottom) / 2;
    writeText(out, x, middle, text,
              " text-anchor=\"middle\" class=\"axis\" transform=\"rotate(-90 " + px(x) + " " +
                  px(middle) + ")\"");
}

// 1, 2 and 5 times the powers of ten from low to high; where those would
// crowd the axis, the powers of ten alone, or every so many of them.
std::vector<double> logTicks(double low, double high) {
    std::vector<double> ticks;
    const double decades = std::log10(high) - std::log10(low);
    if (!(decades < 700)) {
        return ticks;
    }
    const std::vector<double> steps =
        decades > 4 ? std::vector<double>{1} : std::vector<double>{1, 2, 5};
    const int stride = std::max(1, static_cast<int>(std::ceil(decades / 12)));
    const int first = static_cast<int>(std::floor(std::log10(low)));
    const int last = static_cast<int>(std::ceil(std::log10(high)));
    for (int exponent = first; exponent <= last; exponent += stride) {
        const double power = std::pow(10, exponent);
        for (const double step : steps) {
            const double value = step * power;
            if (value >= low && value <= high) {
                ticks.push_back(value);
            }
        }
    }
    return ticks;
}

}  // namespace

// Halves, so that values near the ends of the doubles do not overflow; a
// span too small to tell its ends apart puts them in the middle.
double Across::xOf(double value) const {
    if (logarithmic) {
        const double span = std::log(high) - std::log(low);
        return span > 0 ? kLeft + kPlotWidth * ((std::log(value) - std::log(low)) / span)
                        : kLeft + kPlotWidth / 2;
    }
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

Across logAcrossOf(double low, double high) {
    if (!(high > low)) {
        return {low / 2, low * 2, true};
    }
    return {low, high, true};
}

ValueAxis valueAxis(double largest, double factor, double least) {
    ValueAxis a;
    a.factor = factor;
    const double low = least < 0 ? least / factor : 0;
    const double high = largest > 0 ? largest / factor : low < 0 ? 0 : 1;
    a.step = niceStep(high - low, 5);
    a.bottom = std::floor(low / a.step + 1e-9) * a.step;
    a.top = std::ceil(high / a.step - 1e-9) * a.step;
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
    const auto tick = [&](double value, const std::string& text) {
        const double x = across.xOf(value);
        writeLine(out, x, kTop, x, kBottom, "grid");
        writeText(out, x, kBottom + 18, text, " text-anchor=\"middle\"");
    };
    const std::vector<double> powers =
        across.logarithmic ? logTicks(across.low, across.high) : std::vector<double>();
    // A span within a decade may hold no 1, 2 or 5: it takes the ticks of a
    // plain scale.
    if (powers.size() >= 2) {
        for (const double value : powers) {
            tick(value, formatNumber(value));
        }
    } else {
        const double step = niceStep(across.high - across.low, 8);
        for (const double value : niceTicks(across.low, across.high, step)) {
            tick(value, tickText(value, step));
        }
    }
    writeText(out, (kLeft + kRight) / 2, kBottom + 42, label,
              " text-anchor=\"middle\" class=\"axis\"");
}

void writeLeftAxis(std::ostream& out, const ValueAxis& axis, const std::string& name) {
    for (const double value : niceTicks(axis.bottom, axis.top, axis.step)) {
        const double y = axis.yOf(value * axis.factor);
        writeLine(out, kLeft, y, kRight, y, "grid");
        writeText(out, kLeft - 8, y + 4, tickText(value, axis.step), " text-anchor=\"end\"");
    }
    writeSideways(out, kLeft - 62, name);
}

void writeRightAxis(std::ostream& out, const ValueAxis& axis, const std::string& name) {
    for (const double value : niceTicks(axis.bottom, axis.top, axis.step)) {
        const double y = axis.yOf(value * axis.factor);
        writeLine(out, kRight, y, kRight + 5, y, "tick");
        writeText(out, kRight + 9, y + 4, tickText(value, axis.step));
    }
    writeSideways(out, kRight + kRightLabels - 20, name);
}

void writeCurve(std::ostream& out, const char* kind, const std::string& colour,
                const std::vector<std::optional<Point>>& points, bool marked) {
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
    for (const std::optional<Point>& p : marked ? points : std::vector<std::optional<Point>>()) {
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
