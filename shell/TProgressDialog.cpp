#include "shell/TProgressDialog.h"

#include <cstdio>
#include <vector>

namespace quelmark {

TProgressDialog::TProgressDialog(std::unique_ptr<std::istream> in, const char* fileName,
                                 const StepsFactory& makeSteps, PrintFunc printer)
    : fFileName(fileName ? fileName : ""), fIn(std::move(in)) {
    fSteps = makeSteps(*fIn, fFileName.c_str(), fFrameName);
    if (fSteps) fSteps->errorPrinter(printer);
}

TProgressDialog::~TProgressDialog() {
    fSteps.reset();
    fIn.reset();
}

void TProgressDialog::Execute(const std::function<bool()>& cancelPending) {
    Open();
    for (long count = 0; fOpen; ++count) {
        if (cancelPending && cancelPending())
            CmCancel();
        else
            IdleAction(count);
    }
}

void TProgressDialog::Open() {
    if (fOpen) return;
    fOpen = true;
    if (fView) fView->dialogOpened(*this);
}

int TProgressDialog::IdleAction(long) {
    if (!fSteps) return 0;
    if (fSteps->parse1()) {
        if (!fFrameName.empty()) {
            showRendering();
        } else if (fRenderingShown) {
            showLoading();
            if (fView) fView->frameFinished();
        }
        return 1;
    }
    if (fSteps->stopRequested()) {
        CmCancel();
        return 0;
    }
    bool frameDone = fRenderingShown && fFrameName.empty();
    showLoading();
    if (frameDone && fView) fView->frameFinished();
    Destroy();
    return 0;
}

void TProgressDialog::CmCancel() {
    fCancelled = true;
    Destroy();
}

void TProgressDialog::Destroy() {
    fSteps.reset();
    if (!fOpen) return;
    fOpen = false;
    if (fView) fView->dialogClosed(*this);
}

// The text and the gauge change together, and then the view hears of them:
// it never shows the one changed and the other not yet.
void TProgressDialog::showRendering() {
    bool gaugeChanged = fGauge.setValue(fSteps->percent());
    bool textChanged = false;
    if (!fRenderingShown) {
        std::vector<char> text(size_t(fFrameName.length()) + 32);
        std::snprintf(text.data(), text.size(), kRenderingFormat, fFrameName.c_str());
        textChanged = changeText(text.data());
        gaugeChanged |= fGauge.show(true);
        fRenderingShown = true;
    }
    tellView(textChanged, gaugeChanged);
}

void TProgressDialog::showLoading() {
    bool textChanged = changeText(kLoadingText);
    bool gaugeChanged = fGauge.show(false);
    fRenderingShown = false;
    tellView(textChanged, gaugeChanged);
}

bool TProgressDialog::changeText(const std::string& text) {
    if (text == fText) return false;
    fText = text;
    return true;
}

void TProgressDialog::tellView(bool textChanged, bool gaugeChanged) {
    if (!fView) return;
    if (textChanged) fView->textChanged(fText);
    if (gaugeChanged) fView->gaugeChanged(fGauge);
}

} // namespace quelmark
