// The application's Render command over a scripted reader: the message
// window, files that cannot be opened, and Cancel.
#include "shell/TRendApp.h"

#include "ScriptedSteps.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace quelmark;

namespace {

class RenderCommandTest : public ::testing::Test {
protected:
    TRendApp::RenderResult renderScript(TRendApp& app, std::vector<ScriptStep> script) {
        fScript = std::move(script);
        fRecord = {};
        return app.CmRender("scene.qel", std::make_unique<std::istringstream>(""));
    }

    TRendApp makeApp() {
        return TRendApp([this](std::istream& in, const char* fileName, String& frameName) {
            fFileNames.emplace_back(fileName);
            std::string firstLine;
            std::getline(in, firstLine);
            fFirstLines.push_back(firstLine);
            return std::make_unique<ScriptedSteps>(fScript, frameName, fRecord);
        });
    }

    static ScriptStep message(const char* text) { return {1, std::nullopt, 0, text}; }

    std::vector<ScriptStep> fScript;
    ScriptRecord fRecord;
    std::vector<std::string> fFileNames, fFirstLines;
};

// Sees which dialog is open while the dialog reports.
class OpenDialogView : public ProgressView {
public:
    const TProgressDialog* seen = nullptr;
    void dialogOpened(const TProgressDialog&) override { seen = TRendApp::fProgressDialog; }
};

} // namespace

TEST_F(RenderCommandTest, NamesAndTexts) {
    EXPECT_STREQ(TRendApp::kName, "Quelmark");
    EXPECT_STREQ(TRendApp::kAboutText, "Quelmark Version 1.01");
    TRendApp app = makeApp();
    EXPECT_STREQ(app.CmAbout(), "Quelmark Version 1.01");
}

TEST_F(RenderCommandTest, TheReaderPrintsIntoTheMessageWindow) {
    TRendApp app = makeApp();
    auto result = renderScript(app, {message("QEL warning: at line 1"),
                                     message("error: Bad begin-end nesting. qelFrameEnd")});
    EXPECT_EQ(result, TRendApp::RenderResult::Finished);
    EXPECT_EQ(fRecord.printer, &TRendApp::print);
    std::vector<std::string> expected = {"QEL warning: at line 1",
                                         "error: Bad begin-end nesting. qelFrameEnd"};
    EXPECT_EQ(app.messages().lines(), expected);
    EXPECT_EQ(app.messages().worst(), Severity::Error);
    EXPECT_TRUE(fRecord.deleted);
    EXPECT_EQ(TRendApp::fProgressDialog, nullptr);
}

TEST_F(RenderCommandTest, RenderAgainClearsTheMessagesFirst) {
    TRendApp app = makeApp();
    renderScript(app, {message("severe QEL error: at line 3")});
    EXPECT_EQ(app.messages().worst(), Severity::Severe);
    renderScript(app, {message("info: all fine")});
    std::vector<std::string> expected = {"info: all fine"};
    EXPECT_EQ(app.messages().lines(), expected);
    EXPECT_EQ(app.messages().worst(), Severity::Info);
}

TEST_F(RenderCommandTest, OpensTheNamedFileForTheReader) {
    std::string path = ::testing::TempDir() + "render-command-scene.qel";
    std::ofstream(path) << "qelFrameBegin\n";
    TRendApp app = makeApp();
    fScript = {};
    EXPECT_EQ(app.CmRender(path.c_str()), TRendApp::RenderResult::Finished);
    ASSERT_EQ(fFirstLines.size(), 1u);
    EXPECT_EQ(fFirstLines[0], "qelFrameBegin");
    EXPECT_EQ(fFileNames[0], path);
    std::remove(path.c_str());
}

TEST_F(RenderCommandTest, AFileThatCannotBeOpenedIsReported) {
    TRendApp app = makeApp();
    app.messages().print("from before");
    std::string path = ::testing::TempDir() + "no-such-dir/missing.qel";
    EXPECT_EQ(app.CmRender(path.c_str()), TRendApp::RenderResult::NotOpened);
    ASSERT_EQ(app.messages().lines().size(), 1u);
    const std::string& line = app.messages().lines()[0];
    EXPECT_NE(line.find("cannot open"), std::string::npos) << line;
    EXPECT_NE(line.find(path), std::string::npos) << line;
    EXPECT_TRUE(fFileNames.empty());
}

TEST_F(RenderCommandTest, CancelEndsTheCommandAndKeepsTheMessages) {
    TRendApp app = makeApp();
    int steps = 0;
    app.setCancelCheck([&] { return steps++ == 2; });
    auto result = renderScript(
        app, {message("QEL info: one"), message("QEL info: two"), message("QEL info: three")});
    EXPECT_EQ(result, TRendApp::RenderResult::Cancelled);
    EXPECT_EQ(fRecord.steps, 2);
    EXPECT_TRUE(fRecord.deleted);
    std::vector<std::string> expected = {"QEL info: one", "QEL info: two"};
    EXPECT_EQ(app.messages().lines(), expected);
}

TEST_F(RenderCommandTest, TheOpenDialogIsKnownWhileItRuns) {
    TRendApp app = makeApp();
    OpenDialogView view;
    app.setProgressView(&view);
    renderScript(app, {});
    EXPECT_NE(view.seen, nullptr);
    EXPECT_EQ(TRendApp::fProgressDialog, nullptr);
}
