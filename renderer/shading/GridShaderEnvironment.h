// A grid's shading points as a compiled shader sees them: the predefined
// variables over the points, the request's parameter values, the named
// and marked spaces of the frame, the grid's lights, the answers of the
// renderer and of the grid's other shaders, and reports through the
// renderer's messages.
#ifndef QEL_SHADING_GRIDSHADERENVIRONMENT_H
#define QEL_SHADING_GRIDSHADERENVIRONMENT_H

#include "common/Matrix.h"
#include "renderer/shading/RendererAnswers.h"
#include "renderer/shading/ShaderEnvironment.h"
#include "renderer/shading/ShaderRole.h"

#include <string>
#include <string_view>
#include <vector>

namespace quelmark {

class CompiledShaderValues;
struct ShadingContext;

class GridShaderEnvironment final : public ShaderEnvironment {
public:
    // The shader's space is where shaderToCamera takes points from; reports
    // name the request that made the shader. A surface or an atmosphere
    // changes the points' colour and opacity, a displacement their
    // positions and normals.
    GridShaderEnvironment(ShadingContext& context, const CompiledShaderValues& values,
                          const Matrix& shaderToCamera, std::string_view request,
                          ShaderLights* lights, ShaderRole role = ShaderRole::kSurface);

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
    ShaderTextures* textures() override;
    // The other shaders answer with what their run on this grid left.
    ShaderValueView answer(ShaderQuestion question, std::string_view name) override;

private:
    ShaderValueView shaderAnswer(ShaderRole role, std::string_view name);
    ShaderValueView atCentres(const ShaderValueView& atVertices, const ShadingGridShape& shape);

    ShadingContext& fContext;
    const CompiledShaderValues& fValues;
    const Matrix& fShaderToCamera;
    std::string_view fRequest;
    ShaderLights* fLights;
    ShaderRole fRole;
    RendererAnswers fAnswers;
    std::vector<float> fCentreFloats;
    std::vector<std::string> fCentreStrings;
    // The uniform variables lent by value.
    float fEye[3] = {0, 0, 0};
    float fColorComponents = 3;
    float fTime = 0;
};

} // namespace quelmark

#endif
