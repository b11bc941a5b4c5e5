#include "BlockAssembly.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

#include "BoxOverlap.h"
#include "Failure.h"
#include "NumberText.h"
#include "ProgressBar.h"
#include "RecordFields.h"
#include "TextRows.h"

namespace vornel::cli {
namespace {

// Coordinates in files carry a few decimals; a millionth of the block's
// size is well below what any of them can mean.
constexpr double kBoxTolerance = 1e-6;

bool sameBox(const Box& a, const Box& b) {
    const double slack = kBoxTolerance * std::max({a.size.x, a.size.y, a.size.z});
    for (int i = 0; i < 3; ++i) {
        if (std::fabs(axis(a.centre, i) - axis(b.centre, i)) > slack ||
            std::fabs(axis(a.size, i) - axis(b.size, i)) > slack) {
            return false;
        }
    }
    return true;
}

Box boundingBox(const SourceRow* const* rows, size_t count) {
    double lo[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
    double hi[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (size_t r = 0; r < count; ++r) {
        for (int i = 0; i < 3; ++i) {
            lo[i] = std::min(lo[i], rows[r]->box.low(i));
            hi[i] = std::max(hi[i], rows[r]->box.high(i));
        }
    }
    return {{(lo[0] + hi[0]) / 2, (lo[1] + hi[1]) / 2, (lo[2] + hi[2]) / 2},
            {hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]}};
}

// The mean of a value over the rows, each weighed by its weight; a value
// that all rows share comes back unchanged, not rounded by the weighting.
double weightedMean(const SourceRow* const* rows, const std::vector<double>& weights,
                    double SourceRow::*value) {
    double sum = 0;
    double total = 0;
    bool same = true;
    for (size_t r = 0; r < weights.size(); ++r) {
        sum += weights[r] * (rows[r]->*value);
        total += weights[r];
        same = same && rows[r]->*value == rows[0]->*value;
    }
    return same ? rows[0]->*value : sum / total;
}

}  // namespace

void BlockAssembly::add(SourceRow row, BlockList& blocks) {
    if (rowCount_++ == 0) {
        firstBlock_ = blocks.all().size();
    }
    if (row.parentKey.empty()) {
        lineOfGroup_.push_back(row.line);
        const SourceRow* const alone = &row;
        buildOne(&alone, 1, static_cast<int32_t>(++groupCount_), blocks);
        return;
    }
    const auto [it, added] = groupOfKey_.emplace(row.parentKey, groupCount_);
    if (added) {
        lineOfGroup_.push_back(row.line);
        ++groupCount_;
    }
    groupOfRow_.push_back(it->second);
    rows_.push_back(std::move(row));
}

const SourceRow* BlockAssembly::waitingRowOf(size_t group) const {
    const auto r = std::find(groupOfRow_.begin(), groupOfRow_.end(), group);
    return r == groupOfRow_.end() ? nullptr : &rows_[static_cast<size_t>(r - groupOfRow_.begin())];
}

void BlockAssembly::buildWaiting(BlockList& blocks) const {
    // Rows of one group side by side, groups in the order of their first row.
    std::vector<size_t> start(groupCount_ + 1, 0);
    for (const size_t g : groupOfRow_) {
        ++start[g + 1];
    }
    for (size_t g = 0; g < groupCount_; ++g) {
        start[g + 1] += start[g];
    }
    std::vector<const SourceRow*> ordered(rows_.size());
    std::vector<size_t> filled(start.begin(), start.end() - 1);
    for (size_t r = 0; r < rows_.size(); ++r) {
        ordered[filled[groupOfRow_[r]]++] = &rows_[r];
    }
    blocks.all().reserve(firstBlock_ + groupCount_);
    ProgressBar bar("assembling blocks");
    for (size_t g = 0; g < groupCount_; ++g) {
        if (g % 8192 == 0) {
            bar.update(static_cast<double>(g) / static_cast<double>(groupCount_));
        }
        if (start[g + 1] > start[g]) {
            buildOne(&ordered[start[g]], start[g + 1] - start[g], static_cast<int32_t>(g + 1),
                     blocks);
        }
    }
}

void BlockAssembly::build(BlockList& blocks) const {
    if (!rows_.empty()) {
        buildWaiting(blocks);
    }
    std::vector<KrigBlockResult>& all = blocks.all();
    const auto ours = all.begin() + static_cast<std::ptrdiff_t>(firstBlock_);
    const auto byNumber = [](const KrigBlockResult& a, const KrigBlockResult& b) {
        return a.Krig_BlockID < b.Krig_BlockID;
    };
    if (!std::is_sorted(ours, all.end(), byNumber)) {
        std::sort(ours, all.end(), byNumber);
    }
    std::vector<Box> parents(groupCount_);
    std::transform(ours, all.end(), parents.begin(), [](const KrigBlockResult& b) {
        return Box{{b.Krig_PntLocX, b.Krig_PntLocY, b.Krig_PntLocZ},
                   {b.Krig_GridSizeX, b.Krig_GridSizeY, b.Krig_GridSizeZ}};
    });
    // Blocks in one place are rows repeated, or two models in one file;
    // blocks that overlap were most often placed on the wrong grid.
    if (const auto pair = firstOverlap(parents)) {
        const long earlierLine = lineOfGroup_[pair->first];
        const long laterLine = lineOfGroup_[pair->second];
        const std::string place = placeOf(path_, laterLine, 0) +
                                  ": this block lies where the block of line " +
                                  std::to_string(earlierLine) + " does";
        const Box& a = parents[pair->first];
        const Box& b = parents[pair->second];
        if (!sameBox(a, b)) {
            std::string depth;
            for (int i = 0; i < 3; ++i) {
                depth += (i == 0 ? "" : " x ") + formatNumber(std::min(a.high(i), b.high(i)) -
                                                              std::max(a.low(i), b.low(i)));
            }
            throw Failure(placeOf(path_, laterLine, 0) +
                          ": this block overlaps the block of line " + std::to_string(earlierLine) +
                          " by " + depth + overlapHint_);
        }
        // One parent cell under two parent ids: the ids number rows.
        if (const SourceRow* earlier = waitingRowOf(pair->first)) {
            const SourceRow* later = waitingRowOf(pair->second);
            if (later == nullptr) {
                throw Failure(place + " but has no parent id (that block's is '" +
                              earlier->parentKey + "'); is it missing?");
            }
            throw Failure(place + " under another parent id ('" + later->parentKey + "', not '" +
                          earlier->parentKey +
                          "'); if that column numbers rows, not parent blocks, rename it");
        }
        throw Failure(place + "; are some rows repeated?");
    }
}

void BlockAssembly::buildOne(const SourceRow* const* rows, size_t count, int32_t id,
                             BlockList& out) const {
    const SourceRow& first = *rows[0];
    // A row alone is its own box, kept as given: rebuilt from its corners,
    // its centre and sizes would come back rounded.
    const Box parent = first.parentBox ? *first.parentBox
                       : count == 1    ? first.box
                                       : boundingBox(rows, count);
    const bool whole = count == 1 && sameBox(first.box, parent);
    if (whole && first.subBlockCount > 0) {
        throw Failure(placeOf(path_, first.line, 0) + ": this block has " +
                      std::to_string(first.subBlockCount) +
                      " sub-blocks that the file does not list; export them with --subblocks");
    }
    // The part of a whole block's box that its coefficient says is inside.
    const double wholeCoefficient = first.coefficient.value_or(1.0);
    KrigBlockResult& b = out.add(whole ? 0 : static_cast<int>(count));
    b.Krig_BlockID = id;
    placeBlock(b, parent);

    double volume = 0;
    double tonnes = 0;
    bool tonnesKnown = true;
    std::vector<double> volumes(count);
    std::vector<double> tonnages(count);
    const SourceRow* largest = rows[0];
    for (size_t r = 0; r < count; ++r) {
        const SourceRow& row = *rows[r];
        if (!whole && !inside(row.box, parent)) {
            throw Failure(placeOf(path_, row.line, 0) +
                          (row.parentIsGridCell
                               ? ": this block does not lie within one --block-size cell (is "
                                 "--origin, 0,0,0 unless given, the grid's lower corner?)"
                               : ": this sub-block lies outside its parent block"));
        }
        const double v = row.box.volume();
        volume += v;
        volumes[r] = v;
        if (row.tonnage) {
            tonnages[r] = *row.tonnage;
        } else if (row.density) {
            tonnages[r] = v * (whole ? wholeCoefficient : 1.0) * *row.density;
        } else {
            tonnesKnown = false;
        }
        tonnes += tonnages[r];
        if (v > largest->box.volume()) {
            largest = &row;
        }
        if (!whole) {
            b.SubBUD_PntLoc[r] = row.box.centre;
            b.SubBUD_GridSize[r] = row.box.size;
        }
    }
    if (!whole) {
        std::vector<Box> boxes(count);
        for (size_t r = 0; r < count; ++r) {
            boxes[r] = rows[r]->box;
        }
        if (const auto pair = firstOverlap(boxes)) {
            throw Failure(placeOf(path_, rows[pair->second]->line, 0) +
                          ": this sub-block overlaps that of line " +
                          std::to_string(rows[pair->first]->line) + "; are some rows repeated?");
        }
    }
    const double coefficient = whole ? wholeCoefficient : volume / parent.volume();
    // Sub-blocks inside their parent and apart from each other fill at most
    // all of it; only the slack of the two tests can add a trace more.
    b.Block_Coef = std::min(coefficient, 1.0);
    // Weighed by tonnes where they are all known, so that the block holds
    // the metal its rows do even where their densities differ.
    b.Krig_OutAttr =
        weightedMean(rows, tonnesKnown && tonnes > 0 ? tonnages : volumes, &SourceRow::grade);
    b.Krig_OutVari = weightedMean(rows, volumes, &SourceRow::variance);
    b.Krig_Bound = !whole || first.bound ? 1 : 0;
    b.Block_Vol = whole ? parent.volume() * b.Block_Coef : volume;
    b.Block_CorMass = tonnesKnown ? tonnes : 0;
    b.Srch_Degr = largest->searchPass;
    b.Krig_PntNum = largest->samples;
    b.Krig_MeanDis = largest->meanDistance;
    copyText(b.Krig_ResType, largest->category);
    copyText(b.Krig_OreType, largest->oreType);
    // Numbers a file can hold may still overflow once multiplied and summed:
    // sizes of 1e-120 leave no volume to weigh by, grades of 1e308 no mean.
    // Volume and tonnage are kept in single precision.
    const double largestSingle = std::numeric_limits<float>::max();
    const double values[] = {b.Block_Coef, b.Krig_OutAttr, b.Krig_OutVari, b.Block_Vol,
                             b.Block_CorMass};
    if (!std::all_of(std::begin(values), std::end(values),
                     [](double v) { return std::isfinite(v); }) ||
        std::fabs(b.Block_Vol) > largestSingle || std::fabs(b.Block_CorMass) > largestSingle) {
        throw Failure(placeOf(path_, first.line, 0) +
                      ": this block's volume, tonnage or mean grade works out beyond what "
                      "the database holds; are its sizes and grades right?");
    }
}

}  // namespace vornel::cli
