// vornel compare: two estimates of one model, side by side and block by
// block.
#include <cmath>
#include <iostream>
#include <memory>
#include <optional>

#include "BlockComparison.h"
#include "Commands.h"
#include "CsvWriter.h"
#include "Failure.h"
#include "GradeTonnage.h"
#include "GradedBlocks.h"
#include "ModelDatabase.h"
#include "ModelFacts.h"
#include "NumberText.h"
#include "OptionChecks.h"
#include "OutputFile.h"
#include "PlanOutline.h"
#include "SecondRun.h"
#include "WaitIndicator.h"

namespace vornel::cli {
namespace {

struct CompareOptions {
    std::string db;
    std::string table;
    SecondRun with;
    std::string where;
    std::vector<std::string> cutoffs;
    double density = 0;
    bool deplete = false;
    std::string within;
    std::string csv;
};

const char* const kFooter = R"(
Two runs of one element and unit (another kriging plan, a new drill
programme) are compared: with --cutoffs, the grade-tonnage rows of each, as
report gives them; then, block by block, the blocks that lie at the same
centre in both: how many, how many lie in one alone, the mean grade of each
over those blocks (each block counting once), the mean absolute change, the
correlation of the two grades, and the block whose grade moved most. Blocks
without a grade are left out. The second table may lie in another database
(--with-db), such as last year's model. A table that holds several runs is
compared one run at a time: --where "MineID = 2" for the first table,
--with-where for the second. --deplete takes each run's void blocks (old
workings) off it and --within keeps the ground within a plan outline, as
report takes them: block by block, only the blocks with ground left count.
--csv lists the matched blocks, one row each: the centre, each run's block
and grade, and the change (second less first).

Examples:
  vornel compare pit.db --table CU_OK --with CU_ID2 --cutoffs 0.5,1
  vornel compare 2026.db --table CU --with CU --with-db 2025.db --csv moved.csv
  vornel compare pit.db --table CU_OK --with CU_ID2 --cutoffs 0.5 --within licence.csv
)";

// One of the two runs as the comparison sets it beside the other.
struct Side {
    const GradedBlocks* model = nullptr;
    std::string label;  // as the rows name it
    std::vector<GradeTonnageRow> rows;
    std::vector<GradedBlock> graded;  // those with ground left
};

Side sideOf(const GradedBlocks& model, const std::string& label, const CompareOptions& o) {
    Side side;
    side.model = &model;
    side.label = label;
    const KrigBlockResult* blocks = model.blocks();
    refuseGradesNoNumber(blocks, model.count());
    for (long i = 0; i < model.count(); ++i) {
        side.graded.push_back(
            {{blocks[i].Krig_PntLocX, blocks[i].Krig_PntLocY, blocks[i].Krig_PntLocZ},
             {blocks[i].Krig_GridSizeX, blocks[i].Krig_GridSizeY, blocks[i].Krig_GridSizeZ},
             blocks[i].Krig_OutAttr,
             blocks[i].Krig_BlockID});
    }
    if (!o.cutoffs.empty()) {
        side.rows = gradeTonnage(model.blocks(), model.count(), cutoffsOf(o.cutoffs), o.density,
                                 model.unit());
    }
    return side;
}

std::string blocksOf(const Side& s) {
    const long read = s.model->read();
    const long ungraded = read - s.model->graded();
    return s.label + " (" + std::to_string(read) + (read == 1 ? " block" : " blocks") +
           (ungraded > 0 ? ", " + std::to_string(ungraded) + " without a grade" : "") + ")";
}

// Where the blocks that count block by block have ground left, when not
// all of them count: " within licence.csv after the void blocks".
std::string groundLeft(const CompareOptions& o) {
    return (o.within.empty() ? "" : " within " + o.within) +
           (o.deplete ? " after the void blocks" : "");
}

void writePairs(std::ostream& out, const Side& a, const Side& b, const BlockComparison& c,
                const std::string& element, const GradeUnit& unit) {
    const std::string grade = element + " (" + unit.name + ") in ";
    CsvWriter csv(out);
    csv.header({"X", "Y", "Z", "block in " + a.label, grade + a.label, "block in " + b.label,
                grade + b.label, std::string("change (") + unit.name + ")"});
    for (const auto& [first, second] : c.pairs) {
        csv.number(first.centre.x).number(first.centre.y).number(first.centre.z);
        csv.integer(first.blockId).number(first.grade).integer(second.blockId).number(second.grade);
        csv.number(second.grade - first.grade).endRow();
    }
}

// Why a side has nothing to compare: a condition that took every block is
// told, not the table blamed.
std::string withoutGrades(const Side& side, const char* option, const std::string& where,
                          const std::string& left) {
    const std::string ground = left.empty() ? "" : " and ground left" + left;
    return where.empty() ? side.label + " holds no block with a grade" + ground
                         : "no block of " + side.model->table() + " with a grade" + ground +
                               " meets " + option + " \"" + where + "\"";
}

void printBlockByBlock(std::ostream& out, const Side& a, const Side& b, const BlockComparison& c,
                       const CompareOptions& o) {
    const std::string element = a.model->element();
    const std::string u = std::string(" ") + a.model->unit().name;
    const std::string left = groundLeft(o);
    out << "Block by block, at the same centre"
        << (left.empty() ? "" : ", of the blocks with ground left" + left) << ":\n";
    printFact(out, "matched",
              std::to_string(c.matched) + " (" + std::to_string(c.onlyFirst) + " only in " +
                  a.label + ", " + std::to_string(c.onlySecond) + " only in " + b.label + ")");
    if (c.matched == 0) {
        printFact(out, "note",
                  a.graded.empty()   ? withoutGrades(a, "--where", o.where, left)
                  : b.graded.empty() ? withoutGrades(b, "--with-where", o.with.where, left)
                                     : "no block of one lies at a block centre of the other: "
                                       "are they on one grid?");
        return;
    }
    if (c.unlikeSize > 0) {
        const auto& [first, second] = c.firstUnlike;
        printFact(out, "note",
                  std::to_string(c.unlikeSize) + " of them differ in size (block " +
                      std::to_string(first.blockId) + " of " + a.label + " is " +
                      sizeText(first.size) + ", block " + std::to_string(second.blockId) + " of " +
                      b.label + " " + sizeText(second.size) +
                      "): their grades are of other ground");
    }
    printFact(out, "mean " + element,
              formatNumber(c.meanFirst) + u + " in " + a.label + ", " + formatNumber(c.meanSecond) +
                  u + " in " + b.label);
    printFact(out, "mean change", formatNumber(c.meanAbsoluteChange) + u + " (absolute)");
    printFact(out, "correlation",
              std::isnan(c.correlation) ? std::string("- (the grades of one do not vary)")
                                        : formatNumber(c.correlation, 4));
    printFact(out, "largest change",
              formatNumber(std::fabs(c.largestTo.grade - c.largestFrom.grade)) + u + ": block " +
                  std::to_string(c.largestFrom.blockId) + " of " + a.label + " at " +
                  formatNumber(c.largestFrom.grade) + u + ", block " +
                  std::to_string(c.largestTo.blockId) + " of " + b.label + " at " +
                  formatNumber(c.largestTo.grade) + u);
}

void runCompare(const CompareOptions& o) {
    refuseDatabaseAsOutput(o.csv, o.db);
    const std::string& withDb = o.with.dbBeside(o.db);
    refuseDatabaseAsOutput(o.csv, withDb);
    refuseOutlineAsOutput(o.csv, o.within);
    std::optional<OutputFile> csvFile;
    if (!o.csv.empty()) {
        csvFile.emplace(o.csv);
    }
    // The text goes where it does not mix with the list on standard output.
    std::ostream& out = isStandardOutput(o.csv) ? std::cerr : std::cout;
    const std::optional<PlanOutline> outline = optionalOutline(o.within);
    const PlanOutline* within = outline ? &*outline : nullptr;
    // Each run's blocks are its manager's until that manager's next read.
    CVornelMng firstMng;
    openModel(firstMng, o.db);
    const GradedBlocks first(firstMng, o.db, resultTable(firstMng, o.db, o.table), o.where,
                             o.deplete, within);
    CVornelMng secondMng;
    openModel(secondMng, withDb);
    const GradedBlocks second(secondMng, withDb, resultTable(secondMng, withDb, o.with.table),
                              o.with.where, o.deplete, within, "--with-where");
    std::string firstLabel = first.table();
    std::string secondLabel = second.table();
    nameApart(firstLabel, secondLabel, o.db, o.with, o.where);
    requireOneEstimate(firstLabel, first.run(), secondLabel, second.run(),
                       "compare runs of one element and unit");
    Side a = ofRun(firstLabel, 2, [&] { return sideOf(first, firstLabel, o); });
    Side b = ofRun(secondLabel, 2, [&] { return sideOf(second, secondLabel, o); });
    const std::string element = first.element();
    const GradeUnit& unit = first.unit();
    const BlockComparison c = [&] {
        const WaitIndicator wait("matching the blocks");
        return compareBlocks(a.graded, b.graded);
    }();
    out << "Comparing " << blocksOf(a) << " with " << blocksOf(b) << ", " << estimateOf(first.run())
        << '\n';
    if (!o.cutoffs.empty()) {
        out << "Grade-tonnage, " << first.weighed(o.density) << ":\n";
        printGradeTonnage(out, "table", {a.label, b.label}, {a.rows, b.rows}, element, unit);
    }
    printVoidsOfRuns(out, {{a.label, &first}, {b.label, &second}});
    printBlockByBlock(out, a, b, c, o);
    if (csvFile) {
        writePairs(csvFile->stream(), a, b, c, element, unit);
        csvFile->commit();
    }
}

}  // namespace

void addCompareCommand(CLI::App& app) {
    auto o = std::make_shared<CompareOptions>();
    CLI::App* cmd = app.add_subcommand(
        "compare", "Two runs of one model side by side: grade-tonnage, and block by block");
    addDatabaseOption(cmd, o->db);
    cmd->add_option("-t,--table", o->table,
                    "Block table of the first run (may be left out when the database holds one)");
    addSecondRunOptions(cmd, o->with, "Block table of the second run")->required();
    cmd->add_option("--where", o->where, "SQL condition selecting the first run's blocks");
    CLI::Option* cutoffs =
        addCutoffsOption(cmd, o->cutoffs, "Cut-off grades for the grade-tonnage rows");
    addDensityOption(cmd, o->density)->needs(cutoffs);  // only those rows weigh blocks
    addGroundOptions(cmd, o->deplete, o->within);
    cmd->add_option("--csv", o->csv,
                    "The matched blocks as CSV, with both grades (\"-\" for standard output)");
    cmd->footer(kFooter);
    cmd->callback([o] { runCompare(*o); });
}

}  // namespace vornel::cli
