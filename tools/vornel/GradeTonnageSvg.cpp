#include "GradeTonnageSvg.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "NumberText.h"
#include "SvgWriter.h"

namespace vornel::cli {
namespace {

constexpr double kLeft = 110;
constexpr double kTop = 80;
constexpr double kPlotWidth = 720;
constexpr double kPlotHeight = 420;
constexpr double kBottomMargin = 70;
constexpr double kRightLabels = 90;  // the right axis's labels and name
constexpr double kKeyRow = 20;

// One curve alone takes the colours of its axes.
constexpr const char* kTonnesColour = "#0072b2";
constexpr const char* kGradeColour = "#d55e00";
constexpr const char* kAllColour = "#222222";

// A value axis from 0 to a round value above the largest, in a unit that
// keeps its labels short.
struct ValueAxis {
    double factor = 1;  // values are divided by it for their labels
    double step = 1;
    double top = 1;  // in labelled units

    double yOf(double value) const { return kTop + kPlotHeight * (1 - value / factor / top); }
};

ValueAxis valueAxis(double largest, double factor) {
    ValueAxis a;
    a.factor = factor;
    const double scaled = largest > 0 ? largest / factor : 1;
    a.step = niceStep(scaled, 5);
    a.top = std::ceil(scaled / a.step - 1e-9) * a.step;
    return a;
}

double tonnesFactor(double largest) {
    return largest >= 1e6 ? 1e6 : largest >= 1e3 ? 1e3 : 1;
}

const char* tonnesUnit(double factor) {
    return factor == 1e6 ? "Mt" : factor == 1e3 ? "kt" : "t";
}

struct Layout {
    double low = 0;   // the first cut-off
    double high = 1;  // the last
    ValueAxis tonnes;
    ValueAxis grade;
    double width = 0;
    double height = 0;

    // Halves, so that cut-offs near the ends of the doubles do not overflow;
    // a span too small to tell its ends apart puts them in the middle.
    double xOf(double cutoff) const {
        const double span = high / 2 - low / 2;
        return span > 0 ? kLeft + kPlotWidth * ((cutoff / 2 - low / 2) / span)
                        : kLeft + kPlotWidth / 2;
    }
    double right() const { return kLeft + kPlotWidth; }
    double bottom() const { return kTop + kPlotHeight; }
};

Layout layoutOf(const GradeTonnageChart& c) {
    Layout l;
    double mostTonnes = 0;
    double mostGrade = 0;
    l.low = HUGE_VAL;
    l.high = -HUGE_VAL;
    for (const std::vector<GradeTonnageRow>& rows : c.byClass) {
        for (const GradeTonnageRow& r : rows) {
            l.low = std::min(l.low, r.cutoff);
            l.high = std::max(l.high, r.cutoff);
            mostTonnes = std::max(mostTonnes, r.tonnes);
            mostGrade = r.tonnes > 0 ? std::max(mostGrade, r.meanGrade) : mostGrade;
        }
    }
    // One cut-off is drawn in the middle of a unit span.
    if (!(l.high > l.low)) {
        l.low = std::isfinite(l.low) ? l.low - 0.5 : 0;
        l.high = l.low + 1;
    }
    l.tonnes = valueAxis(mostTonnes, tonnesFactor(mostTonnes));
    l.grade = valueAxis(mostGrade, 1);
    double key = 0;
    for (const std::string& name : c.names) {
        key = std::max(key, textWidth(name, 12));
    }
    key = std::max({key, textWidth("tonnes (left)", 12), textWidth("mean grade (right)", 12)});
    l.width = std::max(kLeft + kPlotWidth + kRightLabels + 40 + key + 20,
                       kLeft + textWidth(c.title, 18) + 20);
    l.height = std::max(kTop + kPlotHeight + kBottomMargin,
                        kTop + kKeyRow * static_cast<double>(c.names.size() + 3));
    return l;
}

void writeAxes(std::ostream& out, const Layout& l, const GradeTonnageChart& c) {
    const double span = l.high - l.low;
    const double step = niceStep(span, 8);
    for (const double value : niceTicks(l.low, l.high, step)) {
        const double x = l.xOf(value);
        writeLine(out, x, kTop, x, l.bottom(), "grid");
        writeText(out, x, l.bottom() + 18, tickText(value, step), " text-anchor=\"middle\"");
    }
    for (const double value : niceTicks(0, l.tonnes.top, l.tonnes.step)) {
        const double y = l.tonnes.yOf(value * l.tonnes.factor);
        writeLine(out, kLeft, y, l.right(), y, "grid");
        writeText(out, kLeft - 8, y + 4, tickText(value, l.tonnes.step), " text-anchor=\"end\"");
    }
    for (const double value : niceTicks(0, l.grade.top, l.grade.step)) {
        const double y = l.grade.yOf(value);
        writeLine(out, l.right(), y, l.right() + 5, y, "tick");
        writeText(out, l.right() + 9, y + 4, tickText(value, l.grade.step));
    }
    const std::string unit = std::string(" (") + c.unit->name + ")";
    writeText(out, (kLeft + l.right()) / 2, l.bottom() + 42, "cut-off " + c.element + unit,
              " text-anchor=\"middle\" class=\"axis\"");
    const double middle = (kTop + l.bottom()) / 2;
    const auto sideways = [&](double x, const std::string& text) {
        writeText(out, x, middle, text,
                  " text-anchor=\"middle\" class=\"axis\" transform=\"rotate(-90 " + px(x) + " " +
                      px(middle) + ")\"");
    };
    sideways(kLeft - 62,
             std::string("tonnes at or above the cut-off (") + tonnesUnit(l.tonnes.factor) + ")");
    sideways(l.right() + kRightLabels - 20, "mean " + c.element + " above the cut-off" + unit);
}

// A path through the points, broken where a point is missing (no tonnes
// left to take a mean grade of), and a circle at each point.
struct Point {
    double x;
    double y;
    std::string title;
};

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
            const double x = l.xOf(r.cutoff);
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

void writeKeyLine(std::ostream& out, double x, double y, const char* kind, const char* colour,
                  const std::string& text) {
    out << "<line x1=\"" << px(x) << "\" y1=\"" << px(y) << "\" x2=\"" << px(x + 22) << "\" y2=\""
        << px(y) << "\" class=\"" << kind << "\" stroke=\"" << colour << "\"/>\n";
    writeText(out, x + 30, y + 4, text);
}

// Which line is which, and the colour of each class.
void writeKey(std::ostream& out, const Layout& l, const GradeTonnageChart& c,
              const std::vector<std::string>& colours) {
    const double x = l.right() + kRightLabels + 40;
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
    out << "<rect x=\"" << px(kLeft) << "\" y=\"" << px(kTop) << "\" width=\"" << px(kPlotWidth)
        << "\" height=\"" << px(kPlotHeight) << "\" fill=\"#f7f7f7\" stroke=\"#888\"/>\n";
    writeAxes(out, l, c);
    writeCurves(out, l, c, colours);
    writeKey(out, l, c, colours);
    out << "</svg>\n";
}

}  // namespace vornel::cli
