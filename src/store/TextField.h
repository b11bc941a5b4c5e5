// The fixed-width text fields of the records: NUL-terminated, and never
// read or written past their width.
#ifndef VORNEL_STORE_TEXTFIELD_H
#define VORNEL_STORE_TEXTFIELD_H

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace vornel::store {

// The text a field holds, up to its terminator or its width.
inline std::string_view fieldText(const char* field, size_t width) {
    return {field, strnlen(field, width)};
}

// Copies text into a field of `width` bytes, cut so that it keeps its
// terminator and, in a text that is UTF-8 throughout, never splits a
// character; a text of other bytes loses only what the field cannot hold.
void copyToField(char* field, size_t width, std::string_view text);

template <size_t N>
std::string_view fieldText(const char (&field)[N]) {
    return fieldText(field, N);
}

template <size_t N>
void copyToField(char (&field)[N], std::string_view text) {
    copyToField(field, N, text);
}

}  // namespace vornel::store

#endif
