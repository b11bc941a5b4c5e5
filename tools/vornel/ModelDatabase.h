// Opening and creating block-model databases for the commands, and turning
// the manager's 0 statuses into failures that say why.
#ifndef VORNEL_CLI_MODELDATABASE_H
#define VORNEL_CLI_MODELDATABASE_H

#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "vornel/VornelMng.h"

namespace vornel::cli {

// Opens an existing block-model database. Throws Failure when the file is
// missing, is not a database, is an Access file, or has no catalog.
void openModel(CVornelMng& mng, const std::string& path);

// Makes a new database at `path` (which must not exist) with its catalog.
void createModel(CVornelMng& mng, const std::string& path);

// Makes the catalog tables in the open database at `path`.
void createCatalog(CVornelMng& mng, const std::string& path);

// Removes a database file and the journal files beside it.
void removeModelFiles(const std::string& path);

// Whether the open database has a table of that name. It asks by a block
// read of the manager's, which releases the blocks of its last; a table
// that cannot be read is none.
bool tableExists(CVornelMng& mng, const std::string& table);

// The catalog rows that name the table, runs or a void table. Throws
// Failure when the catalog cannot be read.
std::vector<KrigBlockParam> runsOf(CVornelMng& mng, const std::string& table);

// The element of the catalog row that registers a void table.
constexpr const char* kVoidElement = "VOIDBLOCK";

// The block tables the catalog lists runs in, each once (in any case), in
// the catalog's order. Throws Failure when the catalog cannot be read.
std::vector<std::string> blockTables(CVornelMng& mng);

// The runs the catalog lists in those tables, table by table. A row that
// registers a void table is no run, though a damaged catalog may give a
// run's table to it.
std::vector<KrigBlockParam> catalogRuns(CVornelMng& mng, const std::vector<std::string>& tables);

// The block result table a command is given: `asked`, or when that is
// empty the one table the catalog lists runs in. Throws when the open
// database has no such table, or has none or several to choose from; the
// message lists the tables the catalog knows.
std::string chosenTable(CVornelMng& mng, const std::string& path, const std::string& asked);

// The chosen table, to read blocks from: throws too when its columns would
// be misread.
std::string resultTable(CVornelMng& mng, const std::string& path, const std::string& asked);

// Why the library would read a table's blocks wrong ("column 10 is not
// Krig_OutAttr"), or empty: its rows are read by the places of their
// columns, and another tool may have rebuilt it with its columns in another
// order, or fewer of them.
std::string misreadColumns(CVornelMng& mng, const std::string& table);

// The tables of block rows that the catalog lists no run in, with their
// blocks' count: no command finds their blocks. Tables of other columns (a
// user's own, which migrate brings over) and empty ones are not among them.
std::vector<std::pair<std::string, long>> unlistedBlockTables(CVornelMng& mng);

// Whether the catalog registers a void table of this name (in any case).
bool isVoidTable(CVornelMng& mng, const std::string& table);

// Whether the catalog lists runs in a table of this name (in any case).
// Throws Failure when the catalog cannot be read.
bool isBlockTable(CVornelMng& mng, const std::string& table);

// Every void block of the table into *voids (owned by the manager until its
// next void read); returns their number, 0 for an empty table. Throws
// Failure, naming the file at `path`, when the table is missing or cannot
// be read. It reads no result blocks, so those read before stay valid.
long readVoids(CVornelMng& mng, const std::string& path, const std::string& table,
               KrigBlockVoid** voids);

// The void blocks of the table into *voids, as readVoids; none (no value)
// when the table is missing. Throws Failure when it cannot be read.
std::optional<long> readVoidsIfThere(CVornelMng& mng, const std::string& path,
                                     const std::string& table, KrigBlockVoid** voids);

// The variogram structures the catalog stores for a run: none where it
// stores none, or has no table of them. Throws Failure when they cannot be
// read, naming the file at `path`.
std::vector<KrigBlockVrgParam> structuresOf(CVornelMng& mng, const std::string& path, long mineId);

// Every block of the table, in identifier order; none for a table without
// rows. Throws Failure when the table cannot be read.
long readWholeTable(CVornelMng& mng, const std::string& table, KrigBlockResult** blocks);

// The blocks of an existing table, all of them or those meeting an SQL
// condition, into *blocks (owned by the manager until its next block read);
// returns their number. Throws Failure for a condition the database rejects
// and for blocks of more than one run, naming `option`, the option that gave
// the condition.
long readBlocks(CVornelMng& mng, const std::string& table, const std::string& where,
                KrigBlockResult** blocks, const std::string& option = "--where");

// The blocks of a table, of any run, that meet an SQL condition, into
// *blocks as readBlocks gives them. A condition the database rejects throws
// a Failure that starts with `given` (how the user gave it).
long readMatching(CVornelMng& mng, const std::string& table, const std::string& where,
                  const std::string& given, KrigBlockResult** blocks);

// The blocks of a table whose grade (or another number column) is stored
// as no number: NULL, text ('', 'n/a') or bytes, as other tools may leave
// an unestimated block (the library reads it as 0, which is a grade). Throws Failure. Finding them
// is a block read of the manager's, which releases the blocks of its last: make this before reading
// them.
class UngradedBlocks {
public:
    // Blocks with any of `columns` stored as no number.
    UngradedBlocks(CVornelMng& mng, const std::string& table,
                   const std::vector<std::string>& columns = {"Krig_OutAttr"});
    bool has(int32_t mineId, int32_t blockId) const {
        return blocks_.count({mineId, blockId}) != 0;
    }
    bool has(const KrigBlockResult& block) const { return has(block.MineID, block.Krig_BlockID); }
    size_t size() const { return blocks_.size(); }

private:
    std::set<std::pair<int32_t, int32_t>> blocks_;  // MineID, Krig_BlockID
};

// The columns that place a block's box.
extern const std::vector<std::string> kPlaceColumns;

// Throws a Failure naming the first of blocks[0..count) that `unplaced`
// holds: a command that puts ground in places cannot take a centre or size
// read as 0 or as the number a text begins with.
void refuseUnplaced(const UngradedBlocks& unplaced, const KrigBlockResult* blocks, long count);

// The catalog's row of run `mineId`: from `runs`, the table's runs as
// runsOf read them before its blocks, else from the whole catalog. Read
// before, a run that another command removed while its blocks were read is
// named as it was when they were, not taken for a table of no run.
std::optional<KrigBlockParam> runNamed(CVornelMng& mng, const std::vector<KrigBlockParam>& runs,
                                       long mineId);

// The run of blocks read by readBlocks, as runNamed finds it; with no
// blocks, or blocks of no run (a MineID below 1), the table's first.
std::optional<KrigBlockParam> runOfBlocks(CVornelMng& mng, const std::vector<KrigBlockParam>& runs,
                                          const KrigBlockResult* blocks, long count);

// The catalog's row for the (first) run stored in a table, if any.
std::optional<KrigBlockParam> runOfTable(CVornelMng& mng, const std::string& table);

// Throws Failure when the open database at `path` has a table of that name,
// or its catalog a run in one: the command (`verb`, "import") is to write
// into a new table.
void refuseExistingTable(CVornelMng& mng, const std::string& path, const std::string& table,
                         const std::string& verb);

// Throws unless `name` can name a new table: a letter, then letters, digits
// or underscores, 19 characters at most (what the catalog keeps).
void checkNewName(const std::string& name, const std::string& what);

// A name for a new block table: a new name (above), and none that SQLite
// or the catalog keeps for its own tables.
void checkNewTableName(const std::string& name, const std::string& what);

// Returns status, or throws "what: <the manager's last error>" when it is 0.
long check(const CVornelMng& mng, long status, const std::string& what);

// A transaction of the host's on the database at `path`: rolled back unless
// committed.
class HostTransaction {
public:
    HostTransaction(CVornelMng& mng, const std::string& path);
    ~HostTransaction();
    HostTransaction(const HostTransaction&) = delete;
    HostTransaction& operator=(const HostTransaction&) = delete;

    // Commits with interrupts held back, so that a Ctrl-C during the
    // commit stops the command only once it is known whether the work was
    // stored; `done` ("storing R in m.db") then says that it was.
    void commit(const std::string& done = {});

private:
    CVornelMng& mng_;
    bool open_ = true;
};

}  // namespace vornel::cli

#endif
