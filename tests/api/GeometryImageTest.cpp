// Polygons, patches and NURBS rendered through the API: the same surface
// given in different forms covers the same pixels.
#include "api/qel.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

void quiet(const char*) {}

// Pixels whose alpha is above one half, in an 8-bit RGBA TIFF.
long coverage(const std::string& path) {
    TIFF* tiff = TIFFOpen(path.c_str(), "r");
    if (!tiff) return -1;
    uint32_t width = 0, height = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    std::vector<uint8_t> row(size_t(TIFFScanlineSize(tiff)));
    long covered = 0;
    for (uint32_t y = 0; y < height; ++y) {
        TIFFReadScanline(tiff, row.data(), y);
        for (uint32_t x = 0; x < width; ++x)
            if (row[x * 4 + 3] > 127) ++covered;
    }
    TIFFClose(tiff);
    return covered;
}

class GeometryImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        qelErrorPrinter(quiet);
        qelReset();
    }

    // Renders the shape orthographically, 100 pixels per unit, centred.
    long render(const std::function<void()>& shape) {
        std::string path = ::testing::TempDir() + "geometry-" + std::to_string(fRenders++) + ".tif";
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
        return coverage(path);
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

TEST_F(GeometryImageTest, PlanarBezierPatchCoversItsQuad) {
    long covered = render([] {
        std::vector<float> net;
        for (int j = 0; j < 4; ++j)
            for (int i = 0; i < 4; ++i) net.insert(net.end(), {i / 3.0f, j / 3.0f, 0});
        qelPatch(QEL_PATCH_BICUBIC, qelQuark("point"), net.data(), 0);
    });
    EXPECT_NEAR(double(covered), 10000.0, 50.0);
}

} // namespace
