// Values laid on a grid of points, resampled onto a grid of another size
// over the same extent: point (i, j) of the new grid lies at the fraction
// i / (outU - 1) of the way along the old grid's indices, and takes the
// bilinear blend of the four old points around it. Corners map onto
// corners; a grid whose points fall on old points keeps their values.
#ifndef QEL_COMMON_GRIDRESAMPLE_H
#define QEL_COMMON_GRIDRESAMPLE_H

namespace quelmark {

// in holds inU by inV values of width floats, u fastest; out receives outU
// by outV of them.
void resampleGrid(const float* in, long inU, long inV, int width, long outU, long outV, float* out);

} // namespace quelmark

#endif
