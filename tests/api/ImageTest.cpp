// Whole images rendered through the API to TIFF files and read back.
#include "TiffImage.h"
#include "api/qel.h"
#include "api/qelrender.h"

#include <tiffio.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

void quiet(const char*) {}

class ImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        qelErrorPrinter(quiet);
        qelReset();
        fPath = ::testing::TempDir() + "image-test-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".tif";
    }

    // A sphere of radius 1 at depth 5 under a 90 degree view at 640 by 480.
    void renderSphere(float xOffset = 0) {
        qelFrameBegin();
        qelRasterViewport(0, 639, 0, 479);
        qelOutputFile(QEL_FORMAT_TIFF, fPath.c_str());
        qelOutputSamples(QEL_SAMPLES_RGBA);
        qelColorJitter(0);
        qelViewPerspective(90);
        qelSceneBegin();
        float color[3] = {0.5f, 0.25f, 1.0f};
        qelColor(color);
        qelSurface(qelQuark("constant"), 0);
        qelTranslate(xOffset, 0, 5);
        qelSphere(1, -1, 1, 360, 0);
        qelSceneEnd();
        qelFrameEnd();
    }

    // A constant-shaded sphere and, optionally, a matte sphere in front of it.
    TiffImage renderScene(void (*options)(), bool matteInFront = false) {
        qelFrameBegin();
        qelRasterViewport(0, 159, 0, 119);
        qelOutputFile(QEL_FORMAT_TIFF, fPath.c_str());
        qelOutputSamples(QEL_SAMPLES_RGBA);
        qelColorJitter(0);
        if (options) options();
        qelViewPerspective(90);
        qelSceneBegin();
        float red[3] = {1.0f, 0.1f, 0.1f};
        qelColor(red);
        qelSurface(qelQuark("constant"), 0);
        qelAttributePush();
        qelTranslate(0, 0, 5);
        qelSphere(1.5f, -1.5f, 1.5f, 360, 0);
        qelAttributePop();
        if (matteInFront) {
            qelMatteObject(1);
            qelTranslate(0, 0, 3);
            qelSphere(0.5f, -0.5f, 0.5f, 360, 0);
        }
        qelSceneEnd();
        qelFrameEnd();
        return readTiff(fPath);
    }

    std::string fPath;
};

double meanAbsoluteDifference(const TiffImage& a, const TiffImage& b) {
    double sum = 0;
    for (size_t i = 0; i < a.data.size(); ++i)
        sum += std::fabs(double(a.data[i]) - b.data[i]);
    return sum / double(a.data.size()) / 255.0;
}

TEST_F(ImageTest, SphereCoversItsProjectedDisc) {
    renderSphere();
    TiffImage image = readTiff(fPath);
    ASSERT_EQ(image.width, 640u);
    ASSERT_EQ(image.height, 480u);
    ASSERT_EQ(image.samples, 4);
    ASSERT_EQ(image.bits, 8);
    long covered = 0;
    for (uint32_t y = 0; y < image.height; ++y)
        for (uint32_t x = 0; x < image.width; ++x)
            if (image.pixel(x, y)[3] > 127) ++covered;
    // The silhouette cone has tan = r / sqrt(d^2 - r^2); 240 pixels per unit
    // of the screen window -4/3..4/3.
    double radius = 240.0 / std::sqrt(24.0);
    double area = M_PI * radius * radius;
    EXPECT_NEAR(double(covered), area, area * 0.005);
}

TEST_F(ImageTest, ConstantColourIsExactInsideAndBlackOutside) {
    renderSphere();
    TiffImage image = readTiff(fPath);
    ASSERT_EQ(image.samples, 4);
    const uint8_t* centre = image.pixel(320, 240);
    EXPECT_EQ(centre[0], 128); // 0.5 * 255 = 127.5 rounds up
    EXPECT_EQ(centre[1], 64);  // 63.75
    EXPECT_EQ(centre[2], 255);
    EXPECT_EQ(centre[3], 255);
    const uint8_t* corner = image.pixel(5, 5);
    EXPECT_EQ(corner[0], 0);
    EXPECT_EQ(corner[3], 0);
}

TEST_F(ImageTest, OffCentreSphereMovesWithItsTranslation) {
    renderSphere(1.0f); // one unit right at depth 5: 240 / 5 = 48 pixels right
    TiffImage image = readTiff(fPath);
    ASSERT_EQ(image.samples, 4);
    EXPECT_EQ(image.pixel(320 + 48, 240)[3], 255);
    EXPECT_EQ(image.pixel(320 - 60, 240)[3], 0);
}

TEST_F(ImageTest, MatteSphereCutsAHoleWithNoAlpha) {
    TiffImage image = renderScene(nullptr, true);
    ASSERT_EQ(image.samples, 4);
    const uint8_t* centre = image.pixel(80, 60);
    EXPECT_EQ(centre[0], 0);
    EXPECT_EQ(centre[3], 0);
    // The hole is 10 pixels wide in radius, the red disc 19: 15 is on the red.
    const uint8_t* beside = image.pixel(80 + 15, 60);
    EXPECT_EQ(beside[0], 255);
    EXPECT_EQ(beside[3], 255);
}

TEST_F(ImageTest, UniformAndAdaptiveSamplersAgree) {
    TiffImage uniform = renderScene([] { qelSampleUniform(4, 4); });
    TiffImage adaptive = renderScene([] { qelSampleAdaptive(0.001f); });
    ASSERT_EQ(uniform.data.size(), adaptive.data.size());
    ASSERT_FALSE(uniform.data.empty());
    EXPECT_LT(meanAbsoluteDifference(uniform, adaptive), 0.01);
}

TEST_F(ImageTest, GainAndGammaFollowTheirClosedForm) {
    // Red 1 and green 0.1: gain 0.5 and gamma 2 give 0.5^0.5 and 0.05^0.5.
    TiffImage image = renderScene([] {
        qelColorGain(0.5f);
        qelColorGamma(2);
    });
    const uint8_t* centre = image.pixel(80, 60);
    EXPECT_EQ(centre[0], 180); // 255 * 0.70711 = 180.3
    EXPECT_EQ(centre[1], 57);  // 255 * 0.22361 = 57.02
    EXPECT_EQ(centre[3], 255); // alpha is not exposed
}

TEST_F(ImageTest, BoxFilterKeepsAHarderEdgeThanGaussian) {
    auto edgePixels = [](const TiffImage& image) {
        long partial = 0;
        for (uint32_t x = 0; x < image.width; ++x) {
            uint8_t alpha = image.pixel(x, 60)[3];
            if (alpha > 0 && alpha < 255) ++partial;
        }
        return partial;
    };
    TiffImage box = renderScene([] {
        qelFilter(QEL_FILTER_BOX);
        qelFilterWidth(1, 1);
    });
    TiffImage gaussian = renderScene([] { qelFilterWidth(3, 3); });
    EXPECT_LT(edgePixels(box), edgePixels(gaussian));
}

TEST_F(ImageTest, SixteenBitQuantisationWritesSixteenBitSamples) {
    renderScene([] { qelColorQuantize(65535, 0, 65535); });
    TIFF* tiff = TIFFOpen(fPath.c_str(), "r");
    ASSERT_NE(tiff, nullptr);
    uint16_t bits = 0;
    TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    EXPECT_EQ(bits, 16);
    std::vector<uint16_t> row(160 * 4);
    TIFFReadScanline(tiff, row.data(), 60);
    TIFFClose(tiff);
    EXPECT_EQ(row[80 * 4 + 0], 65535);
    EXPECT_NEAR(row[80 * 4 + 1], 6553.5, 0.5); // 0.1 * 65535, either side of the half
    EXPECT_EQ(row[80 * 4 + 3], 65535);
}

TEST_F(ImageTest, SphereAroundTheEyeIsSplitAndCulledInBoundedTime) {
    qelFrameBegin();
    qelRasterViewport(0, 79, 0, 59);
    qelOutputFile(QEL_FORMAT_TIFF, fPath.c_str());
    qelViewPerspective(90);
    qelSceneBegin();
    qelSurface(qelQuark("constant"), 0);
    qelSphere(10, -10, 10, 360, 0); // the eye is inside it
    qelSceneEnd();
    qelFrameEnd();
    TiffImage image = readTiff(fPath);
    ASSERT_EQ(image.width, 80u);
    EXPECT_EQ(image.pixel(40, 30)[0], 255); // the far wall of the sphere is seen, white
}

long coveredPixels(const TiffImage& image) {
    long covered = 0;
    for (uint32_t y = 0; y < image.height; ++y)
        for (uint32_t x = 0; x < image.width; ++x)
            if (image.pixel(x, y)[3] > 127) ++covered;
    return covered;
}

void beginSmallFrame(const std::string& path) {
    qelFrameBegin();
    qelRasterViewport(0, 159, 0, 119);
    qelOutputFile(QEL_FORMAT_TIFF, path.c_str());
    qelOutputSamples(QEL_SAMPLES_RGBA);
    qelViewPerspective(90);
    qelSceneBegin();
    qelSurface(qelQuark("constant"), 0);
}

void endFrame() {
    qelSceneEnd();
    qelFrameEnd();
}

// Two plastic spheres under a distant light, the left with its own "kd" of
// 0, in buckets of the given size on the given number of threads.
// A 160 by 120 RGBA frame in square buckets of the given size, rendered on
// the given number of threads.
void beginBucketedFrame(const std::string& path, long bucket, int threads, float fov) {
    qelRenderThreads(threads);
    qelFrameBegin();
    qelRasterViewport(0, 159, 0, 119);
    qelTune(32, bucket, bucket);
    qelOutputFile(QEL_FORMAT_TIFF, path.c_str());
    qelOutputSamples(QEL_SAMPLES_RGBA);
    qelViewPerspective(fov);
    qelSceneBegin();
}

TiffImage endBucketedFrame(const std::string& path) {
    endFrame();
    qelRenderThreads(0);
    return readTiff(path);
}

TiffImage renderSpheresWithTheirOwnValues(const std::string& path, long bucket, int threads) {
    beginBucketedFrame(path, bucket, threads, 60);
    float from[3] = {0, 0, 0}, to[3] = {0.3f, -0.5f, 1};
    qelLightSource(qelQuark("distant"), qelQuark("from"), from, qelQuark("to"), to, 0);
    qelSurface(qelQuark("plastic"), 0);
    qelTranslate(0, 0, 5);
    float noDiffuse = 0;
    qelAttributePush();
    qelTranslate(-1.1f, 0, 0);
    qelSphere(1, -1, 1, 360, qelQuark("kd"), &noDiffuse, 0);
    qelAttributePop();
    qelAttributePush();
    qelTranslate(1.1f, 0, 0);
    qelSphere(1, -1, 1, 360, 0);
    qelAttributePop();
    return endBucketedFrame(path);
}

// A primitive's own shader values are its own: the other sphere keeps the
// shader's, and the image is the same for any bucket size and thread count.
TEST_F(ImageTest, APrimitivesOwnShaderValuesStayWithItInAnyBuckets) {
    TiffImage reference = renderSpheresWithTheirOwnValues(fPath, 12, 1);
    ASSERT_EQ(reference.samples, 4);
    // The centres, each lit head-on but for the light's tilt: the right one
    // has its diffuse light, the left one only its highlight and ambient.
    const uint8_t* left = reference.pixel(80 - 32, 60);
    const uint8_t* right = reference.pixel(80 + 32, 60);
    EXPECT_EQ(left[3], 255);
    EXPECT_EQ(right[3], 255);
    EXPECT_GT(int(right[0]), int(left[0]) + 40);
    for (auto [bucket, threads] :
         {std::pair{48L, 1}, std::pair{12L, 2}, std::pair{12L, 4}, std::pair{48L, 8}}) {
        TiffImage other = renderSpheresWithTheirOwnValues(fPath, bucket, threads);
        EXPECT_TRUE(other.data == reference.data) << bucket << " pixels, " << threads << " threads";
    }
}

TEST_F(ImageTest, ObjectCalledThreeTimesRendersThreeCopies) {
    beginSmallFrame(fPath);
    qelTranslate(0, 0, 10);
    const void* ball = qelObjectBegin();
    qelSphere(1, -1, 1, 360, 0);
    qelObjectEnd();
    for (float x : {-4.0f, 0.0f, 4.0f}) {
        qelAttributePush();
        qelTranslate(x, 0, 0);
        qelObjectCall(ball);
        qelAttributePop();
    }
    endFrame();
    TiffImage image = readTiff(fPath);
    ASSERT_EQ(image.samples, 4);
    // 60 pixels per unit at depth 1: a sphere at depth 10 is 6 pixels wide in radius.
    for (int x : {80 - 24, 80, 80 + 24})
        EXPECT_EQ(image.pixel(x, 60)[3], 255) << x;
    EXPECT_EQ(image.pixel(80 - 12, 60)[3], 0);
    double one = M_PI * 36.0 * 100.0 / 99.0; // pi (60 r / sqrt(d^2 - r^2))^2
    EXPECT_NEAR(double(coveredPixels(image)), 3 * one, 3 * one * 0.06);
}

TEST_F(ImageTest, ObjectsHoldOneKindOfPrimitive) {
    std::vector<std::string> lines;
    static std::vector<std::string>* sLines;
    sLines = &lines;
    qelErrorPrinter([](const char* text) { sLines->emplace_back(text); });
    beginSmallFrame(fPath);
    qelObjectBegin();
    qelSphere(1, -1, 1, 360, 0);
    qelDisk(0, 1, 360, 0);
    qelObjectEnd();
    endFrame();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "error: Parameters inconsistent. qelDisk: all object primitives must be "
                        "of the same type");
}

int gReleases = 0;
int gSubdivisions = 0;

void hundredSpheres(void* data, float detail) {
    ++gSubdivisions;
    EXPECT_GT(detail, 0.0f);
    float radius = *static_cast<float*>(data);
    for (int i = 0; i < 100; ++i) {
        qelAttributePush();
        qelTranslate(float(i % 10) - 4.5f, float(i / 10) - 4.5f, 0);
        qelSphere(radius, -radius, radius, 360, 0);
        qelAttributePop();
    }
}

void countRelease(void*) {
    ++gReleases;
}

TEST_F(ImageTest, ProceduralEmitsItsSpheresAndIsReleasedOnce) {
    gReleases = gSubdivisions = 0;
    static float radius = 0.3f;
    beginSmallFrame(fPath);
    qelTranslate(0, 0, 12);
    float bound[6] = {-5, 5, -5, 5, -1, 1};
    qelProcedural(&radius, bound, hundredSpheres, countRelease);
    endFrame();
    EXPECT_EQ(gSubdivisions, 1);
    EXPECT_EQ(gReleases, 1);
    TiffImage image = readTiff(fPath);
    ASSERT_EQ(image.samples, 4);
    // Spheres at x = -4.5 .. 4.5 by 1, depth 12: 5 pixels apart, 1.5 pixels in radius.
    EXPECT_EQ(image.pixel(80 + 2, 60 + 2)[3], 255); // the sphere at (0.5, 0.5)
    EXPECT_GT(coveredPixels(image), 100 * 3);
}

std::vector<std::string> gReports;
void keepReport(const char* line) {
    gReports.emplace_back(line);
}

// A sphere in front, and a procedural whose bound reaches behind the eye:
// the scene splits it across the eye plane while the first one subdivides.
void sphereAndOneAcrossTheEye(void*, float) {
    qelSphere(0.5f, -0.5f, 0.5f, 360, 0);
    qelTranslate(2, 0, 0);
    float acrossTheEye[6] = {-1, 1, -1, 1, -20, 1};
    qelProcedural(nullptr, acrossTheEye, [](void*, float) { qelSphere(0.5f, -0.5f, 0.5f, 360, 0); },
                  nullptr);
}

TiffImage renderNestedProcedurals(const std::string& path, long bucket, int threads) {
    gReports.clear();
    qelErrorPrinter(keepReport);
    beginBucketedFrame(path, bucket, threads, 90);
    qelSurface(qelQuark("constant"), 0);
    qelTranslate(-1, 0, 5);
    float bound[6] = {-1, 4, -1, 1, -1, 1};
    qelProcedural(nullptr, bound, sphereAndOneAcrossTheEye, nullptr);
    return endBucketedFrame(path);
}

// Procedurals subdivide on the workers one at a time, one of them inside
// another's subdivision, and their spheres come out the same on any thread
// count and bucket size.
TEST_F(ImageTest, NestedProceduralsRenderAlikeOnAnyThreads) {
    TiffImage reference = renderNestedProcedurals(fPath, 16, 1);
    ASSERT_EQ(reference.samples, 4);
    EXPECT_EQ(gReports, std::vector<std::string>{});
    // 80 pixels per unit at depth 1 across 160 pixels: the spheres sit 16
    // pixels left and right of the centre, 8 pixels in radius.
    EXPECT_EQ(reference.pixel(80 - 16, 60)[3], 255);
    EXPECT_EQ(reference.pixel(80 + 16, 60)[3], 255);
    EXPECT_EQ(reference.pixel(80, 60)[3], 0);
    for (auto [bucket, threads] :
         {std::pair{48L, 1}, std::pair{16L, 4}, std::pair{8L, 2}, std::pair{16L, 8}}) {
        TiffImage other = renderNestedProcedurals(fPath, bucket, threads);
        EXPECT_TRUE(other.data == reference.data) << bucket << " pixels, " << threads << " threads";
        EXPECT_EQ(gReports, std::vector<std::string>{});
    }
}

// A procedural that makes itself again, as a careless one might.
void itselfAgain(void*, float) {
    float bound[6] = {-1, 1, -1, 1, -1, 1};
    qelProcedural(nullptr, bound, itselfAgain, nullptr);
}

TEST_F(ImageTest, ProceduralsMakingThemselvesEndAtTheirDepth) {
    gReports.clear();
    qelErrorPrinter(keepReport);
    beginSmallFrame(fPath);
    qelTranslate(0, 0, 5);
    float bound[6] = {-1, 1, -1, 1, -1, 1};
    qelProcedural(nullptr, bound, itselfAgain, nullptr);
    endFrame();
    // Made while the scene end renders, after the callbacks' own requests
    // ended: the report carries the scene end's name, on any thread count.
    EXPECT_EQ(gReports, (std::vector<std::string>{
                            "error: Parameter out of range. qelSceneEnd: procedurals made by "
                            "procedurals 64 deep; this one is left out"}));
}

// Scenes read but not rendered: the null hider keeps no primitive.
void beginUnrenderedScene() {
    qelFrameBegin();
    qelHider(QEL_HIDER_NULL);
    qelSceneBegin();
}

TEST_F(ImageTest, ObjectInstancesStopAtTheScenesBudget) {
    gReports.clear();
    qelErrorPrinter(keepReport);
    beginUnrenderedScene();
    const void* pile = qelObjectBegin();
    for (int k = 0; k < 1000; ++k)
        qelSphere(0.01f, -0.01f, 0.01f, 360, 0);
    qelObjectEnd();
    // 32768 primitives, and 8 for each of the 1000 requested: 40 calls
    for (int k = 0; k < 40; ++k)
        qelObjectCall(pile);
    EXPECT_TRUE(gReports.empty());
    for (int k = 0; k < 3; ++k)
        qelObjectCall(pile);
    endFrame();
    EXPECT_EQ(gReports, (std::vector<std::string>{
                            "error: Parameter out of range. qelObjectCall: object instances past "
                            "40768 primitives in a scene are left out"}));
    // a scene of its own has a budget of its own
    gReports.clear();
    beginUnrenderedScene();
    const void* ball = qelObjectBegin();
    qelSphere(1, -1, 1, 360, 0);
    qelObjectEnd();
    qelObjectCall(ball);
    endFrame();
    EXPECT_TRUE(gReports.empty());
}

TEST_F(ImageTest, UnwritableFileIsReported) {
    fPath = "/nonexistent-dir/never.tif";
    std::vector<std::string>* lines = new std::vector<std::string>;
    static std::vector<std::string>* sLines;
    sLines = lines;
    qelErrorPrinter([](const char* text) { sLines->emplace_back(text); });
    renderSphere();
    ASSERT_FALSE(lines->empty());
    EXPECT_EQ(lines->back(), "error: Parameter out of range. qelSceneEnd: cannot write image file "
                             "/nonexistent-dir/never.tif");
    delete lines;
}

} // namespace
