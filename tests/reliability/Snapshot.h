// Every table of a file, as text: what the tests compare to show that a
// call changed nothing it was not asked to change.
#ifndef VORNEL_TESTS_RELIABILITY_SNAPSHOT_H
#define VORNEL_TESTS_RELIABILITY_SNAPSHOT_H

#include <map>
#include <string>

namespace vornel::test {

// Table name to its definition, indexes and rows.
using Snapshot = std::map<std::string, std::string>;

Snapshot snapshotOf(const std::string& path);

// The tables of `before` (other than `spared`) that `after` lacks or holds
// differently; empty when none.
std::string changedTables(const Snapshot& before, const Snapshot& after,
                          const std::string& spared = {});

}  // namespace vornel::test

#endif
