// The seven quadrics. Angles are in degrees; u sweeps 0..thetamax about the
// z axis and v runs along each one's profile as its comment says.
#ifndef QEL_GEOMETRY_QUADRICSHAPES_H
#define QEL_GEOMETRY_QUADRICSHAPES_H

#include "renderer/geometry/Quadric.h"

namespace quelmark {

// x^2 + y^2 + z^2 = radius^2; v from zmin to zmax, evenly in the polar angle.
class Sphere : public Quadric {
public:
    Sphere(float radius, float zmin, float zmax, float thetamax, ArgList args);
    int32_t type() const override { return primitive_class::kSphere; }

protected:
    Point profile(float V) const override;
    Point profileDerivative(float V) const override;
    int profileExtrema(float V0, float V1, float extrema[kMaxExtrema]) const override;
    Quadric* copy() const override { return new Sphere(*this); }

private:
    float latitude(float V) const { return fPhiMin + V * (fPhiMax - fPhiMin); }

    float fRadius;
    float fPhiMin, fPhiMax; // radians
};

// Radius at z = 0 narrowing to the apex at z = height; v from the base up
// to the cut at zmax, which is clamped to 0..height.
class Cone : public Quadric {
public:
    Cone(float radius, float height, float zmax, float thetamax, ArgList args);
    int32_t type() const override { return primitive_class::kCone; }

protected:
    Point profile(float V) const override;
    Point profileDerivative(float V) const override;
    Quadric* copy() const override { return new Cone(*this); }

private:
    float fRadius;
    float fCut;           // the clamped zmax
    float fCutOfHeight;   // the cut as a fraction of the height
};

// x^2 + y^2 = radius^2; v from zmin to zmax.
class Cylinder : public Quadric {
public:
    Cylinder(float radius, float zmin, float zmax, float thetamax, ArgList args);
    int32_t type() const override { return primitive_class::kCylinder; }

protected:
    Point profile(float V) const override;
    Point profileDerivative(float V) const override;
    Quadric* copy() const override { return new Cylinder(*this); }

private:
    float fRadius, fZmin, fZmax;
};

// The line from p1 to p2 swept about the z axis; v from p1 to p2.
class Hyperboloid : public Quadric {
public:
    Hyperboloid(const Point& p1, const Point& p2, float thetamax, ArgList args);
    int32_t type() const override { return primitive_class::kHyperboloid; }

protected:
    Point profile(float V) const override;
    Point profileDerivative(float V) const override;
    Quadric* copy() const override { return new Hyperboloid(*this); }

private:
    Point fP1, fP2;
};

// x^2 + y^2 = rmax^2 z / zmax; v from zmin to zmax, evenly in the distance from
// the axis, so that the derivatives stay finite at the apex.
class Paraboloid : public Quadric {
public:
    Paraboloid(float rmax, float zmin, float zmax, float thetamax, ArgList args);
    int32_t type() const override { return primitive_class::kParaboloid; }

protected:
    Point profile(float V) const override;
    Point profileDerivative(float V) const override;
    Quadric* copy() const override { return new Paraboloid(*this); }

private:
    // The distance from the axis as a fraction of rmax.
    float fraction(float V) const { return fLowFraction + V * (1 - fLowFraction); }

    float fRmax, fZmax;
    float fLowFraction; // at zmin
};

// The disk of the radius in the plane z = height; v from the rim to the centre.
class Disk : public Quadric {
public:
    Disk(float height, float radius, float thetamax, ArgList args);
    int32_t type() const override { return primitive_class::kDisk; }

protected:
    Point profile(float V) const override;
    Point profileDerivative(float V) const override;
    Quadric* copy() const override { return new Disk(*this); }

private:
    float fHeight, fRadius;
};

// (sqrt(x^2 + y^2) - major)^2 + z^2 = minor^2; v from phimin to phimax around the tube.
class Torus : public Quadric {
public:
    Torus(float majorRadius, float minorRadius, float phimin, float phimax, float thetamax,
          ArgList args);
    int32_t type() const override { return primitive_class::kTorus; }

protected:
    Point profile(float V) const override;
    Point profileDerivative(float V) const override;
    int profileExtrema(float V0, float V1, float extrema[kMaxExtrema]) const override;
    Quadric* copy() const override { return new Torus(*this); }

private:
    float tubeAngle(float V) const { return fPhiMin + V * (fPhiMax - fPhiMin); }

    float fMajor, fMinor;
    float fPhiMin, fPhiMax; // radians
};

} // namespace quelmark

#endif
