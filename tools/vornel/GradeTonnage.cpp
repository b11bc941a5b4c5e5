#include "GradeTonnage.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "CsvWriter.h"
#include "Failure.h"
#include "NumberText.h"
#include "TextTable.h"

namespace vornel::cli {
namespace {

double tonnesOf(const KrigBlockResult& b, double density) {
    if (density <= 0) {
        return b.Block_CorMass;
    }
    const double volume =
        b.Block_Vol > 0 ? b.Block_Vol
                        : b.Krig_GridSizeX * b.Krig_GridSizeY * b.Krig_GridSizeZ * b.Block_Coef;
    return volume * density;
}

// "block 2 of run 3": runs compared side by side number their blocks alike.
std::string blockNamed(const KrigBlockResult& b) {
    return "block " + std::to_string(b.Krig_BlockID) + " of run " + std::to_string(b.MineID);
}

}  // namespace

void refuseGradesNoNumber(const KrigBlockResult* blocks, long count) {
    for (long i = 0; i < count; ++i) {
        if (!std::isfinite(blocks[i].Krig_OutAttr)) {
            throw Failure("block " + std::to_string(blocks[i].Krig_BlockID) + " has a grade of " +
                          formatNumber(blocks[i].Krig_OutAttr) +
                          ", which no total or statistic can take");
        }
    }
}

std::vector<double> blockTonnes(const KrigBlockResult* blocks, long count, double density) {
    refuseGradesNoNumber(blocks, count);
    std::vector<double> tonnes(static_cast<size_t>(count));
    bool anyTonnes = false;
    for (long i = 0; i < count; ++i) {
        tonnes[i] = tonnesOf(blocks[i], density);
        if (!std::isfinite(tonnes[i])) {
            throw Failure(blockNamed(blocks[i]) +
                          " weighs more than a number holds; is the density right?");
        }
        if (tonnes[i] < 0) {
            throw Failure(blockNamed(blocks[i]) + " weighs " + formatNumber(tonnes[i]) + " t" +
                          (density > 0 ? " by its volume" : " as stored") +
                          ", below 0, which no total or statistic can take");
        }
        anyTonnes = anyTonnes || tonnes[i] > 0;
    }
    if (count > 0 && !anyTonnes) {
        throw Failure(
            "the blocks weigh nothing as stored (no tonnage was imported, or they are air); "
            "give the rock density with --density to weigh them by volume");
    }
    return tonnes;
}

namespace {

// The rows of each class, block i counting in class classOf[i].
std::vector<std::vector<GradeTonnageRow>> tally(const KrigBlockResult* blocks,
                                                const std::vector<double>& tonnes,
                                                const std::vector<size_t>& classOf,
                                                size_t classCount,
                                                const std::vector<double>& cutoffs,
                                                const GradeUnit& unit) {
    std::vector<std::vector<GradeTonnageRow>> rows(classCount,
                                                   std::vector<GradeTonnageRow>(cutoffs.size()));
    std::vector<std::vector<double>> gradeTonnes(classCount, std::vector<double>(cutoffs.size()));
    for (size_t i = 0; i < tonnes.size(); ++i) {
        for (size_t c = 0; c < cutoffs.size(); ++c) {
            if (blocks[i].Krig_OutAttr >= cutoffs[c]) {
                GradeTonnageRow& row = rows[classOf[i]][c];
                ++row.blocks;
                row.tonnes += tonnes[i];
                gradeTonnes[classOf[i]][c] += tonnes[i] * blocks[i].Krig_OutAttr;
            }
        }
    }
    for (size_t k = 0; k < classCount; ++k) {
        for (size_t c = 0; c < cutoffs.size(); ++c) {
            GradeTonnageRow& row = rows[k][c];
            row.cutoff = cutoffs[c];
            row.meanGrade = row.tonnes > 0 ? gradeTonnes[k][c] / row.tonnes : 0;
            row.metal = gradeTonnes[k][c] * unit.metalPerGradeTonne;
            if (!std::isfinite(row.tonnes) || !std::isfinite(row.meanGrade) ||
                !std::isfinite(row.metal)) {
                throw Failure("above the cut-off " + formatNumber(cutoffs[c]) +
                              " the tonnes or the metal add up beyond what a number holds; are "
                              "the grades and the density right?");
            }
        }
    }
    return rows;
}

// The class column's heading first, when the rows have one.
std::vector<std::string> headingOf(const std::string& field, const std::string& element,
                                   const GradeUnit& unit) {
    const std::string gradeUnit = std::string(" (") + unit.name + ")";
    std::vector<std::string> heading = {"cut-off" + gradeUnit, "blocks", "tonnes",
                                        "mean " + element + gradeUnit,
                                        std::string("metal (") + unit.metalUnit + ")"};
    if (!field.empty()) {
        heading.insert(heading.begin(), field);
    }
    return heading;
}

std::vector<std::string> cellsOf(const GradeTonnageRow& r) {
    return {formatNumber(r.cutoff), std::to_string(r.blocks), formatFixed(r.tonnes, 0),
            r.tonnes > 0 ? formatFixed(r.meanGrade, 4) : "-", formatFixed(r.metal, 1)};
}

// The same cells after a first one.
std::vector<std::string> after(const std::string& first, std::vector<std::string> cells) {
    cells.insert(cells.begin(), first);
    return cells;
}

// The class of the rows byClass[k]: the names, then all the blocks.
std::string classOf(const std::vector<std::string>& names, size_t k) {
    return k < names.size() ? names[k] : "(all)";
}

}  // namespace

std::vector<GradeTonnageRow> gradeTonnage(const KrigBlockResult* blocks, long count,
                                          const std::vector<double>& cutoffs, double density,
                                          const GradeUnit& unit) {
    return tally(blocks, blockTonnes(blocks, count, density), std::vector<size_t>(count), 1,
                 cutoffs, unit)
        .front();
}

std::vector<std::vector<GradeTonnageRow>> gradeTonnageByClass(
    const KrigBlockResult* blocks, long count, const BlockClasses& classes,
    const std::vector<double>& cutoffs, double density, const GradeUnit& unit) {
    const std::vector<double> tonnes = blockTonnes(blocks, count, density);
    auto rows = tally(blocks, tonnes, classes.classOf, classes.names.size(), cutoffs, unit);
    rows.push_back(tally(blocks, tonnes, std::vector<size_t>(count), 1, cutoffs, unit).front());
    return rows;
}

void printGradeTonnage(std::ostream& out, const std::string& field,
                       const std::vector<std::string>& names,
                       const std::vector<std::vector<GradeTonnageRow>>& byClass,
                       const std::string& element, const GradeUnit& unit) {
    TextTable table;
    table.add(headingOf(field, element, unit));
    for (size_t k = 0; k < byClass.size(); ++k) {
        for (const GradeTonnageRow& r : byClass[k]) {
            table.add(field.empty() ? cellsOf(r) : after(classOf(names, k), cellsOf(r)));
        }
    }
    table.print(out);
}

void writeGradeTonnageCsv(std::ostream& out, const std::string& field,
                          const std::vector<std::string>& names,
                          const std::vector<std::vector<GradeTonnageRow>>& byClass,
                          const std::string& element, const GradeUnit& unit) {
    CsvWriter csv(out);
    csv.header(headingOf(field, element, unit));
    for (size_t k = 0; k < byClass.size(); ++k) {
        for (const GradeTonnageRow& r : byClass[k]) {
            if (!field.empty()) {
                csv.text(classOf(names, k));
            }
            csv.number(r.cutoff).integer(r.blocks).number(r.tonnes);
            if (r.tonnes > 0) {
                csv.number(r.meanGrade);
            } else {
                csv.missing();
            }
            csv.number(r.metal).endRow();
        }
    }
}

void printVoidsNotDeducted(std::ostream& out, const std::string& voidTable) {
    if (!voidTable.empty()) {
        out << "The void blocks of " << voidTable << " (mined-out ground) are not deducted.\n";
    }
}

}  // namespace vornel::cli
