// The median cut against results worked out by hand and against a search of
// the whole palette for the nearest colour.
#include "renderer/display/MedianCut.h"
#include "renderer/display/PackedColor.h"

#include <gtest/gtest.h>

#include <set>

using namespace quelmark;

namespace {

using packed::blue;
using packed::green;
using packed::red;
using packed::rgb;

// The corner of a colour's histogram cell on the 0..255 scale.
uint32_t cellCorner(uint32_t c) {
    return c & 0xF8F8F8;
}

int squaredDistance(uint32_t a, uint32_t b) {
    int dr = red(a) - red(b), dg = green(a) - green(b), db = blue(a) - blue(b);
    return dr * dr + dg * dg + db * db;
}

TEST(MedianCutTest, OneFlatColourIsOneBox) {
    std::vector<uint32_t> image(40 * 30, rgb(200, 100, 50));
    PaletteImage result = MedianCut::quantize(image.data(), 40, 30);
    // (min + max) x 4 of the cell indices 25, 12, 6
    ASSERT_EQ(result.palette.size(), 1u);
    EXPECT_EQ(result.palette[0], rgb(200, 96, 48));
    ASSERT_EQ(result.indices.size(), image.size());
    for (uint8_t index : result.indices)
        EXPECT_EQ(index, 0);
}

TEST(MedianCutTest, FewCellsKeepABoxEach) {
    // 4 x 4 x 4 colours, each in a cell of its own, with unequal counts
    std::vector<uint32_t> image;
    for (int r = 0; r < 4; ++r)
        for (int g = 0; g < 4; ++g)
            for (int b = 0; b < 4; ++b)
                for (int n = 0; n <= r + g; ++n)
                    image.push_back(rgb(r * 80 + 3, g * 70, b * 60 + 7));
    PaletteImage result = MedianCut::quantize(image.data(), long(image.size()), 1);
    EXPECT_EQ(result.palette.size(), 64u);
    std::set<uint32_t> distinct(result.palette.begin(), result.palette.end());
    EXPECT_EQ(distinct.size(), 64u);
    for (size_t k = 0; k < image.size(); ++k)
        EXPECT_EQ(result.palette[result.indices[k]], cellCorner(image[k]));
}

TEST(MedianCutTest, ManyColoursFillThePaletteAndMapToTheNearest) {
    // a smooth field of colours covering far more than 256 cells
    const long width = 160, height = 120;
    std::vector<uint32_t> image;
    for (long y = 0; y < height; ++y)
        for (long x = 0; x < width; ++x)
            image.push_back(rgb(int(x * 255 / (width - 1)), int(y * 255 / (height - 1)),
                                int((x + y) * 255 / (width + height - 2))));
    PaletteImage result = MedianCut::quantize(image.data(), width, height);
    ASSERT_EQ(result.palette.size(), 256u);
    for (size_t k = 0; k < image.size(); ++k) {
        uint32_t corner = cellCorner(image[k]);
        int nearest = 1 << 30;
        for (uint32_t entry : result.palette)
            nearest = std::min(nearest, squaredDistance(entry, corner));
        ASSERT_EQ(squaredDistance(result.palette[result.indices[k]], corner), nearest) << k;
    }
}

TEST(MedianCutTest, TwoColoursSplitOnceAlongTheLongestAxis) {
    // red differs most; the boxes shrink to the two cells
    std::vector<uint32_t> image = {rgb(0, 0, 0), rgb(0, 0, 0), rgb(0, 0, 0), rgb(255, 16, 8)};
    PaletteImage result = MedianCut::quantize(image.data(), 2, 2);
    ASSERT_EQ(result.palette.size(), 2u);
    // the lower half goes to the front of the list
    EXPECT_EQ(result.palette[0], rgb(0, 0, 0));
    EXPECT_EQ(result.palette[1], rgb(248, 16, 8));
    EXPECT_EQ(result.indices, (std::vector<uint8_t>{0, 0, 0, 1}));
}

TEST(MedianCutTest, AnEmptyImageHasNoPalette) {
    PaletteImage result = MedianCut::quantize(nullptr, 0, 10);
    EXPECT_TRUE(result.palette.empty());
    EXPECT_TRUE(result.indices.empty());
}

} // namespace
