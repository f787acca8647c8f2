#include "renderer/state/Option.h"

#include "api/qel.h"
#include "common/Error.h"
#include "common/Filter.h"
#include "common/ImageFormats.h"
#include "common/SearchPath.h"
#include "renderer/state/ArgList.h"
#include "renderer/state/Camera.h"
#include "renderer/state/Limits.h"
#include "renderer/state/RenderTarget.h"
#include "renderer/state/State.h"
#include "renderer/state/Transform.h"
#include "shadercode/ShaderSearch.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

namespace quelmark {

Option* gOption = nullptr;

namespace {

constexpr float kTiny = 1e-10f;
constexpr float kHuge = 1e38f;

// Maps named without a folder are looked for in the current folder.
constexpr const char* kDefaultTexturePlaces = ".";
// The texture cache: 256 MB unless told, at least 64 KB and at most 1 TB.
constexpr float kDefaultTextureMegabytes = 256;
constexpr float kFewestTextureMegabytes = 1.0f / 16;
constexpr float kMostTextureMegabytes = 1024 * 1024;

// An imager's parameters have one value each.
const ParameterCounts kImagerCounts{1, 1, 1};

// NaN counts as outside every range.
bool within(float value, float low, float high) {
    return value >= low && value <= high;
}

float clampUnit(float value, float fallback) {
    if (std::isnan(value)) return fallback;
    return value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value);
}

// An empty or reversed viewport, one far from the origin, or one larger than
// the image limits is reported.
bool validViewport(long xmin, long xmax, long ymin, long ymax) {
    // Computed in double: the difference of two longs may not fit in one.
    double width = double(xmax) - double(xmin) + 1.0;
    double height = double(ymax) - double(ymin) + 1.0;
    if (width < 1.0 || height < 1.0 || std::fabs(double(xmin)) > kMaxResolution ||
        std::fabs(double(ymin)) > kMaxResolution) {
        error(kErrRange, kError, "raster viewport %ld %ld %ld %ld out of range", xmin, xmax, ymin,
              ymax);
        return false;
    }
    if (width > kMaxResolution || height > kMaxResolution || width * height > kMaxPixels) {
        error(kErrRange, kError,
              "raster %.0f by %.0f pixels out of range: at most %ld a side, %ld in all", width,
              height, kMaxResolution, kMaxPixels);
        return false;
    }
    return true;
}

} // namespace

Option::Option(const Option& other) {
    *this = other;
}

Option& Option::operator=(const Option& other) {
    if (this == &other) return *this;
    xResolution = other.xResolution;
    yResolution = other.yResolution;
    pixelAspect = other.pixelAspect;
    cropXmin = other.cropXmin;
    cropXmax = other.cropXmax;
    cropYmin = other.cropYmin;
    cropYmax = other.cropYmax;
    frameAspect = other.frameAspect;
    screenLeft = other.screenLeft;
    screenRight = other.screenRight;
    screenBottom = other.screenBottom;
    screenTop = other.screenTop;
    depthNormalize = other.depthNormalize;
    perspective = other.perspective;
    nearClip = other.nearClip;
    farClip = other.farClip;
    fStop = other.fStop;
    focalLength = other.focalLength;
    focalDistance = other.focalDistance;
    shutterOpen = other.shutterOpen;
    shutterClose = other.shutterClose;
    maxVariance = other.maxVariance;
    xSamples = other.xSamples;
    ySamples = other.ySamples;
    filterFunction = other.filterFunction;
    filterXWidth = other.filterXWidth;
    filterYWidth = other.filterYWidth;
    gain = other.gain;
    invGamma = other.invGamma;
    colorOne = other.colorOne;
    colorMin = other.colorMin;
    colorMax = other.colorMax;
    colorDither = other.colorDither;
    depthOne = other.depthOne;
    depthMin = other.depthMin;
    depthMax = other.depthMax;
    depthDither = other.depthDither;
    outputs = other.outputs;
    plan = other.plan;
    outputKind = other.outputKind;
    outputName = other.outputName;
    samplesCode = other.samplesCode;
    channels = other.channels;
    colorOut = other.colorOut;
    alphaOut = other.alphaOut;
    depthOut = other.depthOut;
    rasterOriginX = other.rasterOriginX;
    rasterOriginY = other.rasterOriginY;
    hiderType = other.hiderType;
    jitter = other.jitter;
    detail = other.detail;
    tuneA = other.tuneA;
    tuneB = other.tuneB;
    tuneC = other.tuneC;
    shaderPlaces = other.shaderPlaces;
    texturePlaces = other.texturePlaces;
    textureMegabytes = other.textureMegabytes;
    imagerShader = other.imagerShader;
    space = other.space;
    nToRgbValues = other.nToRgbValues;
    rgbToNValues = other.rgbToNValues;
    rebindColorSpace();
    return *this;
}

void Option::init() {
    imagerShader.reset();
    xResolution = yResolution = 0;
    pixelAspect = 0.0f;
    cropXmin = 0.0f, cropXmax = 1.0f, cropYmin = 0.0f, cropYmax = 1.0f;
    frameAspect = 0.0f;
    screenLeft = screenRight = screenBottom = screenTop = 0.0f;
    depthNormalize = 1, perspective = 0;
    nearClip = kTiny, farClip = kHuge;
    fStop = kHuge, focalLength = 0.0f, focalDistance = 0.0f;
    shutterOpen = shutterClose = 0.0f;
    maxVariance = -1.0f;
    xSamples = ySamples = 2.0f;
    filterFunction = qelGaussianFilter;
    filterXWidth = filterYWidth = 2.0f;
    gain = 1.0f, invGamma = 1.0f;
    colorOne = 255.0f, colorMin = 0.0f, colorMax = 255.0f, colorDither = 0.5f;
    depthOne = 0.0f, depthMin = 0.0f, depthMax = 0.0f, depthDither = 0.0f;
    OutputRequest first;
    first.format = QEL_FORMAT_WINDOW, first.name = "Quelmark", first.mode = "rgb";
    outputs.assign(1, first);
    replan();
    rasterOriginX = rasterOriginY = 0;
    hiderType = QEL_HIDER_ZBUFFER;
    jitter = 0.5f;
    detail = 1.0f;
    tuneA = 32, tuneB = 12, tuneC = 12;
    shaderPlaces = sl::defaultShaderPlaces().c_str();
    texturePlaces = kDefaultTexturePlaces;
    textureMegabytes = kDefaultTextureMegabytes;
    space = ColorSpace{};
    nToRgbValues.clear();
    rgbToNValues.clear();
}

bool Option::allowed() const {
    return gState->verify(kBlockOutermost | kBlockFrame, kErrNotOptions);
}

void Option::rebindColorSpace() {
    space.nToRgb = nToRgbValues.empty() ? nullptr : nToRgbValues.data();
    space.rgbToN = rgbToNValues.empty() ? nullptr : rgbToNValues.data();
    if (gOption == this) useColorSpace(&space);
}

void Option::rasterViewport(long xmin, long xmax, long ymin, long ymax) {
    if (!allowed() || !validViewport(xmin, xmax, ymin, ymax)) return;
    xResolution = xmax - xmin + 1;
    yResolution = ymax - ymin + 1;
    rasterOriginX = xmin;
    rasterOriginY = ymin;
}

void Option::rasterAspect(float aspect) {
    if (allowed()) pixelAspect = aspect;
}

void Option::imageWindow(float left, float right, float bottom, float top) {
    if (!allowed()) return;
    screenLeft = left, screenRight = right, screenBottom = bottom, screenTop = top;
}

void Option::imageAspect(float aspect) {
    if (allowed()) frameAspect = aspect;
}

void Option::imageCrop(float xmin, float xmax, float ymin, float ymax) {
    if (!allowed()) return;
    if (xmin > xmax) std::swap(xmin, xmax);
    if (ymin > ymax) std::swap(ymin, ymax);
    if (!within(xmin, 0, 1) || !within(xmax, 0, 1) || !within(ymin, 0, 1) || !within(ymax, 0, 1))
        error(kErrRange, kError, "values should be in range 0 to 1, clamping");
    cropXmin = clampUnit(xmin, 0.0f);
    cropXmax = clampUnit(xmax, 1.0f);
    cropYmin = clampUnit(ymin, 0.0f);
    cropYmax = clampUnit(ymax, 1.0f);
}

namespace {

// The camera-to-screen matrix becomes the current transform (with the
// projection applied first), and the transform starts again from identity.
void setProjection(const Matrix& cameraToScreen) {
    gCameraToScreen = cameraToScreen;
    updateCameraToRaster();
    gTransform->resetToIdentity();
}

} // namespace

void Option::viewOrthographic() {
    if (!allowed()) return;
    depthNormalize = 1, perspective = 0;
    setProjection(gTransform->matrix());
}

void Option::viewPerspective(float fov) {
    if (!allowed()) return;
    if (!(fov >= kTiny && double(fov) < 179.9999999999)) {
        error(kErrRange, kError, "fov %g out of range, using 90 degrees", fov);
        fov = 90.0f;
    }
    depthNormalize = 1, perspective = 1;
    Matrix projection = gTransform->matrix();
    projection.perspective(fov);
    setProjection(projection);
}

void Option::viewIdentity() {
    if (!allowed()) return;
    depthNormalize = 0, perspective = 0;
    setProjection(gTransform->matrix());
}

void Option::clip(float hither, float yon) {
    if (!allowed()) return;
    // The margins are compared in double: in float they vanish beside the values.
    if (!(hither >= kTiny && double(hither) <= double(yon) - 1e-10)) {
        error(kErrRange, kError, "near clipping distance %g out of range, using minimum", hither);
        hither = kTiny;
    }
    if (!(yon<kHuge&& double(yon)> double(hither) + 1e-10)) {
        error(kErrRange, kError, "far clipping distance %g out of range, using maximum", yon);
        yon = kHuge;
    }
    nearClip = hither;
    farClip = yon;
}

// An f-stop of kHuge and more is a pinhole, whatever the lens.
void Option::depthOfField(float fstop, float length, float distance) {
    if (!allowed()) return;
    const bool pinhole = fstop >= kHuge;
    if (!pinhole && !(fstop > 0.0f && length > 0.0f && distance > 0.0f && std::isfinite(length) &&
                      std::isfinite(distance))) {
        error(kErrRange, kError, "depth of field %g %g %g out of range", fstop, length, distance);
        return;
    }
    fStop = fstop, focalLength = length, focalDistance = distance;
}

void Option::shutter(float open, float close) {
    if (!allowed()) return;
    if (!(std::isfinite(open) && std::isfinite(close) && open <= close)) {
        error(kErrRange, kError, "shutter %g %g out of range", open, close);
        return;
    }
    shutterOpen = open, shutterClose = close;
}

void Option::sampleAdaptive(float variance) {
    if (!allowed()) return;
    maxVariance = variance >= kTiny ? variance : kTiny;
}

void Option::sampleUniform(float xsamples, float ysamples) {
    if (!allowed()) return;
    maxVariance = 0.0f;
    xSamples = withinLimits("x samples", xsamples, kMinPixelSamples, kMaxPixelSamples);
    ySamples = withinLimits("y samples", ysamples, kMinPixelSamples, kMaxPixelSamples);
}

void Option::sampleJitter(float amount) {
    if (allowed()) jitter = amount;
}

void Option::filter(short code) {
    if (!allowed()) return;
    qelFilterFunc function = filterForCode(code);
    if (!function) {
        error(kErrRange, kError, "unknown filter function %d", code);
        return;
    }
    filterFunction = function;
}

void Option::customFilter(qelFilterFunc function) {
    if (!allowed()) return;
    if (!function) {
        error(kErrMissingData, kError, "filter function must not be null");
        return;
    }
    filterFunction = function;
}

void Option::filterWidth(float xwidth, float ywidth) {
    if (!allowed()) return;
    filterXWidth = withinLimits("x filter width", xwidth, kMinFilterWidth, kMaxFilterWidth);
    filterYWidth = withinLimits("y filter width", ywidth, kMinFilterWidth, kMaxFilterWidth);
}

void Option::colorGain(float value) {
    if (allowed()) gain = value;
}

void Option::colorGamma(float gamma) {
    if (!allowed()) return;
    if (!(gamma >= kTiny)) {
        error(kErrRange, kError, "gamma must be greater than 0");
        return;
    }
    invGamma = 1.0f / gamma;
}

void Option::colorQuantize(long one, long min, long max) {
    if (!allowed()) return;
    colorOne = float(one), colorMin = float(min), colorMax = float(max);
    replan();
}

void Option::colorJitter(float amplitude) {
    if (!allowed()) return;
    colorDither = amplitude;
    replan();
}

void Option::depthQuantize(long one, long min, long max) {
    if (!allowed()) return;
    depthOne = float(one), depthMin = float(min), depthMax = float(max);
    replan();
}

void Option::depthJitter(float amplitude) {
    if (!allowed()) return;
    depthDither = amplitude;
    replan();
}

namespace {

const char* const kSamplesModes[] = {"rgb", "a", "rgba", "z", "rgbz", "az", "rgbaz"};

bool isOutputFormat(short format) {
    return format == QEL_FORMAT_TIFF || format == QEL_FORMAT_PNG || format == QEL_FORMAT_OPENEXR ||
           format == QEL_FORMAT_DEPTHFILE;
}

// A depth file holds the depth alone, as it is.
void setFormat(OutputRequest& output, short format) {
    output.format = format;
    if (format != QEL_FORMAT_DEPTHFILE) return;
    output.mode = "z";
    output.depthFromCamera = true;
    output.clampsFloats = false;
    output.ownQuantization = true;
    output.quantization = Quantization{};
}

// The first output becomes the only one, with the first output's channels.
void replaceOutputs(std::vector<OutputRequest>& outputs, short format, const char* name) {
    OutputRequest first = outputs.front();
    first.name = name;
    setFormat(first, format);
    outputs.assign(1, first);
}

} // namespace

void Option::outputDisplay(const char* name) {
    if (!allowed()) return;
    if (!name) {
        error(kErrMissingData, kError, "name must not be null");
        return;
    }
    replaceOutputs(outputs, QEL_FORMAT_WINDOW, name);
    replan();
}

void Option::outputFile(short format, const char* name) {
    if (!allowed()) return;
    if (!name) {
        error(kErrMissingData, kError, "name must not be null");
        return;
    }
    if (!isOutputFormat(format)) {
        error(kErrRange, kError, "unknown file format %d", format);
        return;
    }
    replaceOutputs(outputs, format, name);
    replan();
}

void Option::outputSamples(short code) {
    if (!allowed()) return;
    constexpr short kSamplesGroup = QEL_SAMPLES_RGB & 0xFF00;
    if ((code & 0xFF00) != kSamplesGroup || (code & 0xFF) == 0 || (code & 0xF8) != 0) {
        error(kErrRange, kError, "unknown samples %ld", long(code));
        return;
    }
    OutputRequest& first = outputs.front();
    first.mode = kSamplesModes[(code & 7) - 1];
    first.depthFromCamera = false;
    replan();
}

void Option::outputImage(short format, const char* name, const char* mode, long n,
                         const float* quantization) {
    if (!allowed()) return;
    if (!name || !mode || (n > 0 && !quantization)) {
        error(kErrMissingData, kError, "name, mode and quantization must not be null");
        return;
    }
    if (format != QEL_FORMAT_WINDOW && !isOutputFormat(format)) {
        error(kErrRange, kError, "unknown file format %d", format);
        return;
    }
    OutputRequest request;
    request.name = name[0] == '+' ? name + 1 : name;
    request.mode = mode;
    request.depthFromCamera = true;
    request.clampsFloats = false;
    if (!isOutputMode(request.mode) && format != QEL_FORMAT_DEPTHFILE) {
        error(kErrRange, kError, "unknown output mode \"%s\"", mode);
        return;
    }
    if (n != 0 && n != 5) {
        error(kErrRange, kError, "%ld quantization values, not 0 or 5", n);
        return;
    }
    if (n == 5) {
        request.ownQuantization = true;
        request.quantization = Quantization{quantization[0], quantization[1], quantization[2],
                                            quantization[3], quantization[4]};
    }
    setFormat(request, format);
    if (name[0] == '+')
        outputs.push_back(std::move(request));
    else
        outputs.assign(1, std::move(request));
    replan();
}

void Option::outputsAs(short format) {
    for (OutputRequest& output : outputs)
        setFormat(output, format);
    replan();
}

void Option::outputsByName() {
    for (OutputRequest& output : outputs)
        output.format = imageFormatOfName(output.name);
    replan();
}

void Option::replan() {
    plan = planOutputs(outputs, Quantization{0.0f, colorOne, colorMin, colorMax, colorDither},
                       Quantization{0.0f, depthOne, depthMin, depthMax, depthDither});
    const OutputRequest& first = outputs.front();
    // An imager reads and changes the opacity of the pixels it colours.
    if (imagerShader && plan.wantsColor()) plan.wantsOpacity = true;
    outputKind = first.format == QEL_FORMAT_WINDOW ? short(0) : first.format;
    outputName = first.name.c_str();
    int bits = standardChannelsNamed(first.mode);
    samplesCode = short(bits ? (QEL_SAMPLES_RGB & 0xFF00) + bits : QEL_NULL);
    colorOut = alphaOut = depthOut = channels = 0;
    if (plan.outputs.empty()) return;
    const ImageOutput& planned = plan.outputs.front();
    colorOut = planned.color, alphaOut = planned.alpha, depthOut = planned.depth;
    channels = short(planned.channels.size());
}

void Option::hider(short code) {
    if (!allowed()) return;
    if (code != QEL_HIDER_NULL && code != QEL_HIDER_ZBUFFER && code != QEL_HIDER_PAINT) {
        error(kErrRange, kError, "unknown hider type %ld, using hidden", long(code));
        code = QEL_HIDER_ZBUFFER;
    }
    hiderType = code;
}

void Option::colorSpace(long n, const float* nToRgb, const float* rgbToN) {
    if (!allowed()) return;
    if (!nToRgb || !rgbToN) {
        error(kErrMissingData, kError, "colour space matrices must not be null");
        return;
    }
    if (n < 1 || n > kMaxColorSamples) {
        error(kErrRange, kError, "colour samples %ld out of range", n);
        return;
    }
    nToRgbValues.assign(nToRgb, nToRgb + 3 * n);
    rgbToNValues.assign(rgbToN, rgbToN + 3 * n);
    space.plainRgb = false;
    space.samples = n;
    rebindColorSpace();
}

void Option::relativeDetail(float value) {
    if (allowed()) detail = value;
}

// Unlike the other options it may change within a scene: shaders are looked
// for when they are requested, not when the frame renders.
void Option::shaderPath(const char* places) {
    const std::string expanded =
        places ? expandedSearchPath(places, shaderPlaces.c_str(), sl::defaultShaderPlaces())
               : std::string();
    shaderPlaces = expanded.empty() ? sl::defaultShaderPlaces().c_str() : expanded.c_str();
}

void Option::texturePath(const char* places) {
    const std::string expanded =
        places ? expandedSearchPath(places, texturePlaces.c_str(), kDefaultTexturePlaces)
               : std::string();
    texturePlaces = expanded.empty() ? kDefaultTexturePlaces : expanded.c_str();
}

void Option::textureMemory(float megabytes) {
    textureMegabytes =
        withinLimits("texture memory", megabytes, kFewestTextureMegabytes, kMostTextureMegabytes);
}

void Option::imager(const char* name, long n, const unsigned short* tokens, void* const* values) {
    if (!allowed() || !validParameterList(n, tokens, values)) return;
    imagerShader.reset();
    if (name && *name) {
        const ArgList args(n, tokens, values, kImagerCounts);
        std::string whyNot;
        imagerShader = renderTarget().makeCompiledImager(name, args, whyNot);
        if (!imagerShader) error(kErrRange, kError, "imager \"%s\": %s", name, whyNot.c_str());
    }
    replan();
}

void Option::tune(long a, long b, long c) {
    if (!allowed()) return;
    tuneA = withinLimits("grid edge", a, 1L, kMaxGridEdge);
    tuneB = withinLimits("bucket width", b, 1L, kMaxBucketSide);
    tuneC = withinLimits("bucket height", c, 1L, kMaxBucketSide);
}

} // namespace quelmark
