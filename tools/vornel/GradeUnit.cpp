#include "GradeUnit.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>

#include "Failure.h"

namespace vornel::cli {
namespace {

const GradeUnit kUnits[] = {
    {0, "%", 0.01, "t"},
    {1, "g/t", 0.001, "kg"},
    {2, "ppm", 0.001, "kg"},  // the same measure as g/t
};

struct Spelling {
    const char* text;
    int code;  // cppcheck-suppress unusedStructMember ; read through find_if
};

const Spelling kSpellings[] = {{"%", 0},   {"pct", 0}, {"percent", 0},
                               {"g/t", 1}, {"gpt", 1}, {"ppm", 2}};

}  // namespace

const GradeUnit& gradeUnitNamed(const std::string& name) {
    const auto* spelling = std::find_if(std::begin(kSpellings), std::end(kSpellings),
                                        [&](const Spelling& s) { return name == s.text; });
    if (spelling != std::end(kSpellings)) {
        return gradeUnitOfCode(spelling->code);
    }
    throw UsageError("--unit: '" + name + "' is not a grade unit; use one of " + gradeUnitNames());
}

const GradeUnit& gradeUnitOfCode(int code) {
    const auto* unit = std::find_if(std::begin(kUnits), std::end(kUnits),
                                    [&](const GradeUnit& u) { return u.code == code; });
    return unit != std::end(kUnits) ? *unit : kUnits[0];
}

const char* gradeUnitNames() {
    return "% (or pct), g/t (or gpt), ppm";
}

const GradeUnit* gradeUnitOfText(const std::string& text) {
    const size_t start = text.find_first_not_of(" \t([");
    const size_t end = text.find_last_not_of(" \t)]");
    if (start == std::string::npos || end < start) {
        return nullptr;
    }
    std::string word = text.substr(start, end - start + 1);
    std::transform(word.begin(), word.end(), word.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto* spelling = std::find_if(std::begin(kSpellings), std::end(kSpellings),
                                        [&](const Spelling& s) { return word == s.text; });
    return spelling != std::end(kSpellings) ? &gradeUnitOfCode(spelling->code) : nullptr;
}

const GradeUnit* gradeUnitInName(const std::string& column) {
    std::string name = column;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (!name.empty() && (name.back() == ')' || name.back() == ']')) {
        name.pop_back();
    }
    for (const Spelling& s : kSpellings) {
        const size_t length = std::strlen(s.text);
        if (name.size() <= length || name.compare(name.size() - length, length, s.text) != 0) {
            continue;
        }
        // "Cu%" as "Cu %"; a word needs a break before it: "Cupct" is none.
        if (s.text[0] == '%' ||
            std::isalnum(static_cast<unsigned char>(name[name.size() - length - 1])) == 0) {
            return &gradeUnitOfCode(s.code);
        }
    }
    return nullptr;
}

std::string withGradeUnit(const std::string& column, const GradeUnit& unit) {
    if (unit.code == 1 || unit.code == 2) {
        return column + (unit.code == 1 ? "_gpt" : "_ppm");
    }
    return gradeUnitInName(column) != nullptr ? column + "_pct" : column;
}

}  // namespace vornel::cli
