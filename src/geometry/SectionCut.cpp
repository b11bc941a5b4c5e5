// The blocks, and the sub-blocks, that a section quadrilateral cuts.
//
// Each block is read, its box is tested against the section, and the blocks
// that are cut are packed into the front of the result cache in row order.
// Most blocks are far from any section: the database leaves out unread
// those that the cut's exact cheap tests (bounds compared, then the side of
// the section's planes each corner lies on) turn away, before any surface
// is built, and no sub-block array is made for a block that is not kept. A
// block whose count says it has no sub-blocks, or whose coefficient is
// exactly 1.0, is tested whole and comes back whole (without sub-blocks,
// which a count left beside no arrays would have a host read); any other is
// tested sub-block by sub-block and comes back with the sub-blocks the
// section cuts, in their stored order.
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#include "collision/Collide.h"
#include "collision/Collision.h"
#include "geometry/BoxTin.h"
#include "geometry/SectionReach.h"
#include "store/BlockRows.h"
#include "store/Cache.h"
#include "store/ConnectionHold.h"
#include "store/Query.h"
#include "store/Ready.h"
#include "store/Sql.h"
#include "store/SubBlockBuffer.h"
#include "vornel/VornelMng.h"

using namespace vornel::store;

namespace {

struct Bounds {
    double lo[3];
    double hi[3];

    bool meets(const Bounds& other) const {
        for (int a = 0; a < 3; ++a) {
            if (!(lo[a] <= other.hi[a] && other.lo[a] <= hi[a])) {
                return false;
            }
        }
        return true;
    }

    bool finite() const {
        for (int a = 0; a < 3; ++a) {
            if (!std::isfinite(lo[a]) || !std::isfinite(hi[a])) {
                return false;
            }
        }
        return true;
    }
};

// The bounds of a box as its surface will have them: the corners are the
// centre less and plus half of each edge, computed just so.
Bounds boxBounds(const D_3DOT& centre, const D_3DOT& size) {
    const double c[3] = {centre.x, centre.y, centre.z};
    const double s[3] = {size.x, size.y, size.z};
    Bounds b{};
    for (int a = 0; a < 3; ++a) {
        const double low = c[a] - s[a] / 2.0;
        const double high = c[a] + s[a] / 2.0;
        b.lo[a] = std::min(low, high);
        b.hi[a] = std::max(low, high);
    }
    return b;
}

struct FreeSurface {
    void operator()(ObbtHandle surface) const { DeleteObbtObj(surface); }
};

// The section surface: triangles (1, 2, 3) and (3, 4, 1), split along the
// diagonal from corner 3 to corner 1. Its surface is freed on every return.
class Section {
public:
    explicit Section(const D_3DOT* corners)
        : bounds_{{corners[0].x, corners[0].y, corners[0].z},
                  {corners[0].x, corners[0].y, corners[0].z}} {
        for (int i = 1; i <= 4; ++i) {
            const D_3DOT& c = corners[i - 1];
            pnts_[i].x = c.x;
            pnts_[i].y = c.y;
            pnts_[i].z = c.z;
            pnts_[i].bValid = 1;
            const double v[3] = {c.x, c.y, c.z};
            for (int a = 0; a < 3; ++a) {
                bounds_.lo[a] = std::min(bounds_.lo[a], v[a]);
                bounds_.hi[a] = std::max(bounds_.hi[a], v[a]);
            }
        }
        tris_[1] = {1, 2, 3, 0, 0, 0, 1};
        tris_[2] = {3, 4, 1, 0, 0, 0, 1};
        flat_ = corners[0].z == corners[1].z && corners[1].z == corners[2].z &&
                corners[2].z == corners[3].z;
        tree_ = BuildObbtOfPolyh(&pnts_[1], 4, &tris_[1], 2);
    }
    ~Section() { DeleteObbtObj(tree_); }
    Section(const Section&) = delete;
    Section& operator=(const Section&) = delete;

    bool flat() const { return flat_; }

    // True when the exact cheap tests show that the closed box and the
    // section share no point.
    bool turnsAway(const D_3DOT& centre, const D_3DOT& size) const {
        const Bounds reach = boxBounds(centre, size);
        if (!bounds_.meets(reach)) {
            return true;
        }
        // Far from an oblique section a box lies wholly to one side of it. A
        // box with a corner beyond the doubles (written by another program)
        // is left to the triangle tests, which leave out what they cannot use.
        return tree_ != nullptr && reach.finite() &&
               vornel::collision::clearOfBox(*tree_, {{reach.lo[0], reach.lo[1], reach.lo[2]},
                                                      {reach.hi[0], reach.hi[1], reach.hi[2]}});
    }

    // True when the section and the closed box share a point.
    bool cuts(const D_3DOT& centre, const D_3DOT& size) {
        if (turnsAway(centre, size)) {
            return false;
        }
        vornel::geometry::buildVolTin(centre, size, vornel::geometry::kOriginAtCentre, boxPnts_,
                                      boxTris_);
        // Freed however the test ends: a thread's first test may run out of
        // memory.
        const std::unique_ptr<vornel::collision::Surface, FreeSurface> box(
            BuildObbtOfPolyh(&boxPnts_[1], 8, &boxTris_[1], 12));
        ObbtCollide(tree_, box.get(), 0.0, 0.0, 1.0, 1.0);
        const ObbtTriPair* pairs = nullptr;
        long count = 0;
        GetCollideTriPair(box.get(), tree_, &pairs, &count);
        return count > 0;
    }

private:
    TinPntStrcT pnts_[5] = {};
    TinNetStrcT tris_[3] = {};
    TinPntStrcT boxPnts_[vornel::geometry::kBoxTinPoints] = {};
    TinNetStrcT boxTris_[vornel::geometry::kBoxTinTriangles] = {};
    Bounds bounds_{};
    bool flat_ = false;
    ObbtHandle tree_ = nullptr;
};

// A horizontal section keeps only the layer of the first block it cuts, so
// a plan lying on the face between two layers shows one of them.
class LayerRule {
public:
    explicit LayerRule(bool flat) : flat_(flat) {}

    bool admits(double z) {
        if (!flat_) {
            return true;
        }
        if (!set_) {
            set_ = true;
            z_ = z;
        }
        return z == z_;
    }

private:
    bool flat_;
    bool set_ = false;
    double z_ = 0.0;
};

D_3DOT centreOf(const KrigBlockResult& b) {
    return {b.Krig_PntLocX, b.Krig_PntLocY, b.Krig_PntLocZ};
}

D_3DOT sizeOf(const KrigBlockResult& b) {
    return {b.Krig_GridSizeX, b.Krig_GridSizeY, b.Krig_GridSizeZ};
}

// Gives the kept record arrays holding the chosen sub-blocks; throws
// std::bad_alloc, the record unchanged, when they cannot be had.
void keepSubBlocks(const SubBlockView& view, const std::vector<int32_t>& chosen,
                   KrigBlockResult& kept) {
    const size_t n = chosen.size();
    std::unique_ptr<D_3DOT[]> centres(new D_3DOT[n]);
    std::unique_ptr<D_3DOT[]> sizes(new D_3DOT[n]);
    for (size_t m = 0; m < n; ++m) {
        centres[m] = view.centre(chosen[m]);
        sizes[m] = view.size(chosen[m]);
    }
    kept.SubBUD_Num = static_cast<int32_t>(n);
    kept.SubBUD_PntLoc = centres.release();
    kept.SubBUD_GridSize = sizes.release();
}

// The blocks kept, gathered apart so that the memory follows the section,
// not the table. They own their sub-block arrays until they move into the
// cache, and free them on any other way out.
class KeptBlocks {
public:
    KeptBlocks() = default;
    ~KeptBlocks() {
        for (KrigBlockResult& b : blocks_) {
            releaseSubBlocks(b);
        }
    }
    KeptBlocks(const KeptBlocks&) = delete;
    KeptBlocks& operator=(const KeptBlocks&) = delete;

    // Keeps the block, with the chosen sub-blocks unless none are; throws
    // std::bad_alloc when they cannot be held.
    void keep(const KrigBlockResult& block, const SubBlockView& view,
              const std::vector<int32_t>& chosen) {
        blocks_.push_back(block);
        if (!chosen.empty()) {
            keepSubBlocks(view, chosen, blocks_.back());
        }
    }

    // Moves the blocks into a new array, never null, that the caller owns;
    // null, the blocks still here, when it cannot be had.
    KrigBlockResult* release(int32_t& count) {
        auto* out = new (std::nothrow) KrigBlockResult[std::max<size_t>(blocks_.size(), 1)];
        if (out != nullptr) {
            std::copy(blocks_.begin(), blocks_.end(), out);
            count = static_cast<int32_t>(blocks_.size());
            blocks_.clear();
        }
        return out;
    }

private:
    std::vector<KrigBlockResult> blocks_;
};

}  // namespace

long CVornelMng::getCutBlockResult(std::string tableName, D_3DOT* corners, KrigBlockResult** blocks,
                                   long* count) try {
    m_strLastError.clear();
    if (const char* problem = tableNameProblem(tableName)) {
        return fail(problem);
    }
    if (corners == nullptr || blocks == nullptr || count == nullptr) {
        return fail("the section's corners, or somewhere to put the answer, are missing");
    }
    // No exact test places a corner at infinity, or one that is no number.
    for (int i = 0; i < 4; ++i) {
        if (!std::isfinite(corners[i].x) || !std::isfinite(corners[i].y) ||
            !std::isfinite(corners[i].z)) {
            return fail("corner " + std::to_string(i + 1) +
                        " of the section holds a value that is not a finite number");
        }
    }
    if (const char* why = queryUnready(m_pDatabase)) {
        return fail(why);
    }
    // A hook raised while the row test is made or undone finds the
    // connection held, as it does during the queries.
    const ConnectionHold hold(*m_pDatabase->m_pConnection);
    // The section's surface, the statements and the kept blocks take memory;
    // a host that runs out of it is told so by the status.
    try {
        return cutBlocks(tableName, corners, blocks, count);
    } catch (const std::bad_alloc&) {
        return fail("cannot hold the cut blocks in memory");
    }
} catch (const std::bad_alloc&) {
    return outOfMemory();
}

long CVornelMng::cutBlocks(const std::string& tableName, const D_3DOT* corners,
                           KrigBlockResult** blocks, long* count) {
    Section section(corners);
    // The rows' query leaves out unread those that the section's cheap tests
    // turn away. The count holds one state of the file open for the rows
    // read after it; no index serves the clause, so they come in the
    // table's order.
    const vornel::geometry::ReachTest reachTest(
        *m_pDatabase->m_pConnection, [&section](const D_3DOT& centre, const D_3DOT& size) {
            return section.turnsAway(centre, size);
        });
    CDbRecordset& rs = *m_pDatabase->m_pRecordset;
    const OpenQuery counted(rs, format("SELECT 1 FROM [%s]", tableName.c_str()));
    if (!counted.opened()) {
        return fail("cannot read the blocks: " + m_pDatabase->Failure());
    }
    CDbRecordset blockRows(m_pDatabase->m_pConnection);
    const bool leaveOut =
        reachTest.defined() && vornel::geometry::clauseFitsTable(blockRows, tableName);
    const OpenQuery query(blockRows, format("SELECT * FROM [%s]", tableName.c_str()) +
                                         (leaveOut ? vornel::geometry::reachClause() : ""));
    // Until both queries are open the blocks handed out before stay valid.
    if (!query.opened()) {
        return fail("cannot read the blocks: " + m_pDatabase->Failure());
    }
    releaseBlocks(m_pResults, m_nResultNum);
    if (rs.IsBOF() != 0) {
        *blocks = nullptr;
        *count = 0;
        return fail("the table has no rows");
    }
    if (const std::string missing = missingColumns<KrigBlockResult>(blockRows); !missing.empty()) {
        return fail(missing);
    }
    const long rows = rs.GetRecordCount();
    if (rows <= 0 || rows > std::numeric_limits<int32_t>::max()) {
        return fail("cannot count the rows: " + m_pDatabase->Failure());
    }
    KeptBlocks kept;
    BlockReader reader(blockRows);
    LayerRule layer(section.flat());
    std::vector<int32_t> chosen;
    bool moved = true;
    try {
        for (long r = 0; moved && r < rows && blockRows.IsEOF() == 0;
             ++r, moved = blockRows.MoveNext() != 0) {
            KrigBlockResult block;
            reader.readResultColumns(block);
            const SubBlockView view = reader.readSubBlockView(kResultSubBlockColumn);
            chosen.clear();
            if (view.count() <= 0 || block.Block_Coef == 1.0) {
                if (!section.cuts(centreOf(block), sizeOf(block)) ||
                    !layer.admits(block.Krig_PntLocZ)) {
                    continue;
                }
            } else {
                for (int32_t j = 0; j < view.count(); ++j) {
                    if (section.cuts(view.centre(j), view.size(j))) {
                        if (!layer.admits(block.Krig_PntLocZ)) {
                            chosen.clear();
                            break;
                        }
                        chosen.push_back(j);
                    }
                }
                if (chosen.empty()) {
                    continue;
                }
            }
            kept.keep(block, view, chosen);
        }
    } catch (const UnreadableSubBlocks&) {
        return fail(std::string(kSubBlocksUnreadable) + ": " + m_pDatabase->Failure());
    }
    if (!moved) {
        return fail("cannot read the blocks: " + m_pDatabase->Failure());
    }
    m_pResults = kept.release(m_nResultNum);
    if (m_pResults == nullptr) {
        return fail("cannot hold the blocks in memory");
    }
    *blocks = m_pResults;
    *count = m_nResultNum;
    return 1;
}
