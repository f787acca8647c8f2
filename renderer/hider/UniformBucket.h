// A bucket sampled on a regular grid of jittered sample points, several per
// pixel. Each grid is released as soon as it has been sampled.
//
// The sample points lie on one lattice over the whole image: sample (i, j)
// sits at ((i + 0.5) / xSamples, (j + 0.5) / ySamples) from the lattice's
// corner, a filter half-width before pixel (0, 0)'s centre, and is jittered
// by a draw keyed by (i, j). A bucket holds the lattice samples that the
// filters of its pixels may reach.
#ifndef QEL_HIDER_UNIFORMBUCKET_H
#define QEL_HIDER_UNIFORMBUCKET_H

#include "common/Filter.h"
#include "renderer/hider/Bucket.h"
#include "renderer/hider/HitValues.h"
#include "renderer/hider/Sample.h"

#include <vector>

namespace quelmark {

class BlurredMicroPolygon;
class PreparedMicroPolygon;
struct GridHitTraits;

class UniformBucket : public Bucket {
public:
    // Lets go of the samples, which stay in the scratch for the next bucket.
    void flush();

    // Samples across and down, and the one at column ix, row iy of the
    // bucket's own samples.
    long columns() const { return fNx; }
    long rows() const { return fNy; }
    const Sample& sampleAt(long ix, long iy) const {
        return scratch().samples[size_t(iy * fNx + ix)];
    }

protected:
    void generate() override;
    void filter(long px, long py, PixelValues& pixel) override;
    void freeSamples() override { flush(); }

private:
    // The samples of the index range [ix0, ix1] × [iy0, iy1] of the bucket.
    struct Range {
        long ix0, ix1, iy0, iy1;
    };

    void placeSamples();
    // Composites every sample's hits once.
    void packSamples();
    // Adds every sample to the sums of the pixels whose filter reaches it,
    // with the filter's weights along x and y computed once per sample.
    void spreadSamples(const SeparableFilter& filter);
    void sampleGrid(const Grid& grid);
    void sampleMicroPolygon(const PreparedMicroPolygon& mp, const GridHitTraits& traits,
                            HitArena& hits, HitValues* values);
    // Each sample sees the micropolygon at its own time through its own
    // point of the lens.
    void sampleBlurredMicroPolygon(const BlurredMicroPolygon& mp, const GridHitTraits& traits,
                                   HitArena& hits, HitValues* values);
    // The bucket's samples that may lie in [xlow, xhigh] × [ylow, yhigh],
    // jitter included; the bounds are measured from the lattice's corner.
    Range samplesWithin(float xlow, float xhigh, float ylow, float yhigh) const;
    Sample& slot(long ix, long iy) { return scratch().samples[size_t(iy * fNx + ix)]; }
    const PackedSample& packedAt(long ix, long iy) const {
        return scratch().packed[size_t(iy * fNx + ix)];
    }
    WeightedPixel& pixelSums(long px, long py) {
        return scratch().pixels[size_t((py - ymin) * (xmax - xmin + 1) + (px - xmin))];
    }

    long fNx = 0;
    long fNy = 0;
    long fI0 = 0, fJ0 = 0;                  // the lattice indices of the first sample
    float fJitter = 0.0f;                   // the width of the jitter
    float fReach = 0.0f;                    // how far the jitter moves a sample
    float fOriginX = 0.0f, fOriginY = 0.0f; // the lattice's corner in raster space
    // The extent of the samples, in raster space.
    float fLeft = 0.0f, fRight = -1.0f, fBottom = 0.0f, fTop = -1.0f;
    // The hits' shading-variable values, when outputs show them.
    HitValues fHitValues;
    WeightedExtras fExtras;
    // Whether the pixels' sums were made by spreading the samples; else
    // each pixel gathers its samples when filtered.
    bool fSpread = false;
    // Whether samples have times and lens points of their own.
    bool fBlurs = false;
    std::vector<float> fAlongX, fAlongY;
};

} // namespace quelmark

#endif
