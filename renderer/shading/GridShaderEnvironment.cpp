#include "renderer/shading/GridShaderEnvironment.h"

#include "common/Error.h"
#include "renderer/shading/CompiledShaderValues.h"
#include "renderer/shading/ShadingContext.h"
#include "renderer/state/RenderContext.h"

#include <cstdio>
#include <vector>

namespace quelmark {

namespace {

constexpr int kTripleFloats = 3;

ShaderVariable varyingOf(std::vector<Point>& points, bool readOnly) {
    return {.floats = &points.data()->x, .strings = nullptr, .varying = true,
            .readOnly = readOnly, .size = points.size() * kTripleFloats};
}

ShaderVariable varyingOf(std::vector<Color>& colors, bool readOnly) {
    return {.floats = &colors.data()->r, .strings = nullptr, .varying = true,
            .readOnly = readOnly, .size = colors.size() * kTripleFloats};
}

ShaderVariable varyingOf(std::vector<float>& floats) {
    return {.floats = floats.data(), .strings = nullptr, .varying = true, .readOnly = true,
            .size = floats.size()};
}

ShaderVariable uniformOf(float* floats, std::size_t size) {
    return {.floats = floats, .strings = nullptr, .varying = false, .readOnly = true, .size = size};
}

ShaderMatrix shaderMatrixOf(const Matrix& matrix) {
    ShaderMatrix flat;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            flat[std::size_t(row * 4 + column)] = matrix.m[row][column];
    return flat;
}

// NDC runs from 0 to 1 over the raster, y down as in raster space.
Matrix rasterToNdc(const Option& option) {
    Matrix scale;
    scale.m[0][0] = 1.0f / float(option.xResolution);
    scale.m[1][1] = 1.0f / float(option.yResolution);
    return scale;
}

} // namespace

GridShaderEnvironment::GridShaderEnvironment(ShadingContext& context,
                                             const CompiledShaderValues& values,
                                             const Matrix& shaderToCamera,
                                             std::string_view request, ShaderLights* lights)
    : fContext(context), fValues(values), fShaderToCamera(shaderToCamera), fRequest(request),
      fLights(lights) {}

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
    constexpr bool kReadOnly = true, kWritten = false;
    if (name == "P" || name == "Ps") return varyingOf(points.P, kReadOnly);
    if (name == "N") return varyingOf(points.N, kReadOnly);
    if (name == "Ng") return varyingOf(points.Ng, kReadOnly);
    if (name == "I") return varyingOf(points.I, kReadOnly);
    if (name == "dPdu") return varyingOf(points.dPdu, kReadOnly);
    if (name == "dPdv") return varyingOf(points.dPdv, kReadOnly);
    if (name == "Cs") return varyingOf(points.Cs, kReadOnly);
    if (name == "Os") return varyingOf(points.Os, kReadOnly);
    if (name == "Ci") return varyingOf(points.Ci, kWritten);
    if (name == "Oi") return varyingOf(points.Oi, kWritten);
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
    const RenderContext* frame = fContext.frame;
    if (space == "camera" || space == "eye") {
        matrix = identityMatrix();
    } else if (space == "shader") {
        matrix = shaderMatrixOf(fShaderToCamera);
    } else if (space == "object") {
        matrix = shaderMatrixOf(fContext.objectToCamera);
    } else if (!frame) {
        return false;
    } else if (space == "world") {
        matrix = shaderMatrixOf(frame->worldToCamera);
    } else if (space == "screen") {
        matrix = shaderMatrixOf(invert(frame->cameraToScreen));
    } else if (space == "raster") {
        matrix = shaderMatrixOf(invert(frame->cameraToRaster));
    } else if (space == "NDC") {
        matrix = shaderMatrixOf(invert(frame->cameraToRaster * rasterToNdc(frame->option)));
    } else {
        return false;
    }
    return true;
}

DepthRange GridShaderEnvironment::depthRange() const {
    if (!fContext.frame) return {};
    return {.nearPlane = fContext.frame->option.nearClip,
            .farPlane = fContext.frame->option.farClip};
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
