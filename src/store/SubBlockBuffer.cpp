#include "store/SubBlockBuffer.h"

#include <cstring>
#include <new>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "the sub-block buffer is laid out as this machine keeps numbers");
static_assert(sizeof(D_3DOT) == 24, "a point is three doubles");

namespace vornel::store {

void encodeSubBlocks(int32_t count, const D_3DOT* centres, const D_3DOT* sizes,
                     std::vector<uint8_t>& out) {
    const int32_t n = count > 0 ? count : 0;
    out.resize(subBlockBufferSize(n));
    std::memcpy(out.data(), &n, 4);
    if (n > 0) {
        const size_t bytes = 24 * static_cast<size_t>(n);
        std::memcpy(out.data() + 4, centres, bytes);
        std::memcpy(out.data() + 4 + bytes, sizes, bytes);
    }
}

bool decodeSubBlocks(const uint8_t* data, size_t size, SubBlocks& out) {
    out = SubBlocks();
    int32_t n = 0;
    if (size < 4) {
        return false;
    }
    std::memcpy(&n, data, 4);
    if (n < 0 || (size - 4) / 48 < static_cast<size_t>(n)) {
        return false;
    }
    if (n == 0) {
        return true;
    }
    const size_t bytes = 24 * static_cast<size_t>(n);
    out.centres = new (std::nothrow) D_3DOT[static_cast<size_t>(n)];
    out.sizes = new (std::nothrow) D_3DOT[static_cast<size_t>(n)];
    if (out.centres == nullptr || out.sizes == nullptr) {
        delete[] out.centres;
        delete[] out.sizes;
        out = SubBlocks();
        return false;
    }
    std::memcpy(out.centres, data + 4, bytes);
    std::memcpy(out.sizes, data + 4 + bytes, bytes);
    out.count = n;
    return true;
}

}  // namespace vornel::store
