// The standard shaders the build compiles (shaders/*.sl) against the
// renderer's built-in counterparts: the same image, within one level, under
// the same lights. Each is copied under a name of its own, as the built-ins
// keep the standard names.
#include "CompiledShaderScene.h"
#include "api/qel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace {

class StandardShadersTest : public CompiledShaderScene {
protected:
    // The shipped shader, in the test's folder as "std_NAME".
    void ship(const std::string& name) {
        std::filesystem::copy_file(std::filesystem::path(QEL_SHIPPED_SHADERS) / (name + ".qso"),
                                   fFolder / "shaders" / ("std_" + name + ".qso"));
    }
};

int largestDifference(const TiffImage& a, const TiffImage& b) {
    EXPECT_EQ(a.data.size(), b.data.size());
    int largest = 0;
    for (std::size_t k = 0; k < std::min(a.data.size(), b.data.size()); ++k)
        largest = std::max(largest, std::abs(int(a.data[k]) - int(b.data[k])));
    return largest;
}

// An ambient light, a distant light from the upper left and a point light
// from the right, by the names given.
void lightsNamed(const char* ambient, const char* distant, const char* point) {
    const float low = 0.15f, bright = 0.8f, strong = 10, from[3] = {-1, 1, -1}, to[3] = {0, 0, 0},
                place[3] = {2, 1, -2};
    const unsigned short intensity = qelQuark("intensity");
    qelLightSource(qelQuark(ambient), intensity, &low, 0);
    qelLightSource(qelQuark(distant), qelQuark("from"), from, qelQuark("to"), to, intensity,
                   &bright, 0);
    qelLightSource(qelQuark(point), qelQuark("from"), place, intensity, &strong, 0);
}

void builtInLights() {
    lightsNamed("ambient", "distant", "omni");
}

void shippedLights() {
    lightsNamed("std_ambientlight", "std_distantlight", "std_pointlight");
}

TEST_F(StandardShadersTest, SurfacesShadeAsTheBuiltIns) {
    for (const char* name : {"constant", "matte", "metal", "plastic"})
        ship(name);
    // The scene API's built-in highlights take RenderMan's roughness over 8.
    const float roughness = 0.1f / 8;
    const TiffImage builtIn[] = {
        renderSphere([] { qelSurface(qelQuark("constant"), 0); }, builtInLights),
        renderSphere([] { qelSurface(qelQuark("diffuse"), 0); }, builtInLights),
        renderSphere([&] { qelSurface(qelQuark("metal"), qelQuark("roughness"), &roughness, 0); },
                     builtInLights),
        renderSphere([&] { qelSurface(qelQuark("plastic"), qelQuark("roughness"), &roughness, 0); },
                     builtInLights)};
    const char* const shipped[] = {"std_constant", "std_matte", "std_metal", "std_plastic"};
    for (int k = 0; k < 4; ++k) {
        const TiffImage image =
            renderSphere([&] { qelSurface(qelQuark(shipped[k]), 0); }, builtInLights);
        EXPECT_LE(largestDifference(image, builtIn[k]), 1) << shipped[k];
    }
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

TEST_F(StandardShadersTest, LightsLightAsTheBuiltIns) {
    for (const char* name : {"ambientlight", "distantlight", "pointlight", "spotlight"})
        ship(name);
    const auto plastic = [] { qelSurface(qelQuark("plastic"), 0); };
    EXPECT_LE(largestDifference(renderSphere(plastic, shippedLights),
                                renderSphere(plastic, builtInLights)),
              1);
    // A spot light with its defaults (a cone of 30 degrees softened over 5)
    // from below and in front.
    const auto spotNamed = [](const char* name) {
        const float from[3] = {0, -3, 2}, to[3] = {0, 0, 5}, intensity = 12;
        qelLightSource(qelQuark(name), qelQuark("from"), from, qelQuark("to"), to,
                       qelQuark("intensity"), &intensity, 0);
    };
    const TiffImage shippedSpot = renderSphere(plastic, [&] { spotNamed("std_spotlight"); });
    const TiffImage builtInSpot = renderSphere(plastic, [&] { spotNamed("spot"); });
    EXPECT_LE(largestDifference(shippedSpot, builtInSpot), 1);
    EXPECT_GT(int(builtInSpot.pixel(kCentreX, kCentreY + 8)[0]), 20);
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// The volumes fade the sphere towards grey: the built-ins name their
// parameters hither, yon and color where the shaders have mindistance,
// maxdistance and background. The built-in depthcue's distances are camera
// depths; the shader's, as depth() gives them, run from 0 at the near
// clipping plane (1) to 1 at the far one (10): depths 4 and 6 are 3/9 and
// 5/9.
TEST_F(StandardShadersTest, VolumesFadeAsTheBuiltIns) {
    ship("fog");
    ship("depthcue");
    const float grey[3] = {0.5f, 0.5f, 0.5f}, distance = 6, front = 4, back = 6;
    const float nearest = 3.0f / 9, farthest = 5.0f / 9;
    const auto atmosphere = [&](const std::function<void()>& volume) {
        return renderSphere(
            [&] {
                qelSurface(qelQuark("plastic"), 0);
                volume();
            },
            builtInLights, [] { qelClip(1, 10); });
    };
    const unsigned short color = qelQuark("color");
    const TiffImage builtInFog = atmosphere(
        [&] { qelAtmosphere(qelQuark("fog"), qelQuark("distance"), &distance, color, grey, 0); });
    const TiffImage shippedFog = atmosphere([&] {
        qelAtmosphere(qelQuark("std_fog"), qelVariable("distance", QEL_CLASS_NO, QEL_TYPE_FLOAT),
                      &distance, qelVariable("background", QEL_CLASS_NO, QEL_TYPE_COLOR), grey, 0);
    });
    EXPECT_LE(largestDifference(shippedFog, builtInFog), 1);
    const TiffImage builtInCue = atmosphere([&] {
        qelAtmosphere(qelQuark("depthcue"), qelQuark("hither"), &front, qelQuark("yon"), &back,
                      color, grey, 0);
    });
    const TiffImage shippedCue = atmosphere([&] {
        qelAtmosphere(qelQuark("std_depthcue"),
                      qelVariable("mindistance", QEL_CLASS_NO, QEL_TYPE_FLOAT), &nearest,
                      qelVariable("maxdistance", QEL_CLASS_NO, QEL_TYPE_FLOAT), &farthest,
                      qelVariable("background", QEL_CLASS_NO, QEL_TYPE_COLOR), grey, 0);
    });
    EXPECT_LE(largestDifference(shippedCue, builtInCue), 1);
    EXPECT_GT(largestDifference(shippedCue, shippedFog), 4);
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// Through the default search path, the renderer finds the shaders it comes
// with: the scene API's "matte" is no built-in name (its built-in is
// "diffuse").
TEST_F(StandardShadersTest, TheDefaultSearchPathHoldsTheShippedShaders) {
    const TiffImage shipped = renderSphere([] { qelSurface(qelQuark("matte"), 0); }, builtInLights,
                                           [] { qelShaderPath(nullptr); });
    const TiffImage builtIn =
        renderSphere([] { qelSurface(qelQuark("diffuse"), 0); }, builtInLights);
    EXPECT_LE(largestDifference(shipped, builtIn), 1);
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

} // namespace
