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

SubBlockView::SubBlockView(const uint8_t* data, size_t size) : data_(data) {
    int32_t n = 0;
    if (size >= 4) {
        std::memcpy(&n, data, 4);
        valid_ = n >= 0 && (size - 4) / 48 >= static_cast<size_t>(n);
    }
    count_ = valid_ ? n : 0;
}

D_3DOT SubBlockView::point(size_t offset) const {
    D_3DOT p;
    std::memcpy(&p, data_ + offset, sizeof p);
    return p;
}

bool SubBlockView::copyTo(SubBlocks& out) const {
    out = SubBlocks();
    if (count_ == 0) {
        return true;
    }
    const size_t n = static_cast<size_t>(count_);
    out.centres = new (std::nothrow) D_3DOT[n];
    out.sizes = new (std::nothrow) D_3DOT[n];
    if (out.centres == nullptr || out.sizes == nullptr) {
        delete[] out.centres;
        delete[] out.sizes;
        out = SubBlocks();
        return false;
    }
    std::memcpy(out.centres, data_ + 4, 24 * n);
    std::memcpy(out.sizes, data_ + 4 + 24 * n, 24 * n);
    out.count = count_;
    return true;
}

}  // namespace vornel::store
