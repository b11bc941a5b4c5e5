// Reading text as UTF-8: files from Windows often come in another encoding,
// and the drawing's XML must be UTF-8 throughout.
#ifndef VORNEL_CLI_UTF8_H
#define VORNEL_CLI_UTF8_H

#include <cstddef>
#include <string>

namespace vornel::cli {

// The length of the UTF-8 character at text[at] with its code point in
// `code`, or 0 when no well-formed character starts there (a stray byte,
// an overlong form, a surrogate, or one cut short).
size_t utf8Character(const std::string& text, size_t at, char32_t& code);

bool isUtf8(const std::string& text);

// UTF-8 without control characters: text that can be shown on a line of a
// terminal as it is, breaking neither.
bool isPrintableText(const std::string& text);

}  // namespace vornel::cli

#endif
