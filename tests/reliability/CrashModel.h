// What a file written by killed processes must hold, as the test knows it
// from the lines the writer printed before each call and after it returned.
#ifndef VORNEL_TESTS_RELIABILITY_CRASHMODEL_H
#define VORNEL_TESTS_RELIABILITY_CRASHMODEL_H

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "reliability/RawDb.h"

namespace vornel::test {

// One line of the writer: "begin insert 7", "done modify 3 12", ...
struct Step {
    bool done = false;
    std::string verb;  // insert, modify, host, rollback, compact
    int32_t batch = 0;
    int32_t generation = 0;
};
std::optional<Step> parseStep(const std::string& line);

class CrashModel {
public:
    // Takes in a step the writer finished.
    void apply(const Step& step);
    // Compares the file with the model, given the step in flight when the
    // writer died (if any), and then takes in how that step ended. Empty
    // when the file holds what it must; otherwise each difference.
    std::string check(RawDb& db, const std::optional<Step>& inFlight);

    // Arguments of the next writer: the next batch and generation, and the
    // batches in the file.
    int32_t nextBatch() const { return nextBatch_; }
    int32_t nextGeneration() const { return nextGeneration_; }
    std::string batchList() const;
    long long rows() const;

private:
    void note(const Step& step);
    std::string checkBatches(RawDb& db, const std::optional<Step>& inFlight);
    std::string checkGenerations(RawDb& db, const std::optional<Step>& inFlight);
    std::string checkRuns(RawDb& db, const std::optional<Step>& inFlight);

    // The Ore_Propro of each block of each committed batch.
    std::map<int32_t, std::vector<int32_t>> generations_;
    // Batches whose run row was committed with them.
    std::set<int32_t> runs_;
    int32_t nextBatch_ = 1;
    int32_t nextGeneration_ = 1;
};

}  // namespace vornel::test

#endif
