#include "GradedBlocks.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <set>
#include <sstream>

#include "GradeTonnage.h"
#include "ModelDatabase.h"
#include "NumberText.h"

namespace vornel::cli {

GradedBlocks::GradedBlocks(CVornelMng& mng, const std::string& path, const std::string& table,
                           const std::string& where, bool deplete, const PlanOutline* within,
                           const std::string& whereOption)
    : table_(table), voidsTaken_(deplete) {
    const UngradedBlocks ungraded(mng, table);
    // A void table taken out leaves nothing that could have been deducted.
    // Looking for one is a block read, so it comes before the blocks'.
    std::set<std::string> heldVoidTables;
    const std::vector<KrigBlockParam> runs = runsOf(mng, table);
    for (const KrigBlockParam& r : runs) {
        if (r.VoidTable_Name[0] != '\0' && tableExists(mng, r.VoidTable_Name)) {
            heldVoidTables.insert(r.VoidTable_Name);
        }
    }
    read_ = readBlocks(mng, table, where, &blocks_, whereOption);
    run_ = runOfBlocks(mng, runs, blocks_, read_);
    refuseSecondOutline(run_, within);
    voidTableHeld_ = run_ && heldVoidTables.count(run_->VoidTable_Name) != 0;
    count_ = read_;
    // A block without a grade is left out, not counted as grade 0. The
    // blocks are copied only then: a model's blocks take much memory.
    if (ungraded.size() > 0) {
        std::copy_if(blocks_, blocks_ + read_, std::back_inserter(kept_),
                     [&](const KrigBlockResult& b) { return !ungraded.has(b); });
        blocks_ = kept_.data();
        count_ = static_cast<long>(kept_.size());
    }
    if (within != nullptr) {
        outline_ = within->name();
        outlineArea_ = within->area();
    }
    if (deplete || within != nullptr) {
        depleted_ = cli::deplete(blocks_, count_,
                                 deplete ? readVoidGround(mng, path, run_) : VoidGround(), within);
    }
}

std::string GradedBlocks::element() const {
    return run_ ? std::string(run_->Mine_Element) : "grade";
}

const GradeUnit& GradedBlocks::unit() const {
    return gradeUnitOfCode(run_ ? run_->OreAttr_Unit : 0);
}

std::string GradedBlocks::described(const std::string& where, const std::string& name) const {
    return (name.empty() ? table_ : name) + " (" + std::to_string(count_) +
           (count_ == 1 ? " block" : " blocks") + (where.empty() ? "" : " where " + where) +
           (read_ == count_ ? ""
                            : "; " + std::to_string(read_ - count_) + " without a grade left out") +
           ")";
}

std::string GradedBlocks::weighed(double density) const {
    return "tonnes from " +
           (density > 0 ? "volume x density " + formatNumber(density)
                        : std::string("the stored tonnage")) +
           (outline_.empty() ? "" : " within " + outline_) +
           (voidsTaken_ ? " less the void blocks" : "");
}

void GradedBlocks::printVoids(std::ostream& out) const {
    if (!outline_.empty()) {
        out << "Within the outline of " << outline_ << " (" << formatNumber(outlineArea_)
            << " m2): " << depleted_->across << (depleted_->across == 1 ? " block" : " blocks")
            << " partly outside it counted in part, " << depleted_->outside
            << " wholly outside left out.\n";
    }
    if (!voidsTaken_) {
        printVoidsNotDeducted(out, voidTableHeld_ ? run_->VoidTable_Name : "");
        return;
    }
    out << "The void blocks of " << run_->VoidTable_Name
        << " (mined-out ground) are deducted: " << depleted_->mined
        << (depleted_->mined == 1 ? " block" : " blocks") << " wholly, " << depleted_->cut
        << " in part, " << formatNumber(depleted_->volume) << " m3.\n";
}

void printVoidsOfRuns(std::ostream& out,
                      const std::vector<std::pair<std::string, const GradedBlocks*>>& runs) {
    std::vector<std::string> said(runs.size());
    for (size_t r = 0; r < runs.size(); ++r) {
        std::ostringstream lines;
        runs[r].second->printVoids(lines);
        said[r] = lines.str();
    }
    if (std::all_of(said.begin(), said.end(), [&](const std::string& s) { return s == said[0]; })) {
        out << said[0];
        return;
    }
    for (size_t r = 0; r < runs.size(); ++r) {
        std::istringstream lines(said[r]);
        for (std::string line; std::getline(lines, line);) {
            // After the run's name the sentence goes on: "CU_DEMO: the void ...".
            if (line.size() > 1 && std::isupper(static_cast<unsigned char>(line[0])) != 0 &&
                std::islower(static_cast<unsigned char>(line[1])) != 0) {
                line[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(line[0])));
            }
            out << runs[r].first << ": " << line << '\n';
        }
    }
}

}  // namespace vornel::cli
