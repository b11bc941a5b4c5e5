// vornel report: the grade-tonnage table of a block table.
#include <algorithm>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <vector>

#include "Commands.h"
#include "Failure.h"
#include "GradeTonnage.h"
#include "GradeTonnageSvg.h"
#include "GradedBlocks.h"
#include "ModelDatabase.h"
#include "NumberText.h"
#include "OptionChecks.h"
#include "OutputFile.h"
#include "PlanOutline.h"

namespace vornel::cli {
namespace {

struct ReportOptions {
    std::string db;
    std::string table;
    std::vector<std::string> cutoffs;
    double density = 0;
    std::string where;
    std::string by;
    bool deplete = false;
    std::string within;
    std::string csv;
    std::string svg;
};

const char* const kFooter = R"footer(
For each cut-off, in rising order, the table gives the blocks whose grade
is at or above it, their tonnes, their tonnage-weighted mean grade and the
metal they hold (tonnes x grade: % gives tonnes of metal, g/t and ppm
kilograms; the grade unit is the run's, from the catalog).
A block's tonnes are its stored tonnage; with --density, its stored volume
(the part of the block inside the model; box times coefficient where none
is stored) times the density. Blocks whose grade is NULL (left so by another tool) are left out
and counted. A table that holds several runs is reported one run at a
time: --where "MineID = 2".
The run's void blocks (old workings) are not deducted unless --deplete is
given: then each block keeps the share of its ground (its sub-blocks, or
its box) that no void block (its sub-blocks, or its box) covers, and its
tonnes shrink with it; a block wholly inside void blocks is left out.
Ground that void blocks share is taken off once.
--within keeps the ground within an outline in plan (a licence boundary, a
pit's crest), over all heights: a file with a corner per row, in order
around it, in columns named X and Y (or EAST and NORTH, ...) or in the
first two columns of a file without a header; several parts (parcels,
holes) are told apart by a PART column, and a part inside another is a
hole in it. A shapefile (.shp) of polygons serves too, each ring a part.
Each block keeps the share of its ground inside the outline,
and its tonnes shrink with it; a block wholly outside is left out. The
outline may be concave; the edges of a part must not cross or touch each
other, and parts may share edges and corners but not overlap.
--by category gives the rows of each resource category (Krig_ResType;
names alike but for letter case are one): Measured, Indicated and Inferred
first, then the others by name, then "(none)" for blocks without one, and
last "(all)", the whole table as without --by; --by oretype does the same
by ore type (Krig_OreType), and
--by bench by the height of the block centres, from the top down (a block
with sub-blocks counts at the centre of its box), and --by pass by the
search pass that estimated the block ("(none)" where none is recorded).
--csv writes the same rows with the same headings, each number in all its
digits and the mean grade empty where no tonnes are left; with --csv -,
the rows go to standard output and the table to standard error.
--svg draws the grade-tonnage curve: the tonnes at or above each cut-off
(solid, left axis) and their mean grade (dashed, right axis), for each
class of --by in its colour; a series of cut-offs gives a smooth one.

Examples:
  vornel report demo.db --table CU_DEMO --cutoffs 0.3,0.5,1,1.5 --density 2.7
  vornel report demo.db --cutoffs 0.5 --by category --deplete
  vornel report pit.db --cutoffs 0.5 --within licence.csv --deplete
  vornel report demo.db --cutoffs 0.5 --by bench --csv benches.csv
  vornel report demo.db --cutoffs 0:2:0.1 --csv curve.csv --svg curve.svg
)footer";

void runReport(const ReportOptions& o) {
    ListAndDrawing files(o.csv, o.svg, o.db, o.within);
    std::ostream& out = files.table;
    CVornelMng mng;
    openModel(mng, o.db);
    const std::optional<PlanOutline> outline = optionalOutline(o.within);
    const GradedBlocks model(mng, o.db, resultTable(mng, o.db, o.table), o.where, o.deplete,
                             outline ? &*outline : nullptr);
    const GradeUnit& unit = model.unit();
    const std::string element = model.element();
    const std::vector<double> cutoffs = cutoffsOf(o.cutoffs);
    const std::string weighed =
        model.weighed(o.density) + (o.by.empty() ? "" : ", by " + classLabel(o.by));
    const std::string field = o.by.empty() ? "" : classLabel(o.by);
    std::vector<std::string> names;
    std::vector<std::vector<GradeTonnageRow>> rows;
    if (o.by.empty()) {
        rows.push_back(gradeTonnage(model.blocks(), model.count(), cutoffs, o.density, unit));
    } else {
        BlockClasses classes = classesBy(o.by, model.blocks(), model.count());
        rows =
            gradeTonnageByClass(model.blocks(), model.count(), classes, cutoffs, o.density, unit);
        names = std::move(classes.names);
    }
    out << "Grade-tonnage of " << model.described(o.where) << ", " << weighed << ":\n";
    printGradeTonnage(out, field, names, rows, element, unit);
    model.printVoids(out);
    if (files.csv) {
        writeGradeTonnageCsv(files.csv->stream(), field, names, rows, element, unit);
    }
    if (files.svg) {
        writeGradeTonnageSvg(
            files.svg->stream(),
            {model.table() + ": grade-tonnage",
             std::to_string(model.graded()) + " blocks; " + weighed, element, &unit, names, rows});
    }
    files.commit();
}

}  // namespace

void addReportCommand(CLI::App& app) {
    auto o = std::make_shared<ReportOptions>();
    CLI::App* cmd = app.add_subcommand(
        "report", "Grade-tonnage table: tonnes, mean grade and metal above each cut-off");
    addDatabaseOption(cmd, o->db);
    addTableOption(cmd, o->table);
    addCutoffsOption(cmd, o->cutoffs, "Cut-off grades, e.g. 0.5,1,2, or a series 0:2:0.1")
        ->required();
    addDensityOption(cmd, o->density);
    addWhereOption(cmd, o->where);
    addByOption(cmd, o->by);
    addGroundOptions(cmd, o->deplete, o->within);
    cmd->add_option("--csv", o->csv,
                    "The rows also as CSV, for a spreadsheet (\"-\" for standard output)");
    cmd->add_option("--svg", o->svg,
                    "The grade-tonnage curve drawn as SVG (\"-\" for standard output)");
    cmd->footer(kFooter);
    cmd->callback([o] { runReport(*o); });
}

}  // namespace vornel::cli
