#include "renderer/display/CropRegion.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace quelmark;

TEST(CropRegion, WholeWindowIsTheWholeImage) {
    EXPECT_EQ(cropRegion(640, 480, 0, 1, 0, 1), (PixelRegion{0, 639, 0, 479}));
    EXPECT_EQ(cropRegion(1, 1, 0, 1, 0, 1), (PixelRegion{0, 0, 0, 0}));
}

TEST(CropRegion, RunsFromTheCeilingOfMinToTheCeilingOfMaxLessOne) {
    // 640 × 0.25 = 160, 640 × 0.75 = 480; 480 × 0.5 = 240.
    EXPECT_EQ(cropRegion(640, 480, 0.25f, 0.75f, 0.5f, 1), (PixelRegion{160, 479, 240, 479}));
    // 10 × 0.125 = 1.25 → 2, 10 × 0.875 = 8.75 → 9 − 1; 8 × 0.375 = 3, 8 × 0.625 = 5.
    EXPECT_EQ(cropRegion(10, 8, 0.125f, 0.875f, 0.375f, 0.625f), (PixelRegion{2, 8, 3, 4}));
    // 5 × 0.25 = 1.25 → 2, 5 × 0.5 = 2.5 → 3 − 1: one column.
    EXPECT_EQ(cropRegion(5, 4, 0.25f, 0.5f, 0, 0.25f), (PixelRegion{2, 2, 0, 0}));
}

TEST(CropRegion, NarrowWindowsRoundToNothing) {
    // 10 × 0.3125 = 3.125 → 4, 10 × 0.375 = 3.75 → 4 − 1 = 3.
    PixelRegion between = cropRegion(10, 10, 0.3125f, 0.375f, 0, 1);
    EXPECT_EQ(between, (PixelRegion{4, 3, 0, 9}));
    EXPECT_TRUE(between.empty());
    EXPECT_EQ(between.width(), 0);
    EXPECT_TRUE(cropRegion(10, 10, 0, 1, 0.5f, 0.5f).empty()) << "no height";
    EXPECT_EQ(cropRegion(10, 10, 1, 1, 0, 1), (PixelRegion{10, 9, 0, 9}));
    EXPECT_EQ(cropRegion(10, 10, 0, 0, 0, 1), (PixelRegion{0, -1, 0, 9}));
}

TEST(CropRegion, ValuesOutsideTheImageAreClamped) {
    EXPECT_EQ(cropRegion(10, 10, -0.5f, 2, -1, 0.5f), (PixelRegion{0, 9, 0, 4}));
    EXPECT_EQ(cropRegion(10, 10, NAN, NAN, 0.5f, NAN), (PixelRegion{0, 9, 5, 9}));
    EXPECT_TRUE(cropRegion(0, 10, 0, 1, 0, 1).empty());
    EXPECT_TRUE(cropRegion(10, -3, 0, 1, 0, 1).empty());
}

TEST(PixelRegion, SizeAndEmptiness) {
    PixelRegion region{2, 5, 1, 1};
    EXPECT_FALSE(region.empty());
    EXPECT_EQ(region.width(), 4);
    EXPECT_EQ(region.height(), 1);
    EXPECT_TRUE(PixelRegion().empty());
    EXPECT_TRUE((PixelRegion{0, 3, 2, 1}).empty());
    EXPECT_EQ((PixelRegion{0, 3, 2, 1}).width(), 0);
}
