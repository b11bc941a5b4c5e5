#include "Utf8.h"

#include <algorithm>

namespace vornel::cli {

size_t utf8Character(const std::string& text, size_t at, char32_t& code) {
    const auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    size_t length = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        least = 0x80;
        code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        least = 0x800;
        code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        least = 0x10000;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() - at < length) {
        return 0;
    }
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < least || surrogate || code > 0x10FFFF ? 0 : length;
}

bool isUtf8(const std::string& text) {
    char32_t code = 0;
    for (size_t at = 0; at < text.size();) {
        const size_t length = utf8Character(text, at, code);
        if (length == 0) {
            return false;
        }
        at += length;
    }
    return true;
}

bool isPrintableText(const std::string& text) {
    const bool control = std::any_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
    return !control && isUtf8(text);
}

}  // namespace vornel::cli
