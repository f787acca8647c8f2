// The scene file: chosen by the scene format of qelOutputFile, written a
// line at a time, and reported once when it cannot be opened or written.
#include "WriterFixture.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

using SceneFileTest = WriterFixture;

// Runs the requests with the test's directory as the working directory.
void inDirectory(const std::string& directory, const std::function<void()>& requests) {
    std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(directory);
    requests();
    std::filesystem::current_path(previous);
}

bool emptyDirectory(const std::string& directory) {
    return std::filesystem::is_empty(std::filesystem::path(directory));
}

TEST_F(SceneFileTest, NothingIsWrittenBeforeASceneFileIsChosen) {
    std::string directory = path("");
    inDirectory(directory, [] {
        qelFrameBegin();
        qelTranslate(1, 2, 3);
        qelSphere(1, -1, 1, 360, 0);
        qelComment("not written");
        qelFrameEnd();
    });
    EXPECT_TRUE(emptyDirectory(directory));
    EXPECT_EQ(reports(), Lines{});
    EXPECT_EQ(write([] { qelScale(2, 2, 2); }), Lines{"qelScale 2 2 2"});
}

TEST_F(SceneFileTest, ChoosingAFileReplacesItsContents) {
    std::string file = path("old.qel");
    std::ofstream(file) << "qelFrameBegin\nqelFrameEnd\n";
    qelOutputFile(QEL_FORMAT_QEL, file.c_str());
    qelTranslate(1, 0, 0);
    qelOutputFile(QEL_FORMAT_QEL, nullptr);
    EXPECT_EQ(readText(file), "qelTranslate 1 0 0\n");
}

TEST_F(SceneFileTest, ChoosingAnotherFileClosesTheFirst) {
    std::string first = path("first.qel"), second = path("second.qel");
    qelOutputFile(QEL_FORMAT_QEL, first.c_str());
    qelFrameBegin();
    qelOutputFile(QEL_FORMAT_QEL, second.c_str());
    qelFrameEnd();
    qelOutputFile(QEL_FORMAT_QEL, nullptr);
    qelFrameBegin();
    qelFrameEnd();
    EXPECT_EQ(readText(first), "qelFrameBegin\n");
    EXPECT_EQ(readText(second), "qelFrameEnd\n");
}

TEST_F(SceneFileTest, LinesWithArgumentsReachTheFileAtOnce) {
    std::string file = path("live.qel");
    qelOutputFile(QEL_FORMAT_QEL, file.c_str());
    qelAttributePush();
    qelTranslate(0, 0, 5);
    EXPECT_EQ(readText(file), "qelAttributePush\nqelTranslate 0 0 5\n");
    qelSphere(1, -1, 1, 360, 0);
    EXPECT_EQ(readText(file), "qelAttributePush\nqelTranslate 0 0 5\nqelSphere 1 -1 1 360\n");
    qelOutputFile(QEL_FORMAT_QEL, nullptr);
}

TEST_F(SceneFileTest, AFileThatCannotBeOpenedIsReportedOnceByTheFirstRequest) {
    qelOutputFile(QEL_FORMAT_QEL, "/nonexistent-directory/scene.qel");
    EXPECT_EQ(reports(), Lines{});
    qelFrameBegin();
    qelTranslate(1, 2, 3);
    qelFrameEnd();
    EXPECT_EQ(reports(), (Lines{"error: Parameter out of range. qelFrameBegin: cannot open scene "
                                "file /nonexistent-directory/scene.qel: No such file or "
                                "directory"}));
    // A file that opens is written again, and its own failure reported again.
    EXPECT_EQ(write([] { qelRotate(90, 0, 0, 1); }), Lines{"qelRotate 90 0 0 1"});
    qelOutputFile(QEL_FORMAT_QEL, "/nonexistent-directory/scene.qel");
    qelSphereV(1, -1, 1, 360, 0, nullptr, nullptr);
    EXPECT_EQ(reports(), (Lines{"error: Parameter out of range. qelSphereV: cannot open scene "
                                "file /nonexistent-directory/scene.qel: No such file or "
                                "directory"}));
}

TEST_F(SceneFileTest, AFullDiskIsReportedOnceAndTheRequestsGoOn) {
    qelOutputFile(QEL_FORMAT_QEL, "/dev/full");
    qelFrameBegin();
    qelTranslate(1, 2, 3);
    qelScale(1, 2, 3);
    qelFrameEnd();
    EXPECT_EQ(reports(), (Lines{"error: Parameter out of range. qelTranslate: cannot write scene "
                                "file /dev/full: No space left on device"}));
    // The state copy still follows the requests.
    qelFrameEnd();
    EXPECT_EQ(reports(), Lines{"error: Bad begin-end nesting. qelFrameEnd"});
    qelOutputFile(QEL_FORMAT_QEL, nullptr);
    EXPECT_EQ(reports(), Lines{});
}

TEST_F(SceneFileTest, OtherOutputFilesAreRequestLines) {
    EXPECT_EQ(write([] {
                  qelOutputFile(QEL_FORMAT_TIFF, "picture.tif");
                  qelOutputFile(0x250, "other");
              }),
              (Lines{"qelOutputFile \"tiff\" \"picture.tif\"",
                     "qelOutputFile \"null\" \"other\""}));
}

TEST_F(SceneFileTest, CommentsAreFormattedLikePrintf) {
    EXPECT_EQ(write([] {
                  qelComment("frame %d of %s", 3, "ten");
                  qelComment("");
                  qelComment("two\nlines");
                  qelComment(nullptr);
              }),
              (Lines{"# frame 3 of ten", "# ", "# two", "# lines"}));
}

} // namespace
