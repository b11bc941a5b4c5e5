// A small block-model file with something in every kind of table: two runs
// and a registered void table in KrigBlock_Param, variogram structures, the
// blocks of batch 1 in T1, and void blocks in V1.
#ifndef VORNEL_TESTS_RELIABILITY_MODELFILE_H
#define VORNEL_TESTS_RELIABILITY_MODELFILE_H

#include <string>

#include "vornel/VornelMng.h"

namespace vornel::test {

inline constexpr const char kVoidTable[] = "V1";

// Writes the file through `mng`, which stays connected to it; empty when
// every call succeeded, otherwise the first failure.
std::string writeModelFile(CVornelMng& mng, const std::string& path);

}  // namespace vornel::test

#endif
