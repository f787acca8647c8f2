// The converter's progress dialog driven by a scripted reader: its texts
// and buttons, the output file it has the writer open and close, the
// result told from the message window, and Cancel.
#include "shell/tessaran/TProgressDialog.h"

#include "RecordingOutput.h"
#include "ScriptedSteps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

using namespace quelmark;

namespace {

TRendEdit* gMessages = nullptr;

void printMessage(const char* text) {
    gMessages->print(text);
}

// Writes down every change the dialog reports, in the list the output
// writes to, so that the order of both is seen.
class RecordingView : public ConvertView {
public:
    explicit RecordingView(std::vector<std::string>& events) : fEvents(events) {}

    void dialogOpened(const TProgressDialog& dialog) override {
        fEvents.push_back("open dialog " + dialog.text());
    }
    void textChanged(const std::string& text) override { fEvents.push_back("text " + text); }
    void buttonsChanged(const TProgressDialog& dialog) override {
        fEvents.push_back(std::string("buttons") + (dialog.cancelShown() ? " Cancel" : "") +
                          (dialog.okShown() ? " OK" : ""));
    }
    void dialogClosed(const TProgressDialog&) override { fEvents.push_back("closed"); }

private:
    std::vector<std::string>& fEvents;
};

class ConversionDialogTest : public ::testing::Test {
protected:
    void SetUp() override { gMessages = &fMessages; }
    void TearDown() override { gMessages = nullptr; }

    std::unique_ptr<TProgressDialog> dialogFor(std::vector<ScriptStep> script,
                                               const char* ribName = "scene.rib",
                                               const char* qelName = "scene.qel") {
        auto make = [this, script](std::istream&, const char* fileName, String& frameName) {
            fReaderFile = fileName;
            return std::make_unique<ScriptedSteps>(script, frameName, fRecord);
        };
        auto dialog =
            std::make_unique<TProgressDialog>(std::make_unique<std::istringstream>(""), ribName,
                                              qelName, make, printMessage, fOutput, fMessages);
        dialog->setView(&fView);
        return dialog;
    }

    static ScriptStep read() { return {}; }
    static ScriptStep message(const char* text) { return {1, std::nullopt, 0, text}; }

    std::vector<std::string> fEvents;
    RecordingOutput fOutput{fEvents};
    RecordingView fView{fEvents};
    TRendEdit fMessages;
    ScriptRecord fRecord;
    std::string fReaderFile;
};

} // namespace

TEST_F(ConversionDialogTest, ConstructionMakesTheReaderAndOpensTheOutput) {
    auto dialog = dialogFor({}, "in/scene.rib", "out/scene.qel");
    EXPECT_STREQ(TProgressDialog::kCaption, "Conversion Status");
    EXPECT_EQ(dialog->text(), "Converting RIB file");
    EXPECT_EQ(fReaderFile, "in/scene.rib");
    EXPECT_EQ(fRecord.printer, &printMessage);
    EXPECT_TRUE(dialog->hasReader());
    std::vector<std::string> expected = {"open out/scene.qel"};
    EXPECT_EQ(fEvents, expected);
    EXPECT_FALSE(dialog->isOpen());
    EXPECT_EQ(fRecord.steps, 0);
}

TEST_F(ConversionDialogTest, SetupShowsTheStatusTextAndCancel) {
    auto dialog = dialogFor({}, "scenes/teapot.rib", "teapot.qel");
    dialog->SetupWindow();
    EXPECT_TRUE(dialog->isOpen());
    EXPECT_EQ(dialog->text(), "Converting teapot.rib to teapot.qel");
    EXPECT_TRUE(dialog->cancelShown());
    EXPECT_FALSE(dialog->okShown());
    EXPECT_EQ(fEvents.back(), "open dialog Converting teapot.rib to teapot.qel");
}

TEST_F(ConversionDialogTest, TheStatusTextNamesEachFileAfterItsLastSeparator) {
    EXPECT_EQ(dialogFor({}, "a.rib", "b.qel")->statusText(), "Converting a.rib to b.qel");
    EXPECT_EQ(dialogFor({}, "/home/me/rib/a.rib", "../out/b.qel")->statusText(),
              "Converting a.rib to b.qel");
    EXPECT_EQ(dialogFor({}, "C:\\scenes\\a.rib", "d:\\b.qel")->statusText(),
              "Converting a.rib to b.qel");
    EXPECT_EQ(dialogFor({}, "mixed/dir\\a.rib", "x\\y/b.qel")->statusText(),
              "Converting a.rib to b.qel");
    EXPECT_EQ(TProgressDialog::baseName("dir/"), "");
    EXPECT_EQ(TProgressDialog::baseName(""), "");
}

TEST_F(ConversionDialogTest, ACleanFileEndsWithSuccessAndOk) {
    auto dialog = dialogFor({read(), read(), read()});
    dialog->SetupWindow();
    EXPECT_EQ(dialog->IdleAction(0), 1);
    EXPECT_EQ(dialog->IdleAction(1), 1);
    EXPECT_EQ(dialog->IdleAction(2), 1);
    EXPECT_EQ(dialog->IdleAction(3), 0);
    EXPECT_EQ(dialog->text(), "Success.");
    EXPECT_TRUE(dialog->finished());
    EXPECT_TRUE(dialog->succeeded());
    EXPECT_FALSE(dialog->cancelShown());
    EXPECT_TRUE(dialog->okShown());
    EXPECT_TRUE(fRecord.deleted);
    // It stays open with its result until OK.
    EXPECT_TRUE(dialog->isOpen());
    EXPECT_EQ(dialog->IdleAction(4), 0);
    EXPECT_EQ(fRecord.steps, 4);
    dialog->CmOk();
    EXPECT_FALSE(dialog->isOpen());
    EXPECT_FALSE(dialog->cancelled());
    std::vector<std::string> expected = {
        "open scene.qel", "open dialog Converting scene.rib to scene.qel",
        "close",          "text Success.",
        "buttons OK",     "closed"};
    EXPECT_EQ(fEvents, expected);
}

TEST_F(ConversionDialogTest, ASingleMessageTurnsTheResult) {
    auto dialog = dialogFor({read(), message("RIB warning: at line 2 'Projection'"), read()});
    dialog->Execute();
    EXPECT_EQ(dialog->text(), "There are warning/error messages.");
    EXPECT_TRUE(dialog->finished());
    EXPECT_FALSE(dialog->succeeded());
    EXPECT_FALSE(dialog->isOpen());
    // Any line counts, whatever its label.
    fEvents.clear();
    fMessages.clear();
    fRecord = {};
    auto second = dialogFor({message("cannot write scene file x.qel")});
    second->Execute();
    EXPECT_EQ(second->text(), "There are warning/error messages.");
}

TEST_F(ConversionDialogTest, TheOutputIsClosedBeforeTheMessagesAreCounted) {
    // A write failure the writer reports only when the file is closed.
    fOutput.closeReport = "error: cannot write scene file scene.qel: No space left on device";
    fOutput.printer = printMessage;
    auto dialog = dialogFor({read()});
    dialog->Execute();
    EXPECT_EQ(dialog->text(), "There are warning/error messages.");
    ASSERT_EQ(fMessages.lines().size(), 1u);
}

TEST_F(ConversionDialogTest, ExecuteRunsToTheEndAndClosesWithTheResultShown) {
    auto dialog = dialogFor({read(), read()});
    dialog->Execute();
    EXPECT_EQ(fRecord.steps, 3);
    EXPECT_FALSE(dialog->isOpen());
    EXPECT_TRUE(dialog->succeeded());
    EXPECT_EQ(fEvents[fEvents.size() - 3], "text Success.");
    EXPECT_EQ(fEvents.back(), "closed");
}

TEST_F(ConversionDialogTest, AnEmptyFileSucceedsAtTheFirstStep) {
    auto dialog = dialogFor({});
    dialog->Execute();
    EXPECT_EQ(fRecord.steps, 1);
    EXPECT_TRUE(dialog->succeeded());
}

TEST_F(ConversionDialogTest, CancelDeletesTheReaderAtOnce) {
    auto dialog = dialogFor({read(), read(), read(), read(), read()});
    int checks = 0;
    dialog->Execute([&] { return ++checks > 2; });
    EXPECT_EQ(fRecord.steps, 2);
    EXPECT_TRUE(fRecord.deleted);
    EXPECT_FALSE(dialog->hasReader());
    EXPECT_TRUE(dialog->cancelled());
    EXPECT_FALSE(dialog->finished());
    EXPECT_FALSE(dialog->isOpen());
    EXPECT_EQ(dialog->text(), "Converting scene.rib to scene.qel");
    // The dialog leaves the file to the application.
    EXPECT_EQ(std::count(fEvents.begin(), fEvents.end(), "close"), 0);
    EXPECT_EQ(fEvents.back(), "closed");
    EXPECT_EQ(dialog->IdleAction(7), 0);
    EXPECT_EQ(fRecord.steps, 2);
}

TEST_F(ConversionDialogTest, OnlyTheShownButtonWorks) {
    auto dialog = dialogFor({read(), read()});
    dialog->SetupWindow();
    dialog->IdleAction(0);
    // OK is hidden while converting.
    dialog->CmOk();
    EXPECT_TRUE(dialog->isOpen());
    EXPECT_TRUE(dialog->hasReader());
    dialog->IdleAction(1);
    dialog->IdleAction(2);
    ASSERT_TRUE(dialog->finished());
    // Cancel is hidden once the result is shown.
    dialog->CmCancel();
    EXPECT_FALSE(dialog->cancelled());
    EXPECT_TRUE(dialog->isOpen());
    dialog->CmOk();
    EXPECT_FALSE(dialog->isOpen());
    // Closing twice reports once.
    dialog->Destroy();
    EXPECT_EQ(std::count(fEvents.begin(), fEvents.end(), "closed"), 1);
}
