// The main frame: its menus with their hints in the status line, the
// message window's size and its text, and the About dialog.
// The test framework comes first: the window system's headers define macros
// (None, Bool) that clash with its names.
#include <gtest/gtest.h>

#include "DesktopDriver.h"
#include "shell/desktop/TAboutDialog.h"
#include "shell/desktop/TMessagePane.h"
#include "shell/desktop/TRendFrame.h"
#include "shell/desktop/WindowIcon.h"

#include <FL/Fl.H>
#include <FL/Fl_Menu_Window.H>
#include <FL/fl_draw.H>

#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

using namespace quelmark;

namespace {

const char* const kFirstHint = "Locate and Render a scene file";
const char* const kSecondHint = "Exit Quelmark";

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DesktopDriver::open()) << "the desktop tests need a window system";
        alarm(60);
        std::vector<TRendFrame::Command> commands = {
            {"&File/&Render", kFirstHint, [this] { chosen.push_back("render"); }},
            {"&File/E&xit", kSecondHint, [this] { chosen.push_back("exit"); }},
            {"&Help/&About...", "Show the version", [this] { chosen.push_back("about"); }},
        };
        frame = std::make_unique<TRendFrame>("Frame Test", std::move(commands), noIcon);
        frame->show();
        DesktopDriver::settle();
    }
    void TearDown() override {
        frame.reset();
        DesktopDriver::settle();
        alarm(0);
    }

    std::string statusText() const {
        const char* label = frame->statusLine().label();
        return label ? label : "";
    }

    // The menu window that a click on a menu's title opened: the tallest
    // window that is not the frame.
    static Fl_Window* openMenu(const Fl_Window& frame) {
        Fl_Window* menu = nullptr;
        for (Fl_Window* window = Fl::first_window(); window; window = Fl::next_window(window))
            if (window != &frame && dynamic_cast<Fl_Menu_Window*>(window) &&
                (!menu || window->h() > menu->h()))
                menu = window;
        return menu;
    }

    // Clicks the File menu's title until its menu opens (a window manager
    // may still be placing the frame); the open menu, or null.
    Fl_Window* clickFileMenu(int& ticks) const {
        if (ticks++ % 40 == 10) DesktopDriver::clickAt(frame->x() + 15, frame->y() + 12);
        return openMenu(*frame);
    }

    WindowIcon noIcon{nullptr, 0};
    std::unique_ptr<TRendFrame> frame;
    std::vector<std::string> chosen;
};

// Moving down the File menu shows each item's hint in turn; leaving the menu
// and closing it clears the line.
TEST_F(FrameTest, HighlightedItemsShowTheirHints) {
    std::vector<std::string> seen;
    int phase = 0, y = 0, ticks = 0;
    Fl_Window* menu = nullptr;
    DesktopDriver driver;
    driver.script([&] {
        if (seen.empty() || seen.back() != statusText()) {
            seen.push_back(statusText());
            if (seen.back() == kFirstHint) DesktopDriver::screenshot(*frame, "menu-hint");
        }
        switch (phase) {
        case 0:
            menu = clickFileMenu(ticks);
            if (!menu) return false;
            y = menu->y() + 1;
            phase = 2;
            return false;
        case 2:
            // Down the menu and a little beyond it, two pixels at a time.
            y += 2;
            DesktopDriver::movePointer(menu->x() + menu->w() / 2, y);
            if (y > menu->y() + menu->h() + 10) phase = 3;
            return false;
        case 3:
            DesktopDriver::pressKey(FL_Escape);
            phase = 4;
            return false;
        default:
            return openMenu(*frame) == nullptr;
        }
    });
    frame->menuBar().take_focus();
    // The menu's own loop runs inside the click's handling; this loop runs
    // until the script is through.
    while (!driver.done())
        Fl::wait(0.05);
    driver.stop();
    std::vector<std::string> hints;
    for (const std::string& text : seen)
        if (!text.empty()) hints.push_back(text);
    EXPECT_EQ(hints, (std::vector<std::string>{kFirstHint, kSecondHint}));
    EXPECT_EQ(statusText(), "");
    EXPECT_TRUE(chosen.empty());
}

// Clicking an item runs its command, with the hint already gone.
TEST_F(FrameTest, ClickingAnItemRunsItsCommand) {
    std::string statusDuringCommand = "not run";
    frame.reset();
    std::vector<TRendFrame::Command> commands = {
        {"&File/&Render", kFirstHint, [&] { statusDuringCommand = statusText(); }},
        {"&File/E&xit", kSecondHint, [] {}},
    };
    frame = std::make_unique<TRendFrame>("Frame Test", std::move(commands), noIcon);
    frame->show();
    DesktopDriver::settle();
    int phase = 0, y = 0, ticks = 0;
    Fl_Window* menu = nullptr;
    DesktopDriver driver;
    driver.script([&] {
        switch (phase) {
        case 0:
            menu = clickFileMenu(ticks);
            if (!menu) return false;
            y = menu->y() + 1;
            phase = 2;
            return false;
        case 2:
            if (statusText() == kFirstHint) {
                DesktopDriver::clickAt(menu->x() + menu->w() / 2, y);
                phase = 3;
                return false;
            }
            y += 2;
            DesktopDriver::movePointer(menu->x() + menu->w() / 2, y);
            return y > menu->y() + menu->h();
        default:
            return statusDuringCommand != "not run";
        }
    });
    while (!driver.done())
        Fl::wait(0.05);
    driver.stop();
    EXPECT_EQ(statusDuringCommand, "");
}

TEST_F(FrameTest, ChooseRunsTheCommandOfAPath) {
    EXPECT_TRUE(frame->choose("&Help/&About..."));
    EXPECT_TRUE(frame->choose("&File/E&xit"));
    EXPECT_FALSE(frame->choose("&File/&Nothing"));
    EXPECT_EQ(chosen, (std::vector<std::string>{"about", "exit"}));
}

// The message window shows 80 average characters by 20 lines at first.
TEST_F(FrameTest, MessageWindowShowsEightyColumnsByTwentyLines) {
    TMessagePane& pane = frame->messagePane();
    std::string line(80, 'M');
    for (int k = 0; k < 30; ++k)
        pane.lineAdded(line, Severity::Info);
    pane.scroll(1, 0);
    DesktopDriver::settle();
    int lastColumn = 79, twentiethLine = 19 * 81;
    int x = 0, y = 0;
    fl_font(TMessagePane::kFont, TMessagePane::kFontSize);
    ASSERT_TRUE(pane.position_to_xy(lastColumn, &x, &y));
    EXPECT_LE(x + fl_width('M'), pane.x() + pane.w() - Fl::scrollbar_size());
    EXPECT_TRUE(pane.position_to_xy(twentiethLine, &x, &y));
    EXPECT_LE(y + fl_height(), pane.y() + pane.h());
    EXPECT_EQ(pane.shownLines(), 30);
    pane.cleared();
    EXPECT_EQ(pane.shownText(), "");
}

TEST_F(FrameTest, MessagesAreAppendedAsLines) {
    TMessagePane& pane = frame->messagePane();
    pane.lineAdded("first", Severity::Warning);
    pane.lineAdded("second", Severity::Error);
    EXPECT_EQ(pane.shownText(), "first\nsecond\n");
}

// Escape leaves the main frame open; the window's close button closes it.
TEST_F(FrameTest, EscapeLeavesTheFrameOpen) {
    frame->take_focus();
    DesktopDriver::pressKey(FL_Escape);
    DesktopDriver::settle();
    EXPECT_TRUE(frame->shown());
}

TEST_F(FrameTest, AboutDialogShowsItsTextUntilOk) {
    TAboutDialog about("About Frame Test", "Frame Test Version 1.01", noIcon);
    bool sawText = false;
    DesktopDriver::respond([&] { about.Execute(); }, "About Frame Test", "OK", "about",
                           [&](Fl_Window& shown) {
                               sawText = DesktopDriver::find<Fl_Box>(
                                             shown, "Frame Test Version 1.01") != nullptr;
                           });
    EXPECT_TRUE(sawText);
    EXPECT_FALSE(about.shown());
}

} // namespace
