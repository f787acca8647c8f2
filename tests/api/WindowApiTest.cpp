// The display windows of the renderer library, driven through its API on a
// virtual X screen and looked at through a second client of the screen.
#include "TiffImage.h"
#include "api/qel.h"
#include "api/qelwindow.h"
#include "renderer/display/MedianCut.h"
#include "tests/renderer/display/XClient.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

using namespace quelmark;

namespace {

void quiet(const char*) {}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class WindowApiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fClient.connected()) << "no X server: these tests run under tools/with-xvfb";
        qelErrorPrinter(quiet);
        qelReset();
        qelWindowsEnable(1);
    }
    void TearDown() override {
        for (unsigned long window : fClient.topLevelWindows())
            fClient.close(window);
        waitUntilClosed();
        for (const std::string& path : fPaths)
            std::remove(path.c_str());
    }

    std::string path(const char* name) {
        fPaths.push_back(::testing::TempDir() + std::to_string(::getpid()) + "-" + name + ".tif");
        return fPaths.back();
    }

    static void waitUntilClosed() {
        for (int tries = 0; tries < 50 && qelWindowEvents(100) > 0; ++tries) {
        }
    }

    // Three lit plastic spheres at 160 by 120 pixels.
    static void beginScene(const std::string& file) {
        qelFrameBegin();
        qelRasterViewport(0, 159, 0, 119);
        qelOutputFile(QEL_FORMAT_TIFF, file.c_str());
        qelOutputSamples(QEL_SAMPLES_RGB);
        qelViewPerspective(60);
        qelSceneBegin();
        qelLightSource(qelQuark("ambientlight"), 0);
        qelLightSource(qelQuark("distantlight"), 0);
        qelSurface(qelQuark("plastic"), 0);
        const float colors[3][3] = {{1, 0.2f, 0.1f}, {0.2f, 0.8f, 0.3f}, {0.3f, 0.4f, 1}};
        for (int k = 0; k < 3; ++k) {
            qelAttributePush();
            qelColor(colors[k]);
            qelTranslate(float(k - 1) * 1.4f, 0, 5);
            qelSphere(0.8f, -0.8f, 0.8f, 360, 0);
            qelAttributePop();
        }
    }
    static void endScene() {
        qelSceneEnd();
        qelFrameEnd();
    }

    XClient fClient;
    std::vector<std::string> fPaths;
};

uint32_t rgbAt(const TiffImage& image, size_t k) {
    const uint8_t* p = image.data.data() + k * image.samples;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
}

} // namespace

TEST_F(WindowApiTest, ScreenAfterRenderingShowsTheImage) {
    const std::string file = path("shown");
    beginScene(file);
    endScene();
    std::vector<unsigned long> windows = fClient.windowsNamed(file);
    ASSERT_EQ(windows.size(), 1u);
    TiffImage image = readTiff(file);
    ASSERT_EQ(image.width * image.height, 160u * 120u);
    std::vector<uint32_t> colors;
    for (size_t k = 0; k < size_t(image.width) * image.height; ++k)
        colors.push_back(rgbAt(image, k));
    std::vector<uint32_t> expected = colors;
    if (fClient.paletteScreen()) {
        PaletteImage cut = MedianCut::quantize(colors.data(), image.width, image.height);
        for (size_t k = 0; k < colors.size(); ++k)
            expected[k] = cut.palette[cut.indices[k]];
    }
    EXPECT_EQ(fClient.screenshot(windows[0]), expected);
}

TEST_F(WindowApiTest, ClosingTheWindowMidRenderLeavesTheImageComplete) {
    const std::string reference = path("reference"), closed = path("closed");
    qelWindowsEnable(0);
    beginScene(reference);
    endScene();
    EXPECT_EQ(qelWindowsOpen(), 0);
    qelWindowsEnable(1);

    beginScene(closed);
    qelRenderInit();
    int buckets = 0;
    while (qelRenderBucket()) {
        if (++buckets != 3) continue;
        std::vector<unsigned long> windows = fClient.windowsNamed(closed);
        ASSERT_EQ(windows.size(), 1u);
        fClient.close(windows[0]);
        waitUntilClosed();
        EXPECT_EQ(qelWindowsOpen(), 0);
    }
    EXPECT_GT(buckets, 3);
    endScene();
    const std::string bytes = fileBytes(closed);
    EXPECT_FALSE(bytes.empty());
    EXPECT_EQ(bytes, fileBytes(reference));
}

TEST_F(WindowApiTest, EachFrameKeepsItsWindowAfterTheScene) {
    const std::string first = path("first"), second = path("second");
    beginScene(first);
    endScene();
    beginScene(second);
    endScene();
    EXPECT_EQ(qelWindowsOpen(), 2);
    EXPECT_EQ(qelWindowEvents(0), 2);
    ASSERT_EQ(fClient.windowsNamed(first).size(), 1u);
    ASSERT_EQ(fClient.windowsNamed(second).size(), 1u);
    fClient.close(fClient.windowsNamed(first)[0]);
    for (int tries = 0; tries < 50 && qelWindowEvents(100) > 1; ++tries) {
    }
    EXPECT_EQ(qelWindowsOpen(), 1);
}

TEST_F(WindowApiTest, WindowsTurnedOffOpenNone) {
    const std::string file = path("no-window");
    qelWindowsEnable(0);
    beginScene(file);
    endScene();
    qelWindowsEnable(1);
    EXPECT_EQ(qelWindowsOpen(), 0);
    EXPECT_TRUE(fClient.windowsNamed(file).empty());
    EXPECT_EQ(readTiff(file).width, 160u);
}

// A program's own event loop watches the windows' connection: a close asked
// for by the user makes it readable, and qelWindowEvents(0) then handles it.
TEST_F(WindowApiTest, TheConnectionTellsWhenEventsArrive) {
    const std::string file = path("watched");
    beginScene(file);
    endScene();
    int fd = qelWindowConnection();
    ASSERT_GE(fd, 0);
    // The window's first events (mapping, exposure) come in and are handled.
    for (int round = 0; round < 10; ++round)
        qelWindowEvents(20);
    struct pollfd watch = {fd, POLLIN, 0};
    EXPECT_EQ(::poll(&watch, 1, 0), 0) << "nothing waits once the events are handled";
    ASSERT_EQ(fClient.windowsNamed(file).size(), 1u);
    fClient.close(fClient.windowsNamed(file)[0]);
    EXPECT_EQ(::poll(&watch, 1, 5000), 1);
    EXPECT_EQ(qelWindowEvents(0), 0);
}
