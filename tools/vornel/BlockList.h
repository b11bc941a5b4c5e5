// Block records that the command owns, with the sub-block arrays that the
// records themselves do not release.
#ifndef VORNEL_CLI_BLOCKLIST_H
#define VORNEL_CLI_BLOCKLIST_H

#include <vector>

#include "vornel/KrigBlockResult.h"
#include "vornel/KrigBlockVoid.h"

namespace vornel::cli {

template <typename Block>
class OwnedBlocks {
public:
    OwnedBlocks() = default;
    ~OwnedBlocks() { clear(); }
    OwnedBlocks(const OwnedBlocks&) = delete;
    OwnedBlocks& operator=(const OwnedBlocks&) = delete;
    // The moved-from list is left empty, its arrays the new one's.
    OwnedBlocks(OwnedBlocks&&) noexcept = default;

    // A new block at the end, zeroed, with room for `subBlocks` sub-blocks.
    Block& add(int subBlocks) {
        Block& b = blocks_.emplace_back();
        if (subBlocks > 0) {
            b.SubBUD_Num = subBlocks;
            b.SubBUD_PntLoc = new D_3DOT[subBlocks];
            b.SubBUD_GridSize = new D_3DOT[subBlocks];
        }
        return b;
    }

    // Releases the blocks and the memory they took.
    void clear() {
        for (const Block& b : blocks_) {
            delete[] b.SubBUD_PntLoc;
            delete[] b.SubBUD_GridSize;
        }
        std::vector<Block>().swap(blocks_);
    }

    std::vector<Block>& all() { return blocks_; }
    const std::vector<Block>& all() const { return blocks_; }
    long size() const { return static_cast<long>(blocks_.size()); }

private:
    std::vector<Block> blocks_;
};

using BlockList = OwnedBlocks<KrigBlockResult>;
using VoidList = OwnedBlocks<KrigBlockVoid>;

}  // namespace vornel::cli

#endif
