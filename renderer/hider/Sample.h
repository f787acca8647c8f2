// Sample points and what they saw.
//
// A Sample is one point in raster space with the list of the micropolygon
// fragments covering it, sorted front to back in its bucket's hit arena;
// pack composites that list front to back.
// A PackedSample keeps the composited result with its position, and a
// MultiSample holds the packed samples of one pixel cell of the adaptive
// sampler and filters them.
#ifndef QEL_HIDER_SAMPLE_H
#define QEL_HIDER_SAMPLE_H

#include "common/Color.h"
#include "renderer/hider/HitArena.h"

#include <vector>

namespace quelmark {

class HitValues;
class Option;
class PreparedMicroPolygon;
struct GridHitTraits;

// What a sample saw beyond colour, alpha and depth: the composited opacity
// and the shading-variable record of the nearest surface (none without).
struct SampleExtras {
    Color Oi = gBlack;
    uint32_t values = 0xFFFFFFFFu;
};

class Sample {
public:
    // Puts the sample at (x, y), with no hits.
    void place(float x, float y) {
        fX = x;
        fY = y;
        fHits = HitList();
    }
    // Adds a hit to the arena when the micropolygon covers the point and is
    // not hidden there; true when kept. With a pool, the hit's
    // shading-variable values are recorded in it. In paint order hits are
    // kept by their grids' sequence, else by depth.
    bool sample(const PreparedMicroPolygon& mp, const GridHitTraits& traits, HitArena& hits,
                HitValues* values = nullptr);
    // The composited colour; alpha and the hider depth of the first hit
    // through the references, and with extras what else the sample saw. No
    // hits: black, 0 and HiderDepth::kNothing.
    Color pack(const HitArena& hits, float& alpha, float& z,
               SampleExtras* extras = nullptr) const;

    // The sample's time, and its point (u, v) of the unit disk of the lens.
    void setTimeAndLens(float time, float u, float v) {
        fTime = time;
        fLensU = u;
        fLensV = v;
    }

    float x() const { return fX; }
    float y() const { return fY; }
    float time() const { return fTime; }
    float lensU() const { return fLensU; }
    float lensV() const { return fLensV; }
    // The sample's draw in [0, 1) that chooses among the levels of detail
    // fading into each other, keyed by its place.
    float detailDraw() const;
    // Whether a hit with the key could still be seen here.
    bool mayTake(SampleOrder key) const { return fHits.mayTake(key); }
    // The front hit in the arena, or HitArena::kNone.
    uint32_t front() const { return fHits.front; }

private:
    float fX = 0;
    float fY = 0;
    float fTime = 0, fLensU = 0, fLensV = 0;
    HitList fHits;
};

struct PackedSample {
    float x, y;
    Color C;
    float alpha, z;
    SampleExtras extras;
};

// Sums of what image outputs ask beyond colour, alpha and depth, over the
// samples of a pixel: the opacity weighted as colour is, the shading
// variables over the samples that saw a surface.
class WeightedExtras {
public:
    void reset(int floats);
    void add(float w, const Color& Oi, const float* values);
    // Opacity black and variables 0 where nothing counted.
    void resolve(float weightSum, Color& Oi, std::vector<float>& values) const;

private:
    Color fOi = gBlack;
    float fSurfaceWeight = 0.0f;
    std::vector<float> fValues;
};

class MultiSample {
public:
    void add(const PackedSample& sample) { fSamples.push_back(sample); }
    void reserve(int count) { fSamples.reserve(size_t(count)); }
    int count() const { return int(fSamples.size()); }

    // The samples weighted by the options' filter about (x, y), normalised by
    // the weight sum; depth 1.0 when the weights sum to zero. The nearest
    // depth of the samples that count goes to nearest, which is left as it is
    // when none counts. Returns the mean weight of the samples that count, 0
    // when none does.
    float filter(const Option& option, float x, float y, Color& C, float& alpha, float& z,
                 float& nearest) const;
    // Adds the extras of the samples that count, each weighted by its filter
    // weight over the number of samples that count, as filter weighs the
    // cell. values holds the packed samples' variable records.
    void addExtras(const Option& option, float x, float y, const HitValues& values,
                   WeightedExtras& sums) const;

private:
    std::vector<PackedSample> fSamples;
};

} // namespace quelmark

#endif
