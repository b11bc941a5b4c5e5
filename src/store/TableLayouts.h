// The column definitions of the four kinds of table, in the words their
// CREATE statements use. Rows are read and written by column position, so
// the order here is part of the file format.
#ifndef VORNEL_STORE_TABLELAYOUTS_H
#define VORNEL_STORE_TABLELAYOUTS_H

namespace vornel::store {

inline constexpr char kParamColumns[] =
    "MineID int, Krig_Result_Name VarChar(254), Mine_Element VarChar(20), "
    "Grid_StartX Double, Grid_StartY Double, Grid_StartZ Double, "
    "Grid_EndX Double, Grid_EndY Double, Grid_EndZ Double, "
    "Grid_SizeX Double, Grid_SizeY Double, Grid_SizeZ Double, "
    "Grid_NumX Long, Grid_NumY Long, Grid_NumZ Long, "
    "Grid_Azm Int, Grid_Dip Int, Grid_Org Int, "
    "SubGrid_SizeX Double, SubGrid_SizeY Double, SubGrid_SizeZ Double, "
    "Srch_RangX Double, Srch_RangY Double, Srch_RangZ Double, "
    "Srch_Azm Int, Srch_Dip Int, Srch_Org Int, Srch_Coef Double, "
    "Srch_MinPnt Int, Srch_MaxPnt Int, Vrg_Nug Double, Vrg_Sill Double, "
    "Vrg_Num long, OreType_Num long, OreClas_Num long, OreAttr_Unit int, "
    "Table_Name VarChar(20), VoidTable_Name VarChar(20)";

inline constexpr char kVrgParamColumns[] =
    "MineID long, Vrg_Type VarChar(20), Vrg_LocSill Double, "
    "Vrg_Azm Int, Vrg_Dip Int, Vrg_Org Int, "
    "Vrg_MaxRang Double, Vrg_MinRang Double, Vrg_VerRang Double, Vrg_TblName VarChar(20)";

inline constexpr char kResultColumns[] =
    "MineID long, Krig_BlockID long, "
    "Krig_PntLocX double, Krig_PntLocY double, Krig_PntLocZ double, "
    "Krig_GridSizeX double, Krig_GridSizeY double, Krig_GridSizeZ double, "
    "Block_Coef double, Krig_OutAttr double, Krig_OutVari double, "
    "Srch_Degr long, Krig_PntNum long, Krig_MeanDis double, "
    "Krig_EngZKNum long, Krig_EngTCNum long, Krig_EngKDNum long, Krig_EngQJNum long, "
    "Krig_ResType VarChar(20), Krig_OreType VarChar(20), Krig_Bound yesno, SubBUDBlob IMAGE, "
    "Block_Vol Double, Ore_Propro Double, Block_CorMass Double, Block_OreMass Double";

inline constexpr char kVoidColumns[] =
    "MineID long, Krig_BlockID AUTOINCREMENT(1,1), "
    "Krig_PntLocX double, Krig_PntLocY double, Krig_PntLocZ double, "
    "Krig_GridSizeX double, Krig_GridSizeY double, Krig_GridSizeZ double, "
    "Block_Coef double, Krig_OreType VarChar(20), Krig_Bound yesno, SubBUDBlob IMAGE";

}  // namespace vornel::store

#endif
