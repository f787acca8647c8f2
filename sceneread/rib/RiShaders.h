// The standard shaders of the RenderMan Interface and the built-in shaders
// of the scene API that stand for them, with their parameters renamed.
#ifndef QEL_SCENEREAD_RIB_RISHADERS_H
#define QEL_SCENEREAD_RIB_RISHADERS_H

#include <string_view>

namespace quelmark {

enum class RiShaderKind { Light, Surface, Volume, Displacement, Deformation, Imager };

struct RiShaderParameter {
    const char* ribName;
    unsigned short quark; // the built-in's parameter
    // Radians to degrees for the spot light's angles; RenderMan's highlight
    // exponent 1/(roughness/8) to the built-in's 1/roughness.
    float scale;
    // The RenderMan default, passed on scaled when the request leaves the
    // parameter out and the built-in's own default differs; NaN for none.
    float fallback;
};

struct RiShader {
    const char* ribName;
    unsigned short quark; // the built-in shader; 0 for one passed on by name
    RiShaderKind kind;
    const RiShaderParameter* parameters; // ending with a null name
};

// The standard shader of that name and kind, or null.
const RiShader* findStandardShader(RiShaderKind kind, std::string_view name);
// The parameter of a standard shader, or null.
const RiShaderParameter* findShaderParameter(const RiShader& shader, std::string_view name);
// "light source", "surface", ... for reports.
const char* shaderKindName(RiShaderKind kind);

} // namespace quelmark

#endif
