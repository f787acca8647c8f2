#include "renderer/shading/CompiledImager.h"

#include "common/Error.h"
#include "common/Matrix.h"
#include "common/Random.h"
#include "renderer/shading/RendererAnswers.h"
#include "renderer/shading/ShaderSpaces.h"
#include "renderer/state/RenderContext.h"

#include <cstdio>
#include <utility>

namespace quelmark {

namespace {

constexpr int kTripleFloats = 3;
constexpr float kPixelCentre = 0.5f;
// Every imager run draws its random values from streams of this seed, each
// pixel's stream keyed by its place in the image.
constexpr std::uint64_t kImagerSeed = 0x1FA6E5EEDULL;

ShaderVariable varyingTriples(float* floats, int count, bool readOnly) {
    return {.floats = floats,
            .strings = nullptr,
            .varying = true,
            .readOnly = readOnly,
            .size = std::size_t(count) * kTripleFloats};
}

ShaderVariable uniformOf(float* floats, std::size_t size) {
    return {.floats = floats, .strings = nullptr, .varying = false, .readOnly = true, .size = size};
}

// The pixels as a grid of one point each; the current space is raster space.
class ImagerShaderEnvironment final : public ShaderEnvironment {
public:
    ImagerShaderEnvironment(const RenderContext& frame, ImagerPixels& pixels,
                            const CompiledShaderValues& values, std::string_view request)
        : fFrame(frame), fPixels(pixels), fValues(values), fRequest(request) {}

    ShadingGridShape grid() const override {
        return {.nu = fPixels.across - 1, .nv = fPixels.down - 1};
    }

    ShaderVariable variable(std::string_view name) override {
        constexpr bool kReadOnly = true, kWritten = false;
        const int count = fPixels.count();
        if (name == "P") return varyingTriples(&fPixels.P.data()->x, count, kReadOnly);
        if (name == "Ci") return varyingTriples(&fPixels.Ci.data()->r, count, kWritten);
        if (name == "Oi") return varyingTriples(&fPixels.Oi.data()->r, count, kWritten);
        if (name == "alpha")
            return {.floats = fPixels.alpha.data(),
                    .strings = nullptr,
                    .varying = true,
                    .readOnly = kWritten,
                    .size = std::size_t(count)};
        if (name == "ncomps") return uniformOf(&fColorComponents, 1);
        if (name == "time" || name == "dtime") return uniformOf(&fTime, 1);
        return {};
    }
    ShaderParameterValue parameter(std::string_view name) override {
        return fValues.parameter(name);
    }
    bool spaceToCurrent(std::string_view space, ShaderMatrix& matrix) override {
        const ShaderSpaces spaces{.frame = &fFrame, .objectToCamera = {}, .shaderToCamera = {}};
        return spaces.toRaster(space, matrix);
    }
    DepthRange depthRange() const override {
        return {.nearPlane = fFrame.option.nearClip, .farPlane = fFrame.option.farClip};
    }
    void print(std::string_view text) override { std::fwrite(text.data(), 1, text.size(), stdout); }
    void report(std::string_view message) override {
        error(kErrRange, kWarning, "%.*s: %.*s", int(fRequest.size()), fRequest.data(),
              int(message.size()), message.data());
    }
    std::uint64_t randomSeed() const override { return kImagerSeed; }
    // The pixel's own stream, whatever bucket it is in.
    std::uint64_t randomStream(int point) const override {
        const long x = fPixels.left + point % fPixels.across;
        const long y = fPixels.top + point / fPixels.across;
        return mixKey(std::uint64_t(x), std::uint64_t(y));
    }
    // Pixels have no attributes and no shaders but this one.
    ShaderValueView answer(ShaderQuestion question, std::string_view name) override {
        return fAnswers.answer(question, nullptr, &fFrame, name);
    }

private:
    const RenderContext& fFrame;
    ImagerPixels& fPixels;
    const CompiledShaderValues& fValues;
    std::string_view fRequest;
    RendererAnswers fAnswers;
    float fColorComponents = 3;
    float fTime = 0;
};

} // namespace

void ImagerPixels::place(long firstX, long firstY, int width, int height) {
    left = firstX;
    top = firstY;
    across = width;
    down = height;
    const auto size = std::size_t(count());
    P.resize(size);
    Ci.resize(size);
    Oi.resize(size);
    alpha.resize(size);
    std::size_t k = 0;
    for (int row = 0; row < down; ++row)
        for (int column = 0; column < across; ++column)
            P[k++] = Point(float(left + column) + kPixelCentre, float(top + row) + kPixelCentre, 0);
}

CompiledImager::CompiledImager(std::shared_ptr<const ShaderProgram> program, const ArgList& args,
                               std::vector<std::string>& warnings)
    : fInstance(std::move(program), "Imager", args, Matrix(), warnings) {}

void CompiledImager::shade(const RenderContext& frame, ImagerContext& context) const {
    if (context.pixels.count() == 0) return;
    ImagerShaderEnvironment environment(frame, context.pixels, fInstance.values(),
                                        fInstance.request());
    fInstance.run(context.machine, environment);
}

} // namespace quelmark
