// The option block: everything that applies to a whole frame. The current
// block is gOption; the graphics state saves and restores it around frames.
//
// Every request first asks the state whether options may change now and does
// nothing when they may not. Values out of range are reported and corrected.
#ifndef QEL_STATE_OPTION_H
#define QEL_STATE_OPTION_H

#include "api/qel.h"
#include "common/String.h"
#include "common/ColorSpace.h"
#include "renderer/state/OutputPlan.h"

#include <memory>
#include <vector>

namespace quelmark {

class CompiledImager;

class Option {
public:
    Option() { init(); }
    Option(const Option& other);
    Option& operator=(const Option& other);

    void init();

    // The requests.
    void rasterViewport(long xmin, long xmax, long ymin, long ymax);
    void rasterAspect(float aspect);
    void imageWindow(float left, float right, float bottom, float top);
    void imageAspect(float aspect);
    void imageCrop(float xmin, float xmax, float ymin, float ymax);
    void viewOrthographic();
    void viewPerspective(float fov);
    void viewIdentity();
    void clip(float hither, float yon);
    void depthOfField(float fstop, float focalLength, float focalDistance);
    void shutter(float open, float close);
    void sampleAdaptive(float variance);
    void sampleUniform(float xsamples, float ysamples);
    void sampleJitter(float amount);
    void filter(short code);
    void customFilter(qelFilterFunc function);
    void filterWidth(float xwidth, float ywidth);
    void colorGain(float value);
    void colorGamma(float gamma);
    void colorQuantize(long one, long min, long max);
    void colorJitter(float amplitude);
    void depthQuantize(long one, long min, long max);
    void depthJitter(float amplitude);
    void outputDisplay(const char* name);
    void outputFile(short format, const char* name);
    void outputSamples(short code);
    void outputImage(short format, const char* name, const char* mode, long n,
                     const float* quantization);
    // Every output in the format given, or in the one its name asks for.
    void outputsAs(short format);
    void outputsByName();
    void hider(short code);
    void colorSpace(long n, const float* nToRgb, const float* rgbToN);
    void relativeDetail(float detail);
    void tune(long a, long b, long c);
    void shaderPath(const char* places);
    void texturePath(const char* places);
    void textureMemory(float megabytes);
    // A null or empty name: no imager.
    void imager(const char* name, long n, const unsigned short* tokens, void* const* values);

    const ColorSpace& colorSpaceInfo() const { return space; }

    // Image geometry.
    long xResolution, yResolution;
    float pixelAspect;
    float cropXmin, cropXmax, cropYmin, cropYmax;
    float frameAspect;
    float screenLeft, screenRight, screenBottom, screenTop;
    // Camera projection.
    short depthNormalize, perspective;
    float nearClip, farClip;
    float fStop, focalLength, focalDistance;
    float shutterOpen, shutterClose;
    // Sampling and filtering.
    float maxVariance; // below 0: uniform sampling
    float xSamples, ySamples;
    qelFilterFunc filterFunction;
    float filterXWidth, filterYWidth;
    // Exposure and quantisation.
    float gain, invGamma;
    float colorOne, colorMin, colorMax, colorDither;
    float depthOne, depthMin, depthMax, depthDither;
    // Output: the frame's image outputs, the first one also as the fields
    // below, and what they ask of the renderer.
    std::vector<OutputRequest> outputs;
    OutputPlan plan;
    short outputKind; // 0 the display, otherwise a file format code
    String outputName;
    short samplesCode, channels, colorOut, alphaOut, depthOut;
    long rasterOriginX, rasterOriginY;
    short hiderType;
    float jitter;
    float detail;
    long tuneA, tuneB, tuneC;
    // Where compiled shaders are looked for: folders separated by ':'.
    String shaderPlaces;
    // Where maps named without a folder are looked for, ':' between places.
    String texturePlaces;
    // The most megabytes the tiles of texture maps take.
    float textureMegabytes;
    // The imager the finished pixels go through, with its parameter values;
    // none by default. Shared by the frames that copy the options.
    std::shared_ptr<const CompiledImager> imagerShader;

private:
    bool allowed() const;
    void rebindColorSpace();
    // Brings the fields of the first output and the plan up to date.
    void replan();

    ColorSpace space;
    std::vector<float> nToRgbValues, rgbToNValues;
};

extern Option* gOption;

} // namespace quelmark

#endif
