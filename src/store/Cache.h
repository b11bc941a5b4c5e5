// Releasing the manager's cached record arrays. Block records own their two
// sub-block arrays; the parameter records own nothing.
#ifndef VORNEL_STORE_CACHE_H
#define VORNEL_STORE_CACHE_H

#include <cstdint>

namespace vornel::store {

template <class Block>
void releaseSubBlocks(Block& block) {
    if (block.SubBUD_PntLoc != nullptr) {
        delete[] block.SubBUD_PntLoc;
        block.SubBUD_PntLoc = nullptr;
        block.SubBUD_Num = 0;
    }
    if (block.SubBUD_GridSize != nullptr) {
        delete[] block.SubBUD_GridSize;
        block.SubBUD_GridSize = nullptr;
    }
}

template <class Record>
void releaseRecords(Record*& records, int32_t& count) {
    delete[] records;
    records = nullptr;
    count = 0;
}

template <class Block>
void releaseBlocks(Block*& blocks, int32_t& count) {
    for (int32_t i = 0; blocks != nullptr && i < count; ++i) {
        releaseSubBlocks(blocks[i]);
    }
    releaseRecords(blocks, count);
}

}  // namespace vornel::store

#endif
