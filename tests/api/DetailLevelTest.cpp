// Levels of detail rendered through the API: of two representations whose
// ranges meet, the one the detail chooses is drawn, and across their
// transition the samples are shared out between them as the closed form
// says.
#include "TiffImage.h"
#include "api/qel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> gReports;
void record(const char* line) {
    gReports.emplace_back(line);
}

class DetailLevelTest : public ::testing::Test {
protected:
    void SetUp() override {
        gReports.clear();
        qelErrorPrinter(record);
        qelReset();
    }

    // A 100 by 100 frame, 50 pixels a unit, orthographic, with two
    // representations of a square covering it: red for details up to 12000,
    // fading out from 8000, and blue from 8000, fading in up to 12000. The
    // detail bound's raster area is 100 · 100 pixels.
    TiffImage render(float relativeDetail) {
        const std::string path = ::testing::TempDir() + "detail-" +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name() +
                                 "-" + std::to_string(fRenders++) + ".tif";
        qelFrameBegin();
        qelRasterViewport(0, 99, 0, 99);
        qelImageWindow(-1, 1, -1, 1);
        qelOutputFile(QEL_FORMAT_TIFF, path.c_str());
        qelOutputSamples(QEL_SAMPLES_RGBA);
        qelSampleUniform(4, 4);
        qelRelativeDetail(relativeDetail);
        qelViewOrthographic();
        qelTranslate(0, 0, 5);
        qelSceneBegin();
        qelSurface(qelQuark("constant"), 0);
        const float bound[6] = {-1, 1, -1, 1, -1, 1};
        qelDetail(bound);
        // Wider than the image, so that the filters see it everywhere.
        float square[12] = {-2, -2, 0, 2, -2, 0, 2, 2, 0, -2, 2, 0};
        const float red[3] = {1, 0, 0}, blue[3] = {0, 0, 1};
        qelDetailRange(0, 0, 8000, 12000);
        qelColor(red);
        qelPolygon(4, qelQuark("point"), square, 0);
        qelDetailRange(8000, 12000, 1e38f, 1e38f);
        qelColor(blue);
        qelPolygon(4, qelQuark("point"), square, 0);
        qelSceneEnd();
        qelFrameEnd();
        return readTiff(path);
    }

    // The mean of a channel over the image, 0 to 1.
    static double mean(const TiffImage& image, int channel) {
        double sum = 0.0;
        for (uint32_t y = 0; y < image.height; ++y)
            for (uint32_t x = 0; x < image.width; ++x)
                sum += image.pixel(x, y)[channel];
        return sum / 255.0 / double(image.width * image.height);
    }

    int fRenders = 0;
};

TEST_F(DetailLevelTest, TheDetailChoosesTheRepresentation) {
    const TiffImage low = render(0.5f); // detail 5000: red alone
    EXPECT_DOUBLE_EQ(mean(low, 0), 1.0);
    EXPECT_DOUBLE_EQ(mean(low, 2), 0.0);
    const TiffImage high = render(2.0f); // detail 20000: blue alone
    EXPECT_DOUBLE_EQ(mean(high, 0), 0.0);
    EXPECT_DOUBLE_EQ(mean(high, 2), 1.0);
    EXPECT_TRUE(gReports.empty());
}

// At detail 9000 red's window is the draws from 1 - (12000 - 9000) / 4000
// = 0.25 on, blue's those below 0.25: every sample sees one of them.
TEST_F(DetailLevelTest, AcrossTheTransitionTheSamplesAreSharedOut) {
    const TiffImage image = render(0.9f);
    EXPECT_NEAR(mean(image, 0), 0.75, 0.02);
    EXPECT_NEAR(mean(image, 2), 0.25, 0.02);
    EXPECT_DOUBLE_EQ(mean(image, 3), 1.0);
}

} // namespace
