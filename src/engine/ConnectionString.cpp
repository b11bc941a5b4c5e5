#include <algorithm>
#include <cctype>
#include <vector>

#include "engine/Engine.h"

namespace vornel::engine {
namespace {

bool blank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::string trimmedFront(const std::string& s) {
    const auto first = std::find_if_not(s.begin(), s.end(), blank);
    return {first, s.end()};
}

std::string trimmedBack(const std::string& s) {
    const auto last = std::find_if_not(s.rbegin(), s.rend(), blank);
    return {s.begin(), last.base()};
}

bool sameWord(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::string connectionStringValue(const std::string& connectionString, const std::string& key) {
    std::vector<std::string> parts;
    for (size_t start = 0;;) {
        const size_t end = connectionString.find(';', start);
        parts.push_back(connectionString.substr(start, end - std::min(end, start)));
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    // Semicolons that close the string end its last value; a value that
    // runs to the end of the string keeps its last blanks, as a path may.
    const size_t given = parts.size();
    while (!parts.empty() && trimmedFront(parts.back()).empty()) {
        parts.pop_back();
    }
    std::string value;
    bool found = false;
    for (size_t i = 0; i < parts.size(); ++i) {
        const size_t eq = parts[i].find('=');
        if (eq != std::string::npos) {
            found = sameWord(trimmedBack(trimmedFront(parts[i].substr(0, eq))), key);
            value = found ? parts[i].substr(eq + 1) : std::string();
        } else if (found) {
            // No key of its own: more of the value, as in the path pit;2024.db.
            value += ";" + parts[i];
        }
        const bool last = i + 1 == parts.size() || parts[i + 1].find('=') != std::string::npos;
        if (found && last) {
            value = trimmedFront(value);
            return i + 1 == given ? value : trimmedBack(value);
        }
    }
    return {};
}

}  // namespace vornel::engine
