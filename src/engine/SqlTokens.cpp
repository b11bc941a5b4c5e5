#include "engine/SqlTokens.h"

#include <algorithm>
#include <cctype>

namespace vornel::engine {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' ||
           static_cast<unsigned char>(c) >= 0x80;
}

size_t scanQuoted(std::string_view s, size_t i, char close) {
    ++i;
    while (i < s.size()) {
        if (s[i] == close) {
            if (close != ']' && i + 1 < s.size() && s[i + 1] == close) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return s.size();
}

// digits [. digits] [e [sign] digits], or . digits [...]
size_t scanNumber(std::string_view s, size_t i) {
    while (i < s.size() && isDigit(s[i])) {
        ++i;
    }
    if (i < s.size() && s[i] == '.') {
        for (++i; i < s.size() && isDigit(s[i]);) {
            ++i;
        }
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t e = i + 1;
        if (e < s.size() && (s[e] == '+' || s[e] == '-')) {
            ++e;
        }
        if (e < s.size() && isDigit(s[e])) {
            for (i = e; i < s.size() && isDigit(s[i]);) {
                ++i;
            }
        }
    }
    return i;
}

}  // namespace

std::vector<Token> tokenize(std::string_view s) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        const char next = i + 1 < s.size() ? s[i + 1] : '\0';
        size_t end = i + 1;
        TokenKind kind = TokenKind::Punct;
        if (std::isspace(static_cast<unsigned char>(c))) {
            kind = TokenKind::Space;
            while (end < s.size() && std::isspace(static_cast<unsigned char>(s[end]))) {
                ++end;
            }
        } else if (c == '-' && next == '-') {
            kind = TokenKind::Space;
            end = s.find('\n', i);
            end = end == std::string_view::npos ? s.size() : end;
        } else if (c == '/' && next == '*') {
            kind = TokenKind::Space;
            end = s.find("*/", i + 2);
            end = end == std::string_view::npos ? s.size() : end + 2;
        } else if (c == '\'') {
            kind = TokenKind::Literal;
            end = scanQuoted(s, i, '\'');
        } else if (c == '[' || c == '"' || c == '`') {
            kind = TokenKind::Identifier;
            end = scanQuoted(s, i, c == '[' ? ']' : c);
        } else if (isDigit(c) || (c == '.' && isDigit(next))) {
            kind = TokenKind::Number;
            end = scanNumber(s, i);
            if (end < s.size() && isWordChar(s[end])) {
                kind = TokenKind::Word;  // 0x1F, 1abc: not a plain number
                while (end < s.size() && isWordChar(s[end])) {
                    ++end;
                }
            }
        } else if (isWordChar(c)) {
            kind = TokenKind::Word;
            while (end < s.size() && isWordChar(s[end])) {
                ++end;
            }
        }
        tokens.push_back({kind, s.substr(i, end - i)});
        i = end;
    }
    return tokens;
}

bool isWord(const Token& t, std::string_view word) {
    return t.kind == TokenKind::Word && t.text.size() == word.size() &&
           std::equal(word.begin(), word.end(), t.text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

}  // namespace vornel::engine
