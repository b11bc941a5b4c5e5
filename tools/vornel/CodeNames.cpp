#include "CodeNames.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "RecordFields.h"

namespace vornel::cli {
namespace {

// The parts of the text between separators outside double quotes, which a
// key puts around a name that holds one.
std::vector<std::string> splitAt(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    size_t from = 0;
    bool quoted = false;
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '"') {
            quoted = !quoted;
        } else if (!quoted && text.compare(at, separator.size(), separator) == 0) {
            parts.push_back(text.substr(from, at - from));
            from = at + separator.size();
            at = from - 1;
        }
    }
    parts.push_back(text.substr(from));
    return parts;
}

// A name as the key holds it, out of its quotes.
std::string unquoted(const std::string& name) {
    if (name.size() < 2 || name.front() != '"' || name.back() != '"') {
        return name;
    }
    std::string text;
    for (size_t i = 1; i + 1 < name.size(); ++i) {
        text += name[i];
        i += name[i] == '"' ? 1 : 0;
    }
    return text;
}

// {"1": "Measured", "2": "Indicated", "0": ""} of "1 Measured, 2 Indicated,
// 0 (none)". Nothing when an entry is out of turn or has no name: a wrong
// name would be worse than a number.
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
            names[code] = unquoted(name);
        } else {
            return {};
        }
    }
    return names;
}

}  // namespace

CodeNames::CodeNames(const std::string& title, const std::string& column) {
    const std::vector<std::string> parts = splitAt(title, "; ");
    // Past the table's own part, every part is a key: another is a piece of
    // a name that holds "; ", and no key can be trusted.
    for (size_t i = 1; i < parts.size(); ++i) {
        if (parts[i].rfind("CATEGORY ", 0) != 0 && parts[i].rfind("ORETYPE ", 0) != 0) {
            return;
        }
    }
    const std::string start = column + ' ';
    for (size_t i = 1; i < parts.size(); ++i) {
        if (parts[i].rfind(start, 0) == 0) {
            names_ = namesOfKey(parts[i].substr(start.size()));
            return;
        }
    }
}

bool CodeNames::namesExactly(const std::set<std::string>& used) const {
    return !names_.empty() && names_.size() == used.size() &&
           std::all_of(used.begin(), used.end(),
                       [&](const std::string& code) { return names_.count(code) != 0; });
}

std::string CodeNames::nameOf(const std::string& text) const {
    const auto name = names_.find(text);
    return name == names_.end() ? text : name->second;
}

namespace {

template <size_t N>
void nameField(const CodeNames& key, const std::set<std::string>& met,
               std::vector<KrigBlockResult>& blocks, char (KrigBlockResult::*field)[N]) {
    if (!key.namesExactly(met)) {
        return;
    }
    for (KrigBlockResult& b : blocks) {
        copyText(b.*field, key.nameOf(std::string(b.*field, strnlen(b.*field, N))));
    }
}

}  // namespace

void nameCodes(const std::string& title, const CodesMet& met, BlockList& blocks) {
    nameField(CodeNames(title, "CATEGORY"), met.categories, blocks.all(),
              &KrigBlockResult::Krig_ResType);
    nameField(CodeNames(title, "ORETYPE"), met.oreTypes, blocks.all(),
              &KrigBlockResult::Krig_OreType);
}

}  // namespace vornel::cli
