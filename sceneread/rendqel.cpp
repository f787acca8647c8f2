#include "sceneread/rendqel.h"

#include "common/Quark.h"
#include "common/Basis.h"

#include <algorithm>
#include <string>
#include <vector>

namespace quelmark {

namespace {

constexpr long kBadValue = 2;
constexpr long kBadHandle = 6;
// Counts beyond this in a file can only be wrong; they are refused before
// anything is read or made for them.
constexpr long kMostItems = 1L << 31;

const unsigned short kPoint[] = {kQuarkPoint, 0};
const unsigned short kPointOrHeight[] = {kQuarkPoint, kQuarkHeight, 0};
const unsigned short kAnyPosition[] = {kQuarkPoint, kQuarkHeight, kQuarkPointw, 0};

// The sum of the counts, or -1 when one is negative or the sum too large.
long sumOf(const Array<long>& counts) {
    long sum = 0;
    for (long count : counts) {
        if (count < 0 || count > kMostItems) return -1;
        sum += count;
        if (sum > kMostItems) return -1;
    }
    return sum;
}

// One more than the largest index; negative indices are left to the renderer.
long vertexCount(const Array<long>& indices) {
    long largest = -1;
    for (long index : indices) largest = std::max(largest, index);
    return largest < kMostItems ? largest + 1 : -1;
}

long patchesAlong(bool bicubic, long n, bool periodic, long step) {
    if (!bicubic) return periodic ? n : std::max(n - 1, 0L);
    if (step < 1) return 0;
    if (periodic) return n / step;
    return n < 4 ? 0 : (n - 4) / step + 1;
}

} // namespace

rendqel::rendqel(std::istream& in, const char* fileName, String& frameName)
    : parseqel(in, fileName), fFrameName(frameName) {}

void rendqel::errorPrinter(qelErrorPrinterFunc printer) {
    parseqel::errorPrinter(printer);
    qelErrorPrinter(printer);
}

void rendqel::Reset() { qelReset(); }

int rendqel::RenderBucket() {
    if (qelRenderBucket()) return 1;
    fFrameName = "";
    qelSceneEnd();
    return 0;
}

// ---- checks shared by the handlers

bool rendqel::countInRange(long count) {
    if (count >= 0 && count <= kMostItems) return true;
    reportRequest(kBadValue, QELErrorSeverity, "count %ld out of range", count);
    panic();
    return false;
}

long rendqel::checkHandle(long handle, uint16_t& highest, const char* kind) {
    if (handle < 0 || handle > 65535) {
        report(kBadHandle, QELErrorSeverity, "%s handle %ld is not in range 0 - 65535", kind,
               handle);
        handle &= 0xFFFF;
    }
    if (handle > highest) {
        if (handle - highest > 1000)
            report(kBadHandle, QELWarning, "%s handle %ld is signficantly larger than previous %u",
                   kind, handle, unsigned(highest));
        highest = uint16_t(handle);
    }
    return handle;
}

void rendqel::storeHandle(Hash<const void*>& table, long handle, const void* rendererHandle) {
    table.insert(std::to_string(handle).c_str(), rendererHandle);
}

bool rendqel::lookUpHandle(Hash<const void*>& table, long handle, const char* kind,
                           const void*& rendererHandle) {
    const void* const* found = table.find(std::to_string(handle & 0xFFFF).c_str());
    if (found) {
        rendererHandle = *found;
        return true;
    }
    report(kBadHandle, QELWarning, "Unknown %s handle %ld", kind, handle);
    panic();
    return false;
}

void rendqel::setBasisStep(short application, long step) {
    if (application == QEL_UBASIS || application == QEL_UVBASIS) fUStep = step;
    if (application == QEL_VBASIS || application == QEL_UVBASIS) fVStep = step;
}

// ---- frames, scenes and options

void rendqel::handleQuark() {
    String name;
    if (!match(&name)) return;
    qelQuark(name.c_str());
    if (!find(name.c_str())) declare(name.c_str(), 0, 0);
}

void rendqel::handleFrameBegin() {
    openBlock(OpenBlocks::Kind::Frame);
    qelFrameBegin();
}

void rendqel::handleFrameEnd() {
    closeBlock(OpenBlocks::Kind::Frame);
    qelFrameEnd();
}

void rendqel::handleSceneBegin() {
    openBlock(OpenBlocks::Kind::Scene);
    qelSceneBegin();
}

void rendqel::handleSceneEnd() {
    closeBlock(OpenBlocks::Kind::Scene);
    if (fFrameName.empty()) fFrameName = "Untitled";
    fRendering = true;
    qelRenderInit();
}

void rendqel::handleRasterViewport() {
    long x0, x1, y0, y1;
    if (match(x0) && match(x1) && match(y0) && match(y1)) qelRasterViewport(x0, x1, y0, y1);
}

void rendqel::handleRasterAspect() {
    float aspect;
    if (match(aspect)) qelRasterAspect(aspect);
}

void rendqel::handleImageWindow() {
    float l, r, b, t;
    if (match(l) && match(r) && match(b) && match(t)) qelImageWindow(l, r, b, t);
}

void rendqel::handleImageAspect() {
    float aspect;
    if (match(aspect)) qelImageAspect(aspect);
}

void rendqel::handleImageCrop() {
    float x0, x1, y0, y1;
    if (match(x0) && match(x1) && match(y0) && match(y1)) qelImageCrop(x0, x1, y0, y1);
}

void rendqel::handleViewOrthographic() { qelViewOrthographic(); }

void rendqel::handleViewPerspective() {
    float fov;
    if (match(fov)) qelViewPerspective(fov);
}

void rendqel::handleViewIdentity() { qelViewIdentity(); }

void rendqel::handleClip() {
    float hither, yon;
    if (match(hither) && match(yon)) qelClip(hither, yon);
}

void rendqel::handleSampleAdaptive() {
    float variance;
    if (match(variance)) qelSampleAdaptive(variance);
}

void rendqel::handleSampleUniform() {
    float x, y;
    if (match(x) && match(y)) qelSampleUniform(x, y);
}

void rendqel::handleSampleJitter() {
    float jitter;
    if (match(jitter)) qelSampleJitter(jitter);
}

void rendqel::handleFilter() {
    short filter;
    if (matchenum(filter, 0x1)) qelFilter(filter);
}

void rendqel::handleFilterWidth() {
    float x, y;
    if (match(x) && match(y)) qelFilterWidth(x, y);
}

void rendqel::handleColorGain() {
    float gain;
    if (match(gain)) qelColorGain(gain);
}

void rendqel::handleColorGamma() {
    float gamma;
    if (match(gamma)) qelColorGamma(gamma);
}

void rendqel::handleColorQuantize() {
    long one, lo, hi;
    if (match(one) && match(lo) && match(hi)) qelColorQuantize(one, lo, hi);
}

void rendqel::handleColorJitter() {
    float amplitude;
    if (match(amplitude)) qelColorJitter(amplitude);
}

void rendqel::handleDepthQuantize() {
    long one, lo, hi;
    if (match(one) && match(lo) && match(hi)) qelDepthQuantize(one, lo, hi);
}

void rendqel::handleDepthJitter() {
    float amplitude;
    if (match(amplitude)) qelDepthJitter(amplitude);
}

void rendqel::handleOutputDisplay() {
    String name;
    int matched = match(&name);
    if (!matched) return;
    fFrameName = name;
    qelOutputDisplay(matched == 2 ? nullptr : name.c_str());
}

void rendqel::handleOutputFile() {
    short format;
    String name;
    if (!matchenum(format, 0x2)) return;
    int matched = match(&name);
    if (!matched) return;
    fFrameName = name;
    qelOutputFile(format, matched == 2 ? nullptr : name.c_str());
}

void rendqel::handleOutputSamples() {
    short samples;
    if (matchenum(samples, 0x3)) qelOutputSamples(samples);
}

void rendqel::handleOutputImage() {
    short format;
    String name, mode;
    long n;
    if (!matchenum(format, 0x2)) return;
    int nameMatched = match(&name);
    if (!nameMatched) return;
    int modeMatched = match(&mode);
    if (!modeMatched || !match(n)) return;
    if (n != 0 && n != 5) {
        report(kBadValue, QELErrorSeverity, "%ld quantization values, not 0 or 5", n);
        panic();
        return;
    }
    Array<float> quantization;
    if (!match(quantization, n, true)) return;
    if (nameMatched == 1 && name.c_str()[0] != '+') fFrameName = name;
    qelOutputImage(format, nameMatched == 2 ? nullptr : name.c_str(),
                   modeMatched == 2 ? nullptr : mode.c_str(), n, n ? quantization.data() : nullptr);
}

void rendqel::handleHider() {
    short hider;
    if (matchenum(hider, 0x4)) qelHider(hider);
}

void rendqel::handleColorSpace() {
    long n;
    if (!match(n)) return;
    if (n < 1 || n > 1024) {
        report(kBadValue, QELErrorSeverity, "count %ld out of range", n);
        panic();
        return;
    }
    Array<float> toRgb, fromRgb;
    if (!match(toRgb, 3 * n, true) || !match(fromRgb, 3 * n, true)) return;
    qelColorSpace(n, toRgb.data(), fromRgb.data());
    fColorSamples = int(n);
    fMostColorSamples = std::max(fMostColorSamples, fColorSamples);
}

void rendqel::handleTune() {
    long a, b, c;
    if (match(a) && match(b) && match(c)) qelTune(a, b, c);
}

// ---- attributes

void rendqel::handleAttributePush() {
    openBlock(OpenBlocks::Kind::Attribute);
    qelAttributePush();
}

void rendqel::handleAttributePop() {
    closeBlock(OpenBlocks::Kind::Attribute);
    qelAttributePop();
}

void rendqel::handleColor() {
    Array<float> color;
    if (!match(color, fColorSamples, false)) return;
    std::vector<float> padded(color.begin(), color.end());
    padded.resize(size_t(fMostColorSamples), 0.0f);
    qelColor(padded.data());
}

void rendqel::handleOpacity() {
    Array<float> opacity;
    if (!match(opacity, fColorSamples, false)) return;
    std::vector<float> padded(opacity.begin(), opacity.end());
    padded.resize(size_t(fMostColorSamples), 0.0f);
    qelOpacity(padded.data());
}

// The handle at the current token, checked there so that reports quote it.
bool rendqel::matchNewHandle(long& handle, uint16_t& highest, const char* kind) {
    if (token() != LEXINT) return match(handle); // reports
    fLex.get(handle);
    handle = checkHandle(handle, highest, kind);
    advance();
    return true;
}

bool rendqel::matchKnownHandle(Hash<const void*>& table, const char* kind,
                               const void*& rendererHandle) {
    long handle;
    if (token() != LEXINT) return match(handle);
    fLex.get(handle);
    if (!lookUpHandle(table, handle, kind, rendererHandle)) return false;
    advance();
    return true;
}

void rendqel::handleLightSource() {
    unsigned short shader;
    long handle;
    tokenvalue list;
    if (!matchquark(shader) || !matchNewHandle(handle, fLightMax, "Light") || !match(list, false))
        return;
    const void* light = qelLightSourceV(shader, list.n(), list.tokens(), list.values());
    storeHandle(fLights, handle, light);
}

void rendqel::handleLightSwitch() {
    short on;
    const void* light = nullptr;
    if (matchKnownHandle(fLights, "light", light) && matchBoolean(on)) qelLightSwitch(light, on);
}

void rendqel::handleSurface() {
    unsigned short shader;
    tokenvalue list;
    if (matchquark(shader) && match(list, false))
        qelSurfaceV(shader, list.n(), list.tokens(), list.values());
}

void rendqel::handleAtmosphere() {
    unsigned short shader;
    tokenvalue list;
    if (matchquark(shader) && match(list, false))
        qelAtmosphereV(shader, list.n(), list.tokens(), list.values());
}

void rendqel::handleShadingRate() {
    float rate;
    if (match(rate)) qelShadingRate(rate);
}

void rendqel::handleShadingModel() {
    short model;
    if (matchenum(model, 0x5)) qelShadingModel(model);
}

void rendqel::handleMatteObject() {
    short on;
    if (matchBoolean(on)) qelMatteObject(on);
}

void rendqel::handleBound() {
    Array<float> bound;
    if (match(bound, 6, false)) qelBound(bound.data());
}

void rendqel::handleFlatness() {
    float flatness;
    if (match(flatness)) qelFlatness(flatness);
}

void rendqel::handleOrientation() {
    short orientation;
    if (matchenum(orientation, 0x6)) qelOrientation(orientation);
}

void rendqel::handleBackface() {
    short on;
    if (matchBoolean(on)) qelBackface(on);
}

void rendqel::handleObjectName() {
    String name;
    int matched = match(&name);
    if (matched) qelObjectName(matched == 2 ? nullptr : name.c_str());
}

void rendqel::handleShaderPath() {
    String places;
    int matched = match(&places);
    if (matched) qelShaderPath(matched == 2 ? nullptr : places.c_str());
}

void rendqel::handleTexturePath() {
    String places;
    int matched = match(&places);
    if (matched) qelTexturePath(matched == 2 ? nullptr : places.c_str());
}

void rendqel::handleTextureMemory() {
    float megabytes;
    if (match(megabytes)) qelTextureMemory(megabytes);
}

void rendqel::handleGroupName() {
    String name;
    int matched = match(&name);
    if (matched) qelGroupName(matched == 2 ? nullptr : name.c_str());
}

void rendqel::handleBasis() {
    short application, basis;
    if (!matchenum(application, 0x8) || !matchenum(basis, 0x9)) return;
    qelBasis(application, basis);
    setBasisStep(application, basisStep(basis));
}

void rendqel::handleCustomBasis() {
    short application;
    float m[4][4];
    long step;
    if (!matchenum(application, 0x8) || !match(m) || !match(step)) return;
    qelCustomBasis(application, m, step);
    if (validBasisStep(step)) setBasisStep(application, step);
}

// ---- transforms

void rendqel::handleLoadIdentity() { qelLoadIdentity(); }

void rendqel::handleLoadMatrix() {
    float m[4][4];
    if (match(m)) qelLoadMatrix(m);
}

void rendqel::handleMultMatrix() {
    float m[4][4];
    if (match(m)) qelMultMatrix(m);
}

void rendqel::handlePerspective() {
    float fov;
    if (match(fov)) qelPerspective(fov);
}

void rendqel::handleTranslate() {
    float x, y, z;
    if (match(x) && match(y) && match(z)) qelTranslate(x, y, z);
}

void rendqel::handleRotate() {
    float angle, x, y, z;
    if (match(angle) && match(x) && match(y) && match(z)) qelRotate(angle, x, y, z);
}

void rendqel::handleScale() {
    float x, y, z;
    if (match(x) && match(y) && match(z)) qelScale(x, y, z);
}

void rendqel::handleSkew() {
    float v[7];
    if (!matchFloats(v, 7)) return;
    qelSkew(v[0], v[1], v[2], v[3], v[4], v[5], v[6]);
}

void rendqel::handleMarkSpace() {
    unsigned short name;
    if (matchquark(name)) qelMarkSpace(name);
}

void rendqel::handleMatrixPush() {
    openBlock(OpenBlocks::Kind::Transform);
    qelMatrixPush();
}

void rendqel::handleMatrixPop() {
    closeBlock(OpenBlocks::Kind::Transform);
    qelMatrixPop();
}

// ---- polygons

void rendqel::handlePolygon() {
    long n;
    tokenvalue list;
    if (!match(n) || !countInRange(n) || !match(list, false)) return;
    if (verify(list, 1, n, n, kPoint)) qelPolygonV(n, list.n(), list.tokens(), list.values());
}

void rendqel::handleGeneralPolygon() {
    long n;
    Array<long>& loops = fLoops;
    tokenvalue list;
    if (!match(n) || !countInRange(n) || !match(loops, n, false)) return;
    long vertices = sumOf(loops);
    if (!countInRange(vertices) || !match(list, false)) return;
    if (verify(list, 1, vertices, vertices, kPoint))
        qelGeneralPolygonV(n, loops.data(), list.n(), list.tokens(), list.values());
}

void rendqel::handlePolygonMesh() {
    long n;
    Array<long>& counts = fCounts;
    Array<long>& indices = fIndices;
    tokenvalue list;
    if (!match(n) || !countInRange(n) || !match(counts, n, false)) return;
    long total = sumOf(counts);
    if (!countInRange(total) || !match(indices, total, false)) return;
    long vertices = vertexCount(indices);
    if (!countInRange(vertices) || !match(list, false)) return;
    if (verify(list, n, vertices, vertices, kPoint))
        qelPolygonMeshV(n, counts.data(), indices.data(), list.n(), list.tokens(),
                        list.values());
}

void rendqel::handleGeneralPolygonMesh() {
    long n;
    Array<long>& loops = fLoops;
    Array<long>& counts = fCounts;
    Array<long>& indices = fIndices;
    tokenvalue list;
    if (!match(n) || !countInRange(n) || !match(loops, n, false)) return;
    long loopTotal = sumOf(loops);
    if (!countInRange(loopTotal) || !match(counts, loopTotal, false)) return;
    long total = sumOf(counts);
    if (!countInRange(total) || !match(indices, total, false)) return;
    long vertices = vertexCount(indices);
    if (!countInRange(vertices) || !match(list, false)) return;
    if (verify(list, n, vertices, vertices, kPoint))
        qelGeneralPolygonMeshV(n, loops.data(), counts.data(), indices.data(), list.n(),
                               list.tokens(), list.values());
}

// ---- patches and NURBS

void rendqel::handlePatch() {
    short type;
    tokenvalue list;
    if (!matchenum(type, 0x7) || !match(list, false)) return;
    // varying values stand at the four corners, as the renderer reads them
    long count = type == QEL_PATCH_BICUBIC ? 16 : 4;
    if (verify(list, 1, 4, count, kPointOrHeight))
        qelPatchV(type, list.n(), list.tokens(), list.values());
}

void rendqel::handlePatchMesh() {
    short type, uwrap, vwrap;
    long nu, nv;
    tokenvalue list;
    if (!matchenum(type, 0x7) || !match(nu) || !countInRange(nu) || !matchenum(uwrap, 0xA) ||
        !match(nv) || !countInRange(nv) || !matchenum(vwrap, 0xA) || !match(list, false))
        return;
    bool bicubic = type == QEL_PATCH_BICUBIC;
    bool uPeriodic = uwrap == QEL_WRAP, vPeriodic = vwrap == QEL_WRAP;
    long upatches = patchesAlong(bicubic, nu, uPeriodic, fUStep);
    long vpatches = patchesAlong(bicubic, nv, vPeriodic, fVStep);
    long uvarying = uPeriodic ? upatches : upatches + 1;
    long vvarying = vPeriodic ? vpatches : vpatches + 1;
    if (verify(list, upatches * vpatches, uvarying * vvarying, nu * nv, kAnyPosition))
        qelPatchMeshV(type, nu, uwrap, nv, vwrap, list.n(), list.tokens(), list.values());
}

void rendqel::handleNurb() {
    long uorder, vorder;
    float umin, umax, vmin, vmax;
    Array<float> uknot, vknot;
    tokenvalue list;
    if (!match(uorder) || !countInRange(uorder) || !match(uknot, 2 * uorder, true) ||
        !match(umin) || !match(umax) || !match(vorder) || !countInRange(vorder) ||
        !match(vknot, 2 * vorder, true) || !match(vmin) || !match(vmax) || !match(list, false))
        return;
    long n = uorder * vorder;
    if (verify(list, 1, n, n, kAnyPosition))
        qelNurbV(uorder, uknot.data(), umin, umax, vorder, vknot.data(), vmin, vmax, list.n(),
                 list.tokens(), list.values());
}

void rendqel::handleNurbMesh() {
    long nu, uorder, nv, vorder;
    float umin, umax, vmin, vmax;
    Array<float> uknot, vknot;
    tokenvalue list;
    if (!match(nu) || !countInRange(nu) || !match(uorder) || !countInRange(uorder) ||
        !match(uknot, nu + uorder, true) || !match(umin) || !match(umax) || !match(nv) ||
        !countInRange(nv) || !match(vorder) || !countInRange(vorder) ||
        !match(vknot, nv + vorder, true) || !match(vmin) || !match(vmax) || !match(list, false))
        return;
    long n = nu * nv;
    if (verify(list, 1, n, n, kAnyPosition))
        qelNurbMeshV(nu, uorder, uknot.data(), umin, umax, nv, vorder, vknot.data(), vmin, vmax,
                     list.n(), list.tokens(), list.values());
}

// ---- quadrics

// The fixed floats of a quadric, then its list with one value per corner.
bool rendqel::matchQuadric(float* values, int count, tokenvalue& list) {
    return matchFloats(values, count) && match(list, false) && verify(list, 1, 4, 4);
}

void rendqel::handleSphere() {
    float v[4];
    tokenvalue list;
    if (matchQuadric(v, 4, list)) qelSphereV(v[0], v[1], v[2], v[3], list.n(), list.tokens(), list.values());
}

void rendqel::handleCone() {
    float v[4];
    tokenvalue list;
    if (matchQuadric(v, 4, list)) qelConeV(v[0], v[1], v[2], v[3], list.n(), list.tokens(), list.values());
}

void rendqel::handleCylinder() {
    float v[4];
    tokenvalue list;
    if (matchQuadric(v, 4, list)) qelCylinderV(v[0], v[1], v[2], v[3], list.n(), list.tokens(), list.values());
}

void rendqel::handleHyperboloid() {
    float p1[3], p2[3], sweep;
    tokenvalue list;
    if (match(p1) && match(p2) && match(sweep) && match(list, false) && verify(list, 1, 4, 4))
        qelHyperboloidV(p1, p2, sweep, list.n(), list.tokens(), list.values());
}

void rendqel::handleParaboloid() {
    float v[4];
    tokenvalue list;
    if (matchQuadric(v, 4, list)) qelParaboloidV(v[0], v[1], v[2], v[3], list.n(), list.tokens(), list.values());
}

void rendqel::handleDisk() {
    float v[3];
    tokenvalue list;
    if (matchQuadric(v, 3, list)) qelDiskV(v[0], v[1], v[2], list.n(), list.tokens(), list.values());
}

void rendqel::handleTorus() {
    float v[5];
    tokenvalue list;
    if (matchQuadric(v, 5, list))
        qelTorusV(v[0], v[1], v[2], v[3], v[4], list.n(), list.tokens(), list.values());
}

// ---- objects and errors

void rendqel::handleObjectBegin() {
    long handle;
    if (!matchNewHandle(handle, fObjectMax, "Object")) return;
    openBlock(OpenBlocks::Kind::Object);
    storeHandle(fObjects, handle, qelObjectBegin());
}

void rendqel::handleObjectEnd() {
    closeBlock(OpenBlocks::Kind::Object);
    qelObjectEnd();
}

void rendqel::handleObjectCall() {
    const void* object = nullptr;
    if (matchKnownHandle(fObjects, "object", object)) qelObjectCall(object);
}

void rendqel::handleErrorHandler() {
    short mask, handler;
    if (!matchenum(mask, 0xB) || !matchenum(handler, 0xC)) return;
    qelErrorHandler(mask, handler);
    if (!(mask & 0x4)) return; // the error bit
    if (handler == QEL_HANDLER_IGNORE) fLex.setHandler(lexanqel::QELErrorIgnore);
    else if (handler == QEL_HANDLER_PRINT) fLex.setHandler(lexanqel::QELErrorPrint);
    else if (handler == QEL_HANDLER_ABORT) fLex.setHandler(lexanqel::QELErrorAbort);
}

// ---- the requests the renderer takes in part

namespace {

struct FilterNamed {
    const char* name;
    qelFilterFunc filter;
};

// The filter names the scene writer writes for the texture requests.
constexpr FilterNamed kTextureFilters[] = {
    {"gaussian", qelGaussianFilter},
    {"box", qelBoxFilter},
    {"triangle", qelTriangleFilter},
    {"catmull-rom", qelCatmullRomFilter},
    {"sinc", qelSincFilter},
    {"mitchell", qelMitchellFilter},
    {"narrowgaussian", qelNarrowGaussianFilter},
};

} // namespace

bool rendqel::matchTextureFilter(qelFilterFunc& filter) {
    String name;
    if (match(&name) != 1) return fail(kBadValue, "Expected a filter name") != 0;
    for (const FilterNamed& known : kTextureFilters)
        if (name == known.name) {
            filter = known.filter;
            return true;
        }
    return fail(kBadValue, "Unknown filter '%s'", name.c_str()) != 0;
}

void rendqel::handleVariable() {
    String name;
    short parameterClass, parameterType;
    if (match(&name) != 1 || !matchenum(parameterClass, 0xD) || !matchenum(parameterType, 0xE))
        return;
    qelVariable(name.c_str(), parameterClass, parameterType);
    declare(name.c_str(), parameterClass, parameterType);
}

// No arguments: no depth of field.
void rendqel::handleDepthOfField() {
    if (token() != LEXINT && token() != LEXFLOAT) {
        qelDepthOfField(kNoDepthOfField, 0, 0);
        return;
    }
    float values[3];
    if (matchFloats(values, 3)) qelDepthOfField(values[0], values[1], values[2]);
}

void rendqel::handleShutter() {
    float open, close;
    if (match(open) && match(close)) qelShutter(open, close);
}

void rendqel::handleImager() {
    String name;
    tokenvalue list;
    int matched = match(&name);
    if (matched && match(list, false))
        qelImagerV(matched == 2 ? nullptr : name.c_str(), list.n(), list.tokens(), list.values());
}

void rendqel::handleRelativeDetail() {
    float detail;
    if (match(detail)) qelRelativeDetail(detail);
}

void rendqel::handleTextureCoordinates() {
    float st[8];
    if (matchFloats(st, 8))
        qelTextureCoordinates(st[0], st[1], st[2], st[3], st[4], st[5], st[6], st[7]);
}

void rendqel::handleAreaLightSource() {
    unsigned short shader;
    long handle;
    tokenvalue list;
    if (!matchquark(shader) || !matchNewHandle(handle, fLightMax, "Light") || !match(list, false))
        return;
    storeHandle(fLights, handle,
                qelAreaLightSourceV(shader, list.n(), list.tokens(), list.values()));
}

void rendqel::handleInterior() {
    unsigned short shader;
    tokenvalue list;
    if (matchquark(shader) && match(list, false))
        qelInteriorV(shader, list.n(), list.tokens(), list.values());
}

void rendqel::handleExterior() {
    unsigned short shader;
    tokenvalue list;
    if (matchquark(shader) && match(list, false))
        qelExteriorV(shader, list.n(), list.tokens(), list.values());
}

void rendqel::handleDetail() {
    Array<float> bound;
    if (match(bound, 6, false)) qelDetail(bound.data());
}

void rendqel::handleDetailRange() {
    float range[4];
    if (matchFloats(range, 4)) qelDetailRange(range[0], range[1], range[2], range[3]);
}

void rendqel::handleDeformation() {
    unsigned short shader;
    tokenvalue list;
    if (matchquark(shader) && match(list, false))
        qelDeformationV(shader, list.n(), list.tokens(), list.values());
}

void rendqel::handleDisplacement() {
    unsigned short shader;
    tokenvalue list;
    if (matchquark(shader) && match(list, false))
        qelDisplacementV(shader, list.n(), list.tokens(), list.values());
}

void rendqel::handleBoundDisplacement() {
    float distance;
    if (match(distance)) qelBoundDisplacement(distance);
}

void rendqel::handleMotionBegin() {
    Array<float> times;
    if (!match(times, kAnyCount, true)) return;
    openBlock(OpenBlocks::Kind::Motion);
    qelMotionBeginV(long(times.count()), times.data());
}

void rendqel::handleMotionEnd() {
    closeBlock(OpenBlocks::Kind::Motion);
    qelMotionEnd();
}

void rendqel::handleSolidBegin() {
    short operation;
    if (!matchenum(operation)) return;
    openBlock(OpenBlocks::Kind::Solid);
    qelSolidBegin(operation);
}

void rendqel::handleSolidEnd() {
    closeBlock(OpenBlocks::Kind::Solid);
    qelSolidEnd();
}

// The loops' curves, then per curve its order, knots, range, control-point
// count and the points' u, v and w; the knots count order plus points.
void rendqel::handleTrimCurve() {
    Array<long> curves, orders, counts;
    Array<float> knots, min, max, u, v, w;
    if (!match(curves, kAnyCount, true)) return;
    long n = sumOf(curves);
    if (!countInRange(n) || !match(orders, n, true) || !match(knots, kAnyCount, true) ||
        !match(min, n, true) || !match(max, n, true) || !match(counts, n, true))
        return;
    long points = sumOf(counts);
    if (!countInRange(points) || !match(u, points, true) || !match(v, points, true) ||
        !match(w, points, true))
        return;
    if (long(knots.count()) != sumOf(orders) + points) {
        reportRequest(kBadValue, QELErrorSeverity, "%ld knots where the curves have %ld",
                      long(knots.count()), sumOf(orders) + points);
        return;
    }
    qelTrimCurve(long(curves.count()), curves.data(), orders.data(), knots.data(), min.data(),
                 max.data(), counts.data(), u.data(), v.data(), w.data());
}

bool rendqel::matchTexture(TextureArguments& arguments, bool wraps) {
    if (match(&arguments.picture) != 1 || match(&arguments.texture) != 1) return false;
    if (wraps && (!matchenum(arguments.swrap, 0xA) || !matchenum(arguments.twrap, 0xA)))
        return false;
    return matchTextureFilter(arguments.filter) && match(arguments.swidth) &&
           match(arguments.twidth) && match(arguments.list, false);
}

void rendqel::handleMakeTexture() {
    TextureArguments a;
    if (matchTexture(a, true))
        qelMakeTextureV(a.picture.c_str(), a.texture.c_str(), a.swrap, a.twrap, a.filter, a.swidth,
                        a.twidth, a.list.n(), a.list.tokens(), a.list.values());
}

void rendqel::handleMakeBump() {
    TextureArguments a;
    if (matchTexture(a, true))
        qelMakeBumpV(a.picture.c_str(), a.texture.c_str(), a.swrap, a.twrap, a.filter, a.swidth,
                     a.twidth, a.list.n(), a.list.tokens(), a.list.values());
}

void rendqel::handleMakeLatLongEnvironment() {
    TextureArguments a;
    if (matchTexture(a, false))
        qelMakeLatLongEnvironmentV(a.picture.c_str(), a.texture.c_str(), a.filter, a.swidth,
                                   a.twidth, a.list.n(), a.list.tokens(), a.list.values());
}

void rendqel::handleMakeCubeFaceEnvironment() {
    String faces[6], texture;
    float fov;
    TextureArguments a;
    for (String& face : faces)
        if (match(&face) != 1) return;
    if (match(&texture) != 1 || !match(fov) || !matchTextureFilter(a.filter) || !match(a.swidth) ||
        !match(a.twidth) || !match(a.list, false))
        return;
    qelMakeCubeFaceEnvironmentV(faces[0].c_str(), faces[1].c_str(), faces[2].c_str(),
                                faces[3].c_str(), faces[4].c_str(), faces[5].c_str(),
                                texture.c_str(), fov, a.filter, a.swidth, a.twidth, a.list.n(),
                                a.list.tokens(), a.list.values());
}

void rendqel::handleMakeShadow() {
    String picture, texture;
    tokenvalue list;
    if (match(&picture) == 1 && match(&texture) == 1 && match(list, false))
        qelMakeShadowV(picture.c_str(), texture.c_str(), list.n(), list.tokens(), list.values());
}

} // namespace quelmark
