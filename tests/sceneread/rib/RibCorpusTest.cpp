// Inputs the fuzzer once found troublesome, and the seeds it started from:
// each must read to its end with reports only (or stop where it selects the
// abort handler).
#include "../QelRecorder.h"
#include "RibGuardedRead.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

TEST(RibCorpusTest, EveryFileReadsToItsEnd) {
    int files = 0, finished = 0;
    for (const auto& entry : std::filesystem::directory_iterator(RIB_READER_CORPUS)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        recorder::reset();
        finished += readRibGuarded(text);
        ++files;
    }
    EXPECT_GT(files, 10);
    EXPECT_GT(finished, files / 2);
}

TEST(RibCorpusTest, AnEscapedAbortStopsTheGuardedRead) {
    EXPECT_TRUE(readRibGuarded("ErrorHandler \"print\"\nFrobnicate\n"));
    EXPECT_FALSE(readRibGuarded("ErrorHandler \"ab\\157rt\"\nFrobnicate\n"));
}

} // namespace
