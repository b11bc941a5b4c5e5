// A tagged value in the shape of an OLE VARIANT. The tag says which member
// holds the value, so the conversions can treat every kind of value the way
// the data-access layer always has.
#ifndef VORNEL_PLATFORM_VARIANT_H
#define VORNEL_PLATFORM_VARIANT_H

#include <cstdint>
#include <string>
#include <vector>

namespace vornel {

enum VarType : uint16_t {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_DECIMAL = 14,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_VOID = 24,
    VT_LPSTR = 30,
    VT_LPWSTR = 31,
    VT_BLOB = 65,
    VT_BLOB_OBJECT = 70,
    VT_ARRAY = 0x2000,
    VT_BYTES = VT_ARRAY | VT_UI1,
};

// A 96-bit unsigned integer scaled by a power of ten, with a sign.
struct Decimal {
    uint8_t scale = 0;  // 0 to 28
    bool negative = false;
    uint32_t hi32 = 0;
    uint64_t lo64 = 0;
};

struct Variant {
    uint16_t vt = VT_EMPTY;
    // The integer kinds keep their value here (booleans as -1 or 0,
    // currency as ten-thousandths).
    int64_t integer = 0;
    // VT_R4, VT_R8 and VT_DATE.
    double real = 0.0;
    Decimal decimal;
    // VT_BSTR, VT_LPSTR and VT_LPWSTR, as UTF-8.
    std::string text;
    // VT_BYTES and VT_BLOB.
    std::vector<uint8_t> bytes;

    static Variant null();
    static Variant i2(int16_t v);
    static Variant i4(int32_t v);
    static Variant r4(float v);
    static Variant r8(double v);
    static Variant boolean(bool v);
    static Variant str(std::string v);
    static Variant date(double v);
    static Variant currency(int64_t tenThousandths);
    static Variant byteArray(const uint8_t* data, size_t size);
    static Variant of(uint16_t vt, int64_t integer);
    static Variant ofReal(uint16_t vt, double real);
};

}  // namespace vornel

#endif
