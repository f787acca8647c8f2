// Shading-language source compiled and run over a row of points: the
// compiler's loops, returns, conditionals and inlined functions must give
// each point the value worked out by hand for it.
#include "tests/renderer/shading/CompiledShaderSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace quelmark;
using namespace quelmark::testing;

namespace {

constexpr int kRowCells = 7;

// u = 0, 1/7, ..., 1 over eight points.
TestEnvironment rowOfPoints() {
    TestEnvironment environment(kRowCells, 0);
    std::vector<float> u;
    for (int point = 0; point <= kRowCells; ++point)
        u.push_back(float(point) / kRowCells);
    environment.setVarying("u", u, true);
    environment.setEveryPoint("Ci", {0, 0, 0});
    environment.setEveryPoint("Oi", {0, 0, 0});
    return environment;
}

// The first component of Ci at every point.
std::vector<float> red(TestEnvironment& environment) {
    std::vector<float> values;
    for (int point = 0; point < environment.points(); ++point)
        values.push_back(environment.at("Ci", point, 3, 0));
    return values;
}

std::vector<float> expectedOverU(float (*valueAt)(int point)) {
    std::vector<float> values;
    for (int point = 0; point <= kRowCells; ++point)
        values.push_back(valueAt(point));
    return values;
}

} // namespace

// ---------------------------------------------------------------------------
// Loops

// The even numbers below 10 up to the point's limit 7u + 1 (break), odd ones
// skipped (continue), with the step still taken after each continue.
TEST(CompiledShaderLoops, ForWithContinueAndBreakAtEachPointsOwnRound) {
    TestEnvironment environment = rowOfPoints();
    ASSERT_TRUE(compileAndRun(R"(
        surface sums() {
            float limit = 7 * u + 1, sum = 0, i;
            for (i = 0; i < 10; i += 1) {
                if (mod(i, 2) == 1) continue;
                if (i > limit) break;
                sum += i;
            }
            Ci = color(sum, i, 0);
        })",
                              environment));
    EXPECT_EQ(red(environment), expectedOverU([](int point) {
                  float sum = 0;
                  for (int i = 0; i < 10; i += 2)
                      if (float(i) <= float(point) + 1) sum += float(i);
                  return sum;
              }));
}

// A while loop inside a for loop: break 2 is not in the language, so the
// inner loop's break leaves it alone and the outer loop goes on.
TEST(CompiledShaderLoops, NestedLoopsCountTheirOwnRounds) {
    TestEnvironment environment = rowOfPoints();
    ASSERT_TRUE(compileAndRun(R"(
        surface nested() {
            float n = 7 * u, rounds = 0, i, j;
            for (i = 0; i < 3; i += 1) {
                j = 0;
                while (1) {
                    if (j >= n) break;
                    rounds += 1;
                    j += 1;
                }
            }
            Ci = rounds;
        })",
                              environment));
    EXPECT_EQ(red(environment), expectedOverU([](int point) { return 3.0f * float(point); }));
}

// ---------------------------------------------------------------------------
// Functions

// A function returning from inside an if at some points and at its end at
// the others, with an output parameter written on both paths.
TEST(CompiledShaderFunctions, ReturnsAtDifferentPointsKeepTheirValues) {
    TestEnvironment environment = rowOfPoints();
    ASSERT_TRUE(compileAndRun(R"(
        float stepped(float x; output float calls) {
            calls += 1;
            if (x < 0.5) return -x;
            calls += 10;
            return x * x;
        }
        surface f() {
            float calls = 0;
            float first = stepped(u, calls);
            float second = stepped(1 - u, calls);
            Ci = color(first + second, calls, 0);
        })",
                              environment));
    for (int point = 0; point <= kRowCells; ++point) {
        const float u = float(point) / kRowCells;
        const auto stepped = [](float x, float& calls) {
            calls += 1;
            if (x < 0.5f) return -x;
            calls += 10;
            return x * x;
        };
        float calls = 0;
        const float first = stepped(u, calls);
        const float second = stepped(1 - u, calls);
        EXPECT_FLOAT_EQ(environment.at("Ci", point, 3, 0), first + second) << "point " << point;
        EXPECT_EQ(environment.at("Ci", point, 3, 1), calls) << "point " << point;
    }
}

// A recursive-looking chain of inlined functions, one calling the next.
TEST(CompiledShaderFunctions, FunctionsCallFunctions) {
    TestEnvironment environment = rowOfPoints();
    ASSERT_TRUE(compileAndRun(R"(
        float square(float x) { return x * x; }
        float sumOfSquares(float a, b) { return square(a) + square(b); }
        surface g() { Ci = sumOfSquares(u, 2 * u); })",
                              environment));
    EXPECT_EQ(red(environment), expectedOverU([](int point) {
                  const float u = float(point) / kRowCells;
                  return u * u + (2 * u) * (2 * u);
              }));
}

// ---------------------------------------------------------------------------
// Conditionals

// ?: chooses per point; && and || run their right side (which counts its
// runs) only at the points where the left side does not decide.
TEST(CompiledShaderConditionals, ChoicesAndShortCircuits) {
    TestEnvironment environment = rowOfPoints();
    ASSERT_TRUE(compileAndRun(R"(
        float counted(output float runs) { runs += 1; return 1; }
        surface choose() {
            float k = floor(7 * u + 0.5);
            float chosen = k < 3 ? k * 10 : -k;
            float runs = 0;
            if (k < 3 && counted(runs) > 0) runs += 100;
            if (k < 5 || counted(runs) > 0) runs += 1000;
            Ci = color(chosen, runs, 0);
        })",
                              environment));
    for (int point = 0; point <= kRowCells; ++point) {
        const float k = float(point);
        const float runs = (k < 3 ? 101.0f : 0.0f) + (k < 5 ? 1000.0f : 1001.0f);
        EXPECT_EQ(environment.at("Ci", point, 3, 0), k < 3 ? k * 10 : -k) << "point " << point;
        EXPECT_EQ(environment.at("Ci", point, 3, 1), runs) << "point " << point;
    }
}

// ---------------------------------------------------------------------------
// Parameters

// A default folded by the compiler holds where the scene gives nothing; the
// scene's value replaces it.
TEST(CompiledShaderParameters, DefaultsAndTheScenesValues) {
    const std::string source = R"(
        surface scaled(float Kd = 2 * sqrt(4); color tint = color(1, 0.5, 0.25)) {
            Ci = Kd * tint;
        })";
    TestEnvironment defaults = rowOfPoints();
    ASSERT_TRUE(compileAndRun(source, defaults));
    EXPECT_EQ(defaults.at("Ci", 0, 3, 0), 4.0f);
    EXPECT_EQ(defaults.at("Ci", 0, 3, 2), 1.0f);

    TestEnvironment given = rowOfPoints();
    given.parameters["Kd"] = TestValue{.floats = {3}, .strings = {}};
    ASSERT_TRUE(compileAndRun(source, given));
    EXPECT_EQ(given.at("Ci", kRowCells, 3, 1), 1.5f);
}

// A default that reads another parameter, and one given in a space, run
// only where the scene leaves their parameter unset.
TEST(CompiledShaderParameters, ComputedDefaultsRunOnlyForUnsetParameters) {
    const std::string source = R"(
        surface computed(float a = 2; float b = a * 3;
                         point from = point "shader" (1, 2, 3)) {
            Ci = color(a, b, 0);
            Oi = color(xcomp(from), ycomp(from), zcomp(from));
        })";
    // The shader's space moves everything by (10, 20, 30).
    ShaderMatrix shaderToCurrent{};
    for (int k = 0; k < 4; ++k)
        shaderToCurrent[std::size_t(k * 5)] = 1;
    shaderToCurrent[12] = 10;
    shaderToCurrent[13] = 20;
    shaderToCurrent[14] = 30;

    TestEnvironment defaults = rowOfPoints();
    defaults.spaces["shader"] = shaderToCurrent;
    ASSERT_TRUE(compileAndRun(source, defaults));
    EXPECT_EQ(defaults.at("Ci", 0, 3, 0), 2.0f);
    EXPECT_EQ(defaults.at("Ci", 0, 3, 1), 6.0f);
    EXPECT_EQ(defaults.at("Oi", 3, 3, 0), 11.0f);
    EXPECT_EQ(defaults.at("Oi", 3, 3, 2), 33.0f);

    TestEnvironment givenA = rowOfPoints();
    givenA.spaces["shader"] = shaderToCurrent;
    givenA.parameters["a"] = TestValue{.floats = {5}, .strings = {}};
    ASSERT_TRUE(compileAndRun(source, givenA));
    EXPECT_EQ(givenA.at("Ci", 0, 3, 1), 15.0f);

    TestEnvironment givenBoth = rowOfPoints();
    givenBoth.spaces["shader"] = shaderToCurrent;
    givenBoth.parameters["b"] = TestValue{.floats = {-1}, .strings = {}};
    givenBoth.parameters["from"] = TestValue{.floats = {7, 8, 9}, .strings = {}};
    ASSERT_TRUE(compileAndRun(source, givenBoth));
    EXPECT_EQ(givenBoth.at("Ci", 0, 3, 0), 2.0f);
    EXPECT_EQ(givenBoth.at("Ci", 0, 3, 1), -1.0f);
    EXPECT_EQ(givenBoth.at("Oi", 0, 3, 1), 8.0f);
}

// The renderer traces no rays: what a ray sees is black.
TEST(CompiledShaderLibrary, TraceIsBlack) {
    TestEnvironment environment = rowOfPoints();
    ASSERT_TRUE(compileAndRun(R"(
        surface mirror() {
            Ci = 1;
            Ci = 0.5 + trace(point(0, 0, 0), vector(0, 0, 1));
        })",
                              environment));
    EXPECT_EQ(red(environment), std::vector<float>(kRowCells + 1, 0.5f));
}
