#include "CodeNames.h"

#include <vector>

namespace vornel::cli {
namespace {

std::vector<std::string> splitAt(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    size_t from = 0;
    for (size_t at = text.find(separator); at != std::string::npos;
         at = text.find(separator, from)) {
        parts.push_back(text.substr(from, at - from));
        from = at + separator.size();
    }
    parts.push_back(text.substr(from));
    return parts;
}

// {"1": "Measured", "2": "Indicated", "0": ""} of "1 Measured, 2 Indicated,
// 0 (none)". Nothing when an entry is out of turn or has no name, as when
// a name itself holds ", ": a wrong name would be worse than a number.
std::map<std::string, std::string> namesOfKey(const std::string& key) {
    std::map<std::string, std::string> names;
    for (const std::string& entry : splitAt(key, ", ")) {
        const size_t blank = entry.find(' ');
        if (blank == std::string::npos || blank + 1 == entry.size() || names.count("0") != 0) {
            return {};
        }
        const std::string code = entry.substr(0, blank);
        const std::string name = entry.substr(blank + 1);
        if (code == "0" && name == "(none)") {
            names[code] = "";
        } else if (code == std::to_string(names.size() + 1)) {
            names[code] = name;
        } else {
            return {};
        }
    }
    return names;
}

}  // namespace

CodeNames::CodeNames(const std::string& title, const std::string& column) {
    const std::string start = column + ' ';
    for (const std::string& part : splitAt(title, "; ")) {
        if (part.rfind(start, 0) == 0) {
            names_ = namesOfKey(part.substr(start.size()));
            return;
        }
    }
}

std::string CodeNames::nameOf(const std::string& text) const {
    const auto name = names_.find(text);
    return name == names_.end() ? text : name->second;
}

}  // namespace vornel::cli
