// Recognising the library's four kinds of table among an Access file's.
#include <gtest/gtest.h>

#include "migrate/BlockLayout.h"

using vornel::migrate::AccessColumn;
using vornel::migrate::AccessTable;
using vornel::migrate::BlockLayout;
using vornel::migrate::blockLayoutOf;
namespace jet = vornel::migrate::jet;

namespace {

// The columns as the Windows version's DDL made them in Jet.
std::vector<AccessColumn> resultColumns() {
    std::vector<AccessColumn> c;
    for (const char* name : {"MineID", "Krig_BlockID"}) {
        c.push_back({name, jet::kLong, 4});
    }
    for (const char* name :
         {"Krig_PntLocX", "Krig_PntLocY", "Krig_PntLocZ", "Krig_GridSizeX", "Krig_GridSizeY",
          "Krig_GridSizeZ", "Block_Coef", "Krig_OutAttr", "Krig_OutVari"}) {
        c.push_back({name, jet::kDouble, 8});
    }
    c.push_back({"Srch_Degr", jet::kLong, 4});
    c.push_back({"Krig_PntNum", jet::kLong, 4});
    c.push_back({"Krig_MeanDis", jet::kDouble, 8});
    for (const char* name : {"Krig_EngZKNum", "Krig_EngTCNum", "Krig_EngKDNum", "Krig_EngQJNum"}) {
        c.push_back({name, jet::kLong, 4});
    }
    c.push_back({"Krig_ResType", jet::kText, 20});
    c.push_back({"Krig_OreType", jet::kText, 20});
    c.push_back({"Krig_Bound", jet::kBool, 0});
    c.push_back({"SubBUDBlob", jet::kOle, 0});
    for (const char* name : {"Block_Vol", "Ore_Propro", "Block_CorMass", "Block_OreMass"}) {
        c.push_back({name, jet::kDouble, 8});
    }
    return c;
}

std::vector<AccessColumn> voidColumns() {
    std::vector<AccessColumn> c = resultColumns();
    c.erase(c.begin() + 9, c.end());  // up to Block_Coef
    c.push_back({"Krig_OreType", jet::kText, 20});
    c.push_back({"Krig_Bound", jet::kBool, 0});
    c.push_back({"SubBUDBlob", jet::kOle, 0});
    return c;
}

std::vector<AccessColumn> vrgParamColumns() {
    return {{"MineID", jet::kLong, 4},        {"Vrg_Type", jet::kText, 20},
            {"Vrg_LocSill", jet::kDouble, 8}, {"Vrg_Azm", jet::kLong, 4},
            {"Vrg_Dip", jet::kLong, 4},       {"Vrg_Org", jet::kLong, 4},
            {"Vrg_MaxRang", jet::kDouble, 8}, {"Vrg_MinRang", jet::kDouble, 8},
            {"Vrg_VerRang", jet::kDouble, 8}, {"Vrg_TblName", jet::kText, 20}};
}

std::vector<AccessColumn> paramColumns() {
    std::vector<AccessColumn> c = {{"MineID", jet::kLong, 4},
                                   {"Krig_Result_Name", jet::kText, 254},
                                   {"Mine_Element", jet::kText, 20}};
    for (const char* name : {"Grid_StartX", "Grid_StartY", "Grid_StartZ", "Grid_EndX", "Grid_EndY",
                             "Grid_EndZ", "Grid_SizeX", "Grid_SizeY", "Grid_SizeZ"}) {
        c.push_back({name, jet::kDouble, 8});
    }
    for (const char* name :
         {"Grid_NumX", "Grid_NumY", "Grid_NumZ", "Grid_Azm", "Grid_Dip", "Grid_Org"}) {
        c.push_back({name, jet::kLong, 4});
    }
    for (const char* name : {"SubGrid_SizeX", "SubGrid_SizeY", "SubGrid_SizeZ", "Srch_RangX",
                             "Srch_RangY", "Srch_RangZ"}) {
        c.push_back({name, jet::kDouble, 8});
    }
    for (const char* name : {"Srch_Azm", "Srch_Dip", "Srch_Org"}) {
        c.push_back({name, jet::kLong, 4});
    }
    c.push_back({"Srch_Coef", jet::kDouble, 8});
    c.push_back({"Srch_MinPnt", jet::kLong, 4});
    c.push_back({"Srch_MaxPnt", jet::kLong, 4});
    c.push_back({"Vrg_Nug", jet::kDouble, 8});
    c.push_back({"Vrg_Sill", jet::kDouble, 8});
    for (const char* name : {"Vrg_Num", "OreType_Num", "OreClas_Num", "OreAttr_Unit"}) {
        c.push_back({name, jet::kLong, 4});
    }
    c.push_back({"Table_Name", jet::kText, 20});
    c.push_back({"VoidTable_Name", jet::kText, 20});
    return c;
}

BlockLayout layout(const std::string& name, std::vector<AccessColumn> columns) {
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
