// The pieces of an SVG drawing that the section and the grade-tonnage chart
// share: the page, text and lines, round axis steps, and class colours.
#ifndef VORNEL_CLI_SVGWRITER_H
#define VORNEL_CLI_SVGWRITER_H

#include <ostream>
#include <string>
#include <vector>

namespace vornel::cli {

// A grey off the grade colour ramp: blocks without a grade, "(none)".
constexpr const char* kNoGradeColour = "#bdbdbd";

// The colour of each class: Measured, Indicated and Inferred always their
// own, other names the rest in turn, "(none)" grey.
std::vector<std::string> classColours(const std::vector<std::string>& names);

// A coordinate as the drawing writes it, to the hundredth.
std::string px(double value);

// Text as XML 1.0 in UTF-8 takes it; a byte of another encoding or a
// control character becomes U+FFFD.
std::string escaped(const std::string& text);

// 1, 2 or 5 times a power of ten, giving about `aim` steps over the span;
// the multiples of a step from low to high (none when there would be a
// thousand or more, or they lie beyond 1e15 steps from 0); a value with the
// decimals its step needs.
double niceStep(double span, int aim);
std::vector<double> niceTicks(double low, double high, double step);
std::string tickText(double value, double step);

// About how wide a text is drawn at a font size, erring wide.
double textWidth(const std::string& text, double fontSize);

// The XML declaration, the <svg> element of that size on a white page, and
// the shared style (text, .title, .axis, .grid, .tick) with `style` after it.
void writeSvgStart(std::ostream& out, double width, double height, const std::string& style);

void writeText(std::ostream& out, double x, double y, const std::string& text,
               const std::string& attributes = "");
void writeLine(std::ostream& out, double x1, double y1, double x2, double y2, const char* style);

}  // namespace vornel::cli

#endif
