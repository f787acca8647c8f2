#include "shadercode/BuiltinOp.h"

#include <array>

namespace quelmark::sl {

namespace {

// In BuiltinOp's order.
// clang-format off
constexpr std::array<std::string_view, kBuiltinOpCount> kNames = {
    "radians", "degrees", "sin", "asin", "cos", "acos", "tan", "atan",
    "pow", "exp", "sqrt", "inversesqrt", "log", "mod", "abs", "sign",
    "floor", "ceil", "round", "min", "max", "clamp", "mix",
    "step", "smoothstep", "filterstep", "spline",
    "Du", "Dv", "Deriv", "Dtime", "random", "noise", "pnoise", "cellnoise",
    "xcomp", "ycomp", "zcomp", "setxcomp", "setycomp", "setzcomp",
    "length", "normalize", "distance", "ptlined", "rotate", "area",
    "faceforward", "reflect", "refract", "fresnel",
    "transform", "vtransform", "ntransform", "depth", "calculatenormal",
    "comp", "setcomp", "ctransform", "determinant", "inverse", "translate", "scale",
    "concat", "printf", "format", "match",
    "ambient", "diffuse", "specular", "specularbrdf", "phong", "trace",
    "texture", "environment", "shadow", "bump", "textureinfo",
    "atmosphere", "displacement", "lightsource", "surface", "incident", "opposite",
    "attribute", "option", "rendererinfo", "shadername",
};
// clang-format on
static_assert(!kNames.back().empty(), "every BuiltinOp needs its name");

} // namespace

std::string_view builtinName(BuiltinOp op) {
    return kNames[std::size_t(op)];
}


std::optional<BuiltinOp> builtinOpNamed(std::string_view name) {
    for (std::size_t k = 0; k < kNames.size(); ++k)
        if (kNames[k] == name) return BuiltinOp(k);
    return std::nullopt;
}

} // namespace quelmark::sl
