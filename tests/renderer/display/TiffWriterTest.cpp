#include "renderer/display/TiffWriter.h"
#include "renderer/display/FrameBuffer.h"
#include "tests/renderer/display/TempImagePath.h"
#include "tests/renderer/display/TiffReadBack.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

using namespace quelmark;

namespace {

PixelFormat layout(bool color, bool alpha, bool depth, float colorOne, float depthOne) {
    PixelFormat format;
    format.color = color, format.alpha = alpha, format.depth = depth;
    format.colorOne = colorOne, format.depthOne = depthOne;
    return format;
}

// A width × height image whose slots, row after row, are the given ones.
FrameBuffer imageOf(long width, long height, const PixelFormat& format,
                    const std::vector<uint32_t>& slots) {
    FrameBuffer image;
    image.allocate(width, height, format);
    long rowSlots = width * format.channels();
    for (long y = 0; y < height; ++y)
        image.putSpan(0, width - 1, y, slots.data() + y * rowSlots);
    return image;
}

PixelRegion whole(const FrameBuffer& image) {
    return PixelRegion{0, image.width() - 1, 0, image.height() - 1};
}

TiffReadBack writtenAndRead(const char* name, const FrameBuffer& image) {
    std::string path = tempImagePath(name);
    EXPECT_TRUE(writeTiff(path.c_str(), image, whole(image)));
    return TiffReadBack(path);
}

} // namespace

TEST(TiffWriter, ColourOne255GivesEightBitRgbClampedTopRowFirst) {
    FrameBuffer image = imageOf(2, 2, layout(true, false, false, 255, 0),
                                {10, 20, 30, 300, 0xFFFFFFFFu, 255, // row 0: 300 and -1 clamp
                                 1, 2, 3, 4, 5, 6});
    TiffReadBack tiff = writtenAndRead("rgb8.tif", image);
    ASSERT_TRUE(tiff.opened);
    EXPECT_EQ(tiff.width, 2u);
    EXPECT_EQ(tiff.height, 2u);
    EXPECT_EQ(tiff.bitsPerSample, 8);
    EXPECT_EQ(tiff.samplesPerPixel, 3);
    EXPECT_EQ(tiff.sampleFormat, SAMPLEFORMAT_UINT);
    EXPECT_EQ(tiff.photometric, PHOTOMETRIC_RGB);
    EXPECT_TRUE(tiff.extraSamples.empty());
    std::vector<unsigned char> expected = {10, 20, 30, 255, 0, 255, 1, 2, 3, 4, 5, 6};
    EXPECT_EQ(tiff.bytes, expected);
}

TEST(TiffWriter, ColourOne65535GivesSixteenBitsWithAssociatedAlpha) {
    FrameBuffer image =
        imageOf(2, 1, layout(true, true, false, 65535, 0), {65535, 1234, 0, 65535, 70000, 1, 2, 3});
    TiffReadBack tiff = writtenAndRead("rgba16.tif", image);
    ASSERT_TRUE(tiff.opened);
    EXPECT_EQ(tiff.bitsPerSample, 16);
    EXPECT_EQ(tiff.samplesPerPixel, 4);
    EXPECT_EQ(tiff.photometric, PHOTOMETRIC_RGB);
    EXPECT_EQ(tiff.extraSamples, std::vector<uint16_t>{EXTRASAMPLE_ASSOCALPHA});
    std::vector<uint16_t> expected = {65535, 1234, 0, 65535, 65535, 1, 2, 3};
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(tiff.shortAt(i), expected[i]) << i;
}

TEST(TiffWriter, ColourOneBelowOneGivesFloatSamples) {
    FrameBuffer image = imageOf(
        1, 1, layout(true, true, false, 0, 0),
        {slotFromFloat(0.25f), slotFromFloat(0.5f), slotFromFloat(1.0f), slotFromFloat(0.75f)});
    TiffReadBack tiff = writtenAndRead("rgbaf.tif", image);
    ASSERT_TRUE(tiff.opened);
    EXPECT_EQ(tiff.bitsPerSample, 32);
    EXPECT_EQ(tiff.sampleFormat, SAMPLEFORMAT_IEEEFP);
    EXPECT_EQ(tiff.extraSamples, std::vector<uint16_t>{EXTRASAMPLE_ASSOCALPHA});
    EXPECT_EQ(tiff.floatAt(0), 0.25f);
    EXPECT_EQ(tiff.floatAt(1), 0.5f);
    EXPECT_EQ(tiff.floatAt(2), 1.0f);
    EXPECT_EQ(tiff.floatAt(3), 0.75f);
}

TEST(TiffWriter, FloatDepthWithIntegerColourMakesTheWholeImageFloat) {
    FrameBuffer image =
        imageOf(1, 1, layout(true, false, true, 255, 0), {51, 255, 0, slotFromFloat(0.5f)});
    TiffReadBack tiff = writtenAndRead("rgbzf.tif", image);
    ASSERT_TRUE(tiff.opened);
    EXPECT_EQ(tiff.bitsPerSample, 32);
    EXPECT_EQ(tiff.sampleFormat, SAMPLEFORMAT_IEEEFP);
    EXPECT_EQ(tiff.samplesPerPixel, 4);
    EXPECT_EQ(tiff.extraSamples, std::vector<uint16_t>{EXTRASAMPLE_UNSPECIFIED});
    EXPECT_FLOAT_EQ(tiff.floatAt(0), 0.2f); // 51 / 255
    EXPECT_EQ(tiff.floatAt(1), 1.0f);
    EXPECT_EQ(tiff.floatAt(2), 0.0f);
    EXPECT_EQ(tiff.floatAt(3), 0.5f);
}

TEST(TiffWriter, ChannelsWithoutColourAreGrey) {
    TiffReadBack alpha =
        writtenAndRead("a8.tif", imageOf(2, 1, layout(false, true, false, 255, 0), {7, 200}));
    ASSERT_TRUE(alpha.opened);
    EXPECT_EQ(alpha.photometric, PHOTOMETRIC_MINISBLACK);
    EXPECT_EQ(alpha.samplesPerPixel, 1);
    EXPECT_EQ(alpha.bitsPerSample, 8);
    EXPECT_TRUE(alpha.extraSamples.empty());
    EXPECT_EQ(alpha.bytes, (std::vector<unsigned char>{7, 200}));

    TiffReadBack depth = writtenAndRead(
        "zf.tif", imageOf(1, 1, layout(false, false, true, 255, 0), {slotFromFloat(0.125f)}));
    ASSERT_TRUE(depth.opened);
    EXPECT_EQ(depth.photometric, PHOTOMETRIC_MINISBLACK);
    EXPECT_EQ(depth.samplesPerPixel, 1);
    EXPECT_EQ(depth.sampleFormat, SAMPLEFORMAT_IEEEFP);
    EXPECT_EQ(depth.floatAt(0), 0.125f);

    // Depth quantised to 65535 widens the alpha channel to 16 bits too.
    TiffReadBack both = writtenAndRead(
        "az16.tif", imageOf(1, 1, layout(false, true, true, 255, 65535), {200, 40000}));
    ASSERT_TRUE(both.opened);
    EXPECT_EQ(both.photometric, PHOTOMETRIC_MINISBLACK);
    EXPECT_EQ(both.samplesPerPixel, 2);
    EXPECT_EQ(both.bitsPerSample, 16);
    EXPECT_EQ(both.extraSamples, std::vector<uint16_t>{EXTRASAMPLE_UNSPECIFIED});
    EXPECT_EQ(both.shortAt(0), 200);
    EXPECT_EQ(both.shortAt(1), 40000);
}

TEST(TiffWriter, OtherOnesTakeTheNarrowestSampleThatHoldsThem) {
    TiffReadBack hundred = writtenAndRead(
        "one100.tif", imageOf(1, 1, layout(true, false, false, 100, 0), {100, 50, 0}));
    EXPECT_EQ(hundred.bitsPerSample, 8);
    EXPECT_EQ(hundred.bytes, (std::vector<unsigned char>{100, 50, 0}));

    TiffReadBack tenBits = writtenAndRead(
        "one1023.tif", imageOf(1, 1, layout(true, false, false, 1023, 0), {1023, 256, 0}));
    EXPECT_EQ(tenBits.bitsPerSample, 16);
    EXPECT_EQ(tenBits.shortAt(0), 1023);
    EXPECT_EQ(tenBits.shortAt(1), 256);

    TiffReadBack wide = writtenAndRead(
        "one1e5.tif", imageOf(1, 1, layout(true, false, false, 100000, 0), {100000, 65536, 1}));
    EXPECT_EQ(wide.bitsPerSample, 32);
    EXPECT_EQ(wide.sampleFormat, SAMPLEFORMAT_UINT);
    EXPECT_EQ(wide.longAt(0), 100000u);
    EXPECT_EQ(wide.longAt(1), 65536u);
}

TEST(TiffWriter, RefusesAnEmptyImageAndAnUnwritablePath) {
    std::string path = tempImagePath("empty.tif");
    EXPECT_FALSE(writeTiff(path.c_str(), FrameBuffer(), PixelRegion{0, 0, 0, 0}));
    EXPECT_FALSE(std::filesystem::exists(path));
    FrameBuffer image = imageOf(1, 1, layout(true, false, false, 255, 0), {1, 2, 3});
    EXPECT_FALSE(writeTiff("/nonexistent-dir/x.tif", image, whole(image)));
    // a region with no pixel, or outside the image
    EXPECT_FALSE(writeTiff(path.c_str(), image, PixelRegion{0, -1, 0, 0}));
    EXPECT_FALSE(writeTiff(path.c_str(), image, PixelRegion{0, 1, 0, 0}));
    EXPECT_FALSE(std::filesystem::exists(path));
}

// A crop window's pixels alone, with where they lie in the whole image.
TEST(TiffWriter, ARegionIsWrittenAloneWithItsPosition) {
    FrameBuffer image =
        imageOf(3, 3, layout(true, false, false, 255, 0), {1, 1, 1, 2, 2, 2, 3, 3, 3, //
                                                           4, 4, 4, 5, 5, 5, 6, 6, 6, //
                                                           7, 7, 7, 8, 8, 8, 9, 9, 9});
    std::string path = tempImagePath("region.tif");
    ASSERT_TRUE(writeTiff(path.c_str(), image, PixelRegion{1, 2, 1, 2}));
    TiffReadBack tiff(path);
    EXPECT_EQ(tiff.width, 2u);
    EXPECT_EQ(tiff.height, 2u);
    EXPECT_EQ(tiff.bytes, (std::vector<unsigned char>{5, 5, 5, 6, 6, 6, 8, 8, 8, 9, 9, 9}));
    EXPECT_FLOAT_EQ(tiff.xPosition, 1);
    EXPECT_FLOAT_EQ(tiff.yPosition, 1);
    EXPECT_EQ(tiff.fullWidth, 3u);
    EXPECT_EQ(tiff.fullLength, 3u);
    // the whole image says nothing of where it lies
    TiffReadBack wholeTiff = writtenAndRead("whole.tif", image);
    EXPECT_FLOAT_EQ(wholeTiff.xPosition, -1);
    EXPECT_EQ(wholeTiff.fullWidth, 0u);
}
