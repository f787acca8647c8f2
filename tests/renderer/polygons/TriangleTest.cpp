#include "PolygonTestSupport.h"

#include "renderer/geometry/Polygon.h"
#include "renderer/shading/Grid.h"
#include "renderer/state/Attrib.h"
#include "renderer/state/Camera.h"
#include "renderer/state/Option.h"
#include "tests/renderer/primitives/SceneSink.h"

using namespace quelmark;

namespace {

// Raster space is object space in these tests.
class TriangleTest : public PrimitiveFixture {
protected:
    void SetUp() override {
        initQuark();
        gCameraToRaster = gIdentity;
    }

    // The one triangle of a three-sided polygon.
    std::unique_ptr<Primitive> makeTriangle(const Point& a, const Point& b, const Point& c) {
        PolygonArgs args({a, b, c});
        auto pieces = splitToTriangles(ConvexPolygon::make(3, args.list()), fScene);
        EXPECT_EQ(pieces.size(), 1u);
        return std::move(pieces[0]);
    }

    static Triangle& asTriangle(const std::unique_ptr<Primitive>& p) {
        return static_cast<Triangle&>(*p);
    }
};

TEST_F(TriangleTest, StepsFollowTheEdgesInEdgeLengths) {
    gAttrib->shadingRate(4); // edge length 2
    // Edges 0-1 of 4, 0-2 of sqrt 40 = 6.32 and 1-2 of sqrt 8 = 2.83.
    auto t = makeTriangle({0, 0, 0}, {4, 0, 0}, {6, 2, 0});
    DiceDecision decision = t->diceable(currentFrame(), -1);
    ASSERT_TRUE(decision);
    EXPECT_EQ(decision.size.u, 2);
    EXPECT_EQ(decision.size.v, 4);
}

TEST_F(TriangleTest, TheLongEdgeCountsForBothDirections) {
    // Legs of 3 and 5, the long edge sqrt 34 = 5.83.
    auto t = makeTriangle({0, 0, 0}, {3, 0, 0}, {0, 5, 0});
    DiceDecision decision = t->diceable(currentFrame(), -1);
    ASSERT_TRUE(decision);
    EXPECT_EQ(decision.size.u, 6);
    EXPECT_EQ(decision.size.v, 6);
}

TEST_F(TriangleTest, AnEdgeBeyondTheGridEdgeLimitSplits) {
    gOption->tuneA = 8;
    // Edges of 8 and twice sqrt 17 = 4.12, then of 8.5.
    EXPECT_TRUE(makeTriangle({0, 0, 0}, {8, 0, 0}, {4, 1, 0})->diceable(currentFrame(), -1));
    EXPECT_FALSE(makeTriangle({0, 0, 0}, {8.5f, 0, 0}, {4, 1, 0})->diceable(currentFrame(), -1));
    // A limit given is used as it is; the steps still stop at the grid limit.
    DiceDecision decision = makeTriangle({0, 0, 0}, {100, 0, 0}, {0, 1, 0})->diceable(currentFrame(), 200);
    EXPECT_TRUE(decision);
    EXPECT_EQ(decision.size.u, 8);
}

// Whether p lies in the triangle, within rounding.
bool onTriangle(const Point& p, const Triangle& t) {
    Point e1 = t.corner(1) - t.corner(0), e2 = t.corner(2) - t.corner(0), d = p - t.corner(0);
    float area = (e1 ^ e2).z;
    float v = (e1 ^ d).z / area, u = (d ^ e2).z / area;
    const float slack = 1e-5f;
    return std::fabs(p.z - t.corner(0).z) < slack && u > -slack && v > -slack && u + v < 1 + slack;
}

TEST_F(TriangleTest, DicesIntoATriangularGridOnTheTriangle) {
    gAttrib->shadingRate(4);
    auto t = makeTriangle({1, 1, 0}, {5, 1, 0}, {7, 3, 0});
    DiceDecision decision = t->diceable(currentFrame(), -1);
    ASSERT_TRUE(decision);
    std::unique_ptr<Grid> grid(t->dice(decision.size));
    ASSERT_EQ(grid->nu(), 2);
    ASSERT_EQ(grid->nv(), 4);
    EXPECT_EQ(grid->triangular(), 1);
    // Rows of 3, 3, 3, 2 and 2 vertices.
    const int lengths[5] = {3, 3, 3, 2, 2};
    for (int k = 0; k <= 4; ++k) {
        ASSERT_EQ(grid->vertexRowLength(k), lengths[k]);
        for (int i = 0; i < lengths[k]; ++i)
            EXPECT_TRUE(onTriangle(grid->row(k)[i].P, asTriangle(t))) << k << ", " << i;
    }
    // The corners, and a point halfway along edge 0-2.
    EXPECT_EQ(grid->row(0)[0].P, Point(1, 1, 0));
    EXPECT_EQ(grid->row(0)[2].P, Point(5, 1, 0));
    EXPECT_EQ(grid->row(4)[0].P, Point(7, 3, 0));
    EXPECT_EQ(grid->row(2)[0].P, Point(4, 2, 0));
    // (u, v) = (1, 1/4) lies past the long edge and folds onto it at (3/4, 1/4).
    EXPECT_EQ(grid->row(1)[2].P, Point(5.5f, 1.5f, 0));
    EXPECT_EQ(grid->row(3)[1].dPdu, Point(4, 0, 0));
    EXPECT_EQ(grid->row(3)[1].dPdv, Point(6, 2, 0));
}

TEST_F(TriangleTest, SplitsAtItsMidpointsIntoFourQuarters) {
    auto t = makeTriangle({0, 0, 0}, {4, 0, 0}, {0, 2, 1});
    splitIntoScene(*t);
    auto children = takeChildren();
    ASSERT_EQ(children.size(), 4u);
    Point parentNormal = triangleNormal(asTriangle(t));
    for (const auto& child : children) {
        const Triangle& c = asTriangle(child);
        EXPECT_EQ(c.sequence(), t->sequence());
        EXPECT_EQ(triangleNormal(c) * 4.0f, parentNormal);
        const ArgAssoc* height = c.args().find(kQuarkHeight);
        ASSERT_NE(height, nullptr);
        for (int k = 0; k < 3; ++k)
            EXPECT_FLOAT_EQ(height->item(k)[0], PolygonArgs::heightAt(c.corner(k)));
        EXPECT_FLOAT_EQ(height->item(3)[0],
                        PolygonArgs::heightAt(c.corner(1) + c.corner(2) - c.corner(0)));
    }
    EXPECT_EQ(asTriangle(children[3]).corner(0), Point(2, 1, 0.5f));
}

} // namespace
