// Grades to colours: a ramp from dark violet through teal and green to
// yellow that stays readable in print and for most colour-blind readers.
#ifndef VORNEL_CLI_COLOURSCALE_H
#define VORNEL_CLI_COLOURSCALE_H

#include <string>
#include <vector>

namespace vornel::cli {

struct ColourStop {
    double at;  // 0 to 1
    const char* colour;
};

class ColourScale {
public:
    ColourScale(double low, double high) : low_(low), high_(high) {}

    // "#rrggbb"; values outside the range take the colour of its end.
    std::string colourOf(double value) const;

    double low() const { return low_; }
    double high() const { return high_; }
    static const std::vector<ColourStop>& stops();

private:
    double low_;
    double high_;
};

}  // namespace vornel::cli

#endif
