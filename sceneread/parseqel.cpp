#include "sceneread/parseqel.h"

#include "common/Quark.h"
#include "sceneread/ReadLimits.h"

#include <new>
#include <string>
#include <vector>

namespace quelmark {

namespace {

constexpr long kAny = -1; // as parseqel::kAnyCount
constexpr long kSyntax = 16;
constexpr long kBadValue = 2;
constexpr long kBadArray = 3;
constexpr long kBadColor = 5;
constexpr long kTypeMismatch = 7;
constexpr long kUndefinedRequest = 17;

struct EnumName {
    const char* name;
    short value;
};

// Class by class, lowest value first.
const EnumName kEnumerators[] = {
    {"null", QEL_NULL},
    {"gaussian", QEL_FILTER_GAUSSIAN},
    {"catmullrom", QEL_FILTER_CATMULLROM},
    {"box", QEL_FILTER_BOX},
    {"triangle", QEL_FILTER_TRIANGLE},
    {"sinc", QEL_FILTER_SINC},
    {"mitchell", QEL_FILTER_MITCHELL},
    {"narrowgaussian", QEL_FILTER_NARROW_GAUSSIAN},
    {"tiff", QEL_FORMAT_TIFF},
    {"png", QEL_FORMAT_PNG},
    {"openexr", QEL_FORMAT_OPENEXR},
    {"zfile", QEL_FORMAT_DEPTHFILE},
    {"window", QEL_FORMAT_WINDOW},
    {"rgb", QEL_SAMPLES_RGB},
    {"a", QEL_SAMPLES_A},
    {"rgba", QEL_SAMPLES_RGBA},
    {"z", QEL_SAMPLES_Z},
    {"rgbz", QEL_SAMPLES_RGBZ},
    {"az", QEL_SAMPLES_AZ},
    {"rgbaz", QEL_SAMPLES_RGBAZ},
    {"zbuffer", QEL_HIDER_ZBUFFER},
    {"paint", QEL_HIDER_PAINT},
    {"flat", QEL_SHADING_FLAT},
    {"gouraud", QEL_SHADING_GOURAUD},
    {"lh", QEL_ORIENT_LH},
    {"rh", QEL_ORIENT_RH},
    {"inside", QEL_ORIENT_INSIDE},
    {"outside", QEL_ORIENT_OUTSIDE},
    {"reverse", QEL_ORIENT_REVERSE},
    {"bilinear", QEL_PATCH_BILINEAR},
    {"bicubic", QEL_PATCH_BICUBIC},
    {"ubasis", QEL_UBASIS},
    {"vbasis", QEL_VBASIS},
    {"uvbasis", QEL_UVBASIS},
    {"bezier", QEL_BASIS_BEZIER},
    {"bspline", QEL_BASIS_BSPLINE},
    {"catmullrom", QEL_BASIS_CATMULLROM},
    {"hermite", QEL_BASIS_HERMITE},
    {"power", QEL_BASIS_POWER},
    {"wrap", QEL_WRAP},
    {"nowrap", QEL_NOWRAP},
    {"clamp", QEL_CLAMP},
    {"info", QEL_SEVERITY_INFO},
    {"warning", QEL_SEVERITY_WARNING},
    {"iw", QEL_SEVERITY_IW},
    {"error", QEL_SEVERITY_ERROR},
    {"ie", QEL_SEVERITY_IE},
    {"we", QEL_SEVERITY_WE},
    {"iwe", QEL_SEVERITY_IWE},
    {"severe", QEL_SEVERITY_SEVERE},
    {"is", QEL_SEVERITY_IS},
    {"ws", QEL_SEVERITY_WS},
    {"iws", QEL_SEVERITY_IWS},
    {"es", QEL_SEVERITY_ES},
    {"wes", QEL_SEVERITY_WES},
    {"iwes", QEL_SEVERITY_IWES},
    {"ignore", QEL_HANDLER_IGNORE},
    {"print", QEL_HANDLER_PRINT},
    {"abort", QEL_HANDLER_ABORT},
    {"no", QEL_CLASS_NO},
    {"const", QEL_CLASS_CONST},
    {"vary", QEL_CLASS_VARY},
    {"vertex", QEL_CLASS_VERTEX},
    {"no", QEL_TYPE_NO},
    {"float", QEL_TYPE_FLOAT},
    {"integer", QEL_TYPE_INTEGER},
    {"string", QEL_TYPE_STRING},
    {"pair", QEL_TYPE_PAIR},
    {"point", QEL_TYPE_POINT},
    {"pointw", QEL_TYPE_POINTW},
    {"color", QEL_TYPE_COLOR},
    {"primitive", QEL_SOLID_PRIMITIVE},
    {"union", QEL_SOLID_UNION},
    {"intersection", QEL_SOLID_INTERSECTION},
    {"difference", QEL_SOLID_DIFFERENCE},
};

// Names that two classes share, with both values.
struct SharedName {
    const char* name;
    short first, second;
};
const SharedName kSharedNames[] = {{"catmullrom", QEL_FILTER_CATMULLROM, QEL_BASIS_CATMULLROM},
                                   {"no", QEL_CLASS_NO, QEL_TYPE_NO}};

bool isNumber(int token) { return token == LEXINT || token == LEXFLOAT; }

short typeOf(unsigned short quark) {
    short type = getType(quark);
    return type == 0 ? QEL_TYPE_NO : type;
}

short classOf(unsigned short quark) {
    short parameterClass = getClass(quark);
    return parameterClass == 0 ? QEL_CLASS_NO : parameterClass;
}

} // namespace

parseqel::parseqel(std::istream& in, const char* fileName) : fLex(in, fileName) {
    setQuarkConsistencyReports(false);
    initQuark();
    hash_init();
}

parseqel::~parseqel() = default;

void parseqel::hash_init() {
    static const struct {
        const char* keyword;
        Handler handler;
    } kRequests[] = {
        {"qelQuark", &parseqel::handleQuark},
        {"qelFrameBegin", &parseqel::handleFrameBegin},
        {"qelFrameEnd", &parseqel::handleFrameEnd},
        {"qelSceneBegin", &parseqel::handleSceneBegin},
        {"qelSceneEnd", &parseqel::handleSceneEnd},
        {"qelRasterViewport", &parseqel::handleRasterViewport},
        {"qelRasterAspect", &parseqel::handleRasterAspect},
        {"qelImageWindow", &parseqel::handleImageWindow},
        {"qelImageAspect", &parseqel::handleImageAspect},
        {"qelImageCrop", &parseqel::handleImageCrop},
        {"qelViewOrthographic", &parseqel::handleViewOrthographic},
        {"qelViewPerspective", &parseqel::handleViewPerspective},
        {"qelViewIdentity", &parseqel::handleViewIdentity},
        {"qelClip", &parseqel::handleClip},
        {"qelSampleAdaptive", &parseqel::handleSampleAdaptive},
        {"qelSampleUniform", &parseqel::handleSampleUniform},
        {"qelSampleJitter", &parseqel::handleSampleJitter},
        {"qelFilter", &parseqel::handleFilter},
        {"qelFilterWidth", &parseqel::handleFilterWidth},
        {"qelColorGain", &parseqel::handleColorGain},
        {"qelColorGamma", &parseqel::handleColorGamma},
        {"qelColorQuantize", &parseqel::handleColorQuantize},
        {"qelColorJitter", &parseqel::handleColorJitter},
        {"qelDepthQuantize", &parseqel::handleDepthQuantize},
        {"qelDepthJitter", &parseqel::handleDepthJitter},
        {"qelOutputDisplay", &parseqel::handleOutputDisplay},
        {"qelOutputFile", &parseqel::handleOutputFile},
        {"qelOutputSamples", &parseqel::handleOutputSamples},
        {"qelOutputImage", &parseqel::handleOutputImage},
        {"qelHider", &parseqel::handleHider},
        {"qelColorSpace", &parseqel::handleColorSpace},
        {"qelTune", &parseqel::handleTune},
        {"qelShaderPath", &parseqel::handleShaderPath},
        {"qelTexturePath", &parseqel::handleTexturePath},
        {"qelTextureMemory", &parseqel::handleTextureMemory},
        {"qelAttributePush", &parseqel::handleAttributePush},
        {"qelAttributePop", &parseqel::handleAttributePop},
        {"qelColor", &parseqel::handleColor},
        {"qelOpacity", &parseqel::handleOpacity},
        {"qelLightSource", &parseqel::handleLightSource},
        {"qelLightSwitch", &parseqel::handleLightSwitch},
        {"qelSurface", &parseqel::handleSurface},
        {"qelAtmosphere", &parseqel::handleAtmosphere},
        {"qelShadingRate", &parseqel::handleShadingRate},
        {"qelShadingModel", &parseqel::handleShadingModel},
        {"qelMatteObject", &parseqel::handleMatteObject},
        {"qelBound", &parseqel::handleBound},
        {"qelFlatness", &parseqel::handleFlatness},
        {"qelOrientation", &parseqel::handleOrientation},
        {"qelBackface", &parseqel::handleBackface},
        {"qelLoadIdentity", &parseqel::handleLoadIdentity},
        {"qelLoadMatrix", &parseqel::handleLoadMatrix},
        {"qelMultMatrix", &parseqel::handleMultMatrix},
        {"qelPerspective", &parseqel::handlePerspective},
        {"qelTranslate", &parseqel::handleTranslate},
        {"qelRotate", &parseqel::handleRotate},
        {"qelScale", &parseqel::handleScale},
        {"qelSkew", &parseqel::handleSkew},
        {"qelMarkSpace", &parseqel::handleMarkSpace},
        {"qelMatrixPush", &parseqel::handleMatrixPush},
        {"qelMatrixPop", &parseqel::handleMatrixPop},
        {"qelObjectName", &parseqel::handleObjectName},
        {"qelGroupName", &parseqel::handleGroupName},
        {"qelPolygon", &parseqel::handlePolygon},
        {"qelGeneralPolygon", &parseqel::handleGeneralPolygon},
        {"qelPolygonMesh", &parseqel::handlePolygonMesh},
        {"qelGeneralPolygonMesh", &parseqel::handleGeneralPolygonMesh},
        {"qelBasis", &parseqel::handleBasis},
        {"qelCustomBasis", &parseqel::handleCustomBasis},
        {"qelPatch", &parseqel::handlePatch},
        {"qelPatchMesh", &parseqel::handlePatchMesh},
        {"qelNurb", &parseqel::handleNurb},
        {"qelNurbMesh", &parseqel::handleNurbMesh},
        {"qelSphere", &parseqel::handleSphere},
        {"qelCone", &parseqel::handleCone},
        {"qelCylinder", &parseqel::handleCylinder},
        {"qelHyperboloid", &parseqel::handleHyperboloid},
        {"qelParaboloid", &parseqel::handleParaboloid},
        {"qelDisk", &parseqel::handleDisk},
        {"qelTorus", &parseqel::handleTorus},
        {"qelObjectBegin", &parseqel::handleObjectBegin},
        {"qelObjectEnd", &parseqel::handleObjectEnd},
        {"qelObjectCall", &parseqel::handleObjectCall},
        {"qelErrorHandler", &parseqel::handleErrorHandler},
        {"qelVariable", &parseqel::handleVariable},
        {"qelDepthOfField", &parseqel::handleDepthOfField},
        {"qelShutter", &parseqel::handleShutter},
        {"qelImager", &parseqel::handleImager},
        {"qelRelativeDetail", &parseqel::handleRelativeDetail},
        {"qelTextureCoordinates", &parseqel::handleTextureCoordinates},
        {"qelAreaLightSource", &parseqel::handleAreaLightSource},
        {"qelInterior", &parseqel::handleInterior},
        {"qelExterior", &parseqel::handleExterior},
        {"qelDetail", &parseqel::handleDetail},
        {"qelDetailRange", &parseqel::handleDetailRange},
        {"qelDeformation", &parseqel::handleDeformation},
        {"qelDisplacement", &parseqel::handleDisplacement},
        {"qelBoundDisplacement", &parseqel::handleBoundDisplacement},
        {"qelMotionBegin", &parseqel::handleMotionBegin},
        {"qelMotionEnd", &parseqel::handleMotionEnd},
        {"qelSolidBegin", &parseqel::handleSolidBegin},
        {"qelSolidEnd", &parseqel::handleSolidEnd},
        {"qelTrimCurve", &parseqel::handleTrimCurve},
        {"qelMakeTexture", &parseqel::handleMakeTexture},
        {"qelMakeBump", &parseqel::handleMakeBump},
        {"qelMakeLatLongEnvironment", &parseqel::handleMakeLatLongEnvironment},
        {"qelMakeCubeFaceEnvironment", &parseqel::handleMakeCubeFaceEnvironment},
        {"qelMakeShadow", &parseqel::handleMakeShadow},
        {"Imager", &parseqel::handleImager}, // as the scene writer writes it
    };
    for (const auto& request : kRequests) fKeywords.insert(request.keyword, request.handler);
    // A later entry of a shared name replaces the earlier one.
    for (const EnumName& entry : kEnumerators) fEnums.insert(entry.name, entry.value);
}

void parseqel::errorPrinter(qelErrorPrinterFunc printer) { lexanqel::QELErrorPrinter = printer; }

// ---- the request loop

void parseqel::handOn(const QELException& report) {
    fLex.deliver(report.code, report.severity, report.text.c_str(), report.line);
}

long parseqel::placeLine() const {
    return fLex.reportLine() > 0 ? fLex.reportLine() : fRequestLine;
}

void parseqel::reportHere(long code, long severity, const char* message) {
    report(code, severity, "%s", message);
}

void parseqel::statement() {
    beginRequest(fLex.tokenLine(), fLex.text());
    Handler handler = nullptr;
    if (match(handler)) (this->*handler)();
}

// ---- reports and recovery

void parseqel::report(long code, long severity, const char* format, ...) {
    va_list args;
    va_start(args, format);
    fLex.vQELError(code, severity, format, args);
    va_end(args);
}

void parseqel::reportRequest(long code, long severity, const char* format, ...) {
    va_list args;
    va_start(args, format);
    fLex.vQELErrorAt(fRequestLine, &fRequestText, code, severity, format, args);
    va_end(args);
}

int parseqel::keepBroken(const QELException& broken) {
    fBroken = broken;
    return fToken = LEXERROR;
}

// A broken token has its own report.
int parseqel::fail(long code, const char* format, ...) {
    if (fToken == LEXERROR) {
        handOn(fBroken);
    } else {
        va_list args;
        va_start(args, format);
        fLex.vQELError(code, QELErrorSeverity, format, args);
        va_end(args);
    }
    panic();
    return 0;
}

void parseqel::panic() {
    for (long skipped = 1; fToken != LEXEOF; ++skipped) {
        if (fToken == LEXKEYWORD && fKeywords.find(fLex.text().c_str())) return;
        // a broken token is skipped, but counted, as are very many tokens
        if (fToken == LEXERROR || skipped % readlimits::kSkippedPerError == 0) fLex.countSkipped();
        advance();
    }
}

void parseqel::skipvalue() {
    if (!match('[')) return;
    while (fToken != ']' && fToken != LEXEOF) advance();
    match(']');
}

// ---- scalars

int parseqel::match(Handler& handler) {
    if (fToken != LEXKEYWORD) return fail(kSyntax, "Expected Keyword");
    const Handler* found = fKeywords.find(fLex.text().c_str());
    if (!found) return fail(kUndefinedRequest, nullptr);
    handler = *found;
    advance();
    return 1;
}

int parseqel::match(char c) {
    if (fToken != c) return fail(kSyntax, "Expected character '%c'", c);
    advance();
    return 1;
}

int parseqel::matchBoolean(short& value) {
    long number = 0;
    if (fToken == LEXINT) fLex.get(number);
    if (fToken != LEXINT || (number != 0 && number != 1)) return fail(kSyntax, "Expected Boolean");
    value = short(number);
    advance();
    return 1;
}

int parseqel::match(long& value) {
    if (fToken != LEXINT) return fail(kSyntax, "Expected integer");
    fLex.get(value);
    advance();
    return 1;
}

int parseqel::match(float& value) {
    if (!isNumber(fToken)) return fail(kSyntax, "Expected float");
    fLex.get(value);
    advance();
    return 1;
}

int parseqel::match(float matrix[4][4]) {
    if (!match('[')) return 0;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (!match(matrix[r][c])) return 0;
    return match(']');
}

// A point of width floats, in brackets when the current token is one.
int parseqel::matchPoint(float* point, int width) {
    bool brackets = fToken == '[';
    if (brackets && !match('[')) return 0;
    if (!matchFloats(point, width)) return 0;
    return brackets ? match(']') : 1;
}

int parseqel::match(float point[3]) { return matchPoint(point, 3); }

int parseqel::matchPointw(float point[4]) { return matchPoint(point, 4); }

int parseqel::matchFloats(float* values, int count) {
    for (int k = 0; k < count; ++k)
        if (!match(values[k])) return 0;
    return 1;
}

int parseqel::match(String* value) {
    bool brackets = fToken == '[';
    if (brackets && !match('[')) return 0;
    int result = 1;
    if (fToken == LEXKEYWORD && fLex.text() == "null") {
        *value = "";
        result = 2; // an absent string
    } else if (fToken == LEXSTRING) {
        fLex.get(*value);
    } else {
        return fail(kSyntax, "Expected String");
    }
    advance();
    if (brackets && !match(']')) return 0;
    return result;
}

int parseqel::matchenum(short& value) {
    if (fToken != LEXSTRING) return fail(kSyntax, "Expected Enumeratory");
    const short* found = fEnums.find(fLex.text().c_str());
    if (!found) return fail(kBadValue, "Undefined enumerator '%s'", fLex.text().c_str());
    value = *found;
    advance();
    return 1;
}

int parseqel::matchenum(short& value, int enumClass) {
    if (!matchenum(value)) return 0;
    if ((value >> 8) == enumClass) return 1;
    for (const SharedName& shared : kSharedNames) {
        if (value == shared.first && (shared.second >> 8) == enumClass) value = shared.second;
        else if (value == shared.second && (shared.first >> 8) == enumClass) value = shared.first;
    }
    return 1;
}

int parseqel::matchquark(unsigned short& value) {
    if (fToken != LEXSTRING) return fail(kSyntax, "Expected Quark");
    unsigned short quark = find(fLex.text().c_str());
    if (quark == 0) return fail(kBadValue, "Undefined quark '%s'", fLex.text().c_str());
    value = quark;
    advance();
    return 1;
}

// ---- arrays

int parseqel::match(Array<long>& values, long count, bool bracketsRequired) {
    values.clear();
    bool brackets = bracketsRequired || fToken == '[';
    if (brackets && !match('[')) return 0;
    if (!brackets && count == kAny) count = 1;
    if (count == 1) {
        long value = 0;
        if (!match(value)) return 0;
        values.append(value);
    } else {
        while (fToken == LEXINT && (count < 0 || values.count() < count)) {
            if (values.count() % readlimits::kValuesCounted == 0 &&
                !takeValue(sizeof(long) * readlimits::kValuesCounted))
                return 0;
            long value = 0;
            fLex.get(value);
            values.append(value);
            advance();
        }
        if (values.empty() && count != 0) return fail(kBadValue, "Expected at least one int");
        if (brackets && fToken == LEXSTRING) return fail(kBadArray, "Array has both numbers and strings");
        if (count >= 0 && values.count() != count) return fail(kBadValue, "Expected %ld ints", count);
    }
    if (brackets && !match(']')) return 0;
    return values.count() > 0 ? values.count() : 1;
}

int parseqel::match(Array<float>& values, long count, bool bracketsRequired) {
    return matchNumbers(values, count, bracketsRequired, 1, "float", "floats");
}

int parseqel::match(Array<float>& points, long count, bool bracketsRequired, int width) {
    if (width == 3) return matchNumbers(points, count, bracketsRequired, 3, "point", "points");
    if (width == 4) return matchNumbers(points, count, bracketsRequired, 4, "pointw", "pointws");
    return matchNumbers(points, count, bracketsRequired, width, "float", "floats");
}

int parseqel::matchNumbers(Array<float>& values, long count, bool bracketsRequired, int width,
                           const char* word, const char* words) {
    values.clear();
    bool brackets = bracketsRequired || fToken == '[';
    if (brackets && !match('[')) return 0;
    if (!brackets && count == kAny) count = 1;
    long elements = 0;
    auto readElement = [&] {
        if (elements % readlimits::kValuesCounted == 0 &&
            !takeValue(sizeof(float) * size_t(width) * readlimits::kValuesCounted))
            return false;
        for (int k = 0; k < width; ++k) {
            float value = 0;
            if (!match(value)) return false;
            values.append(value);
        }
        ++elements;
        return true;
    };
    if (count == 1) {
        if (!readElement()) return 0;
    } else {
        while (isNumber(fToken) && (count < 0 || elements < count))
            if (!readElement()) return 0;
        if (elements == 0 && count != 0) return fail(kBadValue, "Expected at least one %s", word);
        if (brackets && fToken == LEXSTRING) return fail(kBadArray, "Array has both numbers and strings");
        if (count >= 0 && elements != count) return fail(kBadValue, "Expected %ld %s", count, words);
    }
    if (brackets && !match(']')) return 0;
    return elements > 0 ? int(elements) : 1;
}

// ---- parameter lists

int parseqel::match(tokenvalue& list, bool strict) {
    while (fToken == LEXSTRING) {
        std::string name = fLex.text();
        unsigned short quark = find(name.c_str());
        if (quark == 0) {
            if (strict) {
                advance();
                skipvalue();
                continue;
            }
            return fail(kBadValue, "Undefined quark '%s'", name.c_str());
        }
        short type = typeOf(quark), parameterClass = classOf(quark);
        if (type == QEL_TYPE_NO) return fail(kTypeMismatch, "quark '%s' doesn't take value", name.c_str());
        advance();
        if (parameterClass == QEL_CLASS_NO && !valueFits(type))
            return fail(kTypeMismatch, "Type of value did not agree with declared type of quark");
        if (!readValue(list, quark, type, parameterClass == QEL_CLASS_NO, strict)) return 0;
    }
    return 1;
}

bool parseqel::valueFits(short type) const {
    switch (type) {
    case QEL_TYPE_FLOAT:
    case QEL_TYPE_PAIR: return isNumber(fToken);
    case QEL_TYPE_INTEGER: return fToken == LEXINT;
    case QEL_TYPE_STRING: return fToken == LEXSTRING;
    default: return fToken == '[';
    }
}

int parseqel::widthOf(short type) const {
    switch (type) {
    case QEL_TYPE_PAIR: return 2;
    case QEL_TYPE_POINT: return 3;
    case QEL_TYPE_POINTW: return 4;
    case QEL_TYPE_COLOR: return fColorSamples;
    default: return 1;
    }
}

int parseqel::readValue(tokenvalue& list, unsigned short quark, short type, bool single,
                        bool strict) {
    if (type == QEL_TYPE_STRING) {
        String text;
        if (!match(&text) || !takeValue(text.length())) return 0;
        list.append(quark, std::string(text.c_str()));
        return 1;
    }
    if (type == QEL_TYPE_INTEGER) {
        Array<long> values;
        if (!match(values, single ? 1 : kAny, strict)) return 0;
        list.append(quark, long(values.count()), std::vector<long>(values.begin(), values.end()));
        return 1;
    }
    int width = widthOf(type);
    Array<float>& values = fScratch; // keeps its storage from request to request
    int read = 0;
    if (single && type == QEL_TYPE_PAIR)
        read = matchNumbers(values, 1, false, 2, "float", "floats");
    else
        read = match(values, kAny, strict, width);
    if (!read) return 0;
    long items = width > 0 ? long(values.count()) / width : 0;
    std::vector<float> copy(values.begin(), values.end());
    if (type == QEL_TYPE_COLOR) copy.resize(size_t(items) * size_t(fMostColorSamples), 0.0f);
    list.append(quark, items, std::move(copy));
    return 1;
}

int parseqel::verify(const tokenvalue& list, long uniform, long varying, long vertex,
                     const unsigned short* required) {
    if (required && *required) {
        int present = 0;
        std::string names;
        int count = 0;
        for (const unsigned short* q = required; *q; ++q) ++count;
        for (int k = 0; k < count; ++k) {
            if (k > 0) names += k == count - 1 ? " or " : ", ";
            names += '\'';
            names += getString(required[k]);
            names += '\'';
            for (long i = 0; i < list.n(); ++i)
                if (list.quark(i) == required[k]) ++present;
        }
        if (present == 0) {
            reportRequest(kBadValue, QELErrorSeverity, "%s argument is required", names.c_str());
            return 0;
        }
        if (present > 1) {
            reportRequest(kBadValue, QELErrorSeverity, "More than one of %s was specified",
                          names.c_str());
            return 0;
        }
    }
    for (long i = 0; i < list.n(); ++i) {
        unsigned short quark = list.quark(i);
        long expected = 1;
        switch (classOf(quark)) {
        case QEL_CLASS_CONST: expected = uniform; break;
        case QEL_CLASS_VARY: expected = varying; break;
        case QEL_CLASS_VERTEX: expected = vertex; break;
        default: break;
        }
        if (list.items(i) != expected) {
            long code = typeOf(quark) == QEL_TYPE_COLOR ? kBadColor : kBadArray;
            reportRequest(code, QELErrorSeverity, "%ld items expected for parameter '%s'",
                          expected, getString(quark));
            return 0;
        }
    }
    return 1;
}

} // namespace quelmark
