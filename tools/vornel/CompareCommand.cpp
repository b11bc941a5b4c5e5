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
#include "ModelDatabase.h"
#include "ModelFacts.h"
#include "NumberText.h"
#include "OptionChecks.h"
#include "OutputFile.h"
#include "SecondRun.h"

namespace vornel::cli {
namespace {

struct CompareOptions {
    std::string db;
    std::string table;
    SecondRun with;
    std::string where;
    std::vector<std::string> cutoffs;
    double density = 0;
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
--with-where for the second. --csv lists the matched blocks, one row each:
the centre, each run's block and grade, and the change (second less first).

Examples:
  vornel compare demo.db --table CU_OK --with CU_ID2 --cutoffs 0.5,1
  vornel compare 2026.db --table CU --with CU --with-db 2025.db --csv moved.csv
)";

// One of the two runs: what the comparison needs of it, read through its own
// manager so that the other's blocks stay valid.
struct Side {
    std::string table;
    std::string label;  // as the rows name it
    long blocks = 0;
    long ungraded = 0;
    std::optional<KrigBlockParam> run;
    std::vector<GradeTonnageRow> rows;
    std::vector<GradedBlock> graded;
};

Side readSide(const std::string& db, const std::string& table, const std::string& where,
              const CompareOptions& o) {
    CVornelMng mng;
    openModel(mng, db);
    Side side;
    side.table = resultTable(mng, db, table);
    side.label = side.table;
    const UngradedBlocks ungraded(mng, side.table);
    KrigBlockResult* all = nullptr;
    side.blocks = readBlocks(mng, side.table, where, &all);
    side.run = runOfBlocks(mng, side.table, all, side.blocks);
    std::vector<KrigBlockResult> blocks;
    for (long i = 0; i < side.blocks; ++i) {
        if (ungraded.has(all[i])) {
            ++side.ungraded;
            continue;
        }
        blocks.push_back(all[i]);
        side.graded.push_back({{all[i].Krig_PntLocX, all[i].Krig_PntLocY, all[i].Krig_PntLocZ},
                               all[i].Krig_OutAttr,
                               all[i].Krig_BlockID});
    }
    if (!o.cutoffs.empty()) {
        side.rows =
            gradeTonnage(blocks.data(), static_cast<long>(blocks.size()), cutoffsOf(o.cutoffs),
                         o.density, gradeUnitOfCode(side.run ? side.run->OreAttr_Unit : 0));
    }
    return side;
}

std::string blocksOf(const Side& s) {
    return s.label + " (" + std::to_string(s.blocks) + (s.blocks == 1 ? " block" : " blocks") +
           (s.ungraded > 0 ? ", " + std::to_string(s.ungraded) + " without a grade" : "") + ")";
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

void printBlockByBlock(std::ostream& out, const Side& a, const Side& b, const BlockComparison& c,
                       const std::string& element, const GradeUnit& unit) {
    const std::string u = std::string(" ") + unit.name;
    out << "Block by block, at the same centre:\n";
    printFact(out, "matched",
              std::to_string(c.matched) + " (" + std::to_string(c.onlyFirst) + " only in " +
                  a.label + ", " + std::to_string(c.onlySecond) + " only in " + b.label + ")");
    if (c.matched == 0) {
        const Side* bare = a.graded.empty() ? &a : b.graded.empty() ? &b : nullptr;
        printFact(out, "note",
                  bare != nullptr
                      ? bare->label + " holds no block with a grade"
                      : "no block of one lies at a block centre of the other: are they on one "
                        "grid?");
        return;
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
    std::optional<OutputFile> csvFile;
    if (!o.csv.empty()) {
        csvFile.emplace(o.csv);
    }
    // The text goes where it does not mix with the list on standard output.
    std::ostream& out = isStandardOutput(o.csv) ? std::cerr : std::cout;
    Side a = readSide(o.db, o.table, o.where, o);
    Side b = readSide(withDb, o.with.table, o.with.where, o);
    nameApart(a.label, b.label, o.db, withDb);
    requireOneEstimate(a.label, a.run, b.label, b.run, "compare runs of one element and unit");
    const std::string element = a.run ? std::string(a.run->Mine_Element) : "grade";
    const GradeUnit& unit = gradeUnitOfCode(a.run ? a.run->OreAttr_Unit : 0);
    out << "Comparing " << blocksOf(a) << " with " << blocksOf(b) << ", " << estimateOf(a.run)
        << '\n';
    if (!o.cutoffs.empty()) {
        out << "Grade-tonnage, tonnes from "
            << (o.density > 0 ? "volume x density " + formatNumber(o.density)
                              : std::string("the stored tonnage"))
            << ":\n";
        printGradeTonnage(out, "table", {a.label, b.label}, {a.rows, b.rows}, element, unit);
    }
    const BlockComparison c = compareBlocks(a.graded, b.graded);
    printBlockByBlock(out, a, b, c, element, unit);
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
    cmd->add_option("DB", o->db, "Database file")->required();
    cmd->add_option("-t,--table", o->table,
                    "Block table of the first run (may be left out when the database holds one)");
    addSecondRunOptions(cmd, o->with, "Block table of the second run")->required();
    cmd->add_option("--where", o->where, "SQL condition selecting the first run's blocks");
    addCutoffsOption(cmd, o->cutoffs, "Cut-off grades for the grade-tonnage rows");
    addDensityOption(cmd, o->density);
    cmd->add_option("--csv", o->csv,
                    "The matched blocks as CSV, with both grades (\"-\" for standard output)");
    cmd->footer(kFooter);
    cmd->callback([o] { runCompare(*o); });
}

}  // namespace vornel::cli
