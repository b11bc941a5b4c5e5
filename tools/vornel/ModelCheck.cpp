#include "ModelCheck.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <utility>

#include "BoxOverlap.h"
#include "NumberText.h"
#include "RecordFields.h"

namespace vornel::cli {

void Findings::add(Severity severity, const std::string& what, const std::string& example) {
    auto found =
        std::find_if(list_.begin(), list_.end(), [&](const Finding& f) { return f.what == what; });
    if (found == list_.end()) {
        list_.push_back({severity, what, 0, {}});
        found = list_.end() - 1;
    }
    ++found->count;
    if (!example.empty() && found->examples.size() < kExamples) {
        found->examples.push_back(example);
    }
}

long Findings::count(Severity severity) const {
    return std::accumulate(list_.begin(), list_.end(), 0L, [severity](long n, const Finding& f) {
        return n + (f.severity == severity ? f.count : 0);
    });
}

std::string blockName(int32_t run, int32_t block, bool withRun) {
    return "block " + std::to_string(block) + (withRun ? " of run " + std::to_string(run) : "");
}

namespace {

// How far a coefficient may differ from what its sub-blocks fill, and a
// volume from the box's, for rounding.
constexpr double kFillTolerance = 0.01;

bool isBox(const Box& b) {
    for (int i = 0; i < 3; ++i) {
        if (!std::isfinite(axis(b.centre, i)) || !std::isfinite(axis(b.size, i)) ||
            !(axis(b.size, i) > 0)) {
            return false;
        }
    }
    return std::isfinite(b.volume());
}

std::string boxText(const Box& b) {
    return "at " + pointText(b.centre) + ", " + sizeText(b.size);
}

// The sub-blocks of a block: each a box inside it, none overlapping
// another, filling the share of it its coefficient says.
template <typename Block>
void checkSubBlocks(const Block& b, const Box& box, const std::string& name, Findings& f) {
    std::vector<Box> pieces;
    double filled = 0;
    for (int s = 0; s < b.SubBUD_Num; ++s) {
        const Box piece{b.SubBUD_PntLoc[s], b.SubBUD_GridSize[s]};
        const std::string which = name + " sub-block " + std::to_string(s + 1);
        if (!isBox(piece)) {
            f.add(Severity::Error,
                  "a sub-block whose centre or size is no number, or whose size is 0 or less",
                  which + " " + boxText(piece));
            return;
        }
        if (!inside(piece, box)) {
            f.add(Severity::Error, "a sub-block outside its block", which + " " + boxText(piece));
        }
        pieces.push_back(piece);
        filled += piece.volume();
    }
    if (const auto pair = firstOverlap(pieces)) {
        f.add(Severity::Error, "sub-blocks of one block that overlap",
              name + " sub-blocks " + std::to_string(pair->first + 1) + " and " +
                  std::to_string(pair->second + 1));
    }
    const double share = filled / box.volume();
    if (std::fabs(share - b.Block_Coef) > kFillTolerance) {
        f.add(Severity::Warning,
              "a coefficient other than the share of the block its sub-blocks fill",
              name + ": " + formatNumber(b.Block_Coef) + ", its sub-blocks fill " +
                  formatNumber(share));
    }
}

// A block's or void block's box, coefficient and sub-blocks; whether its
// box is one, for the checks between blocks.
template <typename Block>
bool checkGround(const Block& b, const std::string& name, Findings& f) {
    const Box box = boxOf(b);
    if (!isBox(box)) {
        f.add(Severity::Error, "a centre or size that is no number, or a size of 0 or less",
              name + " " + boxText(box));
        return false;
    }
    if (!(b.Block_Coef > 0 && b.Block_Coef <= 1)) {
        f.add(Severity::Error,
              "a coefficient (the share of the block in the model) not above 0 "
              "and at most 1",
              name + ": " + formatNumber(b.Block_Coef));
    }
    if (b.SubBUD_Num > 0) {
        checkSubBlocks(b, box, name, f);
    }
    return true;
}

template <typename Block>
bool severalRuns(const Block* blocks, long count) {
    return std::any_of(blocks, blocks + count,
                       [&](const Block& b) { return b.MineID != blocks[0].MineID; });
}

template <typename Block>
std::string nameOf(const Block& b, bool withRun) {
    return blockName(b.MineID, b.Krig_BlockID, withRun);
}

// A number met again in a run, each time after the first; sorted numbers,
// not a set of them, for a table of millions.
void checkNumbers(const KrigBlockResult* blocks, long count, bool withRun, Findings& f) {
    std::vector<std::pair<int32_t, int32_t>> numbers(static_cast<size_t>(count));
    std::transform(blocks, blocks + count, numbers.begin(), [](const KrigBlockResult& b) {
        return std::make_pair(b.MineID, b.Krig_BlockID);
    });
    std::sort(numbers.begin(), numbers.end());
    for (size_t i = 1; i < numbers.size(); ++i) {
        if (numbers[i] == numbers[i - 1]) {
            f.add(Severity::Error, "a block number that another block of its run has",
                  blockName(numbers[i].first, numbers[i].second, withRun));
        }
    }
}

void checkFigures(const KrigBlockResult& b, const std::string& name, Findings& f) {
    if (!std::isfinite(b.Krig_OutAttr)) {
        f.add(Severity::Error, "a grade that is no number", name);
    } else if (b.Krig_OutAttr < 0) {
        f.add(Severity::Warning, "a grade below 0, as a code for no value (-99, -999) may be",
              name + ": " + formatNumber(b.Krig_OutAttr));
    }
    if (!(b.Block_CorMass >= 0) || !std::isfinite(b.Block_CorMass)) {
        f.add(Severity::Error, "a tonnage below 0 or that is no number",
              name + ": " + formatNumber(b.Block_CorMass));
    }
    if (!(b.Block_Vol >= 0) || !std::isfinite(b.Block_Vol)) {
        f.add(Severity::Error, "a volume below 0 or that is no number",
              name + ": " + formatNumber(b.Block_Vol));
    }
    const double volume = boxOf(b).volume() * b.Block_Coef;
    // A volume of 0 is one not recorded: the box and coefficient tell it.
    if (b.Block_Vol > 0 && std::isfinite(b.Block_Vol) && volume > 0 &&
        std::fabs(b.Block_Vol - volume) > kFillTolerance * volume) {
        f.add(Severity::Warning, "a volume (Block_Vol) other than its box times its coefficient",
              name + ": " + formatNumber(b.Block_Vol) + " m3 for " + formatNumber(volume));
    }
    if (b.Krig_OutVari < 0) {
        f.add(Severity::Warning, "a kriging variance below 0",
              name + ": " + formatNumber(b.Krig_OutVari));
    }
}

// Blocks of one run that overlap, as import refuses them.
void checkOverlaps(const KrigBlockResult* blocks, const std::vector<bool>& boxed, bool withRun,
                   Findings& f) {
    std::map<int32_t, std::vector<size_t>> byRun;
    for (size_t i = 0; i < boxed.size(); ++i) {
        if (boxed[i]) {
            byRun[blocks[i].MineID].push_back(i);
        }
    }
    long pairs = 0;
    for (const auto& entry : byRun) {
        // Named, not bound, for the lambda to take them.
        const int32_t run = entry.first;
        const std::vector<size_t>& members = entry.second;
        std::vector<Box> boxes(members.size());
        std::transform(members.begin(), members.end(), boxes.begin(),
                       [&](size_t i) { return boxOf(blocks[i]); });
        forEachOverlap(boxes, [&](size_t earlier, size_t later) {
            const KrigBlockResult& a = blocks[members[earlier]];
            const KrigBlockResult& b = blocks[members[later]];
            f.add(Severity::Error, "blocks of one run that overlap",
                  "blocks " + std::to_string(a.Krig_BlockID) + " and " +
                      std::to_string(b.Krig_BlockID) +
                      (withRun ? " of run " + std::to_string(run) : ""));
            return ++pairs < kMostOverlaps;
        });
        if (pairs >= kMostOverlaps) {
            f.add(Severity::Warning,
                  "overlapping blocks looked for no further than " + std::to_string(kMostOverlaps) +
                      " pairs",
                  "");
            return;
        }
    }
}

}  // namespace

Findings checkBlocks(const KrigBlockResult* blocks, long count) {
    Findings f;
    const bool withRun = severalRuns(blocks, count);
    std::vector<bool> boxed(static_cast<size_t>(count));
    for (long i = 0; i < count; ++i) {
        const KrigBlockResult& b = blocks[i];
        const std::string name = nameOf(b, withRun);
        boxed[static_cast<size_t>(i)] = checkGround(b, name, f);
        checkFigures(b, name, f);
    }
    checkNumbers(blocks, count, withRun, f);
    checkOverlaps(blocks, boxed, withRun, f);
    return f;
}

Findings checkVoids(const KrigBlockVoid* voids, long count) {
    Findings f;
    const bool withRun = severalRuns(voids, count);
    for (long i = 0; i < count; ++i) {
        checkGround(voids[i], "void " + nameOf(voids[i], withRun), f);
    }
    return f;
}

}  // namespace vornel::cli
