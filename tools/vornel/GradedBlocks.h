// The blocks of a run that carry a grade, as the tables of grades and
// tonnes weigh them: those a condition selects, less those without a grade,
// less the ground of the run's old workings when asked.
#ifndef VORNEL_CLI_GRADEDBLOCKS_H
#define VORNEL_CLI_GRADEDBLOCKS_H

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "Depletion.h"
#include "GradeUnit.h"
#include "vornel/VornelMng.h"

namespace vornel::cli {

class GradedBlocks {
public:
    // Reads the blocks of `table` in the open database at `path` that meet
    // `where` (all when empty); with `deplete`, takes the ground of the
    // run's void table off them, and with an outline the ground outside it.
    // Throws Failure, naming `whereOption` for a condition it cannot read.
    // The blocks are the manager's, valid until its next block read.
    GradedBlocks(CVornelMng& mng, const std::string& path, const std::string& table,
                 const std::string& where, bool deplete, const PlanOutline* within = nullptr,
                 const std::string& whereOption = "--where");
    // It may point into its own copy of the blocks.
    GradedBlocks(const GradedBlocks&) = delete;
    GradedBlocks& operator=(const GradedBlocks&) = delete;

    const std::string& table() const { return table_; }
    long read() const { return read_; }     // blocks the condition selects
    long graded() const { return count_; }  // of those, blocks with a grade
    // The blocks with ground left: all the graded ones unless depleted.
    long count() const { return depleted_ ? depleted_->left : count_; }
    KrigBlockResult* blocks() const { return blocks_; }
    const std::optional<KrigBlockParam>& run() const { return run_; }
    const std::optional<Depleted>& depleted() const { return depleted_; }
    std::string element() const;
    const GradeUnit& unit() const;

    // "CU (12 blocks where ...; 3 without a grade left out)", the table
    // called `name` when one is given ("CU of a.db").
    std::string described(const std::string& where, const std::string& name = "") const;
    // "tonnes from the stored tonnage less the void blocks", as weighed.
    std::string weighed(double density) const;
    // The lines under a table that say how much ground lay outside the
    // outline, and whether, and how much of, the run's void blocks were
    // taken off; nothing of void blocks when the run has none.
    void printVoids(std::ostream& out) const;

private:
    std::string table_;
    long read_ = 0;
    long count_ = 0;
    KrigBlockResult* blocks_ = nullptr;
    std::vector<KrigBlockResult> kept_;  // the graded ones, when some are not
    std::optional<KrigBlockParam> run_;
    std::optional<Depleted> depleted_;
    bool voidsTaken_ = false;
    bool voidTableHeld_ = false;  // the run names a void table, and it is there
    std::string outline_;         // the outline's file, when one was given
    double outlineArea_ = 0;
};

// The lines of printVoids for runs set side by side: once when every run's
// are the same, else each run's, each line after the run's name.
void printVoidsOfRuns(std::ostream& out,
                      const std::vector<std::pair<std::string, const GradedBlocks*>>& runs);

}  // namespace vornel::cli

#endif
