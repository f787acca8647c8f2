// lumivar on broken and hostile input: every case ends with a message and
// a defined exit status, never a signal, a hang or unbounded memory.
#include "../sceneread/fuzz/FuzzFeeds.h"
#include "LumivarProcess.h"
#include "PngImage.h"
#include "ScratchDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace {

// One frame: a constant sphere filling the middle of a 64 by 48 image.
std::string frame(const std::string& name = "ball") {
    return "qelFrameBegin\nqelOutputDisplay \"" + name +
           "\"\nqelRasterViewport 0 63 0 47\nqelSceneBegin\nqelSurface \"constant\"\n"
           "qelTranslate 0 0 5\nqelSphere 1 -1 1 360\nqelSceneEnd\nqelFrameEnd\n";
}

// Many small spheres on top of each other, in one bucket.
std::string pile(int spheres) {
    std::string text = "qelFrameBegin\nqelRasterViewport 0 11 0 11\nqelSceneBegin\n"
                       "qelTranslate 0 0 5\n";
    for (int k = 0; k < spheres; ++k)
        text += "qelSphere 0.4 -0.4 0.4 360\n";
    return text + "qelSceneEnd\nqelFrameEnd\n";
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

size_t countOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

constexpr bool kSanitized =
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    true;
#else
    false;
#endif

class LumivarHostileTest : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& text) {
        return fScratch.write(name, text);
    }
    LumivarResult run(const std::vector<std::string>& args) { return runLumivar(fDir, args); }

    ScratchDir fScratch{"lumivar-hostile"};
    std::string fDir = fScratch.path();
};

TEST_F(LumivarHostileTest, ADirectoryIsAFileThatCannotBeOpened) {
    ::mkdir((fDir + "scenes").c_str(), 0755);
    LumivarResult result = run({"scenes"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "lumivar: cannot open scene file \"scenes\": Is a directory\n");
}

TEST_F(LumivarHostileTest, AReadErrorStopsTheFileWithTheSystemsReason) {
    LumivarResult result = run({"/proc/self/mem"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "lumivar: /proc/self/mem:1: severe QEL error: read error at line 1: "
                          "reading stops: Input/output error\n");
}

TEST_F(LumivarHostileTest, AFrameTheFileEndsInsideSavesNoImage) {
    std::string whole = frame();
    std::string cut = whole.substr(0, whole.find("qelSceneEnd"));
    LumivarResult result = run({"-o", "cut.png", write("cut.qel", cut)});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "lumivar: cut.qel:8: QEL error: general syntactic error at line 8: the "
                          "file ends inside the scene begun at line 4, in the frame begun at "
                          "line 1\n");
    EXPECT_FALSE(fScratch.exists("cut.png"));
}

TEST_F(LumivarHostileTest, GzipScenesRenderAsTheirText) {
    std::string rib = "Format 64 48 1\nWorldBegin\nSurface \"constant\"\nTranslate 0 0 5\n"
                      "Sphere 1 -1 1 360\nWorldEnd\n";
    for (auto [name, scene] : {std::pair{"ball.qel", frame()}, std::pair{"ball.rib", rib}}) {
        std::string plain = write(name, scene);
        std::string packed = write(std::string(name) + ".gz", gzipped(scene));
        LumivarResult first = run({"-o", "plain.png", plain});
        LumivarResult second = run({"-o", "packed.png", packed});
        EXPECT_EQ(first.status, 0) << first.err;
        EXPECT_EQ(second.status, 0) << second.err;
        EXPECT_EQ(readPng(fDir + "plain.png").rgb, readPng(fDir + "packed.png").rgb) << name;
    }
}

TEST_F(LumivarHostileTest, AFifoIsReadAsItsWriterWritesIt) {
    std::string fifo = fDir + "scene.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::thread writer([&] {
        int fd = ::open(fifo.c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        std::string scene = frame();
        ASSERT_EQ(::write(fd, scene.data(), scene.size()), ssize_t(scene.size()));
        ::close(fd);
    });
    LumivarResult result = run({"-o", "fifo.png", "scene.fifo"});
    writer.join();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(fScratch.exists("fifo.png"));
}

TEST_F(LumivarHostileTest, AMessageRepeatedOnEveryLineIsShownAFewTimes) {
    std::string scene;
    for (int k = 0; k < 20; ++k)
        scene += "qelLightSwitch 7 1\n";
    LumivarResult result = run({write("lights.qel", scene + frame())});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err,
              "lumivar: lights.qel:1: QEL warning: invalid light or object handle at line 1 '7': "
              "Unknown light handle 7\n"
              "lumivar: lights.qel:2: QEL warning: invalid light or object handle at line 2 '7': "
              "Unknown light handle 7\n"
              "lumivar: lights.qel:3: QEL warning: invalid light or object handle at line 3 '7': "
              "Unknown light handle 7\n"
              "lumivar: QEL warning: invalid light or object handle '7': Unknown light handle 7 "
              "(17 more times, not shown)\n");
}

TEST_F(LumivarHostileTest, BytesATerminalWouldObeyAreEscaped) {
    LumivarResult result = run({write("esc.qel", "qelF\x1b"
                                                 "c\x07oo\n" +
                                                     frame())});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(
        result.err,
        "lumivar: esc.qel:1: QEL error: undefined QEL request at line 1 'qelF\\x1bc\\x07oo'\n");
}

TEST_F(LumivarHostileTest, AStopTakesEffectWithinASecondWhateverRuns) {
    // one bucket holding thousands of spheres takes seconds: the signal
    // comes while it renders
    std::string scene = write("pile.qel", pile(30000));
    bool timedOut = false;
    constexpr int kDelayMs = 300;
    auto start = std::chrono::steady_clock::now();
    LumivarResult result =
        interruptLumivar(fDir, {"--threads", "1", "--progress", "-o", "pile.exr", scene},
                         "Rendering frame", timedOut, false, "", SIGINT, kDelayMs);
    auto taken = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(timedOut);
    EXPECT_EQ(result.status, 130);
    EXPECT_TRUE(contains(result.err, "lumivar: interrupted\n")) << result.err;
    // reading the file and the delay, and a second at most after the signal
    EXPECT_LT(taken, std::chrono::seconds(kSanitized ? 20 : 3));
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(fDir))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"pile.qel"}) << "no image, not even a part of one";
}

class LumivarMemoryTest : public LumivarHostileTest {
protected:
    void SetUp() override {
        if (kSanitized) GTEST_SKIP() << "the sanitizers need more address space than the limit";
    }
    // Run with an address space of 300 MB: the programs need about 150.
    LumivarResult runInMemory(const std::vector<std::string>& args) {
        std::vector<std::string> all = {"--no-window"};
        all.insert(all.end(), args.begin(), args.end());
        return runProgramInMemory(LUMIVAR_PATH, fDir, all, size_t(300) << 20);
    }
    // Exit status 1 and the report once, wherever memory ran out.
    void expectOneReport(const LumivarResult& result) {
        EXPECT_EQ(result.status, 1) << result.err;
        EXPECT_EQ(countOf(result.err, "free store exhausted"), 1u) << result.err;
    }
};

TEST_F(LumivarMemoryTest, RunningOutInTheRendererEndsWithOneReport) {
    expectOneReport(runInMemory({"--threads", "1", write("pile.qel", pile(40000))}));
    expectOneReport(runInMemory({"--threads", "2", write("pile.qel", pile(40000))}));
}

TEST_F(LumivarMemoryTest, RunningOutInAnImageTooLargeEndsWithOneReport) {
    // 8192 by 8192, the largest square the renderer takes, is far beyond 300 MB
    std::string scene = "qelFrameBegin\nqelRasterViewport 0 8191 0 8191\nqelSceneBegin\n"
                        "qelSphere 1 -1 1 360\nqelSceneEnd\nqelFrameEnd\n";
    expectOneReport(runInMemory({"-o", "huge.exr", write("huge.qel", scene)}));
    EXPECT_FALSE(fScratch.exists("huge.exr"));
}

// gzip data of the text followed by that many NUL bytes, made a piece at a time.
std::string gzippedWithZeros(const std::string& text, size_t zeros) {
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out, piece(size_t(1) << 20, '\0'), in = text;
    auto pack = [&](const std::string& bytes, int flush) {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
        stream.avail_in = uInt(bytes.size());
        do {
            char buffer[65536];
            stream.next_out = reinterpret_cast<Bytef*>(buffer);
            stream.avail_out = sizeof buffer;
            deflate(&stream, flush);
            out.append(buffer, sizeof buffer - stream.avail_out);
        } while (stream.avail_out == 0);
    };
    pack(in, Z_NO_FLUSH);
    for (size_t left = zeros; left > 0; left -= std::min(left, piece.size()))
        pack(piece.substr(0, std::min(left, piece.size())), Z_NO_FLUSH);
    pack("", Z_FINISH);
    deflateEnd(&stream);
    return out;
}

TEST_F(LumivarMemoryTest, RunningOutInTheReaderEndsWithOneReport) {
    // a binary array of 100 million floats, in a file of a few hundred kilobytes
    std::string count = {'\x05', '\xF5', '\xE1', '\x00'};
    std::string scene = gzippedWithZeros("Polygon \"P\" \xCB" + count, size_t(400) << 20);
    LumivarResult result = runInMemory({write("big.rib", scene)});
    expectOneReport(result);
    EXPECT_EQ(result.err, "lumivar: free store exhausted\n");
}

} // namespace
