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

namespace {

const float kSin60 = std::sqrt(3.0f) / 2;

// Shows the highlight functions the built-in surfaces do not use.
class PhongProbe : public Surface {
public:
    explicit PhongProbe(Transform* space) : Surface(space) {}
    void evaluate() override { Ci = phong(N, viewDirection(), size); }
    Color traced() { return trace(P, N); }
    float size = 2;
};

class SurfaceTest : public ::testing::Test {
protected:
    SurfaceTest() : fSpace(retainSnapshot(new Transform)) { fSpace->init(); }
    ~SurfaceTest() override {
        fLights.flush();
        releaseSnapshot(fSpace);
    }

    // A surface of the given name, placed at (0, 0, 1) facing the eye at the origin.
    Surface* make(unsigned short name, const ArgList& args = ArgList()) {
        fSurfaces.emplace_back(static_cast<Surface*>(makeSurfaceShader(name, args, fSpace)));
        return place(fSurfaces.back().get());
    }
    Surface* place(Surface* surface) {
        surface->P = Point(0, 0, 1);
        surface->N = surface->Ng = Point(0, 0, -1);
        surface->E = Point(0, 0, 0);
        surface->I = surface->P - surface->E;
        surface->Cs = Color(0.8f, 0.4f, 0.2f);
        surface->Os = Color(0.5f, 1, 0.5f);
        surface->lights = &fLights;
        return surface;
    }
    Color shade(Surface* surface) {
        surface->defaultOutputs();
        surface->evaluate();
        return surface->Ci;
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
    std::vector<std::unique_ptr<Light>> fMadeLights;
    std::vector<std::unique_ptr<Surface>> fSurfaces;
};

TEST_F(SurfaceTest, PlasticUnderAmbientLightShowsItsColour) {
    addAmbient(1);
    Surface* plastic = make(kQuarkPlastic);
    expectColor(shade(plastic), 0.4f, 0.4f, 0.1f); // Os * Cs
    expectColor(plastic->Oi, 0.5f, 1, 0.5f);
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
    Surface* matte = make(kQuarkDiffuse, argList({uniformArg(kQuarkKa, {0.5f})}));
    expectColor(shade(matte), 0.4f, 0.4f, 0.1f); // Os * Cs * (0.5 * 0.5 + 0.75)
}

TEST_F(SurfaceTest, MetalHeadOnSpecularEqualsLightColour) {
    addDistant(1, Point(0, 0, 1), Color(0.2f, 0.4f, 0.6f));
    Surface* metal = make(kQuarkMetal);
    metal->Cs = metal->Os = Color(1, 1, 1);
    expectColor(shade(metal), 0.2f, 0.4f, 0.6f);
}

TEST_F(SurfaceTest, MetalHighlightNarrowsWithRoughness) {
    // The half-way vector lies 30 degrees off the normal: cos^(1/roughness)(30).
    addDistant(1, Point(-kSin60, 0, 0.5f));
    Surface* rough = make(kQuarkMetal, argList({uniformArg(kQuarkRoughness, {0.5f})}));
    rough->Cs = rough->Os = Color(1, 1, 1);
    expectColor(shade(rough), 0.75f, 0.75f, 0.75f);
    Surface* smooth = make(kQuarkMetal);
    smooth->Cs = smooth->Os = Color(1, 1, 1);
    EXPECT_NEAR(shade(smooth).r, 0.2373047f, 1e-5f); // 0.75^5
}

TEST_F(SurfaceTest, PlasticCombinesAmbientDiffuseAndSpecular) {
    addAmbient(0.2f);
    addDistant(1);
    // Os * (Cs * (0.2 + 0.5) + 0.5)
    expectColor(shade(make(kQuarkPlastic)), 0.53f, 0.78f, 0.32f);
    Surface* red = make(kQuarkPlastic, argList({uniformArg(kQuarkSpecularColor, {1, 0, 0})}));
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
    Surface* matte = make(kQuarkDiffuse);
    matte->N = matte->Ng = Point(0, 0, 1);
    expectColor(shade(matte), 0.4f, 0.4f, 0.1f);
}

TEST_F(SurfaceTest, ConstantSurfaceIgnoresTheLights) {
    addAmbient(3);
    addDistant(5);
    Surface* constant = make(kQuarkConstant);
    expectColor(shade(constant), 0.4f, 0.4f, 0.1f);
    expectColor(constant->Oi, 0.5f, 1, 0.5f);
}

// RenderMan's default surface needs no light: Os · Cs · (0.2 + 0.8 d²),
// d the cosine between the normal and the view direction.
TEST_F(SurfaceTest, TheDefaultSurfaceIsLitFromTheEyeWithoutLights) {
    Surface* headOn = make(kQuarkDefaultSurface);
    headOn->lights = nullptr;
    expectColor(shade(headOn), 0.4f, 0.4f, 0.1f); // d = 1
    expectColor(headOn->Oi, 0.5f, 1, 0.5f);
    Surface* tilted = make(kQuarkDefaultSurface);
    tilted->N = Point(-kSin60, 0, -0.5f); // 60 degrees off the view: d² = 1/4
    float scale = 0.2f + 0.8f * 0.25f;
    expectColor(shade(tilted), 0.4f * scale, 0.4f * scale, 0.1f * scale);
    Surface* dim = make(kQuarkDefaultSurface,
                        argList({uniformArg(kQuarkKa, {0.5f}), uniformArg(kQuarkKd, {0.25f})}));
    expectColor(shade(dim), 0.4f * 0.75f, 0.4f * 0.75f, 0.1f * 0.75f);
}

TEST_F(SurfaceTest, WithoutActiveLightsSurfacesAreBlack) {
    Surface* plastic = make(kQuarkPlastic);
    plastic->lights = nullptr;
    expectColor(shade(plastic), 0, 0, 0);
    expectColor(plastic->Oi, 0.5f, 1, 0.5f);
}

TEST_F(SurfaceTest, DefaultOutputsAreBlackAndOpaque) {
    Surface* matte = make(kQuarkDiffuse);
    matte->Ci = Color(1, 2, 3);
    matte->Oi = Color(0, 0, 0);
    matte->defaultOutputs();
    expectColor(matte->Ci, 0, 0, 0);
    expectColor(matte->Oi, 1, 1, 1);
}

TEST_F(SurfaceTest, PrimitiveValuesReplaceTheRequestValues) {
    addDistant(1);
    Surface* matte = make(kQuarkDiffuse, argList({uniformArg(kQuarkKd, {0.5f})}));
    ArgAssoc corners = uniformArg(kQuarkKd, {0, 1, 0, 1});
    corners.parameterClass = 0xD02;
    corners.parameterType = 0xE01;
    corners.items = 4;
    corners.width = 1;
    matte->bilerp(0.25f, 0.75f, argList({corners}));
    expectColor(shade(matte), 0.1f, 0.1f, 0.025f); // Kd = 0.25

    matte->bilerp(0, 0, argList({uniformArg(kQuarkKd, {2})}));
    expectColor(shade(matte), 0.8f, 0.8f, 0.2f);
}

TEST_F(SurfaceTest, PhongPeaksAtTheMirrorDirection) {
    addDistant(1, Point(0, 0, 1), Color(0.2f, 0.4f, 0.6f));
    PhongProbe headOn(fSpace);
    expectColor(shade(place(&headOn)), 0.2f, 0.4f, 0.6f);
    expectColor(headOn.traced(), 0, 0, 0);

    fLights.flush();
    addDistant(1, Point(-kSin60, 0, 0.5f));
    PhongProbe tilted(fSpace);
    expectColor(shade(place(&tilted)), 0.25f, 0.25f, 0.25f); // cos^2(60)
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
