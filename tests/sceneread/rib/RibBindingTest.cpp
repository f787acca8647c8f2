// The RenderMan Interface binding on its own: each procedure called as a C
// program would call it, with the qel requests it issues and its reports.
#include "../QelRecorder.h"
#include "sceneread/rib/ri.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quelmark;

namespace {

using Lines = std::vector<std::string>;

Lines gReports;
void collect(RtInt code, RtInt severity, const char* message) {
    gReports.push_back(std::to_string(code) + " " + std::to_string(severity) + " " + message);
}

class RibBindingTest : public ::testing::Test {
protected:
    RibBindingTest() {
        recorder::reset();
        RiBegin(nullptr);
        RiReportHandler(collect);
        recorder::calls().clear();
        gReports.clear();
    }
    ~RibBindingTest() override { RiReportHandler(nullptr); }
    static Lines& calls() { return recorder::calls(); }
};

TEST_F(RibBindingTest, QuadricsWithParameters) {
    RtFloat color[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 1, 1};
    RtFloat kd = 0.25f;
    RtToken tokens[] = {"Cs"};
    RtPointer values[] = {color};
    RiSphereV(1, -1, 1, 360, 1, tokens, values);
    RiConeV(2, 0.5f, 180, 0, nullptr, nullptr);
    RtToken surface[] = {"Kd"};
    RtPointer surfaceValues[] = {&kd};
    RiSurfaceV("matte", 1, surface, surfaceValues);
    EXPECT_EQ(calls(), (Lines{"qelSphereV [1 -1 1 360] color=[1 0 0 0 1 0 0 0 1 1 1 1]",
                              "qelConeV [0.5 2 2 180]", "qelSurfaceV diffuse kd=[0.25]"}));
    EXPECT_TRUE(gReports.empty());
}

TEST_F(RibBindingTest, SpotAnglesBecomeDegrees) {
    RtFloat cone = 0.5f, delta = 0.1f;
    RtToken tokens[] = {"coneangle", "conedeltaangle"};
    RtPointer values[] = {&cone, &delta};
    RtLightHandle light = RiLightSourceV("spotlight", 2, tokens, values);
    RiIlluminate(light, 0);
    EXPECT_EQ(calls(),
              (Lines{"qelLightSourceV spot coneangle=[28.6479] conedeltaangle=[5.72958] -> 1",
                     "qelLightSwitch 1 0"}));
}

// Surfaces, atmospheres and imagers are found compiled by the renderer;
// interior volumes it runs only built in, so they are passed on with a
// warning.
TEST_F(RibBindingTest, UserShadersArePassedOnByName) {
    RtFloat grain = 3;
    RtToken tokens[] = {"uniform float grain"};
    RtPointer values[] = {&grain};
    RiSurfaceV("wood", 1, tokens, values);
    RiSurfaceV("wood", 1, tokens, values);
    RiAtmosphereV("null", 0, nullptr, nullptr);
    RiAtmosphereV("haze", 0, nullptr, nullptr);
    RiImagerV("background", 0, nullptr, nullptr);
    RiImagerV("null", 0, nullptr, nullptr);
    RiInteriorV("murk", 0, nullptr, nullptr);
    EXPECT_EQ(calls(),
              (Lines{"qelQuark wood", "qelVariable grain 3329 3585", "qelSurfaceV wood grain=[3]",
                     "qelSurfaceV wood grain=[3]", "qelAtmosphereV (none)", "qelQuark haze",
                     "qelAtmosphereV haze", "qelImagerV background", "qelImagerV (null)",
                     "qelQuark murk", "qelInteriorV murk"}));
    EXPECT_EQ(gReports, (Lines{"18 2818 Interior \"murk\" is no built-in volume shader; passed "
                               "on by name"}));
}

TEST_F(RibBindingTest, TheShaderSearchPathReplacesAndExtends) {
    RtString first = "shaders:@", second = "/opt/sl:&";
    RtToken tokens[] = {"shader"};
    RtPointer firstValues[] = {&first}, secondValues[] = {&second};
    RiOptionV("searchpath", 1, tokens, firstValues);
    RiOptionV("searchpath", 1, tokens, secondValues);
    // "@" is the renderer's own places, which the scene API writes "&".
    EXPECT_EQ(calls(), (Lines{"qelShaderPath shaders:&", "qelShaderPath /opt/sl:shaders:&"}));
    EXPECT_TRUE(gReports.empty());
}

// The scene file's folder comes first by default; "&" is the path before,
// "@" the renderer's own places.
TEST_F(RibBindingTest, TheTextureSearchPathReplacesAndExtends) {
    RiShaderFolder("scenes");
    RtString first = "maps:&", second = "/opt/maps:@";
    RtToken tokens[] = {"texture"};
    RtPointer firstValues[] = {&first}, secondValues[] = {&second};
    RiOptionV("searchpath", 1, tokens, firstValues);
    RiOptionV("searchpath", 1, tokens, secondValues);
    EXPECT_EQ(calls(), (Lines{"qelTexturePath maps:scenes:&", "qelTexturePath /opt/maps:&"}));
    EXPECT_TRUE(gReports.empty());
}

TEST_F(RibBindingTest, MeshCountsAndConstants) {
    RtInt nvertices[] = {3, 3};
    RtInt vertices[] = {0, 1, 2, 0, 2, 3};
    RtFloat points[] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    RtFloat opacity[] = {0.5f, 0.5f, 0.5f};
    RtToken tokens[] = {"P", "constant color Os"};
    RtPointer values[] = {points, opacity};
    RiPointsPolygonsV(2, nvertices, vertices, 2, tokens, values);
    EXPECT_EQ(calls(), (Lines{"qelPolygonMeshV 2 [3 3] [0 1 2 0 2 3] point=[0 0 0 1 0 0 1 1 0 0 "
                              "1 0] opacity=[0.5 0.5 0.5 0.5 0.5 0.5 0.5 0.5 0.5 0.5 0.5 0.5]"}));
    // face-varying values give each face corner a point of its own
    RtFloat corners[6] = {1, 2, 3, 4, 5, 6};
    RtToken faceTokens[] = {"P", "facevarying float s"};
    RtPointer faceValues[] = {points, corners};
    calls().clear();
    RiPointsPolygonsV(2, nvertices, vertices, 2, faceTokens, faceValues);
    EXPECT_EQ(calls(), (Lines{"qelVariable s 3330 3585",
                              "qelPolygonMeshV 2 [3 3] [0 1 2 3 4 5] point=[0 0 0 1 0 0 1 1 0 0 0 "
                              "0 1 1 0 0 1 0] s=[1 2 3 4 5 6]"}));
    EXPECT_TRUE(gReports.empty());
}

TEST_F(RibBindingTest, DeclarationsIssueVariablesOnce) {
    EXPECT_STREQ(RiDeclare("density", "varying float"), "density");
    EXPECT_STREQ(RiDeclare("density", "varying float"), "density");
    EXPECT_STREQ(RiDeclare("Cs", "vertex color"), "Cs"); // mapped onto "color": nothing issued
    EXPECT_EQ(RiDeclare("odd", "varying thing"), nullptr);
    EXPECT_STREQ(RiDeclare("density", "uniform color"), "density");
    EXPECT_EQ(calls(), (Lines{"qelVariable density 3330 3585"}));
    EXPECT_EQ(gReports, (Lines{"16 2820 bad declaration \"odd\"",
                               "7 2818 parameter \"density\" was given to the scene API with "
                               "another type or class; dropped"}));
}

TEST_F(RibBindingTest, MotionBlocksPassTransformsAtEveryTimeAndKeepTheFirstOfOthers) {
    RtFloat times[] = {0, 1};
    RiMotionBeginV(2, times);
    RiTranslate(1, 0, 0);
    RiTranslate(2, 0, 0);
    RiMotionEnd();
    RiMotionBeginV(2, times);
    RtFloat red[3] = {1, 0, 0}, blue[3] = {0, 0, 1};
    RiColor(red);
    RiColor(blue);
    RiMotionEnd();
    // The binding's own transform follows the first time: the world's
    // Identity is relative to it.
    RiTranslate(3, 0, 0);
    EXPECT_EQ(calls(), (Lines{"qelMotionBeginV 2 [0 1]", "qelTranslate [1 0 0]",
                              "qelTranslate [2 0 0]", "qelMotionEnd", "qelMotionBeginV 2 [0 1]",
                              "qelColor [1 0 0]", "qelMotionEnd", "qelTranslate [3 0 0]"}));
    ASSERT_EQ(gReports.size(), 1u);
    EXPECT_NE(gReports[0].find("a motion block moves transforms only"), std::string::npos);
}

TEST_F(RibBindingTest, SolidBlocksCarryTheirOperation) {
    RiSolidBegin("difference");
    RiSolidBegin("primitive");
    RiSolidEnd();
    RiSolidBegin("xor");
    RiSolidEnd();
    EXPECT_EQ(calls(),
              (Lines{"qelSolidBegin 3843", "qelSolidBegin 3840", "qelSolidEnd", "qelSolidEnd"}));
    ASSERT_EQ(gReports.size(), 1u);
    EXPECT_NE(gReports[0].find("Unknown solid operation \"xor\""), std::string::npos);
}

TEST_F(RibBindingTest, BasesFiltersAndHandlers) {
    RiBasis(RiBSplineBasis, RI_BSPLINESTEP, RiBSplineBasis, RI_BSPLINESTEP);
    RiBasis(RiBezierBasis, 2, RiPowerBasis, RI_POWERSTEP);
    EXPECT_EQ(RiUStep(), 2);
    EXPECT_EQ(RiVStep(), 4);
    RiPixelFilter(RiSincFilter, 4, 4);
    RiPixelFilter([](RtFloat, RtFloat, RtFloat, RtFloat) { return RtFloat(1); }, 1, 1);
    RiErrorHandler(RiErrorAbort);
    RiErrorHandler(RiErrorIgnore);
    EXPECT_EQ(
        calls(),
        (Lines{"qelBasis 2050 2305", "qelCustomBasis 2048 [-1 3 -3 1 3 -6 3 0 -3 3 0 0 1 0 0 0] 2",
               "qelBasis 2049 2308", "qelFilter 260", "qelFilterWidth [4 4]", "qelCustomFilter",
               "qelFilterWidth [1 1]", "qelErrorHandler 2831 3074", "qelErrorHandler 2831 3072"}));
}

TEST_F(RibBindingTest, WorldEndRendersEveryBucket) {
    recorder::reset(3);
    RiWorldBegin();
    RiWorldEnd();
    EXPECT_EQ(calls(), (Lines{"qelFilter 262", "qelTune [32 16 16]", "qelSceneBegin",
                              "qelSurfaceV defaultsurface",
                              "qelRenderInit", "qelRenderBucket", "qelRenderBucket",
                              "qelRenderBucket", "qelRenderBucket", "qelSceneEnd"}));
}

} // namespace
