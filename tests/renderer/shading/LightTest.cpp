#include "renderer/shading/Light.h"

#include "common/Quark.h"
#include "renderer/shading/ShaderFactory.h"
#include "renderer/shading/Surface.h"
#include "renderer/state/ArgList.h"
#include "renderer/state/State.h"
#include "renderer/state/Transform.h"

#include "ShaderTestValues.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <memory>

namespace {

constexpr float kDegree = kPi / 180;

// Exposes solar, which the built-in distant light only uses with no spread.
class SolarProbe : public Light {
public:
    using Light::Light;
    using Light::solar;
};

class LightTest : public ::testing::Test {
protected:
    LightTest() : fSpace(retainSnapshot(new Transform)), fSurface(fSpace) {
        fSpace->init();
        fSurface.lights = &fLights;
    }
    ~LightTest() override {
        fLights.flush();
        releaseSnapshot(fSpace);
    }

    // A light of the given name, instanced with args, in the test's space.
    Light* make(unsigned short name, const ArgList& args = ArgList()) {
        fMade.emplace_back(makeLightShader(name, args, fSpace));
        return fMade.back().get();
    }
    void activate(Light* light) { fLights.add(light); }

    // One Illuminance step at P with the surface's normal N and a hemisphere.
    int illuminanceStep(const Point& P, const Point& N) {
        fSurface.P = P;
        Illuminance lit(fSurface, P, N, kPi / 2);
        return lit++;
    }

    Transform* fSpace;
    ConstantSurface fSurface;
    List<Light*> fLights;
    std::vector<std::unique_ptr<Light>> fMade;
};

TEST_F(LightTest, PointLightFallsOffWithTheSquareOfTheDistance) {
    Light* light = make(kQuarkOmni, argList({uniformArg(kQuarkColor, {1, 0.5f, 0.25f})}));
    EXPECT_EQ(light->illuminates(Point(0, 0, 2), Point(), kPi, 0), 1.0f);
    expectPoint(light->L, 0, 0, 2);
    light->evaluate();
    expectColor(light->Cl, 0.25f, 0.125f, 0.0625f);
}

TEST_F(LightTest, PointLightTakesIntensityAndPosition) {
    Light* light = make(
        kQuarkOmni, argList({uniformArg(kQuarkIntensity, {8}), uniformArg(kQuarkFrom, {1, 0, 0})}));
    light->illuminates(Point(1, 0, 2), Point(), kPi, 0);
    expectPoint(light->L, 0, 0, 2);
    light->evaluate();
    expectColor(light->Cl, 2, 2, 2);
}

TEST_F(LightTest, SurfaceFacingAwayFromPointLightIsNotLit) {
    Light* light = make(kQuarkOmni);
    EXPECT_EQ(light->illuminates(Point(0, 0, 2), Point(0, 0, 1), kPi / 2, 0), 0.0f);
    EXPECT_EQ(light->illuminates(Point(0, 0, 2), Point(0, 0, -1), kPi / 2, 0), 1.0f);
    // 80 degrees off the normal is inside a cone of 90, outside one of 60.
    Point tilted(std::sin(80 * kDegree), 0, -std::cos(80 * kDegree));
    EXPECT_EQ(light->illuminates(Point(0, 0, 2), tilted, kPi / 2, 0), 1.0f);
    EXPECT_EQ(light->illuminates(Point(0, 0, 2), tilted, kPi / 3, 0), 0.0f);
}

TEST_F(LightTest, SpotLightDefaultsLightTheAxisFully) {
    Light* light = make(kQuarkSpot);
    EXPECT_EQ(light->illuminates(Point(0, 0, 1), Point(), kPi, 0), 1.0f);
    light->evaluate();
    expectColor(light->Cl, 1, 1, 1);

    light->illuminates(Point(0, 0, 2), Point(), kPi, 0);
    light->evaluate();
    expectColor(light->Cl, 0.25f, 0.25f, 0.25f);
}

TEST_F(LightTest, SpotLightLeavesPointsOutsideItsConeBlack) {
    Light* light = make(kQuarkSpot);
    Point offAxis(std::sin(40 * kDegree), 0, std::cos(40 * kDegree));
    EXPECT_EQ(light->illuminates(offAxis, Point(), kPi, 0), 0.0f);
    light->evaluate();
    expectColor(light->Cl, 0, 0, 0);
}

TEST_F(LightTest, SpotLightBeamAndPenumbra) {
    Light* light = make(kQuarkSpot);
    // Inside the full beam (20 < 30 - 5 degrees): cos^2(20).
    light->illuminates(Point(std::sin(20 * kDegree), 0, std::cos(20 * kDegree)), Point(), kPi, 0);
    light->evaluate();
    EXPECT_NEAR(light->Cl.g, 0.883022f, 1e-5f);
    // Halfway through the penumbra (27.5 degrees): cos^2 times the smooth step.
    light->illuminates(Point(std::sin(27.5f * kDegree), 0, std::cos(27.5f * kDegree)), Point(), kPi,
                       0);
    light->evaluate();
    EXPECT_NEAR(light->Cl.g, 0.418114f, 1e-4f);
}

TEST_F(LightTest, SpotLightParametersAreInDegrees) {
    Light* light =
        make(kQuarkSpot,
             argList({uniformArg(kQuarkConeAngle, {60}), uniformArg(kQuarkConeDeltaAngle, {10}),
                      uniformArg(kQuarkBeamDistribution, {4}), uniformArg(kQuarkTo, {0, 0, -1})}));
    Point offAxis(std::sin(45 * kDegree), 0, -std::cos(45 * kDegree));
    EXPECT_EQ(light->illuminates(offAxis, Point(), kPi, 0), 1.0f);
    light->evaluate();
    EXPECT_NEAR(light->Cl.r, 0.25f, 1e-5f); // cos^4(45)
    Point outside(std::sin(65 * kDegree), 0, -std::cos(65 * kDegree));
    EXPECT_EQ(light->illuminates(outside, Point(), kPi, 0), 0.0f);
}

TEST_F(LightTest, DistantLightShinesAlongFromTo) {
    Light* light = make(kQuarkDistant, argList({uniformArg(kQuarkIntensity, {0.5f})}));
    activate(light);
    EXPECT_EQ(light->illuminates(Point(3, 4, 100), Point(0, 0, -1), kPi / 2, 0), 1.0f);
    expectPoint(light->L, 0, 0, 1);
    ASSERT_EQ(illuminanceStep(Point(3, 4, 100), Point(0, 0, -1)), 1);
    expectPoint(fSurface.L, 0, 0, -1);
    expectColor(fSurface.Cl, 0.5f, 0.5f, 0.5f); // no fall-off with distance
}

TEST_F(LightTest, DistantLightMissesSurfacesFacingAlongIt) {
    Light* light = make(kQuarkDistant);
    EXPECT_EQ(light->illuminates(Point(0, 0, 1), Point(0, 0, 1), kPi / 2, 0), 0.0f);
    // Without a surface cone every direction is lit.
    EXPECT_EQ(light->illuminates(Point(0, 0, 1), Point(0, 0, 1), kPi, 0), 1.0f);
}

TEST_F(LightTest, AmbientLightIsOnlyAmbient) {
    Light* light =
        make(kQuarkAmbient,
             argList({uniformArg(kQuarkIntensity, {0.5f}), uniformArg(kQuarkColor, {1, 0, 0.5f})}));
    EXPECT_EQ(light->isambient(), 1);
    EXPECT_EQ(make(kQuarkOmni)->isambient(), 0);
    light->evaluate();
    expectColor(light->Cl, 0.5f, 0, 0.25f);
}

TEST_F(LightTest, IlluminanceNeverReturnsAmbientLights) {
    activate(make(kQuarkAmbient));
    EXPECT_EQ(illuminanceStep(Point(0, 0, 1), Point(0, 0, -1)), 0);

    activate(make(kQuarkOmni));
    activate(make(kQuarkAmbient));
    Illuminance lit(fSurface, Point(0, 0, 1), Point(0, 0, -1), kPi / 2);
    EXPECT_EQ(lit++, 1);
    EXPECT_EQ(lit++, 0);
}

TEST_F(LightTest, IlluminanceSkipsLightsThatDoNotReach) {
    activate(make(kQuarkOmni, argList({uniformArg(kQuarkFrom, {0, 0, 4})})));
    // Tried first; the point lies 90 degrees off its axis.
    activate(make(kQuarkSpot, argList({uniformArg(kQuarkTo, {1, 0, 0})})));
    Illuminance lit(fSurface, Point(0, 0, 3), Point(0, 0, 1), kPi / 2);
    EXPECT_EQ(lit++, 1);
    expectPoint(fSurface.L, 0, 0, 1);
    EXPECT_EQ(lit++, 0);
}

TEST_F(LightTest, IlluminanceHandsTheSurfaceToTheLight) {
    Light* light = make(kQuarkOmni, argList({uniformArg(kQuarkColor, {4, 8, 12})}));
    activate(light);
    fSurface.E = Point(0, 0, -1);
    ASSERT_EQ(illuminanceStep(Point(0, 2, 0), Point(0, -1, 0)), 1);
    expectPoint(light->Ps, 0, 2, 0);
    expectPoint(light->E, 0, 0, -1);
    expectPoint(fSurface.L, 0, -2, 0);
    expectColor(fSurface.Cl, 1, 2, 3);
    expectColor(fSurface.Ol, 1, 1, 1);
}

TEST_F(LightTest, IlluminanceWithoutActiveLightsEndsAtOnce) {
    fSurface.lights = nullptr;
    EXPECT_EQ(illuminanceStep(Point(0, 0, 1), Point(0, 0, -1)), 0);
}

TEST_F(LightTest, DefaultOutputsAreBlackLightAndWhiteOpacity) {
    Light* light = make(kQuarkOmni);
    light->Cl = Color(1, 2, 3);
    light->Ol = Color(0, 0, 0);
    light->defaultOutputs();
    expectColor(light->Cl, 0, 0, 0);
    expectColor(light->Ol, 1, 1, 1);
}

TEST_F(LightTest, BaseLightReachesNothing) {
    Light light(fSpace);
    EXPECT_EQ(light.illuminates(Point(0, 0, 1), Point(0, 0, -1), kPi, 0), 0.0f);
    EXPECT_EQ(light.isambient(), 0);
}

TEST_F(LightTest, PrimitiveValuesInterpolateOverTheSurface) {
    Light* light = make(kQuarkAmbient);
    ArgAssoc corners;
    corners.quark = kQuarkIntensity;
    corners.parameterClass = 0xD02;
    corners.parameterType = 0xE01;
    corners.items = 4;
    corners.width = 1;
    corners.floats = {0, 4, 0, 4};
    light->bilerp(0.25f, 0.5f, argList({corners}));
    light->evaluate();
    expectColor(light->Cl, 1, 1, 1);
}

TEST_F(LightTest, SolarWithSpread) {
    SolarProbe probe(fSpace);
    EXPECT_EQ(probe.solar(Point(), Point(0, 0, -1), kPi / 2, Point(1, 0, 0), kPi, 0), 1.0f);
    expectPoint(probe.L, 0, 0, 1);
    // A light along the horizon, half of its cone above it.
    EXPECT_NEAR(probe.solar(Point(), Point(0, 0, -1), kPi / 2, Point(1, 0, 0), 0.2f, 0), 0.5f,
                1e-5f);
    expectPoint(probe.L, 1, 0, 0);
    EXPECT_EQ(probe.solar(Point(), Point(0, 0, -1), kPi / 4, Point(1, 0, 0), 0.2f, 0), 0.0f);
}

TEST_F(LightTest, UnknownLightNamesMakeNothing) {
    EXPECT_EQ(makeLightShader(kQuarkPlastic, ArgList(), fSpace), nullptr);
    EXPECT_EQ(makeLightShader(0, ArgList(), fSpace), nullptr);
}

// Lights placed in a space other than camera space.
class LightSpaceTest : public ::testing::Test {
protected:
    void SetUp() override { fState = std::make_unique<State>(); }
    void TearDown() override { fState.reset(); }

    std::unique_ptr<State> fState;
};

TEST_F(LightSpaceTest, PositionsMoveToCameraSpace) {
    gTransform->translate(0, 0, 5);
    std::unique_ptr<Light> light(makeLightShader(kQuarkOmni, ArgList(), gState->getTransform()));
    expectPoint(light->P, 0, 0, 5);
    light->illuminates(Point(0, 0, 1), Point(), kPi, 0);
    expectPoint(light->L, 0, 0, -4);
    light->evaluate();
    expectColor(light->Cl, 1.0f / 16, 1.0f / 16, 1.0f / 16);
}

TEST_F(LightSpaceTest, DirectionsMoveToCameraSpace) {
    gTransform->scale(1, 1, -1);
    std::unique_ptr<Light> distant(
        makeLightShader(kQuarkDistant, ArgList(), gState->getTransform()));
    EXPECT_EQ(distant->illuminates(Point(0, 0, 1), Point(0, 0, 1), kPi / 2, 0), 1.0f);
    expectPoint(distant->L, 0, 0, -1);

    std::unique_ptr<Light> spot(makeLightShader(kQuarkSpot, ArgList(), gState->getTransform()));
    EXPECT_EQ(spot->illuminates(Point(0, 0, -1), Point(), kPi, 0), 1.0f);
    EXPECT_EQ(spot->illuminates(Point(0, 0, 1), Point(), kPi, 0), 0.0f);
}

} // namespace
