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

}  // namespace vornel::cli
