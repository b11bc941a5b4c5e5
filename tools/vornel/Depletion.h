// Blocks less the ground of void blocks (old workings, mined out): what a
// resource statement reports as still in place.
#ifndef VORNEL_CLI_DEPLETION_H
#define VORNEL_CLI_DEPLETION_H

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Box.h"
#include "BoxOverlap.h"
#include "PlanOutline.h"
#include "vornel/VornelMng.h"

namespace vornel::cli {

// A share of a block's ground this close to all or nothing is rounding: the
// faces of a block and a void block that meet may stand apart by the last
// bits of their doubles.
constexpr double kShareRounding = 1e-9;

// The ground of void blocks (their sub-blocks, or their boxes), for asking
// how much of a box they cover; ground that void blocks share counts once.
class VoidGround {
public:
    // None: it covers nothing.
    VoidGround();
    // Throws Failure, naming `voidTable`, for a place or size that is not a
    // number, or a size below 0.
    VoidGround(const KrigBlockVoid* voids, long voidCount, const std::string& voidTable);
    ~VoidGround();
    VoidGround(VoidGround&&) noexcept;
    VoidGround& operator=(VoidGround&&) noexcept;

    bool empty() const { return holes_.empty(); }
    const std::string& table() const { return table_; }
    // The volume of the box that the void blocks cover, all of it or only
    // within the outline.
    double covered(const Box& box, const PlanOutline* within = nullptr) const;

private:
    std::string table_;
    std::vector<Box> holes_;  // do not overlap
    std::unique_ptr<BoxIndex> index_;
};

// The ground of the void table of that name in the open database at `path`.
// Throws Failure.
VoidGround readVoidGround(CVornelMng& mng, const std::string& path, const std::string& voidTable);

// The ground of the void table the run names, whose ground --deplete takes
// off its blocks. Throws Failure, also when the run names none.
VoidGround readVoidGround(CVornelMng& mng, const std::string& path,
                          const std::optional<KrigBlockParam>& run);

// The share of a box left when `covered` of its `volume` is taken: what
// lies within kShareRounding of all or nothing counts as all or nothing.
double shareLeft(double covered, double volume);

// How much of a box's ground counts: its volume, the part of it within the
// outline (all of it without one), and of that part what void blocks cover.
struct GroundOfBox {
    double volume = 0;
    double inside = 0;
    double taken = 0;

    // The share of the box within the outline, and of the box left.
    double shareInside() const { return shareLeft(volume - inside, volume); }
    double shareKept() const { return shareLeft(volume - inside + taken, volume); }
};
GroundOfBox groundOfBox(const Box& box, const VoidGround& holes, const PlanOutline* within);
// The same over a block's ground: its sub-blocks, or its box. Throws
// Failure for a place or size that is not a number, or a size below 0, and
// with an outline for ground of no volume.
GroundOfBox groundOfBlock(const KrigBlockResult& b, const VoidGround& holes,
                          const PlanOutline* within);

// The description of a run regularized from `table` into cells of `size`,
// within the outline named and less a void table's ground when given.
std::string regularizedDescription(const std::string& table, const std::string& size,
                                   const std::string& within, const std::string& lessVoids);

// The name of the outline whose ground alone the cells of a regularized run
// hold, as its description gives it: none for other runs.
std::optional<std::string> outlineHeld(const std::optional<KrigBlockParam>& run);

// Throws Failure when an outline is asked of a run whose cells hold the
// ground within one alone (regularized so): the outline would take each
// cell's ground as spread over its whole box and cut it again.
void refuseSecondOutline(const std::optional<KrigBlockParam>& run, const PlanOutline* within);

struct Depleted {
    long left = 0;  // blocks with ground left, now the first of those given

    long mined = 0;     // blocks whose ground is all inside void blocks, left out
    long cut = 0;       // blocks partly inside them
    double volume = 0;  // m3 taken off the blocks by the void blocks

    long outside = 0;  // blocks wholly outside the outline, left out
    long across = 0;   // blocks partly outside it
};

// Takes the ground of void blocks, and with an outline the ground outside
// it, off the blocks, in place: each block with ground left has its tonnage
// (Block_CorMass) and volume (Block_Vol) scaled to the share of its ground
// left, and those blocks come first, in their order; the blocks with none
// left follow. The records are swapped, never copied over, so that whoever
// owns their sub-block arrays still holds each once. A block's or a void
// block's ground is its sub-blocks when it has any, otherwise its box.
// Throws Failure for a place or size of a block that is not a number, or a
// size below 0, before any block is changed.
Depleted deplete(KrigBlockResult* blocks, long count, const VoidGround& holes,
                 const PlanOutline* within = nullptr);

}  // namespace vornel::cli

#endif
