// A bucket sampled on a regular grid of jittered sample points, several per
// pixel. Each grid is released as soon as it has been sampled.
#ifndef QEL_HIDER_UNIFORMBUCKET_H
#define QEL_HIDER_UNIFORMBUCKET_H

#include "renderer/hider/Bucket.h"
#include "renderer/hider/Sample.h"

#include <vector>

class UniformBucket : public Bucket {
public:
    ~UniformBucket() override { flush(); }

    // Frees the samples.
    void flush();

    // Samples across and down, and the one at column ix, row iy.
    long columns() const { return fNx; }
    long rows() const { return fNy; }
    const Sample& sampleAt(long ix, long iy) const { return fSamples[size_t(iy * fNx + ix)]; }

protected:
    void generate(float x0, float x1, float y0, float y1) override;
    Color filter(float x, float y, float x0, float y0, float& alpha, float& z) override;

private:
    // The samples of the index range [ix0, ix1] × [iy0, iy1].
    struct Range {
        long ix0, ix1, iy0, iy1;
    };

    void placeSamples(float x0, float y0);
    void sampleGrid(const Grid& grid, float x0, float x1, float y0, float y1);
    // The samples that may lie in [xlow, xhigh] × [ylow, yhigh], jitter
    // included; (x0, y0) is the corner of the sample region.
    Range samplesWithin(float xlow, float xhigh, float ylow, float yhigh, float x0,
                        float y0) const;
    Sample& slot(long ix, long iy) { return fSamples[size_t(iy * fNx + ix)]; }

    long fNx = 0;
    long fNy = 0;
    std::vector<Sample> fSamples; // fNy rows of fNx
    float fJitter = 0.0f;         // the half-width of the jitter
};

#endif
