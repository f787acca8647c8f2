// A qel API that does nothing, so that a benchmark measures the reader alone.
#include "api/qel.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

void qelReset() {}
void qelRenderInit() {}
int qelRenderBucket() {
    return 0;
}
int qelProgress() {
    return 0;
}
void qelBoundDisplacement(float distance) {}
void qelErrorPrinter(qelErrorPrinterFunc printer) {}
void qelMotionBegin(long n, ...) {}
void qelMotionBeginV(long n, const float* times) {}
void qelMotionEnd() {}

extern "C" {

unsigned short qelQuark(const char* name) {
    return 0;
}
void qelFrameBegin() {}
void qelFrameEnd() {}
void qelSceneBegin() {}
void qelSceneEnd() {}
void qelRasterViewport(long xmin, long xmax, long ymin, long ymax) {}
void qelRasterAspect(float aspect) {}
void qelImageWindow(float left, float right, float bottom, float top) {}
void qelImageAspect(float aspect) {}
void qelImageCrop(float xmin, float xmax, float ymin, float ymax) {}
void qelViewOrthographic() {}
void qelViewPerspective(float fov) {}
void qelViewIdentity() {}
void qelClip(float hither, float yon) {}
void qelSampleAdaptive(float variance) {}
void qelSampleUniform(float xsamples, float ysamples) {}
void qelSampleJitter(float jitter) {}
void qelFilter(short filter) {}
void qelCustomFilter(qelFilterFunc filter) {}
void qelFilterWidth(float xwidth, float ywidth) {}
void qelColorGain(float gain) {}
void qelColorGamma(float gamma) {}
void qelColorQuantize(long one, long min, long max) {}
void qelColorJitter(float amplitude) {}
void qelDepthQuantize(long one, long min, long max) {}
void qelDepthJitter(float amplitude) {}
void qelOutputDisplay(const char* name) {}
void qelOutputFile(short format, const char* name) {}
void qelOutputSamples(short samples) {}
void qelOutputImage(short format, const char* name, const char* mode, long n,
                    const float* quantization) {}
void qelHider(short hider) {}
void qelColorSpace(long n, const float* nToRgb, const float* rgbToN) {}
void qelTune(long a, long b, long c) {}
void qelShaderPath(const char* places) {}
void qelTexturePath(const char* places) {}
void qelTextureMemory(float megabytes) {}
void qelAttributePush() {}
void qelAttributePop() {}
void qelColor(const float* rgb) {}
void qelOpacity(const float* rgb) {}
const void* qelLightSource(unsigned short shader, ...) {
    return nullptr;
}
const void* qelLightSourceV(unsigned short shader, long n, const unsigned short* tokens,
                            void* const* values) {
    return nullptr;
}
void qelLightSwitch(const void* light, short on) {}
void qelSurface(unsigned short shader, ...) {}
void qelSurfaceV(unsigned short shader, long n, const unsigned short* tokens, void* const* values) {
}
void qelAtmosphere(unsigned short shader, ...) {}
void qelAtmosphereV(unsigned short shader, long n, const unsigned short* tokens,
                    void* const* values) {}
void qelShadingRate(float rate) {}
void qelShadingModel(short model) {}
void qelMatteObject(short on) {}
void qelBound(const float* bound) {}
void qelFlatness(float flatness) {}
void qelOrientation(short orientation) {}
void qelBackface(short on) {}
void qelObjectName(const char* name) {}
void qelGroupName(const char* name) {}
void qelBasis(short application, short basis) {}
void qelCustomBasis(short application, const float m[4][4], long step) {}
void qelLoadIdentity() {}
void qelLoadMatrix(const float m[4][4]) {}
void qelMultMatrix(const float m[4][4]) {}
void qelPerspective(float fov) {}
void qelTranslate(float dx, float dy, float dz) {}
void qelRotate(float angle, float dx, float dy, float dz) {}
void qelScale(float sx, float sy, float sz) {}
void qelSkew(float angle, float dx1, float dy1, float dz1, float dx2, float dy2, float dz2) {}
void qelMarkSpace(unsigned short name) {}
float (*qelProjectPoints(unsigned short fromSpace, unsigned short toSpace, long n,
                         float points[][3]))[3] {
    return nullptr;
}
void qelMatrixPush() {}
void qelMatrixPop() {}
void qelPolygon(long nvertices, ...) {}
void qelPolygonV(long nvertices, long n, const unsigned short* tokens, void* const* values) {}
void qelGeneralPolygon(long nloops, const long* nvertices, ...) {}
void qelGeneralPolygonV(long nloops, const long* nvertices, long n, const unsigned short* tokens,
                        void* const* values) {}
void qelPolygonMesh(long npolys, const long* nvertices, const long* vertices, ...) {}
void qelPolygonMeshV(long npolys, const long* nvertices, const long* vertices, long n,
                     const unsigned short* tokens, void* const* values) {}
void qelGeneralPolygonMesh(long npolys, const long* nloops, const long* nvertices,
                           const long* vertices, ...) {}
void qelGeneralPolygonMeshV(long npolys, const long* nloops, const long* nvertices,
                            const long* vertices, long n, const unsigned short* tokens,
                            void* const* values) {}
void qelPatch(short type, ...) {}
void qelPatchV(short type, long n, const unsigned short* tokens, void* const* values) {}
void qelPatchMesh(short type, long nu, short uwrap, long nv, short vwrap, ...) {}
void qelPatchMeshV(short type, long nu, short uwrap, long nv, short vwrap, long n,
                   const unsigned short* tokens, void* const* values) {}
void qelNurb(long uorder, const float* uknot, float umin, float umax, long vorder,
             const float* vknot, float vmin, float vmax, ...) {}
void qelNurbV(long uorder, const float* uknot, float umin, float umax, long vorder,
              const float* vknot, float vmin, float vmax, long n, const unsigned short* tokens,
              void* const* values) {}
void qelNurbMesh(long nu, long uorder, const float* uknot, float umin, float umax, long nv,
                 long vorder, const float* vknot, float vmin, float vmax, ...) {}
void qelNurbMeshV(long nu, long uorder, const float* uknot, float umin, float umax, long nv,
                  long vorder, const float* vknot, float vmin, float vmax, long n,
                  const unsigned short* tokens, void* const* values) {}
void qelSphere(float radius, float zmin, float zmax, float thetamax, ...) {}
void qelSphereV(float radius, float zmin, float zmax, float thetamax, long n,
                const unsigned short* tokens, void* const* values) {}
void qelCone(float radius, float height, float zmax, float thetamax, ...) {}
void qelConeV(float radius, float height, float zmax, float thetamax, long n,
              const unsigned short* tokens, void* const* values) {}
void qelCylinder(float radius, float zmin, float zmax, float thetamax, ...) {}
void qelCylinderV(float radius, float zmin, float zmax, float thetamax, long n,
                  const unsigned short* tokens, void* const* values) {}
void qelHyperboloid(const float* point1, const float* point2, float thetamax, ...) {}
void qelHyperboloidV(const float* point1, const float* point2, float thetamax, long n,
                     const unsigned short* tokens, void* const* values) {}
void qelParaboloid(float rmax, float zmin, float zmax, float thetamax, ...) {}
void qelParaboloidV(float rmax, float zmin, float zmax, float thetamax, long n,
                    const unsigned short* tokens, void* const* values) {}
void qelDisk(float height, float radius, float thetamax, ...) {}
void qelDiskV(float height, float radius, float thetamax, long n, const unsigned short* tokens,
              void* const* values) {}
void qelTorus(float majorRadius, float minorRadius, float phimin, float phimax, float thetamax,
              ...) {}
void qelTorusV(float majorRadius, float minorRadius, float phimin, float phimax, float thetamax,
               long n, const unsigned short* tokens, void* const* values) {}
void qelProcedural(void* data, const float* bound, qelSubdivideFunc subdivide,
                   qelReleaseFunc release) {}
const void* qelObjectBegin() {
    return nullptr;
}
void qelObjectEnd() {}
void qelObjectCall(const void* object) {}
void qelErrorHandler(short severityMask, short handler) {}
void qelCustomErrorHandler(short severityMask, qelErrorHandlerFunc handler) {}
long qelLastError() {
    return 0;
}
void qelErrorIgnore(long code, long severity, const char* message) {}
void qelErrorPrint(long code, long severity, const char* message) {}
void qelErrorAbort(long code, long severity, const char* message) {}
void qelComment(const char* format, ...) {}
unsigned short qelVariable(const char* name, short parameterClass, short parameterType) {
    return 0;
}
void qelDepthOfField(float fstop, float focalLength, float focalDistance) {}
void qelShutter(float open, float close) {}
void qelImager(const char* name, ...) {}
void qelImagerV(const char* name, long n, const unsigned short* tokens, void* const* values) {}
void qelRelativeDetail(float detail) {}
void qelTextureCoordinates(float s1, float t1, float s2, float t2, float s3, float t3, float s4,
                           float t4) {}
const void* qelAreaLightSource(unsigned short shader, ...) {
    return nullptr;
}
const void* qelAreaLightSourceV(unsigned short shader, long n, const unsigned short* tokens,
                                void* const* values) {
    return nullptr;
}
void qelInterior(unsigned short shader, ...) {}
void qelInteriorV(unsigned short shader, long n, const unsigned short* tokens,
                  void* const* values) {}
void qelExterior(unsigned short shader, ...) {}
void qelExteriorV(unsigned short shader, long n, const unsigned short* tokens,
                  void* const* values) {}
void qelDetail(const float* bound) {}
void qelDetailRange(float minVisible, float lowerTransition, float upperTransition,
                    float maxVisible) {}
void qelDeformation(unsigned short shader, ...) {}
void qelDeformationV(unsigned short shader, long n, const unsigned short* tokens,
                     void* const* values) {}
void qelDisplacement(unsigned short shader, ...) {}
void qelDisplacementV(unsigned short shader, long n, const unsigned short* tokens,
                      void* const* values) {}
void qelSolidBegin(short operation) {}
void qelSolidEnd() {}
void qelTrimCurve(long nloops, const long* ncurves, const long* order, const float* knot,
                  const float* min, const float* max, const long* n, const float* u, const float* v,
                  const float* w) {}
void qelMakeTexture(const char* picture, const char* texture, short swrap, short twrap,
                    qelFilterFunc filter, float swidth, float twidth, ...) {}
void qelMakeTextureV(const char* picture, const char* texture, short swrap, short twrap,
                     qelFilterFunc filter, float swidth, float twidth, long n,
                     const unsigned short* tokens, void* const* values) {}
void qelMakeBump(const char* picture, const char* texture, short swrap, short twrap,
                 qelFilterFunc filter, float swidth, float twidth, ...) {}
void qelMakeBumpV(const char* picture, const char* texture, short swrap, short twrap,
                  qelFilterFunc filter, float swidth, float twidth, long n,
                  const unsigned short* tokens, void* const* values) {}
void qelMakeLatLongEnvironment(const char* picture, const char* texture, qelFilterFunc filter,
                               float swidth, float twidth, ...) {}
void qelMakeLatLongEnvironmentV(const char* picture, const char* texture, qelFilterFunc filter,
                                float swidth, float twidth, long n, const unsigned short* tokens,
                                void* const* values) {}
void qelMakeCubeFaceEnvironment(const char* px, const char* nx, const char* py, const char* ny,
                                const char* pz, const char* nz, const char* texture, float fov,
                                qelFilterFunc filter, float swidth, float twidth, ...) {}
void qelMakeCubeFaceEnvironmentV(const char* px, const char* nx, const char* py, const char* ny,
                                 const char* pz, const char* nz, const char* texture, float fov,
                                 qelFilterFunc filter, float swidth, float twidth, long n,
                                 const unsigned short* tokens, void* const* values) {}
void qelMakeShadow(const char* picture, const char* texture, ...) {}
void qelMakeShadowV(const char* picture, const char* texture, long n, const unsigned short* tokens,
                    void* const* values) {}
void qelRenderCancel() {}
void qelSaveDisplay(const char* path) {}

} // extern "C"
