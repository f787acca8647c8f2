// The attribute and shader requests of the renderer library.
#include "api/qel.h"
#include "renderer/state/Attrib.h"
#include "renderer/state/RequestFrame.h"

using namespace quelmark;

void qelColor(const float* rgb) {
    RequestName frame("qelColor");
    gAttrib->color(rgb);
}

void qelOpacity(const float* rgb) {
    RequestName frame("qelOpacity");
    gAttrib->opacity(rgb);
}

const void* qelLightSourceV(unsigned short shader, long n, const unsigned short* tokens,
                            void* const* values) {
    RequestName frame("qelLightSourceV");
    return gAttrib->lightSource(shader, n, tokens, values);
}

const void* qelLightSource(unsigned short shader, ...) {
    RequestName frame("qelLightSource");
    va_list args;
    va_start(args, shader);
    VaParms parms(args);
    va_end(args);
    return gAttrib->lightSource(shader, parms.count(), parms.tokens(), parms.values());
}

const void* qelAreaLightSourceV(unsigned short shader, long n, const unsigned short* tokens,
                                void* const* values) {
    RequestName frame("qelAreaLightSourceV");
    return gAttrib->areaLightSource(shader, n, tokens, values);
}

const void* qelAreaLightSource(unsigned short shader, ...) {
    RequestName frame("qelAreaLightSource");
    va_list args;
    va_start(args, shader);
    VaParms parms(args);
    va_end(args);
    return gAttrib->areaLightSource(shader, parms.count(), parms.tokens(), parms.values());
}

void qelLightSwitch(const void* light, short on) {
    RequestName frame("qelLightSwitch");
    gAttrib->lightSwitch(light, on);
}

void qelSurfaceV(unsigned short shader, long n, const unsigned short* tokens, void* const* values) {
    RequestName frame("qelSurfaceV");
    gAttrib->surface(shader, n, tokens, values);
}

void qelSurface(unsigned short shader, ...) {
    RequestName frame("qelSurface");
    va_list args;
    va_start(args, shader);
    VaParms parms(args);
    va_end(args);
    gAttrib->surface(shader, parms.count(), parms.tokens(), parms.values());
}

void qelDisplacementV(unsigned short shader, long n, const unsigned short* tokens,
                      void* const* values) {
    RequestName frame("qelDisplacementV");
    gAttrib->displacement(shader, n, tokens, values);
}

void qelDisplacement(unsigned short shader, ...) {
    RequestName frame("qelDisplacement");
    va_list args;
    va_start(args, shader);
    VaParms parms(args);
    va_end(args);
    gAttrib->displacement(shader, parms.count(), parms.tokens(), parms.values());
}

void qelAtmosphereV(unsigned short shader, long n, const unsigned short* tokens,
                    void* const* values) {
    RequestName frame("qelAtmosphereV");
    gAttrib->atmosphere(shader, n, tokens, values);
}

void qelAtmosphere(unsigned short shader, ...) {
    RequestName frame("qelAtmosphere");
    va_list args;
    va_start(args, shader);
    VaParms parms(args);
    va_end(args);
    gAttrib->atmosphere(shader, parms.count(), parms.tokens(), parms.values());
}

void qelShadingRate(float rate) {
    RequestName frame("qelShadingRate");
    gAttrib->shadingRate(rate);
}

void qelShadingModel(short model) {
    RequestName frame("qelShadingModel");
    gAttrib->shadingModel(model);
}

void qelMatteObject(short on) {
    RequestName frame("qelMatteObject");
    gAttrib->matteObject(on);
}

void qelBound(const float* bound) {
    RequestName frame("qelBound");
    gAttrib->bound(bound);
}

void qelFlatness(float flatness) {
    RequestName frame("qelFlatness");
    gAttrib->flatness(flatness);
}

void qelOrientation(short orientation) {
    RequestName frame("qelOrientation");
    gAttrib->orientation(orientation);
}

void qelBackface(short on) {
    RequestName frame("qelBackface");
    gAttrib->backface(on);
}

void qelBoundDisplacement(float distance) {
    RequestName frame("qelBoundDisplacement");
    gAttrib->boundDisplacement(distance);
}

void qelObjectName(const char* name) {
    RequestName frame("qelObjectName");
    gAttrib->objectName(name);
}

void qelGroupName(const char* name) {
    RequestName frame("qelGroupName");
    gAttrib->groupName(name);
}

void qelBasis(short application, short basis) {
    RequestName frame("qelBasis");
    gAttrib->basis(application, basis);
}

void qelCustomBasis(short application, const float m[4][4], long step) {
    RequestName frame("qelCustomBasis");
    gAttrib->customBasis(application, m, step);
}
