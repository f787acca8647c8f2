// The requests that make texture, bump, environment and shadow maps of
// pictures.
#include "api/qel.h"
#include "common/Error.h"
#include "renderer/scene/Scene.h"
#include "renderer/state/RequestFrame.h"
#include "renderer/texture/TextureMaking.h"

#include <array>
#include <string>

using namespace quelmark;

namespace {

const char* wrapName(short wrap) {
    return wrap == QEL_WRAP ? "periodic" : wrap == QEL_CLAMP ? "clamp" : "black";
}

// The filter the map's levels are made with, by the request's function.
const char* filterName(qelFilterFunc filter) {
    if (filter == qelGaussianFilter || filter == qelNarrowGaussianFilter) return "gaussian";
    if (filter == qelTriangleFilter) return "triangle";
    if (filter == qelCatmullRomFilter) return "catmull-rom";
    if (filter == qelSincFilter) return "sinc";
    if (filter == qelMitchellFilter) return "mitchell";
    return "box";
}

constexpr float kStraightAngle = 180;

bool knownWrap(short wrap) {
    return wrap == QEL_WRAP || wrap == QEL_NOWRAP || wrap == QEL_CLAMP;
}

bool named(const char* file) {
    return file && *file;
}

void make(const TextureMaking& making) {
    std::string why;
    if (!gScene->makeTexture(making, why))
        error(kErrRange, kError, "\"%s\" is not made: %s", making.texture, why.c_str());
}

// A texture or bump map: a picture with wrap modes.
void makeWrapped(MapKind kind, const char* picture, const char* texture, short swrap, short twrap,
                 qelFilterFunc filter) {
    if (!named(picture) || !named(texture)) {
        error(kErrMissingData, kError, "a map needs a picture and a file to make");
        return;
    }
    if (!knownWrap(swrap) || !knownWrap(twrap)) {
        error(kErrBadEnum, kError, "unknown wrap mode %d", int(knownWrap(swrap) ? twrap : swrap));
        return;
    }
    make({.kind = kind,
          .picture = picture,
          .texture = texture,
          .swrap = wrapName(swrap),
          .twrap = wrapName(twrap),
          .filter = filterName(filter)});
}

void makeLatLong(const char* picture, const char* texture, qelFilterFunc filter) {
    if (!named(picture) || !named(texture)) {
        error(kErrMissingData, kError, "an environment map needs a picture and a file to make");
        return;
    }
    make({.kind = MapKind::kLatLongEnvironment,
          .picture = picture,
          .texture = texture,
          .filter = filterName(filter)});
}

void makeCubeFaces(const std::array<const char*, kCubeFaces>& faces, const char* texture,
                   float fieldOfView, qelFilterFunc filter) {
    for (const char* face : faces)
        if (!named(face) || !named(texture)) {
            error(kErrMissingData, kError,
                  "a cube-face environment map needs six pictures and a file to make");
            return;
        }
    if (!(fieldOfView > 0 && fieldOfView < kStraightAngle)) {
        error(kErrRange, kError, "a field of view of %g degrees: it must be between 0 and 180",
              double(fieldOfView));
        return;
    }
    make({.kind = MapKind::kCubeFaceEnvironment,
          .picture = faces[0],
          .texture = texture,
          .faces = faces.data(),
          .fieldOfView = fieldOfView,
          .filter = filterName(filter)});
}

void makeShadow(const char* picture, const char* texture) {
    if (!named(picture) || !named(texture)) {
        error(kErrMissingData, kError, "a shadow map needs a depth picture and a file to make");
        return;
    }
    make({.kind = MapKind::kShadow, .picture = picture, .texture = texture});
}

} // namespace

void qelMakeTextureV(const char* picture, const char* texture, short swrap, short twrap,
                     qelFilterFunc filter, float, float, long, const unsigned short*,
                     void* const*) {
    RequestName frame("qelMakeTextureV");
    makeWrapped(MapKind::kTexture, picture, texture, swrap, twrap, filter);
}

void qelMakeTexture(const char* picture, const char* texture, short swrap, short twrap,
                    qelFilterFunc filter, float, float, ...) {
    RequestName frame("qelMakeTexture");
    makeWrapped(MapKind::kTexture, picture, texture, swrap, twrap, filter);
}

void qelMakeBumpV(const char* picture, const char* texture, short swrap, short twrap,
                  qelFilterFunc filter, float, float, long, const unsigned short*, void* const*) {
    RequestName frame("qelMakeBumpV");
    makeWrapped(MapKind::kBump, picture, texture, swrap, twrap, filter);
}

void qelMakeBump(const char* picture, const char* texture, short swrap, short twrap,
                 qelFilterFunc filter, float, float, ...) {
    RequestName frame("qelMakeBump");
    makeWrapped(MapKind::kBump, picture, texture, swrap, twrap, filter);
}

void qelMakeLatLongEnvironmentV(const char* picture, const char* texture, qelFilterFunc filter,
                                float, float, long, const unsigned short*, void* const*) {
    RequestName frame("qelMakeLatLongEnvironmentV");
    makeLatLong(picture, texture, filter);
}

void qelMakeLatLongEnvironment(const char* picture, const char* texture, qelFilterFunc filter,
                               float, float, ...) {
    RequestName frame("qelMakeLatLongEnvironment");
    makeLatLong(picture, texture, filter);
}

void qelMakeCubeFaceEnvironmentV(const char* px, const char* nx, const char* py, const char* ny,
                                 const char* pz, const char* nz, const char* texture,
                                 float fieldOfView, qelFilterFunc filter, float, float, long,
                                 const unsigned short*, void* const*) {
    RequestName frame("qelMakeCubeFaceEnvironmentV");
    makeCubeFaces({px, nx, py, ny, pz, nz}, texture, fieldOfView, filter);
}

void qelMakeCubeFaceEnvironment(const char* px, const char* nx, const char* py, const char* ny,
                                const char* pz, const char* nz, const char* texture,
                                float fieldOfView, qelFilterFunc filter, float, float, ...) {
    RequestName frame("qelMakeCubeFaceEnvironment");
    makeCubeFaces({px, nx, py, ny, pz, nz}, texture, fieldOfView, filter);
}

void qelMakeShadowV(const char* picture, const char* texture, long, const unsigned short*,
                    void* const*) {
    RequestName frame("qelMakeShadowV");
    makeShadow(picture, texture);
}

void qelMakeShadow(const char* picture, const char* texture, ...) {
    RequestName frame("qelMakeShadow");
    makeShadow(picture, texture);
}
