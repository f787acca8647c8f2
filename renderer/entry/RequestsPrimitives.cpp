// The geometric requests of the renderer library.
#include "api/qel.h"
#include "renderer/entry/PrimitiveRequest.h"
#include "renderer/scene/Scene.h"

using namespace quelmark;

void qelPolygonV(long nvertices, long n, const unsigned short* tokens, void* const* values) {
    PrimitiveRequest frame("qelPolygonV");
    gScene->polygon(nvertices, n, tokens, values);
}

void qelPolygon(long nvertices, ...) {
    PrimitiveRequest frame("qelPolygon");
    va_list list;
    va_start(list, nvertices);
    VaParms parms(list);
    va_end(list);
    gScene->polygon(nvertices, parms.count(), parms.tokens(), parms.values());
}

void qelGeneralPolygonV(long nloops, const long* nvertices, long n, const unsigned short* tokens,
                        void* const* values) {
    PrimitiveRequest frame("qelGeneralPolygonV");
    gScene->generalPolygon(nloops, nvertices, n, tokens, values);
}

void qelGeneralPolygon(long nloops, const long* nvertices, ...) {
    PrimitiveRequest frame("qelGeneralPolygon");
    va_list list;
    va_start(list, nvertices);
    VaParms parms(list);
    va_end(list);
    gScene->generalPolygon(nloops, nvertices, parms.count(), parms.tokens(), parms.values());
}

void qelPolygonMeshV(long npolys, const long* nvertices, const long* vertices, long n,
                     const unsigned short* tokens, void* const* values) {
    PrimitiveRequest frame("qelPolygonMeshV");
    gScene->polygonMesh(npolys, nvertices, vertices, n, tokens, values);
}

void qelPolygonMesh(long npolys, const long* nvertices, const long* vertices, ...) {
    PrimitiveRequest frame("qelPolygonMesh");
    va_list list;
    va_start(list, vertices);
    VaParms parms(list);
    va_end(list);
    gScene->polygonMesh(npolys, nvertices, vertices, parms.count(), parms.tokens(), parms.values());
}

void qelGeneralPolygonMeshV(long npolys, const long* nloops, const long* nvertices,
                            const long* vertices, long n, const unsigned short* tokens,
                            void* const* values) {
    PrimitiveRequest frame("qelGeneralPolygonMeshV");
    gScene->generalPolygonMesh(npolys, nloops, nvertices, vertices, n, tokens, values);
}

void qelGeneralPolygonMesh(long npolys, const long* nloops, const long* nvertices,
                           const long* vertices, ...) {
    PrimitiveRequest frame("qelGeneralPolygonMesh");
    va_list list;
    va_start(list, vertices);
    VaParms parms(list);
    va_end(list);
    gScene->generalPolygonMesh(npolys, nloops, nvertices, vertices, parms.count(), parms.tokens(),
                               parms.values());
}

void qelPatchV(short type, long n, const unsigned short* tokens, void* const* values) {
    PrimitiveRequest frame("qelPatchV");
    gScene->patch(type, n, tokens, values);
}

void qelPatch(short type, ...) {
    PrimitiveRequest frame("qelPatch");
    va_list list;
    va_start(list, type);
    VaParms parms(list);
    va_end(list);
    gScene->patch(type, parms.count(), parms.tokens(), parms.values());
}

void qelPatchMeshV(short type, long nu, short uwrap, long nv, short vwrap, long n,
                   const unsigned short* tokens, void* const* values) {
    PrimitiveRequest frame("qelPatchMeshV");
    gScene->patchMesh(type, nu, uwrap, nv, vwrap, n, tokens, values);
}

void qelPatchMesh(short type, long nu, short uwrap, long nv, short vwrap, ...) {
    PrimitiveRequest frame("qelPatchMesh");
    va_list list;
    va_start(list, vwrap);
    VaParms parms(list);
    va_end(list);
    gScene->patchMesh(type, nu, uwrap, nv, vwrap, parms.count(), parms.tokens(), parms.values());
}

void qelNurbV(long uorder, const float* uknot, float umin, float umax, long vorder,
              const float* vknot, float vmin, float vmax, long n, const unsigned short* tokens,
              void* const* values) {
    PrimitiveRequest frame("qelNurbV");
    gScene->nurb(uorder, uknot, umin, umax, vorder, vknot, vmin, vmax, n, tokens, values);
}

void qelNurb(long uorder, const float* uknot, float umin, float umax, long vorder,
             const float* vknot, float vmin, float vmax, ...) {
    PrimitiveRequest frame("qelNurb");
    va_list list;
    va_start(list, vmax);
    VaParms parms(list);
    va_end(list);
    gScene->nurb(uorder, uknot, umin, umax, vorder, vknot, vmin, vmax, parms.count(),
                 parms.tokens(), parms.values());
}

void qelNurbMeshV(long nu, long uorder, const float* uknot, float umin, float umax, long nv,
                  long vorder, const float* vknot, float vmin, float vmax, long n,
                  const unsigned short* tokens, void* const* values) {
    PrimitiveRequest frame("qelNurbMeshV");
    gScene->nurbMesh(nu, uorder, uknot, umin, umax, nv, vorder, vknot, vmin, vmax, n, tokens,
                     values);
}

void qelNurbMesh(long nu, long uorder, const float* uknot, float umin, float umax, long nv,
                 long vorder, const float* vknot, float vmin, float vmax, ...) {
    PrimitiveRequest frame("qelNurbMesh");
    va_list list;
    va_start(list, vmax);
    VaParms parms(list);
    va_end(list);
    gScene->nurbMesh(nu, uorder, uknot, umin, umax, nv, vorder, vknot, vmin, vmax, parms.count(),
                     parms.tokens(), parms.values());
}

void qelSphereV(float radius, float zmin, float zmax, float thetamax, long n,
                const unsigned short* tokens, void* const* values) {
    PrimitiveRequest frame("qelSphereV");
    gScene->sphere(radius, zmin, zmax, thetamax, n, tokens, values);
}

void qelSphere(float radius, float zmin, float zmax, float thetamax, ...) {
    PrimitiveRequest frame("qelSphere");
    va_list list;
    va_start(list, thetamax);
    VaParms parms(list);
    va_end(list);
    gScene->sphere(radius, zmin, zmax, thetamax, parms.count(), parms.tokens(), parms.values());
}

void qelConeV(float radius, float height, float zmax, float thetamax, long n,
              const unsigned short* tokens, void* const* values) {
    PrimitiveRequest frame("qelConeV");
    gScene->cone(radius, height, zmax, thetamax, n, tokens, values);
}

void qelCone(float radius, float height, float zmax, float thetamax, ...) {
    PrimitiveRequest frame("qelCone");
    va_list list;
    va_start(list, thetamax);
    VaParms parms(list);
    va_end(list);
    gScene->cone(radius, height, zmax, thetamax, parms.count(), parms.tokens(), parms.values());
}

void qelCylinderV(float radius, float zmin, float zmax, float thetamax, long n,
                  const unsigned short* tokens, void* const* values) {
    PrimitiveRequest frame("qelCylinderV");
    gScene->cylinder(radius, zmin, zmax, thetamax, n, tokens, values);
}

void qelCylinder(float radius, float zmin, float zmax, float thetamax, ...) {
    PrimitiveRequest frame("qelCylinder");
    va_list list;
    va_start(list, thetamax);
    VaParms parms(list);
    va_end(list);
    gScene->cylinder(radius, zmin, zmax, thetamax, parms.count(), parms.tokens(), parms.values());
}

void qelHyperboloidV(const float* point1, const float* point2, float thetamax, long n,
                     const unsigned short* tokens, void* const* values) {
    PrimitiveRequest frame("qelHyperboloidV");
    gScene->hyperboloid(point1, point2, thetamax, n, tokens, values);
}

void qelHyperboloid(const float* point1, const float* point2, float thetamax, ...) {
    PrimitiveRequest frame("qelHyperboloid");
    va_list list;
    va_start(list, thetamax);
    VaParms parms(list);
    va_end(list);
    gScene->hyperboloid(point1, point2, thetamax, parms.count(), parms.tokens(), parms.values());
}

void qelParaboloidV(float rmax, float zmin, float zmax, float thetamax, long n,
                    const unsigned short* tokens, void* const* values) {
    PrimitiveRequest frame("qelParaboloidV");
    gScene->paraboloid(rmax, zmin, zmax, thetamax, n, tokens, values);
}

void qelParaboloid(float rmax, float zmin, float zmax, float thetamax, ...) {
    PrimitiveRequest frame("qelParaboloid");
    va_list list;
    va_start(list, thetamax);
    VaParms parms(list);
    va_end(list);
    gScene->paraboloid(rmax, zmin, zmax, thetamax, parms.count(), parms.tokens(), parms.values());
}

void qelDiskV(float height, float radius, float thetamax, long n, const unsigned short* tokens,
              void* const* values) {
    PrimitiveRequest frame("qelDiskV");
    gScene->disk(height, radius, thetamax, n, tokens, values);
}

void qelDisk(float height, float radius, float thetamax, ...) {
    PrimitiveRequest frame("qelDisk");
    va_list list;
    va_start(list, thetamax);
    VaParms parms(list);
    va_end(list);
    gScene->disk(height, radius, thetamax, parms.count(), parms.tokens(), parms.values());
}

void qelTorusV(float majorRadius, float minorRadius, float phimin, float phimax, float thetamax,
               long n, const unsigned short* tokens, void* const* values) {
    PrimitiveRequest frame("qelTorusV");
    gScene->torus(majorRadius, minorRadius, phimin, phimax, thetamax, n, tokens, values);
}

void qelTorus(float majorRadius, float minorRadius, float phimin, float phimax, float thetamax,
              ...) {
    PrimitiveRequest frame("qelTorus");
    va_list list;
    va_start(list, thetamax);
    VaParms parms(list);
    va_end(list);
    gScene->torus(majorRadius, minorRadius, phimin, phimax, thetamax, parms.count(), parms.tokens(),
                  parms.values());
}

void qelProcedural(void* data, const float* bound, qelSubdivideFunc subdivide,
                   qelReleaseFunc release) {
    PrimitiveRequest frame("qelProcedural");
    gScene->procedural(data, bound, subdivide, release);
}
