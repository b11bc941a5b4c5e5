#include "store/Sql.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>

#include "platform/Format.h"

namespace vornel::store {

std::string format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::string out = formatv(fmt, args);
    va_end(args);
    return out;
}

bool bracketable(const std::string& name) {
    return name.find(']') == std::string::npos && name.find('\0') == std::string::npos;
}

bool plainName(const std::string& name) {
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0])) != 0 || name[0] == '$') {
        return false;
    }
    return std::all_of(name.begin(), name.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u >= 0x80 || std::isalnum(u) != 0 || c == '_' || c == '$';
    });
}

const char* tableNameProblem(const std::string& name) {
    if (name.empty()) {
        return "the table name is empty";
    }
    if (!bracketable(name)) {
        return "the table name holds ']' or a NUL character, which a table name cannot";
    }
    return nullptr;
}

const char* textProblem(const std::string& text) {
    if (text.find('\0') != std::string::npos) {
        return "the text holds a NUL character, which no stored name or value can";
    }
    return nullptr;
}

std::string quoted(std::string_view text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\0') {
            break;  // no column holds a NUL: the text ends there
        }
        out += c;
        if (c == '\'') {
            out += '\'';
        }
    }
    return out + "'";
}

}  // namespace vornel::store
