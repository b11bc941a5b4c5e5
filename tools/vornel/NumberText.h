// Numbers written as text: fields of a block model file and option values
// such as "30", "0,0,100" or "0.5,1,2".
#ifndef VORNEL_CLI_NUMBERTEXT_H
#define VORNEL_CLI_NUMBERTEXT_H

#include <string>
#include <string_view>
#include <vector>

#include "vornel/Types.h"

namespace vornel::cli {

// True when the whole text is one finite number, stored in value.
bool parseNumber(std::string_view text, double& value);

// A comma-separated list of numbers given to `option`; throws Failure.
std::vector<double> parseNumberList(const std::string& text, const std::string& option);

// "x,y,z", or one number for all three when `oneForAll`; throws Failure.
D_3DOT parsePoint(const std::string& text, const std::string& option, bool oneForAll);

// A number for people to read: up to `digits` significant digits, no
// exponent for everyday magnitudes.
std::string formatNumber(double value, int digits = 6);

// Fixed-point with that many decimals, every digit before the point however
// many: 1e63 t has 64 of them.
std::string formatFixed(double value, int decimals);

// The value to the 15 significant digits a decimal keeps: a reckoned
// 0.30000000000000004 back to the 0.3 it was meant to be. With a scale, to
// 15 digits of the scale's: 5.55e-17 on a scale of 0.4 is 0.
double decimalRounded(double value, double scale = 0);

// k times step, to the 15 significant digits a decimal step keeps: the
// third step of 0.1 is 0.3, as it is meant, not 0.30000000000000004.
double stepMultiple(long k, double step);

// The shortest text that reads back as the same number, without exponent
// for everyday magnitudes: a coordinate as the user gave it.
std::string formatExact(double value);

// A point as "(x, y, z)" and a block's size as "x x y x z", each number
// as formatExact gives it.
std::string pointText(const D_3DOT& point);
std::string sizeText(const D_3DOT& size);

}  // namespace vornel::cli

#endif
