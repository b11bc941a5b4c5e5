#include "db/VariantConvert.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>

#include "platform/CNumbers.h"
#include "platform/ComError.h"
#include "platform/OleDate.h"
#include "platform/Trace.h"

using vornel::CNumbers;
using vornel::ComError;
using vornel::Variant;
namespace hr = vornel::hr;

namespace {

using int128 = __int128;

int32_t low32(int64_t v) {
    return static_cast<int32_t>(static_cast<uint32_t>(v));
}

int16_t low16(int64_t v) {
    return static_cast<int16_t>(static_cast<uint16_t>(v));
}

uint8_t low8(int64_t v) {
    return static_cast<uint8_t>(v);
}

bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Integer division rounding halves to even, as the platform's variant
// conversions round.
int128 divideHalfEven(int128 n, int128 d) {
    int128 q = n / d;
    const int128 r = n % d;
    const int128 twice = (r < 0 ? -r : r) * 2;
    if (twice > d || (twice == d && q % 2 != 0)) {
        q += n < 0 ? -1 : 1;
    }
    return q;
}

int128 decimalMantissa(const vornel::Decimal& d) {
    const int128 m = (static_cast<int128>(d.hi32) << 64) | static_cast<int128>(d.lo64);
    return d.negative ? -m : m;
}

int128 powerOfTen(unsigned n) {
    int128 p = 1;
    for (unsigned i = 0; i < n && i < 28; ++i) {
        p *= 10;
    }
    return p;
}

int32_t toLongChecked(int128 v) {
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) {
        throw ComError(hr::kOverflow);
    }
    return static_cast<int32_t>(v);
}

double decimalToDouble(const vornel::Decimal& d) {
    return static_cast<double>(decimalMantissa(d)) / static_cast<double>(powerOfTen(d.scale));
}

// As atol reads: blanks, a sign, digits up to the first other character.
int32_t parseLong(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && isSpace(s[i])) {
        ++i;
    }
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    int64_t v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        v = std::min<int64_t>(v * 10 + (s[i] - '0'), int64_t{1} << 32);
    }
    v = negative ? -v : v;
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// As atof reads: blanks, a sign, a decimal number with an optional exponent;
// 0.0 when there is none. Read in the C locale, whatever the host set.
double parseDouble(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && isSpace(s[i])) {
        ++i;
    }
    const size_t start = i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        ++i;
    }
    size_t digits = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        ++digits;
    }
    if (i < s.size() && s[i] == '.') {
        for (++i; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
            ++digits;
        }
    }
    if (digits == 0) {
        return 0.0;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t e = i + 1;
        if (e < s.size() && (s[e] == '+' || s[e] == '-')) {
            ++e;
        }
        if (e < s.size() && s[e] >= '0' && s[e] <= '9') {
            for (i = e; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
            }
        }
    }
    return vornel::parseCNumber(s.substr(start, i - start).c_str());
}

std::string printed(const char* format, double v) {
    char buf[512];
    const CNumbers numbers;
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

std::string decimalText(int32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d", v);
    return buf;
}

// Ten-thousandths as a plain decimal: at least two decimals, at most four.
std::string currencyText(int64_t v) {
    const uint64_t magnitude = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%s%llu.%04llu", v < 0 ? "-" : "",
                  static_cast<unsigned long long>(magnitude / 10000),
                  static_cast<unsigned long long>(magnitude % 10000));
    std::string text = buf;
    for (int i = 0; i < 2 && text.back() == '0'; ++i) {
        text.pop_back();
    }
    return text;
}

[[noreturn]] void refuseString() {
    throw ComError(hr::kTypeMismatch);
}

// The integer tags both numeric conversions read alike: only the stored
// width counts, as the platform truncates to it.
std::optional<int32_t> integerOf(const Variant& v) {
    switch (v.vt) {
        case vornel::VT_I2:
        case vornel::VT_UI2:
        case vornel::VT_BOOL:
            return low16(v.integer);
        case vornel::VT_I4:
        case vornel::VT_UI4:
        case vornel::VT_INT:
            return low32(v.integer);
        case vornel::VT_I1:
        case vornel::VT_UI1:
            return low8(v.integer);
        default:
            return std::nullopt;
    }
}

}  // namespace

int32_t VariantToLong(const Variant& v) {
    if (const std::optional<int32_t> n = integerOf(v)) {
        return *n;
    }
    switch (v.vt) {
        case vornel::VT_EMPTY:
        case vornel::VT_NULL:
            return 0;
        case vornel::VT_R4:
        case vornel::VT_R8: {
            // Half up, then cut toward zero: -2.5 gives -2.
            const double shifted = v.real + 0.5;  // NOLINT(bugprone-incorrect-roundings)
            if (!(shifted > -2147483649.0 && shifted < 2147483648.0)) {
                return std::numeric_limits<int32_t>::min();
            }
            return static_cast<int32_t>(shifted);
        }
        case vornel::VT_CY:
            return toLongChecked(divideHalfEven(v.integer, 10000));
        case vornel::VT_DECIMAL:
            return toLongChecked(
                divideHalfEven(decimalMantissa(v.decimal), powerOfTen(v.decimal.scale)));
        case vornel::VT_BSTR:
            return parseLong(v.text);
        case vornel::VT_LPSTR:
        case vornel::VT_LPWSTR:
            refuseString();
        default:
            VORNEL_TRACE("Warning: 未处理的 _variant_t 类型值; 文件: %s; 行: %d\n", __FILE__,
                         __LINE__);
            return 0;
    }
}

double VariantToDouble(const Variant& v) {
    if (const std::optional<int32_t> n = integerOf(v)) {
        return *n;
    }
    switch (v.vt) {
        case vornel::VT_EMPTY:
        case vornel::VT_NULL:
            return 0.0;
        case vornel::VT_R4:
        case vornel::VT_R8:
            return v.real;
        case vornel::VT_CY:
            return static_cast<double>(v.integer) / 10000.0;
        case vornel::VT_DECIMAL:
            return decimalToDouble(v.decimal);
        case vornel::VT_BSTR:
            return parseDouble(v.text);
        case vornel::VT_LPSTR:
        case vornel::VT_LPWSTR:
            refuseString();
        default:
            VORNEL_TRACE("Warning: 未处理的 _variant_t 类型值; 文件: %s; 行: %d\n", __FILE__,
                         __LINE__);
            return 0.0;
    }
}

std::string VariantToText(const Variant& v) {
    switch (v.vt) {
        case vornel::VT_EMPTY:
        case vornel::VT_NULL:
            return {};
        case vornel::VT_I2:
            return decimalText(low16(v.integer));
        case vornel::VT_UI2:
            return decimalText(static_cast<int32_t>(v.integer & 0xffff));
        case vornel::VT_I1:
        case vornel::VT_UI1:
            return decimalText(low8(v.integer));
        case vornel::VT_I4:
        case vornel::VT_UI4:
        case vornel::VT_INT:
        case vornel::VT_UINT:
        case vornel::VT_I8:
        case vornel::VT_UI8:
            return decimalText(low32(v.integer));
        case vornel::VT_VOID: {
            char buf[16];
            std::snprintf(buf, sizeof buf, "%8x", static_cast<unsigned>(v.integer));
            return buf;
        }
        case vornel::VT_R4:
            return printed("%.4f", v.real);
        case vornel::VT_R8:
            return printed("%.8f", v.real);
        case vornel::VT_DECIMAL:
            return printed("%.8f", decimalToDouble(v.decimal));
        case vornel::VT_CY:
            return currencyText(v.integer);
        case vornel::VT_DATE:
            return vornel::oledate::format(v.real);
        case vornel::VT_BOOL:
            return v.integer != 0 ? "TRUE" : "FALSE";
        case vornel::VT_BSTR:
            return v.text;
        case vornel::VT_LPSTR:
        case vornel::VT_LPWSTR:
            refuseString();
        case vornel::VT_BLOB:
        case vornel::VT_BLOB_OBJECT:
        case vornel::VT_BYTES:
            return "[BLOB]";
        default:
            return "UN_KNOW";
    }
}
