#include "renderer/hider/Filter.h"

#include <cmath>

namespace {

bool outsideSupport(float x, float y, float xwidth, float ywidth) {
    return std::fabs(x) > xwidth * 0.5f || std::fabs(y) > ywidth * 0.5f;
}

} // namespace

float qelBoxFilter(float x, float y, float xwidth, float ywidth) {
    return outsideSupport(x, y, xwidth, ywidth) ? 0.0f : 1.0f;
}

float qelTriangleFilter(float x, float y, float xwidth, float ywidth) {
    if (outsideSupport(x, y, xwidth, ywidth)) return 0.0f;
    return std::fmin(1.0f - 2.0f * std::fabs(x) / xwidth, 1.0f - 2.0f * std::fabs(y) / ywidth);
}

float qelGaussianFilter(float x, float y, float xwidth, float ywidth) {
    if (outsideSupport(x, y, xwidth, ywidth)) return 0.0f;
    float sigma = 0.5f * std::sqrt((xwidth * xwidth + ywidth * ywidth) * 0.25f);
    float r2 = x * x + y * y;
    return std::exp(-r2 / (2.0f * sigma * sigma)) / (sigma * 2.50662827462f);
}

float qelCatmullRomFilter(float x, float y, float xwidth, float ywidth) {
    if (outsideSupport(x, y, xwidth, ywidth)) return 0.0f;
    float r = std::sqrt(x * x + y * y);
    if (r >= 2.0f) return 0.0f;
    if (r < 1.0f) return 1.5f * r * r * r - 2.5f * r * r + 1.0f;
    return -0.5f * r * r * r + 2.5f * r * r - 4.0f * r + 2.0f;
}

float qelSincFilter(float x, float y, float xwidth, float ywidth) {
    if (outsideSupport(x, y, xwidth, ywidth)) return 0.0f;
    float a = 3.1415927f * std::sqrt(x * x + y * y);
    if (a <= 1e-10f) return 1.0f;
    return std::sin(a) / a;
}

qelFilterFunc filterForCode(short code) {
    switch (code) {
    case 0x100: return qelGaussianFilter;
    case 0x101: return qelCatmullRomFilter;
    case 0x102: return qelBoxFilter;
    case 0x103: return qelTriangleFilter;
    case 0x104: return qelSincFilter;
    default: return nullptr;
    }
}
