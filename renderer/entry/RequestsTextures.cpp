// The requests that make texture maps of pictures.
#include "api/qel.h"
#include "common/Error.h"
#include "renderer/scene/Scene.h"
#include "renderer/state/RequestFrame.h"
#include "renderer/texture/TextureMaking.h"

#include <string>

using namespace quelmark;

namespace {

const char* wrapName(short wrap) {
    return wrap == QEL_WRAP ? "periodic" : "black";
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

bool knownWrap(short wrap) {
    return wrap == QEL_WRAP || wrap == QEL_NOWRAP;
}

void makeTexture(const char* picture, const char* texture, short swrap, short twrap,
                 qelFilterFunc filter) {
    if (!picture || !*picture || !texture || !*texture) {
        error(kErrMissingData, kError, "a texture map needs a picture and a file to make");
        return;
    }
    if (!knownWrap(swrap) || !knownWrap(twrap)) {
        error(kErrBadEnum, kError, "unknown wrap mode %d", int(knownWrap(swrap) ? twrap : swrap));
        return;
    }
    const TextureMaking making{.picture = picture,
                               .texture = texture,
                               .swrap = wrapName(swrap),
                               .twrap = wrapName(twrap),
                               .filter = filterName(filter)};
    std::string why;
    if (!gScene->makeTexture(making, why))
        error(kErrRange, kError, "\"%s\" is not made: %s", texture, why.c_str());
}

} // namespace

void qelMakeTextureV(const char* picture, const char* texture, short swrap, short twrap,
                     qelFilterFunc filter, float, float, long, const unsigned short*,
                     void* const*) {
    RequestName frame("qelMakeTextureV");
    makeTexture(picture, texture, swrap, twrap, filter);
}

void qelMakeTexture(const char* picture, const char* texture, short swrap, short twrap,
                    qelFilterFunc filter, float, float, ...) {
    RequestName frame("qelMakeTexture");
    makeTexture(picture, texture, swrap, twrap, filter);
}
