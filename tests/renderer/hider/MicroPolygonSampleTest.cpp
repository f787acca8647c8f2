#include "renderer/hider/MicroPolygon.h"

#include "HiderFixture.h"

using namespace quelmark;

namespace {

class MicroPolygonSampleTest : public HiderFixture {
protected:
    // Whether (x, y) hits the grid's only micropolygon; the depth key and
    // colour through the members.
    bool hits(const Grid& grid, float x, float y) {
        MicroPolygon mp(&grid);
        order = SampleOrder();
        Ci = Oi = gBlack;
        return mp.sample(x, y, false, order, Ci, Oi);
    }

    // The unit square with corner depths 0.1, 0.2, 0.3, 0.4.
    std::unique_ptr<Grid> unitSquare(const Color& Ci = gWhite) {
        return std::unique_ptr<Grid>(quadGrid(Point(0, 0, 0.1f), Point(1, 0, 0.2f),
                                              Point(0, 1, 0.3f), Point(1, 1, 0.4f), Ci));
    }

    SampleOrder order;
    Color Ci, Oi;
};

TEST_F(MicroPolygonSampleTest, UnitSquareInterpolatesDepthAtTheParameters) {
    auto grid = unitSquare();
    ASSERT_TRUE(hits(*grid, 0.25f, 0.75f));
    // s = 0.25, t = 0.75: lerp(0.75, 0.125, 0.325)
    EXPECT_NEAR(order.depth(), 0.275f, 1e-6f);
    ASSERT_TRUE(hits(*grid, 0.0f, 0.0f)); // a corner: s = t = 0
    EXPECT_FLOAT_EQ(order.depth(), 0.1f);
}

TEST_F(MicroPolygonSampleTest, PointsOutsideTheUnitSquareMiss) {
    auto grid = unitSquare();
    EXPECT_FALSE(hits(*grid, 1.5f, 0.5f));
    EXPECT_FALSE(hits(*grid, 0.5f, -0.1f));
    EXPECT_FALSE(hits(*grid, -0.01f, 1.0f));
}

TEST_F(MicroPolygonSampleTest, ConstantShadingTakesCornerA) {
    auto grid = unitSquare();
    grid->row(0)[0].Ci = Color(0.2f, 0.4f, 0.6f);
    ASSERT_TRUE(hits(*grid, 0.9f, 0.9f));
    EXPECT_EQ(Ci, Color(0.2f, 0.4f, 0.6f));
    EXPECT_EQ(Oi, gWhite);
}

TEST_F(MicroPolygonSampleTest, SmoothShadingInterpolatesTheCorners) {
    gAttrib->shadingModel(QEL_SHADING_GOURAUD);
    auto grid = unitSquare();
    grid->row(0)[1].Ci = Color(1, 0, 0);
    grid->row(1)[0].Ci = Color(0, 1, 0);
    grid->row(1)[1].Ci = Color(1, 1, 0);
    grid->row(0)[0].Ci = gBlack;
    ASSERT_TRUE(hits(*grid, 0.25f, 0.75f));
    EXPECT_NEAR(Ci.r, 0.25f, 1e-6f);
    EXPECT_NEAR(Ci.g, 0.75f, 1e-6f);
    EXPECT_NEAR(Ci.b, 0.0f, 1e-6f);
}

// A(0,0) B(2,0) C(0,2) D(2,3): at (1, 1) the quadratic -2s² - 3s + 2 = 0 has
// the roots -2 (tried first) and 0.5; t = 1/2.5 from the y equation.
TEST_F(MicroPolygonSampleTest, QuadTriesTheSecondRootWhenTheFirstFails) {
    std::unique_ptr<Grid> grid(
        quadGrid(Point(0, 0, 0), Point(2, 0, 0), Point(0, 2, 1), Point(2, 3, 1)));
    ASSERT_TRUE(hits(*grid, 1.0f, 1.0f));
    EXPECT_NEAR(order.depth(), 0.4f, 1e-6f); // the depth runs with t
    EXPECT_TRUE(hits(*grid, 1.0f, 2.4f));    // t = 0.96, under the slanted edge
    EXPECT_FALSE(hits(*grid, 1.0f, 2.6f));   // t = 1.04, above it
}

// The transposed quad A(0,0) B(0,2) C(2,0) D(3,2): at (1, 1) the first root,
// s = 0.5, fits, and t = 1/2.5 comes from the x equation.
TEST_F(MicroPolygonSampleTest, QuadTakesTheFirstRootWhenItFits) {
    std::unique_ptr<Grid> grid(
        quadGrid(Point(0, 0, 0), Point(0, 2, 0), Point(2, 0, 1), Point(3, 2, 1)));
    ASSERT_TRUE(hits(*grid, 1.0f, 1.0f));
    EXPECT_NEAR(order.depth(), 0.4f, 1e-6f);
}

TEST_F(MicroPolygonSampleTest, CollinearCornersMissEveryPoint) {
    std::unique_ptr<Grid> grid(
        quadGrid(Point(0, 0, 0), Point(1, 1, 0), Point(2, 2, 0), Point(3, 3, 0)));
    EXPECT_FALSE(hits(*grid, 1.0f, 1.0f));
    EXPECT_FALSE(hits(*grid, 1.5f, 1.0f));
}

TEST_F(MicroPolygonSampleTest, ZnormalOfTheUnitSquareFacesTheCamera) {
    std::unique_ptr<Grid> grid(
        quadGrid(Point(0, 0, 0), Point(1, 0, 0), Point(0, 1, 0), Point(1, 1, 0)));
    EXPECT_FLOAT_EQ(MicroPolygon(grid.get()).znormal(), -2.0f);
    std::unique_ptr<Grid> flipped(quadGrid(Point(0, 0, 0), Point(1, 0, 0), Point(0, 1, 0),
                                           Point(1, 1, 0), gWhite, gWhite, 1, 1));
    EXPECT_FLOAT_EQ(MicroPolygon(flipped.get()).znormal(), 2.0f);
}

} // namespace
