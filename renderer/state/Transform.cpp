#include "renderer/state/Transform.h"

#include "api/qel.h"
#include "common/Error.h"
#include "renderer/state/State.h"

namespace quelmark {

Transform* gTransform = nullptr;

namespace {

bool validMatrix(const float m[4][4]) {
    if (m) return true;
    error(kErrMissingData, kError, "matrix must not be null");
    return false;
}

} // namespace

void Transform::init() {
    fMatrix = gIdentity;
    fMotion.clear();
    fRecording.clear();
    fOrientation = QEL_ORIENT_LH;
    changed();
}

bool Transform::allowed() const {
    return gState->verifyEveryStep(kBlockAllButObject, kErrNotAttribs);
}

template <class Op> void Transform::change(Op op) {
    if (allowed()) apply(op);
}

template <class Op> void Transform::apply(Op op) {
    if (!fRecording.empty()) {
        record(op);
        return;
    }
    op(fMatrix);
    bool still = true;
    for (MotionKey& key : fMotion) {
        op(key.matrix);
        still = still && key.matrix == fMatrix;
    }
    if (still) fMotion.clear();
    changed();
}

template <class Op> void Transform::record(Op op) {
    Recording& block = fRecording.front();
    const size_t step = block.matrices.size();
    if (step >= block.times.size()) {
        error(kErrConsistency, kError, "more transforms than the %zu times of the motion block",
              block.times.size());
        return;
    }
    // A transform that moved already moves on from its own matrix at this time.
    Matrix m =
        block.baseMotion.size() == block.times.size() ? block.baseMotion[step].matrix : block.base;
    op(m);
    block.matrices.push_back(m);
}

void Transform::beginMotion(const std::vector<float>& times) {
    fRecording.assign(1, Recording{times, fMatrix, fMotion, {}});
}

void Transform::endMotion() {
    if (fRecording.empty()) return;
    Recording block = std::move(fRecording.front());
    fRecording.clear();
    if (block.matrices.empty()) return;
    if (block.matrices.size() != block.times.size()) {
        error(kErrConsistency, kError,
              "a motion block of %zu times holds %zu transforms: the first is used",
              block.times.size(), block.matrices.size());
        block.times.resize(1);
        block.matrices.resize(1);
    }
    fMatrix = block.matrices.front();
    fMotion.clear();
    bool still = true;
    for (const Matrix& m : block.matrices)
        still = still && m == fMatrix;
    if (!still)
        for (size_t k = 0; k < block.times.size(); ++k)
            fMotion.push_back({block.times[k], block.matrices[k]});
    changed();
}

short Transform::handedness() const {
    return determinant(fMatrix) < 0.0f ? QEL_ORIENT_RH : QEL_ORIENT_LH;
}

void Transform::resetToIdentity() {
    fMatrix = gIdentity;
    fMotion.clear();
    changed();
}

void Transform::setMatrix(const Matrix& m) {
    fMatrix = m;
    fMotion.clear();
    changed();
}

void Transform::placeBefore(const Matrix& local) {
    fMatrix = local * fMatrix;
    for (MotionKey& key : fMotion)
        key.matrix = local * key.matrix;
    changed();
}

void Transform::loadIdentity() {
    change([](Matrix& m) { m = gIdentity; });
}

void Transform::loadMatrix(const float m[4][4]) {
    if (!allowed() || !validMatrix(m)) return;
    const Matrix loaded(m);
    apply([&](Matrix& target) { target = loaded; });
}

void Transform::multMatrix(const float m[4][4]) {
    if (!allowed() || !validMatrix(m)) return;
    const Matrix factor(m);
    apply([&](Matrix& target) { target = factor * target; });
}

void Transform::perspective(float fov) {
    if (!allowed()) return;
    if (!(fov >= 1e-10f && double(fov) < 179.9999999999)) {
        error(kErrRange, kError, "fov %g out of range, using 90 degrees", fov);
        fov = 90.0f;
    }
    apply([&](Matrix& m) { m.perspective(fov); });
}

void Transform::translate(float dx, float dy, float dz) {
    change([&](Matrix& m) { m.translate(dx, dy, dz); });
}

void Transform::rotate(float angle, float dx, float dy, float dz) {
    change([&](Matrix& m) { m.rotate(angle, dx, dy, dz); });
}

void Transform::scale(float sx, float sy, float sz) {
    change([&](Matrix& m) { m.scale(sx, sy, sz); });
}

void Transform::skew(float angle, float dx1, float dy1, float dz1, float dx2, float dy2,
                     float dz2) {
    change([&](Matrix& m) { m.skew(angle, dx1, dy1, dz1, dx2, dy2, dz2); });
}

} // namespace quelmark
