#include "renderer/shading/CompiledVolume.h"

#include <utility>

namespace quelmark {

CompiledVolume::CompiledVolume(Transform* space, std::shared_ptr<const ShaderProgram> program,
                               const ArgList& args, std::vector<std::string>& warnings)
    : Volume(space), fInstance(std::move(program), "Atmosphere", args, spaceToCamera(), warnings) {}

// A run that fails leaves its points the surface's colour.
void CompiledVolume::shade(ShadingContext& context) const {
    fInstance.runOnGrid(context, spaceToCamera(), ShaderRole::kAtmosphere);
}

} // namespace quelmark
