// vornel stats: the distribution of a run's grades, weighed by tonnes, for
// the whole run or class by class.
#include <algorithm>
#include <cmath>
#include <iostream>
#include <limits>
#include <memory>
#include <optional>

#include "BlockClasses.h"
#include "Commands.h"
#include "CsvWriter.h"
#include "Failure.h"
#include "GradeStats.h"
#include "GradeTonnage.h"
#include "GradedBlocks.h"
#include "HistogramSvg.h"
#include "ModelDatabase.h"
#include "ModelFacts.h"
#include "NumberText.h"
#include "OptionChecks.h"
#include "OutputFile.h"
#include "PlanOutline.h"
#include "SecondRun.h"
#include "TextTable.h"

namespace vornel::cli {
namespace {

struct StatsOptions {
    std::string db;
    std::string table;
    double density = 0;
    std::string where;
    std::string by;
    bool deplete = false;
    std::string within;
    std::string csv;
    std::string svg;
    long bins = 40;
    bool log = false;
    SecondRun with;
};

const char* const kFooter = R"footer(
Each block's grade weighs its tonnes: the mean is the metal over the
tonnes, the standard deviation the square root of the tonnage-weighted mean
square deviation from it, CV the one over the other. Quantile P10 is the
lowest grade at or below which a tenth of the tonnes lies, P50 the median;
min and max are the lowest and highest grades of the blocks. Tonnes and
blocks without a grade are taken as report takes them (--density, --where,
--deplete, --within). --by gives the rows of each resource category, ore type,
bench or search pass, as report lists them, then "(all)".
--csv writes the rows with every digit, a statistic empty where the blocks
weigh nothing; --svg draws the histogram of the tonnes by grade, in --bins
bins from the lowest grade to the highest, and as a curve the share of the
tonnes below each bin's upper bound (one curve per class with --by).
With --log the bins are of equal ratios, on a logarithmic scale, as grades
that spread over decades are drawn; grades at or below 0 are left out of
the bars (not of the table, nor of the share below each bound).
With --with, a second run of the same element and unit (perhaps in another
database: --with-db) is set beside the first, its rows after the first's,
each numbered by its run; the drawing sets the two runs' bars side by side,
each with the curve of its share below the grade.

Examples:
  vornel stats demo.db
  vornel stats demo.db --by category --deplete --svg histogram.svg
  vornel stats pit.db --table CU_OK --with CU_ID2 --svg smoothing.svg
)footer";

struct StatsRow {
    std::string name;
    GradeStats stats;
    std::vector<WeighedGrade> grades;  // sorted
};

// A run's blocks and the rows of its table, the last of all its blocks.
struct StatsRun {
    const GradedBlocks* model;
    std::string label;
    std::vector<StatsRow> rows;
};

std::vector<StatsRow> statsRows(const GradedBlocks& model, const StatsOptions& o) {
    std::vector<WeighedGrade> all = weighedGrades(model.blocks(), model.count(), o.density);
    std::vector<StatsRow> rows;
    if (!o.by.empty()) {
        const BlockClasses classes = classesBy(o.by, model.blocks(), model.count());
        rows.resize(classes.names.size());
        for (size_t i = 0; i < all.size(); ++i) {
            rows[classes.classOf[i]].grades.push_back(all[i]);
        }
        for (size_t c = 0; c < rows.size(); ++c) {
            rows[c].name = classes.names[c];
        }
    }
    rows.push_back({"(all)", {}, std::move(all)});
    for (StatsRow& row : rows) {
        row.stats = gradeStats(row.grades);
    }
    return rows;
}

// Two runs' rows start with their run.
std::vector<std::string> headingOf(const std::string& field, size_t runs) {
    static_assert(kQuantiles.size() == 5, "a heading for each quantile");
    std::vector<std::string> heading = {"blocks", "tonnes", "mean", "std dev", "CV",  "min",
                                        "P10",    "P25",    "P50",  "P75",     "P90", "max"};
    if (!field.empty()) {
        heading.insert(heading.begin(), field);
    }
    if (runs > 1) {
        heading.insert(heading.begin(), "run");
    }
    return heading;
}

// What follows the blocks and tonnes in a row: the mean, standard
// deviation, CV, min, quantiles and max, NaN where there is none.
std::vector<double> statisticsOf(const GradeStats& s) {
    const double none = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> values = {s.mean, s.stdDev, s.variation(), s.blocks > 0 ? s.min : none};
    values.insert(values.end(), s.quantiles.begin(), s.quantiles.end());
    values.push_back(s.blocks > 0 ? s.max : none);
    return values;
}

constexpr size_t kVariation = 2;  // printed to 3 decimals, the grades to 4

void printStats(std::ostream& out, const std::string& field, const std::vector<StatsRun>& runs) {
    TextTable table;
    table.add(headingOf(field, runs.size()));
    if (!field.empty()) {
        table.alignLeft(runs.size() > 1 ? 1 : 0);
    }
    for (size_t r = 0; r < runs.size(); ++r) {
        for (const StatsRow& row : runs[r].rows) {
            std::vector<std::string> cells = {std::to_string(row.stats.blocks),
                                              formatFixed(row.stats.tonnes, 0)};
            const std::vector<double> values = statisticsOf(row.stats);
            for (size_t i = 0; i < values.size(); ++i) {
                cells.push_back(
                    std::isnan(values[i]) ? "-" : formatFixed(values[i], i == kVariation ? 3 : 4));
            }
            if (!field.empty()) {
                cells.insert(cells.begin(), row.name);
            }
            if (runs.size() > 1) {
                cells.insert(cells.begin(), std::to_string(r + 1));
            }
            table.add(cells);
        }
    }
    table.print(out);
}

// Two runs' rows start with their run's name.
void writeStatsCsv(std::ostream& out, const std::string& field, const std::vector<StatsRun>& runs) {
    CsvWriter csv(out);
    csv.header(headingOf(field, runs.size()));
    for (const StatsRun& run : runs) {
        for (const StatsRow& row : run.rows) {
            if (runs.size() > 1) {
                csv.text(run.label);
            }
            if (!field.empty()) {
                csv.text(row.name);
            }
            csv.integer(row.stats.blocks).number(row.stats.tonnes);
            for (const double v : statisticsOf(row.stats)) {
                if (std::isnan(v)) {
                    csv.missing();
                } else {
                    csv.number(v);
                }
            }
            csv.endRow();
        }
    }
}

// One run's curves are those of its rows; two runs' are those of all their
// blocks, one each.
HistogramChart chartOf(const StatsOptions& o, const std::vector<StatsRun>& runs,
                       const std::string& weighed) {
    const GradedBlocks& first = *runs[0].model;
    HistogramChart chart;
    chart.title = first.table() + ": histogram of " + first.element();
    chart.subtitle = std::to_string(first.graded()) + " blocks; " + weighed;
    if (runs.size() > 1) {
        chart.title = runs[0].label + " and " + runs[1].label + ": histogram of " + first.element();
        chart.subtitle = std::to_string(first.graded()) + " and " +
                         std::to_string(runs[1].model->graded()) + " blocks; " + weighed;
    }
    for (const StatsRun& run : runs) {
        chart.runs.push_back(run.label);
        chart.runGrades.push_back(&run.rows.back().grades);
    }
    if (o.log) {
        long low = 0;
        size_t all = 0;
        for (const std::vector<WeighedGrade>* grades : chart.runGrades) {
            low += std::count_if(grades->begin(), grades->end(),
                                 [](const WeighedGrade& g) { return !(g.grade > 0); });
            all += grades->size();
        }
        if (low == static_cast<long>(all)) {
            throw Failure("--log draws the grades above 0, and no block has one");
        }
        chart.subtitle += low == 0 ? "" : "; " + std::to_string(low) + " at or below 0 not drawn";
        chart.logarithmic = true;
    }
    chart.element = first.element();
    chart.unit = &first.unit();
    chart.bins = o.bins;
    if (runs.size() > 1) {
        chart.names = chart.runs;
        chart.grades = chart.runGrades;
        return chart;
    }
    for (const StatsRow& row : runs[0].rows) {
        chart.names.push_back(row.name);
        chart.grades.push_back(&row.grades);
    }
    return chart;
}

void runStats(const StatsOptions& o) {
    requireSecondTable(o.with);
    if (!o.with.db.empty()) {
        refuseOutputClash(o.svg, o.csv, o.with.db, o.within);
    }
    ListAndDrawing files(o.csv, o.svg, o.db, o.within);
    std::ostream& out = files.table;
    CVornelMng mng;
    openModel(mng, o.db);
    const std::optional<PlanOutline> outline = optionalOutline(o.within);
    const GradedBlocks model(mng, o.db, resultTable(mng, o.db, o.table), o.where, o.deplete,
                             outline ? &*outline : nullptr);
    std::vector<StatsRun> runs = {{&model, model.table(), {}}};
    // The blocks are the manager's until its next read.
    CVornelMng withMng;
    std::optional<GradedBlocks> second;
    const std::string& withDb = o.with.dbBeside(o.db);
    if (!o.with.table.empty()) {
        openModel(withMng, withDb);
        second.emplace(withMng, withDb, resultTable(withMng, withDb, o.with.table), o.with.where,
                       o.deplete, outline ? &*outline : nullptr, "--with-where");
        std::string label = second->table();
        nameApart(runs[0].label, label, o.db, o.with, o.where);
        requireOneEstimate(runs[0].label, model.run(), label, second->run(),
                           "set runs of one element and unit side by side");
        runs.push_back({&*second, label, {}});
    }
    for (StatsRun& run : runs) {
        run.rows = ofRun(run.label, runs.size(), [&] { return statsRows(*run.model, o); });
    }
    const std::string field = o.by.empty() ? "" : classLabel(o.by);
    const std::string grade = estimateOf(model.run());
    const std::string weighed = model.weighed(o.density) + (field.empty() ? "" : ", by " + field);
    if (second) {
        out << "Grade statistics, " << grade << ", " << weighed << ":\n";
        out << "  1  " << model.described(o.where, runs[0].label) << "\n  2  "
            << second->described(o.with.where, runs[1].label) << '\n';
    } else {
        out << "Grade statistics of " << model.described(o.where) << ", " << grade << ", "
            << weighed << ":\n";
    }
    printStats(out, field, runs);
    std::vector<std::pair<std::string, const GradedBlocks*>> grounds(runs.size());
    std::transform(runs.begin(), runs.end(), grounds.begin(),
                   [](const StatsRun& r) { return std::make_pair(r.label, r.model); });
    printVoidsOfRuns(out, grounds);
    if (files.csv) {
        writeStatsCsv(files.csv->stream(), field, runs);
    }
    if (files.svg) {
        writeHistogramSvg(files.svg->stream(), chartOf(o, runs, weighed));
    }
    files.commit();
}

}  // namespace

void addStatsCommand(CLI::App& app) {
    auto o = std::make_shared<StatsOptions>();
    CLI::App* cmd = app.add_subcommand(
        "stats", "Grade statistics weighed by tonnes: mean, spread, quantiles, histogram");
    addDatabaseOption(cmd, o->db);
    addTableOption(cmd, o->table);
    addDensityOption(cmd, o->density);
    addWhereOption(cmd, o->where);
    addByOption(cmd, o->by);
    addGroundOptions(cmd, o->deplete, o->within);
    cmd->add_option("--csv", o->csv, "The rows also as CSV (\"-\" for standard output)");
    CLI::Option* svg = cmd->add_option(
        "--svg", o->svg, "The histogram of the tonnes by grade as SVG (\"-\" for standard output)");
    // Only the drawing has bins: without it they would be taken and not used.
    cmd->add_option("--bins", o->bins, "Bars of the histogram")
        ->capture_default_str()
        ->check(CLI::Range(1L, 1000L))
        ->needs(svg);
    cmd->add_flag("--log", o->log, "Bins of equal ratios, on a logarithmic scale of grades")
        ->needs(svg);
    addSecondRunOptions(cmd, o->with, "Block table of a second run to set beside the first");
    cmd->footer(kFooter);
    cmd->callback([o] { runStats(*o); });
}

}  // namespace vornel::cli
