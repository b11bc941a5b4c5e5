#include "reliability/CrashModel.h"

#include <cstdio>
#include <sstream>

#include "reliability/Workload.h"

namespace vornel::test {
namespace {

bool is(const std::optional<Step>& step, const char* verb, int32_t batch) {
    return step && step->verb == verb && step->batch == batch;
}

}  // namespace

std::optional<Step> parseStep(const std::string& line) {
    std::istringstream in(line);
    std::string when;
    Step step;
    if (!(in >> when >> step.verb) || (when != "begin" && when != "done")) {
        return std::nullopt;
    }
    step.done = when == "done";
    in >> step.batch >> step.generation;
    return step;
}

void CrashModel::note(const Step& step) {
    if (step.batch >= nextBatch_) {
        nextBatch_ = step.batch + 1;
    }
    if (step.generation >= nextGeneration_) {
        nextGeneration_ = step.generation + 1;
    }
}

void CrashModel::apply(const Step& step) {
    note(step);
    if (step.verb == "insert" || step.verb == "host") {
        generations_[step.batch].assign(static_cast<size_t>(batchSize(step.batch)), 0);
        if (step.verb == "host") {
            runs_.insert(step.batch);
        }
    } else if (step.verb == "modify") {
        generations_[step.batch].assign(static_cast<size_t>(batchSize(step.batch)),
                                        step.generation);
    }
}

std::string CrashModel::check(RawDb& db, const std::optional<Step>& inFlight) {
    if (inFlight) {
        note(*inFlight);
    }
    // In this order: a step that committed just before the kill is taken
    // in by the batches' check, and the later checks count on it.
    std::string problems = checkBatches(db, inFlight);
    problems += checkGenerations(db, inFlight);
    problems += checkRuns(db, inFlight);
    return problems;
}

std::string CrashModel::checkBatches(RawDb& db, const std::optional<Step>& inFlight) {
    std::ostringstream problems;
    std::set<int32_t> found;
    for (const auto& row : db.rows("SELECT MineID, COUNT(*), SUM(Krig_OutAttr), "
                                   "SUM(length(SubBUDBlob)) FROM T1 GROUP BY MineID")) {
        if (row.size() != 4) {
            return "cannot read the blocks: " + row[0] + "\n";
        }
        const auto batch = static_cast<int32_t>(std::stol(row[0]));
        found.insert(batch);
        const BatchSums want = expectedSums(batch);
        if (std::stoll(row[1]) != want.rows || std::stod(row[2]) != want.attributes ||
            std::stoll(row[3]) != want.subBlockBytes) {
            problems << "batch " << batch << " is not whole: " << row[1] << " rows of " << want.rows
                     << ", attributes " << row[2] << ", sub-block bytes " << row[3] << "\n";
        }
        if (generations_.count(batch) != 0) {
            continue;
        }
        if (is(inFlight, "insert", batch) || is(inFlight, "host", batch)) {
            apply(*inFlight);  // it committed just before the kill
        } else {
            problems << "batch " << batch << " is in the file but was never committed\n";
        }
    }
    for (const auto& [batch, gens] : generations_) {
        if (found.count(batch) == 0) {
            problems << "committed batch " << batch << " is missing\n";
        }
    }
    return problems.str();
}

std::string CrashModel::checkGenerations(RawDb& db, const std::optional<Step>& inFlight) {
    std::ostringstream problems;
    for (const auto& row : db.rows("SELECT Krig_BlockID, Ore_Propro FROM T1")) {
        if (row.size() != 2) {
            return "cannot read the generations: " + row[0] + "\n";
        }
        const long id = std::stol(row[0]);
        const auto batch = static_cast<int32_t>(id / 10000);
        const auto index = static_cast<size_t>(id % 10000 - 1);
        auto it = generations_.find(batch);
        if (it == generations_.end() || index >= it->second.size()) {
            continue;  // reported with the batches
        }
        const auto stored = static_cast<int32_t>(std::stod(row[1]));
        int32_t& expected = it->second[index];
        if (stored == expected) {
            continue;
        }
        if (is(inFlight, "modify", batch) && stored == inFlight->generation) {
            expected = stored;  // updated before the kill: each block stands alone
        } else {
            problems << "block " << id << " holds generation " << row[1] << " instead of "
                     << expected << "\n";
        }
    }
    return problems.str();
}

std::string CrashModel::checkRuns(RawDb& db, const std::optional<Step>& inFlight) {
    std::ostringstream problems;
    std::set<int32_t> found;
    for (const auto& row : db.rows("SELECT Krig_Result_Name FROM KrigBlock_Param")) {
        int32_t batch = 0;
        if (std::sscanf(row[0].c_str(), "batch %d", &batch) != 1) {
            return "cannot read the runs: " + row[0] + "\n";
        }
        found.insert(batch);
        if (runs_.count(batch) == 0) {
            problems << "the run of batch " << batch << " is there but was "
                     << (is(inFlight, "rollback", batch) ? "rolled back" : "never committed")
                     << "\n";
        }
    }
    for (int32_t batch : runs_) {
        if (found.count(batch) == 0) {
            problems << "the committed run of batch " << batch << " is missing\n";
        }
    }
    return problems.str();
}

std::string CrashModel::batchList() const {
    std::string list;
    for (const auto& [batch, gens] : generations_) {
        list += (list.empty() ? "" : ",") + std::to_string(batch);
    }
    return list.empty() ? "-" : list;
}

long long CrashModel::rows() const {
    long long n = 0;
    for (const auto& [batch, gens] : generations_) {
        n += static_cast<long long>(gens.size());
    }
    return n;
}

}  // namespace vornel::test
