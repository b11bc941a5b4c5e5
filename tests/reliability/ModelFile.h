// A small block-model file with something in every kind of table: two runs
// and a registered void table in KrigBlock_Param (MineIDs 1 to 3), the
// variogram structures of run 1, the blocks of one batch in T1, and void
// blocks in V1.
#ifndef VORNEL_TESTS_RELIABILITY_MODELFILE_H
#define VORNEL_TESTS_RELIABILITY_MODELFILE_H

#include <cstdint>
#include <string>

#include "vornel/VornelMng.h"

namespace vornel::test {

inline constexpr const char kVoidTable[] = "V1";

// Writes the file through `mng`, which stays connected to it; empty when
// every call succeeded, otherwise the first failure.
std::string writeModelFile(CVornelMng& mng, const std::string& path, int32_t batch = 1);

// A batch of only 101 blocks, for tests that read the file often.
inline constexpr int32_t kSmallBatch = 479;

}  // namespace vornel::test

#endif
