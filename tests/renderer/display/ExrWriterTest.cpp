#include "renderer/display/ExrWriter.h"
#include "renderer/display/FrameBuffer.h"
#include "tests/renderer/display/ExrReadBack.h"
#include "tests/renderer/display/TempImagePath.h"

#include <ImfArray.h>
#include <ImfRgbaFile.h>
#include <half.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace quelmark;

namespace {

PixelFormat layout(bool color, bool alpha, bool depth, float colorOne, float depthOne = 0) {
    PixelFormat format;
    format.color = color, format.alpha = alpha, format.depth = depth;
    format.colorOne = colorOne, format.depthOne = depthOne;
    return format;
}

// An image of the given rows, each as wide as the first.
FrameBuffer imageOf(const PixelFormat& format, const std::vector<std::vector<uint32_t>>& rows) {
    FrameBuffer image;
    long width = long(rows.front().size()) / format.channels();
    image.allocate(width, long(rows.size()), format);
    for (std::size_t y = 0; y < rows.size(); ++y)
        image.putSpan(0, width - 1, long(y), rows[y].data());
    return image;
}

PixelRegion whole(const FrameBuffer& image) {
    return PixelRegion{0, image.width() - 1, 0, image.height() - 1};
}

uint32_t bits(float value) {
    return slotFromFloat(value);
}

class ExrWriter : public ::testing::Test {
protected:
    ~ExrWriter() override { std::remove(fPath.c_str()); }

    ExrReadBack writtenAndRead(const FrameBuffer& image, const PixelRegion& region) {
        EXPECT_TRUE(writeExr(fPath.c_str(), image, region));
        return ExrReadBack(fPath);
    }

    std::string fPath = tempImagePath("writer.exr");
};

} // namespace

TEST_F(ExrWriter, IntegerColourIsDividedByItsOneIntoHalves) {
    FrameBuffer image =
        imageOf(layout(true, true, false, 255), {{128, 0, 255, 255, 64, 32, 16, 128}});
    ExrReadBack exr = writtenAndRead(image, whole(image));
    ASSERT_TRUE(exr.opened);
    EXPECT_EQ(exr.channelNames(), (std::vector<std::string>{"A", "B", "G", "R"}));
    for (const auto& [name, type] : exr.channels)
        EXPECT_EQ(type, Imf::HALF) << name;
    EXPECT_EQ(exr.compression, Imf::ZIP_COMPRESSION);
    // 128 / 255 = 0.50196; the nearest half (steps of 2^-11 above 0.5) is 0.5 + 4 / 2048.
    EXPECT_EQ(exr.at("R", 0, 0), 0.501953125f);
    EXPECT_EQ(exr.at("R", 0, 0), float(half(128 / 255.0f)));
    EXPECT_EQ(exr.at("G", 0, 0), 0.0f);
    EXPECT_EQ(exr.at("B", 0, 0), 1.0f);
    EXPECT_EQ(exr.at("A", 0, 0), 1.0f);
    EXPECT_EQ(exr.at("R", 1, 0), float(half(64 / 255.0f)));
    EXPECT_EQ(exr.at("G", 1, 0), float(half(32 / 255.0f)));
    EXPECT_EQ(exr.at("B", 1, 0), float(half(16 / 255.0f)));
    EXPECT_EQ(exr.at("A", 1, 0), float(half(128 / 255.0f)));
}

TEST_F(ExrWriter, ReadsBackAsPremultipliedRgba) {
    // Half covered, half intensity: colours stay multiplied by alpha.
    FrameBuffer image = imageOf(layout(true, true, false, 1000), {{250, 500, 0, 500}});
    ASSERT_TRUE(writeExr(fPath.c_str(), image, whole(image)));
    Imf::RgbaInputFile file(fPath.c_str());
    EXPECT_EQ(file.channels(), Imf::WRITE_RGBA);
    Imf::Array2D<Imf::Rgba> pixels(1, 1);
    file.setFrameBuffer(&pixels[0][0], 1, 1);
    file.readPixels(0, 0);
    EXPECT_EQ(float(pixels[0][0].r), 0.25f);
    EXPECT_EQ(float(pixels[0][0].g), 0.5f);
    EXPECT_EQ(float(pixels[0][0].b), 0.0f);
    EXPECT_EQ(float(pixels[0][0].a), 0.5f);
}

TEST_F(ExrWriter, ColourWithoutAlphaIsOpaque) {
    FrameBuffer image = imageOf(layout(true, false, false, 255), {{255, 51, 0}});
    ExrReadBack exr = writtenAndRead(image, whole(image));
    ASSERT_TRUE(exr.opened);
    EXPECT_EQ(exr.channelNames(), (std::vector<std::string>{"A", "B", "G", "R"}));
    EXPECT_EQ(exr.at("A", 0, 0), 1.0f);
    EXPECT_EQ(exr.at("G", 0, 0), float(half(0.2f)));
}

TEST_F(ExrWriter, FloatSlotsAreKeptAndSignedIntegersStaySigned) {
    FrameBuffer floats = imageOf(layout(true, true, false, 0),
                                 {{bits(0.3f), bits(1.5f), bits(-0.25f), bits(0.75f)}});
    ExrReadBack exr = writtenAndRead(floats, whole(floats));
    ASSERT_TRUE(exr.opened);
    EXPECT_EQ(exr.at("R", 0, 0), float(half(0.3f)));
    EXPECT_EQ(exr.at("G", 0, 0), 1.5f);
    EXPECT_EQ(exr.at("B", 0, 0), -0.25f);
    EXPECT_EQ(exr.at("A", 0, 0), 0.75f);

    FrameBuffer negative = imageOf(layout(true, false, false, 255), {{uint32_t(-51), 0, 510}});
    exr = writtenAndRead(negative, whole(negative));
    EXPECT_EQ(exr.at("R", 0, 0), float(half(-0.2f)));
    EXPECT_EQ(exr.at("B", 0, 0), 2.0f);
}

TEST_F(ExrWriter, DepthIsAFullFloatChannel) {
    // Beyond the range of a half, and with more digits than it keeps.
    FrameBuffer image = imageOf(layout(true, true, true, 255),
                                {{255, 0, 0, 255, bits(12.345678f)}, {0, 0, 0, 0, bits(1e30f)}});
    ExrReadBack exr = writtenAndRead(image, whole(image));
    ASSERT_TRUE(exr.opened);
    EXPECT_EQ(exr.channelNames(), (std::vector<std::string>{"A", "B", "G", "R", "Z"}));
    EXPECT_EQ(exr.channels["Z"], Imf::FLOAT);
    EXPECT_EQ(exr.at("Z", 0, 0), 12.345678f);
    EXPECT_EQ(exr.at("Z", 0, 1), 1e30f);
    EXPECT_EQ(exr.at("A", 0, 1), 0.0f);
}

TEST_F(ExrWriter, IntegerDepthIsDividedByTheDepthOne) {
    FrameBuffer image = imageOf(layout(false, false, true, 255, 1000), {{2500, 1}});
    ExrReadBack exr = writtenAndRead(image, whole(image));
    ASSERT_TRUE(exr.opened);
    EXPECT_EQ(exr.at("Z", 0, 0), 2.5f);
    EXPECT_EQ(exr.at("Z", 1, 0), 0.001f);
}

TEST_F(ExrWriter, ImagesWithoutColourHoldOnlyTheirChannels) {
    FrameBuffer depth = imageOf(layout(false, false, true, 255), {{bits(3.0f), bits(4.0f)}});
    ExrReadBack exr = writtenAndRead(depth, whole(depth));
    ASSERT_TRUE(exr.opened);
    EXPECT_EQ(exr.channelNames(), std::vector<std::string>{"Z"});
    EXPECT_EQ(exr.at("Z", 1, 0), 4.0f);

    FrameBuffer alphaDepth = imageOf(layout(false, true, true, 255), {{255, bits(7.0f)}});
    exr = writtenAndRead(alphaDepth, whole(alphaDepth));
    EXPECT_EQ(exr.channelNames(), (std::vector<std::string>{"A", "Z"}));
    EXPECT_EQ(exr.channels["A"], Imf::HALF);
    EXPECT_EQ(exr.at("A", 0, 0), 1.0f);
    EXPECT_EQ(exr.at("Z", 0, 0), 7.0f);

    FrameBuffer alpha = imageOf(layout(false, true, false, 255), {{0, 255}});
    exr = writtenAndRead(alpha, whole(alpha));
    EXPECT_EQ(exr.channelNames(), std::vector<std::string>{"A"});
    EXPECT_EQ(exr.at("A", 1, 0), 1.0f);
}

TEST_F(ExrWriter, DataWindowHoldsOnlyTheRegion) {
    // 4 x 3 pixels whose red is 10 x + y.
    std::vector<std::vector<uint32_t>> rows(3);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 4; ++x)
            rows[y].insert(rows[y].end(), {10 * x + y, 0, 0});
    FrameBuffer image = imageOf(layout(true, false, false, 100), rows);
    ExrReadBack exr = writtenAndRead(image, PixelRegion{1, 2, 1, 2});
    ASSERT_TRUE(exr.opened);
    EXPECT_EQ(exr.displayWindow, Imath::Box2i(Imath::V2i(0, 0), Imath::V2i(3, 2)));
    EXPECT_EQ(exr.dataWindow, Imath::Box2i(Imath::V2i(1, 1), Imath::V2i(2, 2)));
    EXPECT_EQ(exr.values["R"].size(), 4u);
    EXPECT_EQ(exr.at("R", 1, 1), float(half(0.11f)));
    EXPECT_EQ(exr.at("R", 2, 1), float(half(0.21f)));
    EXPECT_EQ(exr.at("R", 1, 2), float(half(0.12f)));
    EXPECT_EQ(exr.at("R", 2, 2), float(half(0.22f)));

    exr = writtenAndRead(image, PixelRegion{3, 3, 0, 0});
    EXPECT_EQ(exr.dataWindow, Imath::Box2i(Imath::V2i(3, 0), Imath::V2i(3, 0)));
    EXPECT_EQ(exr.at("R", 3, 0), float(half(0.3f)));
}

TEST_F(ExrWriter, RefusesWhatCannotBeWritten) {
    FrameBuffer image = imageOf(layout(true, false, false, 255), {{1, 2, 3, 4, 5, 6}});
    EXPECT_FALSE(writeExr(fPath.c_str(), FrameBuffer(), PixelRegion{0, 0, 0, 0}));
    EXPECT_FALSE(writeExr(fPath.c_str(), image, PixelRegion{1, 0, 0, 0})) << "empty region";
    EXPECT_FALSE(writeExr(fPath.c_str(), image, PixelRegion{0, 2, 0, 0})) << "past the right";
    EXPECT_FALSE(writeExr(fPath.c_str(), image, PixelRegion{0, 1, -1, 0})) << "above the top";
    EXPECT_FALSE(writeExr(nullptr, image, whole(image)));
    EXPECT_FALSE(std::filesystem::exists(fPath));
    EXPECT_FALSE(writeExr("/nonexistent-dir/x.exr", image, whole(image)));
    EXPECT_FALSE(writeExr(::testing::TempDir().c_str(), image, whole(image))) << "a folder";
    EXPECT_TRUE(std::filesystem::is_directory(::testing::TempDir()));
}
