// Light sources: the ambient, distant, point and spot lights, and the
// Illuminance loop through which a surface gathers their light.
#ifndef QEL_SHADING_LIGHT_H
#define QEL_SHADING_LIGHT_H

#include "common/List.h"
#include "renderer/geometry/Color.h"
#include "renderer/geometry/Point.h"
#include "renderer/shading/Shader.h"

#include <numbers>

class Surface;

inline constexpr float kPi = std::numbers::pi_v<float>;

class Light : public Shader {
public:
    // P is the origin of the light's space, in camera space.
    explicit Light(Transform* space);

    // Cl = black, Ol = white.
    void defaultOutputs() override;
    // The primitive's values of the light's parameters at (u, v).
    virtual void bilerp(float u, float v, const ArgList& primitiveArgs);
    virtual int isambient() const { return 0; }
    // The weight with which the light reaches P (normal N, cone of half-angle
    // `angle` around N); sets L.
    virtual float illuminates(const Point& P, const Point& N, float angle, int flags);

    // Shading inputs shared with surfaces.
    Point dPdu, dPdv, N, Ng, E;
    float u = 0, v = 0, du = 0, dv = 0, s = 0, t = 0;

    Point L;  // from the light to the surface point
    Point Ps; // the surface point being lit
    Color Cl, Ol;

protected:
    // A light placed at `from`, shining into the cone of half-angle `cone`
    // around `axis`; 1 when it reaches P inside the surface's cone.
    float illuminate(const Point& P, const Point& N, float angle, const Point& from,
                     const Point& axis, float cone);
    // A light from infinitely far along `direction`, spread over a cone of
    // half-angle `spread`.
    float solar(const Point& P, const Point& N, float angle, const Point& direction, float spread,
                int flags);

    // Binds a parameter in both the request's and the primitive's list.
    template <class T> void bindParameter(unsigned short quark, T* value) {
        fParms.bind(quark, value);
        fPrimitiveParms.bind(quark, value);
    }
    Point shaderToCamera(const Point& p) const;

    float intensity = 1;
    Color lightcolor{1, 1, 1};

private:
    ParmList fPrimitiveParms;
};

class AmbientLight : public Light {
public:
    explicit AmbientLight(Transform* space) : Light(space) {}
    void evaluate() override;
    int isambient() const override { return 1; }
};

class DistantLight : public Light {
public:
    explicit DistantLight(Transform* space);
    void instance(const ArgList& args) override;
    void evaluate() override;
    float illuminates(const Point& P, const Point& N, float angle, int flags) override;

private:
    Point from{0, 0, 0};
    Point to{0, 0, 1};
};

class PointLight : public Light {
public:
    explicit PointLight(Transform* space);
    void instance(const ArgList& args) override;
    void evaluate() override;
    float illuminates(const Point& P, const Point& N, float angle, int flags) override;

private:
    Point from{0, 0, 0};
};

class SpotLight : public Light {
public:
    explicit SpotLight(Transform* space);
    // Also turns the angles to radians and derives the axis and the cosines.
    void instance(const ArgList& args) override;
    void evaluate() override;
    float illuminates(const Point& P, const Point& N, float angle, int flags) override;

private:
    Point from{0, 0, 0};
    Point to{0, 0, 1};
    float coneangle = 30;
    float conedeltaangle = 5;
    float beamdistribution = 2;
    Point fAxis{0, 0, 1};
    float fCosCone;
    float fCosInner;
};

// Walks a surface's active lights and hands each non-ambient light that
// reaches P to the surface as its L, Cl and Ol:
//     Illuminance lit(surface, P, N, angle);
//     while (lit++) { ... surface.L, surface.Cl ... }
class Illuminance {
public:
    // A zero N and an angle of pi take light from every direction.
    Illuminance(Surface& surface, const Point& P, const Point& N = Point(), float angle = kPi,
                int flags = 0);

    // 1 when the next light was found, 0 at the end.
    int operator++(int);

private:
    Surface& fSurface;
    List<Light*>::ConstIterator fCursor;
    Point fP;
    Point fN;
    float fAngle;
    int fFlags;
};

#endif
