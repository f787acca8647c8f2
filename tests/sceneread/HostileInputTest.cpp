// What the QEL reader does with broken and hostile files: words past their
// length, too many errors, a file ending inside a block, a read that fails
// half way, bytes a terminal would obey.
#include "ReaderFixture.h"
#include "fuzz/FuzzFeeds.h"
#include "sceneread/SceneInput.h"

using namespace quelmark;

namespace {

class HostileInputTest : public ReaderFixture {
protected:
    Lines readFrom(std::streambuf& input) {
        recorder::calls().clear();
        std::istream in(&input);
        String frame;
        rendqel reader(in, "test.qel", frame);
        reader.errorPrinter(capture);
        reader.parse();
        fFailed = reader.inputFailed();
        return requestsMade();
    }

    bool fFailed = false;
};

TEST_F(HostileInputTest, WordsStringsAndNumbersPastTheirLengthAreRefused) {
    std::string word(5000, 'q'), digits(5000, '7'), text(2 << 20, 'x');
    EXPECT_EQ(read(word + "\nqelFrameBegin\n" + digits + "\nqelFrameEnd\n"),
              (Lines{"qelFrameBegin", "qelFrameEnd"}));
    EXPECT_EQ(
        messages(),
        (Lines{"QEL error: overflowing an internal limit at line 1: Word longer than 4096 bytes",
               "QEL error: overflowing an internal limit at line 3: Number longer than 4096 "
               "bytes"}));
    messages().clear();
    // a string past 1 MiB stops there; the rest of it reads as what follows
    read("qelObjectName \"" + text + "\"\nqelFrameBegin\nqelFrameEnd\n");
    ASSERT_FALSE(messages().empty());
    EXPECT_EQ(messages()[0], "QEL error: overflowing an internal limit at line 1: String longer "
                             "than 1048576 bytes");
}

TEST_F(HostileInputTest, ReadingStopsAfterAHundredErrors) {
    std::string text;
    for (int k = 0; k < 150; ++k)
        text += "qelSphere x\n";
    EXPECT_EQ(read(text + "qelFrameBegin\n"), Lines{}) << "nothing after the hundredth error";
    ASSERT_EQ(messages().size(), 101u);
    EXPECT_EQ(messages()[99], "QEL error: general syntactic error at line 100 'x': Expected float");
    EXPECT_EQ(messages()[100], "severe QEL error: overflowing an internal limit at line 100 'x': "
                               "too many errors; the rest of the file is not read");
    // warnings are not counted
    messages().clear();
    text.clear();
    for (int k = 0; k < 150; ++k)
        text += "qelLightSwitch 7 1\n";
    EXPECT_EQ(read(text + "qelFrameBegin\nqelFrameEnd\n"), (Lines{"qelFrameBegin", "qelFrameEnd"}));
    EXPECT_EQ(messages().size(), 150u);
}

TEST_F(HostileInputTest, ABrokenTokenEndsOnlyARequestThatWouldReadIt) {
    EXPECT_EQ(read("qelFrameBegin\n12x\nqelTranslate 1 2y 3\nqelFrameEnd\n"),
              (Lines{"qelFrameBegin", "qelFrameEnd"}));
    EXPECT_EQ(messages(),
              (Lines{"QEL error: general syntactic error at line 2 '12x': Invalid number",
                     "QEL error: general syntactic error at line 3 '2y': Invalid number"}));
}

TEST_F(HostileInputTest, AnEndlessStreamOfGarbageEnds) {
    // as from /dev/zero: words of NUL bytes, each past the longest
    std::string zeros(1 << 20, '\0');
    read(zeros);
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[0],
              "QEL error: overflowing an internal limit at line 1: Word longer than 4096 bytes");
    EXPECT_EQ(messages()[1], "severe QEL error: overflowing an internal limit at line 1: too many "
                             "errors; the rest of the file is not read");
}

TEST_F(HostileInputTest, AFileEndingInsideABlockSaysWhichAndWhere) {
    read("qelFrameBegin\nqelSceneBegin\nqelAttributePush\nqelMatrixPush\nqelSphere 1 -1 1 360\n");
    EXPECT_EQ(messages(), (Lines{"QEL error: general syntactic error at line 6: the file ends "
                                 "inside the transform block begun at line 4, in the attribute "
                                 "block begun at line 3, in the scene begun at line 2, in the "
                                 "frame begun at line 1"}));
    messages().clear();
    read("qelFrameBegin\nqelSceneBegin\nqelObjectBegin 1\nqelSphere 1 -1 1 360\n");
    EXPECT_EQ(messages(), (Lines{"QEL error: general syntactic error at line 5: the file ends "
                                 "inside the object begun at line 3, in the scene begun at line "
                                 "2, in the frame begun at line 1"}));
    // blocks that end are forgotten, and an end without its begin is the renderer's to report
    messages().clear();
    read("qelFrameBegin\nqelSceneBegin\nqelAttributePush\nqelAttributePop\nqelSceneEnd\n"
         "qelAttributePop\nqelFrameEnd\n");
    EXPECT_TRUE(messages().empty());
}

TEST_F(HostileInputTest, AReadThatFailsHalfWayStopsWithItsReason) {
    PiecesBuffer input("qelFrameBegin\nqelSceneBegin\nqelSphere 1 -1 1 360\nqelSce",
                       "Input/output error");
    EXPECT_EQ(readFrom(input),
              (Lines{"qelFrameBegin", "qelSceneBegin", "qelSphereV [1 -1 1 360]"}));
    EXPECT_TRUE(fFailed);
    EXPECT_EQ(messages(),
              (Lines{"QEL error: undefined QEL request at line 4 'qelSce'",
                     "severe QEL error: read error at line 4: reading stops: Input/output error",
                     "QEL error: general syntactic error at line 4: the file ends inside the "
                     "scene begun at line 2, in the frame begun at line 1"}));
}

TEST_F(HostileInputTest, AGzipFileReadsAsItsText) {
    std::string scene = "qelFrameBegin\nqelSceneBegin\nqelSphere 1 -1 1 360\nqelSceneEnd\n"
                        "qelFrameEnd\n";
    Lines plain = read(scene);
    ScratchFile file(scene, true);
    std::string why;
    std::unique_ptr<SceneInput> input = SceneInput::open(file.path(), why);
    ASSERT_TRUE(input);
    EXPECT_EQ(readFrom(*input), plain);
    EXPECT_TRUE(messages().empty());
}

TEST_F(HostileInputTest, ReportsShowControlBytesAsEscapes) {
    // a terminal would reset itself at the first, and take NUL for the end
    read("qelF\x1b"
         "coo\n");
    read(std::string("qel\0Bar\n", 8));
    // valid UTF-8 stays, broken UTF-8 is escaped
    read("qelSurface \"plastic\" \"caf\xc3\xa9\" 1\n");
    read("qelSurface \"plastic\" \"n\xe9"
         "e\" 1\n");
    EXPECT_EQ(messages(),
              (Lines{"QEL error: undefined QEL request at line 1 'qelF\\x1bcoo'",
                     "QEL error: undefined QEL request at line 1 'qel\\x00Bar'",
                     "QEL error: incorrect parameter value at line 1 'caf\xc3\xa9': Undefined "
                     "quark 'caf\xc3\xa9'",
                     "QEL error: incorrect parameter value at line 1 'n\\xe9e': Undefined quark "
                     "'n\\xe9e'"}));
}

} // namespace
