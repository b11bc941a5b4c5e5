// A second run set beside the first, as compare, swath and stats take it:
// another kriging plan, or last year's model, perhaps in another database.
#ifndef VORNEL_CLI_SECONDRUN_H
#define VORNEL_CLI_SECONDRUN_H

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

#include "Failure.h"
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

// The names of the two runs' tables, told apart when they are the same: by
// their databases ("CU of a.db" and "CU of b.db"), or, in one database, by
// their conditions ("CU where MineID = 1" and "CU (all)"), or else as the
// first and the second.
void nameApart(std::string& first, std::string& second, const std::string& firstDb,
               const SecondRun& other, const std::string& firstWhere);

// Throws Failure unless the runs estimate one element in one unit; `needs`
// says what needs it ("compare runs of one element and unit").
void requireOneEstimate(const std::string& first, const std::optional<KrigBlockParam>& firstRun,
                        const std::string& second, const std::optional<KrigBlockParam>& secondRun,
                        const std::string& needs);

// What `work` returns, done for the run called `label`, one of `runs` set
// side by side: when there are two, a failure of it is told as that run's.
template <class Work>
auto ofRun(const std::string& label, size_t runs, Work work) -> decltype(work()) {
    try {
        return work();
    } catch (const UsageError&) {
        throw;
    } catch (const Failure& e) {
        if (runs < 2) {
            throw;
        }
        throw Failure(label + ": " + e.what());
    }
}

}  // namespace vornel::cli

#endif
