// Environment and shadow maps made through the API and looked up by
// compiled shaders at fixed directions and points, against the values the
// pictures hold and the depths the scene puts in the shadow map.
#include "CompiledShaderScene.h"
#include "RgbPicture.h"
#include "api/qel.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace {

class MapLookupTest : public CompiledShaderScene {
protected:
    // An RGB picture of width × height pixels, its value at (x, y) given.
    template <typename Value>
    std::string writePicture(const std::string& name, std::uint32_t width, std::uint32_t height,
                             const Value& value) {
        const std::string path = (fFolder / name).string();
        writeRgbPicture(path, width, height, value);
        return path;
    }

    // The colour the sphere's middle shows with the surface.
    std::array<unsigned, 3> middleWith(const std::string& surface) {
        const TiffImage image = renderSphere([&] { qelSurface(qelQuark(surface.c_str()), 0); });
        const std::uint8_t* pixel = image.pixel(kCentreX, kCentreY);
        return {pixel[0], pixel[1], pixel[2]};
    }
};

// A lat-long map has +z up and s going round from -x: the middles of a
// picture's four bands of columns lie at longitudes -135, -45, 45 and 135
// degrees from +x towards +y, those of its two bands of rows at 45 degrees
// from +z and from -z.
TEST_F(MapLookupTest, ALatLongMapHasZUpAndLongitudeFromMinusX) {
    const std::string picture =
        writePicture("latlong.tif", 64, 32, [](std::uint32_t x, std::uint32_t y) {
            return std::array<std::uint8_t, 3>{std::uint8_t(60 * (x / 16 + 1)),
                                               std::uint8_t(y < 16 ? 255 : 0), 0};
        });
    const std::string map = (fFolder / "latlong.env").string();
    qelMakeLatLongEnvironment(picture.c_str(), map.c_str(), qelBoxFilter, 1, 1, 0);
    ASSERT_TRUE(gReports.empty()) << gReports.front();
    compile("surface around() {\n"
            "    string map = \"" +
            map +
            "\";\n"
            "    float h = sqrt(0.5) * sqrt(0.5), up = sqrt(0.5);\n"
            "    float first = float environment(map, vector(-h, -h, up));\n"
            "    float second = float environment(map, vector(h, -h, up));\n"
            "    float third = float environment(map, vector(h, h, up));\n"
            "    float fourth = float environment(map, vector(-h, h, up));\n"
            "    Ci = color(first + (second - 120 / 255) * 4 + (fourth - 240 / 255) * 4,\n"
            "               third, float environment(map[1], vector(h, h, -up)));\n"
            "    Oi = 1;\n"
            "}");
    const std::array<unsigned, 3> middle = middleWith("around");
    EXPECT_NEAR(middle[0], 60, 1);  // 60, with the second 120 and the fourth 240
    EXPECT_NEAR(middle[1], 180, 1); // the third column
    EXPECT_EQ(middle[2], 0u);       // the lower row's green
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// Six faces, each seen from the origin along its axis with +y up (+z and
// -z up for the faces seen along -y and +y), gathered into one map: each
// axis finds its face, the right half of the +z face lies towards +x, the
// upper half of the +y face towards -z.
TEST_F(MapLookupTest, CubeFacesAreSeenAlongTheirAxes) {
    std::vector<std::string> faces;
    const char* names[] = {"px.tif", "nx.tif", "py.tif", "ny.tif", "pz.tif", "nz.tif"};
    for (std::uint8_t face = 0; face < 6; ++face)
        faces.push_back(writePicture(names[face], 16, 16, [face](std::uint32_t x, std::uint32_t y) {
            const bool rightHalf = face == 4 && x >= 8;
            const bool upperHalf = face == 2 && y < 8;
            return std::array<std::uint8_t, 3>{std::uint8_t(40 * (face + 1)),
                                               std::uint8_t(rightHalf ? 255 : 0),
                                               std::uint8_t(upperHalf ? 255 : 0)};
        }));
    const std::string map = (fFolder / "cube.env").string();
    qelMakeCubeFaceEnvironment(faces[0].c_str(), faces[1].c_str(), faces[2].c_str(),
                               faces[3].c_str(), faces[4].c_str(), faces[5].c_str(), map.c_str(),
                               90, qelBoxFilter, 1, 1, 0);
    ASSERT_TRUE(gReports.empty()) << gReports.front();
    compile("surface cube() {\n"
            "    string map = \"" +
            map +
            "\";\n"
            "    float axes = 0;\n"
            "    float expected[6] = {40, 80, 120, 160, 200, 240};\n"
            "    vector along[6] = {vector(1, 0, 0), vector(-1, 0, 0), vector(0, 1, 0),\n"
            "                       vector(0, -1, 0), vector(0, 0, 1), vector(0, 0, -1)};\n"
            "    uniform float k;\n"
            "    for (k = 0; k < 6; k += 1)\n"
            "        axes += abs(float environment(map, along[k]) - expected[k] / 255);\n"
            "    Ci = color(axes, float environment(map[1], vector(0.5, 0, 1)),\n"
            "               float environment(map[2], vector(0, 1, -0.5)));\n"
            "    Oi = 1;\n"
            "}");
    const std::array<unsigned, 3> middle = middleWith("cube");
    EXPECT_LE(middle[0], 1u); // every axis its face's value
    EXPECT_EQ(middle[1], 255u);
    EXPECT_EQ(middle[2], 255u);
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// A bump map is a height field: on a surface with N = z, dPds = x and
// dPdt = y, a height rising along s at slope 1 moves the normal by -x, one
// falling along t at slope 1 by +y. (A ramp of 256 pixels from 0 to 255
// rises by 256/255 over a unit.)
TEST_F(MapLookupTest, ABumpMapMovesTheNormalAgainstItsSlopes) {
    const std::string picture =
        writePicture("ramps.tif", 256, 256, [](std::uint32_t x, std::uint32_t y) {
            return std::array<std::uint8_t, 3>{std::uint8_t(x), std::uint8_t(255 - y), 0};
        });
    const std::string map = (fFolder / "ramps.bump").string();
    qelMakeBump(picture.c_str(), map.c_str(), QEL_NOWRAP, QEL_NOWRAP, qelBoxFilter, 1, 1, 0);
    ASSERT_TRUE(gReports.empty()) << gReports.front();
    compile("surface bumped() {\n"
            "    string map = \"" +
            map +
            "\";\n"
            "    normal up = normal(0, 0, 1);\n"
            "    vector alongS = vector(1, 0, 0), alongT = vector(0, 1, 0);\n"
            "    point byS = bump(map, up, alongS, alongT, 0.5, 0.5);\n"
            "    point byT = bump(map[1], up, alongS, alongT, 0.5, 0.5);\n"
            "    Ci = color(-xcomp(byS) * 255 / 512, ycomp(byT) * 255 / 512,\n"
            "               abs(ycomp(byS)) + abs(xcomp(byT)) + abs(zcomp(byS)));\n"
            "    Oi = 1;\n"
            "}");
    const std::array<unsigned, 3> middle = middleWith("bumped");
    EXPECT_NEAR(middle[0], 128, 1); // halves of the slopes
    EXPECT_NEAR(middle[1], 128, 1);
    EXPECT_EQ(middle[2], 0u);
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// A polygon's own "st" (or "s" and "t") are its points' texture
// coordinates, interpolated from its corners: over a square filling a
// 64 × 64 view from below left (0, 0) to above right (1, 1), pixel (16, 16)
// has s = 16.5 / 64 and t = 1 - 16.5 / 64, within the micropolygon a pixel
// wide it is shaded in (4 levels).
TEST_F(MapLookupTest, APolygonsOwnTextureCoordinatesAreItsST) {
    compile("surface showst() { Ci = color(s, t, 0); Oi = 1; }");
    const auto render = [&](bool pair) {
        qelFrameBegin();
        qelRasterViewport(0, 63, 0, 63);
        qelOutputFile(QEL_FORMAT_TIFF, fImage.c_str());
        qelOutputSamples(QEL_SAMPLES_RGB);
        qelColorJitter(0);
        qelSampleUniform(1, 1);
        qelFilter(QEL_FILTER_BOX);
        qelFilterWidth(1, 1);
        qelViewOrthographic();
        const std::string places = (fFolder / "shaders").string();
        qelShaderPath(places.c_str());
        qelSceneBegin();
        qelSurface(qelQuark("showst"), 0);
        float corners[12] = {-1, -1, 1, 1, -1, 1, 1, 1, 1, -1, 1, 1};
        float st[8] = {0, 0, 1, 0, 1, 1, 0, 1};
        float s[4] = {0, 1, 1, 0}, t[4] = {0, 0, 1, 1};
        if (pair)
            qelPolygon(4, qelQuark("point"), corners,
                       qelVariable("st", QEL_CLASS_VARY, QEL_TYPE_PAIR), st, 0);
        else
            qelPolygon(4, qelQuark("point"), corners,
                       qelVariable("s", QEL_CLASS_VARY, QEL_TYPE_FLOAT), s,
                       qelVariable("t", QEL_CLASS_VARY, QEL_TYPE_FLOAT), t, 0);
        qelSceneEnd();
        qelFrameEnd();
        return readTiff(fImage);
    };
    for (const bool pair : {true, false}) {
        const TiffImage image = render(pair);
        ASSERT_EQ(image.width, 64u);
        constexpr double kMicropolygon = 4;
        EXPECT_NEAR(image.pixel(16, 16)[0], 16.5 / 64 * 255, kMicropolygon) << pair;
        EXPECT_NEAR(image.pixel(16, 16)[1], (1 - 16.5 / 64) * 255, kMicropolygon) << pair;
        EXPECT_NEAR(image.pixel(50, 40)[0], 50.5 / 64 * 255, kMicropolygon) << pair;
        EXPECT_NEAR(image.pixel(50, 40)[1], (1 - 40.5 / 64) * 255, kMicropolygon) << pair;
    }
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

class ShadowMapTest : public MapLookupTest {
protected:
    // The depths of a 4 × 4 plane at y = 0 and of a 1 × 1 square above
    // its middle at y = 2, seen straight down from y = 5 through a 4 × 4
    // window at 64 × 64, as a shadow map: 16 texels to a unit, the
    // square's edge x = 0.5 between texels 39 and 40.
    std::string renderShadowMap() {
        const std::string depths = (fFolder / "depths.z").string();
        const std::string map = (fFolder / "square.shd").string();
        qelFrameBegin();
        qelRasterViewport(0, 63, 0, 63);
        qelOutputFile(QEL_FORMAT_DEPTHFILE, depths.c_str());
        qelSampleUniform(1, 1);
        qelSampleJitter(0);
        qelFilter(QEL_FILTER_BOX);
        qelFilterWidth(1, 1);
        qelViewOrthographic();
        qelImageWindow(-2, 2, -2, 2);
        qelRotate(-90, 1, 0, 0);
        qelTranslate(0, -5, 0);
        qelSceneBegin();
        float plane[12] = {-2, 0, -2, 2, 0, -2, 2, 0, 2, -2, 0, 2};
        float square[12] = {-0.5f, 2, -0.5f, 0.5f, 2, -0.5f, 0.5f, 2, 0.5f, -0.5f, 2, 0.5f};
        qelPolygon(4, qelQuark("point"), plane, 0);
        qelPolygon(4, qelQuark("point"), square, 0);
        qelSceneEnd();
        qelFrameEnd();
        qelMakeShadow(depths.c_str(), map.c_str(), 0);
        EXPECT_TRUE(gReports.empty()) << gReports.front();
        return map;
    }
};

// Points of the plane under the square are in its shadow, those beside it
// and above it are not; on its edge, a blur over 4 texels finds half the
// depths nearer.
TEST_F(ShadowMapTest, ThePlaneUnderTheSquareIsInItsShadow) {
    const std::string map = renderShadowMap();
    compile("surface shadows() {\n"
            "    string map = \"" +
            map +
            "\";\n"
            "    float under = shadow(map, point \"world\" (0.1, 0, -0.2), \"bias\", 0.01);\n"
            "    float beside = shadow(map, point \"world\" (1.5, 0, 1), \"bias\", 0.01);\n"
            "    float above = shadow(map, point \"world\" (0, 2.5, 0), \"bias\", 0.01);\n"
            "    float edge = shadow(map, point \"world\" (0.5, 0, 0), \"bias\", 0.01,\n"
            "                        \"blur\", 4 / 64, \"samples\", 16);\n"
            "    Ci = color(under, beside + above, edge);\n"
            "    Oi = 1;\n"
            "}");
    const std::array<unsigned, 3> middle = middleWith("shadows");
    EXPECT_EQ(middle[0], 255u);
    EXPECT_EQ(middle[1], 0u);
    EXPECT_NEAR(middle[2], 128, 1);
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// The bias lets depths a little nearer than the point pass: the square's
// own points (depth 3) are lit under the default bias, and the plane under
// it too once the bias exceeds the 2 between them.
TEST_F(ShadowMapTest, TheBiasLetsNearDepthsPass) {
    const std::string map = renderShadowMap();
    compile("surface biased() {\n"
            "    string map = \"" +
            map +
            "\";\n"
            "    Ci = color(shadow(map, point \"world\" (0, 2, 0)),\n"
            "               shadow(map, point \"world\" (0, 0, 0), \"bias\", 2.5),\n"
            "               shadow(map, point \"world\" (0, 0, 0), \"bias\", 1.5));\n"
            "    Oi = 1;\n"
            "}");
    const std::array<unsigned, 3> middle = middleWith("biased");
    EXPECT_EQ(middle[0], 0u);
    EXPECT_EQ(middle[1], 0u);
    EXPECT_EQ(middle[2], 255u);
}

// Absurd parameters stay bounded: a blur of 1e30 reaches no further than a
// map's size beyond its edges ([-64, 128) texels each way) and samples of
// 1e9 are 1024, a grid of 32 × 32 six texels apart: of its points, 2 × 2
// fall on the square's texels (24 to 39), so 4 / 1024 of the point is in
// shadow.
TEST_F(ShadowMapTest, AbsurdParametersStayBounded) {
    const std::string map = renderShadowMap();
    compile("surface absurd() {\n"
            "    Ci = shadow(\"" +
            map +
            "\", point \"world\" (0, 0, 0), \"bias\", 0.01, \"blur\", 1e30,\n"
            "               \"samples\", 1e9) * 64;\n"
            "    Oi = 1;\n"
            "}");
    const std::array<unsigned, 3> middle = middleWith("absurd");
    EXPECT_NEAR(middle[0], 4.0 / 1024 * 64 * 255, 1);
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// A depth picture without a camera is no shadow map: the lookup gives the
// fill value, with one warning naming the map. (Looked for from its own
// folder, so that the report's few words hold the reason.)
TEST_F(MapLookupTest, APictureWithoutACameraIsNoShadowMap) {
    writePicture("plain.tif", 2, 2,
                 [](std::uint32_t, std::uint32_t) { return std::array<std::uint8_t, 3>{}; });
    compile("surface plain() { Ci = shadow(\"plain.tif\", P, \"fill\", 0.5); Oi = 1; }");
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(fFolder);
    const TiffImage image = renderSphere([] { qelSurface(qelQuark("plain"), 0); });
    std::filesystem::current_path(before);
    const std::array<unsigned, 3> middle = {image.pixel(kCentreX, kCentreY)[0], 0, 0};
    EXPECT_NEAR(middle[0], 128, 1);
    ASSERT_EQ(gReports.size(), 1u);
    EXPECT_NE(gReports.front().find("no shadow map"), std::string::npos) << gReports.front();
}

} // namespace
