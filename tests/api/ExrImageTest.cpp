// A cropped render saved as an OpenEXR file, the way lumivar's -o saves it.
#include "TiffImage.h"
#include "api/qel.h"
#include "tests/renderer/display/ExrReadBack.h"

#include <half.h>
#include <tiffio.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

void quiet(const char*) {}

// One sample of every pixel of a TIFF file of 32-bit floats, top row first.
std::vector<float> floatSamples(const std::string& path, int samples, int sample) {
    std::vector<float> values;
    TIFF* tiff = TIFFOpen(path.c_str(), "r");
    if (!tiff) return values;
    uint32_t width = 0, height = 0;
    uint16_t bits = 0, format = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetField(tiff, TIFFTAG_SAMPLEFORMAT, &format);
    std::vector<float> row(std::size_t(width) * std::size_t(samples));
    if (bits == 32 && format == SAMPLEFORMAT_IEEEFP &&
        std::size_t(TIFFScanlineSize(tiff)) == row.size() * sizeof(float))
        for (uint32_t y = 0; y < height; ++y) {
            TIFFReadScanline(tiff, row.data(), y);
            for (uint32_t x = 0; x < width; ++x)
                values.push_back(row[std::size_t(x) * std::size_t(samples) + std::size_t(sample)]);
        }
    TIFFClose(tiff);
    return values;
}

class ExrImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        qelErrorPrinter(quiet);
        qelReset();
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fTiff = ::testing::TempDir() + "exr-image-test-" + name + ".tif";
        fExr = ::testing::TempDir() + "exr-image-test-" + name + ".exr";
    }
    void TearDown() override {
        qelSaveDisplay(nullptr);
        std::remove(fTiff.c_str());
        std::remove(fExr.c_str());
    }

    // A red sphere of radius 1.5 at depth 5 in the middle of 160 by 120 pixels,
    // the right half of the lower half rendered.
    void renderCropped(short samples) {
        qelSaveDisplay(fExr.c_str());
        qelFrameBegin();
        qelRasterViewport(0, 159, 0, 119);
        qelImageCrop(0.5f, 1.0f, 0.5f, 1.0f);
        qelOutputFile(QEL_FORMAT_TIFF, fTiff.c_str());
        qelOutputSamples(samples);
        qelColorJitter(0);
        qelViewPerspective(90);
        qelSceneBegin();
        float red[3] = {1.0f, 0.1f, 0.1f};
        qelColor(red);
        qelSurface(qelQuark("constant"), 0);
        qelTranslate(0, 0, 5);
        qelSphere(1.5f, -1.5f, 1.5f, 360, 0);
        qelSceneEnd();
        qelFrameEnd();
    }

    std::string fTiff, fExr;
};

} // namespace

TEST_F(ExrImageTest, DataWindowIsTheCropRegionAndHoldsTheRenderedPixels) {
    renderCropped(QEL_SAMPLES_RGBA);
    ExrReadBack exr(fExr);
    ASSERT_TRUE(exr.opened);
    // 160 × 0.5 = 80 to 160 − 1; 120 × 0.5 = 60 to 120 − 1.
    EXPECT_EQ(exr.displayWindow, Imath::Box2i(Imath::V2i(0, 0), Imath::V2i(159, 119)));
    EXPECT_EQ(exr.dataWindow, Imath::Box2i(Imath::V2i(80, 60), Imath::V2i(159, 119)));
    EXPECT_EQ(exr.channelNames(), (std::vector<std::string>{"A", "B", "G", "R"}));

    // The TIFF file of the same frame holds the crop region alone, with the
    // same 8-bit values.
    TiffImage tiff = readTiff(fTiff);
    ASSERT_EQ(tiff.samples, 4);
    ASSERT_EQ(tiff.width, 80u);
    ASSERT_EQ(tiff.height, 60u);
    long differences = 0;
    for (uint32_t y = 0; y < 60; ++y)
        for (uint32_t x = 0; x < 80; ++x) {
            const uint8_t* pixel = tiff.pixel(x, y);
            const char* names[] = {"R", "G", "B", "A"};
            for (int c = 0; c < 4; ++c)
                differences +=
                    exr.at(names[c], int(x + 80), int(y + 60)) != float(half(pixel[c] / 255.0f));
        }
    EXPECT_EQ(differences, 0);
    // The sphere's centre is the data window's corner.
    EXPECT_EQ(exr.at("R", 80, 60), 1.0f);
    EXPECT_EQ(exr.at("A", 80, 60), 1.0f);
    EXPECT_EQ(exr.at("A", 159, 119), 0.0f);
}

TEST_F(ExrImageTest, DepthIsSavedAsTheRenderersFloats) {
    renderCropped(QEL_SAMPLES_RGBAZ);
    ExrReadBack exr(fExr);
    ASSERT_TRUE(exr.opened);
    EXPECT_EQ(exr.dataWindow, Imath::Box2i(Imath::V2i(80, 60), Imath::V2i(159, 119)));
    EXPECT_EQ(exr.channelNames(), (std::vector<std::string>{"A", "B", "G", "R", "Z"}));
    EXPECT_EQ(exr.channels["Z"], Imf::FLOAT);
    // The TIFF file of the frame holds the same depth as 32-bit floats.
    std::vector<float> depth = floatSamples(fTiff, 5, 4);
    ASSERT_EQ(depth.size(), 80u * 60u);
    long differences = 0;
    for (int y = 60; y < 120; ++y)
        for (int x = 80; x < 160; ++x)
            differences += exr.at("Z", x, y) != depth[std::size_t((y - 60) * 80 + x - 80)];
    EXPECT_EQ(differences, 0);
    // Nearer than the far end where the sphere is, the far end (1) beside it.
    EXPECT_GT(exr.at("Z", 80, 60), 0.0f);
    EXPECT_LT(exr.at("Z", 80, 60), 1.0f);
    EXPECT_EQ(exr.at("Z", 159, 119), 1.0f);
}
