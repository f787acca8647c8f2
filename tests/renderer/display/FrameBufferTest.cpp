#include "renderer/display/FrameBuffer.h"

#include <gtest/gtest.h>

#include <vector>

using namespace quelmark;

namespace {

// A 4 × 3 image of one channel, so slot index = y × 4 + x.
class FrameBufferSpans : public ::testing::Test {
protected:
    FrameBufferSpans() {
        PixelFormat grey;
        grey.color = false;
        grey.alpha = true;
        fImage.allocate(4, 3, grey);
    }

    std::vector<uint32_t> slots() const { return {fImage.pixels(), fImage.pixels() + 12}; }

    FrameBuffer fImage;
    const std::vector<uint32_t> fRow = {1, 2, 3, 4, 5, 6, 7, 8};
};

} // namespace

TEST(FrameBuffer, IsEmptyUntilAllocatedAndThenZeroed) {
    FrameBuffer image;
    EXPECT_TRUE(image.empty());
    EXPECT_EQ(image.pixels(), nullptr);
    PixelFormat rgbaz;
    rgbaz.alpha = rgbaz.depth = true;
    ASSERT_TRUE(image.allocate(3, 2, rgbaz));
    EXPECT_EQ(image.width(), 3);
    EXPECT_EQ(image.height(), 2);
    EXPECT_EQ(image.channels(), 5);
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(image.pixels()[i], 0u);
}

TEST(FrameBuffer, RefusesSizesItCannotKeep) {
    FrameBuffer image;
    PixelFormat rgb;
    EXPECT_FALSE(image.allocate(0, 10, rgb));
    EXPECT_FALSE(image.allocate(10, -1, rgb));
    // 2^20 × 2^20 × 3 slots is far beyond the 2^30 limit.
    EXPECT_FALSE(image.allocate(1L << 20, 1L << 20, rgb));
    EXPECT_TRUE(image.empty());
    EXPECT_FALSE(image.allocate(1L << 15, 1L << 15, rgb)); // 3 × 2^30
    EXPECT_TRUE(image.allocate(1L << 15, 1, rgb));
}

TEST(FrameBuffer, SlotOrderFollowsTheChannelsThatAreOn) {
    PixelFormat format;
    EXPECT_EQ(format.alphaSlot(), -1);
    format.alpha = format.depth = true;
    EXPECT_EQ(format.alphaSlot(), 3);
    EXPECT_EQ(format.depthSlot(), 4);
    format.color = false;
    EXPECT_EQ(format.alphaSlot(), 0);
    EXPECT_EQ(format.depthSlot(), 1);
    format.colorOne = 255, format.depthOne = 0;
    EXPECT_FALSE(format.isFloatSlot(0));
    EXPECT_TRUE(format.isFloatSlot(1));
}

TEST_F(FrameBufferSpans, SpanInsideLandsInItsRow) {
    fImage.putSpan(1, 2, 1, fRow.data());
    EXPECT_EQ(slots(), (std::vector<uint32_t>{0, 0, 0, 0, 0, 1, 2, 0, 0, 0, 0, 0}));
}

TEST_F(FrameBufferSpans, SpanBeyondEitherEdgeKeepsOnlyThePixelsInside) {
    fImage.putSpan(-2, 1, 0, fRow.data()); // pixels 0 and 1 are the 3rd and 4th values
    fImage.putSpan(2, 9, 2, fRow.data());  // pixels 2 and 3 are the first two
    EXPECT_EQ(slots(), (std::vector<uint32_t>{3, 4, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2}));
    fImage.putSpan(-3, 4, 1, fRow.data()); // wider than the row on both sides
    EXPECT_EQ(slots(), (std::vector<uint32_t>{3, 4, 0, 0, 4, 5, 6, 7, 0, 0, 1, 2}));
}

TEST_F(FrameBufferSpans, SpansOutsideTheImageAreDropped) {
    fImage.putSpan(0, 3, -1, fRow.data());
    fImage.putSpan(0, 3, 3, fRow.data());
    fImage.putSpan(4, 7, 0, fRow.data());
    fImage.putSpan(-4, -1, 0, fRow.data());
    fImage.putSpan(2, 1, 0, fRow.data());
    fImage.putSpan(0, 3, 0, nullptr);
    EXPECT_EQ(slots(), std::vector<uint32_t>(12, 0));
}
