// Arithmetic on the triples of compiled shaders (points, vectors, normals
// and colours alike) for the kernels of the standard library.
#ifndef QEL_SHADING_SHADERTRIPLEMATH_H
#define QEL_SHADING_SHADERTRIPLEMATH_H

#include "renderer/shading/ShaderMatrix.h"

#include <cmath>

namespace quelmark {

inline float dotProduct(const ShaderTriple& a, const ShaderTriple& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
inline ShaderTriple plus(const ShaderTriple& a, const ShaderTriple& b) {
    return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}
inline ShaderTriple minus(const ShaderTriple& a, const ShaderTriple& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
inline ShaderTriple scaled(const ShaderTriple& a, float factor) {
    return {a[0] * factor, a[1] * factor, a[2] * factor};
}
inline float lengthOf(const ShaderTriple& a) {
    return std::sqrt(dotProduct(a, a));
}
// A zero vector stays zero.
inline ShaderTriple unit(const ShaderTriple& a) {
    const float length = lengthOf(a);
    return length > 0 ? scaled(a, 1 / length) : a;
}
// The incident direction mirrored about the (unit) normal.
inline ShaderTriple reflection(const ShaderTriple& incident, const ShaderTriple& normal) {
    return minus(incident, scaled(normal, 2 * dotProduct(incident, normal)));
}

} // namespace quelmark

#endif
