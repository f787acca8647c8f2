// Polygons, patches and NURBS rendered through the API: the same surface
// given in different forms covers the same pixels.
#include "api/qel.h"
#include "TiffImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

std::vector<std::string> gReports;
void record(const char* line) { gReports.emplace_back(line); }

class GeometryImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        gReports.clear();
        qelErrorPrinter(record);
        qelReset();
    }

    // Renders the shape orthographically, 100 pixels per unit, centred.
    long render(const std::function<void()>& shape) { return renderImage(shape).coverage(); }

    TiffImage renderImage(const std::function<void()>& shape) {
        std::string path = ::testing::TempDir() + "geometry-" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" +
                           std::to_string(fRenders++) + ".tif";
        qelFrameBegin();
        qelRasterViewport(0, 399, 0, 399);
        qelOutputFile(QEL_FORMAT_TIFF, path.c_str());
        qelOutputSamples(QEL_SAMPLES_RGBA);
        qelImageWindow(-2, 2, -2, 2);
        qelViewOrthographic();
        qelTranslate(0, 0, 5);
        qelSceneBegin();
        qelSurface(qelQuark("constant"), 0);
        shape();
        qelSceneEnd();
        qelFrameEnd();
        return readTiff(path);
    }

    int fRenders = 0;
};

unsigned short point() { return qelQuark("point"); }

TEST_F(GeometryImageTest, UnitSquareInFourForms) {
    float square[12] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    long polygon = render([&] { qelPolygon(4, point(), square, 0); });
    long mesh = render([&] {
        long counts[2] = {3, 3}, indices[6] = {0, 1, 2, 0, 2, 3};
        qelPolygonMesh(2, counts, indices, point(), square, 0);
    });
    float patch[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0};
    long bilinear = render([&] { qelPatch(QEL_PATCH_BILINEAR, point(), patch, 0); });
    float knots[4] = {0, 0, 1, 1};
    long nurbs = render([&] { qelNurb(2, knots, 0, 1, 2, knots, 0, 1, point(), patch, 0); });
    EXPECT_NEAR(double(polygon), 10000.0, 50.0);
    EXPECT_EQ(mesh, polygon);
    EXPECT_EQ(bilinear, polygon);
    EXPECT_NEAR(double(nurbs), double(polygon), 20.0);
}

TEST_F(GeometryImageTest, SquareWithAHoleCoversTheRing) {
    long covered = render([&] {
        long loops[2] = {4, 4};
        float points[24] = {-1.5f, -1.5f, 0, 1.5f, -1.5f, 0, 1.5f, 1.5f,  0, -1.5f, 1.5f,  0,
                            -0.5f, -0.5f, 0, -0.5f, 0.5f, 0, 0.5f, 0.5f, 0, 0.5f,  -0.5f, 0};
        qelGeneralPolygon(2, loops, point(), points, 0);
    });
    EXPECT_NEAR(double(covered), 80000.0, 400.0); // (9 - 1) square units
}

TEST_F(GeometryImageTest, ConcaveLShapeCoversItsArea) {
    long covered = render([&] {
        float points[18] = {-1, -1, 0, 1, -1, 0, 1, 0, 0, 0, 0, 0, 0, 1, 0, -1, 1, 0};
        long loops[1] = {6};
        qelGeneralPolygon(1, loops, point(), points, 0);
    });
    EXPECT_NEAR(double(covered), 30000.0, 150.0);
}

TEST_F(GeometryImageTest, RationalNurbsSphereCoversWhatTheSphereCovers) {
    long sphere = render([] { qelSphere(1, -1, 1, 360, 0); });
    long nurbs = render([] {
        // The circle of nine points swept along the half circle of five.
        const float cx[9] = {1, 1, 0, -1, -1, -1, 0, 1, 1};
        const float cy[9] = {0, 1, 1, 1, 0, -1, -1, -1, 0};
        const float r[5] = {0, 1, 1, 1, 0}, z[5] = {-1, -1, 0, 1, 1};
        const float half = std::sqrt(0.5f);
        std::vector<float> net;
        for (int j = 0; j < 5; ++j)
            for (int i = 0; i < 9; ++i) {
                float w = (i % 2 ? half : 1) * (j % 2 ? half : 1);
                net.insert(net.end(), {cx[i] * r[j] * w, cy[i] * r[j] * w, z[j] * w, w});
            }
        float uknots[12] = {0, 0, 0, .25f, .25f, .5f, .5f, .75f, .75f, 1, 1, 1};
        float vknots[8] = {0, 0, 0, .5f, .5f, 1, 1, 1};
        qelNurbMesh(9, 3, uknots, 0, 1, 5, 3, vknots, 0, 1, qelQuark("pointw"), net.data(), 0);
    });
    EXPECT_NEAR(double(sphere), M_PI * 10000.0, M_PI * 10000.0 * 0.005);
    EXPECT_NEAR(double(nurbs), double(sphere), double(sphere) * 0.005);
}

// A bicubic NURBS patch of 5 by 5 points has 2 by 2 spans: at knots 0, 0.5
// and 1 its 3 by 3 span corners each show a colour of their own. The points
// stand at 3 times the knots' Greville abscissae (0, 1/6, 1/2, 5/6, 1) less
// 1.5, so the surface is the flat square x, y = 3 u - 1.5, 3 v - 1.5 and
// span corner (i, j) falls on raster pixel corner (50 + 150 i, 350 - 150 j).
// The colours come one per control point: the corners' at points (2i, 2j),
// the means of their neighbours between.
TEST_F(GeometryImageTest, CubicNurbsSpansShowTheirCornerColours) {
    const float greville[5] = {0, 1.0f / 6, 0.5f, 5.0f / 6, 1};
    const float knots[9] = {0, 0, 0, 0, 0.5f, 1, 1, 1, 1};
    std::vector<float> net;
    for (int j = 0; j < 5; ++j)
        for (int i = 0; i < 5; ++i)
            net.insert(net.end(), {3 * greville[i] - 1.5f, 3 * greville[j] - 1.5f, 0});
    const float corners[3][3][3] = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
                                    {{1, 1, 0}, {0, 1, 1}, {1, 0, 1}},
                                    {{1, 1, 1}, {0.5f, 0.5f, 0.5f}, {0, 0, 0}}};
    std::vector<float> colours;
    for (int j = 0; j < 5; ++j)
        for (int i = 0; i < 5; ++i)
            for (int c = 0; c < 3; ++c) {
                const int i0 = i / 2, i1 = (i + 1) / 2, j0 = j / 2, j1 = (j + 1) / 2;
                colours.push_back((corners[j0][i0][c] + corners[j0][i1][c] +
                                   corners[j1][i0][c] + corners[j1][i1][c]) /
                                  4);
            }
    TiffImage image = renderImage([&] {
        qelNurbMesh(5, 4, knots, 0, 1, 5, 4, knots, 0, 1, point(), net.data(), qelQuark("color"),
                    colours.data(), 0);
    });
    EXPECT_TRUE(gReports.empty());
    ASSERT_EQ(image.samples, 4);
    // Two and a half pixels into each span that meets the corner, where the
    // colour is within 2 * 2.5 / 150 of the corner's.
    const int kTolerance = 10;
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i) {
            const uint32_t x = 50 + 150 * uint32_t(i), y = 350 - 150 * uint32_t(j);
            for (uint32_t px : {x - 3, x + 2})
                for (uint32_t py : {y - 3, y + 2}) {
                    bool inside = (px > x ? i < 2 : i > 0) && (py < y ? j < 2 : j > 0);
                    if (!inside) continue;
                    const uint8_t* pixel = image.pixel(px, py);
                    EXPECT_EQ(pixel[3], 255) << px << "," << py;
                    for (int c = 0; c < 3; ++c)
                        EXPECT_NEAR(int(pixel[c]), int(std::lround(255 * corners[j][i][c])),
                                    kTolerance)
                            << "corner " << i << "," << j << " pixel " << px << "," << py;
                }
        }
}

TEST_F(GeometryImageTest, PlanarBezierPatchCoversItsQuad) {
    long covered = render([] {
        std::vector<float> net;
        for (int j = 0; j < 4; ++j)
            for (int i = 0; i < 4; ++i) net.insert(net.end(), {i / 3.0f, j / 3.0f, 0});
        qelPatch(QEL_PATCH_BICUBIC, qelQuark("point"), net.data(), 0);
    });
    EXPECT_NEAR(double(covered), 10000.0, 50.0);
}

using Matrix4 = std::array<std::array<double, 4>, 4>;

Matrix4 product(const Matrix4& a, const Matrix4& b) {
    Matrix4 c{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k) c[i][j] += a[i][k] * b[k][j];
    return c;
}

// Gauss-Jordan with partial pivoting; the basis matrices are well conditioned.
Matrix4 inverse(Matrix4 m) {
    Matrix4 inv{};
    for (int i = 0; i < 4; ++i) inv[i][i] = 1;
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 4; ++r)
            if (std::fabs(m[r][col]) > std::fabs(m[pivot][col])) pivot = r;
        std::swap(m[col], m[pivot]);
        std::swap(inv[col], inv[pivot]);
        double scale = 1 / m[col][col];
        for (int c = 0; c < 4; ++c) m[col][c] *= scale, inv[col][c] *= scale;
        for (int r = 0; r < 4; ++r) {
            if (r == col) continue;
            double f = m[r][col];
            for (int c = 0; c < 4; ++c) m[r][c] -= f * m[col][c], inv[r][c] -= f * inv[col][c];
        }
    }
    return inv;
}

struct NamedBasis {
    short code;
    Matrix4 matrix;
};

// The published matrices, rows first: P(t) = [t^3 t^2 t 1] B G.
const NamedBasis kBezier{QEL_BASIS_BEZIER, {{{-1, 3, -3, 1}, {3, -6, 3, 0}, {-3, 3, 0, 0}, {1, 0, 0, 0}}}};
const NamedBasis kOtherBases[] = {
    {QEL_BASIS_BSPLINE,
     {{{-1 / 6.0, 3 / 6.0, -3 / 6.0, 1 / 6.0},
       {3 / 6.0, -6 / 6.0, 3 / 6.0, 0},
       {-3 / 6.0, 0, 3 / 6.0, 0},
       {1 / 6.0, 4 / 6.0, 1 / 6.0, 0}}}},
    {QEL_BASIS_CATMULLROM,
     {{{-0.5, 1.5, -1.5, 0.5}, {1, -2.5, 2, -0.5}, {-0.5, 0, 0.5, 0}, {0, 1, 0, 0}}}},
    {QEL_BASIS_HERMITE, {{{2, 1, -2, 1}, {-3, -2, 3, -1}, {0, 1, 0, 0}, {1, 0, 0, 0}}}},
    {QEL_BASIS_POWER, {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}}},
};

// A curved Bezier net over [-1.5, 1.5]^2, as a 4 by 4 grid of points per coordinate,
// indexed [u][v]. Its border is flat, so that its outline is straight: a
// curved outline would move by a sample wherever float rounding changes a
// grid's dicing rate, and only the shading inside is compared.
std::array<Matrix4, 3> bumpyBezierNet() {
    const double heights[4][4] = {
        {0, 0, 0, 0}, {0, 0.7, -0.5, 0}, {0, -0.6, 0.8, 0}, {0, 0, 0, 0}};
    std::array<Matrix4, 3> net{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            net[0][i][j] = i - 1.5;
            net[1][i][j] = j - 1.5;
            net[2][i][j] = heights[i][j];
        }
    return net;
}

// The same surface in another basis: G' = A G A^T with A = B'^-1 B.
std::vector<float> netInBasis(const std::array<Matrix4, 3>& bezierNet, const Matrix4& basis) {
    Matrix4 change = product(inverse(basis), kBezier.matrix);
    Matrix4 changeT{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) changeT[i][j] = change[j][i];
    std::array<Matrix4, 3> converted;
    for (int c = 0; c < 3; ++c) converted[c] = product(product(change, bezierNet[c]), changeT);
    std::vector<float> points;
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
            for (int c = 0; c < 3; ++c) points.push_back(float(converted[c][i][j]));
    return points;
}

TEST_F(GeometryImageTest, OnePatchInEveryBasisRendersTheSameImage) {
    auto net = bumpyBezierNet();
    auto renderIn = [&](const NamedBasis& basis) {
        std::vector<float> points = netInBasis(net, basis.matrix);
        return renderImage([&] {
            qelLightSource(qelQuark("distant"), 0);
            qelSurface(qelQuark("diffuse"), 0);
            qelRotate(30, 1, 0, 0);
            qelBasis(QEL_UVBASIS, basis.code);
            qelPatch(QEL_PATCH_BICUBIC, qelQuark("point"), points.data(), 0);
        });
    };
    TiffImage bezier = renderIn(kBezier);
    ASSERT_FALSE(bezier.data.empty());
    ASSERT_GT(bezier.coverage(), 50000);
    // The bumps must show in the shading, or the comparison proves nothing.
    int darkest = 255, brightest = 0;
    for (size_t i = 0; i < bezier.data.size(); i += 4)
        if (bezier.data[i + 3] == 255) {
            darkest = std::min(darkest, int(bezier.data[i]));
            brightest = std::max(brightest, int(bezier.data[i]));
        }
    ASSERT_GT(brightest - darkest, 40);
    for (const NamedBasis& other : kOtherBases) {
        TiffImage image = renderIn(other);
        ASSERT_EQ(image.data.size(), bezier.data.size());
        int worst = 0;
        for (size_t i = 0; i < image.data.size(); ++i)
            worst = std::max(worst, std::abs(int(image.data[i]) - int(bezier.data[i])));
        EXPECT_LE(worst, 1) << "basis 0x" << std::hex << other.code;
    }
}

// Each bad request is reported once and draws nothing; none reads past its
// arrays or hangs the renderer.
TEST_F(GeometryImageTest, BadGeometryIsReportedAndDropped) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::function<void()> requests[] = {
        [] { // two vertices are no polygon
            float p[6] = {0, 0, 0, 1, 0, 0};
            qelPolygon(2, point(), p, 0);
        },
        [] { // collinear
            float p[9] = {0, 0, 0, 1, 0, 0, 2, 0, 0};
            qelPolygon(3, point(), p, 0);
        },
        [nan] {
            float p[9] = {0, 0, 0, 1, nan, 0, 0, 1, 0};
            qelPolygon(3, point(), p, 0);
        },
        [] { // a hole of two vertices
            long counts[2] = {4, 2};
            float p[18] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0.2f, 0.2f, 0, 0.8f, 0.8f, 0};
            qelGeneralPolygon(2, counts, point(), p, 0);
        },
        [] { // a bow tie crosses itself
            long counts[1] = {4};
            float p[12] = {0, 0, 0, 1, 1, 0, 1, 0, 0, 0, 1, 0};
            qelGeneralPolygon(1, counts, point(), p, 0);
        },
        [] {
            long counts[1] = {3}, indices[3] = {0, -1, 2};
            float p[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
            qelPolygonMesh(1, counts, indices, point(), p, 0);
        },
        [] {
            long counts[1] = {-3}, indices[3] = {0, 1, 2};
            float p[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
            qelPolygonMesh(1, counts, indices, point(), p, 0);
        },
        [] { // a bicubic Bezier mesh needs four points each way
            float p[27] = {};
            qelPatchMesh(QEL_PATCH_BICUBIC, 3, QEL_NOWRAP, 3, QEL_NOWRAP, point(), p, 0);
        },
        [] {
            float p[48] = {};
            qelPatchMesh(QEL_PATCH_BICUBIC, 4, 0x123, 4, QEL_NOWRAP, point(), p, 0);
        },
        [nan] {
            std::vector<float> net(48, nan);
            qelPatch(QEL_PATCH_BICUBIC, point(), net.data(), 0);
        },
        [] {
            const float knots[2] = {0, 1};
            float p[3] = {0, 0, 0};
            qelNurbMesh(1, 0, knots, 0, 1, 1, 0, knots, 0, 1, point(), p, 0);
        },
        [] { // the order exceeds the control points
            const float knots[6] = {0, 0, 0, 1, 1, 1};
            float p[12] = {};
            qelNurbMesh(2, 4, knots, 0, 1, 2, 2, knots, 0, 1, point(), p, 0);
        },
    };
    int index = 0;
    for (const auto& request : requests) {
        gReports.clear();
        long covered = render(request);
        EXPECT_EQ(covered, 0) << "request " << index;
        EXPECT_EQ(gReports.size(), 1u) << "request " << index;
        for (const std::string& line : gReports) EXPECT_EQ(line.rfind("error: ", 0), 0u) << line;
        ++index;
    }
}

} // namespace
