// The renderer behind the renderer library's graphics state: its display,
// its scene, its retained objects and the compiled shaders it has read.
#ifndef QEL_SCENE_PICTRELTARGET_H
#define QEL_SCENE_PICTRELTARGET_H

#include "renderer/shading/ShaderCatalog.h"
#include "renderer/state/RenderTarget.h"

namespace quelmark {

class PictrelTarget : public RenderTarget {
public:
    void createDisplay() override;
    void destroyDisplay() override;
    long displayWidth() const override;
    long displayHeight() const override;
    float displayAspect() const override;
    void openDisplay(const RenderContext& frame) override;
    void closeDisplay() override;

    void flushScene() override;
    void initScene(const RenderContext& frame) override;
    void renderScene() override;
    void resetSequence() override;
    bool beginScene(Option& option) override;
    void discardScene() override;

    Object* beginObject() override;
    void endObject() override;
    void destroyObject(Object* object) override;

    Shader* makeSurface(unsigned short name, const ArgList& args) override;
    Shader* makeAtmosphere(unsigned short name, const ArgList& args) override;
    Shader* makeCompiledSurface(unsigned short name, const ArgList& args,
                                std::string& whyNot) override;
    Shader* makeCompiledAtmosphere(unsigned short name, const ArgList& args,
                                   std::string& whyNot) override;
    std::shared_ptr<const CompiledImager> makeCompiledImager(const char* name, const ArgList& args,
                                                             std::string& whyNot) override;
    Light* makeLight(unsigned short name, const ArgList& args) override;
    Light* makeCompiledLight(unsigned short name, const ArgList& args,
                             std::string& whyNot) override;
    Shader* makeCompiledDisplacement(unsigned short name, const ArgList& args,
                                     std::string& whyNot) override;
    void retainShader(Shader* shader) override;
    void releaseShader(Shader* shader) override;
    void destroyLight(Light* light) override;

private:
    // The compiled shader of that name and kind, from the current search path.
    std::shared_ptr<const ShaderProgram> findCompiled(unsigned short name, sl::ShaderKind kind,
                                                      std::string& whyNot);
    std::shared_ptr<const ShaderProgram> findCompiled(const char* name, sl::ShaderKind kind,
                                                      std::string& whyNot);

    ShaderCatalog fShaders;
};

} // namespace quelmark

#endif
