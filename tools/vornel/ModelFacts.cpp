#include "ModelFacts.h"

#include <algorithm>
#include <iomanip>
#include <iterator>
#include <limits>
#include <utility>
#include <vector>

#include "BlockClasses.h"
#include "BoxUnion.h"
#include "ModelDatabase.h"
#include "NumberText.h"
#include "RecordFields.h"
#include "VariogramModel.h"

namespace vornel::cli {
namespace {

std::string range(double low, double high) {
    return formatNumber(low) + " .. " + formatNumber(high);
}

// Grid counts, sizes and corners: each number as the catalog holds it (to
// the millimetre it keeps), not rounded again for show.
std::string triple(double x, double y, double z, const char* separator) {
    return formatExact(x) + separator + formatExact(y) + separator + formatExact(z);
}

std::string plural(long n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::vector<std::pair<std::string, long>> classesInOrder(const ClassCounts& counts) {
    std::vector<std::pair<std::string, long>> ordered;
    std::copy_if(counts.begin(), counts.end(), std::back_inserter(ordered),
                 [](const auto& count) { return !count.first.empty(); });
    std::sort(ordered.begin(), ordered.end(),
              [](const auto& a, const auto& b) { return listedBefore(a.first, b.first); });
    const auto unnamed = counts.find("");
    if (!ordered.empty() && unnamed != counts.end() && unnamed->second > 0) {
        ordered.emplace_back("(none)", unnamed->second);
    }
    return ordered;
}

namespace {

// "Measured 80, Indicated 120"; empty when every block has an empty value.
std::string tally(const ClassCounts& counts) {
    std::string text;
    for (const auto& [value, n] : classesInOrder(counts)) {
        text += (text.empty() ? "" : ", ") + value + " " + std::to_string(n);
    }
    return text;
}

}  // namespace

std::string estimateOf(const std::optional<KrigBlockParam>& run) {
    return run ? std::string(run->Mine_Element) + " (" + gradeUnitOfCode(run->OreAttr_Unit).name +
                     ")"
               : std::string("grade (%)");
}

std::string coordinateRange(double low, double high) {
    return formatExact(low) + " .. " + formatExact(high);
}

void printFact(std::ostream& out, const std::string& label, const std::string& value) {
    out << "  " << std::left << std::setw(15) << label << value << '\n';
}

namespace {

void widen(double value, double& low, double& high) {
    low = std::min(low, value);
    high = std::max(high, value);
}

void widen(const D_3DOT& p, D_3DOT& low, D_3DOT& high) {
    widen(p.x, low.x, high.x);
    widen(p.y, low.y, high.y);
    widen(p.z, low.z, high.z);
}

}  // namespace

TableFacts readTableFacts(CVornelMng& mng, const std::string& table, long mineId) {
    // Before the blocks: it reads through the same cache.
    const UngradedBlocks ungraded(mng, table);
    const UngradedBlocks noVariance(mng, table, {"Krig_OutVari"});
    const bool listedWithOthers = runsOf(mng, table).size() > 1;
    KrigBlockResult* blocks = nullptr;
    const long count = readWholeTable(mng, table, &blocks);
    return factsOfBlocks(blocks, count, mineId, &ungraded, listedWithOthers, &noVariance);
}

TableFacts factsOfBlocks(const KrigBlockResult* blocks, long count, long mineId,
                         const UngradedBlocks* ungraded, bool shared,
                         const UngradedBlocks* noVariance) {
    TableFacts facts;
    for (long i = 0; i < count; ++i) {
        ++facts.blocksOfRun[blocks[i].MineID];
    }
    // A table of one run whose blocks carry another MineID (as a writer that
    // leaves it 0 stores them) holds that run's blocks all the same.
    shared = shared || facts.blocksOfRun.size() > 1;
    constexpr double kNone = std::numeric_limits<double>::infinity();
    facts.minGrade = facts.minVariance = kNone;
    facts.maxGrade = facts.maxVariance = -kNone;
    facts.minCentre = {kNone, kNone, kNone};
    facts.maxCentre = {-kNone, -kNone, -kNone};
    for (long i = 0; i < count; ++i) {
        const KrigBlockResult& b = blocks[i];
        if (shared && b.MineID != mineId) {
            continue;
        }
        ++facts.blocks;
        ++facts.categories[b.Krig_ResType];
        ++facts.oreTypes[b.Krig_OreType];
        ++facts.passes[classText(b, ClassField::Pass)];
        if (b.SubBUD_Num > 0) {
            ++facts.split;
            facts.subBlocks += b.SubBUD_Num;
        }
        widen({b.Krig_PntLocX, b.Krig_PntLocY, b.Krig_PntLocZ}, facts.minCentre, facts.maxCentre);
        if (ungraded != nullptr && ungraded->has(b)) {
            ++facts.ungraded;
            continue;
        }
        widen(b.Krig_OutAttr, facts.minGrade, facts.maxGrade);
        if (noVariance == nullptr || !noVariance->has(b)) {
            widen(b.Krig_OutVari, facts.minVariance, facts.maxVariance);
        }
    }
    return facts;
}

void printTableFacts(std::ostream& out, const TableFacts& f, const std::string& element,
                     const GradeUnit& unit) {
    printFact(out, "blocks",
              std::to_string(f.blocks) + " (" + std::to_string(f.blocks - f.split) + " whole, " +
                  std::to_string(f.split) + " split into " +
                  plural(f.subBlocks, "sub-block", "sub-blocks") + ")");
    if (f.blocks == 0) {
        return;
    }
    const bool graded = f.ungraded < f.blocks;
    printFact(
        out, element,
        (graded ? range(f.minGrade, f.maxGrade) + " " + unit.name : std::string("none")) +
            (f.ungraded == 0 ? ""
                             : " (" + plural(f.ungraded, "block", "blocks") + " without a grade)"));
    if (f.minVariance <= f.maxVariance) {
        printFact(out, "variance", range(f.minVariance, f.maxVariance));
    }
    if (const std::string categories = tally(f.categories); !categories.empty()) {
        printFact(out, "categories", categories);
    }
    if (const std::string oreTypes = tally(f.oreTypes); !oreTypes.empty()) {
        printFact(out, "ore types", oreTypes);
    }
    if (const std::string passes = tally(f.passes); !passes.empty()) {
        printFact(out, "search passes", passes);
    }
    printFact(out, "block centres",
              "X " + coordinateRange(f.minCentre.x, f.maxCentre.x) + ", Y " +
                  coordinateRange(f.minCentre.y, f.maxCentre.y) + ", Z " +
                  coordinateRange(f.minCentre.z, f.maxCentre.z));
}

// The run's grid, search and variogram, as the catalog holds them.
static void printRunParameters(std::ostream& out, CVornelMng& mng, const std::string& path,
                               const KrigBlockParam& r) {
    printFact(out, "grid",
              triple(r.Grid_NumX, r.Grid_NumY, r.Grid_NumZ, " x ") + " blocks of " +
                  triple(r.Grid_SizeX, r.Grid_SizeY, r.Grid_SizeZ, " x ") + " from (" +
                  triple(r.Grid_StartX, r.Grid_StartY, r.Grid_StartZ, ", ") + ") to (" +
                  triple(r.Grid_EndX, r.Grid_EndY, r.Grid_EndZ, ", ") + ")");
    if (r.SubGrid_SizeX > 0) {
        printFact(out, "sub-blocks",
                  "down to " + triple(r.SubGrid_SizeX, r.SubGrid_SizeY, r.SubGrid_SizeZ, " x "));
    }
    if (r.Srch_RangX > 0) {
        printFact(out, "search",
                  "ranges " + triple(r.Srch_RangX, r.Srch_RangY, r.Srch_RangZ, " x ") +
                      ", azimuth " + std::to_string(r.Srch_Azm) + ", dip " +
                      std::to_string(r.Srch_Dip) + ", " + std::to_string(r.Srch_MinPnt) + " to " +
                      std::to_string(r.Srch_MaxPnt) + " samples");
    }
    const std::vector<KrigBlockVrgParam> structures = structuresOf(mng, path, r.MineID);
    if (!structures.empty() || r.Vrg_Sill > 0) {
        std::string text =
            "nugget " + formatNumber(r.Vrg_Nug) + ", sill " + formatNumber(r.Vrg_Sill);
        for (const KrigBlockVrgParam& s : structures) {
            text += "; " + std::string(s.Vrg_Type) + " " + formatNumber(s.Vrg_LocSill) + " (" +
                    triple(s.Vrg_MaxRang, s.Vrg_MinRang, s.Vrg_VerRang, " x ") + " at " +
                    anglesText({s.Vrg_Azm, s.Vrg_Dip, s.Vrg_Org}) + ")";
        }
        printFact(out, "variogram", text);
    }
    if (r.VoidTable_Name[0] != '\0') {
        printFact(out, "void table", r.VoidTable_Name);
    }
}

void printRun(std::ostream& out, CVornelMng& mng, const std::string& path,
              const KrigBlockParam& run) {
    const GradeUnit& unit = gradeUnitOfCode(run.OreAttr_Unit);
    out << "\nRun " << run.MineID << ": table " << run.Table_Name << ", element "
        << run.Mine_Element << " (" << unit.name << ")\n";
    if (run.Krig_Result_Name[0] != '\0') {
        printFact(out, "description", run.Krig_Result_Name);
    }
    if (!tableExists(mng, run.Table_Name)) {
        // What the catalog keeps of the run is still worth telling.
        printFact(out, "blocks", "none: the table is missing");
        printRunParameters(out, mng, path, run);
        return;
    }
    const std::string misread = misreadColumns(mng, run.Table_Name);
    if (!misread.empty()) {
        printFact(out, "blocks", "not read: " + misread + " ('vornel check' tells more)");
        printRunParameters(out, mng, path, run);
        return;
    }
    const TableFacts facts = readTableFacts(mng, run.Table_Name, run.MineID);
    printTableFacts(out, facts, run.Mine_Element, unit);
    if (facts.blocksOfRun.size() > 1) {
        long all = 0;
        for (const auto& [mineId, n] : facts.blocksOfRun) {
            all += n;
        }
        printFact(out, "table",
                  "shared by " + std::to_string(facts.blocksOfRun.size()) + " runs, " +
                      std::to_string(all) + " blocks in all");
    }
    printRunParameters(out, mng, path, run);
}

VoidFacts readVoidFacts(CVornelMng& mng, const std::string& path, const std::string& table) {
    KrigBlockVoid* voids = nullptr;
    const std::optional<long> count = readVoidsIfThere(mng, path, table, &voids);
    if (!count) {
        VoidFacts none;
        none.missing = true;
        return none;
    }
    return factsOfVoids(voids, *count);
}

VoidFacts factsOfVoids(const KrigBlockVoid* voids, long count) {
    VoidFacts facts;
    facts.blocks = count;
    std::vector<Box> ground;
    for (long i = 0; i < count; ++i) {
        facts.split += voids[i].SubBUD_Num > 0 ? 1 : 0;
        const std::vector<Box> pieces = groundOf(voids[i]);
        if (!std::all_of(pieces.begin(), pieces.end(),
                         [](const Box& p) { return p.measurable(); })) {
            ++facts.unmeasured;
            continue;
        }
        ground.insert(ground.end(), pieces.begin(), pieces.end());
    }
    // Ground that void blocks share counts once.
    facts.volume = totalVolume(disjointBoxes(ground));
    return facts;
}

std::string voidSummary(const VoidFacts& facts) {
    if (facts.missing) {
        return "registered, but the table is missing";
    }
    return plural(facts.blocks, "void block", "void blocks") + " (" + std::to_string(facts.split) +
           " with sub-blocks), " + formatNumber(facts.volume) + " m3" +
           (facts.unmeasured == 0 ? ""
                                  : " (" + std::to_string(facts.unmeasured) +
                                        " left out: a place or size no number, or below 0)");
}

}  // namespace vornel::cli
