// One void block (empty space in the model), with its sub-blocks.
//
// Like KrigBlockResult, the record owns nothing by itself: copies share the
// sub-block arrays, and their owner releases them with delete[]; and its
// double columns give back the doubles stored but for the sign of a zero.
#ifndef VORNEL_KRIGBLOCKVOID_H
#define VORNEL_KRIGBLOCKVOID_H

#include <cstdint>
#include <cstring>

#include "vornel/Types.h"

class KrigBlockVoid {
public:
    KrigBlockVoid() { std::memset(static_cast<void*>(this), 0, sizeof(*this)); }

    int32_t MineID;
    int32_t Krig_BlockID;
    double Krig_PntLocX;
    double Krig_PntLocY;
    double Krig_PntLocZ;
    double Krig_GridSizeX;
    double Krig_GridSizeY;
    double Krig_GridSizeZ;
    double Block_Coef;
    char Krig_OreType[20];
    int32_t Krig_Bound;
    int32_t SubBUD_Num;
    D_3DOT* SubBUD_PntLoc;
    D_3DOT* SubBUD_GridSize;
};

#endif
