// lumivar on RIB files: the RIB reader for names ending in ".rib" or when
// --format says so, with images, frames, exit statuses and the status line
// as for QEL files.
#include "LumivarProcess.h"
#include "PngImage.h"
#include "ScratchDir.h"
#include "TerminalScreen.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Rgb = std::tuple<int, int, int>;

// A constant square of the colour in an orthographic 64 by 64 view, one
// sample per pixel through a box filter one pixel wide. The screen window
// is [-1, 1] both ways, 32 pixels to a unit, so the square from -0.5 to 0.5
// covers pixels 16 to 47 in each direction: 32 * 32 = 1024 pixels.
std::string square(const char* color = "1 0 0", const char* before = "") {
    return std::string("Format 64 64 1\n") + before +
           "Projection \"orthographic\"\n"
           "PixelSamples 1 1\n"
           "PixelFilter \"box\" 1 1\n"
           "WorldBegin\n"
           "Surface \"constant\"\n"
           "Color [" +
           color +
           "]\n"
           "Translate 0 0 1\n"
           "Polygon \"P\" [-0.5 -0.5 0  0.5 -0.5 0  0.5 0.5 0  -0.5 0.5 0]\n"
           "WorldEnd\n";
}

// The same square as QEL text, for the cases where the format is forced.
const char kSquareQel[] = "qelRasterViewport 0 63 0 63\n"
                          "qelViewOrthographic\n"
                          "qelSampleUniform 1 1\n"
                          "qelFilter \"box\"\n"
                          "qelFilterWidth 1 1\n"
                          "qelSceneBegin\n"
                          "qelSurface \"constant\"\n"
                          "qelColor [0 0 1]\n"
                          "qelTranslate 0 0 1\n"
                          "qelPolygon 4 \"point\" [-0.5 -0.5 0 0.5 -0.5 0 0.5 0.5 0 -0.5 0.5 0]\n"
                          "qelSceneEnd\n";

std::map<Rgb, int> colourCounts(const PngImage& image) {
    std::map<Rgb, int> counts;
    for (png_uint_32 y = 0; y < image.height; ++y)
        for (png_uint_32 x = 0; x < image.width; ++x) {
            const png_byte* p = image.pixel(x, y);
            ++counts[Rgb(p[0], p[1], p[2])];
        }
    return counts;
}

// Whether exactly the pixels 16 to 47 both ways have the colour.
bool squareInTheMiddle(const PngImage& image, Rgb colour) {
    for (png_uint_32 y = 0; y < image.height; ++y)
        for (png_uint_32 x = 0; x < image.width; ++x) {
            const png_byte* p = image.pixel(x, y);
            bool inside = x >= 16 && x < 48 && y >= 16 && y < 48;
            if ((Rgb(p[0], p[1], p[2]) == colour) != inside) return false;
        }
    return true;
}

class LumivarRibTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(fDir.path().empty()); }

    LumivarResult run(const std::vector<std::string>& args, const std::string& input = "") {
        return runLumivar(fDir.path(), args, input);
    }
    PngImage image(const std::string& name) const { return readPng(fDir.path() + name); }

    ScratchDir fDir{"lumivar-rib"};
};

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

TEST_F(LumivarRibTest, AConstantSquareCoversItsPixels) {
    LumivarResult result = run({"-o", "square.png", fDir.write("square.rib", square())});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    PngImage red = image("square.png");
    ASSERT_EQ(red.width, 64u);
    ASSERT_EQ(red.height, 64u);
    std::map<Rgb, int> expected = {{Rgb(255, 0, 0), 1024}, {Rgb(0, 0, 0), 64 * 64 - 1024}};
    EXPECT_EQ(colourCounts(red), expected);
    EXPECT_TRUE(squareInTheMiddle(red, Rgb(255, 0, 0)));
}

TEST_F(LumivarRibTest, TheFormatGivesTheImageSize) {
    // 80 by 40 pixels: the screen window is [-2, 2] by [-1, 1], 20 pixels to
    // a unit, so the square covers 20 by 20 pixels.
    std::string scene = square("0 1 0");
    scene.replace(0, scene.find('\n'), "Format 80 40 1");
    LumivarResult result = run({"-o", "wide.png", fDir.write("wide.rib", scene)});
    EXPECT_EQ(result.status, 0) << result.err;
    PngImage green = image("wide.png");
    ASSERT_EQ(green.width, 80u);
    ASSERT_EQ(green.height, 40u);
    std::map<Rgb, int> expected = {{Rgb(0, 255, 0), 400}, {Rgb(0, 0, 0), 80 * 40 - 400}};
    EXPECT_EQ(colourCounts(green), expected);
    EXPECT_EQ(green.pixel(30, 10)[1], 255);
    EXPECT_EQ(green.pixel(49, 29)[1], 255);
    EXPECT_EQ(green.pixel(29, 10)[1], 0);
    EXPECT_EQ(green.pixel(50, 29)[1], 0);
}

TEST_F(LumivarRibTest, TheNameEndingIsMatchedInAnyCase) {
    LumivarResult result = run({"-o", "upper.png", fDir.write("SQUARE.RIB", square("1 1 0"))});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(squareInTheMiddle(image("upper.png"), Rgb(255, 255, 0)));
}

TEST_F(LumivarRibTest, OtherNamesAreReadAsQel) {
    // RIB text under another name is not a QEL scene.
    LumivarResult result = run({fDir.write("square.txt", square())});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(contains(result.err, "QEL error: undefined QEL request at line 1 'Format'"))
        << result.err;
}

TEST_F(LumivarRibTest, TheFormatOptionChoosesTheReader) {
    LumivarResult rib =
        run({"--format=rib", "-o", "forced.png", fDir.write("square.txt", square("0 1 1"))});
    EXPECT_EQ(rib.status, 0) << rib.err;
    EXPECT_TRUE(squareInTheMiddle(image("forced.png"), Rgb(0, 255, 255)));

    LumivarResult qel =
        run({"--format", "qel", "-o", "qel.png", fDir.write("really-qel.rib", kSquareQel)});
    EXPECT_EQ(qel.status, 0) << qel.err;
    EXPECT_TRUE(squareInTheMiddle(image("qel.png"), Rgb(0, 0, 255)));
}

TEST_F(LumivarRibTest, StandardInputIsRibWhenTheOptionSaysSo) {
    LumivarResult result = run({"--format=RIB", "-o", "in.png", "-"}, square("1 0 1"));
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(squareInTheMiddle(image("in.png"), Rgb(255, 0, 255)));
}

TEST_F(LumivarRibTest, AnUnknownFormatIsAUsageError) {
    for (std::vector<std::string> args : {std::vector<std::string>{"--format=tiff", "a.rib"},
                                          std::vector<std::string>{"a.rib", "--format"}}) {
        LumivarResult result = run(args);
        EXPECT_EQ(result.status, 2) << result.err;
        EXPECT_TRUE(contains(result.err, "--format") || contains(result.err, "tiff")) << result.err;
        EXPECT_TRUE(contains(result.err, "; see lumivar --help")) << result.err;
    }
    EXPECT_TRUE(contains(run({"--help"}).out, "--format=rib|qel"));
}

TEST_F(LumivarRibTest, WarningsAloneSucceedAndErrorsFail) {
    LumivarResult warned =
        run({"-o", "w.png",
             fDir.write("warn.rib", square("1 1 1", "TrimCurve [1] [2] [0 0 1 1] [0] [1] [2] "
                                                    "[0 1] [0 1] [1 1]\n"))});
    EXPECT_EQ(warned.status, 0) << warned.err;
    EXPECT_EQ(warned.err, "lumivar: warn.rib:2: warning: Optional QEL feature. qelTrimCurve: "
                          "trim curves are not applied: NURBS surfaces are drawn whole; told "
                          "once\n");
    EXPECT_TRUE(squareInTheMiddle(image("w.png"), Rgb(255, 255, 255)));

    LumivarResult failed = run({fDir.write("bad.rib", "Bogus 1\n" + square())});
    EXPECT_EQ(failed.status, 1);
    EXPECT_TRUE(contains(failed.err, "RIB error: ")) << failed.err;
    EXPECT_TRUE(contains(failed.err, "'Bogus'")) << failed.err;
}

TEST_F(LumivarRibTest, FramesAreNumberedAsForQel) {
    std::string scene = "FrameBegin 1\n" + square("1 0 0") + "FrameEnd\nFrameBegin 2\n" +
                        square("0 0 1") + "FrameEnd\n";
    LumivarResult result = run({"-o", "frame.png", fDir.write("two.rib", scene)});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_FALSE(fDir.exists("frame.png"));
    EXPECT_TRUE(squareInTheMiddle(image("frame1.png"), Rgb(255, 0, 0)));
    EXPECT_TRUE(squareInTheMiddle(image("frame2.png"), Rgb(0, 0, 255)));
}

TEST_F(LumivarRibTest, TheStatusLineNamesTheDisplay) {
    std::string scene = "FrameBegin 1\n" +
                        square("1 1 1", "Display \"shown\" \"framebuffer\" \"rgb\"\n") +
                        "FrameEnd\nFrameBegin 2\n" + square() + "FrameEnd\n";
    LumivarResult result =
        runLumivarOnTerminal(fDir.path(), {fDir.write("named.rib", scene)});
    EXPECT_EQ(result.status, 0) << result.err;
    TerminalScreen screen(result.err);
    EXPECT_TRUE(screen.lines().empty());
    EXPECT_EQ(screen.current(), "");
    bool named = false, untitled = false;
    for (const std::string& state : screen.redrawn()) {
        named |= contains(state, "Rendering frame \"shown\" [");
        untitled |= contains(state, "Rendering frame \"Untitled\" [");
    }
    EXPECT_TRUE(named);
    EXPECT_TRUE(untitled);
}

TEST_F(LumivarRibTest, InterruptCancelsARibFrame) {
    std::string scene = "Bogus\nFormat 2000 1500 1\nWorldBegin\nSurface \"constant\"\n"
                        "Translate 0 0 5\nSphere 1 -1 1 360\nWorldEnd\n";
    bool timedOut = false;
    LumivarResult result =
        interruptLumivar(fDir.path(), {"--progress", "-o", "cut.png", fDir.write("big.rib", scene)},
                         "Rendering frame", timedOut);
    EXPECT_FALSE(timedOut);
    EXPECT_EQ(result.status, 130);
    std::vector<std::string> messages;
    TerminalScreen screen(result.err);
    for (const std::string& line : screen.lines())
        if (line.rfind("lumivar: ", 0) == 0) messages.push_back(line);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("lumivar: big.rib:1: RIB error: ", 0), 0u) << messages[0];
    EXPECT_FALSE(fDir.exists("cut.png"));
}

// A shadow pass and the lit frame in one run: the first frame's depths,
// seen straight down from a distant light, made into a shadow map between
// the frames, which the second frame's light looks up. The square at y = 2
// shadows the middle of the plane below it, a square of the same size
// (the light's rays are parallel): from 10 above through 40 degrees the
// plane's 4 units span 4 / (2 * 10 tan 20 deg) of 128 pixels, 70, and the
// shadow a quarter of that, 17.6, both centred.
TEST_F(LumivarRibTest, AShadowPassLightsTheNextFrame) {
    const std::string scene = "FrameBegin 1\n"
                              "Format 128 128 1\n"
                              "PixelSamples 1 1\n"
                              "PixelFilter \"box\" 1 1\n"
                              "Display \"plane.z\" \"zfile\" \"z\"\n"
                              "Projection \"orthographic\"\n"
                              "ScreenWindow -2 2 -2 2\n"
                              "Rotate -90 1 0 0\n"
                              "Translate 0 -5 0\n"
                              "WorldBegin\n"
                              "Polygon \"P\" [-2 0 -2  2 0 -2  2 0 2  -2 0 2]\n"
                              "Polygon \"P\" [-0.5 2 -0.5  0.5 2 -0.5  0.5 2 0.5  -0.5 2 0.5]\n"
                              "WorldEnd\n"
                              "FrameEnd\n"
                              "MakeShadow \"plane.z\" \"plane.shd\"\n"
                              "FrameBegin 2\n"
                              "Format 128 128 1\n"
                              "Display \"lit.png\" \"file\" \"rgb\"\n"
                              "Projection \"perspective\" \"fov\" 40\n"
                              "Rotate -90 1 0 0\n"
                              "Translate 0 -10 0\n"
                              "WorldBegin\n"
                              "LightSource \"shadowdistant\" 1 \"from\" [0 5 0] \"to\" [0 0 0]\n"
                              "    \"shadowname\" \"plane.shd\" \"bias\" 0.05\n"
                              "Surface \"matte\"\n"
                              "Polygon \"P\" [-2 0 -2  2 0 -2  2 0 2  -2 0 2]\n"
                              "WorldEnd\n"
                              "FrameEnd\n";
    LumivarResult result = run({fDir.write("shadowed.rib", scene)});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const PngImage lit = image("lit.png");
    ASSERT_EQ(lit.width, 128u);
    // Across the middle row: lit plane, shadow, lit plane; pixels on an
    // edge count for the side they are nearer.
    int shadowed = 0, litPlane = 0;
    for (png_uint_32 x = 0; x < lit.width; ++x) {
        const int red = lit.pixel(x, 64)[0];
        shadowed += red < 128 && x > 40 && x < 88;
        litPlane += red >= 128;
    }
    EXPECT_NEAR(shadowed, 17.6, 1.5);
    EXPECT_NEAR(litPlane, 70 - 17.6, 3);
    EXPECT_EQ(lit.pixel(64, 64)[0], 0);
    EXPECT_EQ(lit.pixel(40, 64)[0], 255);
}
