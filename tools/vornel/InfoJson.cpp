#include "InfoJson.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "GradeUnit.h"
#include "ModelDatabase.h"
#include "ModelFacts.h"

namespace vornel::cli {
namespace {

// Keys in the order info prints its facts.
using json = nlohmann::ordered_json;

json triple(double x, double y, double z) {
    return json::array({x, y, z});
}

// A range over the blocks that have a grade; null when none has.
json range(bool any, double low, double high) {
    return any ? json{{"min", low}, {"max", high}} : json();
}

json counts(const ClassCounts& byName) {
    json list = json::array();
    for (const auto& [name, blocks] : classesInOrder(byName)) {
        list.push_back({{"name", name}, {"blocks", blocks}});
    }
    return list;
}

json tableFacts(const TableFacts& f) {
    const bool graded = f.ungraded < f.blocks;
    return {{"blocks", f.blocks},
            {"whole", f.blocks - f.split},
            {"split", f.split},
            {"sub_blocks", f.subBlocks},
            {"ungraded", f.ungraded},
            {"grade", range(graded, f.minGrade, f.maxGrade)},
            {"variance", range(f.minVariance <= f.maxVariance, f.minVariance, f.maxVariance)},
            {"categories", counts(f.categories)},
            {"ore_types", counts(f.oreTypes)},
            {"passes", counts(f.passes)},
            {"centres", f.blocks > 0
                            ? json{{"min", triple(f.minCentre.x, f.minCentre.y, f.minCentre.z)},
                                   {"max", triple(f.maxCentre.x, f.maxCentre.y, f.maxCentre.z)}}
                            : json()},
            {"runs_in_table", f.blocksOfRun.size()}};
}

json variogram(CVornelMng& mng, const std::string& db, const KrigBlockParam& r) {
    const std::vector<KrigBlockVrgParam> structures = structuresOf(mng, db, r.MineID);
    if (structures.empty() && !(r.Vrg_Sill > 0)) {
        return json();
    }
    json list = json::array();
    for (const KrigBlockVrgParam& s : structures) {
        list.push_back({{"type", s.Vrg_Type},
                        {"sill", s.Vrg_LocSill},
                        {"angles", {s.Vrg_Azm, s.Vrg_Dip, s.Vrg_Org}},
                        {"ranges", triple(s.Vrg_MaxRang, s.Vrg_MinRang, s.Vrg_VerRang)}});
    }
    return {{"nugget", r.Vrg_Nug}, {"sill", r.Vrg_Sill}, {"structures", list}};
}

json runOf(CVornelMng& mng, const std::string& db, const KrigBlockParam& r) {
    json run = {{"mine_id", r.MineID},
                {"table", r.Table_Name},
                {"element", r.Mine_Element},
                {"unit", gradeUnitOfCode(r.OreAttr_Unit).name},
                {"description", r.Krig_Result_Name},
                {"table_missing", !tableExists(mng, r.Table_Name)}};
    if (!run["table_missing"].get<bool>()) {
        const std::string misread = misreadColumns(mng, r.Table_Name);
        run["columns_misread"] = misread.empty() ? json() : json(misread);
        if (misread.empty()) {
            run.update(tableFacts(readTableFacts(mng, r.Table_Name, r.MineID)));
        }
    }
    run["grid"] = {{"blocks", json::array({r.Grid_NumX, r.Grid_NumY, r.Grid_NumZ})},
                   {"size", triple(r.Grid_SizeX, r.Grid_SizeY, r.Grid_SizeZ)},
                   {"start", triple(r.Grid_StartX, r.Grid_StartY, r.Grid_StartZ)},
                   {"end", triple(r.Grid_EndX, r.Grid_EndY, r.Grid_EndZ)}};
    run["sub_block_size"] =
        r.SubGrid_SizeX > 0 ? triple(r.SubGrid_SizeX, r.SubGrid_SizeY, r.SubGrid_SizeZ) : json();
    run["search"] = r.Srch_RangX > 0
                        ? json{{"ranges", triple(r.Srch_RangX, r.Srch_RangY, r.Srch_RangZ)},
                               {"azimuth", r.Srch_Azm},
                               {"dip", r.Srch_Dip},
                               {"min_samples", r.Srch_MinPnt},
                               {"max_samples", r.Srch_MaxPnt}}
                        : json();
    run["variogram"] = variogram(mng, db, r);
    run["void_table"] = r.VoidTable_Name[0] != '\0' ? json(r.VoidTable_Name) : json();
    return run;
}

// JSON has no infinity or NaN, and null already says "no value": such a
// figure, stored by another program, is written as the text it prints as.
void nameNonFinite(json& j) {
    if (j.is_number_float() && !std::isfinite(j.get<double>())) {
        const double v = j.get<double>();
        j = std::isnan(v) ? "nan" : v > 0 ? "inf" : "-inf";
    } else if (j.is_structured()) {
        for (json& item : j) {
            nameNonFinite(item);
        }
    }
}

}  // namespace

void writeInfoJson(std::ostream& out, CVornelMng& mng, const std::string& db,
                   const std::vector<KrigBlockParam>& runs,
                   const std::vector<std::string>& voidTables) {
    json doc = {{"database", db}, {"runs", json::array()}, {"void_tables", json::array()}};
    for (const KrigBlockParam& r : runs) {
        doc["runs"].push_back(runOf(mng, db, r));
    }
    for (const std::string& table : voidTables) {
        const VoidFacts f = readVoidFacts(mng, db, table);
        doc["void_tables"].push_back({{"table", table},
                                      {"table_missing", f.missing},
                                      {"void_blocks", f.blocks},
                                      {"with_sub_blocks", f.split},
                                      {"volume", f.volume}});
    }
    nameNonFinite(doc);
    // Texts that other programs stored in another encoding still give a
    // document a JSON reader takes.
    out << doc.dump(2, ' ', false, json::error_handler_t::replace) << '\n';
}

}  // namespace vornel::cli
