// The progress dialog driven by a scripted reader: the texts it shows, the
// gauge, the frames it sees end, and Cancel.
#include "shell/TProgressDialog.h"

#include "ScriptedSteps.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using namespace quelmark;

namespace {

// Writes down every change the dialog reports, one word per event.
class RecordingView : public ProgressView {
public:
    std::vector<std::string> events;

    void dialogOpened(const TProgressDialog& dialog) override {
        events.push_back("open " + dialog.text());
    }
    void textChanged(const std::string& text) override { events.push_back("text " + text); }
    void gaugeChanged(const TGauge& gauge) override {
        events.push_back(gauge.visible() ? "gauge " + gauge.text() : "gauge hidden");
    }
    void frameFinished() override { events.push_back("frame done"); }
    void dialogClosed(const TProgressDialog&) override { events.push_back("closed"); }

    int count(const std::string& event) const {
        int n = 0;
        for (const std::string& e : events)
            n += e == event;
        return n;
    }
};

void ignoreLine(const char*) {}

class ProgressDialogTest : public ::testing::Test {
protected:
    // A dialog over the script, with the recording view attached.
    std::unique_ptr<TProgressDialog> dialogFor(std::vector<ScriptStep> script) {
        auto make = [this, script](std::istream&, const char*, String& frameName) {
            return std::make_unique<ScriptedSteps>(script, frameName, fRecord);
        };
        auto dialog = std::make_unique<TProgressDialog>(std::make_unique<std::istringstream>(""),
                                                        "scene.qel", make, ignoreLine);
        dialog->setView(&fView);
        return dialog;
    }

    static ScriptStep read() { return {}; }
    static ScriptStep name(const char* frame) { return {1, std::string(frame), 0, ""}; }
    static ScriptStep bucket(int percent) { return {1, std::nullopt, percent, ""}; }
    static ScriptStep lastBucket(int result = 1) { return {result, std::string(), 100, ""}; }

    ScriptRecord fRecord;
    RecordingView fView;
};

} // namespace

TEST_F(ProgressDialogTest, StartsLoadingWithTheGaugeHidden) {
    auto dialog = dialogFor({});
    EXPECT_EQ(dialog->text(), "Loading scene");
    EXPECT_FALSE(dialog->gauge().visible());
    EXPECT_EQ(dialog->gauge().value(), 0);
    EXPECT_EQ(dialog->gauge().minimum(), 0);
    EXPECT_EQ(dialog->gauge().maximum(), 100);
    EXPECT_TRUE(dialog->frameName().empty());
    EXPECT_FALSE(dialog->renderingShown());
    EXPECT_TRUE(dialog->hasReader());
    EXPECT_EQ(fRecord.printer, &ignoreLine);
    EXPECT_STREQ(TProgressDialog::kCaption, "Render Status");
}

TEST_F(ProgressDialogTest, OneFrameShowsItsNameOnceThenLoadingAgain) {
    auto dialog = dialogFor(
        {read(), name("x"), read(), bucket(25), bucket(50), bucket(75), lastBucket(), read()});
    dialog->Execute();
    std::vector<std::string> expected = {
        "open Loading scene", "text Rendering frame \"x\"",
        "gauge 0%",           "gauge 25%",
        "gauge 50%",          "gauge 75%",
        "text Loading scene", "gauge hidden",
        "frame done",         "closed",
    };
    EXPECT_EQ(fView.events, expected);
    // Eight steps of the script and the one that found the end.
    EXPECT_EQ(fRecord.steps, 9);
}

TEST_F(ProgressDialogTest, EachIdleStepLeavesTheStateOfTheStateMachine) {
    auto dialog = dialogFor({read(), name("teapot"), bucket(40), lastBucket()});
    dialog->Open();
    EXPECT_EQ(dialog->IdleAction(0), 1);
    EXPECT_EQ(dialog->text(), "Loading scene");
    EXPECT_FALSE(dialog->gauge().visible());

    EXPECT_EQ(dialog->IdleAction(1), 1);
    EXPECT_EQ(dialog->text(), "Rendering frame \"teapot\"");
    EXPECT_TRUE(dialog->gauge().visible());
    EXPECT_TRUE(dialog->renderingShown());

    EXPECT_EQ(dialog->IdleAction(2), 1);
    EXPECT_EQ(dialog->gauge().value(), 40);
    EXPECT_EQ(dialog->gauge().text(), "40%");

    EXPECT_EQ(dialog->IdleAction(3), 1);
    EXPECT_EQ(dialog->text(), "Loading scene");
    EXPECT_FALSE(dialog->gauge().visible());
    EXPECT_FALSE(dialog->renderingShown());
    EXPECT_TRUE(dialog->isOpen());

    EXPECT_EQ(dialog->IdleAction(4), 0);
    EXPECT_FALSE(dialog->isOpen());
    EXPECT_FALSE(dialog->cancelled());
    EXPECT_TRUE(fRecord.deleted);
    // Without a reader no step is taken.
    EXPECT_EQ(dialog->IdleAction(5), 0);
    EXPECT_EQ(fRecord.steps, 5);
}

TEST_F(ProgressDialogTest, TwoFramesShowRenderingTwiceWithLoadingBetween) {
    auto dialog = dialogFor({name("first"), bucket(50), lastBucket(), read(), read(),
                             name("second"), bucket(30), lastBucket(), read()});
    dialog->Execute();
    std::vector<std::string> texts;
    for (const std::string& e : fView.events)
        if (e.rfind("text ", 0) == 0) texts.push_back(e.substr(5));
    std::vector<std::string> expected = {"Rendering frame \"first\"", "Loading scene",
                                         "Rendering frame \"second\"", "Loading scene"};
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(fView.count("frame done"), 2);
    EXPECT_EQ(fView.count("gauge hidden"), 2);
    EXPECT_EQ(fView.count("gauge 50%"), 1);
    EXPECT_EQ(fView.count("gauge 30%"), 1);
}

TEST_F(ProgressDialogTest, TheRenderingTextIsSetOnlyOncePerFrame) {
    // A second name read while the first is shown does not change the text.
    auto dialog = dialogFor({name("one"), bucket(10), name("other"), bucket(20), lastBucket()});
    dialog->Execute();
    EXPECT_EQ(fView.count("text Rendering frame \"one\""), 1);
    EXPECT_EQ(fView.count("text Rendering frame \"other\""), 0);
    EXPECT_EQ(fView.count("gauge 20%"), 1);
}

TEST_F(ProgressDialogTest, AFrameEndingWithTheFileClosesAndCountsTheFrame) {
    // The reader reports no more work in the very step that empties the name.
    auto dialog = dialogFor({name("last"), bucket(60), lastBucket(0)});
    dialog->Execute();
    std::vector<std::string> expected = {"open Loading scene", "text Rendering frame \"last\"",
                                         "gauge 0%",           "gauge 60%",
                                         "text Loading scene", "gauge hidden",
                                         "frame done",         "closed"};
    EXPECT_EQ(fView.events, expected);
}

TEST_F(ProgressDialogTest, ANameWithoutAFinishedFrameIsNoFrame) {
    // The file ends while the frame is still being described.
    auto dialog = dialogFor({name("unfinished"), read()});
    dialog->Execute();
    EXPECT_EQ(fView.count("frame done"), 0);
    EXPECT_EQ(dialog->text(), "Loading scene");
    EXPECT_FALSE(dialog->gauge().visible());
}

TEST_F(ProgressDialogTest, GaugeValuesAreHeldInItsRange) {
    auto dialog = dialogFor({name("f"), bucket(130), bucket(-5), lastBucket()});
    dialog->Open();
    dialog->IdleAction(0);
    dialog->IdleAction(1);
    EXPECT_EQ(dialog->gauge().value(), 100);
    dialog->IdleAction(2);
    EXPECT_EQ(dialog->gauge().value(), 0);
}

TEST_F(ProgressDialogTest, AnEmptyFileClosesAtTheFirstStep) {
    auto dialog = dialogFor({});
    dialog->Execute();
    std::vector<std::string> expected = {"open Loading scene", "closed"};
    EXPECT_EQ(fView.events, expected);
    EXPECT_EQ(fRecord.steps, 1);
    EXPECT_TRUE(fRecord.deleted);
}

TEST_F(ProgressDialogTest, CancelDeletesTheReaderAtOnce) {
    auto dialog =
        dialogFor({name("big"), bucket(1), bucket(2), bucket(3), bucket(4), lastBucket()});
    int checks = 0;
    dialog->Execute([&] { return ++checks > 3; });
    EXPECT_EQ(fRecord.steps, 3);
    EXPECT_TRUE(fRecord.deleted);
    EXPECT_FALSE(dialog->hasReader());
    EXPECT_FALSE(dialog->isOpen());
    EXPECT_TRUE(dialog->cancelled());
    EXPECT_EQ(fView.count("frame done"), 0);
    EXPECT_EQ(fView.events.back(), "closed");
    EXPECT_EQ(dialog->IdleAction(9), 0);
    EXPECT_EQ(fRecord.steps, 3);
}

TEST_F(ProgressDialogTest, CancelFromTheButtonWhileRendering) {
    auto dialog = dialogFor({name("f"), bucket(10), bucket(20)});
    dialog->Open();
    dialog->IdleAction(0);
    dialog->IdleAction(1);
    dialog->CmCancel();
    EXPECT_TRUE(fRecord.deleted);
    EXPECT_TRUE(dialog->cancelled());
    EXPECT_EQ(fView.count("closed"), 1);
    // Closing twice reports once.
    dialog->Destroy();
    EXPECT_EQ(fView.count("closed"), 1);
}
