// The base of every built-in shader: its position, a reference count shared
// by the attribute blocks holding it, the space it was made in, and the
// bindings of request parameters to its variables.
//
// A shader holds its parameters only; the values of the points it shades
// live in the shading context of the thread shading them, so every thread
// shades with the same shader.
#ifndef QEL_SHADING_SHADER_H
#define QEL_SHADING_SHADER_H

#include "common/Matrix.h"
#include "common/Point.h"
#include "renderer/state/ParmList.h"

#include <atomic>
#include <cstdint>

namespace quelmark {

class ArgList;
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

    void retain() { fRefCount.fetch_add(1, std::memory_order_relaxed); }
    // True when the last holder let go; the caller deletes the shader then.
    // Attribute blocks let go on any thread of the renderer.
    bool release() { return fRefCount.fetch_sub(1, std::memory_order_acq_rel) <= 1; }

    const Transform* space() const { return fSpace; }
    // The matrix from the shader's space to camera space.
    Matrix spaceToCamera() const;
    // The parameters a primitive's values may replace.
    const ParmList& parameters() const { return fParms; }

    // The origin of shader space, in camera space.
    Point P;

protected:
    ParmList fParms;

private:
    std::atomic<int32_t> fRefCount = 0; // wide: every nested attribute block may hold it
    Transform* fSpace;
};

} // namespace quelmark

#endif
