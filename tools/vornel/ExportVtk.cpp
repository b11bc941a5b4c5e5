#include "ExportVtk.h"

#include <algorithm>
#include <functional>
#include <limits>

#include "RecordFields.h"
#include "TextCodes.h"
#include "VtkBoxes.h"

namespace vornel::cli {
namespace {

// A column's value for block `i`, whose cell holds `share` of its volume.
using CellValue = std::function<double(long i, double share)>;

struct Column {
    std::string name;
    bool integer;
    CellValue value;
};

template <typename Block>
long cellCount(const Block* blocks, long count, bool subBlocks) {
    long cells = 0;
    for (long i = 0; i < count; ++i) {
        cells += subBlocks ? std::max(blocks[i].SubBUD_Num, 1) : 1;
    }
    return cells;
}

template <typename Block>
VtkExport writeCells(std::ostream& out, const std::string& title, const Block* blocks, long count,
                     bool subBlocks, const std::vector<Column>& columns, ProgressBar* bar) {
    VtkExport written;
    written.cells = cellCount(blocks, count, subBlocks);
    VtkBoxes vtk(out, title, written.cells);
    written.titleCut = vtk.titleCut();
    const double passes = static_cast<double>(columns.size() + 1);
    // Each section of the file is a pass over every cell.
    const auto pass = [&](size_t done, const std::function<void(long, const Box&, double)>& visit) {
        for (long i = 0; i < count; ++i) {
            if (subBlocks) {
                forEachPiece(blocks[i],
                             [&](const Box& piece, double share) { visit(i, piece, share); });
            } else {
                visit(i, boxOf(blocks[i]), 1.0);
            }
            if (bar != nullptr) {
                bar->update((static_cast<double>(done) +
                             static_cast<double>(i + 1) / static_cast<double>(count)) /
                            passes);
            }
        }
    };
    pass(0, [&](long, const Box& piece, double) { vtk.box(piece); });
    vtk.endBoxes();
    for (size_t c = 0; c < columns.size(); ++c) {
        const Column& column = columns[c];
        if (column.integer) {
            vtk.startIntegers(column.name);
            pass(c + 1, [&](long i, const Box&, double share) {
                vtk.integer(static_cast<int32_t>(column.value(i, share)));
            });
        } else {
            vtk.startReals(column.name);
            pass(c + 1,
                 [&](long i, const Box&, double share) { vtk.real(column.value(i, share)); });
        }
    }
    vtk.finish();
    return written;
}

}  // namespace

VtkExport writeBlocksVtk(std::ostream& out, const std::string& table, const std::string& element,
                         const KrigBlockResult* blocks, long count, const UngradedBlocks& ungraded,
                         bool subBlocks, ProgressBar* bar) {
    const TextCodes category = categoryCodes(blocks, count);
    const TextCodes oreType = oreTypeCodes(blocks, count);
    const auto& b = blocks;
    const std::vector<Column> columns = {
        {"BLOCKID", true, [&](long i, double) { return b[i].Krig_BlockID; }},
        {"MINEID", true, [&](long i, double) { return b[i].MineID; }},
        {element, false,
         [&](long i, double) {
             return ungraded.has(b[i]) ? std::numeric_limits<double>::quiet_NaN()
                                       : b[i].Krig_OutAttr;
         }},
        {"VARIANCE", false, [&](long i, double) { return b[i].Krig_OutVari; }},
        {"COEF", false, [&](long i, double) { return b[i].Block_Coef; }},
        {"CATEGORY", true, [&](long i, double) { return category.codeOf[i]; }},
        {"ORETYPE", true, [&](long i, double) { return oreType.codeOf[i]; }},
        {"BOUND", true, [&](long i, double) { return b[i].Krig_Bound != 0 ? 1 : 0; }},
        {"TONNAGE", false, [&](long i, double share) { return b[i].Block_CorMass * share; }},
        {"NSAMP", true, [&](long i, double) { return b[i].Krig_PntNum; }},
        {"AVGDIST", false, [&](long i, double) { return b[i].Krig_MeanDis; }},
        {"PASS", true, [&](long i, double) { return b[i].Srch_Degr; }},
    };
    const std::vector<std::string> keys = keysOf({category.key, oreType.key});
    VtkExport written = writeCells(out, titleOf(table + " (" + element + ")", keys), blocks, count,
                                   subBlocks, columns, bar);
    written.keys = keys;
    return written;
}

VtkExport writeVoidsVtk(std::ostream& out, const std::string& table, const KrigBlockVoid* voids,
                        long count, bool subBlocks, ProgressBar* bar) {
    const TextCodes oreType = oreTypeCodes(voids, count);
    const auto& v = voids;
    const std::vector<Column> columns = {
        {"BLOCKID", true, [&](long i, double) { return v[i].Krig_BlockID; }},
        {"COEF", false, [&](long i, double) { return v[i].Block_Coef; }},
        {"ORETYPE", true, [&](long i, double) { return oreType.codeOf[i]; }},
        {"BOUND", true, [&](long i, double) { return v[i].Krig_Bound != 0 ? 1 : 0; }},
    };
    const std::vector<std::string> keys = keysOf({oreType.key});
    VtkExport written = writeCells(out, titleOf(table + " (void blocks)", keys), voids, count,
                                   subBlocks, columns, bar);
    written.keys = keys;
    return written;
}

}  // namespace vornel::cli
