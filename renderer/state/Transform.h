// The current transform: the matrix from the current object space to camera
// space, and its handedness. Every operation applies first to a point, before
// the transforms already in the matrix.
#ifndef QEL_STATE_TRANSFORM_H
#define QEL_STATE_TRANSFORM_H

#include "api/qel.h"
#include "common/Matrix.h"
#include "renderer/state/SnapshotWord.h"

namespace quelmark {

class Transform {
public:
    void init();

    // The requests; each checks that transforms may change now.
    void loadIdentity();
    void loadMatrix(const float m[4][4]);
    void multMatrix(const float m[4][4]);
    void perspective(float fov);
    void translate(float dx, float dy, float dz);
    void rotate(float angle, float dx, float dy, float dz);
    void scale(float sx, float sy, float sz);
    void skew(float angle, float dx1, float dy1, float dz1, float dx2, float dy2, float dz2);

    // The projection requests restart the transform without a state check.
    void resetToIdentity();
    // Sets the matrix without a state check, for transforms the renderer makes.
    void setMatrix(const Matrix& m);

    const Matrix& matrix() const { return fMatrix; }
    // "rh" 0x601 when the matrix mirrors (negative determinant), else "lh" 0x600.
    short handedness() const;
    // The handedness computed when this transform became a snapshot.
    short orientation() const { return fOrientation; }
    void computeOrientation() { fOrientation = handedness(); }

    SnapshotWord snapshot;

private:
    bool allowed() const;
    void changed() { snapshot.setChanged(); }

    Matrix fMatrix;
    short fOrientation = QEL_ORIENT_LH;
};

extern Transform* gTransform;

} // namespace quelmark

#endif
