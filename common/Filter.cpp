#include "common/Filter.h"

#include "api/qel.h"

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

namespace {

// The Mitchell-Netravali cubic with B = C = 1/3, over |x| < 2.
float mitchell(float x) {
    constexpr float B = 1.0f / 3.0f, C = 1.0f / 3.0f;
    x = std::fabs(x);
    if (x >= 2.0f) return 0.0f;
    if (x < 1.0f)
        return ((12 - 9 * B - 6 * C) * x * x * x + (-18 + 12 * B + 6 * C) * x * x + (6 - 2 * B)) /
               6.0f;
    return ((-B - 6 * C) * x * x * x + (6 * B + 30 * C) * x * x + (-12 * B - 48 * C) * x +
            (8 * B + 24 * C)) /
           6.0f;
}

} // namespace

// The cubic's support of 4 stretched over the filter's width.
float qelMitchellFilter(float x, float y, float xwidth, float ywidth) {
    if (outsideSupport(x, y, xwidth, ywidth)) return 0.0f;
    return mitchell(4.0f * x / xwidth) * mitchell(4.0f * y / ywidth);
}

float qelNarrowGaussianFilter(float x, float y, float xwidth, float ywidth) {
    if (outsideSupport(x, y, xwidth, ywidth)) return 0.0f;
    float u = 2.0f * x / xwidth, v = 2.0f * y / ywidth;
    return std::exp(-2.0f * (u * u + v * v));
}

namespace quelmark {

qelFilterFunc filterForCode(short code) {
    switch (code) {
    case QEL_FILTER_GAUSSIAN:
        return qelGaussianFilter;
    case QEL_FILTER_CATMULLROM:
        return qelCatmullRomFilter;
    case QEL_FILTER_BOX:
        return qelBoxFilter;
    case QEL_FILTER_TRIANGLE:
        return qelTriangleFilter;
    case QEL_FILTER_SINC:
        return qelSincFilter;
    case QEL_FILTER_MITCHELL:
        return qelMitchellFilter;
    case QEL_FILTER_NARROW_GAUSSIAN:
        return qelNarrowGaussianFilter;
    default:
        return nullptr;
    }
}

bool SeparableFilter::prepare(qelFilterFunc filter, float xwidth, float ywidth) {
    if (filter == qelBoxFilter)
        fKind = Kind::kBox;
    else if (filter == qelGaussianFilter)
        fKind = Kind::kGaussian;
    else if (filter == qelMitchellFilter)
        fKind = Kind::kMitchell;
    else if (filter == qelNarrowGaussianFilter)
        fKind = Kind::kNarrowGaussian;
    else
        return false;
    fXWidth = xwidth, fYWidth = ywidth;
    fSigma = 0.5f * std::sqrt((xwidth * xwidth + ywidth * ywidth) * 0.25f);
    const float centre = alongX(0.0f) * alongY(0.0f);
    fScale = centre != 0.0f ? filter(0.0f, 0.0f, xwidth, ywidth) / centre : 1.0f;
    return true;
}

float SeparableFilter::along(float offset, float width) const {
    if (std::fabs(offset) > width * 0.5f) return 0.0f;
    switch (fKind) {
    case Kind::kBox:
        return 1.0f;
    case Kind::kGaussian:
        return std::exp(-offset * offset / (2.0f * fSigma * fSigma));
    case Kind::kMitchell:
        return mitchell(4.0f * offset / width);
    case Kind::kNarrowGaussian: {
        float u = 2.0f * offset / width;
        return std::exp(-2.0f * u * u);
    }
    }
    return 0.0f;
}

} // namespace quelmark
