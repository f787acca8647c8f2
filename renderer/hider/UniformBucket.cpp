#include "renderer/hider/UniformBucket.h"

#include "common/Random.h"
#include "renderer/hider/BlurredMicroPolygon.h"
#include "renderer/hider/PreparedMicroPolygon.h"
#include "renderer/hider/SampleTimeAndLens.h"
#include "renderer/state/Attrib.h"
#include "renderer/state/Option.h"
#include "renderer/state/RenderContext.h"

#include <algorithm>
#include <cmath>

namespace quelmark {

namespace {

constexpr uint64_t kJitterKey = 0x7177E25EEDULL;

// An index clamped to [0, n - 1].
long clampIndex(float index, long n) {
    if (!(index >= 0.0f)) return 0;
    if (index > float(n - 1)) return n - 1;
    return long(index);
}

// Lattice indices as floats, for a distance from the lattice's corner: the
// first sample at or after low and the last at or before high, once the
// jitter's reach is allowed for.
float firstIndex(float low, float reach, float perPixel) {
    return std::ceil((low - reach) * perPixel - 0.5f);
}
float lastIndex(float high, float reach, float perPixel) {
    return std::floor((high + reach) * perPixel - 0.5f);
}

// An index far beyond any image, for bounds that are not numbers.
constexpr float kIndexLimit = 1e9f;

long wholeIndex(float index) {
    if (!(index > -kIndexLimit)) return long(-kIndexLimit);
    if (index > kIndexLimit) return long(kIndexLimit);
    return long(index);
}

} // namespace

void UniformBucket::flush() {
    if (hasScratch()) {
        scratch().samples.clear();
        scratch().hits.clear();
        scratch().packed.clear();
        scratch().pixels.clear();
    }
    fNx = fNy = 0;
    fSpread = false;
}

void UniformBucket::generate() {
    flush();
    const Option& option = context().option;
    const float halfWidth = option.filterXWidth / 2, halfHeight = option.filterYWidth / 2;
    fJitter = option.jitter / option.xSamples * 0.5f;
    fReach = std::fabs(fJitter) * 0.5f;
    fOriginX = 0.5f - halfWidth;
    fOriginY = 0.5f - halfHeight;
    // Pixel (px, py)'s filter spans [px, px + width] × [py, py + height] from
    // the lattice's corner.
    fI0 = wholeIndex(firstIndex(float(xmin), fReach, option.xSamples));
    fJ0 = wholeIndex(firstIndex(float(ymin), fReach, option.ySamples));
    long i1 = wholeIndex(lastIndex(float(xmax) + option.filterXWidth, fReach, option.xSamples));
    long j1 = wholeIndex(lastIndex(float(ymax) + option.filterYWidth, fReach, option.ySamples));
    fNx = i1 - fI0 + 1;
    fNy = j1 - fJ0 + 1;
    if (fNx < 1 || fNy < 1 || fNx > long(kIndexLimit) || fNy > long(kIndexLimit)) {
        fNx = fNy = 0;
        releaseGrids();
        return;
    }
    fBlurs = blurs();
    placeSamples();
    fHitValues.reset(plan().variableFloats);
    while (Grid* grid = takeGrid()) {
        sampleGrid(*grid);
        release(grid);
    }
    packSamples();
    SeparableFilter separable;
    fSpread = !plan().wantsExtras() &&
              separable.prepare(option.filterFunction, option.filterXWidth, option.filterYWidth);
    if (fSpread) spreadSamples(separable);
}

void UniformBucket::packSamples() {
    const bool extras = plan().wantsExtras();
    const std::vector<Sample>& samples = scratch().samples;
    std::vector<PackedSample>& packed = scratch().packed;
    packed.resize(samples.size());
    for (size_t k = 0; k < samples.size(); ++k) {
        const Sample& s = samples[k];
        PackedSample& out = packed[k];
        float z;
        out.C = s.pack(scratch().hits, out.alpha, z, extras ? &out.extras : nullptr);
        out.x = s.x(), out.y = s.y();
        out.z = context().depth.forFilter(z);
    }
}

void UniformBucket::spreadSamples(const SeparableFilter& filter) {
    const Option& option = context().option;
    const float halfX = option.filterXWidth / 2, halfY = option.filterYWidth / 2;
    scratch().pixels.assign(size_t((xmax - xmin + 1) * (ymax - ymin + 1)), WeightedPixel());
    for (long iy = 0; iy < fNy; ++iy)
        for (long ix = 0; ix < fNx; ++ix) {
            const PackedSample& s = packedAt(ix, iy);
            // One pixel more each way than the support reaches: the weights
            // decide, as they do for a pixel that gathers its samples.
            const long px0 = std::max(xmin, long(std::floor(s.x - 0.5f - halfX)));
            const long px1 = std::min(xmax, long(std::ceil(s.x - 0.5f + halfX)));
            const long py0 = std::max(ymin, long(std::floor(s.y - 0.5f - halfY)));
            const long py1 = std::min(ymax, long(std::ceil(s.y - 0.5f + halfY)));
            if (px0 > px1 || py0 > py1) continue;
            fAlongX.resize(size_t(px1 - px0 + 1));
            fAlongY.resize(size_t(py1 - py0 + 1));
            for (long px = px0; px <= px1; ++px)
                fAlongX[size_t(px - px0)] = filter.alongX(s.x - (float(px) + 0.5f));
            for (long py = py0; py <= py1; ++py)
                fAlongY[size_t(py - py0)] =
                    filter.scale() * filter.alongY(s.y - (float(py) + 0.5f));
            // The columns of no weight at either end are left out.
            long first = px0, last = px1;
            while (first <= last && fAlongX[size_t(first - px0)] == 0.0f) ++first;
            while (last >= first && fAlongX[size_t(last - px0)] == 0.0f) --last;
            const WeightedPixel::Terms terms = WeightedPixel::terms(s.C, s.alpha, s.z);
            for (long py = py0; py <= py1; ++py) {
                const float wy = fAlongY[size_t(py - py0)];
                if (wy == 0.0f) continue;
                for (long px = first; px <= last; ++px) {
                    const float w = fAlongX[size_t(px - px0)] * wy;
                    if (std::fabs(w) < kEpsilon) continue;
                    pixelSums(px, py).add(w, terms);
                }
            }
        }
}

void UniformBucket::placeSamples() {
    const Option& option = context().option;
    // Blocks of the lattice a pixel wide share out the shutter and the lens.
    const int blockX = std::max(1, int(option.xSamples));
    const int blockY = std::max(1, int(option.ySamples));
    std::vector<Sample>& samples = scratch().samples;
    samples.resize(size_t(fNx * fNy));
    for (long iy = 0; iy < fNy; ++iy)
        for (long ix = 0; ix < fNx; ++ix) {
            long i = fI0 + ix, j = fJ0 + iy;
            RandomStream jitter =
                RandomStream::keyed(mixKey(kJitterKey, mixKey(uint64_t(i), uint64_t(j))));
            float dx = float(jitter.next()) / float(kRandomMax);
            float dy = float(jitter.next()) / float(kRandomMax);
            float x = (float(i) + 0.5f) / option.xSamples + fOriginX + (dx - 0.5f) * fJitter;
            float y = (float(j) + 0.5f) / option.ySamples + fOriginY + (dy - 0.5f) * fJitter;
            Sample& sample = slot(ix, iy);
            sample.place(x, y);
            if (fBlurs) {
                const TimeAndLens drawn = timeAndLensOf(i, j, blockX, blockY);
                sample.setTimeAndLens(context().timeAt(drawn.shutter), drawn.u, drawn.v);
            }
        }
    fLeft = fRight = samples.front().x();
    fBottom = fTop = samples.front().y();
    for (const Sample& s : samples) {
        fLeft = std::fmin(fLeft, s.x());
        fRight = std::fmax(fRight, s.x());
        fBottom = std::fmin(fBottom, s.y());
        fTop = std::fmax(fTop, s.y());
    }
}

void UniformBucket::sampleGrid(const Grid& grid) {
    GridNames names(grid);
    HitValues* values = fHitValues.floats() > 0 ? &fHitValues : nullptr;
    const GridHitTraits traits(grid, context().paintOrder());
    HitArena& hits = scratch().hits;
    if (blursGrid(grid)) {
        forEachBlurredMicroPolygon(grid, traits, Area{fLeft, fRight, fBottom, fTop},
                                   [&](const BlurredMicroPolygon& mp) {
                                       sampleBlurredMicroPolygon(mp, traits, hits, values);
                                   });
        return;
    }
    forEachSampledMicroPolygon(
        grid, traits, Area{fLeft, fRight, fBottom, fTop},
        [&](const PreparedMicroPolygon& mp) { sampleMicroPolygon(mp, traits, hits, values); });
}

void UniformBucket::sampleMicroPolygon(const PreparedMicroPolygon& mp, const GridHitTraits& traits,
                                       HitArena& hits, HitValues* values) {
    Range range = samplesWithin(mp.xmin() - fOriginX, mp.xmax() - fOriginX, mp.ymin() - fOriginY,
                                mp.ymax() - fOriginY);
    // The range allows for the jitter; a jittered point outside the
    // micropolygon's bound cannot be covered by it.
    const bool fading = !traits.detail.whole();
    for (long iy = range.iy0; iy <= range.iy1; ++iy)
        for (long ix = range.ix0; ix <= range.ix1; ++ix) {
            Sample& s = slot(ix, iy);
            if (s.x() < mp.xmin() || s.x() > mp.xmax() || s.y() < mp.ymin() || s.y() > mp.ymax() ||
                (fading && !traits.detail.sees(s.detailDraw())))
                continue;
            s.sample(mp, traits, hits, values);
        }
}

void UniformBucket::sampleBlurredMicroPolygon(const BlurredMicroPolygon& mp,
                                              const GridHitTraits& traits, HitArena& hits,
                                              HitValues* values) {
    Range range = samplesWithin(mp.xmin() - fOriginX, mp.xmax() - fOriginX, mp.ymin() - fOriginY,
                                mp.ymax() - fOriginY);
    PreparedMicroPolygon seen;
    const SampleOrder nearest = mp.nearestKey(traits);
    for (long iy = range.iy0; iy <= range.iy1; ++iy)
        for (long ix = range.ix0; ix <= range.ix1; ++ix) {
            Sample& s = slot(ix, iy);
            if (s.x() < mp.xmin() || s.x() > mp.xmax() || s.y() < mp.ymin() || s.y() > mp.ymax())
                continue;
            sampleBlurred(mp, nearest, s, traits, hits, values, seen);
        }
}

UniformBucket::Range UniformBucket::samplesWithin(float xlow, float xhigh, float ylow,
                                                  float yhigh) const {
    if (fNx < 1) return Range{0, -1, 0, -1};
    const Option& option = context().option;
    return Range{clampIndex(firstIndex(xlow, fReach, option.xSamples) - float(fI0), fNx),
                 clampIndex(lastIndex(xhigh, fReach, option.xSamples) - float(fI0), fNx),
                 clampIndex(firstIndex(ylow, fReach, option.ySamples) - float(fJ0), fNy),
                 clampIndex(lastIndex(yhigh, fReach, option.ySamples) - float(fJ0), fNy)};
}

void UniformBucket::filter(long px, long py, PixelValues& pixel) {
    if (fSpread) {
        pixelSums(px, py).resolve(pixel, context().depth.filterScale());
        return;
    }
    const Option& option = context().option;
    const bool extras = plan().wantsExtras();
    if (extras) fExtras.reset(fHitValues.floats());
    const float x = float(px) + 0.5f, y = float(py) + 0.5f;
    Range range = samplesWithin(float(px), float(px) + option.filterXWidth, float(py),
                                float(py) + option.filterYWidth);
    WeightedPixel sums;
    for (long iy = range.iy0; iy <= range.iy1; ++iy)
        for (long ix = range.ix0; ix <= range.ix1; ++ix) {
            const PackedSample& s = packedAt(ix, iy);
            float w =
                option.filterFunction(s.x - x, s.y - y, option.filterXWidth, option.filterYWidth);
            if (std::fabs(w) < kEpsilon) continue;
            sums.add(w, s.C, s.alpha, s.z);
            if (extras)
                fExtras.add(w, s.extras.Oi,
                            s.extras.values == HitValues::kNone ? nullptr
                                                                : fHitValues.at(s.extras.values));
        }
    sums.resolve(pixel, context().depth.filterScale());
    if (extras) fExtras.resolve(sums.weight(), pixel.Oi, pixel.variables);
}

} // namespace quelmark
