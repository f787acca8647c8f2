// Image file formats chosen by name, as RenderMan renderers choose them for
// the display type "file": ".tif" and ".tiff" are TIFF, ".png" PNG, ".exr"
// OpenEXR (in any case); any other name is TIFF.
#ifndef QEL_COMMON_IMAGEFORMATS_H
#define QEL_COMMON_IMAGEFORMATS_H

#include <string_view>

namespace quelmark {

// A QEL_FORMAT_ code.
short imageFormatOfName(std::string_view name);

// The format of a RenderMan display type for an image of that name: "file"
// by the name; "tiff", "png", "openexr" or "exr"; "zfile" or "shadow" a
// depth file; "framebuffer", "it" or "x11" the display window. QEL_NULL for
// any other type.
short displayTypeFormat(std::string_view type, std::string_view name);

} // namespace quelmark

#endif
