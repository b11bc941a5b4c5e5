#include "SecondRun.h"

#include <strings.h>

#include "Failure.h"
#include "ModelFacts.h"
#include "OptionChecks.h"

namespace vornel::cli {

CLI::Option* addSecondRunOptions(CLI::App* cmd, SecondRun& second, const std::string& help) {
    CLI::Option* with = cmd->add_option("--with", second.table, help);
    cmd->add_option("--with-db", second.db, "Database of the second run, when it is another")
        ->check(databasePath());
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
               const SecondRun& other, const std::string& firstWhere) {
    if (first != second) {
        return;
    }
    const std::string& secondDb = other.dbBeside(firstDb);
    if (secondDb != firstDb) {
        first += " of " + firstDb;
        second += " of " + secondDb;
    } else if (other.where != firstWhere) {
        const auto where = [](const std::string& c) {
            return c.empty() ? " (all)" : " where " + c;
        };
        first += where(firstWhere);
        second += where(other.where);
    } else {
        first += " (first)";
        second += " (second)";
    }
}

void requireOneEstimate(const std::string& first, const std::optional<KrigBlockParam>& firstRun,
                        const std::string& second, const std::optional<KrigBlockParam>& secondRun,
                        const std::string& needs) {
    // Elements match in any letter case, as the catalog finds them.
    if (strcasecmp(estimateOf(firstRun).c_str(), estimateOf(secondRun).c_str()) != 0) {
        throw Failure(first + " estimates " + estimateOf(firstRun) + ", " + second + " " +
                      estimateOf(secondRun) + ": " + needs);
    }
}

}  // namespace vornel::cli
