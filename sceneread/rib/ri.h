// The RenderMan Interface over the qel scene API: each procedure issues the
// qel requests that express it, maps names, shaders and parameters onto the
// API's own, and reports (once per kind) what the API cannot express.
//
// Parameter lists take the vector form: n, the tokens (declared names or
// inline declarations such as "uniform float Kd") and one value pointer per
// token. The number of values behind each pointer follows from its
// declaration and the primitive, as in the C binding of the interface.
#ifndef QEL_SCENEREAD_RIB_RI_H
#define QEL_SCENEREAD_RIB_RI_H

#include "api/qel.h"

namespace quelmark {

class RiDeclarations;

using RtBoolean = short;
using RtInt = int;
using RtFloat = float;
using RtToken = const char*;
using RtString = const char*;
using RtPointer = const void*;
using RtMatrix = RtFloat[4][4];
using RtBasis = RtFloat[4][4];
using RtBound = RtFloat[6];
using RtLightHandle = const void*;
using RtObjectHandle = const void*;
using RtFilterFunc = RtFloat (*)(RtFloat x, RtFloat y, RtFloat xwidth, RtFloat ywidth);
using RtErrorHandler = void (*)(RtInt code, RtInt severity, const char* message);

// ---- the binding's own set-up, outside the interface proper

// Starts a rendering job: declarations, colour samples, basis steps and
// handlers back to their standard state; the scene API is reset.
void RiBegin(RtToken name);
void RiEnd();
// A program that drives the binding from a file takes its reports here, so
// that it can say where in the file they arose; the handler given to
// RiErrorHandler then only chooses how the scene API reports. Null restores
// reporting through that handler.
void RiReportHandler(RtErrorHandler handler);
// The declarations in force, for a reader that needs to know what a
// parameter token holds before it reads the values.
const RiDeclarations& RiDeclarationTable();
// Compiled shaders are looked for in the folder first, then where the
// renderer looks by default: the folder of the scene file being read.
void RiShaderFolder(const char* folder);
// The parameters of the compiled shader of that name in the shader search
// path, as declarations; null when there is none.
const RiDeclarations* RiShaderParameters(RtToken name);
RtInt RiColorSampleCount();
RtInt RiUStep();
RtInt RiVStep();

// ---- standard bases, filters and error handlers

extern const RtBasis RiBezierBasis, RiBSplineBasis, RiCatmullRomBasis, RiHermiteBasis, RiPowerBasis;
constexpr RtInt RI_BEZIERSTEP = 3, RI_BSPLINESTEP = 1, RI_CATMULLROMSTEP = 1, RI_HERMITESTEP = 2,
                RI_POWERSTEP = 4;

RtFloat RiGaussianFilter(RtFloat x, RtFloat y, RtFloat xwidth, RtFloat ywidth);
RtFloat RiBoxFilter(RtFloat x, RtFloat y, RtFloat xwidth, RtFloat ywidth);
RtFloat RiTriangleFilter(RtFloat x, RtFloat y, RtFloat xwidth, RtFloat ywidth);
RtFloat RiCatmullRomFilter(RtFloat x, RtFloat y, RtFloat xwidth, RtFloat ywidth);
RtFloat RiSincFilter(RtFloat x, RtFloat y, RtFloat xwidth, RtFloat ywidth);
RtFloat RiMitchellFilter(RtFloat x, RtFloat y, RtFloat xwidth, RtFloat ywidth);

void RiErrorIgnore(RtInt code, RtInt severity, const char* message);
void RiErrorPrint(RtInt code, RtInt severity, const char* message);
void RiErrorAbort(RtInt code, RtInt severity, const char* message);

// ---- declarations and blocks

// The declared name, or null for a malformed declaration.
RtToken RiDeclare(const char* name, const char* declaration);
void RiFrameBegin(RtInt frame);
void RiFrameEnd();
void RiWorldBegin();
// Renders the scene and ends it: RiRenderStart, RiRenderStep until it
// returns 0, RiRenderFinish. A program that renders from idle time calls
// the three itself.
void RiWorldEnd();
void RiRenderStart();
RtInt RiRenderStep();
void RiRenderFinish();
void RiAttributeBegin();
void RiAttributeEnd();
void RiTransformBegin();
void RiTransformEnd();
void RiSolidBegin(RtToken operation);
void RiSolidEnd();
RtObjectHandle RiObjectBegin();
void RiObjectEnd();
void RiObjectInstance(RtObjectHandle handle);
void RiMotionBeginV(RtInt n, const RtFloat times[]);
void RiMotionEnd();
void RiErrorHandler(RtErrorHandler handler);

// ---- options

void RiFormat(RtInt xresolution, RtInt yresolution, RtFloat pixelAspect);
void RiFrameAspectRatio(RtFloat aspect);
void RiScreenWindow(RtFloat left, RtFloat right, RtFloat bottom, RtFloat top);
void RiCropWindow(RtFloat xmin, RtFloat xmax, RtFloat ymin, RtFloat ymax);
void RiProjectionV(RtToken name, RtInt n, const RtToken tokens[], const RtPointer values[]);
void RiClipping(RtFloat hither, RtFloat yon);
void RiClippingPlane(RtFloat x, RtFloat y, RtFloat z, RtFloat nx, RtFloat ny, RtFloat nz);
void RiDepthOfField(RtFloat fstop, RtFloat focalLength, RtFloat focalDistance);
void RiShutter(RtFloat open, RtFloat close);
void RiPixelVariance(RtFloat variance);
void RiPixelSamples(RtFloat xsamples, RtFloat ysamples);
void RiPixelFilter(RtFilterFunc filter, RtFloat xwidth, RtFloat ywidth);
void RiExposure(RtFloat gain, RtFloat gamma);
void RiImagerV(RtToken name, RtInt n, const RtToken tokens[], const RtPointer values[]);
void RiQuantize(RtToken type, RtInt one, RtInt min, RtInt max, RtFloat dither);
void RiDisplayV(RtToken name, RtToken type, RtToken mode, RtInt n, const RtToken tokens[],
                const RtPointer values[]);
void RiHiderV(RtToken type, RtInt n, const RtToken tokens[], const RtPointer values[]);
void RiColorSamples(RtInt n, const RtFloat nRGB[], const RtFloat RGBn[]);
void RiRelativeDetail(RtFloat detail);
void RiOptionV(RtToken name, RtInt n, const RtToken tokens[], const RtPointer values[]);

// ---- attributes

void RiAttributeV(RtToken name, RtInt n, const RtToken tokens[], const RtPointer values[]);
void RiColor(const RtFloat color[]);
void RiOpacity(const RtFloat color[]);
void RiTextureCoordinates(RtFloat s1, RtFloat t1, RtFloat s2, RtFloat t2, RtFloat s3, RtFloat t3,
                          RtFloat s4, RtFloat t4);
RtLightHandle RiLightSourceV(RtToken name, RtInt n, const RtToken tokens[],
                             const RtPointer values[]);
RtLightHandle RiAreaLightSourceV(RtToken name, RtInt n, const RtToken tokens[],
                                 const RtPointer values[]);
void RiIlluminate(RtLightHandle light, RtBoolean on);
void RiSurfaceV(RtToken name, RtInt n, const RtToken tokens[], const RtPointer values[]);
void RiDisplacementV(RtToken name, RtInt n, const RtToken tokens[], const RtPointer values[]);
void RiAtmosphereV(RtToken name, RtInt n, const RtToken tokens[], const RtPointer values[]);
void RiInteriorV(RtToken name, RtInt n, const RtToken tokens[], const RtPointer values[]);
void RiExteriorV(RtToken name, RtInt n, const RtToken tokens[], const RtPointer values[]);
void RiDeformationV(RtToken name, RtInt n, const RtToken tokens[], const RtPointer values[]);
void RiShadingRate(RtFloat size);
void RiShadingInterpolation(RtToken type);
void RiMatte(RtBoolean on);
void RiBound(const RtBound bound);
void RiDetail(const RtBound bound);
void RiDetailRange(RtFloat minVisible, RtFloat lowerTransition, RtFloat upperTransition,
                   RtFloat maxVisible);
void RiGeometricApproximation(RtToken type, RtFloat value);
void RiOrientation(RtToken orientation);
void RiReverseOrientation();
void RiSides(RtInt sides);
void RiBasis(const RtBasis ubasis, RtInt ustep, const RtBasis vbasis, RtInt vstep);
void RiTrimCurve(RtInt nloops, const RtInt ncurves[], const RtInt order[], const RtFloat knot[],
                 const RtFloat min[], const RtFloat max[], const RtInt n[], const RtFloat u[],
                 const RtFloat v[], const RtFloat w[]);

// ---- transforms

void RiIdentity();
void RiTransform(const RtMatrix transform);
void RiConcatTransform(const RtMatrix transform);
void RiPerspective(RtFloat fov);
void RiTranslate(RtFloat dx, RtFloat dy, RtFloat dz);
void RiRotate(RtFloat angle, RtFloat dx, RtFloat dy, RtFloat dz);
void RiScale(RtFloat sx, RtFloat sy, RtFloat sz);
void RiSkew(RtFloat angle, RtFloat dx1, RtFloat dy1, RtFloat dz1, RtFloat dx2, RtFloat dy2,
            RtFloat dz2);
void RiCoordinateSystem(RtToken space);
void RiCoordSysTransform(RtToken space);

// ---- geometry

void RiPolygonV(RtInt nvertices, RtInt n, const RtToken tokens[], const RtPointer values[]);
void RiGeneralPolygonV(RtInt nloops, const RtInt nvertices[], RtInt n, const RtToken tokens[],
                       const RtPointer values[]);
void RiPointsPolygonsV(RtInt npolys, const RtInt nvertices[], const RtInt vertices[], RtInt n,
                       const RtToken tokens[], const RtPointer values[]);
void RiPointsGeneralPolygonsV(RtInt npolys, const RtInt nloops[], const RtInt nvertices[],
                              const RtInt vertices[], RtInt n, const RtToken tokens[],
                              const RtPointer values[]);
void RiPatchV(RtToken type, RtInt n, const RtToken tokens[], const RtPointer values[]);
void RiPatchMeshV(RtToken type, RtInt nu, RtToken uwrap, RtInt nv, RtToken vwrap, RtInt n,
                  const RtToken tokens[], const RtPointer values[]);
void RiNuPatchV(RtInt nu, RtInt uorder, const RtFloat uknot[], RtFloat umin, RtFloat umax, RtInt nv,
                RtInt vorder, const RtFloat vknot[], RtFloat vmin, RtFloat vmax, RtInt n,
                const RtToken tokens[], const RtPointer values[]);
void RiSphereV(RtFloat radius, RtFloat zmin, RtFloat zmax, RtFloat thetamax, RtInt n,
               const RtToken tokens[], const RtPointer values[]);
void RiConeV(RtFloat height, RtFloat radius, RtFloat thetamax, RtInt n, const RtToken tokens[],
             const RtPointer values[]);
void RiCylinderV(RtFloat radius, RtFloat zmin, RtFloat zmax, RtFloat thetamax, RtInt n,
                 const RtToken tokens[], const RtPointer values[]);
void RiHyperboloidV(const RtFloat point1[3], const RtFloat point2[3], RtFloat thetamax, RtInt n,
                    const RtToken tokens[], const RtPointer values[]);
void RiParaboloidV(RtFloat rmax, RtFloat zmin, RtFloat zmax, RtFloat thetamax, RtInt n,
                   const RtToken tokens[], const RtPointer values[]);
void RiDiskV(RtFloat height, RtFloat radius, RtFloat thetamax, RtInt n, const RtToken tokens[],
             const RtPointer values[]);
void RiTorusV(RtFloat majorRadius, RtFloat minorRadius, RtFloat phimin, RtFloat phimax,
              RtFloat thetamax, RtInt n, const RtToken tokens[], const RtPointer values[]);
// Primitives the scene API has no counterpart for: each is reported once.
void RiPointsV(RtInt npoints, RtInt n, const RtToken tokens[], const RtPointer values[]);
void RiCurvesV(RtToken type, RtInt ncurves, const RtInt nvertices[], RtToken wrap, RtInt n,
               const RtToken tokens[], const RtPointer values[]);
void RiSubdivisionMeshV(RtToken scheme, RtInt nfaces, const RtInt nvertices[],
                        const RtInt vertices[], RtInt ntags, const RtToken tags[],
                        const RtInt nargs[], const RtInt intargs[], const RtFloat floatargs[],
                        RtInt n, const RtToken tokens[], const RtPointer values[]);
void RiBlobbyV(RtInt nleaf, RtInt ncode, const RtInt code[], RtInt nflt, const RtFloat flt[],
               RtInt nstr, const RtToken str[], RtInt n, const RtToken tokens[],
               const RtPointer values[]);
void RiProcedural(RtToken kind, RtInt nargs, const RtString args[], const RtBound bound);
void RiGeometryV(RtToken type, RtInt n, const RtToken tokens[], const RtPointer values[]);
void RiReadArchiveV(RtToken name, RtInt n, const RtToken tokens[], const RtPointer values[]);

// ---- texture utilities

void RiMakeTextureV(RtString picture, RtString texture, RtToken swrap, RtToken twrap,
                    RtFilterFunc filter, RtFloat swidth, RtFloat twidth, RtInt n,
                    const RtToken tokens[], const RtPointer values[]);
void RiMakeBumpV(RtString picture, RtString texture, RtToken swrap, RtToken twrap,
                 RtFilterFunc filter, RtFloat swidth, RtFloat twidth, RtInt n,
                 const RtToken tokens[], const RtPointer values[]);
void RiMakeLatLongEnvironmentV(RtString picture, RtString texture, RtFilterFunc filter,
                               RtFloat swidth, RtFloat twidth, RtInt n, const RtToken tokens[],
                               const RtPointer values[]);
void RiMakeCubeFaceEnvironmentV(RtString px, RtString nx, RtString py, RtString ny, RtString pz,
                                RtString nz, RtString texture, RtFloat fov, RtFilterFunc filter,
                                RtFloat swidth, RtFloat twidth, RtInt n, const RtToken tokens[],
                                const RtPointer values[]);
void RiMakeShadowV(RtString picture, RtString texture, RtInt n, const RtToken tokens[],
                   const RtPointer values[]);

} // namespace quelmark

#endif
