// How many items each parameter has: the uniform, varying and vertex counts
// follow from each request's fixed arguments, and for patch meshes from the
// steps of the current bases.
#include "WriterFixture.h"

#include <sstream>

namespace {

class ParameterCountTest : public WriterFixture {
protected:
    ParameterCountTest()
        : fUniform(qelVariable("u1", QEL_CLASS_CONST, QEL_TYPE_FLOAT)),
          fVarying(qelVariable("v1", QEL_CLASS_VARY, QEL_TYPE_FLOAT)),
          fVertex(qelVariable("x1", QEL_CLASS_VERTEX, QEL_TYPE_FLOAT)) {
        for (int k = 0; k < int(sizeof fData / sizeof fData[0]); ++k) fData[k] = float(k);
    }

    // The numbers written for each parameter of the line, in order.
    static std::vector<int> itemCounts(const std::string& text) {
        std::vector<int> counts;
        size_t open = 0;
        while ((open = text.find("\" [", open)) != std::string::npos) {
            size_t close = text.find(']', open);
            std::istringstream numbers(text.substr(open + 3, close - open - 3));
            int count = 0;
            for (float value; numbers >> value;) ++count;
            counts.push_back(count);
            open = close;
        }
        return counts;
    }

    // The three counts that a patch mesh gives its parameters.
    std::vector<int> meshCounts(short type, long nu, short uwrap, long nv, short vwrap) {
        return itemCounts(line([&] {
            qelPatchMesh(type, nu, uwrap, nv, vwrap, fUniform, fData, fVarying, fData, fVertex,
                         fData, 0);
        }));
    }

    std::vector<int> counts(long uniform, long varying, long vertex) {
        return {int(uniform), int(varying), int(vertex)};
    }

    unsigned short fUniform, fVarying, fVertex;
    float fData[256];
};

TEST_F(ParameterCountTest, PolygonsCountTheirVertices) {
    long loops[3] = {4, 3, 5}, counts3[2] = {3, 4}, indices[7] = {0, 1, 2, 2, 1, 3, 9};
    EXPECT_EQ(itemCounts(line([&] {
                  qelPolygon(5, fUniform, fData, fVarying, fData, fVertex, fData, 0);
              })),
              counts(1, 5, 5));
    EXPECT_EQ(itemCounts(line([&] {
                  qelGeneralPolygon(3, loops, fUniform, fData, fVarying, fData, fVertex, fData, 0);
              })),
              counts(1, 12, 12));
    // Uniform: one per polygon; varying and vertex: one past the largest index.
    EXPECT_EQ(itemCounts(line([&] {
                  qelPolygonMesh(2, counts3, indices, fUniform, fData, fVarying, fData, fVertex,
                                 fData, 0);
              })),
              counts(2, 10, 10));
}

TEST_F(ParameterCountTest, GeneralPolygonMeshesSumTheirLoops) {
    long loops[2] = {1, 2}, vertices[3] = {3, 3, 4};
    long indices[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 11};
    EXPECT_EQ(itemCounts(line([&] {
                  qelGeneralPolygonMesh(2, loops, vertices, indices, fUniform, fData, fVarying,
                                        fData, fVertex, fData, 0);
              })),
              counts(2, 12, 12));
}

TEST_F(ParameterCountTest, QuadricsHaveFourCorners) {
    EXPECT_EQ(itemCounts(line([&] {
                  qelTorus(1, 0.5f, 0, 360, 360, fUniform, fData, fVarying, fData, fVertex, fData,
                           0);
              })),
              counts(1, 4, 4));
}

// Varying values stand at a patch's four corners, control points are 4 or 16.
TEST_F(ParameterCountTest, PatchesCountTheirControlPointsInBothForms) {
    unsigned short tokens[3] = {fUniform, fVarying, fVertex};
    void* values[3] = {fData, fData, fData};
    EXPECT_EQ(itemCounts(line([&] {
                  qelPatch(QEL_PATCH_BILINEAR, fUniform, fData, fVarying, fData, fVertex, fData, 0);
              })),
              counts(1, 4, 4));
    EXPECT_EQ(itemCounts(line([&] { qelPatchV(QEL_PATCH_BILINEAR, 3, tokens, values); })),
              counts(1, 4, 4));
    EXPECT_EQ(itemCounts(line([&] {
                  qelPatch(QEL_PATCH_BICUBIC, fUniform, fData, fVarying, fData, fVertex, fData, 0);
              })),
              counts(1, 4, 16));
    EXPECT_EQ(itemCounts(line([&] { qelPatchV(QEL_PATCH_BICUBIC, 3, tokens, values); })),
              counts(1, 4, 16));
}

TEST_F(ParameterCountTest, BilinearPatchMeshes) {
    EXPECT_EQ(meshCounts(QEL_PATCH_BILINEAR, 3, QEL_NOWRAP, 2, QEL_NOWRAP), counts(2, 6, 6));
    // Periodic in u: 3 patches around, 3 varying columns.
    EXPECT_EQ(meshCounts(QEL_PATCH_BILINEAR, 3, QEL_WRAP, 2, QEL_NOWRAP), counts(3, 6, 6));
    EXPECT_EQ(meshCounts(QEL_PATCH_BILINEAR, 4, QEL_WRAP, 3, QEL_WRAP), counts(12, 12, 12));
}

TEST_F(ParameterCountTest, BicubicPatchMeshesStepByTheirBases) {
    // Bezier, step 3: 7 points make 2 patches, 4 points one.
    EXPECT_EQ(meshCounts(QEL_PATCH_BICUBIC, 7, QEL_NOWRAP, 4, QEL_NOWRAP), counts(2, 6, 28));
    // B-spline, step 1, periodic in u: 8 patches around, 4 along 7 points.
    qelBasis(QEL_UVBASIS, QEL_BASIS_BSPLINE);
    EXPECT_EQ(meshCounts(QEL_PATCH_BICUBIC, 8, QEL_WRAP, 7, QEL_NOWRAP), counts(32, 40, 56));
    // Hermite in u (step 2), Catmull-Rom in v (step 1).
    qelBasis(QEL_UBASIS, QEL_BASIS_HERMITE);
    qelBasis(QEL_VBASIS, QEL_BASIS_CATMULLROM);
    EXPECT_EQ(meshCounts(QEL_PATCH_BICUBIC, 6, QEL_NOWRAP, 5, QEL_NOWRAP), counts(4, 9, 30));
    // Power, step 4.
    qelBasis(QEL_UVBASIS, QEL_BASIS_POWER);
    EXPECT_EQ(meshCounts(QEL_PATCH_BICUBIC, 8, QEL_NOWRAP, 8, QEL_WRAP), counts(4, 6, 64));
    // A custom basis brings its own step; any other basis code steps by 3.
    float m[4][4] = {};
    qelCustomBasis(QEL_VBASIS, m, 2);
    qelBasis(QEL_UBASIS, 0x9FF);
    EXPECT_EQ(meshCounts(QEL_PATCH_BICUBIC, 7, QEL_NOWRAP, 6, QEL_NOWRAP), counts(4, 9, 42));
    qelBasis(QEL_UVBASIS, QEL_BASIS_BEZIER);
    EXPECT_EQ(meshCounts(QEL_PATCH_BICUBIC, 4, QEL_NOWRAP, 4, QEL_NOWRAP), counts(1, 4, 16));
}

TEST_F(ParameterCountTest, NurbsCountTheirControlPoints) {
    EXPECT_EQ(itemCounts(line([&] {
                  qelNurb(3, fData, 0, 1, 2, fData, 0, 1, fUniform, fData, fVarying, fData,
                          fVertex, fData, 0);
              })),
              counts(1, 6, 6));
    EXPECT_EQ(itemCounts(line([&] {
                  qelNurbMesh(5, 3, fData, 0, 1, 4, 2, fData, 0, 1, fUniform, fData, fVarying,
                              fData, fVertex, fData, 0);
              })),
              counts(1, 20, 20));
}

} // namespace
