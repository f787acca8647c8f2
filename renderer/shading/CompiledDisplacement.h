// A displacement shader compiled from the shading language: it runs over a
// grid's vertices before the surface is shaded, and moves their positions
// and normals.
#ifndef QEL_SHADING_COMPILEDDISPLACEMENT_H
#define QEL_SHADING_COMPILEDDISPLACEMENT_H

#include "renderer/shading/CompiledShaderInstance.h"
#include "renderer/shading/Shader.h"

#include <memory>
#include <string>
#include <vector>

namespace quelmark {

struct ShadingContext;

class CompiledDisplacement : public Shader {
public:
    // The request's values that do not fit the shader's parameters are left
    // out, each with a warning in warnings.
    CompiledDisplacement(Transform* space, std::shared_ptr<const ShaderProgram> program,
                         const ArgList& args, std::vector<std::string>& warnings);

    // Moves P and N of the context's points; false, with the points as they
    // were, when the run fails.
    bool displace(ShadingContext& context) const;

private:
    CompiledShaderInstance fInstance;
};

} // namespace quelmark

#endif
