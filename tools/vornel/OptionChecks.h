// Checks of option values that are numbers, for the command-line parser:
// a wrong value is a usage error that says what the option takes.
#ifndef VORNEL_CLI_OPTIONCHECKS_H
#define VORNEL_CLI_OPTIONCHECKS_H

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace vornel::cli {

// One finite number (each one, for a list option).
CLI::Validator finiteNumber();

// One finite number above 0.
CLI::Validator numberAboveZero();

// The options that weigh blocks and pick them by grade, as report and
// compare take them: --cutoffs, a list of grades, and --density.
// Each cut-off is a number or a series FROM:TO:STEP (0:2:0.1).
CLI::Option* addCutoffsOption(CLI::App* cmd, std::vector<std::string>& cutoffs,
                              const std::string& help);
// The cut-offs that option gives, as a grade-tonnage table reads them: as a
// curve, rising, each once.
std::vector<double> cutoffsOf(const std::vector<std::string>& texts);
CLI::Option* addDensityOption(CLI::App* cmd, double& density);

// DB, the database a command works on, required: a path, not an empty
// text, which databasePath() refuses.
void addDatabaseOption(CLI::App* cmd, std::string& db, const std::string& help = "Database file");
CLI::Validator databasePath();

// The options that pick the blocks a command reads: -t,--table, which may
// be left out when the database holds one table, and --where, an SQL
// condition.
void addTableOption(CLI::App* cmd, std::string& table);
void addWhereOption(CLI::App* cmd, std::string& where);

// --by: the rows for each resource category, ore type, bench or search pass.
void addByOption(CLI::App* cmd, std::string& by);

// The ground a table of grades weighs: --deplete takes the run's void
// blocks off it, --within keeps what lies within a plan outline.
void addGroundOptions(CLI::App* cmd, bool& deplete, std::string& within);

}  // namespace vornel::cli

#endif
