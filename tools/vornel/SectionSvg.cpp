#include "SectionSvg.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <optional>
#include <utility>

#include "NumberText.h"
#include "SvgWriter.h"

namespace vornel::cli {
namespace {

constexpr double kLeft = 90;
constexpr double kTop = 80;
constexpr double kRightMargin = 150;  // room for the colour bar
constexpr double kBottomMargin = 90;  // axis labels and the scale bar
constexpr double kPlotWidth = 860;
constexpr double kMostPlotHeight = 640;
constexpr double kKeyRow = 20;  // a class's line in the key

// The round values an axis is labelled at, between two plane coordinates.
struct Ticks {
    double step = 1;
    std::vector<double> values;
};

Ticks ticksOf(const SectionAxis& axis, double from, double to, int aim) {
    const double a = axis.valueAt(from);
    const double b = axis.valueAt(to);
    Ticks t;
    t.step = niceStep(std::fabs(b - a), aim);
    t.values = niceTicks(std::min(a, b), std::max(a, b), t.step);
    return t;
}

struct Bounds {
    double u0 = HUGE_VAL, u1 = -HUGE_VAL, v0 = HUGE_VAL, v1 = -HUGE_VAL;

    void add(const SectionPoint& p) {
        u0 = std::min(u0, p.u);
        u1 = std::max(u1, p.u);
        v0 = std::min(v0, p.v);
        v1 = std::max(v1, p.v);
    }
    bool empty() const { return u0 > u1; }
};

// The part of the segment from a to b within the drawing's bounds, by
// Liang and Barsky's clipping; none when it passes them by.
std::optional<std::pair<SectionPoint, SectionPoint>> clippedToBounds(const SectionPoint& a,
                                                                     const SectionPoint& b,
                                                                     const Bounds& bounds) {
    double from = 0;
    double to = 1;
    const double du = b.u - a.u;
    const double dv = b.v - a.v;
    const std::pair<double, double> sides[] = {{-du, a.u - bounds.u0},
                                               {du, bounds.u1 - a.u},
                                               {-dv, a.v - bounds.v0},
                                               {dv, bounds.v1 - a.v}};
    for (const auto& [toward, room] : sides) {
        if (toward == 0) {
            if (room < 0) {
                return std::nullopt;
            }
            continue;
        }
        const double t = room / toward;
        if (toward < 0) {
            from = std::max(from, t);
        } else {
            to = std::min(to, t);
        }
    }
    if (!(from <= to)) {
        return std::nullopt;
    }
    return std::pair{SectionPoint{a.u + from * du, a.v + from * dv},
                     SectionPoint{a.u + to * du, a.v + to * dv}};
}

// The plan outline's pieces within the bounds: its edges carried onto the
// section's plane, cut to them, or an upright line at each place a
// vertical section crosses it.
std::vector<std::pair<SectionPoint, SectionPoint>> outlineWithin(const SectionPicture& p,
                                                                 const Bounds& b) {
    std::vector<std::pair<SectionPoint, SectionPoint>> drawn;
    if (p.outline == nullptr) {
        return drawn;
    }
    for (const auto& [from, to] : p.outline->edges) {
        if (const auto part = clippedToBounds(from, to, b)) {
            drawn.push_back(*part);
        }
    }
    for (const double u : p.outline->crossings) {
        if (u >= b.u0 && u <= b.u1) {
            drawn.push_back({{u, b.v0}, {u, b.v1}});
        }
    }
    return drawn;
}

// Plane coordinates to the picture's pixels, one scale on both axes.
struct Layout {
    Bounds b;
    double left = kLeft;  // wide enough for the labels of the vertical axis
    double upLabels = 0;  // the width of the widest of them
    double scale = 1;
    double width = 0;
    double height = 0;
    // The plan outline's pieces within the bounds.
    std::vector<std::pair<SectionPoint, SectionPoint>> outline;

    double x(double u) const { return left + (u - b.u0) * scale; }
    double y(double v) const { return kTop + (b.v1 - v) * scale; }
    double right() const { return x(b.u1); }
    double bottom() const { return y(b.v0); }
};

std::string titleOf(const SectionPicture& p) {
    return p.table + ": section " + p.plane->title;
}

std::string subtitle(const SectionPicture& p, const Layout& l) {
    std::string text = std::to_string(p.blocks) + (p.blocks == 1 ? " block" : " blocks") + " cut";
    if (p.split > 0) {
        text += ", " + std::to_string(p.split) + " of them by " + std::to_string(p.subBlocks) +
                (p.subBlocks == 1 ? " sub-block" : " sub-blocks");
    }
    if (p.untraced > 0) {
        text += " (" + std::to_string(p.untraced) + " only touched along an edge or at a corner)";
    }
    text += "; coloured by " + (!p.classField.empty() ? p.classField
                                : p.byVariance        ? "kriging variance of " + p.element
                                                      : p.element + " grade (" + p.unit + ")");
    if (p.voids != nullptr && !p.voids->empty()) {
        text += "; void blocks of " + p.voidTable + " hatched";
    }
    if (p.outline != nullptr) {
        text += "; outline of " + p.outlineName +
                (l.outline.empty() ? " not on the drawing" : " dashed");
    }
    return text;
}

Layout layoutOf(const SectionPicture& p) {
    Layout l;
    for (const SectionTrace& t : *p.traces) {
        for (const SectionPoint& q : t.outline) {
            l.b.add(q);
        }
    }
    if (p.voids != nullptr) {
        for (const VoidTrace& t : *p.voids) {
            for (const SectionPoint& q : t.outline) {
                l.b.add(q);
            }
        }
    }
    if (l.b.empty()) {
        for (const D_3DOT& c : p.plane->corners) {
            l.b.add(toSection(p.plane->frame, c));
        }
    }
    const double padU = std::max(l.b.u1 - l.b.u0, 1.0) * 0.04;
    const double padV = std::max(l.b.v1 - l.b.v0, 1.0) * 0.04;
    l.b = {l.b.u0 - padU, l.b.u1 + padU, l.b.v0 - padV, l.b.v1 + padV};
    l.scale = std::min(kPlotWidth / (l.b.u1 - l.b.u0), kMostPlotHeight / (l.b.v1 - l.b.v0));
    l.outline = outlineWithin(p, l.b);
    const Ticks up = ticksOf(p.plane->up, l.b.v0, l.b.v1, 6);
    for (const double value : up.values) {
        l.upLabels = std::max(l.upLabels, textWidth(tickText(value, up.step), 12));
    }
    // The labels, a gap, and the axis name turned on its side.
    l.left = std::max(kLeft, l.upLabels + 40);
    l.width = std::max({l.left + (l.b.u1 - l.b.u0) * l.scale + kRightMargin,
                        l.left + textWidth(titleOf(p), 18) + 20,
                        l.left + textWidth(subtitle(p, l), 12) + 20});
    l.height = kTop + (l.b.v1 - l.b.v0) * l.scale + kBottomMargin;
    // The key to the classes may run wider and further down than the plot.
    for (const std::string& name : p.classes.names) {
        l.width = std::max(l.width, l.right() + 30 + 27 + textWidth(name, 12) + 10);
    }
    l.height =
        std::max(l.height, kTop + kKeyRow * static_cast<double>(p.classes.names.size()) + 10);
    return l;
}

// Grid lines and labels where the model coordinate is round.
void writeAxes(std::ostream& out, const Layout& l, const SectionPlane& plane) {
    const SectionAxis& across = plane.across;
    const SectionAxis& up = plane.up;
    const Ticks a = ticksOf(across, l.b.u0, l.b.u1, 8);
    for (const double value : a.values) {
        const double x = l.x((value - across.offset) / across.sign);
        writeLine(out, x, kTop, x, l.bottom(), "grid");
        writeText(out, x, l.bottom() + 18, tickText(value, a.step), " text-anchor=\"middle\"");
    }
    const Ticks b = ticksOf(up, l.b.v0, l.b.v1, 6);
    for (const double value : b.values) {
        const double y = l.y((value - up.offset) / up.sign);
        writeLine(out, l.left, y, l.right(), y, "grid");
        writeText(out, l.left - 8, y + 4, tickText(value, b.step), " text-anchor=\"end\"");
    }
    writeText(out, (l.left + l.right()) / 2, l.bottom() + 40, across.name + " (m)",
              " text-anchor=\"middle\" class=\"axis\"");
    const double middle = (kTop + l.bottom()) / 2;
    const double nameX = l.left - l.upLabels - 20;
    writeText(out, nameX, middle, up.name + " (m)",
              " text-anchor=\"middle\" class=\"axis\" transform=\"rotate(-90 " + px(nameX) + " " +
                  px(middle) + ")\"");
}

// The d attribute of an outline's path.
void writeOutline(std::ostream& out, const Layout& l, const SectionPolygon& outline) {
    out << " d=\"";
    for (size_t i = 0; i < outline.size(); ++i) {
        out << (i == 0 ? "M" : " L") << px(l.x(outline[i].u)) << ' ' << px(l.y(outline[i].v));
    }
    out << " Z\"";
}

void writePieceName(std::ostream& out, const char* what, int32_t blockId, int subBlock) {
    out << "<title>" << what << ' ' << blockId;
    if (subBlock > 0) {
        out << ", sub-block " << subBlock;
    }
}

void writeTraces(std::ostream& out, const Layout& l, const SectionPicture& p) {
    const std::vector<std::string> byClass = classColours(p.classes.names);
    for (size_t i = 0; i < p.traces->size(); ++i) {
        const SectionTrace& t = (*p.traces)[i];
        if (t.outline.empty()) {
            continue;
        }
        out << "<path class=\"cut\" fill=\""
            << (!p.classField.empty()                       ? byClass[p.classes.classOf[i]]
                : p.byVariance && std::isfinite(t.variance) ? p.colours.colourOf(t.variance)
                : p.byVariance                              ? std::string(kNoGradeColour)
                : t.graded                                  ? p.colours.colourOf(t.grade)
                                                            : std::string(kNoGradeColour))
            << '"';
        writeOutline(out, l, t.outline);
        out << '>';
        writePieceName(out, "block", t.blockId, t.subBlock);
        out << ": " << escaped(p.element) << ' '
            << (t.graded ? formatNumber(t.grade) + ' ' + escaped(p.unit) : "no grade");
        if (p.byVariance) {
            out << ", variance " << formatNumber(t.variance);
        }
        if (!t.category.empty()) {
            out << ", " << escaped(t.category);
        }
        out << "</title></path>\n";
    }
}

// Mined-out ground hides what was there: hatched, opaque.
void writeVoids(std::ostream& out, const Layout& l, const SectionPicture& p) {
    if (p.voids == nullptr || p.voids->empty()) {
        return;
    }
    out << "<defs><pattern id=\"hatch\" width=\"6\" height=\"6\" patternUnits=\"userSpaceOnUse\" "
           "patternTransform=\"rotate(45)\"><rect width=\"6\" height=\"6\" fill=\"white\"/>"
           "<line x1=\"0\" y1=\"0\" x2=\"0\" y2=\"6\" stroke=\"#333\" stroke-width=\"1.5\"/>"
           "</pattern></defs>\n";
    for (const VoidTrace& t : *p.voids) {
        out << "<path class=\"void\"";
        writeOutline(out, l, t.outline);
        out << '>';
        writePieceName(out, "void block", t.blockId, t.subBlock);
        out << " of " << escaped(p.voidTable) << "</title></path>\n";
    }
}

void writePlanOutline(std::ostream& out, const Layout& l, const SectionPicture& p) {
    if (l.outline.empty()) {
        return;
    }
    out << "<path class=\"outline\" d=\"";
    for (size_t i = 0; i < l.outline.size(); ++i) {
        const auto& [a, b] = l.outline[i];
        out << (i == 0 ? "M" : " M") << px(l.x(a.u)) << ' ' << px(l.y(a.v)) << " L" << px(l.x(b.u))
            << ' ' << px(l.y(b.v));
    }
    out << "\"><title>outline of " << escaped(p.outlineName) << "</title></path>\n";
}

void writeColourBar(std::ostream& out, const Layout& l, const SectionPicture& p) {
    const double x = l.right() + 30;
    const double height = std::min(l.bottom() - kTop, 320.0);
    out << "<defs><linearGradient id=\"ramp\" x1=\"0\" y1=\"1\" x2=\"0\" y2=\"0\">\n";
    for (const ColourStop& s : ColourScale::stops()) {
        out << "<stop offset=\"" << s.at << "\" stop-color=\"" << s.colour << "\"/>\n";
    }
    out << "</linearGradient></defs>\n";
    writeText(out, x, kTop - 10,
              p.byVariance ? std::string("variance") : p.element + " (" + p.unit + ")",
              " class=\"axis\"");
    out << "<rect x=\"" << px(x) << "\" y=\"" << px(kTop) << "\" width=\"18\" height=\""
        << px(height) << "\" fill=\"url(#ramp)\" stroke=\"#555\"/>\n";
    const double low = p.colours.low();
    const double high = p.colours.high();
    if (!(high > low)) {
        // One grade alone is drawn in the middle colour: its tick goes
        // there, labelled with all its digits.
        const double y = kTop + height / 2;
        writeLine(out, x + 18, y, x + 23, y, "tick");
        writeText(out, x + 27, y + 4, formatNumber(low));
        return;
    }
    const double step = niceStep(high - low, 5);
    for (const double value : niceTicks(low, high, step)) {
        const double y = kTop + height * (high - value) / (high - low);
        writeLine(out, x + 18, y, x + 23, y, "tick");
        writeText(out, x + 27, y + 4, tickText(value, step));
    }
}

// A swatch and the name of each class, in the order of a resource statement.
void writeClassKey(std::ostream& out, const Layout& l, const SectionPicture& p) {
    const double x = l.right() + 30;
    writeText(out, x, kTop - 10, p.classField, " class=\"axis\"");
    const std::vector<std::string> colours = classColours(p.classes.names);
    for (size_t k = 0; k < colours.size(); ++k) {
        const double y = kTop + kKeyRow * static_cast<double>(k);
        out << "<rect class=\"key\" x=\"" << px(x) << "\" y=\"" << px(y)
            << "\" width=\"18\" height=\"14\" fill=\"" << colours[k] << "\" stroke=\"#555\"/>\n";
        writeText(out, x + 27, y + 11, p.classes.names[k]);
    }
}

void writeScaleBar(std::ostream& out, const Layout& l) {
    const double metres = niceStep((l.b.u1 - l.b.u0) / 5, 1);
    const double x = l.right() - metres * l.scale;
    const double y = l.bottom() + 62;
    writeLine(out, x, y, l.right(), y, "scale");
    writeLine(out, x, y - 5, x, y + 5, "scale");
    writeLine(out, l.right(), y - 5, l.right(), y + 5, "scale");
    writeText(out, (x + l.right()) / 2, y - 8, formatNumber(metres) + " m",
              " text-anchor=\"middle\"");
}

}  // namespace

void writeSectionSvg(std::ostream& out, const SectionPicture& p) {
    const Layout l = layoutOf(p);
    writeSvgStart(out, l.width, l.height,
                  ".scale{stroke:#222;stroke-width:1.2}.cut{stroke:#1a1a1a;stroke-width:0.35}"
                  ".void{fill:url(#hatch);stroke:#000;stroke-width:0.8}"
                  ".outline{fill:none;stroke:#c00;stroke-width:1.6;stroke-dasharray:7 4}");
    writeText(out, l.left, 32, titleOf(p), " class=\"title\"");
    writeText(out, l.left, 54, subtitle(p, l));
    out << "<rect x=\"" << px(l.left) << "\" y=\"" << px(kTop) << "\" width=\""
        << px(l.right() - l.left) << "\" height=\"" << px(l.bottom() - kTop)
        << "\" fill=\"#f7f7f7\" stroke=\"#888\"/>\n";
    writeAxes(out, l, *p.plane);
    writeTraces(out, l, p);
    writeVoids(out, l, p);
    writePlanOutline(out, l, p);
    if (p.blocks == 0) {
        writeText(out, (l.left + l.right()) / 2, (kTop + l.bottom()) / 2,
                  "the section cuts no block", " text-anchor=\"middle\" class=\"axis\"");
    }
    if (p.classField.empty()) {
        writeColourBar(out, l, p);
    } else {
        writeClassKey(out, l, p);
    }
    writeScaleBar(out, l);
    out << "</svg>\n";
}

}  // namespace vornel::cli
