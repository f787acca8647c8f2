#include "renderer/shading/Surface.h"

#include "common/Quark.h"
#include "renderer/shading/Light.h"
#include "renderer/shading/ShaderFactory.h"
#include "renderer/state/ArgList.h"
#include "renderer/state/Transform.h"

#include "ShaderTestValues.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <memory>
#include <vector>

using namespace quelmark;

namespace {

const float kSin60 = std::sqrt(3.0f) / 2;

// Shows the Phong highlight, which the built-in surfaces do not use.
class PhongProbe : public Surface {
public:
    explicit PhongProbe(Transform* space) : Surface(space) {}
    void shade(ShadingContext& context) const override {
        ShadingPoints& points = context.points;
        faceForward(context);
        viewDirections(context);
        Color sum;
        illuminance(context, context.Nf, [&](const LightSamples& lit) {
            if (lit.reached[0])
                sum += phong(lit.Cl[0], normalize(lit.L[0]), context.Nf[0], context.V[0], 2);
        });
        points.Ci[0] = sum;
    }
};

class SurfaceTest : public ::testing::Test {
protected:
    SurfaceTest() : fSpace(retainSnapshot(new Transform)) { fSpace->init(); }
    ~SurfaceTest() override {
        fLights.flush();
        releaseSnapshot(fSpace);
    }

    // A surface of the given name, made in the test's space.
    const Surface* make(unsigned short name, const ArgList& args = ArgList()) {
        fSurfaces.emplace_back(static_cast<Surface*>(makeSurfaceShader(name, args, fSpace)));
        return fSurfaces.back().get();
    }
    // The surface's colour at the test's point (placed at (0, 0, 1), facing
    // the eye at the origin, unless a test moves it), lit by the test's
    // lights and given the primitive's values.
    Color shade(const Surface* surface, const ArgList& primitiveValues = ArgList()) {
        loadPoints(fContext, {fPoint});
        fContext.lights = fLit ? &fLights : nullptr;
        fContext.primitiveValues = &primitiveValues;
        fContext.surfaceValues.bind(surface->parameters(), primitiveValues, fContext.points);
        surface->shade(fContext);
        fOi = fContext.points.Oi[0];
        return fContext.points.Ci[0];
    }

    void addLight(unsigned short name, const ArgList& args) {
        fMadeLights.emplace_back(makeLightShader(name, args, fSpace));
        fLights.add(fMadeLights.back().get());
    }
    void addAmbient(float intensity) {
        addLight(kQuarkAmbient, argList({uniformArg(kQuarkIntensity, {intensity})}));
    }
    // A distant light shining along direction, onto the surface from the eye's side.
    void addDistant(float intensity, const Point& direction = Point(0, 0, 1),
                    const Color& color = Color(1, 1, 1)) {
        addLight(kQuarkDistant,
                 argList({uniformArg(kQuarkIntensity, {intensity}),
                          uniformArg(kQuarkTo, {direction.x, direction.y, direction.z}),
                          uniformArg(kQuarkColor, {color.r, color.g, color.b})}));
    }

    Transform* fSpace;
    List<Light*> fLights;
    bool fLit = true; // whether the surface sees the lights
    std::vector<std::unique_ptr<Light>> fMadeLights;
    std::vector<std::unique_ptr<Surface>> fSurfaces;
    PointToShade fPoint;
    ShadingContext fContext;
    Color fOi;
};

TEST_F(SurfaceTest, PlasticUnderAmbientLightShowsItsColour) {
    addAmbient(1);
    expectColor(shade(make(kQuarkPlastic)), 0.4f, 0.4f, 0.1f); // Os * Cs
    expectColor(fOi, 0.5f, 1, 0.5f);
}

TEST_F(SurfaceTest, MatteUnderDistantLightAlongMinusN) {
    addDistant(1);
    expectColor(shade(make(kQuarkDiffuse)), 0.4f, 0.4f, 0.1f);
    expectColor(shade(make(kQuarkDiffuse, argList({uniformArg(kQuarkKd, {0.5f})}))), 0.2f, 0.2f,
                0.05f);
}

TEST_F(SurfaceTest, MatteFollowsTheCosineOfTheLight) {
    addDistant(1, Point(-kSin60, 0, 0.5f)); // 60 degrees off the normal
    expectColor(shade(make(kQuarkDiffuse)), 0.2f, 0.2f, 0.05f);
}

TEST_F(SurfaceTest, LightsAddUp) {
    addDistant(0.25f);
    addDistant(0.5f);
    addAmbient(0.5f);
    const Surface* matte = make(kQuarkDiffuse, argList({uniformArg(kQuarkKa, {0.5f})}));
    expectColor(shade(matte), 0.4f, 0.4f, 0.1f); // Os * Cs * (0.5 * 0.5 + 0.75)
}

TEST_F(SurfaceTest, MetalHeadOnSpecularEqualsLightColour) {
    addDistant(1, Point(0, 0, 1), Color(0.2f, 0.4f, 0.6f));
    fPoint.Cs = fPoint.Os = Color(1, 1, 1);
    expectColor(shade(make(kQuarkMetal)), 0.2f, 0.4f, 0.6f);
}

TEST_F(SurfaceTest, MetalHighlightNarrowsWithRoughness) {
    // The half-way vector lies 30 degrees off the normal: cos^(1/roughness)(30).
    addDistant(1, Point(-kSin60, 0, 0.5f));
    fPoint.Cs = fPoint.Os = Color(1, 1, 1);
    const Surface* rough = make(kQuarkMetal, argList({uniformArg(kQuarkRoughness, {0.5f})}));
    expectColor(shade(rough), 0.75f, 0.75f, 0.75f);
    EXPECT_NEAR(shade(make(kQuarkMetal)).r, 0.2373047f, 1e-5f); // 0.75^5
}

TEST_F(SurfaceTest, PlasticCombinesAmbientDiffuseAndSpecular) {
    addAmbient(0.2f);
    addDistant(1);
    // Os * (Cs * (0.2 + 0.5) + 0.5)
    expectColor(shade(make(kQuarkPlastic)), 0.53f, 0.78f, 0.32f);
    const Surface* red = make(kQuarkPlastic, argList({uniformArg(kQuarkSpecularColor, {1, 0, 0})}));
    expectColor(shade(red), 0.53f, 0.28f, 0.07f);
}

TEST_F(SurfaceTest, SurfaceFacingAwayFromItsLightsGetsOnlyAmbient) {
    addAmbient(0.5f);
    addLight(kQuarkOmni, argList({uniformArg(kQuarkFrom, {0, 0, 3})})); // behind the surface
    addDistant(1, Point(0, 0, -1));                                     // shining at the eye
    expectColor(shade(make(kQuarkPlastic)), 0.2f, 0.2f, 0.05f);
    expectColor(shade(make(kQuarkDiffuse)), 0.2f, 0.2f, 0.05f);
}

TEST_F(SurfaceTest, NormalsAwayFromTheEyeAreTurnedToFaceIt) {
    addDistant(1);
    fPoint.N = fPoint.Ng = Point(0, 0, 1);
    expectColor(shade(make(kQuarkDiffuse)), 0.4f, 0.4f, 0.1f);
}

TEST_F(SurfaceTest, ConstantSurfaceIgnoresTheLights) {
    addAmbient(3);
    addDistant(5);
    expectColor(shade(make(kQuarkConstant)), 0.4f, 0.4f, 0.1f);
    expectColor(fOi, 0.5f, 1, 0.5f);
}

// RenderMan's default surface needs no light: Os · Cs · (0.2 + 0.8 d²),
// d the cosine between the normal and the view direction.
TEST_F(SurfaceTest, TheDefaultSurfaceIsLitFromTheEyeWithoutLights) {
    fLit = false;
    expectColor(shade(make(kQuarkDefaultSurface)), 0.4f, 0.4f, 0.1f); // d = 1
    expectColor(fOi, 0.5f, 1, 0.5f);
    const Surface* dim =
        make(kQuarkDefaultSurface,
             argList({uniformArg(kQuarkKa, {0.5f}), uniformArg(kQuarkKd, {0.25f})}));
    expectColor(shade(dim), 0.4f * 0.75f, 0.4f * 0.75f, 0.1f * 0.75f);
    fPoint.N = Point(-kSin60, 0, -0.5f); // 60 degrees off the view: d² = 1/4
    float scale = 0.2f + 0.8f * 0.25f;
    expectColor(shade(make(kQuarkDefaultSurface)), 0.4f * scale, 0.4f * scale, 0.1f * scale);
}

TEST_F(SurfaceTest, WithoutActiveLightsSurfacesAreBlack) {
    fLit = false;
    expectColor(shade(make(kQuarkPlastic)), 0, 0, 0);
    expectColor(fOi, 0.5f, 1, 0.5f);
}

TEST_F(SurfaceTest, PrimitiveValuesReplaceTheRequestValues) {
    addDistant(1);
    const Surface* matte = make(kQuarkDiffuse, argList({uniformArg(kQuarkKd, {0.5f})}));
    fPoint.gridU = 0.25f, fPoint.gridV = 0.75f;
    expectColor(shade(matte, argList({cornerArg(kQuarkKd, {0, 1, 0, 1})})), 0.1f, 0.1f,
                0.025f); // Kd = 0.25
    expectColor(shade(matte, argList({uniformArg(kQuarkKd, {2})})), 0.8f, 0.8f, 0.2f);
    // The shader keeps its own value for the next primitive.
    expectColor(shade(matte), 0.2f, 0.2f, 0.05f);
}

// Every point of a grid is shaded in one call, each with its own values.
TEST_F(SurfaceTest, AGridOfPointsIsShadedAtOnce) {
    addDistant(1);
    addAmbient(0.5f);
    const Surface* plastic = make(kQuarkPlastic);
    PointToShade near, tilted, away;
    tilted.N = tilted.Ng = Point(-kSin60, 0, -0.5f); // the light comes 60 degrees off the normal
    away.N = away.Ng = Point(0, 0, 1);               // turned to face the eye
    near.gridU = 0, tilted.gridU = 0.5f, away.gridU = 1;
    loadPoints(fContext, {near, tilted, away});
    ArgList primitiveValues = argList({cornerArg(kQuarkKs, {0, 1, 0, 1})});
    fContext.lights = &fLights;
    fContext.primitiveValues = &primitiveValues;
    fContext.surfaceValues.bind(plastic->parameters(), primitiveValues, fContext.points);
    plastic->shade(fContext);
    // Os · (Cs · (0.5 + 0.5 · cos) + Ks · highlight); Ks = u.
    expectColor(fContext.points.Ci[0], 0.4f, 0.4f, 0.1f);
    // The light and the eye both lie along -z, 60 degrees off the tilted normal.
    const float highlight = std::pow(0.5f, 10.0f);
    const float diffuse = 0.5f + 0.5f * 0.5f;
    expectColor(fContext.points.Ci[1], 0.5f * (0.8f * diffuse + 0.5f * highlight),
                0.4f * diffuse + 0.5f * highlight, 0.5f * (0.2f * diffuse + 0.5f * highlight));
    expectColor(fContext.points.Ci[2], 0.5f * (0.8f + 1), 0.4f + 1, 0.5f * (0.2f + 1));
}

TEST_F(SurfaceTest, PhongPeaksAtTheMirrorDirection) {
    addDistant(1, Point(0, 0, 1), Color(0.2f, 0.4f, 0.6f));
    PhongProbe probe(fSpace);
    expectColor(shade(&probe), 0.2f, 0.4f, 0.6f);

    fLights.flush();
    addDistant(1, Point(-kSin60, 0, 0.5f));
    expectColor(shade(&probe), 0.25f, 0.25f, 0.25f); // cos^2(60)
}

TEST_F(SurfaceTest, FactoryMakesEachSurfaceByName) {
    auto made = [this](unsigned short name) {
        fSurfaces.emplace_back(static_cast<Surface*>(makeSurfaceShader(name, ArgList(), fSpace)));
        return fSurfaces.back().get();
    };
    EXPECT_NE(dynamic_cast<ConstantSurface*>(made(kQuarkConstant)), nullptr);
    EXPECT_NE(dynamic_cast<MatteSurface*>(made(kQuarkDiffuse)), nullptr);
    EXPECT_NE(dynamic_cast<MetalSurface*>(made(kQuarkMetal)), nullptr);
    EXPECT_NE(dynamic_cast<PlasticSurface*>(made(kQuarkPlastic)), nullptr);
    EXPECT_NE(dynamic_cast<DefaultSurface*>(made(kQuarkDefaultSurface)), nullptr);
    EXPECT_EQ(makeSurfaceShader(kQuarkFog, ArgList(), fSpace), nullptr);
    EXPECT_EQ(makeSurfaceShader(kQuarkSpot, ArgList(), fSpace), nullptr);
}

} // namespace
