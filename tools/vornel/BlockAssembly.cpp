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

template <typename Row>
Box boundingBox(const Row* const* rows, size_t count) {
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
// The sums carry extra digits, so that a mean the rows give exactly (1.5
// from 0.2 and 2.8 by equal weights) is not rounded a unit below it, which
// a cut-off at that grade would leave out.
template <typename Row>
double weightedMean(const Row* const* rows, const std::vector<double>& weights,
                    double Row::*value) {
    long double sum = 0;
    long double total = 0;
    bool same = true;
    for (size_t r = 0; r < weights.size(); ++r) {
        sum += static_cast<long double>(weights[r]) * (rows[r]->*value);
        total += weights[r];
        same = same && rows[r]->*value == rows[0]->*value;
    }
    return same ? rows[0]->*value : static_cast<double>(sum / total);
}

}  // namespace

BlockAssembly::Head BlockAssembly::headOf(const SourceRow& row, size_t group) {
    Head h;
    h.parentBox = row.parentBox;
    h.coefficient = row.coefficient;
    h.group = group;
    h.subBlockCount = row.subBlockCount;
    h.parentIsGridCell = row.parentIsGridCell;
    h.bound = row.bound;
    return h;
}

uint32_t BlockAssembly::textNumber(std::string& text) {
    const auto [it, added] = numberOfText_.try_emplace(text, static_cast<uint32_t>(texts_.size()));
    if (added) {
        texts_.push_back(std::move(text));
    }
    return it->second;
}

BlockAssembly::Piece BlockAssembly::pieceOf(SourceRow& row, uint32_t head) {
    Piece p;
    p.box = row.box;
    p.line = row.line;
    p.grade = row.grade;
    p.variance = row.variance;
    p.meanDistance = row.meanDistance;
    p.hasTonnage = row.tonnage.has_value();
    p.tonnage = row.tonnage.value_or(0);
    p.hasDensity = row.density.has_value();
    p.density = row.density.value_or(0);
    p.samples = row.samples;
    p.searchPass = row.searchPass;
    p.category = textNumber(row.category);
    p.oreType = textNumber(row.oreType);
    p.head = head;
    return p;
}

void BlockAssembly::add(SourceRow row, BlockList& blocks) {
    if (rowCount_++ == 0) {
        firstBlock_ = blocks.all().size();
    }
    if (row.parentKey.empty()) {
        lineOfGroup_.push_back(row.line);
        const Head head = headOf(row, groupCount_++);
        const Piece alone = pieceOf(row, 0);
        const Piece* const rows = &alone;
        buildOne(head, &rows, 1, blocks);
        return;
    }
    const auto [it, added] =
        headOfKey_.try_emplace(row.parentKey, static_cast<uint32_t>(heads_.size()));
    if (added) {
        lineOfGroup_.push_back(row.line);
        heads_.push_back(headOf(row, groupCount_++));
    }
    rows_.push_back(pieceOf(row, it->second));
}

const std::string* BlockAssembly::waitingKeyOf(size_t group) const {
    for (const auto& [key, head] : headOfKey_) {
        if (heads_[head].group == group) {
            return &key;
        }
    }
    return nullptr;
}

void BlockAssembly::buildWaiting(BlockList& blocks) {
    // Rows of one group side by side, groups in the order of their first row.
    std::vector<size_t> start(heads_.size() + 1, 0);
    for (const Piece& row : rows_) {
        ++start[row.head + 1];
    }
    for (size_t h = 0; h < heads_.size(); ++h) {
        start[h + 1] += start[h];
    }
    std::vector<const Piece*> ordered(rows_.size());
    std::vector<size_t> filled(start.begin(), start.end() - 1);
    for (const Piece& row : rows_) {
        ordered[filled[row.head]++] = &row;
    }
    blocks.all().reserve(firstBlock_ + groupCount_);
    ProgressBar bar("assembling blocks");
    for (size_t h = 0; h < heads_.size(); ++h) {
        if (h % 8192 == 0) {
            bar.update(static_cast<double>(h) / static_cast<double>(heads_.size()));
        }
        buildOne(heads_[h], &ordered[start[h]], start[h + 1] - start[h], blocks);
    }
    // The check for overlaps that follows builds an index as large.
    rows_ = {};
}

void BlockAssembly::build(BlockList& blocks) {
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
        if (const std::string* earlier = waitingKeyOf(pair->first)) {
            const std::string* later = waitingKeyOf(pair->second);
            if (later == nullptr) {
                throw Failure(place + " but has no parent id (that block's is '" + *earlier +
                              "'); is it missing?");
            }
            throw Failure(place + " under another parent id ('" + *later + "', not '" + *earlier +
                          "'); if that column numbers rows, not parent blocks, rename it");
        }
        throw Failure(place + "; are some rows repeated?");
    }
}

void BlockAssembly::buildOne(const Head& head, const Piece* const* rows, size_t count,
                             BlockList& out) const {
    const Piece& first = *rows[0];
    // A row alone is its own box, kept as given: rebuilt from its corners,
    // its centre and sizes would come back rounded.
    const Box parent = head.parentBox ? *head.parentBox
                       : count == 1   ? first.box
                                      : boundingBox(rows, count);
    const bool whole = count == 1 && sameBox(first.box, parent);
    // A whole block is its row as written, not the --block-size cell
    // computed around it: 0 + 1.5 x 0.3 is not the 0.45 the file says.
    const Box& box = whole ? first.box : parent;
    if (whole && head.subBlockCount > 0) {
        // Export writes such rows, one per block or one per grid cell.
        throw Failure(placeOf(path_, first.line, 0) + ": this block has " +
                      std::to_string(head.subBlockCount) +
                      (head.subBlockCount == 1 ? " sub-block" : " sub-blocks") +
                      " that the file does not list; export them with --subblocks (a grid "
                      "cannot hold them), or read the block whole, in its parent's box, with "
                      "--ignore SUBBLOCKS");
    }
    // The part of a whole block's box that its coefficient says is inside.
    const double wholeCoefficient = head.coefficient.value_or(1.0);
    KrigBlockResult& b = out.add(whole ? 0 : static_cast<int>(count));
    b.Krig_BlockID = static_cast<int32_t>(head.group + 1);
    placeBlock(b, box);

    double volume = 0;
    double tonnes = 0;
    bool tonnesKnown = true;
    std::vector<double> volumes(count);
    std::vector<double> tonnages(count);
    const Piece* largest = rows[0];
    for (size_t r = 0; r < count; ++r) {
        const Piece& row = *rows[r];
        if (!whole && !inside(row.box, parent)) {
            throw Failure(placeOf(path_, row.line, 0) +
                          (head.parentIsGridCell
                               ? ": this block does not lie within its --block-size cell (is "
                                 "--origin, 0,0,0 unless given, the grid's lower corner?)"
                               : ": this sub-block lies outside its parent block"));
        }
        const double v = row.box.volume();
        volume += v;
        volumes[r] = v;
        if (row.hasTonnage) {
            tonnages[r] = row.tonnage;
        } else if (row.hasDensity) {
            tonnages[r] = v * (whole ? wholeCoefficient : 1.0) * row.density;
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
        weightedMean(rows, tonnesKnown && tonnes > 0 ? tonnages : volumes, &Piece::grade);
    b.Krig_OutVari = weightedMean(rows, volumes, &Piece::variance);
    b.Krig_Bound = !whole || head.bound ? 1 : 0;
    b.Block_Vol = whole ? box.volume() * b.Block_Coef : volume;
    b.Block_CorMass = tonnesKnown ? tonnes : 0;
    b.Srch_Degr = largest->searchPass;
    b.Krig_PntNum = largest->samples;
    b.Krig_MeanDis = largest->meanDistance;
    copyText(b.Krig_ResType, texts_[largest->category]);
    copyText(b.Krig_OreType, texts_[largest->oreType]);
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
