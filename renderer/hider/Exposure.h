// The pixel-level steps after filtering: exposure (gain and gamma) of the
// colour, and quantisation with dither of colour, alpha and depth.
#ifndef QEL_HIDER_EXPOSURE_H
#define QEL_HIDER_EXPOSURE_H

#include "renderer/geometry/Color.h"

#include <cstdint>

// Each component becomes sign(c)·|gain·c|^power, in place.
void expose(Color& c, float gain, float power);

// one·value plus a dither of up to ±jitter, rounded half away from zero and
// clamped to [min, max].
int32_t quantize(float value, float one, float min, float max, float jitter);

#endif
