#include "common/Color.h"

#include "ErrorCapture.h"
#include "common/ColorSpace.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

using namespace quelmark;

namespace {

void expectNear(const Color& expected, const Color& actual) {
    EXPECT_NEAR(expected.r, actual.r, 1e-6);
    EXPECT_NEAR(expected.g, actual.g, 1e-6);
    EXPECT_NEAR(expected.b, actual.b, 1e-6);
}

TEST(ColorArithmetic, ComponentwiseAndScalarOperators) {
    Color a(0.5f, 1, 2), b(2, 4, 0.5f);
    EXPECT_EQ(Color(2.5f, 5, 2.5f), a + b);
    EXPECT_EQ(Color(-1.5f, -3, 1.5f), a - b);
    EXPECT_EQ(Color(1, 4, 1), a * b);
    EXPECT_EQ(Color(1, 2, 4), a * 2.0f);
    EXPECT_EQ(Color(1, 2, 4), 2.0f * a);
    EXPECT_EQ(Color(0.25f, 0.5f, 1), a / 2.0f);
    EXPECT_EQ(Color(0.25f, 0.25f, 4), a / b);
    EXPECT_TRUE(a != b);
    const float rgb[3] = {0.1f, 0.2f, 0.3f};
    EXPECT_EQ(Color(0.1f, 0.2f, 0.3f), Color(rgb));
}

TEST(ColorArithmetic, Constants) {
    EXPECT_EQ(Color(0, 0, 0), gBlack);
    EXPECT_EQ(Color(1, 1, 1), gWhite);
}

TEST(ColorDivision, ByNearZeroReportsAndKeepsTheColor) {
    ErrorCapture errors;
    EXPECT_EQ(Color(1, 2, 3), Color(1, 2, 3) / 1e-12f);
    EXPECT_EQ(Color(1, 2, 3), Color(1, 2, 3) / Color(1, 1, 0));
    ASSERT_EQ(2u, errors.lines().size());
    EXPECT_EQ("error: Undefined mathematical operation. dividing color by zero", errors.lines()[0]);
    EXPECT_EQ("error: Undefined mathematical operation. dividing by zero color", errors.lines()[1]);
}

class ColorSamples : public ::testing::Test {
protected:
    void TearDown() override { useColorSpace(nullptr); }
};

TEST_F(ColorSamples, PlainRgbIsTheIdentity) {
    Color c(0.1f, 0.2f, 0.3f);
    float samples[3] = {};
    c.toNsamples(samples);
    EXPECT_EQ(0.1f, samples[0]);
    EXPECT_EQ(0.3f, samples[2]);
    EXPECT_EQ(0.2f, c.comp(1));
    c.setcomp(2, 0.9f);
    EXPECT_EQ(Color(0.1f, 0.2f, 0.9f), c);
    const float in[3] = {4, 5, 6};
    c.fromNsamples(in);
    EXPECT_EQ(Color(4, 5, 6), c);
}

TEST_F(ColorSamples, IndexOutOfRangeReportsAndReadsZero) {
    ErrorCapture errors;
    Color c(1, 1, 1);
    EXPECT_EQ(0, c.comp(3));
    c.setcomp(-1, 5);
    EXPECT_EQ(Color(1, 1, 1), c);
    ASSERT_EQ(2u, errors.lines().size());
    EXPECT_EQ("error: Parameter out of range. color component 3 out of range", errors.lines()[0]);
    EXPECT_EQ("error: Parameter out of range. color component -1 out of range", errors.lines()[1]);
}

// Two samples: s0 = r + g, s1 = b; back: r = g = s0 / 2, b = s1.
TEST_F(ColorSamples, ConvertsThroughTheCurrentSpace) {
    const float rgbToN[3 * 2] = {1, 0, 1, 0, 0, 1};
    const float nToRgb[2 * 3] = {0.5f, 0.5f, 0, 0, 0, 1};
    const ColorSpace twoSamples{false, 2, nToRgb, rgbToN};
    useColorSpace(&twoSamples);

    Color c(0.2f, 0.4f, 0.6f);
    float samples[2] = {};
    c.toNsamples(samples);
    EXPECT_NEAR(0.6f, samples[0], 1e-6);
    EXPECT_NEAR(0.6f, samples[1], 1e-6);
    EXPECT_NEAR(0.6f, c.comp(0), 1e-6);

    const float in[2] = {1, 0.5f};
    c.fromNsamples(in);
    EXPECT_EQ(Color(0.5f, 0.5f, 0.5f), c);

    c = Color(0.2f, 0.4f, 0.6f);
    c.setcomp(1, 2);
    expectNear(Color(0.3f, 0.3f, 2), c);

    ErrorCapture errors;
    EXPECT_EQ(0, c.comp(2));
    EXPECT_EQ(1u, errors.lines().size());
}

// Twenty samples that all copy red, averaged back into red.
TEST_F(ColorSamples, SetcompWorksForManySamples) {
    constexpr int n = 20;
    std::vector<float> rgbToN(3 * n, 0), nToRgb(3 * n, 0);
    for (int k = 0; k < n; ++k) {
        rgbToN[k] = 1;
        nToRgb[3 * k] = 1.0f / n;
    }
    const ColorSpace many{false, n, nToRgb.data(), rgbToN.data()};
    useColorSpace(&many);

    Color c(1, 7, 7);
    EXPECT_EQ(1, c.comp(19));
    c.setcomp(19, 21); // nineteen samples of 1 and one of 21
    expectNear(Color(2, 0, 0), c);
}

TEST_F(ColorSamples, NullRestoresPlainRgb) {
    const float matrix[3] = {1, 1, 1};
    const ColorSpace one{false, 1, matrix, matrix};
    useColorSpace(&one);
    EXPECT_EQ(1, currentColorSpace().samples);
    useColorSpace(nullptr);
    EXPECT_TRUE(currentColorSpace().plainRgb);
    EXPECT_EQ(3, Color(1, 2, 3).comp(2));
}

TEST(ColorPrinting, WritesComponentsInBrackets) {
    std::ostringstream out;
    out << Color(0.5f, 1, 0);
    EXPECT_EQ("[0.5, 1, 0]", out.str());
}

} // namespace
