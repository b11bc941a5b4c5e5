// Cutting a block table with a section and writing what it cuts: the
// drawing (SVG) and the list (CSV).
#ifndef VORNEL_CLI_SECTIONOUTPUT_H
#define VORNEL_CLI_SECTIONOUTPUT_H

#include <optional>
#include <string>

#include "BlockClasses.h"
#include "Box.h"
#include "PlanOutline.h"
#include "SectionPlane.h"
#include "vornel/VornelMng.h"

namespace vornel::cli {

struct SectionCount {
    long blocks = 0;          // blocks cut
    long split = 0;           // of them, cut by their sub-blocks
    long subBlocks = 0;       // sub-blocks cut
    long untraced = 0;        // blocks and sub-blocks the section only touches
    double layer = 0;         // the centre Z of the first block cut
    bool emptyTable = false;  // the table has no rows at all
    // "X < 5000" when the plane lay on faces of boxes on both sides of it
    // and kept this side; empty otherwise.
    std::string sideKept;
    long voids = 0;  // void blocks and their sub-blocks the section passes through
    std::string voidTable;
};

// The box the table's blocks fill: the run's grid from the catalog, or the
// range of block centres widened by half of it.
Box modelExtent(CVornelMng& mng, const std::string& table);

// What the drawing colours its pieces by: the grade on a ramp (the
// default), the kriging variance on one, or the classes of a field, with a
// key; and the plan outline it shows, if any.
struct SectionDrawing {
    bool variance = false;
    std::optional<ClassField> classes;
    const PlanOutline* outline = nullptr;
};

// The colouring --colour names: grade, variance, category, oretype or pass.
SectionDrawing drawingColouredBy(const std::string& name);

// Cuts the table and writes the files whose paths are not empty, the
// drawing as asked. Throws Failure, naming the database at `path`.
SectionCount cutSection(CVornelMng& mng, const std::string& path, const std::string& table,
                        const SectionPlane& plane, const std::string& svgPath,
                        const std::string& csvPath, const SectionDrawing& drawing);

}  // namespace vornel::cli

#endif
