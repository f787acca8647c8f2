#include "renderer/shading/CompiledLight.h"

#include "common/Error.h"
#include "renderer/shading/RendererAnswers.h"
#include "renderer/shading/ShaderSpaces.h"
#include "renderer/shading/ShadingContext.h"
#include "renderer/state/RenderContext.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace quelmark {

namespace {

constexpr int kTripleFloats = 3;

bool hasLightStatement(const sl::ShaderCode& code) {
    return std::ranges::any_of(code.code, [](const sl::Instruction& instruction) {
        return instruction.op == sl::Opcode::kIlluminate || instruction.op == sl::Opcode::kSolar;
    });
}

// The points a light shines at, as one row of a grid, with the light's own
// outputs L, Cl and Ol.
class LightShaderEnvironment final : public ShaderEnvironment {
public:
    LightShaderEnvironment(ShadingContext& context, const SurfaceElement* element,
                           const Point* positions, int count, LightSamples& out,
                           const CompiledShaderValues& values, const ShaderSpaces& spaces,
                           std::string_view request)
        : fContext(context), fElement(element), fPositions(positions), fCount(count), fOut(out),
          fValues(values), fSpaces(spaces), fRequest(request) {
        if (!element) return;
        std::copy_n(&element->P.x, kTripleFloats, fElementP);
        std::copy_n(&element->N.x, kTripleFloats, fElementN);
        std::copy_n(&element->N.x, kTripleFloats, fElementNg);
    }

    ShadingGridShape grid() const override { return {.nu = fCount - 1, .nv = 0}; }

    ShaderVariable variable(std::string_view name) override {
        if (fElement) {
            if (name == "P") return uniformTriple(fElementP, true);
            if (name == "N") return uniformTriple(fElementN, false);
            if (name == "Ng") return uniformTriple(fElementNg, true);
        }
        if (name == "Ps" || name == "P")
            // Read only: the machine copies it in and never writes it back.
            return triples(const_cast<float*>(&fPositions->x), true);
        if (name == "L") return triples(&fOut.L.data()->x, false);
        if (name == "Cl") return triples(&fOut.Cl.data()->r, false);
        if (name == "Ol") return triples(&fContext.lightOpacity.data()->r, false);
        if (name == "E") return {.floats = fEye, .varying = false, .readOnly = true, .size = 3};
        return {};
    }
    ShaderParameterValue parameter(std::string_view name) override {
        return fValues.parameter(name);
    }
    bool spaceToCurrent(std::string_view space, ShaderMatrix& matrix) override {
        return fSpaces.toCamera(space, matrix);
    }
    DepthRange depthRange() const override {
        if (!fSpaces.frame) return {};
        return {.nearPlane = fSpaces.frame->option.nearClip,
                .farPlane = fSpaces.frame->option.farClip};
    }
    bool cancelled() const override {
        return fContext.stop && fContext.stop->load(std::memory_order_relaxed);
    }
    void print(std::string_view text) override { std::fwrite(text.data(), 1, text.size(), stdout); }
    void report(std::string_view message) override {
        error(kErrRange, kWarning, "%.*s: %.*s", int(fRequest.size()), fRequest.data(),
              int(message.size()), message.data());
    }
    std::uint64_t randomSeed() const override { return fContext.gridSeed; }
    ShaderTextures* textures() override { return fContext.textures; }
    // The attributes are the lit primitive's; the surface's values are not
    // lent to the lights it gathers.
    ShaderValueView answer(ShaderQuestion question, std::string_view name) override {
        return fAnswers.answer(question, fContext.attrib, fSpaces.frame, name);
    }

private:
    static ShaderVariable uniformTriple(float* floats, bool readOnly) {
        return {.floats = floats, .varying = false, .readOnly = readOnly, .size = kTripleFloats};
    }
    ShaderVariable triples(float* floats, bool readOnly) const {
        return {.floats = floats,
                .varying = true,
                .readOnly = readOnly,
                .size = std::size_t(fCount) * kTripleFloats};
    }

    ShadingContext& fContext;
    const SurfaceElement* fElement;
    float fElementP[kTripleFloats] = {}, fElementN[kTripleFloats] = {},
          fElementNg[kTripleFloats] = {};
    const Point* fPositions;
    int fCount;
    LightSamples& fOut;
    const CompiledShaderValues& fValues;
    const ShaderSpaces& fSpaces;
    std::string_view fRequest;
    RendererAnswers fAnswers;
    float fEye[3] = {0, 0, 0};
};

// A light's categories are its string parameter __category.
std::string categoryParameter(const CompiledShaderInstance& instance) {
    constexpr std::string_view kCategoryParameter = "__category";
    const ShaderParameterValue given = instance.values().parameter(kCategoryParameter);
    if (given.strings && given.size == 1) return *given.strings;
    const sl::ShaderCode& code = instance.program().code();
    for (const std::int32_t index : code.parameters()) {
        const sl::Register& parameter = code.registers[std::size_t(index)];
        if (parameter.name == kCategoryParameter && parameter.strings.size() == 1)
            return parameter.strings.front();
    }
    return {};
}

} // namespace

CompiledLight::CompiledLight(Transform* space, std::shared_ptr<const ShaderProgram> program,
                             const ArgList& args, std::vector<std::string>& warnings)
    : Light(space), fInstance(std::move(program), "LightSource", args, spaceToCamera(), warnings),
      fAmbient(!hasLightStatement(fInstance.program().code())),
      fCategories(categoryParameter(fInstance)) {}

ShaderValueView CompiledLight::shaderParameter(const ShadingContext& context,
                                               std::string_view name) const {
    return context.lightMachine.parameter(name);
}

void CompiledLight::illuminate(ShadingContext& context, const SurfaceElement* element,
                               const Point* P, const Point* Nn, int count, float angle,
                               const ParameterValues&, LightSamples& out) const {
    out.resize(count);
    const auto size = std::size_t(count);
    std::fill(out.L.begin(), out.L.end(), Point());
    std::fill(out.Cl.begin(), out.Cl.end(), Color());
    context.lightOpacity.assign(size, Color());
    const ShaderSpaces spaces{.frame = context.frame,
                              .objectToCamera = context.objectToCamera,
                              .shaderToCamera = spaceToCamera(),
                              .marked = context.markedSpaces};
    LightShaderEnvironment environment(context, element, P, count, out, fInstance.values(), spaces,
                                       fInstance.request());
    ShaderMachine& machine = context.lightMachine;
    if (fInstance.run(machine, environment) == ShaderRunResult::kFailed) {
        std::fill(out.reached.begin(), out.reached.end(), 0);
        return;
    }
    const std::span<const std::uint8_t> lit = machine.litPoints();
    const float cosAngle = std::cos(angle);
    for (std::size_t k = 0; k < size; ++k) {
        if (fAmbient) {
            out.reached[k] = 1;
            out.L[k] = Point();
            continue;
        }
        // The shader's L runs from the light to the point; the surface's back.
        const Point towardsLight = -out.L[k];
        const bool inCone =
            !Nn || angle >= kPi || insideCone(normalize(towardsLight), Nn[k], cosAngle);
        out.reached[k] = lit[k] && inCone;
        out.L[k] = towardsLight;
        if (!out.reached[k]) out.Cl[k] = Color();
    }
}

} // namespace quelmark
