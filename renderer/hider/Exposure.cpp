#include "renderer/hider/Exposure.h"

#include <cmath>

namespace quelmark {

namespace {

float exposed(float c, float gain, float power) {
    c *= gain;
    if (c == 0.0f) return 0.0f;
    return std::copysign(std::pow(std::fabs(c), power), c);
}

float roundHalfAwayFromZero(float f) { return f >= 0.0f ? std::floor(f + 0.5f) : std::ceil(f - 0.5f); }

// The largest float below 2^31, so that every clamped value fits.
constexpr float kInt32Limit = 2147483520.0f;

int32_t toInt32(float f) { return int32_t(std::fmax(-kInt32Limit, std::fmin(f, kInt32Limit))); }

} // namespace

void expose(Color& c, float gain, float power) {
    c.r = exposed(c.r, gain, power);
    c.g = exposed(c.g, gain, power);
    c.b = exposed(c.b, gain, power);
}

int32_t quantize(float value, float one, float min, float max, float jitter, float rho) {
    float rounded = roundHalfAwayFromZero(one * value + (2.0f * rho - 1.0f) * jitter);
    if (!(rounded >= min)) return toInt32(min); // below min, or not a number
    if (rounded > max) return toInt32(max);
    return toInt32(rounded);
}

} // namespace quelmark
