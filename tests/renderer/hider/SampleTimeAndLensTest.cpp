#include "renderer/hider/SampleTimeAndLens.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

using namespace quelmark;

namespace {

// The samples of each pixel-wide block, wherever it lies (negative indices
// too), take each stratum of the shutter once and each cell of the lens
// once, and land on the unit disk.
TEST(SampleTimeAndLensTest, EachBlockSharesTheShutterAndTheLensOut) {
    const int across = 3, down = 2, n = across * down;
    for (long bi : {-7L, -1L, 0L, 5L})
        for (long bj : {-3L, 0L, 11L}) {
            std::vector<int> strata, rings, sectors;
            for (long dj = 0; dj < down; ++dj)
                for (long di = 0; di < across; ++di) {
                    const TimeAndLens drawn =
                        timeAndLensOf(bi * across + di, bj * down + dj, across, down);
                    ASSERT_GE(drawn.shutter, 0.0f);
                    ASSERT_LT(drawn.shutter, 1.0f);
                    strata.push_back(int(drawn.shutter * n));
                    const float r = std::hypot(drawn.u, drawn.v);
                    ASSERT_LE(r, 1.0f + 1e-6f);
                    // Radius √a: ring k of `across` holds r² from k/across on.
                    rings.push_back(std::min(int(r * r * across), across - 1));
                    float angle = std::atan2(drawn.v, drawn.u);
                    if (angle < 0) angle += 2.0f * std::numbers::pi_v<float>;
                    sectors.push_back(
                        std::min(int(angle / (2.0f * std::numbers::pi_v<float>)*down), down - 1));
                }
            std::vector<int> sorted = strata;
            std::sort(sorted.begin(), sorted.end());
            for (int k = 0; k < n; ++k)
                EXPECT_EQ(sorted[size_t(k)], k) << bi << ", " << bj;
            std::vector<int> cells;
            for (size_t k = 0; k < rings.size(); ++k)
                cells.push_back(rings[k] + across * sectors[k]);
            std::sort(cells.begin(), cells.end());
            for (int k = 0; k < n; ++k)
                EXPECT_EQ(cells[size_t(k)], k) << bi << ", " << bj;
        }
}

TEST(SampleTimeAndLensTest, ThePolarMapKeepsAreas) {
    float u, v;
    squareToDisk(0.25f, 0.25f, u, v); // radius 1/2, a quarter turn
    EXPECT_NEAR(u, 0.0f, 1e-6f);
    EXPECT_NEAR(v, 0.5f, 1e-6f);
    squareToDisk(1.0f, 0.5f, u, v);
    EXPECT_NEAR(u, -1.0f, 1e-6f);
    EXPECT_NEAR(v, 0.0f, 1e-6f);
}

} // namespace
