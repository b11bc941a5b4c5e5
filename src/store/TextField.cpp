#include "store/TextField.h"

namespace vornel::store {

std::string_view fieldText(const char* field, size_t width) {
    const size_t n = strnlen(field, width);
    if (n == 0 || n < width) {
        return {field, n};
    }
    size_t start = n - 1;
    while (start > 0 && (static_cast<unsigned char>(field[start]) & 0xC0) == 0x80) {
        --start;
    }
    const auto lead = static_cast<unsigned char>(field[start]);
    const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return {field, n - start < length ? start : n};
}

void copyToField(char* field, size_t width, std::string_view text) {
    if (width == 0) {
        return;
    }
    size_t n = text.size() < width ? text.size() : width - 1;
    if (n < text.size()) {
        // Back off to the start of the character the cut falls in.
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) {
            --n;
        }
    }
    std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, width - n);
}

}  // namespace vornel::store
