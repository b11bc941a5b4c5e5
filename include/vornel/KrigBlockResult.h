// One estimated block of a block result table, with its sub-blocks.
//
// The record owns nothing by itself: copies share the two sub-block arrays,
// and whoever owns the record (the manager's cache or the caller) releases
// them with delete[].
//
// A double column gives back the double stored, bit for bit, but for the
// sign of a zero: -0.0 reads back as 0.0, as the file keeps a whole-valued
// double as a whole number. The sub-block arrays keep every bit.
#ifndef VORNEL_KRIGBLOCKRESULT_H
#define VORNEL_KRIGBLOCKRESULT_H

#include <cstdint>
#include <cstring>

#include "vornel/Types.h"

class KrigBlockResult {
public:
    KrigBlockResult() { std::memset(static_cast<void*>(this), 0, sizeof(*this)); }

    int32_t MineID;
    int32_t Krig_BlockID;
    double Krig_PntLocX;
    double Krig_PntLocY;
    double Krig_PntLocZ;
    double Krig_GridSizeX;
    double Krig_GridSizeY;
    double Krig_GridSizeZ;
    double Block_Coef;
    double Krig_OutAttr;
    double Krig_OutVari;
    int32_t Srch_Degr;
    int32_t Krig_PntNum;
    double Krig_MeanDis;  // stored as a 32-bit whole number, cut toward zero
    int32_t Krig_EngZKNum;
    int32_t Krig_EngTCNum;
    int32_t Krig_EngKDNum;
    int32_t Krig_EngQJNum;
    char Krig_OreType[20];
    char Krig_ResType[20];
    int32_t Krig_Bound;
    double Block_Vol;      // stored in single precision (about seven digits)
    double Ore_Propro;     // stored in single precision (about seven digits)
    double Block_CorMass;  // stored in single precision (about seven digits)
    double Block_OreMass;  // stored in single precision (about seven digits)
    int32_t SubBUD_Num;
    D_3DOT* SubBUD_PntLoc;
    D_3DOT* SubBUD_GridSize;
};

#endif
