// The RIB files of other writers in scenes/: each is read to its end; the one
// that asks only for what the scene API can express reads without a message,
// the others with warnings only, each naming what was skipped.
#include "RibFixture.h"

#include <filesystem>

using namespace quelmark;

namespace {

using RibSceneTest = RibFixture;

std::string scene(const char* name) {
    return std::string(RIB_SCENES) + "/" + name;
}

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

TEST_F(RibSceneTest, EveryFileReadsToItsEndWithWarningsOnly) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(RIB_SCENES)) {
        if (entry.path().extension() != ".rib") continue;
        ++files;
        messages().clear();
        Lines calls = read(fileText(entry.path()));
        std::string name = entry.path().filename();
        ASSERT_GE(calls.size(), 4u) << name;
        // every file's world ends and is rendered
        EXPECT_NE(std::find(calls.begin(), calls.end(), "qelSceneEnd"), calls.end()) << name;
        EXPECT_TRUE(calls.back() == "qelSceneEnd" || calls.back() == "qelFrameEnd") << name;
        for (const std::string& line : messages()) {
            EXPECT_TRUE(startsWith(line, "RIB warning: no counterpart in the scene API at line "))
                << name << ": " << line;
            EXPECT_TRUE(line.find("skipped") != std::string::npos ||
                        line.find("dropped") != std::string::npos ||
                        line.find("moves transforms only") != std::string::npos)
                << name << ": " << line;
        }
        if (name == "zero_poly_20081209.rib")
            EXPECT_TRUE(messages().empty());
        else
            EXPECT_FALSE(messages().empty()) << name;
    }
    EXPECT_EQ(files, 25);
}

TEST_F(RibSceneTest, QuadricsSceneBecomesTheseRequests) {
    EXPECT_EQ(read(fileText(scene("quads_test.rib"))),
              (Lines{"qelTexturePath .:&",
                     "qelShaderPath ../shaders:.:&",
                     "qelOutputFile 513 quads_test.tif",
                     "qelOutputSamples 771",
                     "qelRasterViewport [0 199 0 149]",
                     "qelRasterAspect 1",
                     "qelShadingRate 1",
                     "qelShaderPath ./:../shaders:.:&",
                     "qelViewPerspective 11",
                     "qelVariable v 3329 3585",
                     "qelBackface 0",
                     "qelFilter 262",
                     "qelTune [32 16 16]",
                     "qelSceneBegin",
                     "qelSurfaceV defaultsurface",
                     "qelColor [1 1 1]",
                     "qelLightSourceV distant -> 1",
                     "qelSurfaceV diffuse",
                     "qelTranslate [0 0 14]",
                     "qelRotate [-90 1 0 0]",
                     "qelTranslate [-1.2 0 0.6]",
                     "qelSphereV [0.5 -0.5 0.5 360]",
                     "qelTranslate [1.2 0 0]",
                     "qelTranslate [0 0 -0.5]",
                     "qelConeV [0.5 1 1 360]",
                     "qelTranslate [0 0 0.5]",
                     "qelTranslate [1.2 0 0]",
                     "qelCylinderV [0.5 -0.5 0.5 360]",
                     "qelBackface 1",
                     "qelTranslate [-2.4 0 -1.2]",
                     "qelHyperboloidV [0.4 -0.4 -0.4] [0.4 0.4 0.4] 360",
                     "qelTranslate [1.2 0 -0.5]",
                     "qelParaboloidV [0.5 0 0.9 360]",
                     "qelTranslate [1.2 0 0.75]",
                     "qelTorusV [0.4 0.15 0 360 360]",
                     "qelTranslate [0 0 -0.5]",
                     "qelRotate [15 1 0 0]",
                     "qelDiskV [0 0.55 360]",
                     "qelRenderInit",
                     "qelRenderBucket",
                     "qelRenderBucket",
                     "qelRenderBucket",
                     "qelSceneEnd"}));
    EXPECT_EQ(messages(),
              (Lines{"RIB warning: no counterpart in the scene API at line 4 'Display': Display "
                     "\"compression\" is dropped"}));
}

TEST_F(RibSceneTest, EmptyMeshesAreLeftOut) {
    // the scene holds nothing but empty meshes; neither reader nor renderer
    // has anything to report about them
    Lines calls = read(fileText(scene("zero_poly_20081209.rib")));
    EXPECT_EQ(std::find_if(calls.begin(), calls.end(),
                           [](const std::string& call) { return startsWith(call, "qelPolygon"); }),
              calls.end());
    EXPECT_NE(std::find(calls.begin(), calls.end(), "qelSceneBegin"), calls.end());
    EXPECT_TRUE(messages().empty());
}

TEST_F(RibSceneTest, MotionBlocksPassEveryTransform) {
    Lines calls = read(fileText(scene("mblur.rib")));
    // MotionBegin [0 1] Translate 0 0 0 Translate 0 100 0 MotionEnd, four times
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "qelMotionBeginV 2 [0 1]"), 4);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "qelTranslate [0 100 0]"), 4);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "qelMotionEnd"), 4);
}

TEST_F(RibSceneTest, FiftyFramesRenderFiftyTimes) {
    Lines calls = read(fileText(scene("anim.rib")));
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "qelFrameEnd"), 50);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "qelRenderInit"), 50);
    // the Display compression warning comes once, not per frame
    EXPECT_EQ(messages().size(), 3u);
}

} // namespace
