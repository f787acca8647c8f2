// The requests of the scene API that only the scene writer has, for the RIB
// reader when it renders. The renderer has no counterpart for them, so each
// one is skipped with a warning (once per request) at the RIB request that
// made it. A pin-hole camera, which is what the renderer has, needs none.
#include "api/qel.h"
#include "sceneread/rib/RiBinding.h"
#include "sceneread/rib/RibCodes.h"

#include <string>

namespace {

void skipped(const char* request) {
    RiBinding::current().warnOnce(std::string("renderer ") + request, RIBNoCounterpart,
                                  "the renderer has no %s; skipped", request);
}

} // namespace

// Without a typed declaration the parameter means nothing to the renderer's
// shaders; quark 0 makes the binding drop it.
unsigned short qelVariable(const char* name, short, short) {
    RiBinding::current().warnOnce(
        std::string("renderer qelVariable ") + (name ? name : ""), RIBNoCounterpart,
        "the renderer has no qelVariable; parameter \"%s\" is dropped", name ? name : "");
    return 0;
}

void qelDepthOfField(float fstop, float, float) {
    if (fstop < 1e38f) skipped("qelDepthOfField");
}

void qelShutter(float, float) {
    skipped("qelShutter");
}

void qelImagerV(const char*, long, const unsigned short*, void* const*) {
    skipped("qelImager");
}

void qelRelativeDetail(float) {
    skipped("qelRelativeDetail");
}

void qelTextureCoordinates(float, float, float, float, float, float, float, float) {
    skipped("qelTextureCoordinates");
}

const void* qelAreaLightSourceV(unsigned short, long, const unsigned short*, void* const*) {
    skipped("qelAreaLightSource");
    return nullptr;
}

void qelInteriorV(unsigned short, long, const unsigned short*, void* const*) {
    skipped("qelInterior");
}

void qelExteriorV(unsigned short, long, const unsigned short*, void* const*) {
    skipped("qelExterior");
}

void qelDetail(const float*) {
    skipped("qelDetail");
}

void qelDetailRange(float, float, float, float) {
    skipped("qelDetailRange");
}

void qelDeformationV(unsigned short, long, const unsigned short*, void* const*) {
    skipped("qelDeformation");
}

void qelDisplacementV(unsigned short, long, const unsigned short*, void* const*) {
    skipped("qelDisplacement");
}

// Every part of a solid is rendered as it stands.
void qelSolidBegin(short) {
    skipped("qelSolidBegin");
}

void qelSolidEnd() {}

void qelTrimCurve(long, const long*, const long*, const float*, const float*, const float*,
                  const long*, const float*, const float*, const float*) {
    skipped("qelTrimCurve");
}

void qelMakeTextureV(const char*, const char*, short, short, qelFilterFunc, float, float, long,
                     const unsigned short*, void* const*) {
    skipped("qelMakeTexture");
}

void qelMakeBumpV(const char*, const char*, short, short, qelFilterFunc, float, float, long,
                  const unsigned short*, void* const*) {
    skipped("qelMakeBump");
}

void qelMakeLatLongEnvironmentV(const char*, const char*, qelFilterFunc, float, float, long,
                                const unsigned short*, void* const*) {
    skipped("qelMakeLatLongEnvironment");
}

void qelMakeCubeFaceEnvironmentV(const char*, const char*, const char*, const char*, const char*,
                                 const char*, const char*, float, qelFilterFunc, float, float, long,
                                 const unsigned short*, void* const*) {
    skipped("qelMakeCubeFaceEnvironment");
}

void qelMakeShadowV(const char*, const char*, long, const unsigned short*, void* const*) {
    skipped("qelMakeShadow");
}
