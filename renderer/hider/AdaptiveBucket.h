// A bucket sampled pixel cell by pixel cell in passes of eight samples,
// until the colour variance of the cell is small enough or 96 samples are
// taken. The micropolygons of its grids are made ready for sampling once and
// binned by the cells they reach, so that a pass tests only those of its
// cell; the grids are kept until the bucket has been rendered.
//
// Cells are the pixel-sized squares of one lattice over the image, starting a
// filter half-width before pixel (0, 0)'s centre; each cell draws its sample
// positions from a stream keyed by its place in the lattice.
#ifndef QEL_HIDER_ADAPTIVEBUCKET_H
#define QEL_HIDER_ADAPTIVEBUCKET_H

#include "renderer/hider/BlurredMicroPolygon.h"
#include "renderer/hider/Bucket.h"
#include "renderer/hider/HitValues.h"
#include "renderer/hider/PreparedMicroPolygon.h"
#include "renderer/hider/Sample.h"
#include "renderer/state/RenderContext.h"

#include <array>
#include <vector>

namespace quelmark {

class RandomStream;

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

    // Prepares the micropolygons that reach the cells and bins them by cell,
    // in the grids' order.
    void binMicroPolygons(float originX, float originY);
    void sampleCell(long cellIndex, const Cell& area, uint64_t key);
    void samplePass(Sample (&samples)[kSamplesPerPass], long cellIndex, HitValues* values);
    void drawTimesAndLens(Sample (&samples)[kSamplesPerPass], RandomStream& random);
    // The sample's extras, its variable values moved to the packed pool.
    SampleExtras packExtras(const Sample& sample, float& alpha, float& z, Color& C);

    long fNx = 0;
    long fNy = 0;
    std::vector<MultiSample> fCells; // fNy rows of fNx
    // The micropolygons ready for sampling, each with its grid's traits, and
    // for each cell the range of binEntries listing those that reach it.
    std::vector<PreparedMicroPolygon> fPrepared;
    std::vector<uint32_t> fTraitsOf;
    // Those of moving or defocused grids, binned as entries with this bit.
    static constexpr uint32_t kBlurredEntry = 0x80000000u;
    std::vector<BlurredMicroPolygon> fBlurred;
    std::vector<uint32_t> fBlurredTraitsOf;
    std::vector<GridHitTraits> fTraits;
    std::vector<uint32_t> fBinStart, fBinEntries;
    // When outputs show shading variables: the values of one pass's hits,
    // and those of the packed samples' nearest surfaces.
    HitValues fPassValues, fPackedValues;
    WeightedExtras fExtras;
};

} // namespace quelmark

#endif
