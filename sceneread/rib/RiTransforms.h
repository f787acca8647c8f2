// The current transform as the RIB requests make it, mirrored beside the
// scene API's: RenderMan's Identity and Transform inside the world are
// relative to the world, and CoordSysTransform loads a named space, and the
// scene API has neither, so the binding hands it whole matrices. The
// matrices follow the scene API's row-vector convention, object space to
// camera space.
#ifndef QEL_SCENEREAD_RIB_RITRANSFORMS_H
#define QEL_SCENEREAD_RIB_RITRANSFORMS_H

#include "common/Matrix.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace quelmark {

class RiTransforms {
public:
    void reset();

    const Matrix& current() const { return fCurrent; }
    Matrix& current() { return fCurrent; }
    // Saved and restored by the blocks that keep transforms: frames, the
    // world, attribute and transform blocks.
    void push();
    void pop();

    // The camera transform is what stands at the world's begin.
    void beginWorld();
    void endWorld();
    bool inWorld() const { return fInWorld; }
    const Matrix& worldToCamera() const { return fWorldToCamera; }

    // Identity: object space becomes world space inside the world, camera
    // space outside it. Transform: the matrix relative to the same.
    Matrix identity() const;
    Matrix relative(const Matrix& objectToWorld) const;

    // Names the current transform; "world" and "camera" are named already.
    void mark(const std::string& name);
    // The matrix of a named space, or null for a name not marked.
    const Matrix* space(const std::string& name) const;

    // Blocks nest deeper than this are not kept (the scene API refuses them).
    static constexpr size_t kDeepest = 100000;

private:
    Matrix fCurrent;
    std::vector<Matrix> fSaved;
    size_t fUnsaved = 0;
    bool fInWorld = false;
    Matrix fWorldToCamera;
    std::unordered_map<std::string, Matrix> fSpaces;
};

} // namespace quelmark

#endif
