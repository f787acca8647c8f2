// The transform and coordinate-space requests of the renderer library.
#include "api/qel.h"
#include "renderer/state/NamedSpaces.h"
#include "renderer/state/RequestFrame.h"
#include "renderer/state/Transform.h"

using namespace quelmark;

void qelLoadIdentity() {
    RequestName frame("qelLoadIdentity");
    gTransform->loadIdentity();
}

void qelLoadMatrix(const float m[4][4]) {
    RequestName frame("qelLoadMatrix");
    gTransform->loadMatrix(m);
}

void qelMultMatrix(const float m[4][4]) {
    RequestName frame("qelMultMatrix");
    gTransform->multMatrix(m);
}

void qelPerspective(float fov) {
    RequestName frame("qelPerspective");
    gTransform->perspective(fov);
}

void qelTranslate(float dx, float dy, float dz) {
    RequestName frame("qelTranslate");
    gTransform->translate(dx, dy, dz);
}

void qelRotate(float angle, float dx, float dy, float dz) {
    RequestName frame("qelRotate");
    gTransform->rotate(angle, dx, dy, dz);
}

void qelScale(float sx, float sy, float sz) {
    RequestName frame("qelScale");
    gTransform->scale(sx, sy, sz);
}

void qelSkew(float angle, float dx1, float dy1, float dz1, float dx2, float dy2, float dz2) {
    RequestName frame("qelSkew");
    gTransform->skew(angle, dx1, dy1, dz1, dx2, dy2, dz2);
}

void qelMarkSpace(unsigned short name) {
    RequestName frame("qelMarkSpace");
    markSpace(name);
}

float (*qelProjectPoints(unsigned short fromSpace, unsigned short toSpace, long n,
                         float points[][3]))[3] {
    RequestName frame("qelProjectPoints");
    return projectPoints(fromSpace, toSpace, n, points);
}
