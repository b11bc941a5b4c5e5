#include "TextCodes.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "BlockClasses.h"
#include "TextRows.h"

namespace vornel::cli {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// A name as a key holds it, on the one line of a title: line breaks as
// blanks, and in double quotes (doubled within) where it holds what
// separates entries or keys (", ", "; "), a quote, or a blank or tab at
// either end, which import would trim, or reads as "(none)", which stands
// for no text.
std::string keyName(const std::string& text) {
    std::string name = oneLine(text);
    const bool plain = name.find(", ") == std::string::npos &&
                       name.find("; ") == std::string::npos &&
                       name.find('"') == std::string::npos && !isBlank(name.front()) &&
                       !isBlank(name.back()) && name != "(none)";
    if (plain) {
        return name;
    }
    std::string quoted = "\"";
    for (const char c : name) {
        quoted += c == '"' ? "\"\"" : std::string(1, c);
    }
    return quoted + '"';
}

TextCodes textCodes(const std::string& column, const BlockClasses& classes) {
    TextCodes codes;
    codes.codeOf.reserve(classes.classOf.size());
    // "(none)", listed last, is 0; the others are numbered as listed. No
    // blocks, no key.
    const size_t none = classes.blankLast ? classes.names.size() - 1 : classes.names.size();
    for (const size_t c : classes.classOf) {
        codes.codeOf.push_back(c == none ? 0 : static_cast<int32_t>(c + 1));
    }
    if (classes.names.empty()) {
        return codes;
    }
    codes.key = column;
    for (size_t c = 0; c < classes.names.size(); ++c) {
        codes.key += (c == 0 ? " " : ", ") + std::to_string(c == none ? 0 : c + 1) + ' ' +
                     (c == none ? classes.names[c] : keyName(classes.names[c]));
    }
    return codes;
}

}  // namespace

TextCodes categoryCodes(const KrigBlockResult* blocks, long count) {
    return textCodes("CATEGORY", classify(blocks, count, ClassField::Category, Spelling::Exact));
}

TextCodes oreTypeCodes(const KrigBlockResult* blocks, long count) {
    return textCodes("ORETYPE", classify(blocks, count, ClassField::OreType, Spelling::Exact));
}

TextCodes oreTypeCodes(const KrigBlockVoid* voids, long count) {
    return textCodes("ORETYPE", classifyEach(
                                    static_cast<size_t>(count),
                                    [&](size_t i) {
                                        const KrigBlockVoid& v = voids[i];
                                        return std::string(
                                            v.Krig_OreType,
                                            strnlen(v.Krig_OreType, sizeof v.Krig_OreType));
                                    },
                                    Spelling::Exact));
}

std::vector<std::string> keysOf(std::vector<std::string> keys) {
    keys.erase(std::remove(keys.begin(), keys.end(), ""), keys.end());
    return keys;
}

std::string titleOf(const std::string& what, const std::vector<std::string>& keys) {
    return oneLine(std::accumulate(
        keys.begin(), keys.end(), what,
        [](const std::string& title, const std::string& key) { return title + "; " + key; }));
}

}  // namespace vornel::cli
