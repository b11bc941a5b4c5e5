// vornel remove: takes a run, a block table with its runs, or a void table
// out of a database, catalog rows and all.
#include <strings.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "BlockClasses.h"
#include "Commands.h"
#include "Failure.h"
#include "ModelDatabase.h"
#include "OptionChecks.h"

namespace vornel::cli {
namespace {

struct RemoveOptions {
    std::string db;
    std::string table;
    long run = 0;
    bool yes = false;
};

const char* const kFooter = R"(
--table removes a block table with every run registered in it (their
catalog rows and variogram structures), a table of blocks the catalog
lists no run in, or a void table with its registration; --run removes one run: its table too when no other run keeps
blocks there, otherwise only its blocks (and nothing while the table holds
blocks of a MineID no run of the catalog has). Runs that name a removed
void table keep the name, and take a new table of that name (import
--voids) as theirs.

Without --yes the command only tells what it would remove. The work is one
transaction, checked before it is committed: stopped or failed, the command
removes nothing. The file keeps its size until 'vornel compact'.

Examples:
  vornel remove pit.db --run 3 --yes
  vornel remove pit.db --table OLD_STOPES --yes
)";

// The catalog's spelling of a table it lists, as a block or a void table.
std::string catalogName(CVornelMng& mng, const std::string& path, const std::string& asked) {
    std::vector<_STRU_MINE_NAMEINFO> names;
    mng.getAllKrigTblName(names);
    std::vector<_STRU_MINE_NAMEINFO> voids;
    mng.getAllVoidTblName(voids);
    names.insert(names.end(), voids.begin(), voids.end());
    std::string known;
    std::set<std::string, ClassNameLess> listed;  // runs that share a table name it once
    // A catalog that lists itself would be dropped with the runs.
    if (strcasecmp(asked.c_str(), "KrigBlock_Param") == 0 ||
        strcasecmp(asked.c_str(), "KrigBlock_Vrg_Param") == 0) {
        throw Failure(path + ": " + asked + " is the catalog, not a run's table");
    }
    for (const _STRU_MINE_NAMEINFO& n : names) {
        if (strcasecmp(n.TableName, asked.c_str()) == 0) {
            return n.TableName;
        }
        if (listed.insert(n.TableName).second) {
            known += (known.empty() ? "" : ", ") + std::string(n.TableName);
        }
    }
    for (const auto& [table, count] : unlistedBlockTables(mng)) {
        if (strcasecmp(table.c_str(), asked.c_str()) == 0) {
            return table;
        }
    }
    throw Failure(path + ": the catalog lists no table '" + asked + "'" +
                  (known.empty() ? std::string() : " (tables: " + known + ")"));
}

// "run 1 (Cu, 12 blocks)": the blocks the table holds under the run's
// MineID, or all of them when the table is the run's alone.
std::string runText(CVornelMng& mng, const std::string& table, const KrigBlockParam& run,
                    bool ownsTable) {
    std::string text = "run " + std::to_string(run.MineID) + " (" + run.Mine_Element;
    if (tableExists(mng, table)) {
        KrigBlockResult* blocks = nullptr;
        const long count =
            readMatching(mng, table, ownsTable ? "1" : "MineID = " + std::to_string(run.MineID),
                         "the blocks of " + table, &blocks);
        text += ", " + std::to_string(count) + (count == 1 ? " block" : " blocks");
    }
    return text + ")";
}

std::string voidTableText(CVornelMng& mng, const std::string& path, const std::string& table) {
    if (!tableExists(mng, table)) {
        return "void table " + table + " (registered, but the table is missing)";
    }
    KrigBlockVoid* voids = nullptr;
    const long count = readVoids(mng, path, table, &voids);
    return "void table " + table + " (" + std::to_string(count) +
           (count == 1 ? " void block)" : " void blocks)");
}

// What a void table's removal leaves: the runs that name it, a line each.
// Read before the removal, which may not fail once it is done.
std::string usersOf(CVornelMng& mng, const std::string& table) {
    std::string lines;
    std::vector<_STRU_MINE_NAMEINFO> elements;
    mng.getBlockElementByVoid(table, elements);
    // Elements alike but for case are listed apart, and each finds both.
    std::set<std::string, ClassNameLess> told;
    for (const _STRU_MINE_NAMEINFO& e : elements) {
        std::vector<_STRU_MINE_NAMEINFO> users;
        mng.getTblNameByElementAndVoidTbl(e.ElementName, table, users);
        for (const _STRU_MINE_NAMEINFO& u : users) {
            if (!told.insert(u.TableName).second) {
                continue;
            }
            std::string element = e.ElementName;
            for (const KrigBlockParam& run : runsOf(mng, u.TableName)) {
                if (strcasecmp(run.VoidTable_Name, table.c_str()) == 0) {
                    element = run.Mine_Element;
                    break;
                }
            }
            lines.append("  ").append(u.TableName).append(" (").append(element).append(") names ");
            lines.append(table).append(" as its void table: 'import --voids --table ");
            lines.append(table).append("' gives it one again\n");
        }
    }
    return lines;
}

// The library goes on past a statement the database refuses (a trigger or
// constraint of another program's), so what should be gone is looked for
// before the transaction ends.
void confirmGone(CVornelMng& mng, const std::string& table, const std::vector<KrigBlockParam>& runs,
                 bool dropped) {
    bool gone = !dropped || !tableExists(mng, table);
    for (const KrigBlockParam& run : runs) {
        KrigBlockParam* rows = nullptr;
        KrigBlockVrgParam* structures = nullptr;
        long count = 0;
        gone = gone && (mng.getBlockParam(run.MineID, &rows, &count) == 0 || count == 0);
        gone = gone && (mng.getBlockVrgParam(run.MineID, &structures, &count) == 0 || count == 0);
        KrigBlockResult* blocks = nullptr;
        gone = gone && (dropped || !tableExists(mng, table) ||
                        readMatching(mng, table, "MineID = " + std::to_string(run.MineID),
                                     "the blocks of " + table, &blocks) == 0);
    }
    if (!gone) {
        throw Failure(table +
                      ": the database kept part of what was to be removed (a trigger or "
                      "constraint of another program?); nothing is removed");
    }
}

// The MineIDs that the table's blocks carry.
std::set<long> mineIdsIn(CVornelMng& mng, const std::string& table) {
    std::set<long> ids;
    if (tableExists(mng, table)) {
        KrigBlockResult* blocks = nullptr;
        // A block or so of each MineID is enough to name it.
        const long count = readMatching(
            mng, table,
            "Krig_BlockID IN (SELECT min(Krig_BlockID) FROM [" + table + "] GROUP BY MineID)",
            "the blocks of " + table, &blocks);
        for (long i = 0; i < count; ++i) {
            ids.insert(blocks[i].MineID);
        }
    }
    return ids;
}

// A run is removed by its MineID, as every reader finds its rows: one the
// catalog registers for another table too would take that table's run.
void refuseSharedMineId(CVornelMng& mng, const std::string& path, const KrigBlockParam& run) {
    if (run.MineID < 1) {
        return;  // no call finds a row by it
    }
    KrigBlockParam* rows = nullptr;
    long count = 0;
    check(mng, mng.getBlockParam(run.MineID, &rows, &count), path + ": cannot read the catalog");
    for (long i = 0; i < count; ++i) {
        if (strcasecmp(rows[i].Table_Name, run.Table_Name) != 0) {
            throw Failure(path + ": MineID " + std::to_string(run.MineID) + " is registered for " +
                          run.Table_Name + " and for " + rows[i].Table_Name +
                          ": removing the one would take the other's rows too ('vornel check' "
                          "lists such MineIDs); nothing removed");
        }
    }
}

void confirmOrStop(const RemoveOptions& o, const std::string& what) {
    if (!o.yes) {
        std::cout << "Would remove " << what << " from " << o.db << '\n';
        throw UsageError("nothing removed: give --yes to remove it");
    }
}

void removeTable(CVornelMng& mng, const RemoveOptions& o) {
    const std::string table = catalogName(mng, o.db, o.table);
    const std::vector<KrigBlockParam> runs = runsOf(mng, table);
    const auto voidRows = std::count_if(runs.begin(), runs.end(), [](const KrigBlockParam& r) {
        return strcasecmp(r.Mine_Element, kVoidElement) == 0;  // as the catalog's lists match it
    });
    if (voidRows != 0 && voidRows != static_cast<long>(runs.size())) {
        throw Failure(o.db + ": the catalog registers " + table +
                      " both as a void table and as a run's block table ('vornel check' says "
                      "which rows); nothing removed");
    }
    for (const KrigBlockParam& run : runs) {
        refuseSharedMineId(mng, o.db, run);
    }
    const bool isVoid = voidRows != 0;
    std::string what;
    if (isVoid) {
        what = voidTableText(mng, o.db, table);
    } else {
        what = "table " + table + (tableExists(mng, table) ? "" : " (missing)") + " with";
        for (size_t i = 0; i < runs.size(); ++i) {
            what += (i == 0 ? " " : ", ") + runText(mng, table, runs[i], runs.size() == 1);
        }
        if (runs.empty()) {
            what += " the blocks of no run the catalog lists";
        }
    }
    const std::string users = isVoid ? usersOf(mng, table) : "";
    confirmOrStop(o, what);
    HostTransaction transaction(mng, o.db);
    const std::string why = "cannot remove " + table;
    check(mng, mng.deleteBlockParam(table), why);
    // The structures by their runs' MineIDs, as every reader finds them: the
    // table a structure names may be another's, or none.
    for (const KrigBlockParam& run : runs) {
        if (run.MineID >= 1) {
            check(mng, mng.deleteBlockVrgParam(run.MineID), why);
        }
    }
    if (tableExists(mng, table)) {
        check(mng, mng.dropTable(table), why);
    }
    confirmGone(mng, table, runs, true);
    transaction.commit("removing " + what + " from " + o.db);
    std::cout << "Removed " << what << " from " << o.db << '\n' << users;
}

void removeRun(CVornelMng& mng, const RemoveOptions& o) {
    KrigBlockParam* rows = nullptr;
    long count = 0;
    if (mng.getBlockParam(o.run, &rows, &count) == 0 || count < 1) {
        throw Failure(o.db + ": the catalog lists no run " + std::to_string(o.run) +
                      " ('vornel info' lists the runs)");
    }
    const KrigBlockParam run = rows[0];
    refuseSharedMineId(mng, o.db, run);
    const std::string table = run.Table_Name;
    if (strcasecmp(run.Mine_Element, kVoidElement) == 0) {
        throw Failure(o.db + ": MineID " + std::to_string(o.run) + " registers the void table " +
                      table + ": remove it with --table " + table);
    }
    std::string others;
    std::set<long> listed;
    for (const KrigBlockParam& r : runsOf(mng, table)) {
        if (r.MineID != run.MineID && listed.insert(r.MineID).second) {
            others += (others.empty() ? "" : ", ") + std::to_string(r.MineID);
        }
    }
    // The table is the run's alone when the catalog lists no other run there
    // and its blocks carry one MineID, whichever (as a writer that leaves it
    // 0 stores them). Otherwise blocks of a MineID no run owns would go with
    // the table, or stay in it with no run of the catalog's to find them by.
    const std::set<long> carried = mineIdsIn(mng, table);
    const bool ownsTable = listed.empty() && carried.size() <= 1;
    std::string unlisted;
    for (const long id : carried) {
        if (!ownsTable && id != run.MineID && listed.count(id) == 0) {
            unlisted += (unlisted.empty() ? "" : ", ") + std::to_string(id);
        }
    }
    if (!unlisted.empty()) {
        throw Failure(o.db + ": " + table + " also holds blocks of MineID " + unlisted +
                      ", which the catalog lists for no run; remove the whole table with --table " +
                      table + ", or those blocks first");
    }
    const std::string what =
        runText(mng, table, run, ownsTable) +
        (table.empty() ? ", which names no table"
         : others.empty()
             ? " with its table " + table + (tableExists(mng, table) ? "" : " (missing)")
             : " from table " + table + ", which keeps run " + others);
    confirmOrStop(o, what);
    HostTransaction transaction(mng, o.db);
    const std::string why = "cannot remove run " + std::to_string(run.MineID);
    if (others.empty() && !table.empty()) {
        check(mng, mng.deleteBlock(table, run.MineID), why);
    } else {
        if (tableExists(mng, table)) {
            check(mng, mng.deleteBlockByID(table, run.MineID), why);
        }
        check(mng, mng.deleteBlockParam(run.MineID), why);
        check(mng, mng.deleteBlockVrgParam(run.MineID), why);
    }
    confirmGone(mng, table, {run}, others.empty());
    transaction.commit("removing " + what + " from " + o.db);
    std::cout << "Removed " << what << " from " << o.db << '\n';
}

void runRemove(const RemoveOptions& o) {
    if (o.table.empty() == (o.run == 0)) {
        throw UsageError("give either --table or --run");
    }
    CVornelMng mng;
    openModel(mng, o.db);
    if (o.run != 0) {
        removeRun(mng, o);
    } else {
        removeTable(mng, o);
    }
}

}  // namespace

void addRemoveCommand(CLI::App& app) {
    auto o = std::make_shared<RemoveOptions>();
    CLI::App* cmd =
        app.add_subcommand("remove", "Take a run, a block table or a void table out of a database");
    addDatabaseOption(cmd, o->db);
    cmd->add_option("-t,--table", o->table, "Block or void table to remove, with its runs");
    cmd->add_option("--run", o->run, "MineID of the run to remove")
        ->check(CLI::Range(1L, 2147483647L));
    cmd->add_flag("--yes", o->yes, "Remove; without it, tell what would be removed");
    cmd->footer(kFooter);
    cmd->callback([o] { runRemove(*o); });
}

}  // namespace vornel::cli
