#include "renderer/state/Lens.h"

#include "renderer/state/Option.h"

#include <algorithm>
#include <cmath>

namespace quelmark {

namespace {

constexpr float kPinhole = 1e38f;

} // namespace

Lens::Lens(const Option& option, const Matrix& cameraToRaster) {
    const bool lensGiven = option.fStop < kPinhole && option.fStop > 0.0f &&
                           option.focalLength > 0.0f && option.focalDistance > 0.0f;
    // Under perspective a camera point's raster x is m00/m23 · x/z plus
    // terms in 1/z alone.
    const float w = cameraToRaster[2][3];
    if (!lensGiven || !option.perspective || w == 0.0f) return;
    const float radius = option.focalLength / (2.0f * option.fStop);
    fScaleX = radius * std::fabs(cameraToRaster[0][0] / w);
    fScaleY = radius * std::fabs(cameraToRaster[1][1] / w);
    fInverseFocus = 1.0f / option.focalDistance;
    fOpen = std::isfinite(fScaleX) && std::isfinite(fScaleY) && (fScaleX > 0 || fScaleY > 0);
}

float Lens::mostBlur(float zmin, float zmax) const {
    if (!fOpen) return 0.0f;
    // |1/f − 1/z| is largest at one end of the range.
    return std::max(std::fabs(blurAt(zmin)), std::fabs(blurAt(zmax)));
}

void Lens::widen(float& xmin, float& xmax, float& ymin, float& ymax, float zmin, float zmax,
                 float nearest) const {
    if (!fOpen) return;
    const float blur = mostBlur(std::max(zmin, nearest), std::max(zmax, nearest));
    xmin -= blur * fScaleX, xmax += blur * fScaleX;
    ymin -= blur * fScaleY, ymax += blur * fScaleY;
}

} // namespace quelmark
