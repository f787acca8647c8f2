// The shading and lighting functions: ambient, diffuse, specular, phong and
// specularbrdf.
//
// The lights shine at the surface position P. ambient() sums Cl of the
// ambient lights; diffuse, specular and phong sum, over the other lights
// that reach the point from within a quarter turn of N (as illuminance(P,
// N, PI/2) gathers them), Cl weighted by the reflection model:
//   diffuse(N):             Ln.Nn
//   specular(N, V, r):      pow(max(0, Nn.H), 1/(r/8)), H = normalize(Ln + V)
//   phong(N, V, size):      pow(max(0, R.Ln), size), R = reflect(-Vn, Nn)
//   specularbrdf(L, N, V, r) is specular's weight for the one direction L,
// with Ln, Nn and Vn the directions normalised. trace(P, R) is black: the
// renderer traces no rays. The exponent 1/(r/8) is the
// RenderMan renderers' (the written interface has 1/r): shaders, and the
// scenes lit through them, were tuned to the highlights it gives.
#include "renderer/shading/ShaderLibraryCall.h"
#include "renderer/shading/ShaderTripleMath.h"

#include <algorithm>
#include <cmath>

namespace quelmark {

namespace {

using sl::BuiltinOp;
using Operands = std::span<const std::int32_t>;
constexpr int kTripleFloats = 3;
// Light from within a quarter turn of the normal: a cosine not below 0.
constexpr float kHemisphereCosine = 0;
constexpr ShaderTriple kOrigin = {0, 0, 0};
// The highlight's exponent is 1 / (roughness * kRoughnessScale).
constexpr float kRoughnessScale = 1.0f / 8.0f;

ShaderTriple tripleIn(const float* values, int point) {
    const float* value = values + std::ptrdiff_t(kTripleFloats) * point;
    return {value[0], value[1], value[2]};
}

// Blinn's highlight: the weight of light from the unit direction Ln seen
// from V, about the unit normal Nn.
float blinnWeight(const ShaderTriple& Ln, const ShaderTriple& Nn, const ShaderTriple& V,
                  float roughness) {
    const ShaderTriple H = unit(plus(Ln, V));
    return std::pow(std::max(0.0f, dotProduct(Nn, H)), 1 / (roughness * kRoughnessScale));
}

// What one light adds at a point, for light from the unit direction Ln.
// Each reads the call's arguments at the point: operand 1 is N, 2 V, 3 the
// roughness or size.
struct Diffuse {
    Diffuse(KernelFrame& frame, Operands operands, int point)
        : Nn(unit(tripleAt(frame.view(operands[1]), point))) {}
    float weight(const ShaderTriple& Ln) const { return dotProduct(Ln, Nn); }

    ShaderTriple Nn;
};

struct Specular {
    Specular(KernelFrame& frame, Operands operands, int point)
        : Nn(unit(tripleAt(frame.view(operands[1]), point))),
          V(tripleAt(frame.view(operands[2]), point)),
          roughness(frame.view(operands[3]).at(point)[0]) {}
    float weight(const ShaderTriple& Ln) const { return blinnWeight(Ln, Nn, V, roughness); }

    ShaderTriple Nn, V;
    float roughness;
};

struct Phong {
    Phong(KernelFrame& frame, Operands operands, int point)
        : Nn(unit(tripleAt(frame.view(operands[1]), point))),
          R(reflection(scaled(unit(tripleAt(frame.view(operands[2]), point)), -1), Nn)),
          size(frame.view(operands[3]).at(point)[0]) {}
    float weight(const ShaderTriple& Ln) const {
        return std::pow(std::max(0.0f, dotProduct(R, Ln)), size);
    }

    ShaderTriple Nn, R;
    float size;
};

// The sums of the instruction's points, three floats a point, cleared.
std::span<float> clearedSums(KernelFrame& frame) {
    const std::span<float> sums = frame.scratch(std::size_t(kTripleFloats * frame.pointCount()));
    for (const int point : frame.active())
        std::fill_n(sums.data() + std::ptrdiff_t(kTripleFloats) * point, kTripleFloats, 0.0f);
    return sums;
}

void addWeighted(std::span<float> sums, int point, const ShaderTriple& color, float weight) {
    float* sum = sums.data() + std::ptrdiff_t(kTripleFloats) * point;
    for (int k = 0; k < kTripleFloats; ++k)
        sum[k] += color[std::size_t(k)] * weight;
}

void storeSums(KernelFrame& frame, const RegisterView& out, std::span<const float> sums) {
    for (const int point : frame.active()) {
        const ShaderTriple sum = tripleIn(sums.data(), point);
        storeTriple(out, point, {finiteResult(sum[0]), finiteResult(sum[1]), finiteResult(sum[2])});
    }
}

// Shines each ambient light (or each other light) at the instruction's
// points and has visit(point, L, Cl) take its light where it reaches.
template <class Visit> void shineLights(KernelFrame& frame, bool ambientLights, Visit visit) {
    ShaderLights* lights = frame.environment().lights();
    if (!lights) return;
    const RegisterView& shaded = frame.shadingPosition();
    if (!shaded.floats)
        frame.report("the renderer gives no surface position P: the lights shine at the origin");
    for (int light = 0; light < lights->count(); ++light) {
        if (lights->isAmbient(light) != ambientLights) continue;
        LightSample sample = frame.lightRoom(frame.active());
        sample.positions = shaded.floats ? shaded.floats : kOrigin.data();
        sample.positionStride = shaded.floats ? shaded.stride : 0;
        lights->shine(light, sample);
        for (const int point : frame.active())
            if (sample.reaches[point])
                visit(point, tripleIn(sample.L, point), tripleIn(sample.Cl, point));
    }
}

// ---------------------------------------------------------------------------
// Kernels

void ambient(KernelFrame& frame, Operands operands) {
    const std::span<float> sums = clearedSums(frame);
    shineLights(frame, true, [&](int point, const ShaderTriple&, const ShaderTriple& Cl) {
        addWeighted(sums, point, Cl, 1);
    });
    storeSums(frame, frame.view(operands[0]), sums);
}

// diffuse, specular and phong: the lights from the hemisphere round N,
// each weighted by the model.
template <class Model> void gatherReflected(KernelFrame& frame, Operands operands) {
    const std::span<float> sums = clearedSums(frame);
    shineLights(frame, false, [&](int point, const ShaderTriple& L, const ShaderTriple& Cl) {
        const Model model(frame, operands, point);
        const ShaderTriple Ln = unit(L);
        if (dotProduct(Ln, model.Nn) < kHemisphereCosine) return;
        addWeighted(sums, point, Cl, model.weight(Ln));
    });
    storeSums(frame, frame.view(operands[0]), sums);
}

void specularBrdf(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    for (const int point : frame.active()) {
        const ShaderTriple Ln = unit(tripleAt(frame.view(operands[1]), point));
        const ShaderTriple Nn = unit(tripleAt(frame.view(operands[2]), point));
        const ShaderTriple V = tripleAt(frame.view(operands[3]), point);
        const float roughness = frame.view(operands[4]).at(point)[0];
        const float weight = finiteResult(blinnWeight(Ln, Nn, V, roughness));
        storeTriple(out, point, {weight, weight, weight});
    }
}

// trace(P, R): the renderer traces no rays, and what a ray would see is
// black.
void traceBlack(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    for (const int point : frame.active())
        std::fill_n(out.at(point), kTripleFloats, 0.0f);
}

} // namespace

Kernel chooseLightingKernel(const LibraryCall& call) {
    using enum ValueKind;
    if (!call.resultIs(kExactTriple)) return nullptr;
    const bool takesModel = call.argumentsAre({kTripleLike, kTripleLike, kFloat});
    switch (call.op()) {
    case BuiltinOp::kAmbient:
        return call.argumentCount() == 0 ? ambient : nullptr;
    case BuiltinOp::kDiffuse:
        return call.argumentsAre({kTripleLike}) ? gatherReflected<Diffuse> : nullptr;
    case BuiltinOp::kSpecular:
        return takesModel ? gatherReflected<Specular> : nullptr;
    case BuiltinOp::kPhong:
        return takesModel ? gatherReflected<Phong> : nullptr;
    case BuiltinOp::kSpecularBrdf:
        return call.argumentsAre({kTripleLike, kTripleLike, kTripleLike, kFloat}) ? specularBrdf
                                                                                  : nullptr;
    case BuiltinOp::kTrace:
        return call.argumentsAre({kTripleLike, kTripleLike}) ? traceBlack : nullptr;
    default:
        return nullptr;
    }
}

} // namespace quelmark
