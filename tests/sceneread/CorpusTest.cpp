// Inputs the fuzzer once found troublesome, and seeds it started from: each
// must read to its end with reports only (or stop where it selects the abort
// handler), fed any way, and make the same requests whichever way it is fed.
#include "QelRecorder.h"
#include "fuzz/FuzzFeeds.h"
#include "fuzz/GuardedRead.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool looksGzipped(const std::string& bytes) {
    return bytes.size() >= 2 && bytes[0] == '\x1f' && bytes[1] == '\x8b';
}

// Reads every corpus file each way; the requests must not depend on the way.
void readCorpus(const char* corpus, bool (*read)(std::istream&)) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        std::string bytes = contents(entry.path());
        std::vector<std::string> first;
        for (Feed feed : kFeeds) {
            // a file that starts as gzip data is inflated when read from a file
            if (feed == Feed::File && looksGzipped(bytes)) continue;
            recorder::reset();
            FedInput input(bytes, feed);
            read(input.stream());
            if (feed == Feed::Memory)
                first = recorder::calls();
            else
                EXPECT_EQ(recorder::calls(), first)
                    << entry.path() << " fed way " << int(feed) << " made other requests";
        }
        ++files;
    }
    EXPECT_GT(files, 10);
}

TEST(CorpusTest, EveryQelFileReadsAlikeFedAnyWay) {
    readCorpus(QEL_READER_CORPUS, readQelGuarded);
}

TEST(CorpusTest, EveryRibFileReadsAlikeFedAnyWay) {
    readCorpus(RIB_READER_CORPUS, readRibGuarded);
}

TEST(CorpusTest, AnEscapedAbortStopsTheGuardedRead) {
    EXPECT_TRUE(readRibGuarded("ErrorHandler \"print\"\nFrobnicate\n"));
    EXPECT_FALSE(readRibGuarded("ErrorHandler \"ab\\157rt\"\nFrobnicate\n"));
}

} // namespace
