// Dates as OLE keeps them: days since 1899-12-30 in a double, the fraction
// being the time of day. Before the epoch the whole part counts back and the
// fraction still counts forward from midnight (-1.25 is 1899-12-29 06:00).
#ifndef VORNEL_PLATFORM_OLEDATE_H
#define VORNEL_PLATFORM_OLEDATE_H

#include <string>
#include <string_view>

namespace vornel::oledate {

struct Civil {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

double fromCivil(const Civil& civil);

// "YYYY-MM-DD HH:MM:SS", the form dates take in text, to the nearest second;
// empty for a date outside OLE's years 100 to 9999, or no number.
std::string format(double date);
// Reads "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS" or "YYYY-MM-DDTHH:MM:SS";
// false when the text is none of these or names no real date.
bool parse(std::string_view text, double& date);

}  // namespace vornel::oledate

#endif
