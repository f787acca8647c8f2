// The option requests of the scene writer. The image geometry and camera
// requests are also applied to the state copy, which reports misuse.
#include "api/qel.h"
#include "renderer/state/Option.h"
#include "renderer/state/RequestFrame.h"
#include "writer/SceneWriter.h"

#include <initializer_list>

using namespace quelmark;

namespace {

constexpr float kInfiniteFStop = 1e38f;

void writeNumbers(const char* keyword, std::initializer_list<float> values) {
    writeLine(keyword, [&](QelLine& line) {
        for (float value : values) line.number(value);
    });
}

void writeCheckedNumbers(const char* keyword, std::initializer_list<float> values) {
    writeCheckedLine(keyword, [&](QelLine& line) {
        for (float value : values) line.number(value);
    });
}

void writeIntegers(const char* keyword, std::initializer_list<long> values) {
    writeLine(keyword, [&](QelLine& line) {
        for (long value : values) line.integer(value);
    });
}

void writeEnumerator(const char* keyword, short code) {
    writeLine(keyword, [&](QelLine& line) { line.enumerator(code); });
}

// Written without the prefix.
void writeImager(const char* name, long n, const unsigned short* tokens, void* const* values) {
    writeLine("Imager", [&](QelLine& line) {
        line.text(name).parameters(n, tokens, values, {1, 1, 1});
    });
}

} // namespace

void qelRasterViewport(long xmin, long xmax, long ymin, long ymax) {
    RequestName frame("qelRasterViewport");
    writeCheckedLine("qelRasterViewport", [&](QelLine& line) {
        line.integer(xmin).integer(xmax).integer(ymin).integer(ymax);
    });
    gOption->rasterViewport(xmin, xmax, ymin, ymax);
}

void qelRasterAspect(float aspect) {
    RequestName frame("qelRasterAspect");
    writeCheckedNumbers("qelRasterAspect", {aspect});
    gOption->rasterAspect(aspect);
}

void qelImageWindow(float left, float right, float bottom, float top) {
    RequestName frame("qelImageWindow");
    writeCheckedNumbers("qelImageWindow", {left, right, bottom, top});
    gOption->imageWindow(left, right, bottom, top);
}

void qelImageAspect(float aspect) {
    RequestName frame("qelImageAspect");
    writeCheckedNumbers("qelImageAspect", {aspect});
    gOption->imageAspect(aspect);
}

void qelImageCrop(float xmin, float xmax, float ymin, float ymax) {
    RequestName frame("qelImageCrop");
    writeCheckedNumbers("qelImageCrop", {xmin, xmax, ymin, ymax});
    gOption->imageCrop(xmin, xmax, ymin, ymax);
}

void qelViewOrthographic() {
    RequestName frame("qelViewOrthographic");
    writeKeyword("qelViewOrthographic");
    gOption->viewOrthographic();
}

void qelViewPerspective(float fov) {
    RequestName frame("qelViewPerspective");
    writeCheckedNumbers("qelViewPerspective", {fov});
    gOption->viewPerspective(fov);
}

void qelViewIdentity() {
    RequestName frame("qelViewIdentity");
    writeKeyword("qelViewIdentity");
    gOption->viewIdentity();
}

void qelClip(float hither, float yon) {
    RequestName frame("qelClip");
    writeCheckedNumbers("qelClip", {hither, yon});
    gOption->clip(hither, yon);
}

// An infinite f-stop (no depth of field) is the keyword alone.
void qelDepthOfField(float fstop, float focalLength, float focalDistance) {
    RequestName frame("qelDepthOfField");
    if (fstop >= kInfiniteFStop)
        writeKeyword("qelDepthOfField");
    else
        writeCheckedNumbers("qelDepthOfField", {fstop, focalLength, focalDistance});
    gOption->depthOfField(fstop, focalLength, focalDistance);
}

void qelShutter(float open, float close) {
    RequestName frame("qelShutter");
    writeCheckedNumbers("qelShutter", {open, close});
    gOption->shutter(open, close);
}

void qelSampleAdaptive(float variance) {
    RequestName frame("qelSampleAdaptive");
    writeNumbers("qelSampleAdaptive", {variance});
}

void qelSampleUniform(float xsamples, float ysamples) {
    RequestName frame("qelSampleUniform");
    writeNumbers("qelSampleUniform", {xsamples, ysamples});
}

void qelSampleJitter(float jitter) {
    RequestName frame("qelSampleJitter");
    writeNumbers("qelSampleJitter", {jitter});
}

void qelFilter(short filter) {
    RequestName frame("qelFilter");
    writeEnumerator("qelFilter", filter);
}

// A function cannot be written: the request neither writes nor checks.
void qelCustomFilter(qelFilterFunc) {}

void qelFilterWidth(float xwidth, float ywidth) {
    RequestName frame("qelFilterWidth");
    writeNumbers("qelFilterWidth", {xwidth, ywidth});
}

void qelColorGain(float gain) {
    RequestName frame("qelColorGain");
    writeNumbers("qelColorGain", {gain});
}

void qelColorGamma(float gamma) {
    RequestName frame("qelColorGamma");
    writeNumbers("qelColorGamma", {gamma});
}

void qelColorQuantize(long one, long min, long max) {
    RequestName frame("qelColorQuantize");
    writeIntegers("qelColorQuantize", {one, min, max});
}

void qelColorJitter(float amplitude) {
    RequestName frame("qelColorJitter");
    writeNumbers("qelColorJitter", {amplitude});
}

void qelDepthQuantize(long one, long min, long max) {
    RequestName frame("qelDepthQuantize");
    writeIntegers("qelDepthQuantize", {one, min, max});
}

void qelDepthJitter(float amplitude) {
    RequestName frame("qelDepthJitter");
    writeNumbers("qelDepthJitter", {amplitude});
}

void qelOutputDisplay(const char* name) {
    RequestName frame("qelOutputDisplay");
    writeLine("qelOutputDisplay", [&](QelLine& line) { line.text(name); });
}

// The scene format chooses the scene file itself and writes nothing; null
// closes the scene file, after which nothing is written.
void qelOutputFile(short format, const char* name) {
    RequestName frame("qelOutputFile");
    if (format == QEL_FORMAT_QEL) {
        sceneWriter().file().open(name);
        return;
    }
    writeLine("qelOutputFile", [&](QelLine& line) { line.enumerator(format).text(name); });
}

void qelOutputSamples(short samples) {
    RequestName frame("qelOutputSamples");
    writeEnumerator("qelOutputSamples", samples);
}

void qelOutputImage(short format, const char* name, const char* mode, long n,
                    const float* quantization) {
    RequestName frame("qelOutputImage");
    writeCheckedLine("qelOutputImage", [&](QelLine& line) {
        line.enumerator(format).text(name).text(mode).integer(n).numbers(quantization, n,
                                                                         "quantization");
    });
}

void qelHider(short hider) {
    RequestName frame("qelHider");
    writeEnumerator("qelHider", hider);
}

// Also sets the colour samples in which colours are written.
void qelColorSpace(long n, const float* nToRgb, const float* rgbToN) {
    RequestName frame("qelColorSpace");
    long values = n > 0 ? 3 * n : 0;
    writeCheckedLine("qelColorSpace", [&](QelLine& line) {
        line.integer(n)
            .numbers(nToRgb, values, "colour space matrices")
            .numbers(rgbToN, values, "colour space matrices");
    });
    gOption->colorSpace(n, nToRgb, rgbToN);
}

void qelRelativeDetail(float detail) {
    RequestName frame("qelRelativeDetail");
    writeNumbers("qelRelativeDetail", {detail});
}

void qelTune(long a, long b, long c) {
    RequestName frame("qelTune");
    writeIntegers("qelTune", {a, b, c});
}

void qelShaderPath(const char* places) {
    RequestName frame("qelShaderPath");
    writeLine("qelShaderPath", [&](QelLine& line) { line.text(places); });
}

void qelTexturePath(const char* places) {
    RequestName frame("qelTexturePath");
    writeLine("qelTexturePath", [&](QelLine& line) { line.text(places); });
}

void qelTextureMemory(float megabytes) {
    RequestName frame("qelTextureMemory");
    writeNumbers("qelTextureMemory", {megabytes});
}

void qelImagerV(const char* name, long n, const unsigned short* tokens, void* const* values) {
    RequestName frame("qelImagerV");
    writeImager(name, n, tokens, values);
}

void qelImager(const char* name, ...) {
    RequestName frame("qelImager");
    va_list args;
    va_start(args, name);
    VaParms parms(args);
    va_end(args);
    writeImager(name, parms.count(), parms.tokens(), parms.values());
}
