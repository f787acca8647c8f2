// Volume shaders: the atmosphere through which a surface's colour reaches
// the eye. Both built-in volumes blend Ci towards a background colour and
// leave Oi as the surface made it.
#ifndef QEL_SHADING_VOLUME_H
#define QEL_SHADING_VOLUME_H

#include "common/Color.h"
#include "renderer/shading/Shader.h"
#include "renderer/shading/ShadingContext.h"

namespace quelmark {

class Volume : public Shader {
public:
    explicit Volume(Transform* space) : Shader(space) {}

    // Changes Ci and Oi of every point of the context as the light crosses
    // the volume; the context's volume values hold this shader's parameters.
    virtual void shade(ShadingContext& context) const = 0;
};

// Fades to the background linearly in depth between hither and yon.
class DepthCueVolume : public Volume {
public:
    explicit DepthCueVolume(Transform* space);
    void shade(ShadingContext& context) const override;

private:
    float hither = 0;
    float yon = 1;
    Color background{0, 0, 0};
};

// Fades to the background exponentially with the distance from the eye.
class FogVolume : public Volume {
public:
    explicit FogVolume(Transform* space);
    void shade(ShadingContext& context) const override;

private:
    float distance = 1;
    Color background{0, 0, 0};
};

} // namespace quelmark

#endif
