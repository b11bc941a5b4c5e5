// A section drawn as SVG: each traced block or sub-block a polygon coloured
// by grade, with axes in model coordinates, a colour bar, a title and a
// scale bar, at one scale on both axes.
#ifndef VORNEL_CLI_SECTIONSVG_H
#define VORNEL_CLI_SECTIONSVG_H

#include <ostream>
#include <string>
#include <vector>

#include "ColourScale.h"
#include "SectionPlane.h"
#include "SectionTraces.h"
#include "SectionVoids.h"

namespace vornel::cli {

struct SectionPicture {
    std::string table;
    std::string element;
    std::string unit;
    const SectionPlane* plane = nullptr;
    const std::vector<SectionTrace>* traces = nullptr;
    ColourScale colours{0, 1};
    long blocks = 0;     // blocks cut
    long split = 0;      // of them, cut by their sub-blocks
    long subBlocks = 0;  // sub-blocks cut
    long untraced = 0;   // blocks and sub-blocks only touched: nothing drawn
    const std::vector<VoidTrace>* voids = nullptr;  // drawn hatched over the blocks
    std::string voidTable;
};

// One <path class="cut"> for each trace with an outline, then one
// <path class="void"> for each void trace.
void writeSectionSvg(std::ostream& out, const SectionPicture& picture);

}  // namespace vornel::cli

#endif
