// vornel migrate: an Access block-model database into a new database.
#include <strings.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>

#include "Commands.h"
#include "Failure.h"
#include "Interrupt.h"
#include "OptionChecks.h"
#include "Stopwatch.h"
#include "vornel/Migrate.h"

namespace vornel::cli {
namespace {

struct MigrateOptions {
    std::string from;
    std::string to;
};

void runMigrate(const MigrateOptions& o) {
    Stopwatch clock;
    MigrationReport report;
    // The migration writes NEW.migrating and removes it when it fails, but
    // an interrupted process runs no clean-up of its own. A file of that
    // name that is there already is another's, and the migration refuses it.
    const std::string pending = o.to + ".migrating";
    std::optional<RemovedIfInterrupted> unfinished;
    std::error_code unknown;  // a name too long, say: the migration tells
    if (!o.to.empty() && !std::filesystem::exists(pending, unknown) && !unknown) {
        unfinished.emplace(pending, true);
    }
    const long complete = migrateAccessDatabase(o.from, o.to, report);
    if (!report.error.empty()) {
        throw Failure(report.error);  // nothing was written
    }
    std::cout << migrationSummary(report);
    const bool catalog = std::any_of(report.tables.begin(), report.tables.end(), [](const auto& t) {
        return strcasecmp(t.name.c_str(), "KrigBlock_Param") == 0;
    });
    if (!catalog) {
        std::cout << "note: " << o.from
                  << " held no block-model catalog (KrigBlock_Param): the other commands "
                     "will not take "
                  << o.to << " for a block-model database\n";
    }
    std::cout << "took " << clock.text() << '\n';
    if (complete == 0) {
        throw Failure(o.to + " is written, but not everything came over from " + o.from +
                      " (see the summary)");
    }
}

}  // namespace

void addMigrateCommand(CLI::App& app) {
    auto o = std::make_shared<MigrateOptions>();
    CLI::App* cmd = app.add_subcommand(
        "migrate", "Convert an Access (.mdb) block-model database into a new database");
    cmd->add_option("OLD", o->from, "Access database (Jet 3 or Jet 4) to read")
        ->required()
        ->check(databasePath());
    cmd->add_option("NEW", o->to, "Database to write; it must not exist")
        ->required()
        ->check(databasePath());
    cmd->footer(R"(
Every user table comes over with all its rows; the library's own tables (runs, variogram
structures, block results, void blocks) are made again with their own definitions and index,
so the new file works like one this library created. Indexes, keys, relationships, saved
queries, forms and reports stay behind; so do Replication ID and Decimal columns, which the
summary names.

The summary gives one line per table (rows written of rows read, and anything not carried,
with the reason), then a verdict. The exit status is 0 only when everything came over. NEW is
written as NEW.migrating and renamed at the end: a migration that stops leaves neither file.

Example:
  vornel migrate old/pit2019.mdb pit2019.db
)");
    cmd->callback([o] { runMigrate(*o); });
}

}  // namespace vornel::cli
