#include "ColourScale.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vornel::cli {
namespace {

int channel(const char* colour, int index) {
    const char digits[3] = {colour[1 + 2 * index], colour[2 + 2 * index], '\0'};
    return static_cast<int>(std::strtol(digits, nullptr, 16));
}

}  // namespace

const std::vector<ColourStop>& ColourScale::stops() {
    static const std::vector<ColourStop> ramp = {
        {0.0, "#440154"}, {0.2, "#414487"}, {0.4, "#2a788e"},
        {0.6, "#22a884"}, {0.8, "#7ad151"}, {1.0, "#fde725"},
    };
    return ramp;
}

std::string ColourScale::colourOf(double value) const {
    const double t = high_ > low_ ? std::clamp((value - low_) / (high_ - low_), 0.0, 1.0) : 0.5;
    const std::vector<ColourStop>& ramp = stops();
    size_t i = 1;
    while (i + 1 < ramp.size() && ramp[i].at < t) {
        ++i;
    }
    const ColourStop& a = ramp[i - 1];
    const ColourStop& b = ramp[i];
    const double f = (t - a.at) / (b.at - a.at);
    char text[8];
    int rgb[3];
    for (int c = 0; c < 3; ++c) {
        const double from = channel(a.colour, c);
        rgb[c] = static_cast<int>(std::lround(from + f * (channel(b.colour, c) - from)));
    }
    std::snprintf(text, sizeof text, "#%02x%02x%02x", rgb[0], rgb[1], rgb[2]);
    return text;
}

}  // namespace vornel::cli
