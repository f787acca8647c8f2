#include "renderer/shading/ShadingFunctions.h"

#include "common/Random.h"
#include "tests/renderer/geometry/ErrorCapture.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace quelmark;

namespace {

void expectColor(const Color& c, float r, float g, float b)
{
    EXPECT_FLOAT_EQ(c.r, r);
    EXPECT_FLOAT_EQ(c.g, g);
    EXPECT_FLOAT_EQ(c.b, b);
}

void expectPoint(const Point& p, float x, float y, float z)
{
    EXPECT_FLOAT_EQ(p.x, x);
    EXPECT_FLOAT_EQ(p.y, y);
    EXPECT_FLOAT_EQ(p.z, z);
}

TEST(ShadingFunctionsTest, DivClampsOverflowingQuotients)
{
    EXPECT_FLOAT_EQ(div(1.0f, 0.0f), 1e38f);
    EXPECT_FLOAT_EQ(div(-1.0f, 0.0f), -1e38f);
    EXPECT_EQ(div(0.0f, 0.0f), 0.0f);
    EXPECT_FLOAT_EQ(div(1e30f, 1e-9f), 1e38f);
    EXPECT_FLOAT_EQ(div(1.0f, 0.5f), 2.0f);
    EXPECT_FLOAT_EQ(div(-6.0f, 3.0f), -2.0f);
    // The C library's integer division stays reachable beside it.
    EXPECT_EQ(std::div(7, 2).quot, 3);
}

TEST(ShadingFunctionsTest, SmoothstepIsACubicBetweenTheBounds)
{
    EXPECT_FLOAT_EQ(smoothstep(0, 1, 0.5f), 0.5f);
    EXPECT_FLOAT_EQ(smoothstep(1, 0, 0.5f), 0.5f);
    EXPECT_FLOAT_EQ(smoothstep(0, 2, 0.5f), 0.15625f);  // t = 1/4: 2.5 / 16
    EXPECT_FLOAT_EQ(smoothstep(2, 0, 0.5f), 0.15625f);
    EXPECT_EQ(smoothstep(0, 1, -0.1f), 0.0f);
    EXPECT_EQ(smoothstep(0, 1, 1.0f), 1.0f);
    EXPECT_EQ(smoothstep(3, 3, 3.0f), 1.0f);
}

TEST(ShadingFunctionsTest, SplinePassesThroughTheInnerKnots)
{
    const float bump[] = {0, 1, 0, 0, 0};
    EXPECT_FLOAT_EQ(spline(0.25f, 5, bump), 0.5625f);
    EXPECT_FLOAT_EQ(spline(0.0f, 5, bump), 1.0f);
    EXPECT_FLOAT_EQ(spline(-2.0f, 5, bump), 1.0f);
    EXPECT_FLOAT_EQ(spline(1.0f, 5, bump), 0.0f);
    // Catmull-Rom reproduces a straight line.
    const float ramp[] = {0, 1, 2, 3, 4};
    EXPECT_FLOAT_EQ(spline(0.25f, 5, ramp), 1.5f);
    EXPECT_FLOAT_EQ(spline(0.75f, 5, ramp), 2.5f);
    EXPECT_FLOAT_EQ(spline(0.9999999f, 5, ramp), 3.0f);
}

TEST(ShadingFunctionsTest, ColorAndPointSplinesWorkPerComponent)
{
    const Color colors[] = {{0, 0, 5}, {1, 1, 5}, {0, 2, 5}, {0, 3, 5}, {0, 4, 5}};
    expectColor(spline(0.25f, 5, colors), 0.5625f, 1.5f, 5.0f);
    const Point points[] = {{0, 0, -1}, {1, 1, -1}, {0, 2, -1}, {0, 3, -1}, {0, 4, -1}};
    expectPoint(spline(0.25f, 5, points), 0.5625f, 1.5f, -1.0f);
}

TEST(ShadingFunctionsTest, SplineOfTooFewKnotsReportsAndGivesTheFirst)
{
    ErrorCapture capture;
    const char* previousName = setErrorFuncName(nullptr);
    const float three[] = {7, 8, 9};
    EXPECT_FLOAT_EQ(spline(0.5f, 3, three), 7.0f);
    EXPECT_FLOAT_EQ(spline(0.5f, 0, static_cast<const float*>(nullptr)), 0.0f);
    const Point points[] = {{1, 2, 3}, {4, 5, 6}};
    expectPoint(spline(0.5f, 2, points), 1, 2, 3);
    setErrorFuncName(previousName);

    ASSERT_EQ(capture.lines().size(), 3u);
    EXPECT_EQ(capture.lines()[0],
              "error: Parameter out of range. Catmull-Rom splines require at least 4 control points");
}

TEST(ShadingFunctionsTest, InterpolationFamily)
{
    EXPECT_FLOAT_EQ(lerp(0.25f, 2.0f, 6.0f), 3.0f);
    // Corners 0, 4 (u = 1), 8 (v = 1), 12.
    EXPECT_FLOAT_EQ(bilerp(0.5f, 0.25f, 0, 4, 8, 12), 4.0f);
    EXPECT_FLOAT_EQ(trilerp(0.5f, 0.25f, 0.5f, 0, 4, 8, 12, 100, 104, 108, 112), 54.0f);
    EXPECT_FLOAT_EQ(barylerp(0, 0, 1, 2, 5), 1.0f);
    EXPECT_FLOAT_EQ(barylerp(1, 0, 1, 2, 5), 2.0f);
    EXPECT_FLOAT_EQ(barylerp(0, 1, 1, 2, 5), 5.0f);
    EXPECT_FLOAT_EQ(barylerp(1, 1, 1, 2, 5), 6.0f);
    EXPECT_FLOAT_EQ(barylerp(0.25f, 0.5f, 1, 2, 5), 3.25f);  // 1 + 0.25 * 1 + 0.5 * 4
}

TEST(ShadingFunctionsTest, ColorAndPointInterpolation)
{
    Color ca(0, 1, 2), cb(4, 1, 0), cc(0, 9, 2), cd(4, 9, 0);
    expectColor(lerp(0.5f, ca, cb), 2, 1, 1);
    expectColor(bilerp(0.25f, 0.5f, ca, cb, cc, cd), 1, 5, 1.5f);
    expectColor(trilerp(0.25f, 0.5f, 1, ca, cb, cc, cd, cb, cb, cb, cb), 4, 1, 0);
    expectColor(barylerp(1, 0, ca, cb, cc), 4, 1, 0);
    expectColor(barylerp(0, 1, ca, cb, cc), 0, 9, 2);

    Point pa(1, 0, 0), pb(3, 0, 2), pc(1, 4, 0);
    expectPoint(lerp(0.25f, pa, pb), 1.5f, 0, 0.5f);
    expectPoint(bilerp(0, 1, pa, pb, pc, pb), 1, 4, 0);
    expectPoint(trilerp(1, 1, 0, pa, pa, pa, pb, pc, pc, pc, pc), 3, 0, 2);
    expectPoint(barylerp(0, 0, pa, pb, pc), 1, 0, 0);
    expectPoint(barylerp(1, 0, pa, pb, pc), 3, 0, 2);
    expectPoint(barylerp(0, 1, pa, pb, pc), 1, 4, 0);
    EXPECT_FLOAT_EQ(depth(Point(1, 2, -3.5f)), -3.5f);
}

TEST(ShadingFunctionsTest, RandomComponentsComeFromConsecutiveDraws)
{
    RandomStream reference(42);
    float d[3];
    for (float& draw : d) draw = float(reference.next()) / 32767.0f;
    RandomStream forColor(42), forPoint(42);
    expectColor(randomc(forColor), d[2], d[1], d[0]);
    expectPoint(randomp(forPoint), d[0], d[1], d[2]);
}

TEST(NoiseTest, IsOneHalfAtLatticePoints)
{
    for (float x : {-3.0f, 0.0f, 1.0f, 7.0f, 300.0f}) EXPECT_EQ(noise(x), 0.5f) << x;
    EXPECT_EQ(noise(0.0f, 0.0f), 0.5f);
    EXPECT_EQ(noise(2.0f, -5.0f), 0.5f);
    EXPECT_EQ(noise(Point(1, 2, 3)), 0.5f);
    EXPECT_EQ(noise(Point(-4, 0, 9)), 0.5f);
}

// Unit gradients bound the raw noise by sqrt(dimension) / 2, scaled by 0.75.
TEST(NoiseTest, StaysWithinTheBoundOfUnitGradients)
{
    const float bound1 = 0.75f * 0.5f;
    const float bound2 = 0.75f * std::sqrt(2.0f) / 2;
    const float bound3 = 0.75f * std::sqrt(3.0f) / 2;
    float lowest = 1, highest = 0;
    for (int i = 0; i < 2000; ++i) {
        float x = -20.0f + 0.0371f * float(i);
        float y = 3.0f - 0.0173f * float(i);
        float z = 0.0529f * float(i);
        ASSERT_LE(std::fabs(noise(x) - 0.5f), bound1) << x;
        ASSERT_LE(std::fabs(noise(x, y) - 0.5f), bound2) << x << ' ' << y;
        float n3 = noise(Point(x, y, z));
        ASSERT_LE(std::fabs(n3 - 0.5f), bound3) << x << ' ' << y << ' ' << z;
        lowest = std::min(lowest, n3);
        highest = std::max(highest, n3);
    }
    EXPECT_LT(lowest, 0.3f);
    EXPECT_GT(highest, 0.7f);

    // Far below the lattice shift of 10000 the cells are still whole.
    EXPECT_EQ(noise(-20000.0f), 0.5f);
    for (float x : {-20000.5f, -12345.25f, -10000.75f}) {
        EXPECT_LE(std::fabs(noise(x) - 0.5f), bound1) << x;
        EXPECT_LE(std::fabs(noise(Point(x, x, x)) - 0.5f), bound3) << x;
    }
}

// At a lattice point the 3-D noise's slope is 0.75 times that point's unit
// gradient; in fewer dimensions only part of the gradient shows.
TEST(NoiseTest, SlopeAtLatticePointsIsThreeQuartersOfAUnitGradient)
{
    const float h = 1.0f / 256;
    for (Point P : {Point(0, 0, 0), Point(5, -2, 11), Point(-7, 30, 2)}) {
        Point slope((noise(P + Point(h, 0, 0)) - noise(P - Point(h, 0, 0))) / (2 * h),
                    (noise(P + Point(0, h, 0)) - noise(P - Point(0, h, 0))) / (2 * h),
                    (noise(P + Point(0, 0, h)) - noise(P - Point(0, 0, h))) / (2 * h));
        EXPECT_NEAR(length(slope), 0.75f, 0.02f) << P;
    }
    for (float x : {0.0f, 4.0f, -9.0f}) {
        float slope = (noise(x + h) - noise(x - h)) / (2 * h);
        EXPECT_LE(std::fabs(slope), 0.76f) << x;
    }
}

TEST(NoiseTest, VectorNoisesShiftEveryCoordinate)
{
    const float x = 0.3f, y = -1.7f;
    Color c = noisec(x, y);
    EXPECT_EQ(c.r, noise(x, y));
    EXPECT_EQ(c.g, noise(x + 123.456f, y + 123.456f));
    EXPECT_EQ(c.b, noise(x + 456.789f, y + 456.789f));
    Point p = noisep(x, y);
    EXPECT_EQ(p.x, c.r);
    EXPECT_EQ(p.y, c.g);
    EXPECT_EQ(p.z, c.b);

    Point P(0.3f, -1.7f, 2.2f);
    Color cP = noisec(P);
    EXPECT_EQ(cP.r, noise(P));
    EXPECT_EQ(cP.g, noise(Point(P.x + 123.456f, P.y + 123.456f, P.z + 123.456f)));
    EXPECT_EQ(cP.b, noise(Point(P.x + 456.789f, P.y + 456.789f, P.z + 456.789f)));
    Point pP = noisep(P);
    EXPECT_EQ(pP.x, cP.r);
    EXPECT_EQ(pP.y, cP.g);
    EXPECT_EQ(pP.z, cP.b);
    EXPECT_NE(cP.r, cP.g);
}

} // namespace
