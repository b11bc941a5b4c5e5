#include "platform/CNumbers.h"

#include <cstdlib>

namespace vornel {
namespace {

locale_t cLocale() {
    static const locale_t c = newlocale(LC_NUMERIC_MASK, "C", nullptr);
    return c;
}

}  // namespace

double parseCNumber(const char* text) {
    return strtod_l(text, nullptr, cLocale());
}

CNumbers::CNumbers() : previous_(uselocale(cLocale())) {}

CNumbers::~CNumbers() {
    uselocale(previous_);
}

}  // namespace vornel
