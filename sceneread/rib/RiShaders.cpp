#include "sceneread/rib/RiShaders.h"

#include "common/Quark.h"

namespace {

constexpr float kDegrees = 57.29578f;

const RiShaderParameter kAmbient[] = {
    {"intensity", kQuarkIntensity, 1}, {"lightcolor", kQuarkColor, 1}, {nullptr, 0, 1}};
const RiShaderParameter kDistant[] = {{"intensity", kQuarkIntensity, 1},
                                      {"lightcolor", kQuarkColor, 1},
                                      {"from", kQuarkFrom, 1},
                                      {"to", kQuarkTo, 1},
                                      {nullptr, 0, 1}};
const RiShaderParameter kPoint[] = {{"intensity", kQuarkIntensity, 1},
                                    {"lightcolor", kQuarkColor, 1},
                                    {"from", kQuarkFrom, 1},
                                    {nullptr, 0, 1}};
const RiShaderParameter kSpot[] = {{"intensity", kQuarkIntensity, 1},
                                   {"lightcolor", kQuarkColor, 1},
                                   {"from", kQuarkFrom, 1},
                                   {"to", kQuarkTo, 1},
                                   {"coneangle", kQuarkConeAngle, kDegrees},
                                   {"conedeltaangle", kQuarkConeDeltaAngle, kDegrees},
                                   {"beamdistribution", kQuarkBeamDistribution, 1},
                                   {nullptr, 0, 1}};
const RiShaderParameter kNone[] = {{nullptr, 0, 1}};
const RiShaderParameter kMatte[] = {{"Ka", kQuarkKa, 1}, {"Kd", kQuarkKd, 1}, {nullptr, 0, 1}};
const RiShaderParameter kMetal[] = {
    {"Ka", kQuarkKa, 1}, {"Ks", kQuarkKs, 1}, {"roughness", kQuarkRoughness, 1}, {nullptr, 0, 1}};
const RiShaderParameter kPlastic[] = {{"Ka", kQuarkKa, 1},
                                      {"Kd", kQuarkKd, 1},
                                      {"Ks", kQuarkKs, 1},
                                      {"roughness", kQuarkRoughness, 1},
                                      {"specularcolor", kQuarkSpecularColor, 1},
                                      {nullptr, 0, 1}};
const RiShaderParameter kDepthCue[] = {{"mindistance", kQuarkHither, 1},
                                       {"maxdistance", kQuarkYon, 1},
                                       {"background", kQuarkColor, 1},
                                       {nullptr, 0, 1}};
const RiShaderParameter kFog[] = {
    {"distance", kQuarkDistance, 1}, {"background", kQuarkColor, 1}, {nullptr, 0, 1}};

const RiShader kShaders[] = {
    {"ambientlight", kQuarkAmbient, RiShaderKind::Light, kAmbient, nullptr},
    {"distantlight", kQuarkDistant, RiShaderKind::Light, kDistant, nullptr},
    {"pointlight", kQuarkOmni, RiShaderKind::Light, kPoint, nullptr},
    {"spotlight", kQuarkSpot, RiShaderKind::Light, kSpot, nullptr},
    {"constant", kQuarkConstant, RiShaderKind::Surface, kNone, nullptr},
    {"matte", kQuarkDiffuse, RiShaderKind::Surface, kMatte, nullptr},
    {"metal", kQuarkMetal, RiShaderKind::Surface, kMetal, nullptr},
    {"shinymetal", kQuarkMetal, RiShaderKind::Surface, kMetal, "its environment map"},
    {"plastic", kQuarkPlastic, RiShaderKind::Surface, kPlastic, nullptr},
    {"paintedplastic", kQuarkPlastic, RiShaderKind::Surface, kPlastic, "its texture map"},
    {"depthcue", kQuarkDepthCue, RiShaderKind::Volume, kDepthCue, nullptr},
    {"fog", kQuarkFog, RiShaderKind::Volume, kFog, nullptr},
    {"bumpy", 0, RiShaderKind::Displacement, nullptr, nullptr},
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
