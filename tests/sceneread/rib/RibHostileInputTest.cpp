// What the RIB reader does with broken and hostile files: words past their
// length, too many errors, a file ending inside a block, gzip files and
// archives, archives that cannot be read to their end.
#include "../fuzz/FuzzFeeds.h"
#include "RibFixture.h"
#include "sceneread/SceneInput.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace quelmark;

namespace {

class RibHostileInputTest : public RibFixture {
protected:
    Lines readFile(const std::string& path) {
        recorder::reset();
        std::string why;
        std::unique_ptr<SceneInput> input = SceneInput::open(path, why);
        EXPECT_TRUE(input) << why;
        if (!input) return {};
        std::istream in(input.get());
        String frame;
        rendrib reader(in, path.c_str(), frame);
        reader.errorPrinter(capture);
        reader.parse();
        return requestsMade();
    }
};

TEST_F(RibHostileInputTest, WordsAndStringsPastTheirLengthAreRefused) {
    std::string word(5000, 'W');
    EXPECT_EQ(read(word + "\nSphere 1 -1 1 360\n\"" + std::string(2 << 20, 's') + "\"\n"),
              (Lines{"qelSphereV [1 -1 1 360]"}));
    // the rest of the word and of the string are read as what follows them
    ASSERT_GE(messages().size(), 3u);
    EXPECT_EQ(messages()[0], "RIB error: overflowing an internal limit at line 1: Word longer "
                             "than 4096 bytes");
    EXPECT_EQ(messages()[1], "RIB error: undefined RIB request at line 1");
    EXPECT_EQ(messages()[2], "RIB error: overflowing an internal limit at line 3: String longer "
                             "than 1048576 bytes");
}

TEST_F(RibHostileInputTest, ReadingStopsAfterAHundredErrors) {
    std::string text;
    for (int k = 0; k < 150; ++k)
        text += "Frobnicate\n";
    EXPECT_EQ(read(text + "Sphere 1 -1 1 360\n"), Lines{});
    ASSERT_EQ(messages().size(), 101u);
    EXPECT_EQ(messages()[99], "RIB error: undefined RIB request at line 100 'Frobnicate'");
    EXPECT_EQ(messages()[100], "severe RIB error: overflowing an internal limit at line 100 "
                               "'Frobnicate': too many errors; the rest of the file is not read");
}

TEST_F(RibHostileInputTest, AFileEndingInsideABlockSaysWhichAndWhere) {
    read("FrameBegin 1\nWorldBegin\nAttributeBegin\nTransformBegin\nSolidBegin \"union\"\n"
         "MotionBegin [0 1]\nTranslate 1 0 0\n");
    ASSERT_FALSE(messages().empty());
    EXPECT_EQ(messages().back(), "RIB error: general syntactic error at line 8: the file ends "
                                 "inside the motion block begun at line 6, in the solid block "
                                 "begun at line 5, in the transform block begun at line 4, in the "
                                 "attribute block begun at line 3, in 2 more");
    messages().clear();
    read("FrameBegin 1\nWorldBegin\nWorldEnd\n");
    EXPECT_EQ(messages(), (Lines{"RIB error: general syntactic error at line 4: the file ends "
                                 "inside the frame begun at line 1"}));
    // the world rendered when it ended; only the frame is left open
    EXPECT_NE(std::find(recorder::calls().begin(), recorder::calls().end(), "qelRenderInit"),
              recorder::calls().end());
}

class RibArchiveTest : public RibHostileInputTest {
protected:
    void SetUp() override { ::mkdir(fDir.c_str(), 0755); }
    void TearDown() override { std::filesystem::remove_all(fDir); }
    std::string write(const std::string& name, const std::string& bytes) {
        std::ofstream(fDir + name, std::ios::binary) << bytes;
        return fDir + name;
    }

    std::string fDir = ::testing::TempDir() + "rib-hostile-" + std::to_string(::getpid()) + "/";
};

TEST_F(RibArchiveTest, GzipFilesAndArchivesReadAsTheirText) {
    std::string scene = "WorldBegin\nReadArchive \"part.rib.gz\"\nDisk 0 1 360\nWorldEnd\n";
    write("part.rib.gz", gzipped("Color [0 1 0]\nSphere 1 -1 1 360\n"));
    Lines made = readFile(write("scene.rib", gzipped(scene)));
    EXPECT_TRUE(messages().empty()) << messages()[0];
    EXPECT_EQ(Lines(made.begin(), made.begin() + 7),
              (Lines{"qelFilter 262", "qelTune [32 16 16]", "qelSceneBegin",
                     "qelSurfaceV defaultsurface", "qelColor [0 1 0]", "qelSphereV [1 -1 1 360]",
                     "qelDiskV [0 1 360]"}));
}

TEST_F(RibArchiveTest, AnArchiveThatCannotBeReadSaysWhy) {
    std::string packed =
        gzipped("Sphere 1 -1 1 360\n" + std::string(100000, '\n') + "Disk 0 1 360\n");
    write("cut.rib", packed.substr(0, packed.size() - 20));
    ::mkdir((fDir + "folder.rib").c_str(), 0755);
    Lines made = readFile(write("scene.rib", "ReadArchive \"cut.rib\"\nReadArchive \"folder.rib\"\n"
                                             "Disk 0 1 360\n"));
    EXPECT_EQ(made, (Lines{"qelSphereV [1 -1 1 360]", "qelDiskV [0 1 360]"}));
    ASSERT_EQ(messages().size(), 2u);
    std::string cut = "severe RIB error: read error at line 1 'ReadArchive': archive \"" + fDir +
                      "cut.rib\" cannot be read past line ";
    EXPECT_EQ(messages()[0].rfind(cut, 0), 0u) << messages()[0];
    EXPECT_EQ(messages()[0].substr(messages()[0].rfind(':')), ": the gzip data ends early");
    EXPECT_EQ(messages()[1], "RIB error: incorrect parameter value at line 2 'ReadArchive': "
                             "ReadArchive \"folder.rib\": cannot open \"" +
                                 fDir + "folder.rib\": Is a directory");
}

} // namespace
