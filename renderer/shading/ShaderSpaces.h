// The named spaces of compiled shaders as matrices to camera space, the
// space they shade in: "camera" (also "eye"), "world", "object", "shader",
// "screen", "raster" and "NDC", and the spaces the scene marked by name.
#ifndef QEL_SHADING_SHADERSPACES_H
#define QEL_SHADING_SHADERSPACES_H

#include "common/Matrix.h"
#include "renderer/shading/ShaderMatrix.h"
#include "renderer/state/NamedSpaces.h"

#include <string_view>
#include <vector>

namespace quelmark {

struct RenderContext;

struct ShaderSpaces {
    // The frame's camera, screen and raster; without one only the spaces
    // below are known.
    const RenderContext* frame = nullptr;
    Matrix objectToCamera;
    Matrix shaderToCamera;
    // The marked spaces; none when null.
    const std::vector<MarkedSpace>* marked = nullptr;

    // False for a name it does not know.
    bool toCamera(std::string_view space, ShaderMatrix& matrix) const;
    // To raster space, where imagers run; needs the frame.
    bool toRaster(std::string_view space, ShaderMatrix& matrix) const;

private:
    const MarkedSpace* markedSpace(std::string_view space) const;
};

} // namespace quelmark

#endif
