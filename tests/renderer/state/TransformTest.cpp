#include "StateFixture.h"

#include "common/Quark.h"
#include "renderer/state/NamedSpaces.h"

#include <limits>

using namespace quelmark;

namespace {

const std::string kRange = "error: Parameter out of range. ";
const float kNan = std::numeric_limits<float>::quiet_NaN();

using TransformTest = StateFixture;
using NamedSpacesTest = StateFixture;

Point moved(const Point& p) {
    return p * gTransform->matrix();
}

TEST_F(TransformTest, LaterOperationsApplyFirst) {
    gTransform->translate(1, 2, 3);
    gTransform->scale(2, 2, 2);
    EXPECT_TRUE(near(moved(Point(1, 1, 1)), Point(3, 4, 5))); // scaled, then moved

    const float doubleX[4][4] = {{2, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    gTransform->loadIdentity();
    gTransform->translate(1, 0, 0);
    gTransform->multMatrix(doubleX);
    EXPECT_TRUE(near(moved(Point(1, 1, 1)), Point(3, 1, 1)));
    gTransform->loadMatrix(doubleX);
    EXPECT_TRUE(near(moved(Point(1, 1, 1)), Point(2, 1, 1)));
}

TEST_F(TransformTest, MirroringMakesTheSpaceRightHanded) {
    EXPECT_EQ(gTransform->handedness(), 0x600);
    gTransform->scale(-1, 1, 1);
    EXPECT_EQ(gTransform->handedness(), 0x601);
    gTransform->scale(1, -1, 1);
    EXPECT_EQ(gTransform->handedness(), 0x600);
}

TEST_F(TransformTest, NanArgumentsDoNotCrash) {
    gTransform->translate(kNan, 0, 0);
    gTransform->rotate(kNan, 0, 0, 1);
    gTransform->scale(kNan, 1, 1);
    EXPECT_EQ(gTransform->handedness(), 0x600); // a NaN determinant is not below 0
    EXPECT_TRUE(std::isnan(moved(Point(1, 0, 0)).x));
    gTransform->rotate(90, 0, 0, 0);
    EXPECT_EQ(reports().size(), 1u);
}

TEST_F(NamedSpacesTest, StandardSpacesCannotBeRedefined) {
    request("qelMarkSpace");
    markSpace(kQuarkWorld);
    markSpace(kQuarkRaster);
    EXPECT_EQ(reports(),
              (Lines{kRange + "qelMarkSpace: cannot redefine standard coordinate system 35",
                     kRange + "qelMarkSpace: cannot redefine standard coordinate system 32"}));
}

TEST_F(NamedSpacesTest, ModelToWorldInsideAScene) {
    gTransform->translate(0, 0, 5); // world to camera
    fState->sceneBegin();
    gTransform->translate(1, 2, 3);
    float points[2][3] = {{0, 0, 0}, {1, 1, 1}};
    EXPECT_EQ(projectPoints(kQuarkModel, kQuarkWorld, 2, points), points);
    EXPECT_TRUE(near(Point(points[0]), Point(1, 2, 3)));
    EXPECT_TRUE(near(Point(points[1]), Point(2, 3, 4)));
    projectPoints(kQuarkWorld, kQuarkEye, 1, points);
    EXPECT_TRUE(near(Point(points[0]), Point(1, 2, 8)));
    projectPoints(kQuarkEye, kQuarkModel, 1, points);
    EXPECT_TRUE(near(Point(points[0]), Point(0, 0, 0)));
    EXPECT_TRUE(reports().empty());
}

TEST_F(NamedSpacesTest, MarkedSpaceKeepsTheTransformOfItsMarking) {
    unsigned short mine = testQuarks().space;
    gTransform->translate(1, 0, 0);
    markSpace(mine);
    gTransform->translate(0, 1, 0);
    float points[1][3] = {{0, 0, 0}};
    projectPoints(mine, kQuarkModel, 1, points);
    EXPECT_TRUE(near(Point(points[0]), Point(0, -1, 0)));
}

TEST_F(NamedSpacesTest, EyeToRasterWithTheDefaultCamera) {
    float points[1][3] = {{0, 0, 1}};
    projectPoints(kQuarkEye, kQuarkRaster, 1, points);
    EXPECT_TRUE(near(Point(points[0]), Point(320, 240, 1)));
}

TEST_F(NamedSpacesTest, UnknownSpacesAndMissingPointsAreRefused) {
    float points[1][3] = {{1, 2, 3}};
    request("qelProjectPoints");
    EXPECT_EQ(projectPoints(0, kQuarkWorld, 1, points), nullptr);
    EXPECT_EQ(projectPoints(kQuarkWorld, 0, 1, points), nullptr);
    EXPECT_EQ(projectPoints(kQuarkModel, kQuarkWorld, 2, nullptr), nullptr);
    EXPECT_EQ(reports(),
              (Lines{kRange + "qelProjectPoints: unknown coordinate space 0",
                     kRange + "qelProjectPoints: unknown coordinate space 0",
                     "error: Required parameters not provided. qelProjectPoints: points must not "
                     "be null"}));
    EXPECT_TRUE(near(Point(points[0]), Point(1, 2, 3)));
    request("qelMarkSpace");
    markSpace(0);
    EXPECT_EQ(reports(), Lines{kRange + "qelMarkSpace: unknown coordinate space 0"});
}

TEST_F(NamedSpacesTest, NanPointsPassThrough) {
    float points[1][3] = {{kNan, 0, 0}};
    gTransform->translate(1, 1, 1);
    EXPECT_EQ(projectPoints(kQuarkModel, kQuarkEye, 1, points), points);
    EXPECT_TRUE(std::isnan(points[0][0]));
}

} // namespace
