#include "shell/desktop/TDesktopShell.h"

#include "shell/desktop/StepLoop.h"
#include "shell/desktop/TAboutDialog.h"
#include "shell/desktop/TMessagePane.h"

#include <FL/Fl_Window.H>

namespace quelmark {

TDesktopShell::TDesktopShell(const unsigned char* iconPng, std::size_t iconSize, Texts texts,
                             TRendEdit& messages)
    : fIcon(iconPng, iconSize), fTexts(texts), fMessages(messages) {}

TDesktopShell::~TDesktopShell() {
    if (fFrame) fMessages.setView(nullptr);
}

void TDesktopShell::InitMainWindow(TRendFrame::Command command) {
    std::vector<TRendFrame::Command> commands = {
        std::move(command),
        {kExitPath, fTexts.exitHint, [this] { CmExit(); }},
        {kAboutPath, fTexts.aboutHint, [this] { CmAboutDialog(); }},
    };
    fFrame = std::make_unique<TRendFrame>(fTexts.title, std::move(commands), fIcon);
    fMessages.setView(&fFrame->messagePane());
    fFrame->show();
}

void TDesktopShell::RunUntilClosed() {
    StepLoop::waitUntil([this] { return !fFrame->shown(); });
}

void TDesktopShell::CmAboutDialog() {
    TAboutDialog about(fTexts.aboutCaption, fTexts.aboutText, fIcon);
    about.Execute();
}

void TDesktopShell::CmExit() {
    fFrame->hide();
}

void TDesktopShell::centre(Fl_Window& dialog) const {
    dialog.position(fFrame->x() + (fFrame->w() - dialog.w()) / 2,
                    fFrame->y() + (fFrame->h() - dialog.h()) / 2);
}

} // namespace quelmark
