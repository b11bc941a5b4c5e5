// The benchmark's scenarios: each times the library against its baseline,
// alternately, and reports the median ratio.
#ifndef VORNEL_BENCH_SCENARIOS_H
#define VORNEL_BENCH_SCENARIOS_H

#include <string>
#include <vector>

#include "Model.h"

namespace bench {

struct Result {
    std::string scenario;
    double ours = 0.0;      // seconds (bytes for memory)
    double baseline = 0.0;  // seconds (bytes for memory)
    double ratio = 0.0;     // median of ours / baseline
    double target = 0.0;    // the ratio to stay within; 0 where none is set
    std::string against;    // what the baseline is
    bool met() const { return target <= 0.0 || ratio <= target; }
};

struct Settings {
    std::string directory;  // where the database goes
    int repeats = 5;
};

std::vector<Result> runScenarios(const Model& model, const Settings& settings);

}  // namespace bench

#endif
