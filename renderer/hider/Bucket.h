// A rectangular tile of the image, rendered on its own.
//
// While the scene is built a bucket collects the primitives routed to it;
// while earlier buckets are processed it collects the grids diced from its
// primitives, from whichever threads process them. Rendering generates and
// samples the bucket's sample points, filters them into pixels, exposes and
// quantises them; the finished rows then go to the display.
//
// Nothing a bucket computes depends on how the image is divided into
// buckets: sample points lie on one lattice over the whole image, their
// jitter and the pixels' dither are drawn from streams keyed by their place
// in the image, and grids are sampled in an order fixed by the grids
// themselves.
#ifndef QEL_HIDER_BUCKET_H
#define QEL_HIDER_BUCKET_H

#include "common/Bound.h"
#include "common/Color.h"
#include "renderer/hider/BlurredMicroPolygon.h"
#include "renderer/hider/HitArena.h"
#include "renderer/hider/PreparedMicroPolygon.h"
#include "renderer/hider/Sample.h"
#include "renderer/shading/CompiledImager.h"
#include "renderer/state/RenderContext.h"

#include <cmath>
#include <cstdint>
#include <mutex>
#include <vector>

namespace quelmark {

class Display;
class Grid;
class MicroPolygon;
class Primitive;
struct OutputPlan;

// What the outputs of one pixel are made from, filtered: colour, alpha and
// depth; the nearest depth any counted sample saw; and, when outputs ask for
// them, the composited opacity and the nearest surfaces' shading variables.
struct PixelValues {
    Color C = gBlack;
    float alpha = 0.0f, z = 1.0f, nearest = 1.0f;
    Color Oi = gBlack;
    std::vector<float> variables;
};

// The filter-weighted sum of what a pixel's samples saw. A pixel whose
// weights sum to (almost) zero is black, transparent and at depth 1.
class WeightedPixel {
public:
    // Four floats added at once: a sample's terms go into every pixel its
    // filter reaches, millions of times a frame.
    using Float4 = float __attribute__((vector_size(16)));
    // What a sample adds, laid out as the sums are.
    struct Terms {
        Float4 low, high; // 1, red, green, blue; alpha, depth, 0, 0
        float z;
    };
    static Terms terms(const Color& color, float alpha, float z) {
        return {Float4{1.0f, color.r, color.g, color.b}, Float4{alpha, z, 0.0f, 0.0f}, z};
    }

    void add(float w, const Terms& terms) {
        fLow += w * terms.low;
        fHigh += w * terms.high;
        addNearest(terms.z);
    }
    void add(float w, const Color& color, float alpha, float z) {
        add(w, terms(color, alpha, z));
    }
    // A nearest depth found elsewhere; one that is not a number is none.
    void addNearest(float z) {
        if (z < fNearest) fNearest = z;
    }

    // Depths were added times depthScale (a power of two), and are divided
    // by it here; the nearest is 1 at most.
    void resolve(PixelValues& pixel, float depthScale) const {
        pixel.nearest = std::min(fNearest / depthScale, 1.0f);
        const float weight = fLow[0];
        if (std::fabs(weight) < kEpsilon) {
            pixel.C = gBlack;
            pixel.alpha = 0.0f;
            pixel.z = 1.0f;
            return;
        }
        pixel.alpha = fHigh[0] / weight;
        pixel.z = fHigh[1] / weight / depthScale;
        pixel.C = Color(fLow[1], fLow[2], fLow[3]) / weight;
    }
    float weight() const { return fLow[0]; }

private:
    Float4 fLow{0.0f, 0.0f, 0.0f, 0.0f}, fHigh{0.0f, 0.0f, 0.0f, 0.0f};
    float fNearest = __builtin_huge_valf();
};

// What a worker renders buckets with, kept from one bucket to the next so
// that their memory is taken once: the samples of a uniform bucket, the hits
// the samples saw and the sums of the pixels.
struct BucketScratch {
    std::vector<Sample> samples;
    HitArena hits;
    // What each sample saw, composited once; and the sums of the pixels
    // the samples are spread over.
    std::vector<PackedSample> packed;
    std::vector<WeightedPixel> pixels;
    // Under an imager: the bucket's filtered pixels, row by row, and the
    // imager's machine and its view of them.
    std::vector<PixelValues> filtered;
    ImagerContext imaging;
};

class Bucket {
public:
    Bucket() = default;
    // Releases the grids still held and deletes the primitives still listed.
    virtual ~Bucket();
    Bucket(const Bucket&) = delete;
    Bucket& operator=(const Bucket&) = delete;

    // The inclusive pixel rectangle, rendered with the frame's context, which
    // outlives the bucket.
    void init(const RenderContext& context, long xmin, long xmax, long ymin, long ymax);

    // Holds one use of the grid until the bucket is done with it. Safe to
    // call from several threads at once.
    void add(Grid* grid);

    // Takes ownership of the primitive. Safe to call from several threads.
    void addPrimitive(Primitive* primitive);
    // Puts the primitives received so far in an order of their own (the
    // sequence numbers, then the keys), whatever order they came in.
    void orderPrimitives();
    // Hands the next primitive over to the caller, the latest added first;
    // null when none is left.
    Primitive* takePrimitive();
    bool hasPrimitives() const;

    // Renders the pixels and sends them to the display.
    void render(BucketScratch& scratch, Display* display);
    // Samples, filters, exposes and quantises the pixels of every output the
    // options plan, which the bucket keeps; the grids are let go.
    void renderPixels(BucketScratch& scratch);
    // Sends the kept rows to the display, top to bottom, and frees them.
    void sendRows(Display* display);

    long xmin = 0, xmax = 0, ymin = 0, ymax = 0;

protected:
    // Places and samples the sample points of the bucket.
    virtual void generate() = 0;
    // The filtered values of pixel (px, py); the variables and opacity only
    // when the plan asks for extras.
    virtual void filter(long px, long py, PixelValues& pixel) = 0;
    // Lets go of the samples once the pixels are done; their room stays in
    // the scratch for the next bucket.
    virtual void freeSamples() = 0;

    // The next grid in their order, taken off the list; null when none is
    // left. The caller owns the use it held.
    Grid* takeGrid();
    // The grids not yet taken, in their order: how many, and the k-th.
    size_t gridCount() const { return fGrids.size() - fNextGrid; }
    const Grid& gridAt(size_t k) const { return *fGrids[fNextGrid + k].grid; }
    // Lets go of one use of the grid, deleting it after the last.
    static void release(Grid* grid);
    void releaseGrids();

    // A raster rectangle, edges included.
    struct Area {
        float left, right, bottom, top;
    };
    // Calls visit(mp) for every micropolygon of the grid that reaches the
    // area and the visible depths, covers some area and is not a back face
    // the grid's sidedness culls, made ready for sampling.
    template <class Visit>
    void forEachSampledMicroPolygon(const Grid& grid, const GridHitTraits& traits, const Area& area,
                                    Visit visit) const;

    // Calls visit(mp) for every micropolygon of a moving or defocused grid
    // whose swept extent reaches the area and the visible depths, and that
    // is not a back face the grid's sidedness culls at every time.
    template <class Visit>
    void forEachBlurredMicroPolygon(const Grid& grid, const GridHitTraits& traits, const Area& area,
                                    Visit visit) const;
    // Samples the micropolygon where the sample, at its time through its
    // point of the lens, sees it; nearest is the micropolygon's nearest key,
    // seen is scratch room.
    void sampleBlurred(const BlurredMicroPolygon& mp, SampleOrder nearest, Sample& sample,
                       const GridHitTraits& traits, HitArena& hits, HitValues* values,
                       PreparedMicroPolygon& seen) const {
        if (!sample.mayTake(nearest) ||
            (!traits.detail.whole() && !traits.detail.sees(sample.detailDraw())) ||
            !mp.mayCover(sample.x(), sample.y(), sample.time(), sample.lensU(), sample.lensV()))
            return;
        const HiderDepth& depth = context().depth;
        mp.placeFor(sample.time(), sample.lensU(), sample.lensV(), seen);
        if (sample.x() < seen.xmin() || sample.x() > seen.xmax() || sample.y() < seen.ymin() ||
            sample.y() > seen.ymax() || seen.zmax() < depth.low || seen.zmin() > depth.high ||
            !facesTheCamera(seen, traits))
            return;
        seen.prepareSingleCoverage();
        sample.sample(seen, traits, hits, values);
    }
    // Whether the frame's samples have times and lens points of their own.
    bool blurs() const { return context().shutterOpens() || context().lens.open(); }
    // Whether the grid's micropolygons are sampled blurred.
    bool blursGrid(const Grid& grid) const;

    // Whether the cell covers some area and is not a back face the grid's
    // sidedness culls.
    static bool facesTheCamera(const PreparedMicroPolygon& mp, const GridHitTraits& traits) {
        const float znormal = mp.znormal();
        return !(std::fabs(znormal) < kEpsilon || (znormal > 0.0f && traits.sides <= 1));
    }

    // Names the grid's object and shading group in error reports while it lives.
    class GridNames {
    public:
        explicit GridNames(const Grid& grid);
        ~GridNames();
        GridNames(const GridNames&) = delete;
        GridNames& operator=(const GridNames&) = delete;
    };

    const RenderContext& context() const { return *fContext; }
    // The scratch of the render under way, or of the last one.
    bool hasScratch() const { return fScratch != nullptr; }
    BucketScratch& scratch() { return *fScratch; }
    const BucketScratch& scratch() const { return *fScratch; }
    // The plan of the frame's outputs.
    const OutputPlan& plan() const;

private:
    // Filters every pixel and stores it in the kept rows.
    void writeFilteredPixels(size_t rowLength);
    // The same, with the imager run over the filtered pixels in between.
    void writeImagedPixels(const CompiledImager& imager, size_t rowLength);
    // Stores the pixel in each output's section of the row.
    void writePixel(uint32_t* row, long px, long py, PixelValues& pixel) const;

    const RenderContext* fContext = nullptr;
    BucketScratch* fScratch = nullptr;
    mutable std::mutex fIncoming;
    std::vector<Primitive*> fPrimitives;
    // A grid with its place in the order, kept beside it so that sorting
    // needs no visit to the grids themselves.
    struct Entry {
        uint32_t sequence;
        uint64_t key;
        Grid* grid;
    };
    std::vector<Entry> fGrids;
    size_t fNextGrid = 0;
    std::vector<uint32_t> fPixels;
};

template <class Visit>
void Bucket::forEachSampledMicroPolygon(const Grid& grid, const GridHitTraits& traits,
                                        const Area& area, Visit visit) const {
    const HiderDepth& depth = context().depth;
    PreparedMicroPolygon mp;
    for (int j = 0; j < grid.nv(); ++j)
        for (int i = 0, n = grid.microRowLength(j); i < n; ++i) {
            mp.place(grid, i, j);
            if (mp.xmin() > area.right || mp.xmax() < area.left || mp.ymin() > area.top ||
                mp.ymax() < area.bottom || mp.zmax() < depth.low || mp.zmin() > depth.high)
                continue;
            if (!facesTheCamera(mp, traits)) continue;
            mp.prepareCoverage();
            visit(mp);
        }
}

template <class Visit>
void Bucket::forEachBlurredMicroPolygon(const Grid& grid, const GridHitTraits& traits,
                                        const Area& area, Visit visit) const {
    const HiderDepth& depth = context().depth;
    BlurredMicroPolygon mp;
    for (int j = 0; j < grid.nv(); ++j)
        for (int i = 0, n = grid.microRowLength(j); i < n; ++i) {
            mp.place(grid, i, j, context().lens, depth.low);
            if (mp.xmin() > area.right || mp.xmax() < area.left || mp.ymin() > area.top ||
                mp.ymax() < area.bottom || mp.zmax() < depth.low || mp.zmin() > depth.high ||
                mp.facesAwayAlways(traits))
                continue;
            visit(mp);
        }
}

} // namespace quelmark

#endif
