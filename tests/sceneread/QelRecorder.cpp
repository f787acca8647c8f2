#include "QelRecorder.h"

#include "api/qel.h"
#include "common/Basis.h"
#include "common/Quark.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <initializer_list>
#include <string>

using namespace quelmark;

namespace {

std::vector<std::string> gCalls;
int gBucketsPerScene = 2;
int gBucketsLeft = 0;
long gNextHandle = 1;
long gColorSamples = 3; // as the last colour space request set it
long gUStep = 3, gVStep = 3; // as the last basis requests set them

long standardStep(short basis) {
    switch (basis) {
    case QEL_BASIS_BSPLINE:
    case QEL_BASIS_CATMULLROM: return 1;
    case QEL_BASIS_HERMITE: return 2;
    case QEL_BASIS_POWER: return 4;
    default: return 3;
    }
}

void setSteps(short application, long step) {
    if (application != QEL_VBASIS) gUStep = step;
    if (application != QEL_UBASIS) gVStep = step;
}

// Varying values along one direction of a patch mesh.
long varyingAlong(short type, long n, short wrap, long step) {
    long patches = type == QEL_PATCH_BICUBIC
                       ? (wrap == QEL_WRAP ? n / step : (n < 4 ? 0 : (n - 4) / step + 1))
                       : (wrap == QEL_WRAP ? n : std::max(n - 1, 0L));
    return wrap == QEL_WRAP ? patches : patches + 1;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string floats(const float* values, long count) {
    std::string text = "[";
    for (long k = 0; k < count; ++k) text += (k ? " " : "") + number(values[k]);
    return text + "]";
}

std::string longs(const long* values, long count) {
    std::string text = "[";
    for (long k = 0; k < count; ++k) text += (k ? " " : "") + std::to_string(values[k]);
    return text + "]";
}

// Parameter values are shown as far as the declared type says; the item
// count is not passed, so one item is shown for every class but vary and
// vertex, whose values are shown up to the count the caller gives.
std::string parameters(long n, const unsigned short* tokens, void* const* values, long varying,
                       long vertex) {
    std::string text;
    for (long k = 0; k < n; ++k) {
        unsigned short quark = tokens[k];
        text += std::string(" ") + getString(quark) + "=";
        short type = getType(quark);
        long count = getClass(quark) == QEL_CLASS_VARY     ? varying
                     : getClass(quark) == QEL_CLASS_VERTEX ? vertex
                                                           : 1;
        if (getClass(quark) == QEL_CLASS_CONST) count = 1;
        int width = type == QEL_TYPE_PAIR ? 2 : type == QEL_TYPE_POINT ? 3
                  : type == QEL_TYPE_POINTW ? 4 : type == QEL_TYPE_COLOR ? int(gColorSamples) : 1;
        if (type == QEL_TYPE_STRING)
            text += std::string("\"") + *static_cast<const char* const*>(values[k]) + "\"";
        else if (type == QEL_TYPE_INTEGER)
            text += longs(static_cast<const long*>(values[k]), count);
        else
            text += floats(static_cast<const float*>(values[k]), count * width);
    }
    return text;
}

std::string parameters(long n, const unsigned short* tokens, void* const* values, long items) {
    return parameters(n, tokens, values, items, items);
}

std::string floats(std::initializer_list<float> values) {
    return floats(values.begin(), long(values.size()));
}

std::string longs(std::initializer_list<long> values) {
    return longs(values.begin(), long(values.size()));
}

void record(const std::string& line) { gCalls.push_back(line); }

// The name of a quark, "(none)" for 0 or a number never handed out.
std::string quarkName(unsigned short quark) {
    const char* name = getString(quark);
    return name ? name : "(none)";
}

std::string text(const char* name) { return name ? name : "(null)"; }

const char* filterName(qelFilterFunc filter) {
    if (filter == qelGaussianFilter) return "gaussian";
    if (filter == qelBoxFilter) return "box";
    if (filter == qelTriangleFilter) return "triangle";
    if (filter == qelCatmullRomFilter) return "catmull-rom";
    if (filter == qelSincFilter) return "sinc";
    return "custom";
}

long total(const long* counts, long n) {
    long sum = 0;
    for (long k = 0; k < n; ++k) sum += counts[k];
    return sum;
}

const void* nextHandle() { return reinterpret_cast<const void*>(gNextHandle++); }

std::string handleText(const void* handle) {
    return std::to_string(reinterpret_cast<long>(handle));
}

} // namespace

namespace recorder {

std::vector<std::string>& calls() { return gCalls; }

void reset(int bucketsPerScene) {
    gCalls.clear();
    gBucketsPerScene = bucketsPerScene;
    gBucketsLeft = 0;
    gNextHandle = 1;
    gColorSamples = 3;
    gUStep = gVStep = 3;
    initQuark();
}

} // namespace recorder

void qelReset() {
    initQuark();
    record("qelReset");
}
void qelRenderInit() {
    record("qelRenderInit");
    gBucketsLeft = gBucketsPerScene;
}
int qelRenderBucket() {
    record("qelRenderBucket");
    return gBucketsLeft-- > 0 ? 1 : 0;
}
int qelProgress() { return 100 * (gBucketsPerScene - gBucketsLeft) / std::max(gBucketsPerScene, 1); }
void qelErrorPrinter(qelErrorPrinterFunc) {}
void qelBoundDisplacement(float distance) { record("qelBoundDisplacement " + number(distance)); }

void qelMotionBegin(long n, ...) {
    record("qelMotionBegin " + std::to_string(n));
}
void qelMotionBeginV(long n, const float* times) {
    record("qelMotionBeginV " + std::to_string(n) + " " + floats(times, n));
}
void qelMotionEnd() {
    record("qelMotionEnd");
}

extern "C" {

unsigned short qelQuark(const char* name) {
    record(std::string("qelQuark ") + name);
    initQuark();
    return declare(name, QEL_CLASS_NO, QEL_TYPE_NO);
}
void qelFrameBegin() { record("qelFrameBegin"); }
void qelFrameEnd() { record("qelFrameEnd"); }
void qelSceneBegin() { record("qelSceneBegin"); }
void qelSceneEnd() { record("qelSceneEnd"); }
void qelRasterViewport(long a, long b, long c, long d) {
    record("qelRasterViewport " + longs({a, b, c, d}));
}
void qelRasterAspect(float a) { record("qelRasterAspect " + number(a)); }
void qelImageWindow(float a, float b, float c, float d) {
    record("qelImageWindow " + floats({a, b, c, d}));
}
void qelImageAspect(float a) { record("qelImageAspect " + number(a)); }
void qelImageCrop(float a, float b, float c, float d) {
    record("qelImageCrop " + floats({a, b, c, d}));
}
void qelViewOrthographic() { record("qelViewOrthographic"); }
void qelViewPerspective(float fov) { record("qelViewPerspective " + number(fov)); }
void qelViewIdentity() { record("qelViewIdentity"); }
void qelClip(float a, float b) { record("qelClip " + floats({a, b})); }
void qelSampleAdaptive(float v) { record("qelSampleAdaptive " + number(v)); }
void qelSampleUniform(float a, float b) { record("qelSampleUniform " + floats({a, b})); }
void qelSampleJitter(float v) { record("qelSampleJitter " + number(v)); }
void qelFilter(short f) { record("qelFilter " + std::to_string(f)); }
void qelFilterWidth(float a, float b) { record("qelFilterWidth " + floats({a, b})); }
void qelColorGain(float v) { record("qelColorGain " + number(v)); }
void qelColorGamma(float v) { record("qelColorGamma " + number(v)); }
void qelColorQuantize(long a, long b, long c) {
    record("qelColorQuantize " + longs({a, b, c}));
}
void qelColorJitter(float v) { record("qelColorJitter " + number(v)); }
void qelDepthQuantize(long a, long b, long c) {
    record("qelDepthQuantize " + longs({a, b, c}));
}
void qelDepthJitter(float v) { record("qelDepthJitter " + number(v)); }
void qelOutputDisplay(const char* name) {
    record(std::string("qelOutputDisplay ") + (name ? name : "(null)"));
}
void qelOutputFile(short format, const char* name) {
    record("qelOutputFile " + std::to_string(format) + " " + (name ? name : "(null)"));
}
void qelOutputSamples(short s) { record("qelOutputSamples " + std::to_string(s)); }
void qelOutputImage(short format, const char* name, const char* mode, long n,
                    const float* quantization) {
    record("qelOutputImage " + std::to_string(format) + " " + (name ? name : "(null)") + " " +
           (mode ? mode : "(null)") + " " + floats(quantization, n));
}
void qelHider(short h) { record("qelHider " + std::to_string(h)); }
void qelColorSpace(long n, const float* a, const float* b) {
    gColorSamples = n;
    record("qelColorSpace " + std::to_string(n) + " " + floats(a, 3 * n) + " " + floats(b, 3 * n));
}
void qelTune(long a, long b, long c) { record("qelTune " + longs({a, b, c})); }
void qelShaderPath(const char* places) {
    record(std::string("qelShaderPath ") + (places ? places : "(null)"));
}
void qelTexturePath(const char* places) {
    record(std::string("qelTexturePath ") + (places ? places : "(null)"));
}
void qelTextureMemory(float megabytes) {
    record("qelTextureMemory " + number(megabytes));
}
void qelAttributePush() { record("qelAttributePush"); }
void qelAttributePop() { record("qelAttributePop"); }
void qelColor(const float* c) { record("qelColor " + floats(c, gColorSamples)); }
void qelOpacity(const float* c) { record("qelOpacity " + floats(c, gColorSamples)); }
const void* qelLightSourceV(unsigned short shader, long n, const unsigned short* t,
                            void* const* v) {
    const void* handle = nextHandle();
    record(std::string("qelLightSourceV ") + quarkName(shader) + parameters(n, t, v, 1) + " -> " +
           handleText(handle));
    return handle;
}
void qelLightSwitch(const void* light, short on) {
    record("qelLightSwitch " + handleText(light) + " " + std::to_string(on));
}
void qelSurfaceV(unsigned short shader, long n, const unsigned short* t, void* const* v) {
    record(std::string("qelSurfaceV ") + quarkName(shader) + parameters(n, t, v, 1));
}
void qelAtmosphereV(unsigned short shader, long n, const unsigned short* t, void* const* v) {
    record(std::string("qelAtmosphereV ") + quarkName(shader) + parameters(n, t, v, 1));
}
void qelShadingRate(float r) { record("qelShadingRate " + number(r)); }
void qelShadingModel(short m) { record("qelShadingModel " + std::to_string(m)); }
void qelMatteObject(short on) { record("qelMatteObject " + std::to_string(on)); }
void qelBound(const float* b) { record("qelBound " + floats(b, 6)); }
void qelFlatness(float f) { record("qelFlatness " + number(f)); }
void qelOrientation(short o) { record("qelOrientation " + std::to_string(o)); }
void qelBackface(short on) { record("qelBackface " + std::to_string(on)); }
void qelObjectName(const char* name) {
    record(std::string("qelObjectName ") + (name ? name : "(null)"));
}
void qelGroupName(const char* name) {
    record(std::string("qelGroupName ") + (name ? name : "(null)"));
}
void qelBasis(short a, short b) {
    setSteps(a, standardStep(b));
    record("qelBasis " + std::to_string(a) + " " + std::to_string(b));
}
void qelCustomBasis(short a, const float m[4][4], long step) {
    if (validBasisStep(step)) setSteps(a, step); // the renderer refuses other steps
    record("qelCustomBasis " + std::to_string(a) + " " + floats(&m[0][0], 16) + " " +
           std::to_string(step));
}
void qelLoadIdentity() { record("qelLoadIdentity"); }
void qelLoadMatrix(const float m[4][4]) { record("qelLoadMatrix " + floats(&m[0][0], 16)); }
void qelMultMatrix(const float m[4][4]) { record("qelMultMatrix " + floats(&m[0][0], 16)); }
void qelPerspective(float fov) { record("qelPerspective " + number(fov)); }
void qelTranslate(float x, float y, float z) {
    record("qelTranslate " + floats({x, y, z}));
}
void qelRotate(float a, float x, float y, float z) {
    record("qelRotate " + floats({a, x, y, z}));
}
void qelScale(float x, float y, float z) { record("qelScale " + floats({x, y, z})); }
void qelSkew(float a, float b, float c, float d, float e, float f, float g) {
    record("qelSkew " + floats({a, b, c, d, e, f, g}));
}
void qelMarkSpace(unsigned short name) { record(std::string("qelMarkSpace ") + quarkName(name)); }
void qelMatrixPush() { record("qelMatrixPush"); }
void qelMatrixPop() { record("qelMatrixPop"); }
void qelPolygonV(long nv, long n, const unsigned short* t, void* const* v) {
    record("qelPolygonV " + std::to_string(nv) + parameters(n, t, v, nv));
}
void qelGeneralPolygonV(long nloops, const long* nvertices, long n, const unsigned short* t,
                        void* const* v) {
    long total = 0;
    for (long k = 0; k < nloops; ++k) total += nvertices[k];
    record("qelGeneralPolygonV " + std::to_string(nloops) + " " + longs(nvertices, nloops) +
           parameters(n, t, v, total));
}
void qelPolygonMeshV(long npolys, const long* nvertices, const long* vertices, long n,
                     const unsigned short* t, void* const* v) {
    long total = 0, largest = -1;
    for (long k = 0; k < npolys; ++k) total += nvertices[k];
    for (long k = 0; k < total; ++k) largest = std::max(largest, vertices[k]);
    record("qelPolygonMeshV " + std::to_string(npolys) + " " + longs(nvertices, npolys) + " " +
           longs(vertices, total) + parameters(n, t, v, largest + 1));
}
void qelGeneralPolygonMeshV(long npolys, const long* nloops, const long* nvertices,
                            const long* vertices, long n, const unsigned short* t,
                            void* const* v) {
    long loops = 0, total = 0, largest = -1;
    for (long k = 0; k < npolys; ++k) loops += nloops[k];
    for (long k = 0; k < loops; ++k) total += nvertices[k];
    for (long k = 0; k < total; ++k) largest = std::max(largest, vertices[k]);
    record("qelGeneralPolygonMeshV " + std::to_string(npolys) + " " + longs(nloops, npolys) + " " +
           longs(nvertices, loops) + " " + longs(vertices, total) +
           parameters(n, t, v, largest + 1));
}
void qelPatchV(short type, long n, const unsigned short* t, void* const* v) {
    record("qelPatchV " + std::to_string(type) +
           parameters(n, t, v, 4, type == QEL_PATCH_BICUBIC ? 16 : 4)); // corners vary
}
void qelPatchMeshV(short type, long nu, short uwrap, long nv, short vwrap, long n,
                   const unsigned short* t, void* const* v) {
    record("qelPatchMeshV " + std::to_string(type) + " " + std::to_string(nu) + " " +
           std::to_string(uwrap) + " " + std::to_string(nv) + " " + std::to_string(vwrap) +
           parameters(n, t, v,
                      varyingAlong(type, nu, uwrap, gUStep) * varyingAlong(type, nv, vwrap, gVStep),
                      nu * nv));
}
void qelNurbV(long uorder, const float* uknot, float umin, float umax, long vorder,
              const float* vknot, float vmin, float vmax, long n, const unsigned short* t,
              void* const* v) {
    record("qelNurbV " + std::to_string(uorder) + " " + floats(uknot, 2 * uorder) + " " +
           number(umin) + " " + number(umax) + " " + std::to_string(vorder) + " " +
           floats(vknot, 2 * vorder) + " " + number(vmin) + " " + number(vmax) +
           parameters(n, t, v, uorder * vorder));
}
void qelNurbMeshV(long nu, long uorder, const float* uknot, float umin, float umax, long nv,
                  long vorder, const float* vknot, float vmin, float vmax, long n,
                  const unsigned short* t, void* const* v) {
    record("qelNurbMeshV " + std::to_string(nu) + " " + std::to_string(uorder) + " " +
           floats(uknot, nu + uorder) + " " + number(umin) + " " + number(umax) + " " +
           std::to_string(nv) + " " + std::to_string(vorder) + " " + floats(vknot, nv + vorder) +
           " " + number(vmin) + " " + number(vmax) + parameters(n, t, v, nu * nv));
}
void qelSphereV(float a, float b, float c, float d, long n, const unsigned short* t,
                void* const* v) {
    record("qelSphereV " + floats({a, b, c, d}) + parameters(n, t, v, 4));
}
void qelConeV(float a, float b, float c, float d, long n, const unsigned short* t,
              void* const* v) {
    record("qelConeV " + floats({a, b, c, d}) + parameters(n, t, v, 4));
}
void qelCylinderV(float a, float b, float c, float d, long n, const unsigned short* t,
                  void* const* v) {
    record("qelCylinderV " + floats({a, b, c, d}) + parameters(n, t, v, 4));
}
void qelHyperboloidV(const float* p1, const float* p2, float sweep, long n,
                     const unsigned short* t, void* const* v) {
    record("qelHyperboloidV " + floats(p1, 3) + " " + floats(p2, 3) + " " + number(sweep) +
           parameters(n, t, v, 4));
}
void qelParaboloidV(float a, float b, float c, float d, long n, const unsigned short* t,
                    void* const* v) {
    record("qelParaboloidV " + floats({a, b, c, d}) + parameters(n, t, v, 4));
}
void qelDiskV(float a, float b, float c, long n, const unsigned short* t, void* const* v) {
    record("qelDiskV " + floats({a, b, c}) + parameters(n, t, v, 4));
}
void qelTorusV(float a, float b, float c, float d, float e, long n, const unsigned short* t,
               void* const* v) {
    record("qelTorusV " + floats({a, b, c, d, e}) + parameters(n, t, v, 4));
}
const void* qelObjectBegin() {
    const void* handle = nextHandle();
    record("qelObjectBegin -> " + handleText(handle));
    return handle;
}
void qelObjectEnd() { record("qelObjectEnd"); }
void qelObjectCall(const void* object) { record("qelObjectCall " + handleText(object)); }
void qelErrorHandler(short mask, short handler) {
    record("qelErrorHandler " + std::to_string(mask) + " " + std::to_string(handler));
}

// The requests of the scene-writer library only.
unsigned short qelVariable(const char* name, short parameterClass, short type) {
    record(std::string("qelVariable ") + name + " " + std::to_string(parameterClass) + " " +
           std::to_string(type));
    initQuark();
    return declare(name, parameterClass, type);
}
void qelDepthOfField(float a, float b, float c) { record("qelDepthOfField " + floats({a, b, c})); }
void qelShutter(float a, float b) { record("qelShutter " + floats({a, b})); }
void qelImagerV(const char* name, long n, const unsigned short* t, void* const* v) {
    record("qelImagerV " + text(name) + parameters(n, t, v, 1));
}
void qelRelativeDetail(float d) { record("qelRelativeDetail " + number(d)); }
void qelTextureCoordinates(float a, float b, float c, float d, float e, float f, float g,
                           float h) {
    record("qelTextureCoordinates " + floats({a, b, c, d, e, f, g, h}));
}
const void* qelAreaLightSourceV(unsigned short shader, long n, const unsigned short* t,
                                void* const* v) {
    const void* handle = nextHandle();
    record("qelAreaLightSourceV " + quarkName(shader) + parameters(n, t, v, 1) + " -> " +
           handleText(handle));
    return handle;
}
void qelInteriorV(unsigned short shader, long n, const unsigned short* t, void* const* v) {
    record("qelInteriorV " + quarkName(shader) + parameters(n, t, v, 1));
}
void qelExteriorV(unsigned short shader, long n, const unsigned short* t, void* const* v) {
    record("qelExteriorV " + quarkName(shader) + parameters(n, t, v, 1));
}
void qelDetail(const float* b) { record("qelDetail " + floats(b, 6)); }
void qelDetailRange(float a, float b, float c, float d) {
    record("qelDetailRange " + floats({a, b, c, d}));
}
void qelDeformationV(unsigned short shader, long n, const unsigned short* t, void* const* v) {
    record("qelDeformationV " + quarkName(shader) + parameters(n, t, v, 1));
}
void qelDisplacementV(unsigned short shader, long n, const unsigned short* t, void* const* v) {
    record("qelDisplacementV " + quarkName(shader) + parameters(n, t, v, 1));
}
void qelSolidBegin(short operation) { record("qelSolidBegin " + std::to_string(operation)); }
void qelSolidEnd() { record("qelSolidEnd"); }
void qelTrimCurve(long nloops, const long* ncurves, const long* order, const float* knot,
                  const float* min, const float* max, const long* n, const float* u,
                  const float* v, const float* w) {
    long curves = total(ncurves, nloops);
    long points = total(n, curves);
    record("qelTrimCurve " + std::to_string(nloops) + " " + longs(ncurves, nloops) + " " +
           longs(order, curves) + " " + floats(knot, points + total(order, curves)) + " " +
           floats(min, curves) + " " + floats(max, curves) + " " + longs(n, curves) + " " +
           floats(u, points) + " " + floats(v, points) + " " + floats(w, points));
}
void qelMakeTextureV(const char* picture, const char* texture, short swrap, short twrap,
                     qelFilterFunc filter, float swidth, float twidth, long n,
                     const unsigned short* t, void* const* v) {
    record("qelMakeTextureV " + text(picture) + " " + text(texture) + " " +
           std::to_string(swrap) + " " + std::to_string(twrap) + " " + filterName(filter) + " " +
           floats({swidth, twidth}) + parameters(n, t, v, 1));
}
void qelMakeBumpV(const char* picture, const char* texture, short swrap, short twrap,
                  qelFilterFunc filter, float swidth, float twidth, long n,
                  const unsigned short* t, void* const* v) {
    record("qelMakeBumpV " + text(picture) + " " + text(texture) + " " + std::to_string(swrap) +
           " " + std::to_string(twrap) + " " + filterName(filter) + " " +
           floats({swidth, twidth}) + parameters(n, t, v, 1));
}
void qelMakeLatLongEnvironmentV(const char* picture, const char* texture, qelFilterFunc filter,
                                float swidth, float twidth, long n, const unsigned short* t,
                                void* const* v) {
    record("qelMakeLatLongEnvironmentV " + text(picture) + " " + text(texture) + " " +
           filterName(filter) + " " + floats({swidth, twidth}) + parameters(n, t, v, 1));
}
void qelMakeCubeFaceEnvironmentV(const char* px, const char* nx, const char* py, const char* ny,
                                 const char* pz, const char* nz, const char* texture, float fov,
                                 qelFilterFunc filter, float swidth, float twidth, long n,
                                 const unsigned short* t, void* const* v) {
    record("qelMakeCubeFaceEnvironmentV " + text(px) + " " + text(nx) + " " + text(py) + " " +
           text(ny) + " " + text(pz) + " " + text(nz) + " " + text(texture) + " " + number(fov) +
           " " + filterName(filter) + " " + floats({swidth, twidth}) + parameters(n, t, v, 1));
}
void qelMakeShadowV(const char* picture, const char* texture, long n, const unsigned short* t,
                    void* const* v) {
    record("qelMakeShadowV " + text(picture) + " " + text(texture) + parameters(n, t, v, 1));
}
void qelCustomFilter(qelFilterFunc) { record("qelCustomFilter"); }
void qelComment(const char* format, ...) {
    char line[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    record(std::string("qelComment ") + line);
}

} // extern "C"
