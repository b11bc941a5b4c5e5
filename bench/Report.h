// The benchmark's results: a table on stdout and, on request, JSON.
#ifndef VORNEL_BENCH_REPORT_H
#define VORNEL_BENCH_REPORT_H

#include <ostream>
#include <vector>

#include "Scenarios.h"

namespace bench {

void printTable(std::ostream& out, const std::vector<Result>& results);
void writeJson(std::ostream& out, const std::vector<Result>& results, long blocks);

}  // namespace bench

#endif
