// The RIB reader that converts: one handler per RIB request, each reading
// its arguments, checking them and calling the RenderMan Interface
// procedure of the binding, which issues the qel requests. The sequence
// numbers of lights and objects written in the file are mapped to the
// handles the binding returns; the end of a world becomes incremental
// rendering, one bucket per step.
#ifndef QEL_SCENEREAD_RIB_RENDRIB_H
#define QEL_SCENEREAD_RIB_RENDRIB_H

#include "sceneread/rib/RiCounts.h"
#include "sceneread/rib/parserib.h"

namespace quelmark {

class SceneInput;

#include <initializer_list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class rendrib : public parserib {
public:
    using ObjectBody = std::vector<lexanrib::Token>;

    // frameName is shared with the program shell: the name of the frame
    // being rendered, empty while the file is being read.
    rendrib(std::istream& in, const char* fileName, String& frameName);
    ~rendrib() override;

    // Also gives the printer to the scene API.
    void errorPrinter(qelErrorPrinterFunc printer) override;

    // Counts the requests of the file itself, which earn its objects and
    // archives their work.
    void statement() override;

protected:
    void Reset() override;
    int RenderBucket() override;

    void handleversion() override;
    void handleDeclare() override;
    void handleFrameBegin() override;
    void handleFrameEnd() override;
    void handleWorldBegin() override;
    void handleWorldEnd() override;
    void handleAttributeBegin() override;
    void handleAttributeEnd() override;
    void handleTransformBegin() override;
    void handleTransformEnd() override;
    void handleSolidBegin() override;
    void handleSolidEnd() override;
    void handleObjectBegin() override;
    void handleObjectEnd() override;
    void handleArchiveBegin() override;
    void handleArchiveEnd() override;
    void handleObjectInstance() override;
    void handleMotionBegin() override;
    void handleMotionEnd() override;
    void handleErrorHandler() override;
    void handleReadArchive() override;
    void handleFormat() override;
    void handleFrameAspectRatio() override;
    void handleScreenWindow() override;
    void handleCropWindow() override;
    void handleProjection() override;
    void handleClipping() override;
    void handleClippingPlane() override;
    void handleDepthOfField() override;
    void handleShutter() override;
    void handlePixelVariance() override;
    void handlePixelSamples() override;
    void handlePixelFilter() override;
    void handleExposure() override;
    void handleImager() override;
    void handleQuantize() override;
    void handleDisplay() override;
    void handleHider() override;
    void handleColorSamples() override;
    void handleRelativeDetail() override;
    void handleOption() override;
    void handleAttribute() override;
    void handleColor() override;
    void handleOpacity() override;
    void handleTextureCoordinates() override;
    void handleLightSource() override;
    void handleAreaLightSource() override;
    void handleIlluminate() override;
    void handleSurface() override;
    void handleDisplacement() override;
    void handleAtmosphere() override;
    void handleInterior() override;
    void handleExterior() override;
    void handleDeformation() override;
    void handleShadingRate() override;
    void handleShadingInterpolation() override;
    void handleMatte() override;
    void handleBound() override;
    void handleDetail() override;
    void handleDetailRange() override;
    void handleGeometricApproximation() override;
    void handleOrientation() override;
    void handleReverseOrientation() override;
    void handleSides() override;
    void handleBasis() override;
    void handleTrimCurve() override;
    void handleIdentity() override;
    void handleTransform() override;
    void handleConcatTransform() override;
    void handlePerspective() override;
    void handleTranslate() override;
    void handleRotate() override;
    void handleScale() override;
    void handleSkew() override;
    void handleCoordinateSystem() override;
    void handleCoordSysTransform() override;
    void handlePolygon() override;
    void handleGeneralPolygon() override;
    void handlePointsPolygons() override;
    void handlePointsGeneralPolygons() override;
    void handlePatch() override;
    void handlePatchMesh() override;
    void handleNuPatch() override;
    void handleSphere() override;
    void handleCone() override;
    void handleCylinder() override;
    void handleHyperboloid() override;
    void handleParaboloid() override;
    void handleDisk() override;
    void handleTorus() override;
    void handlePoints() override;
    void handleCurves() override;
    void handleSubdivisionMesh() override;
    void handleBlobby() override;
    void handleProcedural() override;
    void handleGeometry() override;
    void handleMakeTexture() override;
    void handleMakeBump() override;
    void handleMakeLatLongEnvironment() override;
    void handleMakeCubeFaceEnvironment() override;
    void handleMakeShadow() override;

private:
    // The binding's reports, placed at the request being handled.
    static void bindingReport(RtInt code, RtInt severity, const char* message);

    // Drops, with a report, every parameter whose value count does not fit
    // its class on a primitive with these counts.
    void checkCounts(const RiCounts& counts);
    // Whether the list holds one of the names; reports the list's absence.
    bool requirePosition(std::initializer_list<const char*> names);
    // The sequence number of a light or object: an integer (checked against
    // 0 - 65535) or, as later writers give it, a string. key is its table key.
    bool matchSequence(const char* kind, std::string& key);
    // Reads the tokens as requests, then goes on after the current one.
    // The body is held while it is read: the object may be defined anew
    // meanwhile.
    void readAgain(std::shared_ptr<const ObjectBody> body);
    void readArchive(SceneInput& input, const std::string& path);
    void replayRequests();
    // Whether another object or archive may be read inside those being
    // read; the first time not, with a report.
    bool withinDepth();
    // Counts one request of an object or archive; false, after one report,
    // once they have made all the requests the file allows them.
    bool chargeReplay();
    // The tokens up to the end keyword of a block begun by the begin keyword
    // (blocks of the same kind may nest), which is read past; false when the
    // file ends first. kept turns false, after a report, when objects and
    // archives would take more memory than they may.
    bool recordBody(const char* begin, const char* end, ObjectBody& body, bool& kept);
    // Keeps the current token in the object's body; false, after a report,
    // when objects would take more memory than they may.
    bool keepObjectToken(std::vector<lexanrib::Token>& body);
    // Stores a body recorded whole under the key, in place of one before.
    void storeBody(std::unordered_map<std::string, std::shared_ptr<const ObjectBody>>& bodies,
                   const std::string& key, ObjectBody body);
    // Where ReadArchive finds a file: the first place of the archive search
    // path that holds it, else beside the file being read; the places tried
    // go to tried.
    std::string findArchive(const std::string& name, std::string& tried) const;
    // Option "searchpath" "archive": true when the request was one.
    bool takeSearchPath(const std::string& name);
    // The arguments of MakeTexture and MakeBump and their parameter list.
    struct TextureArguments {
        std::string picture, texture, swrap, twrap, filterName;
        float swidth = 0, twidth = 0;
        RtFilterFunc filter = nullptr;
    };
    bool matchTexture(TextureArguments& arguments);
    // A quadric's arguments and parameter list.
    bool matchQuadric(float* arguments, int count);
    // A shader name and parameter list.
    bool matchShader(std::string& name);
    using ShaderCall = void (*)(RtToken name, RtInt n, const RtToken tokens[],
                                const RtPointer values[]);
    using LightCall = RtLightHandle (*)(RtToken name, RtInt n, const RtToken tokens[],
                                        const RtPointer values[]);
    void shaderRequest(ShaderCall call);
    void lightRequest(LightCall call);
    bool matchBasis(RtBasis basis, const RtFloat*& chosen);
    void nuPatchOlderVarying(long nu, long uorder, long nv, long vorder);

    String& fFrameName;
    RibParameterList fList;
    Hash<RtLightHandle> fLights{111};
    // The requests of each object, by its sequence number.
    std::unordered_map<std::string, std::shared_ptr<const ObjectBody>> fObjectBodies;
    // The requests of each inline archive, by its name.
    std::unordered_map<std::string, std::shared_ptr<const ObjectBody>> fArchiveBodies;
    // Option "searchpath" "archive": the places archives are looked for.
    std::vector<std::string> fArchivePath;
    size_t fObjectBytes = 0;
    int fInstanceDepth = 0;
    size_t fFileRequests = 0;
    size_t fReplayedRequests = 0;
    bool fReplayBudgetMet = false;
    bool fDepthReported = false;
    // Arrays whose storage is kept from request to request.
    std::vector<float> fFloats[6];
    std::vector<RtInt> fInts[4];
};

} // namespace quelmark

#endif
