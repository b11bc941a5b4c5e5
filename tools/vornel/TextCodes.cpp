#include "TextCodes.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "BlockClasses.h"

namespace vornel::cli {
namespace {

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
        codes.key +=
            (c == 0 ? " " : ", ") + std::to_string(c == none ? 0 : c + 1) + ' ' + classes.names[c];
    }
    return codes;
}

}  // namespace

TextCodes categoryCodes(const KrigBlockResult* blocks, long count) {
    return textCodes("CATEGORY", classify(blocks, count, ClassField::Category));
}

TextCodes oreTypeCodes(const KrigBlockResult* blocks, long count) {
    return textCodes("ORETYPE", classify(blocks, count, ClassField::OreType));
}

TextCodes oreTypeCodes(const KrigBlockVoid* voids, long count) {
    return textCodes("ORETYPE", classifyEach(static_cast<size_t>(count), [&](size_t i) {
                         const KrigBlockVoid& v = voids[i];
                         return std::string(v.Krig_OreType,
                                            strnlen(v.Krig_OreType, sizeof v.Krig_OreType));
                     }));
}

std::vector<std::string> keysOf(std::vector<std::string> keys) {
    keys.erase(std::remove(keys.begin(), keys.end(), ""), keys.end());
    return keys;
}

std::string titleOf(const std::string& what, const std::vector<std::string>& keys) {
    return std::accumulate(
        keys.begin(), keys.end(), what,
        [](const std::string& title, const std::string& key) { return title + "; " + key; });
}

}  // namespace vornel::cli
