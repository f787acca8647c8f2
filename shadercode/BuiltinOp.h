// The operations of the shading language's standard library, one per
// function name, as compiled shaders name them.
#ifndef QEL_SHADERCODE_BUILTINOP_H
#define QEL_SHADERCODE_BUILTINOP_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quelmark::sl {

// One operation per function name: every overload of a name shares it, and
// the argument types tell the overloads apart.
// clang-format off
enum class BuiltinOp : std::uint8_t {
    // Mathematical.
    kRadians, kDegrees, kSin, kAsin, kCos, kAcos, kTan, kAtan,
    kPow, kExp, kSqrt, kInverseSqrt, kLog, kMod, kAbs, kSign,
    kFloor, kCeil, kRound, kMin, kMax, kClamp, kMix,
    kStep, kSmoothStep, kFilterStep, kSpline,
    kDu, kDv, kDeriv, kDtime, kRandom, kNoise, kPNoise, kCellNoise,
    // Geometric.
    kXComp, kYComp, kZComp, kSetXComp, kSetYComp, kSetZComp,
    kLength, kNormalize, kDistance, kPtLineD, kRotate, kArea,
    kFaceForward, kReflect, kRefract, kFresnel,
    kTransform, kVTransform, kNTransform, kDepth, kCalculateNormal,
    // Colours and matrices (comp, setcomp and rotate serve both).
    kComp, kSetComp, kCTransform, kDeterminant, kInverse, kTranslate, kScale,
    // Strings.
    kConcat, kPrintf, kFormat, kMatch,
    // Shading and lighting.
    kAmbient, kDiffuse, kSpecular, kSpecularBrdf, kPhong, kTrace,
    // Texture maps.
    kTexture, kEnvironment, kShadow, kBump, kTextureInfo,
    // Messages between shaders, and questions to the renderer.
    kAtmosphere, kDisplacement, kLightSource, kSurface, kIncident, kOpposite,
    kAttribute, kOption, kRendererInfo, kShaderName,
};
// clang-format on

inline constexpr std::size_t kBuiltinOpCount = std::size_t(BuiltinOp::kShaderName) + 1;

// The name a shader calls the operation by: "sin", "Du", "textureinfo"...
std::string_view builtinName(BuiltinOp op);
// The operation of that name; none when there is none.
std::optional<BuiltinOp> builtinOpNamed(std::string_view name);

} // namespace quelmark::sl

#endif
