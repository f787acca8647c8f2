#include "renderer/shading/CompiledVolume.h"

#include "renderer/shading/GridLights.h"
#include "renderer/shading/GridShaderEnvironment.h"

#include <utility>

namespace quelmark {

CompiledVolume::CompiledVolume(Transform* space, std::shared_ptr<const ShaderProgram> program,
                               const ArgList& args, std::vector<std::string>& warnings)
    : Volume(space), fInstance(std::move(program), "Atmosphere", args, spaceToCamera(), warnings) {}

// A run that fails leaves its points the surface's colour.
void CompiledVolume::shade(ShadingContext& context) const {
    GridLights lights(context);
    const Matrix shaderToCamera = spaceToCamera();
    GridShaderEnvironment environment(context, fInstance.values(), shaderToCamera,
                                      fInstance.request(), &lights);
    fInstance.run(context.machine, environment);
}

} // namespace quelmark
