// The sub-block buffer reader on any bytes a file can hold: it never reads
// past them, a buffer it rejects holds no sub-blocks, and one it accepts
// holds exactly the sub-blocks whose encoding it was read from.
#include <cstdint>
#include <cstring>
#include <vector>

#include "FuzzCheck.h"
#include "store/SubBlockBuffer.h"

using vornel::fuzz::require;
using vornel::fuzz::same;
using vornel::store::encodeSubBlocks;
using vornel::store::subBlockBufferSize;
using vornel::store::SubBlocks;
using vornel::store::SubBlockView;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly `size` bytes: a read past it is one ASan sees.
    const std::vector<uint8_t> bytes(data, data + size);
    const SubBlockView view(bytes.data(), bytes.size());
    if (!view.valid()) {
        require(view.count() == 0);
        return 0;
    }
    const int32_t n = view.count();
    require(n >= 0 && subBlockBufferSize(n) <= size);
    SubBlocks sub;
    view.copyTo(sub);
    require(sub.count == n);
    for (int32_t i = 0; i < n; ++i) {
        require(same(view.centre(i), sub.centres[i]) && same(view.size(i), sub.sizes[i]));
    }
    std::vector<uint8_t> again;
    encodeSubBlocks(n, sub.centres, sub.sizes, again);
    require(again.size() == subBlockBufferSize(n) &&
            std::memcmp(again.data(), bytes.data(), again.size()) == 0);
    delete[] sub.centres;
    delete[] sub.sizes;
    return 0;
}
