#include "store/TextField.h"

namespace vornel::store {
namespace {

bool continuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// The bytes of the UTF-8 character this byte begins; 0 for one that begins
// none.
size_t leadLength(unsigned char c) {
    if (c >= 0xC2 && c <= 0xDF) {
        return 2;
    }
    if (c >= 0xE0 && c <= 0xEF) {
        return 3;
    }
    return c >= 0xF0 && c <= 0xF4 ? 4 : 0;
}

// Where text longer than n bytes is cut: at n, or at the start of a UTF-8
// character that n falls in. Bytes that are no UTF-8 (a Latin-1 or GBK
// text) are cut at n: stepping back over them would lose whole letters.
size_t cutAt(std::string_view text, size_t n) {
    if (!continuation(static_cast<unsigned char>(text[n]))) {
        return n;
    }
    for (size_t back = 1; back <= 3 && back <= n; ++back) {
        const auto c = static_cast<unsigned char>(text[n - back]);
        if (!continuation(c)) {
            return leadLength(c) > back ? n - back : n;
        }
    }
    return n;
}

}  // namespace

void copyToField(char* field, size_t width, std::string_view text) {
    if (width == 0) {
        return;
    }
    const size_t n = text.size() < width ? text.size() : cutAt(text, width - 1);
    std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, width - n);
}

}  // namespace vornel::store
