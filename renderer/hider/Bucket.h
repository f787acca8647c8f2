// A rectangular tile of the image, rendered on its own.
//
// While the scene is built a bucket collects the primitives routed to it;
// while earlier buckets are processed it collects the grids diced from its
// primitives. Rendering generates and samples the bucket's sample points,
// filters them into pixels, exposes and quantises them and sends each
// finished row to the display.
#ifndef QEL_HIDER_BUCKET_H
#define QEL_HIDER_BUCKET_H

#include "common/List.h"
#include "renderer/geometry/Bound.h"
#include "renderer/geometry/Color.h"

#include <cmath>
#include <cstdint>

class Grid;
class MicroPolygon;
class Primitive;

// The filter-weighted sum of what a pixel's samples saw. A pixel whose
// weights sum to (almost) zero is black, transparent and at depth 1.
class WeightedPixel {
public:
    void add(float w, const Color& color, float alpha, float z) {
        fWeight += w;
        fColor += w * color;
        fAlpha += w * alpha;
        fZ += w * z;
    }

    Color resolve(float& alpha, float& z) const {
        if (std::fabs(fWeight) < kEpsilon) {
            alpha = 0.0f;
            z = 1.0f;
            return gBlack;
        }
        alpha = fAlpha / fWeight;
        z = fZ / fWeight;
        return fColor / fWeight;
    }

private:
    Color fColor = gBlack;
    float fAlpha = 0.0f, fZ = 0.0f, fWeight = 0.0f;
};

class Bucket {
public:
    Bucket() = default;
    // Releases the grids still held and deletes the primitives still listed.
    virtual ~Bucket();
    Bucket(const Bucket&) = delete;
    Bucket& operator=(const Bucket&) = delete;

    // The inclusive pixel rectangle.
    void init(long xmin, long xmax, long ymin, long ymax);

    // Holds one use of the grid until the bucket is done with it.
    void add(Grid* grid);

    // Takes ownership of the primitive.
    void addPrimitive(Primitive* primitive);
    // Hands the next primitive over to the caller; null when none is left.
    Primitive* takePrimitive();
    bool hasPrimitives() const { return !fPrimitives.empty(); }

    void render();

    long xmin = 0, xmax = 0, ymin = 0, ymax = 0;

protected:
    // Places and samples the sample points of the region [x0, x1] × [y0, y1].
    virtual void generate(float x0, float x1, float y0, float y1) = 0;
    // The filtered colour of the pixel centred at (x, y), alpha and depth
    // through the references; (x0, y0) is the corner of the sample region.
    virtual Color filter(float x, float y, float x0, float y0, float& alpha, float& z) = 0;

    // The next grid in the order they were added, taken off the list; null
    // when none is left. The caller owns the use it held.
    Grid* takeGrid();
    const List<Grid*>& grids() const { return fGrids; }
    // Lets go of one use of the grid, deleting it after the last.
    static void release(Grid* grid);
    void releaseGrids();

    // Whether the micropolygon lies in the normalised depth range and is
    // not a back face culled by the attribute's sidedness.
    static bool inDepthRange(const Bound& b) { return b.zmax >= 0.0f && b.zmin <= 1.0f; }
    static bool culledBySides(float znormal, short sides) { return znormal > 0.0f && sides <= 1; }

    // Names the grid's object and shading group in error reports while it lives.
    class GridNames {
    public:
        explicit GridNames(const Grid& grid);
        ~GridNames();
        GridNames(const GridNames&) = delete;
        GridNames& operator=(const GridNames&) = delete;
    };

private:
    void writePixel(uint32_t* slots, Color C, float alpha, float z) const;

    List<Primitive*> fPrimitives;
    List<Grid*> fGrids;
    List<Grid*>::Node* fLastGrid = nullptr;
};

#endif
