// vornel info: the runs of a database with their tables, block counts and
// ranges, and its void tables.
#include <iostream>
#include <memory>
#include <set>

#include "Commands.h"
#include "ModelDatabase.h"
#include "ModelFacts.h"

namespace vornel::cli {
namespace {

void runInfo(const std::string& db) {
    CVornelMng mng;
    openModel(mng, db);
    std::vector<_STRU_MINE_NAMEINFO> tables;
    check(mng, mng.getAllKrigTblName(tables), "cannot read the catalog");
    std::vector<_STRU_MINE_NAMEINFO> voids;
    check(mng, mng.getAllVoidTblName(voids), "cannot read the catalog");

    std::vector<KrigBlockParam> runs;
    std::set<std::string> seen;
    for (const _STRU_MINE_NAMEINFO& t : tables) {
        KrigBlockParam* rows = nullptr;
        long count = 0;
        if (seen.insert(t.TableName).second && mng.getBlockParam(t.TableName, &rows, &count)) {
            runs.insert(runs.end(), rows, rows + count);
        }
    }
    std::cout << db << ": " << runs.size() << (runs.size() == 1 ? " run, " : " runs, ")
              << voids.size() << (voids.size() == 1 ? " void table" : " void tables") << '\n';
    for (const KrigBlockParam& run : runs) {
        printRun(std::cout, mng, run);
    }
    for (const _STRU_MINE_NAMEINFO& v : voids) {
        std::cout << "\nVoid table " << v.TableName << ": "
                  << voidSummary(readVoidFacts(mng, v.TableName)) << '\n';
    }
}

}  // namespace

void addInfoCommand(CLI::App& app) {
    auto db = std::make_shared<std::string>();
    CLI::App* cmd = app.add_subcommand(
        "info", "List the runs: elements, tables, block counts, grade and position ranges");
    cmd->add_option("DB", *db, "Database file")->required();
    cmd->footer(R"(
For each run of the catalog (KrigBlock_Param): its block table and element,
the number of blocks (whole, and split into sub-blocks), the range of grades,
kriging variances and block centres, its grid, search and variogram, and its
void table; then each void table with its number of blocks.
)");
    cmd->callback([db] { runInfo(*db); });
}

}  // namespace vornel::cli
