#include "shell/tessaran/TDesktopApp.h"

#include "embedded/converterIcon.h"
#include "shell/desktop/FileDialog.h"
#include "shell/desktop/StepLoop.h"
#include "shell/tessaran/TConversionStatus.h"

#include <FL/fl_ask.H>

namespace quelmark {

TDesktopApp::TDesktopApp(TProgressDialog::StepsFactory makeSteps, SceneOutput& output)
    : TRendApp(std::move(makeSteps), output),
      fShell(embedded::converterIcon, embedded::converterIconSize,
             {kName, kExitHint, kAboutHint, kAboutCaption, kAboutText}, messages()) {
    setView(this);
}

void TDesktopApp::InitMainWindow() {
    fShell.InitMainWindow({kConvertPath, kConvertHint, [this] { CmConvert(); }});
}

int TDesktopApp::Run(const std::optional<std::pair<std::string, std::string>>& files) {
    if (!fShell.hasFrame()) InitMainWindow();
    if (files) TRendApp::CmConvert(files->first.c_str(), files->second.c_str());
    fShell.RunUntilClosed();
    return 0;
}

void TDesktopApp::CmConvert() {
    std::optional<std::string> rib = FileDialog::open(kRibFilter);
    if (!rib) return;
    std::optional<std::string> qel = FileDialog::save(kQelFilter);
    if (!qel) return;
    TRendApp::CmConvert(rib->c_str(), qel->c_str());
}

// What went wrong goes to the message window; the box says what it says.
void TDesktopApp::messageBox(const char* text, const char* caption, const std::string& detail) {
    if (!detail.empty()) print((std::string(caption) + ": " + detail).c_str());
    fl_message_title(caption);
    fl_alert("%s", text);
}

void TDesktopApp::ExecDialog(TProgressDialog& dialog) {
    TConversionStatus status(dialog, fShell.icon());
    fShell.centre(status);
    dialog.setView(&status);
    fStatus = &status;
    dialog.SetupWindow();
    StepLoop::run([&dialog] { return dialog.isOpen() && dialog.hasReader(); },
                  [&dialog](long count) { dialog.IdleAction(count); },
                  [&status] { return status.takeChanged(); });
    StepLoop::waitUntil([&dialog] { return !dialog.isOpen(); });
    fStatus = nullptr;
    dialog.setView(nullptr);
}

} // namespace quelmark
