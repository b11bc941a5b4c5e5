#include "BlockClasses.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <map>
#include <numeric>
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

std::string cutByReadCondition(const char* column) {
    static_assert(sizeof(KrigBlockResult::Krig_ResType) == sizeof(KrigBlockResult::Krig_OreType));
    const std::string bytes = std::string("CAST(") + column + " AS BLOB)";
    return "(length(" + bytes + ") > " + std::to_string(sizeof(KrigBlockResult::Krig_ResType) - 1) +
           " OR instr(" + bytes + ", x'00') > 0)";
}

bool ClassNameLess::operator()(const std::string& a, const std::string& b) const {
    return strcasecmp(a.c_str(), b.c_str()) < 0;
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

BlockClasses classify(const KrigBlockResult* blocks, long count, ClassField field,
                      Spelling spelling) {
    return classifyEach(
        static_cast<size_t>(count), [&](size_t i) { return classText(blocks[i], field); },
        spelling);
}

namespace {

// Whether a name comes before another as a reader counts: runs of digits as
// numbers ("pass 2" before "pass 10"), the rest byte by byte.
bool naturalLess(const std::string& a, const std::string& b) {
    const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (!digit(a[i]) || !digit(b[j])) {
            if (a[i] != b[j]) {
                return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
            }
            ++i;
            ++j;
            continue;
        }
        // A number: fewer digits is less; then digit by digit.
        size_t aEnd = i;
        size_t bEnd = j;
        while (aEnd < a.size() && digit(a[aEnd])) {
            ++aEnd;
        }
        while (bEnd < b.size() && digit(b[bEnd])) {
            ++bEnd;
        }
        if (aEnd - i != bEnd - j) {
            return aEnd - i < bEnd - j;
        }
        if (const int c = a.compare(i, aEnd - i, b, j, bEnd - j); c != 0) {
            return c < 0;
        }
        i = aEnd;
        j = bEnd;
    }
    if (i < a.size() || j < b.size()) {
        return i == a.size();
    }
    return false;
}

}  // namespace

bool listedBefore(const std::string& a, const std::string& b) {
    const size_t rankA = confidenceRank(a);
    const size_t rankB = confidenceRank(b);
    return rankA != rankB ? rankA < rankB : naturalLess(a, b);
}

BlockClasses classifyEach(size_t count, const std::function<std::string(size_t)>& textOf,
                          Spelling spelling) {
    // Only the few distinct texts are kept and ordered, not one a block.
    const auto less = [exact = spelling == Spelling::Exact](const std::string& a,
                                                            const std::string& b) {
        return exact ? a < b : ClassNameLess()(a, b);
    };
    std::map<std::string, size_t, decltype(less)> seen(less);
    std::vector<std::string> distinct;
    BlockClasses classes;
    classes.classOf.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const auto [at, added] = seen.emplace(textOf(i), distinct.size());
        if (added) {
            distinct.push_back(at->first);
        }
        classes.classOf.push_back(at->second);
    }
    // Each text stands where its first spelling would in a report, which
    // takes names alike but for case as one.
    std::map<std::string, std::string, ClassNameLess> firstSpelling;
    std::vector<std::string> listedAs(distinct.size());
    std::transform(
        distinct.begin(), distinct.end(), listedAs.begin(),
        [&](const std::string& text) { return firstSpelling.emplace(text, text).first->second; });
    // By their bytes first, so that texts listed alike keep one order.
    std::vector<size_t> order(distinct.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return distinct[a] < distinct[b]; });
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return listedBefore(listedAs[a], listedAs[b]); });
    std::vector<size_t> rank(distinct.size());
    for (size_t k = 0; k < order.size(); ++k) {
        rank[order[k]] = k;
        const std::string& text = distinct[order[k]];
        classes.names.push_back(text.empty() ? "(none)" : text);
        classes.blankLast = text.empty();
    }
    std::transform(classes.classOf.begin(), classes.classOf.end(), classes.classOf.begin(),
                   [&](size_t c) { return rank[c]; });
    return classes;
}

BlockClasses classifyTexts(const std::vector<std::string>& texts) {
    return classifyEach(texts.size(), [&](size_t i) { return texts[i]; });
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

const std::vector<std::string>& classFieldNames() {
    static const std::vector<std::string> names = {"category", "oretype", "bench", "pass"};
    return names;
}

BlockClasses classesBy(const std::string& by, const KrigBlockResult* blocks, long count) {
    if (by == "bench") {
        return classifyByBench(blocks, count);
    }
    return classify(blocks, count,
                    by == "category"  ? ClassField::Category
                    : by == "oretype" ? ClassField::OreType
                                      : ClassField::Pass);
}

std::string classLabel(const std::string& by) {
    return by == "oretype" ? "ore type"
           : by == "bench" ? "bench (Z)"
           : by == "pass"  ? "search pass"
                           : by;
}

}  // namespace vornel::cli
