// RIB to QEL on the desktop, driven as a user drives it: the Conversion
// Status dialog's endings, Cancel, the File Error box, the open and save
// dialogs with the question before a file is replaced, and About.
#include <gtest/gtest.h>

#include "DesktopDriver.h"
#include "shell/RendribSteps.h"
#include "shell/tessaran/QelSceneOutput.h"
#include "shell/tessaran/TConversionStatus.h"
#include "shell/tessaran/TDesktopApp.h"
#include "tests/shell/ScratchDir.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Return_Button.H>

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

using namespace quelmark;

namespace {

const char kSquare[] = "Format 64 64 1\n"
                       "Projection \"orthographic\"\n"
                       "WorldBegin\n"
                       "Surface \"constant\"\n"
                       "Color [1 0 0]\n"
                       "Translate 0 0 1\n"
                       "Polygon \"P\" [-0.5 -0.5 0  0.5 -0.5 0  0.5 0.5 0  -0.5 0.5 0]\n"
                       "WorldEnd\n";

// What the dialog shows at one moment.
struct Shown {
    std::string text;
    bool cancelShown, okShown;
    bool operator==(const Shown&) const = default;
};

class TessaranDesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DesktopDriver::open()) << "the desktop tests need a window system";
        alarm(120);
        app.InitMainWindow();
        DesktopDriver::settle();
    }
    void TearDown() override {
        app.frame().hide();
        alarm(0);
    }

    std::string write(const std::string& name, const std::string& text) {
        return dir.path() + dir.write(name, text);
    }
    // The message window's text, as the frame's text view holds it.
    std::string paneText() { return DesktopDriver::textShown(app.frame()); }
    static std::string label(const Fl_Widget& widget) {
        return widget.label() ? widget.label() : "";
    }

    static bool look(Shown& shown) {
        Fl_Window* dialog = DesktopDriver::window("Conversion Status");
        if (!dialog) return false;
        Fl_Box* text = DesktopDriver::find<Fl_Box>(*dialog);
        Fl_Button* cancel = DesktopDriver::find<Fl_Button>(*dialog, "Cancel");
        Fl_Button* ok = DesktopDriver::find<Fl_Return_Button>(*dialog, "OK");
        if (!text || !cancel || !ok) return false;
        shown = {label(*text), cancel->visible() != 0, ok->visible() != 0};
        return true;
    }

    // Converts, recording every change the dialog shows; OK is clicked once
    // the dialog has shown it for a while, to see that it waits for it.
    std::vector<Shown> convert(const std::string& rib, const std::string& qel,
                               TRendApp::ConvertResult expected) {
        std::vector<Shown> states;
        int ticksWithOk = 0;
        DesktopDriver driver;
        driver.script([&] {
            Shown shown;
            if (!look(shown)) return false;
            if (states.empty() || !(states.back() == shown)) states.push_back(shown);
            if (shown.okShown && ++ticksWithOk % 30 == 20) {
                if (ticksWithOk == 20) DesktopDriver::screenshot(0, 0, 1024, 768, "conversion");
                DesktopDriver::click(*DesktopDriver::find<Fl_Return_Button>(
                    *DesktopDriver::window("Conversion Status"), "OK"));
            }
            return false;
        });
        EXPECT_EQ(app.TRendApp::CmConvert(rib.c_str(), qel.c_str()), expected);
        EXPECT_GE(ticksWithOk, 20) << "the dialog waited for OK";
        EXPECT_EQ(DesktopDriver::window("Conversion Status"), nullptr);
        return states;
    }

    ScratchDir dir{"tessaran-desktop"};
    QelSceneOutput output;
    TDesktopApp app{RendribSteps::make, output};
};

TEST_F(TessaranDesktopTest, AFileWithoutProblemsEndsWithSuccessAndOk) {
    std::string rib = write("square.rib", kSquare), qel = dir.path() + "square.qel";
    std::vector<Shown> states = convert(rib, qel, TRendApp::ConvertResult::Success);
    EXPECT_EQ(states, (std::vector<Shown>{{"Converting square.rib to square.qel", true, false},
                                          {"Success.", false, true}}));
    EXPECT_NE(dir.contents("square.qel").find("qelPolygon"), std::string::npos);
    EXPECT_EQ(paneText(), "");
}

TEST_F(TessaranDesktopTest, AWarningEndsWithThereAreMessages) {
    std::string scene = kSquare;
    scene.replace(scene.find("orthographic"), 12, "fisheye");
    std::string rib = write("fisheye.rib", scene), qel = dir.path() + "fisheye.qel";
    std::vector<Shown> states = convert(rib, qel, TRendApp::ConvertResult::Messages);
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.back(), (Shown{"There are warning/error messages.", false, true}));
    std::string messages = paneText();
    EXPECT_EQ(messages.rfind(rib + ":2: RIB warning: ", 0), 0u) << messages;
    EXPECT_EQ(std::count(messages.begin(), messages.end(), '\n'), 1) << "one line";
}

// Cancel, clicked while the file converts, closes the dialog and removes
// the unfinished QEL file.
TEST_F(TessaranDesktopTest, CancelWhileConvertingRemovesTheUnfinishedFile) {
    std::string scene = "WorldBegin\n";
    for (int k = 0; k < 400000; ++k)
        scene += "Sphere 1 -1 1 360\n";
    scene += "WorldEnd\n";
    std::string rib = write("long.rib", scene), qel = dir.path() + "long.qel";
    int ticks = 0;
    DesktopDriver driver;
    driver.script([&] {
        Fl_Window* dialog = DesktopDriver::window("Conversion Status");
        if (dialog && ticks++ % 50 == 3)
            DesktopDriver::click(*DesktopDriver::find<Fl_Button>(*dialog, "Cancel"));
        return false;
    });
    EXPECT_EQ(app.TRendApp::CmConvert(rib.c_str(), qel.c_str()),
              TRendApp::ConvertResult::Cancelled);
    driver.stop();
    EXPECT_EQ(DesktopDriver::window("Conversion Status"), nullptr);
    EXPECT_FALSE(dir.exists("long.qel"));
    EXPECT_EQ(paneText(), "conversion cancelled: the unfinished \"" + qel + "\" was removed\n");
}

// A QEL file that cannot be written: the File Error box, with the
// exclamation mark, and nothing converted.
TEST_F(TessaranDesktopTest, AnOutputThatCannotBeOpenedShowsTheFileErrorBox) {
    std::string rib = write("square.rib", kSquare);
    std::string qel = dir.path() + "no/such/folder/square.qel";
    std::string text, icon;
    DesktopDriver::respond(
        [&] {
            EXPECT_EQ(app.TRendApp::CmConvert(rib.c_str(), qel.c_str()),
                      TRendApp::ConvertResult::OutputNotOpened);
        },
        "File Error", "OK", "file-error",
        [&](Fl_Window& box) {
            for (int k = 0; k < box.children(); ++k) {
                std::string shown = label(*box.child(k));
                if (shown == "!") icon = shown;
                if (shown == "Unable to open file") text = shown;
            }
        });
    EXPECT_EQ(text, "Unable to open file");
    EXPECT_EQ(icon, "!");
    EXPECT_EQ(paneText(), "File Error: \"" + qel + "\": No such file or directory\n");
}

// Convert, chosen from the menu: the RIB file from the open dialog, the QEL
// file from the save dialog, which asks before an existing file is replaced.
class ConvertCommandTest : public TessaranDesktopTest {
protected:
    // Types the name into the chooser captioned caption and takes it.
    static bool choose(const char* caption, const std::string& name, int& ticks) {
        Fl_Window* chooser = DesktopDriver::window(caption);
        Fl_Input* input = chooser ? DesktopDriver::find<Fl_Input>(*chooser) : nullptr;
        Fl_Return_Button* ok = chooser ? DesktopDriver::find<Fl_Return_Button>(*chooser) : nullptr;
        if (!input || !ok || ++ticks < 5) return false;
        input->value(name.c_str());
        ok->do_callback();
        ticks = 0;
        return true;
    }
    // Phase 0 takes the RIB file in the open dialog, phase 1 the QEL file in
    // the save dialog; each moves on to the next phase.
    static void chooseFiles(const std::string& rib, const std::string& qel, int& phase,
                            int& ticks) {
        if (choose(phase == 0 ? "Open" : "Save As", phase == 0 ? rib : qel, ticks)) ++phase;
    }
    // Answers the question before a file is replaced.
    static bool answer(const char* button, std::string& question) {
        Fl_Window* ask = DesktopDriver::window("Save As");
        Fl_Button* chosen = ask ? DesktopDriver::find<Fl_Button>(*ask, button) : nullptr;
        if (!chosen) return false;
        for (int k = 0; k < ask->children(); ++k)
            if (label(*ask->child(k)).find("already exists") != std::string::npos)
                question = label(*ask->child(k));
        chosen->do_callback();
        return true;
    }
};

TEST_F(ConvertCommandTest, ReplacingAnExistingFileIsAskedFirst) {
    std::string rib = write("square.rib", kSquare), qel = write("old.qel", "# old\n");
    std::string question;
    int phase = 0, ticks = 0;
    DesktopDriver driver;
    driver.script([&] {
        switch (phase) {
        case 0:
        case 1:
            chooseFiles(rib, qel, phase, ticks);
            return false;
        case 2:
            if (answer("Yes", question)) phase = 3;
            return false;
        default:
            if (Fl_Window* dialog = DesktopDriver::window("Conversion Status"))
                if (Fl_Return_Button* ok = DesktopDriver::find<Fl_Return_Button>(*dialog, "OK");
                    ok && ok->visible())
                    ok->do_callback();
            return false;
        }
    });
    ASSERT_TRUE(app.frame().choose(TDesktopApp::kConvertPath));
    driver.stop();
    EXPECT_EQ(phase, 3);
    EXPECT_EQ(question, qel + " already exists.\nDo you want to replace it?");
    EXPECT_NE(dir.contents("old.qel").find("qelPolygon"), std::string::npos);
}

TEST_F(ConvertCommandTest, NotReplacingAskForAnotherNameAndCancelConvertsNothing) {
    std::string rib = write("square.rib", kSquare), qel = write("old.qel", "# old\n");
    std::string question;
    int phase = 0, ticks = 0;
    DesktopDriver driver;
    driver.script([&] {
        switch (phase) {
        case 0:
        case 1:
            chooseFiles(rib, qel, phase, ticks);
            return false;
        case 2:
            if (answer("No", question)) phase = 3;
            return false;
        case 3: {
            // The save dialog comes again; it is cancelled.
            Fl_Window* chooser = DesktopDriver::window("Save As");
            Fl_Button* cancel =
                chooser ? DesktopDriver::find<Fl_Button>(*chooser, "Cancel") : nullptr;
            if (!cancel || ++ticks < 5) return false;
            cancel->do_callback();
            phase = 4;
            return true;
        }
        default:
            return true;
        }
    });
    ASSERT_TRUE(app.frame().choose(TDesktopApp::kConvertPath));
    driver.stop();
    EXPECT_EQ(phase, 4);
    EXPECT_EQ(dir.contents("old.qel"), "# old\n");
    EXPECT_EQ(DesktopDriver::window("Conversion Status"), nullptr);
}

TEST_F(TessaranDesktopTest, AboutShowsTheVersion) {
    EXPECT_EQ(DesktopDriver::aboutText(app.frame(), TDesktopApp::kAboutCaption,
                                       TDesktopApp::kAboutText, "about-tessaran"),
              "RIB to Quelmark Version 1.01");
    DesktopDriver::screenshot(app.frame(), "rib-to-qel");
}

} // namespace
