// What is wrong with the blocks of a table, as another tool or a damaged
// file may have left them: places and sizes that are no box, blocks that
// overlap, sub-blocks outside their block, coefficients their sub-blocks do
// not fill, and figures that cannot be.
#ifndef VORNEL_CLI_MODELCHECK_H
#define VORNEL_CLI_MODELCHECK_H

#include <string>
#include <vector>

#include "vornel/VornelMng.h"

namespace vornel::cli {

enum class Severity {
    Error,    // the tables of grades, sections and depletion go wrong on it
    Warning,  // unusual, and may be meant
};

// One kind of problem, with how often it was met and its first examples.
struct Finding {
    Severity severity = Severity::Error;
    std::string what;
    long count = 0;
    std::vector<std::string> examples;
};

// The examples a finding keeps.
constexpr size_t kExamples = 3;

// The problems, in the order their kinds were first met.
class Findings {
public:
    // One more of the kind `what`; an empty example is none.
    void add(Severity severity, const std::string& what, const std::string& example);
    const std::vector<Finding>& list() const { return list_; }
    long count(Severity severity) const;

private:
    std::vector<Finding> list_;
};

// The most overlapping pairs looked for: a table whose blocks all lie in one
// place would otherwise take as long as its blocks squared.
constexpr long kMostOverlaps = 1000;

// "block 12", or "block 12 of run 3" in a table of several runs.
std::string blockName(int32_t run, int32_t block, bool withRun);

// The blocks of a result table, any runs of it; blocks of different runs
// may overlap, as two estimates of one ground do.
Findings checkBlocks(const KrigBlockResult* blocks, long count);

// The void blocks of a void table; void blocks may overlap.
Findings checkVoids(const KrigBlockVoid* voids, long count);

}  // namespace vornel::cli

#endif
