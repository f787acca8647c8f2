// A grid's shading points as a compiled shader sees them: the predefined
// variables over the points, the request's parameter values, the named
// spaces of the frame, the grid's lights, and reports through the
// renderer's messages.
#ifndef QEL_SHADING_GRIDSHADERENVIRONMENT_H
#define QEL_SHADING_GRIDSHADERENVIRONMENT_H

#include "common/Matrix.h"
#include "renderer/shading/ShaderEnvironment.h"

#include <string>
#include <string_view>

namespace quelmark {

class CompiledShaderValues;
struct ShadingContext;

class GridShaderEnvironment final : public ShaderEnvironment {
public:
    // What a shader changes of the points: a surface their colour and
    // opacity, a displacement their position and normal.
    enum class Writes { kColor, kPosition };

    // The shader's space is where shaderToCamera takes points from; reports
    // name the request that made the shader.
    GridShaderEnvironment(ShadingContext& context, const CompiledShaderValues& values,
                          const Matrix& shaderToCamera, std::string_view request,
                          ShaderLights* lights, Writes writes = Writes::kColor);

    ShadingGridShape grid() const override;
    ShaderVariable variable(std::string_view name) override;
    ShaderParameterValue parameter(std::string_view name) override;
    bool spaceToCurrent(std::string_view space, ShaderMatrix& matrix) override;
    DepthRange depthRange() const override;
    bool cancelled() const override;
    void print(std::string_view text) override;
    void report(std::string_view message) override;
    std::uint64_t randomSeed() const override;
    ShaderLights* lights() override { return fLights; }

private:
    ShadingContext& fContext;
    const CompiledShaderValues& fValues;
    const Matrix& fShaderToCamera;
    std::string_view fRequest;
    ShaderLights* fLights;
    Writes fWrites;
    // The uniform variables lent by value.
    float fEye[3] = {0, 0, 0};
    float fColorComponents = 3;
    float fTime = 0;
};

} // namespace quelmark

#endif
