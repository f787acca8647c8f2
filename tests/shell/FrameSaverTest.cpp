// Frame image names: the plain name for one frame, numbered names for
// several, with the first image renamed when the second frame ends.
#include "shell/FrameSaver.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace quelmark;

TEST(FrameNameTest, TheNumberStandsBeforeTheExtension) {
    EXPECT_EQ(FrameSaver::numberedName("out.png", 1), "out1.png");
    EXPECT_EQ(FrameSaver::numberedName("out.png", 12), "out12.png");
    EXPECT_EQ(FrameSaver::numberedName("dir/frame.tif", 2), "dir/frame2.tif");
    EXPECT_EQ(FrameSaver::numberedName("a.b.tiff", 3), "a.b3.tiff");
}

TEST(FrameNameTest, WithoutAnExtensionTheNumberEndsTheName) {
    EXPECT_EQ(FrameSaver::numberedName("out", 1), "out1");
    EXPECT_EQ(FrameSaver::numberedName("my.dir/out", 2), "my.dir/out2");
    EXPECT_EQ(FrameSaver::numberedName("dir/.png", 4), "dir/.png4");
}

namespace {

bool exists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

std::string contents(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class FrameSaverTest : public ::testing::Test {
protected:
    void SetUp() override {
        fDir = ::testing::TempDir() + "frame-saver-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
        ::mkdir(fDir.c_str(), 0755);
        fPath = fDir + "out.png";
        for (const char* name : {"out.png", "out1.png", "out2.png", "out3.png"})
            std::remove((fDir + name).c_str());
    }

    // Plays the renderer: saves one image, at the path last set, per frame.
    FrameSaver::SaveFunc recorder() {
        return [this](const char* path) { fSet.emplace_back(path ? path : "(none)"); };
    }
    void renderFrame(const std::string& text) { std::ofstream(fSet.back()) << text; }

    std::string fDir, fPath;
    std::vector<std::string> fSet;
};

} // namespace

TEST_F(FrameSaverTest, OneFrameKeepsThePlainName) {
    FrameSaver saver(fPath, recorder());
    ASSERT_EQ(fSet, std::vector<std::string>{fPath});
    renderFrame("first");
    std::string problem;
    EXPECT_TRUE(saver.frameFinished(problem));
    EXPECT_EQ(saver.frames(), 1);
    EXPECT_EQ(contents(fPath), "first");
    EXPECT_FALSE(exists(fDir + "out1.png"));
    // Ready for a second frame, should one come.
    EXPECT_EQ(fSet.back(), fDir + "out2.png");
}

TEST_F(FrameSaverTest, SeveralFramesAreNumberedFromOne) {
    FrameSaver saver(fPath, recorder());
    std::string problem;
    for (const char* text : {"first", "second", "third"}) {
        renderFrame(text);
        EXPECT_TRUE(saver.frameFinished(problem)) << problem;
    }
    EXPECT_FALSE(exists(fPath));
    EXPECT_EQ(contents(fDir + "out1.png"), "first");
    EXPECT_EQ(contents(fDir + "out2.png"), "second");
    EXPECT_EQ(contents(fDir + "out3.png"), "third");
    std::vector<std::string> expected = {fPath, fDir + "out2.png", fDir + "out3.png",
                                         fDir + "out4.png"};
    EXPECT_EQ(fSet, expected);
}

TEST_F(FrameSaverTest, AFirstFrameWithoutAnImageIsNotRenamed) {
    FrameSaver saver(fPath, recorder());
    std::string problem;
    EXPECT_TRUE(saver.frameFinished(problem));
    renderFrame("second");
    EXPECT_TRUE(saver.frameFinished(problem));
    EXPECT_FALSE(exists(fDir + "out1.png"));
    EXPECT_EQ(contents(fDir + "out2.png"), "second");
}

TEST_F(FrameSaverTest, AFailedRenameIsReported) {
    FrameSaver saver(fPath, recorder());
    std::string problem;
    renderFrame("first");
    saver.frameFinished(problem);
    // A directory with something in it cannot be replaced by a file.
    std::string blocker = fDir + "out1.png";
    ::mkdir(blocker.c_str(), 0755);
    std::ofstream(blocker + "/keep") << "x";
    renderFrame("second");
    EXPECT_FALSE(saver.frameFinished(problem));
    EXPECT_NE(problem.find("cannot rename"), std::string::npos) << problem;
    EXPECT_NE(problem.find(blocker), std::string::npos) << problem;
    EXPECT_EQ(contents(fPath), "first");
    std::remove((blocker + "/keep").c_str());
    ::rmdir(blocker.c_str());
}

TEST_F(FrameSaverTest, StopEndsSaving) {
    FrameSaver saver(fPath, recorder());
    saver.stop();
    EXPECT_EQ(fSet.back(), "(none)");
}

TEST_F(FrameSaverTest, AlwaysNumberedFramesKeepTheirNumbers) {
    FrameSaver saver(fPath, recorder(), true);
    std::string problem;
    EXPECT_TRUE(saver.frameFinished(problem)); // frame 1 was not rendered
    renderFrame("second");
    EXPECT_TRUE(saver.frameFinished(problem));
    renderFrame("third");
    EXPECT_TRUE(saver.frameFinished(problem));
    EXPECT_EQ(fSet, (std::vector<std::string>{fDir + "out1.png", fDir + "out2.png",
                                              fDir + "out3.png", fDir + "out4.png"}));
    EXPECT_FALSE(exists(fPath));
    EXPECT_FALSE(exists(fDir + "out1.png"));
    EXPECT_EQ(contents(fDir + "out2.png"), "second");
    EXPECT_EQ(contents(fDir + "out3.png"), "third");
}
