#include "renderer/shading/GridShaderEnvironment.h"

#include "common/Error.h"
#include "renderer/shading/CompiledShaderValues.h"
#include "renderer/shading/ShaderSpaces.h"
#include "renderer/shading/ShadingContext.h"
#include "renderer/state/RenderContext.h"

#include <algorithm>
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
                                             ShaderLights* lights, ShaderRole role)
    : fContext(context), fValues(values), fShaderToCamera(shaderToCamera), fRequest(request),
      fLights(lights), fRole(role) {}

ShaderTextures* GridShaderEnvironment::textures() {
    return fContext.textures;
}

ShadingGridShape GridShaderEnvironment::grid() const {
    const ShadingPoints& points = fContext.points;
    return {.nu = points.across - 1,
            .nv = points.down - 1,
            .du = points.du,
            .dv = points.dv,
            .reverseOrientation = points.flipped,
            .rowStarts = points.rowStarts};
}

ShaderVariable GridShaderEnvironment::variable(std::string_view name) {
    ShadingPoints& points = fContext.points;
    constexpr bool kReadOnly = true;
    const bool positionWritten = fRole == ShaderRole::kDisplacement;
    const bool colorWritten = !positionWritten;
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

ShaderValueView GridShaderEnvironment::answer(ShaderQuestion question, std::string_view name) {
    switch (question) {
    case ShaderQuestion::kSurface:
        return shaderAnswer(ShaderRole::kSurface, name);
    case ShaderQuestion::kDisplacement:
        return shaderAnswer(ShaderRole::kDisplacement, name);
    case ShaderQuestion::kAtmosphere:
        return shaderAnswer(ShaderRole::kAtmosphere, name);
    default:
        // No interior or exterior volumes answer incident() and opposite().
        return fAnswers.answer(question, fContext.attrib, fContext.frame, name);
    }
}

// What the shader of the role left in its parameter, when it ran on this
// grid before this one: on the same points, or, for a displacement, on the
// vertices round the centres of the micropolygons a flat-shaded surface
// shades.
ShaderValueView GridShaderEnvironment::shaderAnswer(ShaderRole role, std::string_view name) {
    if (role == fRole || !fContext.ranOnGrid[std::size_t(role)]) return {};
    const ShaderMachine& machine = fContext.machine(role);
    const ShadingGridShape shape = grid();
    const ShaderValueView value = machine.parameter(name);
    if (machine.pointCount() == shape.pointCount()) return value;
    if (!shape.rowStarts.empty()) return {};
    const bool aroundCentres = (shape.nu + 2) * (shape.nv + 2) == machine.pointCount();
    if (!aroundCentres || !value.varying) return aroundCentres ? value : ShaderValueView{};
    return atCentres(value, shape);
}

// Each centre's value: the mean of its corners' numbers, or its first
// corner's string.
ShaderValueView GridShaderEnvironment::atCentres(const ShaderValueView& atVertices,
                                                 const ShadingGridShape& shape) {
    const int across = shape.nu + 1, down = shape.nv + 1, vertexRow = across + 1;
    ShaderValueView value = atVertices;
    if (value.strings) {
        fCentreStrings.resize(std::size_t(across * down * value.elements));
        for (int j = 0, n = 0; j < down; ++j)
            for (int i = 0; i < across; ++i, ++n)
                std::copy_n(atVertices.strings + std::ptrdiff_t(j * vertexRow + i) * value.elements,
                            value.elements, fCentreStrings.begin() + n * value.elements);
        value.strings = fCentreStrings.data();
        return value;
    }
    const int size = value.width * value.elements;
    fCentreFloats.resize(std::size_t(across * down * size));
    for (int j = 0, n = 0; j < down; ++j)
        for (int i = 0; i < across; ++i, ++n) {
            const float* corner = atVertices.floats + std::ptrdiff_t(j * vertexRow + i) * size;
            const float* below = corner + std::ptrdiff_t(vertexRow) * size;
            for (int k = 0; k < size; ++k)
                fCentreFloats[std::size_t(n * size + k)] =
                    0.25f * (corner[k] + corner[size + k] + below[k] + below[size + k]);
        }
    value.floats = fCentreFloats.data();
    return value;
}

bool GridShaderEnvironment::spaceToCurrent(std::string_view space, ShaderMatrix& matrix) {
    const ShaderSpaces spaces{.frame = fContext.frame,
                              .objectToCamera = fContext.objectToCamera,
                              .shaderToCamera = fShaderToCamera,
                              .marked = fContext.markedSpaces};
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
