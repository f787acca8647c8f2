#include "renderer/shading/CompiledSurface.h"

#include "renderer/shading/GridLights.h"
#include "renderer/shading/GridShaderEnvironment.h"

#include <utility>

namespace quelmark {

CompiledSurface::CompiledSurface(Transform* space, std::shared_ptr<const ShaderProgram> program,
                                 const ArgList& args, std::vector<std::string>& warnings)
    : Surface(space), fInstance(std::move(program), "Surface", args, spaceToCamera(), warnings) {}

// A run that fails leaves its points black.
void CompiledSurface::shade(ShadingContext& context) const {
    GridLights lights(context);
    const Matrix shaderToCamera = spaceToCamera();
    GridShaderEnvironment environment(context, fInstance.values(), shaderToCamera,
                                      fInstance.request(), &lights);
    fInstance.run(context.machine, environment);
}

} // namespace quelmark
