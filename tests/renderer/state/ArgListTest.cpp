#include "StateFixture.h"

#include "common/Matrix.h"
#include "common/Quark.h"
#include "renderer/state/ArgList.h"
#include "renderer/state/ParmList.h"

#include <limits>

using namespace quelmark;

namespace {

const ParameterCounts kCounts{1, 4, 4};

using ArgListTest = StateFixture;
using ParmListTest = StateFixture;

TEST_F(ArgListTest, VertexPointsAreCopiedOnePerVertex) {
    float points[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0};
    unsigned short tokens[1] = {kQuarkPoint};
    void* values[1] = {points};
    ArgList args(1, tokens, values, kCounts);
    points[4] = 99;
    ASSERT_EQ(args.count(), 1);
    const ArgAssoc& entry = args[0];
    EXPECT_EQ(entry.parameterClass, 0xD03);
    EXPECT_EQ(entry.parameterType, 0xE05);
    EXPECT_EQ(entry.items, 4);
    ASSERT_EQ(entry.floats.size(), 12u);
    EXPECT_EQ(entry.item(1)[1], 0.0f); // the copy did not follow the caller
    EXPECT_EQ(entry.item(3)[0], 1.0f);
    EXPECT_EQ(entry.item(3)[1], 1.0f);
}

TEST_F(ArgListTest, EntriesThatDoNotFitTheirQuarkAreLeftOut) {
    float ka = 0.5f;
    unsigned short tokens[4] = {0, kQuarkKa, kQuarkPlastic, kQuarkKd};
    void* values[4] = {&ka, &ka, &ka, nullptr};
    request("qelSurface");
    ArgList args(4, tokens, values, kCounts);
    EXPECT_EQ(reports(),
              (Lines{"error: Declare type syntax error. qelSurface: unknown parameter token 0",
                     "error: Declare type syntax error. qelSurface: parameter \"plastic\" takes no "
                     "value",
                     "error: Required parameters not provided. qelSurface: parameter \"kd\" has no "
                     "values"}));
    ASSERT_EQ(args.count(), 1);
    EXPECT_EQ(args[0].quark, kQuarkKa);
    EXPECT_EQ(args.find(kQuarkKa)->floats[0], 0.5f);
    EXPECT_EQ(args.find(kQuarkKd), nullptr);
}

TEST_F(ArgListTest, RequireWantsExactlyOneOfTheQuarks) {
    float p[12] = {}, pw[16] = {};
    unsigned short tokens[3] = {kQuarkPoint, kQuarkPoint, kQuarkPointw};
    void* values[3] = {p, p, pw};
    request("qelPolygon");
    EXPECT_TRUE(ArgList(1, tokens, values, kCounts).require({kQuarkPoint, kQuarkPointw}));
    EXPECT_FALSE(ArgList().require({kQuarkPoint, kQuarkPointw}));
    EXPECT_FALSE(ArgList(2, tokens, values, kCounts).require({kQuarkPoint}));
    EXPECT_FALSE(ArgList(2, tokens + 1, values + 1, kCounts).require({kQuarkPoint, kQuarkPointw}));
    const std::string twice =
        "error: Parameters inconsistent. qelPolygon: required argument specified 2 times";
    EXPECT_EQ(reports(), (Lines{"error: Required parameters not provided. qelPolygon: required "
                                "argument missing",
                                twice, twice}));
}

TEST_F(ArgListTest, VaryIntegersCannotBeInterpolated) {
    unsigned short myint = testQuarks().varyInteger;
    long corners[4] = {1, 2, 3, 4};
    void* values[1] = {corners};
    request("qelPatch");
    ArgList args(1, &myint, values, kCounts);
    EXPECT_EQ(
        reports(),
        Lines{"error: Parameters inconsistent. qelPatch: cannot interpolate integers nor strings"});
    EXPECT_TRUE(args.empty());
}

TEST_F(ArgListTest, ConstIntegersAndStringsAreCopied) {
    unsigned short count = testQuarks().constInteger;
    unsigned short label = testQuarks().constString;
    long seven = 7;
    char text[] = "granite";
    const char* strings[1] = {text};
    unsigned short tokens[2] = {count, label};
    void* values[2] = {&seven, strings};
    ArgList args(2, tokens, values, kCounts);
    text[0] = 'G';
    ASSERT_EQ(args.count(), 2);
    EXPECT_EQ(args[0].integers, std::vector<long>{7});
    EXPECT_FALSE(args[0].isNumeric());
    EXPECT_STREQ(args[1].strings[0].c_str(), "granite");
}

TEST_F(ArgListTest, ColoursOfTwoSamplesBecomeRgb) {
    const float toRgb[6] = {1, 0, 0.5f, 0, 1, 0.5f};
    const float fromRgb[6] = {1, 0, 0, 1, 0, 0};
    gOption->colorSpace(2, toRgb, fromRgb);
    float corners[8] = {1, 0, 0, 1, 1, 1, 2, 3};
    unsigned short tokens[1] = {kQuarkColor};
    void* values[1] = {corners};
    ArgList args(1, tokens, values, kCounts);
    ASSERT_EQ(args.count(), 1);
    EXPECT_EQ(args[0].width, 3);
    const Color expected[4] = {{1, 0, 0.5f}, {0, 1, 0.5f}, {1, 1, 1}, {2, 3, 2.5f}};
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(near(Color(args[0].item(i)), expected[i])) << i;
}

TEST_F(ArgListTest, ProjectMovesPointsAndNormals) {
    float points[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0};
    float normals[12] = {1, 1, 0, 1, 1, 0, 1, 1, 0, 1, 1, 0};
    unsigned short tokens[2] = {kQuarkPoint, kQuarkNormal};
    void* values[2] = {points, normals};
    ArgList args(2, tokens, values, kCounts);
    Matrix m;
    m.translate(1, 2, 3);
    m.scale(2, 1, 1);
    args.project(m);
    EXPECT_TRUE(near(Point(args[0].item(3)), Point(3, 3, 3)));
    // Normals go by the inverse transpose: x halved, the translation ignored.
    EXPECT_TRUE(near(Point(args[1].item(0)), Point(0.5f, 1, 0)));
}

TEST_F(ArgListTest, BadCountsAndNanValues) {
    request("qelPolygonV");
    EXPECT_FALSE(validParameterList(-1, nullptr, nullptr));
    EXPECT_FALSE(validParameterList(2, nullptr, nullptr));
    EXPECT_TRUE(validParameterList(0, nullptr, nullptr));
    EXPECT_EQ(reports(),
              (Lines{"error: Parameter out of range. qelPolygonV: count -1 out of range",
                     "error: Required parameters not provided. qelPolygonV: parameter list must "
                     "not be null"}));
    EXPECT_TRUE(ArgList(-1, nullptr, nullptr, kCounts).empty());

    const float nan = std::numeric_limits<float>::quiet_NaN();
    float ka = nan;
    unsigned short tokens[1] = {kQuarkKa};
    void* values[1] = {&ka};
    ArgList args(1, tokens, values, kCounts);
    args.project(gIdentity);
    EXPECT_TRUE(std::isnan(args[0].floats[0]));
    EXPECT_TRUE(reports().empty());
}

TEST_F(ParmListTest, BilerpWeighsTheFourCorners) {
    unsigned short height = testQuarks().varyFloat;
    float corners[4] = {0, 8, 16, 24}; // (0,0), (1,0), (0,1), (1,1): 8u + 16v
    float colours[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 1, 1};
    float ka = 0.7f;
    unsigned short tokens[3] = {height, kQuarkColor, kQuarkKa};
    void* values[3] = {corners, colours, &ka};
    ArgList args(3, tokens, values, kCounts);

    float h = 0, boundKa = 0;
    Color c;
    ParmList parms;
    parms.bind(height, &h);
    parms.bind(kQuarkColor, &c);
    parms.bind(kQuarkKa, &boundKa);
    // Weights at (0.25, 0.5): 0.375, 0.125, 0.375, 0.125.
    parms.bilerp(0.25f, 0.5f, args);
    EXPECT_FLOAT_EQ(h, 10.0f);
    EXPECT_TRUE(near(c, Color(0.5f, 0.25f, 0.5f)));
    EXPECT_EQ(boundKa, 0.0f); // const values are not interpolated
    parms.override(args);
    EXPECT_EQ(h, 0.0f);
    EXPECT_EQ(boundKa, 0.7f);
}

} // namespace
