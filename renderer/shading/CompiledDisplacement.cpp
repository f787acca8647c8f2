#include "renderer/shading/CompiledDisplacement.h"

#include "common/Error.h"
#include "renderer/shading/GridShaderEnvironment.h"
#include "renderer/shading/ShadingContext.h"
#include "renderer/state/Transform.h"

#include <utility>

namespace quelmark {

namespace {

Matrix spaceMatrix(const Transform* space) {
    return space ? space->matrix() : Matrix();
}

} // namespace

CompiledDisplacement::CompiledDisplacement(Transform* space,
                                           std::shared_ptr<const ShaderProgram> program,
                                           const ArgList& args, std::vector<std::string>& warnings)
    : Shader(space), fProgram(std::move(program)),
      fRequest("Displacement \"" + fProgram->code().name + "\""),
      fValues(fProgram->code(), args, spaceMatrix(space), fRequest, warnings) {}

bool CompiledDisplacement::displace(ShadingContext& context) const {
    const Matrix shaderToCamera = spaceMatrix(space());
    GridShaderEnvironment environment(context, fValues, shaderToCamera, fRequest, nullptr,
                                      GridShaderEnvironment::Writes::kPosition);
    if (context.machine.run(*fProgram, environment) != ShaderRunResult::kFailed) return true;
    if (!fFailureReported.exchange(true))
        error(kErrRange, kError, "%s: %s", fRequest.c_str(), context.machine.failure().c_str());
    return false;
}

} // namespace quelmark
