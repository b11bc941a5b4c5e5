// Which stored blocks, and which of their sub-blocks, a section cuts, from
// the exact brute force over every face: a block is tested by its box when
// it has no sub-blocks or a coefficient of exactly 1.0, else by the boxes of
// its sub-blocks; a flat section keeps only the layer of the first block it
// cuts.
#ifndef VORNEL_TESTS_GEOMETRY_EXACTCUT_H
#define VORNEL_TESTS_GEOMETRY_EXACTCUT_H

#include <array>
#include <cstdint>
#include <vector>

#include "ExactParts.h"
#include "vornel/KrigBlockResult.h"

namespace vornel::test {

struct CutBlock {
    int32_t id;
    std::vector<int32_t> subBlocks;  // positions among the block's own, in stored order

    bool operator==(const CutBlock& other) const {
        return id == other.id && subBlocks == other.subBlocks;
    }
};

bool testedWhole(const KrigBlockResult& b);

class ExactCut {
public:
    // The blocks in the order they are stored, read here once.
    explicit ExactCut(const std::vector<KrigBlockResult>& blocks);

    // Whether every corner of every box tested is a finite double: beyond
    // them the brute force has nothing to say.
    bool finite() const { return finite_; }

    std::vector<CutBlock> through(const std::array<D_3DOT, 4>& corners) const;

private:
    struct Tested {
        int32_t id;
        double z;
        bool whole;
        std::vector<ExactParts> boxes;
    };
    std::vector<Tested> tested_;
    bool finite_ = true;
};

}  // namespace vornel::test

#endif
