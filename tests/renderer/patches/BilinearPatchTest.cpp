#include "renderer/geometry/Patch.h"

#include "../primitives/PrimitiveFixture.h"
#include "PatchArgs.h"
#include "tests/renderer/primitives/SceneSink.h"

using namespace quelmark;

namespace {

class BilinearPatchTest : public PrimitiveFixture {
protected:
    std::unique_ptr<Primitive> make(unsigned short quark, std::vector<float> values) {
        return std::unique_ptr<Primitive>(
            BilinearPatch::make(positionArgs(quark, values, 4, {1, 4, 4})));
    }
};

void expectPoint(const Pointw& p, float x, float y, float z) {
    EXPECT_NEAR(p.x, x, 1e-6f);
    EXPECT_NEAR(p.y, y, 1e-6f);
    EXPECT_NEAR(p.z, z, 1e-6f);
}

TEST_F(BilinearPatchTest, UnitSquareIsTheIdentityMapOfTheParameters) {
    auto patch = make(kQuarkPoint, {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0});
    ASSERT_TRUE(patch);
    EXPECT_EQ(patch->type(), 5);
    expectPoint(patch->evalP(0.25f, 0.75f), 0.25f, 0.75f, 0);
    expectPoint(patch->evaldPdu(0.3f, 0.9f), 1, 0, 0);
    expectPoint(patch->evaldPdv(0.3f, 0.9f), 0, 1, 0);
    EXPECT_EQ(patch->rational(), 0);
    Boundw b = patch->bound();
    EXPECT_EQ(b.xmin, 0);
    EXPECT_EQ(b.xmax, 1);
    EXPECT_EQ(b.ymax, 1);
    EXPECT_EQ(b.zmin, 0);
    EXPECT_EQ(b.zmax, 0);
}

// Heights 0, 1, 2, 3 at the corners: z = u + 2v.
TEST_F(BilinearPatchTest, HeightsSpanTheUnitSquare) {
    auto patch = make(kQuarkHeight, {0, 1, 2, 3});
    ASSERT_TRUE(patch);
    expectPoint(patch->evalP(0.5f, 0.25f), 0.5f, 0.25f, 1.0f);
    expectPoint(patch->evaldPdv(0.1f, 0.1f), 0, 1, 2);
}

// w = 2 everywhere: the projected points are half the homogeneous ones.
TEST_F(BilinearPatchTest, PointwIsRational) {
    auto patch = make(kQuarkPointw, {0, 0, 0, 2, 2, 0, 0, 2, 0, 2, 0, 2, 2, 2, 0, 2});
    ASSERT_TRUE(patch);
    EXPECT_EQ(patch->rational(), 1);
    Pointw p = patch->evalP(0.5f, 0.5f);
    EXPECT_FLOAT_EQ(p.w, 2);
    expectPoint(Pointw(Point(p), 1), 0.5f, 0.5f, 0);
}

TEST_F(BilinearPatchTest, QuartersCoverTheirPartOfTheSquare) {
    auto patch = make(kQuarkPoint, {0, 0, 0, 4, 0, 0, 0, 2, 0, 4, 2, 8});
    splitIntoScene(*patch);
    auto children = takeChildren();
    ASSERT_EQ(children.size(), 4u);
    // z = 8uv on the parent; the last quarter starts at (0.5, 0.5).
    expectPoint(children[3]->evalP(0, 0), 2, 1, 2);
    expectPoint(children[3]->evalP(1, 1), 4, 2, 8);
    expectPoint(children[1]->evalP(0.5f, 0.5f), 3, 0.5f, 1.5f);
    EXPECT_EQ(children[2]->sequence(), patch->sequence());
}

TEST_F(BilinearPatchTest, NoPositionMakesNoPatch) {
    ArgList empty;
    EXPECT_EQ(BilinearPatch::make(empty), nullptr);
}

} // namespace
