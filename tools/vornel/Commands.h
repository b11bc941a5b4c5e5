// The subcommands of `vornel`, each adding itself to the application with
// its options, help text and the work it runs.
#ifndef VORNEL_CLI_COMMANDS_H
#define VORNEL_CLI_COMMANDS_H

#include <CLI/CLI.hpp>

namespace vornel::cli {

void addDemoCommand(CLI::App& app);
void addImportCommand(CLI::App& app);
void addExportCommand(CLI::App& app);
void addInfoCommand(CLI::App& app);
void addReportCommand(CLI::App& app);
void addCompareCommand(CLI::App& app);
void addClassifyCommand(CLI::App& app);
void addStatsCommand(CLI::App& app);
void addCheckCommand(CLI::App& app);
void addSwathCommand(CLI::App& app);
void addRegularizeCommand(CLI::App& app);
void addSectionCommand(CLI::App& app);
void addRemoveCommand(CLI::App& app);
void addCompactCommand(CLI::App& app);
void addMigrateCommand(CLI::App& app);
void addVariogramCommand(CLI::App& app);

}  // namespace vornel::cli

#endif
