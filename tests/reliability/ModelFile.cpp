#include "reliability/ModelFile.h"

#include <cstdio>
#include <vector>

#include "reliability/Workload.h"

namespace vornel::test {
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
