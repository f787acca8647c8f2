// The scene and its render driver: every geometric request becomes a
// primitive of the scene, and rendering takes the image bucket by bucket.
//
// A primitive goes to the bucket at the top left of the buckets it
// overlaps; there it is split, or diced, shaded and handed to every bucket it
// overlaps. Buckets are worked on by several threads at once, each as soon
// as the buckets above and to the left of it are processed; the caller's
// thread receives them in row order, with the reports made while they were
// worked on, and sends their rows to the display. The image does not depend
// on the number of threads.
#ifndef QEL_SCENE_SCENE_H
#define QEL_SCENE_SCENE_H

#include "api/qel.h"
#include "renderer/geometry/Object.h"
#include "renderer/geometry/PrimitiveSink.h"
#include "renderer/state/NamedSpaces.h"
#include "renderer/state/RenderContext.h"

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace quelmark {

class ArgList;
class Bucket;
class BucketScheduler;
class ReportQueue;
class TextureMaps;
struct TextureMaking;
class Grid;
class Primitive;
struct Bound;
struct ShadingContext;
struct WorkerContext;

class Scene {
public:
    Scene();
    ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // Makes the buckets of the image, to be rendered with a copy of the
    // frame's context; primitives added from now on are routed to them.
    void init(const RenderContext& frame);
    void flush();
    void render();
    void renderInit();
    int renderBucket();
    int progress() const;

    // The threads a frame is rendered with.
    int threads() const;
    // Until the next init, primitives are checked by being made and then
    // dropped: the scene is read but not rendered.
    void discard();

    void polygon(long nvertices, long n, const unsigned short* tokens, void* const* values);
    void generalPolygon(long nloops, const long* nvertices, long n, const unsigned short* tokens,
                        void* const* values);
    void polygonMesh(long npolys, const long* nvertices, const long* vertices, long n,
                     const unsigned short* tokens, void* const* values);
    void generalPolygonMesh(long npolys, const long* nloops, const long* nvertices,
                            const long* vertices, long n, const unsigned short* tokens,
                            void* const* values);
    void patch(short type, long n, const unsigned short* tokens, void* const* values);
    void patchMesh(short type, long nu, short uwrap, long nv, short vwrap, long n,
                   const unsigned short* tokens, void* const* values);
    void nurb(long uorder, const float* uknot, float umin, float umax, long vorder,
              const float* vknot, float vmin, float vmax, long n, const unsigned short* tokens,
              void* const* values);
    void nurbMesh(long nu, long uorder, const float* uknot, float umin, float umax, long nv,
                  long vorder, const float* vknot, float vmin, float vmax, long n,
                  const unsigned short* tokens, void* const* values);
    void sphere(float radius, float zmin, float zmax, float thetamax, long n,
                const unsigned short* tokens, void* const* values);
    void cone(float radius, float height, float zmax, float thetamax, long n,
              const unsigned short* tokens, void* const* values);
    void cylinder(float radius, float zmin, float zmax, float thetamax, long n,
                  const unsigned short* tokens, void* const* values);
    void hyperboloid(const float* point1, const float* point2, float thetamax, long n,
                     const unsigned short* tokens, void* const* values);
    void paraboloid(float rmax, float zmin, float zmax, float thetamax, long n,
                    const unsigned short* tokens, void* const* values);
    void disk(float height, float radius, float thetamax, long n, const unsigned short* tokens,
              void* const* values);
    void torus(float majorRadius, float minorRadius, float phimin, float phimax, float thetamax,
               long n, const unsigned short* tokens, void* const* values);
    void procedural(void* data, const float* bound, qelSubdivideFunc subdivide,
                    qelReleaseFunc release);
    // Makes the object's primitives again, within the budget of the
    // scene: object instances make at most kInstancedPrimitives primitives
    // and kInstancedPerRequested more for each primitive requested in the
    // scene (inside objects too). An instance beyond it is left out, the
    // first one with a report.
    void objectInstance(const void* object);
    static constexpr long kInstancedPrimitives = 1L << 15;
    static constexpr long kInstancedPerRequested = 8;

    // Makes a primitive of the class code now, or, inside an object block,
    // keeps the maker in the object.
    void emit(int32_t type, Object::Maker make);
    // The same for a primitive the request made already; make makes it again.
    void emitMade(int32_t type, Primitive* primitive, Object::Maker make);

    // Takes a new primitive made by a request into the scene: into the first
    // bucket its raster bound overlaps, or, before the buckets exist, into a
    // waiting list. One made by a procedural's subdivision takes the
    // procedural's place in the order and goes where its children go.
    // Primitives that cannot be seen are deleted.
    void add(Primitive* primitive);
    // The oldest waiting primitive, handed over to the caller; null when
    // there is none.
    Primitive* takeNext();
    int pendingCount() const { return int(fPending.size()); }

    // The retained object that primitives now go into, or null.
    void beginObject(Object* object) { fObjectUnderConstruction = object; }
    void endObject() { fObjectUnderConstruction = nullptr; }

    // Writes the picture's texture map; false, with the reason, when it
    // cannot be made. Not while the frame renders.
    bool makeTexture(const TextureMaking& making, std::string& why);
    // A shader of the scene looks maps up: their store starts loading.
    void prepareTextures();

    int bucketCount() const { return int(fBuckets.size()); }
    // Micropolygons diced since the buckets were made.
    long micropolygons() const { return fMicropolygons.load(); }

private:
    struct BucketRange {
        int x0, x1, y0, y1;
    };

    // Routes primitives to the buckets at or below and at or right of one
    // bucket: the one being processed, or the first while the scene is
    // built. A split hands its children here.
    class Router final : public PrimitiveSink {
    public:
        Router(Scene& scene, int column, int row) : fScene(scene), column(column), row(row) {}
        const RenderContext& context() const override { return *fScene.fContext; }
        void add(Primitive* child) override { fScene.route(child, *this); }
        void subdivide(const Primitive& parent, const std::function<void()>& requests) override {
            fScene.subdivide(parent, *this, requests);
        }

    private:
        Scene& fScene;

    public:
        const int column, row;
        // How deep the pieces being routed were split across the eye plane.
        int eyeSplits = 0;
    };

    // The procedural whose subdivision is making requests now, and where its
    // primitives go.
    struct Subdivision {
        const Primitive* parent = nullptr;
        Router* router = nullptr;
    };
    class SubdivisionScope;

    bool primitivesAllowed() const;
    // False, with a report, once the buckets render: a request that makes
    // primitives then (not a procedural's subdivision) is left out.
    bool notRendering() const;
    void createBuckets();
    // Reports what the frame just rendered took.
    void reportStatistics() const;
    void freeBuckets();
    void route(Primitive* primitive, Router& router);
    void splitAcrossEye(Primitive* primitive, Router& router);
    bool bucketRange(const Bound& raster, BucketRange& range) const;
    // Keeps the part of the range at or below and at or right of the
    // router's bucket; false when nothing is left.
    static bool clipToOrigin(BucketRange& range, const Router& router);
    // Runs a procedural's requests: one procedural at a time subdivides, as
    // the graphics state is one.
    void subdivide(const Primitive& parent, Router& router, const std::function<void()>& requests);
    // Whether a procedural subdivides on this thread.
    bool subdividingHere() const;
    // Processes and renders bucket index: on a worker, or on the caller's
    // thread when there is one thread.
    void workOn(int index);
    // Each returns the micropolygons it diced.
    long processPrimitives(int index, ShadingContext& shading);
    long processPrimitive(Primitive* primitive, Router& router, ShadingContext& shading);
    void addGrid(Grid* grid, const Router& router, ShadingContext& shading);
    // The contexts of the work under way; each is used by one bucket's work
    // at a time and kept for the next.
    std::unique_ptr<WorkerContext> takeWorkerContext();
    void giveBack(std::unique_ptr<WorkerContext> context) noexcept;
    void startWorkers();
    void stopWorkers();
    void finishBucket();
    static ArgList quadricArgs(long n, const unsigned short* tokens, void* const* values);

    std::unique_ptr<const RenderContext> fContext; // from init until the next
    std::deque<Primitive*> fPending;
    Object* fObjectUnderConstruction = nullptr;
    std::vector<std::unique_ptr<Bucket>> fBuckets;
    int fCurrent = 0; // the next bucket to render
    int fAcross = 0;  // buckets in a row
    int fTileWidth = 12, fTileHeight = 12;
    long fX0 = 0, fX1 = -1, fY0 = 0, fY1 = -1; // the crop window in pixels
    std::atomic<long> fMicropolygons = 0;
    // When the frame's first bucket began.
    std::chrono::steady_clock::time_point fFrameStart;
    bool fDiscarding = false;
    long fRequested = 0; // primitives requested in the scene, objects' among them
    long fInstanced = 0; // primitives object instances made
    bool fInstanceBudgetMet = false;
    std::unique_ptr<BucketScheduler> fScheduler;
    bool fRenderUnderWay = false; // from the first bucket until the buckets are freed
    // The spaces marked by name when the frame began to render, for shaders.
    std::vector<MarkedSpace> fMarkedSpaces;
    // The texture maps shaders look up, kept from frame to frame.
    std::unique_ptr<TextureMaps> fTextures;
    std::mutex fWorkerContextsLock;
    std::vector<std::unique_ptr<WorkerContext>> fWorkerContexts;
    std::vector<ReportQueue> fReports; // per bucket, made on the workers
    // Recursive: a procedural made by one that subdivides may be split across
    // the eye plane at once, on the same thread.
    std::recursive_mutex fSubdivisionLock;
    Subdivision fSubdivision;
    std::atomic<std::thread::id> fSubdividingThread;
};

extern Scene* gScene;

} // namespace quelmark

#endif
