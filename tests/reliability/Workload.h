// The blocks the reliability tests write, made from a batch number alone:
// a process that checks a file knows what each batch it finds must hold
// without asking the process that wrote it. And a small model file with
// something in every kind of table. Shared by both of the suite's programs.
#ifndef VORNEL_TESTS_RELIABILITY_WORKLOAD_H
#define VORNEL_TESTS_RELIABILITY_WORKLOAD_H

#include <cstdint>
#include <string>
#include <vector>

#include "vornel/VornelMng.h"

namespace vornel::test {

// The block result and void tables every workload writes into.
inline constexpr const char kBlockTable[] = "T1";
inline constexpr const char kVoidTable[] = "V1";

// Between 100 and 2999 blocks: some batches are large.
int32_t batchSize(int32_t batch);

// A batch of only 101 blocks, for tests that read the file often.
inline constexpr int32_t kSmallBatch = 479;

// Unique in the table, so an update by block identifier reaches one block.
inline int32_t blockId(int32_t batch, int32_t index) {
    return batch * 10000 + index + 1;
}

// Block `index` of a batch (its MineID is the batch number) sits at
// (index, batch, 0) in a unit box, split into index % 3 slabs along Y.
// Its attribute is batch * 1000 + index; its Ore_Propro starts at 0.
class Batch {
public:
    explicit Batch(int32_t batch, int32_t generation = 0);
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

    KrigBlockResult* blocks() { return blocks_.data(); }
    long count() const { return static_cast<long>(blocks_.size()); }

private:
    std::vector<KrigBlockResult> blocks_;
    std::vector<D_3DOT> centres_;
    std::vector<D_3DOT> sizes_;
};

// What a batch adds up to in the table.
struct BatchSums {
    long long rows;
    double attributes;        // sum of Krig_OutAttr
    long long subBlockBytes;  // sum of length(SubBUDBlob)
};
BatchSums expectedSums(int32_t batch);

// A run row of KrigBlock_Param.
KrigBlockParam runOf(const std::string& name, const char* element, const char* table,
                     const char* voidTable);

// Writes through `mng`, which stays connected to it, a model file: two runs
// and a registered void table in KrigBlock_Param (MineIDs 1 to 3), the
// variogram structures of run 1, the blocks of one batch in T1, and void
// blocks in V1. Empty when every call succeeded, otherwise the first failure.
std::string writeModelFile(CVornelMng& mng, const std::string& path, int32_t batch = 1);

}  // namespace vornel::test

#endif
