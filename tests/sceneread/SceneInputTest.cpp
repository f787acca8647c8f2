// Scene files as the readers read them: regular files, gzip data, FIFOs
// and devices, read errors and a stop asked for while the input is slow.
#include "sceneread/SceneInput.h"
#include "fuzz/FuzzFeeds.h"
#include "sceneread/InputFailure.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace quelmark;

namespace {

// Everything the input gives, and the reason it failed, if it did.
struct Read {
    std::string bytes;
    std::string failure;
};

Read readAll(std::streambuf& input) {
    Read read;
    try {
        char block[1000];
        for (std::streamsize got; (got = input.sgetn(block, sizeof block)) > 0;)
            read.bytes.append(block, size_t(got));
    } catch (const InputFailure& failure) {
        read.failure = failure.reason;
    }
    return read;
}

Read readFile(const std::string& path) {
    std::string why;
    std::unique_ptr<SceneInput> input = SceneInput::open(path, why);
    if (!input) return {"", "cannot open: " + why};
    return readAll(*input);
}

// Many lines, so that the compressed file spans many read blocks.
std::string scene() {
    std::string text;
    for (int k = 0; k < 20000; ++k)
        text += "qelSphere " + std::to_string(k) + " -1 1 360\n";
    return text;
}

TEST(SceneInputTest, AFileIsReadWhole) {
    ScratchFile file(scene(), false);
    EXPECT_EQ(readFile(file.path()).bytes, scene());
    ScratchFile empty("", false);
    Read nothing = readFile(empty.path());
    EXPECT_EQ(nothing.bytes, "");
    EXPECT_EQ(nothing.failure, "");
}

TEST(SceneInputTest, GzipDataIsInflatedWhateverTheName) {
    ScratchFile file(scene(), true);
    Read read = readFile(file.path());
    EXPECT_EQ(read.failure, "");
    EXPECT_EQ(read.bytes, scene());
    // members one after another are one stream, as gzip reads them
    ScratchFile twice(gzipped("first\n") + gzipped("second\n"), false);
    EXPECT_EQ(readFile(twice.path()).bytes, "first\nsecond\n");
}

TEST(SceneInputTest, DamagedOrCutGzipDataIsAFailure) {
    std::string packed = gzipped(scene());
    std::string damaged = packed;
    for (size_t k = 20; k < 60; ++k)
        damaged[k] = char(~damaged[k]);
    ScratchFile bad(damaged, false);
    EXPECT_EQ(readFile(bad.path()).failure.rfind("the gzip data is damaged", 0), 0u);
    ScratchFile cut(packed.substr(0, packed.size() / 2), false);
    Read read = readFile(cut.path());
    EXPECT_EQ(read.failure, "the gzip data ends early");
    EXPECT_GT(read.bytes.size(), 0u) << "what came before the cut is read";
    EXPECT_EQ(scene().rfind(read.bytes, 0), 0u);
}

TEST(SceneInputTest, WhatCannotBeReadSaysWhy) {
    EXPECT_EQ(readFile("/no/such/scene.qel").failure, "cannot open: No such file or directory");
    EXPECT_EQ(readFile("/").failure, "cannot open: Is a directory");
    // the memory of a process cannot be read from its start
    Read read = readFile("/proc/self/mem");
    EXPECT_EQ(read.failure, "Input/output error");
    EXPECT_EQ(read.bytes, "");
}

TEST(SceneInputTest, DevicesAreStreams) {
    EXPECT_EQ(readFile("/dev/null").bytes, "");
    std::string why;
    std::unique_ptr<SceneInput> zeros = SceneInput::open("/dev/zero", why);
    ASSERT_TRUE(zeros);
    char block[100] = {1};
    EXPECT_EQ(zeros->sgetn(block, sizeof block), 100);
    EXPECT_EQ(block[0], 0);
}

class FifoTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(::mkfifo(fPath.c_str(), 0600), 0); }
    void TearDown() override { ::unlink(fPath.c_str()); }

    std::string fPath = ::testing::TempDir() + "scene-fifo-" + std::to_string(::getpid());
};

TEST_F(FifoTest, OpeningWaitsForNoWriterAndReadingWaitsForItsData) {
    std::string why;
    std::unique_ptr<SceneInput> input = SceneInput::open(fPath, why);
    ASSERT_TRUE(input) << why;
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        int fd = ::open(fPath.c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, "qelFrameBegin\n", 14), 14);
        ::close(fd);
    });
    Read read = readAll(*input);
    writer.join();
    EXPECT_EQ(read.bytes, "qelFrameBegin\n");
    EXPECT_FALSE(input->woken());
}

TEST_F(FifoTest, AStopEndsAWaitForData) {
    int writer = ::open(fPath.c_str(), O_RDWR); // a writer that writes nothing
    ASSERT_GE(writer, 0);
    int wake[2];
    ASSERT_EQ(::pipe(wake), 0);
    std::string why;
    std::unique_ptr<SceneInput> input = SceneInput::open(fPath, why);
    ASSERT_TRUE(input);
    input->setWake(wake[0]);
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ASSERT_EQ(::write(wake[1], "!", 1), 1);
    });
    auto start = std::chrono::steady_clock::now();
    Read read = readAll(*input);
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(read.bytes, "");
    EXPECT_EQ(read.failure, "");
    EXPECT_TRUE(input->woken());
    for (int fd : {writer, wake[0], wake[1]})
        ::close(fd);
}

} // namespace
