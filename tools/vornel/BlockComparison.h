// Two estimates of one model compared block by block: the blocks at the same
// centre in both, and how their grades moved.
#ifndef VORNEL_CLI_BLOCKCOMPARISON_H
#define VORNEL_CLI_BLOCKCOMPARISON_H

#include <utility>
#include <vector>

#include "vornel/KrigBlockResult.h"

namespace vornel::cli {

struct GradedBlock {
    D_3DOT centre{};
    D_3DOT size{};
    double grade = 0;
    int32_t blockId = 0;
};

struct BlockComparison {
    long matched = 0;     // centres in both
    long onlyFirst = 0;   // centres in the first alone
    long onlySecond = 0;  // centres in the second alone
    // Over the matched blocks, each counting once (not weighed by tonnes).
    double meanFirst = 0;
    double meanSecond = 0;
    double meanAbsoluteChange = 0;
    double correlation = 0;  // NaN when either side's grades do not vary
    // The matched pair whose grade moved most, the first found of equals.
    GradedBlock largestFrom;
    GradedBlock largestTo;
    // Matched pairs whose blocks differ in size, and the first of them.
    long unlikeSize = 0;
    std::pair<GradedBlock, GradedBlock> firstUnlike;
    // Every matched pair, first and second, in the second's order.
    std::vector<std::pair<GradedBlock, GradedBlock>> pairs;
};

// Blocks match when their centres are the same doubles, as two estimates on
// one grid give them. A centre that one side lists twice matches once.
BlockComparison compareBlocks(const std::vector<GradedBlock>& first,
                              const std::vector<GradedBlock>& second);

}  // namespace vornel::cli

#endif
