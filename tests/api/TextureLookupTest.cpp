// texture() in compiled shaders, rendered through the API: maps written
// here as plain 8-bit images, looked up at the sphere's points and at fixed
// coordinates, against the values the maps hold.
#include "CompiledShaderScene.h"
#include "RgbPicture.h"
#include "api/qel.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace {

class TextureLookupTest : public CompiledShaderScene {
protected:
    // An RGB image of width × height pixels, row after row.
    std::string writeMap(const std::string& name, std::uint32_t width, std::uint32_t height,
                         const std::vector<std::uint8_t>& rgb) {
        const std::string path = (fFolder / name).string();
        writeRgbPicture(path, width, height, [&](std::uint32_t x, std::uint32_t y) {
            const std::size_t at = 3 * (std::size_t(y) * width + x);
            return std::array<std::uint8_t, 3>{rgb[at], rgb[at + 1], rgb[at + 2]};
        });
        return path;
    }

    static unsigned centre(const TiffImage& image, int channel) {
        return image.pixel(kCentreX, kCentreY)[std::size_t(channel)];
    }
    static unsigned inside(const TiffImage& image, int channel) {
        return image.pixel(kCentreX + 6, kCentreY + 6)[std::size_t(channel)];
    }

    TiffImage renderWith(const std::string& surface) {
        return renderSphere([&] { qelSurface(qelQuark(surface.c_str()), 0); });
    }
};

// A map of one colour gives it everywhere, whatever the footprint: at the
// sphere's own s and t, a channel picked out as a float. (Pixel (86, 66) is
// away from the edges of the map, which its black border blurs.)
TEST_F(TextureLookupTest, AMapOfOneColourGivesIt) {
    constexpr std::uint32_t kSide = 64;
    std::vector<std::uint8_t> rgb;
    for (std::uint32_t k = 0; k < kSide * kSide; ++k)
        rgb.insert(rgb.end(), {64, 128, 192});
    const std::string map = writeMap("one.tif", kSide, kSide, rgb);
    compile("surface onemap() { Ci = texture(\"" + map + "\"); Oi = 1; }\n" +
            "surface onechannel() { Ci = float texture(\"" + map + "\"[1]); Oi = 1; }");
    const TiffImage image = renderWith("onemap");
    EXPECT_EQ(inside(image, 0), 64u);
    EXPECT_EQ(inside(image, 1), 128u);
    EXPECT_EQ(inside(image, 2), 192u);
    const TiffImage green = renderWith("onechannel");
    EXPECT_EQ(inside(green, 0), 128u);
    EXPECT_EQ(inside(green, 2), 128u);
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// A map of two pixels, black then white: at fixed coordinates (no
// footprint) the lookup is bilinear between the pixels' centres at s = 1/4
// and 3/4: black at 1/4, half at 1/2, white at 3/4.
TEST_F(TextureLookupTest, LookupsBetweenPixelsAreBilinear) {
    const std::string map = writeMap("halves.tif", 2, 1, {0, 0, 0, 255, 255, 255});
    compile("surface halves() {\n"
            "    string map = \"" +
            map +
            "\";\n"
            "    Ci = color(float texture(map, 0.25, 0.5), float texture(map, 0.5, 0.5),\n"
            "               float texture(map, 0.75, 0.5));\n"
            "    Oi = 1;\n"
            "}");
    const TiffImage image = renderWith("halves");
    EXPECT_EQ(centre(image, 0), 0u);
    EXPECT_NEAR(centre(image, 1), 128, 1);
    EXPECT_EQ(centre(image, 2), 255u);
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// A made map is tiled, mip-mapped (2 × 1 pixels, then 1 × 1) and keeps its
// wrap modes: periodic, s = 0 lies halfway between the last pixel (white)
// and the first (black); black, halfway between black and the black
// outside; clamped, beyond the white edge is white.
TEST_F(TextureLookupTest, AMadeMapIsTiledMipMappedAndWraps) {
    const std::string picture = writeMap("halves.tif", 2, 1, {0, 0, 0, 255, 255, 255});
    const std::string periodic = (fFolder / "periodic.tx").string();
    const std::string black = (fFolder / "black.tx").string();
    const std::string clamped = (fFolder / "clamped.tx").string();
    qelMakeTexture(picture.c_str(), periodic.c_str(), QEL_WRAP, QEL_WRAP, qelBoxFilter, 1, 1, 0);
    qelMakeTexture(picture.c_str(), black.c_str(), QEL_NOWRAP, QEL_NOWRAP, qelBoxFilter, 1, 1, 0);
    qelMakeTexture(picture.c_str(), clamped.c_str(), QEL_CLAMP, QEL_CLAMP, qelBoxFilter, 1, 1, 0);
    ASSERT_TRUE(gReports.empty()) << gReports.front();
    TIFF* made = TIFFOpen(periodic.c_str(), "r");
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(TIFFIsTiled(made));
    EXPECT_EQ(TIFFNumberOfDirectories(made), 2);
    TIFFClose(made);

    compile("surface wraps() {\n"
            "    Ci = color(float texture(\"" +
            periodic +
            "\", 0, 0.5),\n"
            "               float texture(\"" +
            black +
            "\", 0, 0.5),\n"
            "               float texture(\"" +
            clamped +
            "\", 1.25, 0.5));\n"
            "    Oi = 1;\n"
            "}");
    const TiffImage image = renderWith("wraps");
    EXPECT_NEAR(centre(image, 0), 128, 1);
    EXPECT_EQ(centre(image, 1), 0u);
    EXPECT_EQ(centre(image, 2), 255u);
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// textureinfo() tells a map's resolution, channels and type, and answers 0
// (leaving the variable) for a fact of the wrong shape or a missing map.
TEST_F(TextureLookupTest, TextureInfoTellsWhatTheMapHolds) {
    const std::string map = writeMap("wide.tif", 4, 2, std::vector<std::uint8_t>(24, 0));
    compile("surface info() {\n"
            "    string map = \"" +
            map +
            "\";\n"
            "    uniform float resolution[2] = {0, 0};\n"
            "    uniform float channels = 0, unchanged = 0.25;\n"
            "    uniform string kind = \"\";\n"
            "    float found = textureinfo(map, \"resolution\", resolution) +\n"
            "                  textureinfo(map, \"channels\", channels) +\n"
            "                  textureinfo(map, \"type\", kind);\n"
            "    float refused = textureinfo(map, \"resolution\", unchanged) +\n"
            "                    textureinfo(\"no such map.tif\", \"channels\", unchanged);\n"
            "    Ci = color(resolution[0] / 8 + resolution[1] / 4, channels / 6 + found / 6,\n"
            "               match(\"^texture$\", kind) * 0.5 + refused + unchanged);\n"
            "    Oi = 1;\n"
            "}");
    const TiffImage image = renderWith("info");
    EXPECT_EQ(centre(image, 0), 255u);     // 4 / 8 + 2 / 4
    EXPECT_EQ(centre(image, 1), 255u);     // 3 / 6 + 3 / 6
    EXPECT_NEAR(centre(image, 2), 191, 1); // 0.5 + 0 + 0.25
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// A map named without a folder is looked for along the texture path, in
// order: not in the first place, which does not exist, but in the second.
TEST_F(TextureLookupTest, BareNamesAreLookedForAlongTheTexturePath) {
    std::filesystem::create_directories(fFolder / "maps");
    writeMap("maps/bare.tif", 2, 2, std::vector<std::uint8_t>(12, 200));
    compile("surface bare() { Ci = float texture(\"bare.tif\", 0.5, 0.5); Oi = 1; }");
    const std::string places = "nowhere:" + (fFolder / "maps").string();
    const TiffImage image = renderSphere([] { qelSurface(qelQuark("bare"), 0); }, nullptr,
                                         [&] { qelTexturePath(places.c_str()); });
    EXPECT_EQ(centre(image, 0), 200u);
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// A picture that cannot be read makes no map, with a message naming both.
TEST_F(TextureLookupTest, APictureThatCannotBeReadMakesNoMap) {
    qelMakeTexture("no-such-picture.tif", "made.tx", QEL_WRAP, QEL_WRAP, qelBoxFilter, 1, 1, 0);
    ASSERT_EQ(gReports.size(), 1u);
    EXPECT_NE(gReports.front().find("\"made.tx\" is not made"), std::string::npos)
        << gReports.front();
    EXPECT_FALSE(std::filesystem::exists("made.tx"));
}

// A cache far smaller than the map still finds its values: a map of 1024 ×
// 1024 pixels (3 MB) under a cache of 1 MB, looked up all over the sphere,
// and at four places whose values are known (red x / 4, green y / 4).
TEST_F(TextureLookupTest, ACacheSmallerThanTheMapStillFindsItsValues) {
    constexpr std::uint32_t kSide = 1024;
    std::vector<std::uint8_t> rgb;
    rgb.reserve(3 * kSide * kSide);
    for (std::uint32_t y = 0; y < kSide; ++y)
        for (std::uint32_t x = 0; x < kSide; ++x)
            rgb.insert(rgb.end(), {std::uint8_t(x / 4), std::uint8_t(y / 4), 100});
    const std::string map = writeMap("large.tif", kSide, kSide, rgb);
    compile(
        "surface large() {\n"
        "    string map = \"" +
        map +
        "\";\n"
        "    color all = texture(map);\n"
        "    float s0 = (8 * 4 + 2) / 1024, s1 = (200 * 4 + 2) / 1024;\n"
        "    Ci = color(float texture(map[0], s0, s0) * 255 - 8 + float texture(map[1], s1, s0)\n"
        "                   * 255 - 8 + comp(all, 2) * 255 - 100,\n"
        "               float texture(map[0], s1, s1), float texture(map[1], s0, s1));\n"
        "    Oi = 1;\n"
        "}");
    const TiffImage image = renderSphere([] { qelSurface(qelQuark("large"), 0); }, nullptr,
                                         [] { qelTextureMemory(1); });
    EXPECT_LE(centre(image, 0), 1u); // 8 - 8 + 8 - 8 + 100 - 100
    EXPECT_EQ(centre(image, 1), 200u);
    EXPECT_EQ(centre(image, 2), 200u);
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// A map that cannot be read gives the fill value, and is told of once
// however many grids look it up.
TEST_F(TextureLookupTest, AMissingMapGivesTheFillValueAndOneWarning) {
    compile(
        "surface missing() { Ci = float texture(\"no such map.tif\", \"fill\", 0.5); Oi = 1; }");
    const TiffImage image = renderWith("missing");
    EXPECT_NEAR(centre(image, 0), 128, 1);
    ASSERT_EQ(gReports.size(), 1u);
    EXPECT_NE(gReports.front().find("no such map.tif"), std::string::npos) << gReports.front();
}

} // namespace
