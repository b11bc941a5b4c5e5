#include "SectionOutput.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <optional>
#include <set>
#include <tuple>

#include "ColumnRoles.h"
#include "CsvWriter.h"
#include "Failure.h"
#include "GradeUnit.h"
#include "ModelDatabase.h"
#include "NumberText.h"
#include "OutputFile.h"
#include "SectionOutline.h"
#include "SectionSvg.h"
#include "SectionTraces.h"
#include "SectionVoids.h"
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

void writeCsv(std::ostream& out, const std::string& element,
              const std::vector<SectionTrace>& traces) {
    CsvWriter csv(out);
    // Yttrium's grades are no northing, nor an element Sub's a sub-block.
    std::vector<std::string> names = {"BLOCKID", "MINEID", "SUB", "X",        "Y",    "Z",
                                      "DX",      "DY",     "DZ",  "CATEGORY", "TRACE"};
    std::string grade = gradeColumnName(element);
    if (std::any_of(names.begin(), names.end(), [&](const std::string& name) {
            return strcasecmp(name.c_str(), grade.c_str()) == 0;
        })) {
        grade = element + "_GRADE";
    }
    names.insert(names.begin() + 9, grade);
    csv.header(names);
    for (const SectionTrace& t : traces) {
        csv.integer(t.blockId).integer(t.mineId).integer(t.subBlock);
        csv.number(t.box.centre.x).number(t.box.centre.y).number(t.box.centre.z);
        csv.number(t.box.size.x).number(t.box.size.y).number(t.box.size.z);
        if (t.graded) {
            csv.number(t.grade);
        } else {
            csv.missing();
        }
        csv.text(t.category).text(traceText(t.outline));
        csv.endRow();
    }
}

bool samePoint(const D_3DOT& a, const D_3DOT& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

// Sub-blocks may share a centre: nested, or of no size.
bool storedAs(const KrigBlockResult& stored, int i, const Box& box) {
    return samePoint(stored.SubBUD_PntLoc[i], box.centre) &&
           samePoint(stored.SubBUD_GridSize[i], box.size);
}

// The cut gives back only the sub-blocks it cuts; their numbers in the
// block as stored come from reading the block again, by run and identifier
// (runs sharing a table may repeat identifiers). The traces of one block
// follow each other, in the order of its sub-blocks. This replaces the
// manager's result cache, so it comes after every use of the cut.
void numberStoredSubBlocks(CVornelMng& mng, const std::string& table,
                           std::vector<SectionTrace>& traces) {
    for (size_t first = 0; first < traces.size();) {
        const SectionTrace& t = traces[first];
        size_t end = first + 1;
        while (end < traces.size() && traces[end].subBlock > 0 && t.subBlock > 0 &&
               traces[end].mineId == t.mineId && traces[end].blockId == t.blockId) {
            ++end;
        }
        KrigBlockResult* stored = nullptr;
        long count = 0;
        if (t.subBlock > 0 &&
            mng.getBlockResultByWhereSQL(table,
                                         "MineID = " + std::to_string(t.mineId) +
                                             " AND Krig_BlockID = " + std::to_string(t.blockId),
                                         &stored, &count) != 0 &&
            count == 1) {
            int from = 0;
            for (size_t i = first; i < end; ++i) {
                while (from < stored->SubBUD_Num && !storedAs(*stored, from, traces[i].box)) {
                    ++from;
                }
                traces[i].subBlock = ++from;
            }
        }
        first = end;
    }
}

// The traces a plane at one X, Y or Z keeps on faces, sorted by their least
// u so that those reaching a place are found fast.
class KeptTraces {
public:
    void add(const SectionPolygon& trace) {
        Kept k{trace, HUGE_VAL, -HUGE_VAL};
        for (const SectionPoint& p : trace) {
            k.u0 = std::min(k.u0, p.u);
            k.u1 = std::max(k.u1, p.u);
        }
        widest_ = std::max(widest_, k.u1 - k.u0);
        kept_.push_back(std::move(k));
    }
    void sort() {
        std::sort(kept_.begin(), kept_.end(),
                  [](const Kept& a, const Kept& b) { return a.u0 < b.u0; });
    }

    // True when the kept traces cover this one. They may overlap one
    // another (two runs of one table, or blocks that overlap), so what they
    // leave of it is taken away piece by piece rather than their shares
    // added up.
    bool cover(const SectionPolygon& trace) const {
        double u0 = HUGE_VAL;
        double u1 = -HUGE_VAL;
        for (const SectionPoint& p : trace) {
            u0 = std::min(u0, p.u);
            u1 = std::max(u1, p.u);
        }
        const double negligible = areaOf(trace) * 1e-9;
        std::vector<SectionPolygon> left = {trace};
        auto it = std::lower_bound(kept_.begin(), kept_.end(), u0 - widest_,
                                   [](const Kept& k, double u) { return k.u0 < u; });
        for (; it != kept_.end() && it->u0 < u1 && !left.empty(); ++it) {
            std::vector<SectionPolygon> rest;
            for (const SectionPolygon& piece : left) {
                for (SectionPolygon& part : subtractConvex(piece, it->trace)) {
                    if (areaOf(part) > negligible) {
                        rest.push_back(std::move(part));
                    }
                }
            }
            left = std::move(rest);
        }
        const double uncovered =
            std::accumulate(left.begin(), left.end(), 0.0,
                            [](double sum, const SectionPolygon& p) { return sum + areaOf(p); });
        return uncovered <= negligible;
    }

private:
    struct Kept {
        SectionPolygon trace;
        double u0;
        double u1;
    };
    std::vector<Kept> kept_;
    double widest_ = 0;
};

// A plane at one X, Y or Z on the faces between boxes touches the boxes on
// both sides, which would be listed twice and drawn over each other. Like a
// plan's layer, one side is kept, that of the first such box drawn; a box
// of the other side (or one flat in the plane) goes where the traces kept
// cover its own. Sets the side kept (-1 below, 1 above the plane, 0 when no
// box has a face on it) and, when something was left out, its text
// ("X < 5000"). Gives the test that leaves out a void piece as such a box.
LeftOut keepOneSide(const SectionPlane& plane, std::vector<SectionTrace>& traces, SectionCount& n) {
    const std::optional<int> fixed = fixedAxis(plane);
    if (!fixed) {
        return [](const Box&, const SectionPolygon&) { return false; };
    }
    const auto sideOf = [fixed, at = axis(plane.corners[0], *fixed)](const Box& box) {
        return sideOfPlane(box, *fixed, at);
    };
    const auto first = std::find_if(traces.begin(), traces.end(), [&](const SectionTrace& t) {
        return !t.outline.empty() && (sideOf(t.box) == 1 || sideOf(t.box) == -1);
    });
    const int kept = first == traces.end() ? 0 : sideOf(first->box);
    auto keptTraces = std::make_shared<KeptTraces>();
    for (const SectionTrace& t : traces) {
        if (!t.outline.empty() && sideOf(t.box) == kept) {
            keptTraces->add(t.outline);
        }
    }
    keptTraces->sort();
    LeftOut leftOut = [sideOf, kept, keptTraces](const Box& box, const SectionPolygon& outline) {
        if (kept == 0) {
            return false;
        }
        const int side = sideOf(box);
        return (side == -kept || side == 2) && keptTraces->cover(outline);
    };
    const auto other = std::remove_if(traces.begin(), traces.end(), [&](const SectionTrace& t) {
        return !t.outline.empty() && leftOut(t.box, t.outline);
    });
    if (other == traces.end()) {
        return leftOut;
    }
    traces.erase(other, traces.end());
    n.sideKept = std::string(1, "XYZ"[*fixed]) + (kept < 0 ? " < " : " > ") +
                 formatExact(axis(plane.corners[0], *fixed));
    return leftOut;
}

// The blocks, split blocks and sub-blocks of the traces, whose pieces of one
// block follow each other.
void countPieces(const std::vector<SectionTrace>& traces, SectionCount& n) {
    n.blocks = n.split = n.subBlocks = n.untraced = 0;
    for (size_t i = 0; i < traces.size(); ++i) {
        const SectionTrace& t = traces[i];
        const bool sameBlock = i > 0 && t.subBlock > 0 && traces[i - 1].subBlock > 0 &&
                               traces[i - 1].mineId == t.mineId &&
                               traces[i - 1].blockId == t.blockId;
        n.blocks += sameBlock ? 0 : 1;
        n.split += !sameBlock && t.subBlock > 0 ? 1 : 0;
        n.subBlocks += t.subBlock > 0 ? 1 : 0;
        n.untraced += t.outline.empty() ? 1 : 0;
    }
}

// The largest size of any block of the table along any axis.
double widestBlock(CVornelMng& mng, const std::string& table) {
    const char* const size = "MAX(Krig_GridSizeX, Krig_GridSizeY, Krig_GridSizeZ)";
    KrigBlockResult* blocks = nullptr;
    long count = 0;
    check(mng,
          mng.getBlockResultByWhereSQL(table,
                                       std::string("rowid = (SELECT rowid FROM [") + table +
                                           "] ORDER BY " + size + " DESC LIMIT 1)",
                                       &blocks, &count),
          "cannot read the block sizes of " + table);
    return count < 1 ? 0.0
                     : std::max({blocks[0].Krig_GridSizeX, blocks[0].Krig_GridSizeY,
                                 blocks[0].Krig_GridSizeZ});
}

}  // namespace

Box modelExtent(CVornelMng& mng, const std::string& table) {
    KrigBlockParam* runs = nullptr;
    long count = 0;
    if (mng.getBlockParam(table, &runs, &count) != 0 && count > 0) {
        // Every run's grid: runs sharing a table may lie apart.
        D_3DOT lo = {runs[0].Grid_StartX, runs[0].Grid_StartY, runs[0].Grid_StartZ};
        D_3DOT hi = {runs[0].Grid_EndX, runs[0].Grid_EndY, runs[0].Grid_EndZ};
        bool gridded = true;
        for (long i = 0; i < count; ++i) {
            const KrigBlockParam& r = runs[i];
            gridded = gridded && r.Grid_EndX > r.Grid_StartX && r.Grid_EndY > r.Grid_StartY &&
                      r.Grid_EndZ > r.Grid_StartZ;
            lo = {std::min(lo.x, r.Grid_StartX), std::min(lo.y, r.Grid_StartY),
                  std::min(lo.z, r.Grid_StartZ)};
            hi = {std::max(hi.x, r.Grid_EndX), std::max(hi.y, r.Grid_EndY),
                  std::max(hi.z, r.Grid_EndZ)};
        }
        if (gridded) {
            return {{(lo.x + hi.x) / 2, (lo.y + hi.y) / 2, (lo.z + hi.z) / 2},
                    {hi.x - lo.x, hi.y - lo.y, hi.z - lo.z}};
        }
    }
    D_3DOT low{};
    D_3DOT high{};
    check(mng, mng.getStatResultPos(table, high, low),
          "cannot read the position range of " + table);
    // Without the grid the centres' range is widened by the widest block, or
    // a section through blocks wider than that range would lie inside them
    // and cut none. A generous margin costs nothing: the drawing is framed by
    // what the section cuts.
    const double margin =
        std::max({high.x - low.x, high.y - low.y, high.z - low.z, widestBlock(mng, table), 1.0}) /
        2;
    return {
        {(low.x + high.x) / 2, (low.y + high.y) / 2, (low.z + high.z) / 2},
        {high.x - low.x + 2 * margin, high.y - low.y + 2 * margin, high.z - low.z + 2 * margin}};
}

namespace {

// The run of the cut blocks. Runs that share a table may estimate other
// elements, or the same in another unit: one drawing would colour them on
// one scale, so a cut that meets two such runs is refused.
std::optional<KrigBlockParam> oneElementCut(CVornelMng& mng, const std::string& table,
                                            const std::vector<KrigBlockParam>& runs,
                                            const KrigBlockResult* blocks, long count) {
    const std::optional<KrigBlockParam> first = runOfBlocks(mng, runs, blocks, count);
    std::set<int32_t> seen;
    for (long i = 0; i < count; ++i) {
        if (!seen.insert(blocks[i].MineID).second || blocks[i].MineID == blocks[0].MineID) {
            continue;
        }
        const std::optional<KrigBlockParam> other = runNamed(mng, runs, blocks[i].MineID);
        if (!first || !other || std::string(other->Mine_Element) != first->Mine_Element ||
            other->OreAttr_Unit != first->OreAttr_Unit) {
            throw Failure(table + ": the section meets the blocks of runs " +
                          std::to_string(blocks[0].MineID) + " and " +
                          std::to_string(blocks[i].MineID) +
                          ", which estimate other elements or units; a section draws one: put "
                          "each in a table of its own with vornel export --subblocks --where "
                          "\"MineID = " +
                          std::to_string(blocks[i].MineID) + "\" and import");
        }
    }
    return first;
}

// The least and greatest finite value(t) of the traces; 0 and 0 for none.
template <typename Value>
std::pair<double, double> drawnRange(const std::vector<SectionTrace>& traces, Value value) {
    double low = HUGE_VAL;
    double high = -HUGE_VAL;
    for (const SectionTrace& t : traces) {
        const double v = value(t);
        if (std::isfinite(v)) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    return low > high ? std::pair{0.0, 0.0} : std::pair{low, high};
}

// The run's void blocks that the section passes through; none when the run
// names no void table, its table is gone or holds a run's blocks.
std::vector<VoidTrace> voidsCut(CVornelMng& mng, const std::string& path,
                                const std::optional<KrigBlockParam>& run, const SectionPlane& plane,
                                const LeftOut& leftOut, SectionCount& n) {
    if (!run || run->VoidTable_Name[0] == '\0' || isBlockTable(mng, run->VoidTable_Name)) {
        return {};
    }
    KrigBlockVoid* voids = nullptr;
    const std::optional<long> count = readVoidsIfThere(mng, path, run->VoidTable_Name, &voids);
    if (!count || *count == 0) {
        return {};
    }
    std::vector<VoidTrace> traces = traceVoids(plane, voids, *count, leftOut);
    n.voids = static_cast<long>(traces.size());
    n.voidTable = run->VoidTable_Name;
    return traces;
}

}  // namespace

SectionDrawing drawingColouredBy(const std::string& name) {
    SectionDrawing c;
    c.variance = name == "variance";
    if (name == "category") {
        c.classes = ClassField::Category;
    } else if (name == "oretype") {
        c.classes = ClassField::OreType;
    } else if (name == "pass") {
        c.classes = ClassField::Pass;
    }
    return c;
}

SectionCount cutSection(CVornelMng& mng, const std::string& path, const std::string& table,
                        const SectionPlane& plane, const std::string& svgPath,
                        const std::string& csvPath, const SectionDrawing& drawing) {
    // Opened first, so that a path that cannot be written is told of before
    // the cut; neither file appears unless both are complete.
    std::optional<OutputFile> svgFile;
    std::optional<OutputFile> csvFile;
    if (!svgPath.empty()) {
        svgFile.emplace(svgPath);
    }
    if (!csvPath.empty()) {
        csvFile.emplace(csvPath);
    }
    // Until the pieces are traced; the drawing may go to standard output.
    std::optional<WaitIndicator> wait(std::in_place, "cutting " + table);
    double high = 0;
    double low = 0;
    double highVariance = 0;
    double lowVariance = 0;
    check(mng, mng.getStatResult(table, high, low, highVariance, lowVariance),
          "cannot read the grade range of " + table);
    const UngradedBlocks ungraded(mng, table);

    D_3DOT corners[4] = {plane.corners[0], plane.corners[1], plane.corners[2], plane.corners[3]};
    // A table without rows fails the cut with an empty answer written out;
    // any other failure leaves the out-arguments as they were.
    const std::vector<KrigBlockParam> runs = runsOf(mng, table);
    KrigBlockResult unset;
    KrigBlockResult* blocks = &unset;
    long count = -1;
    const bool failed = mng.getCutBlockResult(table, corners, &blocks, &count) == 0;
    if (failed && (blocks != nullptr || count != 0)) {
        throw Failure("cannot cut " + table + ": " + mng.lastError());
    }
    const std::optional<KrigBlockParam> run = oneElementCut(mng, table, runs, blocks, count);
    const std::string element = run ? std::string(run->Mine_Element) : "grade";
    const GradeUnit& unit = gradeUnitOfCode(run ? run->OreAttr_Unit : 0);
    std::vector<SectionTrace> traces = traceCut(plane.frame, corners, blocks, count);
    SectionCount n;
    n.emptyTable = failed;
    n.layer = count > 0 ? blocks[0].Krig_PntLocZ : 0;
    const LeftOut farSide = keepOneSide(plane, traces, n);
    countPieces(traces, n);
    const std::vector<VoidTrace> voidTraces = voidsCut(mng, path, run, plane, farSide, n);
    for (SectionTrace& t : traces) {
        t.graded = !ungraded.has(t.mineId, t.blockId) && std::isfinite(t.grade);
    }
    // A grade stored as text sorts above every number and reads as 0, and
    // an infinite one leaves no room for the others on the scale: the
    // drawing's own range of numbers is taken.
    if (ungraded.size() > 0 || !std::isfinite(low) || !std::isfinite(high)) {
        std::tie(low, high) = drawnRange(traces, [](const SectionTrace& t) {
            return t.graded ? t.grade : std::numeric_limits<double>::quiet_NaN();
        });
    }
    if (!std::isfinite(lowVariance) || !std::isfinite(highVariance)) {
        std::tie(lowVariance, highVariance) =
            drawnRange(traces, [](const SectionTrace& t) { return t.variance; });
    }
    numberStoredSubBlocks(mng, table, traces);
    wait.reset();
    // A drawing of a million pieces takes seconds; one on standard output
    // must not be mixed with the wait's line.
    std::optional<WaitIndicator> writing;
    if (!isStandardOutput(svgPath) && !isStandardOutput(csvPath)) {
        writing.emplace("writing the section");
    }
    if (svgFile) {
        SectionPicture picture;
        picture.table = table;
        picture.element = element;
        picture.unit = unit.name;
        picture.plane = &plane;
        picture.traces = &traces;
        picture.byVariance = drawing.variance;
        picture.colours =
            drawing.variance ? ColourScale(lowVariance, highVariance) : ColourScale(low, high);
        picture.blocks = n.blocks;
        picture.split = n.split;
        picture.subBlocks = n.subBlocks;
        picture.untraced = n.untraced;
        picture.voids = &voidTraces;
        picture.voidTable = n.voidTable;
        OutlineOnSection outline;
        if (drawing.outline != nullptr) {
            outline = outlineOnSection(*drawing.outline, plane.frame);
            picture.outline = &outline;
            picture.outlineName = drawing.outline->name();
        }
        if (drawing.classes) {
            const ClassField field = *drawing.classes;
            std::vector<std::string> texts(traces.size());
            std::transform(traces.begin(), traces.end(), texts.begin(), [&](const SectionTrace& t) {
                return field == ClassField::Category  ? t.category
                       : field == ClassField::OreType ? t.oreType
                                                      : t.pass;
            });
            picture.classField = field == ClassField::Category  ? "category"
                                 : field == ClassField::OreType ? "ore type"
                                                                : "search pass";
            picture.classes = classifyTexts(texts);
        }
        writeSectionSvg(svgFile->stream(), picture);
    }
    if (csvFile) {
        writeCsv(csvFile->stream(), element, traces);
    }
    commitTogether({&svgFile, &csvFile});
    return n;
}

}  // namespace vornel::cli
