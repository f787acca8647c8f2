// The texture-making requests of the scene writer: written only, the
// filter function by its name.
#include "api/qel.h"
#include "renderer/state/RequestFrame.h"
#include "writer/EnumeratorNames.h"
#include "writer/SceneWriter.h"

using namespace quelmark;

namespace {

const ParameterCounts kTextureCounts{1, 1, 1};

// "qelMakeTexture" and "qelMakeBump" have the same arguments.
void writeTexture(const char* keyword, const char* picture, const char* texture, short swrap,
                  short twrap, qelFilterFunc filter, float swidth, float twidth, long n,
                  const unsigned short* tokens, void* const* values) {
    writeLine(keyword, [&](QelLine& line) {
        line.text(picture).text(texture).enumerator(swrap).enumerator(twrap);
        line.text(filterName(filter)).number(swidth).number(twidth);
        line.parameters(n, tokens, values, kTextureCounts);
    });
}

void writeLatLong(const char* picture, const char* texture, qelFilterFunc filter, float swidth,
                  float twidth, long n, const unsigned short* tokens, void* const* values) {
    writeLine("qelMakeLatLongEnvironment", [&](QelLine& line) {
        line.text(picture).text(texture).text(filterName(filter)).number(swidth).number(twidth);
        line.parameters(n, tokens, values, kTextureCounts);
    });
}

struct CubeFaces {
    const char* px;
    const char* nx;
    const char* py;
    const char* ny;
    const char* pz;
    const char* nz;
};

void writeCubeFace(const CubeFaces& faces, const char* texture, float fov, qelFilterFunc filter,
                   float swidth, float twidth, long n, const unsigned short* tokens,
                   void* const* values) {
    writeLine("qelMakeCubeFaceEnvironment", [&](QelLine& line) {
        line.text(faces.px).text(faces.nx).text(faces.py).text(faces.ny).text(faces.pz);
        line.text(faces.nz).text(texture).number(fov);
        line.text(filterName(filter)).number(swidth).number(twidth);
        line.parameters(n, tokens, values, kTextureCounts);
    });
}

void writeShadow(const char* picture, const char* texture, long n, const unsigned short* tokens,
                 void* const* values) {
    writeLine("qelMakeShadow", [&](QelLine& line) {
        line.text(picture).text(texture).parameters(n, tokens, values, kTextureCounts);
    });
}

} // namespace

void qelMakeTextureV(const char* picture, const char* texture, short swrap, short twrap,
                     qelFilterFunc filter, float swidth, float twidth, long n,
                     const unsigned short* tokens, void* const* values) {
    RequestName frame("qelMakeTextureV");
    writeTexture("qelMakeTexture", picture, texture, swrap, twrap, filter, swidth, twidth, n,
                 tokens, values);
}

void qelMakeTexture(const char* picture, const char* texture, short swrap, short twrap,
                    qelFilterFunc filter, float swidth, float twidth, ...) {
    RequestName frame("qelMakeTexture");
    va_list args;
    va_start(args, twidth);
    VaParms parms(args);
    va_end(args);
    writeTexture("qelMakeTexture", picture, texture, swrap, twrap, filter, swidth, twidth,
                 parms.count(), parms.tokens(), parms.values());
}

void qelMakeBumpV(const char* picture, const char* texture, short swrap, short twrap,
                  qelFilterFunc filter, float swidth, float twidth, long n,
                  const unsigned short* tokens, void* const* values) {
    RequestName frame("qelMakeBumpV");
    writeTexture("qelMakeBump", picture, texture, swrap, twrap, filter, swidth, twidth, n, tokens,
                 values);
}

void qelMakeBump(const char* picture, const char* texture, short swrap, short twrap,
                 qelFilterFunc filter, float swidth, float twidth, ...) {
    RequestName frame("qelMakeBump");
    va_list args;
    va_start(args, twidth);
    VaParms parms(args);
    va_end(args);
    writeTexture("qelMakeBump", picture, texture, swrap, twrap, filter, swidth, twidth,
                 parms.count(), parms.tokens(), parms.values());
}

void qelMakeLatLongEnvironmentV(const char* picture, const char* texture, qelFilterFunc filter,
                                float swidth, float twidth, long n, const unsigned short* tokens,
                                void* const* values) {
    RequestName frame("qelMakeLatLongEnvironmentV");
    writeLatLong(picture, texture, filter, swidth, twidth, n, tokens, values);
}

void qelMakeLatLongEnvironment(const char* picture, const char* texture, qelFilterFunc filter,
                               float swidth, float twidth, ...) {
    RequestName frame("qelMakeLatLongEnvironment");
    va_list args;
    va_start(args, twidth);
    VaParms parms(args);
    va_end(args);
    writeLatLong(picture, texture, filter, swidth, twidth, parms.count(), parms.tokens(),
                 parms.values());
}

void qelMakeCubeFaceEnvironmentV(const char* px, const char* nx, const char* py, const char* ny,
                                 const char* pz, const char* nz, const char* texture, float fov,
                                 qelFilterFunc filter, float swidth, float twidth, long n,
                                 const unsigned short* tokens, void* const* values) {
    RequestName frame("qelMakeCubeFaceEnvironmentV");
    writeCubeFace({px, nx, py, ny, pz, nz}, texture, fov, filter, swidth, twidth, n, tokens,
                  values);
}

void qelMakeCubeFaceEnvironment(const char* px, const char* nx, const char* py, const char* ny,
                                const char* pz, const char* nz, const char* texture, float fov,
                                qelFilterFunc filter, float swidth, float twidth, ...) {
    RequestName frame("qelMakeCubeFaceEnvironment");
    va_list args;
    va_start(args, twidth);
    VaParms parms(args);
    va_end(args);
    writeCubeFace({px, nx, py, ny, pz, nz}, texture, fov, filter, swidth, twidth, parms.count(),
                  parms.tokens(), parms.values());
}

void qelMakeShadowV(const char* picture, const char* texture, long n,
                    const unsigned short* tokens, void* const* values) {
    RequestName frame("qelMakeShadowV");
    writeShadow(picture, texture, n, tokens, values);
}

void qelMakeShadow(const char* picture, const char* texture, ...) {
    RequestName frame("qelMakeShadow");
    va_list args;
    va_start(args, texture);
    VaParms parms(args);
    va_end(args);
    writeShadow(picture, texture, parms.count(), parms.tokens(), parms.values());
}
