// The public operations as a table, for tests that call each of them with
// the same argument: every operation that names a table (or a run's
// element), and every one that takes a MineID or block identifier.
#ifndef VORNEL_TESTS_RELIABILITY_CALLS_H
#define VORNEL_TESTS_RELIABILITY_CALLS_H

#include <functional>
#include <string>
#include <vector>

#include "reliability/Workload.h"
#include "vornel/VornelMng.h"

namespace vornel::test {

struct Call {
    std::string what;
    std::function<long(CVornelMng&)> run;
};

// Each operation that takes a name, given `name`; writes take `batch`.
std::vector<Call> callsNaming(const std::string& name, Batch& batch);

// Each operation that takes a MineID or block identifier, given `id`.
std::vector<Call> callsNumbering(long id);

}  // namespace vornel::test

#endif
