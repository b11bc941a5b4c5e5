// A database file seen through SQLite alone, not through the library: how
// the reliability tests check what the library left in a file.
#ifndef VORNEL_TESTS_RELIABILITY_RAWDB_H
#define VORNEL_TESTS_RELIABILITY_RAWDB_H

#include <sqlite3.h>

#include <map>
#include <string>
#include <vector>

namespace vornel::test {

class RawDb {
public:
    explicit RawDb(const std::string& path);
    ~RawDb();
    RawDb(const RawDb&) = delete;
    RawDb& operator=(const RawDb&) = delete;

    // Every row of a query, each value as text (blobs in hex, NULL as
    // "NULL"); one row holding the engine's message if the query fails.
    std::vector<std::vector<std::string>> rows(const std::string& sql);
    // Runs statements; their failure message, or empty.
    std::string exec(const std::string& sql);

private:
    sqlite3* db_ = nullptr;
};

// What PRAGMA integrity_check says of the file: "ok" when it is sound.
std::string integrityOf(const std::string& path);

// Every table of a file, as text: table name to its definition, indexes and
// rows. What the tests compare to show that a call changed nothing it was
// not asked to change.
using Snapshot = std::map<std::string, std::string>;
Snapshot snapshotOf(const std::string& path);

// The tables of `before` (other than `spared`) that `after` lacks or holds
// differently; empty when none.
std::string changedTables(const Snapshot& before, const Snapshot& after,
                          const std::string& spared = {});

}  // namespace vornel::test

#endif
