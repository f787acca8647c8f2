// Where a splitting primitive's children go: the scene driver hands each
// split a sink that routes them to the buckets not yet processed, and tells
// the frame's context. A procedural's subdivision also runs through it, so
// that the primitives its requests make come back to the same place.
#ifndef QEL_GEOMETRY_PRIMITIVESINK_H
#define QEL_GEOMETRY_PRIMITIVESINK_H

#include <functional>

namespace quelmark {

class Primitive;
struct RenderContext;

class PrimitiveSink {
public:
    virtual const RenderContext& context() const = 0;
    // Takes ownership of the child.
    virtual void add(Primitive* child) = 0;
    // Runs requests that make primitives on behalf of parent: they are
    // made under its attributes and transform, take its place in the order
    // and go to this sink.
    virtual void subdivide(const Primitive& parent, const std::function<void()>& requests) = 0;

protected:
    ~PrimitiveSink() = default;
};

} // namespace quelmark

#endif
