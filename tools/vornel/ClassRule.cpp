#include "ClassRule.h"

#include "Failure.h"
#include "TextRows.h"
#include "Utf8.h"

namespace vornel::cli {
namespace {

// Krig_ResType keeps 19 bytes and its terminating NUL.
constexpr size_t kLongestClass = 19;

}  // namespace

ClassRule parseClassRule(const std::string& text) {
    const size_t colon = text.find(':');
    ClassRule rule;
    if (colon != std::string::npos) {
        rule = {trimmed(text.substr(0, colon)), trimmed(text.substr(colon + 1))};
    }
    if (rule.name.empty() || rule.condition.empty()) {
        throw UsageError("--rule \"" + text +
                         "\": give a class and a condition, as in \"Measured: Srch_Degr = 1\"");
    }
    checkClassName(rule.name, "--rule", false);
    return rule;
}

void checkClassName(const std::string& name, const std::string& option, bool mayBeEmpty) {
    const bool printable = isPrintableText(name);
    if ((name.empty() && !mayBeEmpty) || name.size() > kLongestClass || !printable) {
        // A name that would break the line, or the terminal, is not repeated.
        throw UsageError(option + (printable ? " '" + name + "'" : std::string()) +
                         ": a class is a name of 1 to 19 bytes (UTF-8), without control "
                         "characters");
    }
}

}  // namespace vornel::cli
