// What the graphics state asks of the renderer behind it: the display, the
// scene, retained objects and shaders.
//
// The base class renders nothing and keeps nothing; it is the whole target
// of a library that only checks and writes requests. The renderer library
// installs its own.
#ifndef QEL_STATE_RENDERTARGET_H
#define QEL_STATE_RENDERTARGET_H

#include <memory>
#include <string>

namespace quelmark {

class ArgList;
class CompiledImager;
class Light;
class Object;
class Option;
struct RenderContext;
class Shader;

class RenderTarget {
public:
    virtual ~RenderTarget() = default;

    // The display of the scene being set up.
    virtual void createDisplay() {}
    virtual void destroyDisplay() {}
    virtual long displayWidth() const { return 640; }
    virtual long displayHeight() const { return 480; }
    virtual float displayAspect() const { return 1.0f; }
    virtual void openDisplay(const RenderContext& /*frame*/) {}
    virtual void closeDisplay() {}

    // The scene: emptied, prepared at scene begin and rendered at scene end.
    virtual void flushScene() {}
    // The frame's context is copied: the scene renders with its own.
    virtual void initScene(const RenderContext& /*frame*/) {}
    virtual void renderScene() {}
    virtual void resetSequence() {}
    // At a scene's start, before anything is set up for it: may change its
    // options; false when the scene is read but not rendered.
    virtual bool beginScene(Option& /*option*/) { return true; }
    // The scene is read but not rendered: its primitives are not kept.
    virtual void discardScene() {}

    // Retained objects: the handle of a new object whose primitives follow.
    virtual Object* beginObject() { return nullptr; }
    virtual void endObject() {}
    virtual void destroyObject(Object* /*object*/) {}

    // Built-in shaders, made from the quark of their name. Null when the
    // target has no shaders.
    virtual Shader* makeSurface(unsigned short /*name*/, const ArgList& /*args*/) {
        return nullptr;
    }
    virtual Shader* makeAtmosphere(unsigned short /*name*/, const ArgList& /*args*/) {
        return nullptr;
    }
    // A surface compiled from the shading language, found by name; null,
    // with the reason, when there is none.
    virtual Shader* makeCompiledSurface(unsigned short /*name*/, const ArgList& /*args*/,
                                        std::string& whyNot) {
        whyNot = "this renderer runs no compiled shaders";
        return nullptr;
    }
    // An atmosphere compiled from the shading language, found by name; null,
    // with the reason, when there is none.
    virtual Shader* makeCompiledAtmosphere(unsigned short /*name*/, const ArgList& /*args*/,
                                           std::string& whyNot) {
        whyNot = "this renderer runs no compiled shaders";
        return nullptr;
    }
    // An imager compiled from the shading language, found by name; none,
    // with the reason, when there is none.
    virtual std::shared_ptr<const CompiledImager>
    makeCompiledImager(const char* /*name*/, const ArgList& /*args*/, std::string& whyNot) {
        whyNot = "this renderer runs no compiled shaders";
        return nullptr;
    }
    virtual Light* makeLight(unsigned short /*name*/, const ArgList& /*args*/) { return nullptr; }
    // A displacement shader compiled from the shading language, found by
    // name; null, with the reason, when there is none.
    virtual Shader* makeCompiledDisplacement(unsigned short /*name*/, const ArgList& /*args*/,
                                             std::string& whyNot) {
        whyNot = "this renderer runs no compiled shaders";
        return nullptr;
    }
    // A light source compiled from the shading language, found by name;
    // null, with the reason, when there is none.
    virtual Light* makeCompiledLight(unsigned short /*name*/, const ArgList& /*args*/,
                                     std::string& whyNot) {
        whyNot = "this renderer runs no compiled shaders";
        return nullptr;
    }
    virtual void retainShader(Shader* /*shader*/) {}
    virtual void releaseShader(Shader* /*shader*/) {}
    virtual void destroyLight(Light* /*light*/) {}
};

} // namespace quelmark

#endif
