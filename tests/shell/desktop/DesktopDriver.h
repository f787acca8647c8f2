// Drives the desktop windows of a test as a user would: finds windows and
// their widgets through the toolkit, moves the pointer and clicks through
// the server's input extension, and runs a script of checks between the
// steps of whatever modal loop is running. Screenshots go to the folder
// named by QEL_SCREENSHOTS, when it is set.
#ifndef QEL_TESTS_SHELL_DESKTOP_DESKTOPDRIVER_H
#define QEL_TESTS_SHELL_DESKTOP_DESKTOPDRIVER_H

#include <FL/Fl_Group.H>
#include <FL/Fl_Window.H>

#include <functional>
#include <string>

namespace quelmark {
class TRendFrame;
}
using quelmark::TRendFrame;

class DesktopDriver {
public:
    // Connects the toolkit as the programs do; false without a window system.
    static bool open();

    // The shown window with this caption, null when none is shown.
    static Fl_Window* window(const char* caption);
    // The first widget of type W within group (labelled label, when given).
    template <class W> static W* find(Fl_Group& group, const char* label = nullptr) {
        for (int k = 0; k < group.children(); ++k) {
            Fl_Widget* child = group.child(k);
            if (W* found = dynamic_cast<W*>(child); found && labelIs(*child, label)) return found;
            if (Fl_Group* inner = child->as_group())
                if (W* found = find<W>(*inner, label)) return found;
        }
        return nullptr;
    }

    // The text of the first text view within the window, "" without one.
    static std::string textShown(Fl_Group& window);

    // Runs step before every wait of the toolkit's loops, until it returns
    // true; a step never reached is a failure the caller sees in done().
    void script(std::function<bool()> step);
    bool done() const { return fDone; }
    void stop();
    ~DesktopDriver();

    // Runs open, which shows a modal window captioned caption; once the
    // window is on the screen, look sees it, the screenshot is saved and the
    // button is clicked, again until the window has gone.
    static void respond(const std::function<void()>& open, const char* caption, const char* button,
                        const std::string& screenshot, const std::function<void(Fl_Window&)>& look);

    // Chooses About in the frame's menu and reads the dialog's text (the box
    // labelled text, "" when there is none), then clicks OK.
    static std::string aboutText(TRendFrame& frame, const char* caption, const char* text,
                                 const std::string& screenshot);

    // Input as the user gives it, in screen coordinates.
    static void movePointer(int x, int y);
    static void click(Fl_Widget& widget);
    static void clickAt(int x, int y);
    static void pressKey(unsigned long keysym);
    // Handles whatever the toolkit has pending, several rounds.
    static void settle();

    // Saves the screen's part under the window, with a margin for its title
    // bar, as QEL_SCREENSHOTS/name.png.
    static void screenshot(const Fl_Window& window, const std::string& name);
    static void screenshot(int x, int y, int w, int h, const std::string& name);

private:
    static bool labelIs(const Fl_Widget& widget, const char* label);
    static void runScript(void* self);
    // Keeps the toolkit's loops turning while the script waits for them.
    static void tick(void* self);

    std::function<bool()> fStep;
    bool fRegistered = false;
    bool fDone = false;
};

#endif
