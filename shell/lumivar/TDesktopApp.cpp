#include "shell/lumivar/TDesktopApp.h"

#include "embedded/quelmarkIcon.h"
#include "shell/desktop/FileDialog.h"
#include "shell/desktop/StepLoop.h"
#include "shell/desktop/TAboutDialog.h"
#include "shell/desktop/TMessagePane.h"
#include "shell/lumivar/TRenderStatus.h"

#include <FL/Fl.H>

TDesktopApp::TDesktopApp(TProgressDialog::StepsFactory makeSteps)
    : TRendApp(std::move(makeSteps)), fIcon(embedded::quelmarkIcon, embedded::quelmarkIconSize) {}

TDesktopApp::~TDesktopApp() {
    messages().setView(nullptr);
}

void TDesktopApp::InitMainWindow() {
    std::vector<TRendFrame::Command> commands = {
        {kRenderPath, kRenderHint, [this] { CmRender(); }},
        {kExitPath, kExitHint, [this] { CmExit(); }},
        {kAboutPath, kAboutHint, [this] { CmAboutDialog(); }},
    };
    fFrame = std::make_unique<TRendFrame>(kName, std::move(commands), fIcon);
    messages().setView(&fFrame->messagePane());
    fFrame->show();
}

int TDesktopApp::Run(const std::optional<std::string>& file) {
    if (!fFrame) InitMainWindow();
    if (file) TRendApp::CmRender(file->c_str());
    StepLoop::waitUntil([this] { return !fFrame->shown(); });
    return 0;
}

void TDesktopApp::CmRender() {
    std::optional<std::string> file = FileDialog::open(kFileFilter);
    if (file) TRendApp::CmRender(file->c_str());
}

void TDesktopApp::CmAboutDialog() {
    TAboutDialog about(kAboutCaption, kAboutText, fIcon);
    about.Execute();
}

void TDesktopApp::CmExit() {
    fFrame->hide();
}

void TDesktopApp::ExecDialog(TProgressDialog& dialog) {
    TRenderStatus status(dialog, fIcon);
    status.position(fFrame->x() + (fFrame->w() - status.w()) / 2,
                    fFrame->y() + (fFrame->h() - status.h()) / 2);
    dialog.setView(&status);
    fStatus = &status;
    dialog.Open();
    StepLoop::run([&dialog] { return dialog.isOpen(); },
                  [&dialog](long count) { dialog.IdleAction(count); },
                  [&status] { return status.takeChanged(); });
    fStatus = nullptr;
    dialog.setView(nullptr);
}
