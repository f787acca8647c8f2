// Surface shaders: the base with the illumination loops, and the constant,
// default, matte, metal and plastic surfaces. A surface shades every point
// of a grid in one call, setting Ci and Oi of the context's points.
#ifndef QEL_SHADING_SURFACE_H
#define QEL_SHADING_SURFACE_H

#include "common/Color.h"
#include "common/Point.h"
#include "renderer/shading/Light.h"
#include "renderer/shading/Shader.h"
#include "renderer/shading/ShadingContext.h"

#include <vector>

namespace quelmark {

class Surface : public Shader {
public:
    explicit Surface(Transform* space) : Shader(space) {}

    // Sets Ci and Oi at every point of the context; the context's surface
    // values hold this shader's parameters there.
    virtual void shade(ShadingContext& context) const = 0;

protected:
    // context.ambient: the sum of the ambient lights at every point.
    static void gatherAmbient(ShadingContext& context);
    // context.Nf: faceforward(normalize(N), I, Ng), of unit length.
    static void faceForward(ShadingContext& context);
    // context.V: normalize(-I), towards the eye.
    static void viewDirections(ShadingContext& context);
    // Calls gather(samples) once for each non-ambient light, with its light
    // at every point that lies in the hemisphere around the unit normals Nn.
    template <class Gather>
    static void illuminance(ShadingContext& context, const std::vector<Point>& Nn, Gather gather);
    // What a surface gathers from its lights: the ambient light, and in one
    // pass over the grid for each other light the diffuse light, the Blinn
    // highlight of the given roughness, or both, into the context's sums.
    enum class Gathered { kDiffuse, kSpecular, kBoth };
    static void gatherLight(ShadingContext& context, Gathered gathered,
                            const Varying<float>& roughness);
    // The Blinn highlight of one light: Cl · max(0, Nn·H)^(1/roughness).
    static Color blinn(const Color& Cl, const Point& Ln, const Point& Nn, const Point& V,
                       float roughness);
    // The Phong highlight about the mirror direction of the unit V.
    static Color phong(const Color& Cl, const Point& Ln, const Point& Nn, const Point& V,
                       float size);

private:
    static void lightAt(ShadingContext& context, const Light& light, int emitter, const Point* Nn,
                        float angle);
};

// Os * Cs, whatever the lights.
class ConstantSurface : public Surface {
public:
    explicit ConstantSurface(Transform* space) : Surface(space) {}
    void shade(ShadingContext& context) const override;
};

// RenderMan's default surface, which needs no light: lit as from the eye,
// Ci = Os · Cs · (Ka + Kd · (N · I)²) with N and I normalized.
class DefaultSurface : public Surface {
public:
    explicit DefaultSurface(Transform* space);
    void shade(ShadingContext& context) const override;

private:
    float Ka = 0.2f;
    float Kd = 0.8f;
};

class MatteSurface : public Surface {
public:
    explicit MatteSurface(Transform* space);
    void shade(ShadingContext& context) const override;

private:
    float Ka = 1;
    float Kd = 1;
};

class MetalSurface : public Surface {
public:
    explicit MetalSurface(Transform* space);
    void shade(ShadingContext& context) const override;

private:
    float Ka = 1;
    float Ks = 1;
    float roughness = 0.1f;
};

class PlasticSurface : public Surface {
public:
    explicit PlasticSurface(Transform* space);
    void shade(ShadingContext& context) const override;

private:
    float Ka = 1;
    float Kd = 0.5f;
    float Ks = 0.5f;
    float roughness = 0.1f;
    Color specularcolor{1, 1, 1};
};

// The half-space around the normal that diffuse and specular light come from.
inline constexpr float kHemisphere = kPi / 2;

template <class Gather>
void Surface::illuminance(ShadingContext& context, const std::vector<Point>& Nn, Gather gather) {
    if (!context.lights) return;
    for (const Light* light : *context.lights) {
        if (light->isAmbient()) continue;
        for (int emitter = 0; emitter < light->emitters(); ++emitter) {
            lightAt(context, *light, emitter, Nn.data(), kHemisphere);
            gather(static_cast<const LightSamples&>(context.lit));
        }
    }
}

} // namespace quelmark

#endif
