// vornel swath: the tonnes and mean grade of a run in slices along an axis,
// beside another run's.
#include <algorithm>
#include <iostream>
#include <memory>
#include <optional>

#include "Commands.h"
#include "CsvWriter.h"
#include "Depletion.h"
#include "Failure.h"
#include "ModelDatabase.h"
#include "ModelFacts.h"
#include "NumberText.h"
#include "OptionChecks.h"
#include "OutputFile.h"
#include "PlanOutline.h"
#include "SecondRun.h"
#include "SwathSvg.h"
#include "TextTable.h"

namespace vornel::cli {
namespace {

struct SwathOptions {
    std::string db;
    std::string table;
    double width[3] = {0, 0, 0};
    double cutoff = 0;
    double density = 0;
    std::string where;
    SecondRun with;
    std::string csv;
    std::string svg;
    bool deplete = false;
    std::string within;
};

const char* const kFooter = R"(
The blocks are cut into slices of one width along X, Y or Z: slice k holds
the centres from k x WIDTH up to (k + 1) x WIDTH, each to 15 significant
digits (so slices of 0.1 meet at 0.3, as written). A block with sub-blocks
puts each in the slice of its centre, with its share of the block's tonnes
by volume, and counts in each slice that one of them is in; a whole block
goes whole into the slice of its centre, so slices narrower than the
blocks leave some of them empty. For each slice
the table gives the blocks, their tonnes and their tonnage-weighted mean
grade, from the first slice with blocks to the last (empty ones too).
Blocks without a grade are left out, and with --cutoff those below it.
Tonnes are the stored tonnage, or with --density volume x density, as
report weighs them. With --with, a second run (of the same element and
unit, perhaps in another database: --with-db) is set beside the first,
slice by slice: another kriging plan, or last year's model. --csv writes
the rows with every digit, the mean grade empty where a slice holds no
tonnes; --svg draws each run's mean grade as a line over its tonnes as bars.
With --deplete each run's void blocks (old workings) are taken off first,
as report --deplete takes them: each sub-block or whole block weighs the
share of it that no void block covers. With --within only the ground
within an outline in plan counts, as report --within keeps it.

Examples:
  vornel swath demo.db --x 50 --svg swath-x.svg
  vornel swath pit.db --table CU_OK --with CU_ID2 --z 20 --cutoff 0.3 --csv z.csv
)";

struct SwathRun {
    std::string label;
    std::string where;
    std::optional<KrigBlockParam> run;
    long blocks = 0;    // with a grade
    long ungraded = 0;  // read, and left out
    Swath swath;

    // As report describes a run: "CU (4 blocks where ...; 1 without a
    // grade left out)".
    std::string described() const {
        return label + " (" + std::to_string(blocks) + (blocks == 1 ? " block" : " blocks") +
               (where.empty() ? "" : " where " + where) +
               (ungraded == 0 ? ""
                              : "; " + std::to_string(ungraded) + " without a grade left out") +
               ")";
    }
};

SwathRun readRun(const std::string& db, const std::string& table, const std::string& where,
                 const std::string& whereOption, const SwathPlan& plan, bool deplete, size_t runs) {
    CVornelMng mng;
    openModel(mng, db);
    SwathRun r;
    r.label = resultTable(mng, db, table);
    const UngradedBlocks ungraded(mng, r.label);
    const UngradedBlocks unplaced(mng, r.label, kPlaceColumns);
    const std::vector<KrigBlockParam> listed = runsOf(mng, r.label);
    KrigBlockResult* blocks = nullptr;
    const long read = readBlocks(mng, r.label, where, &blocks, whereOption);
    refuseUnplaced(unplaced, blocks, read);
    r.where = where;
    r.run = runOfBlocks(mng, listed, blocks, read);
    refuseSecondOutline(r.run, plan.within);
    const VoidGround voids = deplete ? readVoidGround(mng, db, r.run) : VoidGround();
    // The runs are named apart only once both are read.
    r.swath = ofRun(r.label + " of " + db, runs,
                    [&] { return swathOf(blocks, read, ungraded, plan, voids); });
    r.ungraded = std::count_if(blocks, blocks + read,
                               [&ungraded](const KrigBlockResult& b) { return ungraded.has(b); });
    r.blocks = read - r.ungraded;
    return r;
}

SwathPlan planOf(const SwathOptions& o, const std::vector<CLI::Option*>& axes,
                 const CLI::Option* cutoff) {
    SwathPlan plan;
    int given = 0;
    for (int a = 0; a < 3; ++a) {
        if (axes[static_cast<size_t>(a)]->count() > 0) {
            plan.axis = a;
            ++given;
        }
    }
    if (given != 1) {
        throw UsageError("give one of --x, --y or --z: the width of the slices along that axis");
    }
    plan.width = o.width[plan.axis];
    plan.allGrades = cutoff->count() == 0;
    plan.cutoff = o.cutoff;
    plan.density = o.density;
    return plan;
}

// Two runs' columns are told apart by their run's number in the table and
// by its name in the list.
std::vector<std::string> headingOf(const SwathPlan& plan, const std::vector<SwathRun>& runs,
                                   const std::string& grade, bool numbered) {
    const std::string along = axisName(plan.axis);
    std::vector<std::string> heading = {along + " from", along + " to"};
    for (size_t r = 0; r < runs.size(); ++r) {
        const std::string in = runs.size() == 1 ? ""
                               : numbered       ? " " + std::to_string(r + 1)
                                                : " in " + runs[r].label;
        std::string mean = "mean ";
        mean.append(grade).append(in);
        heading.insert(heading.end(), {"blocks" + in, "tonnes" + in, mean});
    }
    return heading;
}

// Slices from the first any run has to the last, each run's or an empty
// one.
template <typename Row>
void forEachSlice(const std::vector<Swath>& swaths, Row row) {
    const auto [first, last] = sliceRange(swaths);
    for (long k = first; k <= last; ++k) {
        std::vector<SwathSlice> slices(swaths.size());
        std::transform(swaths.begin(), swaths.end(), slices.begin(), [k](const Swath& s) {
            const auto found = s.find(k);
            return found == s.end() ? SwathSlice{} : found->second;
        });
        row(k, slices);
    }
}

void printSwath(std::ostream& out, const SwathPlan& plan, const std::vector<SwathRun>& runs,
                const std::vector<Swath>& swaths, const std::string& grade) {
    TextTable table;
    table.add(headingOf(plan, runs, grade, true));
    forEachSlice(swaths, [&](long k, const std::vector<SwathSlice>& slices) {
        std::vector<std::string> cells = {formatExact(stepMultiple(k, plan.width)),
                                          formatExact(stepMultiple(k + 1, plan.width))};
        for (const SwathSlice& s : slices) {
            cells.insert(cells.end(), {std::to_string(s.blocks), formatFixed(s.tonnes, 0),
                                       s.tonnes > 0 ? formatFixed(s.meanGrade(), 4) : "-"});
        }
        table.add(cells);
    });
    table.print(out);
}

void writeSwathCsv(std::ostream& out, const SwathPlan& plan, const std::vector<SwathRun>& runs,
                   const std::vector<Swath>& swaths, const std::string& grade) {
    CsvWriter csv(out);
    csv.header(headingOf(plan, runs, grade, false));
    forEachSlice(swaths, [&](long k, const std::vector<SwathSlice>& slices) {
        csv.number(stepMultiple(k, plan.width)).number(stepMultiple(k + 1, plan.width));
        for (const SwathSlice& s : slices) {
            csv.integer(s.blocks).number(s.tonnes);
            if (s.tonnes > 0) {
                csv.number(s.meanGrade());
            } else {
                csv.missing();
            }
        }
        csv.endRow();
    });
}

void runSwath(const SwathOptions& o, SwathPlan plan) {
    if (!o.with.db.empty()) {
        refuseOutputClash(o.svg, o.csv, o.with.db, o.within);
    }
    requireSecondTable(o.with);
    ListAndDrawing files(o.csv, o.svg, o.db, o.within);
    const std::optional<PlanOutline> outline = optionalOutline(o.within);
    plan.within = outline ? &*outline : nullptr;
    const size_t count = o.with.table.empty() ? 1 : 2;
    std::vector<SwathRun> runs = {
        readRun(o.db, o.table, o.where, "--where", plan, o.deplete, count)};
    if (count == 2) {
        const std::string& withDb = o.with.dbBeside(o.db);
        runs.push_back(
            readRun(withDb, o.with.table, o.with.where, "--with-where", plan, o.deplete, count));
        nameApart(runs[0].label, runs[1].label, o.db, o.with, o.where);
        requireOneEstimate(runs[0].label, runs[0].run, runs[1].label, runs[1].run,
                           "set runs of one element and unit side by side");
    }
    const std::string along = axisName(plan.axis);
    const std::string grade = estimateOf(runs[0].run);
    const std::string tonnes =
        plan.density > 0 ? "volume x density " + formatNumber(plan.density) : "the stored tonnage";
    const std::string tonnesLeft = tonnes + (o.within.empty() ? "" : " within " + o.within) +
                                   (o.deplete ? " less the void blocks" : "");
    const std::string which = plan.allGrades ? "every block with a grade"
                                             : "blocks at or above " + formatNumber(plan.cutoff);
    std::string names = runs[0].label;
    for (size_t r = 1; r < runs.size(); ++r) {
        names += " and " + runs[r].label;
    }
    std::ostream& out = files.table;
    out << "Swath along " << along << ", slices " << formatExact(plan.width) << " wide, " << grade
        << ", tonnes from " << tonnesLeft << ", " << which << ":\n";
    for (size_t r = 0; r < runs.size(); ++r) {
        out << "  " << (runs.size() > 1 ? std::to_string(r + 1) + "  " : std::string())
            << runs[r].described() << "\n";
    }
    std::vector<Swath> swaths(runs.size());
    std::transform(runs.begin(), runs.end(), swaths.begin(),
                   [](const SwathRun& r) { return r.swath; });
    printSwath(out, plan, runs, swaths, grade);
    if (files.csv) {
        writeSwathCsv(files.csv->stream(), plan, runs, swaths, grade);
    }
    if (files.svg) {
        SwathChart chart;
        chart.title = "Swath of " + names + " along " + along;
        chart.subtitle = grade + "; tonnes from " + tonnesLeft + "; " + which;
        chart.axis = along;
        chart.width = plan.width;
        chart.element = runs[0].run ? std::string(runs[0].run->Mine_Element) : "grade";
        chart.unit = &gradeUnitOfCode(runs[0].run ? runs[0].run->OreAttr_Unit : 0);
        for (const SwathRun& r : runs) {
            chart.names.push_back(r.label);
        }
        chart.swaths = swaths;
        writeSwathSvg(files.svg->stream(), chart);
    }
    files.commit();
}

}  // namespace

void addSwathCommand(CLI::App& app) {
    auto o = std::make_shared<SwathOptions>();
    CLI::App* cmd = app.add_subcommand(
        "swath", "Tonnes and mean grade in slices along X, Y or Z, of one run or two side by side");
    addDatabaseOption(cmd, o->db);
    addTableOption(cmd, o->table);
    std::vector<CLI::Option*> axes;
    for (int a = 0; a < 3; ++a) {
        const char* const options[] = {"--x", "--y", "--z"};
        axes.push_back(cmd->add_option(options[a], o->width[a],
                                       std::string("Slices of this width along ") + axisName(a))
                           ->check(numberAboveZero()));
    }
    CLI::Option* cutoff =
        cmd->add_option("--cutoff", o->cutoff, "Only the blocks at or above this grade")
            ->check(finiteNumber());
    addDensityOption(cmd, o->density);
    addWhereOption(cmd, o->where);
    addSecondRunOptions(cmd, o->with, "Block table of a second run to set beside the first");
    addGroundOptions(cmd, o->deplete, o->within);
    cmd->add_option("--csv", o->csv, "The rows also as CSV (\"-\" for standard output)");
    cmd->add_option("--svg", o->svg, "The swath drawn as SVG (\"-\" for standard output)");
    cmd->footer(kFooter);
    cmd->callback([o, axes, cutoff] { runSwath(*o, planOf(*o, axes, cutoff)); });
}

}  // namespace vornel::cli
