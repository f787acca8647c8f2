#include "sceneread/rib/RiBinding.h"

#include "common/Quark.h"
#include "sceneread/rib/RibCodes.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace quelmark {

namespace {

// A name and the scene API parameter it stands for.
struct NamedParameter {
    const char* name;
    unsigned short quark;
    short parameterClass, type;
};

// The names the scene API starts with; their numbers are fixed.
const NamedParameter kPredefined[] = {
    {"point", kQuarkPoint, QEL_CLASS_VERTEX, QEL_TYPE_POINT},
    {"height", kQuarkHeight, QEL_CLASS_VERTEX, QEL_TYPE_FLOAT},
    {"pointw", kQuarkPointw, QEL_CLASS_VERTEX, QEL_TYPE_POINTW},
    {"normal", kQuarkNormal, QEL_CLASS_VARY, QEL_TYPE_POINT},
    {"plane", kQuarkPlane, QEL_CLASS_CONST, QEL_TYPE_POINT},
    {"color", kQuarkColor, QEL_CLASS_VARY, QEL_TYPE_COLOR},
    {"opacity", kQuarkOpacity, QEL_CLASS_VARY, QEL_TYPE_COLOR},
    {"constant", kQuarkConstant, QEL_CLASS_NO, QEL_TYPE_NO},
    {"diffuse", kQuarkDiffuse, QEL_CLASS_NO, QEL_TYPE_NO},
    {"metal", kQuarkMetal, QEL_CLASS_NO, QEL_TYPE_NO},
    {"plastic", kQuarkPlastic, QEL_CLASS_NO, QEL_TYPE_NO},
    {"ka", kQuarkKa, QEL_CLASS_CONST, QEL_TYPE_FLOAT},
    {"kd", kQuarkKd, QEL_CLASS_CONST, QEL_TYPE_FLOAT},
    {"ks", kQuarkKs, QEL_CLASS_CONST, QEL_TYPE_FLOAT},
    {"roughness", kQuarkRoughness, QEL_CLASS_CONST, QEL_TYPE_FLOAT},
    {"specularcolor", kQuarkSpecularColor, QEL_CLASS_CONST, QEL_TYPE_COLOR},
    {"ambient", kQuarkAmbient, QEL_CLASS_NO, QEL_TYPE_NO},
    {"omni", kQuarkOmni, QEL_CLASS_NO, QEL_TYPE_NO},
    {"distant", kQuarkDistant, QEL_CLASS_NO, QEL_TYPE_NO},
    {"spot", kQuarkSpot, QEL_CLASS_NO, QEL_TYPE_NO},
    {"intensity", kQuarkIntensity, QEL_CLASS_CONST, QEL_TYPE_FLOAT},
    {"from", kQuarkFrom, QEL_CLASS_CONST, QEL_TYPE_POINT},
    {"to", kQuarkTo, QEL_CLASS_CONST, QEL_TYPE_POINT},
    {"coneangle", kQuarkConeAngle, QEL_CLASS_CONST, QEL_TYPE_FLOAT},
    {"conedeltaangle", kQuarkConeDeltaAngle, QEL_CLASS_CONST, QEL_TYPE_FLOAT},
    {"beamdistribution", kQuarkBeamDistribution, QEL_CLASS_CONST, QEL_TYPE_FLOAT},
    {"depthcue", kQuarkDepthCue, QEL_CLASS_NO, QEL_TYPE_NO},
    {"fog", kQuarkFog, QEL_CLASS_NO, QEL_TYPE_NO},
    {"hither", kQuarkHither, QEL_CLASS_CONST, QEL_TYPE_FLOAT},
    {"yon", kQuarkYon, QEL_CLASS_CONST, QEL_TYPE_FLOAT},
    {"distance", kQuarkDistance, QEL_CLASS_CONST, QEL_TYPE_FLOAT},
    {"raster", kQuarkRaster, QEL_CLASS_NO, QEL_TYPE_NO},
    {"image", kQuarkImage, QEL_CLASS_NO, QEL_TYPE_NO},
    {"eye", kQuarkEye, QEL_CLASS_NO, QEL_TYPE_NO},
    {"world", kQuarkWorld, QEL_CLASS_NO, QEL_TYPE_NO},
    {"model", kQuarkModel, QEL_CLASS_NO, QEL_TYPE_NO},
    {"defaultsurface", kQuarkDefaultSurface, QEL_CLASS_NO, QEL_TYPE_NO},
};

// The geometric names of the interface and the scene API names they become.
const NamedParameter kGeometric[] = {
    {"P", kQuarkPoint, QEL_CLASS_VERTEX, QEL_TYPE_POINT},
    {"Pz", kQuarkHeight, QEL_CLASS_VERTEX, QEL_TYPE_FLOAT},
    {"Pw", kQuarkPointw, QEL_CLASS_VERTEX, QEL_TYPE_POINTW},
    {"N", kQuarkNormal, QEL_CLASS_VARY, QEL_TYPE_POINT},
    {"Np", kQuarkPlane, QEL_CLASS_CONST, QEL_TYPE_POINT},
    {"Cs", kQuarkColor, QEL_CLASS_VARY, QEL_TYPE_COLOR},
    {"Os", kQuarkOpacity, QEL_CLASS_VARY, QEL_TYPE_COLOR},
};

std::string text(std::string_view view) {
    return std::string(view);
}

} // namespace

short qelTypeOf(const RiDeclaration& declaration) {
    if (declaration.arraySize == 2 && declaration.type == RiType::Float) return QEL_TYPE_PAIR;
    if (declaration.arraySize != 1) return 0;
    switch (declaration.type) {
    case RiType::Float:
        return QEL_TYPE_FLOAT;
    case RiType::Integer:
        return QEL_TYPE_INTEGER;
    case RiType::String:
        return QEL_TYPE_STRING;
    case RiType::Point:
    case RiType::Vector:
    case RiType::Normal:
        return QEL_TYPE_POINT;
    case RiType::HPoint:
        return QEL_TYPE_POINTW;
    case RiType::Color:
        return QEL_TYPE_COLOR;
    case RiType::Matrix:
        return 0;
    }
    return 0;
}

short qelClassOf(RiClass parameterClass) {
    switch (parameterClass) {
    case RiClass::Constant:
    case RiClass::Uniform:
        return QEL_CLASS_CONST;
    case RiClass::Varying:
    case RiClass::FaceVarying:
    case RiClass::FaceVertex:
        return QEL_CLASS_VARY;
    case RiClass::Vertex:
        return QEL_CLASS_VERTEX;
    }
    return QEL_CLASS_CONST;
}

long qelCountOf(short parameterClass, const RiCounts& counts) {
    switch (parameterClass) {
    case QEL_CLASS_CONST:
        return counts.uniform;
    case QEL_CLASS_VARY:
        return counts.varying;
    case QEL_CLASS_VERTEX:
        return counts.vertex;
    default:
        return 1;
    }
}

RiBinding& RiBinding::current() {
    static RiBinding binding;
    return binding;
}

void RiBinding::reset() {
    declarations.reset();
    transforms.reset();
    chosen = Choices{};
    savedChoices.clear();
    handler = RiErrorPrint;
    reportHandler = nullptr;
    colorSamples = 3;
    uStep = vStep = 3;
    xResolution = 640;
    yResolution = 480;
    varianceSet = false;
    colorQuantization = {255, 0, 255, 0.5f};
    tune = {32, 16, 16};
    shaderPlaces = kRendererPlaces;
    shaderPlacesSent = true;
    texturePlaces = kRendererPlaces;
    texturePlacesSent = true;
    compiledShaders.clear();
    inMotion = motionTaken = false;
    motionTransforms = 0;
    fNames.clear();
    for (const NamedParameter& p : kPredefined)
        fNames[p.name] = QelName{p.quark, p.parameterClass, p.type};
    fWarned.clear();
}

void RiBinding::sendShaderPlaces() {
    sendTexturePlaces();
    if (shaderPlacesSent) return;
    qelShaderPath(shaderPlaces.c_str());
    shaderPlacesSent = true;
}

void RiBinding::sendTexturePlaces() {
    if (texturePlacesSent) return;
    qelTexturePath(texturePlaces.c_str());
    texturePlacesSent = true;
}

// ---- reports

void RiBinding::report(long code, long severity, const char* format, ...) {
    char message[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    RtErrorHandler target = reportHandler ? reportHandler : handler;
    if (target) target(RtInt(code), RtInt(severity), message);
}

bool RiBinding::warnOnce(const std::string& key, long code, const char* format, ...) {
    if (!fWarned.insert(key).second) return false;
    char message[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    report(code, QEL_SEVERITY_WARNING, "%s", message);
    return true;
}

void RiBinding::unsupported(const char* request) {
    warnOnce(request, RIBNoCounterpart, "%s is skipped", request);
}

bool RiBinding::skipInMotion() {
    if (!inMotion) return false;
    if (motionTaken) {
        warnOnce("motion", RIBNoCounterpart,
                 "a motion block moves transforms only: of its other requests the first is kept");
        return true;
    }
    motionTaken = true;
    return false;
}

void RiBinding::dropAll(const char* request, RtInt n, const RtToken tokens[]) {
    for (RtInt k = 0; k < n; ++k) {
        std::string_view name = tokens[k];
        RiDeclaration declaration;
        declarations.resolve(tokens[k], declaration, name);
        std::string key = std::string(request) + " \"" + text(name) + "\"";
        warnOnce(key, RIBNoCounterpart, "%s is dropped", key.c_str());
    }
}

// ---- names

unsigned short RiBinding::nameQuark(std::string_view name) {
    auto found = fNames.find(text(name));
    if (found != fNames.end()) return found->second.quark;
    std::string key = text(name);
    unsigned short quark = qelQuark(key.c_str());
    fNames[key] = QelName{quark, QEL_CLASS_NO, QEL_TYPE_NO};
    fFirstGiven.try_emplace(key, fNames[key]);
    return quark;
}

unsigned short RiBinding::variableQuark(std::string_view name, short parameterClass, short type,
                                        bool classMatters) {
    std::string key = text(name);
    auto agrees = [&](const QelName& known) {
        return known.type == type && (!classMatters || known.parameterClass == parameterClass);
    };
    auto found = fNames.find(key);
    if (found != fNames.end() && agrees(found->second)) return found->second.quark;
    // A name an earlier file gave with another class or type keeps them.
    auto first = fFirstGiven.find(key);
    if (found == fNames.end() && (first == fFirstGiven.end() || agrees(first->second))) {
        unsigned short quark = qelVariable(key.c_str(), parameterClass, type);
        fNames[key] = QelName{quark, parameterClass, type};
        fFirstGiven.try_emplace(key, fNames[key]);
        return quark;
    }
    warnOnce("clash " + key, RIBTypeMismatch,
             "parameter \"%s\" was given to the scene API with another type or class; dropped",
             key.c_str());
    return 0;
}

// ---- parameter lists

bool RiBinding::resolve(const char* request, RtToken token, RiDeclaration& declaration,
                        std::string_view& name) {
    switch (declarations.resolve(token, declaration, name)) {
    case RiDeclarations::Found:
        return true;
    case RiDeclarations::Undeclared:
        report(RIBTypeMismatch, QEL_SEVERITY_ERROR, "undeclared token \"%s\" in %s", token,
               request);
        return false;
    case RiDeclarations::Bad:
        report(RIBTypeMismatch, QEL_SEVERITY_ERROR, "bad declaration \"%s\" in %s", token, request);
        return false;
    }
    return false;
}

RiBinding::Target RiBinding::geometryTarget(const char* request, std::string_view name,
                                            const RiDeclaration& declaration) {
    short type = qelTypeOf(declaration);
    for (const NamedParameter& g : kGeometric) {
        if (name != g.name) continue;
        if (type != g.type) {
            warnOnce(std::string(request) + " bad " + g.name, RIBTypeMismatch,
                     "%s: parameter \"%s\" declared %s %s cannot be passed on; dropped", request,
                     g.name, RiDeclarations::className(declaration.parameterClass),
                     RiDeclarations::typeName(declaration.type));
            return {};
        }
        return {g.quark, g.parameterClass, g.type};
    }
    if (type == 0) {
        warnOnce(std::string(request) + " type " + text(name), RIBNoCounterpart,
                 "%s: parameter \"%s\" of type %s[%d] is dropped", request, text(name).c_str(),
                 RiDeclarations::typeName(declaration.type), declaration.arraySize);
        return {};
    }
    short parameterClass = qelClassOf(declaration.parameterClass);
    return {variableQuark(name, parameterClass, type, true), parameterClass, type};
}

QelParameterList& RiBinding::geometry(const char* request, const RiCounts& rib, const RiCounts& qel,
                                      const RiGrid* grid, RtInt n, const RtToken tokens[],
                                      const RtPointer values[]) {
    fList.clear();
    for (RtInt k = 0; k < n; ++k) {
        RiDeclaration declaration;
        std::string_view name;
        if (!tokens[k] || !values[k] || !resolve(request, tokens[k], declaration, name)) continue;
        Target target = geometryTarget(request, name, declaration);
        if (target.quark == 0) continue;
        long ribItems = rib.forClass(declaration.parameterClass);
        long qelItems = qelCountOf(target.parameterClass, qel);
        convert(request, name, declaration, target, ribItems, qelItems, grid, values[k]);
    }
    return fList;
}

void RiBinding::convert(const char* request, std::string_view name,
                        const RiDeclaration& declaration, const Target& target, long ribItems,
                        long qelItems, const RiGrid* grid, const void* values) {
    int width = declaration.width(colorSamples);
    if (declaration.isString()) {
        fList.add(target.quark, values); // one string in the scene API
        return;
    }
    bool isInteger = declaration.isInteger();
    const auto* floats = static_cast<const float*>(values);
    const auto* ints = static_cast<const RtInt*>(values);
    if (ribItems == qelItems || (qelItems == 1 && ribItems > 1)) {
        if (ribItems != qelItems)
            warnOnce(std::string(request) + " first " + text(name), RIBBadArray,
                     "%s: only the first of the %ld values of \"%s\" is kept", request, ribItems,
                     text(name).c_str());
        if (!isInteger) {
            fList.add(target.quark, values);
            return;
        }
        long* out = fList.addLongs(target.quark, size_t(qelItems) * size_t(width));
        std::copy(ints, ints + qelItems * width, out);
        return;
    }
    if (ribItems == 1) { // one value for the whole primitive, repeated
        size_t count = size_t(qelItems) * size_t(width);
        if (isInteger) {
            long* out = fList.addLongs(target.quark, count);
            for (size_t k = 0; k < count; ++k)
                out[k] = ints[k % size_t(width)];
        } else {
            float* out = fList.addFloats(target.quark, count);
            for (size_t k = 0; k < count; ++k)
                out[k] = floats[k % size_t(width)];
        }
        return;
    }
    bool gridded = grid && !isInteger && ribItems == grid->ribU * grid->ribV &&
                   qelItems == grid->qelU * grid->qelV;
    if (gridded) {
        float* out = fList.addFloats(target.quark, size_t(qelItems) * size_t(width));
        resampleGrid(floats, grid->ribU, grid->ribV, width, grid->qelU, grid->qelV, out);
        return;
    }
    warnOnce(std::string(request) + " count " + text(name), RIBBadArray,
             "%s: \"%s\" has %ld values where the scene API takes %ld; dropped", request,
             text(name).c_str(), ribItems, qelItems);
}

void RiBinding::copyScaled(const RiDeclaration& declaration, unsigned short quark, float scale,
                           const void* values) {
    int width = declaration.width(colorSamples);
    if (declaration.isString()) {
        fList.add(quark, values);
    } else if (declaration.isInteger()) {
        const auto* ints = static_cast<const RtInt*>(values);
        long* out = fList.addLongs(quark, size_t(width));
        std::copy(ints, ints + width, out);
    } else if (scale == 1) {
        fList.add(quark, values);
    } else {
        const auto* floats = static_cast<const float*>(values);
        float* out = fList.addFloats(quark, size_t(width));
        for (int k = 0; k < width; ++k)
            out[k] = floats[k] * scale;
    }
}

QelParameterList& RiBinding::shader(const char* request, const RiShader* standard, RtInt n,
                                    const RtToken tokens[], const RtPointer values[]) {
    fList.clear();
    for (RtInt k = 0; k < n; ++k) {
        RiDeclaration declaration;
        std::string_view name;
        if (!tokens[k] || !values[k] || !resolve(request, tokens[k], declaration, name)) continue;
        short type = qelTypeOf(declaration);
        if (standard && standard->parameters) {
            const RiShaderParameter* parameter = findShaderParameter(*standard, name);
            short wanted = 0;
            if (parameter)
                for (const NamedParameter& p : kPredefined)
                    if (p.quark == parameter->quark) wanted = p.type;
            if (!parameter || type != wanted) {
                std::string key =
                    std::string(request) + " \"" + standard->ribName + "\" \"" + text(name) + "\"";
                warnOnce(key, RIBNoCounterpart, "%s: parameter \"%s\" is dropped", request,
                         text(name).c_str());
                continue;
            }
            copyScaled(declaration, parameter->quark, parameter->scale, values[k]);
            continue;
        }
        if (type == 0) {
            warnOnce(std::string(request) + " type " + text(name), RIBNoCounterpart,
                     "%s: parameter \"%s\" of type %s[%d] is dropped", request, text(name).c_str(),
                     RiDeclarations::typeName(declaration.type), declaration.arraySize);
            continue;
        }
        unsigned short quark =
            variableQuark(name, qelClassOf(declaration.parameterClass), type, false);
        if (quark) copyScaled(declaration, quark, 1, values[k]);
    }
    if (standard) addFallbacks(*standard);
    return fList;
}

// RenderMan's defaults where the built-in's differ, for what was left out.
void RiBinding::addFallbacks(const RiShader& standard) {
    if (!standard.parameters) return;
    for (const RiShaderParameter* p = standard.parameters; p->ribName; ++p) {
        if (std::isnan(p->fallback)) continue;
        bool given = false;
        for (long k = 0; k < fList.n(); ++k)
            given |= fList.quark(k) == p->quark;
        if (!given) *fList.addFloats(p->quark, 1) = p->fallback * p->scale;
    }
}

} // namespace quelmark
