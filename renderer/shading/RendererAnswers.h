// What the renderer answers a shader's attribute(), option() and
// rendererinfo() with:
//
//   attribute:    "ShadingRate", "Sides", "Matte" (floats),
//                 "displacementbound:sphere" (float), "identifier:name"
//                 (string, when the primitive has a name)
//   option:       "Format" and "DeviceResolution" (float[3]: x and y
//                 resolution, pixel aspect), "FrameAspectRatio" (float),
//                 "CropWindow" (float[4]), "Clipping" (float[2]),
//                 "DepthOfField" (float[3]: f-stop, focal length and
//                 distance), "Shutter" (float[2])
//   rendererinfo: "renderer" and "versionstring" (strings), "version"
//                 (float[4]: major, minor, patch, build)
//   shader name:  of the primitive's "surface", "displacement" and
//                 "atmosphere" shaders (a string), when it has one
//
// An answer lies in the object's own room, valid until its next answer.
#ifndef QEL_SHADING_RENDERERANSWERS_H
#define QEL_SHADING_RENDERERANSWERS_H

#include "renderer/shading/ShaderEnvironment.h"

#include <array>
#include <initializer_list>
#include <string>
#include <string_view>

namespace quelmark {

class Attrib;
struct RenderContext;

class RendererAnswers {
public:
    // Nothing found for a name it does not know, or without the attributes
    // or the frame.
    // The attribute, option or fact the question asks for; nothing found
    // for questions to other shaders.
    ShaderValueView answer(ShaderQuestion question, const Attrib* attrib,
                           const RenderContext* frame, std::string_view name);
    ShaderValueView attribute(const Attrib* attrib, std::string_view name);
    ShaderValueView option(const RenderContext* frame, std::string_view name);
    ShaderValueView rendererInfo(std::string_view name);
    ShaderValueView shaderName(const Attrib* attrib, std::string_view role);

private:
    ShaderValueView numbers(std::initializer_list<float> values);
    ShaderValueView text(std::string_view value);

    std::array<float, 4> fFloats{};
    std::string fText;
};

} // namespace quelmark

#endif
