// The filters RIB scenes choose, against their closed forms.
#include "api/qel.h"
#include "common/Filter.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The Mitchell-Netravali cubic with B = C = 1/3 at 0, 1/2, 1 and 3/2:
// 16/18, 77/144, 1/18 and -5/144 (and 0 from 2 on).
TEST(RibFilters, MitchellIsTheCubicStretchedOverTheWidth) {
    const float w = 4.0f; // x = 1 is the cubic at 1
    EXPECT_FLOAT_EQ(qelMitchellFilter(0, 0, w, w), (16.0f / 18) * (16.0f / 18));
    EXPECT_FLOAT_EQ(qelMitchellFilter(0.5f, 0, w, w), (77.0f / 144) * (16.0f / 18));
    EXPECT_NEAR(qelMitchellFilter(1, 1, w, w), (1.0f / 18) * (1.0f / 18), 1e-6f);
    EXPECT_NEAR(qelMitchellFilter(1.5f, 0, w, w), (-5.0f / 144) * (16.0f / 18), 1e-6f);
    EXPECT_FLOAT_EQ(qelMitchellFilter(2, 0, w, w), 0.0f);
    EXPECT_FLOAT_EQ(qelMitchellFilter(0, 2.5f, w, w), 0.0f);
    // a narrower filter is the same cubic over half the distance
    EXPECT_FLOAT_EQ(qelMitchellFilter(0.25f, 0, 2, 2), qelMitchellFilter(0.5f, 0, 4, 4));
}

// RIB's gaussian: exp(-2 (x'² + y'²)) with x' = 2x / xwidth.
TEST(RibFilters, NarrowGaussianFallsToEToTheMinusTwoAtHalfTheWidth) {
    EXPECT_FLOAT_EQ(qelNarrowGaussianFilter(0, 0, 2, 2), 1.0f);
    EXPECT_FLOAT_EQ(qelNarrowGaussianFilter(0.5f, 0, 2, 2), std::exp(-0.5f));
    EXPECT_FLOAT_EQ(qelNarrowGaussianFilter(1, 0, 2, 2), std::exp(-2.0f));
    EXPECT_FLOAT_EQ(qelNarrowGaussianFilter(1, 1, 4, 2), std::exp(-2.5f));
    EXPECT_FLOAT_EQ(qelNarrowGaussianFilter(1.1f, 0, 2, 2), 0.0f);
    // narrower than the scene API's own gaussian of the same width
    EXPECT_LT(qelNarrowGaussianFilter(0.7f, 0, 2, 2) / qelNarrowGaussianFilter(0, 0, 2, 2),
              qelGaussianFilter(0.7f, 0, 2, 2) / qelGaussianFilter(0, 0, 2, 2));
}

// Box, gaussian, mitchell and the narrow gaussian are a weight along x
// times one along y: the product matches the filter everywhere, support
// edges included.
TEST(SeparableFilters, TheProductOfTheAxesIsTheFilter) {
    const qelFilterFunc filters[] = {qelBoxFilter, qelGaussianFilter, qelMitchellFilter,
                                     qelNarrowGaussianFilter};
    const float widths[][2] = {{2, 2}, {4, 3}, {1, 5}};
    for (qelFilterFunc filter : filters)
        for (const auto& width : widths) {
            quelmark::SeparableFilter separable;
            ASSERT_TRUE(separable.prepare(filter, width[0], width[1]));
            for (float x = -3.0f; x <= 3.0f; x += 0.125f)
                for (float y = -3.0f; y <= 3.0f; y += 0.125f) {
                    float expected = filter(x, y, width[0], width[1]);
                    float product = separable.scale() * separable.alongX(x) * separable.alongY(y);
                    EXPECT_NEAR(product, expected, 2e-6f * std::fmax(1.0f, std::fabs(expected)))
                        << "at " << x << ", " << y << " width " << width[0] << " by " << width[1];
                }
        }
}

float customFilter(float x, float y, float, float) { return 1.0f / (1.0f + x * x + y * y); }

TEST(SeparableFilters, OthersAreNot) {
    quelmark::SeparableFilter separable;
    EXPECT_FALSE(separable.prepare(qelTriangleFilter, 2, 2));
    EXPECT_FALSE(separable.prepare(qelCatmullRomFilter, 2, 2));
    EXPECT_FALSE(separable.prepare(qelSincFilter, 2, 2));
    EXPECT_FALSE(separable.prepare(customFilter, 2, 2));
}

} // namespace
