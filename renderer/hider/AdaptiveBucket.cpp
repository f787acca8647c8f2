#include "renderer/hider/AdaptiveBucket.h"

#include "common/Random.h"
#include "renderer/hider/PreparedMicroPolygon.h"
#include "renderer/hider/SampleTimeAndLens.h"
#include "renderer/state/Attrib.h"
#include "renderer/state/Option.h"
#include "renderer/state/RenderContext.h"

#include <algorithm>
#include <cmath>

namespace quelmark {

namespace {

constexpr int kMaxSamples = AdaptiveBucket::kPasses * AdaptiveBucket::kSamplesPerPass;

constexpr uint64_t kCellKey = 0xCE115EEDULL;

float draw(RandomStream& random) {
    return float(random.next()) / float(kRandomMax);
}

// Colour sums of the samples of one quadrant of a cell.
struct Quadrant {
    Color sum, sumOfSquares;

    void add(const Color& C) {
        sum += C;
        sumOfSquares += C * C;
    }
    Color variance(float n) const {
        return Color(variance(sum.r, sumOfSquares.r, n), variance(sum.g, sumOfSquares.g, n),
                     variance(sum.b, sumOfSquares.b, n));
    }
    static float variance(float sum, float sumOfSquares, float n) {
        float mean = sum / n;
        return (sumOfSquares + mean * (n * mean - 2 * sum)) / n;
    }
};

long clampCell(float index, long n) {
    if (!(index >= 0.0f)) return 0;
    if (index > float(n - 1)) return n - 1;
    return long(index);
}

} // namespace

void AdaptiveBucket::flush() {
    fCells.clear();
    fCells.shrink_to_fit();
    fPrepared.clear();
    fPrepared.shrink_to_fit();
    fBlurred.clear();
    fBlurred.shrink_to_fit();
    fTraitsOf.clear();
    fTraits.clear();
    fBinStart.clear();
    fBinEntries.clear();
    fNx = fNy = 0;
}

void AdaptiveBucket::generate() {
    flush();
    const Option& option = context().option;
    // The cells that pixels' filters overlap: pixel px's filter spans cells
    // px to px + width, less one when the width is whole.
    const float originX = 0.5f - option.filterXWidth / 2, originY = 0.5f - option.filterYWidth / 2;
    fNx = std::max(0L, long(std::ceil(float(xmax - xmin) + option.filterXWidth)));
    fNy = std::max(0L, long(std::ceil(float(ymax - ymin) + option.filterYWidth)));
    if (fNx < 1 || fNy < 1) fNx = fNy = 0;
    fCells.resize(size_t(fNx * fNy));
    fPassValues.reset(plan().variableFloats);
    fPackedValues.reset(plan().variableFloats);
    binMicroPolygons(originX, originY);
    for (long iy = 0; iy < fNy; ++iy)
        for (long ix = 0; ix < fNx; ++ix) {
            long i = xmin + ix, j = ymin + iy;
            float left = float(i) + originX, bottom = float(j) + originY;
            sampleCell(iy * fNx + ix, Cell{left, left + 1, bottom, bottom + 1},
                       mixKey(kCellKey, mixKey(uint64_t(i), uint64_t(j))));
        }
}

void AdaptiveBucket::binMicroPolygons(float originX, float originY) {
    fPrepared.clear();
    fBlurred.clear();
    fTraitsOf.clear();
    fBlurredTraitsOf.clear();
    fTraits.clear();
    const float left = float(xmin) + originX, bottom = float(ymin) + originY;
    const float right = left + float(fNx), top = bottom + float(fNy);
    for (size_t k = 0; k < gridCount(); ++k) {
        const Grid& grid = gridAt(k);
        GridNames names(grid);
        fTraits.emplace_back(grid, context().paintOrder());
        const uint32_t traits = uint32_t(fTraits.size() - 1);
        const Area area{left, right, bottom, top};
        if (blursGrid(grid)) {
            forEachBlurredMicroPolygon(grid, fTraits.back(), area,
                                       [&](const BlurredMicroPolygon& mp) {
                                           fBlurred.push_back(mp);
                                           fBlurredTraitsOf.push_back(traits);
                                       });
            continue;
        }
        forEachSampledMicroPolygon(grid, fTraits.back(), area, [&](const PreparedMicroPolygon& mp) {
            fPrepared.push_back(mp);
            fTraitsOf.push_back(traits);
        });
    }
    // Entries of blurred micropolygons carry kBlurredEntry.
    const uint32_t entries = uint32_t(fPrepared.size() + fBlurred.size());
    auto extentOf = [&](uint32_t m, float& x0, float& x1, float& y0, float& y1) {
        if (m < fPrepared.size()) {
            const PreparedMicroPolygon& p = fPrepared[m];
            x0 = p.xmin(), x1 = p.xmax(), y0 = p.ymin(), y1 = p.ymax();
        } else {
            const BlurredMicroPolygon& p = fBlurred[m - fPrepared.size()];
            x0 = p.xmin(), x1 = p.xmax(), y0 = p.ymin(), y1 = p.ymax();
        }
    };
    auto entryOf = [&](uint32_t m) {
        return m < fPrepared.size() ? m : uint32_t(m - fPrepared.size()) | kBlurredEntry;
    };
    // The cells a micropolygon may reach, one more each way than its bound
    // says; the cell's own test below decides, as a pass's test did.
    auto cellsOf = [&](uint32_t m, long& x0, long& x1, long& y0, long& y1) {
        float px0, px1, py0, py1;
        extentOf(m, px0, px1, py0, py1);
        x0 = clampCell(std::floor(px0 - left) - 1.0f, fNx);
        x1 = clampCell(std::floor(px1 - left) + 1.0f, fNx);
        y0 = clampCell(std::floor(py0 - bottom) - 1.0f, fNy);
        y1 = clampCell(std::floor(py1 - bottom) + 1.0f, fNy);
    };
    auto reaches = [&](uint32_t m, long ix, long iy) {
        float px0, px1, py0, py1;
        extentOf(m, px0, px1, py0, py1);
        const float cellLeft = float(xmin + ix) + originX, cellBottom = float(ymin + iy) + originY;
        return !(px0 > cellLeft + 1 || px1 < cellLeft || py0 > cellBottom + 1 || py1 < cellBottom);
    };
    // Counted, then placed: each cell's entries stay in the grids' order.
    fBinStart.assign(size_t(fNx * fNy + 1), 0);
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1) {
            for (size_t c = 1; c < fBinStart.size(); ++c)
                fBinStart[c] += fBinStart[c - 1];
            fBinEntries.resize(fBinStart.back());
        }
        std::vector<uint32_t> filled;
        if (pass == 1) filled.assign(fBinStart.begin(), fBinStart.end() - 1);
        for (uint32_t m = 0; m < entries; ++m) {
            long x0, x1, y0, y1;
            cellsOf(m, x0, x1, y0, y1);
            for (long iy = y0; iy <= y1; ++iy)
                for (long ix = x0; ix <= x1; ++ix) {
                    if (!reaches(m, ix, iy)) continue;
                    const size_t cell = size_t(iy * fNx + ix);
                    if (pass == 0)
                        ++fBinStart[cell + 1];
                    else
                        fBinEntries[filled[cell]++] = entryOf(m);
                }
        }
    }
}

void AdaptiveBucket::sampleCell(long cellIndex, const Cell& area, uint64_t key) {
    MultiSample& cell = fCells[size_t(cellIndex)];
    RandomStream random = RandomStream::keyed(key);
    static constexpr float kSignX[4] = {1, -1, 1, -1};
    static constexpr float kSignY[4] = {1, 1, -1, -1};
    const float cx = area.left + 0.5f, cy = area.bottom + 0.5f;
    Quadrant quadrants[4];
    int n = 0;
    cell.reserve(kMaxSamples);
    const bool extras = plan().wantsExtras();
    HitValues* values = fPassValues.floats() > 0 ? &fPassValues : nullptr;
    for (int taken = 0;;) {
        Sample samples[kSamplesPerPass];
        for (int k = 0; k < kSamplesPerPass; ++k) {
            float dx = draw(random) / 2, dy = draw(random) / 2;
            samples[k].place(cx + kSignX[k % 4] * dx, cy + kSignY[k % 4] * dy);
        }
        if (blurs()) drawTimesAndLens(samples, random);
        fPassValues.reset(fPassValues.floats());
        scratch().hits.clear();
        samplePass(samples, cellIndex, values);
        for (int k = 0; k < kSamplesPerPass; ++k, ++taken) {
            float alpha, z;
            Color C;
            SampleExtras sampleExtras;
            if (extras)
                sampleExtras = packExtras(samples[k], alpha, z, C);
            else
                C = samples[k].pack(scratch().hits, alpha, z);
            z = context().depth.forFilter(z);
            quadrants[k % 4].add(C);
            cell.add(PackedSample{samples[k].x(), samples[k].y(), C, alpha, z, sampleExtras});
        }
        n += 2;
        Color variance = gBlack;
        for (const Quadrant& q : quadrants)
            variance += q.variance(float(n));
        variance *= 0.25f;
        float largest = std::max({variance.r, variance.g, variance.b});
        if (taken > kMaxSamples - 1 || largest <= context().chiSquare[size_t(n / 2 - 1)]) break;
    }
}

// A pass's samples share out the shutter's opening in equal strata, and the
// lens in cells four across and two down, in another order.
void AdaptiveBucket::drawTimesAndLens(Sample (&samples)[kSamplesPerPass], RandomStream& random) {
    static_assert(kSamplesPerPass == 8);
    constexpr int kLensOrder[kSamplesPerPass] = {0, 5, 2, 7, 4, 1, 6, 3};
    for (int k = 0; k < kSamplesPerPass; ++k) {
        const float shutter = std::fmin((float(k) + draw(random)) / kSamplesPerPass, 0.99999994f);
        const int cell = kLensOrder[k];
        float u, v;
        squareToDisk((float(cell % 4) + draw(random)) / 4, (float(cell / 4) + draw(random)) / 2, u,
                     v);
        samples[k].setTimeAndLens(context().timeAt(shutter), u, v);
    }
}

SampleExtras AdaptiveBucket::packExtras(const Sample& sample, float& alpha, float& z, Color& C) {
    SampleExtras extras;
    C = sample.pack(scratch().hits, alpha, z, &extras);
    if (extras.values != HitValues::kNone)
        extras.values = fPackedValues.add(fPassValues.at(extras.values));
    return extras;
}

void AdaptiveBucket::samplePass(Sample (&samples)[kSamplesPerPass], long cellIndex,
                                HitValues* values) {
    HitArena& hits = scratch().hits;
    PreparedMicroPolygon seen;
    for (uint32_t k = fBinStart[size_t(cellIndex)], end = fBinStart[size_t(cellIndex) + 1]; k < end;
         ++k) {
        const uint32_t m = fBinEntries[k];
        if (m & kBlurredEntry) {
            const uint32_t b = m & ~kBlurredEntry;
            const GridHitTraits& traits = fTraits[fBlurredTraitsOf[b]];
            const SampleOrder nearest = fBlurred[b].nearestKey(traits);
            for (Sample& s : samples)
                sampleBlurred(fBlurred[b], nearest, s, traits, hits, values, seen);
            continue;
        }
        const PreparedMicroPolygon& mp = fPrepared[m];
        const GridHitTraits& traits = fTraits[fTraitsOf[m]];
        const bool fading = !traits.detail.whole();
        for (Sample& s : samples)
            if (!fading || traits.detail.sees(s.detailDraw())) s.sample(mp, traits, hits, values);
    }
}

void AdaptiveBucket::filter(long px, long py, PixelValues& pixel) {
    const Option& option = context().option;
    const bool extras = plan().wantsExtras();
    if (extras) fExtras.reset(fPackedValues.floats());
    const float x = float(px) + 0.5f, y = float(py) + 0.5f;
    WeightedPixel sums;
    if (!fCells.empty()) {
        // Cells px .. px + width of the lattice; bucket cell 0 is cell xmin.
        const float dx = float(px - xmin), dy = float(py - ymin);
        long ix0 = clampCell(dx, fNx);
        long ix1 = clampCell(std::ceil(dx + option.filterXWidth) - 1.0f, fNx);
        long iy0 = clampCell(dy, fNy);
        long iy1 = clampCell(std::ceil(dy + option.filterYWidth) - 1.0f, fNy);
        for (long iy = iy0; iy <= iy1; ++iy)
            for (long ix = ix0; ix <= ix1; ++ix) {
                Color cellC;
                float cellAlpha, cellZ, nearest = HiderDepth::kNothing;
                const MultiSample& cell = cellAt(ix, iy);
                float w = cell.filter(option, x, y, cellC, cellAlpha, cellZ, nearest);
                sums.addNearest(nearest);
                if (std::fabs(w) < kEpsilon) continue;
                sums.add(w, cellC, cellAlpha, cellZ);
                if (extras) cell.addExtras(option, x, y, fPackedValues, fExtras);
            }
    }
    sums.resolve(pixel, context().depth.filterScale());
    if (extras) fExtras.resolve(sums.weight(), pixel.Oi, pixel.variables);
}

} // namespace quelmark
