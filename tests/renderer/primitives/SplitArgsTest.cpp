#include "renderer/geometry/SplitArgs.h"

#include "common/Quark.h"

#include <gtest/gtest.h>

using namespace quelmark;

namespace {

class SplitArgsTest : public ::testing::Test {
protected:
    void SetUp() override { initQuark(); }

    // "height" (vertex, four items on a quadric), "opacity" (vary) and "kd" (const).
    ArgList makeArgs(long vertexItems) {
        unsigned short tokens[3] = {kQuarkHeight, kQuarkOpacity, kQuarkKd};
        void* values[3] = {fHeights, fOpacities, fKd};
        return ArgList(3, tokens, values, ParameterCounts{1, 4, vertexItems});
    }

    // Corner values 1, 3, 5, 11: f(u, v) = 1 + 2u + 4v + 4uv.
    float fHeights[6] = {1, 3, 5, 11, 100, 200};
    // Opacity (u, v, 1) at the corners.
    float fOpacities[12] = {0, 0, 1, 1, 0, 1, 0, 1, 1, 1, 1, 1};
    float fKd[1] = {0.6f};
};

float bilinear(float u, float v) { return 1 + 2 * u + 4 * v + 4 * u * v; }

TEST_F(SplitArgsTest, CornerValuesAreInterpolatedAtTheChildCorners) {
    ArgList child = splitArgs(makeArgs(4), 0.25f, 0.75f, 0.5f, 1.0f);
    ASSERT_EQ(child.count(), 3);
    const ArgAssoc* height = child.find(kQuarkHeight);
    ASSERT_NE(height, nullptr);
    EXPECT_FLOAT_EQ(height->item(0)[0], bilinear(0.25f, 0.5f));
    EXPECT_FLOAT_EQ(height->item(1)[0], bilinear(0.75f, 0.5f));
    EXPECT_FLOAT_EQ(height->item(2)[0], bilinear(0.25f, 1.0f));
    EXPECT_FLOAT_EQ(height->item(3)[0], bilinear(0.75f, 1.0f));
    const ArgAssoc* opacity = child.find(kQuarkOpacity);
    ASSERT_NE(opacity, nullptr);
    EXPECT_FLOAT_EQ(opacity->item(1)[0], 0.75f);
    EXPECT_FLOAT_EQ(opacity->item(1)[1], 0.5f);
    EXPECT_FLOAT_EQ(opacity->item(1)[2], 1.0f);
}

TEST_F(SplitArgsTest, UniformValuesAndOtherCountsAreCopied) {
    ArgList child = splitArgs(makeArgs(6), 0.5f, 1.0f, 0.0f, 0.5f);
    const ArgAssoc* kd = child.find(kQuarkKd);
    ASSERT_NE(kd, nullptr);
    EXPECT_FLOAT_EQ(kd->item(0)[0], 0.6f);
    // Six control-vertex values are not corners: they stay as they were.
    const ArgAssoc* height = child.find(kQuarkHeight);
    ASSERT_NE(height, nullptr);
    ASSERT_EQ(height->items, 6);
    EXPECT_FLOAT_EQ(height->item(0)[0], 1.0f);
    EXPECT_FLOAT_EQ(height->item(5)[0], 200.0f);
}

} // namespace
