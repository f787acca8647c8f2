#include "renderer/scene/Scene.h"

#include "common/Error.h"
#include "common/GridResample.h"
#include "common/Quark.h"
#include "common/ReportQueue.h"
#include "renderer/display/Display.h"
#include "renderer/display/WindowSystem.h"
#include "renderer/geometry/Nurbs.h"
#include "renderer/geometry/Object.h"
#include "renderer/geometry/Patch.h"
#include "renderer/geometry/Polygon.h"
#include "renderer/geometry/Primitive.h"
#include "renderer/geometry/Procedural.h"
#include "renderer/geometry/QuadricShapes.h"
#include "renderer/hider/AdaptiveBucket.h"
#include "renderer/hider/UniformBucket.h"
#include "renderer/scene/AreaLightSurface.h"
#include "renderer/scene/BucketScheduler.h"
#include "renderer/scene/RenderControl.h"
#include "renderer/scene/WorkerContext.h"
#include "renderer/shading/Grid.h"
#include "renderer/shading/ShadingContext.h"
#include "renderer/state/ArgList.h"
#include "renderer/state/Attrib.h"
#include "renderer/state/Camera.h"
#include "renderer/state/State.h"
#include "renderer/state/Transform.h"
#include "renderer/texture/TextureMaps.h"

#include <sys/resource.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <new>

namespace quelmark {

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

// The least and the largest of values[0..n), in one pass the compiler can
// vectorise: a mesh's millions of counts and indices are checked this way
// first, and walked one by one only when one is out of range.
struct Extremes {
    long least, largest, sum;
};

Extremes extremes(const long* values, long n) {
    long least = LONG_MAX, largest = LONG_MIN, sum = 0;
    for (long i = 0; i < n; ++i) {
        least = std::min(least, values[i]);
        largest = std::max(largest, values[i]);
        sum += values[i];
    }
    return {least, largest, sum};
}

// The sum of counts[0..n), or -1 (reported) when a count is out of range.
long sumOfCounts(const long* counts, long n, long minimum, const char* what) {
    // With every count in range, n of them cannot overflow the sum.
    const Extremes all = extremes(counts, n);
    if (n <= kMaxCount && all.least >= minimum && all.largest <= kMaxCount && all.sum <= kMaxCount)
        return all.sum;
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
    const Extremes all = extremes(vertices, n);
    if (all.least >= 0 && all.largest <= kMaxCount) return std::max(all.largest, -1L) + 1;
    long largest = -1;
    for (long i = 0; i < n; ++i) {
        if (!countInRange(vertices[i], 0, "vertex index")) return -1;
        largest = std::max(largest, vertices[i]);
    }
    return largest + 1;
}

bool requirePosition(const ArgList& args) {
    return args.require({kQuarkPoint});
}

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

Scene::Scene() : fTextures(std::make_unique<TextureMaps>()) {}

Scene::~Scene() {
    flush();
}

void Scene::init(const RenderContext& frame) {
    flush();
    // Maps made or changed since the last frame are read again.
    fTextures->forgetMaps();
    fTextures->setSearchPath(frame.option.texturePlaces.c_str());
    fTextures->setCacheMegabytes(frame.option.textureMegabytes);
    fContext = std::make_unique<const RenderContext>(frame);
    fMicropolygons = 0;
    createBuckets();
}

void Scene::flush() {
    freeBuckets(); // stops the workers first
    for (Primitive* primitive : fPending)
        delete primitive;
    fPending.clear();
    fObjectUnderConstruction = nullptr;
    fDiscarding = false;
    fRequested = fInstanced = 0;
    fInstanceBudgetMet = false;
}

void Scene::discard() {
    flush();
    fDiscarding = true;
}

void Scene::freeBuckets() {
    stopWorkers();
    fRenderUnderWay = false;
    fBuckets.clear();
    fReports.clear();
    fCurrent = 0;
    fAcross = 0;
}

int Scene::threads() const {
    return renderControl().threads();
}

void Scene::createBuckets() {
    const Option& option = fContext->option;
    fTileWidth = int(option.tuneB);
    fTileHeight = int(option.tuneC);
    // Pixels whose centres the crop window holds.
    fX0 = long(std::ceil(float(option.xResolution) * option.cropXmin));
    fX1 = long(std::ceil(float(option.xResolution) * option.cropXmax)) - 1;
    fY0 = long(std::ceil(float(option.yResolution) * option.cropYmin));
    fY1 = long(std::ceil(float(option.yResolution) * option.cropYmax)) - 1;
    if (fX1 < fX0 || fY1 < fY0) return;
    fAcross = int((fX1 - fX0) / fTileWidth + 1);
    int down = int((fY1 - fY0) / fTileHeight + 1);
    bool adaptive = option.maxVariance >= 1e-10f;
    fBuckets.reserve(size_t(fAcross) * size_t(down));
    for (int j = 0; j < down; ++j)
        for (int i = 0; i < fAcross; ++i) {
            std::unique_ptr<Bucket> bucket;
            if (adaptive)
                bucket = std::make_unique<AdaptiveBucket>();
            else
                bucket = std::make_unique<UniformBucket>();
            long xmin = fX0 + long(i) * fTileWidth, ymin = fY0 + long(j) * fTileHeight;
            bucket->init(*fContext, xmin, std::min(xmin + fTileWidth - 1, fX1), ymin,
                         std::min(ymin + fTileHeight - 1, fY1));
            fBuckets.push_back(std::move(bucket));
        }
    fCurrent = 0;
}

void Scene::emit(int32_t type, Object::Maker make) {
    Primitive* primitive = make();
    if (!primitive) return; // reported by the maker
    emitMade(type, primitive, std::move(make));
}

void Scene::emitMade(int32_t type, Primitive* primitive, Object::Maker make) {
    ++fRequested;
    if (fObjectUnderConstruction) {
        delete primitive; // made once only to check it
        fObjectUnderConstruction->record(std::move(make), type, gTransform->matrix());
        return;
    }
    add(primitive);
}

void Scene::add(Primitive* primitive) {
    // Only while the frame renders, which it does under a hider.
    if (subdividingHere()) {
        primitive->followParent(*fSubdivision.parent);
        route(primitive, *fSubdivision.router);
        return;
    }
    // Under the null hider, or in a scene not to be rendered, nothing will be
    // rendered: a primitive has been checked by being made, and is not kept.
    if (fDiscarding || (gOption && gOption->hiderType == 0)) {
        delete primitive;
        return;
    }
    if (Light* light = primitive->attrib()->areaLight; light && fContext)
        giveSurfaceToLight(*primitive, *light, *fContext);
    if (fBuckets.empty()) {
        fPending.push_back(primitive);
        return;
    }
    Router first(*this, 0, 0);
    route(primitive, first);
}

void Scene::prepareTextures() {
    fTextures->loadInBackground();
}

bool Scene::makeTexture(const TextureMaking& making, std::string& why) {
    return fTextures->makeTexture(making, why);
}

Primitive* Scene::takeNext() {
    if (fPending.empty()) return nullptr;
    Primitive* primitive = fPending.front();
    fPending.pop_front();
    return primitive;
}

namespace {

// Pieces still across the eye plane after this many splits are dropped.
constexpr int kMostEyeSplits = 10;
// Camera depths below this cannot be projected under perspective.
constexpr float kEyePlane = 1e-6f;

// The raster extent of a projected grid, at every time of its motion and
// through every point of the lens.
Bound gridBound(const Grid& grid, const RenderContext& frame) {
    Point low = grid.row(0)[0].P, high = low;
    for (int key = 0; key < grid.motionKeys(); ++key)
        for (int k = 0; k <= grid.nv(); ++k)
            for (int i = 0; i < grid.vertexRowLength(k); ++i) {
                const Point& p = grid.positionAt(key, i, k);
                low = Point(std::fmin(low.x, p.x), std::fmin(low.y, p.y), std::fmin(low.z, p.z));
                high =
                    Point(std::fmax(high.x, p.x), std::fmax(high.y, p.y), std::fmax(high.z, p.z));
            }
    Bound raster(low.x, high.x, low.y, high.y, low.z, high.z);
    frame.lens.widen(raster.xmin, raster.xmax, raster.ymin, raster.ymax, raster.zmin, raster.zmax,
                     frame.depth.low);
    return raster;
}

// An object-space bound in camera space: at every time when its transform
// moves.
Boundw cameraBound(const Boundw& object, const Transform& transform) {
    Boundw camera = object * transform.matrix();
    auto widen = [](float& low, float& high, float otherLow, float otherHigh) {
        low = std::fmin(low, otherLow), high = std::fmax(high, otherHigh);
    };
    for (const MotionKey& key : transform.motion()) {
        const Boundw moved = object * key.matrix;
        widen(camera.xmin, camera.xmax, moved.xmin, moved.xmax);
        widen(camera.ymin, camera.ymax, moved.ymin, moved.ymax);
        widen(camera.zmin, camera.zmax, moved.zmin, moved.zmax);
        widen(camera.wmin, camera.wmax, moved.wmin, moved.wmax);
    }
    return camera;
}

// An object-space bound grown by the distance its displacement shader may
// move the surface: a homogeneous point moves by that distance times w.
Boundw withDisplacement(Boundw bound, const Attrib& attrib) {
    const float distance = attrib.displacementShader ? std::fabs(attrib.displacementBound) : 0.0f;
    if (!bound.set || !(distance > 0.0f)) return bound;
    const float reach = distance * std::max(std::fabs(bound.wmin), std::fabs(bound.wmax));
    bound.xmin -= reach, bound.ymin -= reach, bound.zmin -= reach;
    bound.xmax += reach, bound.ymax += reach, bound.zmax += reach;
    return bound;
}

} // namespace

void Scene::route(Primitive* primitive, Router& router) {
    // A representation of an object its level of detail leaves out.
    if (primitive->attrib()->detailSeen.empty()) {
        delete primitive;
        return;
    }
    Boundw camera = withDisplacement(primitive->bound(), *primitive->attrib());
    BucketRange range{0, fAcross - 1, 0, int(fBuckets.size()) / fAcross - 1};
    if (camera.set) {
        camera = cameraBound(camera, *primitive->transform());
        if (!camera.homogenizable() || !camera.homogenize()) {
            splitAcrossEye(primitive, router);
            return;
        }
        const Option& option = fContext->option;
        bool behind = !(camera.zmax >= option.nearClip) || !(camera.zmin <= option.farClip);
        if (behind) {
            delete primitive;
            return;
        }
        if (option.perspective && !(camera.zmin >= kEyePlane)) {
            splitAcrossEye(primitive, router);
            return;
        }
        Bound raster =
            Bound(camera.xmin, camera.xmax, camera.ymin, camera.ymax, camera.zmin, camera.zmax) *
            fContext->cameraToRaster;
        fContext->lens.widen(raster.xmin, raster.xmax, raster.ymin, raster.ymax, camera.zmin,
                             camera.zmax, fContext->depth.low);
        if (!bucketRange(raster, range)) {
            delete primitive;
            return;
        }
    }
    if (!clipToOrigin(range, router)) {
        delete primitive;
        return;
    }
    fBuckets[size_t(range.y0 * fAcross + range.x0)]->addPrimitive(primitive);
}

void Scene::splitAcrossEye(Primitive* primitive, Router& router) {
    if (router.eyeSplits < kMostEyeSplits && primitive->canSplit()) {
        ++router.eyeSplits;
        primitive->split(router);
        --router.eyeSplits;
    }
    delete primitive;
}

bool Scene::clipToOrigin(BucketRange& range, const Router& router) {
    range.x0 = std::max(range.x0, router.column);
    range.y0 = std::max(range.y0, router.row);
    return range.x0 <= range.x1 && range.y0 <= range.y1;
}

// While a procedural's requests run: the subdivision noted, and the
// procedural's attributes and transform current; all put back after, also
// when the requests end by an exception.
class Scene::SubdivisionScope {
public:
    SubdivisionScope(Scene& scene, const Primitive& parent, Router& router)
        : fScene(scene), fOuter(scene.fSubdivision), fNextSequence(Primitive::fCurSeq) {
        scene.fSubdivision = {&parent, &router};
        scene.fSubdividingThread.store(std::this_thread::get_id());
        gState->pushScratch(*parent.attrib(), *parent.transform());
    }
    ~SubdivisionScope() {
        gState->popScratch();
        // The primitives made took the parent's place in the order.
        Primitive::fCurSeq = fNextSequence;
        fScene.fSubdivision = fOuter;
        if (!fOuter.parent) fScene.fSubdividingThread.store(std::thread::id());
    }
    SubdivisionScope(const SubdivisionScope&) = delete;
    SubdivisionScope& operator=(const SubdivisionScope&) = delete;

private:
    Scene& fScene;
    Subdivision fOuter;
    uint32_t fNextSequence;
};

void Scene::subdivide(const Primitive& parent, Router& router,
                      const std::function<void()>& requests) {
    std::lock_guard<std::recursive_mutex> lock(fSubdivisionLock);
    SubdivisionScope scope(*this, parent, router);
    requests();
}

bool Scene::subdividingHere() const {
    return fSubdividingThread.load(std::memory_order_relaxed) == std::this_thread::get_id();
}

bool Scene::bucketRange(const Bound& raster, BucketRange& range) const {
    const float marginX = fContext->marginX(), marginY = fContext->marginY();
    float x0 = raster.xmin - marginX, x1 = raster.xmax + marginX;
    float y0 = raster.ymin - marginY, y1 = raster.ymax + marginY;
    if (!(x1 >= float(fX0) && x0 <= float(fX1 + 1) && y1 >= float(fY0) && y0 <= float(fY1 + 1)))
        return false;
    int across = fAcross, down = int(fBuckets.size()) / fAcross;
    auto tile = [](float pixel, long origin, int size, int count) {
        float t = std::floor((pixel - float(origin)) / float(size));
        return int(std::clamp(t, 0.0f, float(count - 1)));
    };
    range = {tile(x0, fX0, fTileWidth, across), tile(x1, fX0, fTileWidth, across),
             tile(y0, fY0, fTileHeight, down), tile(y1, fY0, fTileHeight, down)};
    return true;
}

void Scene::render() {
    renderInit();
    while (renderBucket()) {
    }
}

void Scene::renderInit() {
    // Set before the workers start, and only read while they run.
    if (!fRenderUnderWay) {
        fRenderUnderWay = true;
        fFrameStart = std::chrono::steady_clock::now();
        fMarkedSpaces = markedSpaces();
    }
    if (fCurrent == 0 && !fBuckets.empty() && threads() > 1) startWorkers();
}

void Scene::reportStatistics() const {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - fFrameStart).count();
    const long micropolygons = fMicropolygons.load();
    const int threadCount = threads();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const Option& option = fContext->option;
    error(kErrNone, kInfo,
          "%ldx%ld in %.3f s, %d thread%s, %ld micropolygons, %.0f/s a thread, %.1f MiB",
          option.xResolution, option.yResolution, seconds, threadCount, threadCount == 1 ? "" : "s",
          micropolygons, seconds > 0 ? double(micropolygons) / seconds / threadCount : 0.0,
          double(usage.ru_maxrss) / 1024.0);
}

int Scene::renderBucket() {
    if (fCurrent >= int(fBuckets.size())) {
        freeBuckets();
        return 0;
    }
    renderInit();
    if (fScheduler)
        fScheduler->waitFor(fCurrent);
    else
        workOn(fCurrent);
    finishBucket();
    if (fCurrent >= int(fBuckets.size())) {
        if (renderControl().statistics()) reportStatistics();
        freeBuckets();
        return 0;
    }
    return 1;
}

void Scene::startWorkers() {
    if (fScheduler) return;
    fReports = std::vector<ReportQueue>(fBuckets.size());
    int down = int(fBuckets.size()) / fAcross;
    fScheduler =
        std::make_unique<BucketScheduler>(fAcross, down, [this](int index) { workOn(index); });
    fScheduler->start(threads());
}

void Scene::stopWorkers() {
    // The workers read the pointer: they end before it goes.
    if (fScheduler) fScheduler->finish();
    fScheduler.reset();
}

void Scene::workOn(int index) {
    ReportQueue* reports = fScheduler ? &fReports[size_t(index)] : nullptr;
    deferReports(reports);
    std::unique_ptr<WorkerContext> worker;
    bool released = false;
    try {
        worker = takeWorkerContext();
        worker->shading.stop = fScheduler ? &fScheduler->stopFlag() : nullptr;
        worker->shading.markedSpaces = &fMarkedSpaces;
        worker->shading.textures = fTextures.get();
        // Counted once a bucket, not once a grid: threads share the count.
        fMicropolygons += processPrimitives(index, worker->shading);
        released = true;
        if (fScheduler) fScheduler->processed(index);
        if (!fScheduler || !fScheduler->stopping())
            fBuckets[size_t(index)]->renderPixels(worker->buckets);
    } catch (const std::bad_alloc&) {
        // On a worker the report waits for the caller's thread; making it
        // there takes no memory.
        if (reports)
            reports->markOutOfMemory();
        else
            error(kErrNoMem, kSevere, "free store exhausted");
        if (fScheduler && !released) fScheduler->processed(index);
    }
    giveBack(std::move(worker));
    deferReports(nullptr);
}

std::unique_ptr<WorkerContext> Scene::takeWorkerContext() {
    std::lock_guard<std::mutex> lock(fWorkerContextsLock);
    if (fWorkerContexts.empty()) return std::make_unique<WorkerContext>();
    std::unique_ptr<WorkerContext> context = std::move(fWorkerContexts.back());
    fWorkerContexts.pop_back();
    return context;
}

void Scene::giveBack(std::unique_ptr<WorkerContext> context) noexcept {
    if (!context) return;
    std::lock_guard<std::mutex> lock(fWorkerContextsLock);
    try {
        fWorkerContexts.push_back(std::move(context));
    } catch (const std::bad_alloc&) {
        // Not kept: the next work makes another.
    }
}

long Scene::processPrimitives(int index, ShadingContext& shading) {
    Bucket& bucket = *fBuckets[size_t(index)];
    Router router(*this, index % fAcross, index / fAcross);
    bucket.orderPrimitives();
    long micropolygons = 0;
    while (Primitive* primitive = bucket.takePrimitive()) {
        if (fScheduler && fScheduler->stopping()) {
            delete primitive;
            continue;
        }
        micropolygons += processPrimitive(primitive, router, shading);
    }
    return micropolygons;
}

void Scene::finishBucket() {
    if (!fReports.empty()) fReports[size_t(fCurrent)].replay();
    fBuckets[size_t(fCurrent)]->sendRows(gDisplay);
    fBuckets[size_t(fCurrent)].reset();
    ++fCurrent;
    bool rowDone = fCurrent % fAcross == 0;
    if (rowDone && gDisplay) {
        long first = fY0 + long(fCurrent / fAcross - 1) * fTileHeight;
        long last = std::min(first + fTileHeight - 1, fY1);
        gDisplay->flush(first, last);
    }
    // The windows repaint and close between buckets, and show what is done.
    WindowSystem::processEvents(0);
}

int Scene::progress() const {
    if (fBuckets.empty()) return 0;
    return int(long(fCurrent) * 100 / long(fBuckets.size()));
}

long Scene::processPrimitive(Primitive* primitive, Router& router, ShadingContext& shading) {
    DiceDecision decision;
    long micropolygons = 0;
    if (primitive->dicePermitted && (decision = primitive->diceable(*fContext, -1.0f))) {
        Grid* grid = primitive->dice(decision.size);
        grid->setKey(primitive->key());
        grid->setParameterRange(primitive->parameterRange());
        micropolygons = long(grid->nu()) * grid->nv();
        addGrid(grid, router, shading);
    } else if (primitive->canSplit()) {
        primitive->split(router);
    }
    delete primitive;
    return micropolygons;
}

void Scene::addGrid(Grid* grid, const Router& router, ShadingContext& shading) {
    const Attrib& attrib = *grid->attrib();
    const RenderContext& frame = *fContext;
    grid->displace(frame, shading);
    // A matte is shaded too: its opacity is how much it holds out.
    if (frame.option.plan.wantsShading()) {
        setAttribNames(attrib.objectNameValue.empty() ? nullptr : attrib.objectNameValue.c_str(),
                       attrib.groupNameValue.empty() ? nullptr : attrib.groupNameValue.c_str());
        grid->shade(frame, shading);
        setAttribNames(nullptr, nullptr);
    }
    grid->project(frame);
    Bound raster = gridBound(*grid, frame);
    BucketRange range;
    if (bucketRange(raster, range) && clipToOrigin(range, router)) {
        // Held once while handed out, so that no bucket lets it go early.
        grid->useCount.fetch_add(1);
        for (int j = range.y0; j <= range.y1; ++j)
            for (int i = range.x0; i <= range.x1; ++i)
                fBuckets[size_t(j * fAcross + i)]->add(grid);
        if (grid->useCount.fetch_sub(1) > 1) return;
    }
    if (grid->useCount.load() < 1) delete grid;
}

bool Scene::primitivesAllowed() const {
    return gState->verify(kBlockPrimitives, kErrNotPrims) && notRendering();
}

bool Scene::notRendering() const {
    // Once buckets render, only a procedural's subdivision makes primitives:
    // the buckets rendered, and those the workers are rendering, take no more.
    if (!fRenderUnderWay || subdividingHere()) return true;
    error(kErrIllState, kError, "primitives made while the scene renders are left out");
    return false;
}

void Scene::polygon(long nvertices, long n, const unsigned short* tokens, void* const* values) {
    if (!primitivesAllowed() || !validParameterList(n, tokens, values)) return;
    if (!countInRange(nvertices, 3, "vertex count")) return;
    ArgList args(n, tokens, values, {1, nvertices, nvertices});
    if (!requirePosition(args)) return;
    emit(primitive_class::kConvexPolygon, [=] { return ConvexPolygon::make(nvertices, args); });
}

void Scene::generalPolygon(long nloops, const long* nvertices, long n, const unsigned short* tokens,
                           void* const* values) {
    if (!primitivesAllowed() || !validParameterList(n, tokens, values)) return;
    if (!countInRange(nloops, 1, "loop count") || !present(nvertices, "vertex counts")) return;
    long total = sumOfCounts(nvertices, nloops, 3, "vertex count");
    if (total < 0) return;
    ArgList args(n, tokens, values, {1, total, total});
    if (!requirePosition(args)) return;
    std::vector<long> loops(nvertices, nvertices + nloops);
    emit(primitive_class::kGeneralPolygon,
         [=] { return GeneralPolygon::make(nloops, loops.data(), args); });
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
    if (!requirePosition(args)) return;
    // Checked while copied, on the frame's threads; a retained object keeps
    // the copy and checks it again for every instance.
    auto* mesh = static_cast<ConvexPolygonMesh*>(
        ConvexPolygonMesh::make(npolys, nvertices, vertices, std::move(args), threads(), indices));
    if (!mesh) return;
    std::shared_ptr<const PolygonMeshRequest> request = mesh->request();
    emitMade(primitive_class::kConvexPolygonMesh, mesh,
             [request] { return ConvexPolygonMesh::make(request); });
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
    if (!requirePosition(args)) return;
    std::vector<long> loopCounts(nloops, nloops + npolys), counts(nvertices, nvertices + loops),
        indexList(vertices, vertices + indices);
    emit(primitive_class::kGeneralPolygonMesh, [=] {
        return GeneralPolygonMesh::make(npolys, loopCounts.data(), counts.data(), indexList.data(),
                                        args);
    });
}

void Scene::patch(short type, long n, const unsigned short* tokens, void* const* values) {
    if (!primitivesAllowed() || !validParameterList(n, tokens, values)) return;
    if (type != QEL_PATCH_BILINEAR && type != QEL_PATCH_BICUBIC) {
        error(kErrRange, kError, "type must be bilinear or bicubic");
        return;
    }
    long points = type == QEL_PATCH_BILINEAR ? 4 : 16;
    ArgList args(n, tokens, values, {1, 4, points});
    if (!args.require({kQuarkPoint, kQuarkHeight})) return;
    if (type == QEL_PATCH_BILINEAR)
        emit(primitive_class::kPatch, [=] { return BilinearPatch::make(args); });
    else
        emit(primitive_class::kBicubicPatch, [=] { return BicubicPatch::make(args); });
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
    if (!requireSurfacePosition(args)) return;
    emit(primitive_class::kPatchMesh,
         [=] { return PatchMesh::make(type, nu, uwrap, nv, vwrap, args); });
}

namespace {

// A NURBS surface's "vary" values come one per control point, nu by nv; its
// spans take theirs at their corners, (nu - uorder + 2) by (nv - vorder + 2),
// resampled from the control points' grid, corner onto corner.
void varyAtSpanCorners(ArgList& args, long nu, long uorder, long nv, long vorder) {
    if (nu < uorder || nv < vorder) return; // refused when made
    const long cornersU = nu - uorder + 2, cornersV = nv - vorder + 2;
    for (int k = 0; k < args.count(); ++k) {
        ArgAssoc& entry = args[k];
        if (entry.parameterClass != QEL_CLASS_VARY || !entry.isNumeric() || entry.items != nu * nv)
            continue;
        std::vector<float> corners(size_t(cornersU * cornersV * entry.width));
        resampleGrid(entry.floats.data(), nu, nv, entry.width, cornersU, cornersV, corners.data());
        entry.floats = std::move(corners);
        entry.items = cornersU * cornersV;
    }
}

} // namespace

void Scene::nurb(long uorder, const float* uknot, float umin, float umax, long vorder,
                 const float* vknot, float vmin, float vmax, long n, const unsigned short* tokens,
                 void* const* values) {
    if (!primitivesAllowed() || !validParameterList(n, tokens, values)) return;
    if (!countInRange(uorder, 2, "u order") || !countInRange(vorder, 2, "v order") ||
        !present(uknot, "u knots") || !present(vknot, "v knots"))
        return;
    long points = uorder * vorder;
    ArgList args(n, tokens, values, {1, points, points});
    if (!requireSurfacePosition(args)) return;
    varyAtSpanCorners(args, uorder, uorder, vorder, vorder);
    std::vector<float> uknots(uknot, uknot + 2 * uorder), vknots(vknot, vknot + 2 * vorder);
    emit(primitive_class::kPatch, [=] {
        return NURB::make(uorder, uknots.data(), umin, umax, vorder, vknots.data(), vmin, vmax,
                          args);
    });
}

void Scene::nurbMesh(long nu, long uorder, const float* uknot, float umin, float umax, long nv,
                     long vorder, const float* vknot, float vmin, float vmax, long n,
                     const unsigned short* tokens, void* const* values) {
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
    if (!requireSurfacePosition(args)) return;
    varyAtSpanCorners(args, nu, uorder, nv, vorder);
    std::vector<float> uknots(uknot, uknot + nu + uorder), vknots(vknot, vknot + nv + vorder);
    emit(primitive_class::kNuPatchMesh, [=] {
        return NuPatchMesh::make(nu, uorder, uknots.data(), umin, umax, nv, vorder, vknots.data(),
                                 vmin, vmax, args);
    });
}

ArgList Scene::quadricArgs(long n, const unsigned short* tokens, void* const* values) {
    return ArgList(n, tokens, values, {1, 4, 4});
}

void Scene::sphere(float radius, float zmin, float zmax, float thetamax, long n,
                   const unsigned short* tokens, void* const* values) {
    if (!primitivesAllowed() || !validParameterList(n, tokens, values)) return;
    ArgList args = quadricArgs(n, tokens, values);
    emit(primitive_class::kSphere, [=] { return new Sphere(radius, zmin, zmax, thetamax, args); });
}

void Scene::cone(float radius, float height, float zmax, float thetamax, long n,
                 const unsigned short* tokens, void* const* values) {
    if (!primitivesAllowed() || !validParameterList(n, tokens, values)) return;
    ArgList args = quadricArgs(n, tokens, values);
    emit(primitive_class::kCone, [=] { return new Cone(radius, height, zmax, thetamax, args); });
}

void Scene::cylinder(float radius, float zmin, float zmax, float thetamax, long n,
                     const unsigned short* tokens, void* const* values) {
    if (!primitivesAllowed() || !validParameterList(n, tokens, values)) return;
    ArgList args = quadricArgs(n, tokens, values);
    emit(primitive_class::kCylinder,
         [=] { return new Cylinder(radius, zmin, zmax, thetamax, args); });
}

void Scene::hyperboloid(const float* point1, const float* point2, float thetamax, long n,
                        const unsigned short* tokens, void* const* values) {
    if (!primitivesAllowed() || !validParameterList(n, tokens, values)) return;
    if (!present(point1, "point1") || !present(point2, "point2")) return;
    ArgList args = quadricArgs(n, tokens, values);
    Point p1(point1), p2(point2);
    emit(primitive_class::kHyperboloid, [=] { return new Hyperboloid(p1, p2, thetamax, args); });
}

void Scene::paraboloid(float rmax, float zmin, float zmax, float thetamax, long n,
                       const unsigned short* tokens, void* const* values) {
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
    emit(primitive_class::kParaboloid,
         [=] { return new Paraboloid(rmax, zmin, zmax, thetamax, args); });
}

void Scene::disk(float height, float radius, float thetamax, long n, const unsigned short* tokens,
                 void* const* values) {
    if (!primitivesAllowed() || !validParameterList(n, tokens, values)) return;
    ArgList args = quadricArgs(n, tokens, values);
    emit(primitive_class::kDisk, [=] { return new Disk(height, radius, thetamax, args); });
}

void Scene::torus(float majorRadius, float minorRadius, float phimin, float phimax, float thetamax,
                  long n, const unsigned short* tokens, void* const* values) {
    if (!primitivesAllowed() || !validParameterList(n, tokens, values)) return;
    ArgList args = quadricArgs(n, tokens, values);
    emit(primitive_class::kTorus,
         [=] { return new Torus(majorRadius, minorRadius, phimin, phimax, thetamax, args); });
}

void Scene::procedural(void* data, const float* bound, qelSubdivideFunc subdivide,
                       qelReleaseFunc release) {
    if (!gState->verify(kBlockProcedural, kErrNotPrims) || !notRendering()) return;
    if (!present(bound, "bound") ||
        !present(reinterpret_cast<const void*>(subdivide), "subdivide function"))
        return;
    auto shared = std::make_shared<Procedural::Data>(data, release);
    Bound box(bound);
    emit(primitive_class::kProcedural, [=] { return new Procedural(shared, box, subdivide); });
}

void Scene::objectInstance(const void* handle) {
    if (!gState->verify(kBlockInScene, kErrNotPrims) || !notRendering()) return;
    if (!handle || !gState->ownsObject(handle)) {
        error(kErrBadHandle, kError, nullptr);
        return;
    }
    const Object& object = *static_cast<const Object*>(handle);
    long allowed = kInstancedPrimitives + kInstancedPerRequested * fRequested;
    if (fInstanceBudgetMet || fInstanced + object.count() > allowed) {
        if (!fInstanceBudgetMet)
            error(kErrRange, kError, "object instances past %ld primitives in a scene are left out",
                  allowed);
        fInstanceBudgetMet = true;
        return;
    }
    fInstanced += object.count();
    for (const Object::Record& record : object.records()) {
        Transform placed(*gTransform);
        placed.placeBefore(record.local);
        gState->pushScratch(*gAttrib, placed);
        Primitive* primitive = record.make();
        gState->popScratch();
        if (primitive) add(primitive);
    }
}

} // namespace quelmark
