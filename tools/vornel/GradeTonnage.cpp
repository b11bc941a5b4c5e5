#include "GradeTonnage.h"

#include <cmath>
#include <cstdio>

#include "Failure.h"
#include "NumberText.h"
#include "TextTable.h"

namespace vornel::cli {
namespace {

double tonnesOf(const KrigBlockResult& b, double density) {
    if (density <= 0) {
        return b.Block_CorMass;
    }
    const double volume =
        b.Block_Vol > 0 ? b.Block_Vol
                        : b.Krig_GridSizeX * b.Krig_GridSizeY * b.Krig_GridSizeZ * b.Block_Coef;
    return volume * density;
}

// Every digit, however many: 1e63 t has 64 of them.
std::string fixed(double value, int decimals) {
    const int length = std::snprintf(nullptr, 0, "%.*f", decimals, value);
    std::string text(static_cast<size_t>(std::max(length, 0)), '\0');
    std::snprintf(text.data(), text.size() + 1, "%.*f", decimals, value);
    return text;
}

}  // namespace

std::vector<GradeTonnageRow> gradeTonnage(const KrigBlockResult* blocks, long count,
                                          const std::vector<double>& cutoffs, double density,
                                          const GradeUnit& unit) {
    std::vector<double> tonnes(static_cast<size_t>(count));
    bool anyTonnes = false;
    for (long i = 0; i < count; ++i) {
        tonnes[i] = tonnesOf(blocks[i], density);
        if (!std::isfinite(tonnes[i])) {
            throw Failure("block " + std::to_string(blocks[i].Krig_BlockID) +
                          " weighs more than a number holds; is the density right?");
        }
        anyTonnes = anyTonnes || tonnes[i] > 0;
    }
    if (count > 0 && !anyTonnes) {
        throw Failure(
            "the blocks weigh nothing as stored (no tonnage was imported, or they are air); "
            "give the rock density with --density to weigh them by volume");
    }
    std::vector<GradeTonnageRow> rows;
    for (const double cutoff : cutoffs) {
        GradeTonnageRow row;
        row.cutoff = cutoff;
        double gradeTonnes = 0;
        for (long i = 0; i < count; ++i) {
            if (blocks[i].Krig_OutAttr >= cutoff) {
                ++row.blocks;
                row.tonnes += tonnes[i];
                gradeTonnes += tonnes[i] * blocks[i].Krig_OutAttr;
            }
        }
        row.meanGrade = row.tonnes > 0 ? gradeTonnes / row.tonnes : 0;
        row.metal = gradeTonnes * unit.metalPerGradeTonne;
        if (!std::isfinite(row.tonnes) || !std::isfinite(row.meanGrade) ||
            !std::isfinite(row.metal)) {
            throw Failure("above the cut-off " + formatNumber(cutoff) +
                          " the tonnes or the metal add up beyond what a number holds; are the "
                          "grades and the density right?");
        }
        rows.push_back(row);
    }
    return rows;
}

void printGradeTonnage(std::ostream& out, const std::vector<GradeTonnageRow>& rows,
                       const std::string& element, const GradeUnit& unit) {
    TextTable table;
    const std::string gradeUnit = std::string(" (") + unit.name + ")";
    table.add({"cut-off" + gradeUnit, "blocks", "tonnes", "mean " + element + gradeUnit,
               std::string("metal (") + unit.metalUnit + ")"});
    for (const GradeTonnageRow& r : rows) {
        table.add({formatNumber(r.cutoff), std::to_string(r.blocks), fixed(r.tonnes, 0),
                   r.tonnes > 0 ? fixed(r.meanGrade, 4) : "-", fixed(r.metal, 1)});
    }
    table.print(out);
}

void printVoidsNotDeducted(std::ostream& out, const std::string& voidTable) {
    if (!voidTable.empty()) {
        out << "The void blocks of " << voidTable << " (mined-out ground) are not deducted.\n";
    }
}

}  // namespace vornel::cli
