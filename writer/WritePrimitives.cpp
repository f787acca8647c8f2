// The geometric requests of the scene writer: written only. The parameter
// counts follow from the fixed arguments as the reader checks them.
#include "api/qel.h"
#include "renderer/state/RequestFrame.h"
#include "writer/SceneWriter.h"

#include <algorithm>
#include <initializer_list>

using namespace quelmark;

namespace {

const ParameterCounts kQuadricCounts{1, 4, 4};

// The sum of n counts, negative ones taken as 0; 0 when they are missing.
long totalOf(const long* counts, long n) {
    long total = 0;
    for (long k = 0; counts && k < n; ++k) total += std::max(counts[k], 0L);
    return total;
}

// One more than the largest of n indices.
long pointsOf(const long* indices, long n) {
    long largest = -1;
    for (long k = 0; indices && k < n; ++k) largest = std::max(largest, indices[k]);
    return largest + 1;
}

long productOf(long a, long b) { return std::max(a, 0L) * std::max(b, 0L); }

ParameterCounts allVertices(long points) { return {1, points, points}; }

void writePolygon(long nvertices, long n, const unsigned short* tokens, void* const* values) {
    writeLine("qelPolygon", [&](QelLine& line) {
        line.integer(nvertices).parameters(n, tokens, values, allVertices(nvertices));
    });
}

void writeGeneralPolygon(long nloops, const long* nvertices, long n, const unsigned short* tokens,
                         void* const* values) {
    long points = totalOf(nvertices, nloops);
    writeLine("qelGeneralPolygon", [&](QelLine& line) {
        line.integer(nloops).integers(nvertices, nloops, "vertex counts");
        line.parameters(n, tokens, values, allVertices(points));
    });
}

void writePolygonMesh(long npolys, const long* nvertices, const long* vertices, long n,
                      const unsigned short* tokens, void* const* values) {
    long indices = totalOf(nvertices, npolys);
    long points = pointsOf(vertices, indices);
    writeLine("qelPolygonMesh", [&](QelLine& line) {
        line.integer(npolys).integers(nvertices, npolys, "vertex counts");
        line.integers(vertices, indices, "vertex indices");
        line.parameters(n, tokens, values, {npolys, points, points});
    });
}

void writeGeneralPolygonMesh(long npolys, const long* nloops, const long* nvertices,
                             const long* vertices, long n, const unsigned short* tokens,
                             void* const* values) {
    long loops = totalOf(nloops, npolys);
    long indices = totalOf(nvertices, loops);
    long points = pointsOf(vertices, indices);
    writeLine("qelGeneralPolygonMesh", [&](QelLine& line) {
        line.integer(npolys).integers(nloops, npolys, "loop counts");
        line.integers(nvertices, loops, "vertex counts");
        line.integers(vertices, indices, "vertex indices");
        line.parameters(n, tokens, values, {npolys, points, points});
    });
}

// A patch varies at its four corners and has 4 or 16 control points: the
// counts the renderer reads, so that no client array is read past its end.
void writePatch(short type, long n, const unsigned short* tokens, void* const* values) {
    long points = type == QEL_PATCH_BICUBIC ? 16 : 4;
    writeLine("qelPatch", [&](QelLine& line) {
        line.enumerator(type).parameters(n, tokens, values, {1, 4, points});
    });
}

void writePatchMesh(short type, long nu, short uwrap, long nv, short vwrap, long n,
                    const unsigned short* tokens, void* const* values) {
    ParameterCounts counts = sceneWriter().patchMeshCounts(type, nu, uwrap, nv, vwrap);
    writeLine("qelPatchMesh", [&](QelLine& line) {
        line.enumerator(type).integer(nu).enumerator(uwrap).integer(nv).enumerator(vwrap);
        line.parameters(n, tokens, values, counts);
    });
}

void writeNurb(long uorder, const float* uknot, float umin, float umax, long vorder,
               const float* vknot, float vmin, float vmax, long n, const unsigned short* tokens,
               void* const* values) {
    writeLine("qelNurb", [&](QelLine& line) {
        line.integer(uorder).numbers(uknot, 2 * uorder, "u knots").number(umin).number(umax);
        line.integer(vorder).numbers(vknot, 2 * vorder, "v knots").number(vmin).number(vmax);
        line.parameters(n, tokens, values, allVertices(productOf(uorder, vorder)));
    });
}

void writeNurbMesh(long nu, long uorder, const float* uknot, float umin, float umax, long nv,
                   long vorder, const float* vknot, float vmin, float vmax, long n,
                   const unsigned short* tokens, void* const* values) {
    writeLine("qelNurbMesh", [&](QelLine& line) {
        line.integer(nu).integer(uorder).numbers(uknot, nu + uorder, "u knots");
        line.number(umin).number(umax);
        line.integer(nv).integer(vorder).numbers(vknot, nv + vorder, "v knots");
        line.number(vmin).number(vmax);
        line.parameters(n, tokens, values, allVertices(productOf(nu, nv)));
    });
}

void writeQuadric(const char* keyword, std::initializer_list<float> fixed, long n,
                  const unsigned short* tokens, void* const* values) {
    writeLine(keyword, [&](QelLine& line) {
        for (float value : fixed) line.number(value);
        line.parameters(n, tokens, values, kQuadricCounts);
    });
}

// The two points as six bare numbers.
void writeHyperboloid(const float* point1, const float* point2, float thetamax, long n,
                      const unsigned short* tokens, void* const* values) {
    writeLine("qelHyperboloid", [&](QelLine& line) {
        line.bareNumbers(point1, 3, "point1").bareNumbers(point2, 3, "point2").number(thetamax);
        line.parameters(n, tokens, values, kQuadricCounts);
    });
}

} // namespace

void qelPolygonV(long nvertices, long n, const unsigned short* tokens, void* const* values) {
    RequestName frame("qelPolygonV");
    writePolygon(nvertices, n, tokens, values);
}

void qelPolygon(long nvertices, ...) {
    RequestName frame("qelPolygon");
    va_list list;
    va_start(list, nvertices);
    VaParms parms(list);
    va_end(list);
    writePolygon(nvertices, parms.count(), parms.tokens(), parms.values());
}

void qelGeneralPolygonV(long nloops, const long* nvertices, long n, const unsigned short* tokens,
                        void* const* values) {
    RequestName frame("qelGeneralPolygonV");
    writeGeneralPolygon(nloops, nvertices, n, tokens, values);
}

void qelGeneralPolygon(long nloops, const long* nvertices, ...) {
    RequestName frame("qelGeneralPolygon");
    va_list list;
    va_start(list, nvertices);
    VaParms parms(list);
    va_end(list);
    writeGeneralPolygon(nloops, nvertices, parms.count(), parms.tokens(), parms.values());
}

void qelPolygonMeshV(long npolys, const long* nvertices, const long* vertices, long n,
                     const unsigned short* tokens, void* const* values) {
    RequestName frame("qelPolygonMeshV");
    writePolygonMesh(npolys, nvertices, vertices, n, tokens, values);
}

void qelPolygonMesh(long npolys, const long* nvertices, const long* vertices, ...) {
    RequestName frame("qelPolygonMesh");
    va_list list;
    va_start(list, vertices);
    VaParms parms(list);
    va_end(list);
    writePolygonMesh(npolys, nvertices, vertices, parms.count(), parms.tokens(), parms.values());
}

void qelGeneralPolygonMeshV(long npolys, const long* nloops, const long* nvertices,
                            const long* vertices, long n, const unsigned short* tokens,
                            void* const* values) {
    RequestName frame("qelGeneralPolygonMeshV");
    writeGeneralPolygonMesh(npolys, nloops, nvertices, vertices, n, tokens, values);
}

void qelGeneralPolygonMesh(long npolys, const long* nloops, const long* nvertices,
                           const long* vertices, ...) {
    RequestName frame("qelGeneralPolygonMesh");
    va_list list;
    va_start(list, vertices);
    VaParms parms(list);
    va_end(list);
    writeGeneralPolygonMesh(npolys, nloops, nvertices, vertices, parms.count(), parms.tokens(),
                            parms.values());
}

void qelPatchV(short type, long n, const unsigned short* tokens, void* const* values) {
    RequestName frame("qelPatchV");
    writePatch(type, n, tokens, values);
}

void qelPatch(short type, ...) {
    RequestName frame("qelPatch");
    va_list list;
    va_start(list, type);
    VaParms parms(list);
    va_end(list);
    writePatch(type, parms.count(), parms.tokens(), parms.values());
}

void qelPatchMeshV(short type, long nu, short uwrap, long nv, short vwrap, long n,
                   const unsigned short* tokens, void* const* values) {
    RequestName frame("qelPatchMeshV");
    writePatchMesh(type, nu, uwrap, nv, vwrap, n, tokens, values);
}

void qelPatchMesh(short type, long nu, short uwrap, long nv, short vwrap, ...) {
    RequestName frame("qelPatchMesh");
    va_list list;
    va_start(list, vwrap);
    VaParms parms(list);
    va_end(list);
    writePatchMesh(type, nu, uwrap, nv, vwrap, parms.count(), parms.tokens(), parms.values());
}

void qelNurbV(long uorder, const float* uknot, float umin, float umax, long vorder,
              const float* vknot, float vmin, float vmax, long n, const unsigned short* tokens,
              void* const* values) {
    RequestName frame("qelNurbV");
    writeNurb(uorder, uknot, umin, umax, vorder, vknot, vmin, vmax, n, tokens, values);
}

void qelNurb(long uorder, const float* uknot, float umin, float umax, long vorder,
             const float* vknot, float vmin, float vmax, ...) {
    RequestName frame("qelNurb");
    va_list list;
    va_start(list, vmax);
    VaParms parms(list);
    va_end(list);
    writeNurb(uorder, uknot, umin, umax, vorder, vknot, vmin, vmax, parms.count(), parms.tokens(),
              parms.values());
}

void qelNurbMeshV(long nu, long uorder, const float* uknot, float umin, float umax, long nv,
                  long vorder, const float* vknot, float vmin, float vmax, long n,
                  const unsigned short* tokens, void* const* values) {
    RequestName frame("qelNurbMeshV");
    writeNurbMesh(nu, uorder, uknot, umin, umax, nv, vorder, vknot, vmin, vmax, n, tokens,
                  values);
}

void qelNurbMesh(long nu, long uorder, const float* uknot, float umin, float umax, long nv,
                 long vorder, const float* vknot, float vmin, float vmax, ...) {
    RequestName frame("qelNurbMesh");
    va_list list;
    va_start(list, vmax);
    VaParms parms(list);
    va_end(list);
    writeNurbMesh(nu, uorder, uknot, umin, umax, nv, vorder, vknot, vmin, vmax, parms.count(),
                  parms.tokens(), parms.values());
}

void qelTrimCurve(long nloops, const long* ncurves, const long* order, const float* knot,
                  const float* min, const float* max, const long* n, const float* u,
                  const float* v, const float* w) {
    RequestName frame("qelTrimCurve");
    long curves = totalOf(ncurves, nloops);
    long points = totalOf(n, curves);
    long knots = order && n ? totalOf(order, curves) + points : 0;
    writeLine("qelTrimCurve", [&](QelLine& line) {
        line.integers(ncurves, nloops, "curve counts").integers(order, curves, "orders");
        line.numbers(knot, knots, "knots");
        line.numbers(min, curves, "minimum parameters").numbers(max, curves, "maximum parameters");
        line.integers(n, curves, "control point counts");
        line.numbers(u, points, "u coordinates").numbers(v, points, "v coordinates");
        line.numbers(w, points, "w coordinates");
    });
}

void qelSphereV(float radius, float zmin, float zmax, float thetamax, long n,
                const unsigned short* tokens, void* const* values) {
    RequestName frame("qelSphereV");
    writeQuadric("qelSphere", {radius, zmin, zmax, thetamax}, n, tokens, values);
}

void qelSphere(float radius, float zmin, float zmax, float thetamax, ...) {
    RequestName frame("qelSphere");
    va_list list;
    va_start(list, thetamax);
    VaParms parms(list);
    va_end(list);
    writeQuadric("qelSphere", {radius, zmin, zmax, thetamax}, parms.count(), parms.tokens(),
                 parms.values());
}

void qelConeV(float radius, float height, float zmax, float thetamax, long n,
              const unsigned short* tokens, void* const* values) {
    RequestName frame("qelConeV");
    writeQuadric("qelCone", {radius, height, zmax, thetamax}, n, tokens, values);
}

void qelCone(float radius, float height, float zmax, float thetamax, ...) {
    RequestName frame("qelCone");
    va_list list;
    va_start(list, thetamax);
    VaParms parms(list);
    va_end(list);
    writeQuadric("qelCone", {radius, height, zmax, thetamax}, parms.count(), parms.tokens(),
                 parms.values());
}

void qelCylinderV(float radius, float zmin, float zmax, float thetamax, long n,
                  const unsigned short* tokens, void* const* values) {
    RequestName frame("qelCylinderV");
    writeQuadric("qelCylinder", {radius, zmin, zmax, thetamax}, n, tokens, values);
}

void qelCylinder(float radius, float zmin, float zmax, float thetamax, ...) {
    RequestName frame("qelCylinder");
    va_list list;
    va_start(list, thetamax);
    VaParms parms(list);
    va_end(list);
    writeQuadric("qelCylinder", {radius, zmin, zmax, thetamax}, parms.count(), parms.tokens(),
                 parms.values());
}

void qelHyperboloidV(const float* point1, const float* point2, float thetamax, long n,
                     const unsigned short* tokens, void* const* values) {
    RequestName frame("qelHyperboloidV");
    writeHyperboloid(point1, point2, thetamax, n, tokens, values);
}

void qelHyperboloid(const float* point1, const float* point2, float thetamax, ...) {
    RequestName frame("qelHyperboloid");
    va_list list;
    va_start(list, thetamax);
    VaParms parms(list);
    va_end(list);
    writeHyperboloid(point1, point2, thetamax, parms.count(), parms.tokens(), parms.values());
}

void qelParaboloidV(float rmax, float zmin, float zmax, float thetamax, long n,
                    const unsigned short* tokens, void* const* values) {
    RequestName frame("qelParaboloidV");
    writeQuadric("qelParaboloid", {rmax, zmin, zmax, thetamax}, n, tokens, values);
}

void qelParaboloid(float rmax, float zmin, float zmax, float thetamax, ...) {
    RequestName frame("qelParaboloid");
    va_list list;
    va_start(list, thetamax);
    VaParms parms(list);
    va_end(list);
    writeQuadric("qelParaboloid", {rmax, zmin, zmax, thetamax}, parms.count(), parms.tokens(),
                 parms.values());
}

void qelDiskV(float height, float radius, float thetamax, long n, const unsigned short* tokens,
              void* const* values) {
    RequestName frame("qelDiskV");
    writeQuadric("qelDisk", {height, radius, thetamax}, n, tokens, values);
}

void qelDisk(float height, float radius, float thetamax, ...) {
    RequestName frame("qelDisk");
    va_list list;
    va_start(list, thetamax);
    VaParms parms(list);
    va_end(list);
    writeQuadric("qelDisk", {height, radius, thetamax}, parms.count(), parms.tokens(),
                 parms.values());
}

void qelTorusV(float majorRadius, float minorRadius, float phimin, float phimax, float thetamax,
               long n, const unsigned short* tokens, void* const* values) {
    RequestName frame("qelTorusV");
    writeQuadric("qelTorus", {majorRadius, minorRadius, phimin, phimax, thetamax}, n, tokens,
                 values);
}

void qelTorus(float majorRadius, float minorRadius, float phimin, float phimax, float thetamax,
              ...) {
    RequestName frame("qelTorus");
    va_list list;
    va_start(list, thetamax);
    VaParms parms(list);
    va_end(list);
    writeQuadric("qelTorus", {majorRadius, minorRadius, phimin, phimax, thetamax}, parms.count(),
                 parms.tokens(), parms.values());
}

// A procedure cannot be written: the request neither writes nor checks.
void qelProcedural(void*, const float*, qelSubdivideFunc, qelReleaseFunc) {}
