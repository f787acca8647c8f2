#include "StateFixture.h"

#include "common/Quark.h"

#include <limits>
#include <utility>

using namespace quelmark;

namespace {

const std::string kRange = "error: Parameter out of range. ";
const float kNan = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

using AttribTest = StateFixture;

TEST_F(AttribTest, DefaultsOfAFreshBlock) {
    const Attrib& a = *gAttrib;
    const float st[8] = {0, 0, 1, 0, 0, 1, 1, 1};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(a.textureST[i], st[i]) << i;
    EXPECT_EQ(a.surfaceName, kQuarkPlastic);
    EXPECT_EQ(a.atmosphereName, 0);
    EXPECT_EQ(a.shadingModelCode, 0x500);
    EXPECT_EQ(a.sides, 2);
}

// Under a perspective of 90 degrees onto 640 by 480 pixels (the screen
// -4/3..4/3 by -1..1: 240 pixels a unit of x/z), a box 2 units wide and
// 1 high whose nearest face lies at depth 4 spans 2/4 · 240 by 1/4 · 240
// pixels: a detail of 120 · 60 = 7200.
TEST_F(AttribTest, TheDetailOfABoundIsTheRasterAreaOfItsNearestExtent) {
    const Matrix toRaster = [] {
        Matrix m;
        m.perspective(90);
        Matrix screen;
        screen.map(-4.0f / 3.0f, 4.0f / 3.0f, -1, 1, 640, 480);
        return m * screen;
    }();
    Point corners[8];
    for (int k = 0; k < 8; ++k)
        corners[k] = Point(k & 1 ? 1.0f : -1.0f, k & 2 ? 0.5f : -0.5f, k & 4 ? 6.0f : 4.0f);
    EXPECT_NEAR(detailArea(corners, toRaster, true), 7200.0f, 0.5f);
    corners[0].z = 0.0f; // at the eye: as near as can be
    EXPECT_EQ(detailArea(corners, toRaster, true), std::numeric_limits<float>::max());
}

TEST_F(AttribTest, ADetailRangeFadesInAndOutAcrossItsTransitions) {
    const float range[4] = {10, 20, 100, 200};
    auto window = [&](float detail) {
        const DetailWindow w = detailWindow(detail, range);
        return std::pair<float, float>(w.from, w.to);
    };
    EXPECT_TRUE(detailWindow(5, range).empty());
    EXPECT_TRUE(detailWindow(250, range).empty());
    EXPECT_EQ(window(15), std::make_pair(0.0f, 0.5f));
    EXPECT_EQ(window(50), std::make_pair(0.0f, 1.0f));
    EXPECT_EQ(window(175), std::make_pair(0.75f, 1.0f));
    EXPECT_TRUE(detailWindow(kNan, range).empty());

    request("qelDetailRange");
    gAttrib->detailRange(5, 4, 10, 20);
    EXPECT_EQ(reports(), Lines{kRange + "qelDetailRange: detail range 5 4 10 20 out of order"});
    EXPECT_TRUE(gAttrib->detailSeen.whole());
}

TEST_F(AttribTest, ShadingRateIsStoredAsItsRoot) {
    gAttrib->shadingRate(4);
    EXPECT_FLOAT_EQ(gAttrib->shadingRateRoot, 2.0f);
    gAttrib->shadingRate(0.25f);
    EXPECT_FLOAT_EQ(gAttrib->shadingRateRoot, 0.5f);
    EXPECT_TRUE(reports().empty());
}

// 1/64 of a pixel is the finest rate, the 2^26 pixels of the largest image
// the coarsest: their roots are 1/8 and 2^13.
TEST_F(AttribTest, ShadingRateIsClampedToItsLimits) {
    request("qelShadingRate");
    const std::string range = " out of range 0.015625 to 67108864, using ";
    const std::pair<float, float> cases[] = {{0.0f, 0.125f},     {-1.0f, 0.125f}, {1e-10f, 0.125f},
                                             {kNan, 0.125f},     {kInf, 8192.0f}, {1e38f, 8192.0f},
                                             {0.015625f, 0.125f}};
    for (const auto& [rate, root] : cases) {
        gAttrib->shadingRate(2);
        gAttrib->shadingRate(rate);
        EXPECT_FLOAT_EQ(gAttrib->shadingRateRoot, root) << rate;
    }
    EXPECT_EQ(reports(),
              (Lines{kRange + "qelShadingRate: shading rate 0" + range + "0.015625",
                     kRange + "qelShadingRate: shading rate -1" + range + "0.015625",
                     kRange + "qelShadingRate: shading rate 1e-10" + range + "0.015625",
                     kRange + "qelShadingRate: shading rate nan" + range + "0.015625",
                     kRange + "qelShadingRate: shading rate inf" + range + "67108864",
                     kRange + "qelShadingRate: shading rate 1e+38" + range + "67108864"}));
}

TEST_F(AttribTest, FlatnessMustBePositive) {
    gAttrib->flatness(2);
    EXPECT_EQ(gAttrib->flatnessValue, 2.0f);
    request("qelFlatness");
    gAttrib->flatness(0);
    gAttrib->flatness(kNan);
    const std::string message = kRange + "qelFlatness: flatness must be greater than 0";
    EXPECT_EQ(reports(), (Lines{message, message}));
    EXPECT_EQ(gAttrib->flatnessValue, 2.0f);
}

TEST_F(AttribTest, OrientationFollowsTheHandednessOfTheTransform) {
    Attrib& a = *gAttrib;
    a.orientation(0x603); // outside of an unmirrored space
    EXPECT_EQ(a.orientationCode, 0x600);
    a.orientation(0x602);
    EXPECT_EQ(a.orientationCode, 0x601);

    gTransform->scale(-1, 1, 1);
    ASSERT_EQ(gTransform->handedness(), 0x601);
    a.orientation(0x603);
    EXPECT_EQ(a.orientationCode, 0x601);
    a.orientation(0x602);
    EXPECT_EQ(a.orientationCode, 0x600);
    a.orientation(0x604);
    EXPECT_EQ(a.orientationCode, 0x601);
    a.orientation(0x604);
    EXPECT_EQ(a.orientationCode, 0x600);
    a.orientation(0x601);
    EXPECT_EQ(a.orientationCode, 0x601);
    request("qelOrientation");
    a.orientation(0x605);
    EXPECT_EQ(reports(), Lines{kRange + "qelOrientation: unknown orientation 1541"});
    EXPECT_EQ(a.orientationCode, 0x601);
}

TEST_F(AttribTest, BasisSetsMatrixAndStep) {
    Attrib& a = *gAttrib;
    a.basis(0x802, 0x901); // B-spline both ways
    EXPECT_EQ(a.uStep, 1);
    EXPECT_EQ(a.vStep, 1);
    EXPECT_FLOAT_EQ(a.uBasis[3][1], 4.0f / 6);
    EXPECT_FLOAT_EQ(a.vBasis[2][0], -0.5f);
    a.basis(0x800, 0x903); // Hermite in u only
    EXPECT_EQ(a.uStep, 2);
    EXPECT_EQ(a.uBasis[0][0], 2.0f);
    EXPECT_EQ(a.vStep, 1);
    a.basis(0x801, 0x904); // power in v only
    EXPECT_EQ(a.vStep, 4);
    EXPECT_TRUE(a.vBasis == gIdentity);
    a.basis(0x800, 0x902);
    EXPECT_EQ(a.uStep, 1);
    EXPECT_EQ(a.uBasis[1][1], -2.5f);
    a.basis(0x800, 0x900);
    EXPECT_EQ(a.uStep, 3);

    const float m[4][4] = {{0, 0, 0, 1}, {0, 0, 1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}};
    a.customBasis(0x802, m, 2);
    EXPECT_EQ(a.uStep, 2);
    EXPECT_EQ(a.vBasis[3][0], 1.0f);

    request("qelBasis");
    a.basis(0x802, 0x905);
    a.basis(0x803, 0x900);
    a.customBasis(0x800, m, 0);
    EXPECT_EQ(reports(), (Lines{kRange + "qelBasis: unknown bicubic patch basis 2309",
                                kRange + "qelBasis: unknown basis application 2051",
                                kRange + "qelBasis: basis step 0 out of range"}));
    EXPECT_EQ(a.uStep, 2);
}

TEST_F(AttribTest, UnknownEnumeratorsAreReported) {
    Attrib& a = *gAttrib;
    request("qelShadingModel");
    a.shadingModel(0x502);
    EXPECT_EQ(reports(), Lines{kRange + "qelShadingModel: unknown shading interpolation 1282"});
    a.shadingModel(0x501);
    EXPECT_EQ(a.shadingModelCode, 0x501);

    request("qelLightSource");
    EXPECT_EQ(a.lightSource(kQuarkPlastic, 0, nullptr, nullptr), nullptr);
    EXPECT_EQ(reports(), Lines{kRange + "qelLightSource: light source \"plastic\": this renderer "
                                        "runs no compiled shaders"});

    request("qelAtmosphere");
    a.atmosphere(kQuarkOmni, 0, nullptr, nullptr);
    EXPECT_EQ(reports(), Lines{kRange + "qelAtmosphere: atmosphere \"omni\": this renderer "
                                        "runs no compiled shaders"});
    a.atmosphere(kQuarkFog, 0, nullptr, nullptr);
    EXPECT_EQ(a.atmosphereName, kQuarkFog);
    a.atmosphere(0, 0, nullptr, nullptr);
    EXPECT_EQ(a.atmosphereName, 0);

    request("qelLightSwitch");
    int notALight = 0;
    a.lightSwitch(&notALight, 1);
    EXPECT_EQ(reports(), Lines{"error: Bad object/light handle. qelLightSwitch"});
}

TEST_F(AttribTest, LightsLiveUntilTheirFrameEnds) {
    fState->frameBegin();
    fState->attributePush();
    Light* light = gAttrib->lightSource(kQuarkDistant, 0, nullptr, nullptr);
    ASSERT_NE(light, nullptr);
    EXPECT_TRUE(gAttrib->activeLights.find(light));
    gAttrib->lightSwitch(light, 0);
    EXPECT_FALSE(gAttrib->activeLights.find(light));
    fState->attributePop();
    EXPECT_FALSE(gAttrib->activeLights.find(light));
    gAttrib->lightSwitch(light, 1); // still owned by the frame
    EXPECT_TRUE(gAttrib->activeLights.find(light));
    EXPECT_TRUE(reports().empty());
    calls();
    fState->frameEnd();
    EXPECT_EQ(calls(), Lines{"destroy light"});
    EXPECT_FALSE(fState->ownsLight(light));
}

TEST_F(AttribTest, ColourIsConvertedFromTheColourSpace) {
    const float toRgb[6] = {1, 0, 0.5f, 0, 1, 0.5f};
    const float fromRgb[6] = {1, 0, 0, 1, 0, 0};
    gOption->colorSpace(2, toRgb, fromRgb);
    const float samples[2] = {2, 3};
    gAttrib->color(samples);
    EXPECT_TRUE(near(gAttrib->colorValue, Color(2, 3, 2.5f)));
    gAttrib->opacity(samples);
    EXPECT_TRUE(near(gAttrib->opacityValue, Color(2, 3, 2.5f)));
}

} // namespace
