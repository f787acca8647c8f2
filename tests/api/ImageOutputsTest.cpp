// Several image outputs of one frame: the standard channels and shading
// variables, each in its own file and format, against closed forms of a
// square facing an orthographic camera.
#include "TiffImage.h"
#include "api/qel.h"
#include "tests/renderer/display/ExrReadBack.h"

#include <png.h>
#include <tiffio.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

void quiet(const char*) {}

constexpr int kWidth = 64, kHeight = 48;

// A TIFF file of 32-bit floats: its samples, and the camera tags of a depth map.
struct FloatTiff {
    uint32_t width = 0, height = 0;
    uint16_t samples = 0;
    std::vector<float> values;
    bool hasCamera = false;
    std::vector<float> worldToCamera;

    explicit FloatTiff(const std::string& path) {
        TIFF* tiff = TIFFOpen(path.c_str(), "r");
        if (!tiff) return;
        uint16_t bits = 0, format = 0;
        TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
        TIFFGetField(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
        TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
        TIFFGetField(tiff, TIFFTAG_SAMPLEFORMAT, &format);
        float* matrix = nullptr;
        if (TIFFGetField(tiff, TIFFTAG_PIXAR_MATRIX_WORLDTOCAMERA, &matrix) && matrix) {
            hasCamera = true;
            worldToCamera.assign(matrix, matrix + 16);
        }
        std::vector<float> row(std::size_t(width) * samples);
        if (bits == 32 && format == SAMPLEFORMAT_IEEEFP)
            for (uint32_t y = 0; y < height; ++y) {
                TIFFReadScanline(tiff, row.data(), y);
                values.insert(values.end(), row.begin(), row.end());
            }
        TIFFClose(tiff);
    }

    float at(int x, int y, int sample = 0) const {
        return values[(std::size_t(y) * width + std::size_t(x)) * samples + std::size_t(sample)];
    }
};

std::vector<unsigned char> greyPng(const std::string& path, unsigned& width) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    std::vector<unsigned char> bytes;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return bytes;
    width = png.width;
    png.format = PNG_FORMAT_GRAY;
    bytes.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, bytes.data(), 0, nullptr)) bytes.clear();
    return bytes;
}

class ImageOutputsTest : public ::testing::Test {
protected:
    void SetUp() override {
        qelErrorPrinter(quiet);
        qelReset();
        fDir = ::testing::TempDir() + "image-outputs-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-";
    }
    void TearDown() override {
        for (const std::string& path : fPaths)
            std::remove(path.c_str());
    }

    std::string path(const std::string& name) {
        fPaths.push_back(fDir + name);
        return fPaths.back();
    }

    // A square of side 2 (side/2 given) at depth 5, facing an orthographic
    // camera whose screen window runs -4/3 to 4/3 across 64 pixels: the whole
    // square covers pixels 8 to 55 across, every row down. Colours are
    // interpolated over micropolygons. Outputs are requested by the caller
    // between frame and scene begin.
    template <class Outputs> void render(Outputs outputs, float half = 1.0f) {
        qelFrameBegin();
        qelRasterViewport(0, kWidth - 1, 0, kHeight - 1);
        qelColorJitter(0);
        qelSampleJitter(0);
        outputs();
        qelViewOrthographic();
        qelSceneBegin();
        float color[3] = {0.25f, 0.5f, 0.75f};
        qelColor(color);
        qelSurface(qelQuark("constant"), 0);
        qelShadingModel(QEL_SHADING_GOURAUD);
        float corners[12] = {-half, -half, 5, half, -half, 5, -half, half, 5, half, half, 5};
        qelPatch(QEL_PATCH_BILINEAR, qelQuark("point"), corners, 0);
        qelSceneEnd();
        qelFrameEnd();
    }

    std::string fDir;
    std::vector<std::string> fPaths;
};

// Raster x of a pixel centre, in screen units.
float screenX(int x) {
    return (float(x) + 0.5f) / float(kWidth) * (8.0f / 3.0f) - 4.0f / 3.0f;
}

} // namespace

TEST_F(ImageOutputsTest, EveryOutputIsWrittenInItsOwnFormat) {
    const std::string beauty = path("beauty.tif"), colours = path("cs.exr"),
                      depth = path("depth.zf"), opacity = path("oi.tif");
    render([&] {
        qelOutputImage(QEL_FORMAT_TIFF, beauty.c_str(), "rgba", 0, nullptr);
        qelOutputImage(QEL_FORMAT_OPENEXR, ("+" + colours).c_str(), "varying color Cs", 0, nullptr);
        qelOutputImage(QEL_FORMAT_DEPTHFILE, ("+" + depth).c_str(), "rgba", 0, nullptr);
        qelOutputImage(QEL_FORMAT_TIFF, ("+" + opacity).c_str(), "Oi", 0, nullptr);
    });

    TiffImage rgba = readTiff(beauty);
    ASSERT_EQ(rgba.samples, 4);
    const uint8_t* inside = rgba.pixel(32, 24);
    EXPECT_EQ(std::vector<int>(inside, inside + 4), (std::vector<int>{64, 128, 191, 255}));
    EXPECT_EQ(rgba.pixel(2, 24)[3], 0);

    // The colour of the surface, unquantised, where it covers the pixel.
    ExrReadBack cs(colours);
    ASSERT_TRUE(cs.opened);
    EXPECT_EQ(cs.channelNames(), (std::vector<std::string>{"B", "G", "R"}));
    EXPECT_FLOAT_EQ(cs.at("R", 32, 24), 0.25f);
    EXPECT_FLOAT_EQ(cs.at("G", 32, 24), 0.5f);
    EXPECT_FLOAT_EQ(cs.at("B", 32, 24), 0.75f);
    EXPECT_EQ(cs.at("R", 2, 24), 0.0f);

    // A depth file holds depth alone, whatever mode it was given: 5 where the
    // square is, the far clipping plane where nothing is.
    FloatTiff z(depth);
    ASSERT_EQ(z.samples, 1);
    ASSERT_EQ(z.width, uint32_t(kWidth));
    EXPECT_NEAR(z.at(32, 24), 5.0f, 1e-4f);
    EXPECT_NEAR(z.at(9, 3), 5.0f, 1e-4f);
    EXPECT_FLOAT_EQ(z.at(2, 24), 1e38f);
    ASSERT_TRUE(z.hasCamera);
    EXPECT_EQ(z.worldToCamera,
              (std::vector<float>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));

    FloatTiff oi(opacity);
    ASSERT_EQ(oi.samples, 3);
    EXPECT_FLOAT_EQ(oi.at(32, 24, 0), 1.0f);
    EXPECT_FLOAT_EQ(oi.at(2, 24, 2), 0.0f);
    // The square's edge is pixel 8's left side: the filter of pixel 7 reaches
    // less of the square than of the empty side.
    EXPECT_GT(oi.at(7, 24, 1), 0.0f);
    EXPECT_LT(oi.at(7, 24, 1), 0.5f);
}

// s runs from 0 to 1 across the square, quantised as its output asks:
// (x + h) / 2h at screen x for half side h, on a square of one grid and on
// one split into many, whose grids shade with the whole square's u and v.
TEST_F(ImageOutputsTest, TextureCoordinatesQuantisedToEightBits) {
    for (const float half : {0.25f, 1.0f}) {
        const std::string s = path("s" + std::to_string(half) + ".png");
        render(
            [&] {
                const float eightBits[5] = {0, 255, 0, 255, 0};
                qelOutputImage(QEL_FORMAT_PNG, s.c_str(), "s", 5, eightBits);
            },
            half);
        unsigned width = 0;
        std::vector<unsigned char> grey = greyPng(s, width);
        ASSERT_EQ(width, unsigned(kWidth));
        for (int x = 0; x < kWidth; ++x) {
            float sx = (screenX(x) + half) / (2 * half);
            if (sx < 0.05f || sx > 0.95f) continue; // the edges blend with what lies beside
            EXPECT_NEAR(float(grey[std::size_t(24 * kWidth + x)]), sx * 255.0f, 1.0f) << x;
        }
    }
}

// The surface's orientation, unit length, facing the camera.
TEST_F(ImageOutputsTest, NormalsAreUnitVectorsInCameraSpace) {
    const std::string normals = path("n.tif"), geometric = path("ng.tif");
    render([&] {
        qelOutputImage(QEL_FORMAT_TIFF, normals.c_str(), "N", 0, nullptr);
        qelOutputImage(QEL_FORMAT_TIFF, ("+" + geometric).c_str(), "Ng", 0, nullptr);
    });
    for (const std::string& file : {normals, geometric}) {
        FloatTiff n(file);
        ASSERT_EQ(n.samples, 3) << file;
        EXPECT_NEAR(n.at(32, 24, 0), 0.0f, 1e-5f);
        EXPECT_NEAR(n.at(32, 24, 1), 0.0f, 1e-5f);
        EXPECT_NEAR(std::fabs(n.at(32, 24, 2)), 1.0f, 1e-5f);
    }
}

// Asking for more outputs changes nothing in the first one.
TEST_F(ImageOutputsTest, MoreOutputsLeaveTheFirstAsItWas) {
    const std::string alone = path("alone.tif"), first = path("first.tif"), more = path("p.exr");
    render([&] { qelOutputImage(QEL_FORMAT_TIFF, alone.c_str(), "rgbaz", 0, nullptr); });
    render([&] {
        qelOutputImage(QEL_FORMAT_TIFF, first.c_str(), "rgbaz", 0, nullptr);
        qelOutputImage(QEL_FORMAT_OPENEXR, ("+" + more).c_str(), "P", 0, nullptr);
    });
    FloatTiff a(alone), b(first);
    ASSERT_EQ(a.samples, 5);
    ASSERT_FALSE(a.values.empty());
    EXPECT_EQ(a.values, b.values);
    // The position of the surface: depth 5, x as the screen says.
    ExrReadBack p(more);
    EXPECT_NEAR(p.at("B", 32, 24), 5.0f, 1e-5f);
    for (int x : {12, 20, 33, 50})
        EXPECT_NEAR(p.at("R", x, 24), screenX(x), 1e-4f) << x;
}

// A display without '+' starts the list again; qelOutputFile does too.
TEST_F(ImageOutputsTest, AnOutputWithoutAPlusReplacesThemAll) {
    const std::string dropped = path("dropped.tif"), kept = path("kept.tif"),
                      last = path("last.png");
    render([&] {
        qelOutputImage(QEL_FORMAT_TIFF, "first.tif", "rgb", 0, nullptr);
        qelOutputImage(QEL_FORMAT_TIFF, ("+" + dropped).c_str(), "a", 0, nullptr);
        qelOutputImage(QEL_FORMAT_TIFF, kept.c_str(), "rgb", 0, nullptr);
        qelOutputImage(QEL_FORMAT_PNG, ("+" + last).c_str(), "rgba", 0, nullptr);
    });
    EXPECT_FALSE(readTiff(kept).data.empty());
    EXPECT_FALSE(std::filesystem::exists(dropped));
    unsigned width = 0;
    EXPECT_FALSE(greyPng(last, width).empty());
}
