// A section drawn as SVG: each traced block or sub-block a polygon coloured
// by grade (or by class), with axes in model coordinates, a colour bar (or a
// key to the classes), a title and a scale bar, at one scale on both axes.
#ifndef VORNEL_CLI_SECTIONSVG_H
#define VORNEL_CLI_SECTIONSVG_H

#include <ostream>
#include <string>
#include <vector>

#include "BlockClasses.h"
#include "ColourScale.h"
#include "SectionOutline.h"
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
    bool byVariance = false;  // the ramp is of the kriging variance, not the grade
    long blocks = 0;          // blocks cut
    long split = 0;           // of them, cut by their sub-blocks
    long subBlocks = 0;       // sub-blocks cut
    long untraced = 0;        // blocks and sub-blocks only touched: nothing drawn
    const std::vector<VoidTrace>* voids = nullptr;  // drawn hatched over the blocks
    std::string voidTable;
    // Drawn dashed over the rest, where it meets the section.
    const OutlineOnSection* outline = nullptr;
    std::string outlineName;
    // Coloured by class instead of grade when a field is named ("category",
    // "ore type"): trace i is of class classes.names[classes.classOf[i]].
    std::string classField;
    BlockClasses classes;
};

// One <path class="cut"> for each trace with an outline, then one
// <path class="void"> for each void trace, then the plan outline: one
// <path class="outline"> of its edges, or of an upright line at each place
// a vertical section crosses it.
void writeSectionSvg(std::ostream& out, const SectionPicture& picture);

}  // namespace vornel::cli

#endif
