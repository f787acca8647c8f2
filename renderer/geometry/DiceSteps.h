// How many micropolygons a primitive is diced into across a raster extent.
#ifndef QEL_GEOMETRY_DICESTEPS_H
#define QEL_GEOMETRY_DICESTEPS_H

#include "common/Point.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace quelmark {

// The length of a raster displacement on the screen, depth left out.
inline float screenLength(const Point& d) {
    return std::sqrt(d.x * d.x + d.y * d.y);
}

// Micropolygons of the given edge across a raster extent: at least one
// (also for NaN), at most `most` and never more than a grid side can hold.
inline uint16_t stepsAcross(float extent, float edge, long most = UINT16_MAX) {
    float steps = std::ceil(extent / edge);
    if (!(steps >= 2)) return 1;
    return uint16_t(std::min(steps, float(std::clamp(most, 1L, long(UINT16_MAX)))));
}

} // namespace quelmark

#endif
