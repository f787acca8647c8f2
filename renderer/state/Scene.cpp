#include "renderer/state/Scene.h"

#include "common/Error.h"
#include "common/Quark.h"
#include "renderer/geometry/Primitive.h"
#include "renderer/geometry/QuadricShapes.h"
#include "renderer/state/ArgList.h"
#include "renderer/state/State.h"

#include <algorithm>

Scene* gScene = nullptr;

namespace {

// Counts beyond this can only be wrong.
constexpr long kMaxCount = 1L << 26;

bool present(const void* pointer, const char* what) {
    if (pointer) return true;
    error(kErrMissingData, kError, "%s must not be null", what);
    return false;
}

bool countInRange(long count, long minimum, const char* what) {
    if (count >= minimum && count <= kMaxCount) return true;
    error(kErrRange, kError, "%s %ld out of range", what, count);
    return false;
}

// The sum of counts[0..n), or -1 (reported) when a count is out of range.
long sumOfCounts(const long* counts, long n, long minimum, const char* what) {
    long sum = 0;
    for (long i = 0; i < n; ++i) {
        if (!countInRange(counts[i], minimum, what)) return -1;
        sum += counts[i];
        if (sum > kMaxCount) {
            error(kErrRange, kError, "%s total %ld out of range", what, sum);
            return -1;
        }
    }
    return sum;
}

// One more than the largest vertex index, or -1 (reported) for a negative index.
long vertexCount(const long* vertices, long n) {
    long largest = -1;
    for (long i = 0; i < n; ++i) {
        if (!countInRange(vertices[i], 0, "vertex index")) return -1;
        largest = std::max(largest, vertices[i]);
    }
    return largest + 1;
}

bool requirePosition(const ArgList& args) { return args.require({kQuarkPoint}); }

bool requireSurfacePosition(const ArgList& args) {
    return args.require({kQuarkPoint, kQuarkHeight, kQuarkPointw});
}

bool validWrap(short wrap) {
    if (wrap == QEL_WRAP || wrap == QEL_NOWRAP) return true;
    error(kErrRange, kError, "unknown wrap treatment %ld", long(wrap));
    return false;
}

// Patches along one direction of a mesh of n control points.
long meshPatches(short type, long n, bool periodic, long step) {
    if (type == QEL_PATCH_BILINEAR) return periodic ? n : n - 1;
    return periodic ? n / step : (n - 4) / step + 1;
}

} // namespace

void Scene::init() { flush(); }

void Scene::flush() {
    for (Primitive* primitive : fPending) delete primitive;
    fPending.clear();
    fObjectUnderConstruction = nullptr;
    fBucketsExist = false;
}

void Scene::add(Primitive* primitive) { fPending.push_back(primitive); }

Primitive* Scene::takeNext() {
    if (fPending.empty()) return nullptr;
    Primitive* primitive = fPending.front();
    fPending.pop_front();
    return primitive;
}

void Scene::render() {
    renderInit();
    while (renderBucket()) {
    }
}

void Scene::renderInit() { fBucketsExist = false; }

int Scene::renderBucket() { return 0; }

int Scene::progress() const { return 0; }

bool Scene::primitivesAllowed() const {
    return gState->verify(kBlockPrimitives, kErrNotPrims);
}

void Scene::polygon(long nvertices, long n, const unsigned short* tokens, void* const* values) {
    if (!primitivesAllowed() || !validParameterList(n, tokens, values)) return;
    if (!countInRange(nvertices, 3, "vertex count")) return;
    ArgList args(n, tokens, values, {1, nvertices, nvertices});
    requirePosition(args);
}

void Scene::generalPolygon(long nloops, const long* nvertices, long n,
                           const unsigned short* tokens, void* const* values) {
    if (!primitivesAllowed() || !validParameterList(n, tokens, values)) return;
    if (!countInRange(nloops, 1, "loop count") || !present(nvertices, "vertex counts")) return;
    long total = sumOfCounts(nvertices, nloops, 3, "vertex count");
    if (total < 0) return;
    ArgList args(n, tokens, values, {1, total, total});
    requirePosition(args);
}

void Scene::polygonMesh(long npolys, const long* nvertices, const long* vertices, long n,
                        const unsigned short* tokens, void* const* values) {
    if (!primitivesAllowed() || !validParameterList(n, tokens, values)) return;
    if (!countInRange(npolys, 1, "polygon count") || !present(nvertices, "vertex counts") ||
        !present(vertices, "vertex indices"))
        return;
    long indices = sumOfCounts(nvertices, npolys, 3, "vertex count");
    if (indices < 0) return;
    long points = vertexCount(vertices, indices);
    if (points < 0) return;
    ArgList args(n, tokens, values, {npolys, points, points});
    requirePosition(args);
}

void Scene::generalPolygonMesh(long npolys, const long* nloops, const long* nvertices,
                               const long* vertices, long n, const unsigned short* tokens,
                               void* const* values) {
    if (!primitivesAllowed() || !validParameterList(n, tokens, values)) return;
    if (!countInRange(npolys, 1, "polygon count") || !present(nloops, "loop counts") ||
        !present(nvertices, "vertex counts") || !present(vertices, "vertex indices"))
        return;
    long loops = sumOfCounts(nloops, npolys, 1, "loop count");
    if (loops < 0) return;
    long indices = sumOfCounts(nvertices, loops, 3, "vertex count");
    if (indices < 0) return;
    long points = vertexCount(vertices, indices);
    if (points < 0) return;
    ArgList args(n, tokens, values, {npolys, points, points});
    requirePosition(args);
}

void Scene::patch(short type, long n, const unsigned short* tokens, void* const* values) {
    if (!primitivesAllowed() || !validParameterList(n, tokens, values)) return;
    if (type != QEL_PATCH_BILINEAR && type != QEL_PATCH_BICUBIC) {
        error(kErrRange, kError, "type must be bilinear or bicubic");
        return;
    }
    long points = type == QEL_PATCH_BILINEAR ? 4 : 16;
    ArgList args(n, tokens, values, {1, 4, points});
    args.require({kQuarkPoint, kQuarkHeight});
}

void Scene::patchMesh(short type, long nu, short uwrap, long nv, short vwrap, long n,
                      const unsigned short* tokens, void* const* values) {
    if (!primitivesAllowed() || !validParameterList(n, tokens, values)) return;
    if (type != QEL_PATCH_BILINEAR && type != QEL_PATCH_BICUBIC) {
        error(kErrRange, kError, "unknown patch type %ld", long(type));
        return;
    }
    if (!validWrap(uwrap) || !validWrap(vwrap)) return;
    long minimum = type == QEL_PATCH_BILINEAR ? 2 : 4;
    if (!countInRange(nu, minimum, "nu") || !countInRange(nv, minimum, "nv")) return;
    if (double(nu) * double(nv) > double(kMaxCount)) {
        error(kErrRange, kError, "mesh of %ld by %ld control points too large", nu, nv);
        return;
    }
    bool uperiodic = uwrap == QEL_WRAP, vperiodic = vwrap == QEL_WRAP;
    long upatches = meshPatches(type, nu, uperiodic, gAttrib->uStep);
    long vpatches = meshPatches(type, nv, vperiodic, gAttrib->vStep);
    long uvarying = uperiodic ? upatches : upatches + 1;
    long vvarying = vperiodic ? vpatches : vpatches + 1;
    ArgList args(n, tokens, values, {upatches * vpatches, uvarying * vvarying, nu * nv});
    requireSurfacePosition(args);
}

void Scene::nurb(long uorder, const float* uknot, float, float, long vorder, const float* vknot,
                 float, float, long n, const unsigned short* tokens, void* const* values) {
    if (!primitivesAllowed() || !validParameterList(n, tokens, values)) return;
    if (!countInRange(uorder, 2, "u order") || !countInRange(vorder, 2, "v order") ||
        !present(uknot, "u knots") || !present(vknot, "v knots"))
        return;
    long points = uorder * vorder;
    ArgList args(n, tokens, values, {1, points, points});
    requireSurfacePosition(args);
}

void Scene::nurbMesh(long nu, long uorder, const float* uknot, float, float, long nv, long vorder,
                     const float* vknot, float, float, long n, const unsigned short* tokens,
                     void* const* values) {
    if (!primitivesAllowed() || !validParameterList(n, tokens, values)) return;
    if (!countInRange(nu, 1, "nu") || !countInRange(nv, 1, "nv") ||
        !countInRange(uorder, 1, "u order") || !countInRange(vorder, 1, "v order") ||
        !present(uknot, "u knots") || !present(vknot, "v knots"))
        return;
    if (double(nu) * double(nv) > double(kMaxCount)) {
        error(kErrRange, kError, "mesh of %ld by %ld control points too large", nu, nv);
        return;
    }
    long points = nu * nv;
    ArgList args(n, tokens, values, {1, points, points});
    requireSurfacePosition(args);
}

ArgList Scene::quadricArgs(long n, const unsigned short* tokens, void* const* values) {
    return ArgList(n, tokens, values, {1, 4, 4});
}

void Scene::sphere(float radius, float zmin, float zmax, float thetamax, long n, const unsigned short* tokens,
                   void* const* values) {
    if (!primitivesAllowed() || !validParameterList(n, tokens, values)) return;
    ArgList args = quadricArgs(n, tokens, values);
    add(new Sphere(radius, zmin, zmax, thetamax, std::move(args)));
}

void Scene::cone(float radius, float height, float zmax, float thetamax, long n, const unsigned short* tokens,
                 void* const* values) {
    if (!primitivesAllowed() || !validParameterList(n, tokens, values)) return;
    ArgList args = quadricArgs(n, tokens, values);
    add(new Cone(radius, height, zmax, thetamax, std::move(args)));
}

void Scene::cylinder(float radius, float zmin, float zmax, float thetamax, long n, const unsigned short* tokens,
                     void* const* values) {
    if (!primitivesAllowed() || !validParameterList(n, tokens, values)) return;
    ArgList args = quadricArgs(n, tokens, values);
    add(new Cylinder(radius, zmin, zmax, thetamax, std::move(args)));
}

void Scene::hyperboloid(const float* point1, const float* point2, float thetamax, long n,
                        const unsigned short* tokens, void* const* values) {
    if (!primitivesAllowed() || !validParameterList(n, tokens, values)) return;
    if (!present(point1, "point1") || !present(point2, "point2")) return;
    ArgList args = quadricArgs(n, tokens, values);
    add(new Hyperboloid(Point(point1), Point(point2), thetamax, std::move(args)));
}

void Scene::paraboloid(float rmax, float zmin, float zmax, float thetamax, long n, const unsigned short* tokens,
                       void* const* values) {
    if (!primitivesAllowed() || !validParameterList(n, tokens, values)) return;
    if (zmax == 0.0f) {
        error(kErrRange, kError, "zmax may not equal 0");
        return;
    }
    if ((zmin < 0.0f && zmax > 0.0f) || (zmin > 0.0f && zmax < 0.0f)) {
        error(kErrRange, kError, "paraboloid may not cross z plane, use two");
        return;
    }
    ArgList args = quadricArgs(n, tokens, values);
    add(new Paraboloid(rmax, zmin, zmax, thetamax, std::move(args)));
}

void Scene::disk(float height, float radius, float thetamax, long n, const unsigned short* tokens, void* const* values) {
    if (!primitivesAllowed() || !validParameterList(n, tokens, values)) return;
    ArgList args = quadricArgs(n, tokens, values);
    add(new Disk(height, radius, thetamax, std::move(args)));
}

void Scene::torus(float majorRadius, float minorRadius, float phimin, float phimax, float thetamax,
                  long n, const unsigned short* tokens,
                  void* const* values) {
    if (!primitivesAllowed() || !validParameterList(n, tokens, values)) return;
    ArgList args = quadricArgs(n, tokens, values);
    add(new Torus(majorRadius, minorRadius, phimin, phimax, thetamax, std::move(args)));
}

void Scene::procedural(void* data, const float* bound, qelSubdivideFunc subdivide,
                       qelReleaseFunc release) {
    if (!gState->verify(kBlockProcedural, kErrNotPrims)) return;
    if (!present(bound, "bound") || !present(reinterpret_cast<const void*>(subdivide), "subdivide function")) return;
    // Nothing keeps the data yet, so it goes back to its owner at once.
    if (release) release(data);
}

void Scene::objectInstance(const void* object) {
    if (!gState->verify(kBlockInScene, kErrNotPrims)) return;
    if (!object || !gState->ownsObject(object)) error(kErrBadHandle, kError, nullptr);
}
