// Sample points and what they saw.
//
// A Sample is one point in raster space with the depth-sorted list of the
// micropolygon fragments covering it; pack composites that list front to back.
// A PackedSample keeps the composited result with its position, and a
// MultiSample holds the packed samples of one pixel cell of the adaptive
// sampler and filters them.
#ifndef QEL_HIDER_SAMPLE_H
#define QEL_HIDER_SAMPLE_H

#include "common/List.h"
#include "renderer/geometry/Color.h"
#include "renderer/hider/SampleHit.h"

#include <vector>

class MicroPolygon;

class Sample {
public:
    void place(float x, float y) {
        fX = x;
        fY = y;
    }
    // Adds a hit when the micropolygon covers the point; true on a hit.
    bool sample(const MicroPolygon& mp);
    // The composited colour; alpha and the depth of the first hit through the
    // references. Stops at the first matte hit. No hits: black, 0 and 1.0.
    Color pack(float& alpha, float& z) const;

    float x() const { return fX; }
    float y() const { return fY; }
    const SList<SampleHit>& hits() const { return fHits; }

private:
    float fX = 0;
    float fY = 0;
    SList<SampleHit> fHits;
};

struct PackedSample {
    float x, y;
    Color C;
    float alpha, z;
};

class MultiSample {
public:
    void add(const PackedSample& sample) { fSamples.push_back(sample); }
    void reserve(int count) { fSamples.reserve(size_t(count)); }
    int count() const { return int(fSamples.size()); }

    // The samples weighted by the option's filter about (x, y), normalised by
    // the weight sum; depth 1.0 when the weights sum to zero. Returns the
    // mean weight of the samples that count, 0 when none does.
    float filter(float x, float y, Color& C, float& alpha, float& z) const;

private:
    std::vector<PackedSample> fSamples;
};

#endif
