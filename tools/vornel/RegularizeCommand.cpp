// vornel regularize: a run's ground gathered into cells of one size, as a
// new run in a new table.
#include <algorithm>
#include <cmath>
#include <iostream>
#include <memory>
#include <optional>

#include "Commands.h"
#include "Depletion.h"
#include "Failure.h"
#include "GradeTonnage.h"
#include "ModelDatabase.h"
#include "ModelFacts.h"
#include "NumberText.h"
#include "OptionChecks.h"
#include "PlanOutline.h"
#include "RecordFields.h"
#include "Regularize.h"
#include "RunRecord.h"
#include "Stopwatch.h"

namespace vornel::cli {
namespace {

struct RegularizeOptions {
    std::string db;
    std::string table;
    std::string into;
    std::string size;
    std::string origin;
    std::string where;
    double density = 0;
    bool deplete = false;
    std::string within;
};

const char* const kFooter = R"(
The run's ground is gathered into cells of --size (one size for all three
axes, or x,y,z) on a grid with a corner at --origin, by default the lowest
corner of the blocks' boxes. Each block or sub-block goes to the cells it
overlaps in proportion to its volume in each, with its tonnes; a whole
block that is only partly in the model (its coefficient below 1) brings
that part. Each cell with ground becomes a whole block of the new run,
numbered 1, 2, ... bench by bench from the lowest, row by row along Y:
its grade weighed by tonnes, so that tonnes and metal are kept (to the
single precision that each cell's tonnes are stored in: totals of many
cells, shown as stored, may change in their eighth digit); its variance by
volume, of the ground with one (0 where none has); its
coefficient the share of it filled; its category,
ore type and search figures those of the block with the most tonnes in
it (of blocks with as many, the first read). Blocks without a grade are left out. The new run keeps the element
and unit of the old, and is written in one transaction.
With --deplete the ground of the run's void blocks (old workings) is taken
off first, as report --deplete takes it: each block and sub-block gives
each cell only the part of it that no void block covers, with that share
of its tonnes. The new run names no void table: taken off later, its
blocks would come off each cell's whole box, where the blocks may have
left ground in part of it alone. With --within only the ground within an
outline in plan is gathered, as report --within keeps it: cells outside
it are not made, and the new run takes no other outline.

Examples:
  vornel regularize demo.db --size 20,20,10 --into CU_SMU
  vornel regularize demo.db --table CU_DEMO --size 20,20,10 --deplete --into CU_SMU_LEFT
  vornel report demo.db --table CU_SMU --cutoffs 0.5,1
)";

struct Totals {
    double tonnes = 0;
    double metal = 0;
};

Totals totalsOf(const KrigBlockResult* blocks, long count, const UngradedBlocks& ungraded,
                double density, const GradeUnit& unit) {
    const std::vector<double> tonnes = blockTonnes(blocks, count, density);
    Totals t;
    for (long i = 0; i < count; ++i) {
        if (!ungraded.has(blocks[i])) {
            t.tonnes += tonnes[i];
            t.metal += tonnes[i] * blocks[i].Krig_OutAttr * unit.metalPerGradeTonne;
        }
    }
    return t;
}

// Cells as stored were weighed and checked before they were written: a
// total of them cannot fail once the run is in the file.
Totals storedTotals(const KrigBlockResult* cells, long count, const GradeUnit& unit) {
    Totals t;
    for (long i = 0; i < count; ++i) {
        t.tonnes += cells[i].Block_CorMass;
        t.metal += cells[i].Block_CorMass * cells[i].Krig_OutAttr * unit.metalPerGradeTonne;
    }
    return t;
}

D_3DOT lowestCorner(const KrigBlockResult* blocks, long count) {
    D_3DOT low{HUGE_VAL, HUGE_VAL, HUGE_VAL};
    for (long i = 0; i < count; ++i) {
        const Box box = boxOf(blocks[i]);
        low = {std::min(low.x, box.low(0)), std::min(low.y, box.low(1)),
               std::min(low.z, box.low(2))};
    }
    return low;
}

// Sums of the same ground added in another order differ in their last
// bits, which rounding for print can turn into a change of the last digit
// shown: agreeing to 12 digits, they are one figure.
std::string beforeAndAfter(double before, double after, int decimals) {
    const bool kept = std::fabs(after - before) <= 1e-12 * std::fabs(before);
    return formatFixed(before, decimals) + " -> " + formatFixed(kept ? before : after, decimals);
}

void runRegularize(const RegularizeOptions& o) {
    const Stopwatch took;
    checkNewTableName(o.into, "--into");
    RegularGrid grid;
    grid.size = parsePoint(o.size, "--size", true);
    if (!(grid.size.x > 0 && grid.size.y > 0 && grid.size.z > 0)) {
        throw UsageError("--size: sizes must be above 0");
    }
    if (!std::isfinite(grid.size.x * grid.size.y * grid.size.z)) {
        throw UsageError("--size: a cell of " + o.size + " holds more than a number can");
    }
    CVornelMng mng;
    openModel(mng, o.db);
    const std::string table = resultTable(mng, o.db, o.table);
    refuseExistingTable(mng, o.db, o.into, "regularize");
    const UngradedBlocks ungraded(mng, table);
    const UngradedBlocks unvaried(mng, table, {"Krig_OutVari"});
    const UngradedBlocks unplaced(mng, table, kPlaceColumns);
    const std::vector<KrigBlockParam> runs = runsOf(mng, table);
    KrigBlockResult* blocks = nullptr;
    const long count = readBlocks(mng, table, o.where, &blocks);
    refuseUnplaced(unplaced, blocks, count);
    if (count == 0 && !o.where.empty()) {
        throw Failure("no block of " + table + " meets --where \"" + o.where + "\"");
    }
    const std::optional<KrigBlockParam> source = runOfBlocks(mng, runs, blocks, count);
    const std::optional<PlanOutline> outline = optionalOutline(o.within);
    refuseSecondOutline(source, outline ? &*outline : nullptr);
    grid.origin =
        o.origin.empty() ? lowestCorner(blocks, count) : parsePoint(o.origin, "--origin", false);
    const VoidGround holes = o.deplete ? readVoidGround(mng, o.db, source) : VoidGround();
    Regularized r = regularize(blocks, count, {ungraded, unvaried}, grid, o.density, holes,
                               outline ? &*outline : nullptr);
    const std::string left = (outline ? " within " + outline->name() : std::string()) +
                             (o.deplete ? " once the void blocks are taken off" : "");
    if (r.cells.size() == 0) {
        throw Failure(table + (r.ungraded == count ? ": no block with a grade to regularize"
                                                   : ": no ground is left to regularize" + left));
    }
    const GradeUnit& unit = gradeUnitOfCode(source ? source->OreAttr_Unit : 0);
    const Totals before = totalsOf(blocks, count, ungraded, o.density, unit);
    if (std::none_of(r.cells.all().begin(), r.cells.all().end(),
                     [](const KrigBlockResult& cell) { return cell.Block_CorMass > 0; })) {
        throw Failure(table + ": the ground left to regularize" + left + " weighs nothing");
    }

    // Cells gathered from ground an outline limited hold that ground alone.
    const std::optional<std::string> within =
        outline ? std::optional<std::string>(outline->name()) : outlineHeld(source);
    RunNames names;
    names.description = regularizedDescription(table, sizeText(grid.size), within.value_or(""),
                                               o.deplete ? holes.table() : "");
    names.element = source ? source->Mine_Element : "";
    names.table = o.into;
    // No void table: its blocks taken off later would come off each cell's
    // whole box, where the blocks or the outline may have left ground in
    // part of it alone. --deplete takes them off the blocks themselves.
    names.voidTable = "";
    names.unitCode = unit.code;
    HostTransaction transaction(mng, o.db);
    refuseExistingTable(mng, o.db, o.into, "regularize");
    check(mng, mng.createBlockResultTbl(o.into), o.db);
    KrigBlockParam run = describeRun(r.cells, names);
    const long mineId = registerRun(mng, run);
    insertBlocks(mng, o.into, mineId, r.cells);
    transaction.commit("storing " + o.into + " in " + o.db);
    // As stored, in single precision: what every later command reads.
    const std::vector<KrigBlockParam> storedRuns = runsOf(mng, o.into);
    KrigBlockResult* stored = nullptr;
    const long storedCount = readBlocks(mng, o.into, "", &stored);
    const Totals after = storedTotals(stored, storedCount, unit);
    // The grid's corner as the catalog keeps it, and info shows it.
    const KrigBlockParam kept = runOfBlocks(mng, storedRuns, stored, storedCount).value_or(run);

    std::cout << "Regularized " << table << " into " << o.into << " (run " << mineId << ") in "
              << o.db << ": cells of " << sizeText(grid.size) << " from "
              << pointText({kept.Grid_StartX, kept.Grid_StartY, kept.Grid_StartZ}) << '\n';
    printFact(std::cout, "blocks",
              std::to_string(count) + " (" + std::to_string(r.pieces) +
                  (r.pieces == 1 ? " piece" : " pieces") +
                  (r.ungraded > 0 ? ", " + std::to_string(r.ungraded) + " without a grade left out"
                                  : std::string()) +
                  ") -> " + std::to_string(r.cells.size()) + " cells" +
                  (r.unvaried > 0 ? ", " + std::to_string(r.unvaried) +
                                        " of no ground with a variance (given 0)"
                                  : std::string()));
    if (outline) {
        printFact(std::cout, "within",
                  outline->name() + " (" + formatNumber(outline->area()) +
                      " m2): the ground outside it left out");
    }
    if (o.deplete) {
        printFact(std::cout, "void blocks",
                  holes.table() + " taken off: " + formatNumber(r.taken) + " m3 of ground");
    }
    printFact(std::cout, "tonnes", beforeAndAfter(before.tonnes, after.tonnes, 0));
    printFact(std::cout, std::string("metal (") + unit.metalUnit + ")",
              beforeAndAfter(before.metal, after.metal, 1));
    printFact(std::cout, "took", took.text());
}

}  // namespace

void addRegularizeCommand(CLI::App& app) {
    auto o = std::make_shared<RegularizeOptions>();
    CLI::App* cmd = app.add_subcommand(
        "regularize", "Gather a run's ground into cells of one size, as a new run (SMU blocks)");
    addDatabaseOption(cmd, o->db);
    addTableOption(cmd, o->table);
    cmd->add_option("--size", o->size, "Cell size: one for all three axes, or x,y,z")->required();
    cmd->add_option("--into", o->into, "The new block table")->required();
    cmd->add_option("--origin", o->origin,
                    "A corner of the grid x,y,z (the lowest corner of the blocks by default)");
    addWhereOption(cmd, o->where);
    addDensityOption(cmd, o->density);
    addGroundOptions(cmd, o->deplete, o->within);
    cmd->footer(kFooter);
    cmd->callback([o] { runRegularize(*o); });
}

}  // namespace vornel::cli
