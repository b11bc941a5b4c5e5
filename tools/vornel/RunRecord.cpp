#include "RunRecord.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

#include "BlockClasses.h"
#include "Failure.h"
#include "ModelDatabase.h"
#include "NumberText.h"
#include "ProgressBar.h"
#include "RecordFields.h"

namespace vornel::cli {
namespace {

// Small enough that the bar moves, large enough that the calls cost nothing.
constexpr long kBatch = 4096;

int32_t cellsBetween(double start, double end, double size, const char* axis) {
    if (size <= 0) {
        return 0;
    }
    const double cells = std::round((end - start) / size);
    if (cells > INT32_MAX) {
        throw Failure("the model spans " + formatNumber(cells) + " of its blocks along " + axis +
                      ", more than the catalog can count");
    }
    return static_cast<int32_t>(cells);
}

}  // namespace

KrigBlockParam describeRun(const BlockList& blocks, const RunNames& names) {
    KrigBlockParam p;
    copyText(p.Krig_Result_Name, names.description);
    copyText(p.Mine_Element, names.element);
    copyText(p.Table_Name, names.table);
    copyText(p.VoidTable_Name, names.voidTable);
    p.OreAttr_Unit = names.unitCode;
    if (blocks.size() == 0) {
        return p;
    }
    const KrigBlockResult& first = blocks.all().front();
    p.Grid_SizeX = first.Krig_GridSizeX;
    p.Grid_SizeY = first.Krig_GridSizeY;
    p.Grid_SizeZ = first.Krig_GridSizeZ;
    p.Grid_StartX = p.Grid_StartY = p.Grid_StartZ = HUGE_VAL;
    p.Grid_EndX = p.Grid_EndY = p.Grid_EndZ = -HUGE_VAL;
    p.SubGrid_SizeX = p.SubGrid_SizeY = p.SubGrid_SizeZ = HUGE_VAL;
    std::set<std::string, ClassNameLess> oreTypes;
    std::set<std::string, ClassNameLess> categories;
    for (const KrigBlockResult& b : blocks.all()) {
        p.Grid_StartX = std::min(p.Grid_StartX, b.Krig_PntLocX - b.Krig_GridSizeX / 2);
        p.Grid_StartY = std::min(p.Grid_StartY, b.Krig_PntLocY - b.Krig_GridSizeY / 2);
        p.Grid_StartZ = std::min(p.Grid_StartZ, b.Krig_PntLocZ - b.Krig_GridSizeZ / 2);
        p.Grid_EndX = std::max(p.Grid_EndX, b.Krig_PntLocX + b.Krig_GridSizeX / 2);
        p.Grid_EndY = std::max(p.Grid_EndY, b.Krig_PntLocY + b.Krig_GridSizeY / 2);
        p.Grid_EndZ = std::max(p.Grid_EndZ, b.Krig_PntLocZ + b.Krig_GridSizeZ / 2);
        for (int s = 0; s < b.SubBUD_Num; ++s) {
            p.SubGrid_SizeX = std::min(p.SubGrid_SizeX, b.SubBUD_GridSize[s].x);
            p.SubGrid_SizeY = std::min(p.SubGrid_SizeY, b.SubBUD_GridSize[s].y);
            p.SubGrid_SizeZ = std::min(p.SubGrid_SizeZ, b.SubBUD_GridSize[s].z);
        }
        if (b.Krig_OreType[0] != '\0') {
            oreTypes.insert(b.Krig_OreType);
        }
        if (b.Krig_ResType[0] != '\0') {
            categories.insert(b.Krig_ResType);
        }
    }
    if (p.SubGrid_SizeX == HUGE_VAL) {
        p.SubGrid_SizeX = p.SubGrid_SizeY = p.SubGrid_SizeZ = 0;
    }
    p.Grid_NumX = cellsBetween(p.Grid_StartX, p.Grid_EndX, p.Grid_SizeX, "X");
    p.Grid_NumY = cellsBetween(p.Grid_StartY, p.Grid_EndY, p.Grid_SizeY, "Y");
    p.Grid_NumZ = cellsBetween(p.Grid_StartZ, p.Grid_EndZ, p.Grid_SizeZ, "Z");
    p.OreType_Num = static_cast<int32_t>(oreTypes.size());
    p.OreClas_Num = static_cast<int32_t>(categories.size());
    return p;
}

long registerRun(CVornelMng& mng, KrigBlockParam& run) {
    std::vector<long> ids;
    check(mng, mng.insertIntoBlockParam(&run, 1, ids),
          std::string("cannot register the run of ") + run.Table_Name);
    return ids.at(0);
}

void insertBlocks(CVornelMng& mng, const std::string& table, long mineId, BlockList& blocks) {
    std::vector<KrigBlockResult>& all = blocks.all();
    for (KrigBlockResult& b : all) {
        b.MineID = static_cast<int32_t>(mineId);
    }
    ProgressBar bar("writing " + table);
    for (long at = 0; at < blocks.size(); at += kBatch) {
        const long count = std::min(kBatch, blocks.size() - at);
        check(mng, mng.insertIntoBlockResult(table, all.data() + at, count),
              "cannot write the blocks of " + table);
        bar.update(static_cast<double>(at + count) / static_cast<double>(blocks.size()));
    }
}

long registerVoidTable(CVornelMng& mng, const std::string& table, const std::string& description) {
    KrigBlockParam p;
    copyText(p.Krig_Result_Name, description);
    copyText(p.Mine_Element, kVoidElement);
    copyText(p.Table_Name, table);
    return registerRun(mng, p);
}

void insertVoids(CVornelMng& mng, const std::string& table, long mineId, VoidList& voids) {
    // In one call: each call numbers its void blocks afresh, from the next
    // identifier of KrigBlock_Result, so batches would repeat identifiers.
    for (KrigBlockVoid& v : voids.all()) {
        v.MineID = static_cast<int32_t>(mineId);
    }
    check(mng, mng.insertIntoBlockVoid(table, voids.all().data(), voids.size()),
          "cannot write the void blocks of " + table);
}

void moveIntoVoids(BlockList& blocks, VoidList& voids) {
    for (KrigBlockResult& b : blocks.all()) {
        KrigBlockVoid& v = voids.add(0);
        placeBlock(v, boxOf(b));
        v.Block_Coef = b.Block_Coef;
        std::memcpy(v.Krig_OreType, b.Krig_OreType, sizeof v.Krig_OreType);
        v.Krig_Bound = b.Krig_Bound;
        std::swap(v.SubBUD_Num, b.SubBUD_Num);
        std::swap(v.SubBUD_PntLoc, b.SubBUD_PntLoc);
        std::swap(v.SubBUD_GridSize, b.SubBUD_GridSize);
    }
}

}  // namespace vornel::cli
