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

    std::vector<uint32_t> slots() const {
        std::vector<uint32_t> all, row;
        for (long y = 0; y < 3; ++y) {
            fImage.readRow(y, 0, 3, row);
            all.insert(all.end(), row.begin(), row.end());
        }
        return all;
    }

    FrameBuffer fImage;
    const std::vector<uint32_t> fRow = {1, 2, 3, 4, 5, 6, 7, 8};
};

} // namespace

TEST(FrameBuffer, IsEmptyUntilAllocatedAndThenZeroed) {
    FrameBuffer image;
    EXPECT_TRUE(image.empty());
    PixelFormat rgbaz;
    rgbaz.alpha = rgbaz.depth = true;
    ASSERT_TRUE(image.allocate(3, 2, rgbaz));
    EXPECT_EQ(image.width(), 3);
    EXPECT_EQ(image.height(), 2);
    EXPECT_EQ(image.channels(), 5);
    for (long y = 0; y < 2; ++y)
        for (long x = 0; x < 3; ++x)
            for (int c = 0; c < 5; ++c)
                EXPECT_EQ(image.slot(x, y, c), 0u);
}

// Quantised to at most 255 the slots take a byte each, to at most 65535
// two, and floats or wider numbers four; every value comes back as it came.
TEST(FrameBuffer, KeepsEachSlotInAsFewBytesAsItsValuesNeed) {
    const uint32_t row[6] = {0, 7, 255, 65535, 0x3F800000u, 0xFFFFFFFFu};
    struct Case {
        uint32_t largest;
        int bytes;
        int exact; // how many leading values fit
    } cases[] = {{255, 1, 3}, {65535, 2, 4}, {0xFFFFFFFFu, 4, 6}};
    for (const Case& c : cases) {
        PixelFormat grey;
        grey.color = false;
        grey.alpha = true;
        grey.largestSlot = c.largest;
        FrameBuffer image;
        ASSERT_TRUE(image.allocate(6, 2, grey));
        EXPECT_EQ(image.slotBytes(), c.bytes);
        image.putSpan(0, 5, 1, row);
        std::vector<uint32_t> back;
        image.readRow(1, 0, 5, back);
        for (int k = 0; k < c.exact; ++k) {
            EXPECT_EQ(back[size_t(k)], row[k]) << c.bytes << " bytes, value " << k;
            EXPECT_EQ(image.slot(k, 1, 0), row[k]);
        }
        image.readRow(0, 2, 4, back);
        EXPECT_EQ(back, (std::vector<uint32_t>{0, 0, 0}));
    }
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
