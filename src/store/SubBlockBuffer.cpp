#include "store/SubBlockBuffer.h"

#include <cstring>
#include <memory>

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

void SubBlockView::copyTo(SubBlocks& out) const {
    if (count_ == 0) {
        out = SubBlocks();
        return;
    }
    const size_t n = static_cast<size_t>(count_);
    std::unique_ptr<D_3DOT[]> centres(new D_3DOT[n]);
    std::unique_ptr<D_3DOT[]> sizes(new D_3DOT[n]);
    std::memcpy(centres.get(), data_ + 4, 24 * n);
    std::memcpy(sizes.get(), data_ + 4 + 24 * n, 24 * n);
    out = {count_, centres.release(), sizes.release()};
}

}  // namespace vornel::store
