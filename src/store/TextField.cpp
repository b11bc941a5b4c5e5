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

// Whether the text is UTF-8 throughout: every character whole, none
// written longer than it needs, none a surrogate or past U+10FFFF.
bool wellFormed(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        const size_t length = leadLength(c);
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        const auto second = static_cast<unsigned char>(text[i + 1]);
        // The second byte's range where the first leaves it narrower.
        const bool narrower = (c == 0xE0 && second < 0xA0) || (c == 0xED && second > 0x9F) ||
                              (c == 0xF0 && second < 0x90) || (c == 0xF4 && second > 0x8F);
        if (narrower) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            if (!continuation(static_cast<unsigned char>(text[i + k]))) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

// Where text longer than n bytes is cut: at n, or, in a text that is UTF-8
// throughout, at the start of the character n falls in. A text of other
// bytes (Latin-1, GBK) is cut at n: its bytes only look like UTF-8 here and
// there, and stepping back over them would lose whole letters.
size_t cutAt(std::string_view text, size_t n) {
    if (!continuation(static_cast<unsigned char>(text[n])) || !wellFormed(text)) {
        return n;
    }
    while (n > 0 && continuation(static_cast<unsigned char>(text[n]))) {
        --n;
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
