// Quelmark on the desktop, driven as a user drives it: the Render Status
// dialog step by step, Cancel, the file dialog, the About dialog and the
// display windows served between renders.
#include <gtest/gtest.h>

#include "DesktopDriver.h"
#include "api/qelwindow.h"
#include "shell/lumivar/SceneReaders.h"
#include "shell/lumivar/TDesktopApp.h"
#include "shell/lumivar/TRenderStatus.h"
#include "tests/renderer/display/XClient.h"
#include "tests/shell/ScratchDir.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Progress.H>
#include <FL/Fl_Return_Button.H>

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace quelmark;

namespace {

// What the dialog shows at one moment.
struct Shown {
    std::string text;
    bool gaugeShown;
    int gauge;
    std::string gaugeText;
    bool cancelShown;
};

std::string frameScene(const std::string& name, int width, int height) {
    char viewport[64];
    std::snprintf(viewport, sizeof viewport, "qelRasterViewport 0 %d 0 %d\n", width - 1,
                  height - 1);
    return "qelFrameBegin\n"
           "qelOutputDisplay \"" +
           name + "\"\n" + viewport +
           "qelViewPerspective 60\n"
           "qelSceneBegin\n"
           "qelLightSource \"distant\" 1 \"from\" [-1 1 -1] \"to\" [0 0 0]\n"
           "qelSurface \"plastic\"\n"
           "qelTranslate 0 0 5\n"
           "qelSphere 1.5 -1.5 1.5 360\n"
           "qelSceneEnd\n"
           "qelFrameEnd\n";
}

const char* const kWarning = "qelLightSwitch 7 1\n";

class LumivarDesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DesktopDriver::open()) << "the desktop tests need a window system";
        alarm(120);
        app.InitMainWindow();
        DesktopDriver::settle();
    }
    void TearDown() override {
        app.frame().hide();
        closeDisplayWindows();
        alarm(0);
    }

    static void closeDisplayWindows() {
        qelWindowsEnable(0);
        qelWindowsEnable(1);
        XClient client;
        for (unsigned long window : client.topLevelWindows()) {
            std::string name = client.name(window);
            if (name == "first" || name == "second" || name == "big") client.close(window);
        }
        for (int round = 0; round < 200 && qelWindowEvents(10) > 0; ++round) {
        }
    }

    static std::string label(const Fl_Widget& widget) {
        return widget.label() ? widget.label() : "";
    }

    // The Render Status dialog as the toolkit shows it, found by its caption.
    static bool look(Shown& shown) {
        Fl_Window* dialog = DesktopDriver::window("Render Status");
        if (!dialog) return false;
        Fl_Box* text = DesktopDriver::find<Fl_Box>(*dialog);
        Fl_Progress* gauge = DesktopDriver::find<Fl_Progress>(*dialog);
        Fl_Button* cancel = DesktopDriver::find<Fl_Button>(*dialog, "Cancel");
        if (!text || !gauge || !cancel) return false;
        shown = {label(*text), gauge->visible() != 0, int(gauge->value()), label(*gauge),
                 cancel->visible() != 0};
        return true;
    }

    // Writes a scene file of the test's own; returns its path.
    std::string write(const std::string& name, const std::string& text) {
        return dir.path() + dir.write(name, text);
    }

    // The message window's text, as the frame's text view holds it.
    std::string paneText() { return DesktopDriver::textShown(app.frame()); }

    ScratchDir dir{"lumivar-desktop"};
    TDesktopApp app{SceneReaders(CommandLine::Format::ByName)};
};

TEST_F(LumivarDesktopTest, TwoFramesShowLoadingAndRenderingInTurn) {
    std::string file = write("two.qel", frameScene("first", 96, 64) + frameScene("second", 96, 64));
    std::vector<Shown> states;
    DesktopDriver driver;
    driver.script([&] {
        Shown shown;
        if (look(shown)) {
            const Shown* last = states.empty() ? nullptr : &states.back();
            if (!last || last->text != shown.text || last->gauge != shown.gauge ||
                last->gaugeShown != shown.gaugeShown)
                states.push_back(shown);
        }
        return false;
    });
    EXPECT_EQ(app.TRendApp::CmRender(file.c_str()), TRendApp::RenderResult::Finished);
    driver.stop();
    EXPECT_EQ(app.renderStatus(), nullptr);
    EXPECT_EQ(DesktopDriver::window("Render Status"), nullptr) << "the dialog closed";

    // The texts in turn, each shown once.
    std::vector<std::string> texts;
    for (const Shown& shown : states)
        if (texts.empty() || texts.back() != shown.text) texts.push_back(shown.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Loading scene", "Rendering frame \"first\"",
                                               "Loading scene", "Rendering frame \"second\"",
                                               "Loading scene"}));
    int lastGauge = -1;
    std::string renderingText;
    for (const Shown& shown : states) {
        EXPECT_TRUE(shown.cancelShown);
        bool rendering = shown.text.rfind("Rendering frame", 0) == 0;
        EXPECT_EQ(shown.gaugeShown, rendering) << shown.text;
        if (!rendering) continue;
        if (shown.text != renderingText) lastGauge = -1;
        renderingText = shown.text;
        EXPECT_GE(shown.gauge, lastGauge) << "the gauge only grows within a frame";
        EXPECT_LE(shown.gauge, 100);
        EXPECT_EQ(shown.gaugeText, std::to_string(shown.gauge) + "%");
        lastGauge = shown.gauge;
    }
    EXPECT_EQ(paneText(), "");
    EXPECT_EQ(qelWindowsOpen(), 2) << "each frame showed its image";
}

// Cancel, clicked while a frame renders, closes the dialog at once; the
// message window keeps what was printed.
TEST_F(LumivarDesktopTest, CancelMidRenderClosesTheDialogAndKeepsTheMessages) {
    std::string file = write("big.qel", kWarning + frameScene("big", 640, 480));
    int gaugeAtClick = -1, ticks = 0;
    bool clicked = false;
    DesktopDriver driver;
    driver.script([&] {
        Shown shown;
        if (!look(shown) || !shown.gaugeShown || shown.gauge < 5) return false;
        if (!clicked) DesktopDriver::screenshot(0, 0, 1024, 768, "render-status");
        if (!clicked) gaugeAtClick = shown.gauge;
        // The click reaches the dialog through the server, a few steps later.
        if (ticks++ % 50 == 0)
            DesktopDriver::click(
                *DesktopDriver::find<Fl_Button>(*DesktopDriver::window("Render Status"), "Cancel"));
        clicked = true;
        return false;
    });
    EXPECT_EQ(app.TRendApp::CmRender(file.c_str()), TRendApp::RenderResult::Cancelled);
    driver.stop();
    EXPECT_TRUE(clicked);
    EXPECT_LT(gaugeAtClick, 100);
    EXPECT_EQ(DesktopDriver::window("Render Status"), nullptr);
    EXPECT_EQ(paneText(), file + ":1: QEL warning: invalid light or object handle at line 1 "
                                 "'7': Unknown light handle 7\n");
}

// Render, chosen from the menu, asks for the file first and clears the
// message window before it reads the file.
TEST_F(LumivarDesktopTest, ChoosingRenderAgainClearsTheMessageWindowFirst) {
    std::string warned = write("warned.qel", kWarning + frameScene("first", 32, 24));
    std::string clean =
        write("clean.qel", std::string(kWarning) + kWarning + frameScene("second", 32, 24));
    app.TRendApp::CmRender(warned.c_str());
    ASSERT_NE(paneText(), "");
    std::string paneWhenDialogOpened = "not seen";
    bool fileGiven = false;
    int ticks = 0;
    DesktopDriver driver;
    driver.script([&] {
        if (Fl_Window* chooser = DesktopDriver::window("Open"); chooser && !fileGiven) {
            Fl_Input* name = DesktopDriver::find<Fl_Input>(*chooser);
            Fl_Return_Button* ok = DesktopDriver::find<Fl_Return_Button>(*chooser);
            if (!name || !ok || ++ticks < 5) return false;
            name->value(clean.c_str());
            ok->do_callback();
            fileGiven = true;
        }
        if (DesktopDriver::window("Render Status")) {
            paneWhenDialogOpened = paneText();
            return true;
        }
        return false;
    });
    ASSERT_TRUE(app.frame().choose(TDesktopApp::kRenderPath));
    driver.stop();
    EXPECT_TRUE(fileGiven);
    EXPECT_EQ(paneWhenDialogOpened, "");
    std::string twice = clean + ":2: QEL warning: invalid light or object handle at line 2 '7': "
                                "Unknown light handle 7\n";
    EXPECT_EQ(paneText(), clean + ":1: QEL warning: invalid light or object handle at line 1 "
                                  "'7': Unknown light handle 7\n" +
                              twice);
    DesktopDriver::screenshot(app.frame(), "quelmark");
}

TEST_F(LumivarDesktopTest, CancellingTheFileDialogRendersNothing) {
    app.TRendApp::CmRender(write("warned.qel", kWarning).c_str());
    ASSERT_NE(paneText(), "");
    DesktopDriver driver;
    driver.script([&] {
        Fl_Window* chooser = DesktopDriver::window("Open");
        Fl_Button* cancel = chooser ? DesktopDriver::find<Fl_Button>(*chooser, "Cancel") : nullptr;
        if (!cancel) return false;
        cancel->do_callback();
        return true;
    });
    app.CmRender();
    driver.stop();
    EXPECT_NE(paneText(), "") << "nothing was rendered, nothing cleared";
}

TEST_F(LumivarDesktopTest, AFileThatCannotBeOpenedIsReported) {
    std::string missing = dir.path() + "missing.qel";
    EXPECT_EQ(app.TRendApp::CmRender(missing.c_str()), TRendApp::RenderResult::NotOpened);
    EXPECT_EQ(paneText(),
              "cannot open scene file \"" + missing + "\": No such file or directory\n");
}

TEST_F(LumivarDesktopTest, AboutShowsTheVersion) {
    EXPECT_EQ(DesktopDriver::aboutText(app.frame(), TDesktopApp::kAboutCaption,
                                       TDesktopApp::kAboutText, "about-quelmark"),
              "Quelmark Version 1.01");
}

// Between renders the main loop serves the display windows: a window closed
// by the user goes away.
TEST_F(LumivarDesktopTest, DisplayWindowsAreServedBetweenRenders) {
    app.TRendApp::CmRender(write("one.qel", frameScene("first", 32, 24)).c_str());
    ASSERT_EQ(qelWindowsOpen(), 1);
    XClient client;
    std::vector<unsigned long> shown = client.waitForWindows("first", 1, 5);
    ASSERT_EQ(shown.size(), 1u);
    client.close(shown[0]);
    for (int round = 0; round < 500 && qelWindowsOpen() > 0; ++round)
        Fl::wait(0.01);
    EXPECT_EQ(qelWindowsOpen(), 0);
}

} // namespace
