#include "Model.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <numeric>

namespace bench {

void buildModel(long n, Model& model) {
    model.nx = static_cast<int>(std::ceil(std::cbrt(static_cast<double>(n) * 4.0)));
    model.ny = model.nx;
    model.nz = static_cast<int>((n + static_cast<long>(model.nx) * model.ny - 1) /
                                (static_cast<long>(model.nx) * model.ny));
    model.blocks.assign(static_cast<size_t>(n), KrigBlockResult());
    const long split = (n + 4) / 5;
    model.points.assign(static_cast<size_t>(split) * 16, D_3DOT{});
    size_t used = 0;
    const char* categories[] = {"Measured", "Indicated", "Inferred"};
    for (long i = 0; i < n; ++i) {
        KrigBlockResult& b = model.blocks[static_cast<size_t>(i)];
        const long ix = i % model.nx;
        const long iy = i / model.nx % model.ny;
        const long iz = i / (static_cast<long>(model.nx) * model.ny);
        b.MineID = 1;
        b.Krig_BlockID = static_cast<int32_t>(i + 1);
        b.Krig_PntLocX = model.origin.x + (ix + 0.5) * model.size;
        b.Krig_PntLocY = model.origin.y + (iy + 0.5) * model.size;
        b.Krig_PntLocZ = model.origin.z + (iz + 0.5) * model.size;
        b.Krig_GridSizeX = b.Krig_GridSizeY = b.Krig_GridSizeZ = model.size;
        b.Block_Coef = 1.0;
        b.Krig_OutAttr = 0.5 + std::sin(static_cast<double>(i) * 0.001) * 0.4;
        b.Krig_OutVari = 0.1 + static_cast<double>(i % 97) / 1000.0;
        b.Srch_Degr = 1 + static_cast<int32_t>(i % 3);
        b.Krig_PntNum = 8 + static_cast<int32_t>(i % 17);
        b.Krig_MeanDis = 25.0 + static_cast<double>(i % 50);
        b.Krig_EngZKNum = static_cast<int32_t>(i % 5);
        std::snprintf(b.Krig_ResType, sizeof b.Krig_ResType, "%s", categories[i % 3]);
        std::snprintf(b.Krig_OreType, sizeof b.Krig_OreType, "%s", "Sulphide");
        b.Krig_Bound = i % 5 == 0 ? 1 : 0;
        b.Block_Vol = model.size * model.size * model.size;
        b.Ore_Propro = 0.75;
        b.Block_CorMass = b.Block_Vol * 2.7;
        b.Block_OreMass = b.Block_CorMass * 0.75;
        if (i % 5 == 0) {
            b.Block_Coef = 0.5;
            b.SubBUD_Num = 8;
            b.SubBUD_PntLoc = &model.points[used];
            b.SubBUD_GridSize = &model.points[used + 8];
            const double h = model.size / 4;
            for (int j = 0; j < 8; ++j) {
                b.SubBUD_PntLoc[j] = {b.Krig_PntLocX + ((j & 1) ? h : -h),
                                      b.Krig_PntLocY + ((j & 2) ? h : -h),
                                      b.Krig_PntLocZ + ((j & 4) ? h : -h)};
                b.SubBUD_GridSize[j] = {model.size / 2, model.size / 2, model.size / 2};
            }
            used += 16;
        }
    }
}

size_t answerBytes(const Model& model) {
    return std::accumulate(
        model.blocks.begin(), model.blocks.end(), model.blocks.size() * sizeof(KrigBlockResult),
        [](size_t bytes, const KrigBlockResult& b) {
            return bytes + 2 * sizeof(D_3DOT) * static_cast<size_t>(b.SubBUD_Num);
        });
}

}  // namespace bench
