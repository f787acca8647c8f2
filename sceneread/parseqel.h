// The scene-file parser: reads a QEL file request by request with typed
// match operations, recovering from errors at the next request keyword.
// The request handlers are left to a derived class.
#ifndef QEL_SCENEREAD_PARSEQEL_H
#define QEL_SCENEREAD_PARSEQEL_H

#include "common/Array.h"
#include "common/Hash.h"
#include "common/String.h"
#include "sceneread/RequestLoop.h"
#include "sceneread/lexanqel.h"
#include "sceneread/tokenvalue.h"

#include <cstdint>
#include <istream>

namespace quelmark {

class parseqel : public RequestLoop {
public:
    using Handler = void (parseqel::*)();

    parseqel(std::istream& in, const char* fileName);
    ~parseqel() override;
    parseqel(const parseqel&) = delete;
    parseqel& operator=(const parseqel&) = delete;

    // Sets the function that receives every finished message line.
    virtual void errorPrinter(qelErrorPrinterFunc printer);

    void statement() override;

    lexanqel& lexer() { return fLex; }
    const char* placeFile() const override { return fLex.fileName(); }
    long placeLine() const override;
    int colorSamples() const { return fColorSamples; }
    long uStep() const { return fUStep; }
    long vStep() const { return fVStep; }

protected:
    // One handler per request keyword the reader knows.
    virtual void handleQuark() = 0;
    virtual void handleFrameBegin() = 0;
    virtual void handleFrameEnd() = 0;
    virtual void handleSceneBegin() = 0;
    virtual void handleSceneEnd() = 0;
    virtual void handleRasterViewport() = 0;
    virtual void handleRasterAspect() = 0;
    virtual void handleImageWindow() = 0;
    virtual void handleImageAspect() = 0;
    virtual void handleImageCrop() = 0;
    virtual void handleViewOrthographic() = 0;
    virtual void handleViewPerspective() = 0;
    virtual void handleViewIdentity() = 0;
    virtual void handleClip() = 0;
    virtual void handleSampleAdaptive() = 0;
    virtual void handleSampleUniform() = 0;
    virtual void handleSampleJitter() = 0;
    virtual void handleFilter() = 0;
    virtual void handleFilterWidth() = 0;
    virtual void handleColorGain() = 0;
    virtual void handleColorGamma() = 0;
    virtual void handleColorQuantize() = 0;
    virtual void handleColorJitter() = 0;
    virtual void handleDepthQuantize() = 0;
    virtual void handleDepthJitter() = 0;
    virtual void handleOutputDisplay() = 0;
    virtual void handleOutputFile() = 0;
    virtual void handleOutputSamples() = 0;
    virtual void handleOutputImage() = 0;
    virtual void handleHider() = 0;
    virtual void handleColorSpace() = 0;
    virtual void handleTune() = 0;
    virtual void handleShaderPath() = 0;
    virtual void handleTexturePath() = 0;
    virtual void handleTextureMemory() = 0;
    virtual void handleAttributePush() = 0;
    virtual void handleAttributePop() = 0;
    virtual void handleColor() = 0;
    virtual void handleOpacity() = 0;
    virtual void handleLightSource() = 0;
    virtual void handleLightSwitch() = 0;
    virtual void handleSurface() = 0;
    virtual void handleAtmosphere() = 0;
    virtual void handleShadingRate() = 0;
    virtual void handleShadingModel() = 0;
    virtual void handleMatteObject() = 0;
    virtual void handleBound() = 0;
    virtual void handleFlatness() = 0;
    virtual void handleOrientation() = 0;
    virtual void handleBackface() = 0;
    virtual void handleLoadIdentity() = 0;
    virtual void handleLoadMatrix() = 0;
    virtual void handleMultMatrix() = 0;
    virtual void handlePerspective() = 0;
    virtual void handleTranslate() = 0;
    virtual void handleRotate() = 0;
    virtual void handleScale() = 0;
    virtual void handleSkew() = 0;
    virtual void handleMarkSpace() = 0;
    virtual void handleMatrixPush() = 0;
    virtual void handleMatrixPop() = 0;
    virtual void handleObjectName() = 0;
    virtual void handleGroupName() = 0;
    virtual void handlePolygon() = 0;
    virtual void handleGeneralPolygon() = 0;
    virtual void handlePolygonMesh() = 0;
    virtual void handleGeneralPolygonMesh() = 0;
    virtual void handleBasis() = 0;
    virtual void handleCustomBasis() = 0;
    virtual void handlePatch() = 0;
    virtual void handlePatchMesh() = 0;
    virtual void handleNurb() = 0;
    virtual void handleNurbMesh() = 0;
    virtual void handleSphere() = 0;
    virtual void handleCone() = 0;
    virtual void handleCylinder() = 0;
    virtual void handleHyperboloid() = 0;
    virtual void handleParaboloid() = 0;
    virtual void handleDisk() = 0;
    virtual void handleTorus() = 0;
    virtual void handleObjectBegin() = 0;
    virtual void handleObjectEnd() = 0;
    virtual void handleObjectCall() = 0;
    virtual void handleErrorHandler() = 0;
    // The requests the renderer takes in part.
    virtual void handleVariable() = 0;
    virtual void handleDepthOfField() = 0;
    virtual void handleShutter() = 0;
    virtual void handleImager() = 0;
    virtual void handleRelativeDetail() = 0;
    virtual void handleTextureCoordinates() = 0;
    virtual void handleAreaLightSource() = 0;
    virtual void handleInterior() = 0;
    virtual void handleExterior() = 0;
    virtual void handleDetail() = 0;
    virtual void handleDetailRange() = 0;
    virtual void handleDeformation() = 0;
    virtual void handleDisplacement() = 0;
    virtual void handleBoundDisplacement() = 0;
    virtual void handleMotionBegin() = 0;
    virtual void handleMotionEnd() = 0;
    virtual void handleSolidBegin() = 0;
    virtual void handleSolidEnd() = 0;
    virtual void handleTrimCurve() = 0;
    virtual void handleMakeTexture() = 0;
    virtual void handleMakeBump() = 0;
    virtual void handleMakeLatLongEnvironment() = 0;
    virtual void handleMakeCubeFaceEnvironment() = 0;
    virtual void handleMakeShadow() = 0;

    // An array count that takes whatever the brackets hold.
    static constexpr long kAnyCount = -1;

    // Each match reads what its name says and returns nonzero; on failure it
    // has reported and called panic. Array forms return the items read.
    int match(char c);
    int matchBoolean(short& value);
    int match(long& value);
    int match(Array<long>& values, long count, bool bracketsRequired);
    int match(float& value);
    int match(float matrix[4][4]);
    int match(Array<float>& values, long count, bool bracketsRequired);
    int match(float point[3]);
    int match(Array<float>& points, long count, bool bracketsRequired, int width);
    int matchPointw(float point[4]);
    // count floats in a row, without brackets.
    int matchFloats(float* values, int count);
    int match(String* value);
    int matchenum(short& value);
    // As matchenum, preferring the value of the given class (the high byte)
    // where a name is shared by two classes.
    int matchenum(short& value, int enumClass);
    int matchquark(unsigned short& value);
    int match(Handler& handler);
    int match(tokenvalue& list, bool strict);

    // Checks the list's item counts and that exactly one of the null-ended
    // required quarks occurs (none given: no such check); reports and fails
    // without panicking.
    int verify(const tokenvalue& list, long uniform, long varying, long vertex,
               const unsigned short* required = nullptr);

    // Skips to the next known request keyword or the end of input.
    void panic() override;
    // Skips one bracketed value.
    void skipvalue();

    // The report helpers, at the current token.
    void report(long code, long severity, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    // Reports at the request keyword being handled.
    void reportRequest(long code, long severity, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    // Reports, panics and returns 0.
    int fail(long code, const char* format, ...) __attribute__((format(printf, 3, 4)));

    int token() const { return fToken; }
    // Reads the next token; one the lexer refused becomes LEXERROR, its
    // report kept for whichever match meets it, so that a broken token ends
    // only a request that would read it.
    int advance() {
        try {
            return fToken = fLex.next();
        } catch (const QELException& broken) {
            return keepBroken(broken);
        }
    }

    lexanqel fLex;
    int fColorSamples = 3;
    // The most colour samples any colour space request asked for: colour
    // values handed on are padded to it, so that a renderer that refused the
    // last request never reads past them.
    int fMostColorSamples = 3;
    long fUStep = 3, fVStep = 3;
    uint16_t fLightMax = 0, fObjectMax = 0;
    Hash<Handler> fKeywords{111};
    Hash<short> fEnums{111};
    // File handles, as decimal text, to the renderer's handles.
    Hash<const void*> fLights{111};
    Hash<const void*> fObjects{111};
    // The report of a LEXERROR token.
    QELException fBroken;
    // Arrays whose storage is kept from request to request.
    Array<float> fScratch;
    Array<long> fCounts, fLoops, fIndices;

private:
    void readToken() override { advance(); }
    void handOn(const QELException& report) override;
    void reportHere(long code, long severity, const char* message) override;
    const std::string& inputFailure() const override { return fLex.inputFailure(); }
    bool tooManyErrors() const override { return fLex.tooManyErrors(); }
    // Counts the bytes of values the request holds; fails past the most.
    bool takeValue(size_t bytes) { return takeValues(bytes) || panicked(); }
    int keepBroken(const QELException& broken);
    bool panicked() {
        panic();
        return false;
    }
    void hash_init();
    int matchNumbers(Array<float>& values, long count, bool bracketsRequired, int width,
                     const char* word, const char* words);
    int matchPoint(float* point, int width);
    // Whether the current token can start a single value of the type.
    bool valueFits(short type) const;
    // Floats per item of a numeric type.
    int widthOf(short type) const;
    int readValue(tokenvalue& list, unsigned short quark, short type, bool single, bool strict);
};

} // namespace quelmark

#endif
