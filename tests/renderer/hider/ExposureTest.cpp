#include "renderer/hider/Exposure.h"

#include <gtest/gtest.h>

#include <set>

using namespace quelmark;

namespace {

TEST(ExposeTest, GainThenPowerKeepsTheSign) {
    Color c(0.125f, -0.125f, 0.0f);
    expose(c, 2.0f, 0.5f); // gain 2, gamma 2
    EXPECT_FLOAT_EQ(c.r, 0.5f);
    EXPECT_FLOAT_EQ(c.g, -0.5f);
    EXPECT_FLOAT_EQ(c.b, 0.0f);
}

TEST(QuantizeTest, RoundsAndClampsWithoutJitter) {
    EXPECT_EQ(quantize(0.5f, 255, 0, 255, 0), 128); // 127.5 rounds up
    EXPECT_EQ(quantize(1.2f, 255, 0, 255, 0), 255);
    EXPECT_EQ(quantize(-0.1f, 255, 0, 255, 0), 0);
    EXPECT_EQ(quantize(0.2f, 255, 0, 255, 0), 51);
}

TEST(QuantizeTest, HalvesRoundAwayFromZero) {
    EXPECT_EQ(quantize(2.5f, 1, -10, 10, 0), 3);
    EXPECT_EQ(quantize(-2.5f, 1, -10, 10, 0), -3);
    EXPECT_EQ(quantize(-2.4f, 1, -10, 10, 0), -2);
}

// 0.5 dithered by at most ±0.4 lies in [0.1, 0.9]: it rounds to 0 or 1.
TEST(QuantizeTest, JitterDithersWithinItsAmplitude) {
    std::set<int32_t> seen;
    for (int i = 0; i <= 200; ++i) seen.insert(quantize(0.5f, 1, -10, 10, 0.4f, float(i) / 200));
    EXPECT_EQ(seen, (std::set<int32_t>{0, 1}));
    // The draw's extremes: 0.5 - 0.4 = 0.1 and 0.5 + 0.4 = 0.9.
    EXPECT_EQ(quantize(0.5f, 1, -10, 10, 0.4f, 0.0f), 0);
    EXPECT_EQ(quantize(0.5f, 1, -10, 10, 0.4f, 1.0f), 1);
    EXPECT_EQ(quantize(0.2f, 1, -10, 10, 0.4f, 1.0f), 1); // 0.2 + 0.4 rounds up
}

} // namespace
