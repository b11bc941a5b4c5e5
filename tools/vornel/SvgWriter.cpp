#include "SvgWriter.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "BlockClasses.h"
#include "Utf8.h"

namespace vornel::cli {
namespace {

// Colours that most colour-blind readers tell apart. The three confidence
// classes keep theirs whichever others a drawing shows, so that drawings
// compare; other names take the rest in turn, and "(none)" is grey.
constexpr const char* kConfidenceColours[] = {"#d55e00", "#009e73", "#0072b2"};
constexpr const char* kOtherColours[] = {"#e69f00", "#cc79a7", "#56b4e9", "#f0e442"};

// The colour of other name k past those: hues a golden angle apart, at
// three lightnesses in turn, so that however many names (46 benches) each
// has its own, and neighbours in the key differ most.
std::string spreadColour(size_t k) {
    constexpr double kGoldenAngle = 137.50776405003785;
    constexpr double kSaturation = 0.65;
    constexpr double kLightness[] = {0.45, 0.62, 0.32};
    const double hue = std::fmod(static_cast<double>(k) * kGoldenAngle, 360.0) / 60;
    const double light = kLightness[k % std::size(kLightness)];
    const double chroma = (1 - std::fabs(2 * light - 1)) * kSaturation;
    const double second = chroma * (1 - std::fabs(std::fmod(hue, 2) - 1));
    const double rgb[6][3] = {{chroma, second, 0}, {second, chroma, 0}, {0, chroma, second},
                              {0, second, chroma}, {second, 0, chroma}, {chroma, 0, second}};
    const double* c = rgb[std::min(static_cast<size_t>(hue), size_t{5})];
    const double base = light - chroma / 2;
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x",
                  static_cast<unsigned>(std::lround((c[0] + base) * 255)),
                  static_cast<unsigned>(std::lround((c[1] + base) * 255)),
                  static_cast<unsigned>(std::lround((c[2] + base) * 255)));
    return text;
}

}  // namespace

std::vector<std::string> classColours(const std::vector<std::string>& names) {
    std::vector<std::string> colours;
    size_t others = 0;
    for (const std::string& name : names) {
        const size_t rank = confidenceRank(name);
        if (rank < std::size(kConfidenceColours)) {
            colours.emplace_back(kConfidenceColours[rank]);
        } else if (name == "(none)") {
            colours.emplace_back(kNoGradeColour);
        } else if (others < std::size(kOtherColours)) {
            colours.emplace_back(kOtherColours[others++]);
        } else {
            colours.push_back(spreadColour(others++ - std::size(kOtherColours)));
        }
    }
    return colours;
}

std::string px(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

// Text as XML 1.0 in UTF-8 takes it: a byte of another encoding or a
// control character (texts written by other programs) would make the whole
// drawing unreadable, so each becomes U+FFFD.
std::string escaped(const std::string& text) {
    std::string out;
    char32_t code = 0;
    for (size_t at = 0; at < text.size();) {
        const size_t length = utf8Character(text, at, code);
        const bool allowed = code == '\t' || code == '\n' || code == '\r' ||
                             (code >= 0x20 && code <= 0xFFFD && (code < 0xD800 || code > 0xDFFF)) ||
                             code >= 0x10000;
        if (length == 0 || !allowed) {
            out += "\xEF\xBF\xBD";
            at += std::max<size_t>(length, 1);
            continue;
        }
        switch (code) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out.append(text, at, length);
        }
        at += length;
    }
    return out;
}

// 1, 2 or 5 times a power of ten, giving about `aim` steps over the span.
double niceStep(double span, int aim) {
    const double raw = span > 0 ? span / aim : 1;
    const double power = std::pow(10, std::floor(std::log10(raw)));
    const double f = raw / power;
    return (f < 1.5 ? 1 : f < 3.5 ? 2 : f < 7.5 ? 5 : 10) * power;
}

std::vector<double> niceTicks(double low, double high, double step) {
    std::vector<double> ticks;
    const double first = std::ceil(low / step - 1e-9);
    const double last = std::floor(high / step + 1e-9);
    // Values so far apart, or so far out, that their multiples are no whole
    // numbers a long holds (a cut-off of 1e308) get no ticks.
    constexpr double kFarthest = 1e15;
    if (!(step > 0 && std::isfinite(step) && std::fabs(first) < kFarthest &&
          std::fabs(last) < kFarthest && last - first < 1000)) {
        return ticks;
    }
    for (auto i = static_cast<long>(first); i <= static_cast<long>(last); ++i) {
        ticks.push_back(static_cast<double>(i) * step);
    }
    return ticks;
}

// A tick's value with the decimals its step needs: far from the origin, as
// mining coordinates are, a fixed count of significant digits would round
// neighbouring ticks to the same text.
std::string tickText(double value, double step) {
    const int decimals = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
    char text[400];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// About how wide a text is drawn, erring wide: in a bold sans-serif
// capitals take up to 0.9 of the font size, other letters and digits 0.7,
// other signs 0.4.
double textWidth(const std::string& text, double fontSize) {
    double em = 0;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        em += std::isupper(u) != 0 ? 0.9 : std::isalnum(u) != 0 ? 0.7 : 0.4;
    }
    return em * fontSize;
}

void writeText(std::ostream& out, double x, double y, const std::string& text,
               const std::string& attributes) {
    out << "<text x=\"" << px(x) << "\" y=\"" << px(y) << "\"" << attributes << ">" << escaped(text)
        << "</text>\n";
}

void writeLine(std::ostream& out, double x1, double y1, double x2, double y2, const char* style) {
    out << "<line x1=\"" << px(x1) << "\" y1=\"" << px(y1) << "\" x2=\"" << px(x2) << "\" y2=\""
        << px(y2) << "\" class=\"" << style << "\"/>\n";
}

void writeSvgStart(std::ostream& out, double width, double height, const std::string& style) {
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << px(width) << "\" height=\""
        << px(height) << "\" viewBox=\"0 0 " << px(width) << ' ' << px(height) << "\">\n"
        << "<style>text{font-family:sans-serif;font-size:12px;fill:#222}"
           ".title{font-size:18px;font-weight:bold}.axis{font-size:13px}"
           ".grid{stroke:#d0d0d0;stroke-width:0.6}.tick{stroke:#222;stroke-width:1.2}"
        << style << "</style>\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
}

}  // namespace vornel::cli
