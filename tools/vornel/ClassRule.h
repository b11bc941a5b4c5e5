// A rule of a resource classification as the user writes it,
// "Measured: Srch_Degr = 1 AND Krig_PntNum >= 12": the class a block takes
// when it meets the SQL condition.
#ifndef VORNEL_CLI_CLASSRULE_H
#define VORNEL_CLI_CLASSRULE_H

#include <string>

namespace vornel::cli {

struct ClassRule {
    std::string name;
    std::string condition;
};

// Splits "CLASS: CONDITION" at its first colon, trimming blanks. Throws
// UsageError for a rule without a class or a condition, or with a class
// checkClassName refuses.
ClassRule parseClassRule(const std::string& text);

// Throws UsageError, naming the option, unless `name` fits a block's
// category: UTF-8 of 19 bytes at most, without control characters. An empty
// name is refused unless `mayBeEmpty`.
void checkClassName(const std::string& name, const std::string& option, bool mayBeEmpty);

}  // namespace vornel::cli

#endif
