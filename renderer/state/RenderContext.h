// What a frame renders with, fixed when its buckets are made: a copy of the
// options, the camera's matrices and the tables made from them.
// Dicing, shading, sampling, filtering and the display read this, never the
// graphics state, so that nothing the caller does while the frame renders
// reaches the workers.
#ifndef QEL_STATE_RENDERCONTEXT_H
#define QEL_STATE_RENDERCONTEXT_H

#include "common/Matrix.h"
#include "renderer/state/Camera.h"
#include "renderer/state/Lens.h"
#include "renderer/state/Option.h"

#include <array>

namespace quelmark {

// Adaptive sampling takes samples in at most this many passes.
constexpr int kAdaptivePasses = 12;

// The depth of projected grids and sample hits. Under a perspective or
// orthographic view it is camera-space depth, visible between the clipping
// planes, and outputs see it normalised between them; kept in camera space
// it holds its precision whatever the planes (normalised by planes 1e-10
// and 1e38 every depth would be a subnormal number). Under the identity
// view it is the z the scene gave, visible from 0 to 1.
struct HiderDepth {
    explicit HiderDepth(const Option& option);

    float low, high;
    // Depth normalised for outputs; a sample that saw nothing, with depth
    // kNothing, is at 1.
    float normalized(float z) const;
    // The normalised depth times filterScale, as the filters add it up: a
    // depth normalised over the far clipping plane's 1e38 is a number so
    // small that its weighted parts would fall below the normal floats,
    // slow to compute and short of precision. The scale is a power of two,
    // so that dividing by it gives the normalised depth back exactly.
    float forFilter(float z) const;
    float filterScale() const { return fFilterScale; }

    static constexpr float kNothing = __builtin_huge_valf();

private:
    bool fNormalizes;
    double fNear, fSpan;
    float fFilterScale;
};

struct RenderContext {
    RenderContext(const Option& options, const CameraMatrices& camera);

    // Whether samples are composited in the order the primitives were
    // requested (the painter's hider) instead of by depth.
    bool paintOrder() const { return option.hiderType == QEL_HIDER_PAINT; }
    // The raster margin a primitive or grid needs for the filter to reach it.
    float marginX() const { return option.filterXWidth * 0.5f + 1.0f; }
    float marginY() const { return option.filterYWidth * 0.5f + 1.0f; }
    // Whether samples see the scene at times of their own: the shutter
    // stays open a while.
    bool shutterOpens() const { return option.shutterClose > option.shutterOpen; }
    // The time of a sample at fraction f of the shutter's opening.
    float timeAt(float f) const {
        return option.shutterOpen + f * (option.shutterClose - option.shutterOpen);
    }

    const Option option;
    const Matrix worldToCamera, cameraToScreen, cameraToRaster;
    const HiderDepth depth;
    const Lens lens;
    // The colour variance each pass of adaptive sampling stops below: the
    // chi-square quantiles scaled so that the last is the maximum variance.
    const std::array<float, kAdaptivePasses> chiSquare;
};

} // namespace quelmark

#endif
