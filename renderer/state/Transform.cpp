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
    fOrientation = QEL_ORIENT_LH;
    changed();
}

bool Transform::allowed() const {
    return gState->verify(kBlockAllButObject, kErrNotAttribs);
}

short Transform::handedness() const {
    return determinant(fMatrix) < 0.0f ? QEL_ORIENT_RH : QEL_ORIENT_LH;
}

void Transform::resetToIdentity() {
    fMatrix = gIdentity;
    changed();
}

void Transform::setMatrix(const Matrix& m) {
    fMatrix = m;
    changed();
}

void Transform::loadIdentity() {
    if (!allowed()) return;
    resetToIdentity();
}

void Transform::loadMatrix(const float m[4][4]) {
    if (!allowed() || !validMatrix(m)) return;
    fMatrix = Matrix(m);
    changed();
}

void Transform::multMatrix(const float m[4][4]) {
    if (!allowed() || !validMatrix(m)) return;
    fMatrix = Matrix(m) * fMatrix;
    changed();
}

void Transform::perspective(float fov) {
    if (!allowed()) return;
    if (!(fov >= 1e-10f && double(fov) < 179.9999999999)) {
        error(kErrRange, kError, "fov %g out of range, using 90 degrees", fov);
        fov = 90.0f;
    }
    fMatrix.perspective(fov);
    changed();
}

void Transform::translate(float dx, float dy, float dz) {
    if (!allowed()) return;
    fMatrix.translate(dx, dy, dz);
    changed();
}

void Transform::rotate(float angle, float dx, float dy, float dz) {
    if (!allowed()) return;
    fMatrix.rotate(angle, dx, dy, dz);
    changed();
}

void Transform::scale(float sx, float sy, float sz) {
    if (!allowed()) return;
    fMatrix.scale(sx, sy, sz);
    changed();
}

void Transform::skew(float angle, float dx1, float dy1, float dz1, float dx2, float dy2,
                     float dz2) {
    if (!allowed()) return;
    fMatrix.skew(angle, dx1, dy1, dz1, dx2, dy2, dz2);
    changed();
}

} // namespace quelmark
