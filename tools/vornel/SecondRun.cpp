#include "SecondRun.h"

#include "Failure.h"
#include "ModelFacts.h"

namespace vornel::cli {

CLI::Option* addSecondRunOptions(CLI::App* cmd, SecondRun& second, const std::string& help) {
    CLI::Option* with = cmd->add_option("--with", second.table, help);
    cmd->add_option("--with-db", second.db, "Database of the second run, when it is another");
    cmd->add_option("--with-where", second.where,
                    "SQL condition selecting the second run's blocks");
    return with;
}

void requireSecondTable(const SecondRun& second) {
    if (second.table.empty() && !(second.db.empty() && second.where.empty())) {
        throw UsageError("--with-db and --with-where go with --with, the second run's table");
    }
}

void nameApart(std::string& first, std::string& second, const std::string& firstDb,
               const std::string& secondDb) {
    if (first == second) {
        first += " of " + firstDb;
        second += " of " + secondDb;
    }
}

void requireOneEstimate(const std::string& first, const std::optional<KrigBlockParam>& firstRun,
                        const std::string& second, const std::optional<KrigBlockParam>& secondRun,
                        const std::string& needs) {
    if (estimateOf(firstRun) != estimateOf(secondRun)) {
        throw Failure(first + " estimates " + estimateOf(firstRun) + ", " + second + " " +
                      estimateOf(secondRun) + ": " + needs);
    }
}

}  // namespace vornel::cli
