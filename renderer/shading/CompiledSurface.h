// A surface shader compiled from the shading language: its program, shared
// by every instance, runs over every point of a grid at once with the
// request's parameter values.
#ifndef QEL_SHADING_COMPILEDSURFACE_H
#define QEL_SHADING_COMPILEDSURFACE_H

#include "renderer/shading/CompiledShaderInstance.h"
#include "renderer/shading/Surface.h"

#include <memory>
#include <string>
#include <vector>

namespace quelmark {

class CompiledSurface : public Surface {
public:
    // The request's values that do not fit the shader's parameters are left
    // out, each with a warning in warnings.
    CompiledSurface(Transform* space, std::shared_ptr<const ShaderProgram> program,
                    const ArgList& args, std::vector<std::string>& warnings);

    void shade(ShadingContext& context) const override;

private:
    CompiledShaderInstance fInstance;
};

} // namespace quelmark

#endif
