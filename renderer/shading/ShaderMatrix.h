// 4 by 4 matrices as compiled shaders hold them: sixteen floats row by row,
// in the renderer's row-vector convention (a point is a row multiplied on
// the left; the translation is the last row). Angles are in radians.
#ifndef QEL_SHADING_SHADERMATRIX_H
#define QEL_SHADING_SHADERMATRIX_H

#include <array>
#include <optional>

namespace quelmark {

inline constexpr int kMatrixFloats = 16;
using ShaderMatrix = std::array<float, kMatrixFloats>;
using ShaderTriple = std::array<float, 3>;

// value on the diagonal, 0 elsewhere: a float widened to a matrix.
ShaderMatrix diagonalMatrix(float value);
inline ShaderMatrix identityMatrix() {
    return diagonalMatrix(1);
}

// The transform of first followed by then: p * (first * then).
ShaderMatrix matrixProduct(const ShaderMatrix& first, const ShaderMatrix& then);
float matrixDeterminant(const ShaderMatrix& matrix);
// None for a singular matrix.
std::optional<ShaderMatrix> matrixInverse(const ShaderMatrix& matrix);
ShaderMatrix matrixTranspose(const ShaderMatrix& matrix);

// Points by the whole matrix, divided by w unless w is 0.
ShaderTriple transformPoint(const ShaderMatrix& matrix, const ShaderTriple& point);
// Directions by the upper 3 by 3 part.
ShaderTriple transformVector(const ShaderMatrix& matrix, const ShaderTriple& vector);
// The matrix that moves normals as the matrix moves points: the inverse
// transpose; for a singular matrix, the cofactors of its upper 3 by 3 part,
// which move normals alike up to their length.
ShaderMatrix normalMatrix(const ShaderMatrix& matrix);

ShaderMatrix translationMatrix(const ShaderTriple& offset);
ShaderMatrix scalingMatrix(const ShaderTriple& factors);
// About the axis through the origin, counter-clockwise looking down the
// axis towards the origin; none for a zero axis.
std::optional<ShaderMatrix> rotationMatrix(float angle, const ShaderTriple& axis);

} // namespace quelmark

#endif
