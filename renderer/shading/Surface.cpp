#include "renderer/shading/Surface.h"

#include "common/Quark.h"
#include "renderer/shading/Light.h"
#include "renderer/state/ArgList.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSurfaceLightFlags = 16;

} // namespace

// Surface

void Surface::defaultOutputs() {
    Ci = gBlack;
    Oi = gWhite;
}

void Surface::bilerp(float atU, float atV, const ArgList& primitiveArgs) {
    fPrimitiveParms.override(primitiveArgs);
    fPrimitiveParms.bilerp(atU, atV, primitiveArgs);
}

Point Surface::forwardNormal() const {
    return faceforward(normalize(N), I, Ng);
}

Point Surface::viewDirection() const {
    return normalize(-I);
}

Color Surface::ambient() {
    Color sum;
    if (!lights) return sum;
    for (Light* light : *lights) {
        if (!light->isambient()) continue;
        light->defaultOutputs();
        light->evaluate();
        sum += light->Cl;
    }
    return sum;
}

Color Surface::diffuse(const Point& normal) {
    Point Nn = normalize(normal);
    Color sum;
    Illuminance lit(*this, P, Nn, kPi / 2, kSurfaceLightFlags);
    while (lit++)
        sum += Cl * dot(normalize(L), Nn);
    return sum;
}

Color Surface::specular(const Point& normal, Point& V, float roughness) {
    Point Nn = normalize(normal);
    V = normalize(V);
    Color sum;
    Illuminance lit(*this, P, Nn, kPi / 2, kSurfaceLightFlags);
    while (lit++) {
        Point H = normalize(normalize(L) + V);
        sum += Cl * std::pow(std::max(0.0f, dot(Nn, H)), 1 / roughness);
    }
    return sum;
}

Color Surface::phong(const Point& normal, const Point& V, float size) {
    Point Nn = normalize(normal);
    Point R = reflect(-normalize(V), Nn);
    Color sum;
    Illuminance lit(*this, P, Nn, kPi / 2, kSurfaceLightFlags);
    while (lit++)
        sum += Cl * std::pow(std::max(0.0f, dot(R, normalize(L))), size);
    return sum;
}

Color Surface::trace(const Point&, const Point&) {
    return gBlack;
}

// ConstantSurface

void ConstantSurface::evaluate() {
    Oi = Os;
    Ci = Os * Cs;
}

// DefaultSurface

DefaultSurface::DefaultSurface(Transform* space) : Surface(space) {
    bindParameter(kQuarkKa, &Ka);
    bindParameter(kQuarkKd, &Kd);
}

void DefaultSurface::evaluate() {
    float d = dot(normalize(N), normalize(I));
    Oi = Os;
    Ci = Os * Cs * (Ka + Kd * d * d);
}

// MatteSurface

MatteSurface::MatteSurface(Transform* space) : Surface(space) {
    bindParameter(kQuarkKa, &Ka);
    bindParameter(kQuarkKd, &Kd);
}

void MatteSurface::evaluate() {
    Point Nf = forwardNormal();
    Oi = Os;
    Ci = Os * Cs * (Ka * ambient() + Kd * diffuse(Nf));
}

// MetalSurface

MetalSurface::MetalSurface(Transform* space) : Surface(space) {
    bindParameter(kQuarkKa, &Ka);
    bindParameter(kQuarkKs, &Ks);
    bindParameter(kQuarkRoughness, &roughness);
}

void MetalSurface::evaluate() {
    Point Nf = forwardNormal();
    Point V = viewDirection();
    Oi = Os;
    Ci = Os * Cs * (Ka * ambient() + Ks * specular(Nf, V, roughness));
}

// PlasticSurface

PlasticSurface::PlasticSurface(Transform* space) : Surface(space) {
    bindParameter(kQuarkKa, &Ka);
    bindParameter(kQuarkKd, &Kd);
    bindParameter(kQuarkKs, &Ks);
    bindParameter(kQuarkRoughness, &roughness);
    bindParameter(kQuarkSpecularColor, &specularcolor);
}

void PlasticSurface::evaluate() {
    Point Nf = forwardNormal();
    Point V = viewDirection();
    Oi = Os;
    Color body = Cs * (Ka * ambient() + Kd * diffuse(Nf));
    Ci = Os * (body + specularcolor * Ks * specular(Nf, V, roughness));
}
