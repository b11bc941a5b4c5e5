// A block or void table as a VTK file for 3D viewers: one cell per block,
// or per sub-block, with the block's numbers on each of its cells.
#ifndef VORNEL_CLI_EXPORTVTK_H
#define VORNEL_CLI_EXPORTVTK_H

#include <ostream>
#include <string>
#include <vector>

#include "ModelDatabase.h"
#include "ProgressBar.h"

namespace vornel::cli {

struct VtkExport {
    long cells = 0;
    // What the numbers of the text columns stand for, a line each:
    // "CATEGORY 1 Measured, 2 Indicated, 3 Inferred, 0 (none)".
    std::vector<std::string> keys;
    bool titleCut = false;  // the title line holds the keys in part only
};

// The cells carry BLOCKID, MINEID, the grade (named `element`; NaN where
// `ungraded` has the block), VARIANCE, COEF, CATEGORY and ORETYPE (numbered
// in the order reports list them, 0 for none), BOUND, TONNAGE (a
// sub-block's share by volume), NSAMP, AVGDIST and PASS. The keys are also
// the file's title line, as far as its 255 bytes hold them.
VtkExport writeBlocksVtk(std::ostream& out, const std::string& table, const std::string& element,
                         const KrigBlockResult* blocks, long count, const UngradedBlocks& ungraded,
                         bool subBlocks, ProgressBar* bar);

// Void blocks carry BLOCKID, COEF, ORETYPE and BOUND.
VtkExport writeVoidsVtk(std::ostream& out, const std::string& table, const KrigBlockVoid* voids,
                        long count, bool subBlocks, ProgressBar* bar);

}  // namespace vornel::cli

#endif
