// The current transform: the matrix from the current object space to camera
// space, and its handedness. Every operation applies first to a point, before
// the transforms already in the matrix.
#ifndef QEL_STATE_TRANSFORM_H
#define QEL_STATE_TRANSFORM_H

#include "api/qel.h"
#include "common/Matrix.h"
#include "renderer/state/SnapshotWord.h"

#include <vector>

namespace quelmark {

// The matrix of a moving transform at one time of its motion block.
struct MotionKey {
    float time;
    Matrix matrix;
};

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
    // Applies local first, at every time, without a state check: an
    // object's primitive placed by the transform of its instance.
    void placeBefore(const Matrix& local);

    // The matrix at the first time of the motion, or the only one.
    const Matrix& matrix() const { return fMatrix; }
    // The matrices at the times of a motion block, in order of time; empty
    // when the transform does not move. Every transform request after the
    // block applies to each of them.
    const std::vector<MotionKey>& motion() const { return fMotion; }
    bool moves() const { return !fMotion.empty(); }

    // A motion block: each transform request inside it gives the matrix at
    // the next of the times, from the transform the block began with.
    void beginMotion(const std::vector<float>& times);
    void endMotion();
    // "rh" 0x601 when the matrix mirrors (negative determinant), else "lh" 0x600.
    short handedness() const;
    // The handedness computed when this transform became a snapshot.
    short orientation() const { return fOrientation; }
    void computeOrientation() { fOrientation = handedness(); }

    SnapshotWord snapshot;

private:
    bool allowed() const;
    void changed() { snapshot.setChanged(); }
    // Applies op(Matrix&) to the matrix and every motion key, or inside a
    // motion block to the next time's matrix; change checks the state first.
    template <class Op> void change(Op op);
    template <class Op> void apply(Op op);
    template <class Op> void record(Op op);

    Matrix fMatrix;
    std::vector<MotionKey> fMotion;
    // While a motion block is open: its times, the transform it began with
    // and the matrices its requests gave.
    struct Recording {
        std::vector<float> times;
        Matrix base;
        std::vector<MotionKey> baseMotion;
        std::vector<Matrix> matrices;
    };
    std::vector<Recording> fRecording; // one at most
    short fOrientation = QEL_ORIENT_LH;
};

extern Transform* gTransform;

} // namespace quelmark

#endif
