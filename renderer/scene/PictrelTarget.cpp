#include "renderer/scene/PictrelTarget.h"

#include "common/Error.h"
#include "common/Quark.h"
#include "common/SearchPath.h"
#include "renderer/display/Display.h"
#include "renderer/geometry/Object.h"
#include "renderer/geometry/Primitive.h"
#include "renderer/scene/RenderControl.h"
#include "renderer/scene/Scene.h"
#include "renderer/shading/CompiledDisplacement.h"
#include "renderer/shading/CompiledImager.h"
#include "renderer/shading/CompiledLight.h"
#include "renderer/shading/CompiledSurface.h"
#include "renderer/shading/CompiledVolume.h"
#include "renderer/shading/Light.h"
#include "renderer/shading/ShaderFactory.h"
#include "renderer/state/Option.h"
#include "renderer/state/State.h"
#include "renderer/state/Transform.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace quelmark {

void PictrelTarget::createDisplay() {
    delete gDisplay;
    gDisplay = new Display;
}

void PictrelTarget::destroyDisplay() {
    delete gDisplay;
    gDisplay = nullptr;
}

long PictrelTarget::displayWidth() const {
    return gDisplay ? gDisplay->xDim() : 640;
}

long PictrelTarget::displayHeight() const {
    return gDisplay ? gDisplay->yDim() : 480;
}

float PictrelTarget::displayAspect() const {
    return gDisplay ? gDisplay->aspectRatio() : 1.0f;
}

void PictrelTarget::openDisplay(const RenderContext& frame) {
    if (gDisplay) gDisplay->open(frame);
}

void PictrelTarget::closeDisplay() {
    if (gDisplay) gDisplay->close();
}

void PictrelTarget::flushScene() {
    gScene->flush();
}

void PictrelTarget::initScene(const RenderContext& frame) {
    gScene->init(frame);
}

void PictrelTarget::renderScene() {
    gScene->render();
}

void PictrelTarget::resetSequence() {
    Primitive::fCurSeq = 0;
}

bool PictrelTarget::beginScene(Option& option) {
    return renderControl().beginScene(option);
}

void PictrelTarget::discardScene() {
    gScene->discard();
}

Object* PictrelTarget::beginObject() {
    Object* object = new Object(gTransform->matrix());
    gScene->beginObject(object);
    return object;
}

void PictrelTarget::endObject() {
    gScene->endObject();
}

void PictrelTarget::destroyObject(Object* object) {
    delete object;
}

namespace {

// A new shader comes with one reference, its creator's.
template <class S> S* counted(S* shader) {
    if (shader) shader->retain();
    return shader;
}

} // namespace

Shader* PictrelTarget::makeSurface(unsigned short name, const ArgList& args) {
    return counted(makeSurfaceShader(name, args, gState->getTransform()));
}

namespace {

void reportAll(const std::vector<std::string>& warnings) {
    for (const std::string& warning : warnings)
        error(kErrRange, kWarning, "%s", warning.c_str());
}

} // namespace

std::shared_ptr<const ShaderProgram> PictrelTarget::findCompiled(unsigned short name,
                                                                 sl::ShaderKind kind,
                                                                 std::string& whyNot) {
    return findCompiled(getString(name), kind, whyNot);
}

std::shared_ptr<const ShaderProgram>
PictrelTarget::findCompiled(const char* name, sl::ShaderKind kind, std::string& whyNot) {
    fShaders.setSearchPath(searchPlaces(gOption->shaderPlaces.c_str()));
    std::shared_ptr<const ShaderProgram> program = fShaders.find(name ? name : "", kind, whyNot);
    // Its maps' store loads meanwhile, while the scene is read and diced.
    if (program && program->looksUpMaps()) gScene->prepareTextures();
    return program;
}

Shader* PictrelTarget::makeCompiledSurface(unsigned short name, const ArgList& args,
                                           std::string& whyNot) {
    std::shared_ptr<const ShaderProgram> program =
        findCompiled(name, sl::ShaderKind::kSurface, whyNot);
    if (!program) return nullptr;
    std::vector<std::string> warnings;
    auto* surface = new CompiledSurface(gState->getTransform(), std::move(program), args, warnings);
    reportAll(warnings);
    return counted(surface);
}

Shader* PictrelTarget::makeCompiledDisplacement(unsigned short name, const ArgList& args,
                                                std::string& whyNot) {
    std::shared_ptr<const ShaderProgram> program =
        findCompiled(name, sl::ShaderKind::kDisplacement, whyNot);
    if (!program) return nullptr;
    std::vector<std::string> warnings;
    auto* displacement =
        new CompiledDisplacement(gState->getTransform(), std::move(program), args, warnings);
    reportAll(warnings);
    return counted(displacement);
}

Light* PictrelTarget::makeCompiledLight(unsigned short name, const ArgList& args,
                                        std::string& whyNot) {
    std::shared_ptr<const ShaderProgram> program =
        findCompiled(name, sl::ShaderKind::kLight, whyNot);
    if (!program) return nullptr;
    std::vector<std::string> warnings;
    auto* light = new CompiledLight(gState->getTransform(), std::move(program), args, warnings);
    reportAll(warnings);
    return light;
}

Shader* PictrelTarget::makeAtmosphere(unsigned short name, const ArgList& args) {
    return counted(makeVolumeShader(name, args, gState->getTransform()));
}

Shader* PictrelTarget::makeCompiledAtmosphere(unsigned short name, const ArgList& args,
                                              std::string& whyNot) {
    std::shared_ptr<const ShaderProgram> program =
        findCompiled(name, sl::ShaderKind::kVolume, whyNot);
    if (!program) return nullptr;
    std::vector<std::string> warnings;
    auto* volume = new CompiledVolume(gState->getTransform(), std::move(program), args, warnings);
    reportAll(warnings);
    return counted(volume);
}

std::shared_ptr<const CompiledImager>
PictrelTarget::makeCompiledImager(const char* name, const ArgList& args, std::string& whyNot) {
    std::shared_ptr<const ShaderProgram> program =
        findCompiled(name, sl::ShaderKind::kImager, whyNot);
    if (!program) return nullptr;
    std::vector<std::string> warnings;
    auto imager = std::make_shared<const CompiledImager>(std::move(program), args, warnings);
    reportAll(warnings);
    return imager;
}

Light* PictrelTarget::makeLight(unsigned short name, const ArgList& args) {
    return makeLightShader(name, args, gState->getTransform());
}

void PictrelTarget::retainShader(Shader* shader) {
    shader->retain();
}

void PictrelTarget::releaseShader(Shader* shader) {
    if (shader->release()) delete shader;
}

void PictrelTarget::destroyLight(Light* light) {
    delete light;
}

} // namespace quelmark
