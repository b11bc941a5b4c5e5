#include "OptionChecks.h"

#include <algorithm>

#include "Failure.h"
#include "NumberSeries.h"
#include "NumberText.h"

namespace vornel::cli {
namespace {

CLI::Validator numberCheck(bool (*within)(double), const std::string& expected) {
    return CLI::Validator(
        [within, expected](const std::string& text) {
            double value = 0;
            return parseNumber(text, value) && within(value) ? std::string()
                                                             : "'" + text + "' is not " + expected;
        },
        "NUMBER");
}

}  // namespace

CLI::Validator finiteNumber() {
    return numberCheck([](double) { return true; }, "a number");
}

CLI::Validator numberAboveZero() {
    return numberCheck([](double v) { return v > 0; }, "a number above 0");
}

CLI::Option* addCutoffsOption(CLI::App* cmd, std::vector<std::string>& cutoffs,
                              const std::string& help) {
    const CLI::Validator cutoff(
        [](const std::string& text) {
            try {
                cutoffsOf({text});
                return std::string();
            } catch (const UsageError& e) {
                return std::string(e.what());
            }
        },
        "NUMBER|FROM:TO:STEP");
    return cmd->add_option("--cutoffs", cutoffs, help)->delimiter(',')->check(cutoff);
}

std::vector<double> cutoffsOf(const std::vector<std::string>& texts) {
    std::vector<double> cutoffs;
    for (const std::string& text : texts) {
        const std::vector<std::string> values =
            isSeries(text) ? numberSeries(text, "cut-offs", "0:2:0.1") : std::vector{text};
        for (const std::string& value : values) {
            double cutoff = 0;
            if (!parseNumber(value, cutoff)) {
                throw UsageError("'" + text + "' is not a number");
            }
            cutoffs.push_back(cutoff);
        }
    }
    std::sort(cutoffs.begin(), cutoffs.end());
    cutoffs.erase(std::unique(cutoffs.begin(), cutoffs.end()), cutoffs.end());
    return cutoffs;
}

CLI::Option* addDensityOption(CLI::App* cmd, double& density) {
    return cmd
        ->add_option("--density", density,
                     "Rock density (t/m3): tonnes from block volumes instead of stored tonnage")
        ->check(numberAboveZero());
}

}  // namespace vornel::cli
