#include "renderer/state/Attrib.h"

#include "api/qel.h"
#include "common/Basis.h"
#include "common/Error.h"
#include "common/Quark.h"
#include "renderer/state/ArgList.h"
#include "renderer/state/Camera.h"
#include "renderer/state/Limits.h"
#include "renderer/state/RenderTarget.h"
#include "renderer/state/State.h"
#include "renderer/state/Transform.h"

#include <cmath>

namespace quelmark {

Attrib* gAttrib = nullptr;

namespace {

constexpr float kDefaultST[8] = {0, 0, 1, 0, 0, 1, 1, 1};

bool isLightName(unsigned short q) {
    return q >= kQuarkAmbient && q <= kQuarkSpot;
}
bool isSurfaceName(unsigned short q) {
    return (q >= kQuarkConstant && q <= kQuarkPlastic) || q == kQuarkDefaultSurface;
}
bool isAtmosphereName(unsigned short q) {
    return q == kQuarkDepthCue || q == kQuarkFog;
}

bool present(const void* pointer, const char* what) {
    if (pointer) return true;
    error(kErrMissingData, kError, "%s must not be null", what);
    return false;
}

const ParameterCounts kShaderCounts{1, 1, 1};

} // namespace

Attrib::Attrib() {
    init();
}

Attrib::Attrib(const Attrib& other) {
    copyFrom(other);
}

Attrib& Attrib::operator=(const Attrib& other) {
    if (this != &other) {
        releaseShaders();
        activeLights.flush();
        copyFrom(other);
    }
    return *this;
}

Attrib::~Attrib() {
    releaseShaders();
}

void Attrib::copyFrom(const Attrib& other) {
    snapshot = other.snapshot;
    colorValue = other.colorValue;
    opacityValue = other.opacityValue;
    for (int i = 0; i < 8; ++i)
        textureST[i] = other.textureST[i];
    surfaceShader = other.surfaceShader;
    surfaceName = other.surfaceName;
    atmosphereShader = other.atmosphereShader;
    atmosphereName = other.atmosphereName;
    displacementShader = other.displacementShader;
    displacementName = other.displacementName;
    activeLights = other.activeLights;
    areaLight = other.areaLight;
    shadingRateRoot = other.shadingRateRoot;
    shadingModelCode = other.shadingModelCode;
    matte = other.matte;
    boundValue = other.boundValue;
    flatnessValue = other.flatnessValue;
    orientationCode = other.orientationCode;
    sides = other.sides;
    displacementBound = other.displacementBound;
    objectNameValue = other.objectNameValue;
    groupNameValue = other.groupNameValue;
    uBasis = other.uBasis;
    vBasis = other.vBasis;
    uStep = other.uStep;
    vStep = other.vStep;
    detailBoundSet = other.detailBoundSet;
    detailRangeSet = other.detailRangeSet;
    for (int k = 0; k < 8; ++k)
        detailCorners[k] = other.detailCorners[k];
    for (int k = 0; k < 4; ++k)
        detailRangeValue[k] = other.detailRangeValue[k];
    detailSeen = other.detailSeen;
    if (surfaceShader) renderTarget().retainShader(surfaceShader);
    if (atmosphereShader) renderTarget().retainShader(atmosphereShader);
    if (displacementShader) renderTarget().retainShader(displacementShader);
}

void Attrib::releaseShaders() {
    if (surfaceShader) renderTarget().releaseShader(surfaceShader);
    if (atmosphereShader) renderTarget().releaseShader(atmosphereShader);
    if (displacementShader) renderTarget().releaseShader(displacementShader);
    surfaceShader = atmosphereShader = displacementShader = nullptr;
}

void Attrib::init() {
    releaseShaders();
    activeLights.flush();
    areaLight = nullptr;
    snapshot.setChanged();
    colorValue = Color(1, 1, 1);
    opacityValue = Color(1, 1, 1);
    for (int i = 0; i < 8; ++i)
        textureST[i] = kDefaultST[i];
    surfaceName = kQuarkPlastic;
    surfaceShader = renderTarget().makeSurface(kQuarkPlastic, ArgList());
    atmosphereName = 0;
    displacementName = 0;
    shadingRateRoot = 1.0f;
    shadingModelCode = QEL_SHADING_FLAT;
    matte = 0;
    boundValue = Bound();
    flatnessValue = 0.5f;
    orientationCode = QEL_ORIENT_LH;
    sides = 2;
    displacementBound = 0.0f;
    objectNameValue = String();
    groupNameValue = String();
    uBasis = Matrix(qelBezierBasis);
    vBasis = Matrix(qelBezierBasis);
    uStep = vStep = 3;
}

bool Attrib::allowed() const {
    return gState->verify(kBlockAllButObject, kErrNotAttribs);
}

void Attrib::color(const float* samples) {
    if (!allowed() || !present(samples, "colour")) return;
    colorValue.fromNsamples(samples);
    changed();
}

void Attrib::opacity(const float* samples) {
    if (!allowed() || !present(samples, "opacity")) return;
    opacityValue.fromNsamples(samples);
    changed();
}

void Attrib::detail(const float bound[6]) {
    if (!allowed() || !present(bound, "bound")) return;
    for (int k = 0; k < 6; ++k)
        if (!std::isfinite(bound[k])) {
            error(kErrRange, kError, "detail bound %g %g %g %g %g %g out of range", bound[0],
                  bound[1], bound[2], bound[3], bound[4], bound[5]);
            return;
        }
    for (int k = 0; k < 8; ++k)
        detailCorners[k] = Point(bound[k & 1 ? 1 : 0], bound[k & 2 ? 3 : 2], bound[k & 4 ? 5 : 4]) *
                           gTransform->matrix();
    detailBoundSet = true;
    chooseDetail();
    changed();
}

void Attrib::detailRange(float leastVisible, float lowerTransition, float upperTransition,
                         float mostVisible) {
    if (!allowed()) return;
    if (!(leastVisible <= lowerTransition && lowerTransition <= upperTransition &&
          upperTransition <= mostVisible)) {
        error(kErrRange, kError, "detail range %g %g %g %g out of order", leastVisible,
              lowerTransition, upperTransition, mostVisible);
        return;
    }
    detailRangeValue[0] = leastVisible, detailRangeValue[1] = lowerTransition;
    detailRangeValue[2] = upperTransition, detailRangeValue[3] = mostVisible;
    detailRangeSet = true;
    chooseDetail();
    changed();
}

// With a bound and a range, the window for the camera the scene set up; a
// range without a bound is seen whole.
void Attrib::chooseDetail() {
    detailSeen = DetailWindow{};
    if (!detailBoundSet || !detailRangeSet) return;
    const float area = detailArea(detailCorners, gCameraToRaster, gOption->perspective != 0);
    detailSeen = detailWindow(area * gOption->detail, detailRangeValue);
}

void Attrib::textureCoordinates(const float st[8]) {
    if (!allowed() || !present(st, "texture coordinates")) return;
    for (int i = 0; i < 8; ++i)
        textureST[i] = st[i];
    changed();
}

Light* Attrib::lightSource(unsigned short shader, long n, const unsigned short* tokens,
                           void* const* values) {
    if (!allowed() || !validParameterList(n, tokens, values)) return nullptr;
    ArgList args(n, tokens, values, kShaderCounts);
    Light* light = nullptr;
    if (isLightName(shader)) {
        light = renderTarget().makeLight(shader, args);
    } else {
        std::string whyNot;
        light = renderTarget().makeCompiledLight(shader, args, whyNot);
        if (!light) {
            const char* name = getString(shader);
            error(kErrRange, kError, "light source \"%s\": %s", name ? name : "?", whyNot.c_str());
        }
    }
    if (!light) return nullptr;
    gState->addLight(light);
    activeLights.add(light);
    changed();
    return light;
}

Light* Attrib::areaLightSource(unsigned short shader, long n, const unsigned short* tokens,
                               void* const* values) {
    Light* light = lightSource(shader, n, tokens, values);
    if (light) areaLight = light;
    return light;
}

bool Attrib::knownLight(const void* light) const {
    return light && gState->ownsLight(light);
}

void Attrib::lightSwitch(const void* handle, short on) {
    if (!allowed()) return;
    if (!knownLight(handle)) {
        error(kErrBadHandle, kError, nullptr);
        return;
    }
    Light* light = static_cast<Light*>(const_cast<void*>(handle));
    bool active = activeLights.find(light);
    if (on && !active) activeLights.add(light);
    if (!on && active) activeLights.detach(light);
    changed();
}

void Attrib::surface(unsigned short shader, long n, const unsigned short* tokens,
                     void* const* values) {
    if (!allowed() || !validParameterList(n, tokens, values)) return;
    ArgList args(n, tokens, values, kShaderCounts);
    Shader* made = nullptr;
    if (isSurfaceName(shader)) {
        made = renderTarget().makeSurface(shader, args);
    } else {
        std::string whyNot;
        made = renderTarget().makeCompiledSurface(shader, args, whyNot);
        if (!made) {
            const char* name = getString(shader);
            error(kErrRange, kError, "surface \"%s\": %s", name ? name : "?", whyNot.c_str());
            return;
        }
    }
    if (surfaceShader) renderTarget().releaseShader(surfaceShader);
    surfaceShader = made;
    surfaceName = shader;
    changed();
}

void Attrib::atmosphere(unsigned short shader, long n, const unsigned short* tokens,
                        void* const* values) {
    if (!allowed() || !validParameterList(n, tokens, values)) return;
    ArgList args(n, tokens, values, kShaderCounts);
    Shader* made = nullptr;
    if (isAtmosphereName(shader)) {
        made = renderTarget().makeAtmosphere(shader, args);
    } else if (shader != 0) {
        std::string whyNot;
        made = renderTarget().makeCompiledAtmosphere(shader, args, whyNot);
        if (!made) {
            const char* name = getString(shader);
            error(kErrRange, kError, "atmosphere \"%s\": %s", name ? name : "?", whyNot.c_str());
            return;
        }
    }
    if (atmosphereShader) renderTarget().releaseShader(atmosphereShader);
    atmosphereShader = made;
    atmosphereName = shader;
    changed();
}

void Attrib::displacement(unsigned short shader, long n, const unsigned short* tokens,
                          void* const* values) {
    if (!allowed() || !validParameterList(n, tokens, values)) return;
    Shader* made = nullptr;
    if (shader != 0) {
        ArgList args(n, tokens, values, kShaderCounts);
        std::string whyNot;
        made = renderTarget().makeCompiledDisplacement(shader, args, whyNot);
        if (!made) {
            const char* name = getString(shader);
            error(kErrRange, kError, "displacement \"%s\": %s", name ? name : "?", whyNot.c_str());
            return;
        }
    }
    if (displacementShader) renderTarget().releaseShader(displacementShader);
    displacementShader = made;
    displacementName = shader;
    changed();
}

void Attrib::shadingRate(float rate) {
    if (!allowed()) return;
    shadingRateRoot =
        std::sqrt(withinLimits("shading rate", rate, kMinShadingRate, kMaxShadingRate));
    changed();
}

void Attrib::shadingModel(short model) {
    if (!allowed()) return;
    if (model != QEL_SHADING_FLAT && model != QEL_SHADING_GOURAUD) {
        error(kErrRange, kError, "unknown shading interpolation %ld", long(model));
        return;
    }
    shadingModelCode = model;
    changed();
}

void Attrib::matteObject(short on) {
    if (!allowed()) return;
    matte = on ? 1 : 0;
    changed();
}

void Attrib::bound(const float* values) {
    if (!allowed() || !present(values, "bound")) return;
    boundValue = Bound(values);
    changed();
}

void Attrib::flatness(float value) {
    if (!allowed()) return;
    if (!(value >= 1e-10f)) {
        error(kErrRange, kError, "flatness must be greater than 0");
        return;
    }
    flatnessValue = value;
    changed();
}

void Attrib::orientation(short code) {
    if (!allowed()) return;
    short handed = gTransform->handedness();
    short opposite = handed == QEL_ORIENT_LH ? QEL_ORIENT_RH : QEL_ORIENT_LH;
    switch (code) {
    case QEL_ORIENT_LH:
    case QEL_ORIENT_RH:
        orientationCode = code;
        break;
    case QEL_ORIENT_INSIDE:
        orientationCode = opposite;
        break;
    case QEL_ORIENT_OUTSIDE:
        orientationCode = handed;
        break;
    case QEL_ORIENT_REVERSE:
        orientationCode = orientationCode == QEL_ORIENT_LH ? QEL_ORIENT_RH : QEL_ORIENT_LH;
        break;
    default:
        error(kErrRange, kError, "unknown orientation %ld", long(code));
        return;
    }
    changed();
}

void Attrib::backface(short on) {
    if (!allowed()) return;
    sides = on ? 2 : 1;
    changed();
}

void Attrib::boundDisplacement(float distance) {
    if (!allowed()) return;
    displacementBound = distance;
    changed();
}

void Attrib::objectName(const char* name) {
    if (!allowed() || !present(name, "name")) return;
    objectNameValue = name;
    changed();
}

void Attrib::groupName(const char* name) {
    if (!allowed() || !present(name, "name")) return;
    groupNameValue = name;
    changed();
}

namespace {

bool validApplication(short application) {
    if (application >= QEL_UBASIS && application <= QEL_UVBASIS) return true;
    error(kErrRange, kError, "unknown basis application %d", application);
    return false;
}

} // namespace

void Attrib::basis(short application, short code) {
    if (!allowed() || !validApplication(application)) return;
    const float(*m)[4] = basisMatrix(code);
    if (!m) {
        error(kErrRange, kError, "unknown bicubic patch basis %d", code);
        return;
    }
    setBasis(application, m, basisStep(code));
}

void Attrib::customBasis(short application, const float m[4][4], long step) {
    if (!allowed() || !validApplication(application) || !present(m, "basis matrix")) return;
    if (!validBasisStep(step)) {
        error(kErrRange, kError, "basis step %ld out of range", step);
        return;
    }
    setBasis(application, m, step);
}

void Attrib::setBasis(short application, const float m[4][4], long step) {
    if (application != QEL_VBASIS) uBasis = Matrix(m), uStep = step;
    if (application != QEL_UBASIS) vBasis = Matrix(m), vStep = step;
    changed();
}

} // namespace quelmark
