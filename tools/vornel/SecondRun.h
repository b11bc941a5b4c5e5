// A second run set beside the first, as compare, swath and stats take it:
// another kriging plan, or last year's model, perhaps in another database.
#ifndef VORNEL_CLI_SECONDRUN_H
#define VORNEL_CLI_SECONDRUN_H

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

#include "vornel/KrigBlockParam.h"

namespace vornel::cli {

struct SecondRun {
    std::string table;  // empty: none
    std::string db;     // empty: the first run's
    std::string where;

    const std::string& dbBeside(const std::string& first) const { return db.empty() ? first : db; }
};

// Registers --with, whose help is `help`, --with-db and --with-where, and
// returns --with.
CLI::Option* addSecondRunOptions(CLI::App* cmd, SecondRun& second, const std::string& help);

// Throws UsageError for --with-db or --with-where without --with.
void requireSecondTable(const SecondRun& second);

// The names of the two runs' tables, told apart by their databases when
// they are the same: "CU of a.db" and "CU of b.db".
void nameApart(std::string& first, std::string& second, const std::string& firstDb,
               const std::string& secondDb);

// Throws Failure unless the runs estimate one element in one unit; `needs`
// says what needs it ("compare runs of one element and unit").
void requireOneEstimate(const std::string& first, const std::optional<KrigBlockParam>& firstRun,
                        const std::string& second, const std::optional<KrigBlockParam>& secondRun,
                        const std::string& needs);

}  // namespace vornel::cli

#endif
