#include "renderer/geometry/QuadricShapes.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quelmark {

namespace {

float radiansOf(float degrees) { return float(double(degrees) * std::numbers::pi / 180); }

// The polar angle of height z on a sphere of the radius.
float latitudeOf(float z, float radius) {
    if (std::fabs(radius) < kEpsilon) return 0;
    return std::asin(std::clamp(z / radius, -1.0f, 1.0f));
}

// Between 0 and limit, whichever side of 0 the limit is on.
float clampTowards(float value, float limit) {
    return std::clamp(value, std::min(0.0f, limit), std::max(0.0f, limit));
}

} // namespace

Sphere::Sphere(float radius, float zmin, float zmax, float thetamax, ArgList args)
    : Quadric(thetamax, std::move(args)), fRadius(radius), fPhiMin(latitudeOf(zmin, radius)),
      fPhiMax(latitudeOf(zmax, radius)) {}

Point Sphere::profile(float V) const {
    float phi = latitude(V);
    return {fRadius * std::cos(phi), 0, fRadius * std::sin(phi)};
}

Point Sphere::profileDerivative(float V) const {
    float phi = latitude(V), dphi = fPhiMax - fPhiMin;
    return {-dphi * fRadius * std::sin(phi), 0, dphi * fRadius * std::cos(phi)};
}

int Sphere::profileExtrema(float V0, float V1, float extrema[kMaxExtrema]) const {
    return quarterTurns(fPhiMin, fPhiMax, V0, V1, extrema);
}

Cone::Cone(float radius, float height, float zmax, float thetamax, ArgList args)
    : Quadric(thetamax, std::move(args)), fRadius(radius), fCut(clampTowards(zmax, height)),
      fCutOfHeight(std::fabs(height) < kEpsilon ? 0.0f : fCut / height) {}

Point Cone::profile(float V) const { return {fRadius * (1 - V * fCutOfHeight), 0, V * fCut}; }

Point Cone::profileDerivative(float) const { return {-fRadius * fCutOfHeight, 0, fCut}; }

Cylinder::Cylinder(float radius, float zmin, float zmax, float thetamax, ArgList args)
    : Quadric(thetamax, std::move(args)), fRadius(radius), fZmin(zmin), fZmax(zmax) {}

Point Cylinder::profile(float V) const { return {fRadius, 0, fZmin + V * (fZmax - fZmin)}; }

Point Cylinder::profileDerivative(float) const { return {0, 0, fZmax - fZmin}; }

Hyperboloid::Hyperboloid(const Point& p1, const Point& p2, float thetamax, ArgList args)
    : Quadric(thetamax, std::move(args)), fP1(p1), fP2(p2) {}

Point Hyperboloid::profile(float V) const { return fP1 + V * (fP2 - fP1); }

Point Hyperboloid::profileDerivative(float) const { return fP2 - fP1; }

Paraboloid::Paraboloid(float rmax, float zmin, float zmax, float thetamax, ArgList args)
    : Quadric(thetamax, std::move(args)), fRmax(rmax), fZmax(zmax),
      fLowFraction(std::sqrt(std::max(0.0f, zmin / zmax))) {}

Point Paraboloid::profile(float V) const {
    float t = fraction(V);
    return {fRmax * t, 0, fZmax * t * t};
}

Point Paraboloid::profileDerivative(float V) const {
    float t = fraction(V), dt = 1 - fLowFraction;
    return {fRmax * dt, 0, 2 * fZmax * t * dt};
}

Disk::Disk(float height, float radius, float thetamax, ArgList args)
    : Quadric(thetamax, std::move(args)), fHeight(height), fRadius(radius) {}

Point Disk::profile(float V) const { return {fRadius * (1 - V), 0, fHeight}; }

Point Disk::profileDerivative(float) const { return {-fRadius, 0, 0}; }

Torus::Torus(float majorRadius, float minorRadius, float phimin, float phimax, float thetamax,
             ArgList args)
    : Quadric(thetamax, std::move(args)), fMajor(majorRadius), fMinor(minorRadius),
      fPhiMin(radiansOf(phimin)), fPhiMax(radiansOf(phimax)) {}

Point Torus::profile(float V) const {
    float phi = tubeAngle(V);
    return {fMajor + fMinor * std::cos(phi), 0, fMinor * std::sin(phi)};
}

Point Torus::profileDerivative(float V) const {
    float phi = tubeAngle(V), dphi = fPhiMax - fPhiMin;
    return {-dphi * fMinor * std::sin(phi), 0, dphi * fMinor * std::cos(phi)};
}

int Torus::profileExtrema(float V0, float V1, float extrema[kMaxExtrema]) const {
    return quarterTurns(fPhiMin, fPhiMax, V0, V1, extrema);
}

} // namespace quelmark
