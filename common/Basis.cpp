#include "common/Basis.h"

const float qelBezierBasis[4][4] = {{-1, 3, -3, 1}, {3, -6, 3, 0}, {-3, 3, 0, 0}, {1, 0, 0, 0}};

const float qelBSplineBasis[4][4] = {{-1.0f / 6, 3.0f / 6, -3.0f / 6, 1.0f / 6},
                                     {3.0f / 6, -6.0f / 6, 3.0f / 6, 0},
                                     {-3.0f / 6, 0, 3.0f / 6, 0},
                                     {1.0f / 6, 4.0f / 6, 1.0f / 6, 0}};

const float qelCatmullRomBasis[4][4] = {
    {-0.5f, 1.5f, -1.5f, 0.5f}, {1, -2.5f, 2, -0.5f}, {-0.5f, 0, 0.5f, 0}, {0, 1, 0, 0}};

const float qelHermiteBasis[4][4] = {{2, 1, -2, 1}, {-3, -2, 3, -1}, {0, 1, 0, 0}, {1, 0, 0, 0}};

const float qelPowerBasis[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

const float (*basisMatrix(short basis))[4] {
    switch (basis) {
    case 0x900: return qelBezierBasis;
    case 0x901: return qelBSplineBasis;
    case 0x902: return qelCatmullRomBasis;
    case 0x903: return qelHermiteBasis;
    case 0x904: return qelPowerBasis;
    default: return nullptr;
    }
}

long basisStep(short basis) {
    switch (basis) {
    case 0x901:
    case 0x902: return 1;
    case 0x903: return 2;
    case 0x904: return 4;
    default: return 3;
    }
}
