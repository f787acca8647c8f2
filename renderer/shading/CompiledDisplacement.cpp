#include "renderer/shading/CompiledDisplacement.h"

#include "renderer/shading/GridShaderEnvironment.h"
#include "renderer/shading/ShadingContext.h"

#include <utility>

namespace quelmark {

CompiledDisplacement::CompiledDisplacement(Transform* space,
                                           std::shared_ptr<const ShaderProgram> program,
                                           const ArgList& args, std::vector<std::string>& warnings)
    : Shader(space),
      fInstance(std::move(program), "Displacement", args, spaceToCamera(), warnings) {}

bool CompiledDisplacement::displace(ShadingContext& context) const {
    const Matrix shaderToCamera = spaceToCamera();
    GridShaderEnvironment environment(context, fInstance.values(), shaderToCamera,
                                      fInstance.request(), nullptr,
                                      GridShaderEnvironment::Writes::kPosition);
    return fInstance.run(context.machine, environment) != ShaderRunResult::kFailed;
}

} // namespace quelmark
