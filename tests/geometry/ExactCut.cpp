#include "ExactCut.h"

#include <cmath>
#include <optional>

namespace vornel::test {
namespace {

// Every corner as the centre less or plus half of each edge.
bool finiteBox(const D_3DOT& centre, const D_3DOT& size) {
    const double c[3] = {centre.x, centre.y, centre.z};
    const double half[3] = {size.x / 2.0, size.y / 2.0, size.z / 2.0};
    for (int a = 0; a < 3; ++a) {
        if (!std::isfinite(c[a] - half[a]) || !std::isfinite(c[a] + half[a])) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool testedWhole(const KrigBlockResult& b) {
    return b.SubBUD_Num <= 0 || b.Block_Coef == 1.0;
}

ExactCut::ExactCut(const std::vector<KrigBlockResult>& blocks) {
    for (const KrigBlockResult& b : blocks) {
        Tested& t =
            tested_.emplace_back(Tested{b.Krig_BlockID, b.Krig_PntLocZ, testedWhole(b), {}});
        const auto add = [this, &t](const D_3DOT& centre, const D_3DOT& size) {
            const bool ok = finiteBox(centre, size);
            finite_ = finite_ && ok;
            t.boxes.push_back(ok ? boxSurfaceParts(centre, size) : ExactParts{});
        };
        if (t.whole) {
            add({b.Krig_PntLocX, b.Krig_PntLocY, b.Krig_PntLocZ},
                {b.Krig_GridSizeX, b.Krig_GridSizeY, b.Krig_GridSizeZ});
        }
        for (int32_t j = 0; !t.whole && j < b.SubBUD_Num; ++j) {
            add(b.SubBUD_PntLoc[j], b.SubBUD_GridSize[j]);
        }
    }
}

std::vector<CutBlock> ExactCut::through(const std::array<D_3DOT, 4>& corners) const {
    const ExactParts section = sectionParts(corners);
    const bool flat = corners[0].z == corners[1].z && corners[1].z == corners[2].z &&
                      corners[2].z == corners[3].z;
    std::optional<double> layer;
    std::vector<CutBlock> out;
    for (const Tested& t : tested_) {
        CutBlock cut{t.id, {}};
        bool hit = false;
        for (size_t j = 0; j < t.boxes.size(); ++j) {
            if (meet(section, t.boxes[j])) {
                hit = true;
                if (!t.whole) {
                    cut.subBlocks.push_back(static_cast<int32_t>(j));
                }
            }
        }
        if (hit && flat) {
            layer = layer.value_or(t.z);
            hit = t.z == *layer;
        }
        if (hit) {
            out.push_back(cut);
        }
    }
    return out;
}

}  // namespace vornel::test
