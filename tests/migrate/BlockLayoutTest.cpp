// Recognising the library's four kinds of table among an Access file's.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "migrate/BlockLayout.h"

using vornel::migrate::AccessColumn;
using vornel::migrate::AccessTable;
using vornel::migrate::BlockLayout;
using vornel::migrate::blockLayoutOf;
namespace jet = vornel::migrate::jet;

namespace {

using Columns = std::vector<AccessColumn>;

// Appends a column of the type for each name.
void add(Columns& columns, int type, int size, std::initializer_list<const char*> names) {
    std::transform(names.begin(), names.end(), std::back_inserter(columns), [&](const char* name) {
        return AccessColumn{name, type, size};
    });
}

// The columns as the Windows version's DDL made them in Jet.
Columns resultColumns() {
    Columns c;
    add(c, jet::kLong, 4, {"MineID", "Krig_BlockID"});
    add(c, jet::kDouble, 8,
        {"Krig_PntLocX", "Krig_PntLocY", "Krig_PntLocZ", "Krig_GridSizeX", "Krig_GridSizeY",
         "Krig_GridSizeZ", "Block_Coef", "Krig_OutAttr", "Krig_OutVari"});
    add(c, jet::kLong, 4, {"Srch_Degr", "Krig_PntNum"});
    add(c, jet::kDouble, 8, {"Krig_MeanDis"});
    add(c, jet::kLong, 4, {"Krig_EngZKNum", "Krig_EngTCNum", "Krig_EngKDNum", "Krig_EngQJNum"});
    add(c, jet::kText, 20, {"Krig_ResType", "Krig_OreType"});
    add(c, jet::kBool, 0, {"Krig_Bound"});
    add(c, jet::kOle, 0, {"SubBUDBlob"});
    add(c, jet::kDouble, 8, {"Block_Vol", "Ore_Propro", "Block_CorMass", "Block_OreMass"});
    return c;
}

Columns voidColumns() {
    Columns c = resultColumns();
    c.erase(c.begin() + 9, c.end());  // after Block_Coef
    add(c, jet::kText, 20, {"Krig_OreType"});
    add(c, jet::kBool, 0, {"Krig_Bound"});
    add(c, jet::kOle, 0, {"SubBUDBlob"});
    return c;
}

Columns vrgParamColumns() {
    Columns c;
    add(c, jet::kLong, 4, {"MineID"});
    add(c, jet::kText, 20, {"Vrg_Type"});
    add(c, jet::kDouble, 8, {"Vrg_LocSill"});
    add(c, jet::kLong, 4, {"Vrg_Azm", "Vrg_Dip", "Vrg_Org"});
    add(c, jet::kDouble, 8, {"Vrg_MaxRang", "Vrg_MinRang", "Vrg_VerRang"});
    add(c, jet::kText, 20, {"Vrg_TblName"});
    return c;
}

Columns paramColumns() {
    Columns c;
    add(c, jet::kLong, 4, {"MineID"});
    add(c, jet::kText, 254, {"Krig_Result_Name"});
    add(c, jet::kText, 20, {"Mine_Element"});
    add(c, jet::kDouble, 8,
        {"Grid_StartX", "Grid_StartY", "Grid_StartZ", "Grid_EndX", "Grid_EndY", "Grid_EndZ",
         "Grid_SizeX", "Grid_SizeY", "Grid_SizeZ"});
    add(c, jet::kLong, 4,
        {"Grid_NumX", "Grid_NumY", "Grid_NumZ", "Grid_Azm", "Grid_Dip", "Grid_Org"});
    add(c, jet::kDouble, 8,
        {"SubGrid_SizeX", "SubGrid_SizeY", "SubGrid_SizeZ", "Srch_RangX", "Srch_RangY",
         "Srch_RangZ"});
    add(c, jet::kLong, 4, {"Srch_Azm", "Srch_Dip", "Srch_Org"});
    add(c, jet::kDouble, 8, {"Srch_Coef"});
    add(c, jet::kLong, 4, {"Srch_MinPnt", "Srch_MaxPnt"});
    add(c, jet::kDouble, 8, {"Vrg_Nug", "Vrg_Sill"});
    add(c, jet::kLong, 4, {"Vrg_Num", "OreType_Num", "OreClas_Num", "OreAttr_Unit"});
    add(c, jet::kText, 20, {"Table_Name", "VoidTable_Name"});
    return c;
}

BlockLayout layout(const std::string& name, Columns columns) {
    return blockLayoutOf(AccessTable{name, std::move(columns), 0});
}

}  // namespace

TEST(BlockLayout, TheLibrarysTablesAreRecognised) {
    EXPECT_EQ(layout("CU_2026", resultColumns()), BlockLayout::Result);
    EXPECT_EQ(layout("KrigBlock_Result", resultColumns()), BlockLayout::Result);
    EXPECT_EQ(layout("VOID1", voidColumns()), BlockLayout::Void);
    EXPECT_EQ(layout("KrigBlock_Param", paramColumns()), BlockLayout::Param);
    EXPECT_EQ(layout("KrigBlock_Vrg_Param", vrgParamColumns()), BlockLayout::VrgParam);
    // Jet's names ignore case.
    EXPECT_EQ(layout("krigblock_param", paramColumns()), BlockLayout::Param);
    auto lower = resultColumns();
    lower[1].name = "krig_blockid";
    EXPECT_EQ(layout("T1", lower), BlockLayout::Result);
}

TEST(BlockLayout, NarrowerTypesFitAndWiderOnesDoNot) {
    auto narrow = resultColumns();
    narrow[11].type = jet::kInteger;  // Srch_Degr
    narrow[2].type = jet::kSingle;    // Krig_PntLocX
    narrow[18].size = 10;             // Krig_ResType
    narrow[21].type = jet::kBinary;   // SubBUDBlob
    EXPECT_EQ(layout("T1", narrow), BlockLayout::Result);
    auto wide = resultColumns();
    wide[18].size = 21;
    EXPECT_EQ(layout("T1", wide), BlockLayout::None);
    wide = resultColumns();
    wide[0].type = jet::kDouble;
    EXPECT_EQ(layout("T1", wide), BlockLayout::None);
    wide = resultColumns();
    wide[18].type = jet::kMemo;
    EXPECT_EQ(layout("T1", wide), BlockLayout::None);
    wide = resultColumns();
    wide[20].type = jet::kByte;  // Krig_Bound
    EXPECT_EQ(layout("T1", wide), BlockLayout::None);
    wide = resultColumns();
    wide[21].type = jet::kText;
    EXPECT_EQ(layout("T1", wide), BlockLayout::None);
}

TEST(BlockLayout, OtherTablesAreNot) {
    auto extra = resultColumns();
    extra.push_back({"Note", jet::kText, 50});
    EXPECT_EQ(layout("T1", extra), BlockLayout::None);
    auto fewer = resultColumns();
    fewer.pop_back();
    EXPECT_EQ(layout("T1", fewer), BlockLayout::None);
    auto swapped = resultColumns();
    std::swap(swapped[2], swapped[3]);
    EXPECT_EQ(layout("T1", swapped), BlockLayout::None);
    auto renamed = voidColumns();
    renamed[0].name = "MineIDs";
    EXPECT_EQ(layout("V1", renamed), BlockLayout::None);
    // The parameter tables are known by their names as well.
    EXPECT_EQ(layout("Params", paramColumns()), BlockLayout::None);
    EXPECT_EQ(layout("KrigBlock_Param", vrgParamColumns()), BlockLayout::None);
    EXPECT_EQ(layout("Orders", {{"OrderID", jet::kLong, 4}}), BlockLayout::None);
    EXPECT_EQ(layout("Empty", {}), BlockLayout::None);
}
