// The converter's Convert command over a scripted reader and real files:
// the output test before anything else, files that cannot be opened, the
// message window, the result, and Cancel removing the unfinished file.
#include "shell/tessaran/TRendApp.h"

#include "RecordingOutput.h"
#include "ScratchDir.h"
#include "ScriptedSteps.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <vector>

using namespace quelmark;

namespace {

struct Box {
    std::string text, caption, detail;
};

class BoxView : public ConvertView {
public:
    std::vector<Box> boxes;
    const TProgressDialog* openDialog = nullptr;

    void messageBox(const char* text, const char* caption, const std::string& detail) override {
        boxes.push_back({text, caption, detail});
    }
    void dialogOpened(const TProgressDialog&) override { openDialog = TRendApp::fProgressDialog; }
};

class ConvertCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(fDir.path().empty());
        fApp.setView(&fView);
        fRib = fDir.path() + fDir.write("in.rib", "WorldBegin\nWorldEnd\n");
        fQel = fDir.path() + "out.qel";
    }

    TRendApp::ConvertResult convert(std::vector<ScriptStep> script, const std::string& rib,
                                    const std::string& qel) {
        fScript = std::move(script);
        fRecord = {};
        return fApp.CmConvert(rib.c_str(), qel.c_str());
    }

    static ScriptStep read() { return {}; }
    static ScriptStep message(const char* text) { return {1, std::nullopt, 0, text}; }

    ScratchDir fDir{"convert-command"};
    std::vector<std::string> fEvents;
    RecordingOutput fOutput{fEvents};
    std::vector<ScriptStep> fScript;
    ScriptRecord fRecord;
    std::vector<std::string> fFirstLines;
    TRendApp fApp{[this](std::istream& in, const char*, String& frameName) {
                      std::string line;
                      std::getline(in, line);
                      fFirstLines.push_back(line);
                      return std::make_unique<ScriptedSteps>(fScript, frameName, fRecord);
                  },
                  fOutput};
    BoxView fView;
    std::string fRib, fQel;
};

} // namespace

TEST_F(ConvertCommandTest, NamesAndTexts) {
    EXPECT_STREQ(TRendApp::kName, "RIB to QEL");
    EXPECT_STREQ(TRendApp::kAboutText, "RIB to Quelmark Version 1.01");
    EXPECT_STREQ(fApp.CmAbout(), "RIB to Quelmark Version 1.01");
}

TEST_F(ConvertCommandTest, ACleanFileSucceeds) {
    EXPECT_EQ(convert({read(), read()}, fRib, fQel), TRendApp::ConvertResult::Success);
    ASSERT_EQ(fFirstLines.size(), 1u);
    EXPECT_EQ(fFirstLines[0], "WorldBegin");
    EXPECT_EQ(fRecord.printer, &TRendApp::print);
    EXPECT_TRUE(fRecord.deleted);
    std::vector<std::string> expected = {"open " + fQel, "close"};
    EXPECT_EQ(fEvents, expected);
    EXPECT_TRUE(fView.boxes.empty());
    EXPECT_NE(fView.openDialog, nullptr);
    EXPECT_EQ(TRendApp::fProgressDialog, nullptr);
}

TEST_F(ConvertCommandTest, MessagesGoToTheWindowAndTurnTheResult) {
    EXPECT_EQ(convert({message("RIB warning: w"), read()}, fRib, fQel),
              TRendApp::ConvertResult::Messages);
    std::vector<std::string> expected = {"RIB warning: w"};
    EXPECT_EQ(fApp.messages().lines(), expected);
    // The next conversion starts with an empty window.
    EXPECT_EQ(convert({read()}, fRib, fQel), TRendApp::ConvertResult::Success);
    EXPECT_TRUE(fApp.messages().lines().empty());
}

TEST_F(ConvertCommandTest, AnOutputThatCannotBeOpenedStopsEverything) {
    fApp.messages().print("from before");
    std::string before = fDir.contents("in.rib");
    for (std::string qel : {fDir.path() + "no-such-dir/out.qel", fDir.path()}) {
        fView.boxes.clear();
        EXPECT_EQ(convert({read()}, fRib, qel), TRendApp::ConvertResult::OutputNotOpened) << qel;
        ASSERT_EQ(fView.boxes.size(), 1u) << qel;
        EXPECT_EQ(fView.boxes[0].text, "Unable to open file");
        EXPECT_EQ(fView.boxes[0].caption, "File Error");
        EXPECT_NE(fView.boxes[0].detail.find(qel), std::string::npos) << fView.boxes[0].detail;
    }
    EXPECT_TRUE(fFirstLines.empty());
    EXPECT_TRUE(fEvents.empty());
    EXPECT_FALSE(fDir.exists("no-such-dir"));
    EXPECT_EQ(fDir.contents("in.rib"), before);
    // The message window is cleared only when a conversion starts.
    EXPECT_EQ(fApp.messages().lines().size(), 1u);
}

TEST_F(ConvertCommandTest, TheInputIsNeverTheOutput) {
    std::string before = fDir.contents("in.rib");
    std::string sameFile = fDir.path() + "./in.rib";
    EXPECT_EQ(convert({read()}, fRib, sameFile), TRendApp::ConvertResult::OutputNotOpened);
    ASSERT_EQ(fView.boxes.size(), 1u);
    EXPECT_EQ(fView.boxes[0].caption, "File Error");
    EXPECT_NE(fView.boxes[0].detail.find("RIB file"), std::string::npos);
    EXPECT_EQ(fDir.contents("in.rib"), before);
    EXPECT_TRUE(fEvents.empty());
}

TEST_F(ConvertCommandTest, TheOutputTestLeavesAnExistingFileAsItIs) {
    fDir.write("kept.qel", "old contents\n");
    EXPECT_EQ(convert({read()}, fDir.path() + "missing.rib", fDir.path() + "kept.qel"),
              TRendApp::ConvertResult::InputNotOpened);
    EXPECT_EQ(fDir.contents("kept.qel"), "old contents\n");
}

TEST_F(ConvertCommandTest, AMissingInputIsReportedAndLeavesNoOutput) {
    std::string missing = fDir.path() + "missing.rib";
    EXPECT_EQ(convert({read()}, missing, fQel), TRendApp::ConvertResult::InputNotOpened);
    ASSERT_EQ(fApp.messages().lines().size(), 1u);
    const std::string& line = fApp.messages().lines()[0];
    EXPECT_NE(line.find("cannot open RIB file"), std::string::npos) << line;
    EXPECT_NE(line.find(missing), std::string::npos) << line;
    EXPECT_NE(line.find("No such file"), std::string::npos) << line;
    // The output test made the file; it goes again.
    EXPECT_FALSE(fDir.exists("out.qel"));
    EXPECT_TRUE(fFirstLines.empty());
    EXPECT_TRUE(fEvents.empty());
}

TEST_F(ConvertCommandTest, CancelClosesAndRemovesTheUnfinishedOutput) {
    // The recording output writes nothing, so the file the test made stands
    // for the unfinished one.
    int steps = 0;
    fApp.setCancelCheck([&] { return steps++ == 2; });
    EXPECT_EQ(convert({message("RIB info: one"), read(), read(), read()}, fRib, fQel),
              TRendApp::ConvertResult::Cancelled);
    EXPECT_EQ(fRecord.steps, 2);
    EXPECT_TRUE(fRecord.deleted);
    std::vector<std::string> expected = {"open " + fQel, "close"};
    EXPECT_EQ(fEvents, expected);
    EXPECT_FALSE(fDir.exists("out.qel"));
    const std::vector<std::string>& lines = fApp.messages().lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "RIB info: one");
    EXPECT_EQ(lines[1], "conversion cancelled: the unfinished \"" + fQel + "\" was removed");
}

TEST_F(ConvertCommandTest, CancelLeavesAnOutputThatIsNoRegularFile) {
    fApp.setCancelCheck([] { return true; });
    EXPECT_EQ(convert({read()}, fRib, "/dev/null"), TRendApp::ConvertResult::Cancelled);
    struct stat info;
    ASSERT_EQ(::stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    ASSERT_EQ(fApp.messages().lines().size(), 1u);
    EXPECT_EQ(fApp.messages().lines()[0], "conversion cancelled");
}
