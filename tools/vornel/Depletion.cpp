#include "Depletion.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <utility>
#include <vector>

#include "Box.h"
#include "BoxOverlap.h"
#include "BoxUnion.h"
#include "Failure.h"
#include "ModelDatabase.h"
#include "RecordFields.h"

namespace vornel::cli {
namespace {

// The ground of a record, refused where another program wrote a place or
// size that is no number, or a size below 0: no volume can be taken off it.
template <typename Block>
std::vector<Box> checkedGroundOf(const Block& b, const std::string& what,
                                 const std::string& where) {
    std::vector<Box> pieces = groundOf(b);
    if (!std::all_of(pieces.begin(), pieces.end(), [](const Box& p) { return p.measurable(); })) {
        std::string message = what;
        message += " " + std::to_string(b.Krig_BlockID);
        message += where;
        message +=
            " has a place or size that is not a number, or a size below 0: its ground cannot be "
            "measured";
        throw Failure(message);
    }
    return pieces;
}

}  // namespace

VoidGround::VoidGround() = default;

VoidGround::VoidGround(const KrigBlockVoid* voids, long voidCount, const std::string& voidTable)
    : table_(voidTable) {
    std::vector<Box> pieces;
    for (long v = 0; v < voidCount; ++v) {
        const std::vector<Box> ground =
            checkedGroundOf(voids[v], "the void block", " of " + voidTable);
        pieces.insert(pieces.end(), ground.begin(), ground.end());
    }
    holes_ = disjointBoxes(pieces);
    index_ = std::make_unique<BoxIndex>(holes_);
}

VoidGround::~VoidGround() = default;
VoidGround::VoidGround(VoidGround&&) noexcept = default;
VoidGround& VoidGround::operator=(VoidGround&&) noexcept = default;

double VoidGround::covered(const Box& box, const PlanOutline* within) const {
    if (holes_.empty()) {
        return 0;
    }
    const std::vector<size_t> reaching = index_->reaching(box);
    return std::accumulate(reaching.begin(), reaching.end(), 0.0, [&](double sum, size_t h) {
        return sum + (within == nullptr ? sharedVolume(box, holes_[h])
                                        : within->volumeIn(sharedBox(box, holes_[h])));
    });
}

VoidGround readVoidGround(CVornelMng& mng, const std::string& path, const std::string& voidTable) {
    // A table of blocks reads as void blocks too, and would take off all
    // the ground they stand for.
    if (isBlockTable(mng, voidTable)) {
        throw Failure(path + ": '" + voidTable +
                      "' holds a run's blocks, not void blocks: its ground is no old workings "
                      "to take off");
    }
    KrigBlockVoid* voids = nullptr;
    const long voidCount = readVoids(mng, path, voidTable, &voids);
    return VoidGround(voids, voidCount, voidTable);
}

VoidGround readVoidGround(CVornelMng& mng, const std::string& path,
                          const std::optional<KrigBlockParam>& run) {
    const std::string voidTable = run ? run->VoidTable_Name : "";
    if (voidTable.empty()) {
        throw Failure("--deplete: the run" +
                      (run ? " of " + std::string(run->Table_Name) : std::string()) +
                      " names no void table to take off its blocks");
    }
    return readVoidGround(mng, path, voidTable);
}

namespace {

const char* const kRegularized = "regularized from ";
const char* const kInto = " into cells of ";
const char* const kWithin = ", within ";

}  // namespace

std::string regularizedDescription(const std::string& table, const std::string& size,
                                   const std::string& within, const std::string& lessVoids) {
    // The tables' names come before the size, the outline's last, where
    // no text any of them holds can be read for the outline's mark.
    return kRegularized + table + (lessVoids.empty() ? "" : " less " + lessVoids) + kInto + size +
           (within.empty() ? "" : kWithin + within);
}

std::optional<std::string> outlineHeld(const std::optional<KrigBlockParam>& run) {
    if (!run) {
        return std::nullopt;
    }
    const std::string description(run->Krig_Result_Name,
                                  strnlen(run->Krig_Result_Name, sizeof run->Krig_Result_Name));
    if (description.rfind(kRegularized, 0) != 0) {
        return std::nullopt;
    }
    // Past the tables' names, which may hold anything but both marks
    // (they are 19 bytes at most).
    const size_t size = description.find(kInto, std::strlen(kRegularized));
    const size_t within = size == std::string::npos ? size : description.find(kWithin, size);
    if (within == std::string::npos) {
        return std::nullopt;
    }
    return description.substr(within + std::strlen(kWithin));
}

void refuseSecondOutline(const std::optional<KrigBlockParam>& run, const PlanOutline* within) {
    const std::optional<std::string> held = outlineHeld(run);
    if (within != nullptr && held) {
        throw Failure(std::string("--within: the cells of ") + run->Table_Name +
                      " hold only the ground within " + *held +
                      " already, which --within would take as spread over each whole cell and "
                      "cut again: leave --within out");
    }
}

double shareLeft(double covered, double volume) {
    const double share = volume > 0 ? 1 - covered / volume : 1;
    return share < kShareRounding ? 0 : share > 1 - kShareRounding ? 1 : share;
}

GroundOfBox groundOfBox(const Box& box, const VoidGround& holes, const PlanOutline* within) {
    GroundOfBox g;
    g.volume = sharedVolume(box, box);
    g.inside = within == nullptr ? g.volume : within->volumeIn(box);
    g.taken = holes.covered(box, within);
    return g;
}

GroundOfBox groundOfBlock(const KrigBlockResult& b, const VoidGround& holes,
                          const PlanOutline* within) {
    GroundOfBox ground;
    for (const Box& piece : checkedGroundOf(b, "the block", "")) {
        const GroundOfBox g = groundOfBox(piece, holes, within);
        ground.volume += g.volume;
        ground.inside += g.inside;
        ground.taken += g.taken;
    }
    // Of ground of no volume, no share is within the outline or not: it
    // would be kept whole wherever it lay.
    if (within != nullptr && !(ground.volume > 0)) {
        throw Failure("the block " + std::to_string(b.Krig_BlockID) +
                      " has a size of 0: what of it lies within " + within->name() +
                      " cannot be measured");
    }
    return ground;
}

Depleted deplete(KrigBlockResult* blocks, long count, const VoidGround& holes,
                 const PlanOutline* within) {
    Depleted result;
    std::vector<double> shares(static_cast<size_t>(count));
    for (long i = 0; i < count; ++i) {
        const GroundOfBox ground = groundOfBlock(blocks[i], holes, within);
        const double shareIn = ground.shareInside();
        const double share = shareIn == 0 ? 0 : ground.shareKept();
        result.outside += shareIn == 0 ? 1 : 0;
        result.across += shareIn > 0 && shareIn < 1 ? 1 : 0;
        result.mined += shareIn > 0 && share == 0 ? 1 : 0;
        result.cut += share > 0 && share < shareIn ? 1 : 0;
        // A whole block partly in the model has that part of its box as
        // ground, wherever the holes fall in it.
        const double fill = blocks[i].SubBUD_Num > 0 ? 1 : blocks[i].Block_Coef;
        result.volume += ground.volume * fill * (shareIn - share);
        shares[static_cast<size_t>(i)] = share;
    }
    for (long i = 0; i < count; ++i) {
        const double share = shares[static_cast<size_t>(i)];
        if (share == 0) {
            continue;
        }
        KrigBlockResult& b = blocks[i];
        if (share < 1) {
            const Box box = boxOf(b);
            b.Block_Vol = (b.Block_Vol > 0 ? b.Block_Vol : box.volume() * b.Block_Coef) * share;
            b.Block_CorMass *= share;
        }
        std::swap(blocks[result.left++], b);
    }
    return result;
}

}  // namespace vornel::cli
