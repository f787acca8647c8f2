#include "renderer/shading/CompiledDisplacement.h"

#include <utility>

namespace quelmark {

CompiledDisplacement::CompiledDisplacement(Transform* space,
                                           std::shared_ptr<const ShaderProgram> program,
                                           const ArgList& args, std::vector<std::string>& warnings)
    : Shader(space),
      fInstance(std::move(program), "Displacement", args, spaceToCamera(), warnings) {}

bool CompiledDisplacement::displace(ShadingContext& context) const {
    return fInstance.runOnGrid(context, spaceToCamera(), ShaderRole::kDisplacement) !=
           ShaderRunResult::kFailed;
}

} // namespace quelmark
