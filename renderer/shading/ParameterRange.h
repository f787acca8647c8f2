// The part of the primitive a request made that one piece of it covers, in
// the primitive's own parameters u and v, each running from 0 to 1 over the
// whole. Pieces split from a primitive shade with the whole's u and v, from
// which the default texture coordinates s and t follow.
#ifndef QEL_SHADING_PARAMETERRANGE_H
#define QEL_SHADING_PARAMETERRANGE_H

namespace quelmark {

struct ParameterRange {
    float u0 = 0.0f, u1 = 1.0f, v0 = 0.0f, v1 = 1.0f;

    // The whole's u and v at a piece's own (u, v) in [0, 1].
    float u(float local) const { return u0 + local * (u1 - u0); }
    float v(float local) const { return v0 + local * (v1 - v0); }
    // The part [a0, a1] x [b0, b1] of the piece, in the whole's parameters.
    ParameterRange part(float a0, float a1, float b0, float b1) const {
        return {u(a0), u(a1), v(b0), v(b1)};
    }
};

} // namespace quelmark

#endif
