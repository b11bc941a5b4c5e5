// The bytes of a SubBUDBlob value: a little-endian 32-bit count N, then N
// centres, then N edge lengths, each three doubles; 4 + 48N bytes in all.
// A block without sub-blocks is the four bytes of a zero count.
#ifndef VORNEL_STORE_SUBBLOCKBUFFER_H
#define VORNEL_STORE_SUBBLOCKBUFFER_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "vornel/Types.h"

namespace vornel::store {

inline size_t subBlockBufferSize(int32_t count) {
    return 4 + 48 * static_cast<size_t>(count > 0 ? count : 0);
}

// Lays out the buffer of `count` sub-blocks (none when count is not
// positive) in `out`, whose capacity is reused.
void encodeSubBlocks(int32_t count, const D_3DOT* centres, const D_3DOT* sizes,
                     std::vector<uint8_t>& out);

// Sub-blocks read from a buffer: new arrays the caller owns, or none.
struct SubBlocks {
    int32_t count = 0;
    D_3DOT* centres = nullptr;
    D_3DOT* sizes = nullptr;
};

// False, with no sub-blocks, when the buffer is shorter than its count
// says or the count is negative; nothing is read past `size` bytes.
bool decodeSubBlocks(const uint8_t* data, size_t size, SubBlocks& out);

}  // namespace vornel::store

#endif
