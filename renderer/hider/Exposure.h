// The pixel-level steps after filtering: exposure (gain and gamma) of the
// colour, and quantisation with dither of colour, alpha and depth.
#ifndef QEL_HIDER_EXPOSURE_H
#define QEL_HIDER_EXPOSURE_H

#include "common/Color.h"

#include <cstdint>

namespace quelmark {

// Each component becomes sign(c)·|gain·c|^power, in place.
void expose(Color& c, float gain, float power);

// one·value plus the dither (2·rho − 1)·jitter, for a draw rho in [0, 1],
// rounded half away from zero and clamped to [min, max]. rho 0.5 adds none.
int32_t quantize(float value, float one, float min, float max, float jitter, float rho = 0.5f);

} // namespace quelmark

#endif
