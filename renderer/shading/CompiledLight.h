// A light source compiled from the shading language: its program runs at the
// points a surface gathers light at, each a point the light's illuminate or
// solar statement may reach. A light without either is an ambient light.
#ifndef QEL_SHADING_COMPILEDLIGHT_H
#define QEL_SHADING_COMPILEDLIGHT_H

#include "renderer/shading/CompiledShaderInstance.h"
#include "renderer/shading/Light.h"

#include <memory>
#include <string>
#include <vector>

namespace quelmark {

class CompiledLight : public Light {
public:
    // The request's values that do not fit the shader's parameters are left
    // out, each with a warning in warnings.
    CompiledLight(Transform* space, std::shared_ptr<const ShaderProgram> program,
                  const ArgList& args, std::vector<std::string>& warnings);

    bool isAmbient() const override { return fAmbient; }
    // Its parameter __category: the request's value, or the default.
    std::string_view categories() const override { return fCategories; }
    ShaderValueView shaderParameter(const ShadingContext& context,
                                    std::string_view name) const override;

protected:
    // Seen from an element of an area light's surface, the shader's P and N
    // are the element's; otherwise P is the point lit, as Ps is.
    void illuminate(ShadingContext& context, const SurfaceElement* element, const Point* P,
                    const Point* Nn, int count, float angle, const ParameterValues& values,
                    LightSamples& out) const override;

private:
    CompiledShaderInstance fInstance;
    bool fAmbient;
    std::string fCategories;
};

} // namespace quelmark

#endif
