// The grade-tonnage table: for each cut-off, the blocks at or above it, their
// tonnes, their tonnage-weighted mean grade and the metal they hold; for the
// whole model or class by class (a resource category, an ore type).
#ifndef VORNEL_CLI_GRADETONNAGE_H
#define VORNEL_CLI_GRADETONNAGE_H

#include <ostream>
#include <string>
#include <vector>

#include "BlockClasses.h"
#include "GradeUnit.h"
#include "vornel/KrigBlockResult.h"

namespace vornel::cli {

struct GradeTonnageRow {
    double cutoff = 0;
    long blocks = 0;
    double tonnes = 0;
    double meanGrade = 0;
    double metal = 0;
};

// Throws Failure for a block whose grade is no number: infinity, as another
// tool may store, which no total or statistic can take. (A grade left NULL
// reads as 0, a number.)
void refuseGradesNoNumber(const KrigBlockResult* blocks, long count);

// The tonnes of each block: its volume (Block_Vol, or its box times its
// coefficient) times `density` when density is above 0, otherwise its
// stored tonnage (Block_CorMass). Throws Failure when a block weighs more
// than a double holds, or the blocks weigh nothing at all, and as
// refuseGradesNoNumber does: the tonnes are there to weigh the grades.
std::vector<double> blockTonnes(const KrigBlockResult* blocks, long count, double density);

// A block's tonnes are its volume (Block_Vol, or its box times its
// coefficient) times `density` when density is above 0, otherwise its
// stored tonnage (Block_CorMass). Throws Failure when neither gives any.
std::vector<GradeTonnageRow> gradeTonnage(const KrigBlockResult* blocks, long count,
                                          const std::vector<double>& cutoffs, double density,
                                          const GradeUnit& unit);

// The rows of each class, in the order of `classes.names`, then those of all
// the blocks, weighed as gradeTonnage weighs them; a class may weigh nothing
// as long as the blocks together weigh something.
std::vector<std::vector<GradeTonnageRow>> gradeTonnageByClass(
    const KrigBlockResult* blocks, long count, const BlockClasses& classes,
    const std::vector<double>& cutoffs, double density, const GradeUnit& unit);

// The rows as one table. With a `field` ("category"), the rows of each class
// of what gradeTonnageByClass gives, the class named on each row under that
// heading, the last rows as "(all)"; without, the one list of rows of
// `byClass`.
void printGradeTonnage(std::ostream& out, const std::string& field,
                       const std::vector<std::string>& names,
                       const std::vector<std::vector<GradeTonnageRow>>& byClass,
                       const std::string& element, const GradeUnit& unit);

// The same rows as comma-separated values, for a spreadsheet: the table's
// headings, numbers in every digit that tells their double apart, the mean
// grade empty where no tonnes are left to average.
void writeGradeTonnageCsv(std::ostream& out, const std::string& field,
                          const std::vector<std::string>& names,
                          const std::vector<std::vector<GradeTonnageRow>>& byClass,
                          const std::string& element, const GradeUnit& unit);

// Says, under the table, that the run's void blocks were not taken off it;
// nothing when the run has no void table.
void printVoidsNotDeducted(std::ostream& out, const std::string& voidTable);

}  // namespace vornel::cli

#endif
