#include "store/TextField.h"

namespace vornel::store {

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
