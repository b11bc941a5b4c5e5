#include "SectionOutput.h"

#include <algorithm>
#include <optional>

#include "BlockList.h"
#include "CsvWriter.h"
#include "Failure.h"
#include "GradeUnit.h"
#include "ModelDatabase.h"
#include "NumberText.h"
#include "OutputFile.h"
#include "SectionSvg.h"
#include "SectionTraces.h"
#include "WaitIndicator.h"

namespace vornel::cli {
namespace {

std::string traceText(const SectionPolygon& outline) {
    std::string text;
    for (const SectionPoint& p : outline) {
        text += (text.empty() ? "" : ";") + formatNumber(p.u, 10) + " " + formatNumber(p.v, 10);
    }
    return text;
}

void writeCsv(const std::string& path, const std::string& element,
              const std::vector<SectionTrace>& traces) {
    OutputFile file(path);
    CsvWriter csv(file.stream());
    csv.header({"BLOCKID", "SUB", "X", "Y", "Z", "DX", "DY", "DZ", element, "CATEGORY", "TRACE"});
    for (const SectionTrace& t : traces) {
        csv.integer(t.blockId).integer(t.subBlock);
        csv.number(t.box.centre.x).number(t.box.centre.y).number(t.box.centre.z);
        csv.number(t.box.size.x).number(t.box.size.y).number(t.box.size.z);
        csv.number(t.grade).text(t.category).text(traceText(t.outline));
        csv.endRow();
    }
    file.commit();
}

bool samePoint(const D_3DOT& a, const D_3DOT& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

// The cut gives back only the sub-blocks it cuts; their numbers in the
// block as stored come from reading the block again. Traces of one block
// follow each other, in the order of its sub-blocks. A block whose
// identifier several runs of the table share cannot be read alone: its
// sub-blocks keep their numbers among the cut ones.
void numberStoredSubBlocks(CVornelMng& mng, const std::string& table, const KrigBlockResult* blocks,
                           long count, std::vector<SectionTrace>& traces) {
    size_t t = 0;
    for (long i = 0; i < count; ++i) {
        const KrigBlockResult& cut = blocks[i];
        if (cut.SubBUD_Num <= 0) {
            ++t;
            continue;
        }
        KrigBlockResult stored;
        if (mng.getBlockResult(table, cut.Krig_BlockID, &stored) == 0) {
            t += static_cast<size_t>(cut.SubBUD_Num);
            continue;
        }
        const OwnedSubBlocks<KrigBlockResult> release(stored);
        int from = 0;
        for (int s = 0; s < cut.SubBUD_Num; ++s, ++t) {
            while (from < stored.SubBUD_Num &&
                   !samePoint(stored.SubBUD_PntLoc[from], cut.SubBUD_PntLoc[s])) {
                ++from;
            }
            traces[t].subBlock = ++from;
        }
    }
}

}  // namespace

Box modelExtent(CVornelMng& mng, const std::string& table) {
    if (const auto run = runOfTable(mng, table)) {
        if (run->Grid_EndX > run->Grid_StartX && run->Grid_EndY > run->Grid_StartY &&
            run->Grid_EndZ > run->Grid_StartZ) {
            return {
                {(run->Grid_StartX + run->Grid_EndX) / 2, (run->Grid_StartY + run->Grid_EndY) / 2,
                 (run->Grid_StartZ + run->Grid_EndZ) / 2},
                {run->Grid_EndX - run->Grid_StartX, run->Grid_EndY - run->Grid_StartY,
                 run->Grid_EndZ - run->Grid_StartZ}};
        }
    }
    D_3DOT low{};
    D_3DOT high{};
    check(mng, mng.getStatResultPos(table, high, low),
          "cannot read the position range of " + table);
    // Without the grid the block sizes are unknown: a generous margin costs
    // nothing, the drawing is framed by what the section cuts.
    const double margin = std::max({high.x - low.x, high.y - low.y, high.z - low.z, 1.0}) / 2;
    return {
        {(low.x + high.x) / 2, (low.y + high.y) / 2, (low.z + high.z) / 2},
        {high.x - low.x + 2 * margin, high.y - low.y + 2 * margin, high.z - low.z + 2 * margin}};
}

SectionCount cutSection(CVornelMng& mng, const std::string& table, const SectionPlane& plane,
                        const std::string& svgPath, const std::string& csvPath) {
    const std::optional<SectionFrame> frame = sectionFrame(plane.corners);
    if (!frame) {
        throw Failure("the section's corners do not span a plane");
    }
    // Until the pieces are traced; the drawing may go to standard output.
    std::optional<WaitIndicator> wait(std::in_place, "cutting " + table);
    const std::optional<KrigBlockParam> run = runOfTable(mng, table);
    const std::string element = run ? std::string(run->Mine_Element) : "grade";
    const GradeUnit& unit = gradeUnitOfCode(run ? run->OreAttr_Unit : 0);
    double high = 0;
    double low = 0;
    double ignored = 0;
    check(mng, mng.getStatResult(table, high, low, ignored, ignored),
          "cannot read the grade range of " + table);

    D_3DOT corners[4] = {plane.corners[0], plane.corners[1], plane.corners[2], plane.corners[3]};
    // A table without rows fails the cut with an empty answer written out;
    // any other failure leaves the out-arguments as they were.
    KrigBlockResult unset;
    KrigBlockResult* blocks = &unset;
    long count = -1;
    if (mng.getCutBlockResult(table, corners, &blocks, &count) == 0) {
        if (blocks != nullptr || count != 0) {
            throw Failure("cannot cut " + table + ": " + mng.lastError());
        }
    }
    std::vector<SectionTrace> traces = traceCut(*frame, corners, blocks, count);
    numberStoredSubBlocks(mng, table, blocks, count, traces);
    wait.reset();

    SectionCount n;
    n.blocks = count;
    n.layer = count > 0 ? blocks[0].Krig_PntLocZ : 0;
    for (long i = 0; i < count; ++i) {
        n.split += blocks[i].SubBUD_Num > 0 ? 1 : 0;
        n.subBlocks += std::max(blocks[i].SubBUD_Num, 0);
    }
    n.untraced = std::count_if(traces.begin(), traces.end(),
                               [](const SectionTrace& t) { return t.outline.empty(); });
    if (!svgPath.empty()) {
        SectionPicture picture;
        picture.table = table;
        picture.element = element;
        picture.unit = unit.name;
        picture.plane = &plane;
        picture.frame = &*frame;
        picture.traces = &traces;
        picture.colours = ColourScale(low, high);
        picture.blocks = n.blocks;
        picture.split = n.split;
        picture.subBlocks = n.subBlocks;
        OutputFile file(svgPath);
        writeSectionSvg(file.stream(), picture);
        file.commit();
    }
    if (!csvPath.empty()) {
        writeCsv(csvPath, element, traces);
    }
    return n;
}

}  // namespace vornel::cli
