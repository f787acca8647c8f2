#include "renderer/display/Display.h"
#include "renderer/display/WindowSystem.h"
#include "renderer/state/Option.h"
#include "renderer/state/State.h"
#include "tests/renderer/display/OpenFrame.h"
#include "tests/renderer/display/ExrReadBack.h"
#include "tests/renderer/display/TempImagePath.h"
#include "tests/renderer/display/TiffReadBack.h"
#include "tests/renderer/geometry/ErrorCapture.h"

#include <half.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

using namespace quelmark;

namespace {

// A fresh graphics state, so that the output requests reach a default option block.
class DisplayOutput : public ::testing::Test {
protected:
    DisplayOutput() : fState(std::make_unique<State>()) {}

    void openTiff(const std::string& path, long xres, long yres) {
        gOption->outputFile(QEL_FORMAT_TIFF, path.c_str());
        openFrame(fDisplay, path.c_str(), xres, yres, 0, 0);
    }

    std::unique_ptr<State> fState;
    Display fDisplay;
};

} // namespace

TEST_F(DisplayOutput, HasNoImageBeforeOpen) {
    EXPECT_EQ(fDisplay.xDim(), 640);
    EXPECT_EQ(fDisplay.yDim(), 480);
    EXPECT_FALSE(fDisplay.hasImage());
    const uint32_t row[3] = {1, 2, 3};
    fDisplay.span(0, 0, 0, row);
    fDisplay.close();
    EXPECT_FALSE(fDisplay.hasImage());
}

TEST_F(DisplayOutput, OpenTakesTheLayoutTheOptionsHaveThen) {
    gOption->outputSamples(0x307);
    gOption->colorQuantize(0, 0, 1);
    openFrame(fDisplay, "Quelmark", 3, 2, 0, 0);
    gOption->outputSamples(0x301); // too late for this image
    EXPECT_EQ(fDisplay.xDim(), 3);
    EXPECT_EQ(fDisplay.yDim(), 2);
    EXPECT_EQ(fDisplay.channels(), 5);
    ASSERT_TRUE(fDisplay.hasImage());
    EXPECT_TRUE(fDisplay.image().format().isFloatSlot(3)); // alpha shares the colour one
    EXPECT_TRUE(fDisplay.image().format().isFloatSlot(4)); // depth one stays 0
}

TEST_F(DisplayOutput, SpansFillTheImageAndAreClipped) {
    openFrame(fDisplay, "Quelmark", 2, 2, 0, 0);
    const std::vector<uint32_t> row = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    fDisplay.span(1, 3, 1, row.data()); // only pixel 1 is inside
    fDisplay.span(0, 2, 2, row.data()); // below the image
    std::vector<uint32_t> image;
    for (long y = 0; y < 2; ++y)
        for (long x = 0; x < 2; ++x)
            for (int c = 0; c < 3; ++c) image.push_back(fDisplay.image().slot(x, y, c));
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
    openFrame(fDisplay, path.c_str(), 2, 2, 0, 0);
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
    EXPECT_FALSE(fDisplay.hasImage());
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
        openFrame(display, name, 4, 3, 0, 0);
        EXPECT_EQ(display.window(), nullptr);
        EXPECT_TRUE(display.hasImage()) << "the image is still kept";
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
    openFrame(display, path.c_str(), 4, 3, 0, 0);
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

namespace {

// A display saving its image as lumivar's -o does.
class DisplaySavesCopy : public ::testing::Test {
protected:
    DisplaySavesCopy() : fState(std::make_unique<State>()) {}
    ~DisplaySavesCopy() override {
        Display::saveEveryFrameTo(nullptr);
        std::remove(fPath.c_str());
    }

    void save(const std::string& path, long xres, long yres) {
        fPath = path;
        Display::saveEveryFrameTo(path.c_str());
        openFrame(fDisplay, "Quelmark", xres, yres, 0, 0);
    }

    static std::string contentsOf(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    static void putFile(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }

    // Whether a temporary file of a write to the path is still there.
    static bool leftOver(const std::string& path) {
        return std::filesystem::exists(path + ".part-" + std::to_string(::getpid()));
    }

    std::unique_ptr<State> fState;
    Display fDisplay;
    std::string fPath;
    ErrorCapture fCapture;
};

} // namespace

TEST_F(DisplaySavesCopy, ExrNameWritesTheCropRegionAsDataWindow) {
    // 4 × 0.25 = 1, 4 × 0.75 = 3 − 1; 2 × 0.5 = 1 − 1.
    gOption->imageCrop(0.25f, 0.75f, 0, 0.5f);
    save(tempImagePath("copy.exr"), 4, 2);
    gOption->imageCrop(0, 1, 0, 1); // too late for this image
    EXPECT_EQ(fDisplay.dataWindow(), (PixelRegion{1, 2, 0, 0}));
    const std::vector<uint32_t> row = {255, 0, 51, 0, 0, 255};
    fDisplay.span(1, 2, 0, row.data());
    fDisplay.close();
    ExrReadBack exr(fPath);
    ASSERT_TRUE(exr.opened);
    EXPECT_EQ(exr.displayWindow, Imath::Box2i(Imath::V2i(0, 0), Imath::V2i(3, 1)));
    EXPECT_EQ(exr.dataWindow, Imath::Box2i(Imath::V2i(1, 0), Imath::V2i(2, 0)));
    EXPECT_EQ(exr.channelNames(), (std::vector<std::string>{"A", "B", "G", "R"}));
    EXPECT_EQ(exr.at("R", 1, 0), 1.0f);
    EXPECT_EQ(exr.at("B", 1, 0), float(half(0.2f)));
    EXPECT_EQ(exr.at("B", 2, 0), 1.0f);
    EXPECT_EQ(exr.at("A", 2, 0), 1.0f) << "opaque without alpha";
    EXPECT_TRUE(fCapture.lines().empty());
    EXPECT_FALSE(leftOver(fPath));
}

TEST_F(DisplaySavesCopy, SuffixChoosesTheFormatInAnyCase) {
    save(tempImagePath("upper.EXR"), 2, 2);
    fDisplay.close();
    ExrReadBack exr(fPath);
    ASSERT_TRUE(exr.opened);
    EXPECT_EQ(exr.dataWindow, Imath::Box2i(Imath::V2i(0, 0), Imath::V2i(1, 1)));

    std::string tiff = tempImagePath("other.exr.tif");
    Display::saveEveryFrameTo(tiff.c_str());
    Display another;
    openFrame(another, "Quelmark", 2, 2, 0, 0);
    another.close();
    EXPECT_TRUE(TiffReadBack(tiff).opened);
    EXPECT_FALSE(ExrReadBack(tiff).opened);
    std::remove(tiff.c_str());
}

TEST_F(DisplaySavesCopy, EmptyCropRegionWritesNoExrAndKeepsTheOldFile) {
    std::string path = tempImagePath("empty-crop.exr");
    putFile(path, "old image");
    gOption->imageCrop(0.3125f, 0.375f, 0, 1); // 10 × 0.3125 → 4, 10 × 0.375 → 3
    save(path, 10, 10);
    fDisplay.close();
    EXPECT_EQ(contentsOf(path), "old image");
    EXPECT_FALSE(leftOver(path));
    EXPECT_EQ(fCapture.lines(),
              std::vector<std::string>{"error: Parameter out of range. cannot write image file " +
                                       path + ": the crop window holds no pixels"});
}

TEST_F(DisplaySavesCopy, FailedWritesLeaveTheOldFilesAsTheyWere) {
    std::string copy = tempImagePath("failed.png");
    std::string file = tempImagePath("failed.tif");
    putFile(copy, "old copy");
    putFile(file, "old file");
    gOption->outputFile(QEL_FORMAT_TIFF, file.c_str());
    save(copy, 1L << 20, 1L << 20); // too large to keep: nothing to write
    fDisplay.close();
    EXPECT_EQ(contentsOf(copy), "old copy");
    EXPECT_EQ(contentsOf(file), "old file");
    EXPECT_FALSE(leftOver(copy));
    EXPECT_FALSE(leftOver(file));
    EXPECT_EQ(fCapture.lines().size(), 3u);
    std::remove(file.c_str());
}

TEST_F(DisplaySavesCopy, GoodWritesReplaceTheOldFiles) {
    std::string copy = tempImagePath("replaced.png");
    std::string file = tempImagePath("replaced.tif");
    putFile(copy, "old copy");
    putFile(file, "old file");
    gOption->outputFile(QEL_FORMAT_TIFF, file.c_str());
    save(copy, 2, 1);
    fDisplay.close();
    EXPECT_EQ(contentsOf(copy).substr(1, 3), "PNG");
    TiffReadBack tiff(file);
    ASSERT_TRUE(tiff.opened);
    EXPECT_EQ(tiff.width, 2u);
    EXPECT_FALSE(leftOver(copy));
    EXPECT_FALSE(leftOver(file));
    EXPECT_TRUE(fCapture.lines().empty());
    std::remove(file.c_str());
}
