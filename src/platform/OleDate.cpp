#include "platform/OleDate.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace vornel::oledate {
namespace {

// Days from 1970-01-01 to a proleptic Gregorian date.
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civilFromDays(int64_t z, Civil& c) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    c.year = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
    c.month = static_cast<int>(m);
    c.day = static_cast<int>(d);
}

const int64_t kEpoch = daysFromCivil(1899, 12, 30);

bool readNumber(std::string_view text, size_t at, size_t width, int& out) {
    if (at + width > text.size()) {
        return false;
    }
    out = 0;
    for (size_t i = at; i < at + width; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        out = out * 10 + (text[i] - '0');
    }
    return true;
}

int daysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// To the nearest second; for a date within a few days of OLE's years 100
// to 9999, whose days fit in any integer.
Civil toCivil(double date) {
    Civil c;
    const double whole = std::trunc(date);
    int64_t days = static_cast<int64_t>(whole);
    int64_t seconds = std::llround(std::fabs(date - whole) * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        days += 1;
    }
    civilFromDays(kEpoch + days, c);
    c.hour = static_cast<int>(seconds / 3600);
    c.minute = static_cast<int>(seconds / 60 % 60);
    c.second = static_cast<int>(seconds % 60);
    return c;
}

}  // namespace

double fromCivil(const Civil& c) {
    const auto days = static_cast<double>(
        daysFromCivil(c.year, static_cast<unsigned>(c.month), static_cast<unsigned>(c.day)) -
        kEpoch);
    const double time = (c.hour * 3600.0 + c.minute * 60.0 + c.second) / 86400.0;
    return days >= 0 ? days + time : days - time;
}

std::string format(double date) {
    // Days -657435 and 2958466 hold the first hours of the years 99 and
    // 10000 (the fraction counts forward from midnight either side of 0).
    if (!(date > -657435.0 && date < 2958466.0)) {
        return "";
    }
    const Civil c = toCivil(date);
    if (c.year < 100 || c.year > 9999) {
        return "";  // a time that rounds into the year 10000
    }
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day, c.hour,
                  c.minute, c.second);
    return buf;
}

bool parse(std::string_view text, double& date) {
    Civil c;
    if (!readNumber(text, 0, 4, c.year) || text.size() < 10 || text[4] != '-' || text[7] != '-' ||
        !readNumber(text, 5, 2, c.month) || !readNumber(text, 8, 2, c.day)) {
        return false;
    }
    if (text.size() > 10) {
        if (text.size() != 19 || (text[10] != ' ' && text[10] != 'T') || text[13] != ':' ||
            text[16] != ':' || !readNumber(text, 11, 2, c.hour) ||
            !readNumber(text, 14, 2, c.minute) || !readNumber(text, 17, 2, c.second)) {
            return false;
        }
    }
    if (c.month < 1 || c.month > 12 || c.day < 1 || c.day > daysInMonth(c.year, c.month) ||
        c.hour > 23 || c.minute > 59 || c.second > 59) {
        return false;
    }
    date = fromCivil(c);
    return true;
}

}  // namespace vornel::oledate
