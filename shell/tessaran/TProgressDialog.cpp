#include "shell/tessaran/TProgressDialog.h"

#include <cstdio>
#include <vector>

namespace quelmark {

TProgressDialog::TProgressDialog(std::unique_ptr<std::istream> in, const char* ribName,
                                 const char* qelName, const StepsFactory& makeSteps,
                                 PrintFunc printer, SceneOutput& output, TRendEdit& messages)
    : fIn(std::move(in)), fOutput(output), fMessages(messages) {
    std::string rib = ribName ? ribName : "", qel = qelName ? qelName : "";
    fSteps = makeSteps(*fIn, rib.c_str(), fFrameName);
    if (fSteps) fSteps->errorPrinter(printer);
    fOutput.open(qel.c_str());
    std::string from = baseName(rib), to = baseName(qel);
    std::vector<char> text(from.size() + to.size() + 32);
    std::snprintf(text.data(), text.size(), kStatusFormat, from.c_str(), to.c_str());
    fStatusText = text.data();
}

TProgressDialog::~TProgressDialog() {
    fSteps.reset();
    fIn.reset();
}

void TProgressDialog::Execute(const std::function<bool()>& cancelPending) {
    SetupWindow();
    for (long count = 0; fOpen && fSteps; ++count) {
        if (cancelPending && cancelPending())
            CmCancel();
        else
            IdleAction(count);
    }
    if (fFinished)
        CmOk();
    else
        Destroy();
}

void TProgressDialog::SetupWindow() {
    if (fOpen) return;
    fOpen = true;
    fText = fStatusText;
    fCancelShown = true;
    fOkShown = false;
    if (fView) fView->dialogOpened(*this);
}

int TProgressDialog::IdleAction(long) {
    if (!fSteps) return 0;
    if (fSteps->parse1()) return 1;
    if (fSteps->stopRequested())
        CmCancel();
    else
        finish();
    return 0;
}

void TProgressDialog::CmCancel() {
    if (fFinished) return;
    fCancelled = true;
    Destroy();
}

void TProgressDialog::CmOk() {
    if (fOkShown) Destroy();
}

void TProgressDialog::Destroy() {
    fSteps.reset();
    if (!fOpen) return;
    fOpen = false;
    if (fView) fView->dialogClosed(*this);
}

// The file is closed before the messages are looked at, so that a failure to
// write its end counts too.
void TProgressDialog::finish() {
    fInputFailed = fSteps->inputFailed();
    fSteps.reset();
    fOutput.close();
    fMessages.finishRepeats();
    fFinished = true;
    setText(fMessages.count() == 0 ? kSuccessText : kMessagesText);
    showButtons(false, true);
}

void TProgressDialog::setText(const std::string& text) {
    if (text == fText) return;
    fText = text;
    if (fView) fView->textChanged(fText);
}

void TProgressDialog::showButtons(bool cancel, bool ok) {
    if (cancel == fCancelShown && ok == fOkShown) return;
    fCancelShown = cancel;
    fOkShown = ok;
    if (fView) fView->buttonsChanged(*this);
}

std::string TProgressDialog::baseName(const std::string& path) {
    size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

} // namespace quelmark
