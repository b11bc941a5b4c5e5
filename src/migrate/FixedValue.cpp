#include "migrate/FixedValue.h"

#include <cmath>
#include <cstring>

namespace vornel::migrate {
namespace {

// 100-01-01 is day -657434; the day before it and the day after
// 9999-12-31 lie outside.
constexpr double kDayBeforeFirst = -657435.0;
constexpr double kDayAfterLast = 2958466.0;

}  // namespace

uint64_t littleEndian(const unsigned char* p, size_t size) {
    uint64_t v = 0;
    for (size_t i = size; i-- > 0;) {
        v = v << 8 | p[i];
    }
    return v;
}

size_t fixedSize(int type) {
    switch (type) {
        case jet::kByte:
            return 1;
        case jet::kInteger:
            return 2;
        case jet::kLong:
        case jet::kSingle:
            return 4;
        case jet::kCurrency:
        case jet::kDouble:
        case jet::kDateTime:
            return 8;
        default:
            return 0;
    }
}

Cell fixedCell(int type, const unsigned char* p) {
    Cell cell;
    const uint64_t bits = littleEndian(p, fixedSize(type));
    switch (type) {
        case jet::kByte:
            cell.kind = Cell::Integer;
            cell.integer = static_cast<int64_t>(bits);
            break;
        case jet::kInteger:
            cell.kind = Cell::Integer;
            cell.integer = static_cast<int16_t>(static_cast<uint16_t>(bits));
            break;
        case jet::kLong:
            cell.kind = Cell::Integer;
            cell.integer = static_cast<int32_t>(static_cast<uint32_t>(bits));
            break;
        case jet::kCurrency:
            cell.kind = Cell::Currency;
            cell.integer = static_cast<int64_t>(bits);
            break;
        case jet::kSingle: {
            float f = 0.0f;
            const auto word = static_cast<uint32_t>(bits);
            std::memcpy(&f, &word, sizeof f);
            cell.kind = Cell::Real;
            cell.real = f;
            break;
        }
        default:
            cell.kind = type == jet::kDouble ? Cell::Real : Cell::Date;
            std::memcpy(&cell.real, &bits, sizeof cell.real);
            break;
    }
    return cell;
}

bool isAccessDate(double days) {
    // Dates are kept to the second: the last half second of 9999 rounds
    // into the year 10000.
    return std::isfinite(days) && days > kDayBeforeFirst && days < kDayAfterLast - 0.5 / 86400;
}

}  // namespace vornel::migrate
