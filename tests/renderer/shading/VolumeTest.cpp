#include "renderer/shading/Volume.h"

#include "common/Quark.h"
#include "renderer/shading/ShaderFactory.h"
#include "renderer/state/ArgList.h"
#include "renderer/state/Transform.h"

#include "ShaderTestValues.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <memory>

using namespace quelmark;

namespace {

const Color kSurfaceColor(0.8f, 0.4f, 1.0f);
const Color kSurfaceOpacity(0.5f, 0.25f, 1.0f);

class VolumeTest : public ::testing::Test {
protected:
    VolumeTest() : fSpace(retainSnapshot(new Transform)) { fSpace->init(); }
    ~VolumeTest() override { releaseSnapshot(fSpace); }

    const Volume* make(unsigned short name, const ArgList& args = ArgList()) {
        fVolumes.emplace_back(static_cast<Volume*>(makeVolumeShader(name, args, fSpace)));
        return fVolumes.back().get();
    }
    // Passes the surface's colour through the volume at P, seen from the origin.
    Color shade(const Volume* volume, const Point& P) {
        PointToShade point;
        point.P = P;
        loadPoints(fContext, {point});
        fContext.points.Ci[0] = kSurfaceColor;
        fContext.points.Oi[0] = kSurfaceOpacity;
        fContext.volumeValues.bind(volume->parameters(), ArgList(), fContext.points);
        volume->shade(fContext);
        return fContext.points.Ci[0];
    }

    Transform* fSpace;
    std::vector<std::unique_ptr<Volume>> fVolumes;
    ShadingContext fContext;
};

TEST_F(VolumeTest, DepthCueDefaultsFadeToBlackOverUnitDepth) {
    const Volume* cue = make(kQuarkDepthCue);
    expectColor(shade(cue, Point(5, 5, 0.25f)), 0.6f, 0.3f, 0.75f); // 75 % kept
    expectColor(shade(cue, Point(0, 0, 2)), 0, 0, 0);
    expectColor(shade(cue, Point(0, 0, -1)), 0.8f, 0.4f, 1.0f); // before hither
}

TEST_F(VolumeTest, DepthCueBlendsTowardsItsBackground) {
    const Volume* cue =
        make(kQuarkDepthCue, argList({uniformArg(kQuarkHither, {1}), uniformArg(kQuarkYon, {3}),
                                      uniformArg(kQuarkColor, {0, 0, 0.2f})}));
    expectColor(shade(cue, Point(0, 0, 2)), 0.4f, 0.2f, 0.6f);
    expectColor(shade(cue, Point(0, 0, 4)), 0, 0, 0.2f);
}

TEST_F(VolumeTest, DepthCueWithHitherAtYonUsesUnitRange) {
    const Volume* cue =
        make(kQuarkDepthCue, argList({uniformArg(kQuarkHither, {3}), uniformArg(kQuarkYon, {3})}));
    expectColor(shade(cue, Point(0, 0, 3.5f)), 0.4f, 0.2f, 0.5f);
}

TEST_F(VolumeTest, FogKeepsEToTheMinusDistance) {
    const float kept = std::exp(-1.0f);
    const Volume* fog = make(kQuarkFog, argList({uniformArg(kQuarkColor, {1, 1, 1})}));
    // |I| = 1 at unit fog distance; the blend is towards white.
    expectColor(shade(fog, Point(0.6f, 0, 0.8f)), 0.8f * kept + (1 - kept),
                0.4f * kept + (1 - kept), 1);
    const Volume* thin = make(kQuarkFog, argList({uniformArg(kQuarkDistance, {2})}));
    expectColor(shade(thin, Point(0, 0, 2)), 0.8f * kept, 0.4f * kept, kept);
}

TEST_F(VolumeTest, FogAtTheEyeChangesNothing) {
    expectColor(shade(make(kQuarkFog), Point(0, 0, 0)), 0.8f, 0.4f, 1.0f);
}

TEST_F(VolumeTest, FogWithZeroDistanceUsesUnitDistance) {
    const Volume* fog = make(kQuarkFog, argList({uniformArg(kQuarkDistance, {0})}));
    const float kept = std::exp(-2.0f);
    expectColor(shade(fog, Point(0, 0, 2)), 0.8f * kept, 0.4f * kept, kept);
}

TEST_F(VolumeTest, NeitherVolumeChangesTheOpacity) {
    const Volume* cue = make(kQuarkDepthCue, argList({uniformArg(kQuarkColor, {1, 1, 1})}));
    shade(cue, Point(0, 0, 0.5f));
    expectColor(fContext.points.Oi[0], 0.5f, 0.25f, 1.0f);
    const Volume* fog = make(kQuarkFog, argList({uniformArg(kQuarkColor, {1, 1, 1})}));
    shade(fog, Point(0, 0, 3));
    expectColor(fContext.points.Oi[0], 0.5f, 0.25f, 1.0f);
}

TEST_F(VolumeTest, FactoryMakesEachVolumeByName) {
    EXPECT_NE(dynamic_cast<const DepthCueVolume*>(make(kQuarkDepthCue)), nullptr);
    EXPECT_NE(dynamic_cast<const FogVolume*>(make(kQuarkFog)), nullptr);
    EXPECT_EQ(makeVolumeShader(kQuarkPlastic, ArgList(), fSpace), nullptr);
    EXPECT_EQ(makeVolumeShader(0, ArgList(), fSpace), nullptr);
}

} // namespace
