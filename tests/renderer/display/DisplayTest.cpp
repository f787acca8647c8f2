#include "renderer/display/Display.h"
#include "renderer/display/WindowSystem.h"
#include "renderer/state/Option.h"
#include "renderer/state/State.h"
#include "tests/renderer/display/TempImagePath.h"
#include "tests/renderer/display/TiffReadBack.h"
#include "tests/renderer/geometry/ErrorCapture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

// A fresh graphics state, so that the output requests reach a default option block.
class DisplayOutput : public ::testing::Test {
protected:
    DisplayOutput() : fState(std::make_unique<State>()) {}

    void openTiff(const std::string& path, long xres, long yres) {
        gOption->outputFile(QEL_FORMAT_TIFF, path.c_str());
        fDisplay.open(path.c_str(), xres, yres, 0, 0);
    }

    std::unique_ptr<State> fState;
    Display fDisplay;
};

} // namespace

TEST_F(DisplayOutput, HasNoImageBeforeOpen) {
    EXPECT_EQ(fDisplay.xDim(), 640);
    EXPECT_EQ(fDisplay.yDim(), 480);
    EXPECT_EQ(fDisplay.pixels(), nullptr);
    const uint32_t row[3] = {1, 2, 3};
    fDisplay.span(0, 0, 0, row);
    fDisplay.close();
    EXPECT_EQ(fDisplay.pixels(), nullptr);
}

TEST_F(DisplayOutput, OpenTakesTheLayoutTheOptionsHaveThen) {
    gOption->outputSamples(0x307);
    gOption->colorQuantize(0, 0, 1);
    fDisplay.open("Quelmark", 3, 2, 0, 0);
    gOption->outputSamples(0x301); // too late for this image
    EXPECT_EQ(fDisplay.xDim(), 3);
    EXPECT_EQ(fDisplay.yDim(), 2);
    EXPECT_EQ(fDisplay.channels(), 5);
    ASSERT_NE(fDisplay.pixels(), nullptr);
    EXPECT_TRUE(fDisplay.image().format().isFloatSlot(3)); // alpha shares the colour one
    EXPECT_TRUE(fDisplay.image().format().isFloatSlot(4)); // depth one stays 0
}

TEST_F(DisplayOutput, SpansFillTheImageAndAreClipped) {
    fDisplay.open("Quelmark", 2, 2, 0, 0);
    const std::vector<uint32_t> row = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    fDisplay.span(1, 3, 1, row.data()); // only pixel 1 is inside
    fDisplay.span(0, 2, 2, row.data()); // below the image
    std::vector<uint32_t> image(fDisplay.pixels(), fDisplay.pixels() + 12);
    EXPECT_EQ(image, (std::vector<uint32_t>{0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3}));
}

TEST_F(DisplayOutput, CloseWritesTheRequestedTiffFile) {
    std::string path = tempImagePath("display.tif");
    openTiff(path, 2, 1);
    const std::vector<uint32_t> row = {255, 128, 0, 9, 8, 7};
    fDisplay.span(0, 1, 0, row.data());
    fDisplay.close();
    TiffReadBack tiff(path);
    ASSERT_TRUE(tiff.opened);
    EXPECT_EQ(tiff.width, 2u);
    EXPECT_EQ(tiff.height, 1u);
    EXPECT_EQ(tiff.bitsPerSample, 8);
    EXPECT_EQ(tiff.bytes, (std::vector<unsigned char>{255, 128, 0, 9, 8, 7}));
}

TEST_F(DisplayOutput, CloseWritesNoFileForTheDisplayOutput) {
    std::string path = tempImagePath("shown-only");
    gOption->outputDisplay(path.c_str());
    fDisplay.open(path.c_str(), 2, 2, 0, 0);
    fDisplay.close();
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(DisplayOutput, UnwritableFileIsReportedOnce) {
    ErrorCapture capture;
    openTiff("/nonexistent-dir/x.tif", 2, 2);
    fDisplay.close();
    fDisplay.close();
    EXPECT_EQ(capture.lines(),
              std::vector<std::string>{
                  "error: Parameter out of range. cannot write image file /nonexistent-dir/x.tif"});
}

TEST_F(DisplayOutput, ImageTooLargeToKeepIsReportedAndNotWritten) {
    ErrorCapture capture;
    std::string path = tempImagePath("huge.tif");
    openTiff(path, 1L << 20, 1L << 20);
    EXPECT_EQ(fDisplay.pixels(), nullptr);
    const uint32_t row[3] = {1, 2, 3};
    fDisplay.span(0, 0, 0, row);
    fDisplay.close();
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(capture.lines(),
              (std::vector<std::string>{
                  "error: Parameter out of range. cannot keep an image of 1048576 x 1048576 pixels",
                  "error: Parameter out of range. cannot write image file " + path}));
}

namespace {

// Displays on a machine without a window system, whatever DISPLAY the tests
// were started with.
class DisplayWithoutWindows : public ::testing::Test {
protected:
    DisplayWithoutWindows() : fState(std::make_unique<State>()) {
        const char* display = std::getenv("DISPLAY");
        fSavedDisplay = display ? display : "";
        ::setenv("DISPLAY", "", 1);
        WindowSystem::shutdown();
        setErrorHandler(short(kInfo), errorPrint);
    }
    ~DisplayWithoutWindows() override {
        setErrorHandler(short(kInfo), errorIgnore);
        ::setenv("DISPLAY", fSavedDisplay.c_str(), 1);
        WindowSystem::setEnabled(true);
        WindowSystem::shutdown();
    }

    // Opens and closes a display of a scene that writes no file.
    static void showOnly(const char* name) {
        gOption->outputDisplay(name);
        Display display;
        display.open(name, 4, 3, 0, 0);
        EXPECT_EQ(display.window(), nullptr);
        EXPECT_NE(display.pixels(), nullptr) << "the image is still kept";
        display.close();
    }

    std::unique_ptr<State> fState;
    std::string fSavedDisplay;
    ErrorCapture fCapture;
};

} // namespace

TEST_F(DisplayWithoutWindows, SceneWritingNoFileSaysOnceThatItIsNotShown) {
    showOnly("first");
    showOnly("second");
    EXPECT_EQ(fCapture.lines(),
              std::vector<std::string>{
                  "info: no window system (DISPLAY is not set); the image is not shown"});
}

TEST_F(DisplayWithoutWindows, FailedConnectionIsTold) {
    ::setenv("DISPLAY", "/nonexistent/qel-test-socket:0", 1);
    showOnly("unconnected");
    EXPECT_EQ(fCapture.lines(),
              std::vector<std::string>{"info: cannot connect to the window system at "
                                       "/nonexistent/qel-test-socket:0; the image is not shown"});
}

TEST_F(DisplayWithoutWindows, SceneWritingAFileFallsBackSilently) {
    std::string path = tempImagePath("no-window.tif");
    gOption->outputFile(QEL_FORMAT_TIFF, path.c_str());
    Display display;
    display.open(path.c_str(), 4, 3, 0, 0);
    EXPECT_EQ(display.window(), nullptr);
    display.close();
    EXPECT_TRUE(TiffReadBack(path).opened);
    EXPECT_TRUE(fCapture.lines().empty());
    std::remove(path.c_str());
}

TEST_F(DisplayWithoutWindows, WindowsTurnedOffAreNotTold) {
    WindowSystem::setEnabled(false);
    showOnly("turned off");
    EXPECT_TRUE(fCapture.lines().empty());
    EXPECT_EQ(WindowSystem::processEvents(10), 0);
}
