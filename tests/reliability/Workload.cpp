#include "reliability/Workload.h"

#include <cstdio>

namespace vornel::test {

int32_t batchSize(int32_t batch) {
    return 100 + static_cast<int32_t>((static_cast<int64_t>(batch) * 7919) % 2900);
}

int32_t blockId(int32_t batch, int32_t index) {
    return batch * 10000 + index + 1;
}

Batch::Batch(int32_t batch) {
    const int32_t n = batchSize(batch);
    size_t subBlocks = 0;
    for (int32_t j = 0; j < n; ++j) {
        subBlocks += static_cast<size_t>(j % 3);
    }
    // Reserved up front: the blocks point into these arrays.
    centres_.reserve(subBlocks);
    sizes_.reserve(subBlocks);
    blocks_.resize(static_cast<size_t>(n));
    for (int32_t j = 0; j < n; ++j) {
        KrigBlockResult& b = blocks_[static_cast<size_t>(j)];
        b.MineID = batch;
        b.Krig_BlockID = blockId(batch, j);
        b.Krig_PntLocX = j;
        b.Krig_PntLocY = batch;
        b.Krig_PntLocZ = 0.0;
        b.Krig_GridSizeX = b.Krig_GridSizeY = b.Krig_GridSizeZ = 1.0;
        b.Krig_OutAttr = batch * 1000.0 + j;
        const int32_t slabs = j % 3;
        b.Block_Coef = slabs > 0 ? 0.5 : 1.0;
        b.SubBUD_Num = slabs;
        if (slabs > 0) {
            b.SubBUD_PntLoc = centres_.data() + centres_.size();
            b.SubBUD_GridSize = sizes_.data() + sizes_.size();
            const double w = 1.0 / slabs;
            for (int32_t s = 0; s < slabs; ++s) {
                centres_.push_back({b.Krig_PntLocX, batch - 0.5 + w * (s + 0.5), 0.0});
                sizes_.push_back({1.0, w, 1.0});
            }
        }
    }
}

void Batch::setGeneration(int32_t generation) {
    for (KrigBlockResult& b : blocks_) {
        b.Ore_Propro = generation;
    }
}

BatchSums expectedSums(int32_t batch) {
    const long long n = batchSize(batch);
    BatchSums sums{n, 0.0, 0};
    for (long long j = 0; j < n; ++j) {
        sums.attributes += batch * 1000.0 + static_cast<double>(j);
        sums.subBlockBytes += 4 + 48 * (j % 3);
    }
    return sums;
}

namespace {

template <size_t N>
void put(char (&field)[N], const char* text) {
    std::snprintf(field, N, "%s", text);
}

KrigBlockParam run(const char* name, const char* element, const char* table,
                   const char* voidTable) {
    KrigBlockParam p;
    put(p.Krig_Result_Name, name);
    put(p.Mine_Element, element);
    put(p.Table_Name, table);
    put(p.VoidTable_Name, voidTable);
    return p;
}

}  // namespace

std::string writeModelFile(CVornelMng& mng, const std::string& path, int32_t batchNumber) {
    KrigBlockParam runs[3] = {run("batch 1", "Cu", kBlockTable, kVoidTable),
                              run("batch 2", "Au", "T2", kVoidTable),
                              run("voids", "VOIDBLOCK", kVoidTable, "")};
    KrigBlockVrgParam structures[2];
    for (KrigBlockVrgParam& s : structures) {
        s.MineID = 1;
        put(s.Vrg_Type, "Spherical");
        put(s.Vrg_TblName, kBlockTable);
        s.Vrg_MaxRang = 120.0;
    }
    KrigBlockVoid voids[3];
    for (int i = 0; i < 3; ++i) {
        voids[i].MineID = 1;
        voids[i].Krig_PntLocX = i;
        voids[i].Krig_GridSizeX = voids[i].Krig_GridSizeY = voids[i].Krig_GridSizeZ = 1.0;
    }
    Batch batch(batchNumber);
    std::vector<long> ids;
    if (mng.createDatabase(path) == 0 || mng.initDataBase() == 0 ||
        mng.insertIntoBlockParam(runs, 3, ids) == 0 ||
        mng.insertIntoBlockVrgParam(structures, 2) == 0 ||
        mng.createBlockResultTbl(kBlockTable) == 0 || mng.createBlockVoidTbl(kVoidTable) == 0 ||
        mng.insertIntoBlockResult(kBlockTable, batch.blocks(), batch.count()) == 0 ||
        mng.insertIntoBlockVoid(kVoidTable, voids, 3) == 0) {
        return mng.lastError();
    }
    return {};
}

}  // namespace vornel::test
