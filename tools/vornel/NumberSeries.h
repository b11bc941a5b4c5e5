// Evenly spaced values written as FROM:TO:STEP, as a series of sections or
// of cut-off grades is asked for.
#ifndef VORNEL_CLI_NUMBERSERIES_H
#define VORNEL_CLI_NUMBERSERIES_H

#include <string>
#include <vector>

namespace vornel::cli {

// Whether the text asks for a series rather than one value.
bool isSeries(const std::string& text);

// FROM, FROM + STEP, ... up to TO (which need not fall on a step), each as
// the text of its decimal value: 0.1 three times is 0.3, not
// 0.30000000000000004. Throws UsageError, calling the values `what`
// ("sections") and showing `example`, for a text that is not
// FROM:TO:STEP, with TO at or above FROM and STEP above 0, for more than
// 1000 values, or for a step too small for them to differ.
std::vector<std::string> numberSeries(const std::string& text, const std::string& what,
                                      const std::string& example);

}  // namespace vornel::cli

#endif
