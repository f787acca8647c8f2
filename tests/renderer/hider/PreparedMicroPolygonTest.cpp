#include "renderer/hider/PreparedMicroPolygon.h"

#include "HiderFixture.h"

#include <cmath>
#include <random>

using namespace quelmark;

namespace {

class PreparedMicroPolygonTest : public HiderFixture {
protected:
    // Whether (x, y) hits the grid's only micropolygon; the depth key and
    // colour through the members.
    bool hits(const Grid& grid, float x, float y) {
        PreparedMicroPolygon mp;
        mp.place(grid, 0, 0);
        mp.prepareCoverage();
        order = SampleOrder();
        Ci = Oi = gBlack;
        float s, t;
        if (!mp.covers(x, y, s, t)) return false;
        GridHitTraits traits(grid, false);
        order = mp.keyAt(traits, s, t);
        mp.colorsAt(traits, s, t, Ci, Oi);
        return true;
    }

    static float znormal(const Grid& grid) {
        PreparedMicroPolygon mp;
        mp.place(grid, 0, 0);
        return mp.znormal();
    }

    // The unit square with corner depths 0.1, 0.2, 0.3, 0.4.
    std::unique_ptr<Grid> unitSquare(const Color& Ci = gWhite) {
        return std::unique_ptr<Grid>(quadGrid(Point(0, 0, 0.1f), Point(1, 0, 0.2f),
                                              Point(0, 1, 0.3f), Point(1, 1, 0.4f), Ci));
    }

    SampleOrder order;
    Color Ci, Oi;
};

TEST_F(PreparedMicroPolygonTest, UnitSquareInterpolatesDepthAtTheParameters) {
    auto grid = unitSquare();
    ASSERT_TRUE(hits(*grid, 0.25f, 0.75f));
    // s = 0.25, t = 0.75: lerp(0.75, 0.125, 0.325)
    EXPECT_NEAR(order.depth(), 0.275f, 1e-6f);
    ASSERT_TRUE(hits(*grid, 0.0f, 0.0f)); // a corner: s = t = 0
    EXPECT_FLOAT_EQ(order.depth(), 0.1f);
}

TEST_F(PreparedMicroPolygonTest, PointsOutsideTheUnitSquareMiss) {
    auto grid = unitSquare();
    EXPECT_FALSE(hits(*grid, 1.5f, 0.5f));
    EXPECT_FALSE(hits(*grid, 0.5f, -0.1f));
    EXPECT_FALSE(hits(*grid, -0.01f, 1.0f));
}

TEST_F(PreparedMicroPolygonTest, ConstantShadingTakesCornerA) {
    auto grid = unitSquare();
    grid->row(0)[0].Ci = Color(0.2f, 0.4f, 0.6f);
    ASSERT_TRUE(hits(*grid, 0.9f, 0.9f));
    EXPECT_EQ(Ci, Color(0.2f, 0.4f, 0.6f));
    EXPECT_EQ(Oi, gWhite);
}

TEST_F(PreparedMicroPolygonTest, SmoothShadingInterpolatesTheCorners) {
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
TEST_F(PreparedMicroPolygonTest, QuadTriesTheSecondRootWhenTheFirstFails) {
    std::unique_ptr<Grid> grid(
        quadGrid(Point(0, 0, 0), Point(2, 0, 0), Point(0, 2, 1), Point(2, 3, 1)));
    ASSERT_TRUE(hits(*grid, 1.0f, 1.0f));
    EXPECT_NEAR(order.depth(), 0.4f, 1e-6f); // the depth runs with t
    EXPECT_TRUE(hits(*grid, 1.0f, 2.4f));    // t = 0.96, under the slanted edge
    EXPECT_FALSE(hits(*grid, 1.0f, 2.6f));   // t = 1.04, above it
}

// The transposed quad A(0,0) B(0,2) C(2,0) D(3,2): at (1, 1) the first root,
// s = 0.5, fits, and t = 1/2.5 comes from the x equation.
TEST_F(PreparedMicroPolygonTest, QuadTakesTheFirstRootWhenItFits) {
    std::unique_ptr<Grid> grid(
        quadGrid(Point(0, 0, 0), Point(0, 2, 0), Point(2, 0, 1), Point(3, 2, 1)));
    ASSERT_TRUE(hits(*grid, 1.0f, 1.0f));
    EXPECT_NEAR(order.depth(), 0.4f, 1e-6f);
}

TEST_F(PreparedMicroPolygonTest, CollinearCornersMissEveryPoint) {
    std::unique_ptr<Grid> grid(
        quadGrid(Point(0, 0, 0), Point(1, 1, 0), Point(2, 2, 0), Point(3, 3, 0)));
    EXPECT_FALSE(hits(*grid, 1.0f, 1.0f));
    EXPECT_FALSE(hits(*grid, 1.5f, 1.0f));
}

TEST_F(PreparedMicroPolygonTest, ZnormalOfTheUnitSquareFacesTheCamera) {
    std::unique_ptr<Grid> grid(
        quadGrid(Point(0, 0, 0), Point(1, 0, 0), Point(0, 1, 0), Point(1, 1, 0)));
    EXPECT_FLOAT_EQ(znormal(*grid), -2.0f);
    std::unique_ptr<Grid> flipped(quadGrid(Point(0, 0, 0), Point(1, 0, 0), Point(0, 1, 0),
                                           Point(1, 1, 0), gWhite, gWhite, 1, 1));
    EXPECT_FLOAT_EQ(znormal(*flipped), 2.0f);
}

// A convex quad's bilinear map covers exactly the quad, so points clearly
// inside all four edges hit and points clearly outside one miss, whichever
// way the corners wind. The edges are measured here in double precision.
TEST_F(PreparedMicroPolygonTest, ConvexCellsCoverExactlyTheQuad) {
    std::mt19937 random(12345);
    std::uniform_real_distribution<float> jitter(-0.3f, 0.3f);
    int inside = 0, outside = 0;
    for (int quad = 0; quad < 200; ++quad) {
        // Corners near (0,0), (1,0), (0,1), (1,1), scaled and moved.
        const float scale = quad % 2 ? 1.0f : 40.0f, x0 = 600.0f, y0 = 300.0f;
        float ax = jitter(random), ay = jitter(random), bx = 1 + jitter(random),
              by = jitter(random), cx = jitter(random), cy = 1 + jitter(random),
              dx = 1 + jitter(random), dy = 1 + jitter(random);
        if (quad % 3 == 0) std::swap(bx, cx), std::swap(by, cy); // the other winding
        std::unique_ptr<Grid> grid(quadGrid(Point(x0 + scale * ax, y0 + scale * ay, 0),
                                            Point(x0 + scale * bx, y0 + scale * by, 0),
                                            Point(x0 + scale * cx, y0 + scale * cy, 0),
                                            Point(x0 + scale * dx, y0 + scale * dy, 0)));
        const Point& a = grid->row(0)[0].P;
        const Point& b = grid->row(0)[1].P;
        const Point& c = grid->row(1)[0].P;
        const Point& d = grid->row(1)[1].P;
        const Point* ring[4] = {&a, &b, &d, &c};
        double turn = 0.0;
        bool convex = true;
        for (int k = 0; k < 4; ++k) {
            const Point &p = *ring[k], &q = *ring[(k + 1) % 4], &r = *ring[(k + 2) % 4];
            double z = (double(q.x) - p.x) * (double(r.y) - q.y) -
                       (double(q.y) - p.y) * (double(r.x) - q.x);
            if (k == 0) turn = z;
            convex = convex && z * turn > 0.0;
        }
        if (!convex) continue;
        // The least signed distance of (x, y) to the edges, positive inside.
        auto depthInside = [&](double x, double y) {
            double least = 1e30;
            for (int k = 0; k < 4; ++k) {
                const Point &p = *ring[k], &q = *ring[(k + 1) % 4];
                double ux = double(q.x) - p.x, uy = double(q.y) - p.y;
                double cross = ux * (y - p.y) - uy * (x - p.x);
                least = std::min(least, (turn > 0 ? cross : -cross) / std::hypot(ux, uy));
            }
            return least;
        };
        for (int i = -10; i <= 30; ++i)
            for (int j = -10; j <= 30; ++j) {
                float x = x0 + scale * (-0.5f + 0.05f * float(i)),
                      y = y0 + scale * (-0.5f + 0.05f * float(j));
                double margin = depthInside(x, y) / scale;
                if (std::fabs(margin) < 1e-3) continue;
                bool hit = hits(*grid, x, y);
                EXPECT_EQ(hit, margin > 0) << "quad " << quad << " at " << x << ", " << y;
                (margin > 0 ? inside : outside)++;
            }
    }
    EXPECT_GT(inside, 10000);
    EXPECT_GT(outside, 10000);
}

// A dart (one corner inside the triangle of the others) is not convex: its
// points are found by the quadratic alone, folded parts included.
TEST_F(PreparedMicroPolygonTest, ADartIsSampledByItsQuadratic) {
    std::unique_ptr<Grid> grid(
        quadGrid(Point(0, 0, 0), Point(4, 0, 0), Point(0, 4, 0), Point(1, 1, 0)));
    // s = t = 0.5 maps to 0.25·(0,0) + 0.25·(4,0) + 0.25·(0,4) + 0.25·(1,1).
    EXPECT_TRUE(hits(*grid, 1.25f, 1.25f));
    EXPECT_TRUE(hits(*grid, 0.2f, 0.2f));
    EXPECT_FALSE(hits(*grid, 3.0f, 3.0f));
}

} // namespace
