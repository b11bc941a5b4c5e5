// vornel info: the runs of a database with their tables, block counts and
// ranges, and its void tables.
#include <algorithm>
#include <iostream>
#include <memory>
#include <sstream>

#include "Commands.h"
#include "InfoJson.h"
#include "ModelDatabase.h"
#include "ModelFacts.h"
#include "OptionChecks.h"

namespace vornel::cli {
namespace {

struct InfoOptions {
    std::string db;
    bool json = false;
};

void runInfo(const InfoOptions& o) {
    const std::string& db = o.db;
    CVornelMng mng;
    openModel(mng, db);
    const std::vector<KrigBlockParam> runs = catalogRuns(mng, blockTables(mng));
    std::vector<_STRU_MINE_NAMEINFO> voids;
    check(mng, mng.getAllVoidTblName(voids), "cannot read the catalog");
    // Written whole once every table is read: a table that cannot be read
    // fails the command with nothing printed, not half a listing (or half a
    // JSON document) that would pass for the database's.
    std::ostringstream out;
    if (o.json) {
        std::vector<std::string> voidTables(voids.size());
        std::transform(voids.begin(), voids.end(), voidTables.begin(),
                       [](const _STRU_MINE_NAMEINFO& v) { return std::string(v.TableName); });
        writeInfoJson(out, mng, db, runs, voidTables);
    } else {
        out << db << ": " << runs.size() << (runs.size() == 1 ? " run, " : " runs, ")
            << voids.size() << (voids.size() == 1 ? " void table" : " void tables") << '\n';
        for (const KrigBlockParam& run : runs) {
            printRun(out, mng, o.db, run);
        }
        for (const _STRU_MINE_NAMEINFO& v : voids) {
            out << "\nVoid table " << v.TableName << ": "
                << voidSummary(readVoidFacts(mng, o.db, v.TableName)) << '\n';
        }
    }
    std::cout << out.str();
}

}  // namespace

void addInfoCommand(CLI::App& app) {
    auto o = std::make_shared<InfoOptions>();
    CLI::App* cmd = app.add_subcommand(
        "info", "List the runs: elements, tables, block counts, grade and position ranges");
    addDatabaseOption(cmd, o->db);
    cmd->add_flag("--json", o->json, "The same as one JSON document, for scripts");
    cmd->footer(R"footer(
For each run of the catalog (KrigBlock_Param): its block table and element,
the number of blocks (whole, and split into sub-blocks), the range of grades,
kriging variances and block centres, its categories, ore types and search
passes, its grid, search and variogram, and its void table; then each void
table with its number of blocks.
--json writes the same as one JSON document: "runs", each with its counts,
ranges ("grade": {"min", "max"}, null where no block has a grade),
"categories", "ore_types" and "passes" as lists of {"name", "blocks"} in
the order of a resource statement ("(none)" last, for blocks without one),
"grid" (its "blocks", "size", "start" and "end"
as [x, y, z]), "search" and "variogram" (null when not recorded); then
"void_tables", each with its "void_blocks" and "volume" (m3). A figure that
is not a finite number is the text "inf", "-inf" or "nan".

Example:
  vornel info demo.db --json | jq '.runs[0].grid.start'
)footer");
    cmd->callback([o] { runInfo(*o); });
}

}  // namespace vornel::cli
