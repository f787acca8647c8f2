// The RIB parser: reads a RIB file request by request with typed match
// operations, recovering from errors at the next request keyword. The
// request handlers are left to a derived class.
#ifndef QEL_SCENEREAD_RIB_PARSERIB_H
#define QEL_SCENEREAD_RIB_PARSERIB_H

#include "common/Hash.h"
#include "common/String.h"
#include "sceneread/RequestLoop.h"
#include "sceneread/rib/RibParameterList.h"
#include "sceneread/rib/lexanrib.h"
#include "sceneread/rib/ri.h"

#include <istream>
#include <string>
#include <vector>

namespace quelmark {

class parserib : public RequestLoop {
public:
    using Handler = void (parserib::*)();

    parserib(std::istream& in, const char* fileName);
    ~parserib() override;
    parserib(const parserib&) = delete;
    parserib& operator=(const parserib&) = delete;

    // Sets the function that receives every finished message line.
    virtual void errorPrinter(qelErrorPrinterFunc printer);

    void statement() override;

    lexanrib& lexer() { return fLex; }
    const char* placeFile() const override { return fLex.fileName(); }
    long placeLine() const override;

protected:
    // One handler per request of the RenderMan Interface Bytestream.
    virtual void handleversion() = 0;
    virtual void handleDeclare() = 0;
    virtual void handleFrameBegin() = 0;
    virtual void handleFrameEnd() = 0;
    virtual void handleWorldBegin() = 0;
    virtual void handleWorldEnd() = 0;
    virtual void handleAttributeBegin() = 0;
    virtual void handleAttributeEnd() = 0;
    virtual void handleTransformBegin() = 0;
    virtual void handleTransformEnd() = 0;
    virtual void handleSolidBegin() = 0;
    virtual void handleSolidEnd() = 0;
    virtual void handleObjectBegin() = 0;
    virtual void handleObjectEnd() = 0;
    virtual void handleArchiveBegin() = 0;
    virtual void handleArchiveEnd() = 0;
    virtual void handleObjectInstance() = 0;
    virtual void handleMotionBegin() = 0;
    virtual void handleMotionEnd() = 0;
    virtual void handleErrorHandler() = 0;
    virtual void handleReadArchive() = 0;
    virtual void handleFormat() = 0;
    virtual void handleFrameAspectRatio() = 0;
    virtual void handleScreenWindow() = 0;
    virtual void handleCropWindow() = 0;
    virtual void handleProjection() = 0;
    virtual void handleClipping() = 0;
    virtual void handleClippingPlane() = 0;
    virtual void handleDepthOfField() = 0;
    virtual void handleShutter() = 0;
    virtual void handlePixelVariance() = 0;
    virtual void handlePixelSamples() = 0;
    virtual void handlePixelFilter() = 0;
    virtual void handleExposure() = 0;
    virtual void handleImager() = 0;
    virtual void handleQuantize() = 0;
    virtual void handleDisplay() = 0;
    virtual void handleHider() = 0;
    virtual void handleColorSamples() = 0;
    virtual void handleRelativeDetail() = 0;
    virtual void handleOption() = 0;
    virtual void handleAttribute() = 0;
    virtual void handleColor() = 0;
    virtual void handleOpacity() = 0;
    virtual void handleTextureCoordinates() = 0;
    virtual void handleLightSource() = 0;
    virtual void handleAreaLightSource() = 0;
    virtual void handleIlluminate() = 0;
    virtual void handleSurface() = 0;
    virtual void handleDisplacement() = 0;
    virtual void handleAtmosphere() = 0;
    virtual void handleInterior() = 0;
    virtual void handleExterior() = 0;
    virtual void handleDeformation() = 0;
    virtual void handleShadingRate() = 0;
    virtual void handleShadingInterpolation() = 0;
    virtual void handleMatte() = 0;
    virtual void handleBound() = 0;
    virtual void handleDetail() = 0;
    virtual void handleDetailRange() = 0;
    virtual void handleGeometricApproximation() = 0;
    virtual void handleOrientation() = 0;
    virtual void handleReverseOrientation() = 0;
    virtual void handleSides() = 0;
    virtual void handleBasis() = 0;
    virtual void handleTrimCurve() = 0;
    virtual void handleIdentity() = 0;
    virtual void handleTransform() = 0;
    virtual void handleConcatTransform() = 0;
    virtual void handlePerspective() = 0;
    virtual void handleTranslate() = 0;
    virtual void handleRotate() = 0;
    virtual void handleScale() = 0;
    virtual void handleSkew() = 0;
    virtual void handleCoordinateSystem() = 0;
    virtual void handleCoordSysTransform() = 0;
    virtual void handlePolygon() = 0;
    virtual void handleGeneralPolygon() = 0;
    virtual void handlePointsPolygons() = 0;
    virtual void handlePointsGeneralPolygons() = 0;
    virtual void handlePatch() = 0;
    virtual void handlePatchMesh() = 0;
    virtual void handleNuPatch() = 0;
    virtual void handleSphere() = 0;
    virtual void handleCone() = 0;
    virtual void handleCylinder() = 0;
    virtual void handleHyperboloid() = 0;
    virtual void handleParaboloid() = 0;
    virtual void handleDisk() = 0;
    virtual void handleTorus() = 0;
    virtual void handlePoints() = 0;
    virtual void handleCurves() = 0;
    virtual void handleSubdivisionMesh() = 0;
    virtual void handleBlobby() = 0;
    virtual void handleProcedural() = 0;
    virtual void handleGeometry() = 0;
    virtual void handleMakeTexture() = 0;
    virtual void handleMakeBump() = 0;
    virtual void handleMakeLatLongEnvironment() = 0;
    virtual void handleMakeCubeFaceEnvironment() = 0;
    virtual void handleMakeShadow() = 0;

    // Each match reads what its name says and returns nonzero; on failure it
    // has reported and called panic.
    int match(char c);
    // An integer; a real of integral value is taken too.
    int match(RtInt& value);
    int match(float& value);
    int match(std::string& value);
    // count numbers, bare, in brackets or as one binary array.
    int matchGroup(float* values, int count);
    int match(float matrix[4][4]) { return matchGroup(&matrix[0][0], 16); }
    // Arrays of any length: in brackets or as one binary array (numbers);
    // a lone value is taken as an array of one.
    int match(std::vector<float>& values);
    int match(std::vector<RtInt>& values);
    int match(std::vector<std::string>& values);
    int match(Handler& handler);
    // The parameter list up to the next request. Names must be declared,
    // unless anyDeclared: then unknown names are kept without values. A
    // shader's own parameters declare what the declarations in force do not;
    // their tokens become inline declarations.
    int match(RibParameterList& list, bool anyDeclared,
              const RiDeclarations* shaderParameters = nullptr);

    // Skips to the next request keyword or the end of input.
    void panic() override;

    // Reports at the current token.
    void report(long code, long severity, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    // Reports at the request keyword being handled.
    void reportRequest(long code, long severity, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    void vReportRequest(long code, long severity, const char* format, va_list args);
    // Reports (a broken token its own report), panics and returns 0.
    int fail(long code, const char* format, ...) __attribute__((format(printf, 3, 4)));

    int token() const { return fToken; }
    int advance() { return fToken = fLex.next(); }
    const std::string& requestName() const { return fRequestText; }

    lexanrib fLex;
    Hash<Handler> fKeywords{111};

private:
    void readToken() override { advance(); }
    void handOn(const QELException& report) override;
    void reportHere(long code, long severity, const char* message) override;
    const std::string& inputFailure() const override { return fLex.inputFailure(); }
    bool tooManyErrors() const override { return fLex.tooManyErrors(); }
    // Counts the bytes of values the request holds; fails past the most.
    bool takeValue(size_t bytes) { return takeValues(bytes) || panicked(); }
    // The same for the next value of an array that holds count, a
    // thousand values at a time.
    bool takeCounted(size_t count, size_t bytes) {
        return count % readlimits::kValuesCounted != 0 ||
               takeValue(bytes * readlimits::kValuesCounted);
    }
    bool panicked() {
        panic();
        return false;
    }
    void hash_init();
    // The value of one parameter, read under its declaration: 1, or -1
    // after a report when the value does not agree with it, 0 after a panic.
    int readValue(RibParameter& parameter);
    int readNumbers(RibParameter& parameter);
    int readStrings(RibParameter& parameter);
    // Skips one value: a number, a string, a binary array or a bracketed run.
    void skipValue();
};

} // namespace quelmark

#endif
