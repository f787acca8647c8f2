#include "renderer/geometry/Patch.h"

#include "../primitives/PrimitiveFixture.h"
#include "PatchArgs.h"
#include "renderer/state/Attrib.h"
#include "common/Basis.h"
#include "tests/renderer/primitives/SceneSink.h"

#include <cmath>

using namespace quelmark;

namespace {

using Square = double[4][4];

// Gauss-Jordan with partial pivoting.
void inverse(const float m[4][4], Square out) {
    double a[4][8];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 8; ++c) a[r][c] = c < 4 ? m[r][c] : (c - 4 == r ? 1 : 0);
    for (int c = 0; c < 4; ++c) {
        int pivot = c;
        for (int r = c + 1; r < 4; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
        std::swap(a[c], a[pivot]);
        for (int r = 0; r < 4; ++r) {
            if (r == c) continue;
            double f = a[r][c] / a[c][c];
            for (int k = 0; k < 8; ++k) a[r][k] -= f * a[c][k];
        }
    }
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out[r][c] = a[r][c + 4] / a[r][r];
}

// Control points in basis B giving the same patch as the Bezier points G:
// G' = N G N^T with N = B^-1 Bz, G indexed [along u][along v].
void convertFromBezier(const float basis[4][4], const Pointw G[16], Pointw out[16]) {
    Square inv, n;
    inverse(basis, inv);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            n[r][c] = 0;
            for (int k = 0; k < 4; ++k) n[r][c] += inv[r][k] * qelBezierBasis[k][c];
        }
    for (int b = 0; b < 4; ++b)
        for (int a = 0; a < 4; ++a) {
            double s[4] = {0, 0, 0, 0};
            for (int l = 0; l < 4; ++l)
                for (int k = 0; k < 4; ++k) {
                    double w = n[a][k] * n[b][l];
                    const Pointw& g = G[l * 4 + k];
                    s[0] += w * g.x, s[1] += w * g.y, s[2] += w * g.z, s[3] += w * g.w;
                }
            out[b * 4 + a] = Pointw(float(s[0]), float(s[1]), float(s[2]), float(s[3]));
        }
}

class BicubicPatchTest : public PrimitiveFixture {
protected:
    BicubicPatchTest() {
        for (int j = 0; j < 4; ++j)
            for (int i = 0; i < 4; ++i)
                fBezier[j * 4 + i] = Pointw(float(i), float(j), kHeights[j][i], 1);
    }

    std::unique_ptr<BicubicPatch> patchIn(const float basis[4][4], const Pointw control[16]) {
        Pointw net[4][4];
        BicubicPatch::toBezier(control, Matrix(basis), Matrix(basis), false, net);
        return std::make_unique<BicubicPatch>(net, false, ArgList());
    }

    static constexpr float kHeights[4][4] = {
        {0, 1, -1, 2}, {1, 3, 0, -2}, {0.5f, -1, 2, 1}, {2, 0, 1, 3}};
    Pointw fBezier[16];
};

void expectNear(const Pointw& a, const Pointw& b, float tolerance) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

// z = 1 + 2x - y over an irregular net.
TEST_F(BicubicPatchTest, PlanarBezierNetStaysOnItsPlane) {
    std::vector<float> values;
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) {
            float x = float(i * i) * 0.5f + float(j), y = float(j) - 0.3f * float(i);
            values.insert(values.end(), {x, y, 1 + 2 * x - y});
        }
    std::unique_ptr<Primitive> patch(
        BicubicPatch::make(positionArgs(kQuarkPoint, values, 16, {1, 4, 16})));
    ASSERT_TRUE(patch);
    EXPECT_EQ(patch->type(), 6);
    for (float u : {0.1f, 0.5f, 0.8f})
        for (float v : {0.2f, 0.7f}) {
            Pointw p = patch->evalP(u, v);
            EXPECT_NEAR(p.z, 1 + 2 * p.x - p.y, 1e-5f);
        }
    const int corners[4] = {0, 3, 12, 15};
    const float us[4] = {0, 1, 0, 1}, vs[4] = {0, 0, 1, 1};
    for (int k = 0; k < 4; ++k) {
        const float* c = &values[size_t(corners[k] * 3)];
        expectNear(patch->evalP(us[k], vs[k]), Pointw(c[0], c[1], c[2], 1), 1e-6f);
    }
}

TEST_F(BicubicPatchTest, EveryBasisGivesTheSameSurface) {
    auto reference = patchIn(qelBezierBasis, fBezier);
    const float(*bases[4])[4] = {qelBSplineBasis, qelCatmullRomBasis, qelHermiteBasis,
                                  qelPowerBasis};
    for (auto basis : bases) {
        Pointw control[16];
        convertFromBezier(basis, fBezier, control);
        for (Pointw& p : control) p.w = 1; // plain points, as a request gives them
        auto patch = patchIn(basis, control);
        for (float u : {0.0f, 0.3f, 0.65f, 1.0f})
            for (float v : {0.0f, 0.45f, 0.9f}) {
                expectNear(patch->evalP(u, v), reference->evalP(u, v), 1e-5f);
                EXPECT_FLOAT_EQ(patch->evalP(u, v).w, 1);
                expectNear(patch->evaldPdu(u, v), reference->evaldPdu(u, v), 1e-4f);
                expectNear(patch->evaldPdv(u, v), reference->evaldPdv(u, v), 1e-4f);
            }
    }
}

// Along v = 0 the Bezier curve of heights 0, 1, -1, 2: z'(0) = 3 (1 - 0).
TEST_F(BicubicPatchTest, DerivativesAtTheEdgeFollowTheNet) {
    auto patch = patchIn(qelBezierBasis, fBezier);
    expectNear(patch->evaldPdu(0, 0), Pointw(3, 0, 3, 1), 1e-6f);
    expectNear(patch->evaldPdv(1, 1), Pointw(0, 3, 3 * (3 - 1), 1), 1e-6f);
    expectNear(patch->evalP(0.5f, 0), Pointw(1.5f, 0, (0 + 3 * 1 + 3 * -1 + 2) / 8.0f, 1), 1e-6f);
}

// Constant heights in the B-spline basis: z stays 2, x and y follow u, v.
TEST_F(BicubicPatchTest, HeightPatchSpansTheUnitSquareInAnyBasis) {
    gAttrib->uBasis = Matrix(qelBSplineBasis);
    gAttrib->vBasis = Matrix(qelBSplineBasis);
    std::vector<float> heights(16, 2.0f);
    std::unique_ptr<Primitive> patch(
        BicubicPatch::make(positionArgs(kQuarkHeight, heights, 16, {1, 4, 16})));
    ASSERT_TRUE(patch);
    expectNear(patch->evalP(0.3f, 0.6f), Pointw(0.3f, 0.6f, 2, 1), 1e-6f);
}

TEST_F(BicubicPatchTest, DeCasteljauQuartersMatchTheParentAndJoin) {
    auto parent = patchIn(qelBezierBasis, fBezier);
    splitIntoScene(*parent);
    auto q = takeChildren();
    ASSERT_EQ(q.size(), 4u);
    const float u0[4] = {0, 0.5f, 0, 0.5f}, v0[4] = {0, 0, 0.5f, 0.5f};
    for (int k = 0; k < 4; ++k)
        for (float t : {0.0f, 0.4f, 1.0f}) {
            Pointw expected = parent->evalP(u0[k] + 0.5f * t, v0[k] + 0.5f * (1 - t));
            expectNear(q[k]->evalP(t, 1 - t), expected, 1e-5f);
        }
    for (float t : {0.0f, 0.25f, 0.8f}) {
        expectNear(q[0]->evalP(1, t), q[1]->evalP(0, t), 1e-6f);
        expectNear(q[0]->evalP(t, 1), q[2]->evalP(t, 0), 1e-6f);
        // Tangent continuity: the halves' derivatives are half the parent's.
        Pointw d = parent->evaldPdu(0.5f, 0.5f * t);
        expectNear(q[0]->evaldPdu(1, t), d * 0.5f, 1e-5f);
        expectNear(q[1]->evaldPdu(0, t), d * 0.5f, 1e-5f);
    }
    EXPECT_EQ(q[3]->sequence(), parent->sequence());
}

TEST_F(BicubicPatchTest, BoundHoldsTheSurface) {
    auto patch = patchIn(qelBezierBasis, fBezier);
    Boundw b = patch->bound();
    for (float u = 0; u <= 1; u += 0.125f)
        for (float v = 0; v <= 1; v += 0.125f) {
            Pointw p = patch->evalP(u, v);
            EXPECT_TRUE(p.z >= b.zmin && p.z <= b.zmax && p.x >= b.xmin && p.x <= b.xmax);
        }
    EXPECT_EQ(b.zmin, -2);
    EXPECT_EQ(b.zmax, 3);
}

} // namespace
