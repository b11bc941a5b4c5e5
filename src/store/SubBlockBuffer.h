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

// Sub-blocks copied out of a buffer: new arrays the caller owns, or none.
struct SubBlocks {
    int32_t count = 0;
    D_3DOT* centres = nullptr;
    D_3DOT* sizes = nullptr;
};

// The sub-blocks a buffer holds, read in place: no copy, no allocation.
// A buffer shorter than its count says, or with a negative count, is not
// valid and holds none.
class SubBlockView {
public:
    SubBlockView(const uint8_t* data, size_t size);

    bool valid() const { return valid_; }
    int32_t count() const { return count_; }
    D_3DOT centre(int32_t i) const { return point(4 + 24 * static_cast<size_t>(i)); }
    D_3DOT size(int32_t i) const {
        return point(4 + 24 * (static_cast<size_t>(count_) + static_cast<size_t>(i)));
    }

    // Copies the sub-blocks into new arrays; throws std::bad_alloc, leaving
    // `out` as it was, when they cannot be had.
    void copyTo(SubBlocks& out) const;

private:
    D_3DOT point(size_t offset) const;

    const uint8_t* data_;
    bool valid_ = false;
    int32_t count_ = 0;
};

}  // namespace vornel::store

#endif
