#include "renderer/shading/ShaderCopies.h"

#include "renderer/shading/Light.h"
#include "renderer/shading/ShaderFactory.h"

namespace {

thread_local ShaderCopies* tCurrent = nullptr;

} // namespace

ShaderCopies::ShaderCopies() = default;
ShaderCopies::~ShaderCopies() = default;

Shader* ShaderCopies::copy(Shader* original) {
    if (!original) return nullptr;
    auto found = fShaders.find(original);
    if (found != fShaders.end()) return found->second ? found->second.get() : original;
    std::unique_ptr<Shader> made(copyShader(*original));
    Shader* result = made ? made.get() : original;
    fShaders.emplace(original, std::move(made));
    return result;
}

const List<Light*>* ShaderCopies::copy(const List<Light*>* lights) {
    if (!lights) return nullptr;
    auto found = fLightLists.find(lights);
    if (found != fLightLists.end()) return found->second.get();
    auto copies = std::make_unique<List<Light*>>();
    List<Light*>::Node* last = nullptr;
    for (Light* light : *lights)
        last = copies->insertAfter(last, static_cast<Light*>(copy(light)));
    const List<Light*>* result = copies.get();
    fLightLists.emplace(lights, std::move(copies));
    return result;
}

ShaderCopies* ShaderCopies::current() {
    return tCurrent;
}

void ShaderCopies::setCurrent(ShaderCopies* copies) {
    tCurrent = copies;
}
