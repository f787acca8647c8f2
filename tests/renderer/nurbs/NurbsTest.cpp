#include "../geometry/ErrorCapture.h"
#include "../primitives/PrimitiveFixture.h"

#include "api/qel.h"
#include "common/Quark.h"
#include "renderer/geometry/Nurbs.h"
#include "renderer/scene/Scene.h"
#include "renderer/state/State.h"
#include "tests/renderer/primitives/SceneSink.h"

#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

using namespace quelmark;

namespace {

const float kHalfRoot2 = float(std::numbers::sqrt2 / 2);

ArgAssoc vertexEntry(unsigned short quark, short type, int width, std::vector<float> values) {
    ArgAssoc entry;
    entry.quark = quark;
    entry.parameterClass = QEL_CLASS_VERTEX;
    entry.parameterType = type;
    entry.width = width;
    entry.items = long(values.size()) / width;
    entry.floats = std::move(values);
    return entry;
}

ArgList listOf(ArgAssoc entry) {
    ArgList args;
    args.add(std::move(entry));
    return args;
}

ArgList points(std::vector<float> xyz) {
    return listOf(vertexEntry(kQuarkPoint, QEL_TYPE_POINT, 3, std::move(xyz)));
}

ArgList homogeneousPoints(std::vector<float> xyzw) {
    return listOf(vertexEntry(kQuarkPointw, QEL_TYPE_POINTW, 4, std::move(xyzw)));
}

Point projected(const Pointw& p) {
    return Point(p.x / p.w, p.y / p.w, p.z / p.w);
}

// The unit sphere: the circle of nine points in x, y swept along the
// half circle of five points from the south pole to the north pole.
ArgList unitSphereNet() {
    const float cx[9] = {1, 1, 0, -1, -1, -1, 0, 1, 1};
    const float cy[9] = {0, 1, 1, 1, 0, -1, -1, -1, 0};
    const float r[5] = {0, 1, 1, 1, 0}, z[5] = {-1, -1, 0, 1, 1};
    std::vector<float> values;
    for (int j = 0; j < 5; ++j)
        for (int i = 0; i < 9; ++i) {
            float w = (i % 2 ? kHalfRoot2 : 1) * (j % 2 ? kHalfRoot2 : 1);
            values.insert(values.end(), {cx[i] * r[j] * w, cy[i] * r[j] * w, z[j] * w, w});
        }
    return homogeneousPoints(values);
}

const float kSphereU[12] = {0, 0, 0, .25f, .25f, .5f, .5f, .75f, .75f, 1, 1, 1};
const float kSphereV[8] = {0, 0, 0, .5f, .5f, 1, 1, 1};
const float kLinear[4] = {0, 0, 1, 1};

class NurbsTest : public PrimitiveFixture {
protected:
    std::vector<std::unique_ptr<Primitive>> splitOf(Primitive* primitive) {
        std::unique_ptr<Primitive> owner(primitive);
        splitIntoScene(*primitive);
        return takeChildren();
    }

    std::vector<std::unique_ptr<Primitive>> spherePieces() {
        return splitOf(
            NuPatchMesh::make(9, 3, kSphereU, 0, 1, 5, 3, kSphereV, 0, 1, unitSphereNet()));
    }
};

TEST_F(NurbsTest, DegreeOneSquareIsBilinear) {
    auto pieces = splitOf(NuPatchMesh::make(2, 2, kLinear, 0, 1, 2, 2, kLinear, 0, 1,
                                            points({0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0})));
    ASSERT_EQ(pieces.size(), 1u);
    const Primitive& square = *pieces[0];
    EXPECT_EQ(square.type(), 5);
    for (float u : {0.0f, 0.3f, 1.0f})
        for (float v : {0.0f, 0.6f, 1.0f}) {
            Point p = projected(square.evalP(u, v));
            EXPECT_NEAR(p.x, u, 1e-6f);
            EXPECT_NEAR(p.y, v, 1e-6f);
            EXPECT_NEAR(p.z, 0, 1e-6f);
        }
}

TEST_F(NurbsTest, LimitsNarrowThePieceAndScaleItsDerivatives) {
    auto pieces = splitOf(NuPatchMesh::make(2, 2, kLinear, 0.25f, 0.75f, 2, 2, kLinear, 0, 0.5f,
                                            points({0, 0, 0, 4, 0, 0, 0, 2, 0, 4, 2, 0})));
    ASSERT_EQ(pieces.size(), 1u);
    Point corner = projected(pieces[0]->evalP(1, 1));
    EXPECT_NEAR(corner.x, 3, 1e-5f);
    EXPECT_NEAR(corner.y, 1, 1e-5f);
    Pointw du = pieces[0]->evaldPdu(0.5f, 0.5f), dv = pieces[0]->evaldPdv(0.5f, 0.5f);
    EXPECT_NEAR(du.x, 2, 1e-5f); // 4 units per knot unit over half of it
    EXPECT_NEAR(du.w, 0, 1e-6f);
    EXPECT_NEAR(dv.y, 1, 1e-5f);
}

TEST_F(NurbsTest, HeightsStandOverTheParameters) {
    const float quadratic[6] = {0, 0, 0, 1, 1, 1};
    auto pieces = splitOf(NuPatchMesh::make(
        3, 3, quadratic, 0, 1, 2, 2, kLinear, 0, 1,
        listOf(vertexEntry(kQuarkHeight, QEL_TYPE_FLOAT, 1, {2, 2, 2, 5, 5, 5}))));
    ASSERT_EQ(pieces.size(), 1u);
    Point p = projected(pieces[0]->evalP(0.3f, 0.5f));
    EXPECT_NEAR(p.x, 0.3f, 1e-6f);
    EXPECT_NEAR(p.y, 0.5f, 1e-6f);
    EXPECT_NEAR(p.z, 3.5f, 1e-6f);
}

TEST_F(NurbsTest, RationalQuadraticIsAQuarterCircle) {
    const float arc[6] = {0, 0, 0, 1, 1, 1};
    float s = kHalfRoot2;
    std::unique_ptr<Primitive> nurb(
        NURB::make(3, arc, 0, 1, 2, kLinear, 0, 1,
                   homogeneousPoints({1, 0, 0, 1, s, s, 0, s, 0, 1, 0, 1,     // z = 0
                                      1, 0, 1, 1, s, s, s, s, 0, 1, 1, 1}))); // z = 1
    ASSERT_TRUE(nurb);
    EXPECT_EQ(nurb->type(), 5);
    EXPECT_TRUE(nurb->rational());
    for (float u = 0; u <= 1; u += 0.125f) {
        Point p = projected(nurb->evalP(u, 0.25f));
        EXPECT_NEAR(std::hypot(p.x, p.y), 1, 1e-6f) << "u " << u;
        EXPECT_NEAR(p.z, 0.25f, 1e-6f);
    }
    Point middle = projected(nurb->evalP(0.5f, 0));
    EXPECT_NEAR(middle.x, kHalfRoot2, 1e-6f); // the arc's symmetry puts u = 1/2 at 45 degrees
    EXPECT_NEAR(middle.y, kHalfRoot2, 1e-6f);
}

TEST_F(NurbsTest, SphereMeshSplitsIntoUnitSphereSpans) {
    auto pieces = spherePieces();
    ASSERT_EQ(pieces.size(), 8u); // four quarter turns by two half profiles
    for (const auto& piece : pieces)
        for (float u = 0; u <= 1; u += 0.125f)
            for (float v = 0; v <= 1; v += 0.125f)
                EXPECT_NEAR(length(projected(piece->evalP(u, v))), 1, 2e-6f);
    EXPECT_NEAR(projected(pieces[0]->evalP(0.5f, 0)).z, -1, 1e-6f);
    Point equator = projected(pieces[1]->evalP(0, 1)); // second quarter turn, at its start
    EXPECT_NEAR(equator.x, 0, 1e-6f);
    EXPECT_NEAR(equator.y, 1, 1e-6f);
    EXPECT_NEAR(equator.z, 0, 1e-6f);
}

// Bounds are of the homogeneous control points (x w, y w, z w, w).
TEST_F(NurbsTest, SpanBoundHoldsItsQuarterOfTheSphere) {
    auto pieces = spherePieces();
    Boundw b = pieces[4]->bound(); // first quarter turn, upper half
    EXPECT_NEAR(b.xmin, 0, 1e-6f);
    EXPECT_NEAR(b.xmax, 1, 1e-6f);
    EXPECT_NEAR(b.ymin, 0, 1e-6f);
    EXPECT_NEAR(b.ymax, 1, 1e-6f);
    EXPECT_NEAR(b.zmin, 0, 1e-6f);
    EXPECT_NEAR(b.zmax, 1, 1e-6f);
    EXPECT_NEAR(b.wmin, 0.5f, 1e-6f);
    EXPECT_NEAR(b.wmax, 1, 1e-6f);
}

TEST_F(NurbsTest, HalvesEvaluateTheSameSurface) {
    auto pieces = spherePieces();
    auto halves = splitOf(pieces[0].release());
    ASSERT_EQ(halves.size(), 2u);
    // The south quarter's net is longer along the profile than around.
    for (float t : {0.0f, 0.4f, 1.0f}) {
        Point end = projected(halves[0]->evalP(t, 1)), start = projected(halves[1]->evalP(t, 0));
        EXPECT_NEAR(distance(end, start), 0, 1e-6f);
        EXPECT_NEAR(length(projected(halves[1]->evalP(t, 0.7f))), 1, 2e-6f);
    }
    // The lower half's highest profile point is the arc's middle,
    // (P0 + 2 P1 + P2) / 4 with z w = -(1 + 2 s) / 4, times the weight s of
    // the turn's middle point.
    EXPECT_NEAR(halves[0]->bound().zmax, -(1 + 2 * kHalfRoot2) / 4 * kHalfRoot2, 1e-6f);
    EXPECT_NEAR(pieces[1]->bound().zmax, 0, 1e-6f);
}

TEST_F(NurbsTest, DerivativesMatchDifferences) {
    auto pieces = spherePieces();
    const float h = 1e-3f;
    for (const auto& piece : {pieces[2].get(), pieces[5].get()})
        for (float u : {0.2f, 0.7f})
            for (float v : {0.3f, 0.8f}) {
                Pointw du = piece->evaldPdu(u, v), dv = piece->evaldPdv(u, v);
                Pointw fu = (piece->evalP(u + h, v) - piece->evalP(u - h, v)) * (0.5f / h);
                Pointw fv = (piece->evalP(u, v + h) - piece->evalP(u, v - h)) * (0.5f / h);
                EXPECT_NEAR(du.x, fu.x, 2e-3f);
                EXPECT_NEAR(du.y, fu.y, 2e-3f);
                EXPECT_NEAR(du.z, fu.z, 2e-3f);
                EXPECT_NEAR(du.w, fu.w, 2e-3f);
                EXPECT_NEAR(dv.x, fv.x, 2e-3f);
                EXPECT_NEAR(dv.y, fv.y, 2e-3f);
                EXPECT_NEAR(dv.z, fv.z, 2e-3f);
                EXPECT_NEAR(dv.w, fv.w, 2e-3f);
            }
}

TEST_F(NurbsTest, VaryingValuesFollowTheSpanCorners) {
    const float twoSpans[5] = {0, 0, 0.5f, 1, 1};
    ArgList args = points({0, 0, 0, 1, 0, 0, 2, 0, 0, 0, 1, 0, 1, 1, 0, 2, 1, 0});
    ArgAssoc shade;
    shade.quark = 500;
    shade.parameterClass = QEL_CLASS_VARY;
    shade.parameterType = QEL_TYPE_FLOAT;
    shade.width = 1;
    shade.items = 6; // three span corners along u, two along v
    shade.floats = {0, 10, 20, 100, 110, 120};
    args.add(shade);
    auto pieces = splitOf(NuPatchMesh::make(3, 2, twoSpans, 0.25f, 1, 2, 2, kLinear, 0, 1, args));
    ASSERT_EQ(pieces.size(), 2u);
    const ArgList& first = pieces[0]->args();
    ASSERT_EQ(first.count(), 1); // the positions stay behind
    ASSERT_EQ(first[0].items, 4);
    EXPECT_NEAR(first[0].floats[0], 5, 1e-5f); // halfway into the first span
    EXPECT_NEAR(first[0].floats[1], 10, 1e-5f);
    EXPECT_NEAR(first[0].floats[2], 105, 1e-5f);
    EXPECT_NEAR(first[0].floats[3], 110, 1e-5f);
    EXPECT_NEAR(pieces[1]->args()[0].floats[3], 120, 1e-5f);
}

TEST_F(NurbsTest, MeshOnlySplits) {
    std::unique_ptr<Primitive> mesh(
        NuPatchMesh::make(9, 3, kSphereU, 0, 1, 5, 3, kSphereV, 0, 1, unitSphereNet()));
    EXPECT_EQ(mesh->type(), 7);
    EXPECT_TRUE(mesh->rational());
    EXPECT_FALSE(mesh->diceable(currentFrame(), 1e30f));
    Boundw b = mesh->bound();
    EXPECT_NEAR(b.xmin, -1, 1e-6f);
    EXPECT_NEAR(b.zmax, 1, 1e-6f);
    EXPECT_NEAR(b.wmin, 0.5f, 1e-6f);
}

std::string onlyReport(const ErrorCapture& capture) {
    if (capture.lines().size() == 1) return capture.lines()[0];
    return std::to_string(capture.lines().size()) + " reports";
}

TEST_F(NurbsTest, BadRequestsAreReportedAndDropped) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float decreasing[4] = {0, 1, 0.5f, 1}, withNaN[4] = {0, nan, 1, 1};
    ArgList square = points({0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0});
    auto mesh = [](long n, long order, const float* knot, float lo, float hi, const ArgList& a) {
        return NuPatchMesh::make(n, order, knot, lo, hi, 2, 2, kLinear, 0, 1, a);
    };
    const std::pair<std::function<Primitive*()>, const char*> cases[] = {
        {[&] { return mesh(1, 2, kLinear, 0, 1, square); },
         "number of control points may not be less than the order"},
        {[&] { return mesh(2, 2, decreasing, 0, 1, square); },
         "knot values must appear in non-decreasing order"},
        {[&] { return mesh(2, 2, withNaN, 0, 1, square); },
         "knot values must appear in non-decreasing order"},
        {[&] { return mesh(2, 2, kLinear, 0.5f, 0.5f, square); },
         "parametric limit min must be less than max"},
        {[&] { return mesh(2, 2, kLinear, -0.5f, 1, square); },
         "parametric limits must lie between knot[order-1] and knot[n]"},
        {[&] { return NURB::make(2, kLinear, 0, 1, 2, kLinear, 0, 1.5f, square); },
         "parametric limits must lie between knot[order-1] and knot[n]"},
        {[&] { return mesh(2, 0, kLinear, 0, 1, square); }, "order must be at least 1"},
    };
    for (const auto& [make, message] : cases) {
        ErrorCapture capture;
        std::unique_ptr<Primitive> made(make());
        EXPECT_FALSE(made) << message;
        std::string report = onlyReport(capture);
        EXPECT_NE(report.find(message), std::string::npos) << report;
    }
}

// A planar net of nu by nv points (10 i, j, 0), u fastest: wide along u, so
// that a span splits across u.
std::vector<float> wideNet(int nu, int nv) {
    std::vector<float> net;
    for (int j = 0; j < nv; ++j)
        for (int i = 0; i < nu; ++i)
            net.insert(net.end(), {10.0f * float(i), float(j), 0.0f});
    return net;
}

// Colour (i, j, 0) at control point (i, j), u fastest.
std::vector<float> indexColours(int nu, int nv) {
    std::vector<float> colours;
    for (int j = 0; j < nv; ++j)
        for (int i = 0; i < nu; ++i)
            colours.insert(colours.end(), {float(i), float(j), 0.0f});
    return colours;
}

struct RedGreen {
    float r, g;
};

// The piece's "color" corners, in the order (0, 0), (1, 0), (0, 1), (1, 1).
void expectCorners(const Primitive& piece, const std::array<RedGreen, 4>& expected) {
    const ArgAssoc* colour = piece.args().find(kQuarkColor);
    ASSERT_NE(colour, nullptr);
    ASSERT_EQ(colour->items, 4);
    for (int c = 0; c < 4; ++c) {
        EXPECT_NEAR(colour->item(c)[0], expected[size_t(c)].r, 1e-5f) << "corner " << c;
        EXPECT_NEAR(colour->item(c)[1], expected[size_t(c)].g, 1e-5f) << "corner " << c;
        EXPECT_NEAR(colour->item(c)[2], 0.0f, 1e-5f) << "corner " << c;
    }
}

// 4 by 4 points of order 3 by 4 make 2 by 1 spans, 3 by 2 corners. The
// request takes a colour per control point, (i, j, 0); the corners lie at
// control indices 0, 1.5 and 3 along u and 0 and 3 along v, so each span
// takes the colours there, and each half of a span the ones between.
TEST_F(NurbsTest, MeshValuesPerControlPointGiveEachSpanItsCorners) {
    gState->sceneBegin();
    const float uknots[7] = {0, 0, 0, 0.5f, 1, 1, 1};
    const float vknots[8] = {0, 0, 0, 0, 1, 1, 1, 1};
    std::vector<float> net = wideNet(4, 4);
    std::vector<float> colours = indexColours(4, 4);
    unsigned short tokens[2] = {kQuarkPoint, kQuarkColor};
    void* values[2] = {net.data(), colours.data()};
    gScene->nurbMesh(4, 3, uknots, 0, 1, 4, 4, vknots, 0, 1, 2, tokens, values);
    auto meshes = takeChildren();
    ASSERT_EQ(meshes.size(), 1u);
    auto spans = splitOf(meshes[0].release());
    ASSERT_EQ(spans.size(), 2u);
    expectCorners(*spans[0], {{{0, 0}, {1.5f, 0}, {0, 3}, {1.5f, 3}}});
    expectCorners(*spans[1], {{{1.5f, 0}, {3, 0}, {1.5f, 3}, {3, 3}}});
    auto halves = splitOf(spans[1].release());
    ASSERT_EQ(halves.size(), 2u);
    expectCorners(*halves[0], {{{1.5f, 0}, {2.25f, 0}, {1.5f, 3}, {2.25f, 3}}});
    expectCorners(*halves[1], {{{2.25f, 0}, {3, 0}, {2.25f, 3}, {3, 3}}});
    gState->sceneEnd();
}

// One span of order 4 by 3 takes a colour for each of its 12 control
// points, and its corners are the corner points'.
TEST_F(NurbsTest, SpanValuesPerControlPointGiveItsCorners) {
    gState->sceneBegin();
    const float uknots[8] = {0, 0, 0, 0, 1, 1, 1, 1};
    const float vknots[6] = {0, 0, 0, 1, 1, 1};
    std::vector<float> net = wideNet(4, 3);
    std::vector<float> colours = indexColours(4, 3);
    unsigned short tokens[2] = {kQuarkPoint, kQuarkColor};
    void* values[2] = {net.data(), colours.data()};
    gScene->nurb(4, uknots, 0, 1, 3, vknots, 0, 1, 2, tokens, values);
    auto spans = takeChildren();
    ASSERT_EQ(spans.size(), 1u);
    const ArgAssoc* colour = spans[0]->args().find(kQuarkColor);
    ASSERT_NE(colour, nullptr);
    ASSERT_EQ(colour->items, 4);
    const float expected[4][2] = {{0, 0}, {3, 0}, {0, 2}, {3, 2}};
    for (int c = 0; c < 4; ++c) {
        EXPECT_FLOAT_EQ(colour->item(c)[0], expected[c][0]) << c;
        EXPECT_FLOAT_EQ(colour->item(c)[1], expected[c][1]) << c;
    }
    gState->sceneEnd();
}

} // namespace
