#include "sceneread/rib/rendrib.h"

#include <sys/stat.h>

#include "sceneread/ReadLimits.h"
#include "sceneread/SceneInput.h"
#include "sceneread/rib/RiBinding.h"

#include <algorithm>
#include <string>
#include <vector>

namespace quelmark {

namespace {

// The folder of a file's path with its '/', or nothing for a bare name.
std::string directoryOf(const std::string& file) {
    size_t slash = file.rfind('/');
    return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

// The reader whose requests are being handled, for the binding's reports.
rendrib* gCurrent = nullptr;

// Counts and indices beyond this can only be wrong; they are refused before
// anything is made for them.
constexpr long kMostItems = 1L << 31;

constexpr float kNewestVersion = 3.03f;

// Instances inside objects, and archives read inside archives, nest no
// deeper than this: an object instanced in itself ends here.
constexpr int kDeepestInstance = 16;

// The memory a token kept in an object takes, roughly.
size_t bytesOf(const lexanrib::Token& token) {
    return sizeof token + token.text.size() + token.floats.size() * sizeof(float);
}

// The sum of the counts, or -1 when one is negative or the sum too large.
long sumOf(const std::vector<RtInt>& counts) {
    long sum = 0;
    for (RtInt count : counts) {
        if (count < 0) return -1;
        sum += count;
        if (sum > kMostItems) return -1;
    }
    return sum;
}

// One more than the largest index, or -1 for a negative index.
long vertexCount(const std::vector<RtInt>& indices) {
    long largest = -1;
    for (RtInt index : indices) {
        if (index < 0) return -1;
        largest = std::max(largest, long(index));
    }
    return largest + 1;
}

struct FilterName {
    const char* name;
    RtFilterFunc filter;
};

const FilterName kFilters[] = {{"gaussian", RiGaussianFilter}, {"box", RiBoxFilter},
                               {"triangle", RiTriangleFilter}, {"catmull-rom", RiCatmullRomFilter},
                               {"sinc", RiSincFilter},         {"mitchell", RiMitchellFilter}};

RtFilterFunc filterNamed(const std::string& name) {
    for (const FilterName& f : kFilters)
        if (name == f.name) return f.filter;
    return nullptr;
}

struct BasisName {
    const char* name;
    const RtBasis* basis;
};

const BasisName kBases[] = {{"bezier", &RiBezierBasis},
                            {"b-spline", &RiBSplineBasis},
                            {"catmull-rom", &RiCatmullRomBasis},
                            {"hermite", &RiHermiteBasis},
                            {"power", &RiPowerBasis}};

// "'P'", "'P' or 'Pw'", "'P', 'Pz' or 'Pw'".
std::string quotedNames(std::initializer_list<const char*> names) {
    std::string text;
    size_t k = 0;
    for (const char* name : names) {
        if (k > 0) text += k + 1 == names.size() ? " or " : ", ";
        text += '\'';
        text += name;
        text += '\'';
        ++k;
    }
    return text;
}

bool isWrap(const std::string& wrap) {
    return wrap == "periodic" || wrap == "nonperiodic";
}

} // namespace

rendrib::rendrib(std::istream& in, const char* fileName, String& frameName)
    : parserib(in, fileName), fFrameName(frameName) {}

rendrib::~rendrib() {
    if (gCurrent != this) return;
    gCurrent = nullptr;
    RiReportHandler(nullptr);
}

void rendrib::errorPrinter(qelErrorPrinterFunc printer) {
    parserib::errorPrinter(printer);
    qelErrorPrinter(printer);
}

void rendrib::Reset() {
    fObjectBodies.clear();
    fArchiveBodies.clear();
    fArchivePath.clear();
    fObjectBytes = 0;
    fFileRequests = 0;
    fReplayedRequests = 0;
    fReplayBudgetMet = false;
    fDepthReported = false;
    RiBegin(nullptr);
    gCurrent = this;
    RiReportHandler(bindingReport);
    const std::string folder = directoryOf(fLex.fileName());
    RiShaderFolder(folder.empty()  ? "."
                   : folder == "/" ? "/"
                                   : folder.substr(0, folder.size() - 1).c_str());
}

void rendrib::bindingReport(RtInt code, RtInt severity, const char* message) {
    if (gCurrent) gCurrent->reportRequest(code, severity, "%s", message);
}

int rendrib::RenderBucket() {
    if (RiRenderStep()) return 1;
    fFrameName = "";
    RiRenderFinish();
    return 0;
}

void rendrib::statement() {
    if (fInstanceDepth == 0) ++fFileRequests;
    parserib::statement();
}

// ---- checks shared by the handlers

void rendrib::checkCounts(const RiCounts& counts) {
    int samples = RiColorSampleCount();
    for (size_t k = 0; k < fList.size();) {
        RibParameter& parameter = fList[k];
        long items = counts.forClass(parameter.declaration.parameterClass);
        long width = parameter.declaration.width(samples);
        long expected = 0;
        bool fits = !parameter.declared || (!__builtin_mul_overflow(items, width, &expected) &&
                                            parameter.count() == expected);
        if (fits) {
            ++k;
            continue;
        }
        bool color = parameter.declaration.type == RiType::Color;
        reportRequest(color ? RIBBadColor : RIBBadArray, QELErrorSeverity,
                      "parameter \"%s\" needs %ld values, not %ld; dropped", parameter.name.c_str(),
                      expected, parameter.count());
        fList.remove(k);
    }
}

bool rendrib::requirePosition(std::initializer_list<const char*> names) {
    for (const char* name : names)
        if (fList.find(name)) return true;
    reportRequest(RIBBadValue, QELErrorSeverity, "%s argument is required",
                  quotedNames(names).c_str());
    return false;
}

bool rendrib::matchSequence(const char* kind, std::string& key) {
    if (token() == LEXSTRING) {
        key = "s:" + fLex.text();
        advance();
        return true;
    }
    RtInt number = 0;
    if (token() == LEXINT) {
        long value = fLex.intValue();
        if (value < 0 || value > 65535)
            report(RIBBadHandle, QELErrorSeverity, "%s handle %ld is not in range 0 - 65535", kind,
                   value);
    }
    if (!match(number)) return false;
    key = std::to_string(number);
    return true;
}

bool rendrib::matchShader(std::string& name) {
    if (!match(name) || !match(fList, false, RiShaderParameters(name.c_str()))) return false;
    checkCounts(RiCounts::single());
    return true;
}

// ---- structure

void rendrib::handleversion() {
    float version = 0;
    if (token() == LEXINT || token() == LEXFLOAT) {
        version = fLex.floatValue();
        if (version > kNewestVersion + 0.001f)
            report(RIBVersion, QELWarning, "Version %4.2f too new", double(version));
    }
    match(version);
}

void rendrib::handleDeclare() {
    std::string name, declaration;
    if (match(name) && match(declaration)) RiDeclare(name.c_str(), declaration.c_str());
}

void rendrib::handleFrameBegin() {
    RtInt frame = 0;
    if (token() != LEXKEYWORD && token() != LEXEOF && !match(frame)) return;
    openBlock(OpenBlocks::Kind::Frame);
    RiFrameBegin(frame);
}

void rendrib::handleFrameEnd() {
    closeBlock(OpenBlocks::Kind::Frame);
    RiFrameEnd();
}

void rendrib::handleWorldBegin() {
    openBlock(OpenBlocks::Kind::World);
    RiWorldBegin();
}

void rendrib::handleWorldEnd() {
    closeBlock(OpenBlocks::Kind::World);
    if (fFrameName.empty()) fFrameName = "Untitled";
    fRendering = true;
    RiRenderStart();
}

void rendrib::handleAttributeBegin() {
    openBlock(OpenBlocks::Kind::Attribute);
    RiAttributeBegin();
}

void rendrib::handleAttributeEnd() {
    closeBlock(OpenBlocks::Kind::Attribute);
    RiAttributeEnd();
}

void rendrib::handleTransformBegin() {
    openBlock(OpenBlocks::Kind::Transform);
    RiTransformBegin();
}

void rendrib::handleTransformEnd() {
    closeBlock(OpenBlocks::Kind::Transform);
    RiTransformEnd();
}

void rendrib::handleSolidBegin() {
    std::string operation;
    if (!match(operation)) return;
    openBlock(OpenBlocks::Kind::Solid);
    RiSolidBegin(operation.c_str());
}

void rendrib::handleSolidEnd() {
    closeBlock(OpenBlocks::Kind::Solid);
    RiSolidEnd();
}

// The scene API keeps no attributes or transforms inside its objects, where
// RIB allows them; so an object is kept as the tokens of its requests and
// read again, in an attribute block of its own, wherever it is instanced.
// The tokens of all objects take no more memory than a file may ask of the
// reader; an object beyond that is reported and left out.
void rendrib::handleObjectBegin() {
    std::string key;
    if (!matchSequence("Object", key)) return;
    openBlock(OpenBlocks::Kind::Object);
    ObjectBody body;
    bool kept = true;
    if (!recordBody("ObjectBegin", "ObjectEnd", body, kept)) return;
    closeBlock(OpenBlocks::Kind::Object);
    if (kept) storeBody(fObjectBodies, key, std::move(body));
}

bool rendrib::recordBody(const char* begin, const char* end, ObjectBody& body, bool& kept) {
    for (long depth = 0;;) {
        if (token() == LEXEOF) return false; // the file ends inside the block
        if (token() == LEXKEYWORD && fLex.text() == begin) ++depth;
        if (token() == LEXKEYWORD && fLex.text() == end && depth-- == 0) break;
        if (kept && !keepObjectToken(body)) kept = false;
        advance();
    }
    if (fInstanceDepth == 0) ++fFileRequests; // the end keyword
    advance();
    return true;
}

void rendrib::storeBody(std::unordered_map<std::string, std::shared_ptr<const ObjectBody>>& bodies,
                        const std::string& key, ObjectBody body) {
    std::shared_ptr<const ObjectBody>& stored = bodies[key];
    if (stored)
        for (const lexanrib::Token& token : *stored)
            fObjectBytes -= bytesOf(token);
    stored = std::make_shared<const ObjectBody>(std::move(body));
}

// An inline archive is kept as its tokens, read in place wherever
// ReadArchive names it.
void rendrib::handleArchiveBegin() {
    std::string name;
    if (!match(name) || !match(fList, true)) return;
    if (fList.size() > 0) reportRequest(RIBNoCounterpart, QELWarning, "parameters are skipped");
    openBlock(OpenBlocks::Kind::Archive);
    ObjectBody body;
    bool kept = true;
    if (!recordBody("ArchiveBegin", "ArchiveEnd", body, kept)) return;
    closeBlock(OpenBlocks::Kind::Archive);
    if (kept) storeBody(fArchiveBodies, name, std::move(body));
}

void rendrib::handleArchiveEnd() {
    reportRequest(RIBSyntax, QELErrorSeverity, "ArchiveEnd without ArchiveBegin");
}

bool rendrib::keepObjectToken(std::vector<lexanrib::Token>& body) {
    if (fInstanceDepth == 0 && token() == LEXKEYWORD) ++fFileRequests;
    size_t bytes = bytesOf(fLex.current());
    if (fObjectBytes + bytes <= readlimits::kLargestObjects) {
        fObjectBytes += bytes;
        body.push_back(fLex.current());
        return true;
    }
    for (const lexanrib::Token& token : body)
        fObjectBytes -= bytesOf(token);
    body.clear();
    body.shrink_to_fit();
    reportRequest(RIBLimit, QELErrorSeverity,
                  "objects and archives hold more than %zu MiB; this one is left out",
                  readlimits::kLargestObjects >> 20);
    return false;
}

void rendrib::handleObjectEnd() {
    reportRequest(RIBSyntax, QELErrorSeverity, "ObjectEnd without ObjectBegin");
}

void rendrib::handleObjectInstance() {
    std::string key;
    std::string shown = fLex.tokenText();
    if (!matchSequence("Object", key)) return;
    auto object = fObjectBodies.find(key);
    if (object == fObjectBodies.end()) {
        reportRequest(RIBBadHandle, QELErrorSeverity, "Unknown object handle %s", shown.c_str());
        return;
    }
    if (!withinDepth()) return;
    if (fReplayBudgetMet) return;
    RiAttributeBegin();
    readAgain(object->second);
    RiAttributeEnd();
}

void rendrib::readAgain(std::shared_ptr<const ObjectBody> body) {
    int following = token();
    lexanrib::Replay saved = fLex.startReplay(*body);
    ++fInstanceDepth;
    replayRequests();
    --fInstanceDepth;
    fLex.endReplay(std::move(saved));
    fToken = following;
}

// The requests of an object or archive, within the work a file may make
// them do, and only until the program is told to stop.
void rendrib::replayRequests() {
    RequestPlace request = currentRequest();
    for (advance(); token() != LEXEOF && !stopRequested();) {
        if (!chargeReplay()) break;
        runStatement();
    }
    resumeRequest(request);
}

bool rendrib::withinDepth() {
    if (fInstanceDepth < kDeepestInstance) return true;
    if (!fDepthReported)
        reportRequest(RIBLimit, QELErrorSeverity, "Archives and objects nested deeper than %d",
                      kDeepestInstance);
    fDepthReported = true;
    return false;
}

bool rendrib::chargeReplay() {
    size_t allowed =
        readlimits::kReplayedRequests + readlimits::kReplayedPerRequest * fFileRequests;
    if (++fReplayedRequests <= allowed) return true;
    if (!fReplayBudgetMet)
        reportRequest(RIBLimit, QELErrorSeverity,
                      "objects and archives would make more than %zu requests; the rest of their "
                      "requests are left out",
                      allowed);
    fReplayBudgetMet = true;
    return false;
}

void rendrib::handleMotionBegin() {
    std::vector<float>& times = fFloats[0];
    if (!match(times)) return;
    openBlock(OpenBlocks::Kind::Motion);
    RiMotionBeginV(RtInt(times.size()), times.data());
}

void rendrib::handleMotionEnd() {
    closeBlock(OpenBlocks::Kind::Motion);
    RiMotionEnd();
}

void rendrib::handleErrorHandler() {
    std::string name;
    std::string shown = fLex.tokenText();
    if (!match(name)) return;
    if (name == "ignore") {
        RiErrorHandler(RiErrorIgnore);
        fLex.setHandler(lexanrib::RIBErrorIgnore);
    } else if (name == "print") {
        RiErrorHandler(RiErrorPrint);
        fLex.setHandler(lexanrib::RIBErrorPrint);
    } else if (name == "abort") {
        RiErrorHandler(RiErrorAbort);
        fLex.setHandler(lexanrib::RIBErrorAbort);
    } else {
        reportRequest(RIBBadValue, QELErrorSeverity, "Unknown error handler \"%s\"", shown.c_str());
    }
}

// An archive's requests are read in place, as if they stood in the file.
void rendrib::handleReadArchive() {
    std::string name;
    if (!match(name) || !match(fList, true)) return;
    if (fList.size() > 0) reportRequest(RIBNoCounterpart, QELWarning, "parameters are skipped");
    if (fReplayBudgetMet) return;
    if (!withinDepth()) return;
    auto inline_ = fArchiveBodies.find(name);
    if (inline_ != fArchiveBodies.end()) {
        readAgain(inline_->second);
        return;
    }
    std::string tried;
    std::string path = findArchive(name, tried);
    std::string why;
    std::unique_ptr<SceneInput> input = SceneInput::open(path, why);
    if (!input) {
        reportRequest(RIBBadValue, QELErrorSeverity, "ReadArchive \"%s\": cannot open \"%s\": %s",
                      name.c_str(), tried.c_str(), why.c_str());
        return;
    }
    input->setWake(fWake);
    readArchive(*input, path);
}

namespace {

bool isFile(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

std::string rendrib::findArchive(const std::string& name, std::string& tried) const {
    const std::string beside = directoryOf(fLex.fileName());
    std::string fallback = name.empty() || name[0] == '/' ? name : beside + name;
    tried = fallback;
    if (name.empty() || name[0] == '/') return fallback;
    std::string places;
    for (const std::string& place : fArchivePath) {
        // A place given relative to nothing lies beside the file being read.
        std::string directory = place[0] == '/' ? place : beside + place;
        if (directory.back() != '/') directory += '/';
        std::string path = directory + name;
        places += (places.empty() ? "" : ", ") + path;
        if (isFile(path)) return path;
    }
    if (!places.empty()) tried = places + " or " + fallback;
    return fallback;
}

// The archive's requests are read as they come, in place of the file's.
void rendrib::readArchive(SceneInput& input, const std::string& path) {
    int following = token();
    lexanrib::Include saved = fLex.startInclude(&input, path.c_str());
    ++fInstanceDepth;
    replayRequests();
    --fInstanceDepth;
    std::string failure = fLex.inputFailure();
    long line = fLex.tokenLine();
    fLex.endInclude(std::move(saved));
    fToken = following;
    if (!failure.empty())
        reportRequest(RIBReadError, QELSevere, "archive \"%s\" cannot be read past line %ld: %s",
                      path.c_str(), line, failure.c_str());
}

// ---- options

void rendrib::handleFormat() {
    RtInt x, y;
    float aspect;
    if (match(x) && match(y) && match(aspect)) RiFormat(x, y, aspect);
}

void rendrib::handleFrameAspectRatio() {
    float aspect;
    if (match(aspect)) RiFrameAspectRatio(aspect);
}

void rendrib::handleScreenWindow() {
    float v[4];
    if (matchGroup(v, 4)) RiScreenWindow(v[0], v[1], v[2], v[3]);
}

void rendrib::handleCropWindow() {
    float v[4];
    if (matchGroup(v, 4)) RiCropWindow(v[0], v[1], v[2], v[3]);
}

void rendrib::handleProjection() {
    std::string name;
    if (match(name) && match(fList, true))
        RiProjectionV(name.c_str(), fList.n(), fList.tokens(), fList.values());
}

void rendrib::handleClipping() {
    float hither, yon;
    if (match(hither) && match(yon)) RiClipping(hither, yon);
}

void rendrib::handleClippingPlane() {
    float v[6];
    if (matchGroup(v, 6)) RiClippingPlane(v[0], v[1], v[2], v[3], v[4], v[5]);
}

void rendrib::handleDepthOfField() {
    float v[3] = {1e38f, 0, 0}; // without arguments: a pin-hole camera
    if (token() == LEXKEYWORD || token() == LEXEOF || matchGroup(v, 3))
        RiDepthOfField(v[0], v[1], v[2]);
}

void rendrib::handleShutter() {
    float open, close;
    if (match(open) && match(close)) RiShutter(open, close);
}

void rendrib::handlePixelVariance() {
    float variance;
    if (match(variance)) RiPixelVariance(variance);
}

void rendrib::handlePixelSamples() {
    float x, y;
    if (match(x) && match(y)) RiPixelSamples(x, y);
}

void rendrib::handlePixelFilter() {
    std::string name;
    float x, y;
    std::string shown = fLex.tokenText();
    if (!match(name) || !match(x) || !match(y)) return;
    if (RtFilterFunc filter = filterNamed(name))
        RiPixelFilter(filter, x, y);
    else
        reportRequest(RIBBadValue, QELWarning, "Unknown filter \"%s\": the filter is kept",
                      shown.c_str());
}

void rendrib::handleExposure() {
    float gain, gamma;
    if (match(gain) && match(gamma)) RiExposure(gain, gamma);
}

void rendrib::handleImager() {
    std::string name;
    if (matchShader(name)) RiImagerV(name.c_str(), fList.n(), fList.tokens(), fList.values());
}

void rendrib::handleQuantize() {
    std::string type;
    RtInt one, lo, hi;
    float dither;
    if (match(type) && match(one) && match(lo) && match(hi) && match(dither))
        RiQuantize(type.c_str(), one, lo, hi, dither);
}

void rendrib::handleDisplay() {
    std::string name, type, mode;
    if (!match(name) || !match(type) || !match(mode) || !match(fList, true)) return;
    fFrameName = name.c_str();
    RiDisplayV(name.c_str(), type.c_str(), mode.c_str(), fList.n(), fList.tokens(), fList.values());
}

void rendrib::handleHider() {
    std::string type;
    if (match(type) && match(fList, true))
        RiHiderV(type.c_str(), fList.n(), fList.tokens(), fList.values());
}

void rendrib::handleColorSamples() {
    std::vector<float>& toRgb = fFloats[0];
    std::vector<float>& fromRgb = fFloats[1];
    if (!match(toRgb) || !match(fromRgb)) return;
    if (toRgb.size() != fromRgb.size() || toRgb.empty() || toRgb.size() % 3 != 0 ||
        toRgb.size() > 3 * 1024) {
        reportRequest(RIBBadColor, QELErrorSeverity,
                      "ColorSamples needs two arrays of 3 n values, not %zu and %zu", toRgb.size(),
                      fromRgb.size());
        return;
    }
    RiColorSamples(RtInt(toRgb.size() / 3), toRgb.data(), fromRgb.data());
}

void rendrib::handleRelativeDetail() {
    float detail;
    if (match(detail)) RiRelativeDetail(detail);
}

void rendrib::handleOption() {
    std::string name;
    if (!match(name) || !match(fList, true)) return;
    if (takeSearchPath(name)) return;
    checkCounts(RiCounts::single());
    RiOptionV(name.c_str(), fList.n(), fList.tokens(), fList.values());
}

// The places of a search path, split at ':'; "&" stands for the places
// before, "@" for the default place (beside the file being read).
bool rendrib::takeSearchPath(const std::string& name) {
    if (name != "searchpath") return false;
    for (size_t k = fList.size(); k-- > 0;) {
        RibParameter& parameter = fList[k];
        if (parameter.name != "archive" || !parameter.declaration.isString() ||
            parameter.strings.empty())
            continue;
        std::vector<std::string> places;
        const std::string& text = parameter.strings.front();
        for (size_t start = 0; start <= text.size();) {
            size_t end = std::min(text.find(':', start), text.size());
            std::string place = text.substr(start, end - start);
            if (place == "&")
                places.insert(places.end(), fArchivePath.begin(), fArchivePath.end());
            else if (!place.empty() && place != "@")
                places.push_back(place);
            start = end + 1;
        }
        fArchivePath = std::move(places);
        fList.remove(k);
    }
    if (fList.size() > 0) RiOptionV(name.c_str(), fList.n(), fList.tokens(), fList.values());
    return true;
}

// ---- attributes

void rendrib::handleAttribute() {
    std::string name;
    if (!match(name) || !match(fList, true)) return;
    checkCounts(RiCounts::single());
    RiAttributeV(name.c_str(), fList.n(), fList.tokens(), fList.values());
}

void rendrib::handleColor() {
    std::vector<float>& color = fFloats[0];
    color.assign(size_t(RiColorSampleCount()), 0.0f);
    if (matchGroup(color.data(), RiColorSampleCount())) RiColor(color.data());
}

void rendrib::handleOpacity() {
    std::vector<float>& opacity = fFloats[0];
    opacity.assign(size_t(RiColorSampleCount()), 0.0f);
    if (matchGroup(opacity.data(), RiColorSampleCount())) RiOpacity(opacity.data());
}

void rendrib::handleTextureCoordinates() {
    float v[8];
    if (matchGroup(v, 8)) RiTextureCoordinates(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
}

void rendrib::handleLightSource() {
    lightRequest(RiLightSourceV);
}

void rendrib::handleAreaLightSource() {
    lightRequest(RiAreaLightSourceV);
}

void rendrib::lightRequest(LightCall call) {
    std::string name, key;
    if (!match(name) || !matchSequence("Light", key) ||
        !match(fList, false, RiShaderParameters(name.c_str())))
        return;
    checkCounts(RiCounts::single());
    fLights.insert(key.c_str(), call(name.c_str(), fList.n(), fList.tokens(), fList.values()));
}

void rendrib::shaderRequest(ShaderCall call) {
    std::string name;
    if (matchShader(name)) call(name.c_str(), fList.n(), fList.tokens(), fList.values());
}

void rendrib::handleIlluminate() {
    std::string key;
    std::string shown = fLex.tokenText();
    RtInt on;
    if (!matchSequence("Light", key) || !match(on)) return;
    const RtLightHandle* light = fLights.find(key.c_str());
    if (light)
        RiIlluminate(*light, on != 0);
    else
        reportRequest(RIBBadHandle, QELErrorSeverity, "Unknown light handle %s", shown.c_str());
}

void rendrib::handleSurface() {
    shaderRequest(RiSurfaceV);
}

void rendrib::handleDisplacement() {
    shaderRequest(RiDisplacementV);
}

void rendrib::handleAtmosphere() {
    shaderRequest(RiAtmosphereV);
}

void rendrib::handleInterior() {
    shaderRequest(RiInteriorV);
}

void rendrib::handleExterior() {
    shaderRequest(RiExteriorV);
}

void rendrib::handleDeformation() {
    shaderRequest(RiDeformationV);
}

void rendrib::handleShadingRate() {
    float rate;
    if (match(rate)) RiShadingRate(rate);
}

void rendrib::handleShadingInterpolation() {
    std::string type;
    if (match(type)) RiShadingInterpolation(type.c_str());
}

void rendrib::handleMatte() {
    RtInt on;
    if (match(on)) RiMatte(on != 0);
}

void rendrib::handleBound() {
    RtBound bound;
    if (matchGroup(bound, 6)) RiBound(bound);
}

void rendrib::handleDetail() {
    RtBound bound;
    if (matchGroup(bound, 6)) RiDetail(bound);
}

void rendrib::handleDetailRange() {
    float v[4];
    if (matchGroup(v, 4)) RiDetailRange(v[0], v[1], v[2], v[3]);
}

void rendrib::handleGeometricApproximation() {
    std::string type;
    float value;
    if (match(type) && match(value)) RiGeometricApproximation(type.c_str(), value);
}

void rendrib::handleOrientation() {
    std::string orientation;
    if (match(orientation)) RiOrientation(orientation.c_str());
}

void rendrib::handleReverseOrientation() {
    RiReverseOrientation();
}

void rendrib::handleSides() {
    RtInt sides;
    if (match(sides)) RiSides(sides);
}

bool rendrib::matchBasis(RtBasis basis, const RtFloat*& chosen) {
    if (token() != LEXSTRING) {
        chosen = &basis[0][0];
        return match(basis);
    }
    for (const BasisName& b : kBases) {
        if (fLex.text() != b.name) continue;
        chosen = &(*b.basis)[0][0];
        advance();
        return true;
    }
    report(RIBBadBasis, QELErrorSeverity, "Unknown basis \"%s\"", fLex.text().c_str());
    panic();
    return false;
}

void rendrib::handleBasis() {
    RtBasis u, v;
    const RtFloat *uChosen = nullptr, *vChosen = nullptr;
    RtInt ustep, vstep;
    if (!matchBasis(u, uChosen) || !match(ustep) || !matchBasis(v, vChosen) || !match(vstep))
        return;
    if (ustep < 1 || vstep < 1) {
        reportRequest(RIBBadValue, QELErrorSeverity, "Basis steps %d and %d must be positive",
                      ustep, vstep);
        return;
    }
    RiBasis(reinterpret_cast<const RtFloat(*)[4]>(uChosen), ustep,
            reinterpret_cast<const RtFloat(*)[4]>(vChosen), vstep);
}

void rendrib::handleTrimCurve() {
    std::vector<RtInt>&ncurves = fInts[0], &order = fInts[1], &n = fInts[2];
    std::vector<float>&knot = fFloats[0], &lo = fFloats[1], &hi = fFloats[2], &u = fFloats[3],
    &v = fFloats[4], &w = fFloats[5];
    if (!match(ncurves) || !match(order) || !match(knot) || !match(lo) || !match(hi) || !match(n) ||
        !match(u) || !match(v) || !match(w))
        return;
    long curves = sumOf(ncurves);
    long knots = 0, points = 0;
    bool fits = curves >= 0 && order.size() == size_t(curves) && n.size() == size_t(curves) &&
                lo.size() == size_t(curves) && hi.size() == size_t(curves);
    for (size_t k = 0; fits && k < n.size(); ++k) {
        fits = n[k] >= order[k] && order[k] >= 1;
        knots += long(n[k]) + order[k];
        points += n[k];
    }
    if (!fits || knot.size() != size_t(knots) || u.size() != size_t(points) ||
        v.size() != size_t(points) || w.size() != size_t(points)) {
        reportRequest(RIBBadArray, QELErrorSeverity, "TrimCurve arrays do not agree in size");
        return;
    }
    RiTrimCurve(RtInt(ncurves.size()), ncurves.data(), order.data(), knot.data(), lo.data(),
                hi.data(), n.data(), u.data(), v.data(), w.data());
}

// ---- transforms

void rendrib::handleIdentity() {
    RiIdentity();
}

void rendrib::handleTransform() {
    RtMatrix m;
    if (match(m)) RiTransform(m);
}

void rendrib::handleConcatTransform() {
    RtMatrix m;
    if (match(m)) RiConcatTransform(m);
}

void rendrib::handlePerspective() {
    float fov;
    if (match(fov)) RiPerspective(fov);
}

void rendrib::handleTranslate() {
    float v[3];
    if (matchGroup(v, 3)) RiTranslate(v[0], v[1], v[2]);
}

void rendrib::handleRotate() {
    float v[4];
    if (matchGroup(v, 4)) RiRotate(v[0], v[1], v[2], v[3]);
}

void rendrib::handleScale() {
    float v[3];
    if (matchGroup(v, 3)) RiScale(v[0], v[1], v[2]);
}

void rendrib::handleSkew() {
    float v[7];
    if (matchGroup(v, 7)) RiSkew(v[0], v[1], v[2], v[3], v[4], v[5], v[6]);
}

void rendrib::handleCoordinateSystem() {
    std::string space;
    if (match(space)) RiCoordinateSystem(space.c_str());
}

void rendrib::handleCoordSysTransform() {
    std::string space;
    if (match(space)) RiCoordSysTransform(space.c_str());
}

// ---- polygons

void rendrib::handlePolygon() {
    if (!match(fList, false)) return;
    RibParameter* position = fList.find("P");
    int width = position ? position->declaration.width(RiColorSampleCount()) : 3;
    long vertices = position ? position->count() / width : 0;
    checkCounts(RiCounts::polygon(vertices));
    if (requirePosition({"P"}))
        RiPolygonV(RtInt(vertices), fList.n(), fList.tokens(), fList.values());
}

void rendrib::handleGeneralPolygon() {
    std::vector<RtInt>& loops = fInts[0];
    if (!match(loops) || !match(fList, false)) return;
    long vertices = sumOf(loops);
    if (vertices < 0) {
        reportRequest(RIBBadValue, QELErrorSeverity, "loop sizes must not be negative");
        return;
    }
    checkCounts(RiCounts::polygon(vertices));
    if (requirePosition({"P"}))
        RiGeneralPolygonV(RtInt(loops.size()), loops.data(), fList.n(), fList.tokens(),
                          fList.values());
}

void rendrib::handlePointsPolygons() {
    std::vector<RtInt>&counts = fInts[0], &indices = fInts[1];
    if (!match(counts) || !match(indices) || !match(fList, false)) return;
    long corners = sumOf(counts), vertices = vertexCount(indices);
    if (corners < 0 || vertices < 0 || size_t(corners) != indices.size()) {
        reportRequest(RIBBadArray, QELErrorSeverity,
                      "vertex counts and indices of the polygons do not agree");
        return;
    }
    checkCounts(RiCounts::mesh(long(counts.size()), vertices, corners));
    if (requirePosition({"P"}))
        RiPointsPolygonsV(RtInt(counts.size()), counts.data(), indices.data(), fList.n(),
                          fList.tokens(), fList.values());
}

void rendrib::handlePointsGeneralPolygons() {
    std::vector<RtInt>&loops = fInts[0], &counts = fInts[1], &indices = fInts[2];
    if (!match(loops) || !match(counts) || !match(indices) || !match(fList, false)) return;
    long loopTotal = sumOf(loops), corners = sumOf(counts), vertices = vertexCount(indices);
    if (loopTotal < 0 || corners < 0 || vertices < 0 || size_t(loopTotal) != counts.size() ||
        size_t(corners) != indices.size()) {
        reportRequest(RIBBadArray, QELErrorSeverity,
                      "loop counts, vertex counts and indices of the polygons do not agree");
        return;
    }
    checkCounts(RiCounts::mesh(long(loops.size()), vertices, corners));
    if (requirePosition({"P"}))
        RiPointsGeneralPolygonsV(RtInt(loops.size()), loops.data(), counts.data(), indices.data(),
                                 fList.n(), fList.tokens(), fList.values());
}

// ---- patches

void rendrib::handlePatch() {
    std::string type;
    std::string shown = fLex.tokenText();
    if (!match(type) || !match(fList, false)) return;
    if (type != "bilinear" && type != "bicubic") {
        reportRequest(RIBBadValue, QELErrorSeverity, "Unknown patch type \"%s\"", shown.c_str());
        return;
    }
    checkCounts(RiCounts::patch(type == "bicubic"));
    if (requirePosition({"P", "Pz", "Pw"}))
        RiPatchV(type.c_str(), fList.n(), fList.tokens(), fList.values());
}

void rendrib::handlePatchMesh() {
    std::string type, uwrap, vwrap;
    RtInt nu, nv;
    if (!match(type) || !match(nu) || !match(uwrap) || !match(nv) || !match(vwrap) ||
        !match(fList, false))
        return;
    if ((type != "bilinear" && type != "bicubic") || !isWrap(uwrap) || !isWrap(vwrap) || nu < 1 ||
        nv < 1) {
        reportRequest(RIBBadValue, QELErrorSeverity,
                      "PatchMesh \"%s\" %d \"%s\" %d \"%s\" is no patch mesh", type.c_str(), nu,
                      uwrap.c_str(), nv, vwrap.c_str());
        return;
    }
    checkCounts(RiCounts::patchMesh(type == "bicubic", nu, uwrap == "periodic", nv,
                                    vwrap == "periodic", RiUStep(), RiVStep()));
    if (requirePosition({"P", "Pz", "Pw"}))
        RiPatchMeshV(type.c_str(), nu, uwrap.c_str(), nv, vwrap.c_str(), fList.n(), fList.tokens(),
                     fList.values());
}

// Older streams give a NuPatch four varying values, at the corners; they
// are spread over the corners of its spans.
void rendrib::nuPatchOlderVarying(long nu, long uorder, long nv, long vorder) {
    RiCounts counts = RiCounts::nuPatch(nu, uorder, nv, vorder);
    if (counts.varying == 4) return;
    long ugrid = 2 + nu - uorder, vgrid = 2 + nv - vorder;
    for (size_t k = 0; k < fList.size(); ++k) {
        RibParameter& parameter = fList[k];
        RiClass parameterClass = parameter.declaration.parameterClass;
        if (!parameter.declared || parameter.declaration.isString() ||
            parameter.declaration.isInteger() ||
            (parameterClass != RiClass::Varying && parameterClass != RiClass::FaceVarying &&
             parameterClass != RiClass::FaceVertex))
            continue;
        int width = parameter.declaration.width(RiColorSampleCount());
        if (parameter.count() != 4L * width) continue;
        std::vector<float> corners = parameter.floats;
        parameter.floats.assign(size_t(ugrid * vgrid * width), 0.0f);
        resampleGrid(corners.data(), 2, 2, width, ugrid, vgrid, parameter.floats.data());
    }
}

void rendrib::handleNuPatch() {
    RtInt nu, uorder, nv, vorder;
    float umin, umax, vmin, vmax;
    std::vector<float>&uknot = fFloats[0], &vknot = fFloats[1];
    if (!match(nu) || !match(uorder) || !match(uknot) || !match(umin) || !match(umax) ||
        !match(nv) || !match(vorder) || !match(vknot) || !match(vmin) || !match(vmax) ||
        !match(fList, false))
        return;
    if (uorder < 1 || nu < uorder || vorder < 1 || nv < vorder ||
        uknot.size() != size_t(nu) + size_t(uorder) ||
        vknot.size() != size_t(nv) + size_t(vorder)) {
        reportRequest(RIBBadArray, QELErrorSeverity,
                      "NuPatch orders, counts and knot vectors do not agree");
        return;
    }
    nuPatchOlderVarying(nu, uorder, nv, vorder);
    checkCounts(RiCounts::nuPatch(nu, uorder, nv, vorder));
    if (requirePosition({"P", "Pw"}))
        RiNuPatchV(nu, uorder, uknot.data(), umin, umax, nv, vorder, vknot.data(), vmin, vmax,
                   fList.n(), fList.tokens(), fList.values());
}

// ---- quadrics

bool rendrib::matchQuadric(float* arguments, int count) {
    if (!matchGroup(arguments, count) || !match(fList, false)) return false;
    checkCounts(RiCounts::quadric());
    return true;
}

void rendrib::handleSphere() {
    float v[4];
    if (matchQuadric(v, 4))
        RiSphereV(v[0], v[1], v[2], v[3], fList.n(), fList.tokens(), fList.values());
}

void rendrib::handleCone() {
    float v[3];
    if (matchQuadric(v, 3)) RiConeV(v[0], v[1], v[2], fList.n(), fList.tokens(), fList.values());
}

void rendrib::handleCylinder() {
    float v[4];
    if (matchQuadric(v, 4))
        RiCylinderV(v[0], v[1], v[2], v[3], fList.n(), fList.tokens(), fList.values());
}

void rendrib::handleHyperboloid() {
    float v[7];
    if (matchQuadric(v, 7))
        RiHyperboloidV(v, v + 3, v[6], fList.n(), fList.tokens(), fList.values());
}

void rendrib::handleParaboloid() {
    float v[4];
    if (matchQuadric(v, 4))
        RiParaboloidV(v[0], v[1], v[2], v[3], fList.n(), fList.tokens(), fList.values());
}

void rendrib::handleDisk() {
    float v[3];
    if (matchQuadric(v, 3)) RiDiskV(v[0], v[1], v[2], fList.n(), fList.tokens(), fList.values());
}

void rendrib::handleTorus() {
    float v[5];
    if (matchQuadric(v, 5))
        RiTorusV(v[0], v[1], v[2], v[3], v[4], fList.n(), fList.tokens(), fList.values());
}

// ---- requests without counterpart: the arguments are skipped

void rendrib::handlePoints() {
    panic();
    RiPointsV(0, 0, nullptr, nullptr);
}

void rendrib::handleCurves() {
    panic();
    RiCurvesV(nullptr, 0, nullptr, nullptr, 0, nullptr, nullptr);
}

void rendrib::handleSubdivisionMesh() {
    panic();
    RiSubdivisionMeshV(nullptr, 0, nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0,
                       nullptr, nullptr);
}

void rendrib::handleBlobby() {
    panic();
    RiBlobbyV(0, 0, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, nullptr);
}

void rendrib::handleProcedural() {
    panic();
    RiProcedural(nullptr, 0, nullptr, nullptr);
}

void rendrib::handleGeometry() {
    std::string type;
    if (!match(type)) return;
    panic();
    RiGeometryV(type.c_str(), 0, nullptr, nullptr);
}

// ---- texture utilities

bool rendrib::matchTexture(TextureArguments& a) {
    if (!match(a.picture) || !match(a.texture) || !match(a.swrap) || !match(a.twrap) ||
        !match(a.filterName) || !match(a.swidth) || !match(a.twidth) || !match(fList, false))
        return false;
    checkCounts(RiCounts::single());
    a.filter = filterNamed(a.filterName);
    if (a.filter) return true;
    reportRequest(RIBBadValue, QELErrorSeverity, "Unknown filter \"%s\"", a.filterName.c_str());
    return false;
}

void rendrib::handleMakeTexture() {
    TextureArguments a;
    if (matchTexture(a))
        RiMakeTextureV(a.picture.c_str(), a.texture.c_str(), a.swrap.c_str(), a.twrap.c_str(),
                       a.filter, a.swidth, a.twidth, fList.n(), fList.tokens(), fList.values());
}

void rendrib::handleMakeBump() {
    TextureArguments a;
    if (matchTexture(a))
        RiMakeBumpV(a.picture.c_str(), a.texture.c_str(), a.swrap.c_str(), a.twrap.c_str(),
                    a.filter, a.swidth, a.twidth, fList.n(), fList.tokens(), fList.values());
}

void rendrib::handleMakeLatLongEnvironment() {
    std::string picture, texture, filter;
    float swidth, twidth;
    if (!match(picture) || !match(texture) || !match(filter) || !match(swidth) || !match(twidth) ||
        !match(fList, false))
        return;
    checkCounts(RiCounts::single());
    RtFilterFunc function = filterNamed(filter);
    if (!function) {
        reportRequest(RIBBadValue, QELErrorSeverity, "Unknown filter \"%s\"", filter.c_str());
        return;
    }
    RiMakeLatLongEnvironmentV(picture.c_str(), texture.c_str(), function, swidth, twidth, fList.n(),
                              fList.tokens(), fList.values());
}

void rendrib::handleMakeCubeFaceEnvironment() {
    std::string faces[6], texture, filter;
    float fov, swidth, twidth;
    for (std::string& face : faces)
        if (!match(face)) return;
    if (!match(texture) || !match(fov) || !match(filter) || !match(swidth) || !match(twidth) ||
        !match(fList, false))
        return;
    checkCounts(RiCounts::single());
    RtFilterFunc function = filterNamed(filter);
    if (!function) {
        reportRequest(RIBBadValue, QELErrorSeverity, "Unknown filter \"%s\"", filter.c_str());
        return;
    }
    RiMakeCubeFaceEnvironmentV(faces[0].c_str(), faces[1].c_str(), faces[2].c_str(),
                               faces[3].c_str(), faces[4].c_str(), faces[5].c_str(),
                               texture.c_str(), fov, function, swidth, twidth, fList.n(),
                               fList.tokens(), fList.values());
}

void rendrib::handleMakeShadow() {
    std::string picture, texture;
    if (!match(picture) || !match(texture) || !match(fList, false)) return;
    checkCounts(RiCounts::single());
    RiMakeShadowV(picture.c_str(), texture.c_str(), fList.n(), fList.tokens(), fList.values());
}

} // namespace quelmark
