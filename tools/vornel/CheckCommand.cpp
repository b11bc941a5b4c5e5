// vornel check: what is wrong with a database's catalog and its tables.
#include <strings.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "BlockClasses.h"
#include "Commands.h"
#include "Failure.h"
#include "GradeUnit.h"
#include "ModelCheck.h"
#include "ModelDatabase.h"
#include "OptionChecks.h"
#include "WaitIndicator.h"

namespace vornel::cli {
namespace {

struct CheckOptions {
    std::string db;
    std::string table;
};

const char* const kFooter = R"footer(
Errors are what the tables of grades, the sections and the depletion go
wrong on: a block table whose columns are not those it is read by, in
their order (rebuilt by another tool; nothing else of it is checked); a
block whose centre or size is no number or whose size is 0 or less; a
coefficient (the share of a block in the model) not above 0 and at most 1;
a sub-block outside its block, or overlapping another of its block; blocks
of one run that overlap (by more than 1 % of the smaller on every axis, as
import refuses them); a block number twice in a run; a grade that is no
number; a tonnage or volume below 0 or that is no number; a block number,
centre, size or coefficient stored as no number (empty, text or bytes,
read as 0 or as the number a text begins with); a
sub-block list that cannot be read (the block reads as whole); blocks of a
run the catalog does not list, and tables of blocks it lists no run in;
two catalog rows (runs or void tables) of one MineID; a catalog row
without an element, which the lists of runs and of void tables pass over;
a run whose block table is missing, or whose void table is a table of
another kind.
Warnings may be meant: a coefficient other than the share its sub-blocks
fill, a volume other than the box times the coefficient (by more than
1 %), a grade below 0 (a code for no value, as -999 may be), a kriging
variance below 0, a grade, variance or tonnage stored as no number
(reports leave such a block out, or weigh it as read), a category or
ore type of more than 19 bytes (read cut), a count of variogram structures
(Vrg_Num) other than the catalog holds, or no table of them, a run whose
void table is missing (as remove --table leaves its runs), a grade unit
code other than 0 (%), 1 (g/t) and 2 (ppm), read as %. Variogram
structures that cannot be read are an error.
The command exits with status 1 when it finds an error, 0 otherwise.
--table checks the blocks of one block or void table (and the catalog).

Examples:
  vornel check demo.db
  vornel check pit.db --table CU_OK
)footer";

struct Catalog {
    std::string path;
    std::vector<KrigBlockParam> runs;
    std::vector<std::string> tables;  // block tables, each once, as listed
    std::vector<std::string> voidTables;
};

Catalog readCatalog(CVornelMng& mng, const std::string& path) {
    Catalog c;
    c.path = path;
    c.tables = blockTables(mng);
    c.runs = catalogRuns(mng, c.tables);
    std::vector<_STRU_MINE_NAMEINFO> names;
    check(mng, mng.getAllVoidTblName(names), "cannot read the catalog");
    for (const _STRU_MINE_NAMEINFO& n : names) {
        c.voidTables.emplace_back(n.TableName);
    }
    return c;
}

// The MineIDs of catalog rows without an element, which the lists of runs
// and of void tables ask of a row: a table only such rows name is listed
// by neither. Read as blocks of one row made up for each, as wide as a
// catalog is made; none when the catalog is of another width.
std::optional<std::vector<int32_t>> rowsWithoutElement(CVornelMng& mng) {
    std::string row =
        "MineID, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, '', '', 0, NULL, 0, 0, 0, 0";
    constexpr int kCatalogWidth = 38;
    for (int column = 26; column < kCatalogWidth; ++column) {
        row += ", NULL";
    }
    KrigBlockResult* rows = nullptr;
    long count = 0;
    try {
        count = readMatching(mng, "KrigBlock_Param",
                             "0 UNION ALL SELECT " + row +
                                 " FROM KrigBlock_Param WHERE Mine_Element IS NULL ORDER BY 1",
                             "the catalog", &rows);
    } catch (const Failure&) {
        return std::nullopt;
    }
    std::vector<int32_t> ids;
    for (long i = 0; i < count; ++i) {
        ids.push_back(rows[i].MineID);
    }
    return ids;
}

std::string plural(long n, const std::string& one) {
    return std::to_string(n) + " " + one + (n == 1 ? "" : "s");
}

Findings checkCatalog(CVornelMng& mng, const Catalog& c) {
    Findings f;
    if (const std::optional<std::vector<int32_t>> ids = rowsWithoutElement(mng)) {
        for (const int32_t id : *ids) {
            f.add(Severity::Error,
                  "a catalog row without an element, which the lists of runs and of void tables "
                  "pass over",
                  "MineID " + std::to_string(id));
        }
    } else {
        f.add(Severity::Warning,
              "a catalog of other columns than it is made with, whose rows without an element "
              "could not be looked for",
              "");
    }
    const bool structuresStored = tableExists(mng, "KrigBlock_Vrg_Param");
    if (!structuresStored) {
        f.add(Severity::Warning,
              "no table of variogram structures (KrigBlock_Vrg_Param), so no run's variogram "
              "can be read",
              "");
    }
    for (const KrigBlockParam& run : c.runs) {
        const std::string name = "run " + std::to_string(run.MineID);
        if (gradeUnitOfCode(run.OreAttr_Unit).code != run.OreAttr_Unit) {
            f.add(Severity::Warning,
                  "a run whose grade unit (OreAttr_Unit) is none of 0 (%), 1 (g/t) and 2 (ppm), "
                  "so its grades are read as %",
                  name + ": " + std::to_string(run.OreAttr_Unit));
        }
        if (!tableExists(mng, run.Table_Name)) {
            f.add(Severity::Error, "a run whose block table is not in the database",
                  name + ": " + run.Table_Name);
        } else if (isVoidTable(mng, run.Table_Name)) {
            f.add(Severity::Error, "a run whose block table is a void table",
                  name + ": " + run.Table_Name);
        }
        // A void table taken out (remove --table) leaves its runs naming it,
        // to be imported again: only nothing is deducted meanwhile.
        const std::string voids = run.VoidTable_Name;
        const bool named = !voids.empty();
        const std::string example = std::string(name).append(": ").append(voids);
        if (named && !tableExists(mng, voids)) {
            f.add(Severity::Warning,
                  "a run whose void table is not in the database, so nothing is deducted", example);
        } else if (named && !isVoidTable(mng, voids)) {
            f.add(Severity::Error, "a run whose void table is not registered as one", example);
        }
        long count = 0;
        try {
            count = static_cast<long>(structuresOf(mng, c.path, run.MineID).size());
        } catch (const Failure& e) {
            f.add(Severity::Error, "a run whose variogram structures cannot be read", e.what());
            continue;
        }
        if (structuresStored && run.Vrg_Num != count) {
            f.add(Severity::Warning,
                  "a run whose count of variogram structures (Vrg_Num) is not the number stored",
                  name + ": " + std::to_string(run.Vrg_Num) + ", " + std::to_string(count) +
                      " stored");
        }
    }
    // Runs and void tables are found, changed and removed by their MineID:
    // two catalog rows of one answer for each other. Every row names one
    // table, so the rows of each table named, once, are every row once.
    std::set<std::string, ClassNameLess> named(c.tables.begin(), c.tables.end());
    named.insert(c.voidTables.begin(), c.voidTables.end());
    std::vector<KrigBlockParam> rows;
    for (const std::string& table : named) {
        const std::vector<KrigBlockParam> ofTable = runsOf(mng, table);
        rows.insert(rows.end(), ofTable.begin(), ofTable.end());
    }
    std::map<int32_t, std::string> tableOf;
    for (const KrigBlockParam& row : rows) {
        const auto [at, first] = tableOf.emplace(row.MineID, row.Table_Name);
        if (!first) {
            f.add(Severity::Error, "two catalog rows of one MineID",
                  "MineID " + std::to_string(row.MineID) + ": " + at->second + " and " +
                      row.Table_Name);
        }
    }
    for (const std::string& voids : c.voidTables) {
        if (!tableExists(mng, voids)) {
            f.add(Severity::Error, "a registered void table that is not in the database", voids);
        }
    }
    for (const auto& [table, count] : unlistedBlockTables(mng)) {
        f.add(Severity::Error,
              "a table of blocks the catalog lists no run in, which no command reads ('vornel "
              "remove --table' takes it out)",
              table + " (" + plural(count, "block") + ")");
    }
    return f;
}

// The blocks of a table that no run of the catalog listing that table owns.
void checkRuns(const Catalog& c, const std::string& table, const KrigBlockResult* blocks,
               long count, Findings& f) {
    std::set<int32_t> runs;
    for (const KrigBlockParam& run : c.runs) {
        if (strcasecmp(run.Table_Name, table.c_str()) == 0) {
            runs.insert(run.MineID);
        }
    }
    for (long i = 0; i < count; ++i) {
        if (runs.count(blocks[i].MineID) == 0) {
            f.add(Severity::Error, "blocks of a run the catalog does not list",
                  "block " + std::to_string(blocks[i].Krig_BlockID) + " of run " +
                      std::to_string(blocks[i].MineID));
        }
    }
}

// What a block read cannot tell from a 0 or an empty list stored: figures
// stored as no number (by another program), which read as 0 or as the
// number a text begins with, and
// sub-block lists that cannot be read, which read as none. Each is found by
// a condition on the stored values; the blocks read before are released.
void checkStoredValues(CVornelMng& mng, const std::string& table, bool withRun, Findings& f) {
    struct Kind {
        Severity severity;
        const char* what;
        std::vector<const char*> columns;
    };
    const Kind kinds[] = {
        {Severity::Error,
         "a block number, centre, size or coefficient stored as no number (empty, text or "
         "bytes), read as 0 or as the number a text begins with",
         {"Krig_BlockID", "Krig_PntLocX", "Krig_PntLocY", "Krig_PntLocZ", "Krig_GridSizeX",
          "Krig_GridSizeY", "Krig_GridSizeZ", "Block_Coef"}},
        {Severity::Warning,
         "a grade stored as no number (empty, text or bytes), which reports leave out",
         {"Krig_OutAttr"}},
        {Severity::Warning,
         "a kriging variance stored as no number (empty, text or bytes), read as 0 or as the "
         "number a text begins with",
         {"Krig_OutVari"}},
        {Severity::Warning,
         "a tonnage stored as no number (empty, text or bytes), read as 0 t or as the number a "
         "text begins with",
         {"Block_CorMass"}},
    };
    const std::string what = "the blocks of " + table;
    KrigBlockResult* blocks = nullptr;
    for (const Kind& kind : kinds) {
        for (const char* column : kind.columns) {
            const long count = readMatching(
                mng, table, std::string("typeof(") + column + ") NOT IN ('integer', 'real')", what,
                &blocks);
            for (long i = 0; i < count; ++i) {
                f.add(kind.severity, kind.what,
                      blockName(blocks[i].MineID, blocks[i].Krig_BlockID, withRun) + ": " + column);
            }
        }
    }
    // A list of no sub-blocks is their count alone, 0 in four bytes.
    const long count =
        readMatching(mng, table,
                     "length(SubBUDBlob) > 0 AND NOT (typeof(SubBUDBlob) = 'blob' AND SubBUDBlob = "
                     "zeroblob(4))",
                     what, &blocks);
    for (long i = 0; i < count; ++i) {
        if (blocks[i].SubBUD_Num <= 0) {
            f.add(Severity::Error,
                  "a sub-block list (SubBUDBlob) that cannot be read, so the block reads as whole",
                  blockName(blocks[i].MineID, blocks[i].Krig_BlockID, withRun));
        }
    }
    // The column counts 20 characters, a record keeps 19 bytes of them, up
    // to a NUL: two names alike in those would read as one class.
    for (const char* column : {"Krig_ResType", "Krig_OreType"}) {
        const long cut = readMatching(mng, table, cutByReadCondition(column), what, &blocks);
        for (long i = 0; i < cut; ++i) {
            f.add(Severity::Warning,
                  "a category or ore type of more than the 19 bytes a block read keeps, or "
                  "holding a NUL byte, read cut",
                  blockName(blocks[i].MineID, blocks[i].Krig_BlockID, withRun) + ": " + column);
        }
    }
}

void printFindings(std::ostream& out, const std::string& subject, const Findings& f) {
    const long errors = f.count(Severity::Error);
    const long warnings = f.count(Severity::Warning);
    out << "  " << subject << ": ";
    if (f.list().empty()) {
        out << "no problem\n";
        return;
    }
    out << errors << (errors == 1 ? " error, " : " errors, ") << warnings
        << (warnings == 1 ? " warning\n" : " warnings\n");
    for (const Finding& finding : f.list()) {
        out << "    " << (finding.severity == Severity::Error ? "error    " : "warning  ")
            << finding.what << ": " << finding.count;
        for (size_t i = 0; i < finding.examples.size(); ++i) {
            out << (i == 0 ? " (" : "; ") << finding.examples[i];
        }
        out << (finding.examples.empty()                                     ? ""
                : finding.count > static_cast<long>(finding.examples.size()) ? "; ...)"
                                                                             : ")")
            << '\n';
    }
}

void runCheck(const CheckOptions& o) {
    CVornelMng mng;
    openModel(mng, o.db);
    const Catalog catalog = readCatalog(mng, o.db);
    std::vector<std::string> tables = catalog.tables;
    std::vector<std::string> voidTables = catalog.voidTables;
    if (!o.table.empty()) {
        const bool isVoid = isVoidTable(mng, o.table);
        const std::string table = isVoid ? o.table : chosenTable(mng, o.db, o.table);
        tables.clear();
        voidTables.clear();
        (isVoid ? voidTables : tables).push_back(table);
    }
    std::cout << "Checked " << o.db << ": " << plural(static_cast<long>(catalog.runs.size()), "run")
              << " in " << plural(static_cast<long>(catalog.tables.size()), "table") << ", "
              << plural(static_cast<long>(catalog.voidTables.size()), "void table") << '\n';
    long errors = 0;
    long warnings = 0;
    const auto tally = [&](const std::string& subject, const Findings& f) {
        printFindings(std::cout, subject, f);
        errors += f.count(Severity::Error);
        warnings += f.count(Severity::Warning);
    };
    tally("catalog", checkCatalog(mng, catalog));
    // A table the library cannot read is one more finding, and the others
    // are checked still.
    const auto unreadable = [&](const std::string& subject, const Failure& e) {
        Findings f;
        f.add(Severity::Error, "a table that cannot be read", e.what());
        tally(subject, f);
    };
    for (const std::string& table : tables) {
        if (!tableExists(mng, table) || isVoidTable(mng, table)) {
            continue;
        }
        try {
            std::string subject = "table " + table;
            Findings f;
            {
                // The search for overlaps and the scans of stored values
                // take seconds each on millions of blocks.
                const WaitIndicator wait("checking " + table);
                const std::string misread = misreadColumns(mng, table);
                if (!misread.empty()) {
                    f.add(Severity::Error,
                          "a table whose columns are not those it is read by, in their order",
                          misread);
                } else {
                    KrigBlockResult* blocks = nullptr;
                    const long count = readWholeTable(mng, table, &blocks);
                    f = checkBlocks(blocks, count);
                    checkRuns(catalog, table, blocks, count, f);
                    const bool withRun = std::any_of(
                        blocks, blocks + count,
                        [&](const KrigBlockResult& b) { return b.MineID != blocks[0].MineID; });
                    checkStoredValues(mng, table, withRun, f);
                    subject += " (" + plural(count, "block") + ")";
                }
            }
            tally(subject, f);
        } catch (const Failure& e) {
            unreadable("table " + table, e);
        }
    }
    for (const std::string& table : voidTables) {
        if (!tableExists(mng, table)) {
            continue;
        }
        try {
            KrigBlockVoid* voids = nullptr;
            const long count = readVoids(mng, o.db, table, &voids);
            tally("void table " + table + " (" + plural(count, "void block") + ")",
                  checkVoids(voids, count));
        } catch (const Failure& e) {
            unreadable("void table " + table, e);
        }
    }
    std::cout << (errors + warnings == 0
                      ? std::string("No problem found.")
                      : plural(errors, "error") + " and " + plural(warnings, "warning") + ".")
              << '\n';
    if (errors > 0) {
        throw Failure(o.db + ": " + plural(errors, "error") + " found");
    }
}

}  // namespace

void addCheckCommand(CLI::App& app) {
    auto o = std::make_shared<CheckOptions>();
    CLI::App* cmd = app.add_subcommand(
        "check",
        "Look for what is wrong in a database: overlapping blocks, stray sub-blocks, "
        "missing tables, impossible figures");
    addDatabaseOption(cmd, o->db);
    cmd->add_option("-t,--table", o->table, "Check the blocks of this table only");
    cmd->footer(kFooter);
    cmd->callback([o] { runCheck(*o); });
}

}  // namespace vornel::cli
