#include "common/AtomicFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

using namespace quelmark;

namespace {

std::string contentsOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool putFile(const char* path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return bool(out);
}

class AtomicFileWrite : public ::testing::Test {
protected:
    ~AtomicFileWrite() override {
        std::remove(fPath.c_str());
        std::remove(tempPath().c_str());
    }

    std::string tempPath() const { return fPath + ".part-" + std::to_string(::getpid()); }

    // The process id keeps tests that run side by side apart.
    std::string fPath = ::testing::TempDir() + std::to_string(::getpid()) + "-atomic.img";
};

} // namespace

TEST_F(AtomicFileWrite, GoodWriteGoesThroughTheTemporaryFileAndReplacesTheOld) {
    ASSERT_TRUE(putFile(fPath.c_str(), "old image"));
    std::string seen;
    bool written = AtomicFile::writeWhole(fPath, [&](const char* temp) {
        seen = temp;
        EXPECT_EQ(AtomicFile::inProgress(), std::string(temp));
        EXPECT_EQ(contentsOf(fPath), "old image") << "the old file stays while writing";
        return putFile(temp, "new image");
    });
    EXPECT_TRUE(written);
    EXPECT_EQ(seen, tempPath());
    EXPECT_EQ(contentsOf(fPath), "new image");
    EXPECT_FALSE(std::filesystem::exists(tempPath()));
    EXPECT_EQ(AtomicFile::inProgress(), nullptr);
}

TEST_F(AtomicFileWrite, NewFileAppearsOnlyWhenComplete) {
    EXPECT_TRUE(AtomicFile::writeWhole(fPath, [&](const char* temp) {
        EXPECT_FALSE(std::filesystem::exists(fPath));
        return putFile(temp, "image");
    }));
    EXPECT_EQ(contentsOf(fPath), "image");
}

TEST_F(AtomicFileWrite, FailedWriteLeavesTheOldFileAndNoTemporaryFile) {
    ASSERT_TRUE(putFile(fPath.c_str(), "old image"));
    EXPECT_FALSE(AtomicFile::writeWhole(fPath, [](const char* temp) {
        putFile(temp, "half an im");
        return false;
    }));
    EXPECT_EQ(contentsOf(fPath), "old image");
    EXPECT_FALSE(std::filesystem::exists(tempPath()));
    EXPECT_EQ(AtomicFile::inProgress(), nullptr);

    EXPECT_FALSE(AtomicFile::writeWhole(fPath, [](const char* temp) -> bool {
        putFile(temp, "half");
        throw std::runtime_error("writer broke down");
    }));
    EXPECT_EQ(contentsOf(fPath), "old image");
    EXPECT_FALSE(std::filesystem::exists(tempPath()));
}

TEST_F(AtomicFileWrite, FailedWriteOfANewFileLeavesNothing) {
    EXPECT_FALSE(AtomicFile::writeWhole(fPath, [](const char* temp) {
        putFile(temp, "half");
        return false;
    }));
    EXPECT_FALSE(std::filesystem::exists(fPath));
    EXPECT_FALSE(std::filesystem::exists(tempPath()));
}

TEST_F(AtomicFileWrite, UnreachableFolderFails) {
    ASSERT_TRUE(putFile(fPath.c_str(), "a file, not a folder"));
    std::string inside = fPath + "/x.img";
    bool asked = false;
    EXPECT_FALSE(AtomicFile::writeWhole(inside, [&](const char* temp) {
        asked = true;
        return putFile(temp, "image");
    }));
    EXPECT_TRUE(asked) << "the writer finds out that it cannot create the file";
    EXPECT_EQ(contentsOf(fPath), "a file, not a folder");
    EXPECT_FALSE(AtomicFile::writeWhole("/nonexistent-dir/x.img",
                                        [](const char* temp) { return putFile(temp, "image"); }));
}

TEST_F(AtomicFileWrite, FolderIsNotReplaced) {
    std::filesystem::create_directory(fPath);
    bool asked = false;
    EXPECT_FALSE(AtomicFile::writeWhole(fPath, [&](const char*) { return asked = true; }));
    EXPECT_FALSE(asked);
    EXPECT_TRUE(std::filesystem::is_directory(fPath));
    std::filesystem::remove(fPath);
}

TEST_F(AtomicFileWrite, ReplacedFileKeepsItsPermissions) {
    ASSERT_TRUE(putFile(fPath.c_str(), "old"));
    ASSERT_EQ(::chmod(fPath.c_str(), 0640), 0);
    EXPECT_TRUE(
        AtomicFile::writeWhole(fPath, [](const char* temp) { return putFile(temp, "new"); }));
    struct stat info;
    ASSERT_EQ(::stat(fPath.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(AtomicFileWrite, LinkedFileIsReplacedAndTheLinkKept) {
    ASSERT_TRUE(putFile(fPath.c_str(), "old"));
    std::string link = fPath + ".link";
    std::filesystem::remove(link);
    std::filesystem::create_symlink(fPath, link);
    std::string seen;
    EXPECT_TRUE(AtomicFile::writeWhole(link, [&](const char* temp) {
        seen = temp;
        return putFile(temp, "new");
    }));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(contentsOf(fPath), "new");
    EXPECT_EQ(std::filesystem::path(seen).parent_path(),
              std::filesystem::canonical(fPath).parent_path());
    std::filesystem::remove(link);
}

TEST_F(AtomicFileWrite, DeviceIsWrittenInPlace) {
    std::string seen;
    EXPECT_TRUE(AtomicFile::writeWhole("/dev/null", [&](const char* path) {
        seen = path;
        EXPECT_EQ(AtomicFile::inProgress(), nullptr) << "nothing for a signal handler to remove";
        return putFile(path, "image");
    }));
    EXPECT_EQ(seen, "/dev/null");
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}

TEST_F(AtomicFileWrite, OneWriteAtATime) {
    bool nested = true;
    EXPECT_TRUE(AtomicFile::writeWhole(fPath, [&](const char* temp) {
        nested = AtomicFile::writeWhole(fPath + ".other", [](const char*) { return true; });
        return putFile(temp, "image");
    }));
    EXPECT_FALSE(nested);
    EXPECT_FALSE(std::filesystem::exists(fPath + ".other"));
}

TEST_F(AtomicFileWrite, EmptyOrOverlongPathIsRefused) {
    bool asked = false;
    auto write = [&](const char*) { return asked = true; };
    EXPECT_FALSE(AtomicFile::writeWhole("", write));
    EXPECT_FALSE(AtomicFile::writeWhole(std::string(5000, 'x'), write));
    EXPECT_FALSE(asked);
}
