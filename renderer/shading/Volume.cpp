#include "renderer/shading/Volume.h"

#include "common/Quark.h"
#include "renderer/shading/ShadingFunctions.h"

#include <algorithm>
#include <cmath>

namespace quelmark {

namespace {

// A zero extent stands for a unit one.
float nonZero(float extent) {
    return std::fabs(extent) < kEpsilon ? 1.0f : extent;
}

} // namespace

DepthCueVolume::DepthCueVolume(Transform* space) : Volume(space) {
    fParms.bind(kQuarkHither, &hither);
    fParms.bind(kQuarkYon, &yon);
    fParms.bind(kQuarkColor, &background);
}

void DepthCueVolume::shade(ShadingContext& context) const {
    ShadingPoints& points = context.points;
    const ParameterValues& values = context.volumeValues;
    const Varying<float> front = values[hither], back = values[yon];
    const Varying<Color> fadeTo = values[background];
    for (int i = 0; i < points.count; ++i) {
        const auto k = std::size_t(i);
        float t =
            std::clamp((depth(points.P[k]) - front[i]) / nonZero(back[i] - front[i]), 0.0f, 1.0f);
        points.Ci[k] = lerp(t, points.Ci[k], fadeTo[i]);
    }
}

FogVolume::FogVolume(Transform* space) : Volume(space) {
    fParms.bind(kQuarkDistance, &distance);
    fParms.bind(kQuarkColor, &background);
}

void FogVolume::shade(ShadingContext& context) const {
    ShadingPoints& points = context.points;
    const ParameterValues& values = context.volumeValues;
    const Varying<float> extent = values[distance];
    const Varying<Color> fadeTo = values[background];
    for (int i = 0; i < points.count; ++i) {
        const auto k = std::size_t(i);
        float t = 1 - std::exp(-length(points.I[k]) / nonZero(extent[i]));
        points.Ci[k] = lerp(t, points.Ci[k], fadeTo[i]);
    }
}

} // namespace quelmark
