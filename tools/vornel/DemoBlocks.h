// The demo's block model made from its ore body: blocks of a regular grid,
// whole inside the lens and split into sub-blocks along its boundary, and
// void blocks where old workings left empty space.
#ifndef VORNEL_CLI_DEMOBLOCKS_H
#define VORNEL_CLI_DEMOBLOCKS_H

#include <string>
#include <vector>

#include "BlockList.h"
#include "Box.h"
#include "DemoOreBody.h"

namespace vornel::cli {

struct DemoGrid {
    D_3DOT origin{};  // lower corner of block 0,0,0
    double edge = 10;
    int nx = 0, ny = 0, nz = 0;
    int split = 4;  // sub-blocks per block edge along the boundary

    Box cell(int i, int j, int k) const;
};

// A grid of `edge`-metre blocks around the whole ore body.
DemoGrid demoGrid(const DemoOreBody& body, double edge);

// The blocks of the ore body in grid order (Z, then Y, then X), numbered
// from 1. Blocks cut by the boundary keep the sub-blocks inside the lens,
// merged along X, with the filled fraction as coefficient.
void buildDemoBlocks(const DemoOreBody& body, const DemoGrid& grid, BlockList& blocks);

struct Working {
    const char* kind;  // kept as the void blocks' ore type
    Box box;
};

// Old workings in the lens: a stope and two drives.
std::vector<Working> demoWorkings(const DemoOreBody& body);

// The void blocks of the workings: grid blocks they fill whole, or the
// parts of blocks they cut, as sub-blocks.
void buildDemoVoids(const std::vector<Working>& workings, const DemoGrid& grid, VoidList& voids);

}  // namespace vornel::cli

#endif
