// The colour spaces shaders name: a colour given in one of them is moved to
// the renderer's linear RGB, and back.
//
//   "rgb"          the renderer's own
//   "hsv", "hsl"   hue (0 to 1 round the circle), saturation, and value or
//                  lightness, over RGB
//   "XYZ", "xyz"   CIE XYZ, taking RGB as linear with the primaries and
//                  white point (D65) of Rec. 709
//   "xyY"          chromaticity x and y, and luminance Y
//   "YIQ"          luma and the two chrominance axes of NTSC
#ifndef QEL_SHADING_SHADERCOLORSPACES_H
#define QEL_SHADING_SHADERCOLORSPACES_H

#include "renderer/shading/ShaderMatrix.h"

#include <optional>
#include <string_view>

namespace quelmark {

enum class ShaderColorSpace { kRgb, kHsv, kHsl, kXyz, kXyy, kYiq };

// The space of that name; none for a name this list does not have.
std::optional<ShaderColorSpace> colorSpaceNamed(std::string_view name);

ShaderTriple colorToRgb(ShaderColorSpace space, const ShaderTriple& color);
ShaderTriple colorFromRgb(ShaderColorSpace space, const ShaderTriple& rgb);

} // namespace quelmark

#endif
