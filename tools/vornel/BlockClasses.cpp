#include "BlockClasses.h"

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <utility>

#include "NumberText.h"

namespace vornel::cli {
namespace {

const char* const kConfidence[] = {"Measured", "Indicated", "Inferred"};
const size_t kOthers = std::size(kConfidence);
const size_t kBlank = kOthers + 1;

template <size_t N>
std::string textOf(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

}  // namespace

std::string classText(const KrigBlockResult& block, ClassField field) {
    switch (field) {
        case ClassField::Category:
            return textOf(block.Krig_ResType);
        case ClassField::OreType:
            return textOf(block.Krig_OreType);
        case ClassField::Pass:
            // A model without passes records 0: no class, rather than "pass 0".
            return block.Srch_Degr > 0 ? "pass " + std::to_string(block.Srch_Degr) : "";
    }
    return "";
}

size_t confidenceRank(const std::string& text) {
    if (text.empty()) {
        return kBlank;
    }
    const auto* known =
        std::find_if(std::begin(kConfidence), std::end(kConfidence),
                     [&](const char* c) { return strcasecmp(c, text.c_str()) == 0; });
    return static_cast<size_t>(known - std::begin(kConfidence));
}

BlockClasses classify(const KrigBlockResult* blocks, long count, ClassField field) {
    std::vector<std::string> texts;
    texts.reserve(static_cast<size_t>(count));
    for (long i = 0; i < count; ++i) {
        texts.push_back(classText(blocks[i], field));
    }
    return classifyTexts(texts);
}

BlockClasses classifyTexts(const std::vector<std::string>& texts) {
    // Ordered as listed: by rank, then by name.
    std::set<std::pair<size_t, std::string>> order;
    for (const std::string& text : texts) {
        order.emplace(confidenceRank(text), text);
    }
    BlockClasses classes;
    std::map<std::string, size_t> indexOf;
    for (const auto& [rank, text] : order) {
        indexOf[text] = classes.names.size();
        classes.names.push_back(text.empty() ? "(none)" : text);
    }
    classes.classOf.reserve(texts.size());
    for (const std::string& text : texts) {
        classes.classOf.push_back(indexOf[text]);
    }
    return classes;
}

BlockClasses classifyByBench(const KrigBlockResult* blocks, long count) {
    std::map<double, size_t, std::greater<>> indexOf;
    for (long i = 0; i < count; ++i) {
        indexOf.emplace(blocks[i].Krig_PntLocZ, 0);
    }
    BlockClasses classes;
    for (auto& [z, index] : indexOf) {
        index = classes.names.size();
        classes.names.push_back(formatExact(z));
    }
    classes.classOf.reserve(static_cast<size_t>(count));
    for (long i = 0; i < count; ++i) {
        classes.classOf.push_back(indexOf[blocks[i].Krig_PntLocZ]);
    }
    return classes;
}

}  // namespace vornel::cli
