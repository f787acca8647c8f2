#include "sceneread/rib/parserib.h"

#include "sceneread/ReadLimits.h"

#include <cmath>
#include <new>

namespace quelmark {

namespace {

bool isNumber(int token) {
    return token == LEXINT || token == LEXFLOAT;
}

// What ends a request's parameter list without an error.
bool endsList(int token) {
    return token == LEXKEYWORD || token == LEXEOF || token == LEXERROR;
}

// The integer a number token stands for, when it stands for one.
bool integral(float value, RtInt& result) {
    if (!(std::fabs(value) < 2147483520.0f) || value != std::floor(value)) return false;
    result = RtInt(value);
    return true;
}

} // namespace

parserib::parserib(std::istream& in, const char* fileName) : fLex(in, fileName) {
    hash_init();
}

parserib::~parserib() = default;

void parserib::hash_init() {
    static const struct {
        const char* keyword;
        Handler handler;
    } kRequests[] = {
        {"version", &parserib::handleversion},
        {"Declare", &parserib::handleDeclare},
        {"FrameBegin", &parserib::handleFrameBegin},
        {"FrameEnd", &parserib::handleFrameEnd},
        {"WorldBegin", &parserib::handleWorldBegin},
        {"WorldEnd", &parserib::handleWorldEnd},
        {"AttributeBegin", &parserib::handleAttributeBegin},
        {"AttributeEnd", &parserib::handleAttributeEnd},
        {"TransformBegin", &parserib::handleTransformBegin},
        {"TransformEnd", &parserib::handleTransformEnd},
        {"SolidBegin", &parserib::handleSolidBegin},
        {"SolidEnd", &parserib::handleSolidEnd},
        {"ObjectBegin", &parserib::handleObjectBegin},
        {"ObjectEnd", &parserib::handleObjectEnd},
        {"ArchiveBegin", &parserib::handleArchiveBegin},
        {"ArchiveEnd", &parserib::handleArchiveEnd},
        {"ObjectInstance", &parserib::handleObjectInstance},
        {"MotionBegin", &parserib::handleMotionBegin},
        {"MotionEnd", &parserib::handleMotionEnd},
        {"ErrorHandler", &parserib::handleErrorHandler},
        {"ReadArchive", &parserib::handleReadArchive},
        {"Format", &parserib::handleFormat},
        {"FrameAspectRatio", &parserib::handleFrameAspectRatio},
        {"ScreenWindow", &parserib::handleScreenWindow},
        {"CropWindow", &parserib::handleCropWindow},
        {"Projection", &parserib::handleProjection},
        {"Clipping", &parserib::handleClipping},
        {"ClippingPlane", &parserib::handleClippingPlane},
        {"DepthOfField", &parserib::handleDepthOfField},
        {"Shutter", &parserib::handleShutter},
        {"PixelVariance", &parserib::handlePixelVariance},
        {"PixelSamples", &parserib::handlePixelSamples},
        {"PixelFilter", &parserib::handlePixelFilter},
        {"Exposure", &parserib::handleExposure},
        {"Imager", &parserib::handleImager},
        {"Quantize", &parserib::handleQuantize},
        {"Display", &parserib::handleDisplay},
        {"Hider", &parserib::handleHider},
        {"ColorSamples", &parserib::handleColorSamples},
        {"RelativeDetail", &parserib::handleRelativeDetail},
        {"Option", &parserib::handleOption},
        {"Attribute", &parserib::handleAttribute},
        {"Color", &parserib::handleColor},
        {"Opacity", &parserib::handleOpacity},
        {"TextureCoordinates", &parserib::handleTextureCoordinates},
        {"LightSource", &parserib::handleLightSource},
        {"AreaLightSource", &parserib::handleAreaLightSource},
        {"Illuminate", &parserib::handleIlluminate},
        {"Surface", &parserib::handleSurface},
        {"Displacement", &parserib::handleDisplacement},
        {"Atmosphere", &parserib::handleAtmosphere},
        {"Interior", &parserib::handleInterior},
        {"Exterior", &parserib::handleExterior},
        {"Deformation", &parserib::handleDeformation},
        {"ShadingRate", &parserib::handleShadingRate},
        {"ShadingInterpolation", &parserib::handleShadingInterpolation},
        {"Matte", &parserib::handleMatte},
        {"Bound", &parserib::handleBound},
        {"Detail", &parserib::handleDetail},
        {"DetailRange", &parserib::handleDetailRange},
        {"GeometricApproximation", &parserib::handleGeometricApproximation},
        {"Orientation", &parserib::handleOrientation},
        {"ReverseOrientation", &parserib::handleReverseOrientation},
        {"Sides", &parserib::handleSides},
        {"Basis", &parserib::handleBasis},
        {"TrimCurve", &parserib::handleTrimCurve},
        {"Identity", &parserib::handleIdentity},
        {"Transform", &parserib::handleTransform},
        {"ConcatTransform", &parserib::handleConcatTransform},
        {"Perspective", &parserib::handlePerspective},
        {"Translate", &parserib::handleTranslate},
        {"Rotate", &parserib::handleRotate},
        {"Scale", &parserib::handleScale},
        {"Skew", &parserib::handleSkew},
        {"CoordinateSystem", &parserib::handleCoordinateSystem},
        {"CoordSysTransform", &parserib::handleCoordSysTransform},
        {"Polygon", &parserib::handlePolygon},
        {"GeneralPolygon", &parserib::handleGeneralPolygon},
        {"PointsPolygons", &parserib::handlePointsPolygons},
        {"PointsGeneralPolygons", &parserib::handlePointsGeneralPolygons},
        {"Patch", &parserib::handlePatch},
        {"PatchMesh", &parserib::handlePatchMesh},
        {"NuPatch", &parserib::handleNuPatch},
        {"Sphere", &parserib::handleSphere},
        {"Cone", &parserib::handleCone},
        {"Cylinder", &parserib::handleCylinder},
        {"Hyperboloid", &parserib::handleHyperboloid},
        {"Paraboloid", &parserib::handleParaboloid},
        {"Disk", &parserib::handleDisk},
        {"Torus", &parserib::handleTorus},
        {"Points", &parserib::handlePoints},
        {"Curves", &parserib::handleCurves},
        {"SubdivisionMesh", &parserib::handleSubdivisionMesh},
        {"Blobby", &parserib::handleBlobby},
        {"Procedural", &parserib::handleProcedural},
        {"Geometry", &parserib::handleGeometry},
        {"MakeTexture", &parserib::handleMakeTexture},
        {"MakeBump", &parserib::handleMakeBump},
        {"MakeLatLongEnvironment", &parserib::handleMakeLatLongEnvironment},
        {"MakeCubeFaceEnvironment", &parserib::handleMakeCubeFaceEnvironment},
        {"MakeShadow", &parserib::handleMakeShadow},
    };
    for (const auto& request : kRequests)
        fKeywords.insert(request.keyword, request.handler);
}

void parserib::errorPrinter(qelErrorPrinterFunc printer) {
    lexanrib::RIBErrorPrinter = printer;
}

// ---- the request loop

void parserib::handOn(const QELException& report) {
    fLex.deliver(report.code, report.severity, report.text.c_str(), report.line);
}

long parserib::placeLine() const {
    return fLex.reportLine() > 0 ? fLex.reportLine() : fRequestLine;
}

void parserib::reportHere(long code, long severity, const char* message) {
    report(code, severity, "%s", message);
}

void parserib::statement() {
    beginRequest(fLex.tokenLine(), fLex.tokenText());
    Handler handler = nullptr;
    if (match(handler)) (this->*handler)();
}

// ---- reports and recovery

void parserib::report(long code, long severity, const char* format, ...) {
    va_list args;
    va_start(args, format);
    fLex.vRIBError(code, severity, format, args);
    va_end(args);
}

void parserib::reportRequest(long code, long severity, const char* format, ...) {
    va_list args;
    va_start(args, format);
    vReportRequest(code, severity, format, args);
    va_end(args);
}

void parserib::vReportRequest(long code, long severity, const char* format, va_list args) {
    fLex.vRIBErrorAt(fRequestLine, &fRequestText, code, severity, format, args);
}

int parserib::fail(long code, const char* format, ...) {
    if (fToken == LEXERROR) {
        const QELException& error = fLex.error();
        fLex.deliver(error.code, error.severity, error.text.c_str(), error.line);
    } else {
        va_list args;
        va_start(args, format);
        fLex.vRIBError(code, QELErrorSeverity, format, args);
        va_end(args);
    }
    panic();
    return 0;
}

void parserib::panic() {
    for (long skipped = 1; fToken != LEXEOF && fToken != LEXKEYWORD; ++skipped) {
        // a broken token is skipped, but counted, as are very many tokens
        if (fToken == LEXERROR || skipped % readlimits::kSkippedPerError == 0) fLex.countSkipped();
        advance();
    }
}

// ---- scalars

int parserib::match(Handler& handler) {
    if (fToken != LEXKEYWORD) return fail(RIBSyntax, "Expected a request");
    const Handler* found = fKeywords.find(fLex.text().c_str());
    if (!found) {
        report(RIBUndefinedRequest, QELErrorSeverity, nullptr);
        advance();
        panic();
        return 0;
    }
    handler = *found;
    advance();
    return 1;
}

int parserib::match(char c) {
    if (fToken != c) return fail(RIBSyntax, "Expected character '%c'", c);
    advance();
    return 1;
}

int parserib::match(RtInt& value) {
    if (fToken == LEXINT) {
        value = RtInt(fLex.intValue());
    } else if (fToken != LEXFLOAT || !integral(fLex.floatValue(), value)) {
        return fail(RIBSyntax, "Expected integer");
    }
    advance();
    return 1;
}

int parserib::match(float& value) {
    if (!isNumber(fToken)) return fail(RIBSyntax, "Expected float");
    value = fLex.floatValue();
    advance();
    return 1;
}

int parserib::match(std::string& value) {
    bool brackets = fToken == '[';
    if (brackets) advance();
    if (fToken != LEXSTRING) return fail(RIBSyntax, "Expected string");
    value = fLex.text();
    advance();
    return brackets ? match(']') : 1;
}

int parserib::matchGroup(float* values, int count) {
    if (fToken == LEXARRAY) {
        const std::vector<float>& array = fLex.floats();
        if (array.size() != size_t(count))
            return fail(RIBBadArray, "Expected %d floats, not %zu", count, array.size());
        std::copy(array.begin(), array.end(), values);
        advance();
        return 1;
    }
    bool brackets = fToken == '[';
    if (brackets) advance();
    for (int k = 0; k < count; ++k)
        if (!match(values[k])) return 0;
    return brackets ? match(']') : 1;
}

// ---- arrays

int parserib::match(std::vector<float>& values) {
    values.clear();
    if (fToken == LEXARRAY) {
        if (!takeValue(fLex.floats().size() * sizeof(float))) return 0;
        values = fLex.floats();
        advance();
        return 1;
    }
    if (isNumber(fToken)) {
        values.push_back(fLex.floatValue());
        advance();
        return 1;
    }
    if (!match('[')) return 0;
    while (isNumber(fToken)) {
        if (!takeCounted(values.size(), sizeof(float))) return 0;
        values.push_back(fLex.floatValue());
        advance();
    }
    if (fToken == LEXSTRING) return fail(RIBBadArray, "Array has both numbers and strings");
    return match(']');
}

int parserib::match(std::vector<RtInt>& values) {
    values.clear();
    RtInt value = 0;
    if (fToken == LEXARRAY) {
        if (!takeValue(fLex.floats().size() * sizeof(RtInt))) return 0;
        for (float number : fLex.floats()) {
            if (!integral(number, value)) return fail(RIBSyntax, "Expected integers");
            values.push_back(value);
        }
        advance();
        return 1;
    }
    if (isNumber(fToken)) {
        if (!match(value)) return 0;
        values.push_back(value);
        return 1;
    }
    if (!match('[')) return 0;
    while (isNumber(fToken)) {
        if (!takeCounted(values.size(), sizeof(RtInt)) || !match(value)) return 0;
        values.push_back(value);
    }
    if (fToken == LEXSTRING) return fail(RIBBadArray, "Array has both numbers and strings");
    return match(']');
}

int parserib::match(std::vector<std::string>& values) {
    values.clear();
    if (fToken == LEXSTRING) {
        values.push_back(fLex.text());
        advance();
        return 1;
    }
    if (!match('[')) return 0;
    while (fToken == LEXSTRING) {
        if (!takeValue(fLex.text().size())) return 0;
        values.push_back(fLex.text());
        advance();
    }
    if (isNumber(fToken)) return fail(RIBBadArray, "Array has both numbers and strings");
    return match(']');
}

// ---- parameter lists

namespace {

// "uniform float[2] name": the token that declares itself.
std::string inlineDeclaration(const RiDeclaration& declaration, const std::string& name) {
    std::string text = std::string(RiDeclarations::className(declaration.parameterClass)) + " " +
                       RiDeclarations::typeName(declaration.type);
    if (declaration.arraySize != 1) text += "[" + std::to_string(declaration.arraySize) + "]";
    return text + " " + name;
}

} // namespace

int parserib::match(RibParameterList& list, bool anyDeclared,
                    const RiDeclarations* shaderParameters) {
    list.clear();
    const RiDeclarations& declarations = RiDeclarationTable();
    while (fToken == LEXSTRING) {
        RibParameter& parameter = list.add();
        parameter.token = fLex.text();
        std::string_view bare;
        RiDeclarations::Result found =
            declarations.resolve(parameter.token, parameter.declaration, bare);
        if (found == RiDeclarations::Undeclared && shaderParameters &&
            shaderParameters->resolve(parameter.token, parameter.declaration, bare) ==
                RiDeclarations::Found) {
            found = RiDeclarations::Found;
            parameter.token = inlineDeclaration(parameter.declaration, parameter.token);
            bare = std::string_view(parameter.token).substr(parameter.token.rfind(' ') + 1);
        }
        parameter.name = bare;
        if (found == RiDeclarations::Found) {
            advance();
            int read = readValue(parameter);
            if (read == 0) return 0;
            if (read < 0) list.removeLast();
            continue;
        }
        if (found == RiDeclarations::Undeclared && anyDeclared) {
            parameter.declared = false;
        } else {
            report(RIBTypeMismatch, QELErrorSeverity,
                   found == RiDeclarations::Bad ? "bad declaration \"%s\""
                                                : "undeclared token \"%s\"",
                   parameter.token.c_str());
            list.removeLast();
        }
        advance();
        if (endsList(fToken) || fToken == ']') return fail(RIBSyntax, "Parameter has no value");
        skipValue();
    }
    if (!endsList(fToken)) return fail(RIBSyntax, "Expected a parameter name");
    return 1;
}

void parserib::skipValue() {
    if (fToken != '[') {
        advance();
        return;
    }
    advance();
    while (fToken != ']' && !endsList(fToken))
        advance();
    if (fToken == ']') advance();
}

int parserib::readValue(RibParameter& parameter) {
    if (fToken == LEXERROR) return fail(RIBSyntax, nullptr);
    if (endsList(fToken))
        return fail(RIBSyntax, "Parameter \"%s\" has no value", parameter.name.c_str());
    if (parameter.declaration.isString()) return readStrings(parameter);
    return readNumbers(parameter);
}

int parserib::readStrings(RibParameter& parameter) {
    bool brackets = fToken == '[';
    if (brackets) advance();
    while (fToken == LEXSTRING) {
        if (!takeValue(fLex.text().size())) return 0;
        parameter.strings.push_back(fLex.text());
        advance();
        if (!brackets) return 1;
    }
    if (fToken == LEXERROR) return fail(RIBSyntax, nullptr);
    if (brackets && fToken == ']' && !parameter.strings.empty()) {
        advance();
        return 1;
    }
    report(RIBTypeMismatch, QELErrorSeverity, "Values of \"%s\" do not agree with its declaration",
           parameter.name.c_str());
    if (brackets) {
        while (fToken != ']' && !endsList(fToken))
            advance();
        if (fToken == ']') advance();
    } else {
        skipValue();
    }
    return -1;
}

int parserib::readNumbers(RibParameter& parameter) {
    bool isInteger = parameter.declaration.isInteger();
    std::vector<float>& floats = parameter.floats;
    bool agrees = true;
    if (fToken == LEXARRAY) {
        if (!takeValue(fLex.floats().size() * sizeof(float))) return 0;
        floats = fLex.floats();
        advance();
    } else if (isNumber(fToken)) {
        floats.push_back(fLex.floatValue());
        if (isInteger && fToken == LEXINT) parameter.ints.push_back(RtInt(fLex.intValue()));
        advance();
    } else if (fToken == '[') {
        advance();
        while (isNumber(fToken)) {
            if (!takeCounted(floats.size(), sizeof(float))) return 0;
            if (isInteger && fToken == LEXINT) parameter.ints.push_back(RtInt(fLex.intValue()));
            floats.push_back(fLex.floatValue());
            advance();
        }
        if (fToken == LEXERROR) return fail(RIBSyntax, nullptr);
        if (fToken == LEXSTRING) {
            report(RIBBadArray, QELErrorSeverity, "Array has both numbers and strings");
            agrees = false;
            while (fToken != ']' && !endsList(fToken))
                advance();
        }
        if (fToken != ']') return fail(RIBSyntax, "Expected character ']'");
        advance();
    } else {
        agrees = false;
        report(RIBTypeMismatch, QELErrorSeverity,
               "Values of \"%s\" do not agree with its declaration", parameter.name.c_str());
        skipValue();
    }
    if (agrees && isInteger && parameter.ints.size() != floats.size()) {
        // reals or a binary array: each must be integral
        parameter.ints.clear();
        RtInt value = 0;
        for (float number : floats) {
            if (!integral(number, value)) {
                agrees = false;
                report(RIBTypeMismatch, QELErrorSeverity,
                       "Values of \"%s\" do not agree with its declaration",
                       parameter.name.c_str());
                break;
            }
            parameter.ints.push_back(value);
        }
    }
    return agrees ? 1 : -1;
}

} // namespace quelmark
