#include "renderer/shading/ShaderSpaces.h"

#include "renderer/state/RenderContext.h"

namespace quelmark {

namespace {

ShaderMatrix shaderMatrixOf(const Matrix& matrix) {
    ShaderMatrix flat;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            flat[std::size_t(row * 4 + column)] = matrix.m[row][column];
    return flat;
}

// NDC runs from 0 to 1 over the raster, y down as in raster space.
Matrix rasterToNdc(const Option& option) {
    Matrix scale;
    scale.m[0][0] = 1.0f / float(option.xResolution);
    scale.m[1][1] = 1.0f / float(option.yResolution);
    return scale;
}

} // namespace

const MarkedSpace* ShaderSpaces::markedSpace(std::string_view space) const {
    if (!marked) return nullptr;
    for (const MarkedSpace& named : *marked)
        if (named.name == space) return &named;
    return nullptr;
}

bool ShaderSpaces::toCamera(std::string_view space, ShaderMatrix& matrix) const {
    if (space == "camera" || space == "eye") {
        matrix = identityMatrix();
    } else if (space == "shader") {
        matrix = shaderMatrixOf(shaderToCamera);
    } else if (space == "object") {
        matrix = shaderMatrixOf(objectToCamera);
    } else if (const MarkedSpace* named = markedSpace(space)) {
        matrix = shaderMatrixOf(named->toCamera);
    } else if (!frame) {
        return false;
    } else if (space == "world") {
        matrix = shaderMatrixOf(frame->worldToCamera);
    } else if (space == "screen") {
        matrix = shaderMatrixOf(invert(frame->cameraToScreen));
    } else if (space == "raster") {
        matrix = shaderMatrixOf(invert(frame->cameraToRaster));
    } else if (space == "NDC") {
        matrix = shaderMatrixOf(invert(frame->cameraToRaster * rasterToNdc(frame->option)));
    } else {
        return false;
    }
    return true;
}

bool ShaderSpaces::toRaster(std::string_view space, ShaderMatrix& matrix) const {
    if (!frame) return false;
    if (space == "raster") {
        matrix = identityMatrix();
        return true;
    }
    ShaderMatrix toCameraSpace;
    if (!toCamera(space, toCameraSpace)) return false;
    matrix = matrixProduct(toCameraSpace, shaderMatrixOf(frame->cameraToRaster));
    return true;
}

} // namespace quelmark
