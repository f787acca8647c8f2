// The RenderMan Interface procedures, each issuing its qel requests.
#include "sceneread/rib/ri.h"

#include "common/Basis.h"
#include "common/ImageFormats.h"

#include "common/Quark.h"
#include "common/SearchPath.h"
#include "sceneread/ReaderReports.h"
#include "sceneread/rib/RiBinding.h"
#include "sceneread/rib/RiCornerMesh.h"
#include "sceneread/rib/RiFlatFaces.h"
#include "sceneread/rib/RiTeapot.h"
#include "sceneread/rib/RibCodes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelmark {

const RtBasis RiBezierBasis = {{-1, 3, -3, 1}, {3, -6, 3, 0}, {-3, 3, 0, 0}, {1, 0, 0, 0}};
const RtBasis RiBSplineBasis = {{-1.0f / 6, 3.0f / 6, -3.0f / 6, 1.0f / 6},
                                {3.0f / 6, -6.0f / 6, 3.0f / 6, 0},
                                {-3.0f / 6, 0, 3.0f / 6, 0},
                                {1.0f / 6, 4.0f / 6, 1.0f / 6, 0}};
const RtBasis RiCatmullRomBasis = {
    {-0.5f, 1.5f, -1.5f, 0.5f}, {1, -2.5f, 2, -0.5f}, {-0.5f, 0, 0.5f, 0}, {0, 1, 0, 0}};
const RtBasis RiHermiteBasis = {{2, 1, -2, 1}, {-3, -2, 3, -1}, {0, 1, 0, 0}, {1, 0, 0, 0}};
const RtBasis RiPowerBasis = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

namespace {

RiBinding& binding() {
    return RiBinding::current();
}

// Makes the matrix the current transform, in the scene API and the mirror.
void loadMatrix(const Matrix& matrix) {
    RiBinding& b = binding();
    if (b.followsTransform()) b.transforms.current() = matrix;
    qelLoadMatrix(matrix.m);
}

void reportError(long code, const char* format, const char* name) {
    binding().report(code, QEL_SEVERITY_ERROR, format, name);
}

bool same(const char* a, const char* b) {
    return a && b && std::strcmp(a, b) == 0;
}
bool isNone(RtToken name) {
    return !name || !*name || same(name, "null");
}

// Scratch arrays of longs for the scene API's index lists.
std::vector<long>& scratch(int k) {
    static std::vector<long> arrays[4];
    return arrays[k];
}

const long* longs(int k, const RtInt* values, long count) {
    std::vector<long>& out = scratch(k);
    out.assign(values, values + std::max(count, 0L));
    return out.data();
}

long sum(const RtInt* values, long count) {
    long total = 0;
    for (long k = 0; k < count; ++k)
        total += values[k];
    return total;
}

long largestPlusOne(const RtInt* values, long count) {
    long largest = -1;
    for (long k = 0; k < count; ++k)
        largest = std::max(largest, long(values[k]));
    return largest + 1;
}

struct Named {
    const char* name;
    short code;
};

// The code of name in the table, or -1.
short codeOf(const Named* begin, const Named* end, RtToken name) {
    for (const Named* n = begin; n != end; ++n)
        if (same(name, n->name)) return n->code;
    return -1;
}

const Named kOrientations[] = {{"outside", QEL_ORIENT_OUTSIDE},
                               {"inside", QEL_ORIENT_INSIDE},
                               {"lh", QEL_ORIENT_LH},
                               {"rh", QEL_ORIENT_RH}};
const Named kModes[] = {{"rgb", QEL_SAMPLES_RGB},    {"a", QEL_SAMPLES_A},
                        {"rgba", QEL_SAMPLES_RGBA},  {"z", QEL_SAMPLES_Z},
                        {"rgbz", QEL_SAMPLES_RGBZ},  {"az", QEL_SAMPLES_AZ},
                        {"rgbaz", QEL_SAMPLES_RGBAZ}};
const Named kHiders[] = {
    {"hidden", QEL_HIDER_ZBUFFER}, {"paint", QEL_HIDER_PAINT}, {"null", QEL_HIDER_NULL}};
const Named kSolids[] = {{"primitive", QEL_SOLID_PRIMITIVE},
                         {"union", QEL_SOLID_UNION},
                         {"intersection", QEL_SOLID_INTERSECTION},
                         {"difference", QEL_SOLID_DIFFERENCE}};
const char* const kStandardSpaces[] = {"raster", "NDC",     "screen", "camera", "world", "object",
                                       "shader", "current", "image",  "eye",    "model"};

struct FilterName {
    RtFilterFunc ri;
    qelFilterFunc qel;
    short code;
};

const FilterName kFilters[] = {
    {RiGaussianFilter, qelNarrowGaussianFilter, QEL_FILTER_NARROW_GAUSSIAN},
    {RiMitchellFilter, qelMitchellFilter, QEL_FILTER_MITCHELL},
    {RiBoxFilter, qelBoxFilter, QEL_FILTER_BOX},
    {RiTriangleFilter, qelTriangleFilter, QEL_FILTER_TRIANGLE},
    {RiCatmullRomFilter, qelCatmullRomFilter, QEL_FILTER_CATMULLROM},
    {RiSincFilter, qelSincFilter, QEL_FILTER_SINC},
};

const FilterName* standardFilter(RtFilterFunc filter) {
    for (const FilterName& f : kFilters)
        if (f.ri == filter) return &f;
    return nullptr;
}

qelFilterFunc qelFilterOf(RtFilterFunc filter) {
    const FilterName* standard = standardFilter(filter);
    return standard ? standard->qel : filter;
}

struct BasisName {
    const RtBasis* matrix;
    RtInt step;
    short code;
};

const BasisName kBases[] = {
    {&RiBezierBasis, RI_BEZIERSTEP, QEL_BASIS_BEZIER},
    {&RiBSplineBasis, RI_BSPLINESTEP, QEL_BASIS_BSPLINE},
    {&RiCatmullRomBasis, RI_CATMULLROMSTEP, QEL_BASIS_CATMULLROM},
    {&RiHermiteBasis, RI_HERMITESTEP, QEL_BASIS_HERMITE},
    {&RiPowerBasis, RI_POWERSTEP, QEL_BASIS_POWER},
};

// The scene API's code of a standard basis with its own step, or -1.
short basisCode(const RtBasis basis, RtInt step) {
    for (const BasisName& b : kBases)
        if (std::memcmp(basis, *b.matrix, sizeof(RtBasis)) == 0 && step == b.step) return b.code;
    return -1;
}

short wrapCode(RtToken wrap) {
    if (same(wrap, "periodic")) return QEL_WRAP;
    if (same(wrap, "nonperiodic")) return QEL_NOWRAP;
    reportError(RIBBadValue, "Unknown wrap mode \"%s\"", wrap ? wrap : "");
    return -1;
}

short textureWrap(RtToken wrap) {
    if (same(wrap, "periodic")) return QEL_WRAP;
    if (same(wrap, "clamp")) return QEL_CLAMP;
    if (same(wrap, "black")) return QEL_NOWRAP;
    reportError(RIBBadValue, "Unknown texture wrap mode \"%s\"", wrap ? wrap : "");
    return -1;
}

// Whether the renderer finds a shader of the request compiled, by name:
// surfaces, lights, displacements, atmospheres and imagers.
bool isFoundCompiled(RiShaderKind kind, std::string_view request) {
    switch (kind) {
    case RiShaderKind::Surface:
    case RiShaderKind::Light:
    case RiShaderKind::Displacement:
    case RiShaderKind::Imager:
        return true;
    case RiShaderKind::Volume:
        return request == "Atmosphere";
    case RiShaderKind::Deformation:
        return false;
    }
    return false;
}

// A shader request: a standard shader becomes the built-in, "null" or ""
// none, any other name is passed on by name: for the renderer to find
// compiled, or of the other kinds with a warning.
template <class Issue>
void shaderRequest(RiShaderKind kind, const char* request, RtToken name, RtInt n,
                   const RtToken tokens[], const RtPointer values[], Issue issue) {
    RiBinding& b = binding();
    if (b.skipInMotion()) return;
    if (kind != RiShaderKind::Light && isNone(name)) {
        issue(0, b.shader(request, nullptr, 0, tokens, values));
        return;
    }
    std::string shown = name ? name : "";
    const RiShader* standard = findStandardShader(kind, shown);
    if (!standard) b.sendShaderPlaces();
    if (!standard && !isFoundCompiled(kind, request)) {
        b.warnOnce(std::string(request) + " \"" + shown + "\"", RIBNoCounterpart,
                   "%s \"%s\" is no built-in %s shader; passed on by name", request, shown.c_str(),
                   shaderKindName(kind));
    }
    // An imager is named by its text; the other kinds by a quark.
    unsigned short quark = 0;
    if (standard && standard->quark)
        quark = standard->quark;
    else if (kind != RiShaderKind::Imager)
        quark = b.nameQuark(shown);
    const RiShader* renamed = standard && standard->parameters ? standard : nullptr;
    issue(quark, b.shader(request, renamed, n, tokens, values));
}

} // namespace

// ---- set-up

void RiBegin(RtToken) {
    binding().reset();
    qelReset();
}

void RiEnd() {
    binding().inMotion = false;
}

void RiReportHandler(RtErrorHandler handler) {
    binding().reportHandler = handler;
}
const RiDeclarations& RiDeclarationTable() {
    return binding().declarations;
}
void RiShaderFolder(const char* folder) {
    RiBinding& b = binding();
    b.shaderPlaces = std::string(folder) + ":" + std::string(kRendererPlaces);
    b.shaderPlacesSent = false;
    b.texturePlaces = std::string(folder) + ":" + std::string(kRendererPlaces);
    b.texturePlacesSent = false;
}

const RiDeclarations* RiShaderParameters(RtToken name) {
    RiBinding& b = binding();
    return name ? b.compiledShaders.parameters(name, b.shaderPlaces) : nullptr;
}
RtInt RiColorSampleCount() {
    return binding().colorSamples;
}
RtInt RiUStep() {
    return RtInt(binding().uStep);
}
RtInt RiVStep() {
    return RtInt(binding().vStep);
}

// The interface's own gaussian, narrower than the scene API's.
RtFloat RiGaussianFilter(RtFloat x, RtFloat y, RtFloat xw, RtFloat yw) {
    return qelNarrowGaussianFilter(x, y, xw, yw);
}
RtFloat RiMitchellFilter(RtFloat x, RtFloat y, RtFloat xw, RtFloat yw) {
    return qelMitchellFilter(x, y, xw, yw);
}
RtFloat RiBoxFilter(RtFloat x, RtFloat y, RtFloat xw, RtFloat yw) {
    return qelBoxFilter(x, y, xw, yw);
}
RtFloat RiTriangleFilter(RtFloat x, RtFloat y, RtFloat xw, RtFloat yw) {
    return qelTriangleFilter(x, y, xw, yw);
}
RtFloat RiCatmullRomFilter(RtFloat x, RtFloat y, RtFloat xw, RtFloat yw) {
    return qelCatmullRomFilter(x, y, xw, yw);
}
RtFloat RiSincFilter(RtFloat x, RtFloat y, RtFloat xw, RtFloat yw) {
    return qelSincFilter(x, y, xw, yw);
}

void RiErrorIgnore(RtInt, RtInt, const char*) {}

void RiErrorPrint(RtInt code, RtInt severity, const char* message) {
    printReport(SceneFormat::Rib, nullptr, code, severity, message);
}

void RiErrorAbort(RtInt code, RtInt severity, const char* message) {
    RiErrorPrint(code, severity, message);
    if (severity != QEL_SEVERITY_INFO && severity != QEL_SEVERITY_WARNING) abortReading();
}

// ---- declarations and blocks

namespace {
// Names the binding maps onto names of the scene API's own.
bool hasFixedCounterpart(std::string_view name) {
    static const char* const kMapped[] = {"P",
                                          "Pz",
                                          "Pw",
                                          "N",
                                          "Np",
                                          "Cs",
                                          "Os",
                                          "Ka",
                                          "Kd",
                                          "Ks",
                                          "roughness",
                                          "specularcolor",
                                          "intensity",
                                          "lightcolor",
                                          "from",
                                          "to",
                                          "coneangle",
                                          "conedeltaangle",
                                          "beamdistribution",
                                          "mindistance",
                                          "maxdistance",
                                          "distance",
                                          "background",
                                          "fov",
                                          "origin",
                                          "name",
                                          "shadinggroup",
                                          "sphere"};
    for (const char* mapped : kMapped)
        if (name == mapped) return true;
    return false;
}
} // namespace

RtToken RiDeclare(const char* name, const char* declaration) {
    RiBinding& b = binding();
    if (!name || !declaration || !b.declarations.declare(name, declaration)) {
        reportError(RIBSyntax, "bad declaration \"%s\"", name ? name : "");
        return nullptr;
    }
    const RiDeclaration* declared = b.declarations.find(name);
    short type = qelTypeOf(*declared);
    if (!hasFixedCounterpart(name) && type != 0)
        b.variableQuark(name, qelClassOf(declared->parameterClass), type, true);
    return name;
}

void RiFrameBegin(RtInt) {
    binding().transforms.push();
    binding().savedChoices.push_back(binding().chosen);
    qelFrameBegin();
}
void RiFrameEnd() {
    RiBinding& b = binding();
    b.transforms.pop();
    if (!b.savedChoices.empty()) {
        b.chosen = b.savedChoices.back();
        b.savedChoices.pop_back();
    }
    qelFrameEnd();
}
// A world whose options chose no surface is shaded by RenderMan's default
// surface, which needs no light (the scene API's own default is plastic);
// one whose options chose no filter is filtered by RenderMan's gaussian,
// narrower than the scene API's; one whose options set no limits renders in
// RenderMan renderers' buckets of 16 by 16 pixels (the image is the same for
// any size).
void RiWorldBegin() {
    RiBinding& b = binding();
    b.transforms.beginWorld();
    if (!b.chosen.filter) qelFilter(QEL_FILTER_NARROW_GAUSSIAN);
    if (!b.chosen.limits) qelTune(b.tune[0], b.tune[1], b.tune[2]);
    qelSceneBegin();
    if (!b.chosen.surface) qelSurfaceV(kQuarkDefaultSurface, 0, nullptr, nullptr);
}

void RiWorldEnd() {
    RiRenderStart();
    while (RiRenderStep()) {
    }
    RiRenderFinish();
}

void RiRenderStart() {
    qelRenderInit();
}
RtInt RiRenderStep() {
    return qelRenderBucket();
}
void RiRenderFinish() {
    binding().transforms.endWorld();
    qelSceneEnd();
}

void RiAttributeBegin() {
    binding().transforms.push();
    qelAttributePush();
}
void RiAttributeEnd() {
    binding().transforms.pop();
    qelAttributePop();
}
void RiTransformBegin() {
    binding().transforms.push();
    qelMatrixPush();
}
void RiTransformEnd() {
    binding().transforms.pop();
    qelMatrixPop();
}

void RiSolidBegin(RtToken operation) {
    const short code = codeOf(std::begin(kSolids), std::end(kSolids), operation);
    if (code < 0) {
        reportError(RIBBadValue, "Unknown solid operation \"%s\"", operation ? operation : "");
        return;
    }
    qelSolidBegin(code);
}

void RiSolidEnd() {
    qelSolidEnd();
}
RtObjectHandle RiObjectBegin() {
    return qelObjectBegin();
}
void RiObjectEnd() {
    qelObjectEnd();
}
void RiObjectInstance(RtObjectHandle handle) {
    if (!binding().skipInMotion()) qelObjectCall(handle);
}

void RiMotionBeginV(RtInt n, const RtFloat times[]) {
    RiBinding& b = binding();
    b.inMotion = true;
    b.motionTaken = false;
    b.motionTransforms = 0;
    qelMotionBeginV(n, times);
}

void RiMotionEnd() {
    binding().inMotion = false;
    qelMotionEnd();
}

void RiErrorHandler(RtErrorHandler handler) {
    RiBinding& b = binding();
    b.handler = handler;
    if (handler == RiErrorIgnore)
        qelErrorHandler(QEL_SEVERITY_IWES, QEL_HANDLER_IGNORE);
    else if (handler == RiErrorPrint)
        qelErrorHandler(QEL_SEVERITY_IWES, QEL_HANDLER_PRINT);
    else if (handler == RiErrorAbort)
        qelErrorHandler(QEL_SEVERITY_IWES, QEL_HANDLER_ABORT);
}

// ---- options

void RiFormat(RtInt xresolution, RtInt yresolution, RtFloat pixelAspect) {
    if (xresolution < 1 || yresolution < 1) {
        binding().report(RIBBadValue, QEL_SEVERITY_ERROR, "Format %d %d is no image size",
                         xresolution, yresolution);
        return;
    }
    binding().xResolution = xresolution;
    binding().yResolution = yresolution;
    qelRasterViewport(0, xresolution - 1, 0, yresolution - 1);
    qelRasterAspect(pixelAspect);
}

void RiFrameAspectRatio(RtFloat aspect) {
    qelImageAspect(aspect);
}
void RiScreenWindow(RtFloat l, RtFloat r, RtFloat b, RtFloat t) {
    qelImageWindow(l, r, b, t);
}
void RiCropWindow(RtFloat x0, RtFloat x1, RtFloat y0, RtFloat y1) {
    qelImageCrop(x0, x1, y0, y1);
}

void RiProjectionV(RtToken name, RtInt n, const RtToken tokens[], const RtPointer values[]) {
    RiBinding& b = binding();
    if (same(name, "perspective")) {
        float fov = 90;
        for (RtInt k = 0; k < n; ++k) {
            RiDeclaration declaration;
            std::string_view bare;
            if (b.declarations.resolve(tokens[k], declaration, bare) == RiDeclarations::Found &&
                bare == "fov" && values[k] && declaration.type == RiType::Float)
                fov = *static_cast<const float*>(values[k]);
            else
                b.dropAll("Projection", 1, tokens + k);
        }
        qelViewPerspective(fov);
        return;
    }
    b.dropAll("Projection", n, tokens);
    if (same(name, "orthographic")) {
        qelViewOrthographic();
    } else if (isNone(name)) {
        qelViewIdentity();
    } else {
        b.report(RIBBadValue, QEL_SEVERITY_WARNING,
                 "Unknown projection \"%s\": orthographic projection used instead", name);
        qelViewOrthographic();
    }
}

void RiClipping(RtFloat hither, RtFloat yon) {
    qelClip(hither, yon);
}
void RiClippingPlane(RtFloat, RtFloat, RtFloat, RtFloat, RtFloat, RtFloat) {
    binding().unsupported("ClippingPlane");
}
void RiDepthOfField(RtFloat fstop, RtFloat focalLength, RtFloat focalDistance) {
    qelDepthOfField(fstop, focalLength, focalDistance);
}
void RiShutter(RtFloat open, RtFloat close) {
    qelShutter(open, close);
}

void RiPixelVariance(RtFloat variance) {
    binding().varianceSet = true;
    binding().variance = variance;
    qelSampleAdaptive(variance);
}

void RiPixelSamples(RtFloat xsamples, RtFloat ysamples) {
    qelSampleUniform(xsamples, ysamples);
    // uniform sampling forgets the variance
    if (binding().varianceSet) qelSampleAdaptive(binding().variance);
}

void RiPixelFilter(RtFilterFunc filter, RtFloat xwidth, RtFloat ywidth) {
    binding().chosen.filter = true;
    if (const FilterName* standard = standardFilter(filter))
        qelFilter(standard->code);
    else
        qelCustomFilter(filter);
    qelFilterWidth(xwidth, ywidth);
}

void RiExposure(RtFloat gain, RtFloat gamma) {
    qelColorGain(gain);
    qelColorGamma(gamma);
}

void RiImagerV(RtToken name, RtInt n, const RtToken tokens[], const RtPointer values[]) {
    shaderRequest(RiShaderKind::Imager, "Imager", name, n, tokens, values,
                  [&](unsigned short, const QelParameterList& list) {
                      qelImagerV(isNone(name) ? nullptr : name, list.n(), list.tokens(),
                                 list.values());
                  });
}

void RiQuantize(RtToken type, RtInt one, RtInt min, RtInt max, RtFloat dither) {
    if (same(type, "rgba")) {
        qelColorQuantize(one, min, max);
        qelColorJitter(dither);
        binding().colorQuantization = {float(one), float(min), float(max), dither};
    } else if (same(type, "z")) {
        qelDepthQuantize(one, min, max);
        qelDepthJitter(dither);
    } else {
        reportError(RIBBadValue, "Unknown quantize type \"%s\"", type ? type : "");
    }
}

namespace {

// What a Display's parameter list asks: a raster origin, a quantisation of
// its own, or nothing the scene API has.
struct DisplayParameters {
    bool hasOrigin = false;
    RtInt origin[2] = {0, 0};
    bool quantized = false;
    float quantization[5] = {0, 0, 0, 0, 0}; // zero, one, min, max, dither
    bool dithered = false;
};

DisplayParameters displayParameters(RtInt n, const RtToken tokens[], const RtPointer values[]) {
    RiBinding& b = binding();
    DisplayParameters found;
    for (RtInt k = 0; k < n; ++k) {
        RiDeclaration declaration;
        std::string_view bare;
        if (b.declarations.resolve(tokens[k], declaration, bare) != RiDeclarations::Found)
            bare = {};
        const void* value = values[k];
        if (bare == "origin" && value && declaration.isInteger() && declaration.arraySize == 2) {
            found.hasOrigin = true;
            found.origin[0] = static_cast<const RtInt*>(value)[0];
            found.origin[1] = static_cast<const RtInt*>(value)[1];
        } else if (bare == "quantize" && value && declaration.arraySize == 4 &&
                   !declaration.isString()) {
            found.quantized = true;
            for (int c = 0; c < 4; ++c)
                found.quantization[c] = declaration.isInteger()
                                            ? float(static_cast<const RtInt*>(value)[c])
                                            : static_cast<const RtFloat*>(value)[c];
        } else if (bare == "dither" && value && !declaration.isString()) {
            found.dithered = true;
            found.quantization[4] = declaration.isInteger()
                                        ? float(*static_cast<const RtInt*>(value))
                                        : *static_cast<const RtFloat*>(value);
        } else {
            b.dropAll("Display", 1, tokens + k);
        }
    }
    return found;
}

// A display the first scene API requests say as well: the window or a TIFF
// file of standard channels without depth, with the frame's quantisation.
bool plainDisplay(bool adds, short format, short samples, const DisplayParameters& parameters) {
    return !adds && (format == QEL_FORMAT_WINDOW || format == QEL_FORMAT_TIFF) && samples > 0 &&
           (samples & 4) == 0 && !parameters.quantized && !parameters.dithered;
}

// Whether the renderer has what the mode asks for: standard channels, a
// variable the renderer's shading knows, after its declaration if any, or
// a float or triple the shaders may output, declared or typed in the mode.
bool knownMode(std::string_view mode) {
    static constexpr std::string_view kVariables[] = {"Ci", "Oi", "P", "N", "Ng", "Cs",
                                                      "Os", "s",  "t", "u", "v"};
    if (codeOf(std::begin(kModes), std::end(kModes), std::string(mode).c_str()) > 0) return true;
    size_t last = mode.find_last_of(" \t");
    std::string_view bare = last == std::string_view::npos ? mode : mode.substr(last + 1);
    if (std::find(std::begin(kVariables), std::end(kVariables), bare) != std::end(kVariables))
        return true;
    RiDeclaration declaration;
    std::string_view name;
    if (binding().declarations.resolve(mode, declaration, name) != RiDeclarations::Found)
        return false;
    return declaration.arraySize == 1 && !declaration.isString() && !declaration.isInteger() &&
           declaration.type != RiType::HPoint && declaration.type != RiType::Matrix;
}

} // namespace

void RiDisplayV(RtToken name, RtToken type, RtToken mode, RtInt n, const RtToken tokens[],
                const RtPointer values[]) {
    RiBinding& b = binding();
    const std::string fileName = name ? name : "";
    const bool adds = !fileName.empty() && fileName[0] == '+';
    const std::string_view typeName = type ? type : "";
    short format = displayTypeFormat(typeName, adds ? fileName.substr(1) : fileName);
    if (format == QEL_NULL) {
        b.warnOnce(std::string("Display type ") + std::string(typeName), RIBNoCounterpart,
                   "Display type \"%s\" is unknown: the image is written as its name asks",
                   type ? type : "");
        format = displayTypeFormat("file", adds ? fileName.substr(1) : fileName);
    }
    if (format != QEL_FORMAT_DEPTHFILE && !knownMode(mode ? mode : "")) {
        b.warnOnce(std::string("Display mode ") + (mode ? mode : ""), RIBNoCounterpart,
                   "Display mode \"%s\" is no variable the renderer has: Display \"%s\" is "
                   "skipped",
                   mode ? mode : "", fileName.c_str());
        return;
    }
    DisplayParameters parameters = displayParameters(n, tokens, values);
    short samples = codeOf(std::begin(kModes), std::end(kModes), mode);
    if (plainDisplay(adds, format, samples, parameters)) {
        if (format == QEL_FORMAT_WINDOW)
            qelOutputDisplay(name);
        else
            qelOutputFile(format, name);
        qelOutputSamples(samples);
    } else {
        // A dither alone dithers the frame's colour quantisation.
        if (parameters.dithered && !parameters.quantized) {
            const std::array<float, 4>& frame = b.colorQuantization;
            parameters.quantization[1] = frame[0];
            parameters.quantization[2] = frame[1];
            parameters.quantization[3] = frame[2];
        }
        long count = parameters.quantized || parameters.dithered ? 5 : 0;
        if (parameters.quantized && !parameters.dithered)
            parameters.quantization[4] = b.colorQuantization[3];
        qelOutputImage(format, name, mode ? mode : "", count, parameters.quantization);
    }
    if (parameters.hasOrigin && !adds)
        qelRasterViewport(parameters.origin[0], parameters.origin[0] + b.xResolution - 1,
                          parameters.origin[1], parameters.origin[1] + b.yResolution - 1);
}

void RiHiderV(RtToken type, RtInt n, const RtToken tokens[], const RtPointer[]) {
    short hider = codeOf(std::begin(kHiders), std::end(kHiders), type);
    binding().dropAll("Hider", n, tokens);
    if (hider >= 0)
        qelHider(hider);
    else
        binding().warnOnce(std::string("Hider ") + (type ? type : ""), RIBNoCounterpart,
                           "Hider \"%s\" is skipped", type ? type : "");
}

void RiColorSamples(RtInt n, const RtFloat nRGB[], const RtFloat RGBn[]) {
    if (n < 1) {
        binding().report(RIBBadColor, QEL_SEVERITY_ERROR, "ColorSamples needs at least one sample");
        return;
    }
    qelColorSpace(n, nRGB, RGBn);
    binding().colorSamples = n;
}

void RiRelativeDetail(RtFloat detail) {
    qelRelativeDetail(detail);
}

namespace {

constexpr float kKilobytesInAMegabyte = 1024;

// Option "limits": the bucket size and the largest grid, in micropolygons,
// as the grid edge whose square holds as many; the texture cache, in
// kilobytes.
void limitsOption(RtInt n, const RtToken tokens[], const RtPointer values[]) {
    RiBinding& b = binding();
    bool changed = false;
    for (RtInt k = 0; k < n; ++k) {
        RiDeclaration declaration;
        std::string_view bare;
        bool found =
            b.declarations.resolve(tokens[k], declaration, bare) == RiDeclarations::Found &&
            values[k] && declaration.isInteger();
        const auto* ints = static_cast<const RtInt*>(values[k]);
        if (found && bare == "bucketsize" && declaration.arraySize == 2) {
            b.tune[1] = ints[0], b.tune[2] = ints[1];
            changed = true;
        } else if (found && bare == "gridsize" && declaration.arraySize == 1) {
            b.tune[0] = std::max(1L, long(std::floor(std::sqrt(std::max(0.0, double(ints[0]))))));
            changed = true;
        } else if (found && bare == "texturememory" && declaration.arraySize == 1) {
            qelTextureMemory(float(ints[0]) / kKilobytesInAMegabyte);
        } else {
            b.dropAll("Option \"limits\"", 1, tokens + k);
        }
    }
    if (!changed) return;
    qelTune(b.tune[0], b.tune[1], b.tune[2]);
    b.chosen.limits = true;
}

void searchPathOption(RtInt n, const RtToken tokens[], const RtPointer values[]) {
    RiBinding& b = binding();
    for (RtInt k = 0; k < n; ++k) {
        RiDeclaration declaration;
        std::string_view bare;
        const bool found =
            b.declarations.resolve(tokens[k], declaration, bare) == RiDeclarations::Found &&
            values[k] && declaration.isString();
        const auto* text = static_cast<const RtString*>(values[k]);
        if (found && bare == "shader" && text[0]) {
            // "@", the renderer's default places, is "&" to the scene API
            // while nothing has replaced them.
            b.shaderPlaces = expandedSearchPath(text[0], b.shaderPlaces, kRendererPlaces);
            if (b.shaderPlaces.empty()) b.shaderPlaces = kRendererPlaces;
            b.shaderPlacesSent = false;
            b.sendShaderPlaces();
        } else if (found && bare == "texture" && text[0]) {
            b.texturePlaces = expandedSearchPath(text[0], b.texturePlaces, kRendererPlaces);
            if (b.texturePlaces.empty()) b.texturePlaces = kRendererPlaces;
            b.texturePlacesSent = false;
            b.sendTexturePlaces();
        } else {
            b.dropAll("Option \"searchpath\"", 1, tokens + k);
        }
    }
}

} // namespace

void RiOptionV(RtToken name, RtInt n, const RtToken tokens[], const RtPointer values[]) {
    if (same(name, "limits")) {
        limitsOption(n, tokens, values);
        return;
    }
    if (same(name, "searchpath")) {
        searchPathOption(n, tokens, values);
        return;
    }
    std::string key = std::string("Option \"") + (name ? name : "") + "\"";
    binding().warnOnce(key, RIBNoCounterpart, "%s is skipped", key.c_str());
}

// ---- attributes

void RiAttributeV(RtToken name, RtInt n, const RtToken tokens[], const RtPointer values[]) {
    RiBinding& b = binding();
    std::string request = std::string("Attribute \"") + (name ? name : "") + "\"";
    for (RtInt k = 0; k < n; ++k) {
        RiDeclaration declaration;
        std::string_view bare;
        bool found =
            b.declarations.resolve(tokens[k], declaration, bare) == RiDeclarations::Found &&
            values[k];
        bool isString = found && declaration.isString();
        if (same(name, "identifier") && isString && bare == "name") {
            qelObjectName(*static_cast<const RtString*>(values[k]));
        } else if (same(name, "identifier") && isString && bare == "shadinggroup") {
            qelGroupName(*static_cast<const RtString*>(values[k]));
        } else if (same(name, "displacementbound") && found && bare == "sphere" &&
                   declaration.type == RiType::Float) {
            qelBoundDisplacement(*static_cast<const float*>(values[k]));
        } else {
            b.dropAll(request.c_str(), 1, tokens + k);
        }
    }
}

void RiColor(const RtFloat color[]) {
    if (!binding().skipInMotion()) qelColor(color);
}
void RiOpacity(const RtFloat color[]) {
    if (!binding().skipInMotion()) qelOpacity(color);
}

void RiTextureCoordinates(RtFloat s1, RtFloat t1, RtFloat s2, RtFloat t2, RtFloat s3, RtFloat t3,
                          RtFloat s4, RtFloat t4) {
    qelTextureCoordinates(s1, t1, s2, t2, s3, t3, s4, t4);
}

RtLightHandle RiLightSourceV(RtToken name, RtInt n, const RtToken tokens[],
                             const RtPointer values[]) {
    RtLightHandle light = nullptr;
    shaderRequest(RiShaderKind::Light, "LightSource", name, n, tokens, values,
                  [&](unsigned short quark, const QelParameterList& list) {
                      light = qelLightSourceV(quark, list.n(), list.tokens(), list.values());
                  });
    return light;
}

RtLightHandle RiAreaLightSourceV(RtToken name, RtInt n, const RtToken tokens[],
                                 const RtPointer values[]) {
    RtLightHandle light = nullptr;
    shaderRequest(RiShaderKind::Light, "AreaLightSource", name, n, tokens, values,
                  [&](unsigned short quark, const QelParameterList& list) {
                      light = qelAreaLightSourceV(quark, list.n(), list.tokens(), list.values());
                  });
    return light;
}

void RiIlluminate(RtLightHandle light, RtBoolean on) {
    qelLightSwitch(light, on ? 1 : 0);
}

namespace {
using QelShaderRequest = void (*)(unsigned short shader, long n, const unsigned short* tokens,
                                  void* const* values);

void shaderRequest(RiShaderKind kind, const char* request, QelShaderRequest call, RtToken name,
                   RtInt n, const RtToken tokens[], const RtPointer values[]) {
    shaderRequest(kind, request, name, n, tokens, values,
                  [call](unsigned short quark, const QelParameterList& list) {
                      call(quark, list.n(), list.tokens(), list.values());
                  });
}
} // namespace

void RiSurfaceV(RtToken name, RtInt n, const RtToken tokens[], const RtPointer values[]) {
    RiBinding& b = binding();
    if (!b.transforms.inWorld()) b.chosen.surface = true;
    shaderRequest(RiShaderKind::Surface, "Surface", qelSurfaceV, name, n, tokens, values);
}
void RiDisplacementV(RtToken name, RtInt n, const RtToken tokens[], const RtPointer values[]) {
    shaderRequest(RiShaderKind::Displacement, "Displacement", qelDisplacementV, name, n, tokens,
                  values);
}
void RiAtmosphereV(RtToken name, RtInt n, const RtToken tokens[], const RtPointer values[]) {
    shaderRequest(RiShaderKind::Volume, "Atmosphere", qelAtmosphereV, name, n, tokens, values);
}
void RiInteriorV(RtToken name, RtInt n, const RtToken tokens[], const RtPointer values[]) {
    shaderRequest(RiShaderKind::Volume, "Interior", qelInteriorV, name, n, tokens, values);
}
void RiExteriorV(RtToken name, RtInt n, const RtToken tokens[], const RtPointer values[]) {
    shaderRequest(RiShaderKind::Volume, "Exterior", qelExteriorV, name, n, tokens, values);
}
void RiDeformationV(RtToken name, RtInt n, const RtToken tokens[], const RtPointer values[]) {
    shaderRequest(RiShaderKind::Deformation, "Deformation", qelDeformationV, name, n, tokens,
                  values);
}

void RiShadingRate(RtFloat size) {
    qelShadingRate(size);
}

void RiShadingInterpolation(RtToken type) {
    if (same(type, "constant"))
        qelShadingModel(QEL_SHADING_FLAT);
    else if (same(type, "smooth"))
        qelShadingModel(QEL_SHADING_GOURAUD);
    else
        reportError(RIBBadValue, "Unknown shading interpolation \"%s\"", type ? type : "");
}

void RiMatte(RtBoolean on) {
    qelMatteObject(on ? 1 : 0);
}
void RiBound(const RtBound bound) {
    qelBound(bound);
}
void RiDetail(const RtBound bound) {
    qelDetail(bound);
}
void RiDetailRange(RtFloat a, RtFloat b, RtFloat c, RtFloat d) {
    qelDetailRange(a, b, c, d);
}

void RiGeometricApproximation(RtToken type, RtFloat value) {
    if (same(type, "flatness")) {
        qelFlatness(value);
        return;
    }
    std::string key = std::string("GeometricApproximation \"") + (type ? type : "") + "\"";
    binding().warnOnce(key, RIBNoCounterpart, "%s is skipped", key.c_str());
}

void RiOrientation(RtToken orientation) {
    short code = codeOf(std::begin(kOrientations), std::end(kOrientations), orientation);
    if (code >= 0)
        qelOrientation(code);
    else
        reportError(RIBBadValue, "Unknown orientation \"%s\"", orientation ? orientation : "");
}

void RiReverseOrientation() {
    qelOrientation(QEL_ORIENT_REVERSE);
}

void RiSides(RtInt sides) {
    if (sides == 1 || sides == 2)
        qelBackface(sides == 2 ? 1 : 0);
    else
        binding().report(RIBBadValue, QEL_SEVERITY_ERROR, "Sides %d is neither 1 nor 2", sides);
}

void RiBasis(const RtBasis ubasis, RtInt ustep, const RtBasis vbasis, RtInt vstep) {
    RiBinding& b = binding();
    short u = basisCode(ubasis, ustep), v = basisCode(vbasis, vstep);
    if (u >= 0 && u == v) {
        qelBasis(QEL_UVBASIS, u);
    } else {
        if (u >= 0)
            qelBasis(QEL_UBASIS, u);
        else
            qelCustomBasis(QEL_UBASIS, ubasis, ustep);
        if (v >= 0)
            qelBasis(QEL_VBASIS, v);
        else
            qelCustomBasis(QEL_VBASIS, vbasis, vstep);
    }
    if (validBasisStep(ustep)) b.uStep = ustep;
    if (validBasisStep(vstep)) b.vStep = vstep;
}

void RiTrimCurve(RtInt nloops, const RtInt ncurves[], const RtInt order[], const RtFloat knot[],
                 const RtFloat min[], const RtFloat max[], const RtInt n[], const RtFloat u[],
                 const RtFloat v[], const RtFloat w[]) {
    long curves = sum(ncurves, nloops);
    qelTrimCurve(nloops, longs(0, ncurves, nloops), longs(1, order, curves), knot, min, max,
                 longs(2, n, curves), u, v, w);
}

// ---- transforms

// Inside the world, RenderMan's Identity and Transform are relative to world
// space; the scene API's matrices go from object to camera space.
void RiIdentity() {
    RiBinding& b = binding();
    if (b.transforms.inWorld()) {
        loadMatrix(b.transforms.identity());
        return;
    }
    if (b.followsTransform()) b.transforms.current() = gIdentity;
    qelLoadIdentity();
}
void RiTransform(const RtMatrix transform) {
    loadMatrix(binding().transforms.relative(Matrix(transform)));
}
void RiConcatTransform(const RtMatrix transform) {
    RiBinding& b = binding();
    if (b.followsTransform()) b.transforms.current() = Matrix(transform) * b.transforms.current();
    qelMultMatrix(transform);
}
void RiPerspective(RtFloat fov) {
    RiBinding& b = binding();
    if (b.followsTransform()) b.transforms.current().perspective(fov);
    qelPerspective(fov);
}
void RiTranslate(RtFloat dx, RtFloat dy, RtFloat dz) {
    RiBinding& b = binding();
    if (b.followsTransform()) b.transforms.current().translate(dx, dy, dz);
    qelTranslate(dx, dy, dz);
}
void RiRotate(RtFloat angle, RtFloat dx, RtFloat dy, RtFloat dz) {
    RiBinding& b = binding();
    if (b.followsTransform()) b.transforms.current().rotate(angle, dx, dy, dz);
    qelRotate(angle, dx, dy, dz);
}
void RiScale(RtFloat sx, RtFloat sy, RtFloat sz) {
    RiBinding& b = binding();
    if (b.followsTransform()) b.transforms.current().scale(sx, sy, sz);
    qelScale(sx, sy, sz);
}
void RiSkew(RtFloat angle, RtFloat dx1, RtFloat dy1, RtFloat dz1, RtFloat dx2, RtFloat dy2,
            RtFloat dz2) {
    RiBinding& b = binding();
    if (b.followsTransform()) b.transforms.current().skew(angle, dx1, dy1, dz1, dx2, dy2, dz2);
    qelSkew(angle, dx1, dy1, dz1, dx2, dy2, dz2);
}

void RiCoordinateSystem(RtToken space) {
    for (const char* standard : kStandardSpaces) {
        if (!same(space, standard)) continue;
        std::string key = std::string("CoordinateSystem \"") + space + "\"";
        binding().warnOnce(key, RIBNoCounterpart,
                           "%s: the scene API keeps its standard spaces; skipped", key.c_str());
        return;
    }
    std::string name = space ? space : "";
    binding().transforms.mark(name);
    qelMarkSpace(binding().nameQuark(name));
}

// The spaces the binding knows the matrix of: "world", "camera", "object"
// (the current one) and every CoordinateSystem.
void RiCoordSysTransform(RtToken space) {
    RiBinding& b = binding();
    if (b.skipInMotion()) return;
    std::string name = space ? space : "";
    if (name == "object" || name == "current") return;
    if (const Matrix* matrix = b.transforms.space(name)) {
        loadMatrix(*matrix);
        return;
    }
    b.warnOnce("CoordSysTransform " + name, RIBNoCounterpart,
               "CoordSysTransform \"%s\": no such coordinate system; the transform is kept",
               name.c_str());
}

// ---- geometry

namespace {

// A polygon of zero area is left out, with one warning per file.
bool flatPolygon(const char* request, long outerVertices, RtInt n, const RtToken tokens[],
                 const RtPointer values[]) {
    RiBinding& b = binding();
    if (!RiPositions(b.declarations, n, tokens, values).zeroArea(nullptr, outerVertices))
        return false;
    b.warnOnce("zero-area polygons", RIBBadValue,
               "%s: polygons of zero area are left out (told once)", request);
    return true;
}

} // namespace

void RiPolygonV(RtInt nvertices, RtInt n, const RtToken tokens[], const RtPointer values[]) {
    RiBinding& b = binding();
    if (b.skipInMotion()) return;
    if (flatPolygon("Polygon", nvertices, n, tokens, values)) return;
    RiCounts counts = RiCounts::polygon(nvertices);
    QelParameterList& list = b.geometry("Polygon", counts, counts, nullptr, n, tokens, values);
    qelPolygonV(nvertices, list.n(), list.tokens(), list.values());
}

void RiGeneralPolygonV(RtInt nloops, const RtInt nvertices[], RtInt n, const RtToken tokens[],
                       const RtPointer values[]) {
    RiBinding& b = binding();
    if (b.skipInMotion()) return;
    if (nloops > 0 && flatPolygon("GeneralPolygon", nvertices[0], n, tokens, values)) return;
    RiCounts counts = RiCounts::polygon(sum(nvertices, nloops));
    QelParameterList& list =
        b.geometry("GeneralPolygon", counts, counts, nullptr, n, tokens, values);
    qelGeneralPolygonV(nloops, longs(0, nvertices, nloops), list.n(), list.tokens(), list.values());
}

namespace {

// A mesh given to the scene API: faces of zero area left out, with one
// warning per file, and a point at every face corner when values vary per
// corner. nloops null: every face is one loop.
void meshRequest(const char* request, long faces, const RtInt nloops[], const RtInt nvertices[],
                 const RtInt vertices[], RtInt n, const RtToken tokens[],
                 const RtPointer values[]) {
    RiBinding& b = binding();
    RiMeshFaces kept(faces, nloops, nvertices, vertices,
                     RiPositions(b.declarations, n, tokens, values));
    if (kept.dropped() > 0)
        b.warnOnce("zero-area polygons", RIBBadValue,
                   "%s: polygons of zero area are left out (told once)", request);
    if (kept.faces() == 0) return;
    const RtPointer* keptValues = values;
    if (kept.dropped() > 0)
        keptValues = kept.values(b.declarations, b.colorSamples, n, tokens, values);
    long corners = kept.corners();
    long points = largestPlusOne(kept.vertices(), corners);
    RiCounts rib = RiCounts::mesh(kept.faces(), points, corners);
    RiCounts qel = RiCounts::mesh(kept.faces(), points, points);
    const RtInt* indices = kept.vertices();
    std::optional<RiCornerMesh> split;
    if (RiCornerMesh::needed(b.declarations, n, tokens)) {
        split.emplace(corners, indices, b.colorSamples, b.declarations, n, tokens, keptValues);
        keptValues = split->values();
        indices = split->vertices();
        rib = qel = RiCounts::mesh(kept.faces(), corners, corners);
    }
    QelParameterList& list = b.geometry(request, rib, qel, nullptr, n, tokens, keptValues);
    if (!nloops) {
        qelPolygonMeshV(kept.faces(), longs(0, kept.nvertices(), kept.faces()),
                        longs(1, indices, corners), list.n(), list.tokens(), list.values());
        return;
    }
    qelGeneralPolygonMeshV(kept.faces(), longs(0, kept.nloops(), kept.faces()),
                           longs(1, kept.nvertices(), kept.loops()), longs(2, indices, corners),
                           list.n(), list.tokens(), list.values());
}

} // namespace

void RiPointsPolygonsV(RtInt npolys, const RtInt nvertices[], const RtInt vertices[], RtInt n,
                       const RtToken tokens[], const RtPointer values[]) {
    if (binding().skipInMotion()) return;
    if (npolys == 0) return; // an empty mesh draws nothing
    meshRequest("PointsPolygons", npolys, nullptr, nvertices, vertices, n, tokens, values);
}

void RiPointsGeneralPolygonsV(RtInt npolys, const RtInt nloops[], const RtInt nvertices[],
                              const RtInt vertices[], RtInt n, const RtToken tokens[],
                              const RtPointer values[]) {
    if (binding().skipInMotion()) return;
    if (npolys == 0) return; // an empty mesh draws nothing
    meshRequest("PointsGeneralPolygons", npolys, nloops, nvertices, vertices, n, tokens, values);
}

void RiPatchV(RtToken type, RtInt n, const RtToken tokens[], const RtPointer values[]) {
    RiBinding& b = binding();
    if (b.skipInMotion()) return;
    bool bicubic = same(type, "bicubic");
    if (!bicubic && !same(type, "bilinear")) {
        reportError(RIBBadValue, "Unknown patch type \"%s\"", type ? type : "");
        return;
    }
    // Varying values sit at the four corners in both interfaces.
    RiCounts counts = RiCounts::patch(bicubic);
    QelParameterList& list = b.geometry("Patch", counts, counts, nullptr, n, tokens, values);
    qelPatchV(bicubic ? QEL_PATCH_BICUBIC : QEL_PATCH_BILINEAR, list.n(), list.tokens(),
              list.values());
}

void RiPatchMeshV(RtToken type, RtInt nu, RtToken uwrap, RtInt nv, RtToken vwrap, RtInt n,
                  const RtToken tokens[], const RtPointer values[]) {
    RiBinding& b = binding();
    if (b.skipInMotion()) return;
    bool bicubic = same(type, "bicubic");
    if (!bicubic && !same(type, "bilinear")) {
        reportError(RIBBadValue, "Unknown patch type \"%s\"", type ? type : "");
        return;
    }
    short uw = wrapCode(uwrap), vw = wrapCode(vwrap);
    if (uw < 0 || vw < 0) return;
    RiCounts counts =
        RiCounts::patchMesh(bicubic, nu, uw == QEL_WRAP, nv, vw == QEL_WRAP, b.uStep, b.vStep);
    QelParameterList& list = b.geometry("PatchMesh", counts, counts, nullptr, n, tokens, values);
    qelPatchMeshV(bicubic ? QEL_PATCH_BICUBIC : QEL_PATCH_BILINEAR, nu, uw, nv, vw, list.n(),
                  list.tokens(), list.values());
}

void RiNuPatchV(RtInt nu, RtInt uorder, const RtFloat uknot[], RtFloat umin, RtFloat umax, RtInt nv,
                RtInt vorder, const RtFloat vknot[], RtFloat vmin, RtFloat vmax, RtInt n,
                const RtToken tokens[], const RtPointer values[]) {
    RiBinding& b = binding();
    if (b.skipInMotion()) return;
    RiCounts rib = RiCounts::nuPatch(nu, uorder, nv, vorder);
    long points = long(nu) * long(nv);
    RiCounts qel{1, points, points, points};
    RiGrid grid{2 + nu - uorder, 2 + nv - vorder, nu, nv};
    QelParameterList& list = b.geometry("NuPatch", rib, qel, &grid, n, tokens, values);
    qelNurbMeshV(nu, uorder, uknot, umin, umax, nv, vorder, vknot, vmin, vmax, list.n(),
                 list.tokens(), list.values());
}

namespace {
// The parameters of a quadric, or null inside a motion block after its first request.
QelParameterList* quadric(const char* request, RtInt n, const RtToken tokens[],
                          const RtPointer values[]) {
    RiBinding& b = binding();
    if (b.skipInMotion()) return nullptr;
    RiCounts counts = RiCounts::quadric();
    return &b.geometry(request, counts, counts, nullptr, n, tokens, values);
}
} // namespace

void RiSphereV(RtFloat radius, RtFloat zmin, RtFloat zmax, RtFloat thetamax, RtInt n,
               const RtToken tokens[], const RtPointer values[]) {
    if (QelParameterList* list = quadric("Sphere", n, tokens, values))
        qelSphereV(radius, zmin, zmax, thetamax, list->n(), list->tokens(), list->values());
}

void RiConeV(RtFloat height, RtFloat radius, RtFloat thetamax, RtInt n, const RtToken tokens[],
             const RtPointer values[]) {
    if (QelParameterList* list = quadric("Cone", n, tokens, values))
        qelConeV(radius, height, height, thetamax, list->n(), list->tokens(), list->values());
}

void RiCylinderV(RtFloat radius, RtFloat zmin, RtFloat zmax, RtFloat thetamax, RtInt n,
                 const RtToken tokens[], const RtPointer values[]) {
    if (QelParameterList* list = quadric("Cylinder", n, tokens, values))
        qelCylinderV(radius, zmin, zmax, thetamax, list->n(), list->tokens(), list->values());
}

void RiHyperboloidV(const RtFloat point1[3], const RtFloat point2[3], RtFloat thetamax, RtInt n,
                    const RtToken tokens[], const RtPointer values[]) {
    if (QelParameterList* list = quadric("Hyperboloid", n, tokens, values))
        qelHyperboloidV(point1, point2, thetamax, list->n(), list->tokens(), list->values());
}

void RiParaboloidV(RtFloat rmax, RtFloat zmin, RtFloat zmax, RtFloat thetamax, RtInt n,
                   const RtToken tokens[], const RtPointer values[]) {
    if (QelParameterList* list = quadric("Paraboloid", n, tokens, values))
        qelParaboloidV(rmax, zmin, zmax, thetamax, list->n(), list->tokens(), list->values());
}

void RiDiskV(RtFloat height, RtFloat radius, RtFloat thetamax, RtInt n, const RtToken tokens[],
             const RtPointer values[]) {
    if (QelParameterList* list = quadric("Disk", n, tokens, values))
        qelDiskV(height, radius, thetamax, list->n(), list->tokens(), list->values());
}

void RiTorusV(RtFloat majorRadius, RtFloat minorRadius, RtFloat phimin, RtFloat phimax,
              RtFloat thetamax, RtInt n, const RtToken tokens[], const RtPointer values[]) {
    if (QelParameterList* list = quadric("Torus", n, tokens, values))
        qelTorusV(majorRadius, minorRadius, phimin, phimax, thetamax, list->n(), list->tokens(),
                  list->values());
}

void RiPointsV(RtInt, RtInt, const RtToken[], const RtPointer[]) {
    binding().unsupported("Points");
}
void RiCurvesV(RtToken, RtInt, const RtInt[], RtToken, RtInt, const RtToken[], const RtPointer[]) {
    binding().unsupported("Curves");
}
void RiSubdivisionMeshV(RtToken, RtInt, const RtInt[], const RtInt[], RtInt, const RtToken[],
                        const RtInt[], const RtInt[], const RtFloat[], RtInt, const RtToken[],
                        const RtPointer[]) {
    binding().unsupported("SubdivisionMesh");
}
void RiBlobbyV(RtInt, RtInt, const RtInt[], RtInt, const RtFloat[], RtInt, const RtToken[], RtInt,
               const RtToken[], const RtPointer[]) {
    binding().unsupported("Blobby");
}
void RiProcedural(RtToken, RtInt, const RtString[], const RtBound) {
    binding().unsupported("Procedural");
}
void RiGeometryV(RtToken type, RtInt n, const RtToken tokens[], const RtPointer[]) {
    RiBinding& b = binding();
    if (same(type, "teapot")) {
        if (b.skipInMotion()) return;
        b.dropAll("Geometry", n, tokens);
        emitTeapot();
        return;
    }
    std::string key = std::string("Geometry \"") + (type ? type : "") + "\"";
    b.warnOnce(key, RIBNoCounterpart, "%s is skipped", key.c_str());
}
void RiReadArchiveV(RtToken name, RtInt, const RtToken[], const RtPointer[]) {
    std::string key = std::string("ReadArchive \"") + (name ? name : "") + "\"";
    binding().warnOnce(key, RIBNoCounterpart, "%s is not read", key.c_str());
}

// ---- texture utilities

void RiMakeTextureV(RtString picture, RtString texture, RtToken swrap, RtToken twrap,
                    RtFilterFunc filter, RtFloat swidth, RtFloat twidth, RtInt n,
                    const RtToken tokens[], const RtPointer values[]) {
    short s = textureWrap(swrap), t = textureWrap(twrap);
    if (s < 0 || t < 0) return;
    binding().sendTexturePlaces();
    QelParameterList& list = binding().shader("MakeTexture", nullptr, n, tokens, values);
    qelMakeTextureV(picture, texture, s, t, qelFilterOf(filter), swidth, twidth, list.n(),
                    list.tokens(), list.values());
}

void RiMakeBumpV(RtString picture, RtString texture, RtToken swrap, RtToken twrap,
                 RtFilterFunc filter, RtFloat swidth, RtFloat twidth, RtInt n,
                 const RtToken tokens[], const RtPointer values[]) {
    short s = textureWrap(swrap), t = textureWrap(twrap);
    if (s < 0 || t < 0) return;
    QelParameterList& list = binding().shader("MakeBump", nullptr, n, tokens, values);
    qelMakeBumpV(picture, texture, s, t, qelFilterOf(filter), swidth, twidth, list.n(),
                 list.tokens(), list.values());
}

void RiMakeLatLongEnvironmentV(RtString picture, RtString texture, RtFilterFunc filter,
                               RtFloat swidth, RtFloat twidth, RtInt n, const RtToken tokens[],
                               const RtPointer values[]) {
    QelParameterList& list = binding().shader("MakeLatLongEnvironment", nullptr, n, tokens, values);
    qelMakeLatLongEnvironmentV(picture, texture, qelFilterOf(filter), swidth, twidth, list.n(),
                               list.tokens(), list.values());
}

void RiMakeCubeFaceEnvironmentV(RtString px, RtString nx, RtString py, RtString ny, RtString pz,
                                RtString nz, RtString texture, RtFloat fov, RtFilterFunc filter,
                                RtFloat swidth, RtFloat twidth, RtInt n, const RtToken tokens[],
                                const RtPointer values[]) {
    QelParameterList& list =
        binding().shader("MakeCubeFaceEnvironment", nullptr, n, tokens, values);
    qelMakeCubeFaceEnvironmentV(px, nx, py, ny, pz, nz, texture, fov, qelFilterOf(filter), swidth,
                                twidth, list.n(), list.tokens(), list.values());
}

void RiMakeShadowV(RtString picture, RtString texture, RtInt n, const RtToken tokens[],
                   const RtPointer values[]) {
    QelParameterList& list = binding().shader("MakeShadow", nullptr, n, tokens, values);
    qelMakeShadowV(picture, texture, list.n(), list.tokens(), list.values());
}

} // namespace quelmark
