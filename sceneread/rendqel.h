// The scene-file reader that renders: one handler per request keyword,
// each reading its arguments and calling the qel request of the same name.
// The handles written in the file are mapped to the renderer's, and the end
// of a scene becomes incremental rendering, one bucket per step.
#ifndef QEL_SCENEREAD_RENDQEL_H
#define QEL_SCENEREAD_RENDQEL_H

#include "sceneread/parseqel.h"

namespace quelmark {

class rendqel : public parseqel {
public:
    // frameName is shared with the program shell: the name of the frame
    // being rendered, empty while the scene is being read.
    rendqel(std::istream& in, const char* fileName, String& frameName);

    // Also gives the printer to the renderer.
    void errorPrinter(qelErrorPrinterFunc printer) override;

protected:
    void Reset() override;
    int RenderBucket() override;

    void handleQuark() override;
    void handleFrameBegin() override;
    void handleFrameEnd() override;
    void handleSceneBegin() override;
    void handleSceneEnd() override;
    void handleRasterViewport() override;
    void handleRasterAspect() override;
    void handleImageWindow() override;
    void handleImageAspect() override;
    void handleImageCrop() override;
    void handleViewOrthographic() override;
    void handleViewPerspective() override;
    void handleViewIdentity() override;
    void handleClip() override;
    void handleSampleAdaptive() override;
    void handleSampleUniform() override;
    void handleSampleJitter() override;
    void handleFilter() override;
    void handleFilterWidth() override;
    void handleColorGain() override;
    void handleColorGamma() override;
    void handleColorQuantize() override;
    void handleColorJitter() override;
    void handleDepthQuantize() override;
    void handleDepthJitter() override;
    void handleOutputDisplay() override;
    void handleOutputFile() override;
    void handleOutputSamples() override;
    void handleOutputImage() override;
    void handleHider() override;
    void handleColorSpace() override;
    void handleTune() override;
    void handleShaderPath() override;
    void handleTexturePath() override;
    void handleTextureMemory() override;
    void handleAttributePush() override;
    void handleAttributePop() override;
    void handleColor() override;
    void handleOpacity() override;
    void handleLightSource() override;
    void handleLightSwitch() override;
    void handleSurface() override;
    void handleAtmosphere() override;
    void handleShadingRate() override;
    void handleShadingModel() override;
    void handleMatteObject() override;
    void handleBound() override;
    void handleFlatness() override;
    void handleOrientation() override;
    void handleBackface() override;
    void handleLoadIdentity() override;
    void handleLoadMatrix() override;
    void handleMultMatrix() override;
    void handlePerspective() override;
    void handleTranslate() override;
    void handleRotate() override;
    void handleScale() override;
    void handleSkew() override;
    void handleMarkSpace() override;
    void handleMatrixPush() override;
    void handleMatrixPop() override;
    void handleObjectName() override;
    void handleGroupName() override;
    void handlePolygon() override;
    void handleGeneralPolygon() override;
    void handlePolygonMesh() override;
    void handleGeneralPolygonMesh() override;
    void handleBasis() override;
    void handleCustomBasis() override;
    void handlePatch() override;
    void handlePatchMesh() override;
    void handleNurb() override;
    void handleNurbMesh() override;
    void handleSphere() override;
    void handleCone() override;
    void handleCylinder() override;
    void handleHyperboloid() override;
    void handleParaboloid() override;
    void handleDisk() override;
    void handleTorus() override;
    void handleObjectBegin() override;
    void handleObjectEnd() override;
    void handleObjectCall() override;
    void handleErrorHandler() override;
    void handleVariable() override;
    void handleDepthOfField() override;
    void handleShutter() override;
    void handleImager() override;
    void handleRelativeDetail() override;
    void handleTextureCoordinates() override;
    void handleAreaLightSource() override;
    void handleInterior() override;
    void handleExterior() override;
    void handleDetail() override;
    void handleDetailRange() override;
    void handleDeformation() override;
    void handleDisplacement() override;
    void handleBoundDisplacement() override;
    void handleMotionBegin() override;
    void handleMotionEnd() override;
    void handleSolidBegin() override;
    void handleSolidEnd() override;
    void handleTrimCurve() override;
    void handleMakeTexture() override;
    void handleMakeBump() override;
    void handleMakeLatLongEnvironment() override;
    void handleMakeCubeFaceEnvironment() override;
    void handleMakeShadow() override;

private:
    // A count read from the file that can be used; reports and panics otherwise.
    bool countInRange(long count);
    // A texture filter by the name the scene writer writes for it.
    bool matchTextureFilter(qelFilterFunc& filter);
    struct TextureArguments {
        String picture, texture;
        short swrap = 0, twrap = 0;
        qelFilterFunc filter = nullptr;
        float swidth = 0, twidth = 0;
        tokenvalue list;
    };
    // Pictures, wraps when asked for, filter, widths and the list.
    bool matchTexture(TextureArguments& arguments, bool wraps);
    static constexpr float kNoDepthOfField = 1e38f;
    // Range and growth checks of a handle written in the file; returns the
    // handle cut to 16 bits.
    long checkHandle(long handle, uint16_t& highest, const char* kind);
    void storeHandle(Hash<const void*>& table, long handle, const void* rendererHandle);
    // The renderer's handle for a file handle; null after a warning and panic.
    bool lookUpHandle(Hash<const void*>& table, long handle, const char* kind,
                      const void*& rendererHandle);
    bool matchNewHandle(long& handle, uint16_t& highest, const char* kind);
    bool matchKnownHandle(Hash<const void*>& table, const char* kind,
                          const void*& rendererHandle);
    bool matchQuadric(float* values, int count, tokenvalue& list);
    void setBasisStep(short application, long step);

    String& fFrameName;
};

} // namespace quelmark

#endif
