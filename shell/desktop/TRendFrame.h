// The main frame of a desktop program: its menus, the message window as
// its client and a status line at the bottom that shows the hint of the
// highlighted menu item. The message window's header brings the window
// system's macros along, so it is included only where it is used.
#ifndef QEL_SHELL_DESKTOP_TRENDFRAME_H
#define QEL_SHELL_DESKTOP_TRENDFRAME_H

#include "shell/desktop/MenuHints.h"

#include <FL/Fl_Box.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Menu_Bar.H>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quelmark {

class TMessagePane;
class WindowIcon;

class TRendFrame : public Fl_Double_Window {
public:
    struct Command {
        const char* path; // menu and item, "&File/&Render"
        const char* hint;
        std::function<void()> run;
    };

    static constexpr int kColumns = 80, kRows = 20;

    TRendFrame(const char* title, std::vector<Command> commands, const WindowIcon& icon);
    ~TRendFrame() override;

    TMessagePane& messagePane() { return *fPane; }
    Fl_Menu_Bar& menuBar() { return fMenuBar; }
    const Fl_Box& statusLine() const { return fStatus; }
    // Runs the command of the menu item path, as choosing it does.
    bool choose(const char* path);

private:
    // The menu bar forgets the hint once a menu closed.
    class MenuBar : public Fl_Menu_Bar {
    public:
        MenuBar(int x, int y, int w, int h, MenuHints& hints)
            : Fl_Menu_Bar(x, y, w, h), fHints(hints) {}
        int handle(int event) override;

    private:
        MenuHints& fHints;
    };

    static void closeAsked(Fl_Widget* frame, void*);
    static void commandChosen(Fl_Widget* menu, void* command);
    void run(const Command& command);
    void showHint(const std::string& hint);

    std::vector<Command> fCommands;
    MenuHints fHints;
    MenuBar fMenuBar;
    std::unique_ptr<TMessagePane> fPane;
    Fl_Group fStatusFrame;
    Fl_Box fStatus;
};

} // namespace quelmark

#endif
