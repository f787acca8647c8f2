#include "common/Basis.h"

#include "api/qel.h"

namespace quelmark {

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
    case QEL_BASIS_BEZIER:
        return qelBezierBasis;
    case QEL_BASIS_BSPLINE:
        return qelBSplineBasis;
    case QEL_BASIS_CATMULLROM:
        return qelCatmullRomBasis;
    case QEL_BASIS_HERMITE:
        return qelHermiteBasis;
    case QEL_BASIS_POWER:
        return qelPowerBasis;
    default: return nullptr;
    }
}

long basisStep(short basis) {
    switch (basis) {
    case QEL_BASIS_BSPLINE:
    case QEL_BASIS_CATMULLROM:
        return 1;
    case QEL_BASIS_HERMITE:
        return 2;
    case QEL_BASIS_POWER:
        return 4;
    default: return 3;
    }
}

} // namespace quelmark
