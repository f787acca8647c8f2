// Quelmark on the desktop: the main frame with the message window, the
// Render command behind the file dialog and the "Render Status" dialog,
// the About dialog, and the display windows served by the same event loop.
#ifndef QEL_SHELL_LUMIVAR_TDESKTOPAPP_H
#define QEL_SHELL_LUMIVAR_TDESKTOPAPP_H

#include "shell/TRendApp.h"
#include "shell/desktop/TDesktopShell.h"
#include "shell/lumivar/DisplayWindowEvents.h"

#include <optional>
#include <string>

namespace quelmark {

class TRenderStatus;

class TDesktopApp : public TRendApp {
public:
    static constexpr const char* kFileFilter = "Scene Files (*.QEL)|*.QEL|All Files (*.*)|*.*|";
    static constexpr const char* kRenderPath = "&File/&Render";
    static constexpr const char* kAboutPath = TDesktopShell::kAboutPath;
    static constexpr const char* kRenderHint = "Locate and Render a scene file";
    static constexpr const char* kExitHint = "Exit Quelmark";
    static constexpr const char* kAboutHint = "Show the version of Quelmark";
    static constexpr const char* kAboutCaption = "About Quelmark";

    explicit TDesktopApp(TProgressDialog::StepsFactory makeSteps);

    // Creates the message window and the main frame and shows them.
    void InitMainWindow();
    // Runs until the main frame closes; a file given is rendered first.
    int Run(const std::optional<std::string>& file);

    // Render in the menu: the file dialog, then the render.
    void CmRender();

    TRendFrame& frame() { return fShell.frame(); }
    // The open "Render Status" dialog, null when none is open.
    TRenderStatus* renderStatus() { return fStatus; }

protected:
    void ExecDialog(TProgressDialog& dialog) override;

private:
    TDesktopShell fShell;
    DisplayWindowEvents fDisplayWindows;
    TRenderStatus* fStatus = nullptr;
};

} // namespace quelmark

#endif
