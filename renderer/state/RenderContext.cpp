#include "renderer/state/RenderContext.h"

namespace quelmark {

namespace {

// Normalised depths of 1e-38 and more stay normal floats when weighted by
// filter weights down to 1e-7, and 1 times the weights of a wide filter
// stays far from overflow.
constexpr float kNormalizedFilterScale = 0x1p100f;

} // namespace

namespace {

// The 1% quantiles of the chi-square distribution with 7, 15, ..., 95
// degrees of freedom.
constexpr std::array<float, kAdaptivePasses> kChiSquareTable = {
    1.239f,   5.229f,   10.196f,  15.678f, 21.4386f, 27.4208f,
    33.5693f, 39.8488f, 46.2349f, 52.71f,  59.2607f, 65.8768f};

std::array<float, kAdaptivePasses> scaledChiSquare(float maxVariance) {
    std::array<float, kAdaptivePasses> table{};
    for (int i = 0; i < kAdaptivePasses; ++i)
        table[size_t(i)] =
            maxVariance * kChiSquareTable[size_t(i)] / kChiSquareTable[kAdaptivePasses - 1];
    return table;
}

} // namespace

HiderDepth::HiderDepth(const Option& option)
    : low(option.depthNormalize ? option.nearClip : 0.0f),
      high(option.depthNormalize ? option.farClip : 1.0f), fNormalizes(option.depthNormalize),
      fNear(option.nearClip), fSpan(double(option.farClip) - option.nearClip),
      fFilterScale(option.depthNormalize ? kNormalizedFilterScale : 1.0f) {}

float HiderDepth::normalized(float z) const {
    if (z == kNothing) return 1.0f;
    return fNormalizes ? float((double(z) - fNear) / fSpan) : z;
}

float HiderDepth::forFilter(float z) const {
    if (z == kNothing) return fFilterScale;
    return fNormalizes ? float((double(z) - fNear) / fSpan * double(fFilterScale)) : z;
}

RenderContext::RenderContext(const Option& options, const CameraMatrices& camera)
    : option(options), worldToCamera(camera.worldToCamera), cameraToScreen(camera.cameraToScreen),
      cameraToRaster(camera.cameraToRaster), depth(options), lens(options, camera.cameraToRaster),
      chiSquare(scaledChiSquare(options.maxVariance)) {}

} // namespace quelmark
