// The conversions, tag by tag, against values worked out by hand; the texts
// of errors and dates; printf into a string.
#include <gtest/gtest.h>

#include <cmath>

#include "db/VariantConvert.h"
#include "platform/ComError.h"
#include "platform/OleDate.h"
#include "store/Sql.h"
#include "support/TraceCapture.h"
#include "vornel/Hooks.h"

using namespace vornel;

namespace {

Variant tagged(uint16_t vt, int64_t integer = 0) {
    return Variant::of(vt, integer);
}

Variant text(uint16_t vt, const std::string& s) {
    Variant v = Variant::str(s);
    v.vt = vt;
    return v;
}

Variant decimal(bool negative, uint64_t mantissa, uint8_t scale) {
    Variant v;
    v.vt = VT_DECIMAL;
    v.decimal.negative = negative;
    v.decimal.lo64 = mantissa;
    v.decimal.scale = scale;
    return v;
}

}  // namespace

TEST(VariantToLong, EveryTag) {
    EXPECT_EQ(VariantToLong(tagged(VT_EMPTY)), 0);
    EXPECT_EQ(VariantToLong(Variant::null()), 0);
    EXPECT_EQ(VariantToLong(Variant::i2(-5)), -5);
    EXPECT_EQ(VariantToLong(tagged(VT_UI2, 40000)), 40000 - 65536);  // sign-extended
    EXPECT_EQ(VariantToLong(Variant::boolean(true)), -1);
    EXPECT_EQ(VariantToLong(Variant::boolean(false)), 0);
    EXPECT_EQ(VariantToLong(Variant::i4(-123456)), -123456);
    EXPECT_EQ(VariantToLong(tagged(VT_UI4, 0xFFFFFFFFll)), -1);
    EXPECT_EQ(VariantToLong(tagged(VT_INT, 77)), 77);
    EXPECT_EQ(VariantToLong(tagged(VT_I1, -1)), 255);  // the byte as unsigned
    EXPECT_EQ(VariantToLong(tagged(VT_UI1, 200)), 200);
    EXPECT_EQ(VariantToLong(Variant::r8(2.5)), 3);
    EXPECT_EQ(VariantToLong(Variant::r8(-2.5)), -2);
    EXPECT_EQ(VariantToLong(Variant::r8(-2.7)), -2);
    EXPECT_EQ(VariantToLong(Variant::r4(1.49f)), 1);
    // A real beyond the 32-bit range, or none, gives the lowest value.
    EXPECT_EQ(VariantToLong(Variant::r8(2147483647.4)), 2147483647);
    EXPECT_EQ(VariantToLong(Variant::r8(2147483647.5)), -2147483648);
    EXPECT_EQ(VariantToLong(Variant::r8(-2147483648.6)), -2147483648);
    EXPECT_EQ(VariantToLong(Variant::r8(-2147483649.6)), -2147483648);
    EXPECT_EQ(VariantToLong(Variant::r8(std::nan(""))), -2147483648);
    EXPECT_EQ(VariantToLong(Variant::currency(25000)), 2);  // 2.5 rounds to even
    EXPECT_EQ(VariantToLong(Variant::currency(35000)), 4);  // 3.5 rounds to even
    EXPECT_EQ(VariantToLong(Variant::currency(-15001)), -2);
    EXPECT_THROW(VariantToLong(Variant::currency(int64_t{3000000000} * 10000)), ComError);
    // The 32-bit range, both ends.
    EXPECT_EQ(VariantToLong(Variant::currency(int64_t{-2147483648} * 10000)), -2147483648);
    EXPECT_EQ(VariantToLong(Variant::currency(int64_t{2147483647} * 10000)), 2147483647);
    EXPECT_THROW(VariantToLong(Variant::currency(int64_t{2147483648} * 10000)), ComError);
    EXPECT_EQ(VariantToLong(decimal(true, 125, 1)), -12);  // -12.5 to even
    EXPECT_EQ(VariantToLong(decimal(false, 135, 1)), 14);
    EXPECT_THROW(VariantToLong(decimal(false, 5000000000, 0)), ComError);
    EXPECT_EQ(VariantToLong(Variant::str(" 42abc")), 42);
    EXPECT_EQ(VariantToLong(Variant::str("\t-1907")), -1907);
    EXPECT_EQ(VariantToLong(Variant::str("abc")), 0);
    EXPECT_THROW(VariantToLong(text(VT_LPSTR, "1")), ComError);
    EXPECT_THROW(VariantToLong(text(VT_LPWSTR, "1")), ComError);
    EXPECT_EQ(VariantToLong(Variant::date(40000.0)), 0);
    EXPECT_EQ(VariantToLong(tagged(VT_I8, 5)), 0);
    EXPECT_EQ(VariantToLong(tagged(VT_UI8, 5)), 0);
    EXPECT_EQ(VariantToLong(tagged(VT_UINT, 5)), 0);
}

TEST(VariantToDouble, EveryTag) {
    EXPECT_EQ(VariantToDouble(Variant::null()), 0.0);
    EXPECT_EQ(VariantToDouble(tagged(VT_EMPTY)), 0.0);
    EXPECT_EQ(VariantToDouble(Variant::i2(-3)), -3.0);
    EXPECT_EQ(VariantToDouble(tagged(VT_UI2, 65535)), -1.0);
    EXPECT_EQ(VariantToDouble(Variant::boolean(true)), -1.0);
    EXPECT_EQ(VariantToDouble(tagged(VT_UI4, 0x80000000ll)), -2147483648.0);
    EXPECT_EQ(VariantToDouble(tagged(VT_I1, -2)), 254.0);
    EXPECT_EQ(VariantToDouble(Variant::r4(0.1f)), static_cast<double>(0.1f));
    EXPECT_EQ(VariantToDouble(Variant::r8(-2.5)), -2.5);
    EXPECT_EQ(VariantToDouble(Variant::currency(12345)), 1.2345);
    EXPECT_EQ(VariantToDouble(decimal(true, 125, 2)), -1.25);
    EXPECT_EQ(VariantToDouble(Variant::str(" 42abc")), 42.0);
    EXPECT_EQ(VariantToDouble(Variant::str("-1.5e9x")), -1.5e9);
    EXPECT_EQ(VariantToDouble(Variant::str("25e-03;")), 0.025);
    EXPECT_EQ(VariantToDouble(Variant::str(".5")), 0.5);
    EXPECT_EQ(VariantToDouble(Variant::str("9.09")), 9.09);
    EXPECT_EQ(VariantToDouble(Variant::str("0x10")), 0.0);  // no hexadecimal
    EXPECT_EQ(VariantToDouble(Variant::str("e5")), 0.0);
    EXPECT_THROW(VariantToDouble(text(VT_LPSTR, "1")), ComError);
    EXPECT_EQ(VariantToDouble(Variant::date(40000.0)), 0.0);
}

TEST(VariantToText, EveryTag) {
    EXPECT_EQ(VariantToText(Variant::null()), "");
    EXPECT_EQ(VariantToText(tagged(VT_EMPTY)), "");
    EXPECT_EQ(VariantToText(Variant::i2(-7)), "-7");
    EXPECT_EQ(VariantToText(tagged(VT_UI2, 40000)), "40000");
    EXPECT_EQ(VariantToText(tagged(VT_I1, -1)), "255");
    EXPECT_EQ(VariantToText(tagged(VT_UI4, 0xFFFFFFFFll)), "-1");
    EXPECT_EQ(VariantToText(tagged(VT_I8, 0x100000005ll)), "5");  // the low 32 bits
    EXPECT_EQ(VariantToText(tagged(VT_UINT, 12)), "12");
    EXPECT_EQ(VariantToText(tagged(VT_VOID, 0xbeef)), "    beef");
    EXPECT_EQ(VariantToText(Variant::r4(1.5f)), "1.5000");
    EXPECT_EQ(VariantToText(Variant::r8(2.5)), "2.50000000");
    EXPECT_EQ(VariantToText(decimal(false, 12345, 4)), "1.23450000");
    EXPECT_EQ(VariantToText(Variant::currency(123400)), "12.34");
    EXPECT_EQ(VariantToText(Variant::currency(-12345)), "-1.2345");
    EXPECT_EQ(VariantToText(Variant::currency(5000)), "0.50");
    const double date = oledate::fromCivil({2010, 5, 31, 14, 2, 7});
    EXPECT_EQ(VariantToText(Variant::date(date)), "2010-05-31 14:02:07");
    EXPECT_EQ(VariantToText(Variant::boolean(true)), "TRUE");
    EXPECT_EQ(VariantToText(Variant::boolean(false)), "FALSE");
    EXPECT_EQ(VariantToText(Variant::str("中文 text")), "中文 text");
    EXPECT_THROW(VariantToText(text(VT_LPWSTR, "x")), ComError);
    EXPECT_EQ(VariantToText(tagged(VT_BLOB)), "[BLOB]");
    EXPECT_EQ(VariantToText(tagged(VT_BLOB_OBJECT)), "[BLOB]");
    EXPECT_EQ(VariantToText(Variant::byteArray(nullptr, 0)), "[BLOB]");
    EXPECT_EQ(VariantToText(tagged(VT_DISPATCH)), "UN_KNOW");
    EXPECT_EQ(VariantToText(tagged(VT_ERROR)), "UN_KNOW");
    EXPECT_EQ(VariantToText(tagged(VT_ARRAY | VT_I4)), "UN_KNOW");
}

TEST(VariantConversions, UnhandledTagsLeaveATraceLine) {
    if (!traceEnabled()) {
        GTEST_SKIP() << "release build: no trace";
    }
    vornel::test::TraceCapture trace;
    VariantToLong(Variant::date(1.0));
    VariantToDouble(tagged(VT_I8, 1));
    VariantToText(tagged(VT_DISPATCH));  // "UN_KNOW" leaves none
    ASSERT_EQ(trace.lines.size(), 2u);
    EXPECT_EQ(trace.lines[0].rfind("Warning: 未处理的 _variant_t 类型值; 文件: ", 0), 0u);
    EXPECT_NE(trace.lines[0].find("; 行: "), std::string::npos);
    EXPECT_EQ(trace.lines[0].back(), '\n');
}

// An error without a description is told by its code: the dispatch errors
// are those above 0x80040200 up to 0x8004FFFF, numbered from there.
TEST(ComErrorText, TheDescriptionElseTheCodesText) {
    EXPECT_EQ(ComError(hr::kFail, "disk full").errorMessage(), "disk full");
    EXPECT_EQ(ComError(hr::kOverflow).errorMessage(), "Out of present range.");
    const auto text = [](uint32_t code) {
        return ComError(static_cast<HRESULT>(code)).errorMessage();
    };
    EXPECT_EQ(text(0x80040200u), "Unknown error 0x80040200");
    EXPECT_EQ(text(0x80040201u), "IDispatch error #1");
    EXPECT_EQ(text(0x8004FFFFu), "IDispatch error #65023");
    EXPECT_EQ(text(0x80050000u), "Unknown error 0x80050000");
}

TEST(OleDate, DaysCountFromTheEpochBothWays) {
    EXPECT_EQ(oledate::format(0.0), "1899-12-30 00:00:00");
    EXPECT_EQ(oledate::format(2.25), "1900-01-01 06:00:00");
    EXPECT_EQ(oledate::format(-1.25), "1899-12-29 06:00:00");
    EXPECT_EQ(oledate::format(2958465.0), "9999-12-31 00:00:00");
    EXPECT_EQ(oledate::format(-657434.0), "0100-01-01 00:00:00");
    EXPECT_EQ(oledate::format(1.0 - 1e-9), "1899-12-31 00:00:00");  // rounds to the next day
    EXPECT_EQ(oledate::format(-657434.5), "0100-01-01 12:00:00");
    EXPECT_EQ(oledate::format(2958465.0 + 86399.4 / 86400), "9999-12-31 23:59:59");
    // Beyond OLE's years no text: none of these is a date.
    for (const double beyond : {-657435.0, 2958466.0, 2958465.0 + 86399.6 / 86400, 1e300, -1e300,
                                HUGE_VAL, std::nan("")}) {
        EXPECT_EQ(oledate::format(beyond), "") << beyond;
    }
    double d = 0.0;
    ASSERT_TRUE(oledate::parse("1850-03-04 05:06:07", d));
    EXPECT_EQ(oledate::format(d), "1850-03-04 05:06:07");
    ASSERT_TRUE(oledate::parse("2000-02-29", d));
    EXPECT_EQ(d, 36585.0);
    EXPECT_FALSE(oledate::parse("2001-02-29", d));
    EXPECT_FALSE(oledate::parse("1900-02-29", d));
    EXPECT_TRUE(oledate::parse("2024-02-29", d));
    ASSERT_TRUE(oledate::parse("1900-01-01", d));
    EXPECT_EQ(d, 2.0);
    ASSERT_TRUE(oledate::parse("1999-12-31", d));  // the day before 2000-01-01, day 36526
    EXPECT_EQ(d, 36525.0);
    EXPECT_TRUE(oledate::parse("1999-12-31 23:59:59", d));
    EXPECT_FALSE(oledate::parse("1999-12-32", d));
    EXPECT_FALSE(oledate::parse("2001-01-00", d));
    EXPECT_FALSE(oledate::parse("2001-00-10", d));
    EXPECT_FALSE(oledate::parse("2001-13-01", d));
    EXPECT_FALSE(oledate::parse("2001-01-01 24:00:00", d));
    EXPECT_FALSE(oledate::parse("2001-01-01 12:60:00", d));
    EXPECT_FALSE(oledate::parse("2001-01-01 12:00:60", d));
    EXPECT_FALSE(oledate::parse("2001-01-01 12:00", d));
    EXPECT_FALSE(oledate::parse("20010101", d));
    EXPECT_FALSE(oledate::parse("2O01-01-01", d));  // a letter O in the year
    EXPECT_FALSE(oledate::parse("2001-01/01", d));
    EXPECT_FALSE(oledate::parse("2001-01-01 12-00:00", d));
}

// Around the first buffer's 256 bytes, which the terminating NUL shares.
TEST(Format, TextOfEveryLengthComesWhole) {
    for (const size_t n : {0, 1, 254, 255, 256, 257, 5000}) {
        const std::string text(n, 'x');
        EXPECT_EQ(store::format("%s", text.c_str()), text) << n;
    }
}
