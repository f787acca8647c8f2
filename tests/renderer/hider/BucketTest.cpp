#include "renderer/hider/AdaptiveBucket.h"
#include "renderer/hider/UniformBucket.h"

#include "HiderFixture.h"
#include "renderer/display/Display.h"

#include <bit>
#include <map>
#include <vector>

using namespace quelmark;

namespace {

const Color kPaint(0.2f, 0.6f, 1.0f); // quantises to 51, 153, 255

// Keeps every row the buckets send.
class RowRecorder : public Display {
public:
    struct Row {
        long x0, x1, y;
        std::vector<uint32_t> data;
    };

    void span(long x0, long x1, long y, const uint32_t* data) override {
        size_t count = size_t((x1 - x0 + 1) * gOption->channels);
        rows.push_back(Row{x0, x1, y, std::vector<uint32_t>(data, data + count)});
    }

    std::vector<Row> rows;
};

float zeroFilter(float, float, float, float) {
    return 0.0f;
}

// Keeps its samples after rendering, for the tests to look at.
template <class Base> class KeptSamples : public Base {
protected:
    void freeSamples() override {}
};

uint32_t floatSlot(float value) {
    return std::bit_cast<uint32_t>(value);
}

class BucketTest : public HiderFixture {
protected:
    BucketTest() {
        gDisplay = &fRecorder;
        gOption->colorJitter(0.0f);
    }
    ~BucketTest() override { gDisplay = nullptr; }

    // Every pixel of every recorded row, as its channel values.
    std::vector<std::vector<uint32_t>> pixels() const {
        std::vector<std::vector<uint32_t>> result;
        size_t channels = size_t(gOption->channels);
        for (const RowRecorder::Row& row : fRecorder.rows)
            for (size_t i = 0; i < row.data.size(); i += channels)
                result.emplace_back(row.data.begin() + long(i),
                                    row.data.begin() + long(i + channels));
        return result;
    }

    // The colour of the single pixel of a 1 × 1 uniform bucket over grid.
    std::vector<uint32_t> onePixel(Grid* grid) {
        UniformBucket bucket;
        bucket.init(frame(), 0, 0, 0, 0);
        bucket.add(grid);
        bucket.render(fScratch, &fRecorder);
        return pixels().back();
    }

    Grid* cover(float z, const Color& Ci, uint32_t sequence = 1) {
        return squareGrid(4, -3, 7, -3, 7, z, Ci, gWhite, sequence);
    }

public:
    using HiderFixture::frame;
    // Ends inside pixel columns 3 and rows 4.
    Grid* halfCover() { return squareGrid(4, -3, 3.3f, -3, 4.6f, 0.5f, kPaint); }

protected:
    RowRecorder fRecorder;
};

TEST_F(BucketTest, OpaqueGridColoursEveryPixel) {
    gOption->outputSamples(QEL_SAMPLES_RGBA);
    UniformBucket bucket;
    bucket.init(frame(), 0, 3, 0, 3);
    bucket.add(cover(0.5f, kPaint));
    bucket.render(fScratch, &fRecorder);
    ASSERT_EQ(fRecorder.rows.size(), 4u);
    for (long y = 0; y < 4; ++y) {
        EXPECT_EQ(fRecorder.rows[size_t(y)].y, y);
        EXPECT_EQ(fRecorder.rows[size_t(y)].x0, 0);
        EXPECT_EQ(fRecorder.rows[size_t(y)].x1, 3);
    }
    for (const auto& pixel : pixels())
        EXPECT_EQ(pixel, (std::vector<uint32_t>{51, 153, 255, 255}));
}

TEST_F(BucketTest, EmptyBucketIsBlackTransparentAndFar) {
    gOption->outputSamples(QEL_SAMPLES_RGBAZ);
    UniformBucket bucket;
    bucket.init(frame(), 4, 7, 0, 1);
    bucket.render(fScratch, &fRecorder);
    ASSERT_EQ(fRecorder.rows.size(), 2u);
    EXPECT_EQ(fRecorder.rows[0].x0, 4);
    auto all = pixels();
    ASSERT_EQ(all.size(), 8u);
    for (const auto& pixel : all)
        EXPECT_EQ(pixel, (std::vector<uint32_t>{0, 0, 0, 0, floatSlot(1.0f)}));
}

TEST_F(BucketTest, ZeroFilterWeightsGiveFarBlack) {
    gOption->outputSamples(QEL_SAMPLES_RGBZ);
    gOption->customFilter(zeroFilter);
    EXPECT_EQ(onePixel(cover(0.5f, kPaint)), (std::vector<uint32_t>{0, 0, 0, floatSlot(1.0f)}));
}

TEST_F(BucketTest, JitterZeroPutsSamplesAtSubPixelCentres) {
    gOption->sampleJitter(0.0f);
    KeptSamples<UniformBucket> bucket;
    bucket.init(frame(), 0, 11, 0, 11);
    bucket.render(fScratch, &fRecorder);
    // The region runs from -0.5 to 12.5: 13 pixels of 2 samples each way.
    EXPECT_EQ(bucket.columns(), 26);
    EXPECT_EQ(bucket.rows(), 26);
    EXPECT_FLOAT_EQ(bucket.sampleAt(0, 0).x(), -0.25f);
    EXPECT_FLOAT_EQ(bucket.sampleAt(0, 0).y(), -0.25f);
    EXPECT_FLOAT_EQ(bucket.sampleAt(3, 1).x(), 1.25f);
    EXPECT_FLOAT_EQ(bucket.sampleAt(3, 1).y(), 0.25f);
}

TEST_F(BucketTest, OneSidedAttributesCullBackFaces) {
    auto backFacing = [this] {
        return quadGrid(Point(-3, -3, 0.5f), Point(7, -3, 0.5f), Point(-3, 7, 0.5f),
                        Point(7, 7, 0.5f), kPaint, gWhite, 1, 1);
    };
    EXPECT_EQ(onePixel(backFacing()), (std::vector<uint32_t>{51, 153, 255}));
    gAttrib->backface(0);
    EXPECT_EQ(onePixel(backFacing()), (std::vector<uint32_t>{0, 0, 0}));
}

// Grids hold camera-space depth: seen between the clipping planes.
TEST_F(BucketTest, GridsOutsideTheClippingPlanesAreNotSampled) {
    gOption->clip(2.0f, 10.0f);
    EXPECT_EQ(onePixel(cover(10.5f, kPaint)), (std::vector<uint32_t>{0, 0, 0}));
    EXPECT_EQ(onePixel(cover(1.5f, kPaint)), (std::vector<uint32_t>{0, 0, 0}));
    EXPECT_EQ(onePixel(cover(10.0f, kPaint)), (std::vector<uint32_t>{51, 153, 255}));
    EXPECT_EQ(onePixel(cover(2.0f, kPaint)), (std::vector<uint32_t>{51, 153, 255}));
}

// Under the identity view depth is the scene's own z, seen from 0 to 1.
TEST_F(BucketTest, TheIdentityViewSeesDepthsFromZeroToOne) {
    gOption->viewIdentity();
    EXPECT_EQ(onePixel(cover(1.5f, kPaint)), (std::vector<uint32_t>{0, 0, 0}));
    EXPECT_EQ(onePixel(cover(-0.1f, kPaint)), (std::vector<uint32_t>{0, 0, 0}));
    EXPECT_EQ(onePixel(cover(1.0f, kPaint)), (std::vector<uint32_t>{51, 153, 255}));
}

TEST_F(BucketTest, PaintersHiderLetsTheLaterGridWin) {
    gOption->hider(QEL_HIDER_PAINT);
    Grid* nearRed = cover(0.2f, Color(1, 0, 0), 1);
    Grid* farBlue = cover(0.8f, Color(0, 0, 1), 2);
    UniformBucket bucket;
    bucket.init(frame(), 0, 0, 0, 0);
    bucket.add(nearRed);
    bucket.add(farBlue);
    bucket.render(fScratch, &fRecorder);
    EXPECT_EQ(pixels().back(), (std::vector<uint32_t>{0, 0, 255}));
}

TEST_F(BucketTest, ExposureAppliesToColourNotAlpha) {
    gOption->outputSamples(QEL_SAMPLES_RGBA);
    gOption->colorGain(2.0f);
    gOption->colorGamma(2.0f);
    // 0.125 exposes to 0.5 (127.5, rounded up); alpha stays 1.
    EXPECT_EQ(onePixel(cover(0.5f, Color(0.125f, 0.0f, 0.125f))),
              (std::vector<uint32_t>{128, 0, 128, 255}));
}

TEST_F(BucketTest, GridsLiveUntilTheirLastBucketIsDone) {
    Grid* grid = cover(0.5f, kPaint);
    UniformBucket first, second;
    first.init(frame(), 0, 0, 0, 0);
    second.init(frame(), 1, 1, 0, 0);
    first.add(grid);
    second.add(grid);
    EXPECT_EQ(grid->useCount, 2);
    first.render(fScratch, &fRecorder);
    EXPECT_EQ(grid->useCount, 1);
    second.render(fScratch, &fRecorder); // deletes it
    EXPECT_EQ(pixels().back(), (std::vector<uint32_t>{51, 153, 255}));
}

// Every recorded pixel by its place.
std::map<std::pair<long, long>, std::vector<uint32_t>> byPlace(const RowRecorder& recorder) {
    std::map<std::pair<long, long>, std::vector<uint32_t>> result;
    size_t channels = size_t(gOption->channels);
    for (const RowRecorder::Row& row : recorder.rows)
        for (long x = row.x0; x <= row.x1; ++x) {
            auto first = row.data.begin() + long(size_t(x - row.x0) * channels);
            result[{x, row.y}] = std::vector<uint32_t>(first, first + long(channels));
        }
    return result;
}

// A pixel renders the same in buckets laid out differently: the samples lie
// on one lattice, and jitter and dither are drawn by place. The grid's edges
// cut through pixels, so the jittered samples there decide the coverage.
template <class B> void expectSamePixelsInShiftedBuckets(BucketTest& test, RowRecorder& recorder) {
    gOption->colorJitter(0.5f);
    auto renderOver = [&](long x0, long x1, long y0, long y1) {
        recorder.rows.clear();
        B bucket;
        bucket.init(test.frame(), x0, x1, y0, y1);
        bucket.add(test.halfCover());
        BucketScratch scratch;
        bucket.render(scratch, &recorder);
        return byPlace(recorder);
    };
    auto first = renderOver(0, 5, 0, 5);
    auto second = renderOver(2, 9, 1, 6);
    int compared = 0, partial = 0;
    for (const auto& [place, pixel] : second) {
        auto found = first.find(place);
        if (found == first.end()) continue;
        EXPECT_EQ(found->second, pixel) << "pixel " << place.first << ", " << place.second;
        ++compared;
        if (pixel[0] != 0 && pixel[0] != 51) ++partial;
    }
    EXPECT_EQ(compared, 4 * 5);
    EXPECT_GT(partial, 0); // the edges were within the compared pixels
}

TEST_F(BucketTest, PixelsDoNotDependOnTheBucketLayout) {
    expectSamePixelsInShiftedBuckets<UniformBucket>(*this, fRecorder);
}

TEST_F(BucketTest, AdaptivePixelsDoNotDependOnTheBucketLayout) {
    gOption->sampleAdaptive(0.01f);
    expectSamePixelsInShiftedBuckets<AdaptiveBucket>(*this, fRecorder);
}

float gaussianByHand(float x, float y, float xwidth, float ywidth) {
    return qelGaussianFilter(x, y, xwidth, ywidth);
}

// A separable filter spreads each sample over the pixels it reaches; any
// other filter has each pixel gather its samples. Both give the same pixels
// for the same filter, edges cut by the grid included.
TEST_F(BucketTest, SpreadSamplesFilterAsGatheredOnes) {
    gOption->filterWidth(3.0f, 3.0f);
    auto renderWith = [&](qelFilterFunc filter) {
        if (filter == qelGaussianFilter)
            gOption->filter(QEL_FILTER_GAUSSIAN);
        else
            gOption->customFilter(filter);
        fRecorder.rows.clear();
        UniformBucket bucket;
        bucket.init(frame(), 0, 5, 0, 5);
        bucket.add(halfCover());
        bucket.render(fScratch, &fRecorder);
        return byPlace(fRecorder);
    };
    auto spread = renderWith(qelGaussianFilter);
    auto gathered = renderWith(gaussianByHand);
    ASSERT_EQ(spread.size(), 36u);
    int partial = 0;
    for (const auto& [place, pixel] : spread) {
        const std::vector<uint32_t>& other = gathered[place];
        for (size_t k = 0; k < pixel.size(); ++k)
            EXPECT_NEAR(double(pixel[k]), double(other[k]), 1.0)
                << "pixel " << place.first << ", " << place.second;
        if (pixel[0] != 0 && pixel[0] != 51) ++partial;
    }
    EXPECT_GT(partial, 0);
}

using AdaptiveBucketTest = BucketTest;

TEST_F(AdaptiveBucketTest, MaxVarianceScalesTheChiSquareTable) {
    gOption->sampleAdaptive(2.0f);
    const RenderContext& scaled = frame();
    EXPECT_FLOAT_EQ(scaled.chiSquare[11], 2.0f);
    EXPECT_NEAR(scaled.chiSquare[0], 2.0f * 1.239f / 65.8768f, 1e-7f);
    EXPECT_NEAR(scaled.chiSquare[5], 2.0f * 27.4208f / 65.8768f, 1e-6f);
}

TEST_F(AdaptiveBucketTest, FlatCellsStopAfterOnePass) {
    gOption->sampleAdaptive(0.01f);
    KeptSamples<AdaptiveBucket> bucket;
    bucket.init(frame(), 0, 1, 0, 1);
    bucket.add(cover(0.5f, kPaint));
    bucket.render(fScratch, &fRecorder);
    // The region runs from -0.5 to 2.5: three cells each way.
    ASSERT_EQ(bucket.columns(), 3);
    ASSERT_EQ(bucket.rows(), 3);
    for (long iy = 0; iy < 3; ++iy)
        for (long ix = 0; ix < 3; ++ix)
            EXPECT_EQ(bucket.cellAt(ix, iy).count(), 8);
    auto all = pixels();
    ASSERT_EQ(all.size(), 4u);
    for (const auto& pixel : all)
        EXPECT_EQ(pixel, (std::vector<uint32_t>{51, 153, 255}));
}

TEST_F(AdaptiveBucketTest, ShadedGradientsTakeEveryPass) {
    gOption->sampleAdaptive(1e-10f);
    gAttrib->shadingModel(QEL_SHADING_GOURAUD);
    Grid* grid = cover(0.5f, gBlack);
    for (int k = 0; k <= 4; ++k) // grey rising by 0.1 per pixel to the right
        for (int i = 0; i <= 4; ++i)
            grid->row(k)[i].Ci = Color(1, 1, 1) * (float(i) / 4);
    KeptSamples<AdaptiveBucket> bucket;
    bucket.init(frame(), 0, 0, 0, 0);
    bucket.add(grid);
    bucket.render(fScratch, &fRecorder);
    EXPECT_EQ(bucket.cellAt(1, 1).count(), AdaptiveBucket::kPasses * 8);
}

} // namespace
