// The manager's two geometry members; the work is the geometry layer's.
#include "geometry/BoxTin.h"
#include "vornel/VornelMng.h"

long CVornelMng::BuildVolTin(D_3DOT origin, D_3DOT size, int mode, TinPntStrcT* pnts,
                             TinNetStrcT* tris) {
    return vornel::geometry::buildVolTin(origin, size, mode, pnts, tris);
}

void CVornelMng::GetPanelCoef(double* p1, double* p2, double* p3, double* coef) {
    vornel::geometry::panelCoef(p1, p2, p3, coef);
}
