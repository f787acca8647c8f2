// Motion blur and depth of field rendered through the API, against closed
// forms: a square swept across the shutter spreads its coverage evenly over
// its streak, and a square out of focus spreads over its circle of
// confusion; the images do not depend on threads or buckets.
#include "TiffImage.h"
#include "api/qel.h"
#include "api/qelrender.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

namespace {

std::vector<std::string> gReports;
void record(const char* line) {
    gReports.emplace_back(line);
}

unsigned short point() {
    return qelQuark("point");
}

// An axis-aligned square in the plane z = 0.
void square(float x0, float y0, float side) {
    float corners[12] = {x0, y0, 0, x0 + side, y0, 0, x0 + side, y0 + side, 0, x0, y0 + side, 0};
    qelPolygon(4, point(), corners, 0);
}

float alphaAt(const TiffImage& image, uint32_t x, uint32_t y) {
    return float(image.pixel(x, y)[3]) / 255.0f;
}

class MotionAndLensTest : public ::testing::Test {
protected:
    void SetUp() override {
        gReports.clear();
        qelErrorPrinter(record);
        qelReset();
    }
    void TearDown() override { qelRenderThreads(0); }

    std::string nextPath() {
        return ::testing::TempDir() + "motion-lens-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" +
               std::to_string(fRenders++) + ".tif";
    }

    // A frame of white constant surfaces in RGBA, box-filtered one pixel
    // wide from 8 by 8 samples: the frame's own requests, then the camera's,
    // then the scene.
    TiffImage render(const std::function<void()>& frame, const std::function<void()>& camera,
                     const std::function<void()>& scene) {
        const std::string path = nextPath();
        qelFrameBegin();
        qelOutputFile(QEL_FORMAT_TIFF, path.c_str());
        qelOutputSamples(QEL_SAMPLES_RGBA);
        qelFilter(QEL_FILTER_BOX);
        qelFilterWidth(1, 1);
        qelSampleUniform(8, 8);
        frame();
        camera();
        qelSceneBegin();
        qelSurface(qelQuark("constant"), 0);
        scene();
        qelSceneEnd();
        qelFrameEnd();
        return readTiff(path);
    }

    // A 200 by 20 frame, 10 pixels a unit, seen orthographically from z = -5.
    TiffImage renderStrip(const std::function<void()>& options, const std::function<void()>& scene,
                          long bucket = 16) {
        return render(
            [&] {
                qelRasterViewport(0, 199, 0, 19);
                qelImageWindow(-10, 10, -1, 1);
                qelTune(32, bucket, bucket);
                options();
            },
            [] {
                qelViewOrthographic();
                qelTranslate(0, 0, 5);
            },
            scene);
    }

    // A 100 by 100 frame seen in perspective with a field of view of 90
    // degrees: 50 pixels a unit of x/z.
    TiffImage renderThroughLens(const std::function<void()>& options,
                                const std::function<void()>& scene) {
        return render(
            [&] {
                qelRasterViewport(0, 99, 0, 99);
                options();
            },
            [] { qelViewPerspective(90); }, scene);
    }

    // The 2-unit square from x = -6 to -4, translated by 8 units along x
    // between times 0 and 1.
    static void sweptSquare() {
        qelMotionBegin(2, 0.0, 1.0);
        qelTranslate(0, 0, 0);
        qelTranslate(8, 0, 0);
        qelMotionEnd();
        square(-6, -1, 2);
    }

    int fRenders = 0;
};

// A point x of the strip is covered while x - 8t lies in [-6, -4]: a
// fraction 2/8 of the shutter from x = -4 to 2, rising from -6 and falling to
// 4 in straight lines; the square's area is kept.
TEST_F(MotionAndLensTest, ASweptSquareSpreadsItsCoverageOverItsStreak) {
    const TiffImage image = renderStrip([] { qelShutter(0, 1); }, sweptSquare);
    ASSERT_EQ(image.width, 200u);
    auto expected = [](float x) {
        if (x <= -6 || x >= 4) return 0.0f;
        if (x < -4) return (x + 6) / 8;
        if (x > 2) return (4 - x) / 8;
        return 0.25f;
    };
    for (uint32_t y = 2; y < 18; y += 5) {
        double sum = 0.0;
        for (uint32_t px = 0; px < image.width; ++px) {
            const float x = (float(px) + 0.5f) / 10.0f - 10.0f;
            EXPECT_NEAR(alphaAt(image, px, y), expected(x), 0.04f) << "pixel " << px << ", " << y;
            sum += alphaAt(image, px, y);
        }
        EXPECT_NEAR(sum, 20.0, 0.4) << "row " << y; // the square is 20 pixels wide
    }
    EXPECT_TRUE(gReports.empty());
}

TEST_F(MotionAndLensTest, AdaptiveSamplingSeesTheStreakToo) {
    const TiffImage image = renderStrip(
        [] {
            qelShutter(0, 1);
            qelSampleAdaptive(0.001f);
        },
        sweptSquare);
    double sum = 0.0, plateau = 0.0;
    for (uint32_t px = 0; px < image.width; ++px) {
        sum += alphaAt(image, px, 10);
        if (px >= 65 && px < 115) plateau += alphaAt(image, px, 10); // x from -3.5 to 1.5
    }
    EXPECT_NEAR(sum, 20.0, 1.0);
    EXPECT_NEAR(plateau / 50.0, 0.25, 0.02);
}

// Under a shutter closed at time 0.5 the square lies from x = -2 to 0.
TEST_F(MotionAndLensTest, AClosedShutterSeesItsTimeSharp) {
    const TiffImage image = renderStrip([] { qelShutter(0.5f, 0.5f); }, sweptSquare);
    long covered = 0;
    for (uint32_t px = 0; px < image.width; ++px)
        covered += alphaAt(image, px, 10) > 0.5f;
    EXPECT_EQ(covered, 20);
    EXPECT_EQ(alphaAt(image, 85, 10), 1.0f);                 // x = -1.45
    EXPECT_EQ(alphaAt(image, 45, 10), 0.0f);                 // x = -5.45, where it was at time 0
    const TiffImage first = renderStrip([] {}, sweptSquare); // the shutter at 0
    EXPECT_EQ(alphaAt(first, 45, 10), 1.0f);
}

// Shutter times between those of the motion see it in between: from time
// 0.25 to 0.75 the square moves from [-4, -2] to [0, 2].
TEST_F(MotionAndLensTest, AShutterWithinTheMotionSeesItsPart) {
    const TiffImage image = renderStrip([] { qelShutter(0.25f, 0.75f); }, sweptSquare);
    // Covered while x lies in [-4 + 4f, -2 + 4f], f the fraction of the shutter.
    EXPECT_NEAR(alphaAt(image, 89, 10), 0.5f, 0.04f);    // x = -1.05
    EXPECT_NEAR(alphaAt(image, 75, 10), 0.3875f, 0.04f); // x = -2.45
    EXPECT_EQ(alphaAt(image, 55, 10), 0.0f);             // x = -4.45, left before the shutter opens
    EXPECT_EQ(alphaAt(image, 120, 10), 0.0f);            // x = 2.05, not reached by its close
}

TEST_F(MotionAndLensTest, MotionImagesDoNotDependOnThreadsOrBuckets) {
    const TiffImage one = renderStrip([] { qelShutter(0, 1); }, sweptSquare, 16);
    qelRenderThreads(2);
    const TiffImage two = renderStrip([] { qelShutter(0, 1); }, sweptSquare, 7);
    ASSERT_FALSE(one.data.empty());
    EXPECT_EQ(one.data, two.data);
}

// A square 0.4 units wide at depth 2 is 10 pixels wide. Through a lens of
// radius 1 / (2 · 1) focused at depth 1, its points spread over discs of
// radius 0.5 · |1/1 - 1/2| · 50 = 12.5 pixels: the 100 pixels of cover
// keep their sum and lie evenly, 100 / (π 12.5²), about the centre.
TEST_F(MotionAndLensTest, ASquareOutOfFocusSpreadsOverItsCircleOfConfusion) {
    const TiffImage image = renderThroughLens([] { qelDepthOfField(1, 1, 1); },
                                              [] {
                                                  qelTranslate(0, 0, 2);
                                                  square(-0.2f, -0.2f, 0.4f);
                                              });
    ASSERT_EQ(image.width, 100u);
    const float radius = 12.5f, halfDiagonal = 5.0f * std::numbers::sqrt2_v<float>;
    const float density = 100.0f / (std::numbers::pi_v<float> * radius * radius);
    double sum = 0.0;
    for (uint32_t y = 0; y < 100; ++y)
        for (uint32_t x = 0; x < 100; ++x) {
            const float a = alphaAt(image, x, y);
            sum += a;
            const float r = std::hypot(float(x) + 0.5f - 50.0f, float(y) + 0.5f - 50.0f);
            if (r > radius + halfDiagonal + 1.0f) {
                EXPECT_EQ(a, 0.0f) << x << ", " << y;
            } else if (r < radius - halfDiagonal - 1.0f) {
                EXPECT_NEAR(a, density, 0.05f) << x << ", " << y;
            }
        }
    EXPECT_NEAR(sum, 100.0, 3.0);
    EXPECT_TRUE(gReports.empty());
}

TEST_F(MotionAndLensTest, APointAtTheFocalDistanceAndAPinholeStaySharp) {
    auto centredSquare = [](float depth) {
        return [depth] {
            qelTranslate(0, 0, depth);
            square(-0.1f * depth, -0.1f * depth, 0.2f * depth);
        };
    };
    auto coverage = [](const TiffImage& image) {
        long covered = 0;
        for (uint32_t y = 0; y < 100; ++y)
            for (uint32_t x = 0; x < 100; ++x)
                covered += alphaAt(image, x, y) > 0.5f;
        return covered;
    };
    // 10 pixels wide at any depth.
    const TiffImage focused = renderThroughLens([] { qelDepthOfField(1, 1, 3); }, centredSquare(3));
    EXPECT_EQ(coverage(focused), 100);
    EXPECT_EQ(alphaAt(focused, 50, 50), 1.0f);
    const TiffImage pinhole =
        renderThroughLens([] { qelDepthOfField(1e38f, 1, 3); }, centredSquare(1.5f));
    EXPECT_EQ(coverage(pinhole), 100);
    const TiffImage blurred =
        renderThroughLens([] { qelDepthOfField(1, 1, 3); }, centredSquare(1.5f));
    EXPECT_LT(alphaAt(blurred, 50, 50), 0.9f);
}

} // namespace
