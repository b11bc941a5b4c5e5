// Checks of option values that are numbers, for the command-line parser:
// a wrong value is a usage error that says what the option takes.
#ifndef VORNEL_CLI_OPTIONCHECKS_H
#define VORNEL_CLI_OPTIONCHECKS_H

#include <CLI/CLI.hpp>

namespace vornel::cli {

// One finite number (each one, for a list option).
CLI::Validator finiteNumber();

// One finite number above 0.
CLI::Validator numberAboveZero();

}  // namespace vornel::cli

#endif
