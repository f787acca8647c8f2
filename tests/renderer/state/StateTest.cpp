#include "StateFixture.h"

#include "common/Quark.h"
#include "renderer/state/Camera.h"
#include "renderer/state/NamedSpaces.h"

#include <limits>

using namespace quelmark;

namespace {

const std::string kNesting = "error: Bad begin-end nesting. ";
const std::string kInvalid = "error: Invalid state. ";
const std::string kNotOptions = "error: Invalid state for parameters. ";
const std::string kNotAttribs = "error: Invalid state for attribs. ";
const std::string kNotPrims = "error: Invalid state for primitives. ";

class StateTest : public StateFixture {
protected:
    // Runs the call as the named request; it must be refused with the one
    // line given and leave the blocks as they were.
    template <class Call> void expectRefused(const char* name, Call call, const std::string& line) {
        int depth = fState->depth();
        unsigned short block = fState->currentBlock();
        request(name);
        EXPECT_FALSE(call()) << name;
        request(nullptr);
        EXPECT_EQ(reports(), Lines{line + name});
        EXPECT_EQ(fState->depth(), depth) << name;
        EXPECT_EQ(fState->currentBlock(), block) << name;
    }

    // Opens a motion block over times 0, 1, ... n-1.
    bool beginMotion(int n) {
        std::vector<float> times(static_cast<size_t>(n));
        for (int k = 0; k < n; ++k)
            times[size_t(k)] = float(k);
        return fState->motionBegin(n, times.data());
    }

    static std::vector<float> screenWindow() {
        return {gOption->screenLeft, gOption->screenRight, gOption->screenBottom,
                gOption->screenTop};
    }
};

TEST_F(StateTest, BlocksNestInTheirOwnOrder) {
    State& s = *fState;
    EXPECT_EQ(s.currentBlock(), 0x01);
    ASSERT_TRUE(s.frameBegin());
    EXPECT_EQ(s.currentBlock(), 0x02);
    ASSERT_TRUE(s.sceneBegin());
    EXPECT_EQ(s.currentBlock(), 0x04);
    ASSERT_TRUE(s.attributePush());
    ASSERT_TRUE(s.matrixPush());
    ASSERT_TRUE(s.solidBegin());
    EXPECT_EQ(s.currentBlock(), 0x20);
    EXPECT_NE(s.objectBegin(), nullptr);
    EXPECT_EQ(s.currentBlock(), 0x40);
    EXPECT_EQ(s.depth(), 7);
    EXPECT_TRUE(s.objectEnd());
    EXPECT_TRUE(beginMotion(2));
    EXPECT_EQ(s.currentBlock(), 0x80);
    EXPECT_TRUE(s.motionEnd());
    EXPECT_TRUE(s.solidEnd());
    EXPECT_TRUE(s.matrixPop());
    EXPECT_TRUE(s.attributePop());
    EXPECT_TRUE(s.sceneEnd());
    EXPECT_TRUE(s.frameEnd());
    EXPECT_EQ(s.depth(), 1);
    EXPECT_TRUE(reports().empty());
}

TEST_F(StateTest, EndsAndBeginsOutsideTheirBlocks) {
    State& s = *fState;
    expectRefused(
        "qelFrameEnd", [&] { return s.frameEnd(); }, kNesting);
    expectRefused(
        "qelSceneEnd", [&] { return s.sceneEnd(); }, kNesting);
    expectRefused(
        "qelAttributePop", [&] { return s.attributePop(); }, kNesting);
    expectRefused(
        "qelMatrixPop", [&] { return s.matrixPop(); }, kNesting);
    expectRefused(
        "qelSolidEnd", [&] { return s.solidEnd(); }, kNesting);
    expectRefused(
        "qelObjectEnd", [&] { return s.objectEnd(); }, kNesting);
    expectRefused(
        "qelMotionEnd", [&] { return s.motionEnd(); }, kNesting);
    expectRefused(
        "qelSolidBegin", [&] { return s.solidBegin(); }, kInvalid);

    s.frameBegin();
    expectRefused(
        "qelFrameBegin", [&] { return s.frameBegin(); }, kInvalid);
    expectRefused(
        "qelSceneEnd", [&] { return s.sceneEnd(); }, kNesting);
    expectRefused(
        "qelSolidBegin", [&] { return s.solidBegin(); }, kInvalid);

    s.sceneBegin();
    expectRefused(
        "qelSceneBegin", [&] { return s.sceneBegin(); }, kInvalid);
    expectRefused(
        "qelFrameBegin", [&] { return s.frameBegin(); }, kInvalid);
    expectRefused(
        "qelFrameEnd", [&] { return s.frameEnd(); }, kNesting);
    expectRefused(
        "qelSolidEnd", [&] { return s.solidEnd(); }, kNesting);

    s.attributePush();
    expectRefused(
        "qelSceneBegin", [&] { return s.sceneBegin(); }, kInvalid);
}

TEST_F(StateTest, NoPushInsideObjectOrMotionBlocks) {
    State& s = *fState;
    s.sceneBegin();
    s.objectBegin();
    expectRefused(
        "qelAttributePush", [&] { return s.attributePush(); }, kInvalid);
    expectRefused(
        "qelMatrixPush", [&] { return s.matrixPush(); }, kInvalid);
    expectRefused(
        "qelSolidBegin", [&] { return s.solidBegin(); }, kInvalid);
    expectRefused(
        "qelMotionBegin", [&] { return beginMotion(2); }, kInvalid);
    expectRefused(
        "qelObjectBegin", [&] { return s.objectBegin(); }, kInvalid);
    s.objectEnd();

    beginMotion(2);
    expectRefused(
        "qelAttributePush", [&] { return s.attributePush(); }, kInvalid);
    expectRefused(
        "qelMotionBegin", [&] { return beginMotion(2); }, kInvalid);
    expectRefused(
        "qelObjectBegin", [&] { return s.objectBegin(); }, kInvalid);
    expectRefused(
        "qelAttributePop", [&] { return s.attributePop(); }, kNesting);
}

TEST_F(StateTest, PopNeedsItsOwnBlockOnTop) {
    State& s = *fState;
    s.attributePush();
    s.matrixPush();
    expectRefused(
        "qelAttributePop", [&] { return s.attributePop(); }, kNesting);
    EXPECT_EQ(s.currentBlock(), 0x10);
    EXPECT_TRUE(s.matrixPop());
    EXPECT_TRUE(s.attributePop());
    EXPECT_EQ(s.depth(), 1);
}

TEST_F(StateTest, OptionAttributeAndTransformRequestsByBlock) {
    State& s = *fState;
    s.frameBegin();
    gOption->colorGain(2);
    s.sceneBegin();
    request("qelColorGain");
    gOption->colorGain(3);
    EXPECT_EQ(reports(), Lines{kNotOptions + "qelColorGain"});
    EXPECT_EQ(gOption->gain, 2.0f);

    const float red[3] = {1, 0, 0};
    gAttrib->color(red);
    gTransform->translate(1, 0, 0);
    EXPECT_TRUE(reports().empty());
    s.objectBegin();
    const float blue[3] = {0, 0, 1};
    request("qelColor");
    gAttrib->color(blue);
    request("qelTranslate");
    gTransform->translate(0, 5, 0);
    EXPECT_EQ(reports(), (Lines{kNotAttribs + "qelColor", kNotAttribs + "qelTranslate"}));
    EXPECT_TRUE(near(gAttrib->colorValue, Color(1, 0, 0)));
    EXPECT_TRUE(near(Point(0, 0, 0) * gTransform->matrix(), Point(1, 0, 0)));
}

TEST_F(StateTest, PrimitiveMasksOfTheTable) {
    State& s = *fState;
    s.frameBegin();
    request("qelSphere");
    EXPECT_FALSE(s.verify(0xFC, 7));
    EXPECT_EQ(reports(), Lines{kNotPrims + "qelSphere"});
    s.sceneBegin();
    s.objectBegin();
    EXPECT_TRUE(s.verify(0xFC, 7));
    EXPECT_TRUE(s.verify(0x7C, 7)); // procedural
    request("qelObjectCall");
    EXPECT_FALSE(s.verify(0x3C, 7));
    EXPECT_EQ(reports(), Lines{kNotPrims + "qelObjectCall"});
    request("qelMarkSpace");
    markSpace(testQuarks().space);
    EXPECT_EQ(reports(), Lines{kInvalid + "qelMarkSpace"});
    s.objectEnd();
    beginMotion(1);
    request("qelProcedural");
    EXPECT_FALSE(s.verify(0x7C, 7));
    EXPECT_EQ(reports(), Lines{kNotPrims + "qelProcedural"});
    EXPECT_TRUE(s.verify(0xFC, 7));
    float points[1][3] = {{0, 0, 0}};
    request("qelProjectPoints");
    EXPECT_EQ(projectPoints(kQuarkModel, kQuarkWorld, 1, points), nullptr);
    EXPECT_EQ(reports(), Lines{kInvalid + "qelProjectPoints"});
}

TEST_F(StateTest, StateErrorWithoutRequestNamePrintsCodeTextOnly) {
    fState->frameEnd();
    EXPECT_EQ(reports(), Lines{"error: Bad begin-end nesting."});
}

TEST_F(StateTest, TransformsInAMotionBlockMoveAndLaterOnesApplyAtEveryTime) {
    State& s = *fState;
    const float times[2] = {0.25f, 0.75f};
    EXPECT_TRUE(s.motionBegin(2, times));
    gTransform->translate(1, 0, 0);
    gTransform->translate(0, 5, 0);
    EXPECT_TRUE(s.motionEnd());
    EXPECT_TRUE(reports().empty());
    EXPECT_TRUE(near(Point(0, 0, 0) * gTransform->matrix(), Point(1, 0, 0)));
    ASSERT_EQ(gTransform->motion().size(), 2u);
    EXPECT_EQ(gTransform->motion()[1].time, 0.75f);
    EXPECT_TRUE(near(Point(0, 0, 0) * gTransform->motion()[1].matrix, Point(0, 5, 0)));
    // A later scale applies to the point before either translation.
    gTransform->scale(2, 2, 2);
    EXPECT_TRUE(near(Point(1, 1, 1) * gTransform->motion()[0].matrix, Point(3, 2, 2)));
    EXPECT_TRUE(near(Point(1, 1, 1) * gTransform->motion()[1].matrix, Point(2, 7, 2)));
    // Loading one matrix for every time stops the motion.
    gTransform->loadIdentity();
    EXPECT_FALSE(gTransform->moves());

    EXPECT_TRUE(beginMotion(3));
    EXPECT_TRUE(s.motionEnd()); // also with nothing inside
    EXPECT_FALSE(gTransform->moves());
}

TEST_F(StateTest, AMotionBlockWithTooFewOrTooManyTransformsKeepsTheFirst) {
    State& s = *fState;
    beginMotion(3);
    gTransform->translate(1, 0, 0);
    gTransform->translate(2, 0, 0);
    s.motionEnd();
    EXPECT_EQ(reports(), Lines{"error: Parameters inconsistent. a motion block of 3 times holds 2 "
                               "transforms: the first is used"});
    EXPECT_FALSE(gTransform->moves());
    EXPECT_TRUE(near(Point(0, 0, 0) * gTransform->matrix(), Point(1, 0, 0)));

    beginMotion(2);
    gTransform->translate(0, 1, 0);
    gTransform->translate(0, 2, 0);
    gTransform->translate(0, 3, 0);
    s.motionEnd();
    EXPECT_EQ(reports(), Lines{"error: Parameters inconsistent. more transforms than the 2 times "
                               "of the motion block"});
    ASSERT_TRUE(gTransform->moves());
    EXPECT_TRUE(near(Point(0, 0, 0) * gTransform->motion()[1].matrix, Point(1, 2, 0)));
}

TEST_F(StateTest, RefusedRequestLeavesTheMotionSlotOpen) {
    State& s = *fState;
    beginMotion(2);
    request("qelHider");
    gOption->hider(0);
    EXPECT_EQ(reports(), Lines{kNotOptions + "qelHider"});
    const float red[3] = {1, 0, 0}, blue[3] = {0, 0, 1};
    gAttrib->color(red);
    gAttrib->color(blue);
    EXPECT_TRUE(s.motionEnd());
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(gOption->hiderType, 0x400);
    EXPECT_TRUE(near(gAttrib->colorValue, Color(1, 0, 0)));
}

TEST_F(StateTest, FrameEndRestoresEveryBlock) {
    State& s = *fState;
    s.frameBegin();
    gOption->colorGain(2);
    const float red[3] = {1, 0, 0};
    gAttrib->color(red);
    gTransform->translate(1, 0, 0);
    Object* object = s.objectBegin();
    ASSERT_NE(object, nullptr);
    EXPECT_TRUE(s.ownsObject(object));
    s.objectEnd();
    calls();
    s.frameEnd();
    EXPECT_EQ(calls(), Lines{"destroy object"});
    EXPECT_FALSE(s.ownsObject(object));
    EXPECT_EQ(gOption->gain, 1.0f);
    EXPECT_TRUE(near(gAttrib->colorValue, Color(1, 1, 1)));
    EXPECT_TRUE(gTransform->matrix() == gIdentity);
}

TEST_F(StateTest, OnlyAChangeGivesANewSnapshot) {
    Attrib* white = fState->getAttrib();
    EXPECT_EQ(fState->getAttrib(), white);
    EXPECT_EQ(white->snapshot.count(), 1u); // the cache's own
    EXPECT_EQ(fState->getTransform(), fState->getTransform());
    retainSnapshot(white); // as a primitive would
    const float red[3] = {1, 0, 0};
    gAttrib->color(red);
    Attrib* redSnapshot = fState->getAttrib();
    EXPECT_NE(redSnapshot, white);
    EXPECT_EQ(white->snapshot.count(), 1u); // only ours is left
    EXPECT_TRUE(near(white->colorValue, Color(1, 1, 1)));
    EXPECT_TRUE(near(redSnapshot->colorValue, Color(1, 0, 0)));
    releaseSnapshot(white);
}

TEST_F(StateTest, PopsMarkTheBlocksChanged) {
    State& s = *fState;
    Attrib* before = retainSnapshot(s.getAttrib());
    Transform* transformBefore = retainSnapshot(s.getTransform());
    s.attributePush();
    s.attributePop();
    EXPECT_NE(s.getAttrib(), before);
    EXPECT_NE(s.getTransform(), transformBefore);
    releaseSnapshot(transformBefore);
    transformBefore = retainSnapshot(s.getTransform());
    s.matrixPush();
    s.matrixPop();
    EXPECT_NE(s.getTransform(), transformBefore);
    releaseSnapshot(before);
    releaseSnapshot(transformBefore);
}

TEST_F(StateTest, SnapshotKeepsItsValuesAfterTheBlockIsPopped) {
    State& s = *fState;
    s.attributePush();
    const float red[3] = {1, 0, 0};
    gAttrib->color(red);
    gAttrib->shadingRate(4);
    gTransform->scale(-1, 1, 1);
    Attrib* inner = retainSnapshot(s.getAttrib());
    Transform* mirrored = retainSnapshot(s.getTransform());
    s.attributePop();
    Attrib* outer = s.getAttrib();
    Transform* plain = s.getTransform();
    EXPECT_TRUE(near(inner->colorValue, Color(1, 0, 0)));
    EXPECT_FLOAT_EQ(inner->shadingRateRoot, 2.0f);
    EXPECT_EQ(mirrored->orientation(), 0x601);
    EXPECT_TRUE(near(outer->colorValue, Color(1, 1, 1)));
    EXPECT_FLOAT_EQ(outer->shadingRateRoot, 1.0f);
    EXPECT_EQ(plain->orientation(), 0x600);
    releaseSnapshot(inner);
    releaseSnapshot(mirrored);
}

TEST_F(StateTest, DefaultSceneBeginOpensA640By480Display) {
    gTransform->translate(0, 0, 5);
    fState->sceneBegin();
    EXPECT_EQ(calls(),
              (Lines{"destroy", "create", "sequence", "open Quelmark 640x480 at 0,0", "init"}));
    const Option& o = *gOption;
    EXPECT_EQ(o.xResolution, 640);
    EXPECT_EQ(o.yResolution, 480);
    EXPECT_FLOAT_EQ(o.pixelAspect, 1.0f);
    EXPECT_FLOAT_EQ(o.frameAspect, 4.0f / 3.0f);
    EXPECT_EQ(screenWindow(), (std::vector<float>{-4.0f / 3, 4.0f / 3, -1, 1}));
    EXPECT_TRUE(near(Point(0, 0, 7) * gCameraToRaster, Point(320, 240, 7)));
    EXPECT_TRUE(near(Point(-4.0f / 3, 1, 2) * gCameraToRaster, Point(0, 0, 2)));
    EXPECT_TRUE(near(Point(4.0f / 3, -1, 2) * gCameraToRaster, Point(640, 480, 2)));
    EXPECT_TRUE(near(Point(0, 0, 0) * gWorldToCamera, Point(0, 0, 5)));

    fState->sceneEnd();
    EXPECT_EQ(calls(), (Lines{"render", "close", "destroy"}));
}

TEST_F(StateTest, NullHiderRendersNothingAndOpensNoDisplay) {
    gOption->hider(0);
    fState->sceneBegin();
    fState->sceneEnd();
    EXPECT_EQ(calls(), (Lines{"destroy", "create", "destroy"}));
}

TEST_F(StateTest, ViewportAndNameReachTheDisplay) {
    fState->frameBegin();
    gOption->outputDisplay("Preview");
    gOption->rasterViewport(10, 109, 20, 69);
    fState->sceneBegin();
    EXPECT_EQ(calls()[3], "open Preview 100x50 at 10,20");
    EXPECT_EQ(screenWindow(), (std::vector<float>{-2, 2, -1, 1})); // frame aspect 100 / 50
    EXPECT_TRUE(near(Point(0, 0, 1) * gCameraToRaster, Point(50, 25, 1)));
}

TEST_F(StateTest, AspectBelowOneGivesATallerWindow) {
    fState->frameBegin();
    gOption->imageAspect(0.5f);
    fState->sceneBegin();
    EXPECT_EQ(screenWindow(), (std::vector<float>{-1, 1, -2, 2}));
    EXPECT_TRUE(near(Point(1, -2, 1) * gCameraToRaster, Point(640, 480, 1)));
}

TEST_F(StateTest, NanWindowAndAspectFallBackToDefaults) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    gOption->imageWindow(nan, 1, -1, 1);
    gOption->rasterAspect(nan);
    gOption->imageAspect(nan);
    fState->sceneBegin();
    EXPECT_FLOAT_EQ(gOption->pixelAspect, 1.0f);
    EXPECT_EQ(screenWindow(), (std::vector<float>{-4.0f / 3, 4.0f / 3, -1, 1}));
    EXPECT_TRUE(near(Point(0, 0, 1) * gCameraToRaster, Point(320, 240, 1)));
    EXPECT_TRUE(reports().empty());
}

TEST_F(StateTest, PaintHiderWithDepthOutputSwitchesToZbuffer) {
    fState->frameBegin();
    gOption->outputSamples(0x305);
    gOption->hider(0x401);
    fState->sceneBegin();
    EXPECT_EQ(gOption->hiderType, 0x400);
    fState->sceneEnd();
    fState->frameEnd();

    gOption->outputSamples(0x303);
    gOption->hider(0x401);
    fState->sceneBegin();
    EXPECT_EQ(gOption->hiderType, 0x401);
}

TEST_F(StateTest, ResetReturnsToTheOutermostDefaults) {
    State& s = *fState;
    s.frameBegin();
    gOption->rasterViewport(0, 99, 0, 99);
    gOption->viewPerspective(90);
    s.sceneBegin();
    s.attributePush();
    s.init();
    EXPECT_EQ(s.depth(), 1);
    EXPECT_EQ(s.currentBlock(), 0x01);
    EXPECT_EQ(gOption->xResolution, 0);
    EXPECT_TRUE(gCameraToScreen == gIdentity);
    EXPECT_TRUE(near(Point(0, 0, 1) * gCameraToRaster, Point(320, 240, 1)));
}

} // namespace
