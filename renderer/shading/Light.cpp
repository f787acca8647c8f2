#include "renderer/shading/Light.h"

#include "common/Quark.h"
#include "renderer/shading/ShadingFunctions.h"
#include "renderer/shading/Surface.h"
#include "renderer/state/ArgList.h"
#include "renderer/state/Transform.h"

#include <algorithm>
#include <cmath>

namespace {

float radians(float degrees) {
    return degrees * kPi / 180;
}

} // namespace

// Light

Light::Light(Transform* space) : Shader(space) {
    P = shaderToCamera(gOrigin);
    bindParameter(kQuarkIntensity, &intensity);
    bindParameter(kQuarkColor, &lightcolor);
}

Point Light::shaderToCamera(const Point& p) const {
    return space() ? p * space()->matrix() : p;
}

void Light::defaultOutputs() {
    Cl = gBlack;
    Ol = gWhite;
}

void Light::bilerp(float atU, float atV, const ArgList& primitiveArgs) {
    fPrimitiveParms.override(primitiveArgs);
    fPrimitiveParms.bilerp(atU, atV, primitiveArgs);
}

float Light::illuminates(const Point&, const Point&, float, int) {
    return 0;
}

float Light::illuminate(const Point& surfacePoint, const Point& normal, float angle,
                        const Point& from, const Point& axis, float cone) {
    L = surfacePoint - from;
    Point Ln = normalize(L);
    if (cone < kPi && dot(Ln, normalize(axis)) < std::cos(cone)) return 0;
    if (angle < kPi && dot(-Ln, normalize(normal)) < std::cos(angle)) return 0;
    return 1;
}

float Light::solar(const Point&, const Point& normal, float angle, const Point& direction,
                   float spread, int) {
    if (spread >= kPi) {
        L = -normal;
        return 1;
    }
    float cosine = std::clamp(dot(normalize(normal), normalize(-direction)), -1.0f, 1.0f);
    float towardsLight = std::acos(cosine);
    if (towardsLight + spread <= angle) {
        L = direction;
        return 1;
    }
    if (angle + spread < towardsLight) return 0;
    // The light's cone straddles the edge of the surface's: the share of its
    // width that lies inside.
    L = direction;
    return (angle + spread - towardsLight) / (2 * spread);
}

// AmbientLight

void AmbientLight::evaluate() {
    Cl = intensity * lightcolor;
}

// DistantLight

DistantLight::DistantLight(Transform* space) : Light(space) {
    bindParameter(kQuarkFrom, &from);
    bindParameter(kQuarkTo, &to);
}

void DistantLight::instance(const ArgList& args) {
    Light::instance(args);
    from = shaderToCamera(from);
    to = shaderToCamera(to);
}

void DistantLight::evaluate() {
    Cl = intensity * lightcolor;
}

float DistantLight::illuminates(const Point& surfacePoint, const Point& normal, float angle,
                                int flags) {
    return solar(surfacePoint, normal, angle, to - from, 0, flags);
}

// PointLight

PointLight::PointLight(Transform* space) : Light(space) {
    bindParameter(kQuarkFrom, &from);
}

void PointLight::instance(const ArgList& args) {
    Light::instance(args);
    from = shaderToCamera(from);
}

void PointLight::evaluate() {
    Cl = intensity * lightcolor / dot(L, L);
}

float PointLight::illuminates(const Point& surfacePoint, const Point& normal, float angle, int) {
    return illuminate(surfacePoint, normal, angle, from, Point(0, 0, 0), kPi);
}

// SpotLight

SpotLight::SpotLight(Transform* space)
    : Light(space), fCosCone(std::cos(radians(coneangle))),
      fCosInner(std::cos(radians(coneangle - conedeltaangle))) {
    bindParameter(kQuarkFrom, &from);
    bindParameter(kQuarkTo, &to);
    bindParameter(kQuarkConeAngle, &coneangle);
    bindParameter(kQuarkConeDeltaAngle, &conedeltaangle);
    bindParameter(kQuarkBeamDistribution, &beamdistribution);
}

void SpotLight::instance(const ArgList& args) {
    Light::instance(args);
    from = shaderToCamera(from);
    to = shaderToCamera(to);
    coneangle = radians(coneangle);
    conedeltaangle = radians(conedeltaangle);
    fAxis = normalize(to - from);
    fCosCone = std::cos(coneangle);
    fCosInner = std::cos(coneangle - conedeltaangle);
}

void SpotLight::evaluate() {
    float c = dot(L, fAxis) / length(L);
    float edge = smoothstep(fCosCone, fCosInner, c);
    // Outside the cone the beam term is never needed (and may be undefined).
    float attenuation = edge > 0 ? std::pow(c, beamdistribution) / dot(L, L) * edge : 0.0f;
    Cl = attenuation * intensity * lightcolor;
}

float SpotLight::illuminates(const Point& surfacePoint, const Point& normal, float angle, int) {
    return illuminate(surfacePoint, normal, angle, from, fAxis, coneangle);
}

// Illuminance

Illuminance::Illuminance(Surface& surface, const Point& P, const Point& N, float angle, int flags)
    : fSurface(surface),
      fCursor(surface.lights ? surface.lights->begin() : List<Light*>::ConstIterator()), fP(P),
      fN(N), fAngle(angle), fFlags(flags) {}

int Illuminance::operator++(int) {
    for (; !fCursor.done(); ++fCursor) {
        Light& light = **fCursor;
        if (light.isambient()) continue;
        float weight = light.illuminates(fP, fN, fAngle, fFlags);
        if (weight <= kEpsilon) continue;
        light.Ps = fSurface.P;
        light.E = fSurface.E;
        light.defaultOutputs();
        light.evaluate();
        fSurface.L = -light.L;
        fSurface.Cl = weight * light.Cl;
        fSurface.Ol = light.Ol;
        ++fCursor;
        return 1;
    }
    return 0;
}
