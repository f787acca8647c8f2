// The transform and coordinate-space requests of the scene writer: written,
// then applied to the state copy, which reports misuse.
#include "api/qel.h"
#include "common/Error.h"
#include "renderer/state/NamedSpaces.h"
#include "renderer/state/RequestFrame.h"
#include "renderer/state/Transform.h"
#include "writer/SceneWriter.h"

#include <initializer_list>

using namespace quelmark;

namespace {

void writeNumbers(const char* keyword, std::initializer_list<float> values) {
    writeCheckedLine(keyword, [&](QelLine& line) {
        for (float value : values) line.number(value);
    });
}

} // namespace

void qelLoadIdentity() {
    RequestName frame("qelLoadIdentity");
    writeKeyword("qelLoadIdentity");
    gTransform->loadIdentity();
}

void qelLoadMatrix(const float m[4][4]) {
    RequestName frame("qelLoadMatrix");
    writeCheckedLine("qelLoadMatrix", [&](QelLine& line) { line.matrix(m, "matrix"); });
    gTransform->loadMatrix(m);
}

// The state copy knows this request as "qelConcatMatrix".
void qelMultMatrix(const float m[4][4]) {
    RequestName frame("qelMultMatrix");
    writeCheckedLine("qelMultMatrix", [&](QelLine& line) { line.matrix(m, "matrix"); });
    setErrorFuncName("qelConcatMatrix");
    gTransform->multMatrix(m);
}

void qelPerspective(float fov) {
    RequestName frame("qelPerspective");
    writeNumbers("qelPerspective", {fov});
    gTransform->perspective(fov);
}

void qelTranslate(float dx, float dy, float dz) {
    RequestName frame("qelTranslate");
    writeNumbers("qelTranslate", {dx, dy, dz});
    gTransform->translate(dx, dy, dz);
}

void qelRotate(float angle, float dx, float dy, float dz) {
    RequestName frame("qelRotate");
    writeNumbers("qelRotate", {angle, dx, dy, dz});
    gTransform->rotate(angle, dx, dy, dz);
}

void qelScale(float sx, float sy, float sz) {
    RequestName frame("qelScale");
    writeNumbers("qelScale", {sx, sy, sz});
    gTransform->scale(sx, sy, sz);
}

void qelSkew(float angle, float dx1, float dy1, float dz1, float dx2, float dy2, float dz2) {
    RequestName frame("qelSkew");
    writeNumbers("qelSkew", {angle, dx1, dy1, dz1, dx2, dy2, dz2});
    gTransform->skew(angle, dx1, dy1, dz1, dx2, dy2, dz2);
}

void qelMarkSpace(unsigned short name) {
    RequestName frame("qelMarkSpace");
    writeCheckedLine("qelMarkSpace", [&](QelLine& line) { line.quark(name, "coordinate space"); });
    markSpace(name);
}

// Computed on the state copy; nothing is written.
float (*qelProjectPoints(unsigned short fromSpace, unsigned short toSpace, long n,
                         float points[][3]))[3] {
    RequestName frame("qelProjectPoints");
    return projectPoints(fromSpace, toSpace, n, points);
}
