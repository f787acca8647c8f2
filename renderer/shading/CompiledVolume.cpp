#include "renderer/shading/CompiledVolume.h"

#include "common/Error.h"
#include "renderer/shading/GridLights.h"
#include "renderer/shading/GridShaderEnvironment.h"
#include "renderer/state/Transform.h"

#include <utility>

namespace quelmark {

namespace {

Matrix spaceMatrix(const Transform* space) {
    return space ? space->matrix() : Matrix();
}

} // namespace

CompiledVolume::CompiledVolume(Transform* space, std::shared_ptr<const ShaderProgram> program,
                               const ArgList& args, std::vector<std::string>& warnings)
    : Volume(space), fProgram(std::move(program)),
      fRequest("Atmosphere \"" + fProgram->code().name + "\""),
      fValues(fProgram->code(), args, spaceMatrix(space), fRequest, warnings) {}

void CompiledVolume::shade(ShadingContext& context) const {
    GridLights lights(context);
    const Matrix shaderToCamera = spaceMatrix(space());
    GridShaderEnvironment environment(context, fValues, shaderToCamera, fRequest, &lights);
    if (context.machine.run(*fProgram, environment) != ShaderRunResult::kFailed) return;
    if (fFailureReported.exchange(true)) return;
    error(kErrRange, kError, "%s: %s", fRequest.c_str(), context.machine.failure().c_str());
}

} // namespace quelmark
