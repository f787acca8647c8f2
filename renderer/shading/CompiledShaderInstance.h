// What every compiled shader a request makes holds: the program, shared by
// every instance of the shader; the request, for messages ("Surface
// \"wood\""); and the request's parameter values. A run that fails is
// reported once for the instance, however many grids it shades.
#ifndef QEL_SHADING_COMPILEDSHADERINSTANCE_H
#define QEL_SHADING_COMPILEDSHADERINSTANCE_H

#include "renderer/shading/CompiledShaderValues.h"
#include "renderer/shading/GridShaderEnvironment.h"
#include "renderer/shading/ShaderMachine.h"
#include "renderer/shading/ShaderProgram.h"

#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quelmark {

class Matrix;
struct ShadingContext;

class CompiledShaderInstance {
public:
    // request is what made it, "Surface" or "LightSource"...; the values are
    // given in the space shaderToCamera takes to camera space. Values that
    // fit no parameter are left out, each with a warning in warnings.
    CompiledShaderInstance(std::shared_ptr<const ShaderProgram> program, std::string_view request,
                           const ArgList& args, const Matrix& shaderToCamera,
                           std::vector<std::string>& warnings);

    const ShaderProgram& program() const { return *fProgram; }
    const std::string& request() const { return fRequest; }
    const CompiledShaderValues& values() const { return fValues; }

    // Runs the program in the environment; a failure is reported, the first
    // time, with the machine's reason.
    ShaderRunResult run(ShaderMachine& machine, ShaderEnvironment& environment) const;
    // Runs it over the context's grid, on the context's machine for the
    // role, with the grid's lights: a surface or an atmosphere writes the
    // points' colour and opacity, a displacement their positions and
    // normals.
    ShaderRunResult runOnGrid(ShadingContext& context, const Matrix& shaderToCamera,
                              ShaderRole role) const;

private:
    std::shared_ptr<const ShaderProgram> fProgram;
    std::string fRequest;
    CompiledShaderValues fValues;
    mutable std::atomic<bool> fFailureReported = false;
};

} // namespace quelmark

#endif
