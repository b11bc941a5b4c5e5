// CVornelMng: one open block-model database and the operations on it.
//
// Every operation returns a long status: 0 when it did not do its work,
// otherwise 1 or, where the operation hands back an identifier, that value
// (getNextBlockID and insertIntoBlockVoid: the identifier plus one).
// Nothing is thrown: a call that runs out of memory returns 0 and leaves the
// file as any other failure of it would. lastError() tells why the last
// failed call returned 0.
// A statement that the database rejects on its own merits (a modify, delete
// or drop on a table that does not exist, a text longer than its column, a
// create of a name the database keeps for itself, sqlite_...)
// leaves only a warning in the diagnostic trace of a debug build, and the
// status alone: the run and variogram inserts, plain statements, still
// return 1 and hand out their MineIDs for a catalog table that does not
// exist. The block and void inserts open their table first and return 0
// for one that does not exist, or for a row they cannot add (to a table of
// other columns, say), undoing the whole batch; and a database that cannot
// be written at all (busy, read-only, full) makes a write return 0.
// A record or update holding a number its column cannot keep (NaN, an
// infinity, a single-precision value beyond 3.4e38, a mean distance beyond
// a 32-bit whole number) is refused with status 0 before anything of the
// call is written, the batch's other records with it: the database would
// keep a NaN as nothing, read back as 0.
//
// A text that fills its whole field of a record (all 20 bytes of a name,
// say) is stored whole but reads back without its last byte, the field's
// room for the terminating zero, or, in a text that is UTF-8 throughout,
// without the whole character that byte belongs to.
//
// List fetches hand out a pointer into one of four caches owned by the
// manager; it stays valid until the next call that refills the same cache
// or the manager's destruction. A block read (of a whole table, a void
// table or a section cut) empties its cache once its query has opened,
// whatever it returns: of a table without rows it returns 0 with a null
// array, and the blocks handed out before are released. A parameter read
// that finds no row keeps its cache and hands it out again with a count of
// 0. Connecting another database does not release the caches.
#ifndef VORNEL_VORNELMNG_H
#define VORNEL_VORNELMNG_H

#include <cstdint>
#include <string>
#include <vector>

#include "vornel/Export.h"
#include "vornel/KrigBlockParam.h"
#include "vornel/KrigBlockResult.h"
#include "vornel/KrigBlockVoid.h"
#include "vornel/KrigBlockVrgParam.h"
#include "vornel/Tin.h"
#include "vornel/Types.h"

class CKrigDatabase;

class VORNEL_API CVornelMng {
public:
    CVornelMng();
    virtual ~CVornelMng();

    // A manager owns its database and caches: it can be moved, not copied.
    CVornelMng(const CVornelMng&) = delete;
    CVornelMng& operator=(const CVornelMng&) = delete;
    CVornelMng(CVornelMng&& other) noexcept;
    CVornelMng& operator=(CVornelMng&& other) noexcept;

    // Database file. Each of the three first closes the database in use (a
    // host transaction still open there is rolled back) and leaves the
    // manager on `path`: connected after a success, with no database open
    // after a failure. A path that is empty or holds a NUL is refused before
    // that, and the database in use stays open. compactDatabase works on the
    // file it is given. A file name must leave room beside it for its
    // journal (247 bytes at most where names may have 255), and to be
    // compacted, for its compacted copy's, whose name is 4 bytes longer (243).
    long createDatabase(std::string path);
    long connectDatabase(std::string path);
    long compactDatabase(std::string path);
    void clearDatabase();

    // Schema. initDataBase makes the two parameter tables afresh, discarding
    // every run in them; the create calls replace a table of that name with
    // an empty one. isExistTbl writes the name into its query unbracketed, so
    // a name that needs brackets (a blank, a quote, a keyword) reads as absent.
    // The create calls name their block index by the bare name too, and give
    // one only to a table whose name is ASCII letters, digits, '_', '$' and
    // non-ASCII characters, beginning with neither a digit nor '$'; another
    // table is made without it, and each call that reads or changes one block
    // by its identifier searches the whole table.
    long initDataBase();
    long createBlockResultTbl(std::string tableName);
    long createBlockVoidTbl(std::string tableName);
    long dropTable(std::string tableName);
    long isExistTbl(std::string tableName, int& exists);

    // Kriging parameters. insertIntoBlockParam numbers the runs itself, each
    // the next MineID, whatever the records' MineID holds, and hands the
    // numbers back in mineIds.
    long insertIntoBlockParam(KrigBlockParam* records, long count, std::vector<long>& mineIds);
    long getBlockParam(long mineId, KrigBlockParam** records, long* count);
    long getBlockParam(std::string tableName, KrigBlockParam** records, long* count);
    long deleteBlockParam(long mineId);
    long deleteBlockParam(std::string tableName);
    long modifyKrigParamOreClasByID(std::string tableName, long oreClasNum);
    long modifyKrigParamAttrUnitByID(std::string tableName, int attrUnit);

    // Variogram structures.
    long insertIntoBlockVrgParam(KrigBlockVrgParam* records, long count);
    long getBlockVrgParam(long mineId, KrigBlockVrgParam** records, long* count);
    long deleteBlockVrgParam(long mineId);
    long deleteBlockVrgParam(std::string tableName);

    // Catalog. A query that finds nothing returns 1 and leaves the vector as
    // the caller passed it: clear it first to be told of none. Names match
    // without regard to the case of the letters A to Z alone, as the
    // database matches its tables' names ("VÉ" is not "vé").
    long getAllVoidTblName(std::vector<_STRU_MINE_NAMEINFO>& names);
    long getAllKrigTblName(std::vector<_STRU_MINE_NAMEINFO>& names);
    long getBlockElementByVoid(std::string voidTableName, std::vector<_STRU_MINE_NAMEINFO>& names);
    long getTblNameByElementAndVoidTbl(std::string element, std::string voidTableName,
                                       std::vector<_STRU_MINE_NAMEINFO>& names);
    long getBlockElementAndVoidTblByTblName(std::string tableName,
                                            std::vector<_STRU_MINE_NAMEINFO>& names);
    // Every table of the database, listed or not in the catalog, the
    // catalog's own among them, in the order of their names; the engine's
    // (sqlite_...) left out. Replaces what names held.
    long getAllTblName(std::vector<std::string>& names);

    // Identifiers. getNextBlockID puts the next free block identifier of
    // the run in id (1 for a run without blocks) and returns it plus one;
    // without a table name it looks in KrigBlock_Result. A table that is
    // missing counts as one without blocks: id 1, status 2, no error. Where
    // nothing of 1 or more is stored, the next identifier is 1.
    long getNextMineID(long& id);
    long getNextBlockID(long mineId, long& id);
    long getNextBlockID(std::string tableName, long mineId, long& id);

    // Transactions and deletion. deleteBlock(table, MineID) removes that
    // run's catalog rows and drops the whole table, with the blocks of any
    // other run kept in it (whose catalog rows stay). A run leaves a shared
    // table through deleteBlockByID (its blocks), deleteBlockParam and
    // deleteBlockVrgParam (its catalog rows). endTransact returns 0 when no
    // transaction is open to end: none was begun, or connecting, compacting
    // or clearing the database has ended it (rolled back). A commit that
    // another connection's lock stops past the busy timeout rolls the
    // transaction back and returns 0: nothing of it is written. A failure
    // that made the database roll back the whole of a host transaction (a
    // disk that fills, memory that runs out) makes each call that uses the
    // database fail until the host ends it, and endTransact(Commit) then
    // returns 0: nothing of the transaction was written.
    long beginTransact();
    long endTransact(CompletionType how);
    long deleteBlock(std::string tableName);
    long deleteBlock(std::string tableName, long mineId);
    long deleteBlockByID(std::string tableName, long mineId);
    long deleteBlockNotTbl(std::string tableName);

    // Block results. The one-block reads and the calls that change blocks
    // (the modify calls below) name a block by its Krig_BlockID alone: in a
    // table that several runs share, they change that block of every run, and
    // the one-block read finds several rows and returns 0. A one-block read
    // fills the caller's record without clearing it first, so a row stored
    // without a sub-block buffer (NULL, as other writers leave it) keeps the
    // record's earlier sub-block fields; one that returns 0 leaves the record
    // as it was, also when the row's sub-blocks cannot be held in memory.
    // A table of fewer columns than a block table's (a void table, say) is
    // refused by every block read: the columns it lacks would read as 0.
    long insertIntoBlockResult(std::string tableName, KrigBlockResult* blocks, long count);
    long getBlockResult(std::string tableName, KrigBlockResult** blocks, long* count);
    long getBlockResult(std::string tableName, long blockId, KrigBlockResult* block);

    // Void blocks. insertIntoBlockVoid numbers the blocks itself, from the
    // identifier getNextBlockID(MineID of the first block) gives (so from
    // KrigBlock_Result, not the void table), whatever their Krig_BlockID
    // holds, and returns what getNextBlockID returned.
    long insertIntoBlockVoid(std::string tableName, KrigBlockVoid* blocks, long count);
    long getBlockVoid(std::string tableName, KrigBlockVoid** blocks, long* count);
    long getBlockVoid(std::string tableName, long blockId, KrigBlockVoid* block);

    // Filtered reads. The condition is SQLite's SQL as it stands, not
    // translated from Jet's (Like takes % and _, || joins texts, a comparison
    // is 1 when true, "x" is a column's name and 'x' a text); one holding a NUL or a parameter (?,
    // :name) is refused, and an empty one, or one of blanks, reads every row. Krig_Bound, read as
    // -1 for yes, is stored as 1, SQL's true: a condition finds the yes with Krig_Bound <> 0, not
    // = -1. The one-block reads find any identifier stored, 0 and below included. A read that fails
    // part-way returns 0, never the rows before the failure, and a getBlockResultByWhereSQL that
    // returns 0 leaves the array of an earlier read valid. getBlockResultAttr writes the
    // Krig_OutAttr of every row of the table into values, which must hold that many (count is only
    // written, with the row count), in the order the table keeps its rows, not by Krig_BlockID as
    // getBlockResult reads them.
    long getBlockResultByWhereSQL(std::string tableName, std::string condition,
                                  KrigBlockResult** blocks, long* count);
    long getBlockResultAttr(std::string tableName, double* values, long* count);

    // Statistics and bulk updates. The statistics of a table without rows
    // are all 0 with status 1. modifyResultAtts writes each block's Ore_Propro, Block_CorMass and
    // Block_OreMass, modifyResType its Krig_ResType, both block by block: one that fails part-way
    // keeps the blocks before. The modify calls write their numbers with six decimals (an
    // Ore_Propro of 4e-7 is stored as 0). modifyResTypeByID refuses a text of more than the 20
    // bytes of the record's field, which the column, counting characters, would otherwise take.
    long getStatResult(const std::string& tableName, double& maxAttr, double& minAttr,
                       double& maxVari, double& minVari);
    long getStatResultPos(const std::string& tableName, D_3DOT& maxPos, D_3DOT& minPos);
    long modifyResultAttByID(const std::string& tableName, long blockId, double orePropro,
                             double corMass, double oreMass);
    long modifyResultAtts(const std::string& tableName, KrigBlockResult* blocks, long count);
    long modifyResType(const std::string& tableName, KrigBlockResult* blocks, long count);
    long modifyResTypeByID(const std::string& tableName, long blockId, const std::string& resType);

    // Section cut. Whether the section touches a block or sub-block is
    // decided exactly for the section's corners and the box's corners as
    // doubles: the centre less and plus half the size, each rounded. It
    // touches a box where it meets the box's faces (an edge or a corner is
    // enough); a section that lies wholly inside one box, meeting none of its
    // faces, does not touch it, so a section window smaller than a block
    // should reach out of it. A corner that is not a finite number is
    // refused; a box corner that rounds past the doubles (a centre near
    // 1e308) leaves the box only its finite faces to be met by. A block
    // tested whole (its box) comes back whole: no
    // sub-blocks, count 0; any
    // other comes back with the sub-blocks the section cuts. The database
    // leaves out, before they are read, blocks tested whole (stored
    // without sub-blocks, or with a coefficient of 1.0) whose box lies beyond
    // the section's bounds or wholly on one side of its planes, so a fault
    // confined to such a row (a damaged page of its text, a computed column
    // that fails) does not fail the cut, unless it lies in the columns that
    // place the box, which are read from every row. A row that cannot be
    // read fails the cut: 0, the out-arguments untouched. When it is the
    // first row the cut reads, the query does not open and the blocks handed
    // out before stay valid; after that, they are already released. A
    // horizontal section (four equal Z) keeps one layer: the blocks whose
    // centre Z is that of the first block it touches, in row order; tilt it
    // by any amount to keep every block it touches.
    long getCutBlockResult(std::string tableName, D_3DOT* corners, KrigBlockResult** blocks,
                           long* count);

    // Why the last call that returned 0 failed; empty after a success, but
    // for the reason a failed call that a hook made during it left there.
    const std::string& lastError() const;

private:
    long BuildVolTin(D_3DOT origin, D_3DOT size, int mode, TinPntStrcT* pnts, TinNetStrcT* tris);
    void GetPanelCoef(double* p1, double* p2, double* p3, double* coef);

    // Records why an operation failed and returns its status, 0.
    long fail(const std::string& why);
    // The failure of a call that ran out of memory, recorded without asking
    // for more.
    long outOfMemory() noexcept;
    // Runs one statement whose outcome only warns; 0 without a database.
    long runStatement(const std::string& sql);
    // DELETE * FROM table WHERE MINEID = mineId, refusing a MineID below 1.
    long deleteByMineId(const char* table, long mineId);
    // DELETE * FROM table WHERE column = 'name', refusing an empty name.
    long deleteByName(const char* table, const char* column, const std::string& name);
    // Deletes the parameter and variogram rows of one run (byMineId) or of
    // every run of the table, then drops the table, in one transaction.
    long deleteRunsAndTable(const std::string& tableName, long mineId, bool byMineId);
    // Reads the columns of an aggregate query of a result table into out.
    long readAggregates(const std::string& tableName, const char* sqlFormat, double* out,
                        long columns);
    // Runs one UPDATE statement per block under the progress window.
    long updateEach(const std::string& tableName, KrigBlockResult* blocks, long count,
                    std::string (*statement)(const std::string&, const KrigBlockResult&));
    // getCutBlockResult past its argument checks; throws std::bad_alloc.
    long cutBlocks(const std::string& tableName, const D_3DOT* corners, KrigBlockResult** blocks,
                   long* count);
    // Makes a new database object for the path and opens it with `open`.
    long replaceDatabase(const std::string& path, long (CKrigDatabase::*open)(), const char* verb);

    CKrigDatabase* m_pDatabase;
    int32_t m_nParamNum;
    KrigBlockParam* m_pParams;
    int32_t m_nVrgParamNum;
    KrigBlockVrgParam* m_pVrgParams;
    int32_t m_nResultNum;
    KrigBlockResult* m_pResults;
    int32_t m_nVoidNum;
    KrigBlockVoid* m_pVoids;
    std::string m_strLastError;
};

namespace vornel {

// The file compactDatabase(path) writes the compacted copy into before the
// copy takes the database's place, and which a compaction cut short leaves
// behind: the path of the file that `path` names (through a symbolic link,
// the file it points to) less its last four characters, then "Temp.mdb".
VORNEL_API std::string compactionCopyPath(const std::string& path);

// Puts the complete database file `replacement` in the place of the file at
// `path` in one rename. Refuses while another connection has the file at
// `path` open, as compactDatabase does: the writes that connection keeps
// beside the file would be read as the new file's. Refuses as well while a
// connection (a manager not yet cleared) has `replacement` open: what it
// keeps beside that file would not come with it, and a `path` that no
// connection could open: one that reads as another in a connection string
// (a blank at its start, a ';' at its end or before an '='). Returns 1, or
// 0 with the reason in `why`; the file at `path` is then as it was.
VORNEL_API long replaceDatabaseFile(const std::string& path, const std::string& replacement,
                                    std::string& why);

}  // namespace vornel

#endif
