#include "platform/Variant.h"

namespace vornel {

Variant Variant::null() {
    return of(VT_NULL, 0);
}

Variant Variant::i2(int16_t v) {
    return of(VT_I2, v);
}

Variant Variant::i4(int32_t v) {
    return of(VT_I4, v);
}

Variant Variant::r4(float v) {
    return ofReal(VT_R4, v);
}

Variant Variant::r8(double v) {
    return ofReal(VT_R8, v);
}

Variant Variant::boolean(bool v) {
    return of(VT_BOOL, v ? -1 : 0);
}

Variant Variant::str(std::string v) {
    Variant out;
    out.vt = VT_BSTR;
    out.text = std::move(v);
    return out;
}

Variant Variant::date(double v) {
    return ofReal(VT_DATE, v);
}

Variant Variant::currency(int64_t tenThousandths) {
    return of(VT_CY, tenThousandths);
}

Variant Variant::byteArray(const uint8_t* data, size_t size) {
    Variant out;
    out.vt = VT_BYTES;
    out.bytes.assign(data, data + size);
    return out;
}

Variant Variant::of(uint16_t vt, int64_t integer) {
    Variant out;
    out.vt = vt;
    out.integer = integer;
    return out;
}

Variant Variant::ofReal(uint16_t vt, double real) {
    Variant out;
    out.vt = vt;
    out.real = real;
    return out;
}

}  // namespace vornel
