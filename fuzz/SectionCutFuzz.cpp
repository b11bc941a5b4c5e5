// The section cut on any few stored blocks and any section: it hands back
// exactly the blocks, and of a split block exactly the sub-blocks, whose
// closed box surfaces the section's two triangles meet, in row order, a
// flat section keeping only the layer of the first block it cuts. An exact
// brute force over every pair of faces says which. A section corner that is
// no finite number is refused; where a box corner lies beyond the doubles,
// the cut must only answer sanely.
//
// Coordinates come from the bytes as points of a 2.5 m lattice at mining
// coordinates, as values drawn again from those already used on the same
// axis, or as any eight bytes, and are often moved a few units in the last
// place: boxes and sections then share faces, edges and corners, or just
// miss them, far more often than chance would have them.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "FuzzCheck.h"
#include "geometry/ExactCut.h"
#include "support/TempDir.h"
#include "vornel/VornelMng.h"

using vornel::fuzz::require;
using vornel::fuzz::same;
using vornel::test::CutBlock;
using vornel::test::ExactCut;
using vornel::test::testedWhole;

namespace {

constexpr int kMostBlocks = 6;
constexpr int kMostSubBlocks = 4;

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }

    // A coordinate on axis 0, 1 or 2.
    double coordinate(int axis) {
        static constexpr double kBase[3] = {500000.0, 3000000.0, 100.0};
        return value(used_[axis], kBase[axis] + 2.5 * static_cast<int8_t>(byte()));
    }

    // An edge length on axis 0, 1 or 2, from none to 17.5 m on the lattice.
    double extent(int axis) { return value(extents_[axis], 2.5 * (byte() % 8)); }

private:
    double value(std::vector<double>& used, double onLattice) {
        const uint8_t tag = byte();
        double v = onLattice;
        if (tag % 4 == 1 && !used.empty()) {
            v = used[byte() % used.size()];
        } else if (tag % 4 == 2) {
            for (size_t i = 0; i < sizeof v; ++i) {
                reinterpret_cast<uint8_t*>(&v)[i] = byte();
            }
        }
        // 0 leaves the value, 1 to 3 move it up, 5 to 7 down that many ulps.
        const int steps = tag / 4 % 8;
        const double toward = steps < 4 ? HUGE_VAL : -HUGE_VAL;
        for (int s = 0; s < steps % 4; ++s) {
            v = std::nextafter(v, toward);
        }
        used.push_back(v);
        return v;
    }

    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
    std::vector<double> used_[3];
    std::vector<double> extents_[3];
};

D_3DOT point(Reader& in) {
    return {in.coordinate(0), in.coordinate(1), in.coordinate(2)};
}

D_3DOT extents(Reader& in) {
    return {in.extent(0), in.extent(1), in.extent(2)};
}

bool finite(const D_3DOT& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// The database, made once: each input empties its one table and fills it again.
CVornelMng& manager() {
    static vornel::test::TempDir dir;
    static CVornelMng mng;
    static const bool ready = mng.createDatabase(dir.file("model.mdb")) == 1 &&
                              mng.initDataBase() == 1 && mng.createBlockResultTbl("T1") == 1;
    require(ready);
    return mng;
}

// The blocks as the database hands them back, in row order, and their
// sub-block arrays, which the caller of a one-block read owns.
struct Stored {
    std::vector<KrigBlockResult> rows;
    std::vector<std::unique_ptr<D_3DOT[]>> arrays;
};

// Ids fall as rows are added, so that an answer sorted by id does not pass
// for one in row order.
Stored readBack(CVornelMng& mng, int n) {
    Stored s;
    for (int32_t id = n; id >= 1; --id) {
        KrigBlockResult& b = s.rows.emplace_back();
        require(mng.getBlockResult("T1", id, &b) == 1);
        s.arrays.emplace_back(b.SubBUD_PntLoc);
        s.arrays.emplace_back(b.SubBUD_GridSize);
    }
    return s;
}

// Which stored sub-block each one handed back is, by its bits.
std::vector<int32_t> positions(const KrigBlockResult& got, const KrigBlockResult& stored) {
    std::vector<int32_t> out;
    int32_t from = 0;
    for (int32_t j = 0; j < got.SubBUD_Num; ++j) {
        while (from < stored.SubBUD_Num &&
               !(same(stored.SubBUD_PntLoc[from], got.SubBUD_PntLoc[j]) &&
                 same(stored.SubBUD_GridSize[from], got.SubBUD_GridSize[j]))) {
            ++from;
        }
        require(from < stored.SubBUD_Num);
        out.push_back(from++);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in(data, size);
    const uint8_t shape = in.byte();
    std::array<D_3DOT, 4> corners = {point(in), point(in), point(in), point(in)};
    if (shape & 1) {
        corners[1].z = corners[2].z = corners[3].z = corners[0].z;
    }
    const int n = 1 + shape / 2 % kMostBlocks;
    std::vector<KrigBlockResult> blocks(static_cast<size_t>(n));
    std::deque<std::vector<D_3DOT>> arrays;
    for (KrigBlockResult& b : blocks) {
        const D_3DOT centre = point(in), extent = extents(in);
        b.MineID = 1;
        b.Krig_BlockID = n - static_cast<int32_t>(&b - blocks.data());
        b.Krig_PntLocX = centre.x;
        b.Krig_PntLocY = centre.y;
        b.Krig_PntLocZ = centre.z;
        b.Krig_GridSizeX = extent.x;
        b.Krig_GridSizeY = extent.y;
        b.Krig_GridSizeZ = extent.z;
        const uint8_t split = in.byte();
        b.Block_Coef = split & 1 ? 1.0 : 0.5;
        b.SubBUD_Num = split / 2 % (kMostSubBlocks + 1);
        auto& centres = arrays.emplace_back();
        auto& sizes = arrays.emplace_back();
        for (int j = 0; j < b.SubBUD_Num; ++j) {
            centres.push_back(point(in));
            sizes.push_back(extents(in));
        }
        b.SubBUD_PntLoc = centres.data();
        b.SubBUD_GridSize = sizes.data();
    }

    CVornelMng& mng = manager();
    require(mng.deleteBlockNotTbl("T1") == 1);
    if (mng.insertIntoBlockResult("T1", blocks.data(), n) != 1) {
        return 0;
    }
    const Stored stored = readBack(mng, n);
    const std::vector<KrigBlockResult>& rows = stored.rows;
    const ExactCut exact(rows);

    KrigBlockResult* got = nullptr;
    long count = -1;
    const bool finiteSection =
        finite(corners[0]) && finite(corners[1]) && finite(corners[2]) && finite(corners[3]);
    require(mng.getCutBlockResult("T1", corners.data(), &got, &count) == (finiteSection ? 1 : 0));
    if (!finiteSection) {
        return 0;
    }
    require(got != nullptr && count >= 0 && count <= n);
    std::vector<CutBlock> cut;
    size_t row = 0;
    for (long i = 0; i < count; ++i) {
        const auto s = std::find_if(rows.begin() + row, rows.end(), [&](const KrigBlockResult& r) {
            return r.Krig_BlockID == got[i].Krig_BlockID;
        });
        require(s != rows.end());
        row = static_cast<size_t>(s - rows.begin()) + 1;
        require(testedWhole(*s) ? got[i].SubBUD_Num == 0 : got[i].SubBUD_Num > 0);
        cut.push_back({got[i].Krig_BlockID, positions(got[i], *s)});
    }
    require(!exact.finite() || cut == exact.through(corners));
    return 0;
}
