// One kriging run (or one registered void table): a row of KrigBlock_Param.
// Its real numbers are stored rounded to three decimals (a grid size of
// 0.0625 comes back as 0.062, a nugget of 0.0004 as 0).
#ifndef VORNEL_KRIGBLOCKPARAM_H
#define VORNEL_KRIGBLOCKPARAM_H

#include <cstdint>
#include <cstring>

class KrigBlockParam {
public:
    KrigBlockParam() { std::memset(static_cast<void*>(this), 0, sizeof(*this)); }

    int32_t MineID;
    char Krig_Result_Name[254];
    char Mine_Element[20];
    double Grid_StartX, Grid_StartY, Grid_StartZ;
    double Grid_EndX, Grid_EndY, Grid_EndZ;
    double Grid_SizeX, Grid_SizeY, Grid_SizeZ;
    int32_t Grid_NumX, Grid_NumY, Grid_NumZ;
    int32_t Grid_Azm, Grid_Dip, Grid_Org;
    double SubGrid_SizeX, SubGrid_SizeY, SubGrid_SizeZ;
    double Srch_RangX, Srch_RangY, Srch_RangZ;
    int32_t Srch_Azm, Srch_Dip, Srch_Org;
    double Srch_Coef;
    int32_t Srch_MinPnt;
    int32_t Srch_MaxPnt;
    double Vrg_Nug;
    double Vrg_Sill;
    int32_t Vrg_Num;
    int32_t OreType_Num;
    int32_t OreClas_Num;
    int32_t OreAttr_Unit;
    char Table_Name[20];
    char VoidTable_Name[20];
};

#endif
