// The option requests of the renderer library.
#include "api/qel.h"
#include "renderer/display/Display.h"
#include "renderer/state/Option.h"
#include "renderer/state/RequestFrame.h"

#include <cstdarg>

using namespace quelmark;

void qelRasterViewport(long xmin, long xmax, long ymin, long ymax) {
    RequestName frame("qelRasterViewport");
    gOption->rasterViewport(xmin, xmax, ymin, ymax);
}

void qelRasterAspect(float aspect) {
    RequestName frame("qelRasterAspect");
    gOption->rasterAspect(aspect);
}

void qelImageWindow(float left, float right, float bottom, float top) {
    RequestName frame("qelImageWindow");
    gOption->imageWindow(left, right, bottom, top);
}

void qelImageAspect(float aspect) {
    RequestName frame("qelImageAspect");
    gOption->imageAspect(aspect);
}

void qelImageCrop(float xmin, float xmax, float ymin, float ymax) {
    RequestName frame("qelImageCrop");
    gOption->imageCrop(xmin, xmax, ymin, ymax);
}

void qelViewOrthographic() {
    RequestName frame("qelViewOrthographic");
    gOption->viewOrthographic();
}

void qelViewPerspective(float fov) {
    RequestName frame("qelViewPerspective");
    gOption->viewPerspective(fov);
}

void qelViewIdentity() {
    RequestName frame("qelViewIdentity");
    gOption->viewIdentity();
}

void qelClip(float hither, float yon) {
    RequestName frame("qelClip");
    gOption->clip(hither, yon);
}

void qelSampleAdaptive(float variance) {
    RequestName frame("qelSampleAdaptive");
    gOption->sampleAdaptive(variance);
}

void qelSampleUniform(float xsamples, float ysamples) {
    RequestName frame("qelSampleUniform");
    gOption->sampleUniform(xsamples, ysamples);
}

void qelSampleJitter(float jitter) {
    RequestName frame("qelSampleJitter");
    gOption->sampleJitter(jitter);
}

void qelFilter(short filter) {
    RequestName frame("qelFilter");
    gOption->filter(filter);
}

void qelCustomFilter(qelFilterFunc filter) {
    RequestName frame("qelCustomFilter");
    gOption->customFilter(filter);
}

void qelFilterWidth(float xwidth, float ywidth) {
    RequestName frame("qelFilterWidth");
    gOption->filterWidth(xwidth, ywidth);
}

void qelColorGain(float gain) {
    RequestName frame("qelColorGain");
    gOption->colorGain(gain);
}

void qelColorGamma(float gamma) {
    RequestName frame("qelColorGamma");
    gOption->colorGamma(gamma);
}

void qelColorQuantize(long one, long min, long max) {
    RequestName frame("qelColorQuantize");
    gOption->colorQuantize(one, min, max);
}

void qelColorJitter(float amplitude) {
    RequestName frame("qelColorJitter");
    gOption->colorJitter(amplitude);
}

void qelDepthQuantize(long one, long min, long max) {
    RequestName frame("qelDepthQuantize");
    gOption->depthQuantize(one, min, max);
}

void qelDepthJitter(float amplitude) {
    RequestName frame("qelDepthJitter");
    gOption->depthJitter(amplitude);
}

void qelOutputDisplay(const char* name) {
    RequestName frame("qelOutputDisplay");
    gOption->outputDisplay(name);
}

void qelOutputFile(short format, const char* name) {
    RequestName frame("qelOutputFile");
    gOption->outputFile(format, name);
}

void qelSaveDisplay(const char* path) {
    RequestName frame("qelSaveDisplay");
    Display::saveEveryFrameTo(path);
}

void qelOutputSamples(short samples) {
    RequestName frame("qelOutputSamples");
    gOption->outputSamples(samples);
}

void qelOutputImage(short format, const char* name, const char* mode, long n,
                    const float* quantization) {
    RequestName frame("qelOutputImage");
    gOption->outputImage(format, name, mode, n, quantization);
}

void qelHider(short hider) {
    RequestName frame("qelHider");
    gOption->hider(hider);
}

void qelColorSpace(long n, const float* nToRgb, const float* rgbToN) {
    RequestName frame("qelColorSpace");
    gOption->colorSpace(n, nToRgb, rgbToN);
}

void qelTune(long a, long b, long c) {
    RequestName frame("qelTune");
    gOption->tune(a, b, c);
}

void qelShaderPath(const char* places) {
    RequestName frame("qelShaderPath");
    gOption->shaderPath(places);
}

void qelTexturePath(const char* places) {
    RequestName frame("qelTexturePath");
    gOption->texturePath(places);
}

void qelTextureMemory(float megabytes) {
    RequestName frame("qelTextureMemory");
    gOption->textureMemory(megabytes);
}

void qelImagerV(const char* name, long n, const unsigned short* tokens, void* const* values) {
    RequestName frame("qelImagerV");
    gOption->imager(name, n, tokens, values);
}

void qelImager(const char* name, ...) {
    RequestName frame("qelImager");
    va_list args;
    va_start(args, name);
    VaParms parms(args);
    va_end(args);
    gOption->imager(name, parms.count(), parms.tokens(), parms.values());
}
