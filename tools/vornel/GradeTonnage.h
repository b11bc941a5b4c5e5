// The grade-tonnage table: for each cut-off, the blocks at or above it, their
// tonnes, their tonnage-weighted mean grade and the metal they hold.
#ifndef VORNEL_CLI_GRADETONNAGE_H
#define VORNEL_CLI_GRADETONNAGE_H

#include <ostream>
#include <string>
#include <vector>

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

// A block's tonnes are its volume (Block_Vol, or its box times its
// coefficient) times `density` when density is above 0, otherwise its
// stored tonnage (Block_CorMass). Throws Failure when neither gives any.
std::vector<GradeTonnageRow> gradeTonnage(const KrigBlockResult* blocks, long count,
                                          const std::vector<double>& cutoffs, double density,
                                          const GradeUnit& unit);

void printGradeTonnage(std::ostream& out, const std::vector<GradeTonnageRow>& rows,
                       const std::string& element, const GradeUnit& unit);

// Says, under the table, that the run's void blocks were not taken off it;
// nothing when the run has no void table.
void printVoidsNotDeducted(std::ostream& out, const std::string& voidTable);

}  // namespace vornel::cli

#endif
