// The fixed rules by which any value the engine delivers becomes the
// integer, double or text a caller asked for.
#ifndef VORNEL_DB_VARIANTCONVERT_H
#define VORNEL_DB_VARIANTCONVERT_H

#include <cstdint>
#include <string>

#include "platform/Variant.h"

// Each throws ComError where the platform's own conversion would fail
// (currency or decimal out of range; VT_LPSTR and VT_LPWSTR).
int32_t VariantToLong(const vornel::Variant& value);
double VariantToDouble(const vornel::Variant& value);
std::string VariantToText(const vornel::Variant& value);

#endif
