#include "renderer/display/CropRegion.h"

#include <cmath>

namespace quelmark {

namespace {

float unit(float value, float fallback) {
    if (std::isnan(value)) return fallback;
    return value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value);
}

// The first pixel at or past the fraction of the extent.
long firstPixelFrom(long extent, float fraction) {
    return long(std::ceil(float(extent) * fraction));
}

} // namespace

PixelRegion cropRegion(long xres, long yres, float cropXmin, float cropXmax, float cropYmin,
                       float cropYmax) {
    PixelRegion region;
    if (xres < 1 || yres < 1) return region;
    region.x0 = firstPixelFrom(xres, unit(cropXmin, 0.0f));
    region.x1 = firstPixelFrom(xres, unit(cropXmax, 1.0f)) - 1;
    region.y0 = firstPixelFrom(yres, unit(cropYmin, 0.0f));
    region.y1 = firstPixelFrom(yres, unit(cropYmax, 1.0f)) - 1;
    return region;
}

} // namespace quelmark
