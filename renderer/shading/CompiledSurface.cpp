#include "renderer/shading/CompiledSurface.h"

#include <utility>

namespace quelmark {

CompiledSurface::CompiledSurface(Transform* space, std::shared_ptr<const ShaderProgram> program,
                                 const ArgList& args, std::vector<std::string>& warnings)
    : Surface(space), fInstance(std::move(program), "Surface", args, spaceToCamera(), warnings) {}

// A run that fails leaves its points black.
void CompiledSurface::shade(ShadingContext& context) const {
    fInstance.runOnGrid(context, spaceToCamera(), ShaderRole::kSurface);
}

} // namespace quelmark
