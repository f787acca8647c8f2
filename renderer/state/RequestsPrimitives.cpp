// The geometric requests of the renderer library.
#include "api/qel.h"
#include "renderer/state/RequestFrame.h"
#include "renderer/state/Scene.h"

void qelPolygonV(long nvertices, long n, const unsigned short* tokens, void* const* values) {
    RequestName frame("qelPolygonV");
    gScene->polygon(nvertices, n, tokens, values);
}

void qelPolygon(long nvertices, ...) {
    RequestName frame("qelPolygon");
    va_list list;
    va_start(list, nvertices);
    VaParms parms(list);
    va_end(list);
    gScene->polygon(nvertices, parms.count(), parms.tokens(), parms.values());
}

void qelGeneralPolygonV(long nloops, const long* nvertices, long n, const unsigned short* tokens,
                        void* const* values) {
    RequestName frame("qelGeneralPolygonV");
    gScene->generalPolygon(nloops, nvertices, n, tokens, values);
}

void qelGeneralPolygon(long nloops, const long* nvertices, ...) {
    RequestName frame("qelGeneralPolygon");
    va_list list;
    va_start(list, nvertices);
    VaParms parms(list);
    va_end(list);
    gScene->generalPolygon(nloops, nvertices, parms.count(), parms.tokens(), parms.values());
}

void qelPolygonMeshV(long npolys, const long* nvertices, const long* vertices, long n,
                     const unsigned short* tokens, void* const* values) {
    RequestName frame("qelPolygonMeshV");
    gScene->polygonMesh(npolys, nvertices, vertices, n, tokens, values);
}

void qelPolygonMesh(long npolys, const long* nvertices, const long* vertices, ...) {
    RequestName frame("qelPolygonMesh");
    va_list list;
    va_start(list, vertices);
    VaParms parms(list);
    va_end(list);
    gScene->polygonMesh(npolys, nvertices, vertices, parms.count(), parms.tokens(), parms.values());
}

void qelGeneralPolygonMeshV(long npolys, const long* nloops, const long* nvertices,
                            const long* vertices, long n, const unsigned short* tokens,
                            void* const* values) {
    RequestName frame("qelGeneralPolygonMeshV");
    gScene->generalPolygonMesh(npolys, nloops, nvertices, vertices, n, tokens, values);
}

void qelGeneralPolygonMesh(long npolys, const long* nloops, const long* nvertices,
                           const long* vertices, ...) {
    RequestName frame("qelGeneralPolygonMesh");
    va_list list;
    va_start(list, vertices);
    VaParms parms(list);
    va_end(list);
    gScene->generalPolygonMesh(npolys, nloops, nvertices, vertices, parms.count(), parms.tokens(),
                               parms.values());
}

void qelPatchV(short type, long n, const unsigned short* tokens, void* const* values) {
    RequestName frame("qelPatchV");
    gScene->patch(type, n, tokens, values);
}

void qelPatch(short type, ...) {
    RequestName frame("qelPatch");
    va_list list;
    va_start(list, type);
    VaParms parms(list);
    va_end(list);
    gScene->patch(type, parms.count(), parms.tokens(), parms.values());
}

void qelPatchMeshV(short type, long nu, short uwrap, long nv, short vwrap, long n,
                   const unsigned short* tokens, void* const* values) {
    RequestName frame("qelPatchMeshV");
    gScene->patchMesh(type, nu, uwrap, nv, vwrap, n, tokens, values);
}

void qelPatchMesh(short type, long nu, short uwrap, long nv, short vwrap, ...) {
    RequestName frame("qelPatchMesh");
    va_list list;
    va_start(list, vwrap);
    VaParms parms(list);
    va_end(list);
    gScene->patchMesh(type, nu, uwrap, nv, vwrap, parms.count(), parms.tokens(), parms.values());
}

void qelNurbV(long uorder, const float* uknot, float umin, float umax, long vorder,
              const float* vknot, float vmin, float vmax, long n, const unsigned short* tokens,
              void* const* values) {
    RequestName frame("qelNurbV");
    gScene->nurb(uorder, uknot, umin, umax, vorder, vknot, vmin, vmax, n, tokens, values);
}

void qelNurb(long uorder, const float* uknot, float umin, float umax, long vorder,
             const float* vknot, float vmin, float vmax, ...) {
    RequestName frame("qelNurb");
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
    RequestName frame("qelNurbMeshV");
    gScene->nurbMesh(nu, uorder, uknot, umin, umax, nv, vorder, vknot, vmin, vmax, n, tokens,
                     values);
}

void qelNurbMesh(long nu, long uorder, const float* uknot, float umin, float umax, long nv,
                 long vorder, const float* vknot, float vmin, float vmax, ...) {
    RequestName frame("qelNurbMesh");
    va_list list;
    va_start(list, vmax);
    VaParms parms(list);
    va_end(list);
    gScene->nurbMesh(nu, uorder, uknot, umin, umax, nv, vorder, vknot, vmin, vmax, parms.count(),
                     parms.tokens(), parms.values());
}

void qelSphereV(float radius, float zmin, float zmax, float thetamax, long n,
                const unsigned short* tokens, void* const* values) {
    RequestName frame("qelSphereV");
    gScene->sphere(radius, zmin, zmax, thetamax, n, tokens, values);
}

void qelSphere(float radius, float zmin, float zmax, float thetamax, ...) {
    RequestName frame("qelSphere");
    va_list list;
    va_start(list, thetamax);
    VaParms parms(list);
    va_end(list);
    gScene->sphere(radius, zmin, zmax, thetamax, parms.count(), parms.tokens(), parms.values());
}

void qelConeV(float radius, float height, float zmax, float thetamax, long n,
              const unsigned short* tokens, void* const* values) {
    RequestName frame("qelConeV");
    gScene->cone(radius, height, zmax, thetamax, n, tokens, values);
}

void qelCone(float radius, float height, float zmax, float thetamax, ...) {
    RequestName frame("qelCone");
    va_list list;
    va_start(list, thetamax);
    VaParms parms(list);
    va_end(list);
    gScene->cone(radius, height, zmax, thetamax, parms.count(), parms.tokens(), parms.values());
}

void qelCylinderV(float radius, float zmin, float zmax, float thetamax, long n,
                  const unsigned short* tokens, void* const* values) {
    RequestName frame("qelCylinderV");
    gScene->cylinder(radius, zmin, zmax, thetamax, n, tokens, values);
}

void qelCylinder(float radius, float zmin, float zmax, float thetamax, ...) {
    RequestName frame("qelCylinder");
    va_list list;
    va_start(list, thetamax);
    VaParms parms(list);
    va_end(list);
    gScene->cylinder(radius, zmin, zmax, thetamax, parms.count(), parms.tokens(), parms.values());
}

void qelHyperboloidV(const float* point1, const float* point2, float thetamax, long n,
                     const unsigned short* tokens, void* const* values) {
    RequestName frame("qelHyperboloidV");
    gScene->hyperboloid(point1, point2, thetamax, n, tokens, values);
}

void qelHyperboloid(const float* point1, const float* point2, float thetamax, ...) {
    RequestName frame("qelHyperboloid");
    va_list list;
    va_start(list, thetamax);
    VaParms parms(list);
    va_end(list);
    gScene->hyperboloid(point1, point2, thetamax, parms.count(), parms.tokens(), parms.values());
}

void qelParaboloidV(float rmax, float zmin, float zmax, float thetamax, long n,
                    const unsigned short* tokens, void* const* values) {
    RequestName frame("qelParaboloidV");
    gScene->paraboloid(rmax, zmin, zmax, thetamax, n, tokens, values);
}

void qelParaboloid(float rmax, float zmin, float zmax, float thetamax, ...) {
    RequestName frame("qelParaboloid");
    va_list list;
    va_start(list, thetamax);
    VaParms parms(list);
    va_end(list);
    gScene->paraboloid(rmax, zmin, zmax, thetamax, parms.count(), parms.tokens(), parms.values());
}

void qelDiskV(float height, float radius, float thetamax, long n, const unsigned short* tokens,
              void* const* values) {
    RequestName frame("qelDiskV");
    gScene->disk(height, radius, thetamax, n, tokens, values);
}

void qelDisk(float height, float radius, float thetamax, ...) {
    RequestName frame("qelDisk");
    va_list list;
    va_start(list, thetamax);
    VaParms parms(list);
    va_end(list);
    gScene->disk(height, radius, thetamax, parms.count(), parms.tokens(), parms.values());
}

void qelTorusV(float majorRadius, float minorRadius, float phimin, float phimax, float thetamax,
               long n, const unsigned short* tokens, void* const* values) {
    RequestName frame("qelTorusV");
    gScene->torus(majorRadius, minorRadius, phimin, phimax, thetamax, n, tokens, values);
}

void qelTorus(float majorRadius, float minorRadius, float phimin, float phimax, float thetamax,
              ...) {
    RequestName frame("qelTorus");
    va_list list;
    va_start(list, thetamax);
    VaParms parms(list);
    va_end(list);
    gScene->torus(majorRadius, minorRadius, phimin, phimax, thetamax, parms.count(), parms.tokens(),
                  parms.values());
}

void qelProcedural(void* data, const float* bound, qelSubdivideFunc subdivide,
                   qelReleaseFunc release) {
    RequestName frame("qelProcedural");
    gScene->procedural(data, bound, subdivide, release);
}
