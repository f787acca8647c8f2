#include "renderer/shading/Light.h"

#include "common/Quark.h"
#include "renderer/shading/ParameterValues.h"
#include "renderer/shading/ShadingFunctions.h"
#include "renderer/state/ArgList.h"
#include "renderer/state/Transform.h"

#include <algorithm>
#include <cmath>

namespace quelmark {

namespace {

float radians(float degrees) {
    return degrees * kPi / 180;
}

// The test of the surface's cone: whether light from `from` reaches P[i].
struct SurfaceCone {
    SurfaceCone(const Point* normals, float angle)
        : Nn(normals), everyDirection(angle >= kPi || !normals), cosAngle(std::cos(angle)) {}
    // towardsLight need not be of unit length.
    bool admits(int i, const Point& towardsLight) const {
        return everyDirection || dot(normalize(towardsLight), Nn[i]) >= cosAngle;
    }

    const Point* Nn;
    bool everyDirection;
    float cosAngle;
};

void reachNothing(int i, LightSamples& out) {
    out.reached[std::size_t(i)] = 0;
    out.L[std::size_t(i)] = Point();
    out.Cl[std::size_t(i)] = gBlack;
}

// A spot light's cone, worked out again only when its parameters change
// from one point to the next.
class SpotCone {
public:
    void update(const Point& from, const Point& to, float coneangle, float conedeltaangle) {
        if (fValid && from == fFrom && to == fTo && coneangle == fCone && conedeltaangle == fDelta)
            return;
        fValid = true;
        fFrom = from, fTo = to, fCone = coneangle, fDelta = conedeltaangle;
        axis = normalize(to - from);
        cosCone = std::cos(radians(coneangle));
        cosInner = std::cos(radians(coneangle - conedeltaangle));
    }

    Point axis;
    float cosCone = 0, cosInner = 0;

private:
    bool fValid = false;
    Point fFrom, fTo;
    float fCone = 0, fDelta = 0;
};

} // namespace

// Light

Light::Light(Transform* space) : Shader(space) {
    fParms.bind(kQuarkIntensity, &intensity);
    fParms.bind(kQuarkColor, &lightcolor);
}

void Light::shine(ShadingContext& context, int emitter, const Point* P, const Point* Nn, int count,
                  float angle, const ParameterValues& values, LightSamples& out) const {
    if (fElements.empty()) {
        illuminate(context, nullptr, P, Nn, count, angle, values, out);
        return;
    }
    const SurfaceElement& element = fElements[std::size_t(emitter)];
    illuminate(context, &element, P, Nn, count, angle, values, out);
    const float share = element.area / fArea;
    for (Color& light : out.Cl)
        light *= share;
}

namespace {

// The element of the pair's total area, at its area-weighted centre and
// facing the way of their area-weighted normals.
SurfaceElement merged(const SurfaceElement& a, const SurfaceElement& b) {
    const float area = a.area + b.area;
    if (area <= 0) return a;
    const Point N = a.N * a.area + b.N * b.area;
    const float length = std::sqrt(dot(N, N));
    return {.P = (a.P * a.area + b.P * b.area) * (1 / area),
            .N = length > 0 ? N * (1 / length) : a.N,
            .area = area};
}

} // namespace

void Light::addSurface(std::span<const SurfaceElement> elements) {
    for (const SurfaceElement& element : elements) {
        if (!(element.area > 0) || !std::isfinite(element.area)) continue;
        fElements.push_back(element);
        fArea += element.area;
        if (fElements.size() < 2 * kMostElements) continue;
        for (std::size_t k = 0; k < kMostElements; ++k)
            fElements[k] = merged(fElements[2 * k], fElements[2 * k + 1]);
        fElements.resize(kMostElements);
    }
}

Point Light::shaderToCamera(const Point& p) const {
    return space() ? p * space()->matrix() : p;
}

void Light::illuminate(ShadingContext&, const SurfaceElement*, const Point*, const Point*,
                       int count, float, const ParameterValues&, LightSamples& out) const {
    out.resize(count);
    for (int i = 0; i < count; ++i)
        reachNothing(i, out);
}

// AmbientLight

void AmbientLight::illuminate(ShadingContext&, const SurfaceElement*, const Point*, const Point*,
                              int count, float, const ParameterValues& values,
                              LightSamples& out) const {
    out.resize(count);
    const Varying<float> power = values[intensity];
    const Varying<Color> color = values[lightcolor];
    for (int i = 0; i < count; ++i) {
        out.reached[std::size_t(i)] = 1;
        out.L[std::size_t(i)] = Point();
        out.Cl[std::size_t(i)] = power[i] * color[i];
    }
}

// DistantLight

DistantLight::DistantLight(Transform* space) : Light(space) {
    fParms.bind(kQuarkFrom, &from);
    fParms.bind(kQuarkTo, &to);
}

void DistantLight::instance(const ArgList& args) {
    Light::instance(args);
    from = shaderToCamera(from);
    to = shaderToCamera(to);
}

void DistantLight::illuminate(ShadingContext&, const SurfaceElement*, const Point*, const Point* Nn,
                              int count, float angle, const ParameterValues& values,
                              LightSamples& out) const {
    out.resize(count);
    const SurfaceCone cone(Nn, angle);
    const Varying<Point> start = values[from], end = values[to];
    const Varying<float> power = values[intensity];
    const Varying<Color> color = values[lightcolor];
    for (int i = 0; i < count; ++i) {
        const Point towardsLight = start[i] - end[i];
        if (!cone.admits(i, towardsLight)) {
            reachNothing(i, out);
            continue;
        }
        out.reached[std::size_t(i)] = 1;
        out.L[std::size_t(i)] = towardsLight;
        out.Cl[std::size_t(i)] = power[i] * color[i];
    }
}

// PointLight

PointLight::PointLight(Transform* space) : Light(space) {
    fParms.bind(kQuarkFrom, &from);
}

void PointLight::instance(const ArgList& args) {
    Light::instance(args);
    from = shaderToCamera(from);
}

void PointLight::illuminate(ShadingContext&, const SurfaceElement*, const Point* P, const Point* Nn,
                            int count, float angle, const ParameterValues& values,
                            LightSamples& out) const {
    out.resize(count);
    const SurfaceCone cone(Nn, angle);
    const Varying<Point> position = values[from];
    const Varying<float> power = values[intensity];
    const Varying<Color> color = values[lightcolor];
    for (int i = 0; i < count; ++i) {
        const Point towardsLight = position[i] - P[i];
        if (!cone.admits(i, towardsLight)) {
            reachNothing(i, out);
            continue;
        }
        out.reached[std::size_t(i)] = 1;
        out.L[std::size_t(i)] = towardsLight;
        out.Cl[std::size_t(i)] = power[i] * color[i] / dot(towardsLight, towardsLight);
    }
}

// SpotLight

SpotLight::SpotLight(Transform* space) : Light(space) {
    fParms.bind(kQuarkFrom, &from);
    fParms.bind(kQuarkTo, &to);
    fParms.bind(kQuarkConeAngle, &coneangle);
    fParms.bind(kQuarkConeDeltaAngle, &conedeltaangle);
    fParms.bind(kQuarkBeamDistribution, &beamdistribution);
}

void SpotLight::instance(const ArgList& args) {
    Light::instance(args);
    from = shaderToCamera(from);
    to = shaderToCamera(to);
}

void SpotLight::illuminate(ShadingContext&, const SurfaceElement*, const Point* P, const Point* Nn,
                           int count, float angle, const ParameterValues& values,
                           LightSamples& out) const {
    out.resize(count);
    const SurfaceCone surfaceCone(Nn, angle);
    const Varying<Point> start = values[from], end = values[to];
    const Varying<float> cone = values[coneangle], delta = values[conedeltaangle];
    const Varying<float> beam = values[beamdistribution], power = values[intensity];
    const Varying<Color> color = values[lightcolor];
    SpotCone shape;
    for (int i = 0; i < count; ++i) {
        shape.update(start[i], end[i], cone[i], delta[i]);
        const Point fromLight = P[i] - start[i];
        const float c = dot(normalize(fromLight), shape.axis);
        if (c < shape.cosCone || !surfaceCone.admits(i, -fromLight)) {
            reachNothing(i, out);
            continue;
        }
        const float edge = smoothstep(shape.cosCone, shape.cosInner, c);
        // Outside the cone the beam term is never needed (and may be undefined).
        const float attenuation =
            edge > 0 ? std::pow(c, beam[i]) / dot(fromLight, fromLight) * edge : 0.0f;
        out.reached[std::size_t(i)] = 1;
        out.L[std::size_t(i)] = -fromLight;
        out.Cl[std::size_t(i)] = attenuation * power[i] * color[i];
    }
}

} // namespace quelmark
