// The peak memory a whole-table read adds, measured in a fresh process so
// that nothing the benchmark did before (and no memory it freed, which the
// allocator would hand out again) is counted.
#ifndef VORNEL_BENCH_MEMORY_H
#define VORNEL_BENCH_MEMORY_H

#include <cstddef>
#include <string>

namespace bench {

// Runs this program again as a probe; 0 when it cannot be measured.
size_t peakBytesOfRead(const std::string& database, const std::string& table);

// The probe itself: reads the table whole and prints the bytes its peak
// resident size grew by. Returns the exit status.
int probeRead(const std::string& database, const std::string& table);

}  // namespace bench

#endif
