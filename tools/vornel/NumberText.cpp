#include "NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "Failure.h"

namespace vornel::cli {

bool parseNumber(std::string_view text, double& value) {
    // One sign: from_chars takes a minus but not a plus.
    const bool plus = !text.empty() && text.front() == '+';
    if (plus) {
        text.remove_prefix(1);
    }
    if (text.empty() || (plus && text.front() == '-')) {
        return false;
    }
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error == std::errc::result_out_of_range && stop == end) {
        // Below the least double ("1e-400") is 0, as other readers take
        // it; a wider type tells that from above the largest, and beyond
        // its range the exponent's sign does.
        long double wide = 0;
        const auto [wideStop, wideError] = std::from_chars(text.data(), end, wide);
        if (wideError == std::errc::result_out_of_range) {
            const size_t e = text.find_first_of("eE");
            value = 0;
            return e != std::string_view::npos && e + 1 < text.size() && text[e + 1] == '-';
        }
        value = static_cast<double>(wide);
        return wideError == std::errc() && wideStop == end && std::isfinite(value);
    }
    return error == std::errc() && stop == end && std::isfinite(value);
}

namespace {

[[noreturn]] void notANumber(const std::string& option, const std::string& part,
                             const std::string& text) {
    throw UsageError(option + ": '" + part + "' is not a number (in '" + text + "')");
}

}  // namespace

std::vector<double> parseNumberList(const std::string& text, const std::string& option) {
    std::vector<double> values;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        const std::string part =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        double value = 0;
        if (!parseNumber(part, value)) {
            notANumber(option, part, text);
        }
        values.push_back(value);
        if (comma == std::string::npos) {
            return values;
        }
        start = comma + 1;
    }
}

D_3DOT parsePoint(const std::string& text, const std::string& option, bool oneForAll) {
    const std::vector<double> v = parseNumberList(text, option);
    if (v.size() == 1 && oneForAll) {
        return {v[0], v[0], v[0]};
    }
    if (v.size() != 3) {
        throw UsageError(option + ": expected x,y,z" + (oneForAll ? " or one number" : "") +
                         ", got '" + text + "'");
    }
    return {v[0], v[1], v[2]};
}

std::string formatNumber(double value, int digits) {
    char text[64];
    const double magnitude = std::fabs(value);
    if (magnitude != 0 && (magnitude >= 1e15 || magnitude < 1e-4)) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
    } else {
        // Fixed notation with as many decimals as the significant digits
        // leave; below 1 the zeros after the point are no such digits.
        const int whole =
            magnitude == 0 ? 1 : static_cast<int>(std::floor(std::log10(magnitude))) + 1;
        const int decimals = digits > whole ? digits - whole : 0;
        std::snprintf(text, sizeof text, "%.*f", decimals, value);
        std::string s = text;
        if (s.find('.') != std::string::npos) {
            s.erase(s.find_last_not_of('0') + 1);
            if (s.back() == '.') {
                s.pop_back();
            }
        }
        return s == "-0" ? "0" : s;
    }
    return text;
}

std::string formatFixed(double value, int decimals) {
    const int length = std::snprintf(nullptr, 0, "%.*f", decimals, value);
    std::string text(static_cast<size_t>(std::max(length, 0)), '\0');
    std::snprintf(text.data(), text.size() + 1, "%.*f", decimals, value);
    return text;
}

std::string formatExact(double value) {
    char text[64];
    const double magnitude = std::fabs(value);
    const std::chars_format format = magnitude != 0 && (magnitude >= 1e15 || magnitude < 1e-4)
                                         ? std::chars_format::general
                                         : std::chars_format::fixed;
    // Adding 0 turns -0 into 0.
    const auto result = std::to_chars(text, text + sizeof text, value + 0.0, format);
    return std::string(text, result.ptr);
}

std::string pointText(const D_3DOT& point) {
    return "(" + formatExact(point.x) + ", " + formatExact(point.y) + ", " + formatExact(point.z) +
           ")";
}

std::string sizeText(const D_3DOT& size) {
    return formatExact(size.x) + " x " + formatExact(size.y) + " x " + formatExact(size.z);
}

double decimalRounded(double value, double scale) {
    if (!(scale > 0 && std::isfinite(scale) && std::isfinite(value)) || std::fabs(value) >= scale) {
        char text[32];
        std::snprintf(text, sizeof text, "%.15g", value);
        return std::strtod(text, nullptr);
    }
    // Below the scale, as many decimals as 15 digits of the scale have.
    const int decimals = std::clamp(14 - static_cast<int>(std::floor(std::log10(scale))), 0, 340);
    const int size = std::snprintf(nullptr, 0, "%.*f", decimals, value);
    std::string text(static_cast<size_t>(size) + 1, '\0');
    std::snprintf(text.data(), text.size(), "%.*f", decimals, value);
    return std::strtod(text.c_str(), nullptr);
}

double stepMultiple(long k, double step) {
    return decimalRounded(static_cast<double>(k) * step);
}

}  // namespace vornel::cli
