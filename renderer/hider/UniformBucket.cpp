#include "renderer/hider/UniformBucket.h"

#include "common/Random.h"
#include "renderer/hider/MicroPolygon.h"
#include "renderer/shading/GridIterator.h"
#include "renderer/state/Attrib.h"
#include "renderer/state/Option.h"

#include <cmath>

namespace {

float draw() {
    return float(runtimeRandom()) / float(kRandomMax);
}

// An index clamped to [0, n - 1].
long clampIndex(float index, long n) {
    if (!(index >= 0.0f)) return 0;
    if (index > float(n - 1)) return n - 1;
    return long(index);
}

} // namespace

void UniformBucket::flush() {
    fSamples.clear();
    fSamples.shrink_to_fit();
    fNx = fNy = 0;
}

void UniformBucket::generate(float x0, float x1, float y0, float y1) {
    flush();
    const Option& option = *gOption;
    fJitter = option.jitter / option.xSamples * 0.5f;
    fNx = long(std::ceil((x1 - x0) * option.xSamples));
    fNy = long(std::ceil((y1 - y0) * option.ySamples));
    if (fNx < 1 || fNy < 1) {
        fNx = fNy = 0;
        releaseGrids();
        return;
    }
    placeSamples(x0, y0);
    while (Grid* grid = takeGrid()) {
        sampleGrid(*grid, x0, x1, y0, y1);
        release(grid);
    }
}

void UniformBucket::placeSamples(float x0, float y0) {
    const Option& option = *gOption;
    fSamples.resize(size_t(fNx * fNy));
    for (long iy = 0; iy < fNy; ++iy)
        for (long ix = 0; ix < fNx; ++ix) {
            float x = (float(ix) + 0.5f) / option.xSamples + x0 + (draw() - 0.5f) * fJitter;
            float y = (float(iy) + 0.5f) / option.ySamples + y0 + (draw() - 0.5f) * fJitter;
            slot(ix, iy).place(x, y);
        }
}

void UniformBucket::sampleGrid(const Grid& grid, float x0, float x1, float y0, float y1) {
    GridNames names(grid);
    const short sides = grid.attrib()->sides;
    GridIterator micropolygons(&grid);
    while (const MicroPolygon* mp = micropolygons++) {
        Bound b = mp->bound();
        if (b.xmin > x1 || b.xmax < x0 || b.ymin > y1 || b.ymax < y0 || !inDepthRange(b)) continue;
        float area = mp->znormal();
        if (std::fabs(area) < kEpsilon || culledBySides(area, sides)) continue;
        Range range = samplesWithin(b.xmin, b.xmax, b.ymin, b.ymax, x0, y0);
        // The range allows for the jitter; a jittered point outside the
        // micropolygon's bound cannot be covered by it.
        for (long iy = range.iy0; iy <= range.iy1; ++iy)
            for (long ix = range.ix0; ix <= range.ix1; ++ix) {
                Sample& s = slot(ix, iy);
                if (s.x() < b.xmin || s.x() > b.xmax || s.y() < b.ymin || s.y() > b.ymax) continue;
                s.sample(*mp);
            }
    }
}

UniformBucket::Range UniformBucket::samplesWithin(float xlow, float xhigh, float ylow, float yhigh,
                                                  float x0, float y0) const {
    if (fSamples.empty()) return Range{0, -1, 0, -1};
    const Option& option = *gOption;
    auto first = [this](float low, float origin, float perPixel, long n) {
        return clampIndex(std::ceil((low - origin - fJitter) * perPixel - 0.5f), n);
    };
    // Rounding down or toward zero differs only below 0, which clamps to 0.
    auto last = [this](float high, float origin, float perPixel, long n) {
        return clampIndex(std::floor((high - origin + fJitter) * perPixel - 0.5f), n);
    };
    return Range{first(xlow, x0, option.xSamples, fNx), last(xhigh, x0, option.xSamples, fNx),
                 first(ylow, y0, option.ySamples, fNy), last(yhigh, y0, option.ySamples, fNy)};
}

Color UniformBucket::filter(float x, float y, float x0, float y0, float& alpha, float& z) {
    const Option& option = *gOption;
    const float halfWidth = option.filterXWidth / 2, halfHeight = option.filterYWidth / 2;
    Range range =
        samplesWithin(x - halfWidth, x + halfWidth, y - halfHeight, y + halfHeight, x0, y0);
    WeightedPixel pixel;
    for (long iy = range.iy0; iy <= range.iy1; ++iy)
        for (long ix = range.ix0; ix <= range.ix1; ++ix) {
            const Sample& s = sampleAt(ix, iy);
            float w = option.filterFunction(s.x() - x, s.y() - y, option.filterXWidth,
                                            option.filterYWidth);
            if (std::fabs(w) < kEpsilon) continue;
            float sampleAlpha, sampleZ;
            Color sampleC = s.pack(sampleAlpha, sampleZ);
            pixel.add(w, sampleC, sampleAlpha, sampleZ);
        }
    return pixel.resolve(alpha, z);
}
