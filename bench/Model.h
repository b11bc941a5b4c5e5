// The synthetic model the benchmark stores and reads: a regular grid of
// blocks, one in five split into eight sub-blocks.
#ifndef VORNEL_BENCH_MODEL_H
#define VORNEL_BENCH_MODEL_H

#include <vector>

#include "vornel/KrigBlockResult.h"

namespace bench {

struct Model {
    std::vector<KrigBlockResult> blocks;
    std::vector<D_3DOT> points;  // the sub-block arrays the blocks point into
    double size = 10.0;          // block edge
    int nx = 0, ny = 0, nz = 0;  // grid extent
    D_3DOT origin{500000.0, 3000000.0, 0.0};

    Model() = default;
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;
};

// Fills `model` with n blocks.
void buildModel(long n, Model& model);

// The bytes a whole-table read hands out: records plus sub-block arrays.
size_t answerBytes(const Model& model);

}  // namespace bench

#endif
