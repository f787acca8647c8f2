// The shaders' noise: its range, smoothness, lattice, periods and cells,
// and that every value is the same on every call and thread.
#include "renderer/shading/ShaderNoise.h"

#include "renderer/shading/ShaderMachine.h"
#include "tests/renderer/shading/ShaderRunSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <thread>
#include <vector>

using namespace quelmark;
using namespace quelmark::testing;

namespace {

constexpr int kSamples = 2000;

// Points spread over a few cells of the lattice, none on it.
std::array<float, 4> samplePosition(int index) {
    const float t = float(index) * 0.0137f;
    return {t * 3.1f - 7.3f, t * 1.7f + 0.21f, 5.3f - t * 2.3f, t * 0.9f + 11.7f};
}

TEST(ShaderNoise, StaysWithinZeroAndOneAroundAHalf) {
    for (std::size_t dimensions = 1; dimensions <= 4; ++dimensions) {
        double sum = 0;
        float lowest = 1, highest = 0;
        for (int index = 0; index < kSamples; ++index) {
            const auto position = samplePosition(index);
            const float value = gradientNoise(std::span(position.data(), dimensions), 0);
            lowest = std::min(lowest, value);
            highest = std::max(highest, value);
            sum += value;
        }
        EXPECT_GE(lowest, 0) << dimensions;
        EXPECT_LE(highest, 1) << dimensions;
        EXPECT_NEAR(sum / kSamples, 0.5, 0.06) << dimensions;
        // It does vary.
        EXPECT_GT(highest - lowest, 0.3f) << dimensions;
    }
}

TEST(ShaderNoise, IsAHalfAtTheLatticePoints) {
    for (const float x : {-3.0f, 0.0f, 2.0f, 17.0f}) {
        const std::array<float, 4> position = {x, x + 1, 2 * x, -x};
        for (std::size_t dimensions = 1; dimensions <= 4; ++dimensions)
            EXPECT_EQ(gradientNoise(std::span(position.data(), dimensions), 1), 0.5f);
    }
}

// A step of a thousandth of a cell changes the value by at most a few
// thousandths, across cell boundaries too.
TEST(ShaderNoise, SmallStepsMakeSmallChanges) {
    constexpr float kStep = 1e-3f;
    for (std::size_t dimensions = 1; dimensions <= 4; ++dimensions) {
        float largest = 0;
        for (int index = 0; index < kSamples; ++index) {
            auto position = samplePosition(index);
            const float before = gradientNoise(std::span(position.data(), dimensions), 0);
            for (std::size_t axis = 0; axis < dimensions; ++axis)
                position[axis] += kStep;
            const float after = gradientNoise(std::span(position.data(), dimensions), 0);
            largest = std::max(largest, std::fabs(after - before));
        }
        EXPECT_LT(largest, 0.01f) << dimensions;
    }
}

TEST(ShaderNoise, ChannelsAreIndependentNoises) {
    const std::array<float, 3> position = {0.3f, 1.7f, 2.2f};
    EXPECT_NE(gradientNoise(position, 0), gradientNoise(position, 1));
    EXPECT_NE(cellNoise(position, 0), cellNoise(position, 2));
}

TEST(ShaderNoise, PeriodicNoiseRepeatsEveryPeriod) {
    const std::array<float, 2> periods = {4, 3};
    for (int index = 0; index < 100; ++index) {
        const auto position = samplePosition(index);
        const std::array<float, 2> at = {position[0], position[1]};
        const std::array<float, 2> shifted = {position[0] + 8, position[1] - 3};
        EXPECT_NEAR(periodicGradientNoise(at, periods, 0),
                    periodicGradientNoise(shifted, periods, 0), 1e-4f);
    }
    // A period below one does not repeat: the plain noise.
    const std::array<float, 1> x = {2.6f};
    const std::array<float, 1> none = {0};
    EXPECT_EQ(periodicGradientNoise(x, none, 0), gradientNoise(x, 0));
}

TEST(ShaderNoise, CellNoiseIsConstantOverEachCell) {
    const std::array<float, 3> corner = {1.0f, -2.0f, 3.0f};
    const std::array<float, 3> inside = {1.99f, -1.01f, 3.5f};
    const std::array<float, 3> next = {2.0f, -2.0f, 3.0f};
    EXPECT_EQ(cellNoise(corner, 0), cellNoise(inside, 0));
    EXPECT_NE(cellNoise(corner, 0), cellNoise(next, 0));
    int distinct = 0;
    float previous = -1;
    for (int cell = 0; cell < 100; ++cell) {
        const std::array<float, 1> x = {float(cell) + 0.5f};
        const float value = cellNoise(x, 0);
        EXPECT_GE(value, 0);
        EXPECT_LT(value, 1);
        distinct += value != previous;
        previous = value;
    }
    EXPECT_EQ(distinct, 100);
}

TEST(ShaderNoise, EveryValueIsTheSameOnEveryThread) {
    const auto values = [] {
        std::vector<float> out;
        for (int index = 0; index < 200; ++index) {
            const auto position = samplePosition(index);
            out.push_back(gradientNoise(position, 0));
            out.push_back(cellNoise(position, 1));
            out.push_back(randomValue(7, std::uint64_t(index), 3, 0));
        }
        return out;
    };
    const std::vector<float> here = values();
    std::vector<float> there;
    std::thread other([&] { there = values(); });
    other.join();
    EXPECT_EQ(here, there);
}

TEST(ShaderNoise, RandomValuesDependOnSeedPointAndDraw) {
    const float value = randomValue(1, 2, 3, 0);
    EXPECT_GE(value, 0);
    EXPECT_LT(value, 1);
    EXPECT_EQ(randomValue(1, 2, 3, 0), value);
    EXPECT_NE(randomValue(2, 2, 3, 0), value);
    EXPECT_NE(randomValue(1, 3, 3, 0), value);
    EXPECT_NE(randomValue(1, 2, 4, 0), value);
}

// Through a shader: colour noise of P, a varying random value and a
// uniform one.
TEST(ShaderNoise, ShadersCallTheNoiseFamily) {
    ShaderText shader;
    const int P = shader.reg("global varying point 0 P");
    const int Ci = shader.reg("global varying color 0 Ci");
    const int Os = shader.reg("global varying color 0 Os");
    const int s = shader.reg("global varying float 0 s");
    const int t = shader.reg("global varying float 0 t");
    const int once = shader.reg("local uniform float 0 -");
    shader.call("noise", {Ci, P})
        .call("random", {s})
        .call("random", {once})
        .op("move", {t, once})
        .call("cellnoise", {Os, P});
    TestEnvironment environment(3, 0);
    environment.setVarying("P", {0.5f, 0.5f, 0.5f, 0.6f, 0.5f, 0.5f, 3.5f, 0, 0, 3.9f, 0.1f, 0.2f});
    environment.setEveryPoint("Ci", {0, 0, 0});
    environment.setEveryPoint("Os", {0, 0, 0});
    environment.setVarying("s", {0, 0, 0, 0});
    environment.setVarying("t", {0, 0, 0, 0});
    environment.seed = 11;
    ASSERT_EQ(runText(shader.text(), environment), ShaderRunResult::kFinished);
    for (const float value : environment.floats("Ci")) {
        EXPECT_GE(value, 0);
        EXPECT_LE(value, 1);
    }
    EXPECT_NE(environment.at("Ci", 0, 3, 0), environment.at("Ci", 0, 3, 1));
    // Cell noise: points 2 and 3 share a cell.
    EXPECT_EQ(environment.at("Os", 2, 3, 0), environment.at("Os", 3, 3, 0));
    const std::vector<float> s1 = environment.floats("s");
    EXPECT_NE(s1[0], s1[1]);
    EXPECT_EQ(environment.floats("t"), std::vector<float>(4, environment.at("t", 0)));
    // The same seed gives the same values again.
    ASSERT_EQ(runText(shader.text(), environment), ShaderRunResult::kFinished);
    EXPECT_EQ(environment.floats("s"), s1);
}

} // namespace
