#include "OptionChecks.h"

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

CLI::Option* addCutoffsOption(CLI::App* cmd, std::vector<double>& cutoffs,
                              const std::string& help) {
    return cmd->add_option("--cutoffs", cutoffs, help)->delimiter(',')->check(finiteNumber());
}

CLI::Option* addDensityOption(CLI::App* cmd, double& density) {
    return cmd
        ->add_option("--density", density,
                     "Rock density (t/m3): tonnes from block volumes instead of stored tonnage")
        ->check(numberAboveZero());
}

}  // namespace vornel::cli
