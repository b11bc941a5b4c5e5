// One nested variogram structure of a run: a row of KrigBlock_Vrg_Param.
// Its real numbers are stored rounded to three decimals.
#ifndef VORNEL_KRIGBLOCKVRGPARAM_H
#define VORNEL_KRIGBLOCKVRGPARAM_H

#include <cstdint>
#include <cstring>

class KrigBlockVrgParam {
public:
    KrigBlockVrgParam() { std::memset(static_cast<void*>(this), 0, sizeof(*this)); }

    int32_t MineID;
    char Vrg_Type[20];
    double Vrg_LocSill;
    int32_t Vrg_Azm;
    int32_t Vrg_Dip;
    int32_t Vrg_Org;
    double Vrg_MaxRang;
    double Vrg_MinRang;
    double Vrg_VerRang;
    char Vrg_TblName[20];
};

#endif
