// The qel scene API.
//
// One flat procedural interface, exported with the same names, arguments and
// enumerator codes by the renderer library (libpictrel.so) and by the
// scene-writer library (libqel.so). A program includes only this header and
// links one of the two libraries.
//
// Parameter lists: the plain forms take, after their fixed arguments, pairs of
// (token, value pointer) closed by a single zero token; the V forms take
// (long n, const unsigned short* tokens, void* const* values). Tokens are
// quarks, interned names returned by qelQuark.
#ifndef QEL_API_QEL_H
#define QEL_API_QEL_H

#define QEL_API __attribute__((visibility("default")))

// --- Function types -------------------------------------------------------

using qelFilterFunc = float (*)(float x, float y, float xwidth, float ywidth);
using qelErrorHandlerFunc = void (*)(long code, long severity, const char* message);
using qelErrorPrinterFunc = void (*)(const char* text);
using qelSubdivideFunc = void (*)(void* data, float detail);
using qelReleaseFunc = void (*)(void* data);

// --- Enumerator codes: the high byte is the group -------------------------

constexpr short QEL_NULL = 0x000;

constexpr short QEL_FILTER_GAUSSIAN = 0x100;
constexpr short QEL_FILTER_CATMULLROM = 0x101;
constexpr short QEL_FILTER_BOX = 0x102;
constexpr short QEL_FILTER_TRIANGLE = 0x103;
constexpr short QEL_FILTER_SINC = 0x104;
constexpr short QEL_FILTER_MITCHELL = 0x105;        // Mitchell-Netravali, B = C = 1/3
constexpr short QEL_FILTER_NARROW_GAUSSIAN = 0x106; // exp(-8 (x/xwidth)² - 8 (y/ywidth)²)

constexpr short QEL_FORMAT_QEL = 0x200; // the scene-file format (scene writer only)
constexpr short QEL_FORMAT_TIFF = 0x201;
constexpr short QEL_FORMAT_PNG = 0x202;
constexpr short QEL_FORMAT_OPENEXR = 0x203;
constexpr short QEL_FORMAT_DEPTHFILE = 0x204; // depth as floats, with the camera's matrices
constexpr short QEL_FORMAT_WINDOW = 0x205;    // the display window (qelOutputImage only)

// Output samples: bit 1 colour, bit 2 alpha, bit 4 depth.
constexpr short QEL_SAMPLES_RGB = 0x301;
constexpr short QEL_SAMPLES_A = 0x302;
constexpr short QEL_SAMPLES_RGBA = 0x303;
constexpr short QEL_SAMPLES_Z = 0x304;
constexpr short QEL_SAMPLES_RGBZ = 0x305;
constexpr short QEL_SAMPLES_AZ = 0x306;
constexpr short QEL_SAMPLES_RGBAZ = 0x307;

constexpr short QEL_HIDER_NULL = 0x000;
constexpr short QEL_HIDER_ZBUFFER = 0x400;
constexpr short QEL_HIDER_PAINT = 0x401;

constexpr short QEL_SHADING_FLAT = 0x500;
constexpr short QEL_SHADING_GOURAUD = 0x501;

constexpr short QEL_ORIENT_LH = 0x600;
constexpr short QEL_ORIENT_RH = 0x601;
constexpr short QEL_ORIENT_INSIDE = 0x602;
constexpr short QEL_ORIENT_OUTSIDE = 0x603;
constexpr short QEL_ORIENT_REVERSE = 0x604;

constexpr short QEL_PATCH_BILINEAR = 0x700;
constexpr short QEL_PATCH_BICUBIC = 0x701;

constexpr short QEL_UBASIS = 0x800;
constexpr short QEL_VBASIS = 0x801;
constexpr short QEL_UVBASIS = 0x802;

constexpr short QEL_BASIS_BEZIER = 0x900;
constexpr short QEL_BASIS_BSPLINE = 0x901;
constexpr short QEL_BASIS_CATMULLROM = 0x902;
constexpr short QEL_BASIS_HERMITE = 0x903;
constexpr short QEL_BASIS_POWER = 0x904;

constexpr short QEL_WRAP = 0xA00;
constexpr short QEL_NOWRAP = 0xA01;
// Texture maps only: beyond the map, its nearest edge.
constexpr short QEL_CLAMP = 0xA02;

// Severities, and masks of them: bit 1 info, 2 warning, 4 error, 8 severe.
constexpr short QEL_SEVERITY_INFO = 0xB01;
constexpr short QEL_SEVERITY_WARNING = 0xB02;
constexpr short QEL_SEVERITY_IW = 0xB03;
constexpr short QEL_SEVERITY_ERROR = 0xB04;
constexpr short QEL_SEVERITY_IE = 0xB05;
constexpr short QEL_SEVERITY_WE = 0xB06;
constexpr short QEL_SEVERITY_IWE = 0xB07;
constexpr short QEL_SEVERITY_SEVERE = 0xB08;
constexpr short QEL_SEVERITY_IS = 0xB09;
constexpr short QEL_SEVERITY_WS = 0xB0A;
constexpr short QEL_SEVERITY_IWS = 0xB0B;
constexpr short QEL_SEVERITY_ES = 0xB0C;
constexpr short QEL_SEVERITY_WES = 0xB0E;
constexpr short QEL_SEVERITY_IWES = 0xB0F;

constexpr short QEL_HANDLER_IGNORE = 0xC00;
constexpr short QEL_HANDLER_PRINT = 0xC01;
constexpr short QEL_HANDLER_ABORT = 0xC02;

// Parameter classes: how values vary over a primitive.
constexpr short QEL_CLASS_NO = 0xD00;
constexpr short QEL_CLASS_CONST = 0xD01;
constexpr short QEL_CLASS_VARY = 0xD02;
constexpr short QEL_CLASS_VERTEX = 0xD03;

// Parameter types: what one value is.
constexpr short QEL_TYPE_NO = 0xE00;
constexpr short QEL_TYPE_FLOAT = 0xE01;
constexpr short QEL_TYPE_INTEGER = 0xE02;
constexpr short QEL_TYPE_STRING = 0xE03;
constexpr short QEL_TYPE_PAIR = 0xE04;
constexpr short QEL_TYPE_POINT = 0xE05;
constexpr short QEL_TYPE_POINTW = 0xE06;
constexpr short QEL_TYPE_COLOR = 0xE07;

// Solid operations: a primitive solid, or what its parts make together.
constexpr short QEL_SOLID_PRIMITIVE = 0xF00;
constexpr short QEL_SOLID_UNION = 0xF01;
constexpr short QEL_SOLID_INTERSECTION = 0xF02;
constexpr short QEL_SOLID_DIFFERENCE = 0xF03;

// --- Requests exported under type-decorated (C++) names -------------------

QEL_API void qelReset();
QEL_API void qelRenderInit();
QEL_API int qelRenderBucket();
QEL_API int qelProgress();
QEL_API void qelBoundDisplacement(float distance);
QEL_API void qelErrorPrinter(qelErrorPrinterFunc printer);
// A motion block over n increasing times (1 to 64): each transform request
// inside it gives the transform at the next time; of other requests the
// first counts.
QEL_API void qelMotionBegin(long n, ...);
QEL_API void qelMotionBeginV(long n, const float* times);
QEL_API void qelMotionEnd();

// --- Requests exported under plain names -----------------------------------

extern "C" {

QEL_API unsigned short qelQuark(const char* name);

// Blocks
QEL_API void qelFrameBegin();
QEL_API void qelFrameEnd();
QEL_API void qelSceneBegin();
QEL_API void qelSceneEnd();

// Options. A value beyond a stated limit is reported and clamped to the
// limit (not a number to the lower one) before anything is allocated.

// At most 32768 pixels a side and 67108864 (2^26) in all; a larger one is refused.
QEL_API void qelRasterViewport(long xmin, long xmax, long ymin, long ymax);
QEL_API void qelRasterAspect(float aspect);
QEL_API void qelImageWindow(float left, float right, float bottom, float top);
QEL_API void qelImageAspect(float aspect);
QEL_API void qelImageCrop(float xmin, float xmax, float ymin, float ymax);
QEL_API void qelViewOrthographic();
QEL_API void qelViewPerspective(float fov);
QEL_API void qelViewIdentity();
QEL_API void qelClip(float hither, float yon);
QEL_API void qelSampleAdaptive(float variance);
// 1 to 32 samples a pixel along each axis.
QEL_API void qelSampleUniform(float xsamples, float ysamples);
QEL_API void qelSampleJitter(float jitter);
QEL_API void qelFilter(short filter);
QEL_API void qelCustomFilter(qelFilterFunc filter);
// 1/32 to 16 pixels along each axis.
QEL_API void qelFilterWidth(float xwidth, float ywidth);
QEL_API void qelColorGain(float gain);
QEL_API void qelColorGamma(float gamma);
QEL_API void qelColorQuantize(long one, long min, long max);
QEL_API void qelColorJitter(float amplitude);
QEL_API void qelDepthQuantize(long one, long min, long max);
QEL_API void qelDepthJitter(float amplitude);
QEL_API void qelOutputDisplay(const char* name);
// The scene writer (libqel.so) writes the QEL scene file chosen with the
// format QEL_FORMAT_QEL; the name "-" chooses standard output.
QEL_API void qelOutputFile(short format, const char* name);
QEL_API void qelOutputSamples(short samples);
// An image output of the frame. A name beginning with '+' adds one to the
// frame's outputs (the '+' is not part of it); any other replaces them all,
// as qelOutputDisplay and qelOutputFile do. The mode is "rgb", "a", "rgba",
// "z", "rgbz", "az", "rgbaz", "Ci", "Oi" or a shading variable ("P", "N",
// "Ng", "Cs", "Os", "s", "t", "u", "v"; a declaration such as "varying
// normal N" names the same); its depth is the camera-space depth of the
// nearest surface. n is 0, for the frame's quantization (floats for
// variables and opacity), or 5: zero, one, min, max and dither amplitude.
QEL_API void qelOutputImage(short format, const char* name, const char* mode, long n,
                            const float* quantization);
QEL_API void qelHider(short hider);
// 1 to 256 colour samples; other counts are refused.
QEL_API void qelColorSpace(long n, const float* nToRgb, const float* rgbToN);
// Grid edge (a) 1 to 256 micropolygons; bucket width (b) and height (c) 1 to 128 pixels.
QEL_API void qelTune(long a, long b, long c);
// Where compiled shaders (NAME.qso) are looked for by name: folders
// separated by ':', searched in order, "&" standing for the places before;
// null or empty for the default, the current folder and then the shaders
// that come with the renderer. Unlike the other options it may come
// anywhere: shaders requested after it are looked for there.
QEL_API void qelShaderPath(const char* places);
// Where texture maps named without a folder are looked for, in the same
// form; null or empty for the default, the current folder. It too may come
// anywhere: lookups and frames after it take it.
QEL_API void qelTexturePath(const char* places);
// The most memory, in megabytes (256 by default), the tiles of texture maps
// read take; least recently used tiles make way for new ones. It too may
// come anywhere: frames after it take it.
QEL_API void qelTextureMemory(float megabytes);

// Attributes
QEL_API void qelAttributePush();
QEL_API void qelAttributePop();
QEL_API void qelColor(const float* rgb);
QEL_API void qelOpacity(const float* rgb);
QEL_API const void* qelLightSource(unsigned short shader, ...);
QEL_API const void* qelLightSourceV(unsigned short shader, long n, const unsigned short* tokens,
                                    void* const* values);
QEL_API void qelLightSwitch(const void* light, short on);
QEL_API void qelSurface(unsigned short shader, ...);
QEL_API void qelSurfaceV(unsigned short shader, long n, const unsigned short* tokens,
                         void* const* values);
QEL_API void qelAtmosphere(unsigned short shader, ...);
QEL_API void qelAtmosphereV(unsigned short shader, long n, const unsigned short* tokens,
                            void* const* values);
// 1/64 to 67108864 pixels a micropolygon, clamped as the options are.
QEL_API void qelShadingRate(float rate);
QEL_API void qelShadingModel(short model);
QEL_API void qelMatteObject(short on);
QEL_API void qelBound(const float* bound);
QEL_API void qelFlatness(float flatness);
QEL_API void qelOrientation(short orientation);
QEL_API void qelBackface(short on);
QEL_API void qelObjectName(const char* name);
QEL_API void qelGroupName(const char* name);
QEL_API void qelBasis(short application, short basis);
QEL_API void qelCustomBasis(short application, const float m[4][4], long step);

// Transforms and named spaces
QEL_API void qelLoadIdentity();
QEL_API void qelLoadMatrix(const float m[4][4]);
QEL_API void qelMultMatrix(const float m[4][4]);
QEL_API void qelPerspective(float fov);
QEL_API void qelTranslate(float dx, float dy, float dz);
QEL_API void qelRotate(float angle, float dx, float dy, float dz);
QEL_API void qelScale(float sx, float sy, float sz);
QEL_API void qelSkew(float angle, float dx1, float dy1, float dz1, float dx2, float dy2, float dz2);
QEL_API void qelMarkSpace(unsigned short name);
QEL_API float (*qelProjectPoints(unsigned short fromSpace, unsigned short toSpace, long n,
                                 float points[][3]))[3];
QEL_API void qelMatrixPush();
QEL_API void qelMatrixPop();

// Geometric primitives
QEL_API void qelPolygon(long nvertices, ...);
QEL_API void qelPolygonV(long nvertices, long n, const unsigned short* tokens, void* const* values);
QEL_API void qelGeneralPolygon(long nloops, const long* nvertices, ...);
QEL_API void qelGeneralPolygonV(long nloops, const long* nvertices, long n,
                                const unsigned short* tokens, void* const* values);
QEL_API void qelPolygonMesh(long npolys, const long* nvertices, const long* vertices, ...);
QEL_API void qelPolygonMeshV(long npolys, const long* nvertices, const long* vertices, long n,
                             const unsigned short* tokens, void* const* values);
QEL_API void qelGeneralPolygonMesh(long npolys, const long* nloops, const long* nvertices,
                                   const long* vertices, ...);
QEL_API void qelGeneralPolygonMeshV(long npolys, const long* nloops, const long* nvertices,
                                    const long* vertices, long n, const unsigned short* tokens,
                                    void* const* values);
QEL_API void qelPatch(short type, ...);
QEL_API void qelPatchV(short type, long n, const unsigned short* tokens, void* const* values);
QEL_API void qelPatchMesh(short type, long nu, short uwrap, long nv, short vwrap, ...);
QEL_API void qelPatchMeshV(short type, long nu, short uwrap, long nv, short vwrap, long n,
                           const unsigned short* tokens, void* const* values);
// NURBS take their "vary" values one per control point (uorder by vorder for
// qelNurb, nu by nv for qelNurbMesh, u fastest), as their "vertex" values;
// each span is shaded with them resampled onto its corners, the corner
// control points' values at the surface's corners.
QEL_API void qelNurb(long uorder, const float* uknot, float umin, float umax, long vorder,
                     const float* vknot, float vmin, float vmax, ...);
QEL_API void qelNurbV(long uorder, const float* uknot, float umin, float umax, long vorder,
                      const float* vknot, float vmin, float vmax, long n,
                      const unsigned short* tokens, void* const* values);
QEL_API void qelNurbMesh(long nu, long uorder, const float* uknot, float umin, float umax, long nv,
                         long vorder, const float* vknot, float vmin, float vmax, ...);
QEL_API void qelNurbMeshV(long nu, long uorder, const float* uknot, float umin, float umax, long nv,
                          long vorder, const float* vknot, float vmin, float vmax, long n,
                          const unsigned short* tokens, void* const* values);
QEL_API void qelSphere(float radius, float zmin, float zmax, float thetamax, ...);
QEL_API void qelSphereV(float radius, float zmin, float zmax, float thetamax, long n,
                        const unsigned short* tokens, void* const* values);
QEL_API void qelCone(float radius, float height, float zmax, float thetamax, ...);
QEL_API void qelConeV(float radius, float height, float zmax, float thetamax, long n,
                      const unsigned short* tokens, void* const* values);
QEL_API void qelCylinder(float radius, float zmin, float zmax, float thetamax, ...);
QEL_API void qelCylinderV(float radius, float zmin, float zmax, float thetamax, long n,
                          const unsigned short* tokens, void* const* values);
QEL_API void qelHyperboloid(const float* point1, const float* point2, float thetamax, ...);
QEL_API void qelHyperboloidV(const float* point1, const float* point2, float thetamax, long n,
                             const unsigned short* tokens, void* const* values);
QEL_API void qelParaboloid(float rmax, float zmin, float zmax, float thetamax, ...);
QEL_API void qelParaboloidV(float rmax, float zmin, float zmax, float thetamax, long n,
                            const unsigned short* tokens, void* const* values);
QEL_API void qelDisk(float height, float radius, float thetamax, ...);
QEL_API void qelDiskV(float height, float radius, float thetamax, long n,
                      const unsigned short* tokens, void* const* values);
QEL_API void qelTorus(float majorRadius, float minorRadius, float phimin, float phimax,
                      float thetamax, ...);
QEL_API void qelTorusV(float majorRadius, float minorRadius, float phimin, float phimax,
                       float thetamax, long n, const unsigned short* tokens, void* const* values);
QEL_API void qelProcedural(void* data, const float* bound, qelSubdivideFunc subdivide,
                           qelReleaseFunc release);

// Retained objects
QEL_API const void* qelObjectBegin();
QEL_API void qelObjectEnd();
QEL_API void qelObjectCall(const void* object);

// Errors
QEL_API void qelErrorHandler(short severityMask, short handler);
QEL_API void qelCustomErrorHandler(short severityMask, qelErrorHandlerFunc handler);
QEL_API long qelLastError();
QEL_API void qelErrorIgnore(long code, long severity, const char* message);
QEL_API void qelErrorPrint(long code, long severity, const char* message);
QEL_API void qelErrorAbort(long code, long severity, const char* message);

// The built-in reconstruction filters, for qelCustomFilter and the texture requests.
QEL_API float qelGaussianFilter(float x, float y, float xwidth, float ywidth);
QEL_API float qelBoxFilter(float x, float y, float xwidth, float ywidth);
QEL_API float qelTriangleFilter(float x, float y, float xwidth, float ywidth);
QEL_API float qelCatmullRomFilter(float x, float y, float xwidth, float ywidth);
QEL_API float qelSincFilter(float x, float y, float xwidth, float ywidth);
QEL_API float qelMitchellFilter(float x, float y, float xwidth, float ywidth);
QEL_API float qelNarrowGaussianFilter(float x, float y, float xwidth, float ywidth);

// A comment, formatted as printf does; the renderer ignores it.
QEL_API void qelComment(const char* format, ...);

// --- Requests the renderer library takes in part ---------------------------
// The scene writer writes them all. The renderer keeps what it renders and
// warns once for each kind of request whose effect it does not render yet
// (interior and exterior volumes, deformation shaders, solid operations,
// trim curves); displacement and imager shaders it runs
// when compiled (it has none built in); qelRenderCancel is the scene
// writer's only. qelShutter opens the shutter from open to close, over
// which the samples of motion blocks see moving transforms; qelDepthOfField
// gives the camera a thin lens (an f-stop of 1e38 or more: a pinhole).

QEL_API unsigned short qelVariable(const char* name, short parameterClass, short parameterType);
QEL_API void qelDepthOfField(float fstop, float focalLength, float focalDistance);
QEL_API void qelShutter(float open, float close);
QEL_API void qelImager(const char* name, ...);
QEL_API void qelImagerV(const char* name, long n, const unsigned short* tokens,
                        void* const* values);
QEL_API void qelRelativeDetail(float detail);
QEL_API void qelTextureCoordinates(float s1, float t1, float s2, float t2, float s3, float t3,
                                   float s4, float t4);
// A light source that shines from the surface of the primitives made under
// the current attributes from now on, each piece with its share of the area.
QEL_API const void* qelAreaLightSource(unsigned short shader, ...);
QEL_API const void* qelAreaLightSourceV(unsigned short shader, long n, const unsigned short* tokens,
                                        void* const* values);
QEL_API void qelInterior(unsigned short shader, ...);
QEL_API void qelInteriorV(unsigned short shader, long n, const unsigned short* tokens,
                          void* const* values);
QEL_API void qelExterior(unsigned short shader, ...);
QEL_API void qelExteriorV(unsigned short shader, long n, const unsigned short* tokens,
                          void* const* values);
QEL_API void qelDetail(const float* bound);
QEL_API void qelDetailRange(float minVisible, float lowerTransition, float upperTransition,
                            float maxVisible);
QEL_API void qelDeformation(unsigned short shader, ...);
QEL_API void qelDeformationV(unsigned short shader, long n, const unsigned short* tokens,
                             void* const* values);
QEL_API void qelDisplacement(unsigned short shader, ...);
QEL_API void qelDisplacementV(unsigned short shader, long n, const unsigned short* tokens,
                              void* const* values);
QEL_API void qelSolidBegin(short operation);
QEL_API void qelSolidEnd();
QEL_API void qelTrimCurve(long nloops, const long* ncurves, const long* order, const float* knot,
                          const float* min, const float* max, const long* n, const float* u,
                          const float* v, const float* w);
QEL_API void qelMakeTexture(const char* picture, const char* texture, short swrap, short twrap,
                            qelFilterFunc filter, float swidth, float twidth, ...);
QEL_API void qelMakeTextureV(const char* picture, const char* texture, short swrap, short twrap,
                             qelFilterFunc filter, float swidth, float twidth, long n,
                             const unsigned short* tokens, void* const* values);
QEL_API void qelMakeBump(const char* picture, const char* texture, short swrap, short twrap,
                         qelFilterFunc filter, float swidth, float twidth, ...);
QEL_API void qelMakeBumpV(const char* picture, const char* texture, short swrap, short twrap,
                          qelFilterFunc filter, float swidth, float twidth, long n,
                          const unsigned short* tokens, void* const* values);
QEL_API void qelMakeLatLongEnvironment(const char* picture, const char* texture,
                                       qelFilterFunc filter, float swidth, float twidth, ...);
QEL_API void qelMakeLatLongEnvironmentV(const char* picture, const char* texture,
                                        qelFilterFunc filter, float swidth, float twidth, long n,
                                        const unsigned short* tokens, void* const* values);
QEL_API void qelMakeCubeFaceEnvironment(const char* px, const char* nx, const char* py,
                                        const char* ny, const char* pz, const char* nz,
                                        const char* texture, float fov, qelFilterFunc filter,
                                        float swidth, float twidth, ...);
QEL_API void qelMakeCubeFaceEnvironmentV(const char* px, const char* nx, const char* py,
                                         const char* ny, const char* pz, const char* nz,
                                         const char* texture, float fov, qelFilterFunc filter,
                                         float swidth, float twidth, long n,
                                         const unsigned short* tokens, void* const* values);
QEL_API void qelMakeShadow(const char* picture, const char* texture, ...);
QEL_API void qelMakeShadowV(const char* picture, const char* texture, long n,
                            const unsigned short* tokens, void* const* values);
QEL_API void qelRenderCancel();

// The renderer's own addition for render programs: from the next frame on,
// each frame's finished image is also saved to this file when its display
// closes, as OpenEXR when the name ends in ".exr" (the data window the crop
// region), as PNG when it ends in ".png", else as TIFF. Null or an empty
// name stops it. The setting outlives frames and qelReset.
QEL_API void qelSaveDisplay(const char* path);

} // extern "C"

#endif
