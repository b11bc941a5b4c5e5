// The peak memory a read adds, measured in a fresh process so
// that nothing the benchmark did before (and no memory it freed, which the
// allocator would hand out again) is counted.
#ifndef VORNEL_BENCH_MEMORY_H
#define VORNEL_BENCH_MEMORY_H

#include <cstddef>
#include <string>

namespace bench {

// Runs this program again as a probe; 0 when it cannot be measured. With a
// condition, the read is the filtered one, of the rows that meet it.
size_t peakBytesOfRead(const std::string& database, const std::string& table,
                       const std::string& condition = "");

// The probe itself: reads the table (whole, or the rows that meet the
// condition) and prints the bytes its peak resident size grew by. Returns
// the exit status.
int probeRead(const std::string& database, const std::string& table, const std::string& condition);

}  // namespace bench

#endif
