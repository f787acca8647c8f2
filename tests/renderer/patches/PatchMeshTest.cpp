#include "renderer/geometry/Patch.h"

#include "../geometry/ErrorCapture.h"
#include "../primitives/PrimitiveFixture.h"
#include "PatchArgs.h"
#include "api/qel.h"
#include "renderer/state/Attrib.h"
#include "common/Basis.h"
#include "tests/renderer/primitives/SceneSink.h"

using namespace quelmark;

namespace {

class PatchMeshTest : public PrimitiveFixture {
protected:
    PatchMeshTest() { initQuark(); }

    // Position plus "Kd" (const, one per patch) and "opacity" (vary).
    std::unique_ptr<Primitive> mesh(short type, long nu, short uwrap, long nv, short vwrap,
                                    ParameterCounts counts) {
        fPoints = gridPoints(int(nu), int(nv), [](float x, float y) { return x * y; });
        fKd.resize(size_t(counts.uniform));
        for (size_t k = 0; k < fKd.size(); ++k)
            fKd[k] = float(k) + 10;
        fOpacity.resize(size_t(counts.varying * 3));
        for (size_t k = 0; k < fOpacity.size(); ++k)
            fOpacity[k] = float(k / 3);
        counts.vertex = nu * nv;
        unsigned short tokens[3] = {kQuarkPoint, kQuarkKd, kQuarkOpacity};
        void* values[3] = {fPoints.data(), fKd.data(), fOpacity.data()};
        ArgList args(3, tokens, values, counts);
        return std::unique_ptr<Primitive>(PatchMesh::make(type, nu, uwrap, nv, vwrap, args));
    }

    static float valueOf(const Primitive& p, unsigned short quark, int item) {
        const ArgAssoc* entry = p.args().find(quark);
        return entry ? entry->item(item)[0] : -1;
    }

    std::vector<float> fPoints, fKd, fOpacity;
};

// (7 - 4) / 3 + 1 = 2 patches in u, one in v; z = xy on the control grid.
TEST_F(PatchMeshTest, BezierMeshOfSevenByFourHasTwoPatches) {
    auto m = mesh(QEL_PATCH_BICUBIC, 7, QEL_NOWRAP, 4, QEL_NOWRAP, {2, 6, 28});
    ASSERT_TRUE(m);
    auto* patches = static_cast<PatchMesh*>(m.get());
    EXPECT_EQ(patches->uPatches(), 2);
    EXPECT_EQ(patches->vPatches(), 1);
    EXPECT_FALSE(m->diceable(currentFrame(), -1));
    Boundw b = m->bound();
    EXPECT_EQ(b.xmax, 6);
    EXPECT_EQ(b.zmax, 18);
    splitIntoScene(*m);
    auto children = takeChildren();
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(children[0]->type(), 6);
    Pointw corner = children[1]->evalP(1, 1);
    EXPECT_FLOAT_EQ(corner.x, 6);
    EXPECT_FLOAT_EQ(corner.y, 3);
    EXPECT_FLOAT_EQ(corner.z, 18);
    for (float v : {0.0f, 0.5f, 1.0f}) {
        Pointw left = children[0]->evalP(1, v), right = children[1]->evalP(0, v);
        EXPECT_FLOAT_EQ(left.x, 3);
        EXPECT_FLOAT_EQ(left.z, right.z);
    }
    EXPECT_EQ(valueOf(*children[1], kQuarkKd, 0), 11);
    // Varying grid 3 by 2: the second patch has corners 1, 2, 4, 5.
    EXPECT_EQ(valueOf(*children[1], kQuarkOpacity, 0), 1);
    EXPECT_EQ(valueOf(*children[1], kQuarkOpacity, 3), 5);
    EXPECT_EQ(children[1]->sequence(), m->sequence());
    // The mesh's u runs over both patches; splitting a patch halves its part.
    ParameterRange second = children[1]->parameterRange();
    EXPECT_FLOAT_EQ(second.u0, 0.5f);
    EXPECT_FLOAT_EQ(second.u1, 1.0f);
    EXPECT_FLOAT_EQ(second.v0, 0.0f);
    EXPECT_FLOAT_EQ(second.v1, 1.0f);
    splitIntoScene(*children[1]);
    auto quarters = takeChildren();
    ASSERT_EQ(quarters.size(), 4u);
    ParameterRange last = quarters[3]->parameterRange();
    EXPECT_FLOAT_EQ(last.u0, 0.75f);
    EXPECT_FLOAT_EQ(last.u1, 1.0f);
    EXPECT_FLOAT_EQ(last.v0, 0.5f);
    EXPECT_FLOAT_EQ(last.v1, 1.0f);
}

TEST_F(PatchMeshTest, LeftOverControlPointsAreReported) {
    ErrorCapture errors;
    auto m = mesh(QEL_PATCH_BICUBIC, 8, QEL_NOWRAP, 4, QEL_NOWRAP, {2, 6, 32});
    ASSERT_TRUE(m);
    EXPECT_EQ(static_cast<PatchMesh*>(m.get())->uPatches(), 2);
    ASSERT_EQ(errors.lines().size(), 1u);
    EXPECT_NE(errors.lines()[0].find("extra control points in u will be ignored"),
              std::string::npos);
}

// Periodic in v with step 3 over 4 points leaves one over.
TEST_F(PatchMeshTest, LeftOverPeriodicControlPointsAreReported) {
    ErrorCapture errors;
    auto m = mesh(QEL_PATCH_BICUBIC, 4, QEL_NOWRAP, 4, QEL_WRAP, {1, 2, 16});
    ASSERT_TRUE(m);
    ASSERT_EQ(errors.lines().size(), 1u);
    EXPECT_NE(errors.lines()[0].find("extra control points in v will be ignored"),
              std::string::npos);
}

TEST_F(PatchMeshTest, CatmullRomNeedsFourControlPoints) {
    ErrorCapture errors;
    gAttrib->uBasis = Matrix(qelCatmullRomBasis);
    gAttrib->uStep = 1;
    auto m = mesh(QEL_PATCH_BICUBIC, 3, QEL_NOWRAP, 4, QEL_NOWRAP, {1, 4, 12});
    EXPECT_FALSE(m);
    ASSERT_EQ(errors.lines().size(), 1u);
    EXPECT_NE(errors.lines()[0].find("Catmull-Rom splines require at least 4 control points"),
              std::string::npos);
}

// Three columns wrapping in u give three patches; the last closes on column 0.
TEST_F(PatchMeshTest, PeriodicBilinearMeshWraps) {
    auto m = mesh(QEL_PATCH_BILINEAR, 3, QEL_WRAP, 2, QEL_NOWRAP, {3, 6, 6});
    ASSERT_TRUE(m);
    splitIntoScene(*m);
    auto children = takeChildren();
    ASSERT_EQ(children.size(), 3u);
    EXPECT_EQ(children[2]->type(), 5);
    Pointw start = children[2]->evalP(0, 1), end = children[2]->evalP(1, 1);
    EXPECT_FLOAT_EQ(start.x, 2);
    EXPECT_FLOAT_EQ(end.x, 0);
    EXPECT_FLOAT_EQ(end.y, 1);
    EXPECT_EQ(valueOf(*children[2], kQuarkKd, 0), 12);
    // Varying grid 3 by 2, wrapping in u: corners 2, 0, 5, 3.
    EXPECT_EQ(valueOf(*children[2], kQuarkOpacity, 1), 0);
    EXPECT_EQ(valueOf(*children[2], kQuarkOpacity, 2), 5);
}

// B-spline steps of 1: 5 - 4 + 1 = 2 patches in u, meeting where they join.
TEST_F(PatchMeshTest, BSplineMeshPatchesJoin) {
    gAttrib->uBasis = gAttrib->vBasis = Matrix(qelBSplineBasis);
    gAttrib->uStep = gAttrib->vStep = 1;
    auto m = mesh(QEL_PATCH_BICUBIC, 5, QEL_NOWRAP, 4, QEL_NOWRAP, {2, 6, 20});
    ASSERT_TRUE(m);
    splitIntoScene(*m);
    auto children = takeChildren();
    ASSERT_EQ(children.size(), 2u);
    Pointw left = children[0]->evalP(1, 0.5f), right = children[1]->evalP(0, 0.5f);
    // The uniform cubic B-spline of x = 0..4 is x = 1 + u per patch.
    EXPECT_NEAR(left.x, 2, 1e-6f);
    EXPECT_NEAR(left.z, right.z, 1e-5f);
    EXPECT_NEAR(left.y, 1.5f, 1e-6f);
}

} // namespace
