#include "common/Point.h"

#include "ErrorCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

using namespace quelmark;

namespace {

void expectNear(const Point& expected, const Point& actual, float tolerance = 1e-6f) {
    EXPECT_NEAR(expected.x, actual.x, tolerance);
    EXPECT_NEAR(expected.y, actual.y, tolerance);
    EXPECT_NEAR(expected.z, actual.z, tolerance);
}

TEST(PointArithmetic, ComponentwiseAndScalarOperators) {
    Point a(1, 2, 3), b(4, -5, 0.5f);
    EXPECT_EQ(Point(5, -3, 3.5f), a + b);
    EXPECT_EQ(Point(-3, 7, 2.5f), a - b);
    EXPECT_EQ(Point(4, -10, 1.5f), a * b);
    EXPECT_EQ(Point(2, 4, 6), a * 2.0f);
    EXPECT_EQ(Point(2, 4, 6), 2.0f * a);
    EXPECT_EQ(Point(0.5f, 1, 1.5f), a / 2.0f);
    EXPECT_EQ(Point(0.25f, -0.4f, 6), a / b);
    EXPECT_EQ(Point(-1, -2, -3), -a);
    EXPECT_TRUE(a != b);
    EXPECT_FALSE(a == Point(1, 2, 3.0001f));
}

TEST(PointArithmetic, CrossProductFollowsTheRightHandRule) {
    EXPECT_EQ(Point(0, 0, 1), Point(1, 0, 0) ^ Point(0, 1, 0));
    EXPECT_EQ(Point(1, 0, 0), Point(0, 1, 0) ^ Point(0, 0, 1));
    // (1,2,3) x (4,5,6) = (2*6 - 3*5, 3*4 - 1*6, 1*5 - 2*4)
    Point a(1, 2, 3);
    a ^= Point(4, 5, 6);
    EXPECT_EQ(Point(-3, 6, -3), a);
}

TEST(PointArithmetic, ConstructionFromPointwDividesByW) {
    EXPECT_EQ(Point(1, 2, 3), Point(Pointw(2, 4, 6, 2)));
    EXPECT_EQ(Point(2, 4, 6), Point(Pointw(2, 4, 6, 0)));
    const float xyz[3] = {7, 8, 9};
    EXPECT_EQ(Point(7, 8, 9), Point(xyz));
}

TEST(PointDivision, ByNearZeroFloatReportsOnceAndKeepsThePoint) {
    ErrorCapture errors;
    EXPECT_EQ(Point(1, 2, 3), Point(1, 2, 3) / 0.0f);
    ASSERT_EQ(1u, errors.lines().size());
    EXPECT_EQ("error: Undefined mathematical operation. dividing point by zero", errors.lines()[0]);

    Point p(1, 2, 3);
    p /= 1e-11f;
    EXPECT_EQ(Point(1, 2, 3), p);
    EXPECT_EQ(2u, errors.lines().size());
}

TEST(PointDivision, ByPointWithNearZeroComponentReports) {
    ErrorCapture errors;
    EXPECT_EQ(Point(1, 2, 3), Point(1, 2, 3) / Point(1, 0, 1));
    ASSERT_EQ(1u, errors.lines().size());
    EXPECT_EQ("error: Undefined mathematical operation. dividing by zero point", errors.lines()[0]);
}

TEST(PointFunctions, DotLengthDistance) {
    EXPECT_FLOAT_EQ(32, dot(Point(1, 2, 3), Point(4, 5, 6)));
    EXPECT_FLOAT_EQ(5, length(Point(3, 0, 4)));
    EXPECT_FLOAT_EQ(13, distance(Point(1, 1, 1), Point(4, 5, 13)));
}

TEST(PointFunctions, NormalizeGivesUnitLengthAndLeavesZeroAlone) {
    expectNear(Point(0.6f, 0, -0.8f), normalize(Point(3, 0, -4)));
    ErrorCapture errors;
    EXPECT_EQ(Point(0, 0, 0), normalize(Point(0, 0, 0)));
    EXPECT_TRUE(errors.lines().empty());
}

TEST(PointFunctions, FaceforwardTurnsAgainstTheIncidentDirection) {
    Point N(0, 0, 1);
    EXPECT_EQ(Point(0, 0, 1), faceforward(N, Point(0, 0, -1), N));
    EXPECT_EQ(Point(0, 0, -1), faceforward(N, Point(0.3f, 0, 1), N));
    EXPECT_EQ(Point(0, 0, 0), faceforward(N, Point(1, 0, 0), N));
}

TEST(PointFunctions, ReflectMirrorsAboutTheNormal) {
    EXPECT_EQ(Point(1, 1, 0), reflect(Point(1, -1, 0), Point(0, 1, 0)));
    EXPECT_EQ(Point(0, 0, 2), reflect(Point(0, 0, -2), Point(0, 0, 1)));
}

TEST(PointFunctions, RefractFollowsSnellsLaw) {
    // 30 degrees incidence into glass: sin t = sin 30 / 1.5 = 1/3, cos t = sqrt(8/9).
    Point I(0.5f, -std::sqrt(3.0f) / 2, 0);
    Point T = refract(I, Point(0, 1, 0), 1 / 1.5f);
    expectNear(Point(1.0f / 3, -std::sqrt(8.0f / 9), 0), T);
    EXPECT_NEAR(1, length(T), 1e-6);
}

TEST(PointFunctions, RefractBeyondTheCriticalAngleGivesZero) {
    // From glass at 60 degrees: 1.5 sin 60 > 1.
    Point I(std::sqrt(3.0f) / 2, -0.5f, 0);
    EXPECT_EQ(Point(0, 0, 0), refract(I, Point(0, 1, 0), 1.5f));
}

TEST(PointFunctions, FresnelMatchesTheDielectricEquations) {
    float Kr = 0, Kt = 0;
    // Normal incidence into glass: ((n - 1) / (n + 1))^2 = 0.04.
    fresnel(Point(0, 0, -1), Point(0, 0, 1), 1 / 1.5f, Kr, Kt);
    EXPECT_NEAR(0.04f, Kr, 1e-6);
    EXPECT_NEAR(0.96f, Kt, 1e-6);
    // 45 degrees: the mean of Rs = 0.0920134 and Rp = 0.0084664; I is not unit length.
    fresnel(Point(3, -3, 0), Point(0, 1, 0), 1 / 1.5f, Kr, Kt);
    EXPECT_NEAR(0.0502399f, Kr, 1e-6);
    EXPECT_NEAR(1 - 0.0502399f, Kt, 1e-6);
    // Total internal reflection leaving glass at 60 degrees.
    fresnel(Point(std::sqrt(3.0f) / 2, -0.5f, 0), Point(0, 1, 0), 1.5f, Kr, Kt);
    EXPECT_EQ(1, Kr);
    EXPECT_EQ(0, Kt);
}

TEST(PointFunctions, HomogenizeDividesByW) {
    float x = 2, y = 4, z = -6;
    homogenize(x, y, z, 2);
    EXPECT_EQ(Point(1, 2, -3), Point(x, y, z));
    homogenize(x, y, z, 0);
    EXPECT_EQ(Point(1, 2, -3), Point(x, y, z));

    Pointw p(3, 6, 9, 3);
    homogenize(p);
    EXPECT_EQ(Pointw(1, 2, 3, 1), p);
}

TEST(PointFunctions, PointwArithmetic) {
    EXPECT_EQ(Pointw(4, 6, 8, 2), Pointw(1, 2, 3, 1) + Pointw(3, 4, 5, 1));
    EXPECT_EQ(Pointw(-2, -2, -2, 0), Pointw(1, 2, 3, 1) - Pointw(3, 4, 5, 1));
    EXPECT_EQ(Pointw(2, 4, 6, 2), Pointw(1, 2, 3, 1) * 2.0f);
    EXPECT_EQ(Pointw(0, 0, 0, 1), Pointw());
    EXPECT_EQ(Pointw(1, 2, 3, 5), Pointw(Point(1, 2, 3), 5));
}

TEST(PointFunctions, NonFiniteInputsDoNotTrap) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_TRUE(std::isnan(normalize(Point(nan, 0, 0)).x));
    EXPECT_EQ(Point(0, 0, 0), faceforward(Point(0, 0, 1), Point(nan, 0, 0), Point(1, 0, 0)));
    ErrorCapture errors;
    Point p = Point(inf, 1, 1) / nan;
    EXPECT_TRUE(std::isnan(p.y));
    float Kr = 0, Kt = 0;
    fresnel(Point(inf, -1, 0), Point(0, 1, 0), nan, Kr, Kt);
    EXPECT_TRUE(errors.lines().empty());
}

TEST(PointPrinting, WritesComponentsInParentheses) {
    std::ostringstream out;
    out << Point(1, -2.5f, 3) << ' ' << Pointw(1, 2, 3, 0.5f);
    EXPECT_EQ("(1, -2.5, 3) (1, 2, 3, 0.5)", out.str());
}

} // namespace
