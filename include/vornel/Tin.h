// Vertex and triangle records of a small triangulated surface.
//
// Both are packed on 2-byte boundaries (28 and 26 bytes) and kept in
// 1-based arrays: element 0 is blank, element k is vertex or triangle k.
#ifndef VORNEL_TIN_H
#define VORNEL_TIN_H

#include <cstdint>

#pragma pack(push, 2)

struct TinPntStrcT {
    double x;
    double y;
    double z;
    int16_t Reserved;
    uint8_t bValid;
};

struct TinNetStrcT {
    int32_t nPnt1;
    int32_t nPnt2;
    int32_t nPnt3;
    int32_t nAdj1;
    int32_t nAdj2;
    int32_t nAdj3;
    uint8_t bValid;
};

#pragma pack(pop)

static_assert(sizeof(TinPntStrcT) == 28, "TinPntStrcT is 28 bytes");
static_assert(sizeof(TinNetStrcT) == 26, "TinNetStrcT is 26 bytes");

#endif
