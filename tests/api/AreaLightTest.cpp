// Area lights shining from the surfaces made under them, rendered through
// the API: the sphere's nearest point, 4 from the eye, is lit by pieces of
// surface behind the eye, facing it along the view. Each light is made in an
// attribute block of its own, with its surface, and switched on after it.
#include "CompiledShaderScene.h"
#include "api/qel.h"

#include <gtest/gtest.h>

namespace {

// The light of the classic area light shader: the inverse square of the
// distance, into the half-space its surface faces.
constexpr const char* kAreaLight = R"(
    light arealight(float intensity = 1) {
        illuminate(P, N, PI / 2) Cl = intensity / (L . L);
    })";

class AreaLightTest : public CompiledShaderScene {
protected:
    static double centreRed(const TiffImage& image) {
        return double(image.pixel(kCentreX, kCentreY)[0]) / kLevels;
    }

    // A square of side `side` at depth z, facing +z (towards the sphere)
    // unless reversed.
    static void square(float side, float z) {
        const float h = side / 2;
        const float corners[12] = {-h, -h, z, h, -h, z, -h, h, z, h, h, z};
        qelPatch(QEL_PATCH_BILINEAR, qelQuark("point"), corners, 0);
    }

    static void matte() { qelSurface(qelQuark("diffuse"), 0); }
};

// A piece of area a at distance d shines with its share of the area times
// intensity / d²: 0.01 at 5 and 0.04 at 10 under intensity 50 give
// 50 (0.2 / 25 + 0.8 / 100) = 0.8. The matte sphere faces the light.
TEST_F(AreaLightTest, EachPieceShinesWithItsShareOfTheArea) {
    compile(kAreaLight);
    const TiffImage image = renderSphere(matte, [] {
        qelAttributePush();
        const float intensity = 50;
        const void* light =
            qelAreaLightSource(qelQuark("arealight"), qelQuark("intensity"), &intensity, 0);
        square(0.1f, -1);
        square(0.2f, -6);
        qelAttributePop();
        qelLightSwitch(light, 1);
    });
    EXPECT_NEAR(centreRed(image), 0.8, 2 / kLevels);
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// Facing away, the same surface lights nothing but the ambient light's
// share, here none.
TEST_F(AreaLightTest, ASurfaceFacingAwayGivesNoLight) {
    compile(kAreaLight);
    const TiffImage image = renderSphere(matte, [] {
        qelAttributePush();
        qelOrientation(QEL_ORIENT_REVERSE);
        const float intensity = 50;
        const void* light =
            qelAreaLightSource(qelQuark("arealight"), qelQuark("intensity"), &intensity, 0);
        square(0.1f, -1);
        qelAttributePop();
        qelLightSwitch(light, 1);
    });
    EXPECT_NEAR(centreRed(image), 0.0, 1 / kLevels);
}

// A polygon (split into pieces for its surface) of side 0.2 at distance 5
// is nearly a point: 12.5 / 25 = 0.5 within 0.1 %. A compiled surface's
// illuminance loop sees the same light.
TEST_F(AreaLightTest, APolygonSmallForItsDistanceIsAPointLight) {
    compile(std::string(kAreaLight) + R"(
        surface gathers() {
            Ci = 0;
            illuminance(P, N, PI / 2) Ci += Cl * normalize(L) . normalize(N);
            Oi = 1;
        })");
    const auto light = [] {
        qelAttributePush();
        const float intensity = 12.5f;
        const void* light =
            qelAreaLightSource(qelQuark("arealight"), qelQuark("intensity"), &intensity, 0);
        const float corners[12] = {-0.1f, -0.1f, -1, 0.1f,  -0.1f, -1,
                                   0.1f,  0.1f,  -1, -0.1f, 0.1f,  -1};
        qelPolygon(4, qelQuark("point"), corners, 0);
        qelAttributePop();
        qelLightSwitch(light, 1);
    };
    EXPECT_NEAR(centreRed(renderSphere(matte, light)), 0.5, 1 / kLevels);
    EXPECT_NEAR(centreRed(renderSphere([] { qelSurface(qelQuark("gathers"), 0); }, light)), 0.5,
                1 / kLevels);
}

// Without a surface the light shines from its own space, as a light source
// does: P is the point lit, so L is nothing and the shader divides by it.
// Here the shader lights from its origin instead, one behind the eye.
TEST_F(AreaLightTest, WithoutASurfaceTheLightShinesFromItsSpace) {
    compile(R"(
        light fromorigin(float intensity = 1) {
            illuminate(point "shader" (0, 0, 0)) Cl = intensity / (L . L);
        })");
    const TiffImage image = renderSphere(matte, [] {
        qelAttributePush();
        qelTranslate(0, 0, -1);
        const float intensity = 12.5f;
        const void* light =
            qelAreaLightSource(qelQuark("fromorigin"), qelQuark("intensity"), &intensity, 0);
        qelAttributePop();
        qelLightSwitch(light, 1);
    });
    EXPECT_NEAR(centreRed(image), 0.5, 1 / kLevels);
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

} // namespace
