// The standard cubic basis matrices of bicubic patches, row by row, for
// P(t) = [t^3 t^2 t 1] * B * G, and how many control points one patch of a
// mesh advances in each.
#ifndef QEL_COMMON_BASIS_H
#define QEL_COMMON_BASIS_H

namespace quelmark {

extern const float qelBezierBasis[4][4];
extern const float qelBSplineBasis[4][4];
extern const float qelCatmullRomBasis[4][4];
extern const float qelHermiteBasis[4][4];
extern const float qelPowerBasis[4][4];

// The matrix of a basis enumerator (QEL_BASIS_BEZIER to QEL_BASIS_POWER),
// or null.
const float (*basisMatrix(short basis))[4];

// The steps a basis may take; the scene API refuses a basis with any other
// and keeps the one it had, so readers counting values keep theirs too.
constexpr long kMaxBasisStep = 65535;
constexpr bool validBasisStep(long step) {
    return step >= 1 && step <= kMaxBasisStep;
}
// The step of a basis enumerator; 3 for any other code.
long basisStep(short basis);

} // namespace quelmark

#endif
