// The attribute, shader and light requests of the scene writer: written only.
#include "api/qel.h"
#include "common/ColorSpace.h"
#include "common/Basis.h"
#include "renderer/state/RequestFrame.h"
#include "writer/SceneWriter.h"

#include <initializer_list>

using namespace quelmark;

namespace {

const ParameterCounts kShaderCounts{1, 1, 1};

void writeNumbers(const char* keyword, std::initializer_list<float> values) {
    writeLine(keyword, [&](QelLine& line) {
        for (float value : values) line.number(value);
    });
}

void writeEnumerator(const char* keyword, short code) {
    writeLine(keyword, [&](QelLine& line) { line.enumerator(code); });
}

void writeBoolean(const char* keyword, short on) {
    writeLine(keyword, [&](QelLine& line) { line.boolean(on); });
}

void writeText(const char* keyword, const char* text) {
    writeLine(keyword, [&](QelLine& line) { line.text(text); });
}

// A colour in the current colour samples.
void writeColor(const char* keyword, const float* samples, const char* what) {
    writeLine(keyword, [&](QelLine& line) {
        line.numbers(samples, long(currentColorSpace().samples), what);
    });
}

void writeShader(const char* keyword, unsigned short shader, long n, const unsigned short* tokens,
                 void* const* values) {
    writeLine(keyword, [&](QelLine& line) {
        line.quark(shader, "shader").parameters(n, tokens, values, kShaderCounts);
    });
}

// The handle, written after the shader name, is the light counter's value.
const void* writeLight(const char* keyword, unsigned short shader, long n,
                       const unsigned short* tokens, void* const* values) {
    std::uint32_t handle = sceneWriter().nextLight();
    writeLine(keyword, [&](QelLine& line) {
        line.quark(shader, "light source").integer(long(handle));
        line.parameters(n, tokens, values, kShaderCounts);
    });
    return handleOf(handle);
}

} // namespace

void qelColor(const float* rgb) {
    RequestName frame("qelColor");
    writeColor("qelColor", rgb, "colour");
}

void qelOpacity(const float* rgb) {
    RequestName frame("qelOpacity");
    writeColor("qelOpacity", rgb, "opacity");
}

void qelTextureCoordinates(float s1, float t1, float s2, float t2, float s3, float t3, float s4,
                           float t4) {
    RequestName frame("qelTextureCoordinates");
    writeNumbers("qelTextureCoordinates", {s1, t1, s2, t2, s3, t3, s4, t4});
}

const void* qelLightSourceV(unsigned short shader, long n, const unsigned short* tokens,
                            void* const* values) {
    RequestName frame("qelLightSourceV");
    return writeLight("qelLightSource", shader, n, tokens, values);
}

const void* qelLightSource(unsigned short shader, ...) {
    RequestName frame("qelLightSource");
    va_list args;
    va_start(args, shader);
    VaParms parms(args);
    va_end(args);
    return writeLight("qelLightSource", shader, parms.count(), parms.tokens(), parms.values());
}

const void* qelAreaLightSourceV(unsigned short shader, long n, const unsigned short* tokens,
                                void* const* values) {
    RequestName frame("qelAreaLightSourceV");
    return writeLight("qelAreaLightSource", shader, n, tokens, values);
}

const void* qelAreaLightSource(unsigned short shader, ...) {
    RequestName frame("qelAreaLightSource");
    va_list args;
    va_start(args, shader);
    VaParms parms(args);
    va_end(args);
    return writeLight("qelAreaLightSource", shader, parms.count(), parms.tokens(),
                      parms.values());
}

void qelLightSwitch(const void* light, short on) {
    RequestName frame("qelLightSwitch");
    writeLine("qelLightSwitch", [&](QelLine& line) { line.integer(numberOf(light)).boolean(on); });
}

void qelSurfaceV(unsigned short shader, long n, const unsigned short* tokens,
                 void* const* values) {
    RequestName frame("qelSurfaceV");
    writeShader("qelSurface", shader, n, tokens, values);
}

void qelSurface(unsigned short shader, ...) {
    RequestName frame("qelSurface");
    va_list args;
    va_start(args, shader);
    VaParms parms(args);
    va_end(args);
    writeShader("qelSurface", shader, parms.count(), parms.tokens(), parms.values());
}

void qelAtmosphereV(unsigned short shader, long n, const unsigned short* tokens,
                    void* const* values) {
    RequestName frame("qelAtmosphereV");
    writeShader("qelAtmosphere", shader, n, tokens, values);
}

void qelAtmosphere(unsigned short shader, ...) {
    RequestName frame("qelAtmosphere");
    va_list args;
    va_start(args, shader);
    VaParms parms(args);
    va_end(args);
    writeShader("qelAtmosphere", shader, parms.count(), parms.tokens(), parms.values());
}

void qelInteriorV(unsigned short shader, long n, const unsigned short* tokens,
                  void* const* values) {
    RequestName frame("qelInteriorV");
    writeShader("qelInterior", shader, n, tokens, values);
}

void qelInterior(unsigned short shader, ...) {
    RequestName frame("qelInterior");
    va_list args;
    va_start(args, shader);
    VaParms parms(args);
    va_end(args);
    writeShader("qelInterior", shader, parms.count(), parms.tokens(), parms.values());
}

void qelExteriorV(unsigned short shader, long n, const unsigned short* tokens,
                  void* const* values) {
    RequestName frame("qelExteriorV");
    writeShader("qelExterior", shader, n, tokens, values);
}

void qelExterior(unsigned short shader, ...) {
    RequestName frame("qelExterior");
    va_list args;
    va_start(args, shader);
    VaParms parms(args);
    va_end(args);
    writeShader("qelExterior", shader, parms.count(), parms.tokens(), parms.values());
}

void qelDeformationV(unsigned short shader, long n, const unsigned short* tokens,
                     void* const* values) {
    RequestName frame("qelDeformationV");
    writeShader("qelDeformation", shader, n, tokens, values);
}

void qelDeformation(unsigned short shader, ...) {
    RequestName frame("qelDeformation");
    va_list args;
    va_start(args, shader);
    VaParms parms(args);
    va_end(args);
    writeShader("qelDeformation", shader, parms.count(), parms.tokens(), parms.values());
}

void qelDisplacementV(unsigned short shader, long n, const unsigned short* tokens,
                      void* const* values) {
    RequestName frame("qelDisplacementV");
    writeShader("qelDisplacement", shader, n, tokens, values);
}

void qelDisplacement(unsigned short shader, ...) {
    RequestName frame("qelDisplacement");
    va_list args;
    va_start(args, shader);
    VaParms parms(args);
    va_end(args);
    writeShader("qelDisplacement", shader, parms.count(), parms.tokens(), parms.values());
}

void qelShadingRate(float rate) {
    RequestName frame("qelShadingRate");
    writeNumbers("qelShadingRate", {rate});
}

void qelShadingModel(short model) {
    RequestName frame("qelShadingModel");
    writeEnumerator("qelShadingModel", model);
}

void qelMatteObject(short on) {
    RequestName frame("qelMatteObject");
    writeBoolean("qelMatteObject", on);
}

void qelBound(const float* bound) {
    RequestName frame("qelBound");
    writeLine("qelBound", [&](QelLine& line) { line.numbers(bound, 6, "bound"); });
}

void qelDetail(const float* bound) {
    RequestName frame("qelDetail");
    writeLine("qelDetail", [&](QelLine& line) { line.numbers(bound, 6, "bound"); });
}

void qelDetailRange(float minVisible, float lowerTransition, float upperTransition,
                    float maxVisible) {
    RequestName frame("qelDetailRange");
    writeNumbers("qelDetailRange", {minVisible, lowerTransition, upperTransition, maxVisible});
}

void qelFlatness(float flatness) {
    RequestName frame("qelFlatness");
    writeNumbers("qelFlatness", {flatness});
}

void qelOrientation(short orientation) {
    RequestName frame("qelOrientation");
    writeEnumerator("qelOrientation", orientation);
}

void qelBackface(short on) {
    RequestName frame("qelBackface");
    writeBoolean("qelBackface", on);
}

void qelBoundDisplacement(float distance) {
    RequestName frame("qelBoundDisplacement");
    writeNumbers("qelBoundDisplacement", {distance});
}

void qelObjectName(const char* name) {
    RequestName frame("qelObjectName");
    writeText("qelObjectName", name);
}

void qelGroupName(const char* name) {
    RequestName frame("qelGroupName");
    writeText("qelGroupName", name);
}

// The steps of the bases decide the counts of later patch meshes.
void qelBasis(short application, short basis) {
    RequestName frame("qelBasis");
    writeLine("qelBasis",
              [&](QelLine& line) { line.enumerator(application).enumerator(basis); });
    sceneWriter().setBasisStep(application, basisStep(basis));
}

void qelCustomBasis(short application, const float m[4][4], long step) {
    RequestName frame("qelCustomBasis");
    writeLine("qelCustomBasis", [&](QelLine& line) {
        line.enumerator(application).matrix(m, "basis matrix").integer(step);
    });
    sceneWriter().setBasisStep(application, step);
}
