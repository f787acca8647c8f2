// The corpora of the fuzz targets, read again through a program's reading
// loop: each must end with messages, every way its variants read it.
#include "ReadingLoops.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

std::string contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(ReadingLoopTest, EveryCorpusFileEndsWithMessagesOrNone) {
    int files = 0;
    for (const char* corpus : {QEL_LOOP_CORPUS, QEL_READER_CORPUS, RIB_READER_CORPUS}) {
        if (!std::filesystem::is_directory(corpus)) continue;
        for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
            std::string bytes = contents(entry.path());
            for (unsigned variant = 0; variant < 4; ++variant)
                QEL_READING_LOOP(bytes, variant);
            ++files;
        }
    }
    EXPECT_GT(files, 100);
}

} // namespace
