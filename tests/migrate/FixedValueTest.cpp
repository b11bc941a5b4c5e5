// Jet's fixed-size values from their bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

#include "migrate/FixedValue.h"

using vornel::migrate::Cell;
using vornel::migrate::fixedCell;
using vornel::migrate::fixedSize;
using vornel::migrate::isAccessDate;
namespace jet = vornel::migrate::jet;

namespace {

Cell fromBytes(int type, std::initializer_list<unsigned> bytes) {
    std::vector<unsigned char> raw(bytes.begin(), bytes.end());
    EXPECT_EQ(raw.size(), fixedSize(type));
    return fixedCell(type, raw.data());
}

template <class T>
Cell fromValue(int type, T value) {
    unsigned char raw[sizeof value];
    std::memcpy(raw, &value, sizeof value);  // this machine is little-endian, as Jet is
    return fixedCell(type, raw);
}

}  // namespace

TEST(FixedValue, IntegersAreLittleEndianAndSigned) {
    EXPECT_EQ(fromBytes(jet::kByte, {0xff}).integer, 255);
    EXPECT_EQ(fromBytes(jet::kInteger, {0xfe, 0xff}).integer, -2);
    EXPECT_EQ(fromBytes(jet::kInteger, {0x39, 0x30}).integer, 12345);
    EXPECT_EQ(fromBytes(jet::kLong, {0, 0, 0, 0x80}).integer, -2147483648LL);
    const Cell money = fromBytes(jet::kCurrency, {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff});
    EXPECT_EQ(money.kind, Cell::Currency);
    EXPECT_EQ(money.integer, -1);  // -0.0001
    EXPECT_EQ(fromBytes(jet::kLong, {1, 0, 0, 0}).kind, Cell::Integer);
}

TEST(FixedValue, FloatsAndDatesKeepTheirBits) {
    const Cell single = fromValue(jet::kSingle, 0.15f);
    EXPECT_EQ(single.kind, Cell::Real);
    EXPECT_EQ(single.real, static_cast<double>(0.15f));
    EXPECT_EQ(fromValue(jet::kDouble, 0.1).real, 0.1);
    const Cell date = fromValue(jet::kDateTime, -728.25);
    EXPECT_EQ(date.kind, Cell::Date);
    EXPECT_EQ(date.real, -728.25);
}

TEST(FixedValue, SizesOfTheFixedTypesOnly) {
    EXPECT_EQ(fixedSize(jet::kText), 0u);
    EXPECT_EQ(fixedSize(jet::kMemo), 0u);
    EXPECT_EQ(fixedSize(jet::kOle), 0u);
    EXPECT_EQ(fixedSize(jet::kBool), 0u);  // its value lives in the null mask
    EXPECT_EQ(fixedSize(jet::kDateTime), 8u);
}

TEST(FixedValue, DatesFromTheYear100ToTheYear9999) {
    EXPECT_TRUE(isAccessDate(-657434.0));    // 100-01-01
    EXPECT_TRUE(isAccessDate(-657434.99));   // its last minutes
    EXPECT_FALSE(isAccessDate(-657435.0));   // 99-12-31
    EXPECT_TRUE(isAccessDate(2958465.999));  // 9999-12-31, late
    EXPECT_FALSE(isAccessDate(2958466.0));   // 10000-01-01
    EXPECT_TRUE(isAccessDate(0.0));
    EXPECT_FALSE(isAccessDate(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(isAccessDate(std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(isAccessDate(1e300));
}
