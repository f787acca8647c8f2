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
#include <vector>

using namespace quelmark;

namespace {

constexpr float kDegree = kPi / 180;

// A light's light at one point.
struct LightAt {
    bool reached;
    Point L; // towards the light
    Color Cl;
};

// The light at P, inside the cone of half-angle `angle` around the unit
// normal N (every direction without one), with the primitive's values taken
// at the point's grid place.
LightAt lightAt(ShadingContext& context, const Light& light, const Point& P,
                const Point* N = nullptr, float angle = kPi, const ArgList& values = ArgList(),
                float gridU = 0, float gridV = 0) {
    PointToShade point;
    point.P = P, point.gridU = gridU, point.gridV = gridV;
    loadPoints(context, {point});
    context.lightValues.bind(light.parameters(), values, context.points);
    light.shine(context, 0, &P, N, 1, angle, context.lightValues, context.lit);
    return {context.lit.reached[0] != 0, context.lit.L[0], context.lit.Cl[0]};
}

// Records the light every step of a surface's illuminance loop hands it.
class IlluminanceProbe : public Surface {
public:
    explicit IlluminanceProbe(Transform* space) : Surface(space) {}
    void shade(ShadingContext& context) const override {
        illuminance(context, context.points.N, [&](const LightSamples& lit) {
            steps.push_back({lit.reached[0] != 0, lit.L[0], lit.Cl[0]});
        });
    }
    mutable std::vector<LightAt> steps;
};

class LightTest : public ::testing::Test {
protected:
    LightTest() : fSpace(retainSnapshot(new Transform)) { fSpace->init(); }
    ~LightTest() override {
        fLights.flush();
        releaseSnapshot(fSpace);
    }

    // A light of the given name, instanced with args, in the test's space.
    const Light* make(unsigned short name, const ArgList& args = ArgList()) {
        fMade.emplace_back(makeLightShader(name, args, fSpace));
        return fMade.back().get();
    }
    void activate(const Light* light) { fLights.add(const_cast<Light*>(light)); }

    LightAt lightAt(const Light* light, const Point& P, const Point* N = nullptr, float angle = kPi,
                    const ArgList& values = ArgList(), float gridU = 0, float gridV = 0) {
        return ::lightAt(fContext, *light, P, N, angle, values, gridU, gridV);
    }
    // The steps of an illuminance loop at P with normal N over the active lights.
    std::vector<LightAt> illuminance(const Point& P, const Point& N, bool lit = true) {
        IlluminanceProbe probe(fSpace);
        PointToShade point;
        point.P = P, point.N = point.Ng = N;
        loadPoints(fContext, {point});
        fContext.lights = lit ? &fLights : nullptr;
        fContext.primitiveValues = nullptr;
        probe.shade(fContext);
        return probe.steps;
    }

    Transform* fSpace;
    List<Light*> fLights;
    std::vector<std::unique_ptr<Light>> fMade;
    ShadingContext fContext;
};

TEST_F(LightTest, PointLightFallsOffWithTheSquareOfTheDistance) {
    const Light* light = make(kQuarkOmni, argList({uniformArg(kQuarkColor, {1, 0.5f, 0.25f})}));
    LightAt at = lightAt(light, Point(0, 0, 2));
    EXPECT_TRUE(at.reached);
    expectPoint(at.L, 0, 0, -2);
    expectColor(at.Cl, 0.25f, 0.125f, 0.0625f);
}

TEST_F(LightTest, PointLightTakesIntensityAndPosition) {
    const Light* light = make(
        kQuarkOmni, argList({uniformArg(kQuarkIntensity, {8}), uniformArg(kQuarkFrom, {1, 0, 0})}));
    LightAt at = lightAt(light, Point(1, 0, 2));
    expectPoint(at.L, 0, 0, -2);
    expectColor(at.Cl, 2, 2, 2);
}

TEST_F(LightTest, SurfaceFacingAwayFromPointLightIsNotLit) {
    const Light* light = make(kQuarkOmni);
    const Point away(0, 0, 1), facing(0, 0, -1);
    EXPECT_FALSE(lightAt(light, Point(0, 0, 2), &away, kPi / 2).reached);
    EXPECT_TRUE(lightAt(light, Point(0, 0, 2), &facing, kPi / 2).reached);
    // 80 degrees off the normal is inside a cone of 90, outside one of 60.
    const Point tilted(std::sin(80 * kDegree), 0, -std::cos(80 * kDegree));
    EXPECT_TRUE(lightAt(light, Point(0, 0, 2), &tilted, kPi / 2).reached);
    EXPECT_FALSE(lightAt(light, Point(0, 0, 2), &tilted, kPi / 3).reached);
}

TEST_F(LightTest, SpotLightDefaultsLightTheAxisFully) {
    const Light* light = make(kQuarkSpot);
    LightAt at = lightAt(light, Point(0, 0, 1));
    EXPECT_TRUE(at.reached);
    expectColor(at.Cl, 1, 1, 1);
    expectColor(lightAt(light, Point(0, 0, 2)).Cl, 0.25f, 0.25f, 0.25f);
}

TEST_F(LightTest, SpotLightLeavesPointsOutsideItsConeBlack) {
    Point offAxis(std::sin(40 * kDegree), 0, std::cos(40 * kDegree));
    LightAt at = lightAt(make(kQuarkSpot), offAxis);
    EXPECT_FALSE(at.reached);
    expectColor(at.Cl, 0, 0, 0);
}

TEST_F(LightTest, SpotLightBeamAndPenumbra) {
    const Light* light = make(kQuarkSpot);
    // Inside the full beam (20 < 30 - 5 degrees): cos^2(20).
    EXPECT_NEAR(lightAt(light, Point(std::sin(20 * kDegree), 0, std::cos(20 * kDegree))).Cl.g,
                0.883022f, 1e-5f);
    // Halfway through the penumbra (27.5 degrees): cos^2 times the smooth step.
    EXPECT_NEAR(lightAt(light, Point(std::sin(27.5f * kDegree), 0, std::cos(27.5f * kDegree))).Cl.g,
                0.418114f, 1e-4f);
}

TEST_F(LightTest, SpotLightParametersAreInDegrees) {
    const Light* light =
        make(kQuarkSpot,
             argList({uniformArg(kQuarkConeAngle, {60}), uniformArg(kQuarkConeDeltaAngle, {10}),
                      uniformArg(kQuarkBeamDistribution, {4}), uniformArg(kQuarkTo, {0, 0, -1})}));
    Point offAxis(std::sin(45 * kDegree), 0, -std::cos(45 * kDegree));
    LightAt at = lightAt(light, offAxis);
    EXPECT_TRUE(at.reached);
    EXPECT_NEAR(at.Cl.r, 0.25f, 1e-5f); // cos^4(45)
    Point outside(std::sin(65 * kDegree), 0, -std::cos(65 * kDegree));
    EXPECT_FALSE(lightAt(light, outside).reached);
}

TEST_F(LightTest, APrimitivesConeAngleIsInDegreesToo) {
    const Light* light = make(kQuarkSpot);
    Point offAxis(std::sin(45 * kDegree), 0, std::cos(45 * kDegree));
    EXPECT_FALSE(lightAt(light, offAxis).reached);
    ArgList wide = argList({uniformArg(kQuarkConeAngle, {60})});
    EXPECT_TRUE(lightAt(light, offAxis, nullptr, kPi, wide).reached);
}

TEST_F(LightTest, DistantLightShinesAlongFromTo) {
    const Light* light = make(kQuarkDistant, argList({uniformArg(kQuarkIntensity, {0.5f})}));
    const Point facing(0, 0, -1);
    LightAt at = lightAt(light, Point(3, 4, 100), &facing, kPi / 2);
    EXPECT_TRUE(at.reached);
    expectPoint(at.L, 0, 0, -1);
    expectColor(at.Cl, 0.5f, 0.5f, 0.5f); // no fall-off with distance
}

TEST_F(LightTest, DistantLightMissesSurfacesFacingAlongIt) {
    const Light* light = make(kQuarkDistant);
    const Point along(0, 0, 1);
    EXPECT_FALSE(lightAt(light, Point(0, 0, 1), &along, kPi / 2).reached);
    // Without a surface cone every direction is lit.
    EXPECT_TRUE(lightAt(light, Point(0, 0, 1), &along, kPi).reached);
}

TEST_F(LightTest, AmbientLightIsOnlyAmbient) {
    const Light* light =
        make(kQuarkAmbient,
             argList({uniformArg(kQuarkIntensity, {0.5f}), uniformArg(kQuarkColor, {1, 0, 0.5f})}));
    EXPECT_TRUE(light->isAmbient());
    EXPECT_FALSE(make(kQuarkOmni)->isAmbient());
    expectColor(lightAt(light, Point(0, 0, 1)).Cl, 0.5f, 0, 0.25f);
}

TEST_F(LightTest, IlluminanceNeverReturnsAmbientLights) {
    activate(make(kQuarkAmbient));
    EXPECT_TRUE(illuminance(Point(0, 0, 1), Point(0, 0, -1)).empty());
    activate(make(kQuarkOmni));
    activate(make(kQuarkAmbient));
    EXPECT_EQ(illuminance(Point(0, 0, 1), Point(0, 0, -1)).size(), 1u);
}

TEST_F(LightTest, IlluminanceLeavesOutLightsThatDoNotReach) {
    activate(make(kQuarkOmni, argList({uniformArg(kQuarkFrom, {0, 0, 4})})));
    // Gathered first; the point lies 90 degrees off its axis.
    activate(make(kQuarkSpot, argList({uniformArg(kQuarkTo, {1, 0, 0})})));
    std::vector<LightAt> steps = illuminance(Point(0, 0, 3), Point(0, 0, 1));
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_FALSE(steps[0].reached);
    expectColor(steps[0].Cl, 0, 0, 0);
    EXPECT_TRUE(steps[1].reached);
    expectPoint(steps[1].L, 0, 0, 1);
}

TEST_F(LightTest, IlluminanceGivesTheLightAtThePoint) {
    activate(make(kQuarkOmni, argList({uniformArg(kQuarkColor, {4, 8, 12})})));
    std::vector<LightAt> steps = illuminance(Point(0, 2, 0), Point(0, -1, 0));
    ASSERT_EQ(steps.size(), 1u);
    expectPoint(steps[0].L, 0, -2, 0);
    expectColor(steps[0].Cl, 1, 2, 3);
}

TEST_F(LightTest, IlluminanceWithoutActiveLightsEndsAtOnce) {
    activate(make(kQuarkOmni));
    EXPECT_TRUE(illuminance(Point(0, 0, 1), Point(0, 0, -1), false).empty());
}

TEST_F(LightTest, BaseLightReachesNothing) {
    Light light(fSpace);
    LightAt at = lightAt(&light, Point(0, 0, 1));
    EXPECT_FALSE(at.reached);
    expectColor(at.Cl, 0, 0, 0);
    EXPECT_FALSE(light.isAmbient());
}

TEST_F(LightTest, PrimitiveValuesInterpolateOverTheSurface) {
    const Light* light = make(kQuarkAmbient);
    ArgList corners = argList({cornerArg(kQuarkIntensity, {0, 4, 0, 4})});
    expectColor(lightAt(light, Point(0, 0, 1), nullptr, kPi, corners, 0.25f, 0.5f).Cl, 1, 1, 1);
}

TEST_F(LightTest, LatticeValuesInterpolateWithinTheirCell) {
    const Light* light = make(kQuarkAmbient);
    // Two cells by one, the intensity 4 along the line between them and 0 at the sides.
    ArgAssoc intensity = cornerArg(kQuarkIntensity, {0, 4, 0, 0, 4, 0});
    intensity.items = 6;
    ArgList lattice = argList({intensity});
    fContext.points.valueAcross = 2;
    expectColor(lightAt(light, Point(0, 0, 1), nullptr, kPi, lattice, 0.5f, 0.3f).Cl, 4, 4, 4);
    expectColor(lightAt(light, Point(0, 0, 1), nullptr, kPi, lattice, 0.25f, 0.5f).Cl, 2, 2, 2);
    expectColor(lightAt(light, Point(0, 0, 1), nullptr, kPi, lattice, 0.875f, 1).Cl, 1, 1, 1);
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

    LightAt lightAt(const Light& light, const Point& P, const Point* N = nullptr,
                    float angle = kPi) {
        return ::lightAt(fContext, light, P, N, angle);
    }

    std::unique_ptr<State> fState;
    ShadingContext fContext;
};

TEST_F(LightSpaceTest, PositionsMoveToCameraSpace) {
    gTransform->translate(0, 0, 5);
    std::unique_ptr<Light> light(makeLightShader(kQuarkOmni, ArgList(), gState->getTransform()));
    expectPoint(light->P, 0, 0, 5);
    LightAt at = lightAt(*light, Point(0, 0, 1));
    expectPoint(at.L, 0, 0, 4);
    expectColor(at.Cl, 1.0f / 16, 1.0f / 16, 1.0f / 16);
}

TEST_F(LightSpaceTest, DirectionsMoveToCameraSpace) {
    gTransform->scale(1, 1, -1);
    std::unique_ptr<Light> distant(
        makeLightShader(kQuarkDistant, ArgList(), gState->getTransform()));
    const Point normal(0, 0, 1);
    LightAt at = lightAt(*distant, Point(0, 0, 1), &normal, kPi / 2);
    EXPECT_TRUE(at.reached);
    expectPoint(at.L, 0, 0, 1);

    std::unique_ptr<Light> spot(makeLightShader(kQuarkSpot, ArgList(), gState->getTransform()));
    EXPECT_TRUE(lightAt(*spot, Point(0, 0, -1)).reached);
    EXPECT_FALSE(lightAt(*spot, Point(0, 0, 1)).reached);
}

} // namespace
