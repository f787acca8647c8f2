// The requests the renderer takes without rendering all they ask for yet:
// the scene goes on, each primitive is drawn, and each kind of request that
// would change the image says so once, until the next reset.
#include "renderer/entry/RequestsInPart.h"
#include "api/qel.h"
#include "common/Error.h"
#include "common/Quark.h"
#include "renderer/state/Attrib.h"
#include "renderer/state/Option.h"
#include "renderer/state/RequestFrame.h"
#include "renderer/state/State.h"

#include <cstdarg>
#include <set>
#include <string>

using namespace quelmark;

namespace {

std::set<std::string>& toldKinds() {
    static std::set<std::string> kinds;
    return kinds;
}

// One warning for each kind of request whose effect is not rendered.
void notRendered(const char* kind, const char* what) {
    if (!toldKinds().insert(kind).second) return;
    error(kErrIncapable, kWarning, "%s; told once", what);
}

} // namespace

void quelmark::forgetRequestsInPart() {
    toldKinds().clear();
}

unsigned short qelVariable(const char* name, short parameterClass, short parameterType) {
    RequestName frame("qelVariable");
    return declare(name, parameterClass, parameterType);
}

void qelDepthOfField(float fstop, float focalLength, float focalDistance) {
    RequestName frame("qelDepthOfField");
    gOption->depthOfField(fstop, focalLength, focalDistance);
}

void qelShutter(float open, float close) {
    RequestName frame("qelShutter");
    gOption->shutter(open, close);
}

void qelRelativeDetail(float detail) {
    RequestName frame("qelRelativeDetail");
    gOption->relativeDetail(detail);
}

void qelTextureCoordinates(float s1, float t1, float s2, float t2, float s3, float t3, float s4,
                           float t4) {
    RequestName frame("qelTextureCoordinates");
    const float st[8] = {s1, t1, s2, t2, s3, t3, s4, t4};
    gAttrib->textureCoordinates(st);
}

void qelInteriorV(unsigned short, long, const unsigned short*, void* const*) {
    RequestName frame("qelInteriorV");
    notRendered("interior", "interior volume shaders are not run");
}

void qelInterior(unsigned short, ...) {
    RequestName frame("qelInterior");
    notRendered("interior", "interior volume shaders are not run");
}

void qelExteriorV(unsigned short, long, const unsigned short*, void* const*) {
    RequestName frame("qelExteriorV");
    notRendered("exterior", "exterior volume shaders are not run");
}

void qelExterior(unsigned short, ...) {
    RequestName frame("qelExterior");
    notRendered("exterior", "exterior volume shaders are not run");
}

void qelDetail(const float* bound) {
    RequestName frame("qelDetail");
    gAttrib->detail(bound);
}

void qelDetailRange(float minVisible, float lowerTransition, float upperTransition,
                    float maxVisible) {
    RequestName frame("qelDetailRange");
    gAttrib->detailRange(minVisible, lowerTransition, upperTransition, maxVisible);
}

void qelDeformationV(unsigned short, long, const unsigned short*, void* const*) {
    RequestName frame("qelDeformationV");
    notRendered("deformation", "deformation shaders are not run");
}

void qelDeformation(unsigned short, ...) {
    RequestName frame("qelDeformation");
    notRendered("deformation", "deformation shaders are not run");
}

// Files written before solid operations had names give none: "null".
void qelSolidBegin(short operation) {
    RequestName frame("qelSolidBegin");
    const bool known = operation == QEL_NULL ||
                       (operation >= QEL_SOLID_PRIMITIVE && operation <= QEL_SOLID_DIFFERENCE);
    if (!known) error(kErrBadEnum, kError, "solid operation %d unknown", int(operation));
    if (gState->solidBegin())
        notRendered("solid", "solid operations are not applied: every solid is drawn whole");
}

void qelSolidEnd() {
    RequestName frame("qelSolidEnd");
    gState->solidEnd();
}

void qelTrimCurve(long, const long*, const long*, const float*, const float*, const float*,
                  const long*, const float*, const float*, const float*) {
    RequestName frame("qelTrimCurve");
    notRendered("trim curve", "trim curves are not applied: NURBS surfaces are drawn whole");
}
