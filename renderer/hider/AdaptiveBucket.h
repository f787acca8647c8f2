// A bucket sampled pixel cell by pixel cell in passes of eight samples,
// until the colour variance of the cell is small enough or 96 samples are
// taken. Its grids are kept until the bucket has been rendered, since every
// pass walks them again.
//
// Cells are the pixel-sized squares of one lattice over the image, starting a
// filter half-width before pixel (0, 0)'s centre; each cell draws its sample
// positions from a stream keyed by its place in the lattice.
#ifndef QEL_HIDER_ADAPTIVEBUCKET_H
#define QEL_HIDER_ADAPTIVEBUCKET_H

#include "renderer/hider/Bucket.h"
#include "renderer/hider/HitValues.h"
#include "renderer/hider/Sample.h"
#include "renderer/state/RenderContext.h"

#include <array>
#include <vector>

namespace quelmark {

class AdaptiveBucket : public Bucket {
public:
    ~AdaptiveBucket() override { flush(); }

    // Frees the cells.
    void flush();

    static constexpr int kPasses = kAdaptivePasses;
    static constexpr int kSamplesPerPass = 8;

    // Cells across and down, and the one at column ix, row iy of the
    // bucket's own cells.
    long columns() const { return fNx; }
    long rows() const { return fNy; }
    const MultiSample& cellAt(long ix, long iy) const { return fCells[size_t(iy * fNx + ix)]; }

protected:
    void generate() override;
    void filter(long px, long py, PixelValues& pixel) override;
    void freeSamples() override { flush(); }

private:
    struct Cell {
        float left, right, bottom, top;
    };

    void sampleCell(MultiSample& cell, const Cell& area, uint64_t key);
    void samplePass(Sample (&samples)[kSamplesPerPass], const Cell& area, HitValues* values);
    // The sample's extras, its variable values moved to the packed pool.
    SampleExtras packExtras(const Sample& sample, float& alpha, float& z, Color& C);

    long fNx = 0;
    long fNy = 0;
    std::vector<MultiSample> fCells; // fNy rows of fNx
    // When outputs show shading variables: the values of one pass's hits,
    // and those of the packed samples' nearest surfaces.
    HitValues fPassValues, fPackedValues;
    WeightedExtras fExtras;
};

} // namespace quelmark

#endif
