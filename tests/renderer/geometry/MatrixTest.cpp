#include "common/Matrix.h"

#include "ErrorCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

using namespace quelmark;

namespace {

void expectNear(const Point& expected, const Point& actual, float tolerance = 1e-5f) {
    EXPECT_NEAR(expected.x, actual.x, tolerance);
    EXPECT_NEAR(expected.y, actual.y, tolerance);
    EXPECT_NEAR(expected.z, actual.z, tolerance);
}

void expectNear(const Matrix& expected, const Matrix& actual, float tolerance = 1e-5f) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_NEAR(expected[i][j], actual[i][j], tolerance) << i << j;
}

float degreesBetween(const Point& a, const Point& b) {
    return std::acos(dot(normalize(a), normalize(b))) * 180 / 3.14159265f;
}

TEST(MatrixBasics, DefaultIsIdentityAndElementsAreRowMajor) {
    EXPECT_EQ(gIdentity, Matrix());
    const float rows[4][4] = {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}};
    Matrix a(rows);
    EXPECT_EQ(7, a[1][2]);
    a[3][0] = 0;
    EXPECT_EQ(0, a.m[3][0]);
    EXPECT_FALSE(a == gIdentity);
}

TEST(MatrixBasics, PointsAreRowsAndTranslationIsTheLastRow) {
    const float rows[4][4] = {{1, 2, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {10, 20, 30, 1}};
    // (1, 1, 1): x = 1 + 10, y = 2 + 1 + 20, z = 1 + 30.
    EXPECT_EQ(Point(11, 23, 31), Point(1, 1, 1) * Matrix(rows));
    EXPECT_EQ(Pointw(11, 23, 31, 1), Pointw(1, 1, 1, 1) * Matrix(rows));
    EXPECT_EQ(Pointw(1, 3, 1, 0), Pointw(1, 1, 1, 0) * Matrix(rows));
    Point p(1, 1, 1);
    p *= Matrix(rows);
    EXPECT_EQ(Point(11, 23, 31), p);
}

TEST(MatrixBasics, DirectionsIgnoreTranslation) {
    Matrix a;
    a.translate(5, 6, 7);
    a.scale(2);
    EXPECT_EQ(Point(2, 4, 6), vtransform(Point(1, 2, 3), a));
}

TEST(MatrixBasics, NormalsStayPerpendicularToTheSurface) {
    Matrix a;
    a.scale(1, 2, 1);
    Point tangent = vtransform(Point(1, -1, 0), a); // (1, -2, 0)
    Point normal = ntransform(Point(1, 1, 0), a);
    expectNear(Point(1, 0.5f, 0), normal);
    EXPECT_NEAR(0, dot(tangent, normal), 1e-6);
}

TEST(MatrixBasics, ProductAppliesTheLeftOperandFirst) {
    Matrix shift, turn;
    shift.translate(1, 0, 0);
    turn.rotate(90, 0, 0, 1);
    Point p(1, 0, 0);
    expectNear(Point(0, 2, 0), p * (shift * turn));
    expectNear((p * shift) * turn, p * (shift * turn));
    expectNear(Point(1, 1, 0), p * (turn * shift));
    Matrix appended = shift;
    appended *= turn;
    EXPECT_EQ(shift * turn, appended);
}

TEST(MatrixBasics, TransposeSwapsRowsAndColumns) {
    const float rows[4][4] = {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}};
    Matrix t = transpose(Matrix(rows));
    EXPECT_EQ(5, t[0][1]);
    EXPECT_EQ(4, t[3][0]);
    EXPECT_EQ(Matrix(rows), transpose(t));
}

TEST(MatrixBasics, HomogeneousDivisionSkipsZeroW) {
    Matrix a;
    a.perspective(90);
    ErrorCapture errors;
    // w = z = 0: x and y stay as projected, z = -1.
    EXPECT_EQ(Point(1, 2, -1), Point(1, 2, 0) * a);
    EXPECT_TRUE(errors.lines().empty());
}

TEST(MatrixOperations, TranslateThenScaleScalesFirst) {
    Matrix a;
    a.translate(1, 2, 3);
    a.scale(2);
    EXPECT_EQ(Point(3, 4, 5), Point(1, 1, 1) * a);

    Matrix b;
    b.scale(2);
    b.translate(1, 2, 3);
    EXPECT_EQ(Point(4, 6, 8), Point(1, 1, 1) * b);
}

TEST(MatrixOperations, TranslateCombinesTheRows) {
    Matrix a;
    a.scale(2, 3, 4);
    a.translate(1, 1, 1);
    EXPECT_EQ(2, a[3][0]);
    EXPECT_EQ(3, a[3][1]);
    EXPECT_EQ(4, a[3][2]);
    EXPECT_EQ(1, a[3][3]);
}

TEST(MatrixOperations, RotationTurnsAxesCounterClockwise) {
    Matrix z, x, y;
    z.rotate(90, 0, 0, 1);
    x.rotate(90, 1, 0, 0);
    y.rotate(90, 0, 1, 0);
    expectNear(Point(0, 1, 0), Point(1, 0, 0) * z);
    expectNear(Point(0, 0, 1), Point(0, 1, 0) * x);
    expectNear(Point(1, 0, 0), Point(0, 0, 1) * y);

    Matrix longAxis;
    longAxis.rotate(90, 0, 0, 5);
    expectNear(Point(0, 1, 0), Point(1, 0, 0) * longAxis);

    // A third of a turn about the diagonal cycles the axes.
    Matrix diagonal;
    diagonal.rotate(120, 1, 1, 1);
    expectNear(Point(0, 1, 0), Point(1, 0, 0) * diagonal);
    expectNear(Point(0, 0, 1), Point(0, 1, 0) * diagonal);
    EXPECT_NEAR(1, determinant(diagonal), 1e-5);
}

TEST(MatrixOperations, RotationAboutZeroAxisReports) {
    ErrorCapture errors;
    Matrix a;
    a.scale(2);
    Matrix before = a;
    a.rotate(30, 0, 0, 0);
    EXPECT_EQ(before, a);
    ASSERT_EQ(1u, errors.lines().size());
    EXPECT_EQ("error: Undefined mathematical operation. rotation basis vector must be non-zero",
              errors.lines()[0]);
}

TEST(MatrixOperations, SkewTurnsTheFirstDirectionTowardsTheSecond) {
    Matrix a;
    a.skew(45, 1, 0, 0, 0, 1, 0);
    expectNear(Point(1, 1, 0), Point(1, 0, 0) * a);
    expectNear(Point(0, 1, 0), Point(0, 1, 0) * a);
    expectNear(Point(0, 0, 1), Point(0, 0, 1) * a);

    Matrix away;
    away.skew(-30, 1, 0, 0, 0, 2, 0);
    expectNear(Point(1, -std::tan(30 * 3.14159265f / 180), 0), Point(1, 0, 0) * away);
}

TEST(MatrixOperations, SkewOfNonPerpendicularDirections) {
    // (1, 1, 0) is 45 degrees from y; skewing by 30 leaves 15 degrees, moving only along y.
    Matrix a;
    a.skew(30, 1, 1, 0, 0, 1, 0);
    Point image = Point(1, 1, 0) * a;
    EXPECT_NEAR(15, degreesBetween(image, Point(0, 1, 0)), 1e-3);
    EXPECT_NEAR(1, image.x, 1e-6);
    EXPECT_NEAR(0, image.z, 1e-6);
}

TEST(MatrixOperations, SkewReportsUnusableInput) {
    ErrorCapture errors;
    Matrix a;
    a.skew(30, 0, 0, 0, 0, 1, 0);
    a.skew(30, 1, 2, 3, 2, 4, 6);
    a.skew(90, 1, 0, 0, 0, 1, 0);   // would fold x onto y
    a.skew(-135, 1, 1, 0, 0, 1, 0); // would fold (1, 1, 0) onto -y
    a.skew(std::numeric_limits<float>::quiet_NaN(), 1, 0, 0, 0, 1, 0);
    EXPECT_EQ(gIdentity, a);
    ASSERT_EQ(5u, errors.lines().size());
    EXPECT_EQ("error: Undefined mathematical operation. skew basis vectors must be non-zero",
              errors.lines()[0]);
    EXPECT_EQ("error: Undefined mathematical operation. skew basis vectors must non-colinear",
              errors.lines()[1]);
    EXPECT_EQ("error: Parameter out of range. invalid skew angle", errors.lines()[2]);
    EXPECT_EQ("error: Parameter out of range. invalid skew angle", errors.lines()[3]);

    a.skew(-134, 1, 1, 0, 0, 1, 0);
    EXPECT_EQ(5u, errors.lines().size());
}

TEST(MatrixOperations, PerspectiveDividesByDepth) {
    Matrix a;
    a.perspective(90);
    expectNear(Point(0.5f, 0.25f, 0.5f), Point(1, 0.5f, 2) * a);

    Matrix narrow;
    narrow.perspective(60); // 1 / tan 30 = sqrt 3
    expectNear(Point(std::sqrt(3.0f), 0, 0), Point(1, 0, 1) * narrow);
    EXPECT_NE(0, determinant(narrow));
}

TEST(MatrixOperations, ZmapMapsNearAndFarToZeroAndOne) {
    Matrix a;
    a.zmap(1, 10);
    EXPECT_NEAR(0, (Point(0, 0, 1) * a).z, 1e-6);
    EXPECT_NEAR(1, (Point(0, 0, 10) * a).z, 1e-6);
    EXPECT_NEAR(0.5f, (Point(3, 4, 5.5f) * a).z, 1e-6);
    EXPECT_EQ(3, (Point(3, 4, 5.5f) * a).x);

    Matrix swapped;
    swapped.zmap(10, 1);
    EXPECT_EQ(a, swapped);
}

TEST(MatrixOperations, MapSendsTheScreenWindowOntoTheRaster) {
    Matrix a;
    a.map(-4.0f / 3, 4.0f / 3, -1, 1, 640, 480);
    expectNear(Point(320, 240, 0), Point(0, 0, 0) * a, 1e-3f);
    expectNear(Point(0, 0, 0), Point(-4.0f / 3, 1, 0) * a, 1e-3f);
    expectNear(Point(640, 480, 0.25f), Point(4.0f / 3, -1, 0.25f) * a, 1e-3f);
}

TEST(MatrixOperations, MapOfEmptyWindowReports) {
    ErrorCapture errors;
    Matrix a;
    a.map(1, 1, -1, 1, 640, 480);
    a.map(-1, 1, 0.5f, 0.5f, 640, 480);
    EXPECT_EQ(gIdentity, a);
    ASSERT_EQ(2u, errors.lines().size());
    EXPECT_EQ("error: Probably a bug in renderer. screen space must have non-zero width and height",
              errors.lines()[0]);
}

TEST(MatrixAlgebra, DeterminantOfClosedForms) {
    Matrix scaled;
    scaled.scale(2, 3, 4);
    EXPECT_FLOAT_EQ(24, determinant(scaled));
    scaled.translate(7, 8, 9);
    EXPECT_FLOAT_EQ(24, determinant(scaled));

    const float swapped[4][4] = {{0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    EXPECT_FLOAT_EQ(-1, determinant(Matrix(swapped)));
    const float dependent[4][4] = {{1, 2, 3, 4}, {2, 4, 6, 8}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    EXPECT_FLOAT_EQ(0, determinant(Matrix(dependent)));
}

TEST(MatrixAlgebra, InverseTimesMatrixIsIdentity) {
    Matrix a;
    a.translate(3, -2, 5);
    a.rotate(37, 1, 2, 3);
    a.scale(2, 0.5f, 3);
    a.skew(20, 1, 0, 0, 0, 0, 1);
    a.perspective(70);
    expectNear(gIdentity, invert(a) * a);
    expectNear(gIdentity, a * invert(a));
    EXPECT_NEAR(1 / determinant(a), determinant(invert(a)), 1e-4);
}

TEST(MatrixAlgebra, InverseOfScaleAndTranslateInClosedForm) {
    Matrix a;
    a.translate(1, 2, 3);
    a.scale(2);
    // p -> 2 p + (1, 2, 3), so the inverse is p -> (p - (1, 2, 3)) / 2.
    expectNear(Point(1, 1, 1), Point(3, 4, 5) * invert(a));

    Matrix b;
    b.scale(2, 4, 8);
    Matrix expected;
    expected.scale(0.5f, 0.25f, 0.125f);
    expectNear(expected, invtranspose(b));
}

TEST(MatrixAlgebra, SingularMatrixIsReportedAndReturnedUnchanged) {
    ErrorCapture errors;
    const float rows[4][4] = {{1, 2, 3, 4}, {2, 4, 6, 8}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    Matrix singular(rows);
    EXPECT_EQ(singular, invert(singular));
    ASSERT_EQ(1u, errors.lines().size());
    EXPECT_EQ("error: Undefined mathematical operation. cannot invert a singular Matrix",
              errors.lines()[0]);
}

TEST(MatrixAlgebra, NonFiniteMatricesDoNotTrap) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float rows[4][4] = {{nan, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    ErrorCapture errors;
    Matrix a(rows);
    invert(a);
    EXPECT_TRUE(std::isnan(determinant(a)));
    a.rotate(10, nan, 0, 0);
    a.map(0, nan, 0, 1, 640, 480);
    EXPECT_TRUE(std::isnan((Point(1, 1, 1) * a).x));
}

TEST(MatrixPrinting, WritesRowsSeparatedBySemicolons) {
    std::ostringstream out;
    out << gIdentity;
    EXPECT_EQ("[1 0 0 0; 0 1 0 0; 0 0 1 0; 0 0 0 1]", out.str());
}

} // namespace
