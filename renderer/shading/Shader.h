// The base of every built-in shader: its position, a reference count shared
// by the attribute blocks holding it, the space it was made in, and the
// bindings of request parameters to its variables.
#ifndef QEL_SHADING_SHADER_H
#define QEL_SHADING_SHADER_H

#include "renderer/geometry/Point.h"
#include "renderer/state/ArgList.h"
#include "renderer/state/ParmList.h"

#include <atomic>
#include <cstdint>

class Transform;

class Shader {
public:
    // Takes a counted reference to the transform that defines shader space.
    explicit Shader(Transform* space);
    virtual ~Shader();
    Shader(const Shader&) = delete;
    Shader& operator=(const Shader&) = delete;

    // The request's parameter values replace the defaults.
    virtual void instance(const ArgList& args);
    virtual void defaultOutputs() {}
    virtual void evaluate() {}

    void retain() { fRefCount.fetch_add(1, std::memory_order_relaxed); }
    // True when the last holder let go; the caller deletes the shader then.
    // Attribute blocks let go on any thread of the renderer.
    bool release() { return fRefCount.fetch_sub(1, std::memory_order_acq_rel) <= 1; }

    const Transform* space() const { return fSpace; }

    // How the shader was made: the shader factory's kind, the name quark and
    // the request's parameters. A shader holds the values of the point it
    // shades, so each thread of the renderer shades with copies made this way.
    struct Recipe {
        int kind = 0;
        unsigned short name = 0;
        ArgList args;
    };
    const Recipe& recipe() const { return fRecipe; }
    void setRecipe(Recipe recipe) { fRecipe = std::move(recipe); }

    Point P;

protected:
    ParmList fParms;

private:
    std::atomic<int32_t> fRefCount = 0; // wide: every nested attribute block may hold it
    Transform* fSpace;
    Recipe fRecipe;
};

#endif
