#include <cstdio>

#include "reliability/Harness.h"

namespace vornel::test {

int32_t batchSize(int32_t batch) {
    return 100 + static_cast<int32_t>((static_cast<int64_t>(batch) * 7919) % 2900);
}

Batch::Batch(int32_t batch, int32_t generation) {
    const int32_t n = batchSize(batch);
    // Reserved up front: the blocks point into these arrays.
    centres_.reserve(static_cast<size_t>(n));
    sizes_.reserve(static_cast<size_t>(n));
    blocks_.resize(static_cast<size_t>(n));
    for (int32_t j = 0; j < n; ++j) {
        KrigBlockResult& b = blocks_[static_cast<size_t>(j)];
        b.MineID = batch;
        b.Krig_BlockID = blockId(batch, j);
        b.Krig_PntLocX = j;
        b.Krig_PntLocY = batch;
        b.Krig_GridSizeX = b.Krig_GridSizeY = b.Krig_GridSizeZ = 1.0;
        b.Krig_OutAttr = batch * 1000.0 + j;
        b.Ore_Propro = generation;
        const int32_t slabs = j % 3;
        b.Block_Coef = slabs > 0 ? 0.5 : 1.0;
        b.SubBUD_Num = slabs;
        if (slabs > 0) {
            b.SubBUD_PntLoc = centres_.data() + centres_.size();
            b.SubBUD_GridSize = sizes_.data() + sizes_.size();
        }
        for (int32_t s = 0; s < slabs; ++s) {
            const double w = 1.0 / slabs;
            centres_.push_back({b.Krig_PntLocX, batch - 0.5 + w * (s + 0.5), 0.0});
            sizes_.push_back({1.0, w, 1.0});
        }
    }
}

long insertBatch(CVornelMng& mng, int32_t batch) {
    Batch b(batch);
    return mng.insertIntoBlockResult(kBlockTable, b.blocks(), b.count());
}

KrigBlockParam runOf(const std::string& name, const char* element, const char* table,
                     const char* voidTable) {
    KrigBlockParam p;
    std::snprintf(p.Krig_Result_Name, sizeof p.Krig_Result_Name, "%s", name.c_str());
    std::snprintf(p.Mine_Element, sizeof p.Mine_Element, "%s", element);
    std::snprintf(p.Table_Name, sizeof p.Table_Name, "%s", table);
    std::snprintf(p.VoidTable_Name, sizeof p.VoidTable_Name, "%s", voidTable);
    return p;
}

std::string writeModelFile(CVornelMng& mng, const std::string& path, int32_t batch) {
    KrigBlockParam runs[3] = {runOf("batch 1", "Cu", kBlockTable, kVoidTable),
                              runOf("batch 2", "Au", "T2", kVoidTable),
                              runOf("voids", "VOIDBLOCK", kVoidTable, "")};
    KrigBlockVrgParam structures[2];
    for (KrigBlockVrgParam& s : structures) {
        s.MineID = 1;
        std::snprintf(s.Vrg_Type, sizeof s.Vrg_Type, "Spherical");
        std::snprintf(s.Vrg_TblName, sizeof s.Vrg_TblName, "%s", kBlockTable);
        s.Vrg_MaxRang = 120.0;
    }
    KrigBlockVoid voids[3];
    for (int i = 0; i < 3; ++i) {
        voids[i].MineID = 1;
        voids[i].Krig_PntLocX = i;
        voids[i].Krig_GridSizeX = voids[i].Krig_GridSizeY = voids[i].Krig_GridSizeZ = 1.0;
    }
    std::vector<long> ids;
    if (mng.createDatabase(path) == 0 || mng.initDataBase() == 0 ||
        mng.insertIntoBlockParam(runs, 3, ids) == 0 ||
        mng.insertIntoBlockVrgParam(structures, 2) == 0 ||
        mng.createBlockResultTbl(kBlockTable) == 0 || mng.createBlockVoidTbl(kVoidTable) == 0 ||
        insertBatch(mng, batch) == 0 || mng.insertIntoBlockVoid(kVoidTable, voids, 3) == 0) {
        return mng.lastError();
    }
    return {};
}

}  // namespace vornel::test
