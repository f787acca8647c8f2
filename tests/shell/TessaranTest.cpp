// tessaran run as a program on small RIB files written into a fresh
// directory: the QEL file it writes, the status lines and messages, exit
// statuses, files that cannot be opened, and Ctrl-C.
#include "ProgramProcess.h"
#include "ScratchDir.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

// A red constant square in the middle of a 64 by 64 orthographic view.
const char kSquare[] = "Format 64 64 1\n"
                       "Projection \"orthographic\"\n"
                       "PixelSamples 1 1\n"
                       "PixelFilter \"box\" 1 1\n"
                       "WorldBegin\n"
                       "Surface \"constant\"\n"
                       "Color [1 0 0]\n"
                       "Translate 0 0 1\n"
                       "Polygon \"P\" [-0.5 -0.5 0  0.5 -0.5 0  0.5 0.5 0  -0.5 0.5 0]\n"
                       "WorldEnd\n";

// The scene requests of the square, one line each: Format gives the
// viewport of pixels 0 to 63 and the pixel aspect, PixelFilter the filter
// and its widths, WorldBegin and WorldEnd the scene block (in which
// RenderMan's default surface holds until Surface), and "P" the vertex
// parameter "point".
const char kSquareQel[] = "qelRasterViewport 0 63 0 63\n"
                          "qelRasterAspect 1\n"
                          "qelViewOrthographic\n"
                          "qelSampleUniform 1 1\n"
                          "qelFilter \"box\"\n"
                          "qelFilterWidth 1 1\n"
                          "qelTune 32 16 16\n"
                          "qelSceneBegin\n"
                          "qelSurface \"defaultsurface\"\n"
                          "qelSurface \"constant\"\n"
                          "qelColor [1 0 0]\n"
                          "qelTranslate 0 0 1\n"
                          "qelPolygon 4 \"point\" [-0.5 -0.5 0 0.5 -0.5 0 0.5 0.5 0 -0.5 0.5 0]\n"
                          "qelSceneEnd\n";

class TessaranTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(fDir.path().empty()); }

    ProgramResult run(const std::vector<std::string>& args) {
        return runProgram(TESSARAN_PATH, fDir.path(), args);
    }

    ScratchDir fDir{"tessaran"};
};

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

// ---- the command line

TEST_F(TessaranTest, VersionAndHelp) {
    ProgramResult version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "RIB to Quelmark Version 1.01\n");
    EXPECT_EQ(version.err, "");

    ProgramResult help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(contains(help.out, "Usage: tessaran")) << help.out;
    EXPECT_EQ(help.err, "");
}

TEST_F(TessaranTest, UsageErrorsGiveStatusTwo) {
    for (std::vector<std::string> args :
         {std::vector<std::string>{}, std::vector<std::string>{"in.rib"},
          std::vector<std::string>{"a.rib", "b.qel", "c.qel"},
          std::vector<std::string>{"--bogus", "a.rib", "b.qel"}}) {
        ProgramResult result = run(args);
        EXPECT_EQ(result.status, 2) << result.err;
        EXPECT_TRUE(contains(result.err, "; see tessaran --help\n")) << result.err;
        EXPECT_EQ(result.out, "");
    }
    EXPECT_TRUE(contains(run({"--bogus", "a", "b"}).err, "--bogus"));
}

TEST_F(TessaranTest, TheDesktopNeedsAWindowSystem) {
    // The tests run with an empty DISPLAY: no window system.
    ProgramResult result = run({"--gui"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "tessaran: no window system (DISPLAY is not set); the RIB to QEL "
                          "window cannot open\n");
}

// ---- conversions

TEST_F(TessaranTest, ACleanFileIsConvertedWithSuccess) {
    ProgramResult result = run({fDir.write("square.rib", kSquare), "square.qel"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Converting square.rib to square.qel\nSuccess.\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(fDir.contents("square.qel"), kSquareQel);
}

TEST_F(TessaranTest, AnExistingOutputIsReplaced) {
    fDir.write("square.qel", std::string(10000, '#') + "\n");
    ProgramResult result = run({fDir.write("square.rib", kSquare), "square.qel"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(fDir.contents("square.qel"), kSquareQel);
}

TEST_F(TessaranTest, OneWarningTurnsTheResult) {
    std::string scene = kSquare;
    scene.replace(scene.find("orthographic"), 12, "fisheye");
    ProgramResult result = run({fDir.write("fisheye.rib", scene), "fisheye.qel"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "Converting fisheye.rib to fisheye.qel\n"
                          "There are warning/error messages.\n");
    // One line: the reader's warning, at the request that caused it.
    ASSERT_FALSE(result.err.empty());
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    EXPECT_EQ(result.err.rfind("tessaran: fisheye.rib:2: RIB warning: ", 0), 0u) << result.err;
    EXPECT_TRUE(contains(result.err, "at line 2 'Projection'")) << result.err;
    EXPECT_TRUE(contains(result.err, "orthographic")) << result.err;
    // The fallback is written in its place.
    EXPECT_EQ(fDir.contents("fisheye.qel"), kSquareQel);
}

TEST_F(TessaranTest, WriterMessagesCountToo) {
    // The reader passes the request on; the writer's own state finds the
    // nesting wrong.
    std::string scene = std::string(kSquare) + "WorldEnd\n";
    ProgramResult result = run({fDir.write("nest.rib", scene), "nest.qel"});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(contains(result.out, "There are warning/error messages.")) << result.out;
    EXPECT_TRUE(contains(result.err, "error: ")) << result.err;
    EXPECT_TRUE(contains(result.err, "qelSceneEnd")) << result.err;
}

TEST_F(TessaranTest, AFullDiskIsAMessage) {
    ProgramResult result = run({fDir.write("square.rib", kSquare), "/dev/full"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "Converting square.rib to full\nThere are warning/error messages.\n");
    EXPECT_TRUE(contains(result.err, "cannot write scene file /dev/full")) << result.err;
}

TEST_F(TessaranTest, TheStatusLineNamesTheFilesWithoutTheirDirectories) {
    ::mkdir((fDir.path() + "in").c_str(), 0755);
    ::mkdir((fDir.path() + "out").c_str(), 0755);
    fDir.write("in/deep.rib", kSquare);
    ProgramResult result = run({fDir.path() + "in/deep.rib", "out/converted.qel"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Converting deep.rib to converted.qel\nSuccess.\n");
    EXPECT_EQ(fDir.contents("out/converted.qel"), kSquareQel);

    // A backslash separates too, as in the names of other systems.
    fDir.write("C:\\scenes\\square.rib", kSquare);
    result = run({"C:\\scenes\\square.rib", "out\\square.qel"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Converting square.rib to square.qel\nSuccess.\n");
    EXPECT_TRUE(fDir.exists("out\\square.qel"));
}

// ---- files that cannot be opened

TEST_F(TessaranTest, AnOutputThatCannotBeOpenedIsAFileError) {
    std::string rib = fDir.write("square.rib", kSquare);
    struct stat before;
    ASSERT_EQ(::stat((fDir.path() + rib).c_str(), &before), 0);
    ::mkdir((fDir.path() + "dir.qel").c_str(), 0755);
    for (const char* qel : {"no-such-dir/out.qel", "dir.qel"}) {
        ProgramResult result = run({rib, qel});
        EXPECT_EQ(result.status, 2) << qel;
        EXPECT_EQ(result.out, "") << qel;
        EXPECT_TRUE(contains(result.err, "File Error")) << result.err;
        EXPECT_TRUE(contains(result.err, "Unable to open file")) << result.err;
        EXPECT_TRUE(contains(result.err, qel)) << result.err;
    }
    EXPECT_FALSE(fDir.exists("no-such-dir"));
    // The input is left alone.
    struct stat after;
    ASSERT_EQ(::stat((fDir.path() + rib).c_str(), &after), 0);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(fDir.contents(rib), kSquare);
}

TEST_F(TessaranTest, TheInputIsNotOverwrittenAsTheOutput) {
    std::string rib = fDir.write("square.rib", kSquare);
    ProgramResult result = run({rib, "./square.rib"});
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(contains(result.err, "File Error: Unable to open file")) << result.err;
    EXPECT_EQ(fDir.contents(rib), kSquare);
}

TEST_F(TessaranTest, AMissingInputGivesStatusTwoAndNoOutput) {
    ProgramResult result = run({"missing.rib", "out.qel"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(contains(result.err, "cannot open RIB file \"missing.rib\"")) << result.err;
    EXPECT_FALSE(fDir.exists("out.qel"));
}

TEST_F(TessaranTest, AnInputThatCannotBeReadLeavesNoOutput) {
    ::mkdir((fDir.path() + "scenes").c_str(), 0755);
    ProgramResult folder = run({"scenes", "out.qel"});
    EXPECT_EQ(folder.status, 2);
    EXPECT_EQ(folder.err, "tessaran: cannot open RIB file \"scenes\": Is a directory\n");
    EXPECT_FALSE(fDir.exists("out.qel"));
    // the memory of a process cannot be read from its start
    ProgramResult unreadable = run({"/proc/self/mem", "out.qel"});
    EXPECT_EQ(unreadable.status, 1);
    EXPECT_EQ(unreadable.out, "Converting mem to out.qel\nThere are warning/error messages.\n");
    EXPECT_EQ(unreadable.err,
              "tessaran: /proc/self/mem:1: severe RIB error: read error at line 1: reading "
              "stops: Input/output error\n"
              "tessaran: the RIB file could not be read to its end: the unfinished \"out.qel\" "
              "was removed\n");
    EXPECT_FALSE(fDir.exists("out.qel"));
}

TEST_F(TessaranTest, AFileEndingInsideAFrameIsNoSuccess) {
    std::string cut = "FrameBegin 1\n" + std::string(kSquare).substr(0, 120);
    ProgramResult result = run({fDir.write("cut.rib", cut), "cut.qel"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "Converting cut.rib to cut.qel\nThere are warning/error messages.\n");
    EXPECT_TRUE(contains(result.err, "the file ends inside the world begun at line 6, in the frame "
                                     "begun at line 1\n"))
        << result.err;
}

TEST_F(TessaranTest, ADashIsStandardInputOrOutput) {
    // the scene on standard output, the status lines then on standard error
    ProgramResult result = runProgram(TESSARAN_PATH, fDir.path(), {"-", "-"}, kSquare);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, kSquareQel);
    EXPECT_EQ(result.err, "Converting - to -\nSuccess.\n");
    result = runProgram(TESSARAN_PATH, fDir.path(), {"-", "square.qel"}, kSquare);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(fDir.contents("square.qel"), kSquareQel);
    result = run({fDir.write("square.rib", kSquare), "-"});
    EXPECT_EQ(result.out, kSquareQel);
}

// ---- Ctrl-C

TEST_F(TessaranTest, InterruptCancelsAndRemovesTheUnfinishedOutput) {
    // The RIB file comes through a pipe that stays open: the conversion
    // cannot end before the signal, and goes on reading once more comes.
    std::string more;
    for (int k = 0; k < 2000; ++k)
        more += "Translate 0 0 1\n";
    InterruptInput input{"Format 64 64 1\nWorldBegin\n", true, more + "WorldEnd\n"};
    bool timedOut = false;
    ProgramResult result = interruptProgram(TESSARAN_PATH, fDir.path(), {"/dev/stdin", "cut.qel"},
                                            "Converting", timedOut, input);
    EXPECT_FALSE(timedOut);
    EXPECT_EQ(result.status, 130);
    EXPECT_EQ(result.out, "Converting stdin to cut.qel\n");
    EXPECT_EQ(result.err, "tessaran: conversion cancelled: the unfinished \"cut.qel\" was removed\n");
    EXPECT_FALSE(fDir.exists("cut.qel"));
}
