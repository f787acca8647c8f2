#include "renderer/shading/Volume.h"

#include "common/Quark.h"
#include "renderer/shading/ShadingFunctions.h"

#include <algorithm>
#include <cmath>

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

void DepthCueVolume::evaluate() {
    float range = nonZero(yon - hither);
    float t = std::clamp((depth(P) - hither) / range, 0.0f, 1.0f);
    Ci = lerp(t, Ci, background);
}

FogVolume::FogVolume(Transform* space) : Volume(space) {
    fParms.bind(kQuarkDistance, &distance);
    fParms.bind(kQuarkColor, &background);
}

void FogVolume::evaluate() {
    float t = 1 - std::exp(-length(I) / nonZero(distance));
    Ci = lerp(t, Ci, background);
}
