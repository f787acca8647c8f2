#include "PrimitiveFixture.h"

#include "renderer/state/Attrib.h"
#include "renderer/state/Camera.h"
#include "renderer/state/Option.h"
#include "tests/renderer/primitives/SceneSink.h"

using namespace quelmark;

namespace {

// Reports the derivatives of a rectangle of width by height raster units,
// the v derivative `stretch` times larger for u beyond one quarter, so that
// the micropolygon areas differ by that factor. It sits at the origin, which
// keeps the raster lengths exact and the primitive flat.
class StretchedPlane : public Primitive {
public:
    StretchedPlane(float width, float height, float stretch = 1)
        : fWidth(width), fHeight(height), fStretch(stretch) {}

    Pointw evaldPdu(float, float) const override { return {fWidth, 0, 0, 1}; }
    Pointw evaldPdv(float u, float) const override {
        return {0, fHeight * (u <= 0.25f ? 1 : fStretch), 0, 1};
    }

private:
    float fWidth, fHeight, fStretch;
};

// A parabola y = bend u^2 (or bend v^2) whose derivatives it reports as
// tiny: only the flatness pass can make it refine. Away from the edges the
// midpoint of a chord of half-width h misses the curve by bend h^2.
class Parabola : public Primitive {
public:
    Parabola(float bend, bool alongU) : fBend(bend), fAlongU(alongU) {}

    Pointw evalP(float u, float v) const override {
        float t = fAlongU ? u : v;
        return {fAlongU ? 0 : u, fBend * t * t + (fAlongU ? v : 0), 0, 1};
    }
    Pointw evaldPdu(float, float) const override { return {0.1f, 0, 0, 1}; }
    Pointw evaldPdv(float, float) const override { return {0, 0.1f, 0, 1}; }

private:
    float fBend;
    bool fAlongU;
};

// Raster space is object space in these tests.
class DiceableTest : public PrimitiveFixture {
protected:
    void SetUp() override { gCameraToRaster = gIdentity; }
};

TEST_F(DiceableTest, StepsAreTheRasterExtentInEdgeLengthsRoundedUp) {
    gAttrib->shadingRate(4); // edge length 2
    StretchedPlane plane(7, 12);
    DiceDecision decision = plane.diceable(currentFrame(), -1);
    ASSERT_TRUE(decision);
    EXPECT_EQ(decision.size.u, 4);
    EXPECT_EQ(decision.size.v, 6);
}

TEST_F(DiceableTest, ASmallPrimitiveStillGetsOneMicropolygonEachWay) {
    StretchedPlane tiny(0.5f, 0.25f);
    DiceDecision decision = tiny.diceable(currentFrame(), -1);
    ASSERT_TRUE(decision);
    EXPECT_EQ(decision.size.u, 1);
    EXPECT_EQ(decision.size.v, 1);
    StretchedPlane point(0, 0);
    decision = point.diceable(currentFrame(), -1);
    ASSERT_TRUE(decision);
    EXPECT_EQ(decision.size.u, 1);
    EXPECT_EQ(decision.size.v, 1);
}

TEST_F(DiceableTest, ThePrimitiveMustFitTheGridEdgeLimit) {
    // 32 micropolygons of one pixel along an edge, by default.
    EXPECT_TRUE(StretchedPlane(32, 1).diceable(currentFrame(), -1));
    EXPECT_FALSE(StretchedPlane(33, 1).diceable(currentFrame(), -1));
    EXPECT_FALSE(StretchedPlane(1, 33).diceable(currentFrame(), -1));
    gAttrib->shadingRate(4);
    EXPECT_TRUE(StretchedPlane(64, 1).diceable(currentFrame(), -1));
    gOption->tune(8, 12, 12);
    EXPECT_FALSE(StretchedPlane(17, 1).diceable(currentFrame(), -1));
}

TEST_F(DiceableTest, AGivenLimitReplacesTheDefaultOne) {
    gAttrib->shadingRate(100); // edge 10: the default limit is 320
    StretchedPlane plane(100, 1);
    EXPECT_TRUE(plane.diceable(currentFrame(), -1));
    EXPECT_FALSE(plane.diceable(currentFrame(), 50));
    DiceDecision decision = plane.diceable(currentFrame(), 100);
    ASSERT_TRUE(decision);
    EXPECT_EQ(decision.size.u, 10); // the edge length still sets the steps
    gOption->tune(4, 12, 12);
    decision = plane.diceable(currentFrame(), 100); // nor does the grid edge limit matter here
    ASSERT_TRUE(decision);
    EXPECT_EQ(decision.size.u, 10);
}

TEST_F(DiceableTest, UnevenMicropolygonsAreAllowedOnSixteen) {
    // Areas from 4 x 4 to 4 x 16: four times apart, on 4 by 4 micropolygons.
    StretchedPlane square(4, 1, 4);
    DiceDecision decision = square.diceable(currentFrame(), -1);
    ASSERT_TRUE(decision);
    EXPECT_EQ(decision.size.u, 4);
    EXPECT_EQ(decision.size.v, 4);
    // 2 by 8.
    EXPECT_TRUE(StretchedPlane(2, 2, 4).diceable(currentFrame(), -1));
    // 17 by 1, areas three times apart.
    EXPECT_FALSE(StretchedPlane(17, 0.25f, 3).diceable(currentFrame(), -1));
}

TEST_F(DiceableTest, AreasTwiceApartAreEvenEnough) {
    // 4 by 8 micropolygons, areas 16 and exactly 32.
    EXPECT_TRUE(StretchedPlane(4, 4, 2).diceable(currentFrame(), -1));
    EXPECT_FALSE(StretchedPlane(4, 4, 2.5f).diceable(currentFrame(), -1));
}

TEST_F(DiceableTest, CurvedPrimitivesRefineUntilFlat) {
    // bend 100, flatness 0.5: 7 steps miss by 100 / 14^2 > 0.5, 8 by 100 / 16^2 < 0.5.
    DiceDecision decision = Parabola(100, true).diceable(currentFrame(), -1);
    ASSERT_TRUE(decision);
    EXPECT_EQ(decision.size.u, 8);
    EXPECT_EQ(decision.size.v, 1);
    decision = Parabola(100, false).diceable(currentFrame(), -1);
    ASSERT_TRUE(decision);
    EXPECT_EQ(decision.size.u, 1);
    EXPECT_EQ(decision.size.v, 8);
    gAttrib->flatness(2); // 4 steps miss by 100 / 8^2 < 2
    decision = Parabola(100, true).diceable(currentFrame(), -1);
    ASSERT_TRUE(decision);
    EXPECT_EQ(decision.size.u, 4);
}

TEST_F(DiceableTest, RefinementStopsAtTheGridEdgeLimit) {
    Parabola steep(1e6f, true);
    DiceDecision decision = steep.diceable(currentFrame(), -1);
    EXPECT_FALSE(decision);
    EXPECT_EQ(decision.size.u, 32);
    gOption->tune(8, 12, 12);
    Parabola steepV(1e6f, false);
    decision = steepV.diceable(currentFrame(), -1);
    EXPECT_FALSE(decision);
    EXPECT_EQ(decision.size.v, 8);
}

TEST_F(DiceableTest, SamplesNearTheEdgesStayInsideTheSquare) {
    // Reports every parameter it is asked about.
    class Watcher : public StretchedPlane {
    public:
        Watcher() : StretchedPlane(1, 1) {}
        Pointw evalP(float u, float v) const override {
            if (u < 0 || u > 1 || v < 0 || v > 1) ++outside;
            return {0, 100 * u * u + 100 * v * v, 0, 1};
        }
        mutable int outside = 0;
    };
    Watcher watcher;
    for (int round = 0; round < 50; ++round)
        watcher.diceable(currentFrame(), -1);
    EXPECT_EQ(watcher.outside, 0);
}

} // namespace
