// Imagers compiled from the shading language, found in the shader search
// path and rendered through the API: each runs over every finished pixel of
// the frame, before exposure and quantisation.
#include "CompiledShaderScene.h"
#include "api/qel.h"
#include "api/qelrender.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

namespace {

class CompiledImagerTest : public CompiledShaderScene {
protected:
    void compileBackground() {
        compile(R"(
            imager background(color bgcolor = 1) {
                Ci += (1 - alpha) * bgcolor;
                Oi = 1;
                alpha = 1;
            })");
    }
};

constexpr float kBackground[3] = {0.2f, 0.4f, 0.6f};

void backgroundImager() {
    qelImager("background", qelVariable("bgcolor", QEL_CLASS_NO, QEL_TYPE_COLOR), kBackground, 0);
}

// The standard background imager fills what the sphere leaves uncovered:
// the pixels outside it take the background colour, those inside keep
// theirs, and every pixel between gains the background by what it lacks
// of being whole, its own alpha. Every pixel is whole after.
TEST_F(CompiledImagerTest, TheBackgroundFillsWhatTheSphereLeavesUncovered) {
    compileBackground();
    const TiffImage plain = renderSphere(constantSurface);
    const TiffImage imaged = renderSphere(constantSurface, nullptr, backgroundImager);
    ASSERT_EQ(imaged.data.size(), plain.data.size());
    for (const auto& [x, y] : {std::pair{0u, 0u}, {159u, 119u}, {10u, 100u}})
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(imaged.pixel(x, y)[c], kBackground[c] * kLevels, 0.5) << x << " " << y;
    const double inside[3] = {kRed, kGreen, kBlue};
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(imaged.pixel(kCentreX, kCentreY)[c], inside[c] * kLevels, 0.5);
    long partlyCovered = 0;
    for (unsigned y = 0; y < plain.height; ++y)
        for (unsigned x = 0; x < plain.width; ++x) {
            const std::uint8_t* before = plain.pixel(x, y);
            const std::uint8_t* after = imaged.pixel(x, y);
            ASSERT_EQ(after[3], 255) << x << " " << y;
            const double uncovered = 1 - before[3] / kLevels;
            partlyCovered += uncovered > 0.1 && uncovered < 0.9;
            for (int c = 0; c < 3; ++c)
                ASSERT_NEAR(after[c], before[c] + uncovered * kBackground[c] * kLevels, 2.0)
                    << x << " " << y << " " << c;
        }
    EXPECT_GT(partlyCovered, 20);
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// P is the pixel's centre in raster space, on the image's plane; NDC runs
// from 0 to 1 over the raster, so that both shaders give the same ramp.
TEST_F(CompiledImagerTest, AnImagerSeesEachPixelsRasterCentre) {
    compile(R"(
        imager ramp() { Ci = color(xcomp(P) / 160, ycomp(P) / 120, zcomp(P)); }
        imager ndcramp() {
            point q = transform("NDC", P);
            Ci = color(xcomp(q), ycomp(q), 0);
        })");
    for (const char* name : {"ramp", "ndcramp"}) {
        const TiffImage image =
            renderSphere(constantSurface, nullptr, [name] { qelImager(name, 0); });
        for (const auto& [x, y] :
             {std::pair{0u, 0u}, {159u, 119u}, {41u, 90u}, {kCentreX, kCentreY}}) {
            const std::uint8_t* pixel = image.pixel(x, y);
            EXPECT_NEAR(pixel[0], (x + 0.5) / 160 * kLevels, 0.5) << name << " " << x << " " << y;
            EXPECT_NEAR(pixel[1], (y + 0.5) / 120 * kLevels, 0.5) << name << " " << x << " " << y;
            EXPECT_EQ(pixel[2], 0) << name << " " << x << " " << y;
        }
    }
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// Oi and alpha are what the pixel's samples saw, filtered: the opaque
// sphere whole at the centre, nothing in the corner.
TEST_F(CompiledImagerTest, AnImagerSeesThePixelsOpacityAndCoverage) {
    compile(R"(
        imager cover() { Ci = color(comp(Oi, 0), comp(Oi, 2), alpha); })");
    const TiffImage image = renderSphere(constantSurface, nullptr, [] { qelImager("cover", 0); });
    const std::uint8_t* centre = image.pixel(kCentreX, kCentreY);
    const std::uint8_t* corner = image.pixel(0, 0);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(centre[c], 255) << c;
        EXPECT_EQ(corner[c], 0) << c;
    }
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// Random values an imager draws belong to the pixels: the image is the same
// in buckets of any size on any number of threads.
TEST_F(CompiledImagerTest, TheImageIsTheSameInAnyBucketsOnAnyThreads) {
    compile(R"(
        imager grain(float amount = 0.5) {
            Ci += amount * random();
            alpha = 1;
        })");
    const auto render = [&](long bucket, int threads) {
        qelRenderThreads(threads);
        TiffImage image = renderSphere(constantSurface, nullptr, [bucket] {
            qelTune(32, bucket, bucket);
            qelImager("grain", 0);
        });
        qelRenderThreads(0);
        return image;
    };
    const TiffImage reference = render(12, 1);
    std::set<int> reds;
    for (unsigned x = 0; x < reference.width; ++x)
        reds.insert(reference.pixel(x, 0)[0]);
    EXPECT_GT(reds.size(), 40u); // a value of its own in each pixel
    for (const auto& [bucket, threads] : {std::pair{48L, 1}, {7L, 2}, {16L, 3}}) {
        const TiffImage other = render(bucket, threads);
        EXPECT_TRUE(other.data == reference.data) << bucket << " pixels, " << threads << " threads";
    }
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// An imager no place holds, or a shader of another kind, is reported by
// name, and the frame renders without an imager.
TEST_F(CompiledImagerTest, AMissingImagerIsReportedAndTheFrameRendersWithoutOne) {
    compileBackground();
    compile("surface flat() { Ci = 1; Oi = 1; }");
    const TiffImage missing =
        renderSphere(constantSurface, nullptr, [] { qelImager("nosuchimager", 0); });
    EXPECT_EQ(missing.pixel(0, 0)[3], 0);
    ASSERT_EQ(gReports.size(), 1u);
    EXPECT_NE(gReports[0].find("imager \"nosuchimager\": no compiled shader nosuchimager.qso in "
                               "the shader search path \"nowhere:"),
              std::string::npos)
        << gReports[0];

    gReports.clear();
    const TiffImage wrongKind = renderSphere(constantSurface, nullptr, [] {
        backgroundImager();
        qelImager("flat", 0);
    });
    EXPECT_EQ(wrongKind.pixel(0, 0)[3], 0);
    ASSERT_EQ(gReports.size(), 1u);
    EXPECT_NE(gReports[0].find("flat.qso is a surface shader, not an imager shader"),
              std::string::npos)
        << gReports[0];

    // A null name: no imager.
    gReports.clear();
    const TiffImage none = renderSphere(constantSurface, nullptr, [] {
        backgroundImager();
        qelImager(nullptr, 0);
    });
    EXPECT_EQ(none.pixel(0, 0)[3], 0);
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

} // namespace
