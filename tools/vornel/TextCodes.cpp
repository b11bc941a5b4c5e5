#include "TextCodes.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "BlockClasses.h"

namespace vornel::cli {
namespace {

TextCodes textCodes(const std::string& column, const std::vector<std::string>& texts) {
    const BlockClasses classes = classifyTexts(texts);
    TextCodes codes;
    codes.codeOf.reserve(texts.size());
    bool blank = false;
    for (size_t i = 0; i < texts.size(); ++i) {
        blank = blank || texts[i].empty();
        codes.codeOf.push_back(texts[i].empty() ? 0 : static_cast<int32_t>(classes.classOf[i] + 1));
    }
    // "(none)", listed last, is 0; the others are numbered as listed. No
    // blocks, no key.
    if (classes.names.empty()) {
        return codes;
    }
    codes.key = column;
    for (size_t c = 0; c < classes.names.size(); ++c) {
        const bool none = blank && c + 1 == classes.names.size();
        codes.key +=
            (c == 0 ? " " : ", ") + std::to_string(none ? 0 : c + 1) + ' ' + classes.names[c];
    }
    return codes;
}

TextCodes fieldCodes(const std::string& column, const KrigBlockResult* blocks, long count,
                     ClassField field) {
    std::vector<std::string> texts;
    texts.reserve(static_cast<size_t>(count));
    for (long i = 0; i < count; ++i) {
        texts.push_back(classText(blocks[i], field));
    }
    return textCodes(column, texts);
}

}  // namespace

TextCodes categoryCodes(const KrigBlockResult* blocks, long count) {
    return fieldCodes("CATEGORY", blocks, count, ClassField::Category);
}

TextCodes oreTypeCodes(const KrigBlockResult* blocks, long count) {
    return fieldCodes("ORETYPE", blocks, count, ClassField::OreType);
}

TextCodes oreTypeCodes(const KrigBlockVoid* voids, long count) {
    std::vector<std::string> texts;
    texts.reserve(static_cast<size_t>(count));
    for (long i = 0; i < count; ++i) {
        const KrigBlockVoid& v = voids[i];
        texts.emplace_back(v.Krig_OreType, strnlen(v.Krig_OreType, sizeof v.Krig_OreType));
    }
    return textCodes("ORETYPE", texts);
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
