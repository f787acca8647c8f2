#include "common/Bound.h"

#include "ErrorCapture.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace quelmark;

namespace {

void expectNear(const Bound& expected, const Bound& actual, float tolerance = 1e-5f) {
    EXPECT_NEAR(expected.xmin, actual.xmin, tolerance);
    EXPECT_NEAR(expected.xmax, actual.xmax, tolerance);
    EXPECT_NEAR(expected.ymin, actual.ymin, tolerance);
    EXPECT_NEAR(expected.ymax, actual.ymax, tolerance);
    EXPECT_NEAR(expected.zmin, actual.zmin, tolerance);
    EXPECT_NEAR(expected.zmax, actual.zmax, tolerance);
}

TEST(BoundConstruction, AllForms) {
    EXPECT_EQ(0, Bound().set);
    Bound cube(2);
    EXPECT_EQ(Bound(-2, 2, -2, 2, -2, 2), cube);
    EXPECT_NE(0, cube.set);
    const float limits[6] = {1, 2, 3, 4, 5, 6};
    Bound fromArray(limits);
    EXPECT_EQ(3, fromArray.ymin);
    EXPECT_EQ(6, fromArray.zmax);
    EXPECT_NE(0, fromArray.set);
    Bound copy = fromArray;
    EXPECT_EQ(fromArray, copy);
}

TEST(BoundConstruction, EqualityComparesTheSixLimitsOnly) {
    EXPECT_EQ(Bound(), Bound(0, 0, 0, 0, 0, 0));
    EXPECT_FALSE(Bound(1) == Bound(-1, 1, -1, 1, -1, 1.5f));
}

TEST(BoundIntersect, OverlapInEveryAxis) {
    Bound unit(0, 1, 0, 1, 0, 1);
    EXPECT_TRUE(unit.intersect(Bound(0.5f, 2, 0.5f, 2, -1, 0.5f)));
    EXPECT_TRUE(unit.intersect(Bound(1, 2, 1, 2, 1, 2)));     // touching corner
    EXPECT_FALSE(unit.intersect(Bound(0, 1, 0, 1, 1.5f, 2))); // apart in z only
    EXPECT_FALSE(unit.intersect(Bound()));
    EXPECT_FALSE(Bound().intersect(unit));
}

TEST(BoundTransform, CornersAreReBounded) {
    Matrix turn;
    turn.rotate(90, 0, 0, 1); // (x, y) -> (-y, x)
    expectNear(Bound(-1, 0, 0, 2, 3, 4), Bound(0, 2, 0, 1, 3, 4) * turn);

    Matrix shift;
    shift.translate(1, 2, 3);
    shift.scale(-1, 1, 1);
    Bound b(0, 2, 0, 1, 0, 1);
    b *= shift;
    EXPECT_EQ(Bound(-1, 1, 2, 3, 3, 4), b);
    EXPECT_NE(0, b.set);
}

TEST(BoundTransform, UnsetBoundStaysUnset) {
    Matrix shift;
    shift.translate(5, 5, 5);
    Bound b;
    b *= shift;
    EXPECT_EQ(Bound(), b);
    EXPECT_EQ(0, b.set);
}

TEST(BoundwConstruction, DefaultIsUnboundedAndUnset) {
    Boundw b;
    EXPECT_EQ(-1e38f, b.xmin);
    EXPECT_EQ(1e38f, b.ymax);
    EXPECT_EQ(-1e38f, b.zmin);
    EXPECT_EQ(0, b.set);
    EXPECT_EQ(1, b.wmin);
    EXPECT_EQ(1, b.wmax);
}

TEST(BoundwConstruction, FromEightFloatsAndFromBound) {
    Boundw b(1, 2, 3, 4, 5, 6, 7, 8);
    EXPECT_EQ(5, b.zmin);
    EXPECT_EQ(7, b.wmin);
    EXPECT_EQ(8, b.wmax);
    Boundw fromBound(Bound(1), 0.5f, 2);
    EXPECT_EQ(-1, fromBound.xmin);
    EXPECT_EQ(1, fromBound.zmax);
    EXPECT_EQ(0.5f, fromBound.wmin);
    EXPECT_NE(0, fromBound.set);
}

TEST(BoundwHomogenize, DividesEachLimitByTheWidestW) {
    Boundw b(-1, 1, 0.5f, 3, -4, -1, 0.5f, 2);
    ASSERT_TRUE(b.homogenizable());
    EXPECT_TRUE(b.homogenize());
    EXPECT_EQ(-2, b.xmin);
    EXPECT_EQ(2, b.xmax);
    EXPECT_EQ(0.25f, b.ymin); // 0.5 / 2
    EXPECT_EQ(6, b.ymax);     // 3 / 0.5
    EXPECT_EQ(-8, b.zmin);    // -4 / 0.5
    EXPECT_EQ(-0.5f, b.zmax); // -1 / 2
    EXPECT_EQ(1, b.wmin);
    EXPECT_EQ(1, b.wmax);
    EXPECT_NE(0, b.set);
}

TEST(BoundwHomogenize, SplitBoundIsRefused) {
    ErrorCapture errors;
    Boundw b(-1, 1, -1, 1, -1, 1, -1, 2);
    EXPECT_FALSE(b.homogenizable());
    EXPECT_FALSE(b.homogenize());
    EXPECT_EQ(-1, b.xmin);
    EXPECT_EQ(-1, b.wmin);
    EXPECT_EQ(2, b.wmax);
    ASSERT_EQ(1u, errors.lines().size());
    EXPECT_EQ("error: Undefined mathematical operation. cannot homogenize a split bound",
              errors.lines()[0]);
}

TEST(BoundwHomogenize, ThresholdOnWmin) {
    EXPECT_FALSE(Boundw(0, 1, 0, 1, 0, 1, 1e-11f, 1).homogenizable());
    EXPECT_TRUE(Boundw(0, 1, 0, 1, 0, 1, 1e-9f, 1).homogenizable());
}

TEST(BoundwTransform, PerspectiveThenHomogenizeBoundsTheProjection) {
    Matrix project;
    project.perspective(90); // (x, y, z, 1) -> (x, y, z - 1, z)
    Boundw b(-1, 1, -1, 1, 2, 4, 1, 1);
    b *= project;
    EXPECT_EQ(-1, b.xmin);
    EXPECT_EQ(1, b.zmin);
    EXPECT_EQ(3, b.zmax);
    EXPECT_EQ(2, b.wmin);
    EXPECT_EQ(4, b.wmax);
    ASSERT_TRUE(b.homogenize());
    // x / z over x in -1..1, z in 2..4 is -0.5..0.5.
    EXPECT_EQ(-0.5f, b.xmin);
    EXPECT_EQ(0.5f, b.xmax);
    EXPECT_EQ(0.25f, b.zmin);
    EXPECT_EQ(1.5f, b.zmax);
}

TEST(BoundwTransform, UnsetBoundStaysUnbounded) {
    Matrix shift;
    shift.scale(1e6f);
    Boundw b;
    b *= shift;
    EXPECT_EQ(-1e38f, b.xmin);
    EXPECT_EQ(1e38f, b.zmax);
}

TEST(BoundwIntersect, ComparesXYAndZ) {
    Boundw unit(0, 1, 0, 1, 0, 1, 1, 1);
    EXPECT_TRUE(unit.intersect(Boundw()));
    EXPECT_TRUE(unit.intersect(Boundw(1, 2, 0, 1, 0, 1, 5, 6)));
    EXPECT_FALSE(unit.intersect(Boundw(0, 1, 2, 3, 0, 1, 1, 1)));
}

TEST(BoundPrinting, WritesLimitsAndMarksUnset) {
    std::ostringstream out;
    out << Bound(1) << " | " << Bound() << " | " << Boundw(0, 1, 2, 3, 4, 5, 0.5f, 2);
    EXPECT_EQ("[-1 1 -1 1 -1 1] | [0 0 0 0 0 0] (unset) | [0 1 2 3 4 5 w 0.5 2]", out.str());
}

} // namespace
