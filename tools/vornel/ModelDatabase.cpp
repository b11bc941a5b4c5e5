#include "ModelDatabase.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <vector>

#include "Failure.h"
#include "Interrupt.h"
#include "OutputFile.h"
#include "WaitIndicator.h"

namespace vornel::cli {
namespace {

constexpr size_t kLongestName = 19;

// A database that an import is making holds nothing until it is done.
constexpr const char kBeingMade[] = " (if an import is making it, try again once that is done)";

// Why the path names no file a database could be in, or empty: found from
// the folder alone.
std::string notAFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(followLinks(path), ec)) {
        if (ec) {
            return "cannot be read: " + ec.message();
        }
        const std::string copy = compactionCopyPath(path);
        return std::filesystem::exists(copy, ec)
                   ? "no such file, but '" + copy +
                         "' lies where a compaction of it cut short would leave its copy: if "
                         "that file is this database, rename it to '" +
                         path + "' to recover it"
                   : "no such file";
    }
    if (std::filesystem::is_directory(path, ec)) {
        return "a directory, not a database file";
    }
    // Reading a named pipe would wait for a writer; a device holds no file.
    if (!std::filesystem::is_regular_file(path, ec)) {
        return "not a regular file, so not a database file";
    }
    return {};
}

// What the first bytes of a file say it is, when not a database. The library
// refuses such files too, but in its own terms; the user wants to hear what
// the file is. Read only when no manager has the file open: closing a file
// drops every lock the process holds on it, the library's connections' too.
std::string notADatabase(const std::string& path) {
    char head[20] = {};
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::string("cannot be read: ") + std::strerror(errno);
    }
    in.read(head, sizeof head);
    const std::streamsize got = in.gcount();
    if (got == 0) {
        return std::string("an empty file, not a block-model database") + kBeingMade;
    }
    if (got == sizeof head && std::memcmp(head, "SQLite format 3", 16) == 0) {
        return {};
    }
    if (got == sizeof head && (std::memcmp(head + 4, "Standard Jet DB", 15) == 0 ||
                               std::memcmp(head + 4, "Standard ACE DB", 15) == 0)) {
        return "an Access database; convert it with: vornel migrate '" + path + "' NEW.db";
    }
    return "not a database file (a block-model database is an SQLite file)";
}

// The manager's text, less the words that name the database ("cannot open
// database 'P': ") when `what` names it already.
std::string reasonOf(const CVornelMng& mng, const std::string& what) {
    std::string why = mng.lastError();
    const std::string naming = "database '" + what + "': ";
    const size_t at = why.find(naming);
    if (at != std::string::npos && why.compare(0, 7, "cannot ") == 0 &&
        why.find(':') == at + naming.size() - 2) {
        why.erase(0, at + naming.size());
    }
    // "cannot read the blocks: no such column" under "cannot read the
    // blocks of T" says what failed twice.
    const size_t colon = why.find(": ");
    if (colon != std::string::npos && what.compare(0, colon, why, 0, colon) == 0 &&
        (what.size() == colon || what[colon] == ' ')) {
        why.erase(0, colon + 2);
    }
    return why;
}

// What the user may do about another program's lock, when that is why.
std::string busyAdvice(const std::string& why) {
    return why.find("the database is busy") == std::string::npos
               ? ""
               : "; run the command again once the other program is done "
                 "(VORNEL_BUSY_TIMEOUT_MS sets a longer wait)";
}

}  // namespace

long check(const CVornelMng& mng, long status, const std::string& what) {
    if (status == 0) {
        const std::string why = reasonOf(mng, what);
        throw DatabaseFailure(what + (why.empty() ? std::string() : ": " + why) + busyAdvice(why));
    }
    return status;
}

void openModel(CVornelMng& mng, const std::string& path) {
    std::string notOurs = notAFile(path);
    if (notOurs.empty() && mng.connectDatabase(path) == 0) {
        notOurs = notADatabase(path);
        if (notOurs.empty()) {
            check(mng, 0, path);
        }
    }
    if (!notOurs.empty()) {
        throw Failure(path + ": " + notOurs);
    }
    int exists = 0;
    if (mng.isExistTbl("KrigBlock_Param", exists) == 0) {
        const std::string why = mng.lastError();
        mng.clearDatabase();
        throw Failure(path + ": cannot read the catalog (KrigBlock_Param): " + why);
    }
    // The library looks for the catalog by reading its rows, so one that
    // cannot be read hides it: a look that reads none tells the two apart.
    if (exists == 0 && tableExists(mng, "KrigBlock_Param")) {
        std::vector<_STRU_MINE_NAMEINFO> names;
        const std::string why =
            mng.getAllKrigTblName(names) == 0 ? mng.lastError() : "a row cannot be read";
        mng.clearDatabase();
        throw Failure(path + ": cannot read the catalog (KrigBlock_Param): " + why);
    }
    if (exists == 0) {
        mng.clearDatabase();
        notOurs = notADatabase(path);
        throw Failure(path + ": " +
                      (notOurs.empty() ? "an SQLite database, but not a block-model database: "
                                         "it has no KrigBlock_Param catalog" +
                                             std::string(kBeingMade)
                                       : notOurs));
    }
}

void createCatalog(CVornelMng& mng, const std::string& path) {
    if (mng.initDataBase() == 0) {
        throw Failure(path + ": cannot create the catalog tables: " + mng.lastError());
    }
}

void createModel(CVornelMng& mng, const std::string& path) {
    check(mng, mng.createDatabase(path), path);
    try {
        createCatalog(mng, path);
    } catch (const Failure&) {
        mng.clearDatabase();
        removeModelFiles(path);
        throw;
    }
}

void removeModelFiles(const std::string& path) {
    std::error_code ignored;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        std::filesystem::remove(path + suffix, ignored);
    }
}

// isExistTbl probes with an unbracketed name, which a reserved word defeats;
// an empty selection from the bracketed name answers for any name.
bool tableExists(CVornelMng& mng, const std::string& table) {
    KrigBlockResult* none = nullptr;
    long count = 0;
    return mng.getBlockResultByWhereSQL(table, "1 = 0", &none, &count) != 0;
}

std::vector<KrigBlockParam> runsOf(CVornelMng& mng, const std::string& table) {
    KrigBlockParam* rows = nullptr;
    long count = 0;
    if (mng.getBlockParam(table, &rows, &count) == 0) {
        // No row, or a name no row can have; a catalog that cannot be read
        // lists no runs it could be taken to have none of.
        const std::string& why = mng.lastError();
        if (why == "no row matches" || why.find("table name") != std::string::npos ||
            why.find("NUL character") != std::string::npos) {
            return {};
        }
        throw DatabaseFailure("cannot read the catalog's rows of " + table + ": " + why);
    }
    return {rows, rows + count};
}

// Only a table the catalog lists as a run's holds blocks: a void table, or
// one of the catalog's own, would read as blocks with nothing right in them.
// Names compare as SQLite compares them, ASCII letters in either case.
namespace {

bool listedIn(const std::vector<std::string>& tables, const char* name) {
    return std::any_of(tables.begin(), tables.end(),
                       [name](const std::string& t) { return strcasecmp(t.c_str(), name) == 0; });
}

}  // namespace

std::vector<std::pair<std::string, long>> unlistedBlockTables(CVornelMng& mng) {
    std::vector<std::string> tables;
    check(mng, mng.getAllTblName(tables), "cannot list the tables");
    std::vector<std::string> listed = blockTables(mng);
    std::vector<_STRU_MINE_NAMEINFO> voids;
    check(mng, mng.getAllVoidTblName(voids), "cannot read the catalog");
    std::transform(voids.begin(), voids.end(), std::back_inserter(listed),
                   [](const _STRU_MINE_NAMEINFO& v) { return std::string(v.TableName); });
    listed.emplace_back("KrigBlock_Param");
    listed.emplace_back("KrigBlock_Vrg_Param");
    std::vector<std::pair<std::string, long>> unlisted;
    for (const std::string& table : tables) {
        KrigBlockResult* blocks = nullptr;
        long count = 0;
        if (!listedIn(listed, table.c_str()) &&
            mng.getBlockResultByWhereSQL(table, "1", &blocks, &count) != 0) {
            unlisted.emplace_back(table, count);
        }
    }
    return unlisted;
}

bool isVoidTable(CVornelMng& mng, const std::string& table) {
    std::vector<_STRU_MINE_NAMEINFO> voids;
    mng.getAllVoidTblName(voids);
    return std::any_of(voids.begin(), voids.end(), [&](const _STRU_MINE_NAMEINFO& v) {
        return strcasecmp(v.TableName, table.c_str()) == 0;
    });
}

std::optional<long> readVoidsIfThere(CVornelMng& mng, const std::string& path,
                                     const std::string& table, KrigBlockVoid** voids) {
    long count = 0;
    if (mng.getBlockVoid(table, voids, &count) == 0) {
        // No rows, no table, or a table that cannot be read. Told by what
        // the library says, not by asking with a block read, which would
        // release the blocks a command read before its void blocks.
        const std::string& why = mng.lastError();
        if (why == "the table has no rows") {
            return 0;
        }
        // As tableExists: a name the library cannot ask for is of no table.
        if (why.find("no such table") != std::string::npos ||
            why.find("table name") != std::string::npos) {
            return std::nullopt;
        }
        throw Failure(path + ": the void table '" + table + "' cannot be read: " + why);
    }
    return count;
}

long readVoids(CVornelMng& mng, const std::string& path, const std::string& table,
               KrigBlockVoid** voids) {
    const std::optional<long> count = readVoidsIfThere(mng, path, table, voids);
    if (!count) {
        throw Failure(path + ": the void table '" + table + "' is missing");
    }
    return *count;
}

std::vector<KrigBlockVrgParam> structuresOf(CVornelMng& mng, const std::string& path, long mineId) {
    KrigBlockVrgParam* structures = nullptr;
    long count = 0;
    if (mineId < 1) {
        return {};
    }
    if (mng.getBlockVrgParam(mineId, &structures, &count) == 0) {
        // The catalog's table of structures is optional; a damaged one is
        // no run without structures.
        const std::string& why = mng.lastError();
        if (why == "no row matches" || why.find("no such table") != std::string::npos) {
            return {};
        }
        throw Failure(path + ": the variogram structures of run " + std::to_string(mineId) +
                      " cannot be read: " + why);
    }
    return {structures, structures + count};
}

std::vector<std::string> blockTables(CVornelMng& mng) {
    std::vector<_STRU_MINE_NAMEINFO> runs;
    check(mng, mng.getAllKrigTblName(runs), "cannot read the catalog");
    // Runs that share a table name it once.
    std::vector<std::string> tables;
    for (const _STRU_MINE_NAMEINFO& run : runs) {
        if (!listedIn(tables, run.TableName)) {
            tables.emplace_back(run.TableName);
        }
    }
    return tables;
}

bool isBlockTable(CVornelMng& mng, const std::string& table) {
    return listedIn(blockTables(mng), table.c_str());
}

std::vector<KrigBlockParam> catalogRuns(CVornelMng& mng, const std::vector<std::string>& tables) {
    std::vector<KrigBlockParam> runs;
    for (const std::string& table : tables) {
        const std::vector<KrigBlockParam> rows = runsOf(mng, table);
        std::copy_if(
            rows.begin(), rows.end(), std::back_inserter(runs),
            [](const KrigBlockParam& r) { return strcasecmp(r.Mine_Element, kVoidElement) != 0; });
    }
    return runs;
}

std::string chosenTable(CVornelMng& mng, const std::string& path, const std::string& asked) {
    const std::vector<std::string> tables = blockTables(mng);
    std::string known;
    for (const std::string& t : tables) {
        known += (known.empty() ? "" : ", ") + t;
    }
    if (asked.empty() && tables.empty()) {
        throw Failure(path + ": no block table to read (the catalog lists no runs)");
    }
    if (asked.empty() && tables.size() > 1) {
        throw UsageError("--table is needed: " + path + " holds several block tables (" + known +
                         ")");
    }
    std::string table = asked.empty() ? tables.front() : asked;
    const bool listed = listedIn(tables, table.c_str());
    if (listed && tableExists(mng, table)) {
        return table;
    }
    if (listed) {
        throw Failure(path + ": the catalog lists a run in table '" + table +
                      "', but the file has no such table");
    }
    if (isVoidTable(mng, table)) {
        throw Failure(path + ": '" + table +
                      "' is a void table (old workings), not a run's blocks" +
                      (known.empty() ? std::string() : " (block tables: " + known + ")"));
    }
    throw Failure(path + ": no block table '" + table + "'" +
                  (known.empty() ? " (the catalog lists no runs)" : " (tables: " + known + ")"));
}

std::string resultTable(CVornelMng& mng, const std::string& path, const std::string& asked) {
    std::string table = chosenTable(mng, path, asked);
    const std::string misread = misreadColumns(mng, table);
    if (!misread.empty()) {
        throw Failure(path + ": " + table + " is not read as blocks: " + misread +
                      ", and a block's figures are read by the places of its columns ('vornel "
                      "check' lists what else is wrong)");
    }
    return table;
}

namespace {

// The columns of a block table, in the order the library reads them.
constexpr const char* kBlockColumns[] = {
    "MineID",         "Krig_BlockID",   "Krig_PntLocX",   "Krig_PntLocY", "Krig_PntLocZ",
    "Krig_GridSizeX", "Krig_GridSizeY", "Krig_GridSizeZ", "Block_Coef",   "Krig_OutAttr",
    "Krig_OutVari",   "Srch_Degr",      "Krig_PntNum",    "Krig_MeanDis", "Krig_EngZKNum",
    "Krig_EngTCNum",  "Krig_EngKDNum",  "Krig_EngQJNum",  "Krig_ResType", "Krig_OreType",
    "Krig_Bound",     "SubBUDBlob",     "Block_Vol",      "Ore_Propro",   "Block_CorMass",
    "Block_OreMass"};

}  // namespace

// Columns are read by their place: a table rebuilt by another tool with
// its columns in another order reads the variance as the grade, say;
// columns after the last read are no matter. The database's list of the
// table's columns is asked for the first out of place, as a row made up to
// read well whatever the table's own rows hold (its block number is the
// column's), and as wide as the table, which is found by trying: a row of
// another width does not fit.
std::string misreadColumns(CVornelMng& mng, const std::string& table) {
    constexpr size_t kWidest = 2000;  // SQLite's most columns in a table
    const size_t read = std::size(kBlockColumns);
    std::string literal;
    for (const char c : table) {
        literal += c == '\'' ? "''" : std::string(1, c);
    }
    std::string expected = "CASE cid";
    for (size_t i = 0; i < read; ++i) {
        expected += " WHEN " + std::to_string(i) + " THEN '" + kBlockColumns[i] + "'";
    }
    expected += " END";
    std::string row =
        "0, cid + 1, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, '', '', 0, NULL, 0, 0, 0, 0";
    for (size_t width = read; width <= kWidest; ++width, row += ", NULL") {
        std::string firstOutOfPlace = "0 UNION ALL SELECT ";
        firstOutOfPlace.append(row)
            .append(" FROM pragma_table_info('")
            .append(literal)
            .append("') WHERE cid < ")
            .append(std::to_string(read))
            .append(" AND lower(name) IS NOT lower(")
            .append(expected)
            .append(") ORDER BY 2 LIMIT 1");
        KrigBlockResult* blocks = nullptr;
        long found = 0;
        try {
            found = readMatching(mng, table, firstOutOfPlace, "the columns of " + table, &blocks);
        } catch (const Failure& e) {
            if (std::strstr(e.what(), "same number of result columns") == nullptr) {
                throw;
            }
            continue;  // not as wide as the table
        }
        if (found == 0) {
            return {};
        }
        const auto column = static_cast<size_t>(blocks[0].Krig_BlockID);
        return "column " + std::to_string(column) + " is not " + kBlockColumns[column - 1];
    }
    return "fewer than the " + std::to_string(read) + " columns it is read by";
}

namespace {

// Runs that share a table share block identifiers and differ in element:
// written out together they would not import as they were, and a report
// would add their grades up.
void refuseSeveralRuns(const std::string& table, const KrigBlockResult* blocks, long count,
                       const std::string& option) {
    std::set<int32_t> runs;
    for (long i = 0; i < count; ++i) {
        if (blocks[i].MineID != blocks[0].MineID) {
            runs.insert(blocks[i].MineID);
        }
    }
    if (runs.empty()) {
        return;
    }
    runs.insert(blocks[0].MineID);
    std::string list;
    for (const int32_t id : runs) {
        list += (list.empty() ? "" : ", ") + std::to_string(id);
    }
    // Which run is the command line's to say, as which table is.
    throw UsageError(table + " holds the blocks of " + std::to_string(runs.size()) +
                     " runs (MineID " + list + "); choose one with " + option +
                     " \"MineID = " + std::to_string(*runs.begin()) + "\"");
}

}  // namespace

long readWholeTable(CVornelMng& mng, const std::string& table, KrigBlockResult** blocks) {
    long count = 0;
    const WaitIndicator wait("reading " + table);
    // The order getBlockResult reads in; unlike it, the filtered read tells
    // a table without rows (status 1) from one that cannot be read.
    check(mng, mng.getBlockResultByWhereSQL(table, "1 ORDER BY Krig_BlockID", blocks, &count),
          "cannot read the blocks of " + table);
    return count;
}

long readBlocks(CVornelMng& mng, const std::string& table, const std::string& where,
                KrigBlockResult** blocks, const std::string& option) {
    const long count = where.empty()
                           ? readWholeTable(mng, table, blocks)
                           : readMatching(mng, table, where, option + " \"" + where + "\"", blocks);
    refuseSeveralRuns(table, *blocks, count, option);
    return count;
}

long readMatching(CVornelMng& mng, const std::string& table, const std::string& where,
                  const std::string& given, KrigBlockResult** blocks) {
    long count = 0;
    const WaitIndicator wait("reading " + table);
    if (mng.getBlockResultByWhereSQL(table, where, blocks, &count) == 0) {
        // The export's own column names (Cu, X, CATEGORY) are not the table's.
        const bool unknownColumn = mng.lastError().find("no such column") != std::string::npos;
        throw DatabaseFailure(given + ": " + mng.lastError() +
                              (unknownColumn
                                   ? "; a condition names the table's columns: Krig_OutAttr for "
                                     "the grade, Krig_OutVari its variance, Krig_PntLocX, Y, Z "
                                     "for the centre, Krig_ResType for the category, Srch_Degr "
                                     "for the search pass, Krig_PntNum for the samples, "
                                     "Krig_MeanDis for their mean distance, MineID for the run"
                                   : ""));
    }
    return count;
}

UngradedBlocks::UngradedBlocks(CVornelMng& mng, const std::string& table,
                               const std::vector<std::string>& columns) {
    std::string condition;
    for (const std::string& column : columns) {
        condition += (condition.empty() ? "typeof(" : " OR typeof(") + column +
                     ") NOT IN ('integer', 'real')";
    }
    KrigBlockResult* blocks = nullptr;
    long count = 0;
    // Over the whole table: a condition of the user's joined to this one
    // could end in a comment or a semicolon.
    check(mng, mng.getBlockResultByWhereSQL(table, condition, &blocks, &count),
          "cannot read the blocks of " + table);
    for (long i = 0; i < count; ++i) {
        blocks_.insert({blocks[i].MineID, blocks[i].Krig_BlockID});
    }
}

const std::vector<std::string> kPlaceColumns = {"Krig_PntLocX",   "Krig_PntLocY",
                                                "Krig_PntLocZ",   "Krig_GridSizeX",
                                                "Krig_GridSizeY", "Krig_GridSizeZ"};

void refuseUnplaced(const UngradedBlocks& unplaced, const KrigBlockResult* blocks, long count) {
    const KrigBlockResult* found = std::find_if(
        blocks, blocks + count, [&](const KrigBlockResult& b) { return unplaced.has(b); });
    if (found != blocks + count) {
        throw Failure("block " + std::to_string(found->Krig_BlockID) +
                      " has a centre or size stored as no number (empty, text or bytes), which "
                      "cannot place its ground: 'vornel check' lists such blocks");
    }
}

std::optional<KrigBlockParam> runNamed(CVornelMng& mng, const std::vector<KrigBlockParam>& runs,
                                       long mineId) {
    const auto listed = std::find_if(runs.begin(), runs.end(),
                                     [&](const KrigBlockParam& r) { return r.MineID == mineId; });
    if (listed != runs.end()) {
        return *listed;
    }
    KrigBlockParam* found = nullptr;
    long count = 0;
    if (mng.getBlockParam(mineId, &found, &count) == 0 || count < 1) {
        return std::nullopt;
    }
    return found[0];
}

std::optional<KrigBlockParam> runOfBlocks(CVornelMng& mng, const std::vector<KrigBlockParam>& runs,
                                          const KrigBlockResult* blocks, long count) {
    // No call finds a run by a MineID below 1: such a run is the table's.
    if (count < 1 || blocks[0].MineID < 1) {
        return runs.empty() ? std::nullopt : std::optional(runs.front());
    }
    return runNamed(mng, runs, blocks[0].MineID);
}

std::optional<KrigBlockParam> runOfTable(CVornelMng& mng, const std::string& table) {
    KrigBlockParam* runs = nullptr;
    long count = 0;
    if (mng.getBlockParam(table, &runs, &count) == 0 || count < 1) {
        return std::nullopt;
    }
    return runs[0];
}

void refuseExistingTable(CVornelMng& mng, const std::string& path, const std::string& table,
                         const std::string& verb) {
    if (tableExists(mng, table)) {
        throw Failure(path + ": a table named '" + table + "' exists already; " + verb +
                      " into a new table");
    }
    if (const auto run = runOfTable(mng, table)) {
        throw Failure(path + ": the catalog already lists a run (MineID " +
                      std::to_string(run->MineID) + ") with table '" + table + "'; " + verb +
                      " into a new table");
    }
}

void checkNewName(const std::string& name, const std::string& what) {
    bool ok = !name.empty() && name.size() <= kLongestName &&
              std::isalpha(static_cast<unsigned char>(name[0])) != 0;
    for (const char c : name) {
        ok = ok && (std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_');
    }
    if (!ok) {
        throw UsageError(what + " '" + name +
                         "': use a letter, then letters, digits or underscores, 19 at most");
    }
}

// SQLite keeps names starting with sqlite_ for its own tables, and every
// model has the catalog's two.
void checkNewTableName(const std::string& name, const std::string& what) {
    checkNewName(name, what);
    if (strncasecmp(name.c_str(), "sqlite_", 7) == 0) {
        throw UsageError(what + " '" + name +
                         "': names starting with sqlite_ belong to the database itself");
    }
    const bool catalog = strcasecmp(name.c_str(), "KrigBlock_Param") == 0 ||
                         strcasecmp(name.c_str(), "KrigBlock_Vrg_Param") == 0;
    if (catalog) {
        throw UsageError(what + " '" + name + "': the catalog's own table has that name");
    }
}

// The manager's text for a transaction says what failed ("cannot begin a
// transaction: ... the database is busy ..."), not of which file, nor what
// the user may do about a lock another program holds.
HostTransaction::HostTransaction(CVornelMng& mng, const std::string& path) : mng_(mng) {
    if (mng_.beginTransact() == 0) {
        const std::string why = mng_.lastError();
        const std::string advice = busyAdvice(why);
        throw Failure(path + ": " + why + (advice.empty() ? "" : "; nothing was written" + advice));
    }
}

HostTransaction::~HostTransaction() {
    if (open_) {
        mng_.endTransact(Rollback);
    }
}

void HostTransaction::commit(const std::string& done) {
    open_ = false;
    const InterruptsHeld held;
    if (mng_.endTransact(Commit) == 0) {
        throw DatabaseFailure(mng_.lastError());
    }
    if (!done.empty()) {
        sayDoneWhenInterrupted(done);
    }
}

}  // namespace vornel::cli
