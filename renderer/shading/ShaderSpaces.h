// The named spaces of compiled shaders as matrices to camera space, the
// space they shade in: "camera" (also "eye"), "world", "object", "shader",
// "screen", "raster" and "NDC".
#ifndef QEL_SHADING_SHADERSPACES_H
#define QEL_SHADING_SHADERSPACES_H

#include "common/Matrix.h"
#include "renderer/shading/ShaderMatrix.h"

#include <string_view>

namespace quelmark {

struct RenderContext;

struct ShaderSpaces {
    // The frame's camera, screen and raster; without one only the spaces
    // below are known.
    const RenderContext* frame = nullptr;
    Matrix objectToCamera;
    Matrix shaderToCamera;

    // False for a name it does not know.
    bool toCamera(std::string_view space, ShaderMatrix& matrix) const;
    // To raster space, where imagers run; needs the frame.
    bool toRaster(std::string_view space, ShaderMatrix& matrix) const;
};

} // namespace quelmark

#endif
