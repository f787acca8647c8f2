#include "renderer/shading/CompiledShaderInstance.h"

#include "common/Error.h"
#include "renderer/shading/GridLights.h"
#include "renderer/shading/ShadingContext.h"

#include <utility>

namespace quelmark {

CompiledShaderInstance::CompiledShaderInstance(std::shared_ptr<const ShaderProgram> program,
                                               std::string_view request, const ArgList& args,
                                               const Matrix& shaderToCamera,
                                               std::vector<std::string>& warnings)
    : fProgram(std::move(program)),
      fRequest(std::string(request) + " \"" + fProgram->code().name + "\""),
      fValues(fProgram->code(), args, shaderToCamera, fRequest, warnings) {}

ShaderRunResult CompiledShaderInstance::run(ShaderMachine& machine,
                                            ShaderEnvironment& environment) const {
    const ShaderRunResult result = machine.run(*fProgram, environment);
    if (result == ShaderRunResult::kFailed && !fFailureReported.exchange(true))
        error(kErrRange, kError, "%s: %s", fRequest.c_str(), machine.failure().c_str());
    return result;
}

ShaderRunResult CompiledShaderInstance::runOnGrid(ShadingContext& context,
                                                  const Matrix& shaderToCamera,
                                                  ShaderRole role) const {
    GridLights lights(context);
    GridShaderEnvironment environment(context, fValues, shaderToCamera, fRequest, &lights, role);
    bool& ran = context.ranOnGrid[std::size_t(role)];
    ran = false;
    const ShaderRunResult result = run(context.machine(role), environment);
    ran = result == ShaderRunResult::kFinished;
    return result;
}

} // namespace quelmark
