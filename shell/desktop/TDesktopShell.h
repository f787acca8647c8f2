// What the two desktop programs share around their own command: the icon,
// the main frame with the command, Exit and About in its menus, the message
// window shown in it, the About dialog and the loop that runs until the
// frame closes.
#ifndef QEL_SHELL_DESKTOP_TDESKTOPSHELL_H
#define QEL_SHELL_DESKTOP_TDESKTOPSHELL_H

#include "shell/TRendEdit.h"
#include "shell/desktop/TRendFrame.h"
#include "shell/desktop/WindowIcon.h"

#include <cstddef>
#include <memory>

class Fl_Window;

namespace quelmark {

class TDesktopShell {
public:
    static constexpr const char* kExitPath = "&File/E&xit";
    static constexpr const char* kAboutPath = "&Help/&About...";

    struct Texts {
        const char* title;
        const char* exitHint;
        const char* aboutHint;
        const char* aboutCaption;
        const char* aboutText;
    };

    TDesktopShell(const unsigned char* iconPng, std::size_t iconSize, Texts texts,
                  TRendEdit& messages);
    ~TDesktopShell();
    TDesktopShell(const TDesktopShell&) = delete;
    TDesktopShell& operator=(const TDesktopShell&) = delete;

    // Creates the main frame, the program's command first in its menus, and
    // shows it with the message window.
    void InitMainWindow(TRendFrame::Command command);
    // Handles events until the main frame closes.
    void RunUntilClosed();

    void CmAboutDialog();
    void CmExit();

    // Places a dialog over the middle of the main frame.
    void centre(Fl_Window& dialog) const;

    TRendFrame& frame() { return *fFrame; }
    bool hasFrame() const { return fFrame != nullptr; }
    const WindowIcon& icon() const { return fIcon; }

private:
    WindowIcon fIcon;
    Texts fTexts;
    TRendEdit& fMessages;
    std::unique_ptr<TRendFrame> fFrame;
};

} // namespace quelmark

#endif
