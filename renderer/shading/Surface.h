// Surface shaders: the base with the illumination functions, and the
// constant, default, matte, metal and plastic surfaces.
#ifndef QEL_SHADING_SURFACE_H
#define QEL_SHADING_SURFACE_H

#include "common/List.h"
#include "renderer/geometry/Color.h"
#include "renderer/geometry/Point.h"
#include "renderer/shading/Shader.h"

class Light;

class Surface : public Shader {
public:
    explicit Surface(Transform* space) : Shader(space) {}

    // Ci = black, Oi = white.
    void defaultOutputs() override;
    // The primitive's values of the surface's parameters at (u, v).
    virtual void bilerp(float u, float v, const ArgList& primitiveArgs);

    // The shading point, as the grid places it.
    Point dPdu, dPdv, N, Ng, E;
    float u = 0, v = 0, du = 0, dv = 0, s = 0, t = 0;
    const List<Light*>* lights = nullptr; // the active lights
    Color Cs, Os;
    Point I;
    // The light of the current Illuminance step: L points towards the light.
    Point L;
    Color Cl, Ol;
    // The outputs.
    Color Ci, Oi;

protected:
    // The sum of the ambient lights.
    Color ambient();
    // Lambertian light over the hemisphere around N.
    Color diffuse(const Point& normal);
    // Blinn highlight; normalises V in place.
    Color specular(const Point& normal, Point& V, float roughness);
    // Phong highlight about the mirror direction of V.
    Color phong(const Point& normal, const Point& V, float size);
    Color trace(const Point& from, const Point& R);

    // Binds a parameter in both the request's and the primitive's list.
    template <class T> void bindParameter(unsigned short quark, T* value) {
        fParms.bind(quark, value);
        fPrimitiveParms.bind(quark, value);
    }
    // faceforward(normalize(N), I, Ng).
    Point forwardNormal() const;
    // normalize(-I), towards the eye.
    Point viewDirection() const;

private:
    ParmList fPrimitiveParms;
};

// Os * Cs, whatever the lights.
class ConstantSurface : public Surface {
public:
    explicit ConstantSurface(Transform* space) : Surface(space) {}
    void evaluate() override;
};

// RenderMan's default surface, which needs no light: lit as from the eye,
// Ci = Os · Cs · (Ka + Kd · (N · I)²) with N and I normalized.
class DefaultSurface : public Surface {
public:
    explicit DefaultSurface(Transform* space);
    void evaluate() override;

private:
    float Ka = 0.2f;
    float Kd = 0.8f;
};

class MatteSurface : public Surface {
public:
    explicit MatteSurface(Transform* space);
    void evaluate() override;

private:
    float Ka = 1;
    float Kd = 1;
};

class MetalSurface : public Surface {
public:
    explicit MetalSurface(Transform* space);
    void evaluate() override;

private:
    float Ka = 1;
    float Ks = 1;
    float roughness = 0.1f;
};

class PlasticSurface : public Surface {
public:
    explicit PlasticSurface(Transform* space);
    void evaluate() override;

private:
    float Ka = 1;
    float Kd = 0.5f;
    float Ks = 0.5f;
    float roughness = 0.1f;
    Color specularcolor{1, 1, 1};
};

#endif
