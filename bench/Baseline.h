// The same work written directly on the SQLite C API, as a competent
// engineer would: prepared statements, one transaction where the library
// uses one, the same schema and settings.
#ifndef VORNEL_BENCH_BASELINE_H
#define VORNEL_BENCH_BASELINE_H

#include <sqlite3.h>

#include <string>
#include <vector>

#include "vornel/KrigBlockParam.h"
#include "vornel/KrigBlockResult.h"

namespace bench {

class RawDb {
public:
    explicit RawDb(const std::string& path);
    ~RawDb();
    RawDb(const RawDb&) = delete;
    RawDb& operator=(const RawDb&) = delete;

    void exec(const std::string& sql);
    sqlite3_stmt* prepare(const std::string& sql);
    sqlite3* handle() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

void rawInsert(RawDb& db, const std::string& table, const std::vector<KrigBlockResult>& blocks);

// Reads the rows of `sql` into records with their sub-block arrays.
void rawRead(RawDb& db, const std::string& sql, std::vector<KrigBlockResult>& out);
void releaseRead(std::vector<KrigBlockResult>& blocks);

// One statement per block, each its own transaction.
void rawUpdate(RawDb& db, const std::string& table, const KrigBlockResult* blocks, long count);

void rawInsertParams(RawDb& db, const std::vector<KrigBlockParam>& runs, int firstMineId);
// Reads each run by its MineID.
void rawReadParams(RawDb& db, int firstMineId, int count, std::vector<KrigBlockParam>& out);

}  // namespace bench

#endif
