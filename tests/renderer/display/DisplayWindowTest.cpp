// The display window on a real X screen: run on a virtual screen of 24 bits
// (true colour) and of 8 bits (a palette), each checked through a second
// client that looks at the screen as the user sees it.
#include "common/IconImage.h"
#include "renderer/display/Display.h"
#include "renderer/display/MedianCut.h"
#include "renderer/display/PackedColor.h"
#include "renderer/display/TDisplayWindow.h"
#include "renderer/display/WindowSystem.h"
#include "renderer/state/Option.h"
#include "renderer/state/State.h"
#include "tests/renderer/display/OpenFrame.h"
#include "tests/renderer/display/TempImagePath.h"
#include "tests/renderer/display/TiffReadBack.h"
#include "tests/renderer/display/XClient.h"
#include "tests/renderer/geometry/ErrorCapture.h"

#include "embedded/displayIcon.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

using namespace quelmark;

namespace {

using packed::blue;
using packed::green;
using packed::red;
using packed::rgb;

constexpr long kWidth = 96, kHeight = 64;

// A smooth gradient with noise on it, as a rendered picture has.
std::vector<uint32_t> picture(long width, long height) {
    std::vector<uint32_t> colors;
    uint32_t seed = 12345;
    for (long y = 0; y < height; ++y)
        for (long x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            int noise = int((seed >> 16) % 17) - 8;
            auto level = [noise](long v) { return uint32_t(std::clamp<long>(v + noise, 0, 255)); };
            colors.push_back(
                rgb(level(x * 255 / width), level(y * 255 / height), level(128 + (x - y) / 2)));
        }
    return colors;
}

class DisplayWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        fState = std::make_unique<State>();
        gDisplay = &fDisplay;
        ASSERT_TRUE(fClient.connected()) << "no X server: these tests run under tools/with-xvfb";
        ASSERT_NE(WindowSystem::screen(), nullptr) << WindowSystem::failure();
        fPalette = fClient.paletteScreen();
        const char* expected = std::getenv("QEL_EXPECTED_SCREEN");
        if (expected) {
            ASSERT_EQ(fPalette, std::strcmp(expected, "palette") == 0)
                << "the screen is not the " << expected << " screen this run is for";
        }
    }
    void TearDown() override {
        gDisplay = nullptr;
        WindowSystem::shutdown();
    }

    // Sends the colours as buckets send rows: in pieces 16 pixels wide.
    void sendRows(const std::vector<uint32_t>& colors, long width, long firstRow, long lastRow) {
        std::vector<uint32_t> values;
        for (long y = firstRow; y <= lastRow; ++y)
            for (long x0 = 0; x0 < width; x0 += 16) {
                long x1 = std::min(x0 + 15, width - 1);
                values.clear();
                for (long x = x0; x <= x1; ++x) {
                    uint32_t c = colors[size_t(y * width + x)];
                    values.insert(values.end(),
                                  {uint32_t(red(c)), uint32_t(green(c)), uint32_t(blue(c))});
                }
                fDisplay.span(x0, x1, y, values.data());
            }
    }

    void showPicture(const std::vector<uint32_t>& colors, long width, long height) {
        openFrame(fDisplay, "window test", width, height, 0, 0);
        ASSERT_NE(fDisplay.window(), nullptr);
        sendRows(colors, width, 0, height - 1);
        fDisplay.close();
    }

    std::vector<uint32_t> screen() const { return fClient.screenshot(fDisplay.window()->id()); }

    // On a palette screen: the screen shows the median cut of the colours,
    // through the window's own colour map.
    void expectMedianCutShown(const std::vector<uint32_t>& colors, long width, long height) {
        PaletteImage cut = MedianCut::quantize(colors.data(), width, height);
        const TDisplayWindow& window = *fDisplay.window();
        EXPECT_EQ(window.palette(), cut.palette);
        EXPECT_EQ(fClient.installedColormap(), fClient.colormapOf(window.id()));
        std::vector<uint32_t> shown = screen();
        ASSERT_EQ(shown.size(), colors.size());
        std::vector<uint32_t> expected;
        for (uint8_t index : cut.indices)
            expected.push_back(cut.palette[index]);
        EXPECT_EQ(shown, expected);
    }

    std::unique_ptr<State> fState;
    Display fDisplay;
    XClient fClient;
    bool fPalette = false;
};

} // namespace

TEST_F(DisplayWindowTest, WindowIsTitledAndExactlyTheImage) {
    openFrame(fDisplay, "window test", kWidth, kHeight, 0, 0);
    ASSERT_NE(fDisplay.window(), nullptr);
    std::vector<unsigned long> named = fClient.windowsNamed("window test");
    ASSERT_EQ(named, std::vector<unsigned long>{fDisplay.window()->id()});
    int width = 0, height = 0, minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
    ASSERT_TRUE(fClient.size(named[0], width, height));
    EXPECT_EQ(width, kWidth);
    EXPECT_EQ(height, kHeight);
    ASSERT_TRUE(fClient.sizeLimits(named[0], minWidth, minHeight, maxWidth, maxHeight));
    EXPECT_EQ(minWidth, kWidth);
    EXPECT_EQ(maxWidth, kWidth);
    EXPECT_EQ(minHeight, kHeight);
    EXPECT_EQ(maxHeight, kHeight);
    WindowSystem::sync();
    EXPECT_EQ(screen(), std::vector<uint32_t>(size_t(kWidth * kHeight), 0)) << "starts black";
}

TEST_F(DisplayWindowTest, WindowCarriesTheDisplayIcon) {
    std::optional<IconImage> icon = decodePngIcon(embedded::displayIcon, embedded::displayIconSize);
    ASSERT_TRUE(icon);
    // _NET_WM_ICON: width, height, then 0xAARRGGBB row by row.
    std::vector<uint32_t> expected{uint32_t(icon->width), uint32_t(icon->height)};
    const std::vector<unsigned char>& rgba = icon->rgba;
    for (size_t k = 0; k < rgba.size(); k += 4)
        expected.push_back(uint32_t(rgba[k + 3]) << 24 | uint32_t(rgba[k]) << 16 |
                           uint32_t(rgba[k + 1]) << 8 | rgba[k + 2]);
    ASSERT_EQ(expected.size(), size_t(2 + 48 * 48));

    openFrame(fDisplay, "window test", kWidth, kHeight, 0, 0);
    ASSERT_NE(fDisplay.window(), nullptr);
    EXPECT_EQ(fClient.cardinals(fDisplay.window()->id(), "_NET_WM_ICON"), expected);
    // A second window carries the same icon.
    Display second;
    openFrame(second, "second window", 8, 8, 0, 0);
    ASSERT_NE(second.window(), nullptr);
    EXPECT_EQ(fClient.cardinals(second.window()->id(), "_NET_WM_ICON"), expected);
    second.close();
    fDisplay.close();
}

TEST_F(DisplayWindowTest, RowsShowAsTheyArrive) {
    std::vector<uint32_t> colors = picture(kWidth, kHeight);
    openFrame(fDisplay, "window test", kWidth, kHeight, 0, 0);
    sendRows(colors, kWidth, 0, kHeight / 2 - 1);
    EXPECT_EQ(fDisplay.window()->lastRow(), kHeight / 2 - 1);
    WindowSystem::sync();
    std::vector<uint32_t> shown = screen();
    ASSERT_EQ(shown.size(), colors.size());
    for (size_t k = 0; k < shown.size(); ++k) {
        bool received = long(k) < kWidth * kHeight / 2;
        uint32_t expected = received ? colors[k] : 0;
        if (!fPalette) {
            ASSERT_EQ(shown[k], expected) << "pixel " << k;
            continue;
        }
        // Until the display closes a palette screen shows a colour cube.
        for (int shift : {0, 8, 16})
            ASSERT_NEAR(int((shown[k] >> shift) & 0xFF), int((expected >> shift) & 0xFF), 26)
                << "pixel " << k;
    }
}

TEST_F(DisplayWindowTest, AfterCloseTheScreenShowsTheFrameBuffer) {
    std::vector<uint32_t> colors = picture(kWidth, kHeight);
    showPicture(colors, kWidth, kHeight);
    std::vector<uint32_t> kept;
    const FrameBuffer& image = fDisplay.image();
    for (long y = 0; y < kHeight; ++y)
        for (long x = 0; x < kWidth; ++x)
            kept.push_back(rgb(image.slot(x, y, 0) & 0xFF, image.slot(x, y, 1) & 0xFF,
                               image.slot(x, y, 2) & 0xFF));
    ASSERT_EQ(kept, colors);
    EXPECT_TRUE(fDisplay.window()->pixels().empty()) << "the colour array is freed at close";
    if (fPalette) {
        expectMedianCutShown(kept, kWidth, kHeight);
    } else {
        EXPECT_EQ(screen(), kept);
    }
}

TEST_F(DisplayWindowTest, ExposedWindowIsRepaintedFromItsCopy) {
    std::vector<uint32_t> colors = picture(kWidth, kHeight);
    showPicture(colors, kWidth, kHeight);
    std::vector<uint32_t> before = screen();
    fClient.remap(fDisplay.window()->id());
    EXPECT_EQ(WindowSystem::processEvents(100), 1);
    WindowSystem::sync();
    EXPECT_EQ(screen(), before);
    if (!fPalette) {
        EXPECT_EQ(before, colors);
    }
}

TEST_F(DisplayWindowTest, GainingTheFocusInstallsTheWindowsPalette) {
    if (!fPalette) GTEST_SKIP() << "a true-colour screen has no palette to install";
    std::vector<uint32_t> colors = picture(kWidth, kHeight);
    showPicture(colors, kWidth, kHeight);
    const unsigned long id = fDisplay.window()->id();
    fClient.installDefaultColormap();
    ASSERT_NE(fClient.installedColormap(), fClient.colormapOf(id));
    fClient.focus(id);
    WindowSystem::processEvents(100);
    WindowSystem::sync();
    EXPECT_EQ(fClient.installedColormap(), fClient.colormapOf(id));
    expectMedianCutShown(colors, kWidth, kHeight);
}

TEST_F(DisplayWindowTest, SpansReachingOutsideAreClipped) {
    openFrame(fDisplay, "window test", 4, 2, 0, 0);
    const uint32_t values[] = {1, 2, 3, 255, 0, 0, 0, 255, 0, 9, 9, 9};
    fDisplay.span(-1, 2, 1, values); // the first pixel lies left of the image
    fDisplay.span(2, 5, 0, values);  // the last two lie right of it
    fDisplay.span(0, 3, 2, values);  // below the image
    fDisplay.close();
    if (fPalette) return; // what a palette makes of four colours is checked elsewhere
    const uint32_t r = rgb(255, 0, 0), g = rgb(0, 255, 0), b = rgb(9, 9, 9);
    EXPECT_EQ(screen(), (std::vector<uint32_t>{0, 0, rgb(1, 2, 3), r, r, g, b, 0}));
}

TEST_F(DisplayWindowTest, ScreenShowsTheLowByteOfEachValue) {
    openFrame(fDisplay, "window test", 2, 1, 0, 0);
    const uint32_t values[] = {0x1FF, 0x7780, 0x10000, 0x12, 0x34, 0x56};
    fDisplay.span(0, 1, 0, values);
    fDisplay.close();
    if (!fPalette) {
        EXPECT_EQ(screen(), (std::vector<uint32_t>{rgb(0xFF, 0x80, 0), rgb(0x12, 0x34, 0x56)}));
    }
}

// Depth is kept as floats of 0 to 1, shown as levels of 0 to 255.
TEST_F(DisplayWindowTest, DepthOnlyOutputShowsGreyLevels) {
    gOption->outputSamples(QEL_SAMPLES_Z);
    openFrame(fDisplay, "window test", kWidth, 2, 0, 0);
    ASSERT_EQ(fDisplay.channels(), 1);
    std::vector<uint32_t> depths;
    for (long x = 0; x < kWidth; ++x)
        depths.push_back(slotFromFloat(float(x * 2) / 255.0f));
    fDisplay.span(0, kWidth - 1, 0, depths.data());
    fDisplay.span(0, kWidth - 1, 1, depths.data());
    fDisplay.close();
    std::vector<uint32_t> shown = screen();
    ASSERT_EQ(shown.size(), size_t(2 * kWidth));
    for (long k = 0; k < 2 * kWidth; ++k) {
        uint32_t c = shown[size_t(k)];
        EXPECT_TRUE(red(c) == green(c) && green(c) == blue(c)) << "pixel " << k << " is not grey";
        if (!fPalette) {
            EXPECT_EQ(red(c), int(k % kWidth * 2 & 0xFF));
        }
    }
}

TEST_F(DisplayWindowTest, OneFlatColourShowsAsItsCell) {
    std::vector<uint32_t> colors(size_t(kWidth * kHeight), rgb(200, 100, 50));
    showPicture(colors, kWidth, kHeight);
    if (!fPalette) {
        EXPECT_TRUE(fDisplay.window()->palette().empty());
        EXPECT_EQ(screen(), colors);
        return;
    }
    // One box, whose colour is its histogram cell on the 0..255 scale.
    const uint32_t cell = rgb(200, 96, 48);
    EXPECT_EQ(fDisplay.window()->palette(), std::vector<uint32_t>{cell});
    EXPECT_EQ(fClient.colormapColors(fClient.installedColormap(), 1), std::vector<uint32_t>{cell});
    EXPECT_EQ(screen(), std::vector<uint32_t>(colors.size(), cell));
}

TEST_F(DisplayWindowTest, FewCellsKeepAColourEach) {
    // 6 x 5 x 4 = 120 histogram cells, each pixel inside one of them.
    std::vector<uint32_t> colors;
    for (long k = 0; k < kWidth * kHeight; ++k) {
        long cell = k % 120;
        colors.push_back(rgb(uint32_t(cell % 6 * 40 + 3), uint32_t(cell / 6 % 5 * 48 + 5),
                             uint32_t(cell / 30 * 64 + 7)));
    }
    showPicture(colors, kWidth, kHeight);
    if (!fPalette) {
        EXPECT_EQ(screen(), colors);
        return;
    }
    EXPECT_EQ(fDisplay.window()->palette().size(), 120u);
    std::vector<uint32_t> shown = screen();
    ASSERT_EQ(shown.size(), colors.size());
    for (size_t k = 0; k < colors.size(); ++k) {
        const uint32_t c = colors[k], corner = c & 0xF8F8F8;
        ASSERT_EQ(shown[k], corner) << "pixel " << k;
    }
}

TEST_F(DisplayWindowTest, ClosedWindowDropsLaterRowsAndTheFileIsComplete) {
    std::string path = tempImagePath("closed-window.tif");
    gOption->outputFile(QEL_FORMAT_TIFF, path.c_str());
    std::vector<uint32_t> colors = picture(kWidth, kHeight);
    openFrame(fDisplay, "window test", kWidth, kHeight, 0, 0);
    sendRows(colors, kWidth, 0, 9);
    unsigned long id = fDisplay.window()->id();
    fClient.close(id);
    for (int tries = 0; tries < 50 && WindowSystem::openWindows() > 0; ++tries)
        WindowSystem::processEvents(100);
    EXPECT_EQ(WindowSystem::openWindows(), 0);
    EXPECT_EQ(fDisplay.window(), nullptr);
    WindowSystem::sync();
    EXPECT_TRUE(fClient.windowsNamed("window test").empty());
    sendRows(colors, kWidth, 10, kHeight - 1);
    fDisplay.close();
    TiffReadBack tiff(path);
    ASSERT_TRUE(tiff.opened);
    ASSERT_EQ(tiff.bytes.size(), colors.size() * 3);
    for (size_t k = 0; k < colors.size(); ++k)
        ASSERT_EQ(rgb(tiff.bytes[3 * k], tiff.bytes[3 * k + 1], tiff.bytes[3 * k + 2]), colors[k]);
    std::remove(path.c_str());
}

TEST_F(DisplayWindowTest, WindowOutlivesItsDisplay) {
    {
        Display display;
        gDisplay = &display;
        openFrame(display, "outliving", 8, 8, 0, 0);
        display.close();
    }
    gDisplay = &fDisplay;
    std::vector<unsigned long> named = fClient.windowsNamed("outliving");
    ASSERT_EQ(named.size(), 1u);
    EXPECT_EQ(WindowSystem::processEvents(0), 1);
    fClient.close(named[0]);
    for (int tries = 0; tries < 50 && WindowSystem::openWindows() > 0; ++tries)
        WindowSystem::processEvents(100);
    EXPECT_EQ(WindowSystem::openWindows(), 0);
}

TEST_F(DisplayWindowTest, ImageTooLargeForAWindowIsKeptInMemory) {
    ErrorCapture capture;
    setErrorHandler(short(kInfo), errorPrint);
    openFrame(fDisplay, "too wide", 40000, 2, 0, 0);
    EXPECT_EQ(fDisplay.window(), nullptr);
    ASSERT_TRUE(fDisplay.hasImage());
    EXPECT_EQ(capture.lines(), std::vector<std::string>{
                                   "info: an image of 40000 x 2 pixels does not fit in a window; "
                                   "the image is not shown"});
}
