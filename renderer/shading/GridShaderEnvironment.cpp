#include "renderer/shading/GridShaderEnvironment.h"

#include "common/Error.h"
#include "renderer/shading/CompiledShaderValues.h"
#include "renderer/shading/ShaderSpaces.h"
#include "renderer/shading/ShadingContext.h"
#include "renderer/state/RenderContext.h"

#include <cstdio>
#include <vector>

namespace quelmark {

namespace {

constexpr int kTripleFloats = 3;

ShaderVariable varyingOf(std::vector<Point>& points, bool readOnly) {
    return {.floats = &points.data()->x,
            .strings = nullptr,
            .varying = true,
            .readOnly = readOnly,
            .size = points.size() * kTripleFloats};
}

ShaderVariable varyingOf(std::vector<Color>& colors, bool readOnly) {
    return {.floats = &colors.data()->r,
            .strings = nullptr,
            .varying = true,
            .readOnly = readOnly,
            .size = colors.size() * kTripleFloats};
}

ShaderVariable varyingOf(std::vector<float>& floats) {
    return {.floats = floats.data(),
            .strings = nullptr,
            .varying = true,
            .readOnly = true,
            .size = floats.size()};
}

ShaderVariable uniformOf(float* floats, std::size_t size) {
    return {.floats = floats, .strings = nullptr, .varying = false, .readOnly = true, .size = size};
}

} // namespace

GridShaderEnvironment::GridShaderEnvironment(ShadingContext& context,
                                             const CompiledShaderValues& values,
                                             const Matrix& shaderToCamera, std::string_view request,
                                             ShaderLights* lights, Writes writes)
    : fContext(context), fValues(values), fShaderToCamera(shaderToCamera), fRequest(request),
      fLights(lights), fWrites(writes) {}

ShadingGridShape GridShaderEnvironment::grid() const {
    const ShadingPoints& points = fContext.points;
    return {.nu = points.across - 1,
            .nv = points.down - 1,
            .du = points.du,
            .dv = points.dv,
            .reverseOrientation = points.flipped};
}

ShaderVariable GridShaderEnvironment::variable(std::string_view name) {
    ShadingPoints& points = fContext.points;
    constexpr bool kReadOnly = true;
    const bool colorWritten = fWrites == Writes::kColor;
    const bool positionWritten = fWrites == Writes::kPosition;
    if (name == "P") return varyingOf(points.P, !positionWritten);
    if (name == "Ps") return varyingOf(points.P, kReadOnly);
    if (name == "N") return varyingOf(points.N, !positionWritten);
    if (name == "Ng") return varyingOf(points.Ng, kReadOnly);
    if (name == "I") return varyingOf(points.I, kReadOnly);
    if (name == "dPdu") return varyingOf(points.dPdu, kReadOnly);
    if (name == "dPdv") return varyingOf(points.dPdv, kReadOnly);
    if (name == "Cs") return varyingOf(points.Cs, kReadOnly);
    if (name == "Os") return varyingOf(points.Os, kReadOnly);
    if (name == "Ci") return varyingOf(points.Ci, !colorWritten);
    if (name == "Oi") return varyingOf(points.Oi, !colorWritten);
    if (name == "u") return varyingOf(points.u);
    if (name == "v") return varyingOf(points.v);
    if (name == "s") return varyingOf(points.s);
    if (name == "t") return varyingOf(points.t);
    if (name == "du") return uniformOf(&points.du, 1);
    if (name == "dv") return uniformOf(&points.dv, 1);
    if (name == "E") return uniformOf(fEye, kTripleFloats);
    if (name == "ncomps") return uniformOf(&fColorComponents, 1);
    if (name == "time" || name == "dtime") return uniformOf(&fTime, 1);
    return {};
}

ShaderParameterValue GridShaderEnvironment::parameter(std::string_view name) {
    return fValues.parameter(name);
}

bool GridShaderEnvironment::spaceToCurrent(std::string_view space, ShaderMatrix& matrix) {
    const ShaderSpaces spaces{.frame = fContext.frame,
                              .objectToCamera = fContext.objectToCamera,
                              .shaderToCamera = fShaderToCamera};
    return spaces.toCamera(space, matrix);
}

DepthRange GridShaderEnvironment::depthRange() const {
    if (!fContext.frame) return {};
    return {.nearPlane = fContext.frame->option.nearClip,
            .farPlane = fContext.frame->option.farClip};
}

bool GridShaderEnvironment::cancelled() const {
    return fContext.stop && fContext.stop->load(std::memory_order_relaxed);
}

void GridShaderEnvironment::print(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

void GridShaderEnvironment::report(std::string_view message) {
    error(kErrRange, kWarning, "%.*s: %.*s", int(fRequest.size()), fRequest.data(),
          int(message.size()), message.data());
}

std::uint64_t GridShaderEnvironment::randomSeed() const {
    return fContext.gridSeed;
}

} // namespace quelmark
