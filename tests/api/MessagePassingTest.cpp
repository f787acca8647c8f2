// Compiled shaders asking the renderer and each other for values by name,
// spaces the scene marks, and the shaders' output variables as images of
// their own, rendered through the API: each shader shows what it was told
// as a colour at the image's centre.
#include "CompiledShaderScene.h"
#include "api/qel.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class MessagePassingTest : public CompiledShaderScene {
protected:
    // The centre pixel's channel, 0 to 1.
    static double centre(const TiffImage& image, int channel) {
        return double(image.pixel(kCentreX, kCentreY)[std::size_t(channel)]) / kLevels;
    }
};

// The frame is 160 by 120 and the shading rate 2; found values count in
// blue, and a name not known or a variable of the wrong shape gives 0 and
// leaves the variable alone.
TEST_F(MessagePassingTest, TheRendererAnswersAttributesOptionsAndFacts) {
    compile(R"(
        surface asks() {
            uniform float format[3] = {0, 0, 0};
            uniform float version[4] = {-1, -1, -1, -1};
            uniform float rate = 0;
            uniform float unchanged = 0.25;
            uniform string renderer = "";
            uniform string name = "";
            float found = option("Format", format) + attribute("ShadingRate", rate) +
                          rendererinfo("renderer", renderer) + rendererinfo("version", version) +
                          attribute("identifier:name", name);
            float refused = option("Format", unchanged) + attribute("no such thing", unchanged) +
                            rendererinfo("version", renderer);
            float versioned = 0;
            if (version[0] >= 0) versioned = 0.25;
            Ci = color(format[0] / 320 + format[1] / 240 - format[2] / 2,
                       rate / 4 + match("^Pictrel$", renderer) * 0.25 + versioned,
                       found / 10 + refused + unchanged - 0.25 + match("^ball$", name) * 0.25);
            Oi = 1;
        })");
    const TiffImage image = renderSphere([] {
        qelShadingRate(2);
        qelObjectName("ball");
        qelSurface(qelQuark("asks"), 0);
    });
    EXPECT_NEAR(centre(image, 0), 0.5, 1 / kLevels);  // 0.5 + 0.5 - 0.5
    EXPECT_NEAR(centre(image, 1), 1.0, 1 / kLevels);  // 0.5 + 0.25 + 0.25
    EXPECT_NEAR(centre(image, 2), 0.75, 1 / kLevels); // 5/10 + 0 + 0 + 0.25
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// Inside an illuminance loop lightsource() reads the light's parameters as
// its last run left them: the light marked __nonspecular adds nothing to
// red, and each compiled light's output "spent" (0.25 plus its intensity)
// adds to green. The built-in light has neither: it adds its intensity to
// red and nothing to green.
TEST_F(MessagePassingTest, LightsourceReadsTheLightsParameters) {
    compile(R"(
        light tagged(float intensity = 1, __nonspecular = 0; output varying float spent = 0) {
            solar(vector(0, 0, 1), 0) {
                Cl = intensity;
                spent = 0.25 + intensity;
            }
        }
        surface gathers() {
            color red = 0;
            float green = 0;
            illuminance(P) {
                float nonspecular = 0, spent = 0;
                lightsource("__nonspecular", nonspecular);
                lightsource("spent", spent);
                red += Cl * (1 - nonspecular);
                green += spent;
            }
            Ci = color(comp(red, 0), green / 2, 0);
            Oi = 1;
        })");
    const auto lights = [] {
        const float bright = 0.5f, dim = 0.25f, plain = 0.125f, marked = 1;
        const unsigned short intensity = qelVariable("intensity", QEL_CLASS_NO, QEL_TYPE_FLOAT);
        qelLightSource(qelQuark("tagged"), intensity, &bright, 0);
        qelLightSource(qelQuark("tagged"), intensity, &dim,
                       qelVariable("__nonspecular", QEL_CLASS_NO, QEL_TYPE_FLOAT), &marked, 0);
        const float from[3] = {0, 0, 0}, to[3] = {0, 0, 1};
        qelLightSource(qelQuark("distant"), qelQuark("from"), from, qelQuark("to"), to,
                       qelQuark("intensity"), &plain, 0);
    };
    const TiffImage image = renderSphere([] { qelSurface(qelQuark("gathers"), 0); }, lights);
    EXPECT_NEAR(centre(image, 0), 0.625, 1 / kLevels); // 0.5 + 0.125
    EXPECT_NEAR(centre(image, 1), 0.625, 1 / kLevels); // (0.75 + 0.5) / 2
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// shadername() names the shader that runs, shadername(role) the
// primitive's shader of that role, and "" where it has none.
TEST_F(MessagePassingTest, ShadersNameTheShadersOfEachRole) {
    compile(R"(
        displacement lifts() {}
        surface names() {
            Ci = color(0.5 * match("^names$", shadername()) +
                           0.5 * match("^names$", shadername("surface")),
                       match("^lifts$", shadername("displacement")),
                       0.5 * match("^$", shadername("atmosphere")) +
                           0.25 * match("^$", shadername("no such role")));
            Oi = 1;
        })");
    const TiffImage image = renderSphere([] {
        qelDisplacement(qelQuark("lifts"), 0);
        qelSurface(qelQuark("names"), 0);
    });
    EXPECT_NEAR(centre(image, 0), 1.0, 1 / kLevels);
    EXPECT_NEAR(centre(image, 1), 1.0, 1 / kLevels);
    EXPECT_NEAR(centre(image, 2), 0.75, 1 / kLevels);
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// The displacement runs first, the surface next, the atmosphere last; each
// reads what those before it left and nothing of those after.
TEST_F(MessagePassingTest, ShadersReadTheValuesOfThoseThatRanBeforeThem) {
    compile(R"(
        displacement marks(output varying float depth = 0) {
            depth = 0.25;
            float seen = 0;
            if (surface("colour", seen) == 1) depth = 1;
        }
        surface paints(output varying float colour = 0) {
            float depth = 0;
            float found = displacement("depth", depth);
            colour = 0.5;
            Ci = color(found * depth, 0, 0);
            Oi = 1;
        }
        volume tints() {
            float colour = 0, mine = 0;
            float found = surface("colour", colour);
            Ci += color(0, found * colour, atmosphere("colour", mine) + 0.5 * mine);
        })");
    const TiffImage image = renderSphere([] {
        const float bound = 0.01f;
        qelBoundDisplacement(bound);
        qelDisplacement(qelQuark("marks"), 0);
        qelAtmosphere(qelQuark("tints"), 0);
        qelSurface(qelQuark("paints"), 0);
    });
    EXPECT_NEAR(centre(image, 0), 0.25, 1 / kLevels);
    EXPECT_NEAR(centre(image, 1), 0.5, 1 / kLevels);
    EXPECT_NEAR(centre(image, 2), 0.0, 1 / kLevels);
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// A space marked at the sphere's centre, after the surface was requested:
// every point of the sphere lies 1 from its origin. A name no one marked is
// reported.
TEST_F(MessagePassingTest, MarkedSpacesAreSpacesOfTheShaders) {
    compile(R"(
        surface measures(string space = "centre") {
            Ci = 0.5 * distance(P, transform(space, "current", point(0, 0, 0)));
            Oi = 1;
        })");
    const TiffImage marked = renderSphere([] {
        qelSurface(qelQuark("measures"), 0);
        qelMarkSpace(qelQuark("centre"));
    });
    EXPECT_NEAR(centre(marked, 0), 0.5, 1 / kLevels);
    EXPECT_TRUE(gReports.empty()) << gReports.front();

    const TiffImage unmarked = renderSphere([] {
        const char* space = "nowhere";
        qelSurface(qelQuark("measures"), qelVariable("space", QEL_CLASS_NO, QEL_TYPE_STRING),
                   &space, 0);
    });
    ASSERT_FALSE(gReports.empty());
    EXPECT_NE(gReports.front().find("unknown space 'nowhere'"), std::string::npos)
        << gReports.front();
}

// Output variables as images: "color glow" typed in the mode, "mask"
// declared before; the surface sets glow, the atmosphere mask, and a
// variable no shader has stays 0.
TEST_F(MessagePassingTest, OutputVariablesAreImagesOfTheirOwn) {
    compile(R"(
        surface glows(output varying color glow = 0) {
            glow = color(0.25, 0.5, 0.75);
            Ci = 0;
            Oi = 1;
        }
        volume masks(output varying float mask = 0) { mask = 0.5; })");
    const std::string glow = (fFolder / "glow.tif").string(),
                      mask = (fFolder / "mask.tif").string(),
                      none = (fFolder / "none.tif").string();
    const float eightBits[5] = {0, 255, 0, 255, 0};
    renderSphere(
        [] {
            qelAtmosphere(qelQuark("masks"), 0);
            qelSurface(qelQuark("glows"), 0);
        },
        nullptr,
        [&] {
            qelVariable("mask", QEL_CLASS_VARY, QEL_TYPE_FLOAT);
            qelOutputImage(QEL_FORMAT_TIFF, ("+" + glow).c_str(), "color glow", 5, eightBits);
            qelOutputImage(QEL_FORMAT_TIFF, ("+" + mask).c_str(), "mask", 5, eightBits);
            qelOutputImage(QEL_FORMAT_TIFF, ("+" + none).c_str(), "varying float none", 5,
                           eightBits);
        });
    EXPECT_TRUE(gReports.empty()) << gReports.front();
    const TiffImage glowImage = readTiff(glow), maskImage = readTiff(mask),
                    noneImage = readTiff(none);
    ASSERT_EQ(glowImage.samples, 3);
    ASSERT_EQ(maskImage.samples, 1);
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(glowImage.pixel(kCentreX, kCentreY)[c], 255 * 0.25 * (c + 1), 1.0) << c;
    EXPECT_NEAR(maskImage.pixel(kCentreX, kCentreY)[0], 127.5, 1.0);
    EXPECT_EQ(noneImage.pixel(kCentreX, kCentreY)[0], 0);
    // Off the sphere no surface was shaded.
    EXPECT_EQ(glowImage.pixel(2, 2)[0], 0);
}

// A mode that names no variable with a type is refused.
TEST_F(MessagePassingTest, AnOutputVariableNeedsAType) {
    qelFrameBegin();
    qelOutputImage(QEL_FORMAT_TIFF, "+untyped.tif", "undeclaredname", 0, nullptr);
    qelFrameEnd();
    ASSERT_EQ(gReports.size(), 1u);
    EXPECT_NE(gReports.front().find("unknown output mode \"undeclaredname\""), std::string::npos)
        << gReports.front();
}

} // namespace
