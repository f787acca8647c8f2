// An atmosphere compiled from the shading language: after the surface, its
// program runs over every point of the grid, where Ci and Oi arrive as the
// surface left them and P is the end of the ray from the eye.
#ifndef QEL_SHADING_COMPILEDVOLUME_H
#define QEL_SHADING_COMPILEDVOLUME_H

#include "renderer/shading/CompiledShaderInstance.h"
#include "renderer/shading/Volume.h"

#include <memory>
#include <string>
#include <vector>

namespace quelmark {

class CompiledVolume : public Volume {
public:
    // The request's values that do not fit the shader's parameters are left
    // out, each with a warning in warnings.
    CompiledVolume(Transform* space, std::shared_ptr<const ShaderProgram> program,
                   const ArgList& args, std::vector<std::string>& warnings);

    void shade(ShadingContext& context) const override;

private:
    CompiledShaderInstance fInstance;
};

} // namespace quelmark

#endif
