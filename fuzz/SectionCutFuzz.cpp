// The section cut on any few stored blocks and any section: it hands back
// exactly the blocks, and of a split block exactly the sub-blocks, whose
// closed box surfaces the section's two triangles meet, in row order, a
// flat section keeping only the layer of the first block it cuts. An exact
// brute force over every pair of faces says which. Where a box corner or a
// section corner lies beyond the doubles, the cut must only answer sanely.
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
#include <optional>
#include <utility>
#include <vector>

#include "FuzzCheck.h"
#include "geometry/ExactParts.h"
#include "support/TempDir.h"
#include "vornel/VornelMng.h"

using vornel::fuzz::require;
using vornel::fuzz::same;
using vornel::test::boxSurfaceParts;
using vornel::test::ExactParts;
using vornel::test::meet;
using vornel::test::sectionParts;

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

// Whether every corner of the box is a finite double, as the cut computes them.
bool finiteBox(const D_3DOT& centre, const D_3DOT& size) {
    for (int k = 0; k < 8; ++k) {
        const D_3DOT half{size.x / 2.0, size.y / 2.0, size.z / 2.0};
        if (!finite({k & 1 ? centre.x + half.x : centre.x - half.x,
                     k & 2 ? centre.y + half.y : centre.y - half.y,
                     k & 4 ? centre.z + half.z : centre.z - half.z})) {
            return false;
        }
    }
    return true;
}

// A block as the database hands it back, its sub-block arrays copied out.
struct Stored {
    KrigBlockResult block;
    std::vector<D_3DOT> centres;
    std::vector<D_3DOT> sizes;

    bool whole() const { return centres.empty() || block.Block_Coef == 1.0; }
    std::vector<std::pair<D_3DOT, D_3DOT>> boxes() const {
        if (whole()) {
            return {{{block.Krig_PntLocX, block.Krig_PntLocY, block.Krig_PntLocZ},
                     {block.Krig_GridSizeX, block.Krig_GridSizeY, block.Krig_GridSizeZ}}};
        }
        std::vector<std::pair<D_3DOT, D_3DOT>> out;
        for (size_t j = 0; j < centres.size(); ++j) {
            out.emplace_back(centres[j], sizes[j]);
        }
        return out;
    }
};

struct Cut {
    int32_t id;
    std::vector<size_t> subBlocks;  // positions in the stored block
    bool operator==(const Cut& other) const {
        return id == other.id && subBlocks == other.subBlocks;
    }
};

// The database, made once: each input empties its one table and fills it again.
CVornelMng& manager() {
    static vornel::test::TempDir dir;
    static CVornelMng mng;
    static const bool ready = mng.createDatabase(dir.file("model.mdb")) == 1 &&
                              mng.initDataBase() == 1 && mng.createBlockResultTbl("T1") == 1;
    require(ready);
    return mng;
}

// The stored blocks in row order. Ids fall as rows are added, so that an
// answer sorted by id does not pass for one in row order.
std::vector<Stored> readBack(CVornelMng& mng, int n) {
    std::vector<Stored> rows(static_cast<size_t>(n));
    for (Stored& s : rows) {
        const long id = n - (&s - rows.data());
        require(mng.getBlockResult("T1", id, &s.block) == 1);
        for (int j = 0; j < s.block.SubBUD_Num; ++j) {
            s.centres.push_back(s.block.SubBUD_PntLoc[j]);
            s.sizes.push_back(s.block.SubBUD_GridSize[j]);
        }
        delete[] s.block.SubBUD_PntLoc;
        delete[] s.block.SubBUD_GridSize;
        s.block.SubBUD_PntLoc = s.block.SubBUD_GridSize = nullptr;
    }
    return rows;
}

std::vector<Cut> expectedCut(const std::vector<Stored>& rows, const std::array<D_3DOT, 4>& c) {
    const ExactParts section = sectionParts(c);
    const bool flat = c[0].z == c[1].z && c[1].z == c[2].z && c[2].z == c[3].z;
    std::optional<double> layer;
    std::vector<Cut> out;
    for (const Stored& s : rows) {
        Cut cut{s.block.Krig_BlockID, {}};
        bool hit = false;
        const auto boxes = s.boxes();
        for (size_t j = 0; j < boxes.size(); ++j) {
            if (meet(section, boxSurfaceParts(boxes[j].first, boxes[j].second))) {
                hit = true;
                if (!s.whole()) {
                    cut.subBlocks.push_back(j);
                }
            }
        }
        if (hit && flat) {
            layer = layer.value_or(s.block.Krig_PntLocZ);
            hit = s.block.Krig_PntLocZ == *layer;
        }
        if (hit) {
            out.push_back(cut);
        }
    }
    return out;
}

// Which stored sub-block each one handed back is, by its bits.
std::vector<size_t> positions(const KrigBlockResult& got, const Stored& s) {
    std::vector<size_t> out;
    size_t from = 0;
    for (int j = 0; j < got.SubBUD_Num; ++j) {
        while (from < s.centres.size() && !(same(s.centres[from], got.SubBUD_PntLoc[j]) &&
                                            same(s.sizes[from], got.SubBUD_GridSize[j]))) {
            ++from;
        }
        require(from < s.centres.size());
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
    const std::vector<Stored> rows = readBack(mng, n);
    bool exact =
        finite(corners[0]) && finite(corners[1]) && finite(corners[2]) && finite(corners[3]);
    for (const Stored& s : rows) {
        for (const auto& [centre, extent] : s.boxes()) {
            exact = exact && finiteBox(centre, extent);
        }
    }

    KrigBlockResult* got = nullptr;
    long count = -1;
    require(mng.getCutBlockResult("T1", corners.data(), &got, &count) == 1);
    require(got != nullptr && count >= 0 && count <= n);
    std::vector<Cut> cut;
    size_t row = 0;
    for (long i = 0; i < count; ++i) {
        const auto s = std::find_if(rows.begin() + row, rows.end(), [&](const Stored& r) {
            return r.block.Krig_BlockID == got[i].Krig_BlockID;
        });
        require(s != rows.end());
        row = static_cast<size_t>(s - rows.begin()) + 1;
        require(s->whole() ? got[i].SubBUD_Num == 0 : got[i].SubBUD_Num > 0);
        cut.push_back({got[i].Krig_BlockID, positions(got[i], *s)});
    }
    require(!exact || cut == expectedCut(rows, corners));
    return 0;
}
