// lumivar run as a program on small scene files written into a fresh
// directory: exit statuses, messages and the status line, saved images and
// Ctrl-C.
#include "LumivarProcess.h"
#include "PngImage.h"
#include "ScratchDir.h"
#include "TerminalScreen.h"
#include "TiffImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

// One frame: a constant sphere filling the middle of a 64 by 48 image.
std::string frame(const char* color = "1 1 1", const char* before = "") {
    return std::string("qelFrameBegin\n") + before +
           "qelRasterViewport 0 63 0 47\n"
           "qelSceneBegin\n"
           "qelColor [" +
           color +
           "]\n"
           "qelSurface \"constant\"\n"
           "qelTranslate 0 0 5\n"
           "qelSphere 1 -1 1 360\n"
           "qelSceneEnd\n"
           "qelFrameEnd\n";
}

class LumivarTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(fDir.empty()); }

    std::string write(const std::string& name, const std::string& text) {
        return fScratch.write(name, text);
    }
    bool exists(const std::string& name) const { return fScratch.exists(name); }
    LumivarResult run(const std::vector<std::string>& args, const std::string& input = "") {
        return runLumivar(fDir, args, input);
    }

    ScratchDir fScratch{"lumivar"};
    std::string fDir = fScratch.path();
};

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The messages among the lines written, without the status lines, and
// without the note of a stop that the program's slowness made a forced one
// (under a sanitizer, say).
std::vector<std::string> messagesIn(const std::string& text) {
    std::vector<std::string> messages;
    TerminalScreen screen(text);
    for (const std::string& line : screen.lines())
        if (line.rfind("lumivar: ", 0) == 0 && line != "lumivar: interrupted")
            messages.push_back(line);
    return messages;
}

} // namespace

// ---- the command line

TEST_F(LumivarTest, VersionAndHelp) {
    LumivarResult version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "Quelmark Version 1.01\n");
    EXPECT_EQ(version.err, "");

    LumivarResult help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"-o FILE", "--progress", "--help", "--version"})
        EXPECT_TRUE(contains(help.out, option)) << option;
}

TEST_F(LumivarTest, UsageErrorsGiveStatusTwo) {
    for (std::vector<std::string> args :
         {std::vector<std::string>{"--bogus", "a.qel"}, std::vector<std::string>{"-x"},
          std::vector<std::string>{}, std::vector<std::string>{"a.qel", "-o"}}) {
        LumivarResult result = run(args);
        EXPECT_EQ(result.status, 2) << result.err;
        // one line, which points to the help
        EXPECT_EQ(result.err.rfind("lumivar: ", 0), 0u) << result.err;
        EXPECT_TRUE(contains(result.err, "; see lumivar --help\n")) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_EQ(result.out, "");
    }
    EXPECT_TRUE(contains(run({"--bogus"}).err, "--bogus"));
}

// ---- exit statuses and messages

TEST_F(LumivarTest, AGoodSceneRendersSilently) {
    LumivarResult result = run({write("one.qel", frame())});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, "");
}

TEST_F(LumivarTest, WithoutAWindowSystemASceneWritingNoFileSaysSoOnce) {
    // The tests run with an empty DISPLAY: no window system.
    LumivarResult result = runLumivarWithWindows(fDir, {write("two.qel", frame() + frame())});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "lumivar: two.qel:3: info: qelSceneBegin: no window system (DISPLAY "
                          "is not set); the image is not shown\n");
    result = runLumivarWithWindows(fDir, {"-o", "saved.png", write("one.qel", frame())});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "") << "a saved image needs no window";
}

TEST_F(LumivarTest, TheDesktopNeedsAWindowSystemAndOneFileAtMost) {
    // The tests run with an empty DISPLAY: no window system.
    LumivarResult result = run({"--gui"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "lumivar: no window system (DISPLAY is not set); the Quelmark window "
                          "cannot open\n");
    struct Case {
        std::vector<std::string> args;
        const char* error;
    };
    for (const Case& wrong :
         {Case{{"--gui", "a.qel", "b.qel"}, "--gui takes one scene file at most"},
          Case{{"--gui", "-"}, "--gui cannot read standard input"},
          Case{{"--gui", "-o", "x.png", "a.qel"}, "--gui cannot be used with -o"},
          Case{{"--gui", "--progress"}, "--gui cannot be used with --progress"}}) {
        result = run(wrong.args);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err, std::string("lumivar: ") + wrong.error + "; see lumivar --help\n");
    }
}

TEST_F(LumivarTest, WarningsAloneStillSucceed) {
    LumivarResult result = run({write("warn.qel", "qelLightSwitch 7 1\n" + frame())});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "lumivar: warn.qel:1: QEL warning: invalid light or object handle at "
                          "line 1 '7': Unknown light handle 7\n");
}

TEST_F(LumivarTest, AReaderErrorGivesStatusOne) {
    LumivarResult result = run({write("bad.qel", "qelFoo 1\n" + frame())});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "lumivar: bad.qel:1: QEL error: undefined QEL request at line 1 "
                          "'qelFoo'\n");
}

TEST_F(LumivarTest, ARendererErrorGivesStatusOne) {
    LumivarResult result = run({write("nest.qel", frame() + "qelFrameEnd\n")});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(contains(result.err, "error: Bad begin-end nesting. qelFrameEnd")) << result.err;
}

TEST_F(LumivarTest, AnErrorInAnyFileFailsTheRun) {
    LumivarResult result = run({write("bad.qel", "qelFoo\n"), write("good.qel", frame())});
    EXPECT_EQ(result.status, 1);
}

TEST_F(LumivarTest, AFileThatCannotBeOpenedGivesStatusTwoAndTheRestIsRendered) {
    LumivarResult result = run({"-o", "out.png", "missing.qel", write("good.qel", frame())});
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(contains(result.err, "cannot open")) << result.err;
    EXPECT_TRUE(contains(result.err, "missing.qel")) << result.err;
    EXPECT_TRUE(exists("out.png"));
}

TEST_F(LumivarTest, ADashReadsStandardInput) {
    LumivarResult result = run({"-o", "in.png", "-"}, frame("1 0 0"));
    EXPECT_EQ(result.status, 0) << result.err;
    PngImage image = readPng(fDir + "in.png");
    ASSERT_EQ(image.width, 64u);
    EXPECT_EQ(image.pixel(32, 24)[0], 255);
    EXPECT_EQ(image.pixel(32, 24)[1], 0);
}

// ---- saving frames

TEST_F(LumivarTest, OneFrameIsSavedUnderTheNameGiven) {
    LumivarResult result = run({"-o", "out.png", write("one.qel", frame("0 1 0"))});
    EXPECT_EQ(result.status, 0) << result.err;
    PngImage image = readPng(fDir + "out.png");
    ASSERT_EQ(image.width, 64u);
    ASSERT_EQ(image.height, 48u);
    // The sphere in the middle, the background black in a corner.
    EXPECT_EQ(image.pixel(32, 24)[1], 255);
    EXPECT_EQ(image.pixel(0, 0)[1], 0);
    EXPECT_FALSE(exists("out1.png"));
    EXPECT_FALSE(exists("out2.png"));
}

TEST_F(LumivarTest, TwoFramesAreNumberedInTheirOrder) {
    LumivarResult result =
        run({"-o", "out.tif", write("two.qel", frame("1 0 0") + frame("0 0 1"))});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_FALSE(exists("out.tif"));
    TiffImage first = readTiff(fDir + "out1.tif");
    TiffImage second = readTiff(fDir + "out2.tif");
    ASSERT_EQ(first.width, 64u);
    ASSERT_EQ(first.height, 48u);
    ASSERT_EQ(second.width, 64u);
    ASSERT_FALSE(first.data.empty());
    ASSERT_FALSE(second.data.empty());
    EXPECT_EQ(first.pixel(32, 24)[0], 255);
    EXPECT_EQ(first.pixel(32, 24)[2], 0);
    EXPECT_EQ(second.pixel(32, 24)[0], 0);
    EXPECT_EQ(second.pixel(32, 24)[2], 255);
    EXPECT_FALSE(exists("out3.tif"));
}

TEST_F(LumivarTest, FramesAreCountedAcrossFiles) {
    LumivarResult result = run({"--output=out.png", write("a.qel", frame("1 0 0")),
                                write("b.qel", frame("0 1 0") + frame("0 0 1"))});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_FALSE(exists("out.png"));
    const int channel[] = {0, 1, 2};
    for (int k = 0; k < 3; ++k) {
        PngImage image = readPng(fDir + "out" + std::to_string(k + 1) + ".png");
        ASSERT_EQ(image.width, 64u) << k;
        EXPECT_EQ(image.pixel(32, 24)[channel[k]], 255) << k;
    }
}

// ---- frames, tiles and threads

TEST_F(LumivarTest, OnlyTheFramesAskedForRenderUnderTheirNumbers) {
    std::string scene = write("three.qel", frame("1 0 0") + frame("0 1 0") + frame("0 0 1"));
    LumivarResult result = run({"--frames", "2-3", "-o", "out.png", scene});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_FALSE(exists("out.png"));
    EXPECT_FALSE(exists("out1.png"));
    EXPECT_EQ(readPng(fDir + "out2.png").pixel(32, 24)[1], 255);
    EXPECT_EQ(readPng(fDir + "out3.png").pixel(32, 24)[2], 255);
    // One frame alone keeps its number too, so that a farm's tasks never clash.
    result = run({"--frames=1", "-o", "one.png", scene});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(readPng(fDir + "one1.png").pixel(32, 24)[0], 255);
    EXPECT_FALSE(exists("one.png"));
    EXPECT_FALSE(exists("one2.png"));
}

TEST_F(LumivarTest, FramesBeyondTheScenesEndAreAFailure) {
    std::string scene = write("two.qel", frame("1 0 0") + frame("0 1 0"));
    LumivarResult result = run({"--frames", "2-3", "-o", "out.png", scene});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(contains(result.err, "frame 3 was asked for, but the scenes end after frame 2"))
        << result.err;
    EXPECT_TRUE(exists("out2.png"));
    // Frames are counted over all the files, and a scene without frame
    // requests is one frame.
    std::string bare = write("bare.qel", "qelRasterViewport 0 63 0 47\n"
                                         "qelSceneBegin\nqelSphere 1 -1 1 360\nqelSceneEnd\n");
    result = run({"--frames", "3", "-o", "bare.png", scene, bare});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(exists("bare3.png"));
    result = run({"--frames", "2", "-o", "bare.png", bare});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(contains(result.err, "scenes end after frame 1")) << result.err;
}

TEST_F(LumivarTest, FramesNotRenderedAreStillRead) {
    std::string scene = write("bad.qel", frame("1 0 0", "qelNoSuchRequest\n") + frame());
    LumivarResult result = run({"--frames", "2", "-o", "out.png", scene});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(contains(result.err, "qelNoSuchRequest")) << result.err;
    EXPECT_TRUE(exists("out2.png"));
}

TEST_F(LumivarTest, ACropRendersItsPixelsAsTheWholeImageDoes) {
    std::string scene = write("one.qel", frame("0.3 0.6 0.9"));
    ASSERT_EQ(run({"--threads", "1", "-o", "whole.tif", scene}).status, 0);
    LumivarResult result =
        run({"--threads", "2", "--crop", "0.25", "0.75", "0.5", "1", "-o", "part.tif", scene});
    ASSERT_EQ(result.status, 0) << result.err;
    TiffImage whole = readTiff(fDir + "whole.tif"), part = readTiff(fDir + "part.tif");
    ASSERT_FALSE(whole.data.empty());
    ASSERT_FALSE(part.data.empty());
    // Pixels 16..47 across, 24..47 down, and those alone.
    ASSERT_EQ(part.width, 32u);
    ASSERT_EQ(part.height, 24u);
    ASSERT_EQ(part.samples, whole.samples);
    for (unsigned y = 0; y < 24; ++y)
        for (unsigned x = 0; x < 32; ++x)
            ASSERT_TRUE(std::equal(part.pixel(x, y), part.pixel(x, y) + part.samples,
                                   whole.pixel(x + 16, y + 24)))
                << x << ", " << y;
}

TEST_F(LumivarTest, WrongFramesCropsAndThreadsAreUsageErrors) {
    for (std::vector<std::string> args : {std::vector<std::string>{"--frames", "3-2"},
                                          {"--frames", "0"},
                                          {"--frames", "x"},
                                          {"--frames=2-"},
                                          {"--threads", "0"},
                                          {"--threads", "many"},
                                          {"--threads=2000"},
                                          {"--crop", "0", "1", "0"},
                                          {"--crop", "0", "1", "0.5", "2"},
                                          {"--crop", "0.5", "0.5", "0", "1"},
                                          {"--display-type", "dsm"},
                                          {"--display-type=file2"}}) {
        args.push_back(write("s.qel", frame()));
        LumivarResult result = run(args);
        EXPECT_EQ(result.status, 2) << args[0] << " " << args[1];
        EXPECT_TRUE(contains(result.err, args[0].substr(0, 8))) << result.err;
    }
}

// --statistics: after each frame one line of what it took, and the
// micropolygons it diced; silent without it.
TEST_F(LumivarTest, StatisticsTellWhatEachFrameTook) {
    std::string rib = write("stats.rib", "Format 32 24 1\nDisplay \"stats.tif\" \"file\" \"rgb\"\n"
                                         "FrameBegin 1\nWorldBegin\nTranslate 0 0 5\n"
                                         "Sphere 1 -1 1 360\nWorldEnd\nFrameEnd\n"
                                         "FrameBegin 2\nWorldBegin\nWorldEnd\nFrameEnd\n");
    LumivarResult result = run({"--no-window", "--statistics", "--threads", "1", rib});
    ASSERT_EQ(result.status, 0) << result.err;
    std::regex line("info: qelSceneEnd: 32x24 in [0-9.]+ s, 1 thread, ([0-9]+) micropolygons, "
                    "[0-9]+/s a thread, [0-9.]+ MiB");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(result.err, match, line)) << result.err;
    EXPECT_GT(std::stol(match[1]), 0);
    std::string rest = match.suffix();
    ASSERT_TRUE(std::regex_search(rest, match, line)) << "the empty frame reports too";
    EXPECT_EQ(std::stol(match[1]), 0);
    EXPECT_FALSE(contains(run({"--no-window", rib}).err, "micropolygons"));
}

// A scene meant for a window is saved as a file instead, in the format its
// name asks for; a RIB scene and a QEL one alike.
TEST_F(LumivarTest, ADisplayTypeOnTheCommandLineOverridesTheScenes) {
    std::string rib =
        write("window.rib", "Format 32 24 1\n"
                            "Display \"shown.png\" \"framebuffer\" \"rgba\"\n"
                            "Display \"+depth.tif\" \"it\" \"z\"\n"
                            "WorldBegin\nTranslate 0 0 5\nSphere 1 -1 1 360\nWorldEnd\n");
    std::string qel = write("window.qel", frame("1 1 1", "qelOutputDisplay \"qel.exr\"\n"));
    LumivarResult result = run({"--no-window", "--display-type", "file", rib, qel});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(exists("shown.png"));
    EXPECT_TRUE(exists("depth.tif"));
    EXPECT_TRUE(exists("qel.exr"));
    result = run({"--no-window", "--display-type=tiff", rib});
    ASSERT_EQ(result.status, 0) << result.err;
    TiffImage shown = readTiff(fDir + "shown.png");
    EXPECT_EQ(shown.width, 32u);
    EXPECT_EQ(shown.samples, 4);
}

TEST_F(LumivarTest, AnImageThatCannotBeWrittenFailsBeforeRendering) {
    std::string scene = write("one.qel", frame() + "qelFoo\n");
    ::mkdir((fDir + "folder").c_str(), 0755);
    for (auto [output, reason] : {std::pair{"no-such-dir/out.png", "No such file or directory"},
                                  std::pair{"folder", "Is a directory"},
                                  std::pair{"one.qel/out.png", "Not a directory"}}) {
        LumivarResult result = run({"-o", output, scene});
        EXPECT_EQ(result.status, 2);
        // said at once, and nothing read: the scene's error is not reported
        EXPECT_EQ(result.err, std::string("lumivar: cannot write image file \"") + output +
                                  "\": " + reason + "\n");
    }
}

// ---- the status line

TEST_F(LumivarTest, NoStatusLineWithoutATerminalOrProgress) {
    LumivarResult result = run({write("bad.qel", "qelFoo\n" + frame() + "qelBar\n")});
    EXPECT_FALSE(contains(result.err, "\r"));
    EXPECT_FALSE(contains(result.err, "\033"));
    EXPECT_FALSE(contains(result.err, "Loading scene"));
}

TEST_F(LumivarTest, MessagesAndTheStatusLineNeverMix) {
    std::string scene = "qelFoo\n" + frame("1 1 1", "qelOutputDisplay \"ball\"\n") +
                        "qelLightSwitch 3 1\n" + frame() + "qelBar\n";
    LumivarResult result = runLumivarOnTerminal(fDir, {write("scene.qel", scene)});
    EXPECT_EQ(result.status, 1);
    TerminalScreen screen(result.err);
    // Every finished line is a message, whole; the status line is gone at the end.
    std::vector<std::string> expected = {
        "lumivar: scene.qel:1: QEL error: undefined QEL request at line 1 'qelFoo'",
        "lumivar: scene.qel:12: QEL warning: invalid light or object handle at line 12 '3': "
        "Unknown light handle 3",
        "lumivar: scene.qel:22: QEL error: undefined QEL request at line 22 'qelBar'",
    };
    EXPECT_EQ(screen.lines(), expected);
    EXPECT_EQ(screen.current(), "");
    EXPECT_EQ(screen.unknownEscapes(), 0);

    std::vector<std::string> states = screen.redrawn();
    auto shown = [&](const std::string& part) {
        for (const std::string& state : states)
            if (contains(state, part)) return true;
        return false;
    };
    EXPECT_TRUE(shown("Loading scene"));
    EXPECT_TRUE(shown("Rendering frame \"ball\" ["));
    EXPECT_TRUE(shown("Rendering frame \"Untitled\" ["));
    EXPECT_TRUE(shown("] 0%"));
    // The bar fills as the percentage grows: one cell per 5 per cent.
    int most = -1;
    for (const std::string& state : states) {
        size_t open = state.find(" ["), close = state.find("] ");
        if (open == std::string::npos || close == std::string::npos) continue;
        std::string bar = state.substr(open + 2, close - open - 2);
        int percent = std::atoi(state.c_str() + close + 2);
        EXPECT_EQ(state.back(), '%') << state;
        EXPECT_EQ(bar.size(), 20u) << state;
        EXPECT_EQ(std::count(bar.begin(), bar.end(), '#'), percent / 5) << state;
        most = std::max(most, percent);
    }
    // The last bucket ends the frame, so the gauge stops one bucket short of 100.
    EXPECT_GE(most, 90);
    EXPECT_LT(most, 100);
}

TEST_F(LumivarTest, ProgressIntoAFileIsOneLinePerChange) {
    std::string scene = "qelFoo\n" + frame("1 1 1", "qelOutputDisplay \"ball\"\n");
    LumivarResult result = run({"--progress", write("scene.qel", scene)});
    EXPECT_EQ(result.status, 1);
    EXPECT_FALSE(contains(result.err, "\r"));
    EXPECT_FALSE(contains(result.err, "\033"));
    TerminalScreen screen(result.err);
    std::vector<std::string> lines = screen.lines();
    ASSERT_GE(lines.size(), 4u);
    // the text and the gauge change together: no line shows one changed alone
    EXPECT_EQ(lines[0], "Loading scene");
    EXPECT_EQ(lines[1], "lumivar: scene.qel:1: QEL error: undefined QEL request at line 1 'qelFoo'");
    int last = -1;
    for (size_t k = 2; k + 1 < lines.size(); ++k) {
        ASSERT_EQ(lines[k].rfind("Rendering frame \"ball\" ", 0), 0u) << lines[k];
        int percent = std::atoi(lines[k].c_str() + lines[k].rfind(' ') + 1);
        EXPECT_GT(percent, last) << "a line for each change, and only then";
        last = percent;
    }
    EXPECT_EQ(lines.back(), "Loading scene");
    EXPECT_EQ(screen.current(), "");
}

// ---- Ctrl-C

TEST_F(LumivarTest, InterruptCancelsWithStatus130AndKeepsTheMessages) {
    // Many buckets: the frame takes seconds, the signal comes at its start.
    std::string scene = "qelFoo\nqelFrameBegin\nqelRasterViewport 0 1999 0 1499\n"
                        "qelSceneBegin\nqelSurface \"constant\"\nqelTranslate 0 0 5\n"
                        "qelSphere 1 -1 1 360\nqelSceneEnd\nqelFrameEnd\n";
    bool timedOut = false;
    LumivarResult result = interruptLumivar(
        fDir, {"--progress", "-o", "cut.png", write("big.qel", scene), write("next.qel", frame())},
        "Rendering frame", timedOut);
    EXPECT_FALSE(timedOut);
    EXPECT_EQ(result.status, 130);
    EXPECT_EQ(messagesIn(result.err),
              (std::vector<std::string>{
                  "lumivar: big.qel:1: QEL error: undefined QEL request at line 1 'qelFoo'"}));
    EXPECT_EQ(TerminalScreen(result.err).current(), "");
    // Neither the frame cut short nor the next file's frame was saved.
    EXPECT_FALSE(exists("cut.png"));
    EXPECT_FALSE(exists("cut2.png"));
}

// A scheduler ending the job: the same as Ctrl-C, with the status of SIGTERM.
TEST_F(LumivarTest, TerminationEndsWithStatus143AndSavesNoPartImage) {
    std::string scene = "qelFrameBegin\nqelRasterViewport 0 1999 0 1499\n"
                        "qelSceneBegin\nqelSurface \"constant\"\nqelTranslate 0 0 5\n"
                        "qelSphere 1 -1 1 360\nqelSceneEnd\nqelFrameEnd\n";
    bool timedOut = false;
    LumivarResult result =
        interruptLumivar(fDir, {"--progress", "-o", "cut.exr", write("big.qel", scene)},
                         "Rendering frame", timedOut, false, "", SIGTERM);
    EXPECT_FALSE(timedOut);
    EXPECT_EQ(result.status, 143);
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(fDir))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"big.qel"}) << "no image, not even a part of one";
    EXPECT_EQ(TerminalScreen(result.err).current(), "");
}

TEST_F(LumivarTest, InterruptEndsAReadWaitingForInput) {
    // Standard input stays open with nothing written: the reader waits.
    bool timedOut = false;
    LumivarResult result =
        interruptLumivar(fDir, {"--progress", "-"}, "Loading scene", timedOut, true);
    EXPECT_FALSE(timedOut);
    EXPECT_EQ(result.status, 130);
    EXPECT_EQ(TerminalScreen(result.err).current(), "");
}

TEST_F(LumivarTest, APipedSceneIsReadAsItComes) {
    // The first request is read and reported while more may still come.
    bool timedOut = false;
    LumivarResult result =
        interruptLumivar(fDir, {"-"}, "undefined QEL request", timedOut, true, "qelFoo\n");
    EXPECT_FALSE(timedOut);
    EXPECT_EQ(result.status, 130);
    EXPECT_EQ(result.err, "lumivar: <stdin>:1: QEL error: undefined QEL request at line 1 "
                          "'qelFoo'\n");
}
