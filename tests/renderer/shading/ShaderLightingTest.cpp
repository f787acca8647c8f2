// The shading and lighting calls of compiled shaders (ambient, diffuse,
// specular, phong, specularbrdf) against values worked out by hand: lights
// straight above, at 60 degrees, at the mirror direction and behind the
// surface, and the standard plastic surface compiled from source.
#include "tests/renderer/shading/CompiledShaderSupport.h"
#include "tests/renderer/shading/ShaderRunSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

using namespace quelmark;
using namespace quelmark::testing;

namespace {

constexpr float kTolerance = 1e-6f;
constexpr int kColorFloats = 3;
const float kSin60 = std::sqrt(3.0f) / 2;
constexpr float kCos60 = 0.5f;

// Directions towards distant lights, about the normal (0, 0, 1).
const ShaderTriple kAbove = {0, 0, 1};
const ShaderTriple kSixtyDegrees = {kSin60, 0, kCos60};
const ShaderTriple kBelow = {0, 0, -1};

const ShaderTriple kWhite = {1, 1, 1};
const ShaderTriple kBlack = {0, 0, 0};

// The argument declarations of the calls: N from the renderer, the others
// parameters whose values the tests give.
const std::string kN = "global varying normal 0 N";
const std::string kL = "parameter uniform vector 0 Ldir 0 0 1";
const std::string kV = "parameter uniform vector 0 V 0 0 1";
const std::string kRoughness = "parameter uniform float 0 roughness 0.1";
const std::string kSize = "parameter uniform float 0 size 1";

// Ci = function(arguments...), each argument a register of the declaration.
std::string callShader(const std::string& function, const std::vector<std::string>& arguments) {
    ShaderText shader;
    std::vector<int> operands = {shader.reg("global varying color 0 Ci")};
    for (const std::string& declaration : arguments)
        operands.push_back(shader.reg(declaration));
    shader.call(function, operands);
    return shader.text();
}

// Two points at the origin facing up (N = (0, 0, 1)), with Ci set to a
// colour no call gives, to see that it is written.
class ShaderLighting : public ::testing::Test {
protected:
    void SetUp() override {
        environment.setEveryPoint("P", {0, 0, 0});
        environment.setEveryPoint("N", {0, 0, 1});
        environment.setEveryPoint("Ci", {7, 7, 7});
        environment.lightList = &lights;
    }

    void setParameter(const std::string& name, std::vector<float> floats) {
        environment.parameters[name] = {std::move(floats), {}, false, false};
    }
    void setView(const ShaderTriple& V) { setParameter("V", {V[0], V[1], V[2]}); }

    // Runs Ci = function(arguments...) over both points.
    void run(const std::string& function, const std::vector<std::string>& arguments) {
        ASSERT_EQ(runText(callShader(function, arguments), environment),
                  ShaderRunResult::kFinished);
        EXPECT_TRUE(environment.reports.empty());
    }
    void runSpecular(const ShaderTriple& V, float roughness) {
        setView(V);
        setParameter("roughness", {roughness});
        run("specular", {kN, kV, kRoughness});
    }
    void runPhong(const ShaderTriple& V, float size) {
        setView(V);
        setParameter("size", {size});
        run("phong", {kN, kV, kSize});
    }

    void expectCi(int point, const ShaderTriple& expected) {
        for (int k = 0; k < kColorFloats; ++k)
            EXPECT_NEAR(environment.at("Ci", point, kColorFloats, k), expected[std::size_t(k)],
                        kTolerance)
                << "point " << point << ", component " << k;
    }
    void expectCiEverywhere(const ShaderTriple& expected) {
        for (int point = 0; point < environment.points(); ++point)
            expectCi(point, expected);
    }

    TestEnvironment environment{1, 0};
    TestLights lights;
};

ShaderTriple times(const ShaderTriple& color, float factor) {
    return {color[0] * factor, color[1] * factor, color[2] * factor};
}

// ---------------------------------------------------------------------------
// ambient

using ShaderLightingAmbient = ShaderLighting;

TEST_F(ShaderLightingAmbient, SumsTheAmbientLightsAndLeavesOutTheOthers) {
    lights.lights = {TestLights::ambient({0.1f, 0.2f, 0.3f}), TestLights::point({0, 0, 10}, kWhite),
                     TestLights::ambient({0.2f, 0.2f, 0.2f})};
    run("ambient", {});
    expectCiEverywhere({0.3f, 0.4f, 0.5f});
}

TEST_F(ShaderLightingAmbient, LeavesOutTheAmbientLightAtThePointsItDoesNotReach) {
    lights.lights = {TestLights::ambient({0.5f, 0.5f, 0.5f})};
    lights.lights[0].shadowed = {1};
    run("ambient", {});
    expectCi(0, {0.5f, 0.5f, 0.5f});
    expectCi(1, kBlack);
}

// ---------------------------------------------------------------------------
// Every call that gathers light gives black without lights.

TEST_F(ShaderLighting, CallsGiveBlackWithoutLights) {
    environment.lightList = nullptr;
    const std::vector<std::pair<std::string, std::vector<std::string>>> calls = {
        {"ambient", {}},
        {"diffuse", {kN}},
        {"specular", {kN, kV, kRoughness}},
        {"phong", {kN, kV, kSize}}};
    for (const auto& [function, arguments] : calls) {
        environment.setEveryPoint("Ci", {7, 7, 7});
        run(function, arguments);
        expectCiEverywhere(kBlack);
    }
}

// ---------------------------------------------------------------------------
// diffuse: Cl times the cosine of the angle between L and N

using ShaderLightingDiffuse = ShaderLighting;

// Neither N (of length 2) nor L (of length 10) is of unit length.
TEST_F(ShaderLightingDiffuse, ALightStraightAboveGivesItsColour) {
    environment.setEveryPoint("N", {0, 0, 2});
    const ShaderTriple color = {0.5f, 0.25f, 1};
    lights.lights = {TestLights::point({0, 0, 10}, color)};
    run("diffuse", {kN});
    expectCiEverywhere(color);
}

TEST_F(ShaderLightingDiffuse, ALightSixtyDegreesFromTheNormalGivesHalfItsColour) {
    lights.lights = {TestLights::distant(times(kSixtyDegrees, 3), {1, 0.5f, 0})};
    run("diffuse", {kN});
    expectCiEverywhere({0.5f, 0.25f, 0});
}

// Straight below, and a little below the horizon.
TEST_F(ShaderLightingDiffuse, ALightBehindTheSurfaceGivesNothing) {
    lights.lights = {TestLights::distant(kBelow, kWhite),
                     TestLights::distant({1, 0, -0.1f}, kWhite)};
    run("diffuse", {kN});
    expectCiEverywhere(kBlack);
}

TEST_F(ShaderLightingDiffuse, SeveralLightsSumAndAmbientLightsTakeNoPart) {
    lights.lights = {TestLights::distant(kAbove, {1, 0, 0}),
                     TestLights::distant(kSixtyDegrees, {0, 1, 0}), TestLights::ambient(kWhite)};
    run("diffuse", {kN});
    expectCiEverywhere({1, 0.5f, 0});
}

TEST_F(ShaderLightingDiffuse, APointInShadowGetsNothing) {
    lights.lights = {TestLights::distant(kAbove, kWhite)};
    lights.lights[0].shadowed = {1};
    run("diffuse", {kN});
    expectCi(0, kWhite);
    expectCi(1, kBlack);
}

// A point light one unit above the origin: straight above the first point,
// and, seen from the second at (-sqrt 3, 0, 0), 60 degrees from its normal.
TEST_F(ShaderLightingDiffuse, TheLightsShineAtEachPointsPosition) {
    environment.setVarying("P", {0, 0, 0, -2 * kSin60, 0, 0});
    lights.lights = {TestLights::point({0, 0, 1}, kWhite)};
    run("diffuse", {kN});
    expectCi(0, kWhite);
    expectCi(1, times(kWhite, kCos60));
}

TEST_F(ShaderLightingDiffuse, WithoutASurfacePositionTheLightsShineAtTheOrigin) {
    environment.variables.erase("P");
    lights.lights = {TestLights::point({0, 0, 1}, kWhite)};
    ASSERT_EQ(runText(callShader("diffuse", {kN}), environment), ShaderRunResult::kFinished);
    expectCiEverywhere(kWhite);
    ASSERT_EQ(environment.reports.size(), 1u);
    EXPECT_NE(environment.reports[0].find("no surface position P"), std::string::npos);
}

// The language keeps the lighting calls out of light loops, but compiled
// code written otherwise may have one there: diffuse gathers every light
// again, (1, 1/2, 0), and leaves the loop's own Cl, red and then green, as
// it was.
TEST_F(ShaderLightingDiffuse, ACallInsideAnIlluminanceLoopLeavesTheLoopsLightAlone) {
    ShaderText shader;
    const int Ci = shader.reg("global varying color 0 Ci");
    const int P = shader.reg("global varying point 0 P");
    const int N = shader.reg("global varying normal 0 N");
    const int Cl = shader.reg("global varying color 0 Cl");
    shader.reg("global varying vector 0 L");
    const int zero = shader.reg("constant uniform float 0 - 0");
    const int gathered = shader.reg("local varying color 0 -");
    shader.op("move", {Ci, zero})
        .op("illuminance", {-1, P, -1, -1})
        .call("diffuse", {gathered, N})
        .op("multiply", {gathered, gathered, Cl})
        .op("add", {Ci, Ci, gathered})
        .op("endlightloop", {});
    lights.lights = {TestLights::distant(kAbove, {1, 0, 0}),
                     TestLights::distant(kSixtyDegrees, {0, 1, 0})};
    ASSERT_EQ(runText(shader.text(), environment), ShaderRunResult::kFinished);
    expectCiEverywhere({1, 0.5f, 0});
}

// ---------------------------------------------------------------------------
// specular: Cl times pow(max(0, N.H), 1 / (roughness / 8)), H halfway
// between L and V

using ShaderLightingSpecular = ShaderLighting;

// The roughness whose highlight has the exponent 4.
constexpr float kExponentFour = 2;

// L and V mirrored about N: H is N, whatever the roughness.
TEST_F(ShaderLightingSpecular, AtTheMirrorDirectionGivesTheLightsColour) {
    const ShaderTriple color = {0.25f, 0.5f, 1};
    lights.lights = {TestLights::distant({3, 0, 4}, color)};
    for (const float roughness : {0.1f, 0.5f}) {
        runSpecular({-0.6f, 0, 0.8f}, roughness);
        expectCiEverywhere(color);
    }
}

// Light at 60 degrees, V along N: H is 30 degrees from N, N.H = sqrt(3)/2,
// and with roughness 1/4, (sqrt(3)/2)^4 = 9/16.
TEST_F(ShaderLightingSpecular, AtSixtyDegreesFromTheViewGivesTheWorkedWeight) {
    lights.lights = {TestLights::distant(kSixtyDegrees, {1, 0.5f, 0})};
    runSpecular({0, 0, 1}, kExponentFour);
    expectCiEverywhere({0.5625f, 0.28125f, 0});
}

// Light from below the surface would make a highlight (N.H = 1/sqrt(10)),
// but it does not come from the hemisphere round N.
TEST_F(ShaderLightingSpecular, ALightBehindTheSurfaceGivesNoHighlight) {
    lights.lights = {TestLights::distant({0.6f, 0, -0.8f}, kWhite)};
    runSpecular({0, 0, 1}, 0.5f);
    expectCiEverywhere(kBlack);
}

TEST_F(ShaderLightingSpecular, SeveralLightsSum) {
    lights.lights = {TestLights::distant(kAbove, {1, 0, 0}),
                     TestLights::distant(kSixtyDegrees, {0, 1, 0}), TestLights::ambient(kWhite)};
    runSpecular({0, 0, 1}, kExponentFour);
    expectCiEverywhere({1, 0.5625f, 0});
}

// ---------------------------------------------------------------------------
// phong: Cl times pow(max(0, R.L), size), R the view mirrored about N

using ShaderLightingPhong = ShaderLighting;

// V of length 2, mirrored about N onto L.
TEST_F(ShaderLightingPhong, AtTheMirrorDirectionGivesTheLightsColour) {
    const ShaderTriple color = {0.25f, 0.5f, 1};
    lights.lights = {TestLights::distant({0.6f, 0, 0.8f}, color)};
    runPhong({-1.2f, 0, 1.6f}, 10);
    expectCiEverywhere(color);
}

// V along N mirrors onto N; the light at 60 degrees: R.L = 1/2, and
// (1/2)^3 = 1/8.
TEST_F(ShaderLightingPhong, AtSixtyDegreesFromTheMirrorGivesTheWorkedWeight) {
    lights.lights = {TestLights::distant(kSixtyDegrees, kWhite)};
    runPhong({0, 0, 1}, 3);
    expectCiEverywhere(times(kWhite, 0.125f));
}

// V = (-0.6, 0, 0.8) mirrors onto R = (0.6, 0, 0.8); the light straight
// above: R.L = 0.8, and 0.8^2 = 0.64.
TEST_F(ShaderLightingPhong, AnObliqueViewGivesTheWorkedWeight) {
    lights.lights = {TestLights::distant(kAbove, kWhite)};
    runPhong({-0.6f, 0, 0.8f}, 2);
    expectCiEverywhere(times(kWhite, 0.64f));
}

// Light a little below the horizon would make a highlight (R.L > 1/2), but
// it does not come from the hemisphere round N.
TEST_F(ShaderLightingPhong, ALightBehindTheSurfaceGivesNoHighlight) {
    lights.lights = {TestLights::distant({1, 0, -0.1f}, kWhite)};
    runPhong({-0.6f, 0, 0.8f}, 1);
    expectCiEverywhere(kBlack);
}

// ---------------------------------------------------------------------------
// specularbrdf: specular's weight for one direction, as a grey

using ShaderLightingSpecularBrdf = ShaderLighting;

// L of length 2 at 60 degrees, N of length 3, V along N: (sqrt(3)/2)^2.
TEST_F(ShaderLightingSpecularBrdf, GivesTheWorkedWeightWithoutLights) {
    environment.lightList = nullptr;
    environment.setEveryPoint("N", {0, 0, 3});
    setParameter("Ldir", {2 * kSin60, 0, 2 * kCos60});
    setView({0, 0, 1});
    setParameter("roughness", {4}); // the exponent 8 / 4 = 2
    run("specularbrdf", {kL, kN, kV, kRoughness});
    expectCiEverywhere({0.75f, 0.75f, 0.75f});
}

TEST_F(ShaderLightingSpecularBrdf, IsOneAtTheMirrorDirection) {
    setParameter("Ldir", {0.6f, 0, 0.8f});
    setView({-0.6f, 0, 0.8f});
    setParameter("roughness", {0.1f});
    run("specularbrdf", {kL, kN, kV, kRoughness});
    expectCiEverywhere(kWhite);
}

// ---------------------------------------------------------------------------
// The standard plastic surface compiled from source

const char* const kPlastic = R"(
    surface plastic(float Ka = 1; float Kd = .5; float Ks = .5; float roughness = .1;
                    color specularcolor = 1;) {
        normal Nf = faceforward(normalize(N), I);
        vector V = -normalize(I);
        Oi = Os;
        Ci = Os * (Cs * (Ka * ambient() + Kd * diffuse(Nf)) +
                   specularcolor * Ks * specular(Nf, V, roughness));
    })";

// An ambient light of 0.2 and a white light 60 degrees from the normal.
// The first point is seen straight on: diffuse 1/2, specular of exponent
// 8 / 0.1 = 80, (sqrt(3)/2)^80 = (3/4)^40. The second, whose normal faces away
// from the eye and is turned round, is seen from the mirror direction of
// the light: diffuse 1/2, specular 1.
TEST(ShaderLightingCompiled, PlasticGivesTheValuesWorkedByHand) {
    TestEnvironment environment(1, 0);
    environment.setEveryPoint("P", {0, 0, 0});
    environment.setVarying("N", {0, 0, 1, 0, 0, -1});
    environment.setVarying("I", {0, 0, -1, 2 * kSin60, 0, -2 * kCos60});
    const ShaderTriple Cs = {1, 0.5f, 0.25f};
    environment.setEveryPoint("Cs", {Cs[0], Cs[1], Cs[2]});
    environment.setEveryPoint("Os", {1, 1, 1});
    environment.setEveryPoint("Ci", {0, 0, 0});
    environment.setEveryPoint("Oi", {0, 0, 0});
    TestLights lights;
    lights.lights = {TestLights::ambient({0.2f, 0.2f, 0.2f}),
                     TestLights::distant(kSixtyDegrees, kWhite)};
    environment.lightList = &lights;
    ASSERT_TRUE(compileAndRun(kPlastic, environment));

    // Ka * ambient + Kd * diffuse = 0.2 + 0.5 * 0.5 at both points.
    constexpr float kBody = 0.45f;
    const std::vector<float> highlight = {0.5f * std::pow(0.75f, 40.0f), 0.5f};
    for (int point = 0; point < environment.points(); ++point)
        for (int k = 0; k < kColorFloats; ++k) {
            EXPECT_NEAR(environment.at("Ci", point, kColorFloats, k),
                        Cs[std::size_t(k)] * kBody + highlight[std::size_t(point)], kTolerance)
                << "point " << point << ", component " << k;
            EXPECT_EQ(environment.at("Oi", point, kColorFloats, k), 1);
        }
    EXPECT_TRUE(environment.reports.empty());
}

} // namespace
