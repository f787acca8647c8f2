#include "renderer/shading/Surface.h"

#include "common/Quark.h"
#include "renderer/state/ArgList.h"

#include <algorithm>
#include <cmath>

namespace quelmark {

namespace {

const ArgList kNoValues;

std::size_t at(int i) {
    return std::size_t(i);
}

} // namespace

// Surface

void Surface::lightAt(ShadingContext& context, const Light& light, int emitter, const Point* Nn,
                      float angle) {
    const ShadingPoints& points = context.points;
    context.lightValues.bind(
        light.parameters(), context.primitiveValues ? *context.primitiveValues : kNoValues, points);
    light.shine(context, emitter, points.P.data(), Nn, points.count, angle, context.lightValues,
                context.lit);
}

void Surface::gatherAmbient(ShadingContext& context) {
    const int count = context.points.count;
    context.ambient.assign(at(count), gBlack);
    if (!context.lights) return;
    for (const Light* light : *context.lights) {
        if (!light->isAmbient()) continue;
        for (int emitter = 0; emitter < light->emitters(); ++emitter) {
            lightAt(context, *light, emitter, nullptr, kPi);
            for (int i = 0; i < count; ++i)
                context.ambient[at(i)] += context.lit.Cl[at(i)];
        }
    }
}

void Surface::faceForward(ShadingContext& context) {
    const ShadingPoints& points = context.points;
    context.Nf.resize(at(points.count));
    for (int i = 0; i < points.count; ++i)
        context.Nf[at(i)] =
            normalize(faceforward(normalize(points.N[at(i)]), points.I[at(i)], points.Ng[at(i)]));
}

void Surface::viewDirections(ShadingContext& context) {
    const ShadingPoints& points = context.points;
    context.V.resize(at(points.count));
    for (int i = 0; i < points.count; ++i)
        context.V[at(i)] = normalize(normalize(-points.I[at(i)]));
}

void Surface::gatherLight(ShadingContext& context, Gathered gathered,
                          const Varying<float>& roughness) {
    const int count = context.points.count;
    const bool diffuse = gathered != Gathered::kSpecular, specular = gathered != Gathered::kDiffuse;
    faceForward(context);
    if (specular) viewDirections(context);
    gatherAmbient(context);
    context.diffuse.assign(at(count), gBlack);
    context.specular.assign(at(count), gBlack);
    illuminance(context, context.Nf, [&](const LightSamples& lit) {
        for (int i = 0; i < count; ++i) {
            if (!lit.reached[at(i)]) continue;
            const Point Ln = normalize(lit.L[at(i)]);
            if (diffuse) context.diffuse[at(i)] += lit.Cl[at(i)] * dot(Ln, context.Nf[at(i)]);
            if (specular)
                context.specular[at(i)] +=
                    blinn(lit.Cl[at(i)], Ln, context.Nf[at(i)], context.V[at(i)], roughness[i]);
        }
    });
}

Color Surface::blinn(const Color& Cl, const Point& Ln, const Point& Nn, const Point& V,
                     float roughness) {
    Point H = normalize(Ln + V);
    return Cl * std::pow(std::max(0.0f, dot(Nn, H)), 1 / roughness);
}

Color Surface::phong(const Color& Cl, const Point& Ln, const Point& Nn, const Point& V,
                     float size) {
    Point R = reflect(-V, Nn);
    return Cl * std::pow(std::max(0.0f, dot(R, Ln)), size);
}

// ConstantSurface

void ConstantSurface::shade(ShadingContext& context) const {
    ShadingPoints& points = context.points;
    for (int i = 0; i < points.count; ++i) {
        points.Oi[at(i)] = points.Os[at(i)];
        points.Ci[at(i)] = points.Os[at(i)] * points.Cs[at(i)];
    }
}

// DefaultSurface

DefaultSurface::DefaultSurface(Transform* space) : Surface(space) {
    fParms.bind(kQuarkKa, &Ka);
    fParms.bind(kQuarkKd, &Kd);
}

void DefaultSurface::shade(ShadingContext& context) const {
    ShadingPoints& points = context.points;
    const Varying<float> ka = context.surfaceValues[Ka], kd = context.surfaceValues[Kd];
    for (int i = 0; i < points.count; ++i) {
        float d = dot(normalize(points.N[at(i)]), normalize(points.I[at(i)]));
        points.Oi[at(i)] = points.Os[at(i)];
        points.Ci[at(i)] = points.Os[at(i)] * points.Cs[at(i)] * (ka[i] + kd[i] * d * d);
    }
}

// MatteSurface

MatteSurface::MatteSurface(Transform* space) : Surface(space) {
    fParms.bind(kQuarkKa, &Ka);
    fParms.bind(kQuarkKd, &Kd);
}

void MatteSurface::shade(ShadingContext& context) const {
    ShadingPoints& points = context.points;
    const int count = points.count;
    const float noHighlight = 0;
    gatherLight(context, Gathered::kDiffuse, Varying<float>(&noHighlight, 0));
    const Varying<float> ka = context.surfaceValues[Ka], kd = context.surfaceValues[Kd];
    for (int i = 0; i < count; ++i) {
        points.Oi[at(i)] = points.Os[at(i)];
        points.Ci[at(i)] = points.Os[at(i)] * points.Cs[at(i)] *
                           (ka[i] * context.ambient[at(i)] + kd[i] * context.diffuse[at(i)]);
    }
}

// MetalSurface

MetalSurface::MetalSurface(Transform* space) : Surface(space) {
    fParms.bind(kQuarkKa, &Ka);
    fParms.bind(kQuarkKs, &Ks);
    fParms.bind(kQuarkRoughness, &roughness);
}

void MetalSurface::shade(ShadingContext& context) const {
    ShadingPoints& points = context.points;
    const int count = points.count;
    gatherLight(context, Gathered::kSpecular, context.surfaceValues[roughness]);
    const Varying<float> ka = context.surfaceValues[Ka], ks = context.surfaceValues[Ks];
    for (int i = 0; i < count; ++i) {
        points.Oi[at(i)] = points.Os[at(i)];
        points.Ci[at(i)] = points.Os[at(i)] * points.Cs[at(i)] *
                           (ka[i] * context.ambient[at(i)] + ks[i] * context.specular[at(i)]);
    }
}

// PlasticSurface

PlasticSurface::PlasticSurface(Transform* space) : Surface(space) {
    fParms.bind(kQuarkKa, &Ka);
    fParms.bind(kQuarkKd, &Kd);
    fParms.bind(kQuarkKs, &Ks);
    fParms.bind(kQuarkRoughness, &roughness);
    fParms.bind(kQuarkSpecularColor, &specularcolor);
}

void PlasticSurface::shade(ShadingContext& context) const {
    ShadingPoints& points = context.points;
    const int count = points.count;
    gatherLight(context, Gathered::kBoth, context.surfaceValues[roughness]);
    const Varying<float> ka = context.surfaceValues[Ka], kd = context.surfaceValues[Kd],
                         ks = context.surfaceValues[Ks];
    const Varying<Color> highlight = context.surfaceValues[specularcolor];
    for (int i = 0; i < count; ++i) {
        const Color body =
            points.Cs[at(i)] * (ka[i] * context.ambient[at(i)] + kd[i] * context.diffuse[at(i)]);
        points.Oi[at(i)] = points.Os[at(i)];
        points.Ci[at(i)] =
            points.Os[at(i)] * (body + highlight[i] * ks[i] * context.specular[at(i)]);
    }
}

} // namespace quelmark
