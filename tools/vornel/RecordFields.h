// Filling the fixed fields of the library's block records from the
// command's values.
#ifndef VORNEL_CLI_RECORDFIELDS_H
#define VORNEL_CLI_RECORDFIELDS_H

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "Box.h"

namespace vornel::cli {

// The block's centre and edge lengths (KrigBlockResult or KrigBlockVoid).
template <typename Block>
void placeBlock(Block& b, const Box& box) {
    b.Krig_PntLocX = box.centre.x;
    b.Krig_PntLocY = box.centre.y;
    b.Krig_PntLocZ = box.centre.z;
    b.Krig_GridSizeX = box.size.x;
    b.Krig_GridSizeY = box.size.y;
    b.Krig_GridSizeZ = box.size.z;
}

template <typename Block>
Box boxOf(const Block& b) {
    return {{b.Krig_PntLocX, b.Krig_PntLocY, b.Krig_PntLocZ},
            {b.Krig_GridSizeX, b.Krig_GridSizeY, b.Krig_GridSizeZ}};
}

template <typename Block>
double subBlockVolume(const Block& b) {
    double volume = 0;
    for (int s = 0; s < b.SubBUD_Num; ++s) {
        volume += Box{b.SubBUD_PntLoc[s], b.SubBUD_GridSize[s]}.volume();
    }
    return volume;
}

// Whether forEachPiece gives a block's pieces shares: sub-blocks that fill
// no volume (flat, or of a size that is no number) have none, only NaN.
template <typename Block>
bool sharedByVolume(const Block& b) {
    const double volume = subBlockVolume(b);
    return b.SubBUD_Num <= 0 || (volume > 0 && std::isfinite(volume));
}

// Calls visit(piece, share) for each box of the ground a block or void
// block fills: its sub-blocks, each with its share of their volume, or its
// box whole, with a share of 1.
template <typename Block, typename Visit>
void forEachPiece(const Block& b, Visit visit) {
    if (b.SubBUD_Num <= 0) {
        visit(boxOf(b), 1.0);
        return;
    }
    const double volume = subBlockVolume(b);
    for (int s = 0; s < b.SubBUD_Num; ++s) {
        const Box piece{b.SubBUD_PntLoc[s], b.SubBUD_GridSize[s]};
        visit(piece, piece.volume() / volume);
    }
}

// The ground a block or void block fills, as forEachPiece visits it.
template <typename Block>
std::vector<Box> groundOf(const Block& b) {
    std::vector<Box> pieces;
    pieces.reserve(static_cast<size_t>(std::max(b.SubBUD_Num, 1)));
    forEachPiece(b, [&](const Box& piece, double) { pieces.push_back(piece); });
    return pieces;
}

// Text cut to the field's width less its terminator, before a whole UTF-8
// character; callers check lengths where a cut would lose something the
// user gave.
template <size_t N>
void copyText(char (&field)[N], const std::string& text) {
    size_t length = std::min(text.size(), N - 1);
    while (length < text.size() && length > 0 &&
           (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
        --length;
    }
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

}  // namespace vornel::cli

#endif
