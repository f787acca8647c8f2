#include "renderer/display/PngWriter.h"
#include "renderer/display/FrameBuffer.h"
#include "tests/renderer/display/TempImagePath.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <filesystem>
#include <vector>

using namespace quelmark;

namespace {

PixelFormat layout(bool color, bool alpha, bool depth, float colorOne) {
    PixelFormat format;
    format.color = color, format.alpha = alpha, format.depth = depth;
    format.colorOne = colorOne;
    return format;
}

FrameBuffer oneRow(const PixelFormat& format, const std::vector<uint32_t>& slots) {
    FrameBuffer image;
    image.allocate(long(slots.size()) / format.channels(), 1, format);
    image.putSpan(0, image.width() - 1, 0, slots.data());
    return image;
}

PixelRegion whole(const FrameBuffer& image) {
    return PixelRegion{0, image.width() - 1, 0, image.height() - 1};
}

struct PngReadBack {
    bool opened = false;
    bool hasAlpha = false;
    bool hasColour = false;
    unsigned width = 0;
    unsigned height = 0;
    std::vector<unsigned char> bytes; // r, g, b (, a) per pixel

    explicit PngReadBack(const std::string& path) {
        png_image png;
        std::memset(&png, 0, sizeof png);
        png.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_file(&png, path.c_str())) return;
        hasAlpha = (png.format & PNG_FORMAT_FLAG_ALPHA) != 0;
        hasColour = (png.format & PNG_FORMAT_FLAG_COLOR) != 0;
        width = png.width;
        height = png.height;
        png.format = hasAlpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
        bytes.resize(PNG_IMAGE_SIZE(png));
        opened = png_image_finish_read(&png, nullptr, bytes.data(), 0, nullptr) != 0;
    }
};

PngReadBack writtenAndRead(const char* name, const FrameBuffer& image) {
    std::string path = tempImagePath(name);
    EXPECT_TRUE(writePng(path.c_str(), image, whole(image)));
    return PngReadBack(path);
}

} // namespace

TEST(PngWriter, IntegerChannelsGiveTheirLowByte) {
    PngReadBack png = writtenAndRead(
        "low.png", oneRow(layout(true, false, false, 255), {0x1FF, 0x123, 7, 0, 128, 255}));
    ASSERT_TRUE(png.opened);
    EXPECT_TRUE(png.hasColour);
    EXPECT_FALSE(png.hasAlpha);
    EXPECT_EQ(png.width, 2u);
    EXPECT_EQ(png.bytes, (std::vector<unsigned char>{0xFF, 0x23, 7, 0, 128, 255}));
}

TEST(PngWriter, FloatChannelsAreScaledRoundedAndClamped) {
    // 0.5 -> 127.5 -> 128; 0.2 -> 51; 0.25 -> 63.75 -> 64; 1.5 and -0.2 clamp.
    PngReadBack png = writtenAndRead(
        "float.png", oneRow(layout(true, true, false, 0),
                            {slotFromFloat(0.5f), slotFromFloat(0.2f), slotFromFloat(1.5f),
                             slotFromFloat(1.0f), slotFromFloat(0.25f), slotFromFloat(-0.2f),
                             slotFromFloat(0.0f), slotFromFloat(1.0f)}));
    ASSERT_TRUE(png.opened);
    EXPECT_TRUE(png.hasAlpha);
    EXPECT_EQ(png.bytes, (std::vector<unsigned char>{128, 51, 255, 255, 64, 0, 0, 255}));
}

// The renderer's colours are multiplied by alpha, a PNG file's are not.
TEST(PngWriter, ColoursAreDividedByAlpha) {
    // 100 * 255 / 200 = 127.5 -> 128, 50 * 255 / 200 = 63.75 -> 64; nothing
    // is left of a colour without alpha; 250 * 255 / 128 = 498 clamps.
    PngReadBack png = writtenAndRead(
        "associated.png",
        oneRow(layout(true, true, false, 255), {100, 50, 0, 200, 10, 10, 10, 0, 250, 0, 128, 128}));
    ASSERT_TRUE(png.opened);
    EXPECT_EQ(png.bytes,
              (std::vector<unsigned char>{128, 64, 0, 200, 0, 0, 0, 0, 255, 0, 255, 128}));
}

TEST(PngWriter, DepthIsLeftOutAndWithoutColourTheFirstChannelIsGrey) {
    PngReadBack noDepth =
        writtenAndRead("rgbz.png", oneRow(layout(true, false, true, 255), {1, 2, 3, 99}));
    ASSERT_TRUE(noDepth.opened);
    EXPECT_FALSE(noDepth.hasAlpha);
    EXPECT_EQ(noDepth.bytes, (std::vector<unsigned char>{1, 2, 3}));

    PngReadBack grey =
        writtenAndRead("alpha.png", oneRow(layout(false, true, true, 255), {200, 5}));
    ASSERT_TRUE(grey.opened);
    EXPECT_FALSE(grey.hasAlpha);
    EXPECT_EQ(grey.bytes, (std::vector<unsigned char>{200, 200, 200}));
}

TEST(PngWriter, RefusesAnEmptyImageAndAnUnwritablePath) {
    std::string path = tempImagePath("empty.png");
    EXPECT_FALSE(writePng(path.c_str(), FrameBuffer(), PixelRegion{0, 0, 0, 0}));
    EXPECT_FALSE(std::filesystem::exists(path));
    FrameBuffer image = oneRow(layout(true, false, false, 255), {1, 2, 3});
    EXPECT_FALSE(writePng("/nonexistent-dir/x.png", image, whole(image)));
    // a region with no pixel, or outside the image
    EXPECT_FALSE(writePng(path.c_str(), image, PixelRegion{0, -1, 0, 0}));
    EXPECT_FALSE(writePng(path.c_str(), image, PixelRegion{0, 0, 0, 1}));
    EXPECT_FALSE(std::filesystem::exists(path));
}

// A crop window is an image of its own size.
TEST(PngWriter, ARegionIsWrittenAlone) {
    FrameBuffer image;
    image.allocate(3, 2, layout(true, false, false, 255));
    const std::vector<uint32_t> top{1, 1, 1, 2, 2, 2, 3, 3, 3};
    const std::vector<uint32_t> bottom{4, 4, 4, 5, 5, 5, 6, 6, 6};
    image.putSpan(0, 2, 0, top.data());
    image.putSpan(0, 2, 1, bottom.data());
    std::string path = tempImagePath("region.png");
    ASSERT_TRUE(writePng(path.c_str(), image, PixelRegion{1, 2, 1, 1}));
    PngReadBack png(path);
    ASSERT_TRUE(png.opened);
    EXPECT_EQ(png.width, 2u);
    EXPECT_EQ(png.height, 1u);
    EXPECT_EQ(png.bytes, (std::vector<unsigned char>{5, 5, 5, 6, 6, 6}));
}
