#include "sceneread/rib/RiShaders.h"

#include "common/Quark.h"

#include <cmath>

namespace quelmark {

namespace {

constexpr float kDegrees = 57.29578f;
// RenderMan renderers, and the RIB files lit for them, take the specular
// exponent as 1/(roughness/8).
constexpr float kRoughness = 1.0f / 8.0f;
constexpr float kRenderManRoughness = 0.1f;
constexpr float kNone = NAN;

const RiShaderParameter kAmbient[] = {{"intensity", kQuarkIntensity, 1, kNone},
                                      {"lightcolor", kQuarkColor, 1, kNone},
                                      {nullptr, 0, 1, kNone}};
const RiShaderParameter kDistant[] = {{"intensity", kQuarkIntensity, 1, kNone},
                                      {"lightcolor", kQuarkColor, 1, kNone},
                                      {"from", kQuarkFrom, 1, kNone},
                                      {"to", kQuarkTo, 1, kNone},
                                      {nullptr, 0, 1, kNone}};
const RiShaderParameter kPoint[] = {{"intensity", kQuarkIntensity, 1, kNone},
                                    {"lightcolor", kQuarkColor, 1, kNone},
                                    {"from", kQuarkFrom, 1, kNone},
                                    {nullptr, 0, 1, kNone}};
const RiShaderParameter kSpot[] = {{"intensity", kQuarkIntensity, 1, kNone},
                                   {"lightcolor", kQuarkColor, 1, kNone},
                                   {"from", kQuarkFrom, 1, kNone},
                                   {"to", kQuarkTo, 1, kNone},
                                   {"coneangle", kQuarkConeAngle, kDegrees, kNone},
                                   {"conedeltaangle", kQuarkConeDeltaAngle, kDegrees, kNone},
                                   {"beamdistribution", kQuarkBeamDistribution, 1, kNone},
                                   {nullptr, 0, 1, kNone}};
const RiShaderParameter kNoParameters[] = {{nullptr, 0, 1, kNone}};
const RiShaderParameter kMatte[] = {
    {"Ka", kQuarkKa, 1, kNone}, {"Kd", kQuarkKd, 1, kNone}, {nullptr, 0, 1, kNone}};
const RiShaderParameter kMetal[] = {{"Ka", kQuarkKa, 1, kNone},
                                    {"Ks", kQuarkKs, 1, kNone},
                                    {"roughness", kQuarkRoughness, kRoughness, kRenderManRoughness},
                                    {nullptr, 0, 1, kNone}};
const RiShaderParameter kPlastic[] = {
    {"Ka", kQuarkKa, 1, kNone},
    {"Kd", kQuarkKd, 1, kNone},
    {"Ks", kQuarkKs, 1, kNone},
    {"roughness", kQuarkRoughness, kRoughness, kRenderManRoughness},
    {"specularcolor", kQuarkSpecularColor, 1, kNone},
    {nullptr, 0, 1, kNone}};
const RiShaderParameter kDepthCue[] = {{"mindistance", kQuarkHither, 1, kNone},
                                       {"maxdistance", kQuarkYon, 1, kNone},
                                       {"background", kQuarkColor, 1, kNone},
                                       {nullptr, 0, 1, kNone}};
const RiShaderParameter kFog[] = {{"distance", kQuarkDistance, 1, kNone},
                                  {"background", kQuarkColor, 1, kNone},
                                  {nullptr, 0, 1, kNone}};

const RiShader kShaders[] = {
    {"ambientlight", kQuarkAmbient, RiShaderKind::Light, kAmbient},
    {"distantlight", kQuarkDistant, RiShaderKind::Light, kDistant},
    {"pointlight", kQuarkOmni, RiShaderKind::Light, kPoint},
    {"spotlight", kQuarkSpot, RiShaderKind::Light, kSpot},
    {"constant", kQuarkConstant, RiShaderKind::Surface, kNoParameters},
    {"defaultsurface", kQuarkDefaultSurface, RiShaderKind::Surface, kMatte},
    {"matte", kQuarkDiffuse, RiShaderKind::Surface, kMatte},
    {"metal", kQuarkMetal, RiShaderKind::Surface, kMetal},
    {"plastic", kQuarkPlastic, RiShaderKind::Surface, kPlastic},
    {"depthcue", kQuarkDepthCue, RiShaderKind::Volume, kDepthCue},
    {"fog", kQuarkFog, RiShaderKind::Volume, kFog},
};

} // namespace

const RiShader* findStandardShader(RiShaderKind kind, std::string_view name) {
    for (const RiShader& shader : kShaders)
        if (shader.kind == kind && name == shader.ribName) return &shader;
    return nullptr;
}

const RiShaderParameter* findShaderParameter(const RiShader& shader, std::string_view name) {
    if (!shader.parameters) return nullptr;
    for (const RiShaderParameter* p = shader.parameters; p->ribName; ++p)
        if (name == p->ribName) return p;
    return nullptr;
}

const char* shaderKindName(RiShaderKind kind) {
    switch (kind) {
    case RiShaderKind::Light:
        return "light source";
    case RiShaderKind::Surface:
        return "surface";
    case RiShaderKind::Volume:
        return "volume";
    case RiShaderKind::Displacement:
        return "displacement";
    case RiShaderKind::Deformation:
        return "deformation";
    case RiShaderKind::Imager:
        return "imager";
    }
    return "shader";
}

} // namespace quelmark
