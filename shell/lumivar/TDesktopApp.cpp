#include "shell/lumivar/TDesktopApp.h"

#include "embedded/quelmarkIcon.h"
#include "shell/desktop/FileDialog.h"
#include "shell/desktop/StepLoop.h"
#include "shell/lumivar/TRenderStatus.h"

namespace quelmark {

TDesktopApp::TDesktopApp(TProgressDialog::StepsFactory makeSteps)
    : TRendApp(std::move(makeSteps)),
      fShell(embedded::quelmarkIcon, embedded::quelmarkIconSize,
             {kName, kExitHint, kAboutHint, kAboutCaption, kAboutText}, messages()) {}

void TDesktopApp::InitMainWindow() {
    fShell.InitMainWindow({kRenderPath, kRenderHint, [this] { CmRender(); }});
}

int TDesktopApp::Run(const std::optional<std::string>& file) {
    if (!fShell.hasFrame()) InitMainWindow();
    if (file) TRendApp::CmRender(file->c_str());
    fShell.RunUntilClosed();
    return 0;
}

void TDesktopApp::CmRender() {
    std::optional<std::string> file = FileDialog::open(kFileFilter);
    if (file) TRendApp::CmRender(file->c_str());
}

void TDesktopApp::ExecDialog(TProgressDialog& dialog) {
    TRenderStatus status(dialog, fShell.icon());
    fShell.centre(status);
    dialog.setView(&status);
    fStatus = &status;
    dialog.Open();
    StepLoop::run([&dialog] { return dialog.isOpen(); },
                  [&dialog](long count) { dialog.IdleAction(count); },
                  [&status] { return status.takeChanged(); });
    fStatus = nullptr;
    dialog.setView(nullptr);
}

} // namespace quelmark
