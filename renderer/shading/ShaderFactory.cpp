#include "renderer/shading/ShaderFactory.h"

#include "common/Quark.h"
#include "renderer/shading/Light.h"
#include "renderer/shading/Surface.h"
#include "renderer/shading/Volume.h"

namespace quelmark {

namespace {

template <class Made> Made* instanced(Made* shader, const ArgList& args) {
    if (shader) shader->instance(args);
    return shader;
}

Shader* newSurface(unsigned short name, Transform* space) {
    switch (name) {
    case kQuarkConstant:
        return new ConstantSurface(space);
    case kQuarkDiffuse:
        return new MatteSurface(space);
    case kQuarkMetal:
        return new MetalSurface(space);
    case kQuarkPlastic:
        return new PlasticSurface(space);
    case kQuarkDefaultSurface:
        return new DefaultSurface(space);
    default:
        return nullptr;
    }
}

Shader* newVolume(unsigned short name, Transform* space) {
    switch (name) {
    case kQuarkDepthCue:
        return new DepthCueVolume(space);
    case kQuarkFog:
        return new FogVolume(space);
    default:
        return nullptr;
    }
}

Light* newLight(unsigned short name, Transform* space) {
    switch (name) {
    case kQuarkAmbient:
        return new AmbientLight(space);
    case kQuarkOmni:
        return new PointLight(space);
    case kQuarkDistant:
        return new DistantLight(space);
    case kQuarkSpot:
        return new SpotLight(space);
    default:
        return nullptr;
    }
}

} // namespace

Shader* makeSurfaceShader(unsigned short name, const ArgList& args, Transform* space) {
    return instanced(newSurface(name, space), args);
}

Shader* makeVolumeShader(unsigned short name, const ArgList& args, Transform* space) {
    return instanced(newVolume(name, space), args);
}

Light* makeLightShader(unsigned short name, const ArgList& args, Transform* space) {
    return instanced(newLight(name, space), args);
}

} // namespace quelmark
